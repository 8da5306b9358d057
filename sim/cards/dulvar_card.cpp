// Dulvar card: six 8255 channels; see port_cards.h.
#include <memory>

#include "cards/port_cards.h"
#include "cards/ppi_card.h"
#include "dulvar_registers.h"

namespace sim {

namespace {

// Bank 3 x channel + port; the cable joins channel 2k to 2k + 1 port for port.
const int kDulvarCable[] = {3, 4, 5, 0, 1, 2, 9, 10, 11, 6, 7, 8, 15, 16, 17, 12, 13, 14};
static_assert(sizeof kDulvarCable / sizeof kDulvarCable[0] == dulvar::kChannels * Ppi8255::kPorts,
              "a cable end for every bank");

// The interrupt line is on channel 0's Port C.
const PpiCardLayout kDulvarLayout = {"dulvar", dulvar::kPorts, dulvar::kChannels, kDulvarCable, Ppi8255::kPortC,
                                     dulvar::kIrqLine};

}  // namespace

std::unique_ptr<CardModel> make_dulvar_card(void *state, bool power_up) {
  return card_over<PpiCard>(state, power_up, kDulvarLayout);
}

}  // namespace sim
