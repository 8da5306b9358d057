// wendal_interrupt: a timer-driven acquisition from a Wendal card. Each
// Interrupt Trigger arms the card, starts its sampling clock, polls until
// Total_Count values are in, stops the clock and lists up to 40 values.
#include "wendal_interrupt.h"

#include "port_codes.h"
#include "wendal.h"
#include "wendal_registers.h"
#include "int_lines.h"
#include "app_frame.h"
#include "int_program.h"
#include "int_window.h"
#include "interrupt_ids.h"
#include "setup_dialog.h"

int Sampling_Rate;
int Clock_Divisor_1;
int Clock_Divisor_2;

namespace {

const char *const kLevels[] = {"3", "4", "5", "7", "9", "10", "11", "12", "15"};

const int kStartRate = 40;
const int kStartDivisor1 = 20;
const int kStartDivisor2 = 250;
const int kClockHz = static_cast<int>(wendal::kClockHz);
const int kLowestRate = 1;
const int kHighestRate = 15000;

const char kRateTooSmall[] = "Sampling Rate can be assigned at least 1";
const char kMessageCaption[] = "INT";

// Transfer directions and port codes of the two buffers.
const int kDirectionInput = 1;
const int kDirectionPattern = 2;
const int kPatternPort = ppicard::port_code(1, ppicard::kGroupA);
const int kInputPort = ppicard::port_code(0, ppicard::kGroupA);

// Window layout.
const int kLineX = 20;
const int kCountY = 20;
const int kHeadingY = 40;
const int kNoteY = 60;
const int kShownValues = 40;
const int kValuesPerRow = 10;
const int kFirstRowY = 85;
const int kValueStep = 25;
const int kSilenceY = 190;

void start_wendal(void) {
  Sampling_Rate = kStartRate;
  Clock_Divisor_1 = kStartDivisor1;
  Clock_Divisor_2 = kStartDivisor2;
}

void initialise_wendal(void) { W_Wendal_Initial(0, Base_Address, IRQ_Level); }

// A rate below 1 has no divisor: refuse it as the count is refused.
int refuse_rate(HWND dialog) {
  if (read_setup_field(dialog, IDC_WENDAL_INT_RATE) >= kLowestRate) return 0;
  MessageBoxA(dialog, kRateTooSmall, kMessageCaption, MB_OK);
  return 1;
}

void store_rate(HWND dialog) {
  Sampling_Rate = read_setup_field(dialog, IDC_WENDAL_INT_RATE);
  if (Sampling_Rate > kHighestRate) Sampling_Rate = kHighestRate;
  Clock_Divisor_2 = kClockHz / (Clock_Divisor_1 * Sampling_Rate);
}

void arm_acquisition(void) {
  W_Wendal_INT_Setup();
  W_Wendal_INT_Buffer(kPatternPort, kDirectionPattern, Pattern_Buffer, Total_Count);
  W_Wendal_INT_Buffer(kInputPort, kDirectionInput, Input_Buffer, Total_Count);
  W_Wendal_INT_Start(Total_Count);
  W_Wendal_Clock_Start(Clock_Divisor_1, Clock_Divisor_2);
}

// Polls until Total_Count interrupts are counted; false when none has come
// for WENDAL_SILENCE_MS.
bool wait_for_interrupts(HDC dc, int *status, int *count) {
  int seen = *count;
  DWORD since = GetTickCount();
  while (*count < Total_Count) {
    W_Wendal_INT_Status(status, count);
    draw_int_line(dc, kLineX, kCountY, "Interrupt Count=%d", *count);
    if (*count != seen) {
      seen = *count;
      since = GetTickCount();
    } else if (GetTickCount() - since >= WENDAL_SILENCE_MS) {
      return false;
    }
  }
  return true;
}

void list_values(HDC dc, int shown) {
  draw_int_line(dc, kLineX, kHeadingY, "Data from Input port: ");
  draw_int_line(dc, kLineX, kNoteY, "** only shows at most 40 data **");
  for (int i = 0; i < shown && i < kShownValues; ++i)
    draw_int_line(dc, kLineX + kValueStep * (i % kValuesPerRow),
                  kFirstRowY + kValueStep * (i / kValuesPerRow),
                  i < kValuesPerRow ? "  %d, " : "%d, ", Input_Buffer[i]);
}

void trigger_wendal(HWND window) {
  int status = 0;
  int count = 0;
  arm_acquisition();
  W_Wendal_INT_Status(&status, &count);
  HDC dc = GetDC(window);
  const bool complete = wait_for_interrupts(dc, &status, &count);
  MessageBeep(0);
  W_Wendal_Clock_Stop();
  W_Wendal_INT_Stop(&count);
  if (complete) {
    list_values(dc, Total_Count);
  } else {
    draw_int_line(dc, kLineX, kSilenceY, "Interrupts stopped coming: %d of %d", count, Total_Count);
    list_values(dc, count < Total_Count ? count : Total_Count);
  }
  ReleaseDC(window, dc);
}

void stop_wendal(void) {
  int count = 0;
  W_Wendal_INT_Stop(&count);
}

}  // namespace

extern const IntProgram Int_Program = {
    {IDM_WENDAL_SETUP, 2, 0x3FF, 129, kLevels, sizeof kLevels / sizeof kLevels[0], 2,
     IDC_WENDAL_INT_COUNT, "40", IDC_WENDAL_INT_RATE, "40", 0x300, 5},
    {0x300, 5, 40},
    start_wendal,
    initialise_wendal,
    refuse_rate,
    store_rate,
    trigger_wendal,
    stop_wendal,
};

extern const AppFrame program_frame = {
    "IntClass", "Wendal Interrupt Samples", 200, 100, 300, 300,
    nullptr, MENU_INT, nullptr, WHITE_BRUSH, Int_Window_Proc,
};
