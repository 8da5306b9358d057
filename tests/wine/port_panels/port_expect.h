// What a port panel must look like and do, written down per program from its
// description (fenmar_expect.cpp, wendal_expect.cpp, dulvar_expect.cpp);
// port_panel_tests.cpp checks the program linked into the same test
// executable against it.
#ifndef KIT_PORT_EXPECT_H
#define KIT_PORT_EXPECT_H

#include <windows.h>

#include "call_sequence.h"

enum { EXPECT_MAX_CALLS = 28 };

struct PortExpect {
  const char *title;
  int width, height;  // outer window size
  int channels;       // served at start
  UINT_PTR timer_id;
  int read, write;    // ordinals of the group read and write

  int entries;             // in the base-address selector
  const char *last_entry;  // its last entry ("(None)" first, "200H" second)
  POINT selector_at;
  int address_index;            // an address entry...
  ExpectedCall choose[2];       // ...and what choosing it calls

  int port_a_o_dy;     // "O" of Port A at Y + this; Port B's at Y + 9
  int repaints_group;  // a direction click repaints only its group's rectangle

  // One pass with every group input; one after the mixed set-up of
  // port_panel_tests.cpp (channel 0 Port B and Port C upper output, on two
  // channels also channel 1 Port A and Port C lower).
  ExpectedCall all_inputs[EXPECT_MAX_CALLS];
  ExpectedCall mixed[EXPECT_MAX_CALLS];

  int has_mode;  // the 96/144-bit selector (dulvar)
  int channel_label_y[6];  // "CHn" at (5, y)
};

extern const PortExpect expect;

#endif
