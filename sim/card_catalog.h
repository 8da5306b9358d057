// The card kinds the simulator can plug, by name. One line per model in
// card_catalog.cpp.
#ifndef KIT_SIM_CARD_CATALOG_H
#define KIT_SIM_CARD_CATALOG_H

#include <cstddef>
#include <memory>

#include "card_model.h"

namespace sim {

struct CardKind {
  const char *name;  // "kestan", "orvel", ...
  unsigned base_step;  // its base switches set a multiple of this
  // A view over state; power_up first puts the card in its power-up state.
  std::unique_ptr<CardModel> (*make)(void *state, bool power_up);
};

// The window ISA cards sit in: every port of a card lies in it.
constexpr unsigned kCardWindowFirst = 0x200, kCardWindowLast = 0x3FF;

// The number of ports a card of the kind decodes.
unsigned card_length(const CardKind &kind);
// A card of the kind can sit at base: a multiple of its step, all its ports
// in the card window. Otherwise false, with why (size bytes) saying so.
bool base_fits(const CardKind &kind, unsigned base, char *why, size_t size);

// nullptr for an unknown name. Names compare case-insensitively.
const CardKind *find_card_kind(const char *name);
// The kinds by number (their place in the catalog, which the shared
// simulated PC records): nullptr past the end.
const CardKind *card_kind_at(int index);
int card_kind_index(const CardKind *kind);

}  // namespace sim

#endif
