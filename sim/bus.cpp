#include "bus.h"

#include <cstdio>
#include <cstring>

#include "card_catalog.h"
#include "process_id.h"

namespace sim {

namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_kind(const char *a, const char *b) {
  for (; *a && *b; ++a, ++b)
    if (lower(*a) != lower(*b)) return false;
  return *a == *b;
}

}  // namespace

// --- the PC -----------------------------------------------------------------

Bus &Bus::instance() {
  // Never destroyed: the ticker thread may still run while the process ends.
  static Bus *bus = new Bus;
  return *bus;
}

Bus::Bus() {
  place_ = open_pc(&Bus::make_fresh);
  bind(place_.pc);
  PcGuard guard(*this);
  bring_back_stand_in();  // a program that held a card over it may have ended
}

Bus::Bus(PcState *image) { bind(image); }

void Bus::bind(PcState *pc) {
  __atomic_store_n(&pc_, pc, __ATOMIC_RELEASE);
  clock_bind(&pc->clock);
  journal_.bind(&pc->journal);
  irq_.bind(pc->irq);
  claims_.bind(pc);
  for (auto &view : views_) view.reset();
}

void Bus::make_view(int s) {
  SlotState &sl = slot(s);
  views_[s] = card_kind_at(sl.kind)->make(sl.card, false);
  views_[s]->connect_interrupt([this, s] { route_interrupt(s); });
  view_generation_[s] = sl.generation;
}

int Bus::place(char *path, int size) const {
  if (path && size > 0)
    std::snprintf(path, static_cast<size_t>(size), "%s", place_.asked_private ? kPrivatePc : place_.path);
  return place_.shared ? 1 : 0;
}

// --- port cycles ------------------------------------------------------------

uint8_t Bus::in8(uint16_t port) {
  uint8_t value = 0xFF;
  {
    PcGuard guard(*this);
    uint8_t s = pc_->owner[port];
    if (s != kNoCard) {
      unsigned offset = port - slot(s).base;
      catch_up(s, offset);
      value = card(s).read8(offset);
    }
    if (journal_.on()) journal_.record(IOSIM_IN8, port, value);
  }
  deliver_interrupts();
  return value;
}

void Bus::out8(uint16_t port, uint8_t value) {
  {
    PcGuard guard(*this);
    uint8_t s = pc_->owner[port];
    if (s != kNoCard) {
      unsigned offset = port - slot(s).base;
      catch_up(s, offset);
      card(s).write8(offset, value);
    }
    if (journal_.on()) journal_.record(IOSIM_OUT8, port, value);
  }
  deliver_interrupts();
}

// A word cycle reaches one card as one 16-bit cycle; across a card edge (or
// into empty space) each byte goes its own way.
uint16_t Bus::in16(uint16_t port) {
  uint16_t value;
  {
    PcGuard guard(*this);
    uint8_t s0 = pc_->owner[port];
    uint8_t s1 = port + 1u < kPortSpace ? pc_->owner[port + 1u] : kNoCard;
    if (s0 != kNoCard && s0 == s1) {
      unsigned offset = port - slot(s0).base;
      catch_up_word(s0, offset);
      value = card(s0).read16(offset);
    } else {
      uint8_t bytes[2] = {0xFF, 0xFF};
      const uint8_t owners[2] = {s0, s1};
      for (unsigned i = 0; i < 2; ++i) {
        if (owners[i] == kNoCard) continue;
        unsigned offset = port + i - slot(owners[i]).base;
        catch_up(owners[i], offset);
        bytes[i] = card(owners[i]).read8(offset);
      }
      value = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
    }
    if (journal_.on()) journal_.record(IOSIM_IN16, port, value);
  }
  deliver_interrupts();
  return value;
}

void Bus::out16(uint16_t port, uint16_t value) {
  {
    PcGuard guard(*this);
    uint8_t s0 = pc_->owner[port];
    uint8_t s1 = port + 1u < kPortSpace ? pc_->owner[port + 1u] : kNoCard;
    if (s0 != kNoCard && s0 == s1) {
      unsigned offset = port - slot(s0).base;
      catch_up_word(s0, offset);
      card(s0).write16(offset, value);
    } else {
      const uint8_t owners[2] = {s0, s1};
      for (unsigned i = 0; i < 2; ++i) {
        if (owners[i] == kNoCard) continue;
        unsigned offset = port + i - slot(owners[i]).base;
        catch_up(owners[i], offset);
        card(owners[i]).write8(offset, static_cast<uint8_t>(value >> (8 * i)));
      }
    }
    if (journal_.on()) journal_.record(IOSIM_OUT16, port, value);
  }
  deliver_interrupts();
}

// --- claims and interrupts --------------------------------------------------

// A card that a claim plugged and whose claims have all been released leaves
// when another claim needs its ports, as a person moves the card's jumpers to
// the address the library is given next. Until then it keeps its state, so a
// library that takes its old range back finds the card as it left it (one
// over the default rack's Kestan card goes at once: bring_back_stand_in).
// Cards of a rack given by the user stay where they were put.
void Bus::take_out_released_cards(unsigned base, unsigned length, const char *kind) {
  for (unsigned p = base; p < base + length; ++p) {
    uint8_t s = pc_->owner[p];
    if (s == kNoCard || !slot(s).by_claim || claims_.claimed(slot(s).base)) continue;
    if (claimed_card_at(s, base, kind)) continue;  // taken back
    unplug_slot(s);
  }
}

// The card a claim finds already at its base, of its kind: the claim is
// for that card.
bool Bus::claimed_card_at(int s, unsigned base, const char *kind) {
  return slot(s).base == base && same_kind(card(s).kind(), kind);
}

int Bus::claim(unsigned base, unsigned length, const char *kind) {
  if (length == 0 || base + length > kPortSpace) return IO_CLAIM_INVALID;
  // Kinds compare case-insensitively, in the claims as in the catalog.
  char name[sizeof(ClaimState::card)] = "";
  for (size_t i = 0; kind && kind[i] && i + 1 < sizeof name; ++i) {
    name[i] = lower(kind[i]);
    name[i + 1] = '\0';
  }
  PcGuard guard(*this);
  return claim_locked(base, length, name);
}

int Bus::claim_locked(unsigned base, unsigned length, const char *name) {
  take_out_released_cards(base, length, name);
  bool found = false;
  for (unsigned p = base; p < base + length; ++p) {
    uint8_t s = pc_->owner[p];
    if (s == kNoCard) continue;
    if (claimed_card_at(s, base, name))
      found = true;
    else if (!slot(s).stand_in)
      return IO_CLAIM_OVERLAP;
  }
  // A stand-in that a library holds is refused here, with the other claims.
  int result = claims_.claim(base, length, name, this_process());
  if (result != IO_CLAIM_OK) return result;
  for (unsigned p = base; p < base + length; ++p)
    if (pc_->owner[p] != kNoCard && !claimed_card_at(pc_->owner[p], base, name))
      unplug_slot(pc_->owner[p]);
  if (!found && find_card_kind(name) && plug_locked(name, base) == IOSIM_OK)
    slot(slot_based_at(base)).by_claim = 1;
  return result;
}

void Bus::release(unsigned base) {
  PcGuard guard(*this);
  claims_.release(base, this_process());
  bring_back_stand_in();
}

int Bus::irq_attach(int level, io_irq_handler handler, void *context) {
  int result;
  {
    PcGuard guard(*this);
    // Cards' time is brought up to now first: what came due while no handler
    // listened was dropped, and must not arrive as a burst.
    advance_all(clock_now_ns());
    result = irq_.attach(level, handler, context);
    if (result == IO_IRQ_OK) adopt_level(level);
  }
  if (result == IO_IRQ_OK) {
    std::lock_guard<std::mutex> lk(ticker_mutex_);
    start_ticker();
    ticker_wake_.notify_one();
  }
  return result;
}

// Without the PC's lock: detach waits for a handler that is running, and the
// handler itself makes port accesses.
int Bus::irq_detach(int level) { return irq_.detach(level); }

// A card on jumper -1 takes the level that the driver attaches while it is
// the only claimed card that can interrupt.
void Bus::adopt_level(int level) {
  int only = -1;
  for (int i = 0; i < kMaxCards; ++i) {
    if (!slot(i).used || !card(i).has_interrupt_source() || !claims_.claimed(slot(i).base)) continue;
    if (only >= 0) return;
    only = i;
  }
  if (only >= 0) slot(only).followed = level;
}

// Under the PC's lock, from inside a card.
void Bus::route_interrupt(int s) {
  const SlotState &sl = slot(s);
  int level = sl.jumper >= 0 ? sl.jumper : sl.followed;
  if (level >= 0) irq_.raise(level);
}

int Bus::set_card_irq(unsigned base, int level) {
  if (level < -1 || level >= InterruptController::kLevels) return IOSIM_INVALID;
  PcGuard guard(*this);
  int s = slot_based_at(base);
  if (s < 0) return IOSIM_NO_CARD;
  slot(s).jumper = level;
  return IOSIM_OK;
}

// --- journal ----------------------------------------------------------------

void Bus::journal_enable(bool on) {
  PcGuard guard(*this);
  journal_.enable(on);
}

void Bus::journal_clear() {
  PcGuard guard(*this);
  journal_.clear();
}

uint64_t Bus::journal_total() {
  PcGuard guard(*this);
  return journal_.total();
}

int Bus::journal_read(iosim_access *out, int max) {
  PcGuard guard(*this);
  return journal_.read(out, max);
}

}  // namespace sim
