// The GDI operations every paint of the skinned program runs, on a 1280x800 surface.

#include <benchmark/benchmark.h>

#include "platform/gdi/WinGdi.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;

// A memory DC over a 32-bit top-down DIB section.
struct Surface {
  Surface(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    previous = SelectObject(dc, bitmap);
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i) pixels[i] = 0x80000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
  }
  ~Surface() {
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  void* bits = nullptr;
};

void FillRectBench(benchmark::State& state) {
  Surface target(kWidth, kHeight);
  HBRUSH brush = CreateSolidBrush(RGB(10, 36, 106));
  RECT all{0, 0, kWidth, kHeight};
  for (auto _ : state) FillRect(target.dc, &all, brush);
  DeleteObject(brush);
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(FillRectBench)->Name("FillRect/1280x800");

void BitBltBench(benchmark::State& state) {
  Surface target(kWidth, kHeight), source(kWidth, kHeight);
  for (auto _ : state) BitBlt(target.dc, 0, 0, kWidth, kHeight, source.dc, 0, 0, SRCCOPY);
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BitBltBench)->Name("BitBlt/SRCCOPY/1280x800");

void StretchBltBench(benchmark::State& state) {
  Surface target(kWidth, kHeight), source(720, 576);
  SetStretchBltMode(target.dc, HALFTONE);
  for (auto _ : state) StretchBlt(target.dc, 0, 0, kWidth, kHeight, source.dc, 0, 0, 720, 576, SRCCOPY);
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(StretchBltBench)->Name("StretchBlt/HALFTONE/720x576-to-1280x800");

void AlphaBlendBench(benchmark::State& state) {
  Surface target(kWidth, kHeight), source(kWidth, kHeight);
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  for (auto _ : state) AlphaBlend(target.dc, 0, 0, kWidth, kHeight, source.dc, 0, 0, kWidth, kHeight, blend);
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(AlphaBlendBench)->Name("AlphaBlend/per-pixel/1280x800");

void DrawTextBench(benchmark::State& state) {
  Surface target(kWidth, kHeight);
  SelectObject(target.dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(target.dc, TRANSPARENT);
  for (auto _ : state) {
    // A screenful of labels: 40 rows of four captions.
    for (int row = 0; row < 40; ++row) {
      for (int column = 0; column < 4; ++column) {
        RECT r{column * 320, row * 20, column * 320 + 300, row * 20 + 20};
        DrawTextA(target.dc, "Chapter 12 - Summer holiday at the beach", -1, &r,
                  DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * 160);
}
BENCHMARK(DrawTextBench)->Name("DrawText/160-labels/1280x800");

}  // namespace
