// fenmar_interrupt as its description has it.
#include "program_expect.h"
#include "pulse_expect.h"

#include <windows.h>

const ProgramExpect Expected = {
    "fenmar", "Sample Application-Interrupt", 425, 9,
    40001, "Dialog", 187, 130,
    {{"Button", IDOK, "OK", kButton | BS_DEFPUSHBUTTON, 28, 109, 50, 14},
     {"Button", IDCANCEL, "Cancel", kButton, 108, 109, 50, 14},
     {"Static", -1, "IRQ Level", kLabel, 25, 43, 55, 11},
     {"Static", -1, "Base Address", kLabel, 25, 23, 55, 11},
     {"Static", -1, "Total Count", kLabel, 25, 65, 55, 11},
     {"ComboBox", 1004, nullptr, kCombo, 85, 21, 76, 114},
     {"ComboBox", 1005, nullptr, kCombo, 85, 42, 76, 114},
     {"Edit", 1002, nullptr, kEdit, 85, 64, 76, 13}},
    4, 128, "3FCH", 49,
    {"2", "3", "4", "5", "6", "7"}, 0,
    1002, "10", 0,
    0x2C0, 2,
    0x2C0, 2, 10,
};

const PulseExpect Pulse_Expected = {2, 0, 0x01, "**The total count is %d**"};
