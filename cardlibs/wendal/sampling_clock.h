// The Wendal card's 8254 at base + 8: the sampling clock, counter 1 counting
// the 2,000,000 Hz clock and feeding counter 2, whose output requests the
// card's interrupt once per divisor 1 x divisor 2 clock periods; and the
// latched read of any of its three counters.
#ifndef KIT_WENDAL_SAMPLING_CLOCK_H
#define KIT_WENDAL_SAMPLING_CLOCK_H

#include <cstdint>

#include "pit8254_control.h"
#include "ppi_card_lib.h"
#include "wendal_registers.h"

namespace wendal {

constexpr int64_t kMaxCount = 65536;  // written as 0
constexpr int64_t kMinCount = 2;      // mode 2 cannot divide by 1

// Two counts a, b (kMinCount to kMaxCount) with a x b = d1 x d2: the given
// pair when it fits, else the first split of the product that does.
bool split_divisors(int d1, int d2, unsigned *a, unsigned *b);

// Counters 1 and 2 in mode 2 with no count: they wait, their outputs high.
void idle_clock(ppicard::Card &card);
int clock_start(ppicard::Library &lib, int d1, int d2);
int clock_stop(ppicard::Library &lib);
// Counter latch command, then the count's low and high byte.
int counter_read(ppicard::Library &lib, int counter, unsigned *count);

}  // namespace wendal

#endif
