/*
 * Text lines of the interrupt samples' main window: formatted with
 * wsprintfA into one line buffer and drawn with TextOutA at client pixels,
 * on a device context the command took with GetDC. The context keeps its
 * defaults (system font, black on opaque white). Nothing is remembered for
 * repainting.
 */
#ifndef KIT_INTERRUPT_INT_LINES_H
#define KIT_INTERRUPT_INT_LINES_H

#include <windows.h>

/* Longest line the samples format, with room to spare: the formats take at
 * most two 32-bit numbers. */
enum { INT_LINE_CAPACITY = 128 };

void draw_int_line(HDC dc, int x, int y, const char *format, ...);

#endif
