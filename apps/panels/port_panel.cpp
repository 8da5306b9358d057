// The port panel: group table and geometry, poll, clicks, paint and the
// window procedure shared by the three port-card programs.
#include "port_panel.h"

#include "app_frame.h"
#include "panel_program.h"
#include "resource.h"

namespace {

using namespace port_geometry;

// What a lamp click writes and what a direction click repaints, by Group:
// a Port C lower half is written masked to its four lines; the Port C
// halves repaint one rectangle that spans both of them and Port B between.
struct GroupBehaviour {
  uint32_t click_mask;
  int repaint_left, repaint_right;
};

constexpr GroupBehaviour kBehaviour[kGroups] = {
    {0xFF, 35, 221}, {0xFF, 335, 521}, {0x0F, 225, 631}, {0xFF, 225, 631}};

RECT win_rect(PanelRect r) { return RECT{r.left, r.top, r.right, r.bottom}; }
RECT at_group(PanelRect r, int x, int y) { return win_rect(shifted(r, x, y)); }

// --- state --------------------------------------------------------------------

struct GroupState {
  uint8_t direction;  // PortDirection
  uint8_t output;     // set by lamp clicks, written on every pass
  uint8_t input;      // as last read
  uint8_t shown;      // as the lamps show it since the last pass
};

const PortPanelProgram &program = port_panel_program;
const PortPanelGeometry &geometry = *port_panel_program.geometry;

PanelState panel;
GroupState groups[kMaxChannels][kGroups];
int channels_in_use;
HWND mode_selector;

int port_code(int channel, Group g) {
  return ppicard::port_code(channel, kGroupLayout[g].group);
}

uint8_t lamp_value(const GroupState &s) { return s.direction == PORT_OUTPUT ? s.output : s.input; }

// --- creation -------------------------------------------------------------------

void create_mode_selector(HWND window, const ModeBox *mode) {
  mode_selector = CreateWindowExA(0, "ComboBox", nullptr, KIT_SELECTOR_STYLE, mode->x, mode->y,
                                  mode->width, mode->height, window,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_MODE)),
                                  frame_instance, nullptr);
  for (const ModeEntry &entry : mode->entries)
    SendMessageA(mode_selector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.text));
  SendMessageA(mode_selector, CB_SETCURSEL, mode->first_entry, 0);
}

void create(HWND window) {
  panel.selector = kit_create_selector(window, &program.kit.selector);
  if (geometry.mode) create_mode_selector(window, geometry.mode);
  kit_create_brushes(&panel.brushes);
  for (auto &channel : groups)
    for (GroupState &s : channel) s = GroupState{};
  channels_in_use = program.channels;
  SetTimer(window, program.kit.timer_id, KIT_POLL_PERIOD_MS, nullptr);
}

// --- polling pass -----------------------------------------------------------------

void serve_group(HDC dc, int channel, Group g) {
  GroupState &s = groups[channel][g];
  if (s.direction == PORT_OUTPUT) {
    program.library.write(port_code(channel, g), s.output);
    return;
  }
  program.library.read(port_code(channel, g), &s.input);
  kit_redraw_changed_lamps(dc, &panel.brushes, kLamps.at[channel][g], kGroupLayout[g].lines, s.input,
                           s.shown);
  s.shown = s.input;
}

void poll(HWND window) {
  if (panel.selection == KIT_SELECT_NONE) return;
  HDC dc = GetDC(window);
  program.library.set_card(0);
  for (int c = 0; c < channels_in_use; ++c)
    for (Group g : kVisitOrder) serve_group(dc, c, g);
  ReleaseDC(window, dc);
}

// --- clicks -------------------------------------------------------------------------

void repaint_group(HWND window, int channel, Group g) {
  if (program.repaint == PORT_REPAINT_CLIENT) {
    InvalidateRect(window, nullptr, FALSE);
    return;
  }
  int y = row_y(channel);
  RECT rect = {kBehaviour[g].repaint_left, y + kFrameTop, kBehaviour[g].repaint_right, y + kFrameBottom};
  InvalidateRect(window, &rect, FALSE);
}

// A hit sets the direction and repaints, also when the direction stays.
void click_direction_boxes(HWND window, int px, int py) {
  for (int c = 0; c < channels_in_use; ++c)
    for (Group g : kVisitOrder) {
      int x0 = kGroupLayout[g].x0, y = row_y(c);
      RECT i_area = at_group(kIHit, x0, y), o_area = at_group(kOHit, x0, y);
      if (kit_hit_area(&i_area, px, py))
        groups[c][g].direction = PORT_INPUT;
      else if (kit_hit_area(&o_area, px, py))
        groups[c][g].direction = PORT_OUTPUT;
      else
        continue;
      repaint_group(window, c, g);
    }
}

void click_output_lamps(HWND window, int px, int py) {
  HDC dc = program.click_dc == PORT_DC_PER_CLICK ? GetDC(window) : nullptr;
  for (int c = 0; c < channels_in_use; ++c)
    for (Group g : kVisitOrder) {
      GroupState &s = groups[c][g];
      if (s.direction != PORT_OUTPUT) continue;
      const LampPoint *lamps = kLamps.at[c][g];
      int bit = kit_hit_lamp(lamps, kGroupLayout[g].lines, px, py);
      if (bit < 0) continue;
      if (dc) {
        s.output ^= 1u << bit;
        kit_draw_lamp(dc, &panel.brushes, lamps[bit], (s.output >> bit) & 1);
      } else {
        s.output = static_cast<uint8_t>(
            kit_flip_output_lamp(window, &panel.brushes, lamps, bit, s.output));
      }
      program.library.write(port_code(c, g), s.output & kBehaviour[g].click_mask);
    }
  if (dc) ReleaseDC(window, dc);
}

void click(HWND window, LPARAM lparam) {
  if (panel.selection == KIT_SELECT_NONE) return;
  int px, py;
  kit_click_point(lparam, &px, &py);
  click_direction_boxes(window, px, py);
  click_output_lamps(window, px, py);
}

// --- mode selector --------------------------------------------------------------------

void choose_mode(HWND window, int notification) {
  const ModeBox *mode = geometry.mode;
  if (notification == CBN_CLOSEUP) {
    LRESULT index = SendMessageA(mode_selector, CB_GETCURSEL, 0, 0);
    if (index >= 0 && index < static_cast<LRESULT>(sizeof mode->entries / sizeof mode->entries[0]))
      channels_in_use = mode->entries[index].channels;
  }
  RECT rows = win_rect(mode->rows);
  InvalidateRect(window, &rows, TRUE);
}

LRESULT command(HWND window, WPARAM wparam, LPARAM lparam) {
  if (geometry.mode && LOWORD(wparam) == IDC_MODE) {
    choose_mode(window, HIWORD(wparam));
    return 0;
  }
  return kit_panel_command(window, wparam, lparam, &program.kit, &panel);
}

// --- paint ------------------------------------------------------------------------------

void draw_box(HDC dc, RECT box, HBRUSH brush, COLORREF background, POINT text_at,
              const char *text) {
  SelectObject(dc, brush);
  Rectangle(dc, box.left, box.top, box.right, box.bottom);
  kit_text_colours(dc, KIT_BLACK, background);
  kit_text(dc, text_at.x, text_at.y, text);
}

void draw_label(HDC dc, Group g) {
  kit_text_colours(dc, KIT_WHITE, KIT_BLUE);
  const PanelPoint at = label_at(kGroupLayout[g]);
  kit_text(dc, at.x, at.y, kGroupLayout[g].label);
}

// Frame by direction, the label where the program wants it, then the I and
// O boxes in the group's order.
void draw_group(HDC dc, int channel, Group g) {
  const GroupLayout &group = kGroupLayout[g];
  int x0 = group.x0, y = row_y(channel);
  int output = groups[channel][g].direction == PORT_OUTPUT;
  SelectObject(dc, output ? panel.brushes.dark_green : panel.brushes.green);
  PanelRect frame = group_frame(group, channel);
  Rectangle(dc, frame.left, frame.top, frame.right, frame.bottom);
  if (geometry.label_order == LABEL_AFTER_FRAME && channel == 0) draw_label(dc, g);
  POINT i_at = {x0 + kIText.x, y + kIText.y};
  POINT o_at = {x0 + geometry.o_text[g].x, y + geometry.o_text[g].y};
  for (int box = 0; box < 2; ++box) {
    if ((box == 0) != (group.o_box_first != 0))
      draw_box(dc, at_group(kIBox, x0, y), panel.brushes.green, KIT_GREEN, i_at, "I");
    else
      draw_box(dc, at_group(kOBox, x0, y), panel.brushes.dark_green, KIT_DARK_GREEN, o_at, "O");
  }
}

void draw_mode_box(HDC dc, const ModeBox *mode) {
  kit_draw_labelled_box(dc, &panel.brushes, &mode->box, mode->label_at, mode->label);
}

}  // namespace

void program_paint(HDC dc) {
  kit_draw_base_address_box(dc, &panel.brushes, &program.kit.box);
  if (geometry.mode) draw_mode_box(dc, geometry.mode);
  kit_text_colours(dc, KIT_WHITE, KIT_BLUE);
  for (int c = 0; c < channels_in_use; ++c)
    kit_text(dc, kChannelLabelX, geometry.channel_label_y[c], kChannelLabels[c]);
  for (Group g : kFrameOrder)
    for (int c = 0; c < channels_in_use; ++c) draw_group(dc, c, g);
  if (geometry.label_order == LABELS_AFTER_BOXES)
    for (Group g : kFrameOrder) draw_label(dc, g);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, KIT_BLACK);
  for (Group g : kCaptionOrder) {
    const PanelPoint at = caption_at(kGroupLayout[g]);
    kit_text(dc, at.x, at.y, kGroupLayout[g].caption);
  }
  SetBkMode(dc, OPAQUE);
  for (int c = 0; c < channels_in_use; ++c)
    for (Group g : kVisitOrder)
      kit_draw_lamps(dc, &panel.brushes, kLamps.at[c][g], kGroupLayout[g].lines,
                     lamp_value(groups[c][g]));
}

LRESULT CALLBACK port_panel_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      create(window);
      return 0;
    case WM_PAINT:
      kit_paint(window, program_paint);
      return 0;
    case WM_COMMAND:
      return command(window, wparam, lparam);
    case WM_TIMER:
      poll(window);
      return 0;
    case WM_LBUTTONDOWN:
      click(window, lparam);
      return 0;
    case WM_DESTROY:
      kit_release(window, program.kit.timer_id, &panel.brushes);
      return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}
