// The three 8255-based cards, as the bus plugs them (sim/card_catalog.cpp);
// their geometry is their library's (cardlibs/<card>/<card>_registers.h).
//
//   fenmar  4 ports: one 8255 at base + 0..3. Cable: Port A joined to Port C
//           line for line, Port B open. Interrupt on the rising edge of
//           Port C line 0 (bank 2, bit 0).
//   wendal 12 ports: 8255 channel 0 at + 0..3, channel 1 at + 4..7, an 8254
//           at + 8..11 (counter 0, 1, 2 data, control). Cable: channel 0
//           joined to channel 1 port for port. Interrupt from the 8254
//           (wendal_card.h).
//   dulvar 24 ports: 8255 channel c at + 4c..4c + 3, c = 0..5. Cable: channel
//           0 joined to 1, 2 to 3, 4 to 5, port for port. Interrupt on the
//           rising edge of Port C line 3 of channel 0 (bank 2, bit 3).
#ifndef KIT_SIM_PORT_CARDS_H
#define KIT_SIM_PORT_CARDS_H

#include <memory>

#include "card_model.h"

namespace sim {

std::unique_ptr<CardModel> make_fenmar_card(void *state = nullptr, bool power_up = true);
std::unique_ptr<CardModel> make_wendal_card(void *state = nullptr, bool power_up = true);
std::unique_ptr<CardModel> make_dulvar_card(void *state = nullptr, bool power_up = true);

}  // namespace sim

#endif
