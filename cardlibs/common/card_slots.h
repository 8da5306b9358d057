// The card table every lamp-card library (orvel, sarrow, pellin) keeps: a few
// card slots, one current card, the address rules of its card kind, and the
// port range each initialised slot has claimed through ioport.
//
// Each library owns one CardTable in static storage (zero at load: every
// slot free, card 0 current) and one constant SlotRules. A failing call
// touches no port and changes nothing, except that an initialise whose port
// range cannot be claimed (kPortsInUse) leaves that slot free.
#ifndef KIT_CARD_SLOTS_H
#define KIT_CARD_SLOTS_H

#include <cstdint>

#include "card_results.h"

namespace cardlib {

// Result codes shared by the lamp-card libraries; each public header names
// them with its card word (Orvel_No_Error, ...): KIT_LAMP_CODES_AGREE ties
// them. The first ones are those of every card library (card_results.h).
enum Code : int {
  kNoError = No_Error,
  kCardNotInitial = Card_Not_Initial,        // the addressed slot is free
  kInvalidCardNumber = Invalid_Card_Number,  // card number outside the table
  kInvalidBaseAddress = Invalid_Base_Address,  // address outside the card's range or off its step
  kBaseAddressInUse = Base_Address_In_Use,   // another initialised slot holds the address
  kPortsInUse = 7,         // the port range belongs to another card or library
  kInvalidPort = 8,        // 8-bit port number out of range
  kInvalidPort16 = 9,      // 16-bit port number out of range
  kInvalidChannel = 12,    // channel out of range
  kInvalidDOValue = 17,    // single-channel value other than 0 or 1
  kInvalidPointer = Invalid_Pointer,  // null pointer for a result (checked last)
};

// In a library's source: its public codes are the shared ones, value for value.
#define KIT_LAMP_CODES_AGREE(Card)                                                             \
  static_assert(int{Card##_No_Error} == cardlib::kNoError &&                                \
                    int{Card##_Card_Not_Initial} == cardlib::kCardNotInitial &&             \
                    int{Card##_Invalid_Card_Number} == cardlib::kInvalidCardNumber &&       \
                    int{Card##_Invalid_Base_Address} == cardlib::kInvalidBaseAddress &&     \
                    int{Card##_Base_Address_In_Use} == cardlib::kBaseAddressInUse &&        \
                    int{Card##_Ports_In_Use} == cardlib::kPortsInUse &&                     \
                    int{Card##_Invalid_Channel_Number} == cardlib::kInvalidChannel &&       \
                    int{Card##_Invalid_DO_Value} == cardlib::kInvalidDOValue &&             \
                    int{Card##_Invalid_Pointer} == cardlib::kInvalidPointer,                \
                #Card " result codes are the lamp cards' codes")

constexpr int kMaxCards = 8;
constexpr int kMaxShadow = 4;

struct SlotRules {
  const char *kind;        // card kind given to io_claim ("orvel", ...)
  int cards;               // card numbers 0 to cards - 1 (at most kMaxCards)
  int first_base, last_base, base_step;
  unsigned short ports;    // length of the card's port range
};

struct Slot {
  int32_t base;
  int32_t initialised;     // 0 free, 1 initialised
  uint8_t shadow[kMaxShadow];  // last value written to each output byte
};

struct CardTable {
  Slot slots[kMaxCards];
  int32_t current;
};

// Registers the card at base and makes it current. The slot claims the
// card's range (io_claim) and gives up the range it held before.
int table_initial(CardTable *table, const SlotRules *rules, int card, int base);
int table_set_card(CardTable *table, const SlotRules *rules, int card);
int table_get_card(const CardTable *table, int *card);
// The current card's slot, nullptr while it is free.
Slot *table_current(CardTable *table);
// Every slot free and every claim given back: what a fresh load gives.
void table_reset(CardTable *table);

}  // namespace cardlib

#endif
