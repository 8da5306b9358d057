// The lamp panel kit: the parts every panel program's window procedure is
// built from. A panel supplies its constant tables (PanelKit, lamp tables,
// block layout), its paint function, its poll and its output write; the kit
// supplies the selector, the brushes, the lamp shape and hit test, the
// changed-lamp redraw, the base-address box and the release step.
//
// Each piece can be called on its own, so that panels whose steps interleave
// differently (the port panels take the device context before selecting the
// card, for instance) keep their own order.
#ifndef KIT_LAMP_KIT_H
#define KIT_LAMP_KIT_H

#include <windows.h>

#include <cstdint>

#include "lamp_geometry.h"

enum {
  KIT_POLL_PERIOD_MS = 50,
  KIT_SELECTOR_STYLE = WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST,
  KIT_FIRST_ADDRESS = 0x200,
  KIT_LAST_ADDRESS = 0x3FF,
};

// Panel selection values below the smallest address.
enum {
  KIT_SELECT_NONE = 0,  // "(None)": no polling, no clicks
  KIT_SELECT_DEMO = 1,  // "Demo": polling, no clicks
};

// The four brushes a panel creates at WM_CREATE (in this order) and deletes
// at WM_DESTROY; lamps that are off use the stock white brush.
struct KitBrushes {
  HBRUSH green, dark_green, red, yellow;
};

// A panel program's constant kit table.
struct PanelKit {
  SelectorLayout selector;
  BaseAddressBox box;
  UINT_PTR timer_id;
  void (*initialise)(int32_t address);  // the card library's initialise of card 0
};

// A panel program's kit state: static in the program, zero at start.
struct PanelState {
  int32_t selection;  // KIT_SELECT_NONE, KIT_SELECT_DEMO or the base address
  HWND selector;
  KitBrushes brushes;
};

// --- selector -------------------------------------------------------------
// Creates the "ComboBox" child, id 200, 64 x 100, and fills it.
HWND kit_create_selector(HWND parent, const SelectorLayout *layout);
// "(None)", "Demo" if wanted, the address entries ("%xH" in upper case), then
// entry 0 selected.
void kit_fill_selector(HWND selector, const SelectorLayout *layout);
// The address of an entry: its first three characters as hexadecimal digits.
int32_t kit_parse_address(const char *text);
// What the list closed on: KIT_SELECT_NONE, KIT_SELECT_DEMO, or the parsed
// address. -1 when nothing is selected or the entry is not an address.
int32_t kit_selector_choice(HWND selector, int has_demo);

// --- brushes and drawing ----------------------------------------------------
void kit_create_brushes(KitBrushes *brushes);
// Red, dark green, green, yellow: the order the panels release them in.
void kit_delete_brushes(KitBrushes *brushes);
HBRUSH kit_brush(const KitBrushes *brushes, KitBrush which);
// Draw-lamp rule: red brush for 1, stock white brush for 0, then Ellipse.
void kit_draw_lamp(HDC dc, const KitBrushes *brushes, LampPoint lamp, int on);
// Lamps 0 to count - 1 from bits 0 to count - 1 of word.
void kit_draw_lamps(HDC dc, const KitBrushes *brushes, const LampPoint *lamps, int count,
                    uint32_t word);
// Changed-lamp redraw: draws, in increasing order, only the lamps whose bit
// in word differs from the bit in shown. The caller then copies word into
// its shown (previous) word.
void kit_redraw_changed_lamps(HDC dc, const KitBrushes *brushes, const LampPoint *lamps,
                              int count, uint32_t word, uint32_t shown);
// TextOutA of the whole string at (x, y) in the current colours.
void kit_text(HDC dc, int x, int y, const char *text);
void kit_text_colours(HDC dc, COLORREF text, COLORREF background);
// Yellow box, then "Base Address:" on yellow in the current text colour.
void kit_draw_base_address_box(HDC dc, const KitBrushes *brushes, const BaseAddressBox *box);
// The same for any yellow box and label (dulvar_panel's "Mode:").
void kit_draw_labelled_box(HDC dc, const KitBrushes *brushes, const PanelRect *box, PanelPoint label_at,
                           const char *label);
// BeginPaint, paint(dc), EndPaint: the WM_PAINT handler of every panel.
void kit_paint(HWND window, void (*paint)(HDC dc));

// --- blocks of lamp rows (lamp_geometry.h) ------------------------------------
// Input panel and title, output panel and title, input scales, output
// scales, input lamps from input, output lamps from output.
void kit_draw_lamp_blocks(HDC dc, const KitBrushes *brushes, const LampBlockPanel *panel,
                          uint32_t input, uint32_t output);

// --- clicks -----------------------------------------------------------------
// px and py: the unsigned low and high 16 bits of lParam.
void kit_click_point(LPARAM lparam, int *px, int *py);
// 1 when left < px < right and top < py < bottom (all four strict), else 0:
// the hit test of lamps and of the port panels' direction boxes.
int kit_hit_area(const RECT *area, int px, int py);
// First lamp i in increasing order with x < px < x + 17 and y < py < y + 17,
// or -1.
int kit_hit_lamp(const LampPoint *lamps, int count, int px, int py);
// GetDC, flip bit lamp of word, draw that lamp from its new bit, ReleaseDC.
// Returns the new word.
uint32_t kit_flip_output_lamp(HWND window, const KitBrushes *brushes, const LampPoint *lamps,
                              int lamp, uint32_t word);
// The output click of the lamp-row panels up to the write: ignored for
// "(None)" and "Demo"; otherwise hit test and flip. 1 when *word changed (the
// caller then writes it to the card), 0 when the click did nothing.
int kit_click_output_lamp(HWND window, const PanelState *state, const LampPoint *lamps,
                          int count, LPARAM lparam, uint32_t *word);

// --- window procedure steps ---------------------------------------------------
// WM_CREATE: selector (created and filled), brushes, 50 ms poll timer.
void kit_panel_create(HWND window, const PanelKit *kit, PanelState *state);
// WM_COMMAND: 110 Exit; 200 with CBN_CLOSEUP the base-address selection
// (initialise first, then the new selection), other notifications ignored;
// other ids to DefWindowProcA.
LRESULT kit_panel_command(HWND window, WPARAM wparam, LPARAM lparam, const PanelKit *kit,
                          PanelState *state);
// Base-address selection alone, for panels that handle WM_COMMAND themselves.
void kit_select_base_address(const PanelKit *kit, PanelState *state);
// WM_DESTROY: the four brushes deleted, the timer stopped, quit posted with 0.
void kit_release(HWND window, UINT_PTR timer_id, KitBrushes *brushes);

// What a lamp-row panel adds to the kit: its poll, its output click and its
// paint. The window procedure of such a panel only hands each message to
// kit_lamp_panel_dispatch with this table.
struct LampPanel {
  const PanelKit *kit;
  PanelState *state;
  void (*poll)(HWND window);
  void (*click)(HWND window, LPARAM lparam);
  void (*paint)(HDC dc);
};

// WM_CREATE, WM_PAINT, WM_COMMAND, WM_TIMER, WM_LBUTTONDOWN and WM_DESTROY as
// the kit handles them (0 for each); every other message to DefWindowProcA.
LRESULT kit_lamp_panel_dispatch(const LampPanel *panel, HWND window, UINT message, WPARAM wparam,
                                LPARAM lparam);

#endif
