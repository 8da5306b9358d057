// The port panel shared by fenmar_panel, wendal_panel and dulvar_panel.
//
// A port card has one to six channels, each one 8255-style interface with
// four port groups (Port A, Port B, Port C upper half, Port C lower half),
// which the user sets to input or output one by one. Each pass of the poll
// reads every input group and rewrites every output group; a click on an
// output lamp toggles that line and writes its group at once.
//
// Channel c is the row at Y = 40 + 50 c; every group is drawn and hit-tested
// relative to Y, to the x of its bit-0 lamp (x0) and of its leftmost lamp
// (xL). The three programs are one window procedure over a PortPanelProgram
// table each: the card library's calls, the number of channels, and the few
// ways they differ ("O" offsets, paint order, what a direction click
// repaints, how a lamp click takes its device context, the mode selector).
#ifndef KIT_PORT_PANEL_H
#define KIT_PORT_PANEL_H

#include <windows.h>

#include <cstdint>

#include "lamp_kit.h"
#include "port_codes.h"

enum {
  PORT_MAX_CHANNELS = 6,
  PORT_GROUPS = ppicard::kDirectionGroupsPerChannel,
  PORT_MAX_LINES = 8,
  PORT_FIRST_ROW = 40,  // row line Y of channel 0
  PORT_ROW_STEP = 50,   // between the row lines of two channels
};

// The groups of a channel in the order the poll and the clicks visit them.
enum PortGroup { PORT_A, PORT_B, PORT_C_LOWER, PORT_C_UPPER };

enum PortDirection { PORT_INPUT = 0, PORT_OUTPUT = 1 };

// The card library's calls besides the initialise (kit.initialise: ordinal 1
// with card 0, the address and interrupt level 3). No result is looked at.
struct PortLibrary {
  void (*set_card)(int card);                    // ordinal 2
  void (*read)(int port_code, uint8_t *value);   // read one group
  void (*write)(int port_code, uint32_t value);  // write one group
};

// Where each group's label goes in the paint.
enum PortLabelOrder {
  PORT_LABEL_AFTER_FRAME,   // right after the group's frame (fenmar)
  PORT_LABELS_AFTER_BOXES,  // channel 0's labels once every frame and box is drawn
};

// What a direction click invalidates (without erasing).
enum PortRepaint {
  PORT_REPAINT_CLIENT,  // the whole client area
  PORT_REPAINT_GROUP,   // only the clicked group's rectangle
};

// How an output-lamp click takes the window's device context.
enum PortClickDc {
  PORT_DC_PER_LAMP,   // around the drawing of the hit lamp; written after release
  PORT_DC_PER_CLICK,  // once per click, hit or not; written while it is held
};

// A selector that chooses how many channels the panel serves (dulvar's
// 96/144-bit mode). Every notification it sends repaints the rows that come
// and go, with their background erased.
struct PortModeEntry {
  const char *text;
  int channels;
};

struct PortModeSelector {
  int id;
  int x, y, width, height;  // the control
  PortModeEntry entries[2];
  int first_entry;          // selected at creation
  RECT box;                 // yellow box behind it
  POINT label_at;
  const char *label;
  RECT rows;                // invalidated, erased, on every notification
};

struct PortPanelProgram {
  PanelKit kit;
  PortLibrary library;
  int channels;                   // served at start (and the most there are)
  POINT o_text[PORT_GROUPS];      // "O" at (x0 + x, Y + y), by PortGroup
  int channel_label_y[PORT_MAX_CHANNELS];  // "CHn" at (5, y), by channel
  PortLabelOrder label_order;
  PortRepaint repaint;
  PortClickDc click_dc;
  const PortModeSelector *mode;   // nullptr: a fixed number of channels
};

// Defined by fenmar_panel.cpp, wendal_panel.cpp and dulvar_panel.cpp.
extern const PortPanelProgram port_panel_program;

LRESULT CALLBACK port_panel_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

#endif
