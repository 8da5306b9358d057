// The Sarrow driver: card table (cardlib::CardTable) and the 16-bit data
// register at offset 0, with an output shadow from which Read_Back answers.
#include "sarrow.h"

#include "card_slots.h"
#include "ioport.h"
#include "sarrow_registers.h"

#ifdef _WIN32
#define SARROW_EXPORT
#else
#define SARROW_EXPORT __attribute__((visibility("default")))
#endif

using namespace sarrow;
using cardlib::Slot;

namespace {

const cardlib::SlotRules kRules = {"sarrow", kCards, kFirstBase, kLastBase, kBaseStep, kPorts};
KIT_LAMP_CODES_AGREE(Sarrow);
cardlib::CardTable g_table;

unsigned short data_port(const Slot *card) {
  return static_cast<unsigned short>(card->base + kDataOffset);
}

bool channel_ok(int channel) { return channel >= 0 && channel < kChannels; }

unsigned shadow_word(const Slot *card) { return card->shadow[0] | (card->shadow[1] << 8); }

void write_outputs(Slot *card, unsigned word) {
  io_out16(data_port(card), static_cast<unsigned short>(word));
  card->shadow[0] = static_cast<unsigned char>(word);
  card->shadow[1] = static_cast<unsigned char>(word >> 8);
}

}  // namespace

extern "C" {

SARROW_EXPORT int SARROW_CALL W_Sarrow_Initial(int card, int base) {
  return cardlib::table_initial(&g_table, &kRules, card, base);
}

SARROW_EXPORT int SARROW_CALL W_Sarrow_Set_Card(int card) {
  return cardlib::table_set_card(&g_table, &kRules, card);
}

SARROW_EXPORT int SARROW_CALL W_Sarrow_Get_Card(int *card) {
  return cardlib::table_get_card(&g_table, card);
}

SARROW_EXPORT int SARROW_CALL W_Sarrow_DI(unsigned int *value) {
  Slot *card = cardlib::table_current(&g_table);
  if (!card) return Sarrow_Card_Not_Initial;
  if (!value) return Sarrow_Invalid_Pointer;
  *value = io_in16(data_port(card));
  return Sarrow_No_Error;
}

SARROW_EXPORT int SARROW_CALL W_Sarrow_DO(unsigned int value) {
  Slot *card = cardlib::table_current(&g_table);
  if (!card) return Sarrow_Card_Not_Initial;
  write_outputs(card, value & 0xFFFF);
  return Sarrow_No_Error;
}

SARROW_EXPORT int SARROW_CALL W_Sarrow_DI_Channel(int channel, int *value) {
  Slot *card = cardlib::table_current(&g_table);
  if (!card) return Sarrow_Card_Not_Initial;
  if (!channel_ok(channel)) return Sarrow_Invalid_Channel_Number;
  if (!value) return Sarrow_Invalid_Pointer;
  unsigned byte = io_in8(static_cast<unsigned short>(data_port(card) + channel / 8));
  *value = static_cast<int>((byte >> (channel % 8)) & 1);
  return Sarrow_No_Error;
}

SARROW_EXPORT int SARROW_CALL W_Sarrow_DO_Channel(int channel, unsigned int value) {
  Slot *card = cardlib::table_current(&g_table);
  if (!card) return Sarrow_Card_Not_Initial;
  if (!channel_ok(channel)) return Sarrow_Invalid_Channel_Number;
  unsigned bit = value & 0xFF;
  if (bit > 1) return Sarrow_Invalid_DO_Value;
  write_outputs(card, (shadow_word(card) & ~(1u << channel)) | (bit << channel));
  return Sarrow_No_Error;
}

SARROW_EXPORT int SARROW_CALL W_Sarrow_Read_Back(unsigned int *value) {
  Slot *card = cardlib::table_current(&g_table);
  if (!card) return Sarrow_Card_Not_Initial;
  if (!value) return Sarrow_Invalid_Pointer;
  *value = shadow_word(card);
  return Sarrow_No_Error;
}

#ifndef _WIN32
// A fresh load for the host tests: every slot free, claims given back.
SARROW_EXPORT void sarrow_reset_card_table(void) { cardlib::table_reset(&g_table); }
#endif

}  // extern "C"
