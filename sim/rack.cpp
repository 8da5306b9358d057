// The rack of the simulated PC: plugging and unplugging card models, the
// rack of KESTAN_SIM_RACK, a fresh PC, and what is plugged where.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bus.h"
#include "card_catalog.h"
#include "process_id.h"
#include "rack_config.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace sim {

namespace {

constexpr const char *kRackVariable = "KESTAN_SIM_RACK";

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

// A fresh PC: this build's header, the clock at 0, the journal on, and the
// rack of the variable (or the default one).
void Bus::make_fresh(PcState &image) {
  image.header.magic = kPcMagic;
  image.header.version = kPcVersion;
  image.header.size = sizeof(PcState);
  clock_start(image.clock);
  image.header.born = static_cast<uint64_t>(image.clock.epoch_wall_ns) ^ (this_process() << 40);
  image.journal.on = 1;
  std::memset(image.owner, kNoCard, sizeof image.owner);
  image.rack_given = read_rack_variable(image.rack_text, sizeof image.rack_text);
  Bus builder(&image);
  builder.apply_rack(image.rack_given ? image.rack_text : nullptr, true);
}

int Bus::plug_locked(const char *kind, unsigned base) {
  if (!kind) return IOSIM_INVALID;
  const CardKind *k = find_card_kind(kind);
  if (!k) return IOSIM_UNKNOWN_KIND;
  int s = 0;
  while (s < kMaxCards && slot(s).used) ++s;
  if (s == kMaxCards) return IOSIM_BUSY;
  if (!base_fits(*k, base, nullptr, 0)) return IOSIM_BAD_BASE;
  SlotState &sl = slot(s);
  const unsigned length = card_length(*k);
  for (unsigned p = base; p < base + length; ++p)
    if (pc_->owner[p] != kNoCard) return IOSIM_BUSY;
  std::unique_ptr<CardModel> card = k->make(sl.card, true);  // the card's power-up state
  sl.used = 1;
  sl.kind = card_kind_index(k);
  sl.base = base;
  sl.length = length;
  sl.jumper = -1;
  sl.followed = -1;
  sl.by_claim = 0;
  sl.stand_in = 0;
  sl.generation = ++pc_->generations;
  std::memset(pc_->owner + base, s, length);
  make_view(s);
  views_[s]->advance_to(clock_now_ns());  // the card's time starts now
  return IOSIM_OK;
}

int Bus::plug(const char *kind, unsigned base) {
  PcGuard guard(*this);
  return plug_locked(kind, base);
}

int Bus::slot_based_at(unsigned base) {
  for (int s = 0; s < kMaxCards; ++s)
    if (slot(s).used && slot(s).base == base) return s;
  return -1;
}

void Bus::unplug_slot(int s) {
  SlotState &sl = slot(s);
  std::memset(pc_->owner + sl.base, kNoCard, sl.length);
  sl.used = 0;
  sl.by_claim = 0;
  sl.stand_in = 0;
  views_[s].reset();
}

int Bus::unplug(unsigned base) {
  PcGuard guard(*this);
  int s = slot_based_at(base);
  if (s < 0) return IOSIM_NO_CARD;
  unplug_slot(s);
  return IOSIM_OK;
}

void Bus::clear_locked() {
  for (int s = 0; s < kMaxCards; ++s) {
    slot(s).used = 0;
    slot(s).by_claim = 0;
    slot(s).stand_in = 0;
    views_[s].reset();
  }
  std::memset(pc_->owner, kNoCard, sizeof pc_->owner);
  claims_.clear();
  journal_.clear();
  clock_set_manual(false);
  irq_.drop_pending();
}

void Bus::clear_rack() {
  PcGuard guard(*this);
  clear_locked();
}

void Bus::reset() {
  char text[kRackTextBytes];
  bool given = read_rack_variable(text, sizeof text);
  PcGuard guard(*this);
  clear_locked();
  pc_->rack_given = given;
  std::memcpy(pc_->rack_text, given ? text : "", given ? sizeof text : 1);
  apply_rack(given ? text : nullptr, false);
}

int Bus::load_rack(const char *text) {
  PcGuard guard(*this);
  clear_locked();
  RackText rack;
  pc_->rack_given = text != nullptr;  // the PC's rack from now on, as if it had been given
  std::snprintf(pc_->rack_text, sizeof pc_->rack_text, "%s", text ? text : "");
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
  if (plug_locked("kestan", kDefaultBase) == IOSIM_OK) slot(slot_based_at(kDefaultBase)).stand_in = 1;
}

// On the default rack, the Kestan card stands in for the user's card only
// while a program holds the card that a claim put in its place: once no
// running program claims any card over its ports, it is back at 2A8H, so a
// program finds its own kind there whatever ran before. A card plugged by
// hand (or a range emptied by hand) stays as it is, as does a rack the user
// gave; claimed cards elsewhere keep their outputs.
void Bus::bring_back_stand_in() {
  RackText given;
  if (pc_->rack_given && parse_rack(pc_->rack_text, &given)) return;
  const unsigned length = card_length(*find_card_kind("kestan"));
  bool displaced = false;
  for (unsigned p = kDefaultBase; p < kDefaultBase + length; ++p) {
    const uint8_t s = pc_->owner[p];
    if (s == kNoCard) continue;
    if (!slot(s).by_claim || claims_.claimed(slot(s).base)) return;
    displaced = true;
  }
  if (!displaced) return;
  for (unsigned p = kDefaultBase; p < kDefaultBase + length; ++p)
    if (pc_->owner[p] != kNoCard) unplug_slot(pc_->owner[p]);
  plug_default_rack();
}

// The rack of the variable (or the default one). Entries that cannot be
// read or plugged are left out and, when the PC is made, said once on stderr.
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
                                                : "not a base that kind can sit at");
  }
}

int Bus::card_at(unsigned port, char *kind, int size) {
  if (port >= kPortSpace) return -1;
  PcGuard guard(*this);
  uint8_t s = pc_->owner[port];
  if (s == kNoCard) return -1;
  if (kind && size > 0) {
    std::strncpy(kind, card(s).kind(), static_cast<size_t>(size) - 1);
    kind[size - 1] = '\0';
  }
  return static_cast<int>(slot(s).base);
}

// Cards in the order of their bases.
int Bus::cards(iosim_card_info *out, int max) {
  PcGuard guard(*this);
  int n = 0;
  for (unsigned port = 0; port < kPortSpace; ++port) {
    uint8_t s = pc_->owner[port];
    if (s == kNoCard || slot(s).base != port) continue;
    if (out && n < max) {
      const SlotState &sl = slot(s);
      iosim_card_info &c = out[n];
      c.base = static_cast<unsigned short>(sl.base);
      c.length = static_cast<unsigned short>(sl.length);
      c.irq = sl.jumper >= 0 ? sl.jumper : sl.followed;
      c.by_claim = static_cast<int>(sl.by_claim);
      std::snprintf(c.kind, sizeof c.kind, "%s", card_kind_at(sl.kind)->name);
    }
    ++n;
  }
  return n;
}

int Bus::claims(iosim_claim_info *out, int max) {
  PcGuard guard(*this);
  claims_.prune();
  int n = claims_.count();
  for (int i = 0; out && i < n && i < max; ++i) {
    const ClaimState &c = claims_.at(i);
    out[i].base = static_cast<unsigned short>(c.base);
    out[i].length = static_cast<unsigned short>(c.length);
    out[i].process = process_number(c.process);
    std::snprintf(out[i].card, sizeof out[i].card, "%s", c.card);
  }
  return n;
}

}  // namespace sim
