// dulvar_interrupt: the Dulvar card's software-triggered acquisition: its
// Setup lists, port codes, trigger bit and frame.
#include "dulvar.h"
#include "dulvar_registers.h"
#include "port_codes.h"
#include "app_frame.h"
#include "int_program.h"
#include "int_window.h"
#include "interrupt_ids.h"
#include "pulse_sample.h"

namespace {

const char *const kLevels[] = {"3", "4", "5", "6", "7", "9", "10", "11", "12", "14", "15"};

}  // namespace

extern const PulseCard Pulse_Card = {
    W_Dulvar_Initial, W_Dulvar_INT_Start, W_Dulvar_INT_Status, W_Dulvar_INT_Stop,
    W_Dulvar_INT_Buffer, W_Dulvar_INT_Setup,
    ppicard::port_code(0, ppicard::kGroupA),  // pattern: channel 0, Port A
    ppicard::port_code(1, ppicard::kGroupA),  // input: channel 1, Port A
    1u << dulvar::kIrqLine,                   // the card's interrupt line in Port C
    "** The total count is %d **",
};

extern const IntProgram Int_Program = {
    {IDM_DULVAR_SETUP, 0x10, 0x3FE, 13, kLevels, sizeof kLevels / sizeof kLevels[0], 10,
     IDC_INT_COUNT, "10", 0, nullptr, 0x2C0, 15},
    {0x2C0, 15, 10},
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
