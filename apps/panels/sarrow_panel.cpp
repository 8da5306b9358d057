// sarrow_panel: one row of 16 input lamps and one of 16 output lamps over the
// sarrow library (ordinals 1, 2, 4 and 5), addresses 200H to 3F8H in steps
// of 8.
#include "app_frame.h"
#include "lamp_kit.h"
#include "panel_program.h"
#include "resource.h"
#include "sarrow.h"

namespace {

constexpr int kChannels = 16;
// x = 320 - 20 * i: channel 0 the rightmost lamp.
constexpr auto in = kit_lamp_table<kChannels>(320, 20, kChannels, 40, 0);
constexpr auto out = kit_lamp_table<kChannels>(320, 20, kChannels, 120, 0);

const char kScale[] = "15" "                                                                        " "0";
static_assert(sizeof kScale - 1 == 75, "scale: 75 characters");

const LampBlockPanel kBlocks = {
    {{in[15].x - 10, in[15].y - 24, in[0].x + 26, in[0].y + 40},
     KIT_BRUSH_GREEN,
     {in[15].x, in[15].y - 30},
     "Digital Input",
     KIT_WHITE,
     1,
     {{{in[15].x, in[15].y + 16}, kScale}}},
    {{out[15].x - 10, out[15].y - 24, out[0].x + 26, out[0].y + 40},
     KIT_BRUSH_DARK_GREEN,
     {out[15].x, out[15].y - 30},
     "Digital Output",
     KIT_RED,
     1,
     {{{out[15].x, out[15].y + 16}, kScale}}},
    in.at,
    out.at,
    kChannels,
};

void initialise(int32_t address) { W_Sarrow_Initial(0, address); }

const PanelKit kit = {
    {192, out[7].y + 60, 1, 8},
    {{70, out[15].y + 55, 290, out[15].y + 90}, {90, out[15].y + 62}},
    1,
    initialise,
};

PanelState state;
// Bits 0 to 15 are the channels; ordinal 4 stores the whole word.
uint32_t input_word, previous_input_word, output_word;

void poll(HWND window) {
  if (state.selection == KIT_SELECT_NONE) return;
  W_Sarrow_Set_Card(0);
  W_Sarrow_DI(&input_word);
  HDC dc = GetDC(window);
  kit_redraw_changed_lamps(dc, &state.brushes, in.at, kChannels, input_word, previous_input_word);
  previous_input_word = input_word;
  ReleaseDC(window, dc);
}

void click(HWND window, LPARAM lparam) {
  if (kit_click_output_lamp(window, &state, out.at, kChannels, lparam, &output_word))
    W_Sarrow_DO(output_word);
}

LRESULT CALLBACK sarrow_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  static const LampPanel panel = {&kit, &state, poll, click, program_paint};
  return kit_lamp_panel_dispatch(&panel, window, message, wparam, lparam);
}

}  // namespace

void program_paint(HDC dc) {
  kit_draw_base_address_box(dc, &state.brushes, &kit.box);
  kit_draw_lamp_blocks(dc, &state.brushes, &kBlocks, input_word, output_word);
}

const AppFrame program_frame = {
    "GenericWClass", "Sarrow", CW_USEDEFAULT, CW_USEDEFAULT, 370, 284,
    MENU_UORVEL,     nullptr,  ICON_PANEL,    LTGRAY_BRUSH,  sarrow_window,
};
