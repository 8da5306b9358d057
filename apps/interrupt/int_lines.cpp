// Formatting and drawing of one text line of an interrupt sample.
#include "int_lines.h"

#include <cstdarg>

static char Line_Buffer[INT_LINE_CAPACITY];

void draw_int_line(HDC dc, int x, int y, const char *format, ...) {
  va_list args;
  va_start(args, format);
  const int length = wvsprintfA(Line_Buffer, format, args);
  va_end(args);
  TextOutA(dc, x, y, Line_Buffer, length);
}
