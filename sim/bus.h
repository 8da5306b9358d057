// The simulated ISA bus: the rack of card models, the claims of the card
// libraries, the journal, the interrupt controller and the ticker, behind
// one lock. The io_* and iosim_* functions are thin wrappers over it.
//
// Every port access takes the lock once, brings the card it reaches up to
// the simulator clock (advance_to, when the card says the access needs it),
// makes the bus cycle, records it in the
// journal (when on), lets go of the lock and then runs the interrupt
// handlers of any request raised meanwhile, on the calling thread.
#ifndef KIT_SIM_BUS_H
#define KIT_SIM_BUS_H

#include <cstdint>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "card_model.h"
#include "clock.h"
#include "interrupt_controller.h"
#include "iosim.h"
#include "journal.h"
#include "port_claims.h"

namespace sim {

class Bus {
 public:
  static constexpr int kMaxCards = 32;
  static constexpr unsigned kPortSpace = 0x10000;
  static constexpr unsigned kDefaultBase = 0x2A8;
  static constexpr uint64_t kTickerPeriodNs = 1000000;

  // The one bus of the process, made at first use with the rack of
  // KESTAN_SIM_RACK (read then, once) or the default rack.
  static Bus &instance();

  // Port cycles.
  uint8_t in8(uint16_t port);
  uint16_t in16(uint16_t port);
  void out8(uint16_t port, uint8_t value);
  void out16(uint16_t port, uint16_t value);

  // ioport's claims and interrupt hook.
  int claim(unsigned base, unsigned length, const char *kind);  // IO_CLAIM_*
  void release(unsigned base);
  int irq_attach(int level, io_irq_handler handler, void *context);  // IO_IRQ_*
  int irq_detach(int level);

  // The rack (IOSIM_* results).
  int plug(const char *kind, unsigned base);
  int unplug(unsigned base);
  void clear_rack();
  void reset();
  int load_rack(const char *text);  // entries refused
  int card_at(unsigned port, char *kind, int size);
  int set_card_irq(unsigned base, int level);

  // A card's lines: fn(CardModel &) returns false for a bank it lacks.
  template <typename Fn>
  int with_card(unsigned base, Fn fn) {
    int result;
    {
      std::lock_guard<std::mutex> lk(lock_);
      CardModel *card = card_based_at(base);
      result = !card ? IOSIM_NO_CARD : fn(*card) ? IOSIM_OK : IOSIM_BAD_BANK;
    }
    deliver_interrupts();
    return result;
  }

  void journal_enable(bool on);
  void journal_clear();
  uint64_t journal_total();
  int journal_read(iosim_access *out, int max);

  // Clock steps run every card's due events (and their interrupts) here.
  void clock_advance(uint64_t ns);

 private:
  static constexpr uint8_t kNoCard = 0xFF;

  struct Slot {
    std::unique_ptr<CardModel> card;
    unsigned base = 0;
    unsigned length = 0;
    int jumper = -1;    // interrupt level set on the card, -1: follows the driver
    int followed = -1;  // level adopted from the driver's io_irq_attach
    bool by_claim = false;  // plugged by a library's claim; leaves with its release
    // The default rack's card, standing in for the user's card: a claim of
    // other ports over it takes it out, as the user's PC holds that card.
    bool stand_in = false;
  };

  Bus();
  void apply_rack(const char *text, bool report);
  int plug_locked(const char *kind, unsigned base);
  int slot_based_at(unsigned base);
  void plug_default_rack();
  void take_out_released_cards(unsigned base, unsigned length, const char *kind);
  bool claimed_card_at(int s, unsigned base, const char *kind) const;
  void unplug_slot(int s);
  void clear_locked();
  CardModel *card_based_at(unsigned base);
  void route_interrupt(int slot);
  void adopt_level(int level);
  void advance_all(uint64_t now_ns);
  void catch_up(Slot &slot, unsigned offset) {
    if (slot.card->access_needs_time(offset)) slot.card->advance_to(clock_now_ns());
  }
  void catch_up_word(Slot &slot, unsigned offset) {
    if (slot.card->access_needs_time(offset) || slot.card->access_needs_time(offset + 1))
      slot.card->advance_to(clock_now_ns());
  }
  void start_ticker();
  void ticker_loop();
  void deliver_interrupts() {
    if (irq_.any_pending()) irq_.deliver();
  }

  std::mutex lock_;
  Slot slots_[kMaxCards];
  uint8_t owner_[kPortSpace];
  ioport::PortClaims claims_;
  Journal journal_;
  InterruptController irq_;
  bool ticker_started_ = false;
  std::condition_variable ticker_wake_;  // an interrupt handler was attached
  char rack_text_[512] = {};
  bool rack_given_ = false;
};

}  // namespace sim

#endif
