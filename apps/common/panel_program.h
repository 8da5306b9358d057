// What every panel program defines besides its frame table (app_frame.h):
// the one paint function, which draws the whole panel from the program's
// words. WM_PAINT calls it between BeginPaint and EndPaint; tests call it on
// a memory device context.
#ifndef KIT_PANEL_PROGRAM_H
#define KIT_PANEL_PROGRAM_H

#include <windows.h>

void program_paint(HDC dc);

#endif
