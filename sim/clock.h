// The simulator clock: nanoseconds since the simulator started, from the
// host's monotonic clock, or stepped by hand (manual mode) so that a test
// sees every count and every interrupt at a time it chose.
//
// The clock never runs backwards: switching between real and manual time
// continues from the value reached.
#ifndef KIT_SIM_CLOCK_H
#define KIT_SIM_CLOCK_H

#include <cstdint>

namespace sim {

uint64_t clock_now_ns();
void clock_set_manual(bool on);
bool clock_is_manual();
// Manual mode: the clock moves by ns. Real mode: the clock jumps ahead by ns.
void clock_advance(uint64_t ns);

}  // namespace sim

#endif
