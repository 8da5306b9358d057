/*
 * dulvar: driver library of the Dulvar card, up to 144 digital lines on six
 * 8255 chips (channels 0 to 5, each Port A, Port B, Port C in two halves) in
 * 24 ports.
 *
 * Register map (offsets from the base address), channel c = 0 to 5:
 *   4c + 0 Port A   4c + 1 Port B   4c + 2 Port C   4c + 3 control (write-only)
 * The card requests its interrupt on the rising edge of Port C line 3 of
 * channel 0.
 *
 * Base address: 200H to 3E8H, a multiple of 8 (the card's 24 ports must end
 * at or below 3FFH); interrupt level 2 to 15. Port code: channel x 256 +
 * group (0 Port A, 1 Port B, 2 Port C whole, 3 Port C upper half, 4 Port C
 * lower half). Result codes and the transfer status that INT_Status
 * reports: port_card_errors.h. Ordinals in dulvar.def.
 */
#ifndef KIT_DULVAR_H
#define KIT_DULVAR_H

#include "port_card_errors.h"

#ifdef _WIN32
#define DULVAR_API __stdcall
#else
#define DULVAR_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

int DULVAR_API W_Dulvar_Initial(int card, int base, int irq_level);                  /* 1 */
#ifndef _WIN32
/* Native libraries only, no ordinal: as Initial, for a card whose chips
 * already hold what an earlier process of this boot programmed: modes, the
 * mode-set word of each channel; latches, ports A, B, C of each channel.
 * The library takes them as its own and writes no port. */
int DULVAR_API W_Dulvar_Attach(int card, int base, int irq_level, const unsigned char *modes,
                          const unsigned char *latches);
#endif
int DULVAR_API W_Dulvar_Set_Card(int card);                                          /* 2 */
int DULVAR_API W_Dulvar_Get_Card(int *card);                                         /* 3 */
int DULVAR_API W_Dulvar_DI_Port(int port_code, unsigned char *value);                /* 4 */
int DULVAR_API W_Dulvar_DO_Port(int port_code, unsigned int value);                  /* 5 */
int DULVAR_API W_Dulvar_INT_Start(int count);                                        /* 7 */
int DULVAR_API W_Dulvar_INT_Status(int *status, int *count);                         /* 8 */
int DULVAR_API W_Dulvar_INT_Stop(int *count);                                        /* 9 */
int DULVAR_API W_Dulvar_INT_Buffer(int port_code, int direction, int *buffer, int count); /* 10 */
int DULVAR_API W_Dulvar_INT_Setup(void);                                             /* 11 */

#ifdef __cplusplus
}
#endif

#endif
