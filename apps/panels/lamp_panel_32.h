// The 32-channel lamp panel shared by kestan_panel and orvel_panel: two
// blocks of 32 lamps (inputs on green, outputs on dark green), each block
// showing channels 31 to 16 in its upper row and 15 to 0 in its lower row.
// The two programs differ only in their Panel32Program table (selector
// step, card library) and their frame table (title, menu).
#ifndef KIT_LAMP_PANEL_32_H
#define KIT_LAMP_PANEL_32_H

#include <windows.h>

#include <cstdint>

#include "lamp_kit.h"
#include "lamp_panel_geometry.h"

namespace panel32 {

inline constexpr UINT_PTR kTimerId = 1;

}  // namespace panel32

// The card library's calls other than the initialise (kit.initialise, card 0
// and the address); results are not looked at.
struct Panel32Library {
  void (*set_card)(int card);                  // ordinal 2
  void (*read_16)(int port, uint32_t *value);  // ordinal 6
  void (*write_16)(int port, uint32_t value);  // ordinal 9
};

struct Panel32Program {
  PanelKit kit;
  Panel32Library library;
};

// Defined by kestan_panel.cpp and orvel_panel.cpp.
extern const Panel32Program panel32_program;

LRESULT CALLBACK panel32_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

#endif
