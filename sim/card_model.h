// What every simulated card is to the bus.
//
// The bus serialises every access under one lock and calls a card with
// offsets from its base (0 to length() - 1). A card drives its output
// lines and sees its input lines through its test cable (loopback, the
// default) or through lines driven from outside (iosim_drive_inputs).
//
// A card object is a view: its register state is plain data (the card
// class's State, no pointers) that lives in the shared simulated PC and
// outlives every process; each process makes its own view over it. A card
// made with no state (tests) keeps a State of its own.
#ifndef KIT_SIM_CARD_MODEL_H
#define KIT_SIM_CARD_MODEL_H

#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <utility>

namespace sim {

// Room for one card's State in the shared simulated PC.
constexpr unsigned kCardStateBytes = 512;

class CardModel {
 public:
  virtual ~CardModel() = default;

  virtual const char *kind() const = 0;
  // Number of consecutive ports the card decodes from its base.
  virtual unsigned length() const = 0;

  // One bus cycle at base + offset.
  virtual uint8_t read8(unsigned offset) = 0;
  virtual void write8(unsigned offset, uint8_t value) = 0;
  // A 16-bit cycle. A card with an 8-bit data path sees two byte cycles,
  // low byte first (what an ISA bus does for an 8-bit card).
  virtual uint16_t read16(unsigned offset) {
    uint16_t low = read8(offset);
    return static_cast<uint16_t>(low | (read8(offset + 1) << 8));
  }
  virtual void write16(unsigned offset, uint16_t value) {
    write8(offset, static_cast<uint8_t>(value));
    write8(offset + 1, static_cast<uint8_t>(value >> 8));
  }

  // Lines, in the banks that sim/iosim.h lists for the kind. Return false for
  // a bank the card does not have.
  virtual bool outputs(int bank, uint32_t *value) const = 0;
  virtual bool inputs(int bank, uint32_t *value) const = 0;
  virtual bool drive_inputs(int bank, uint32_t mask, uint32_t value) = 0;
  virtual bool release_inputs(int bank, uint32_t mask) = 0;
  virtual void set_loopback(bool on) = 0;

  // Time: the bus calls this, with the simulator clock in nanoseconds,
  // before every access to the card that needs it (access_needs_time), when
  // a handler is attached, when the manual clock is stepped, and from its
  // ticker, so that counting chips catch up (and raise their interrupts) in
  // order. The ticker runs while this process has an interrupt handler
  // attached, about once a millisecond.
  virtual void advance_to(uint64_t now_ns) { (void)now_ns; }

  // A card that counts time (a timer chip) answers true.
  virtual bool has_time_source() const { return false; }
  // Whether an access at offset needs the card brought up to the clock first
  // (advance_to); by default every access to a card with a time source does.
  // A card whose timer is reached through only some of its ports may say so,
  // sparing the clock read (costly on some hosts) on the others; its time
  // is then kept by the ticker and by the accesses that need it.
  virtual bool access_needs_time(unsigned offset) const {
    (void)offset;
    return has_time_source();
  }
  // A card that can request interrupts answers true: the interrupt routing
  // of the bus (sim/iosim.h, "interrupts") counts it among the claimed
  // cards with an interrupt source.
  virtual bool has_interrupt_source() const { return false; }

  // Interrupt request output. The bus connects it when the card is plugged;
  // a model calls raise_interrupt() on the rising edge of its request line,
  // from within the bus's calls of the card (a port cycle, advance_to or a
  // line control), never from a thread of its own: the bus then holds its
  // lock and runs the handler once it has let go of it.
  void connect_interrupt(std::function<void()> sink) { interrupt_sink_ = std::move(sink); }

 protected:
  void raise_interrupt() {
    if (interrupt_sink_) interrupt_sink_();
  }

 private:
  std::function<void()> interrupt_sink_;
};

// A view of kind Card over state (nullptr: a card with a State of its own),
// after putting the card in its power-up state when power_up is set.
template <typename Card, typename... Args>
std::unique_ptr<CardModel> card_over(void *state, bool power_up, Args &&...args) {
  static_assert(sizeof(typename Card::State) <= kCardStateBytes, "card state too large");
  auto *s = static_cast<typename Card::State *>(state);
  if (s && power_up) new (s) typename Card::State();
  return std::make_unique<Card>(std::forward<Args>(args)..., s);
}

}  // namespace sim

#endif
