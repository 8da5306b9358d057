// The library reports every failure as a bare number. Each documented number
// gets its name as kestan.h spells it, what it means and what to do about it.
#include "error_text.h"

#include <cstdio>

#include "kestan.h"

namespace {

struct ErrorText {
  int code;
  const char *name;
  const char *meaning;
  const char *remedy;
};

const ErrorText kErrorTexts[] = {
  {No_Error, "No_Error", "success", "nothing to do"},
  {Card_Not_Initial, "Card_Not_Initial", "the card slot is not initialised",
   "register the card first (W_Kestan_Initial; kestan-io does it with --card and --base)"},
  {Invalid_Card_Number, "Invalid_Card_Number", "card number outside 0 to 7",
   "give --card a number from 0 to 7"},
  {Invalid_Base_Address, "Invalid_Base_Address",
   "base address outside 200H to 3F8H or not a multiple of 8",
   "give --base the address set on the card's switches, a multiple of 8 from 0x200 to 0x3F8"},
  {Base_Address_In_Use, "Base_Address_In_Use", "another card of the table holds this base address",
   "use that card's number, or give this card its own address"},
  {Invalid_Port_Number, "Invalid_Port_Number", "8-bit port number outside 0 to 3",
   "use port 0 to 3 (port p holds channels 8p to 8p+7)"},
  {Invalid_Port16_Number, "Invalid_Port16_Number", "16-bit port number outside 0 to 1",
   "use 16-bit port 0 (channels 0-15) or 1 (channels 16-31)"},
  {Invalid_Channel_Number, "Invalid_Channel_Number", "channel outside 0 to 31",
   "use a channel from 0 to 31"},
  {Invalid_DO_Value, "Invalid_DO_Value", "a single output takes only 0 or 1",
   "write 0 (off) or 1 (on); use write-port for a whole byte"},
  {Invalid_Counter_Number, "Invalid_Counter_Number", "counter outside 0 to 2",
   "use counter 0, 1 or 2"},
  {Invalid_Counter_Mode, "Invalid_Counter_Mode", "counter mode outside 0 to 5",
   "use one of the 8254 modes 0 to 5 (2 = rate generator, 3 = square wave)"},
  {Invalid_Pointer, "Invalid_Pointer", "the variable for the result is a null pointer",
   "pass the address of a variable to receive the result"},
};

}  // namespace

void describe_kestan_error(int code, char *text, size_t size) {
  for (const ErrorText &e : kErrorTexts) {
    if (e.code == code) {
      std::snprintf(text, size, "%s (%d): %s. Remedy: %s.", e.name, e.code, e.meaning, e.remedy);
      return;
    }
  }
  std::snprintf(text, size,
                "unknown code (%d): the library returned a code it does not document. "
                "Remedy: check that libkestan.so is the toolkit's own.",
                code);
}
