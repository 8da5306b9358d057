// pellin_panel: one row of 8 input lamps and one of 8 output lamps, 30 pixels
// apart, over the pellin library (ordinals 1, 2, 4 and 5), every even address
// from 200H to 3FEH. The only panel with a window class of its own.
#include "app_frame.h"
#include "lamp_kit.h"
#include "panel_program.h"
#include "pellin.h"
#include "resource.h"

namespace {

constexpr int kChannels = 8;
// x = 230 - 30 * i: channel 0 the rightmost lamp.
constexpr auto in = kit_lamp_table<kChannels>(230, 30, kChannels, 40, 0);
constexpr auto out = kit_lamp_table<kChannels>(230, 30, kChannels, 120, 0);

const char kScale[] = " 7" "                                                   " "0";
static_assert(sizeof kScale - 1 == 54, "scale: 54 characters");

const LampBlockPanel kBlocks = {
    {{in[7].x - 10, in[7].y - 24, in[0].x + 26, in[0].y + 40},
     KIT_BRUSH_GREEN,
     {in[7].x, in[7].y - 30},
     "Digital Input",
     KIT_WHITE,
     1,
     {{{in[7].x, in[7].y + 16}, kScale}}},
    {{out[7].x - 10, out[7].y - 24, out[0].x + 26, out[0].y + 40},
     KIT_BRUSH_DARK_GREEN,
     {out[7].x, out[7].y - 30},
     "Digital Output",
     KIT_RED,
     1,
     {{{out[7].x, out[7].y + 16}, kScale}}},
    in.at,
    out.at,
    kChannels,
};

void initialise(int32_t address) { W_Pellin_Initial(0, address); }

const PanelKit kit = {
    {152, out[7].y + 50, 1, 2},
    {{30, out[7].y + 45, 240, out[7].y + 80}, {50, out[7].y + 52}},
    1,
    initialise,
};

PanelState state;
uint8_t input_word, previous_input_word, output_word;

void poll(HWND window) {
  if (state.selection == KIT_SELECT_NONE) return;
  W_Pellin_Set_Card(0);
  W_Pellin_DI(&input_word);
  HDC dc = GetDC(window);
  kit_redraw_changed_lamps(dc, &state.brushes, in.at, kChannels, input_word, previous_input_word);
  previous_input_word = input_word;
  ReleaseDC(window, dc);
}

void click(HWND window, LPARAM lparam) {
  uint32_t word = output_word;
  if (!kit_click_output_lamp(window, &state, out.at, kChannels, lparam, &word)) return;
  output_word = static_cast<uint8_t>(word);
  W_Pellin_DO(output_word);
}

LRESULT CALLBACK pellin_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  static const LampPanel panel = {&kit, &state, poll, click, program_paint};
  return kit_lamp_panel_dispatch(&panel, window, message, wparam, lparam);
}

}  // namespace

void program_paint(HDC dc) {
  kit_draw_base_address_box(dc, &state.brushes, &kit.box);
  kit_draw_lamp_blocks(dc, &state.brushes, &kBlocks, input_word, output_word);
}

const AppFrame program_frame = {
    "PellinClass", "Pellin", CW_USEDEFAULT, CW_USEDEFAULT, 280, 260,
    MENU_UORVEL,   nullptr,  ICON_PANEL,    LTGRAY_BRUSH,  pellin_window,
};
