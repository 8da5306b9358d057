// Fenmar card: one 8255; see port_cards.h.
#include <memory>

#include "cards/port_cards.h"
#include "cards/ppi_card.h"

namespace sim {

namespace {

// bank: 0 Port A, 1 Port B, 2 Port C
const int kFenmarCable[] = {2, -1, 0};

const PpiCardLayout kFenmarLayout = {"fenmar", kFenmarPorts, 1, kFenmarCable, 2, 0};

}  // namespace

std::unique_ptr<CardModel> make_fenmar_card(void *state, bool power_up) {
  return card_over<PpiCard>(state, power_up, kFenmarLayout);
}

}  // namespace sim
