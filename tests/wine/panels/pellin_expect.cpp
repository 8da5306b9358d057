#include "panel_expect.h"

static PanelExpect make() {
  PanelExpect e = {};
  e.class_name = "PellinClass";
  e.title = "Pellin";
  e.width = 280;
  e.height = 260;
  e.lamps = 8;
  expect_lamps(e.inputs, 8, 230, 30, 8, 40, 0);
  expect_lamps(e.outputs, 8, 230, 30, 8, 120, 0);
  e.entries = 2 + 256;
  e.entry_texts[0] = "(None)";
  e.entry_texts[1] = "Demo";
  e.entry_texts[2] = "200H";
  e.entry_texts[3] = "202H";
  e.last_entry = "3FEH";
  e.selector_at = {152, 170};
  e.input_panel = {10, 16, 256, 80};
  e.output_panel = {10, 96, 256, 160};
  e.box = {30, 165, 240, 200};
  e.input_title = {20, 10};
  e.output_title = {20, 90};
  e.box_label = {50, 172};
  e.scales[0] = {20, 56, 40, 66};
  e.scales[1] = {20, 136, 40, 146};
  e.scale_texts[0] = e.scale_texts[1] = expect_scale(" 7", 51, "0");
  e.scale_count = 2;
  e.address_index = 2 + 255;  // 3FEH
  e.choose[0] = {1, {0, 0x3FE}};
  e.poll[0] = {2, {0}};
  e.poll[1] = {4, {1}};
  e.read_ordinal = 4;
  e.write_ordinal = 5;
  e.writes_per_click = 1;
  e.click_lamp = 7;
  e.first_click[0] = {5, {0x80}};
  e.second_click[0] = {5, {0}};
  return e;
}

const PanelExpect expect = make();
