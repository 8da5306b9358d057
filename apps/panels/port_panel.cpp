// The port panel: group table and geometry, poll, clicks, paint and the
// window procedure shared by the three port-card programs.
#include "port_panel.h"

#include "app_frame.h"
#include "panel_program.h"

namespace {

const char kByteCaption[] = " 7                                 0";
const char kHalfCaption[] = " 3             0";
static_assert(sizeof kByteCaption - 1 == 36 && sizeof kHalfCaption - 1 == 16,
              "bit captions: 36 and 16 characters");

// One port group of a channel, the same on every channel and card.
struct GroupLayout {
  const char *label;
  ppicard::Group group;  // its number in the port code
  int lines;             // 8, or 4 for a Port C half
  int x0;                // x of the bit-0 lamp; bit i sits 20 pixels further left
  int frame_right;       // the frame ends at x0 + frame_right
  const char *caption;
  int o_box_first;       // the O box is drawn before the I box
  uint32_t click_mask;   // applied to the value a lamp click writes
  int repaint_left, repaint_right;  // what a direction click repaints (per group)
};

constexpr int kLampStep = 20;

// By PortGroup. The Port C halves repaint one rectangle that spans both of
// them and Port B between.
constexpr GroupLayout kGroups[PORT_GROUPS] = {
    {"Port A", ppicard::kGroupA, 8, 180, 26, kByteCaption, 0, 0xFF, 35, 221},
    {"Port B", ppicard::kGroupB, 8, 480, 26, kByteCaption, 1, 0xFF, 335, 521},
    {"Port C(Lower)", ppicard::kGroupCLower, 4, 590, 21, kHalfCaption, 0, 0x0F, 225, 631},
    {"Port C(Upper)", ppicard::kGroupCUpper, 4, 290, 21, kHalfCaption, 0, 0xFF, 225, 631},
};

// Groups in the order the poll, the clicks and the lamp paint visit them.
constexpr PortGroup kVisitOrder[PORT_GROUPS] = {PORT_A, PORT_B, PORT_C_LOWER, PORT_C_UPPER};
// Frames, boxes and labels are painted left to right by pairs...
constexpr PortGroup kFrameOrder[PORT_GROUPS] = {PORT_A, PORT_B, PORT_C_UPPER, PORT_C_LOWER};
// ...and the bit captions left to right across the window.
constexpr PortGroup kCaptionOrder[PORT_GROUPS] = {PORT_A, PORT_C_UPPER, PORT_C_LOWER, PORT_B};

// Offsets from (x0, Y). The hit areas are open rectangles and not the drawn
// boxes: the I box reacts to Y - 11 to Y + 6, the O box to Y + 8 to Y + 25.
constexpr RECT kIBox = {25, -12, 41, 9};
constexpr RECT kOBox = {25, 9, 41, 30};
constexpr RECT kIHit = {25, -12, 41, 7};
constexpr RECT kOHit = {25, 7, 41, 26};
constexpr POINT kIText = {30, -11};
// Offsets from (xL, Y), xL the leftmost lamp's x.
constexpr POINT kLabelAt = {0, -20};
constexpr POINT kCaptionAt = {0, 16};
constexpr int kFrameLeft = -5, kFrameTop = -12, kFrameBottom = 30;
constexpr int kChannelLabelX = 5;

const char *const kChannelLabels[PORT_MAX_CHANNELS] = {"CH0", "CH1", "CH2", "CH3", "CH4", "CH5"};

constexpr int row_y(int channel) { return PORT_FIRST_ROW + PORT_ROW_STEP * channel; }
constexpr int leftmost_x(const GroupLayout &g) { return g.x0 - kLampStep * (g.lines - 1); }

struct LampRows {
  LampPoint at[PORT_MAX_CHANNELS][PORT_GROUPS][PORT_MAX_LINES];
};

constexpr LampRows make_lamp_rows() {
  LampRows rows{};
  for (int c = 0; c < PORT_MAX_CHANNELS; ++c)
    for (int g = 0; g < PORT_GROUPS; ++g)
      for (int i = 0; i < kGroups[g].lines; ++i)
        rows.at[c][g][i] = LampPoint{kGroups[g].x0 - kLampStep * i, row_y(c)};
  return rows;
}

constexpr LampRows kLamps = make_lamp_rows();

RECT shifted(RECT r, int x, int y) { return RECT{r.left + x, r.top + y, r.right + x, r.bottom + y}; }

// --- state --------------------------------------------------------------------

struct GroupState {
  uint8_t direction;  // PortDirection
  uint8_t output;     // set by lamp clicks, written on every pass
  uint8_t input;      // as last read
  uint8_t shown;      // as the lamps show it since the last pass
};

const PortPanelProgram &program = port_panel_program;

PanelState panel;
GroupState groups[PORT_MAX_CHANNELS][PORT_GROUPS];
int channels_in_use;
HWND mode_selector;

int port_code(int channel, PortGroup g) {
  return ppicard::port_code(channel, kGroups[g].group);
}

uint8_t lamp_value(const GroupState &s) { return s.direction == PORT_OUTPUT ? s.output : s.input; }

// --- creation -------------------------------------------------------------------

void create_mode_selector(HWND window, const PortModeSelector *mode) {
  mode_selector = CreateWindowExA(0, "ComboBox", nullptr, KIT_SELECTOR_STYLE, mode->x, mode->y,
                                  mode->width, mode->height, window,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(mode->id)),
                                  frame_instance, nullptr);
  for (const PortModeEntry &entry : mode->entries)
    SendMessageA(mode_selector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.text));
  SendMessageA(mode_selector, CB_SETCURSEL, mode->first_entry, 0);
}

void create(HWND window) {
  panel.selector = kit_create_selector(window, &program.kit.selector);
  if (program.mode) create_mode_selector(window, program.mode);
  kit_create_brushes(&panel.brushes);
  for (auto &channel : groups)
    for (GroupState &s : channel) s = GroupState{};
  channels_in_use = program.channels;
  SetTimer(window, program.kit.timer_id, KIT_POLL_PERIOD_MS, nullptr);
}

// --- polling pass -----------------------------------------------------------------

void serve_group(HDC dc, int channel, PortGroup g) {
  GroupState &s = groups[channel][g];
  if (s.direction == PORT_OUTPUT) {
    program.library.write(port_code(channel, g), s.output);
    return;
  }
  program.library.read(port_code(channel, g), &s.input);
  kit_redraw_changed_lamps(dc, &panel.brushes, kLamps.at[channel][g], kGroups[g].lines, s.input,
                           s.shown);
  s.shown = s.input;
}

void poll(HWND window) {
  if (panel.selection == KIT_SELECT_NONE) return;
  HDC dc = GetDC(window);
  program.library.set_card(0);
  for (int c = 0; c < channels_in_use; ++c)
    for (PortGroup g : kVisitOrder) serve_group(dc, c, g);
  ReleaseDC(window, dc);
}

// --- clicks -------------------------------------------------------------------------

void repaint_group(HWND window, int channel, PortGroup g) {
  if (program.repaint == PORT_REPAINT_CLIENT) {
    InvalidateRect(window, nullptr, FALSE);
    return;
  }
  int y = row_y(channel);
  RECT rect = {kGroups[g].repaint_left, y + kFrameTop, kGroups[g].repaint_right, y + kFrameBottom};
  InvalidateRect(window, &rect, FALSE);
}

// A hit sets the direction and repaints, also when the direction stays.
void click_direction_boxes(HWND window, int px, int py) {
  for (int c = 0; c < channels_in_use; ++c)
    for (PortGroup g : kVisitOrder) {
      int x0 = kGroups[g].x0, y = row_y(c);
      RECT i_area = shifted(kIHit, x0, y), o_area = shifted(kOHit, x0, y);
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
    for (PortGroup g : kVisitOrder) {
      GroupState &s = groups[c][g];
      if (s.direction != PORT_OUTPUT) continue;
      const LampPoint *lamps = kLamps.at[c][g];
      int bit = kit_hit_lamp(lamps, kGroups[g].lines, px, py);
      if (bit < 0) continue;
      if (dc) {
        s.output ^= 1u << bit;
        kit_draw_lamp(dc, &panel.brushes, lamps[bit], (s.output >> bit) & 1);
      } else {
        s.output = static_cast<uint8_t>(
            kit_flip_output_lamp(window, &panel.brushes, lamps, bit, s.output));
      }
      program.library.write(port_code(c, g), s.output & kGroups[g].click_mask);
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
  const PortModeSelector *mode = program.mode;
  if (notification == CBN_CLOSEUP) {
    LRESULT index = SendMessageA(mode_selector, CB_GETCURSEL, 0, 0);
    if (index >= 0 && index < static_cast<LRESULT>(sizeof mode->entries / sizeof mode->entries[0]))
      channels_in_use = mode->entries[index].channels;
  }
  InvalidateRect(window, &mode->rows, TRUE);
}

LRESULT command(HWND window, WPARAM wparam, LPARAM lparam) {
  if (program.mode && LOWORD(wparam) == program.mode->id) {
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

void draw_label(HDC dc, PortGroup g) {
  kit_text_colours(dc, KIT_WHITE, KIT_BLUE);
  kit_text(dc, leftmost_x(kGroups[g]) + kLabelAt.x, row_y(0) + kLabelAt.y, kGroups[g].label);
}

// Frame by direction, the label where the program wants it, then the I and
// O boxes in the group's order.
void draw_group(HDC dc, int channel, PortGroup g) {
  const GroupLayout &group = kGroups[g];
  int x0 = group.x0, xl = leftmost_x(group), y = row_y(channel);
  int output = groups[channel][g].direction == PORT_OUTPUT;
  SelectObject(dc, output ? panel.brushes.dark_green : panel.brushes.green);
  Rectangle(dc, xl + kFrameLeft, y + kFrameTop, x0 + group.frame_right, y + kFrameBottom);
  if (program.label_order == PORT_LABEL_AFTER_FRAME && channel == 0) draw_label(dc, g);
  POINT i_at = {x0 + kIText.x, y + kIText.y};
  POINT o_at = {x0 + program.o_text[g].x, y + program.o_text[g].y};
  for (int box = 0; box < 2; ++box) {
    if ((box == 0) != (group.o_box_first != 0))
      draw_box(dc, shifted(kIBox, x0, y), panel.brushes.green, KIT_GREEN, i_at, "I");
    else
      draw_box(dc, shifted(kOBox, x0, y), panel.brushes.dark_green, KIT_DARK_GREEN, o_at, "O");
  }
}

void draw_mode_box(HDC dc, const PortModeSelector *mode) {
  kit_draw_labelled_box(dc, &panel.brushes, &mode->box, mode->label_at, mode->label);
}

}  // namespace

void program_paint(HDC dc) {
  kit_draw_base_address_box(dc, &panel.brushes, &program.kit.box);
  if (program.mode) draw_mode_box(dc, program.mode);
  kit_text_colours(dc, KIT_WHITE, KIT_BLUE);
  for (int c = 0; c < channels_in_use; ++c)
    kit_text(dc, kChannelLabelX, program.channel_label_y[c], kChannelLabels[c]);
  for (PortGroup g : kFrameOrder)
    for (int c = 0; c < channels_in_use; ++c) draw_group(dc, c, g);
  if (program.label_order == PORT_LABELS_AFTER_BOXES)
    for (PortGroup g : kFrameOrder) draw_label(dc, g);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, KIT_BLACK);
  for (PortGroup g : kCaptionOrder)
    kit_text(dc, leftmost_x(kGroups[g]) + kCaptionAt.x, row_y(0) + kCaptionAt.y,
             kGroups[g].caption);
  SetBkMode(dc, OPAQUE);
  for (int c = 0; c < channels_in_use; ++c)
    for (PortGroup g : kVisitOrder)
      kit_draw_lamps(dc, &panel.brushes, kLamps.at[c][g], kGroups[g].lines,
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
