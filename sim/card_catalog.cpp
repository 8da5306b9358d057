#include "card_catalog.h"

#include "cards/kestan_card.h"
#include "cards/kestan_counting_card.h"
#include "cards/lamp_cards.h"
#include "cards/port_cards.h"
// Card models of the other kinds: include the model's header here.

namespace sim {

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
    // One line per further card model, e.g. {"orvel", make_orvel_card},
};

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(const char *a, const char *b) {
  for (; *a && *b; ++a, ++b)
    if (lower(*a) != lower(*b)) return false;
  return *a == *b;
}

}  // namespace

const CardKind *find_card_kind(const char *name) {
  if (!name) return nullptr;
  for (const CardKind &k : kCardKinds)
    if (same_name(k.name, name)) return &k;
  return nullptr;
}

}  // namespace sim
