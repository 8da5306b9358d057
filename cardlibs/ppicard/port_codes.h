// The port codes of the 8255 card libraries (fenmar, wendal, dulvar) and the
// groups of lines they name, for the libraries, the panels and the tools.
//
// Channel c is the card's 8255 number c, at base + 4c. Port code: channel x
// 256 + group number; groups:
//   0 Port A (8 lines)   1 Port B (8)   2 Port C whole (8)
//   3 Port C upper half (lines 4-7, value bits 0-3)
//   4 Port C lower half (lines 0-3, value bits 0-3)
// The direction groups are the four whose lines have one direction each
// (A, B, C upper, C lower): together they hold every line of the channel.
#ifndef KIT_PPICARD_PORT_CODES_H
#define KIT_PPICARD_PORT_CODES_H

#include <cstdint>

#include "ppi8255_mode.h"

namespace ppicard {

constexpr int kCodesPerChannel = 256;
constexpr unsigned kChannelStride = ppi8255::kRegisters;  // ports between two channels
constexpr int kPortsPerChannel = ppi8255::kPorts;          // A, B, C
constexpr int kLinesPerChannel = kPortsPerChannel * ppi8255::kLinesPerPort;

enum Group : int { kGroupA, kGroupB, kGroupC, kGroupCUpper, kGroupCLower, kGroups };

struct GroupInfo {
  unsigned port;       // 0 A, 1 B, 2 C
  uint8_t mask;        // the group's lines in the port
  int shift;           // value bit 0 is port line shift
  uint8_t input_bits;  // its direction bits in the mode-set word
};

// Indexed by group number.
inline constexpr GroupInfo kGroupTable[kGroups] = {
    {ppi8255::kPortA, 0xFF, 0, ppi8255::kAInput},
    {ppi8255::kPortB, 0xFF, 0, ppi8255::kBInput},
    {ppi8255::kPortC, 0xFF, 0, ppi8255::kCUpperInput | ppi8255::kCLowerInput},
    {ppi8255::kPortC, 0xF0, 4, ppi8255::kCUpperInput},
    {ppi8255::kPortC, 0x0F, 0, ppi8255::kCLowerInput},
};

// The direction groups of a channel, in the order of their lines.
constexpr int kDirectionGroupsPerChannel = 4;
inline constexpr Group kDirectionGroups[kDirectionGroupsPerChannel] = {kGroupA, kGroupB, kGroupCUpper,
                                                                      kGroupCLower};

constexpr bool direction_groups_hold_each_line_once() {
  uint8_t lines[kPortsPerChannel] = {};
  for (Group g : kDirectionGroups) {
    const GroupInfo &info = kGroupTable[g];
    if (lines[info.port] & info.mask) return false;
    lines[info.port] = static_cast<uint8_t>(lines[info.port] | info.mask);
  }
  for (uint8_t l : lines)
    if (l != 0xFF) return false;
  return true;
}
static_assert(direction_groups_hold_each_line_once(), "every line of a channel in one direction group");

// A whole port's group number is its port number (the tools count on it).
static_assert(kGroupA == static_cast<int>(ppi8255::kPortA) && kGroupB == static_cast<int>(ppi8255::kPortB) &&
                  kGroupC == static_cast<int>(ppi8255::kPortC),
              "whole ports: group number = port number");

constexpr int port_code(int channel, int group) { return channel * kCodesPerChannel + group; }

}  // namespace ppicard

#endif
