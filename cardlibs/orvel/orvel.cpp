// The Orvel driver: card table (shared rules, cardlib::CardTable), digital
// input from offsets 0 to 3, output to offsets 4 to 7 through an output
// shadow from which Read_Back answers.
#include "orvel.h"

#include "card_slots.h"
#include "ioport.h"
#include "orvel_registers.h"

#ifdef _WIN32
#define ORVEL_EXPORT
#else
#define ORVEL_EXPORT __attribute__((visibility("default")))
#endif

using namespace orvel;
using cardlib::Slot;

namespace {

const cardlib::SlotRules kRules = {"orvel", kCards, kFirstBase, kLastBase, kBaseStep, kPorts};
KIT_LAMP_CODES_AGREE(Orvel);
static_assert(int{Orvel_Invalid_Port_Number} == cardlib::kInvalidPort &&
                  int{Orvel_Invalid_Port16_Number} == cardlib::kInvalidPort16,
              "Orvel port codes are the lamp cards' codes");
cardlib::CardTable g_table;

unsigned short port_of(const Slot *card, int offset) {
  return static_cast<unsigned short>(card->base + offset);
}

bool byte_port_ok(int port) { return port >= 0 && port < kBytePorts; }
bool word_port_ok(int port) { return port >= 0 && port < kWordPorts; }
bool channel_ok(int channel) { return channel >= 0 && channel < kChannels; }

}  // namespace

extern "C" {

ORVEL_EXPORT int ORVEL_CALL W_Orvel_Initial(int card, int base) {
  return cardlib::table_initial(&g_table, &kRules, card, base);
}

ORVEL_EXPORT int ORVEL_CALL W_Orvel_Set_Card(int card) {
  return cardlib::table_set_card(&g_table, &kRules, card);
}

ORVEL_EXPORT int ORVEL_CALL W_Orvel_Get_Card(int *card) {
  return cardlib::table_get_card(&g_table, card);
}

ORVEL_EXPORT int ORVEL_CALL W_Orvel_DI_8(int port, unsigned char *value) {
  Slot *card = cardlib::table_current(&g_table);
  if (!card) return Orvel_Card_Not_Initial;
  if (!byte_port_ok(port)) return Orvel_Invalid_Port_Number;
  if (!value) return Orvel_Invalid_Pointer;
  *value = io_in8(port_of(card, kInputOffset + port));
  return Orvel_No_Error;
}

ORVEL_EXPORT int ORVEL_CALL W_Orvel_DI_Channel(int channel, int *value) {
  Slot *card = cardlib::table_current(&g_table);
  if (!card) return Orvel_Card_Not_Initial;
  if (!channel_ok(channel)) return Orvel_Invalid_Channel_Number;
  if (!value) return Orvel_Invalid_Pointer;
  unsigned byte = io_in8(port_of(card, kInputOffset + channel / 8));
  *value = static_cast<int>((byte >> (channel % 8)) & 1);
  return Orvel_No_Error;
}

ORVEL_EXPORT int ORVEL_CALL W_Orvel_DI_16(int port, unsigned int *value) {
  Slot *card = cardlib::table_current(&g_table);
  if (!card) return Orvel_Card_Not_Initial;
  if (!word_port_ok(port)) return Orvel_Invalid_Port16_Number;
  if (!value) return Orvel_Invalid_Pointer;
  *value = io_in16(port_of(card, kInputOffset + 2 * port));
  return Orvel_No_Error;
}

ORVEL_EXPORT int ORVEL_CALL W_Orvel_DO_8(int port, unsigned int value) {
  Slot *card = cardlib::table_current(&g_table);
  if (!card) return Orvel_Card_Not_Initial;
  if (!byte_port_ok(port)) return Orvel_Invalid_Port_Number;
  auto byte = static_cast<unsigned char>(value);
  io_out8(port_of(card, kOutputOffset + port), byte);
  card->shadow[port] = byte;
  return Orvel_No_Error;
}

ORVEL_EXPORT int ORVEL_CALL W_Orvel_DO_Channel(int channel, unsigned int value) {
  Slot *card = cardlib::table_current(&g_table);
  if (!card) return Orvel_Card_Not_Initial;
  if (!channel_ok(channel)) return Orvel_Invalid_Channel_Number;
  unsigned bit = value & 0xFF;
  if (bit > 1) return Orvel_Invalid_DO_Value;
  int port = channel / 8, shift = channel % 8;
  auto byte = static_cast<unsigned char>((card->shadow[port] & ~(1u << shift)) | (bit << shift));
  io_out8(port_of(card, kOutputOffset + port), byte);
  card->shadow[port] = byte;
  return Orvel_No_Error;
}

ORVEL_EXPORT int ORVEL_CALL W_Orvel_DO_16(int port, unsigned int value) {
  Slot *card = cardlib::table_current(&g_table);
  if (!card) return Orvel_Card_Not_Initial;
  if (!word_port_ok(port)) return Orvel_Invalid_Port16_Number;
  auto word = static_cast<unsigned short>(value);
  io_out16(port_of(card, kOutputOffset + 2 * port), word);
  card->shadow[2 * port] = static_cast<unsigned char>(word);
  card->shadow[2 * port + 1] = static_cast<unsigned char>(word >> 8);
  return Orvel_No_Error;
}

ORVEL_EXPORT int ORVEL_CALL W_Orvel_Read_Back(int port, unsigned char *value) {
  Slot *card = cardlib::table_current(&g_table);
  if (!card) return Orvel_Card_Not_Initial;
  if (!byte_port_ok(port)) return Orvel_Invalid_Port_Number;
  if (!value) return Orvel_Invalid_Pointer;
  *value = card->shadow[port];
  return Orvel_No_Error;
}

#ifndef _WIN32
// A fresh load for the host tests: every slot free, claims given back.
ORVEL_EXPORT void orvel_reset_card_table(void) { cardlib::table_reset(&g_table); }
#endif

}  // extern "C"
