// Main window procedure of the interrupt samples.
#include "int_window.h"

#include "int_program.h"
#include "interrupt_ids.h"
#include "setup_dialog.h"

namespace {

// The program's settings take their starting values when its one main
// window is created, before the window is shown or any command arrives.
void start_int_sample(void) {
  start_int_state(&Int_Program.start);
  if (Int_Program.start_own) Int_Program.start_own();
}

// The whole wParam is compared: a menu command has 0 in its high word.
void handle_int_command(HWND window, WPARAM wparam) {
  if (wparam == static_cast<WPARAM>(Int_Program.setup.setup_command)) {
    open_setup_dialog(window);
  } else if (wparam == IDM_INT_TRIGGER) {
    Int_Program.trigger(window);
  } else if (wparam == IDM_INT_EXIT) {
    // Exit takes the close box's way, so that WM_DESTROY stops the
    // acquisition before the buffers the library holds go away.
    SendMessageA(window, WM_CLOSE, 0, 0);
  }
}

}  // namespace

LRESULT CALLBACK Int_Window_Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      start_int_sample();
      return 0;
    case WM_DESTROY:
      Int_Program.stop();
      PostQuitMessage(0);
      return 0;
    case WM_COMMAND:
      handle_int_command(window, wparam);
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}
