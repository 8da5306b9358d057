/*
 * Result codes of the 8255-based card libraries (fenmar, wendal, dulvar).
 * Every entry point returns one of them, 0 on success. A failure is reported
 * before any port is touched and leaves every out-parameter unwritten, with
 * two exceptions: Interrupt_Unavailable comes from an arming that has done its
 * work (pattern port at 0, input lines reasserted, transfer running) and only
 * then found no way to attach the level; and the status query of a free card
 * slot (Card_Not_Initial) writes Transfer_Not_Armed and a count of 0 when
 * both pointers are given.
 * Codes 0 to 8, 20 and 30 mean what they mean for the kestan library, with one
 * addition: an initialise whose ports cannot be claimed (Base_Address_In_Use
 * from other hardware or another driver) leaves that card's slot free, as an
 * invalid base address does, so later calls on it return Card_Not_Initial.
 * Another slot holding some of the ports is refused with the same code and
 * leaves the slot as it was.
 *
 * Status of the interrupt transfer, as the status query (INT_Status)
 * reports it:
 *   Transfer_Finished   the armed transfer has ended: all N interrupts
 *                       served (at once for N of 0 or below), or stopped
 *                       by INT_Stop; the count is where it ended
 *   Transfer_Armed      armed, fewer than N interrupts served so far
 *   Transfer_Not_Armed  nothing armed: the card slot is free, or no arming
 *                       since the card was initialised or since INT_Setup;
 *                       the count is 0
 */
#ifndef KIT_PORT_CARD_ERRORS_H
#define KIT_PORT_CARD_ERRORS_H

/* No_Error, Card_Not_Initial, Invalid_Card_Number (card outside 0 to 7),
 * Invalid_Base_Address, Base_Address_In_Use (another slot, other hardware or
 * another driver holds some of the ports), Invalid_Counter_Number (wendal)
 * and Invalid_Pointer (a buffer or out-parameter pointer is null). */
#include "card_results.h"

enum PortCardError {
  Invalid_IRQ_Level = 3,     /* interrupt level outside 2 to 15 */
  Invalid_Port_Code = 8,     /* channel outside the card's channels, or group outside 0 to 4 */
  Invalid_Direction = 24,    /* transfer direction other than 1 (input) or 2 (output) */
  Invalid_Count = 25,        /* buffer of fewer than 1 value; arming for more values than a buffer holds */
  Transfer_Running = 26,     /* a buffer cannot change under a running transfer */
  Interrupt_Unavailable = 27, /* the level could not be attached; the transfer waits for ever */
  Invalid_Clock_Divisor = 28 /* wendal: a divisor below 1, or a product no two counters can make */
};

enum PortCardTransferStatus {
  Transfer_Finished = 0,
  Transfer_Armed = 1,
  Transfer_Not_Armed = 2
};

#endif
