#include "cards/wendal_card.h"

#include <memory>

#include "cards/port_cards.h"
#include "chips/timebase.h"

namespace sim {

namespace {

// Bank 3 x channel + port; the cable joins channel 0 to channel 1 port for port.
const int kWendalCable[] = {3, 4, 5, 0, 1, 2};

const PpiCardLayout kWendalLayout = {"wendal", kWendalPorts, 2, kWendalCable, -1, 0};

}  // namespace

WendalCard::WendalCard() : PpiCard(kWendalLayout) {
  timer_.chain(kCascadeFrom, kCascadeTo);
  timer_.on_out_change([this](int counter, bool level) {
    if (counter == kCascadeTo && level) raise_interrupt();
  });
}

uint8_t WendalCard::read8(unsigned offset) {
  if (offset >= kTimerFirst && offset < kWendalPorts) return timer_.read(offset - kTimerFirst);
  return PpiCard::read8(offset);
}

void WendalCard::write8(unsigned offset, uint8_t value) {
  if (offset >= kTimerFirst && offset < kWendalPorts) {
    timer_.write(offset - kTimerFirst, value);
    return;
  }
  PpiCard::write8(offset, value);
}

void WendalCard::advance_to(uint64_t now_ns) {
  if (!clock_started_) {
    clock_started_ = true;
    clock_origin_ns_ = now_ns;
    return;
  }
  if (now_ns < clock_origin_ns_) return;
  const uint64_t due = ticks_in(now_ns - clock_origin_ns_, kWendalTimerHz);
  if (due > ticks_done_) {
    timer_.advance(due - ticks_done_);
    ticks_done_ = due;
  }
}

std::unique_ptr<CardModel> make_wendal_card() { return std::make_unique<WendalCard>(); }

}  // namespace sim
