// Time on the simulated PC: the manual clock and its steps, and the ticker
// that keeps counting cards up to date (and delivers the requests of other
// processes) while this process has an interrupt handler.
#include <chrono>
#include <thread>

#include "bus.h"

namespace sim {

void Bus::advance_all(uint64_t now_ns) {
  for (int s = 0; s < kMaxCards; ++s)
    if (slot(s).used) card(s).advance_to(now_ns);
}

void Bus::clock_manual(bool on) {
  PcGuard guard(*this);
  clock_set_manual(on);
}

void Bus::clock_advance(uint64_t ns) {
  {
    PcGuard guard(*this);
    sim::clock_advance(ns);
    advance_all(clock_now_ns());
  }
  // A stepped clock promises that every request now due has been served on
  // return, also those the ticker thread happens to be serving.
  irq_.deliver_all();
}

// Under ticker_mutex_. The ticker is started at the first interrupt handler
// and lives as long as the process, asleep while no handler is attached:
// without one nothing needs the cards' time between accesses, as every
// access brings its card up to now.
void Bus::start_ticker() {
  if (ticker_started_) return;
  ticker_started_ = true;
  std::thread(&Bus::ticker_loop, this).detach();
}

void Bus::ticker_loop() {
  using Steady = std::chrono::steady_clock;
  const auto period = std::chrono::nanoseconds(kTickerPeriodNs);
  auto next = Steady::now();
  for (;;) {
    {
      std::unique_lock<std::mutex> lk(ticker_mutex_);
      if (!irq_.any_attached()) {
        ticker_wake_.wait(lk, [this] { return irq_.any_attached(); });
        next = Steady::now();
      }
    }
    next += period;
    std::this_thread::sleep_until(next);
    auto now = Steady::now();
    if (now - next > 50 * period) next = now;  // after a stall, no burst of wake-ups
    {
      PcGuard guard(*this);
      advance_all(clock_now_ns());
    }
    deliver_interrupts();
  }
}

}  // namespace sim
