// The state a tool starts a card from, before it writes: what the card
// drives. On the simulated PC that is the PC's own output latch of a lamp
// card (a program that wrote the card itself left no record); elsewhere,
// where the latch cannot be read, the card's record (card_state_file.h).
#ifndef KIT_TOOLS_CARD_START_H
#define KIT_TOOLS_CARD_START_H

#include <cstddef>

#include "card_state_file.h"

namespace cardio {

// Into state; kDamaged (state all unknown, the reason in why) when the
// record could not be read.
Record starting_state(const StateFile &file, CardState *state, char *why, size_t why_size);

}  // namespace cardio

#endif
