// The 8255 interface's registers and mode-set word, as the 8255 card
// libraries write them (cardlibs/ppicard) and the chip model decodes them
// (sim/chips/ppi8255).
//
//   register 0 Port A   1 Port B   2 Port C   3 control (write-only)
//
//   mode-set word (bit 7 set): a set bit makes lines inputs
//     bit 4  Port A       bit 3  Port C upper half (lines 4-7)
//     bit 1  Port B       bit 0  Port C lower half (lines 0-3)
//     bits 6-5 and 2: the modes of groups A and B (0: plain input/output)
#ifndef KIT_PPI8255_MODE_H
#define KIT_PPI8255_MODE_H

#include <cstdint>

namespace ppi8255 {

constexpr unsigned kPortA = 0;
constexpr unsigned kPortB = 1;
constexpr unsigned kPortC = 2;
constexpr unsigned kControlRegister = 3;
constexpr unsigned kRegisters = 4;
constexpr int kPorts = 3;
constexpr int kLinesPerPort = 8;

constexpr uint8_t kModeSet = 0x80;
constexpr uint8_t kAInput = 0x10;
constexpr uint8_t kCUpperInput = 0x08;
constexpr uint8_t kBInput = 0x02;
constexpr uint8_t kCLowerInput = 0x01;
// Mode 0, every line an input: the chip's power-up state (9BH).
constexpr uint8_t kAllInputs = kModeSet | kAInput | kCUpperInput | kBInput | kCLowerInput;
static_assert(kAllInputs == 0x9B, "power-up mode-set word");

}  // namespace ppi8255

#endif
