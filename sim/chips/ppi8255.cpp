#include "chips/ppi8255.h"

namespace sim {

using namespace ppi8255;

uint8_t Ppi8255::drive_mask(int port) const {
  switch (port) {
    case kPortA: return (st_->control & kAInput) ? 0x00 : 0xFF;
    case kPortB: return (st_->control & kBInput) ? 0x00 : 0xFF;
    case kPortC:
      return static_cast<uint8_t>(((st_->control & kCUpperInput) ? 0x00 : 0xF0) |
                                  ((st_->control & kCLowerInput) ? 0x00 : 0x0F));
    default: return 0;
  }
}

uint8_t Ppi8255::pin_levels(int port) const { return pins_ ? pins_(context_, port) : 0xFF; }

uint8_t Ppi8255::read(unsigned reg) const {
  if (reg >= kControl) return 0xFF;
  const int port = static_cast<int>(reg);
  const uint8_t driven = drive_mask(port);
  const uint8_t from_pins = driven == 0xFF ? 0 : pin_levels(port);
  return static_cast<uint8_t>((st_->latch[port] & driven) | (from_pins & ~driven));
}

void Ppi8255::write(unsigned reg, uint8_t value) {
  if (reg < kControl) {
    st_->latch[reg] = value;
    return;
  }
  if (reg != kControl) return;
  if (value & kModeSet) {
    st_->control = value;
    st_->latch[kPortA] = st_->latch[kPortB] = st_->latch[kPortC] = 0;
    return;
  }
  const uint8_t bit = static_cast<uint8_t>(1u << ((value >> 1) & 7));
  if (value & 1)
    st_->latch[kPortC] |= bit;
  else
    st_->latch[kPortC] &= static_cast<uint8_t>(~bit);
}

void Ppi8255::reset() {
  st_->control = kAllInputs;
  st_->latch[kPortA] = st_->latch[kPortB] = st_->latch[kPortC] = 0;
}

}  // namespace sim
