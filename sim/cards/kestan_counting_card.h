// A Kestan card with a counting fixture in its test socket instead of the
// loopback cable (rack kind "kestan_counter"): its input lines show a 32-bit
// count that steps by one before every read cycle of input port 0 (a byte
// read at offset 0 or a word read at 0), so a program that reads port 0 on
// each pass sees new inputs on every pass, whatever it writes. Reads of
// ports 1 to 3 show the count reached, so a pass that reads port 0 first
// sees one 32-bit value. The count starts at 0 (the first read of port 0
// gives 1) and wraps. Looking at the lines (iosim_read_inputs) steps nothing.
//
// It is a Kestan card to its driver (kind "kestan"); outputs, timer, lines
// driven from outside and iosim_set_loopback (0 pulls the fixture: inputs
// float high) are the Kestan card's.
#ifndef KIT_SIM_KESTAN_COUNTING_CARD_H
#define KIT_SIM_KESTAN_COUNTING_CARD_H

#include <memory>

#include "card_model.h"

namespace sim {

std::unique_ptr<CardModel> make_kestan_counting_card(void *state = nullptr, bool power_up = true);

}  // namespace sim

#endif
