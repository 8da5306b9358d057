// The part shared by the 8255-based cards (Fenmar, Wendal, Dulvar): a row of
// 8255 chips four ports apart from the card's base, their lines in banks, the
// test cable that joins banks, and an optional interrupt line.
//
//   offset 4 x chip + 0..3   8255 number chip: Port A, B, C, control
//
// Lines: bank 3 x chip + port (0 A, 1 B, 2 C), 8 lines each. The level of a
// line is what drives it: the chip's own output, the output at the other end
// of the cable (when the cable is in and neither end is driven from outside),
// and a level driven from outside (iosim_drive_inputs), which takes the line
// off the cable. A line nothing drives floats high (1). Two drivers at once
// (an output joined to an output) give the AND of their levels: a low output
// sinks the line, as on the real parts.
//
// Interrupt line: a card may name one line (bank and bit) whose rising edge
// requests its interrupt (raise_interrupt). The level is looked at after
// every port write and every change made from outside, so the request follows
// at once the write that caused it.
#ifndef KIT_SIM_PPI_CARD_H
#define KIT_SIM_PPI_CARD_H

#include <cstdint>

#include "card_model.h"
#include "chips/ppi8255.h"

namespace sim {

struct PpiCardLayout {
  const char *kind;
  unsigned length;     // ports the card decodes
  int chips;           // 8255 chips at offsets 0, 4, 8, ...
  const int *cable;    // per bank: the bank the test cable joins it to, or -1
  int irq_bank;        // bank of the interrupt line, -1 for none
  int irq_bit;         // line of that bank
};

class PpiCard : public CardModel {
 public:
  static constexpr int kMaxChips = 6;
  static constexpr unsigned kChipStride = 4;

  struct State {
    Ppi8255::State chips[kMaxChips];
    uint8_t forced_mask[kMaxChips * Ppi8255::kPorts] = {};
    uint8_t forced_value[kMaxChips * Ppi8255::kPorts] = {};
    uint8_t loopback = 1;
    uint8_t irq_level = 1;  // every line floats high at power-up
  };

  PpiCard(const PpiCardLayout &layout, State *state);

  const char *kind() const override { return layout_.kind; }
  unsigned length() const override { return layout_.length; }
  bool has_interrupt_source() const override { return layout_.irq_bank >= 0; }

  uint8_t read8(unsigned offset) override;
  void write8(unsigned offset, uint8_t value) override;

  bool outputs(int bank, uint32_t *value) const override;
  bool inputs(int bank, uint32_t *value) const override;
  bool drive_inputs(int bank, uint32_t mask, uint32_t value) override;
  bool release_inputs(int bank, uint32_t mask) override;
  void set_loopback(bool on) override;

  Ppi8255 &chip(int index) { return chips_[index]; }
  // Level of the eight lines of a bank (see above).
  uint8_t line_levels(int bank) const;

 protected:
  int banks() const { return layout_.chips * Ppi8255::kPorts; }
  // Called after anything that may move the interrupt line.
  void watch_interrupt_line();

 private:
  struct PinContext {
    const PpiCard *card;
    int chip;
  };
  static uint8_t pins_of(void *context, int port);
  uint8_t own_drive_mask(int bank) const;
  uint8_t own_latch(int bank) const;

  PpiCardLayout layout_;
  State own_{};
  State *st_;
  Ppi8255 chips_[kMaxChips];
  PinContext pin_context_[kMaxChips];
};

}  // namespace sim

#endif
