// What a lamp-row panel must look like and do, written down per program from
// its description (kestan_expect.cpp, orvel_expect.cpp, sarrow_expect.cpp,
// pellin_expect.cpp). panel_tests.cpp checks the program linked into the
// same test executable against it.
#ifndef KIT_PANEL_EXPECT_H
#define KIT_PANEL_EXPECT_H

#include <windows.h>

#include <cstdint>

#include "call_sequence.h"

enum { EXPECT_MAX_LAMPS = 32 };

struct PanelExpect {
  const char *class_name, *title;
  int width, height;  // outer window size
  int lamps;          // channels per block
  POINT inputs[EXPECT_MAX_LAMPS], outputs[EXPECT_MAX_LAMPS];  // lamp top-left corners

  int entries;               // selector entries in all
  const char *entry_texts[4];  // entries 0 to 3
  const char *last_entry;
  POINT selector_at;

  RECT input_panel, output_panel, box;
  POINT input_title, output_title, box_label;
  RECT scales[4];  // where scale text is drawn (top-left + a few pixels)
  const char *scale_texts[4];
  int scale_count;  // the input block's scales first, then the output block's

  int address_index;             // an address entry
  ExpectedCall choose[2];        // what choosing it calls
  ExpectedCall poll[4];          // one poll
  int read_ordinal, write_ordinal;
  int writes_per_click;
  int click_lamp;                // a click on it with every other output 0:
  ExpectedCall first_click[3];   //   sets the bit
  ExpectedCall second_click[3];  //   clears it again
};

extern const PanelExpect expect;

// Lamp i at x0 - dx * (i % per_row), y0 + dy * (i / per_row): the rule the
// programs' descriptions give their lamp tables by.
void expect_lamps(POINT *lamps, int count, int x0, int dx, int per_row, int y0, int dy);

// A scale as the descriptions give it: the digits on the left, that many
// blanks, the digits on the right.
const char *expect_scale(const char *left, int blanks, const char *right);

#endif
