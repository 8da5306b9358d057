// Digital input and output of the current card: one port access per call.
// The card's outputs cannot be read back, so every output call records what
// it wrote in the card's shadow, after the write.
#include "card_table.h"
#include "ioport.h"

using namespace kestan;

namespace {

bool valid_port(int port) { return port >= 0 && port < kPortCount; }
bool valid_port16(int port) { return port >= 0 && port < kPort16Count; }
bool valid_channel(int channel) { return channel >= 0 && channel < kChannelCount; }

int port_of_channel(int channel) { return channel / kChannelsPerPort; }
int bit_of_channel(int channel) { return channel % kChannelsPerPort; }

// Every bit but bit within the low 8 bits.
unsigned all_bits_but(int bit) { return (255u >> (8 - bit)) + (254u << bit); }

}  // namespace

extern "C" KESTAN_EXPORT int KESTAN_CALL W_Kestan_DI_8(int port, unsigned char *value) {
  CardSlot *card = current_card();
  if (!card) return Card_Not_Initial;
  if (!valid_port(port)) return Invalid_Port_Number;
  if (!value) return Invalid_Pointer;
  *value = io_in8(card_port(card, port));
  return No_Error;
}

extern "C" KESTAN_EXPORT int KESTAN_CALL W_Kestan_DI_Channel(int channel, int *value) {
  CardSlot *card = current_card();
  if (!card) return Card_Not_Initial;
  if (!valid_channel(channel)) return Invalid_Channel_Number;
  if (!value) return Invalid_Pointer;
  unsigned char byte = io_in8(card_port(card, port_of_channel(channel)));
  *value = (byte >> bit_of_channel(channel)) & 1;
  return No_Error;
}

extern "C" KESTAN_EXPORT int KESTAN_CALL W_Kestan_DI_16(int port, unsigned int *value) {
  CardSlot *card = current_card();
  if (!card) return Card_Not_Initial;
  if (!valid_port16(port)) return Invalid_Port16_Number;
  if (!value) return Invalid_Pointer;
  *value = io_in16(card_port(card, kPort16Stride * port));
  return No_Error;
}

extern "C" KESTAN_EXPORT int KESTAN_CALL W_Kestan_DO_8(int port, unsigned int value) {
  CardSlot *card = current_card();
  if (!card) return Card_Not_Initial;
  if (!valid_port(port)) return Invalid_Port_Number;
  unsigned char byte = static_cast<unsigned char>(value);
  io_out8(card_port(card, port), byte);
  card->shadow[port] = byte;
  return No_Error;
}

// Rewrites the whole port from the shadow with one bit changed; the card's
// outputs are never read.
extern "C" KESTAN_EXPORT int KESTAN_CALL W_Kestan_DO_Channel(int channel, unsigned int value) {
  CardSlot *card = current_card();
  if (!card) return Card_Not_Initial;
  if (!valid_channel(channel)) return Invalid_Channel_Number;
  unsigned level = value & 0xFF;
  if (level > 1) return Invalid_DO_Value;
  int port = port_of_channel(channel);
  int bit = bit_of_channel(channel);
  unsigned char byte =
      static_cast<unsigned char>((card->shadow[port] & all_bits_but(bit)) + (level << bit));
  io_out8(card_port(card, port), byte);
  card->shadow[port] = byte;
  return No_Error;
}

extern "C" KESTAN_EXPORT int KESTAN_CALL W_Kestan_DO_16(int port, unsigned int value) {
  CardSlot *card = current_card();
  if (!card) return Card_Not_Initial;
  if (!valid_port16(port)) return Invalid_Port16_Number;
  unsigned short word = static_cast<unsigned short>(value);
  io_out16(card_port(card, kPort16Stride * port), word);
  card->shadow[kPort16Stride * port + 1] = static_cast<unsigned char>(word >> 8);
  card->shadow[kPort16Stride * port] = static_cast<unsigned char>(word);
  return No_Error;
}

extern "C" KESTAN_EXPORT int KESTAN_CALL W_Kestan_Read_Back(int port, unsigned char *value) {
  CardSlot *card = current_card();
  if (!card) return Card_Not_Initial;
  if (!valid_port(port)) return Invalid_Port_Number;
  if (!value) return Invalid_Pointer;
  *value = card->shadow[port];
  return No_Error;
}
