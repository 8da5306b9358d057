/*
 * kestan: driver of the Kestan card, 32 digital inputs, 32 digital outputs
 * and a three-counter timer chip in eight consecutive I/O ports from a base
 * address between 200H and 3F8H.
 *
 * The library keeps a table of up to eight cards (card numbers 0 to 7) and
 * one current card, shared by every caller in the process. Every input,
 * output and counter call acts on the current card. kestan.dll exports the
 * thirteen functions under their plain names and under the ordinals noted
 * beside them; programs bind them by ordinal.
 *
 * Every function returns one of the codes below, No_Error on success, and
 * reports a failure before it touches any port. A value is stored through a
 * pointer argument only on success. Range checks are signed: negative
 * numbers are out of range. Where a value is said to be 8 or 16 bits wide,
 * only its low 8 or 16 bits are used.
 */
#ifndef KESTAN_H
#define KESTAN_H

#include "card_results.h"

#ifdef _WIN32
#define KESTAN_CALL __stdcall
#else
#define KESTAN_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Error codes. The shared ones (card_results.h): No_Error, Card_Not_Initial
 * (the slot of the requested card for W_Kestan_Set_Card, of the current card
 * for all others), Invalid_Card_Number (outside 0 to 7),
 * Invalid_Base_Address (outside the card's range or off its step; the
 * initialising call then frees that card's slot), Base_Address_In_Use
 * (another initialised card holds the base address), Invalid_Counter_Number
 * and Invalid_Pointer (checked after the card slot and the other arguments). */

/* The kestan library's own codes. */
enum {
  Invalid_Port_Number    = 8,  /* 8-bit port number outside 0 to 3 */
  Invalid_Port16_Number  = 9,  /* 16-bit port number outside 0 to 1 */
  Invalid_Channel_Number = 12, /* channel outside 0 to 31 */
  Invalid_DO_Value       = 17, /* single-channel output value other than 0 or 1 */
  Invalid_Counter_Mode   = 21  /* counter mode outside 0 to 5 */
};

/* Card table (ordinals 1 to 3). */

/* Registers card (0 to 7) at base (200H to 3F8H, step 8) and makes it the
 * current card. Touches no port and keeps the card's output shadow. */
int KESTAN_CALL W_Kestan_Initial(int card, int base);                              /* @1 */
/* Makes an initialised card the current card. */
int KESTAN_CALL W_Kestan_Set_Card(int card);                                       /* @2 */
/* Stores the current card number, if its slot is initialised. */
int KESTAN_CALL W_Kestan_Get_Card(int *card);                                      /* @3 */

/* Digital input and output (ordinals 4 to 10). Channel n is bit n % 8 of
 * 8-bit port n / 8 (base + port); 16-bit port q is the word at base + 2q. */

int KESTAN_CALL W_Kestan_DI_8(int port, unsigned char *value);                     /* @4 */
/* Stores 0 or 1. */
int KESTAN_CALL W_Kestan_DI_Channel(int channel, int *value);                      /* @5 */
/* Stores 0 to 65535. */
int KESTAN_CALL W_Kestan_DI_16(int port, unsigned int *value);                     /* @6 */
/* value: 8 bits. */
int KESTAN_CALL W_Kestan_DO_8(int port, unsigned int value);                       /* @7 */
/* value: 8 bits, 0 or 1. The other seven outputs of the channel's port are
 * written again with the values the library last wrote to them. */
int KESTAN_CALL W_Kestan_DO_Channel(int channel, unsigned int value);              /* @8 */
/* value: 16 bits. */
int KESTAN_CALL W_Kestan_DO_16(int port, unsigned int value);                      /* @9 */
/* Stores the byte the library last wrote to 8-bit port (0 at load). */
int KESTAN_CALL W_Kestan_Read_Back(int port, unsigned char *value);                /* @10 */

/* Counter/timer (ordinals 11 to 13): counters 0 to 2 of the card's 8254. */

/* mode 0 to 5; count: 16 bits. */
int KESTAN_CALL W_Kestan_Timer_Start(int counter, int mode, unsigned int count);   /* @11 */
/* Stores the latched count, 0 to 65535. */
int KESTAN_CALL W_Kestan_Timer_Read(int counter, unsigned int *count);             /* @12 */
/* Stores the count latched just before the counter is reloaded with 1. */
int KESTAN_CALL W_Kestan_Timer_Stop(int counter, unsigned int *count);             /* @13 */

#ifdef __cplusplus
}
#endif

#endif
