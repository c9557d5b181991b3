#pragma once

// A memory DC over a top-down 32-bit DIB section for pixel tests, with a picture of the
// pixels as text rows ('#' for ink, '.' for anything else) to compare small shapes.

#include <string>

#include "platform/gdi/WinGdi.h"

struct Canvas {
  Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255)) : width(width), height(height) {
    BITMAPINFO info = platform::TopDownBitmapInfo32(width, height);
    void* pixels = nullptr;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    bits = static_cast<uint32_t*>(pixels);
    dc = CreateCompatibleDC(nullptr);
    previous = SelectObject(dc, bitmap);
    Fill(fill);
  }
  ~Canvas() {
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  void Fill(COLORREF color) {
    const uint32_t pixel = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    for (int i = 0; i < width * height; ++i) bits[i] = pixel;
  }
  uint32_t Raw(int x, int y) const { return bits[y * width + x]; }
  COLORREF Color(int x, int y) const {
    const uint32_t p = Raw(x, y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  std::string Picture(COLORREF ink) const {
    std::string out;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) out += Color(x, y) == ink ? '#' : '.';
      out += '\n';
    }
    return out;
  }
  // Pixels of any colour but `paper`.
  int Ink(COLORREF paper = RGB(255, 255, 255)) const { return width * height - Count(paper); }
  int Count(COLORREF ink) const {
    int count = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) count += Color(x, y) == ink;
    return count;
  }

  int width;
  int height;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  uint32_t* bits = nullptr;
  HGDIOBJ previous = nullptr;
};

// Rows joined with newlines, for readable expectations.
inline std::string Rows(std::initializer_list<const char*> rows) {
  std::string out;
  for (const char* row : rows) {
    out += row;
    out += '\n';
  }
  return out;
}
