#include "cards/kestan_card.h"

#include "chips/timebase.h"

namespace sim {

namespace {

constexpr unsigned kDataPorts = kestan::kPortCount;

uint8_t byte_of(uint32_t word, unsigned n) { return static_cast<uint8_t>(word >> (8 * n)); }

}  // namespace

KestanCard::KestanCard(State *state) : st_(state ? state : &own_), timer_(&st_->timer) {
  timer_.on_out_change([this](int counter, bool level) {
    if (counter == kInterruptCounter && level) raise_interrupt();
  });
}

uint32_t KestanCard::input_lines() const {
  return (socket_lines() & ~st_->driven_mask) | (st_->driven_value & st_->driven_mask);
}

uint8_t KestanCard::read8(unsigned offset) {
  if (offset < kDataPorts) {
    before_input_read(offset);
    return byte_of(input_lines(), offset);
  }
  if (offset < kPorts - 1) return timer_.read(offset - kTimerFirst);
  return 0xFF;
}

void KestanCard::write8(unsigned offset, uint8_t value) {
  if (offset < kDataPorts) {
    unsigned shift = 8 * offset;
    st_->outputs = (st_->outputs & ~(0xFFu << shift)) | (uint32_t(value) << shift);
  } else if (offset < kPorts) {
    timer_.write(offset - kTimerFirst, value);
  }
}

uint16_t KestanCard::read16(unsigned offset) {
  if (offset == 0 || offset == 2) {
    before_input_read(offset);
    return static_cast<uint16_t>(input_lines() >> (8 * offset));
  }
  return CardModel::read16(offset);
}

void KestanCard::write16(unsigned offset, uint16_t value) {
  if (offset == 0 || offset == 2) {
    unsigned shift = 8 * offset;
    st_->outputs = (st_->outputs & ~(0xFFFFu << shift)) | (uint32_t(value) << shift);
    return;
  }
  CardModel::write16(offset, value);
}

bool KestanCard::outputs(int bank, uint32_t *value) const {
  if (bank != 0) return false;
  *value = st_->outputs;
  return true;
}

bool KestanCard::inputs(int bank, uint32_t *value) const {
  if (bank != 0) return false;
  *value = input_lines();
  return true;
}

bool KestanCard::drive_inputs(int bank, uint32_t mask, uint32_t value) {
  if (bank != 0) return false;
  st_->driven_mask |= mask;
  st_->driven_value = (st_->driven_value & ~mask) | (value & mask);
  return true;
}

bool KestanCard::release_inputs(int bank, uint32_t mask) {
  if (bank != 0) return false;
  st_->driven_mask &= ~mask;
  return true;
}

void KestanCard::advance_to(uint64_t now_ns) {
  if (!st_->clock_started) {
    st_->clock_started = 1;
    st_->clock_origin_ns = now_ns;
    return;
  }
  if (now_ns < st_->clock_origin_ns) return;
  uint64_t due = ticks_in(now_ns - st_->clock_origin_ns, kKestanTimerHz);
  if (due > st_->ticks_done) {
    timer_.advance(due - st_->ticks_done);
    st_->ticks_done = due;
  }
}

std::unique_ptr<CardModel> make_kestan_card(void *state, bool power_up) {
  return card_over<KestanCard>(state, power_up);
}

}  // namespace sim
