// Geometry of the Wendal card: two 8255 chips (channels 0 and 1) and an 8254
// in 12 ports from an even base address between 200H and 3F4H; register map
// and port codes in wendal.h.
//
// The 8254 sits after the two channels: counter k at + 8 + k, control at
// + 11. It counts a 2,000,000 Hz clock; counter 1 feeds counter 2, and each
// rising edge of counter 2's output requests the card's interrupt.
#ifndef WENDAL_REGISTERS_H
#define WENDAL_REGISTERS_H

#include <cstdint>

#include "pit8254_control.h"

namespace wendal {

constexpr int kPorts = 12;  // length of the card's port window
constexpr int kChannels = 2;  // 8255 chips, 4 ports apart from the base
constexpr int kFirstBase = 0x200, kLastBase = 0x3F4, kBaseStep = 2;
constexpr int kCards = 8;
constexpr int kFirstIrq = 2, kLastIrq = 15;

constexpr unsigned kTimerOffset = 8;  // the 8254's four registers from here
constexpr int kCounters = pit8254::kCounters;
constexpr uint64_t kClockHz = 2000000;
constexpr int kCascadeFrom = 1;       // counter 1's output clocks counter 2
constexpr int kCascadeTo = 2;         // whose output requests the interrupt

static_assert(kTimerOffset + pit8254::kControlRegister + 1 == kPorts, "the 8254 ends the card's window");
static_assert(kLastBase + kPorts - 1 <= 0x3FF, "the card's ports end by 3FFH");

}  // namespace wendal

#endif
