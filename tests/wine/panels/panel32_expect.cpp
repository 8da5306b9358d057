#include "panel32_expect.h"

#include <cstdio>

PanelExpect expect_panel32(const char *title, int address_step) {
  PanelExpect e = {};
  e.class_name = "GenericWClass";
  e.title = title;
  e.width = 364;
  e.height = 294;
  e.lamps = 32;
  expect_lamps(e.inputs, 32, 320, 20, 16, 60, -20);
  expect_lamps(e.outputs, 32, 320, 20, 16, 154, -20);
  int addresses = (0x3FF - 0x200) / address_step + 1;
  e.entries = 2 + addresses;
  e.entry_texts[0] = "(None)";
  e.entry_texts[1] = "Demo";
  e.entry_texts[2] = "200H";
  e.entry_texts[3] = address_step == 8 ? "208H" : "210H";
  e.last_entry = address_step == 8 ? "3F8H" : "3F0H";
  e.selector_at = {192, 208};
  e.input_panel = {10, 16, 346, 100};
  e.output_panel = {10, 110, 346, 194};
  e.box = {80, 204, 300, 239};
  e.input_title = {20, 10};
  e.output_title = {20, 104};
  e.box_label = {90, 212};
  e.scales[0] = {20, 26, 30, 36};
  e.scales[1] = {20, 76, 30, 86};
  e.scales[2] = {20, 120, 30, 130};
  e.scales[3] = {20, 170, 30, 180};
  e.scale_texts[0] = e.scale_texts[2] = expect_scale("31", 71, "16");
  e.scale_texts[1] = e.scale_texts[3] = expect_scale("15", 72, "0");
  e.scale_count = 4;
  e.address_index = 2 + (0x2A0 - 0x200) / address_step;
  e.choose[0] = {1, {0, 0x2A0}};
  e.poll[0] = {2, {0}};
  e.poll[1] = {6, {0, 1}};
  e.poll[2] = {6, {1, 1}};
  e.read_ordinal = 6;
  e.write_ordinal = 9;
  e.writes_per_click = 2;
  // Two clicks on output lamp 17: port 1 carries the bit as its bit 1.
  e.click_lamp = 17;
  e.first_click[0] = {9, {0, 0}};
  e.first_click[1] = {9, {1, 2}};
  e.second_click[0] = {9, {0, 0}};
  e.second_click[1] = {9, {1, 0}};
  return e;
}
