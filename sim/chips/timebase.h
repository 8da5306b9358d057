// Whole clock pulses of an oscillator of hz in ns nanoseconds, exactly
// (floor), with no overflow for any span of the simulator clock. A card
// keeps its origin and the pulses already given, so no remainder is lost.
#ifndef KIT_SIM_TIMEBASE_H
#define KIT_SIM_TIMEBASE_H

#include <cstdint>

namespace sim {

inline uint64_t ticks_in(uint64_t ns, uint64_t hz) {
  constexpr uint64_t kNsPerSecond = 1000000000;
  return ns / kNsPerSecond * hz + ns % kNsPerSecond * hz / kNsPerSecond;
}

}  // namespace sim

#endif
