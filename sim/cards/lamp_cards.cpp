#include "cards/lamp_cards.h"

#include "orvel_registers.h"
#include "pellin_registers.h"
#include "sarrow_registers.h"

namespace sim {

namespace {

const DigitalCardLayout kOrvel = {"orvel", orvel::kPorts, orvel::kChannels, orvel::kInputOffset,
                                  orvel::kOutputOffset};
const DigitalCardLayout kSarrow = {"sarrow", sarrow::kPorts, sarrow::kChannels, sarrow::kDataOffset,
                                   sarrow::kDataOffset};
const DigitalCardLayout kPellin = {"pellin", pellin::kPorts, pellin::kChannels, pellin::kInputOffset,
                                   pellin::kOutputOffset};

}  // namespace

uint32_t DigitalCard::line_mask() const {
  return layout_->lines == 32 ? 0xFFFFFFFFu : (1u << layout_->lines) - 1;
}

uint32_t DigitalCard::input_lines() const {
  uint32_t cable = st_->loopback ? st_->outputs : 0xFFFFFFFFu;
  return ((cable & ~st_->driven_mask) | (st_->driven_value & st_->driven_mask)) & line_mask();
}

int DigitalCard::byte_at(unsigned offset, unsigned first) const {
  if (offset < first || offset >= first + layout_->lines / 8) return -1;
  return static_cast<int>(offset - first);
}

uint8_t DigitalCard::read8(unsigned offset) {
  int n = byte_at(offset, layout_->input_offset);
  return n < 0 ? 0xFF : static_cast<uint8_t>(input_lines() >> (8 * n));
}

void DigitalCard::write8(unsigned offset, uint8_t value) {
  int n = byte_at(offset, layout_->output_offset);
  if (n < 0) return;
  unsigned shift = 8 * static_cast<unsigned>(n);
  st_->outputs = (st_->outputs & ~(0xFFu << shift)) | (uint32_t(value) << shift);
}

bool DigitalCard::outputs(int bank, uint32_t *value) const {
  if (bank != 0) return false;
  *value = st_->outputs;
  return true;
}

bool DigitalCard::inputs(int bank, uint32_t *value) const {
  if (bank != 0) return false;
  *value = input_lines();
  return true;
}

bool DigitalCard::drive_inputs(int bank, uint32_t mask, uint32_t value) {
  if (bank != 0) return false;
  mask &= line_mask();
  st_->driven_mask |= mask;
  st_->driven_value = (st_->driven_value & ~mask) | (value & mask);
  return true;
}

bool DigitalCard::release_inputs(int bank, uint32_t mask) {
  if (bank != 0) return false;
  st_->driven_mask &= ~mask;
  return true;
}

std::unique_ptr<CardModel> make_orvel_card(void *state, bool power_up) {
  return card_over<DigitalCard>(state, power_up, &kOrvel);
}
std::unique_ptr<CardModel> make_sarrow_card(void *state, bool power_up) {
  return card_over<DigitalCard>(state, power_up, &kSarrow);
}
std::unique_ptr<CardModel> make_pellin_card(void *state, bool power_up) {
  return card_over<DigitalCard>(state, power_up, &kPellin);
}

}  // namespace sim
