#include "cards/ppi_card.h"

namespace sim {

PpiCard::PpiCard(const PpiCardLayout &layout, State *state)
    : layout_(layout), st_(state ? state : &own_) {
  for (int c = 0; c < layout_.chips; ++c) {
    pin_context_[c] = PinContext{this, c};
    chips_[c].bind(&st_->chips[c]);
    chips_[c].connect_pins(pins_of, &pin_context_[c]);
  }
}

uint8_t PpiCard::pins_of(void *context, int port) {
  const PinContext *pc = static_cast<const PinContext *>(context);
  return pc->card->line_levels(pc->chip * Ppi8255::kPorts + port);
}

uint8_t PpiCard::own_drive_mask(int bank) const {
  return chips_[bank / Ppi8255::kPorts].drive_mask(bank % Ppi8255::kPorts);
}

uint8_t PpiCard::own_latch(int bank) const {
  return chips_[bank / Ppi8255::kPorts].latch(bank % Ppi8255::kPorts);
}

uint8_t PpiCard::line_levels(int bank) const {
  unsigned level = 0xFF;
  const uint8_t own = own_drive_mask(bank);
  level &= own_latch(bank) | static_cast<uint8_t>(~own);
  const uint8_t forced = st_->forced_mask[bank];
  level &= st_->forced_value[bank] | static_cast<uint8_t>(~forced);
  const int other = layout_.cable[bank];
  if (st_->loopback && other >= 0) {
    // Lines driven from outside at either end are off the cable.
    const uint8_t joined = static_cast<uint8_t>(~forced & ~st_->forced_mask[other]);
    const uint8_t far = own_drive_mask(other) & joined;
    level &= own_latch(other) | static_cast<uint8_t>(~far);
  }
  return static_cast<uint8_t>(level);
}

uint8_t PpiCard::read8(unsigned offset) {
  const unsigned chip = offset / kChipStride;
  if (chip >= static_cast<unsigned>(layout_.chips)) return 0xFF;
  return chips_[chip].read(offset % kChipStride);
}

void PpiCard::write8(unsigned offset, uint8_t value) {
  const unsigned chip = offset / kChipStride;
  if (chip >= static_cast<unsigned>(layout_.chips)) return;
  chips_[chip].write(offset % kChipStride, value);
  watch_interrupt_line();
}

void PpiCard::watch_interrupt_line() {
  if (layout_.irq_bank < 0) return;
  const bool now = ((line_levels(layout_.irq_bank) >> layout_.irq_bit) & 1) != 0;
  const bool rising = now && !st_->irq_level;
  st_->irq_level = now;
  if (rising) raise_interrupt();
}

bool PpiCard::outputs(int bank, uint32_t *value) const {
  if (bank < 0 || bank >= banks()) return false;
  *value = own_latch(bank) & own_drive_mask(bank);
  return true;
}

bool PpiCard::inputs(int bank, uint32_t *value) const {
  if (bank < 0 || bank >= banks()) return false;
  *value = line_levels(bank);
  return true;
}

bool PpiCard::drive_inputs(int bank, uint32_t mask, uint32_t value) {
  if (bank < 0 || bank >= banks()) return false;
  const uint8_t m = static_cast<uint8_t>(mask);
  st_->forced_mask[bank] |= m;
  st_->forced_value[bank] = static_cast<uint8_t>((st_->forced_value[bank] & ~m) | (value & m));
  watch_interrupt_line();
  return true;
}

bool PpiCard::release_inputs(int bank, uint32_t mask) {
  if (bank < 0 || bank >= banks()) return false;
  st_->forced_mask[bank] &= static_cast<uint8_t>(~mask);
  watch_interrupt_line();
  return true;
}

void PpiCard::set_loopback(bool on) {
  st_->loopback = on;
  watch_interrupt_line();
}

}  // namespace sim
