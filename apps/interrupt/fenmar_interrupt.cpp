// fenmar_interrupt: the Fenmar card's software-triggered acquisition, the
// twin of dulvar_interrupt with its own lists, port codes and trigger bit.
#include "fenmar.h"
#include "fenmar_registers.h"
#include "port_codes.h"
#include "app_frame.h"
#include "int_program.h"
#include "int_window.h"
#include "interrupt_ids.h"
#include "pulse_sample.h"

namespace {

const char *const kLevels[] = {"2", "3", "4", "5", "6", "7"};

}  // namespace

extern const PulseCard Pulse_Card = {
    W_Fenmar_Initial, W_Fenmar_INT_Start, W_Fenmar_INT_Status, W_Fenmar_INT_Stop,
    W_Fenmar_INT_Buffer, W_Fenmar_INT_Setup,
    ppicard::port_code(0, ppicard::kGroupC),  // pattern: channel 0, Port C as a whole
    ppicard::port_code(0, ppicard::kGroupA),  // input: channel 0, Port A
    1u << fenmar::kIrqLine,                   // the card's interrupt line in Port C
    "**The total count is %d**",
};

extern const IntProgram Int_Program = {
    {IDM_FENMAR_SETUP, 4, 0x3FE, 49, kLevels, sizeof kLevels / sizeof kLevels[0], 0,
     IDC_INT_COUNT, "10", 0, nullptr, 0x2C0, 2},
    {0x2C0, 2, 10},
    nullptr,
    initialise_pulse_card,
    nullptr,
    arm_pulse_card,
    trigger_pulse_card,
    stop_pulse_card,
};

extern const AppFrame program_frame = {
    "IntClass", "Sample Application-Interrupt", 200, 100, 300, 425,
    nullptr, MENU_INT, nullptr, WHITE_BRUSH, Int_Window_Proc,
};
