#include "panel_expect.h"

static PanelExpect make() {
  PanelExpect e = {};
  e.class_name = "GenericWClass";
  e.title = "Sarrow";
  e.width = 370;
  e.height = 284;
  e.lamps = 16;
  expect_lamps(e.inputs, 16, 320, 20, 16, 40, 0);
  expect_lamps(e.outputs, 16, 320, 20, 16, 120, 0);
  e.entries = 2 + 64;
  e.entry_texts[0] = "(None)";
  e.entry_texts[1] = "Demo";
  e.entry_texts[2] = "200H";
  e.entry_texts[3] = "208H";
  e.last_entry = "3F8H";
  e.selector_at = {192, 180};
  e.input_panel = {10, 16, 346, 80};
  e.output_panel = {10, 96, 346, 160};
  e.box = {70, 175, 290, 210};
  e.input_title = {20, 10};
  e.output_title = {20, 90};
  e.box_label = {90, 182};
  e.scales[0] = {20, 56, 30, 66};
  e.scales[1] = {20, 136, 30, 146};
  e.scale_texts[0] = e.scale_texts[1] = expect_scale("15", 72, "0");
  e.scale_count = 2;
  e.address_index = 2 + (0x2A8 - 0x200) / 8;
  e.choose[0] = {1, {0, 0x2A8}};
  e.poll[0] = {2, {0}};
  e.poll[1] = {4, {1}};  // a pointer to the input word
  e.read_ordinal = 4;
  e.write_ordinal = 5;
  e.writes_per_click = 1;
  e.click_lamp = 15;
  e.first_click[0] = {5, {0x8000}};
  e.second_click[0] = {5, {0}};
  return e;
}

const PanelExpect expect = make();
