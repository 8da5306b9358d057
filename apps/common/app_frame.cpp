#include "app_frame.h"

HINSTANCE frame_instance;

int frame_register_class(HINSTANCE instance, const AppFrame *frame) {
  WNDCLASSA wc = {};
  wc.style = 0;
  wc.lpfnWndProc = frame->window_procedure;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 0;
  wc.hInstance = instance;
  wc.hIcon = frame->icon ? LoadIconA(instance, frame->icon) : LoadIconA(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(frame->background));
  wc.lpszMenuName = frame->class_menu;
  wc.lpszClassName = frame->class_name;
  return RegisterClassA(&wc);
}

int frame_create_main_window(HINSTANCE instance, int show, const AppFrame *frame) {
  frame_instance = instance;
  HMENU menu = frame->menu ? LoadMenuA(instance, frame->menu) : nullptr;
  HWND window = CreateWindowExA(0, frame->class_name, frame->title, WS_OVERLAPPEDWINDOW,
                                frame->x, frame->y, frame->width, frame->height,
                                nullptr, menu, instance, nullptr);
  if (!window) return 0;
  ShowWindow(window, show);
  UpdateWindow(window);
  return 1;
}

int frame_main(const AppFrame *frame, HINSTANCE instance, HINSTANCE previous, int show) {
  if (!previous && !frame_register_class(instance, frame)) return 0;
  if (!frame_create_main_window(instance, show, frame)) return 0;
  MSG msg;
  BOOL got;
  // GetMessageA gives -1 on failure; treating that as a message would spin
  // forever, so only a positive result keeps the loop going.
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return got == 0 ? static_cast<int>(msg.wParam) : 0;
}

LRESULT frame_exit_command(HWND window) {
  SendMessageA(window, WM_CLOSE, 0, 0);
  return 0;
}
