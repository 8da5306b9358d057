/*
 * fenmar: driver library of the Fenmar card, 24 digital lines on one 8255
 * (one channel: Port A, Port B, Port C in two halves) in 4 ports.
 *
 * Register map (offsets from the base address):
 *   0 Port A   1 Port B   2 Port C   3 8255 control (write-only)
 * The card requests its interrupt on the rising edge of Port C line 0.
 *
 * Base address: 200H to 3FCH, a multiple of 4 (the card decodes 4 ports);
 * interrupt level 2 to 15. Port codes: 0 Port A, 1 Port B, 2 Port C whole,
 * 3 Port C upper half, 4 Port C lower half (channel 0 only).
 * Result codes and the transfer status that INT_Status reports:
 * port_card_errors.h. Ordinals in fenmar.def.
 */
#ifndef KIT_FENMAR_H
#define KIT_FENMAR_H

#include "port_card_errors.h"

#ifdef _WIN32
#define FENMAR_API __stdcall
#else
#define FENMAR_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

int FENMAR_API W_Fenmar_Initial(int card, int base, int irq_level);                  /* 1 */
#ifndef _WIN32
/* Native libraries only, no ordinal: as Initial, for a card whose chips
 * already hold what an earlier process of this boot programmed: modes, the
 * mode-set word of each channel; latches, ports A, B, C of each channel.
 * The library takes them as its own and writes no port. */
int FENMAR_API W_Fenmar_Attach(int card, int base, int irq_level, const unsigned char *modes,
                          const unsigned char *latches);
#endif
int FENMAR_API W_Fenmar_Set_Card(int card);                                          /* 2 */
int FENMAR_API W_Fenmar_Get_Card(int *card);                                         /* 3 */
int FENMAR_API W_Fenmar_DI_Port(int port_code, unsigned char *value);                /* 4 */
int FENMAR_API W_Fenmar_DO_Port(int port_code, unsigned int value);                  /* 5 */
int FENMAR_API W_Fenmar_INT_Start(int count);                                        /* 7 */
int FENMAR_API W_Fenmar_INT_Status(int *status, int *count);                         /* 8 */
int FENMAR_API W_Fenmar_INT_Stop(int *count);                                        /* 9 */
int FENMAR_API W_Fenmar_INT_Buffer(int port_code, int direction, int *buffer, int count); /* 10 */
int FENMAR_API W_Fenmar_INT_Setup(void);                                             /* 11 */

#ifdef __cplusplus
}
#endif

#endif
