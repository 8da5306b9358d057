// A recording stand-in of a port card's library for the in-process panel
// tests: each entry point the panel imports records its ordinal and
// arguments in port_calls; a read stores the group's value from
// port_inputs[channel][group] (channel = code / 256), as a card whose lines
// are driven from outside would.
#ifndef KIT_PORT_STANDIN_H
#define KIT_PORT_STANDIN_H

#include <cstdint>

#include "call_sequence.h"

enum { STANDIN_CHANNELS = 6, STANDIN_GROUPS = 5 };

extern CallLog port_calls;
extern uint8_t port_inputs[STANDIN_CHANNELS][STANDIN_GROUPS];

void port_standin_reset();

// What the card's entry points do, given their ordinals.
int standin_initial(int ordinal, int card, int base, int irq_level);
int standin_set_card(int ordinal, int card);
int standin_read(int ordinal, int port_code, unsigned char *value);
int standin_write(int ordinal, int port_code, unsigned int value);

// The card's names for the dumps, defined by each card's stand-in.
extern const CallName standin_names[];

#endif
