// Card table of a port-card library: eight slots, the current card, the
// claim of each card's ports. Checks come in a fixed order and a failure
// changes nothing, except that a rejected base address frees the slot (as
// the kestan library does), and so does a range that cannot be claimed: the
// card is no longer at its old base either, and calls on the slot must be
// refused rather than drive whatever sits there.
#include "ioport.h"
#include "ppi_card_lib.h"
#include "ppi_groups.h"

namespace ppicard {

namespace {

bool valid_base(const CardRules &r, int base) {
  return base >= r.base_min && base <= r.base_max && base % r.base_step == 0;
}

bool overlaps_other_card(const Library &lib, int card, int base) {
  const int end = base + static_cast<int>(lib.rules->ports);
  for (int i = 0; i < kMaxCards; ++i) {
    const Card &c = lib.cards[i];
    if (i == card || !c.initialised) continue;
    if (base < c.base + static_cast<int>(lib.rules->ports) && c.base < end) return true;
  }
  return false;
}

void free_slot(Card &c) {
  transfer_reset(c);
  if (c.claimed) io_release(static_cast<unsigned short>(c.base));
  c.claimed = false;
  c.initialised = false;
}

bool claim(unsigned base, const CardRules &r) {
  return io_claim(static_cast<unsigned short>(base), static_cast<unsigned short>(r.ports), r.kind) == IO_CLAIM_OK;
}


// initial and attach: held null programs the chips to their power-up state.
int register_card(Library &lib, int card, int base, int irq, const HeldChannels *held) {
  const CardRules &r = *lib.rules;
  if (card < 0 || card >= kMaxCards) return Invalid_Card_Number;
  Card &c = lib.cards[card];
  if (!valid_base(r, base)) {
    free_slot(c);
    return Invalid_Base_Address;
  }
  if (irq < r.irq_min || irq > r.irq_max) return Invalid_IRQ_Level;
  if (overlaps_other_card(lib, card, base)) return Base_Address_In_Use;
  const bool same_card = c.initialised && c.claimed && c.base == base;
  if (!same_card) {
    // The old claim goes first, so that a card moved by less than its
    // length is not refused for overlapping itself.
    free_slot(c);
    if (!claim(static_cast<unsigned>(base), r)) return Base_Address_In_Use;
  }
  transfer_reset(c);
  if (!same_card) {
    c.base = base;
    c.claimed = true;
    if (held)
      adopt_channels(c, r.channels, *held);
    else
      reset_channels(c, r.channels);
    if (r.reset_extra) r.reset_extra(c);
  }
  c.irq = irq;
  c.initialised = true;
  lib.current = card;
  return No_Error;
}

}  // namespace

int initial(Library &lib, int card, int base, int irq) { return register_card(lib, card, base, irq, nullptr); }

int attach(Library &lib, int card, int base, int irq, const HeldChannels &held) {
  return register_card(lib, card, base, irq, &held);
}

int attach(Library &lib, int card, int base, int irq, const unsigned char *modes, const unsigned char *latches) {
  if (!modes || !latches) return Invalid_Pointer;
  HeldChannels held{};
  for (int c = 0; c < lib.rules->channels; ++c) {
    held.mode[c] = modes[c];
    for (int p = 0; p < kPortsPerChannel; ++p) held.latch[c][p] = latches[kPortsPerChannel * c + p];
  }
  return attach(lib, card, base, irq, held);
}

int set_card(Library &lib, int card) {
  if (card < 0 || card >= kMaxCards) return Invalid_Card_Number;
  if (!lib.cards[card].initialised) return Card_Not_Initial;
  lib.current = card;
  return No_Error;
}

int get_card(Library &lib, int *card) {
  if (!current_card(lib)) return Card_Not_Initial;
  if (!card) return Invalid_Pointer;
  *card = lib.current;
  return No_Error;
}

Card *current_card(Library &lib) {
  Card &c = lib.cards[lib.current];
  return c.initialised ? &c : nullptr;
}

}  // namespace ppicard
