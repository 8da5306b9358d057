// Model of the Kestan card: 32 digital inputs, 32 digital outputs and an
// 8254 timer chip in eight ports.
//
//   offset 0-3  read: inputs 0-7 ... 24-31    write: outputs 0-7 ... 24-31
//               (16-bit data path: a word access at 0 or 2 is one cycle)
//   offset 4-6  8254 counter 0, 1, 2 data
//   offset 7    8254 control (write-only: a read gives FFH)
//
// Clocking: all three counters count from the card's 1 MHz oscillator
// (kKestanTimerHz) and their gates are tied high. Counter 2's OUT can be
// jumpered to an interrupt level (iosim_set_card_irq): a rising OUT edge is
// then a request on that level. Out of the box the jumper is open (-1): the
// card is no interrupt source of its own and its driver attaches no handler.
//
// Lines (bank 0): outputs are 0 at power-up. The test cable joins output n
// to input n; without it an input floats high. A line driven from outside
// overrides both.
#ifndef KIT_SIM_KESTAN_CARD_H
#define KIT_SIM_KESTAN_CARD_H

#include <memory>

#include "card_model.h"
#include "chips/pit8254.h"
#include "kestan_registers.h"

namespace sim {

constexpr uint64_t kKestanTimerHz = 1000000;

class KestanCard : public CardModel {
 public:
  static constexpr unsigned kPorts = kestan::kCardPorts;
  static constexpr unsigned kTimerFirst = kestan::kCounterDataOffset;  // counter 0 data; control after them
  static constexpr int kInterruptCounter = 2;

  struct State {
    uint32_t outputs = 0;
    uint32_t driven_mask = 0;
    uint32_t driven_value = 0;
    uint32_t fixture_count = 0;  // the counting fixture's count (kestan_counting_card.h)
    uint8_t loopback = 1;
    uint8_t clock_started = 0;
    uint64_t clock_origin_ns = 0;
    uint64_t ticks_done = 0;
    Pit8254::State timer;
  };

  explicit KestanCard(State *state = nullptr);

  const char *kind() const override { return "kestan"; }
  unsigned length() const override { return kPorts; }
  bool has_time_source() const override { return true; }
  // The digital ports do not depend on time: only the timer's do.
  bool access_needs_time(unsigned offset) const override { return offset >= kTimerFirst; }

  uint8_t read8(unsigned offset) override;
  void write8(unsigned offset, uint8_t value) override;
  uint16_t read16(unsigned offset) override;
  void write16(unsigned offset, uint16_t value) override;

  bool outputs(int bank, uint32_t *value) const override;
  bool inputs(int bank, uint32_t *value) const override;
  bool drive_inputs(int bank, uint32_t mask, uint32_t value) override;
  bool release_inputs(int bank, uint32_t mask) override;
  void set_loopback(bool on) override { st_->loopback = on; }

  void advance_to(uint64_t now_ns) override;

  Pit8254 &timer() { return timer_; }

 protected:
  // What the test socket brings to the input lines that nothing drives from
  // outside: with the loopback cable the outputs, with none all ones.
  virtual uint32_t socket_lines() const { return st_->loopback ? st_->outputs : 0xFFFFFFFFu; }
  // Called before each read cycle of a digital input port (offset 0 to 3; a
  // word read at 0 or 2 is one cycle).
  virtual void before_input_read(unsigned offset) { (void)offset; }
  bool loopback() const { return st_->loopback != 0; }
  State &state() const { return *st_; }

 private:
  uint32_t input_lines() const;

  State own_{};
  State *st_;
  Pit8254 timer_;
};

std::unique_ptr<CardModel> make_kestan_card(void *state = nullptr, bool power_up = true);

}  // namespace sim

#endif
