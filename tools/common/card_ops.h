// Inside the card-access layer: what each call of card_access.h does on a
// card of one kind. card_access.cpp checks what every kind shares (the
// line, port and group numbers, the card's slot), then hands the call to
// the kind's row; lamp_cards.cpp fills in the rows of the lamp cards,
// ppi_cards.cpp those of the 8255 cards.
#ifndef KIT_TOOLS_CARD_OPS_H
#define KIT_TOOLS_CARD_OPS_H

#include <cstdint>

#include "card_access.h"

namespace cardio {

// The counter and clock calls of a card's library; nullptr where it has none.
struct CounterCalls {
  int (*start)(int counter, int mode, unsigned count);
  int (*read)(int counter, unsigned *count);
  int (*stop)(int counter, unsigned *count);
  int (*clock_start)(int divisor1, int divisor2);
  int (*clock_stop)();
};

struct CardOps {
  const char *name;     // the kind's name, as kind_info() spells it
  bool checks_ports;    // the library checks a port number itself (its code then tells what is wrong)
  int (*set_card)(int card);  // the library's: makes card its current one
  int (*open)(Card &card, int irq, const CardState *state);
  int (*resync)(Card &card, const CardState &state);
  int (*read_line)(Card &card, int line, int *value);
  int (*write_line)(Card &card, int line, int value);
  int (*read_port)(Card &card, int port, unsigned *value);
  int (*write_port)(Card &card, int port, unsigned value);
  int (*write_lines)(Card &card, int port, uint8_t mask, uint8_t lines);
  int (*read_back)(Card &card, int port, unsigned *value);
  int (*set_direction)(Card &card, int group, Direction direction);  // nullptr: no groups
  uint8_t (*output_mask)(const Card &card, int port);
  CounterCalls counters;
};

extern const CardOps kKestanOps, kOrvelOps, kSarrowOps, kPellinOps;  // lamp_cards.cpp
extern const CardOps kFenmarOps, kWendalOps, kDulvarOps;             // ppi_cards.cpp

const CardOps &card_ops(Kind kind);

// What both families share.

// A refusal of the layer's own: no library call made it.
inline int refuse(Card &card, int code) {
  card.last_call = Call::None;
  return code;
}

inline bool port_ok(const Card &card, int port) { return port >= 0 && port < card.info->ports; }

inline bool is_output(const Card &card, int group) { return (card.state.output_groups >> group) & 1u; }

// What port now drives (and, on an 8255 card, the groups now outputs).
inline void record_output(Card &card, int port, uint8_t byte, uint32_t groups) {
  card.state.outputs[port] = byte;
  card.state.known_ports |= 1u << port;
  card.state.output_groups |= groups;
}

}  // namespace cardio

#endif
