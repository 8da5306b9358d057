// Model of the 8254 programmable interval timer: three 16-bit down counters
// with a shared control register.
//
// Register map (reg argument of read/write; the card decides where they sit):
//   0, 1, 2  counter 0, 1, 2 data: count written, count or status read
//   3        control: control word, counter latch command, read-back command
//            (reads FFH: the register is write-only)
//
// Control word (pit8254_control.h): bits 7-6 counter (3 = read-back), bits
// 5-4 access (0 latch, 1 low byte only, 2 high byte only, 3 low then high
// byte), bits 3-1 mode (6 and 7 are modes 2 and 3), bit 0 BCD. BCD counting
// is modelled: the counter then counts decimal, 4 digits, and a count of 0
// means 10000; in binary a count of 0 means 65536.
//
// No port or clock knowledge: the card passes register accesses in and says
// how many CLK pulses each counter has seen (advance, clock). A counter's
// OUT can be chained to the CLK of another counter (a falling OUT edge is
// one counting pulse, as the chip counts on falling CLK edges), and every
// OUT change is reported to an optional callback, in the order it happens.
//
// Per-counter rules (each CLK pulse = one falling edge):
//   - a count takes effect on the pulse after it is written (the load pulse,
//     which does not count), in modes 1 and 5 on the pulse after a rising
//     GATE edge; modes 2 and 3 reload from the count register at the end of
//     each period (half-period in mode 3), so a new count written while they
//     run takes effect then;
//   - GATE low stops counting in modes 0, 2, 3, 4, and forces OUT high in
//     modes 2 and 3; a rising GATE edge restarts modes 1, 2, 3, 5;
//   - after the terminal count, modes 0, 1, 4, 5 go on counting down from
//     the modulus (wrap) without further OUT changes;
//   - a count of 1 in modes 2 and 3 (unusable on the chip) keeps OUT low in
//     mode 2 and high in mode 3;
//   - before its first load a counter holds its count.
//
// The chip's registers and counting state are plain data (State): a chip
// works on a State of its own, or on one kept elsewhere (the shared
// simulated PC), which outlives the chip object.
#ifndef KIT_SIM_PIT8254_H
#define KIT_SIM_PIT8254_H

#include <cstdint>
#include <functional>

#include "pit8254_control.h"

namespace sim {

class Pit8254 {
 public:
  static constexpr int kCounters = pit8254::kCounters;
  static constexpr unsigned kControl = pit8254::kControlRegister;
  // Callback of OUT transitions: counter, new level.
  using OutChange = std::function<void(int counter, bool level)>;

  struct Counter;
  struct State;

  Pit8254() : st_(&own_) {}
  explicit Pit8254(State *state) : st_(state ? state : &own_) {}
  Pit8254(const Pit8254 &) = delete;
  Pit8254 &operator=(const Pit8254 &) = delete;

  uint8_t read(unsigned reg);
  void write(unsigned reg, uint8_t value);

  // CLK pulses from the card's oscillator: every counter whose CLK is not
  // chained to another counter's OUT sees ticks pulses (counter 0 first).
  void advance(uint64_t ticks);
  // CLK pulses of one counter.
  void clock(int counter, uint64_t pulses);
  // Feed counter from's OUT into counter to's CLK (to = -1 undoes it); a
  // chain that would close a loop is ignored.
  void chain(int from, int to);
  void set_gate(int counter, bool level);
  bool out(int counter) const;
  void on_out_change(OutChange callback) { out_change_ = std::move(callback); }

 public:
  struct Counter {
    // programming
    uint8_t control = 0;  // bits 5-0 of the last control word (status)
    uint8_t mode = 0;
    uint8_t access = 3;  // 1 low, 2 high, 3 low then high
    bool bcd = false;
    uint16_t count_register = 0;
    bool write_high_next = false;
    bool count_written = false;
    bool null_count = true;
    // state of counting
    bool load_pending = false;
    bool running = false;
    bool held = false;       // mode 0 between the two bytes of a count
    bool terminal_armed = false;
    bool strobe = false;     // modes 4, 5: OUT low for one pulse
    uint32_t count = 0;      // counting element, 0 .. modulus - 1
    uint32_t period = 0;     // modes 2, 3: count in force (1 .. modulus)
    uint32_t position = 0;   // modes 2, 3: pulses into the (half) period
    uint32_t phase_length = 0;
    bool phase_high = true;
    bool out = false;
    bool gate = true;
    // read side
    bool latched = false;
    uint16_t latch = 0;
    bool read_high_next = false;
    bool status_latched = false;
    uint8_t status = 0;
    int32_t chained_to = -1;
  };
  struct State {
    Counter counters[kCounters];
  };

 private:

  void write_control(uint8_t value);
  void read_back(uint8_t value);
  void write_count(Counter &c, uint8_t value);
  uint8_t read_count(Counter &c);

  uint32_t modulus(const Counter &c) const { return c.bcd ? 10000u : 65536u; }
  uint32_t initial_count(const Counter &c) const;
  uint32_t current_count(const Counter &c) const;
  uint16_t encode(const Counter &c, uint32_t value) const;
  uint8_t status_of(const Counter &c) const;

  void load(int index);
  void step(int index);
  void skip(Counter &c, uint64_t pulses);
  uint64_t pulses_to_event(const Counter &c) const;
  bool may_load(const Counter &c) const;
  void begin_half_period(int index, bool high);
  void set_out(int index, bool level);

  State own_{};
  State *st_;
  OutChange out_change_;
};

}  // namespace sim

#endif
