/*
 * pellin: driver of the Pellin card, 8 digital inputs and 8 digital outputs
 * in 2 ports from an even base address between 200H and 3FEH (register map
 * in pellin_registers.h).
 *
 * The library keeps a table of four cards (card numbers 0 to 3) and one
 * current card, on which every input and output call acts. Initialising a
 * card claims its port range through ioport, which on the simulated PC plugs
 * a Pellin card there. pellin.dll exports the functions under their plain
 * names and the ordinals noted beside them; programs bind them by ordinal.
 *
 * Every function returns one of the codes below, Pellin_No_Error on success;
 * a failing call touches no port, changes nothing and writes no result,
 * except that an initialise refused with Pellin_Ports_In_Use leaves that
 * card's slot free (the card is not at its old address either).
 * Range checks are signed.
 */
#ifndef PELLIN_H
#define PELLIN_H

#ifdef _WIN32
#define PELLIN_CALL __stdcall
#else
#define PELLIN_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum {
  Pellin_No_Error               = 0,
  Pellin_Card_Not_Initial       = 1,  /* the addressed card slot is free */
  Pellin_Invalid_Card_Number    = 2,  /* card number outside 0 to 3 */
  Pellin_Invalid_Base_Address   = 4,  /* outside 200H to 3FEH or odd */
  Pellin_Base_Address_In_Use    = 6,  /* another initialised card holds the address */
  Pellin_Ports_In_Use           = 7,  /* the ports belong to another card; the slot is left free */
  Pellin_Invalid_Channel_Number = 12, /* channel outside 0 to 7 */
  Pellin_Invalid_DO_Value       = 17, /* single-channel value other than 0 or 1 */
  Pellin_Invalid_Pointer        = 30  /* null result pointer (checked last) */
};

int PELLIN_CALL W_Pellin_Initial(int card, int base);                  /* @1 */
int PELLIN_CALL W_Pellin_Set_Card(int card);                           /* @2 */
int PELLIN_CALL W_Pellin_Get_Card(int *card);                          /* @3 */
/* Stores the 8 inputs into one byte (bit n = input n). */
int PELLIN_CALL W_Pellin_DI(unsigned char *value);                     /* @4 */
/* Drives output n from bit n of value, n = 0 to 7. */
int PELLIN_CALL W_Pellin_DO(unsigned int value);                       /* @5 */
/* Stores 0 or 1. */
int PELLIN_CALL W_Pellin_DI_Channel(int channel, int *value);          /* @6 */
/* The other outputs keep what the library last wrote to them. */
int PELLIN_CALL W_Pellin_DO_Channel(int channel, unsigned int value);  /* @7 */
/* The outputs the library last wrote (0 at load). */
int PELLIN_CALL W_Pellin_Read_Back(unsigned char *value);              /* @8 */

#ifdef __cplusplus
}
#endif

#endif
