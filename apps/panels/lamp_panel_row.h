// The one-row lamp panel shared by sarrow_panel and pellin_panel: a block of
// input lamps on green above a block of output lamps on dark green, one row
// each with channel 0 the rightmost lamp, one scale under each row. The two
// programs differ only in their RowPanelProgram table and their frame table.
#ifndef KIT_LAMP_PANEL_ROW_H
#define KIT_LAMP_PANEL_ROW_H

#include <windows.h>

#include <cstdint>

#include "lamp_kit.h"
#include "lamp_panel_geometry.h"

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

// Defined by sarrow_panel.cpp and pellin_panel.cpp.
extern const RowPanelProgram row_panel_program;

LRESULT CALLBACK row_panel_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

#endif
