// Where everything sits on the four lamp-row panels (kestan, orvel, sarrow,
// pellin), without the window system: the Win32 panel programs draw and
// hit-test from these tables, and the panel page kestan-io serves
// (tools/http) lays itself out from them.
#ifndef KIT_LAMP_PANEL_GEOMETRY_H
#define KIT_LAMP_PANEL_GEOMETRY_H

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

#endif
