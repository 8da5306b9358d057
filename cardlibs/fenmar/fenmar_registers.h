// Geometry of the Fenmar card: one 8255 (channel 0) in 4 ports from a base
// address that is a multiple of 4 between 200H and 3FCH; register map and
// port codes in fenmar.h. The card requests its interrupt on the rising edge
// of Port C line 0.
#ifndef FENMAR_REGISTERS_H
#define FENMAR_REGISTERS_H

namespace fenmar {

constexpr int kPorts = 4;  // length of the card's port window
constexpr int kChannels = 1;  // 8255 chips, 4 ports apart from the base
constexpr int kFirstBase = 0x200, kLastBase = 0x3FC, kBaseStep = 4;
constexpr int kCards = 8;
constexpr int kFirstIrq = 2, kLastIrq = 15;
constexpr int kIrqLine = 0;  // of channel 0's Port C

static_assert(kLastBase + kPorts - 1 <= 0x3FF, "the card's ports end by 3FFH");

}  // namespace fenmar

#endif
