// The simulated ISA bus of this process over the shared simulated PC: port
// cycles, the rack of card models, the claims of the card libraries, the
// journal, the interrupt controller and the ticker. The io_* and iosim_*
// functions are thin wrappers over it.
//
// The PC's state is plain data in a file every process maps (pc_file.h,
// pc_state.h); the bus keeps only what is the process's own: a view of each
// card over its state (rebuilt when another process plugs a new card in the
// slot), the interrupt handlers it attached, and its ticker.
//
// Every port access takes the PC's lock once (and a process that finds the
// PC's file replaced or removed then moves to the PC now at that path), brings the card it reaches up
// to the simulator clock (advance_to, when the card says the access needs
// it), makes the bus cycle, records it in the journal (when on), lets go of
// the lock and then runs the interrupt handlers of this process for any
// request raised meanwhile, on the calling thread.
#ifndef KIT_SIM_BUS_H
#define KIT_SIM_BUS_H

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "card_model.h"
#include "claim_table.h"
#include "clock.h"
#include "interrupt_controller.h"
#include "iosim.h"
#include "journal.h"
#include "pc_file.h"
#include "pc_lock.h"
#include "pc_state.h"

namespace sim {

class Bus {
 public:
  static constexpr unsigned kDefaultBase = 0x2A8;
  static constexpr uint64_t kTickerPeriodNs = 1000000;

  // The one bus of the process, on the PC that KESTAN_SIM_PC names (made at
  // first use with the rack of KESTAN_SIM_RACK or the default rack).
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
  int cards(iosim_card_info *out, int max);
  int claims(iosim_claim_info *out, int max);
  int place(char *path, int size) const;  // 1: the shared file, 0: a private PC
  uint64_t pc_id() {
    PcGuard guard(*this);
    return pc_->header.born;
  }

  // The PC's lock, held while it lives.
  class PcGuard {
   public:
    explicit PcGuard(Bus &bus) : bus_(bus) { bus_.lock_pc(); }
    ~PcGuard() { bus_.unlock_pc(); }
    PcGuard(const PcGuard &) = delete;
    PcGuard &operator=(const PcGuard &) = delete;

   private:
    Bus &bus_;
  };

  // A card's lines: fn(CardModel &) returns false for a bank it lacks.
  template <typename Fn>
  int with_card(unsigned base, Fn fn) {
    int result;
    {
      PcGuard guard(*this);
      int s = slot_based_at(base);
      result = s < 0 ? IOSIM_NO_CARD : fn(card(s)) ? IOSIM_OK : IOSIM_BAD_BANK;
    }
    deliver_interrupts();
    return result;
  }

  void journal_enable(bool on);
  void journal_clear();
  uint64_t journal_total();
  int journal_read(iosim_access *out, int max);

  void clock_manual(bool on);
  // Clock steps run every card's due events (and their interrupts) here.
  void clock_advance(uint64_t ns);

 private:
  Bus();
  explicit Bus(PcState *image);  // a builder of a fresh PC's image
  static void make_fresh(PcState &image);
  void bind(PcState *pc);

  // Takes the PC's lock (ends the process when a holder does not let go)
  // and moves to the PC at the path when the file was replaced.
  void lock_pc();
  void unlock_pc() { pc_unlock(&pc_->header.lock); }
  void follow_pc_file();
  // Under the lock: a claim, name in lower case.
  int claim_locked(unsigned base, unsigned length, const char *name);
  SlotState &slot(int s) { return pc_->slots[s]; }
  // This process's view of the card in slot s (made anew after a plug).
  CardModel &card(int s) {
    if (!views_[s] || view_generation_[s] != pc_->slots[s].generation) make_view(s);
    return *views_[s];
  }
  void make_view(int s);

  void apply_rack(const char *text, bool report);
  int plug_locked(const char *kind, unsigned base);
  int slot_based_at(unsigned base);
  void plug_default_rack();
  void bring_back_stand_in();  // under the PC's lock
  void take_out_released_cards(unsigned base, unsigned length, const char *kind);
  bool claimed_card_at(int s, unsigned base, const char *kind);
  void unplug_slot(int s);
  void clear_locked();
  void route_interrupt(int slot);
  void adopt_level(int level);
  void advance_all(uint64_t now_ns);
  void catch_up(int s, unsigned offset) {
    CardModel &c = card(s);
    if (c.access_needs_time(offset)) c.advance_to(clock_now_ns());
  }
  void catch_up_word(int s, unsigned offset) {
    CardModel &c = card(s);
    if (c.access_needs_time(offset) || c.access_needs_time(offset + 1))
      c.advance_to(clock_now_ns());
  }
  void start_ticker();
  void ticker_loop();
  void deliver_interrupts() {
    if (irq_.any_pending()) irq_.deliver();
  }

  PcState *pc_ = nullptr;
  PcPlace place_{};
  int64_t next_file_check_ns_ = 0;
  // This process's claims on a PC it left, made again on the one it moved to.
  ClaimState carried_[kMaxClaims] = {};
  int carried_count_ = 0;
  std::unique_ptr<CardModel> views_[kMaxCards];
  uint32_t view_generation_[kMaxCards] = {};
  ClaimTable claims_;
  Journal journal_;
  InterruptController irq_;
  bool ticker_started_ = false;
  std::mutex ticker_mutex_;
  std::condition_variable ticker_wake_;  // an interrupt handler was attached
};

}  // namespace sim

#endif
