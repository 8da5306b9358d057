// The counter section of the current card, an 8254. The driver keeps no
// counter state: every call programs or reads the chip in full, in the order
// the chip needs (control word first; count and latched count low byte first).
#include "card_table.h"
#include "ioport.h"

using namespace kestan;

namespace {

bool valid_counter(int counter) { return counter >= 0 && counter < kCounterCount; }
bool valid_mode(int mode) { return mode >= 0 && mode < kCounterModeCount; }

unsigned short control_port(const CardSlot *card) {
  return card_port(card, kCounterControlOffset);
}
unsigned short data_port(const CardSlot *card, int counter) {
  return card_port(card, kCounterDataOffset + counter);
}

void load_count(const CardSlot *card, int counter, unsigned char control, unsigned char low,
                unsigned char high) {
  io_out8(control_port(card), control);
  io_out8(data_port(card, counter), low);
  io_out8(data_port(card, counter), high);
}

// Latch command, then exactly two reads so that the chip's latch is released.
unsigned latched_count(const CardSlot *card, int counter) {
  io_out8(control_port(card), latch_command(counter));
  unsigned low = io_in8(data_port(card, counter));
  unsigned high = io_in8(data_port(card, counter));
  return low + 256 * high;
}

}  // namespace

extern "C" KESTAN_EXPORT int KESTAN_CALL W_Kestan_Timer_Start(int counter, int mode,
                                                             unsigned int count) {
  CardSlot *card = current_card();
  if (!card) return Card_Not_Initial;
  if (!valid_mode(mode)) return Invalid_Counter_Mode;
  if (!valid_counter(counter)) return Invalid_Counter_Number;
  load_count(card, counter, start_control_word(counter, mode), static_cast<unsigned char>(count),
             static_cast<unsigned char>(count >> 8));
  return No_Error;
}

extern "C" KESTAN_EXPORT int KESTAN_CALL W_Kestan_Timer_Read(int counter, unsigned int *count) {
  CardSlot *card = current_card();
  if (!card) return Card_Not_Initial;
  if (!valid_counter(counter)) return Invalid_Counter_Number;
  if (!count) return Invalid_Pointer;
  *count = latched_count(card, counter);
  return No_Error;
}

// The count is read before the counter is reprogrammed, so the caller gets
// the count just before the reload.
extern "C" KESTAN_EXPORT int KESTAN_CALL W_Kestan_Timer_Stop(int counter, unsigned int *count) {
  CardSlot *card = current_card();
  if (!card) return Card_Not_Initial;
  if (!valid_counter(counter)) return Invalid_Counter_Number;
  if (!count) return Invalid_Pointer;
  unsigned last = latched_count(card, counter);
  load_count(card, counter, stop_control_word(counter), kStopCountLow, kStopCountHigh);
  *count = last;
  return No_Error;
}
