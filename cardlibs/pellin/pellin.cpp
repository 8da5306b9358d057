// The Pellin driver: card table (cardlib::CardTable), inputs at offset 0,
// outputs at offset 1 through an output shadow from which Read_Back answers.
#include "pellin.h"

#include "card_slots.h"
#include "ioport.h"
#include "pellin_registers.h"

#ifdef _WIN32
#define PELLIN_EXPORT
#else
#define PELLIN_EXPORT __attribute__((visibility("default")))
#endif

using namespace pellin;
using cardlib::Slot;

namespace {

const cardlib::SlotRules kRules = {"pellin", kCards, kFirstBase, kLastBase, kBaseStep, kPorts};
KIT_LAMP_CODES_AGREE(Pellin);
cardlib::CardTable g_table;

unsigned short port_of(const Slot *card, int offset) {
  return static_cast<unsigned short>(card->base + offset);
}

bool channel_ok(int channel) { return channel >= 0 && channel < kChannels; }

void write_outputs(Slot *card, unsigned byte) {
  io_out8(port_of(card, kOutputOffset), static_cast<unsigned char>(byte));
  card->shadow[0] = static_cast<unsigned char>(byte);
}

}  // namespace

extern "C" {

PELLIN_EXPORT int PELLIN_CALL W_Pellin_Initial(int card, int base) {
  return cardlib::table_initial(&g_table, &kRules, card, base);
}

PELLIN_EXPORT int PELLIN_CALL W_Pellin_Set_Card(int card) {
  return cardlib::table_set_card(&g_table, &kRules, card);
}

PELLIN_EXPORT int PELLIN_CALL W_Pellin_Get_Card(int *card) {
  return cardlib::table_get_card(&g_table, card);
}

PELLIN_EXPORT int PELLIN_CALL W_Pellin_DI(unsigned char *value) {
  Slot *card = cardlib::table_current(&g_table);
  if (!card) return Pellin_Card_Not_Initial;
  if (!value) return Pellin_Invalid_Pointer;
  *value = io_in8(port_of(card, kInputOffset));
  return Pellin_No_Error;
}

PELLIN_EXPORT int PELLIN_CALL W_Pellin_DO(unsigned int value) {
  Slot *card = cardlib::table_current(&g_table);
  if (!card) return Pellin_Card_Not_Initial;
  write_outputs(card, value & 0xFF);
  return Pellin_No_Error;
}

PELLIN_EXPORT int PELLIN_CALL W_Pellin_DI_Channel(int channel, int *value) {
  Slot *card = cardlib::table_current(&g_table);
  if (!card) return Pellin_Card_Not_Initial;
  if (!channel_ok(channel)) return Pellin_Invalid_Channel_Number;
  if (!value) return Pellin_Invalid_Pointer;
  *value = static_cast<int>((io_in8(port_of(card, kInputOffset)) >> channel) & 1);
  return Pellin_No_Error;
}

PELLIN_EXPORT int PELLIN_CALL W_Pellin_DO_Channel(int channel, unsigned int value) {
  Slot *card = cardlib::table_current(&g_table);
  if (!card) return Pellin_Card_Not_Initial;
  if (!channel_ok(channel)) return Pellin_Invalid_Channel_Number;
  unsigned bit = value & 0xFF;
  if (bit > 1) return Pellin_Invalid_DO_Value;
  write_outputs(card, (card->shadow[0] & ~(1u << channel)) | (bit << channel));
  return Pellin_No_Error;
}

PELLIN_EXPORT int PELLIN_CALL W_Pellin_Read_Back(unsigned char *value) {
  Slot *card = cardlib::table_current(&g_table);
  if (!card) return Pellin_Card_Not_Initial;
  if (!value) return Pellin_Invalid_Pointer;
  *value = card->shadow[0];
  return Pellin_No_Error;
}

#ifndef _WIN32
// A fresh load for the host tests: every slot free, claims given back.
PELLIN_EXPORT void pellin_reset_card_table(void) { cardlib::table_reset(&g_table); }
#endif

}  // extern "C"
