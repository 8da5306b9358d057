// Text lines as the interrupt samples draw them, and the check that a
// picture of a client area shows exactly those lines: the expected lines are
// drawn with TextOutA on a default memory device context (system font, black
// on opaque white) over white, and the two pictures compared pixel by pixel.
#ifndef KIT_TESTS_WINDOW_TEXT_H
#define KIT_TESTS_WINDOW_TEXT_H

#include <windows.h>

#include <string>
#include <vector>

struct TextLine {
  int x, y;
  std::string text;
};

// A 32-bit top-down DIB section selected into a memory device context.
struct Canvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  unsigned *pixels = nullptr;
  int width = 0, height = 0;

  Canvas(int w, int h);
  ~Canvas();
  Canvas(const Canvas &) = delete;
  Canvas &operator=(const Canvas &) = delete;
  unsigned at(int x, int y) const { return pixels[y * width + x] & 0xFFFFFF; }
  // Writes the picture as a 24-bit .bmp file; false on failure.
  bool save_bmp(const char *path) const;
};

// True when seen shows exactly the lines; otherwise *report says where and how.
bool canvas_shows_lines(const Canvas &seen, const std::vector<TextLine> &lines, std::string *report);

#endif
