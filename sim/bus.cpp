#include "bus.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "card_catalog.h"
#include "clock.h"
#include "rack_config.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace sim {

namespace {

constexpr const char *kRackVariable = "KESTAN_SIM_RACK";

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_kind(const char *a, const char *b) {
  for (; *a && *b; ++a, ++b)
    if (lower(*a) != lower(*b)) return false;
  return *a == *b;
}

// The variable as the process got it; false when it is not set.
bool read_rack_variable(char *text, size_t size) {
#ifdef _WIN32
  DWORD n = GetEnvironmentVariableA(kRackVariable, text, static_cast<DWORD>(size));
  if (n == 0 || n >= size) return false;
  return true;
#else
  const char *value = std::getenv(kRackVariable);
  if (!value || std::strlen(value) >= size) return false;
  std::strcpy(text, value);
  return true;
#endif
}

}  // namespace

Bus &Bus::instance() {
  // Never destroyed: the ticker thread may still run while the process ends.
  static Bus *bus = new Bus;
  return *bus;
}

Bus::Bus() {
  std::memset(owner_, kNoCard, sizeof owner_);
  rack_given_ = read_rack_variable(rack_text_, sizeof rack_text_);
  std::lock_guard<std::mutex> lk(lock_);
  apply_rack(rack_given_ ? rack_text_ : nullptr, true);
}

// --- port cycles ------------------------------------------------------------

uint8_t Bus::in8(uint16_t port) {
  uint8_t value = 0xFF;
  {
    std::lock_guard<std::mutex> lk(lock_);
    uint8_t s = owner_[port];
    if (s != kNoCard) {
      Slot &slot = slots_[s];
      catch_up(slot, port - slot.base);
      value = slot.card->read8(port - slot.base);
    }
    if (journal_.on()) journal_.record(IOSIM_IN8, port, value);
  }
  deliver_interrupts();
  return value;
}

void Bus::out8(uint16_t port, uint8_t value) {
  {
    std::lock_guard<std::mutex> lk(lock_);
    uint8_t s = owner_[port];
    if (s != kNoCard) {
      Slot &slot = slots_[s];
      catch_up(slot, port - slot.base);
      slot.card->write8(port - slot.base, value);
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
    std::lock_guard<std::mutex> lk(lock_);
    uint8_t s0 = owner_[port];
    uint8_t s1 = port + 1u < kPortSpace ? owner_[port + 1u] : kNoCard;
    if (s0 != kNoCard && s0 == s1) {
      Slot &slot = slots_[s0];
      catch_up_word(slot, port - slot.base);
      value = slot.card->read16(port - slot.base);
    } else {
      uint8_t bytes[2] = {0xFF, 0xFF};
      const uint8_t owners[2] = {s0, s1};
      for (unsigned i = 0; i < 2; ++i) {
        if (owners[i] == kNoCard) continue;
        Slot &slot = slots_[owners[i]];
        catch_up(slot, port + i - slot.base);
        bytes[i] = slot.card->read8(port + i - slot.base);
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
    std::lock_guard<std::mutex> lk(lock_);
    uint8_t s0 = owner_[port];
    uint8_t s1 = port + 1u < kPortSpace ? owner_[port + 1u] : kNoCard;
    if (s0 != kNoCard && s0 == s1) {
      Slot &slot = slots_[s0];
      catch_up_word(slot, port - slot.base);
      slot.card->write16(port - slot.base, value);
    } else {
      const uint8_t owners[2] = {s0, s1};
      for (unsigned i = 0; i < 2; ++i) {
        if (owners[i] == kNoCard) continue;
        Slot &slot = slots_[owners[i]];
        catch_up(slot, port + i - slot.base);
        slot.card->write8(port + i - slot.base, static_cast<uint8_t>(value >> (8 * i)));
      }
    }
    if (journal_.on()) journal_.record(IOSIM_OUT16, port, value);
  }
  deliver_interrupts();
}

// --- claims and interrupts --------------------------------------------------

// A card that a claim plugged and whose claim has since been released leaves
// when another claim needs its ports, as a person moves the card's jumpers to
// the address the library is given next. Until then it keeps its state, so a
// library that takes its old range back finds the card as it left it. Cards
// of a rack given by the user stay where they were put.
void Bus::take_out_released_cards(unsigned base, unsigned length, const char *kind) {
  for (unsigned p = base; p < base + length; ++p) {
    uint8_t s = owner_[p];
    if (s == kNoCard || !slots_[s].by_claim || claims_.find(slots_[s].base)) continue;
    if (claimed_card_at(s, base, kind)) continue;  // taken back
    unplug_slot(s);
  }
}

// The card a claim finds already at its base, of its kind: the claim is
// for that card.
bool Bus::claimed_card_at(int s, unsigned base, const char *kind) const {
  return slots_[s].base == base && same_kind(slots_[s].card->kind(), kind);
}

int Bus::claim(unsigned base, unsigned length, const char *kind) {
  if (length == 0 || base + length > kPortSpace) return IO_CLAIM_INVALID;
  // Kinds compare case-insensitively, in the claims as in the catalog.
  char name[2 * sizeof(ioport::Claim::card)] = "";
  for (size_t i = 0; kind && kind[i] && i + 1 < sizeof name; ++i) {
    name[i] = lower(kind[i]);
    name[i + 1] = '\0';
  }
  std::lock_guard<std::mutex> lk(lock_);
  take_out_released_cards(base, length, name);
  bool found = false;
  for (unsigned p = base; p < base + length; ++p) {
    uint8_t s = owner_[p];
    if (s == kNoCard) continue;
    if (claimed_card_at(s, base, name))
      found = true;
    else if (!slots_[s].stand_in)
      return IO_CLAIM_OVERLAP;
  }
  // A stand-in that a library holds is refused here, with the other claims.
  int result = claims_.claim(base, length, name);
  if (result != IO_CLAIM_OK) return result;
  for (unsigned p = base; p < base + length; ++p)
    if (owner_[p] != kNoCard && !claimed_card_at(owner_[p], base, name)) unplug_slot(owner_[p]);
  if (!found && find_card_kind(name) && plug_locked(name, base) == IOSIM_OK)
    slots_[slot_based_at(base)].by_claim = true;
  return result;
}

void Bus::release(unsigned base) {
  std::lock_guard<std::mutex> lk(lock_);
  claims_.release(base);
}

int Bus::irq_attach(int level, io_irq_handler handler, void *context) {
  std::lock_guard<std::mutex> lk(lock_);
  // Cards' time is brought up to now first: what came due while no handler
  // listened was dropped, and must not arrive as a burst.
  advance_all(clock_now_ns());
  int result = irq_.attach(level, handler, context);
  if (result == IO_IRQ_OK) {
    adopt_level(level);
    start_ticker();
    ticker_wake_.notify_one();
  }
  return result;
}

// Without the bus lock: detach waits for a handler that is running, and the
// handler itself makes port accesses.
int Bus::irq_detach(int level) { return irq_.detach(level); }

// A card on jumper -1 takes the level that the driver attaches while it is
// the only claimed card that can interrupt.
void Bus::adopt_level(int level) {
  int only = -1;
  for (int i = 0; i < kMaxCards; ++i) {
    Slot &slot = slots_[i];
    if (!slot.card || !slot.card->has_interrupt_source() || !claims_.find(slot.base)) continue;
    if (only >= 0) return;
    only = i;
  }
  if (only >= 0) slots_[only].followed = level;
}

// Under the bus lock, from inside a card.
void Bus::route_interrupt(int s) {
  const Slot &slot = slots_[s];
  int level = slot.jumper >= 0 ? slot.jumper : slot.followed;
  if (level >= 0) irq_.raise(level);
}

int Bus::set_card_irq(unsigned base, int level) {
  if (level < -1 || level >= InterruptController::kLevels) return IOSIM_INVALID;
  std::lock_guard<std::mutex> lk(lock_);
  for (Slot &slot : slots_) {
    if (slot.card && slot.base == base) {
      slot.jumper = level;
      return IOSIM_OK;
    }
  }
  return IOSIM_NO_CARD;
}

// --- rack -------------------------------------------------------------------

int Bus::plug_locked(const char *kind, unsigned base) {
  if (!kind) return IOSIM_INVALID;
  const CardKind *k = find_card_kind(kind);
  if (!k) return IOSIM_UNKNOWN_KIND;
  std::unique_ptr<CardModel> card = k->make();
  unsigned length = card->length();
  if (length == 0 || base + length > kPortSpace) return IOSIM_INVALID;
  for (unsigned p = base; p < base + length; ++p)
    if (owner_[p] != kNoCard) return IOSIM_BUSY;
  int s = 0;
  while (s < kMaxCards && slots_[s].card) ++s;
  if (s == kMaxCards) return IOSIM_BUSY;
  Slot &slot = slots_[s];
  slot.card = std::move(card);
  slot.base = base;
  slot.length = length;
  slot.jumper = -1;
  slot.followed = -1;
  std::memset(owner_ + base, s, length);
  slot.card->connect_interrupt([this, s] { route_interrupt(s); });
  slot.card->advance_to(clock_now_ns());  // the card's time starts now
  return IOSIM_OK;
}

int Bus::plug(const char *kind, unsigned base) {
  std::lock_guard<std::mutex> lk(lock_);
  return plug_locked(kind, base);
}

int Bus::slot_based_at(unsigned base) {
  for (int s = 0; s < kMaxCards; ++s)
    if (slots_[s].card && slots_[s].base == base) return s;
  return -1;
}

void Bus::unplug_slot(int s) {
  Slot &slot = slots_[s];
  std::memset(owner_ + slot.base, kNoCard, slot.length);
  slot.card.reset();
  slot.by_claim = false;
  slot.stand_in = false;
}

int Bus::unplug(unsigned base) {
  std::lock_guard<std::mutex> lk(lock_);
  int s = slot_based_at(base);
  if (s < 0) return IOSIM_NO_CARD;
  unplug_slot(s);
  return IOSIM_OK;
}

void Bus::clear_locked() {
  for (Slot &slot : slots_) {
    slot.card.reset();
    slot.by_claim = false;
    slot.stand_in = false;
  }
  std::memset(owner_, kNoCard, sizeof owner_);
  claims_.clear();
  journal_.clear();
  clock_set_manual(false);
  irq_.drop_pending();
}

void Bus::clear_rack() {
  std::lock_guard<std::mutex> lk(lock_);
  clear_locked();
}

void Bus::reset() {
  std::lock_guard<std::mutex> lk(lock_);
  clear_locked();
  apply_rack(rack_given_ ? rack_text_ : nullptr, false);
}

int Bus::load_rack(const char *text) {
  std::lock_guard<std::mutex> lk(lock_);
  clear_locked();
  RackText rack;
  if (!parse_rack(text, &rack)) {
    plug_default_rack();
    return 0;
  }
  int refused = rack.bad;
  for (int i = 0; i < rack.count; ++i)
    if (plug_locked(rack.entries[i].kind, rack.entries[i].base) != IOSIM_OK) ++refused;
  return refused;
}

// With no rack given, the simulated PC holds one Kestan card, in for
// whatever card a library claims over it.
void Bus::plug_default_rack() {
  if (plug_locked("kestan", kDefaultBase) == IOSIM_OK)
    slots_[slot_based_at(kDefaultBase)].stand_in = true;
}

// The rack of the variable (or the default one). Entries that cannot be
// read or plugged are left out and, at start-up, said once on stderr.
void Bus::apply_rack(const char *text, bool report) {
  RackText rack;
  if (!parse_rack(text, &rack)) {
    plug_default_rack();
    return;
  }
  if (report && rack.bad)
    std::fprintf(stderr, "iosim: %s: %d entr%s not understood, first \"%s\" (want kind@hexbase)\n",
                 kRackVariable, rack.bad, rack.bad == 1 ? "y" : "ies", rack.first_bad);
  for (int i = 0; i < rack.count; ++i) {
    const RackEntry &e = rack.entries[i];
    int result = plug_locked(e.kind, e.base);
    if (report && result != IOSIM_OK)
      std::fprintf(stderr, "iosim: %s: %s@%X left out (%s)\n", kRackVariable, e.kind, e.base,
                   result == IOSIM_UNKNOWN_KIND ? "no model of that kind"
                   : result == IOSIM_BUSY       ? "range occupied"
                                                : "outside the port space");
  }
}

CardModel *Bus::card_based_at(unsigned base) {
  for (Slot &slot : slots_)
    if (slot.card && slot.base == base) return slot.card.get();
  return nullptr;
}

int Bus::card_at(unsigned port, char *kind, int size) {
  if (port >= kPortSpace) return -1;
  std::lock_guard<std::mutex> lk(lock_);
  uint8_t s = owner_[port];
  if (s == kNoCard) return -1;
  if (kind && size > 0) {
    std::strncpy(kind, slots_[s].card->kind(), static_cast<size_t>(size) - 1);
    kind[size - 1] = '\0';
  }
  return static_cast<int>(slots_[s].base);
}

// --- journal ----------------------------------------------------------------

void Bus::journal_enable(bool on) {
  std::lock_guard<std::mutex> lk(lock_);
  journal_.enable(on);
}

void Bus::journal_clear() {
  std::lock_guard<std::mutex> lk(lock_);
  journal_.clear();
}

uint64_t Bus::journal_total() {
  std::lock_guard<std::mutex> lk(lock_);
  return journal_.total();
}

int Bus::journal_read(iosim_access *out, int max) {
  std::lock_guard<std::mutex> lk(lock_);
  return journal_.read(out, max);
}

// --- time -------------------------------------------------------------------

void Bus::advance_all(uint64_t now_ns) {
  for (Slot &slot : slots_)
    if (slot.card) slot.card->advance_to(now_ns);
}

void Bus::clock_advance(uint64_t ns) {
  {
    std::lock_guard<std::mutex> lk(lock_);
    sim::clock_advance(ns);
    advance_all(clock_now_ns());
  }
  // A stepped clock promises that every request now due has been served on
  // return, also those the ticker thread happens to be serving.
  irq_.deliver_all();
}

// Under the bus lock. The ticker is started at the first interrupt handler
// and lives as long as the process, asleep while no handler is attached:
// without one nothing needs the cards' time between accesses, as every
// access brings its card up to now.
void Bus::start_ticker() {
  if (ticker_started_) return;
  ticker_started_ = true;
  std::thread(&Bus::ticker_loop, this).detach();
}

void Bus::ticker_loop() {
  using Steady = std::chrono::steady_clock;
  const auto period = std::chrono::nanoseconds(kTickerPeriodNs);
  auto next = Steady::now();
  for (;;) {
    {
      std::unique_lock<std::mutex> lk(lock_);
      if (!irq_.any_attached()) {
        ticker_wake_.wait(lk, [this] { return irq_.any_attached(); });
        next = Steady::now();
      }
    }
    next += period;
    std::this_thread::sleep_until(next);
    auto now = Steady::now();
    if (now - next > 50 * period) next = now;  // after a stall, no burst of wake-ups
    {
      std::lock_guard<std::mutex> lk(lock_);
      advance_all(clock_now_ns());
    }
    deliver_interrupts();
  }
}

}  // namespace sim
