// Geometry of the Dulvar card: six 8255 chips (channels 0 to 5) in 24 ports
// from a base address that is a multiple of 8 between 200H and 3E8H;
// register map and port codes in dulvar.h. The card requests its interrupt
// on the rising edge of Port C line 3 of channel 0.
#ifndef DULVAR_REGISTERS_H
#define DULVAR_REGISTERS_H

namespace dulvar {

constexpr int kPorts = 24;  // length of the card's port window
constexpr int kChannels = 6;  // 8255 chips, 4 ports apart from the base
constexpr int kFirstBase = 0x200, kLastBase = 0x3E8, kBaseStep = 8;
constexpr int kCards = 8;
constexpr int kFirstIrq = 2, kLastIrq = 15;
constexpr int kIrqLine = 3;  // of channel 0's Port C

static_assert(kLastBase + kPorts - 1 <= 0x3FF, "the card's ports end by 3FFH");

}  // namespace dulvar

#endif
