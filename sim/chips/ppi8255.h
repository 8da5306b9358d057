// Model of the 8255 programmable peripheral interface: three 8-line ports
// and a control register, in mode 0.
//
// Register map (reg argument of read/write; the card decides where they sit):
//   0  Port A data    1  Port B data    2  Port C data
//   3  control: write-only (a read gives FFH, the data bus floats)
//
// Control word, bit 7 set (mode set, ppi8255_mode.h): bits 4, 3, 1, 0 make
//   Port A, Port C upper half (lines 4-7), Port B, Port C lower half (lines
//   0-3) inputs (1) or outputs (0); bits 6-5 (group A mode) and bit 2 (group
//   B mode) select modes 1 and 2 on the chip; this model treats every mode as
//   mode 0 with those direction bits (no handshake lines, no strobes): the
//   toolkit's cards run mode 0.
// Every mode-set word clears all three output latches to 0, whatever the
// directions, as the chip does.
// Control word, bit 7 clear (bit set/reset): bits 3-1 select a Port C line,
// bit 0 sets (1) or resets (0) its output latch; nothing else changes.
//
// Reads: an output line reads its latch; an input line reads the level at its
// pin, which the card supplies (pin_levels, port access injected: the chip
// knows nothing of the bus or of the wiring). Port C mixes both per half.
// Reset (power-up) state: mode 0, every port input, every latch 0.
// Registers are plain data (State), the chip's own or kept elsewhere (the
// shared simulated PC); the pin wiring belongs to the chip object.
#ifndef KIT_SIM_PPI8255_H
#define KIT_SIM_PPI8255_H

#include <cstdint>

#include "ppi8255_mode.h"

namespace sim {

class Ppi8255 {
 public:
  static constexpr unsigned kPortA = ppi8255::kPortA;
  static constexpr unsigned kPortB = ppi8255::kPortB;
  static constexpr unsigned kPortC = ppi8255::kPortC;
  static constexpr unsigned kControl = ppi8255::kControlRegister;
  static constexpr int kPorts = ppi8255::kPorts;

  // Levels at the eight pins of port (0 A, 1 B, 2 C) as the world outside the
  // chip holds them; used for the lines the chip does not drive.
  using PinLevels = uint8_t (*)(void *context, int port);

  struct State {
    uint8_t control = ppi8255::kAllInputs;
    uint8_t latch[kPorts] = {0, 0, 0};
  };

  Ppi8255() = default;
  Ppi8255(PinLevels pins, void *context) : pins_(pins), context_(context) {}
  Ppi8255(const Ppi8255 &) = delete;
  Ppi8255 &operator=(const Ppi8255 &) = delete;
  // Work on state (nullptr: the chip's own).
  void bind(State *state) { st_ = state ? state : &own_; }
  void connect_pins(PinLevels pins, void *context) {
    pins_ = pins;
    context_ = context;
  }

  uint8_t read(unsigned reg) const;
  void write(unsigned reg, uint8_t value);
  void reset();

  // The mode-set word in force (ppi8255::kAllInputs after reset).
  uint8_t control() const { return st_->control; }
  // Lines of port the chip drives (its output lines), and their latch.
  uint8_t drive_mask(int port) const;
  uint8_t latch(int port) const { return st_->latch[port]; }

 private:
  uint8_t pin_levels(int port) const;

  PinLevels pins_ = nullptr;
  void *context_ = nullptr;
  State own_{};
  State *st_ = &own_;
};

}  // namespace sim

#endif
