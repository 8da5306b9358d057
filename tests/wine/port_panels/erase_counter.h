// Counts a panel's WM_ERASEBKGND messages: whether an invalidation asked for
// the background to be erased.
#ifndef KIT_TESTS_ERASE_COUNTER_H
#define KIT_TESTS_ERASE_COUNTER_H

#include <windows.h>

// Subclasses the panel's window procedure; every erase adds one.
void count_erases(HWND panel);
extern int erase_count;

#endif
