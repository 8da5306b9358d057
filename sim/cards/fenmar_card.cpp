// Fenmar card: one 8255; see port_cards.h.
#include <memory>

#include "cards/port_cards.h"
#include "cards/ppi_card.h"
#include "fenmar_registers.h"

namespace sim {

namespace {

// bank: 0 Port A, 1 Port B, 2 Port C
const int kFenmarCable[] = {2, -1, 0};
static_assert(sizeof kFenmarCable / sizeof kFenmarCable[0] == fenmar::kChannels * Ppi8255::kPorts,
              "a cable end for every bank");

// The interrupt line is on channel 0's Port C.
const PpiCardLayout kFenmarLayout = {"fenmar", fenmar::kPorts, fenmar::kChannels, kFenmarCable, Ppi8255::kPortC,
                                     fenmar::kIrqLine};

}  // namespace

std::unique_ptr<CardModel> make_fenmar_card(void *state, bool power_up) {
  return card_over<PpiCard>(state, power_up, kFenmarLayout);
}

}  // namespace sim
