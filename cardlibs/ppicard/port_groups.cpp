// Reading and writing a port group by port code (the panels' operations).
#include "ppi_card_lib.h"
#include "ppi_groups.h"

namespace ppicard {

int read_group(Library &lib, int code, unsigned char *value) {
  Card *c = current_card(lib);
  if (!c) return Card_Not_Initial;
  int channel = 0, group = 0;
  if (!decode_port_code(*lib.rules, code, &channel, &group)) return Invalid_Port_Code;
  if (!value) return Invalid_Pointer;
  set_group_direction(*c, channel, group, true);
  *value = input_group(*c, channel, group);
  return No_Error;
}

int write_group(Library &lib, int code, unsigned value) {
  Card *c = current_card(lib);
  if (!c) return Card_Not_Initial;
  int channel = 0, group = 0;
  if (!decode_port_code(*lib.rules, code, &channel, &group)) return Invalid_Port_Code;
  write_group_lines(*c, channel, group, value & 0xFF);
  return No_Error;
}

}  // namespace ppicard
