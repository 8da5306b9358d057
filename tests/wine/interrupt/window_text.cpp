// Comparison of a client-area picture with the text lines it should show.
#include "window_text.h"

#include <cstdio>

Canvas::Canvas(int w, int h) : width(w), height(h) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  dc = CreateCompatibleDC(nullptr);
  void *bits = nullptr;
  bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  pixels = static_cast<unsigned *>(bits);
  old = SelectObject(dc, bitmap);
}

Canvas::~Canvas() {
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

bool Canvas::save_bmp(const char *path) const {
  GdiFlush();
  std::FILE *file = std::fopen(path, "wb");
  if (!file) return false;
  const int row = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER head = {};
  BITMAPINFOHEADER info = {};
  head.bfType = 0x4D42;
  head.bfOffBits = sizeof head + sizeof info;
  head.bfSize = head.bfOffBits + row * height;
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up rows
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  bool ok = std::fwrite(&head, sizeof head, 1, file) == 1 && std::fwrite(&info, sizeof info, 1, file) == 1;
  std::vector<unsigned char> line(row, 0);
  for (int y = height - 1; ok && y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const unsigned p = at(x, y);
      line[x * 3 + 0] = p & 0xFF;
      line[x * 3 + 1] = (p >> 8) & 0xFF;
      line[x * 3 + 2] = (p >> 16) & 0xFF;
    }
    ok = std::fwrite(line.data(), row, 1, file) == 1;
  }
  return std::fclose(file) == 0 && ok;
}

bool canvas_shows_lines(const Canvas &seen, const std::vector<TextLine> &lines, std::string *report) {
  Canvas want(seen.width, seen.height);
  RECT all = {0, 0, seen.width, seen.height};
  FillRect(want.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  for (const TextLine &text : lines)
    TextOutA(want.dc, text.x, text.y, text.text.c_str(), static_cast<int>(text.text.size()));
  GdiFlush();

  int differing = 0;
  int first_x = -1, first_y = -1;
  for (int y = 0; y < seen.height; ++y)
    for (int x = 0; x < seen.width; ++x)
      if (seen.at(x, y) != want.at(x, y) && differing++ == 0) {
        first_x = x;
        first_y = y;
      }
  if (differing == 0) return true;
  char head[160];
  std::snprintf(head, sizeof head, "%d pixels differ from the expected lines, the first at (%d, %d): %06x, expected %06x\n",
                differing, first_x, first_y, seen.at(first_x, first_y), want.at(first_x, first_y));
  *report = head;
  *report += "expected lines:\n";
  for (const TextLine &text : lines)
    *report += "  (" + std::to_string(text.x) + ", " + std::to_string(text.y) + ") \"" + text.text + "\"\n";
  return false;
}
