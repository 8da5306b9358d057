// Where everything sits on the three port panels (fenmar, wendal, dulvar),
// without the window system: the Win32 panel programs draw and hit-test from
// these tables, and the panel page kestan-io serves (tools/http) lays itself
// out from them.
#ifndef KIT_PORT_PANEL_GEOMETRY_H
#define KIT_PORT_PANEL_GEOMETRY_H

#include <cstdint>

#include "lamp_geometry.h"
#include "port_codes.h"

// Channel c is the row at Y = 40 + 50 c; every group is drawn and hit-tested
// relative to Y, to the x of its bit-0 lamp (x0) and of its leftmost lamp
// (xL).
namespace port_geometry {

enum {
  kMaxChannels = 6,
  kGroups = ppicard::kDirectionGroupsPerChannel,
  kMaxLines = 8,
  kFirstRow = 40,  // row line Y of channel 0
  kRowStep = 50,   // between the row lines of two channels
  kLampStep = 20,
  kChannelLabelX = 5,
};

// The groups of a channel in the order the poll and the clicks visit them.
enum Group { A, B, C_LOWER, C_UPPER };

// One port group of a channel, the same on every channel and card.
struct GroupLayout {
  const char *label;
  ppicard::Group group;  // its number in the port code
  int lines;             // 8, or 4 for a Port C half
  int x0;                // x of the bit-0 lamp; bit i sits 20 pixels further left
  int frame_right;       // the frame ends at x0 + frame_right
  const char *caption;
  int o_box_first;       // the O box is drawn before the I box
};

inline constexpr char kByteCaption[] = " 7                                 0";
inline constexpr char kHalfCaption[] = " 3             0";
static_assert(sizeof kByteCaption - 1 == 36 && sizeof kHalfCaption - 1 == 16,
              "bit captions: 36 and 16 characters");

// By Group.
inline constexpr GroupLayout kGroupLayout[kGroups] = {
    {"Port A", ppicard::kGroupA, 8, 180, 26, kByteCaption, 0},
    {"Port B", ppicard::kGroupB, 8, 480, 26, kByteCaption, 1},
    {"Port C(Lower)", ppicard::kGroupCLower, 4, 590, 21, kHalfCaption, 0},
    {"Port C(Upper)", ppicard::kGroupCUpper, 4, 290, 21, kHalfCaption, 0},
};

// Groups in the order the poll, the clicks and the lamp paint visit them.
inline constexpr Group kVisitOrder[kGroups] = {A, B, C_LOWER, C_UPPER};
// Frames, boxes and labels are painted left to right by pairs...
inline constexpr Group kFrameOrder[kGroups] = {A, B, C_UPPER, C_LOWER};
// ...and the bit captions left to right across the window.
inline constexpr Group kCaptionOrder[kGroups] = {A, C_UPPER, C_LOWER, B};

// Offsets from (x0, Y). The hit areas are open rectangles and not the drawn
// boxes: the I box reacts to Y - 11 to Y + 6, the O box to Y + 8 to Y + 25.
inline constexpr PanelRect kIBox = {25, -12, 41, 9};
inline constexpr PanelRect kOBox = {25, 9, 41, 30};
inline constexpr PanelRect kIHit = {25, -12, 41, 7};
inline constexpr PanelRect kOHit = {25, 7, 41, 26};
inline constexpr PanelPoint kIText = {30, -11};
// Offsets from (xL, Y), xL the leftmost lamp's x.
inline constexpr PanelPoint kLabelAt = {0, -20};
inline constexpr PanelPoint kCaptionAt = {0, 16};
inline constexpr int kFrameLeft = -5, kFrameTop = -12, kFrameBottom = 30;

inline constexpr const char *kChannelLabels[kMaxChannels] = {"CH0", "CH1", "CH2",
                                                             "CH3", "CH4", "CH5"};

constexpr int row_y(int channel) { return kFirstRow + kRowStep * channel; }
constexpr int leftmost_x(const GroupLayout &g) { return g.x0 - kLampStep * (g.lines - 1); }
constexpr PanelRect shifted(PanelRect r, int x, int y) {
  return PanelRect{r.left + x, r.top + y, r.right + x, r.bottom + y};
}
// Channel 0's group label and bit caption (the other channels have none).
constexpr PanelPoint label_at(const GroupLayout &g) {
  return PanelPoint{leftmost_x(g) + kLabelAt.x, row_y(0) + kLabelAt.y};
}
constexpr PanelPoint caption_at(const GroupLayout &g) {
  return PanelPoint{leftmost_x(g) + kCaptionAt.x, row_y(0) + kCaptionAt.y};
}
// A group's frame on channel c's row.
constexpr PanelRect group_frame(const GroupLayout &g, int channel) {
  return PanelRect{leftmost_x(g) + kFrameLeft, row_y(channel) + kFrameTop, g.x0 + g.frame_right,
                   row_y(channel) + kFrameBottom};
}

struct LampRows {
  LampPoint at[kMaxChannels][kGroups][kMaxLines];
};

constexpr LampRows make_lamp_rows() {
  LampRows rows{};
  for (int c = 0; c < kMaxChannels; ++c)
    for (int g = 0; g < kGroups; ++g)
      for (int i = 0; i < kGroupLayout[g].lines; ++i)
        rows.at[c][g][i] = LampPoint{kGroupLayout[g].x0 - kLampStep * i, row_y(c)};
  return rows;
}

inline constexpr LampRows kLamps = make_lamp_rows();

// Where each group's label goes in the paint.
enum LabelOrder {
  LABEL_AFTER_FRAME,   // right after the group's frame (fenmar)
  LABELS_AFTER_BOXES,  // channel 0's labels once every frame and box is drawn
};

// A selector that chooses how many channels the panel serves (dulvar's
// 96/144-bit mode).
struct ModeEntry {
  const char *text;
  int channels;
};

struct ModeBox {
  int x, y, width, height;  // the control
  ModeEntry entries[2];
  int first_entry;          // selected at creation
  PanelRect box;            // yellow box behind it
  PanelPoint label_at;
  const char *label;
  PanelRect rows;           // the rows that come and go with the mode
};

// What differs between the three port panels' drawings.
struct PortPanelGeometry {
  SelectorLayout selector;
  BaseAddressBox box;
  PanelPoint o_text[kGroups];            // "O" at (x0 + x, Y + y), by Group
  int channel_label_y[kMaxChannels];     // "CHn" at (5, y), by channel
  LabelOrder label_order;
  const ModeBox *mode;                   // nullptr: a fixed number of channels
};

inline constexpr PortPanelGeometry kFenmar = {
    {352, 90, 0, 4}, {{230, 85, 450, 120}, {250, 92}},
    // "O" offsets of Port A, Port B, Port C lower, Port C upper.
    {{27, 9}, {27, 9}, {28, 9}, {28, 9}},
    {40},
    LABEL_AFTER_FRAME,
    nullptr,
};

inline constexpr PortPanelGeometry kWendal = {
    {352, 140, 0, 2}, {{230, 135, 450, 170}, {250, 142}},
    {{27, 7}, {27, 9}, {28, 9}, {28, 9}},  // Port A's "O" two pixels higher
    {40, 80},                              // CH1 ten pixels above its row line
    LABELS_AFTER_BOXES,
    nullptr,
};

// Below the last row (channel 5 at 290), the base-address box to its left.
inline constexpr ModeBox kDulvarMode = {
    450, 340, 80, 100,
    {{"96-bit", 4}, {"144-bit", 6}},
    1,
    {370, 335, 540, 370},
    {400, 342},
    "Mode:",
    // Rows of channels 4 and 5 with their "CH4" and "CH5".
    {5, 228, 631, 320},
};

inline constexpr PortPanelGeometry kDulvar = {
    {252, 340, 0, 16}, {{130, 335, 350, 370}, {150, 342}},
    {{27, 7}, {27, 9}, {28, 9}, {28, 9}},
    {40, 90, 140, 190, 240, 290},
    LABELS_AFTER_BOXES,
    &kDulvarMode,
};

}  // namespace port_geometry

#endif
