// The one-row lamp panel shared by sarrow_panel and pellin_panel: a block of
// input lamps on green above a block of output lamps on dark green, one row
// each with channel 0 the rightmost lamp, one scale under each row. The two
// programs differ only in their RowPanelProgram table and their frame table.
#ifndef KIT_LAMP_PANEL_ROW_H
#define KIT_LAMP_PANEL_ROW_H

#include <windows.h>

#include <cstdint>

#include "lamp_kit.h"

// The card library's calls other than the initialise (kit.initialise, card 0
// and the address); results are not looked at. A read that fails leaves the
// word as it was, so the panel keeps the previous input word.
struct RowPanelLibrary {
  void (*set_card)(int card);     // ordinal 2
  void (*read)(uint32_t *word);   // ordinal 4: every input channel at once
  void (*write)(uint32_t word);   // ordinal 5: every output channel at once
};

struct RowPanelProgram {
  PanelKit kit;
  LampBlockPanel blocks;
  RowPanelLibrary library;
};

// Blocks around one row of input lamps and one of output lamps, the scale
// 16 pixels below each row's leftmost lamp (the highest channel).
template <int count>
constexpr LampBlockPanel row_panel_blocks(const LampTable<count> &in, const LampTable<count> &out,
                                          const char *scale) {
  const LampPoint &in_left = in.at[count - 1], &out_left = out.at[count - 1];
  return LampBlockPanel{
      kit_lamp_block(KIT_INPUT_BLOCK, in_left, in.at[0], 1, {{in_left.x, in_left.y + 16}, scale}),
      kit_lamp_block(KIT_OUTPUT_BLOCK, out_left, out.at[0], 1, {{out_left.x, out_left.y + 16}, scale}),
      in.at,
      out.at,
      count,
  };
}

// Defined by sarrow_panel.cpp and pellin_panel.cpp.
extern const RowPanelProgram row_panel_program;

LRESULT CALLBACK row_panel_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

#endif
