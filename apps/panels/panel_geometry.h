// Where everything sits on each of the seven panels, without the window
// system: the Win32 panel programs draw and hit-test from these tables, and
// the panel page kestan-io serves (tools/http) lays itself out from them.
#ifndef KIT_PANEL_GEOMETRY_H
#define KIT_PANEL_GEOMETRY_H

#include <cstdint>

#include "lamp_geometry.h"

// --- the 32-channel panel (kestan_panel, orvel_panel) -------------------------
namespace panel32 {

inline constexpr int kChannels = 32;
// x = 320 - 20 * (n mod 16); channels 0 to 15 in the lower row, 16 to 31
// 20 pixels above.
inline constexpr auto kInputLamps = kit_lamp_table<kChannels>(320, 20, 16, 60, -20);
inline constexpr auto kOutputLamps = kit_lamp_table<kChannels>(320, 20, 16, 154, -20);

inline constexpr SelectorLayout selector(int address_step) {
  return SelectorLayout{192, kOutputLamps[31].y + 74, 1, address_step};
}

inline constexpr BaseAddressBox kBox = {
    {kOutputLamps[12].x, kOutputLamps[31].y + 70, kOutputLamps[12].x + 220,
     kOutputLamps[31].y + 105},
    {90, kOutputLamps[31].y + 78}};

inline constexpr char kUpperScale[] =
    "31" "                                                                       " "16";
inline constexpr char kLowerScale[] =
    "15" "                                                                        " "0";
static_assert(sizeof kUpperScale - 1 == 75 && sizeof kLowerScale - 1 == 75, "scales: 75 characters");

inline constexpr auto &in = kInputLamps;
inline constexpr auto &out = kOutputLamps;
inline constexpr LampBlockPanel kBlocks = {
    kit_lamp_block(KIT_INPUT_BLOCK, in[31], in[0], 2, {{in[31].x, in[31].y - 14}, kUpperScale},
                   {{in[15].x, in[15].y + 16}, kLowerScale}),
    kit_lamp_block(KIT_OUTPUT_BLOCK, out[31], out[0], 2, {{out[31].x, out[31].y - 14}, kUpperScale},
                   {{out[15].x, out[15].y + 16}, kLowerScale}),
    in.at,
    out.at,
    kChannels,
};

}  // namespace panel32

// --- the one-row panels (sarrow_panel, pellin_panel) ---------------------------

// Blocks around one row of input lamps and one of output lamps, the scale
// 16 pixels below each row's leftmost lamp (the highest channel).
template <int count>
constexpr LampBlockPanel row_panel_blocks(const LampTable<count> &in, const LampTable<count> &out,
                                          const char *scale) {
  const LampPoint &in_left = in.at[count - 1], &out_left = out.at[count - 1];
  return LampBlockPanel{
      kit_lamp_block(KIT_INPUT_BLOCK, in_left, in.at[0], 1, {{in_left.x, in_left.y + 16}, scale}),
      kit_lamp_block(KIT_OUTPUT_BLOCK, out_left, out.at[0], 1, {{out_left.x, out_left.y + 16}, scale}),
      in.at,
      out.at,
      count,
  };
}

// A one-row panel: its blocks, selector and base-address box.
struct RowPanelGeometry {
  LampBlockPanel blocks;
  SelectorLayout selector;
  BaseAddressBox box;
};

namespace sarrow_geometry {

inline constexpr int kChannels = 16;
// x = 320 - 20 * i: channel 0 the rightmost lamp.
inline constexpr auto in = kit_lamp_table<kChannels>(320, 20, kChannels, 40, 0);
inline constexpr auto out = kit_lamp_table<kChannels>(320, 20, kChannels, 120, 0);
inline constexpr char kScale[] =
    "15" "                                                                        " "0";
static_assert(sizeof kScale - 1 == 75, "scale: 75 characters");

inline constexpr RowPanelGeometry kPanel = {
    row_panel_blocks(in, out, kScale),
    {192, out[7].y + 60, 1, 8},
    {{70, out[15].y + 55, 290, out[15].y + 90}, {90, out[15].y + 62}},
};

}  // namespace sarrow_geometry

namespace pellin_geometry {

inline constexpr int kChannels = 8;
// x = 230 - 30 * i: channel 0 the rightmost lamp.
inline constexpr auto in = kit_lamp_table<kChannels>(230, 30, kChannels, 40, 0);
inline constexpr auto out = kit_lamp_table<kChannels>(230, 30, kChannels, 120, 0);
inline constexpr char kScale[] = " 7" "                                                   " "0";
static_assert(sizeof kScale - 1 == 54, "scale: 54 characters");

inline constexpr RowPanelGeometry kPanel = {
    row_panel_blocks(in, out, kScale),
    {152, out[7].y + 50, 1, 2},
    {{30, out[7].y + 45, 240, out[7].y + 80}, {50, out[7].y + 52}},
};

}  // namespace pellin_geometry

// --- the port panels (fenmar_panel, wendal_panel, dulvar_panel) -----------------
//
// Channel c is the row at Y = 40 + 50 c; every group is drawn and hit-tested
// relative to Y, to the x of its bit-0 lamp (x0) and of its leftmost lamp
// (xL).
namespace port_geometry {

enum {
  kMaxChannels = 6,
  kGroups = 4,
  kMaxLines = 8,
  kFirstRow = 40,  // row line Y of channel 0
  kRowStep = 50,   // between the row lines of two channels
  kCodesPerChannel = 256,
  kLampStep = 20,
  kChannelLabelX = 5,
};

// The groups of a channel in the order the poll and the clicks visit them.
enum Group { A, B, C_LOWER, C_UPPER };

// One port group of a channel, the same on every channel and card.
struct GroupLayout {
  const char *label;
  int number;            // in the port code: channel x 256 + number
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
    {"Port A", 0, 8, 180, 26, kByteCaption, 0},
    {"Port B", 1, 8, 480, 26, kByteCaption, 1},
    {"Port C(Lower)", 4, 4, 590, 21, kHalfCaption, 0},
    {"Port C(Upper)", 3, 4, 290, 21, kHalfCaption, 0},
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
  int channels;                          // served at start (and the most there are)
  PanelPoint o_text[kGroups];            // "O" at (x0 + x, Y + y), by Group
  int channel_label_y[kMaxChannels];     // "CHn" at (5, y), by channel
  LabelOrder label_order;
  const ModeBox *mode;                   // nullptr: a fixed number of channels
};

inline constexpr PortPanelGeometry kFenmar = {
    {352, 90, 0, 4}, {{230, 85, 450, 120}, {250, 92}}, 1,
    // "O" offsets of Port A, Port B, Port C lower, Port C upper.
    {{27, 9}, {27, 9}, {28, 9}, {28, 9}},
    {40},
    LABEL_AFTER_FRAME,
    nullptr,
};

inline constexpr PortPanelGeometry kWendal = {
    {352, 140, 0, 2}, {{230, 135, 450, 170}, {250, 142}}, 2,
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
    {252, 340, 0, 16}, {{130, 335, 350, 370}, {150, 342}}, 6,
    {{27, 7}, {27, 9}, {28, 9}, {28, 9}},
    {40, 90, 140, 190, 240, 290},
    LABELS_AFTER_BOXES,
    &kDulvarMode,
};

}  // namespace port_geometry

#endif
