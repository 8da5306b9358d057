#include "cards/wendal_card.h"

#include <memory>

#include "cards/port_cards.h"
#include "chips/timebase.h"

namespace sim {

namespace {

// Bank 3 x channel + port; the cable joins channel 0 to channel 1 port for port.
const int kWendalCable[] = {3, 4, 5, 0, 1, 2};
static_assert(sizeof kWendalCable / sizeof kWendalCable[0] == wendal::kChannels * Ppi8255::kPorts,
              "a cable end for every bank");

const PpiCardLayout kWendalLayout = {"wendal", wendal::kPorts, wendal::kChannels, kWendalCable, -1, 0};

}  // namespace

WendalCard::WendalCard(State *state)
    : PpiCard(kWendalLayout, state ? &state->ppi : nullptr),
      st_(state ? state : &own_),
      timer_(&st_->timer) {
  timer_.chain(kCascadeFrom, kCascadeTo);
  timer_.on_out_change([this](int counter, bool level) {
    if (counter == kCascadeTo && level) raise_interrupt();
  });
}

uint8_t WendalCard::read8(unsigned offset) {
  if (offset >= kTimerFirst && offset < wendal::kPorts) return timer_.read(offset - kTimerFirst);
  return PpiCard::read8(offset);
}

void WendalCard::write8(unsigned offset, uint8_t value) {
  if (offset >= kTimerFirst && offset < wendal::kPorts) {
    timer_.write(offset - kTimerFirst, value);
    return;
  }
  PpiCard::write8(offset, value);
}

void WendalCard::advance_to(uint64_t now_ns) {
  if (!st_->clock_started) {
    st_->clock_started = 1;
    st_->clock_origin_ns = now_ns;
    return;
  }
  if (now_ns < st_->clock_origin_ns) return;
  const uint64_t due = ticks_in(now_ns - st_->clock_origin_ns, kWendalTimerHz);
  if (due > st_->ticks_done) {
    timer_.advance(due - st_->ticks_done);
    st_->ticks_done = due;
  }
}

std::unique_ptr<CardModel> make_wendal_card(void *state, bool power_up) {
  return card_over<WendalCard>(state, power_up);
}

}  // namespace sim
