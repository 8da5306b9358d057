#include "erase_counter.h"

int erase_count;

namespace {

WNDPROC panel_procedure;

LRESULT CALLBACK counting_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_ERASEBKGND) ++erase_count;
  return CallWindowProcA(panel_procedure, window, message, wparam, lparam);
}

}  // namespace

void count_erases(HWND panel) {
  panel_procedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(panel, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counting_procedure)));
}
