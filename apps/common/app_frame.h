// The application frame shared by the ten programs: entry, class
// registration, main-window creation and the message loop. A program differs
// from the others only by its constant AppFrame table; the frame itself keeps
// nothing but the instance handle.
#ifndef KIT_APP_FRAME_H
#define KIT_APP_FRAME_H

#include <windows.h>

struct AppFrame {
  const char *class_name;   // "GenericWClass", "PellinClass", "IntClass"
  const char *title;
  int x, y;                 // outer position; CW_USEDEFAULT lets the system choose
  int width, height;        // outer size
  const char *menu;         // loaded by name and given to the window; nullptr: none
  const char *class_menu;   // the class record's menu name; nullptr: none
  const char *icon;         // icon resource of the program; nullptr: stock IDI_APPLICATION
  int background;           // stock brush of the class: LTGRAY_BRUSH or WHITE_BRUSH
  WNDPROC window_procedure;
};

// The program's module instance, stored before the main window is created so
// that WM_CREATE handlers can create child controls and open dialogs.
extern HINSTANCE frame_instance;

// Each program defines its table under this name; WinMain (frame_main.cpp)
// and the in-process tests start the program from it.
extern const AppFrame program_frame;

// RegisterClassA's atom widened to an integer: nonzero on success.
int frame_register_class(HINSTANCE instance, const AppFrame *frame);
// 1 when the main window exists and has been shown and painted, 0 otherwise.
int frame_create_main_window(HINSTANCE instance, int show, const AppFrame *frame);
// The whole entry: register (unless a previous instance is given), create,
// run the message loop; the quit message's wParam, or 0 when start-up fails.
int frame_main(const AppFrame *frame, HINSTANCE instance, HINSTANCE previous, int show);
// The panels' Exit command: close the main window the way the close box does.
LRESULT frame_exit_command(HWND window);

#endif
