/*
 * Main window of the interrupt samples: the three menu commands and the
 * stop operation on WM_DESTROY; everything else goes to DefWindowProcA.
 */
#ifndef KIT_INTERRUPT_INT_WINDOW_H
#define KIT_INTERRUPT_INT_WINDOW_H

#include <windows.h>

LRESULT CALLBACK Int_Window_Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

#endif
