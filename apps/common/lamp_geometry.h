// What a lamp panel looks like, without the window system: lamp tables,
// blocks of lamp rows, the base-address box and the colours. The Win32
// panels draw from these tables (lamp_kit.h) and so does the panel page
// that kestan-io serves over HTTP, so both show the same panel.
#ifndef KIT_LAMP_GEOMETRY_H
#define KIT_LAMP_GEOMETRY_H

#include <cstdint>

// Client pixels; right and bottom edges exclusive, as the GDI draws them.
struct PanelRect {
  int32_t left, top, right, bottom;
};

struct PanelPoint {
  int32_t x, y;
};

// Top-left corner of a lamp in client pixels; the lamp covers x to x + 17 and
// y to y + 17, right and bottom edges exclusive.
struct LampPoint {
  int32_t x, y;
};

enum { KIT_LAMP_SIZE = 17 };

// A table of count lamps in rows of per_row: lamp i at
// x = x0 - dx * (i % per_row), y = y0 + dy * (i / per_row). Channel 0 is the
// rightmost lamp of the first row.
template <int count>
struct LampTable {
  LampPoint at[count];
  constexpr const LampPoint &operator[](int i) const { return at[i]; }
};

template <int count>
constexpr LampTable<count> kit_lamp_table(int x0, int dx, int per_row, int y0, int dy) {
  LampTable<count> table{};
  for (int i = 0; i < count; ++i)
    table.at[i] = LampPoint{x0 - dx * (i % per_row), y0 + dy * (i / per_row)};
  return table;
}

// The colours of the panels, red in the low byte (as COLORREF holds them).
constexpr uint32_t kit_rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }
#define KIT_GREEN      kit_rgb(0, 255, 0)
#define KIT_DARK_GREEN kit_rgb(0, 128, 0)
#define KIT_RED        kit_rgb(255, 0, 0)
#define KIT_YELLOW     kit_rgb(255, 255, 0)
#define KIT_BLUE       kit_rgb(0, 0, 255)
#define KIT_WHITE      kit_rgb(255, 255, 255)
#define KIT_BLACK      kit_rgb(0, 0, 0)
#define KIT_LIGHT_GREY kit_rgb(192, 192, 192)  // the client area's background

enum KitBrush { KIT_BRUSH_GREEN, KIT_BRUSH_DARK_GREEN, KIT_BRUSH_RED, KIT_BRUSH_YELLOW };

// The base-address selector and its yellow box.
struct SelectorLayout {
  int x, y;          // top-left corner of the control
  int has_demo;      // a "Demo" entry follows "(None)"
  int address_step;  // entries from 200H in this step while at most 3FFH
};

enum { KIT_SELECTOR_WIDTH = 64, KIT_SELECTOR_HEIGHT = 100 };  // the height includes the list

struct BaseAddressBox {
  PanelRect box;         // yellow rectangle
  PanelPoint label_at;   // "Base Address:"
};

inline constexpr char kKitBaseAddressLabel[] = "Base Address:";

// --- blocks of lamp rows (kestan, orvel, sarrow, pellin panels) ---------------
struct LampScale {
  PanelPoint at;
  const char *text;  // drawn with every character, blanks included
};

struct LampBlock {
  PanelRect frame;
  KitBrush brush;        // KIT_BRUSH_GREEN (inputs) or KIT_BRUSH_DARK_GREEN (outputs)
  PanelPoint title_at;
  const char *title;     // "Digital Input", "Digital Output"
  uint32_t title_colour; // on blue
  int scale_count;       // 1 or 2
  LampScale scales[2];   // black on the block's colour
};

struct LampBlockPanel {
  LampBlock input, output;
  const LampPoint *input_lamps, *output_lamps;
  int lamp_count;  // per row of each block
};

enum LampBlockKind { KIT_INPUT_BLOCK, KIT_OUTPUT_BLOCK };

// A block around its lamps: the frame runs from 10 pixels left of and 24
// above the top-left lamp (the highest channel) to 26 right of and 40 below
// the lamp of channel 0 (bottom right); the title sits 30 above the top-left
// lamp, white on blue for inputs and red on blue for outputs.
constexpr LampBlock kit_lamp_block(LampBlockKind kind, LampPoint top_left, LampPoint channel_0,
                                   int scale_count, LampScale first, LampScale second = {}) {
  const bool input = kind == KIT_INPUT_BLOCK;
  return LampBlock{{top_left.x - 10, top_left.y - 24, channel_0.x + 26, channel_0.y + 40},
                   input ? KIT_BRUSH_GREEN : KIT_BRUSH_DARK_GREEN,
                   {top_left.x, top_left.y - 30},
                   input ? "Digital Input" : "Digital Output",
                   input ? KIT_WHITE : KIT_RED,
                   scale_count,
                   {first, second}};
}

#endif
