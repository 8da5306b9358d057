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

namespace panel32 {

inline constexpr int kChannels = 32;
// x = 320 - 20 * (n mod 16); channels 0 to 15 in the lower row, 16 to 31
// 20 pixels above.
inline constexpr auto kInputLamps = kit_lamp_table<kChannels>(320, 20, 16, 60, -20);
inline constexpr auto kOutputLamps = kit_lamp_table<kChannels>(320, 20, 16, 154, -20);

inline constexpr UINT_PTR kTimerId = 1;

inline constexpr SelectorLayout selector(int address_step) {
  return SelectorLayout{192, kOutputLamps[31].y + 74, 1, address_step};
}

inline constexpr BaseAddressBox kBox = {
    {kOutputLamps[12].x, kOutputLamps[31].y + 70, kOutputLamps[12].x + 220,
     kOutputLamps[31].y + 105},
    {90, kOutputLamps[31].y + 78}};

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
