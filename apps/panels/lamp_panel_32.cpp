// The 32-channel panel (kestan_panel, orvel_panel): tables, paint, poll and
// output click; everything else comes from the lamp panel kit.
#include "lamp_panel_32.h"

#include "panel_program.h"

namespace {

using panel32::kChannels;
constexpr auto &in = panel32::kInputLamps;
constexpr auto &out = panel32::kOutputLamps;

constexpr const LampBlockPanel &kBlocks = panel32::kBlocks;

const PanelKit &kit = panel32_program.kit;
const Panel32Library &library = panel32_program.library;

PanelState state;
uint32_t input_word, previous_input_word, output_word;

// Ordinal 6 for both 16-bit ports. A read that fails (no card initialised)
// leaves its half as it was, so the panel keeps the previous input word.
void poll(HWND window) {
  if (state.selection == KIT_SELECT_NONE) return;
  library.set_card(0);
  uint32_t low = input_word & 0xFFFF, high = input_word >> 16;
  library.read_16(0, &low);
  library.read_16(1, &high);
  input_word = high * 65536 + low;
  HDC dc = GetDC(window);
  kit_redraw_changed_lamps(dc, &state.brushes, in.at, kChannels, input_word, previous_input_word);
  ReleaseDC(window, dc);
  previous_input_word = input_word;
}

// Both halves on every click, port 0 first.
void click(HWND window, LPARAM lparam) {
  if (!kit_click_output_lamp(window, &state, out.at, kChannels, lparam, &output_word)) return;
  library.write_16(0, output_word & 0xFFFF);
  library.write_16(1, output_word >> 16);
}

}  // namespace

void program_paint(HDC dc) {
  kit_draw_base_address_box(dc, &state.brushes, &kit.box);
  kit_draw_lamp_blocks(dc, &state.brushes, &kBlocks, input_word, output_word);
}

LRESULT CALLBACK panel32_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  static const LampPanel panel = {&kit, &state, poll, click, program_paint};
  return kit_lamp_panel_dispatch(&panel, window, message, wparam, lparam);
}
