// The card kinds the simulator can plug, by name. One line per model in
// card_catalog.cpp.
#ifndef KIT_SIM_CARD_CATALOG_H
#define KIT_SIM_CARD_CATALOG_H

#include <memory>

#include "card_model.h"

namespace sim {

struct CardKind {
  const char *name;                      // "kestan", "orvel", ...
  std::unique_ptr<CardModel> (*make)();  // a fresh card in its power-up state
};

// nullptr for an unknown name. Names compare case-insensitively.
const CardKind *find_card_kind(const char *name);

}  // namespace sim

#endif
