// The simulator clock: nanoseconds of the simulated PC, from the host's
// monotonic clock, or stepped by hand (manual mode) so that a test sees
// every count and every interrupt at a time it chose.
//
// The clock is the PC's (ClockState in the shared state): every process
// reads the same time. A process maps its own monotonic clock onto it once,
// when it binds the PC, through the wall clock that all processes share
// (the PC records the wall-clock time at which its clock read 0).
//
// The clock never runs backwards: switching between real and manual time
// continues from the value reached. Changes are made under the PC's lock.
#ifndef KIT_SIM_CLOCK_H
#define KIT_SIM_CLOCK_H

#include <cstdint>

#include "pc_state.h"

namespace sim {

// A fresh PC: its clock reads 0 now.
void clock_start(ClockState &clock);
// The PC this process's clock functions read.
void clock_bind(ClockState *clock);

uint64_t clock_now_ns();
void clock_set_manual(bool on);
bool clock_is_manual();
// Manual mode: the clock moves by ns. Real mode: the clock jumps ahead by ns.
void clock_advance(uint64_t ns);

}  // namespace sim

#endif
