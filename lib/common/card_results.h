/*
 * The result codes every card library of the toolkit shares, name for name
 * and value for value (kestan.h and port_card_errors.h include them; the
 * lamp-card libraries give the same values their card's word, as in
 * Orvel_No_Error). A program may include the headers of several libraries.
 * Each library's header says what more a code means for its calls.
 */
#ifndef KIT_CARD_RESULTS_H
#define KIT_CARD_RESULTS_H

enum {
  No_Error               = 0,  /* success */
  Card_Not_Initial       = 1,  /* the addressed card slot is free */
  Invalid_Card_Number    = 2,  /* card number outside the library's table */
  Invalid_Base_Address   = 4,  /* base address outside the card's range or off its step */
  Base_Address_In_Use    = 6,  /* another card holds the base address or some of the ports */
  Invalid_Counter_Number = 20, /* counter outside 0 to 2 */
  Invalid_Pointer        = 30  /* a pointer that should receive a result (or a buffer)
                                  is null; checked after the other arguments */
};

#endif
