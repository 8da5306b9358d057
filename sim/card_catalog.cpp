#include "card_catalog.h"

#include "cards/kestan_card.h"
#include "cards/kestan_counting_card.h"
#include "cards/lamp_cards.h"
#include "cards/port_cards.h"
#include "cards/wendal_card.h"

namespace sim {

// A card's State is shared by 32-bit and 64-bit processes: the same size in every build.
static_assert(sizeof(KestanCard::State) == 184, "Kestan card state layout changed: new kPcVersion");
static_assert(sizeof(WendalCard::State) == 232, "Wendal card state layout changed: new kPcVersion");
static_assert(sizeof(PpiCard::State) == 62, "8255 card state layout changed: new kPcVersion");
static_assert(sizeof(DigitalCard::State) == 16, "lamp card state layout changed: new kPcVersion");

namespace {

const CardKind kCardKinds[] = {
    {"kestan", make_kestan_card},
    {"kestan_counter", make_kestan_counting_card},
    {"fenmar", make_fenmar_card},
    {"wendal", make_wendal_card},
    {"dulvar", make_dulvar_card},
    {"orvel", make_orvel_card},
    {"sarrow", make_sarrow_card},
    {"pellin", make_pellin_card},
    // A new kind goes last: the shared simulated PC records a kind by its place.
};

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(const char *a, const char *b) {
  for (; *a && *b; ++a, ++b)
    if (lower(*a) != lower(*b)) return false;
  return *a == *b;
}

}  // namespace

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
