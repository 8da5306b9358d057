// The 8254 timer's registers and control word, as the drivers write them
// (lib/kestan, cardlibs/wendal) and the chip model decodes them
// (sim/chips/pit8254).
//
//   register 0, 1, 2  counter data      register 3  control (write-only)
//
//   control word  bits 7-6  counter (3: read-back command)
//                 bits 5-4  access: 0 counter latch command, 1 low byte only,
//                           2 high byte only, 3 low byte then high byte
//                 bits 3-1  mode 0 to 5 (6 and 7 are modes 2 and 3 again)
//                 bit 0     BCD (1) or binary (0) count
//   read-back     bit 5 low: latch the counts, bit 4 low: latch the status,
//                 of the counters whose bit (1 + counter) is set
#ifndef KIT_PIT8254_CONTROL_H
#define KIT_PIT8254_CONTROL_H

#include <cstdint>

namespace pit8254 {

constexpr int kCounters = 3;
constexpr unsigned kControlRegister = 3;
constexpr int kModes = 6;

constexpr unsigned kSelectShift = 6;
constexpr unsigned kAccessShift = 4;
constexpr unsigned kModeShift = 1;
constexpr unsigned kFieldMask2 = 3;   // select, access
constexpr unsigned kModeMask = 7;
constexpr uint8_t kBcd = 0x01;
constexpr uint8_t kProgramBits = 0x3F;  // access, mode, BCD: what the status byte repeats

constexpr unsigned kReadBackSelect = 3;
constexpr uint8_t kReadBackNoCount = 0x20;
constexpr uint8_t kReadBackNoStatus = 0x10;
constexpr uint8_t read_back_counter_bit(int counter) { return static_cast<uint8_t>(2u << counter); }

enum Access : unsigned { kAccessLatch = 0, kAccessLow = 1, kAccessHigh = 2, kAccessLowHigh = 3 };

// A binary control word.
constexpr uint8_t control_word(unsigned counter, unsigned access, unsigned mode) {
  return static_cast<uint8_t>(counter << kSelectShift | access << kAccessShift | mode << kModeShift);
}
constexpr uint8_t latch_command(unsigned counter) { return control_word(counter, kAccessLatch, 0); }

constexpr unsigned select_of(uint8_t word) { return word >> kSelectShift & kFieldMask2; }
constexpr unsigned access_of(uint8_t word) { return word >> kAccessShift & kFieldMask2; }
constexpr unsigned mode_of(uint8_t word) {
  const unsigned mode = word >> kModeShift & kModeMask;
  return mode >= kModes ? mode - 4 : mode;
}

static_assert(control_word(1, kAccessLowHigh, 2) == 0x74, "counter 1, low then high, mode 2");
static_assert(latch_command(2) == 0x80, "counter 2 latch");
static_assert(mode_of(0x0E) == 3 && mode_of(0x0C) == 2, "modes 6 and 7 are 2 and 3");

}  // namespace pit8254

#endif
