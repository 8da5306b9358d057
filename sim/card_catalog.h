// The card kinds the simulator can plug, by name. One line per model in
// card_catalog.cpp.
#ifndef KIT_SIM_CARD_CATALOG_H
#define KIT_SIM_CARD_CATALOG_H

#include <memory>

#include "card_model.h"

namespace sim {

struct CardKind {
  const char *name;  // "kestan", "orvel", ...
  // A view over state; power_up first puts the card in its power-up state.
  std::unique_ptr<CardModel> (*make)(void *state, bool power_up);
};

// nullptr for an unknown name. Names compare case-insensitively.
const CardKind *find_card_kind(const char *name);
// The kinds by number (their place in the catalog, which the shared
// simulated PC records): nullptr past the end.
const CardKind *card_kind_at(int index);
int card_kind_index(const CardKind *kind);

}  // namespace sim

#endif
