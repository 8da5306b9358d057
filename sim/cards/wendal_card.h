// Model of the Wendal card: two 8255 channels (PpiCard, see port_cards.h)
// and an 8254 for the sampling clock.
//
//   offset 0-3   8255 channel 0      offset 4-7   8255 channel 1
//   offset 8-10  8254 counter 0, 1, 2 data
//   offset 11    8254 control (write-only: a read gives FFH)
//
// Clocking: counters 0 and 1 count the card's 2,000,000 Hz oscillator
// (kWendalTimerHz); counter 1's OUT is counter 2's CLK (cascade); all gates
// are tied high. Each rising edge of counter 2's OUT requests the card's
// interrupt, so in mode 2 the request comes every count 1 x count 2
// oscillator periods. Time is brought up to date in advance_to, in order,
// so that every request is raised even when many are due at once.
#ifndef KIT_SIM_WENDAL_CARD_H
#define KIT_SIM_WENDAL_CARD_H

#include <cstdint>

#include "cards/ppi_card.h"
#include "chips/pit8254.h"
#include "wendal_registers.h"

namespace sim {

constexpr uint64_t kWendalTimerHz = wendal::kClockHz;

class WendalCard : public PpiCard {
 public:
  static constexpr unsigned kTimerFirst = wendal::kTimerOffset;
  static constexpr int kCascadeFrom = wendal::kCascadeFrom;
  static constexpr int kCascadeTo = wendal::kCascadeTo;

  struct State {
    PpiCard::State ppi;
    Pit8254::State timer;
    uint8_t clock_started = 0;
    uint64_t clock_origin_ns = 0;
    uint64_t ticks_done = 0;
  };

  explicit WendalCard(State *state = nullptr);

  bool has_time_source() const override { return true; }
  bool has_interrupt_source() const override { return true; }

  uint8_t read8(unsigned offset) override;
  void write8(unsigned offset, uint8_t value) override;
  void advance_to(uint64_t now_ns) override;

  Pit8254 &timer() { return timer_; }

 private:
  State own_{};
  State *st_;
  Pit8254 timer_;
};

}  // namespace sim

#endif
