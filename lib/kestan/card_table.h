// Inside the kestan driver: the card table that every entry point shares.
// Not part of the public interface (kestan.h); the driver's own host tests
// include it to run the load-time reset between cases.
#ifndef KESTAN_CARD_TABLE_H
#define KESTAN_CARD_TABLE_H

#include <cstdint>

#include "kestan.h"
#include "kestan_registers.h"

// The library's exports. On Windows the .def file names them; elsewhere the
// library is built with hidden visibility and exports only what is marked.
#ifdef _WIN32
#define KESTAN_EXPORT
#else
#define KESTAN_EXPORT __attribute__((visibility("default")))
#endif

namespace kestan {

constexpr uint32_t kSlotFree = 255;
constexpr uint32_t kSlotInitialised = 0;

struct CardSlot {
  int32_t base;                   // last registered base; meaningful while initialised
  uint32_t state;                 // kSlotFree or kSlotInitialised
  uint8_t shadow[kPortCount];     // byte p: last value written to output port p
};

// The table itself, in static storage (card_table.cpp): zero at the first
// load, so base 0, shadow 0 and current card 0; the load-time reset then
// marks every slot free.
extern CardSlot g_slots[kCardCount];
extern int32_t g_current_card;

// The current card's slot, or nullptr while that slot is free. The common
// first check of every input/output and counter entry point, inline because
// it is on the way of every port access.
inline CardSlot *current_card() {
  CardSlot *card = &g_slots[g_current_card];
  return card->state == kSlotInitialised ? card : nullptr;
}

// Port of the current card at the offset (0 to 7).
inline unsigned short card_port(const CardSlot *card, int offset) {
  return static_cast<unsigned short>(card->base + offset);
}

}  // namespace kestan

extern "C" {
// What the library does when it is loaded into a process: every slot free.
// Base addresses, output shadows and the current card keep their values.
// Exported on Linux only, where the host tests reach it; kestan.def leaves it out.
KESTAN_EXPORT void kestan_reset_card_table(void);
}

#endif
