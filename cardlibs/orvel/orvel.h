/*
 * orvel: driver of the Orvel card, 32 digital inputs and 32 digital outputs
 * in 16 ports from a base address between 200H and 3F0H (a multiple of 16;
 * register map in orvel_registers.h).
 *
 * The library keeps a table of four cards (card numbers 0 to 3) and one
 * current card, on which every input and output call acts. Initialising a
 * card claims its port range through ioport, which on the simulated PC plugs
 * an Orvel card there. orvel.dll exports the functions under their plain
 * names and the ordinals noted beside them; programs bind them by ordinal.
 *
 * Every function returns one of the codes below, Orvel_No_Error on success;
 * a failing call touches no port, changes nothing and writes no result,
 * except that an initialise refused with Orvel_Ports_In_Use leaves that
 * card's slot free (the card is not at its old address either).
 * Range checks are signed. Where a value is said to be 8 or 16 bits wide,
 * only its low 8 or 16 bits are used.
 */
#ifndef ORVEL_H
#define ORVEL_H

#ifdef _WIN32
#define ORVEL_CALL __stdcall
#else
#define ORVEL_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum {
  Orvel_No_Error               = 0,
  Orvel_Card_Not_Initial       = 1,  /* the addressed card slot is free */
  Orvel_Invalid_Card_Number    = 2,  /* card number outside 0 to 3 */
  Orvel_Invalid_Base_Address   = 4,  /* outside 200H to 3F0H or not a multiple of 16 */
  Orvel_Base_Address_In_Use    = 6,  /* another initialised card holds the address */
  Orvel_Ports_In_Use           = 7,  /* the ports belong to another card; the slot is left free */
  Orvel_Invalid_Port_Number    = 8,  /* 8-bit port outside 0 to 3 */
  Orvel_Invalid_Port16_Number  = 9,  /* 16-bit port outside 0 to 1 */
  Orvel_Invalid_Channel_Number = 12, /* channel outside 0 to 31 */
  Orvel_Invalid_DO_Value       = 17, /* single-channel value other than 0 or 1 */
  Orvel_Invalid_Pointer        = 30  /* null result pointer (checked last) */
};

int ORVEL_CALL W_Orvel_Initial(int card, int base);                    /* @1 */
int ORVEL_CALL W_Orvel_Set_Card(int card);                             /* @2 */
int ORVEL_CALL W_Orvel_Get_Card(int *card);                            /* @3 */
int ORVEL_CALL W_Orvel_DI_8(int port, unsigned char *value);           /* @4 */
int ORVEL_CALL W_Orvel_DI_Channel(int channel, int *value);            /* @5 */
/* Stores 0 to 65535: inputs 16q to 16q + 15 of 16-bit port q. */
int ORVEL_CALL W_Orvel_DI_16(int port, unsigned int *value);           /* @6 */
int ORVEL_CALL W_Orvel_DO_8(int port, unsigned int value);             /* @7 */
/* The other seven outputs of the channel's port keep what the library last
 * wrote to them. */
int ORVEL_CALL W_Orvel_DO_Channel(int channel, unsigned int value);    /* @8 */
int ORVEL_CALL W_Orvel_DO_16(int port, unsigned int value);            /* @9 */
/* The byte the library last wrote to 8-bit output port (0 at load). */
int ORVEL_CALL W_Orvel_Read_Back(int port, unsigned char *value);      /* @10 */

#ifdef __cplusplus
}
#endif

#endif
