#include "sampling_clock.h"

#include "ioport.h"

namespace wendal {

namespace {

// Both counters of the clock run as rate generators (mode 2), their counts
// written low byte, then high byte, in binary.
constexpr unsigned kRateGenerator = 2;
constexpr uint8_t kFeederMode2 = pit8254::control_word(kCascadeFrom, pit8254::kAccessLowHigh, kRateGenerator);
constexpr uint8_t kIntervalMode2 = pit8254::control_word(kCascadeTo, pit8254::kAccessLowHigh, kRateGenerator);

unsigned short timer_port(const ppicard::Card &card, unsigned reg) {
  return static_cast<unsigned short>(static_cast<unsigned>(card.base) + kTimerOffset + reg);
}

bool fits(int64_t n) { return n >= kMinCount && n <= kMaxCount; }

void load_counter(const ppicard::Card &card, unsigned counter, uint8_t control, unsigned count) {
  const unsigned written = count == kMaxCount ? 0 : count;
  io_out8(timer_port(card, pit8254::kControlRegister), control);
  io_out8(timer_port(card, counter), static_cast<uint8_t>(written));
  io_out8(timer_port(card, counter), static_cast<uint8_t>(written >> 8));
}

}  // namespace

bool split_divisors(int d1, int d2, unsigned *a, unsigned *b) {
  if (d1 < 1 || d2 < 1) return false;
  if (fits(d1) && fits(d2)) {
    *a = static_cast<unsigned>(d1);
    *b = static_cast<unsigned>(d2);
    return true;
  }
  const int64_t product = static_cast<int64_t>(d1) * d2;
  const int64_t first = product / kMaxCount > kMinCount ? product / kMaxCount : kMinCount;
  for (int64_t x = first; x <= kMaxCount && x * kMinCount <= product; ++x) {
    if (product % x == 0 && fits(product / x)) {
      *a = static_cast<unsigned>(x);
      *b = static_cast<unsigned>(product / x);
      return true;
    }
  }
  return false;
}

void idle_clock(ppicard::Card &card) {
  io_out8(timer_port(card, pit8254::kControlRegister), kIntervalMode2);
  io_out8(timer_port(card, pit8254::kControlRegister), kFeederMode2);
}

int clock_start(ppicard::Library &lib, int d1, int d2) {
  ppicard::Card *c = ppicard::current_card(lib);
  if (!c) return Card_Not_Initial;
  unsigned a = 0, b = 0;
  if (!split_divisors(d1, d2, &a, &b)) return Invalid_Clock_Divisor;
  // Counter 2 first: it holds its count before counter 1 starts feeding it.
  load_counter(*c, kCascadeTo, kIntervalMode2, b);
  load_counter(*c, kCascadeFrom, kFeederMode2, a);
  return No_Error;
}

int clock_stop(ppicard::Library &lib) {
  ppicard::Card *c = ppicard::current_card(lib);
  if (!c) return Card_Not_Initial;
  idle_clock(*c);
  return No_Error;
}

int counter_read(ppicard::Library &lib, int counter, unsigned *count) {
  ppicard::Card *c = ppicard::current_card(lib);
  if (!c) return Card_Not_Initial;
  if (counter < 0 || counter >= kCounters) return Invalid_Counter_Number;
  if (!count) return Invalid_Pointer;
  const unsigned k = static_cast<unsigned>(counter);
  io_out8(timer_port(*c, pit8254::kControlRegister), pit8254::latch_command(k));
  const unsigned low = io_in8(timer_port(*c, k));
  const unsigned high = io_in8(timer_port(*c, k));
  *count = low | high << 8;
  return No_Error;
}

}  // namespace wendal
