#include "card_slots.h"

#include "ioport.h"

namespace cardlib {

namespace {

bool base_in_rules(const SlotRules *rules, int base) {
  return base >= rules->first_base && base <= rules->last_base &&
         (base - rules->first_base) % rules->base_step == 0;
}

bool other_slot_holds(const CardTable *table, const SlotRules *rules, int card, int base) {
  for (int i = 0; i < rules->cards; ++i)
    if (i != card && table->slots[i].initialised && table->slots[i].base == base) return true;
  return false;
}

void free_slot(Slot &slot) {
  if (slot.initialised) io_release(static_cast<unsigned short>(slot.base));
  slot.initialised = 0;
}

}  // namespace

int table_initial(CardTable *table, const SlotRules *rules, int card, int base) {
  if (card < 0 || card >= rules->cards) return kInvalidCardNumber;
  if (!base_in_rules(rules, base)) return kInvalidBaseAddress;
  if (other_slot_holds(table, rules, card, base)) return kBaseAddressInUse;
  Slot &slot = table->slots[card];
  if (io_claim(static_cast<unsigned short>(base), rules->ports, rules->kind) != IO_CLAIM_OK) {
    // The card is not at its old address any more either: calls on the slot
    // must be refused, not go on driving whatever sits there now.
    free_slot(slot);
    return kPortsInUse;
  }
  if (slot.initialised && slot.base != base)
    io_release(static_cast<unsigned short>(slot.base));
  slot.base = base;
  slot.initialised = 1;
  table->current = card;
  return kNoError;
}

int table_set_card(CardTable *table, const SlotRules *rules, int card) {
  if (card < 0 || card >= rules->cards) return kInvalidCardNumber;
  if (!table->slots[card].initialised) return kCardNotInitial;
  table->current = card;
  return kNoError;
}

int table_get_card(const CardTable *table, int *card) {
  if (!table->slots[table->current].initialised) return kCardNotInitial;
  if (!card) return kInvalidPointer;
  *card = table->current;
  return kNoError;
}

Slot *table_current(CardTable *table) {
  Slot *slot = &table->slots[table->current];
  return slot->initialised ? slot : nullptr;
}

void table_reset(CardTable *table) {
  for (Slot &slot : table->slots) {
    free_slot(slot);
    slot = Slot{};
  }
  table->current = 0;
}

}  // namespace cardlib
