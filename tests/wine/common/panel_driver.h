// Driving a program's real main window in-process, as a user would, without
// running a message loop (so that no timer message arrives unasked): the
// window is created by the program's own frame, and the test sends it the
// messages that the selector, the timer, the mouse and the menu would send.
#ifndef KIT_PANEL_DRIVER_H
#define KIT_PANEL_DRIVER_H

#include <windows.h>

struct AppFrame;

// Registers the program's class and creates its main window, shown, with the
// frame's own steps; returns the window (found among this thread's windows).
HWND panel_start(const AppFrame *frame);
// This thread's top-level window of the class, or nullptr.
HWND panel_find_own(const char *class_name);
// The base-address selector (control 200).
HWND panel_selector(HWND panel);
// Selects the entry and sends WM_COMMAND (200, CBN_CLOSEUP), as a close-up
// of the drop-down list does.
void panel_close_up_on(HWND panel, int index);
// One poll: WM_TIMER with the panel's timer id.
void panel_tick(HWND panel, UINT_PTR timer_id = 1);
// WM_LBUTTONDOWN at a client point.
void panel_click(HWND panel, int x, int y);
// The Exit command, then the messages up to WM_QUIT; returns the quit code,
// or -1 when no quit message arrived within a second.
int panel_exit(HWND panel);
// Runs the message loop for ms milliseconds (timers included).
void panel_run_for(HWND panel, int ms);

// The last SetTimer call this program made (panel_start listens from the
// window's creation on): the window, the timer id and the period it asked for.
struct TimerRequest {
  HWND window;
  UINT_PTR id;
  UINT period_ms;
};
TimerRequest panel_last_timer_request();

// Colour of a client pixel as the window shows it now.
COLORREF panel_pixel(HWND panel, int x, int y);
// Number of pixels of the colour in the client rectangle [left, right) x [top, bottom).
int panel_count_colour(HWND panel, RECT area, COLORREF colour);

// The panel drawn by paint into a fresh 32-bit DIB section of the given
// size, background light grey as the window class erases it.
struct PanelImage {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
  int width, height;
};
void image_render(PanelImage *image, int width, int height, void (*paint)(HDC dc));
COLORREF image_pixel(const PanelImage *image, int x, int y);
int image_count_colour(const PanelImage *image, RECT area, COLORREF colour);
void image_free(PanelImage *image);

#define LTGRAY RGB(192, 192, 192)

#endif
