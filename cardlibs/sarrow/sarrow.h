/*
 * sarrow: driver of the Sarrow card, 16 digital inputs and 16 digital
 * outputs in 8 ports from a base address between 200H and 3F8H (a multiple
 * of 8; register map in sarrow_registers.h).
 *
 * The library keeps a table of four cards (card numbers 0 to 3) and one
 * current card, on which every input and output call acts. Initialising a
 * card claims its port range through ioport, which on the simulated PC plugs
 * a Sarrow card there. sarrow.dll exports the functions under their plain
 * names and the ordinals noted beside them; programs bind them by ordinal.
 *
 * Every function returns one of the codes below, Sarrow_No_Error on success;
 * a failing call touches no port, changes nothing and writes no result,
 * except that an initialise refused with Sarrow_Ports_In_Use leaves that
 * card's slot free (the card is not at its old address either).
 * Range checks are signed.
 */
#ifndef SARROW_H
#define SARROW_H

#ifdef _WIN32
#define SARROW_CALL __stdcall
#else
#define SARROW_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum {
  Sarrow_No_Error               = 0,
  Sarrow_Card_Not_Initial       = 1,  /* the addressed card slot is free */
  Sarrow_Invalid_Card_Number    = 2,  /* card number outside 0 to 3 */
  Sarrow_Invalid_Base_Address   = 4,  /* outside 200H to 3F8H or not a multiple of 8 */
  Sarrow_Base_Address_In_Use    = 6,  /* another initialised card holds the address */
  Sarrow_Ports_In_Use           = 7,  /* the ports belong to another card; the slot is left free */
  Sarrow_Invalid_Channel_Number = 12, /* channel outside 0 to 15 */
  Sarrow_Invalid_DO_Value       = 17, /* single-channel value other than 0 or 1 */
  Sarrow_Invalid_Pointer        = 30  /* null result pointer (checked last) */
};

int SARROW_CALL W_Sarrow_Initial(int card, int base);                  /* @1 */
int SARROW_CALL W_Sarrow_Set_Card(int card);                           /* @2 */
int SARROW_CALL W_Sarrow_Get_Card(int *card);                          /* @3 */
/* Stores the 16 inputs, 0 to 65535 (bit n = input n). */
int SARROW_CALL W_Sarrow_DI(unsigned int *value);                      /* @4 */
/* Drives output n from bit n of value, n = 0 to 15. */
int SARROW_CALL W_Sarrow_DO(unsigned int value);                       /* @5 */
/* Stores 0 or 1. */
int SARROW_CALL W_Sarrow_DI_Channel(int channel, int *value);          /* @6 */
/* The other outputs keep what the library last wrote to them. */
int SARROW_CALL W_Sarrow_DO_Channel(int channel, unsigned int value);  /* @7 */
/* The outputs the library last wrote (0 at load). */
int SARROW_CALL W_Sarrow_Read_Back(unsigned int *value);               /* @8 */

#ifdef __cplusplus
}
#endif

#endif
