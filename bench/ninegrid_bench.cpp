// Skin drawing: the nine-grid stretch of a skin image to a 1280x800 window in each copy mode,
// and the blend routines (plain and SSE2) over rows of that width.

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "program/imaging/ColorBlend.h"
#include "program/imaging/NineGrid.h"
#include "vcl/Graphics.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;

// A 64 x 48 rounded panel with a two-pixel border, a vertical gradient and transparent
// corners (alpha 0 and magenta), like a window frame of a skin.
std::unique_ptr<TBitmap> SkinImage() {
  auto image = std::make_unique<TBitmap>(64, 48, pf32bit);
  for (int y = 0; y < 48; ++y) {
    auto* row = static_cast<uint32_t*>(image->ScanLine(y));
    for (int x = 0; x < 64; ++x) {
      const int dx = x < 8 ? 8 - x : x > 55 ? x - 55 : 0;
      const int dy = y < 8 ? 8 - y : y > 39 ? y - 39 : 0;
      const int distance = dx * dx + dy * dy;
      if (distance > 64) {
        row[x] = 0x00FF00FF;
      } else if (distance > 36 || x < 2 || y < 2 || x > 61 || y > 45) {
        row[x] = 0xFF203040;
      } else {
        const uint32_t shade = 120 + y * 2;
        row[x] = 0xFF000000 | shade << 16 | shade << 8 | 0xF0;
      }
    }
  }
  return image;
}

void NineGridStretch(benchmark::State& state) {
  auto skin = SkinImage();
  TBitmap target(kWidth, kHeight, pf32bit);
  TCanvasLock lock(target.Canvas());
  const auto mode = static_cast<uint8_t>(state.range(0));
  const TNineGridMargins margins{10, 10, 10, 10};
  for (auto _ : state) {
    bool drawn = DrawBitmapPart(target.Canvas()->Handle(), TRect(0, 0, kWidth, kHeight), skin->Handle(),
                                TRect(0, 0, 64, 48), margins, margins, mode, RGB(255, 0, 255), NineGridPiece::All,
                                nullptr);
    benchmark::DoNotOptimize(drawn);
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(NineGridStretch)->Arg(NineGridMode::Copy)->Arg(NineGridMode::ColorKey)->Arg(NineGridMode::Alpha);

std::vector<uint32_t> RandomRow(uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint32_t> row(kWidth);
  for (auto& pixel : row) pixel = random();
  return row;
}

void BlendRowVariant(benchmark::State& state) {
  const TBlendRoutines* routines = BlendRoutinesOf(static_cast<TBlendVariant>(state.range(0)));
  if (!routines) {
    state.SkipWithError("this processor has no SSE2");
    return;
  }
  const auto source = RandomRow(1);
  const auto background = RandomRow(2);
  auto dest = background;
  for (auto _ : state) {
    for (int row = 0; row < kHeight; ++row) routines->BlendRow(source.data(), dest.data(), kWidth);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BlendRowVariant)->Arg(static_cast<int>(TBlendVariant::Plain))->Arg(static_cast<int>(TBlendVariant::Sse2));

void BlendRowExVariant(benchmark::State& state) {
  const TBlendRoutines* routines = BlendRoutinesOf(static_cast<TBlendVariant>(state.range(0)));
  if (!routines) {
    state.SkipWithError("this processor has no SSE2");
    return;
  }
  const auto source = RandomRow(3);
  auto dest = RandomRow(4);
  for (auto _ : state) {
    for (int row = 0; row < kHeight; ++row) routines->BlendRowEx(source.data(), dest.data(), kWidth, 160);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BlendRowExVariant)->Arg(static_cast<int>(TBlendVariant::Plain))->Arg(static_cast<int>(TBlendVariant::Sse2));

}  // namespace
