// Register map of the Kestan card and the limits of its driver's arguments.
//
//   offset 0..3  read: inputs 8n..8n+7        write: outputs 8n..8n+7
//   offset 0, 2  as 16-bit words: inputs / outputs 0..15 and 16..31
//   offset 4..6  8254 counter 0..2 data (count low byte, then high byte)
//   offset 7     8254 control word (write only; never read)
#ifndef KESTAN_REGISTERS_H
#define KESTAN_REGISTERS_H

#include "pit8254_control.h"

namespace kestan {

// The card decodes eight ports from its base.
constexpr int kCardPorts = 8;

// Accepted base addresses: 200H to 3F8H in steps of the card's size.
constexpr int kBaseFirst = 0x200;
constexpr int kBaseLast = 0x3F8;
constexpr int kBaseStep = kCardPorts;

constexpr int kCardCount = 8;

// Digital section.
constexpr int kPortCount = 4;     // 8-bit ports, at base + port
constexpr int kPort16Count = 2;   // 16-bit ports, at base + kPort16Stride * port
constexpr int kPort16Stride = 2;
constexpr int kChannelCount = 32;
constexpr int kChannelsPerPort = 8;

// Counter section: an 8254 with its data registers after the digital ports.
constexpr int kCounterCount = pit8254::kCounters;
constexpr int kCounterModeCount = pit8254::kModes;  // the chip's modes 0 to 5
constexpr int kCounterDataOffset = 4; // counter k at base + 4 + k
constexpr int kCounterControlOffset = kCounterDataOffset + pit8254::kControlRegister;

static_assert(kCounterControlOffset < kCardPorts, "control register inside the card");

// Counters are programmed in binary, their counts written and read low byte,
// then high byte (pit8254_control.h).
constexpr unsigned char start_control_word(int counter, int mode) {
  return pit8254::control_word(static_cast<unsigned>(counter), pit8254::kAccessLowHigh,
                               static_cast<unsigned>(mode));
}

constexpr unsigned char latch_command(int counter) {
  return pit8254::latch_command(static_cast<unsigned>(counter));
}

// Stopping reprograms the counter in mode 0 and loads a count of 1.
constexpr int kStopMode = 0;
constexpr unsigned char kStopCountLow = 1;
constexpr unsigned char kStopCountHigh = 0;

constexpr unsigned char stop_control_word(int counter) {
  return start_control_word(counter, kStopMode);
}

}  // namespace kestan

#endif
