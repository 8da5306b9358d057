/*
 * Setup dialog of the interrupt samples (resource 101): base address list,
 * interrupt level list, count edit and, in wendal_interrupt, the sampling
 * rate. One procedure for the three programs, driven by Int_Program.setup.
 */
#ifndef KIT_INTERRUPT_SETUP_DIALOG_H
#define KIT_INTERRUPT_SETUP_DIALOG_H

#include <windows.h>

/* Fields are read into buffers of this size (at most 15 characters). */
enum { SETUP_FIELD_CAPACITY = 16 };

INT_PTR CALLBACK Setup_Dialog_Proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

/* The Setup command: the dialog, modally over the main window. */
void open_setup_dialog(HWND window);

/* The decimal value of a dialog field (see int_parse.h). */
int read_setup_field(HWND dialog, int control);

#endif
