// A recording stand-in of a panel's card library: each entry point the panel
// imports records its ordinal and arguments in standin_calls and behaves like
// a card with its test cable pulled: reads deliver standin_inputs (unless
// standin_reads_fail, which makes them fail without storing, as a library
// does for a card that was never initialised).
#ifndef KIT_STANDIN_H
#define KIT_STANDIN_H

#include <cstdint>

#include "call_sequence.h"

extern CallLog standin_calls;
extern uint32_t standin_inputs;
extern int standin_reads_fail;
// Names of the recorded ordinals, for the dumps (defined by each stand-in).
extern const CallName standin_names[];

void standin_reset();

#endif
