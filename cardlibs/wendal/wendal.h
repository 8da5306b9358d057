/*
 * wendal: driver library of the Wendal card, 48 digital lines on two 8255
 * chips (channels 0 and 1, each Port A, Port B, Port C in two halves) and an
 * 8254 timer for the sampling clock, in 12 ports.
 *
 * Register map (offsets from the base address):
 *   0 ch0 Port A   1 ch0 Port B   2 ch0 Port C   3 ch0 control (write-only)
 *   4 ch1 Port A   5 ch1 Port B   6 ch1 Port C   7 ch1 control (write-only)
 *   8 8254 counter 0   9 counter 1   10 counter 2   11 8254 control
 * The 8254 counts a 2,000,000 Hz clock; counter 1 feeds counter 2, and each
 * rising edge of counter 2's output requests the card's interrupt, so the
 * interrupt comes every divisor 1 x divisor 2 clock periods.
 *
 * Base address: 200H to 3F4H, even (the card's 12 ports must end at or below
 * 3FFH); interrupt level 2 to 15. Port code: channel x 256 + group (0 Port
 * A, 1 Port B, 2 Port C whole, 3 Port C upper half, 4 Port C lower half).
 * Result codes and the transfer status that INT_Status reports:
 * port_card_errors.h. Ordinals in wendal.def.
 */
#ifndef KIT_WENDAL_H
#define KIT_WENDAL_H

#include "port_card_errors.h"

#ifdef _WIN32
#define WENDAL_API __stdcall
#else
#define WENDAL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

int WENDAL_API W_Wendal_Initial(int card, int base, int irq_level);                  /* 1 */
#ifndef _WIN32
/* Native libraries only, no ordinal: as Initial, for a card whose chips
 * already hold what an earlier process of this boot programmed: modes, the
 * mode-set word of each channel; latches, ports A, B, C of each channel.
 * The library takes them as its own and writes no port. */
int WENDAL_API W_Wendal_Attach(int card, int base, int irq_level, const unsigned char *modes,
                          const unsigned char *latches);
#endif
int WENDAL_API W_Wendal_Set_Card(int card);                                          /* 2 */
int WENDAL_API W_Wendal_Get_Card(int *card);                                         /* 3 */
int WENDAL_API W_Wendal_Clock_Start(int divisor1, int divisor2);                     /* 4 */
int WENDAL_API W_Wendal_Clock_Stop(void);                                            /* 5 */
int WENDAL_API W_Wendal_DI_Port(int port_code, unsigned char *value);                /* 6 */
int WENDAL_API W_Wendal_DO_Port(int port_code, unsigned int value);                  /* 7 */
int WENDAL_API W_Wendal_INT_Start(int count);                                        /* 9 */
int WENDAL_API W_Wendal_INT_Status(int *status, int *count);                         /* 10 */
int WENDAL_API W_Wendal_INT_Stop(int *count);                                        /* 11 */
int WENDAL_API W_Wendal_INT_Buffer(int port_code, int direction, int *buffer, int count); /* 12 */
int WENDAL_API W_Wendal_INT_Setup(void);                                             /* 13 */
/* Latches 8254 counter 0, 1 or 2 and stores its count, 0 to 65535: counter
 * latch command, then the low and the high byte. The sampling clock runs on
 * counters 1 and 2; no call programs counter 0. */
int WENDAL_API W_Wendal_Counter_Read(int counter, unsigned int *count);              /* 14 */

#ifdef __cplusplus
}
#endif

#endif
