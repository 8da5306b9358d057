#include "lamp_kit.h"

#include <cstdio>
#include <cstring>

#include "app_frame.h"
#include "resource.h"

namespace {

const char kNoneEntry[] = "(None)";
const char kDemoEntry[] = "Demo";

// Longest entry text the selector holds ("(None)"), with room to spare.
constexpr int kEntryChars = 16;

void add_entry(HWND selector, const char *text) {
  SendMessageA(selector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

// "%xH", then upper case: 200H, 2A8H, 3F8H.
void format_address(char *text, size_t size, int address) {
  std::snprintf(text, size, "%xH", address);
  CharUpperA(text);
}

}  // namespace

// --- selector -------------------------------------------------------------

HWND kit_create_selector(HWND parent, const SelectorLayout *layout) {
  HWND selector = CreateWindowExA(0, "ComboBox", nullptr, KIT_SELECTOR_STYLE, layout->x, layout->y,
                                  KIT_SELECTOR_WIDTH, KIT_SELECTOR_HEIGHT, parent,
                                  reinterpret_cast<HMENU>(IDC_BASE_ADDRESS), frame_instance,
                                  nullptr);
  kit_fill_selector(selector, layout);
  return selector;
}

void kit_fill_selector(HWND selector, const SelectorLayout *layout) {
  add_entry(selector, kNoneEntry);
  if (layout->has_demo) add_entry(selector, kDemoEntry);
  for (int address = KIT_FIRST_ADDRESS; address <= KIT_LAST_ADDRESS;
       address += layout->address_step) {
    char text[kEntryChars];
    format_address(text, sizeof text, address);
    add_entry(selector, text);
  }
  SendMessageA(selector, CB_SETCURSEL, 0, 0);
}

int32_t kit_parse_address(const char *text) {
  int32_t value = 0;
  for (int i = 0; i < 3; ++i) {
    char c = text[i];
    value = value * 16 + (c < 'A' ? c - '0' : c - 'A' + 10);
  }
  return value;
}

int32_t kit_selector_choice(HWND selector, int has_demo) {
  LRESULT index = SendMessageA(selector, CB_GETCURSEL, 0, 0);
  if (index == 0) return KIT_SELECT_NONE;
  if (has_demo && index == 1) return KIT_SELECT_DEMO;
  // Nothing selected, or an entry the panel did not put there: no address to
  // parse, so no card-library call.
  if (index == CB_ERR) return -1;
  LRESULT length = SendMessageA(selector, CB_GETLBTEXTLEN, index, 0);
  if (length < 3 || length >= kEntryChars) return -1;
  char text[kEntryChars] = {};
  SendMessageA(selector, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
  return kit_parse_address(text);
}

// --- brushes and drawing ----------------------------------------------------

void kit_create_brushes(KitBrushes *brushes) {
  brushes->green = CreateSolidBrush(KIT_GREEN);
  brushes->dark_green = CreateSolidBrush(KIT_DARK_GREEN);
  brushes->red = CreateSolidBrush(KIT_RED);
  brushes->yellow = CreateSolidBrush(KIT_YELLOW);
}

void kit_delete_brushes(KitBrushes *brushes) {
  DeleteObject(brushes->red);
  DeleteObject(brushes->dark_green);
  DeleteObject(brushes->green);
  DeleteObject(brushes->yellow);
}

HBRUSH kit_brush(const KitBrushes *brushes, KitBrush which) {
  switch (which) {
    case KIT_BRUSH_GREEN: return brushes->green;
    case KIT_BRUSH_DARK_GREEN: return brushes->dark_green;
    case KIT_BRUSH_RED: return brushes->red;
    case KIT_BRUSH_YELLOW: return brushes->yellow;
  }
  return nullptr;
}

void kit_draw_lamp(HDC dc, const KitBrushes *brushes, LampPoint lamp, int on) {
  SelectObject(dc, on ? brushes->red : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  Ellipse(dc, lamp.x, lamp.y, lamp.x + KIT_LAMP_SIZE, lamp.y + KIT_LAMP_SIZE);
}

void kit_draw_lamps(HDC dc, const KitBrushes *brushes, const LampPoint *lamps, int count,
                    uint32_t word) {
  for (int i = 0; i < count; ++i) kit_draw_lamp(dc, brushes, lamps[i], (word >> i) & 1);
}

void kit_redraw_changed_lamps(HDC dc, const KitBrushes *brushes, const LampPoint *lamps,
                              int count, uint32_t word, uint32_t shown) {
  for (int i = 0; i < count; ++i) {
    uint32_t bit = (word >> i) & 1;
    if (bit != ((shown >> i) & 1)) kit_draw_lamp(dc, brushes, lamps[i], bit);
  }
}

void kit_text(HDC dc, int x, int y, const char *text) {
  TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
}

void kit_text_colours(HDC dc, COLORREF text, COLORREF background) {
  SetTextColor(dc, text);
  SetBkColor(dc, background);
}

void kit_draw_labelled_box(HDC dc, const KitBrushes *brushes, const PanelRect *box, PanelPoint label_at,
                           const char *label) {
  SelectObject(dc, brushes->yellow);
  Rectangle(dc, box->left, box->top, box->right, box->bottom);
  SetBkColor(dc, KIT_YELLOW);
  kit_text(dc, label_at.x, label_at.y, label);
}

void kit_draw_base_address_box(HDC dc, const KitBrushes *brushes, const BaseAddressBox *box) {
  kit_draw_labelled_box(dc, brushes, &box->box, box->label_at, kKitBaseAddressLabel);
}

void kit_paint(HWND window, void (*paint)(HDC dc)) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  paint(dc);
  EndPaint(window, &ps);
}

// --- blocks of lamp rows ------------------------------------------------------

namespace {

COLORREF block_colour(const LampBlock *block) {
  return block->brush == KIT_BRUSH_GREEN ? KIT_GREEN : KIT_DARK_GREEN;
}

void draw_block_frame(HDC dc, const KitBrushes *brushes, const LampBlock *block) {
  SelectObject(dc, kit_brush(brushes, block->brush));
  Rectangle(dc, block->frame.left, block->frame.top, block->frame.right, block->frame.bottom);
  kit_text_colours(dc, block->title_colour, KIT_BLUE);
  kit_text(dc, block->title_at.x, block->title_at.y, block->title);
}

void draw_block_scales(HDC dc, const LampBlock *block) {
  kit_text_colours(dc, KIT_BLACK, block_colour(block));
  for (int i = 0; i < block->scale_count; ++i)
    kit_text(dc, block->scales[i].at.x, block->scales[i].at.y, block->scales[i].text);
}

}  // namespace

void kit_draw_lamp_blocks(HDC dc, const KitBrushes *brushes, const LampBlockPanel *panel,
                          uint32_t input, uint32_t output) {
  draw_block_frame(dc, brushes, &panel->input);
  draw_block_frame(dc, brushes, &panel->output);
  draw_block_scales(dc, &panel->input);
  draw_block_scales(dc, &panel->output);
  kit_draw_lamps(dc, brushes, panel->input_lamps, panel->lamp_count, input);
  kit_draw_lamps(dc, brushes, panel->output_lamps, panel->lamp_count, output);
}

// --- clicks -----------------------------------------------------------------

void kit_click_point(LPARAM lparam, int *px, int *py) {
  *px = static_cast<int>(static_cast<uint32_t>(lparam) & 0xFFFF);
  *py = static_cast<int>((static_cast<uint32_t>(lparam) >> 16) & 0xFFFF);
}

int kit_hit_area(const RECT *area, int px, int py) {
  return area->left < px && px < area->right && area->top < py && py < area->bottom;
}

int kit_hit_lamp(const LampPoint *lamps, int count, int px, int py) {
  for (int i = 0; i < count; ++i) {
    const LampPoint &p = lamps[i];
    RECT lamp = {p.x, p.y, p.x + KIT_LAMP_SIZE, p.y + KIT_LAMP_SIZE};
    if (kit_hit_area(&lamp, px, py)) return i;
  }
  return -1;
}

uint32_t kit_flip_output_lamp(HWND window, const KitBrushes *brushes, const LampPoint *lamps,
                              int lamp, uint32_t word) {
  HDC dc = GetDC(window);
  word ^= UINT32_C(1) << lamp;
  kit_draw_lamp(dc, brushes, lamps[lamp], (word >> lamp) & 1);
  ReleaseDC(window, dc);
  return word;
}

int kit_click_output_lamp(HWND window, const PanelState *state, const LampPoint *lamps,
                          int count, LPARAM lparam, uint32_t *word) {
  if (state->selection == KIT_SELECT_NONE || state->selection == KIT_SELECT_DEMO) return 0;
  int px, py;
  kit_click_point(lparam, &px, &py);
  int lamp = kit_hit_lamp(lamps, count, px, py);
  if (lamp < 0) return 0;
  *word = kit_flip_output_lamp(window, &state->brushes, lamps, lamp, *word);
  return 1;
}

// --- window procedure steps ---------------------------------------------------

void kit_panel_create(HWND window, const PanelKit *kit, PanelState *state) {
  state->selector = kit_create_selector(window, &kit->selector);
  kit_create_brushes(&state->brushes);
  SetTimer(window, kit->timer_id, KIT_POLL_PERIOD_MS, nullptr);
}

void kit_select_base_address(const PanelKit *kit, PanelState *state) {
  int32_t choice = kit_selector_choice(state->selector, kit->selector.has_demo);
  if (choice < 0) return;
  if (choice != KIT_SELECT_NONE && choice != KIT_SELECT_DEMO) kit->initialise(choice);
  state->selection = choice;
}

LRESULT kit_panel_command(HWND window, WPARAM wparam, LPARAM lparam, const PanelKit *kit,
                          PanelState *state) {
  switch (LOWORD(wparam)) {
    case IDM_EXIT:
      return frame_exit_command(window);
    case IDC_BASE_ADDRESS:
      if (HIWORD(wparam) == CBN_CLOSEUP) kit_select_base_address(kit, state);
      return 0;
  }
  return DefWindowProcA(window, WM_COMMAND, wparam, lparam);
}

void kit_release(HWND window, UINT_PTR timer_id, KitBrushes *brushes) {
  kit_delete_brushes(brushes);
  KillTimer(window, timer_id);
  PostQuitMessage(0);
}

LRESULT kit_lamp_panel_dispatch(const LampPanel *panel, HWND window, UINT message, WPARAM wparam,
                                LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      kit_panel_create(window, panel->kit, panel->state);
      return 0;
    case WM_PAINT:
      kit_paint(window, panel->paint);
      return 0;
    case WM_COMMAND:
      return kit_panel_command(window, wparam, lparam, panel->kit, panel->state);
    case WM_TIMER:
      panel->poll(window);
      return 0;
    case WM_LBUTTONDOWN:
      panel->click(window, lparam);
      return 0;
    case WM_DESTROY:
      kit_release(window, panel->kit->timer_id, &panel->state->brushes);
      return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}
