// The card table: eight slots, the current card, and the calls that register
// and select cards. None of them touches a port.
#include "card_table.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kestan {

CardSlot g_slots[kCardCount];
int32_t g_current_card;

namespace {

bool valid_card_number(int card) { return card >= 0 && card < kCardCount; }

bool valid_base_address(int base) {
  return base >= kBaseFirst && base <= kBaseLast && base % kBaseStep == 0;
}

bool base_held_by_other_card(int card, int base) {
  for (int other = 0; other < kCardCount; ++other) {
    if (other != card && g_slots[other].state == kSlotInitialised && g_slots[other].base == base)
      return true;
  }
  return false;
}

}  // namespace
}  // namespace kestan

using namespace kestan;

extern "C" void kestan_reset_card_table(void) {
  for (CardSlot &slot : g_slots) slot.state = kSlotFree;
}

extern "C" KESTAN_EXPORT int KESTAN_CALL W_Kestan_Initial(int card, int base) {
  if (!valid_card_number(card)) return Invalid_Card_Number;
  if (!valid_base_address(base)) {
    // A rejected address releases the slot; the card stays current if it was.
    g_slots[card].state = kSlotFree;
    return Invalid_Base_Address;
  }
  if (base_held_by_other_card(card, base)) return Base_Address_In_Use;
  g_current_card = card;
  g_slots[card].base = base;
  g_slots[card].state = kSlotInitialised;
  return No_Error;
}

extern "C" KESTAN_EXPORT int KESTAN_CALL W_Kestan_Set_Card(int card) {
  if (!valid_card_number(card)) return Invalid_Card_Number;
  if (g_slots[card].state != kSlotInitialised) return Card_Not_Initial;
  g_current_card = card;
  return No_Error;
}

extern "C" KESTAN_EXPORT int KESTAN_CALL W_Kestan_Get_Card(int *card) {
  if (!current_card()) return Card_Not_Initial;
  if (!card) return Invalid_Pointer;
  *card = g_current_card;
  return No_Error;
}

// The entry routine. The loader also calls a DLL's entry each time a thread
// starts or ends in the process; resetting the table then would silently
// un-initialise cards that the program registered earlier on another thread,
// so only process attach resets it.
#ifdef _WIN32
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) kestan_reset_card_table();
  return TRUE;
}
#else
__attribute__((constructor)) static void reset_card_table_at_load() { kestan_reset_card_table(); }
#endif
