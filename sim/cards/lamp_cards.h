// The plain digital cards behind the lamp-row panels: inputs and outputs in
// byte registers, no chips, no interrupts (register maps of their drivers:
// cardlibs/<card>/<card>_registers.h).
//
//   orvel   16 ports, 32 lines: inputs read at + 0..3, outputs written at + 4..7
//   sarrow   8 ports, 16 lines: inputs read and outputs written at + 0..1
//   pellin   2 ports,  8 lines: inputs read at + 0, outputs written at + 1
//
// Lines (bank 0): outputs are 0 at power-up. The test cable joins output n
// to input n; without it an input floats high. A line driven from outside
// overrides both. Every other offset reads FFH and ignores writes.
#ifndef KIT_SIM_LAMP_CARDS_H
#define KIT_SIM_LAMP_CARDS_H

#include <memory>

#include "card_model.h"

namespace sim {

struct DigitalCardLayout {
  const char *kind;
  unsigned ports;
  unsigned lines;          // 8, 16 or 32
  unsigned input_offset;   // first input byte
  unsigned output_offset;  // first output byte
};

class DigitalCard : public CardModel {
 public:
  struct State {
    uint32_t outputs = 0;
    uint32_t driven_mask = 0;
    uint32_t driven_value = 0;
    uint8_t loopback = 1;
  };

  DigitalCard(const DigitalCardLayout *layout, State *state)
      : layout_(layout), st_(state ? state : &own_) {}

  const char *kind() const override { return layout_->kind; }
  unsigned length() const override { return layout_->ports; }
  uint8_t read8(unsigned offset) override;
  void write8(unsigned offset, uint8_t value) override;

  bool outputs(int bank, uint32_t *value) const override;
  bool inputs(int bank, uint32_t *value) const override;
  bool drive_inputs(int bank, uint32_t mask, uint32_t value) override;
  bool release_inputs(int bank, uint32_t mask) override;
  void set_loopback(bool on) override { st_->loopback = on; }

 private:
  uint32_t line_mask() const;
  uint32_t input_lines() const;
  // Byte n of the card's lines when offset addresses one, else -1.
  int byte_at(unsigned offset, unsigned first) const;

  const DigitalCardLayout *layout_;
  State own_{};
  State *st_;
};

std::unique_ptr<CardModel> make_orvel_card(void *state = nullptr, bool power_up = true);
std::unique_ptr<CardModel> make_sarrow_card(void *state = nullptr, bool power_up = true);
std::unique_ptr<CardModel> make_pellin_card(void *state = nullptr, bool power_up = true);

}  // namespace sim

#endif
