// dulvar_interrupt as its description has it.
#include "program_expect.h"
#include "pulse_expect.h"

#include <windows.h>

const ProgramExpect Expected = {
    "dulvar", "Sample Application-Interrupt", 425, 9,
    301, "Dialog", 187, 138,
    {{"Button", IDOK, "OK", kButton | BS_DEFPUSHBUTTON, 25, 107, 50, 14},
     {"Button", IDCANCEL, "Cancel", kButton, 97, 107, 50, 14},
     {"Static", -1, "Base Address", kLabel, 20, 19, 53, 11},
     {"Static", -1, "IRQ Level", kLabel, 20, 44, 52, 12},
     {"Static", -1, "Total Count", kLabel, 20, 67, 52, 14},
     {"Edit", 1002, nullptr, kEdit, 86, 64, 76, 15},
     {"ComboBox", 1004, nullptr, kCombo, 86, 19, 76, 114},
     {"ComboBox", 1005, nullptr, kCombo, 86, 41, 76, 114}},
    0x10, 32, "3F0H", 13,
    {"3", "4", "5", "6", "7", "9", "10", "11", "12", "14", "15"}, 10,
    1002, "10", 0,
    0x2C0, 15,
    0x2C0, 15, 10,
};

const PulseExpect Pulse_Expected = {0, 256, 0x08, "** The total count is %d **"};
