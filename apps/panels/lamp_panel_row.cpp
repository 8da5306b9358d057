// The one-row lamp panel (sarrow_panel, pellin_panel): paint, poll and output
// click; everything else comes from the lamp panel kit.
#include "lamp_panel_row.h"

#include "panel_program.h"

namespace {

const PanelKit &kit = row_panel_program.kit;
const LampBlockPanel &blocks = row_panel_program.blocks;
const RowPanelLibrary &library = row_panel_program.library;

PanelState state;
uint32_t input_word, previous_input_word, output_word;

void poll(HWND window) {
  if (state.selection == KIT_SELECT_NONE) return;
  library.set_card(0);
  library.read(&input_word);
  HDC dc = GetDC(window);
  kit_redraw_changed_lamps(dc, &state.brushes, blocks.input_lamps, blocks.lamp_count, input_word,
                           previous_input_word);
  ReleaseDC(window, dc);
  previous_input_word = input_word;
}

void click(HWND window, LPARAM lparam) {
  if (kit_click_output_lamp(window, &state, blocks.output_lamps, blocks.lamp_count, lparam,
                            &output_word))
    library.write(output_word);
}

}  // namespace

void program_paint(HDC dc) {
  kit_draw_base_address_box(dc, &state.brushes, &kit.box);
  kit_draw_lamp_blocks(dc, &state.brushes, &blocks, input_word, output_word);
}

LRESULT CALLBACK row_panel_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  static const LampPanel panel = {&kit, &state, poll, click, program_paint};
  return kit_lamp_panel_dispatch(&panel, window, message, wparam, lparam);
}
