// wendal_interrupt's acquisition of 32768 values at 15000 Hz (divisor 6, an
// interrupt every 60 us, 16,667 Hz) on the simulated PC: the program's own
// window, Setup dialog and Interrupt Trigger, with the real wendal library
// and the simulator's Wendal card (channel 0 cabled to channel 1).
//
// Prints the trigger's time against N / rate, the values lost (slots the
// library never filled) and the values wrong (filled slots other than the
// pattern's low byte, which is what an 8-bit port carries back); ends with
// status 2 when any of the three misses its target.
#include <windows.h>

#include <cstdio>

#include "app_frame.h"
#include "int_state.h"
#include "wendal_interrupt.h"

namespace {

const char kCount[] = "32768";
const char kRate[] = "15000";
const int kValues = 32768;
const double kClockHz = 2000000.0;
const UINT kTickMs = 20;
const double kRatioTarget = 1.01;  // time against N / rate

struct Found {
  HWND window;
};

BOOL CALLBACK find_dialog(HWND window, LPARAM param) {
  char name[16] = "";
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  reinterpret_cast<Found *>(param)->window = window;
  return FALSE;
}

// Fills the Setup dialog and presses OK once it is open.
void CALLBACK fill_setup(HWND, UINT, UINT_PTR timer, DWORD) {
  Found found = {nullptr};
  EnumThreadWindows(GetCurrentThreadId(), find_dialog, reinterpret_cast<LPARAM>(&found));
  if (!found.window) return;
  KillTimer(nullptr, timer);
  SetDlgItemTextA(found.window, 1007, kCount);
  SetDlgItemTextA(found.window, 1008, kRate);
  PostMessageA(found.window, WM_COMMAND, IDOK, 0);
}

BOOL CALLBACK find_main(HWND window, LPARAM param) {
  char name[16] = "";
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "IntClass") != 0) return TRUE;
  reinterpret_cast<Found *>(param)->window = window;
  return FALSE;
}

void pump(void) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

}  // namespace

int main() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!frame_register_class(instance, &program_frame) ||
      !frame_create_main_window(instance, SW_SHOWNORMAL, &program_frame)) {
    std::fprintf(stderr, "no main window\n");
    return 1;
  }
  Found main_window = {nullptr};
  EnumThreadWindows(GetCurrentThreadId(), find_main, reinterpret_cast<LPARAM>(&main_window));
  HWND window = main_window.window;

  SetTimer(nullptr, 0, kTickMs, fill_setup);
  SendMessageA(window, WM_COMMAND, 101, 0);
  pump();
  if (Total_Count != kValues || Clock_Divisor_2 != 6) {
    std::fprintf(stderr, "Setup did not take: count %d, divisor %d\n", Total_Count, Clock_Divisor_2);
    return 1;
  }
  for (int i = 0; i < kValues; ++i) Input_Buffer[i] = -1;  // a slot never served stays -1

  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  SendMessageA(window, WM_COMMAND, 300, 0);
  QueryPerformanceCounter(&end);

  const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  const double rate = kClockHz / (Clock_Divisor_1 * Clock_Divisor_2);
  const double ideal = kValues / rate;
  int lost = 0, wrong = 0;
  for (int i = 0; i < kValues; ++i) {
    if (Input_Buffer[i] == -1) ++lost;
    else if (Input_Buffer[i] != (i & 0xFF)) ++wrong;
  }
  std::printf("wendal_interrupt acquisition: %d values at %s Hz (divisor %d x %d, %.1f Hz)\n", kValues, kRate,
              Clock_Divisor_1, Clock_Divisor_2, rate);
  const double ratio = seconds / ideal;
  std::printf("  time %.4f s, N/rate %.4f s, ratio %.4f (target <= %.2f)\n", seconds, ideal, ratio, kRatioTarget);
  std::printf("  values lost %d (target 0), values wrong %d (target 0)\n", lost, wrong);
  DestroyWindow(window);
  pump();
  return lost == 0 && wrong == 0 && ratio <= kRatioTarget ? 0 : 2;
}
