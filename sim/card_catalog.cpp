#include "card_catalog.h"

#include <cstdio>

#include "cards/kestan_card.h"
#include "cards/kestan_counting_card.h"
#include "cards/lamp_cards.h"
#include "cards/port_cards.h"
#include "cards/wendal_card.h"
#include "dulvar_registers.h"
#include "fenmar_registers.h"
#include "orvel_registers.h"
#include "pellin_registers.h"
#include "sarrow_registers.h"

namespace sim {

// A card's State is shared by 32-bit and 64-bit processes: the same size in every build.
static_assert(sizeof(KestanCard::State) == 184, "Kestan card state layout changed: new kPcVersion");
static_assert(sizeof(WendalCard::State) == 232, "Wendal card state layout changed: new kPcVersion");
static_assert(sizeof(PpiCard::State) == 62, "8255 card state layout changed: new kPcVersion");
static_assert(sizeof(DigitalCard::State) == 16, "lamp card state layout changed: new kPcVersion");

namespace {

const CardKind kCardKinds[] = {
    // name             its base step (the library's)  model
    {"kestan", kestan::kBaseStep, make_kestan_card},
    {"kestan_counter", kestan::kBaseStep, make_kestan_counting_card},
    {"fenmar", fenmar::kBaseStep, make_fenmar_card},
    {"wendal", wendal::kBaseStep, make_wendal_card},
    {"dulvar", dulvar::kBaseStep, make_dulvar_card},
    {"orvel", orvel::kBaseStep, make_orvel_card},
    {"sarrow", sarrow::kBaseStep, make_sarrow_card},
    {"pellin", pellin::kBaseStep, make_pellin_card},
    // A new kind goes last: the shared simulated PC records a kind by its place.
};

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(const char *a, const char *b) {
  for (; *a && *b; ++a, ++b)
    if (lower(*a) != lower(*b)) return false;
  return *a == *b;
}

}  // namespace

unsigned card_length(const CardKind &kind) {
  alignas(8) unsigned char scratch[kCardStateBytes];
  return kind.make(scratch, true)->length();
}

bool base_fits(const CardKind &kind, unsigned base, char *why, size_t size) {
  const unsigned length = card_length(kind);
  const bool on_step = base % kind.base_step == 0;
  const bool inside = base >= kCardWindowFirst && base + length - 1 <= kCardWindowLast;
  if (on_step && inside) return true;
  if (why && size)
    std::snprintf(why, size, "a %s card sits at a multiple of %XH from %XH to %XH (its %u ports inside %XH-%XH)",
                  kind.name, kind.base_step,
                  kind.base_step * ((kCardWindowFirst + kind.base_step - 1) / kind.base_step),
                  (kCardWindowLast + 1 - length) / kind.base_step * kind.base_step, length, kCardWindowFirst,
                  kCardWindowLast);
  return false;
}

const CardKind *card_kind_at(int index) {
  constexpr int kKinds = sizeof kCardKinds / sizeof kCardKinds[0];
  return index >= 0 && index < kKinds ? &kCardKinds[index] : nullptr;
}

int card_kind_index(const CardKind *kind) { return static_cast<int>(kind - kCardKinds); }

const CardKind *find_card_kind(const char *name) {
  if (!name) return nullptr;
  for (const CardKind &k : kCardKinds)
    if (same_name(k.name, name)) return &k;
  return nullptr;
}

}  // namespace sim
