// The port panel shared by fenmar_panel, wendal_panel and dulvar_panel.
//
// A port card has one to six channels, each one 8255-style interface with
// four port groups (Port A, Port B, Port C upper half, Port C lower half),
// which the user sets to input or output one by one. Each pass of the poll
// reads every input group and rewrites every output group; a click on an
// output lamp toggles that line and writes its group at once.
//
// Where the groups, boxes and labels sit is in port_panel_geometry.h
// (port_geometry). The three programs are one window procedure over a
// PortPanelProgram table each: the card library's calls, the program's
// geometry, and the few ways they behave differently (what a direction
// click repaints, how a lamp click takes its device context).
#ifndef KIT_PORT_PANEL_H
#define KIT_PORT_PANEL_H

#include <windows.h>

#include <cstdint>

#include "lamp_kit.h"
#include "port_panel_geometry.h"

enum PortDirection { PORT_INPUT = 0, PORT_OUTPUT = 1 };

// The card library's calls besides the initialise (kit.initialise: ordinal 1
// with card 0, the address and interrupt level 3). No result is looked at.
struct PortLibrary {
  void (*set_card)(int card);                    // ordinal 2
  void (*read)(int port_code, uint8_t *value);   // read one group
  void (*write)(int port_code, uint32_t value);  // write one group
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

struct PortPanelProgram {
  PanelKit kit;
  PortLibrary library;
  int channels;  // served at start (and the most there are): the card's 8255 chips
  const port_geometry::PortPanelGeometry *geometry;
  PortRepaint repaint;
  PortClickDc click_dc;
};

// Defined by fenmar_panel.cpp, wendal_panel.cpp and dulvar_panel.cpp.
extern const PortPanelProgram port_panel_program;

LRESULT CALLBACK port_panel_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

#endif
