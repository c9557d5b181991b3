#include "program/imaging/QuantizeDither.h"

#include <algorithm>

#include "program/imaging/Quantize.h"

int32_t TOctreeColorLookup::Match(uint8_t R, uint8_t G, uint8_t B, uint8_t& OutR, uint8_t& OutG, uint8_t& OutB) {
  const uint32_t pixel = 0xFF000000u | uint32_t{R} << 16 | uint32_t{G} << 8 | B;
  uint32_t color = 0;
  const int32_t index = FQuantizer->PixelIndex(pixel, color);
  OutR = static_cast<uint8_t>(color >> 16);
  OutG = static_cast<uint8_t>(color >> 8);
  OutB = static_cast<uint8_t>(color);
  return index;
}

int32_t TDitherEngine::DitherPixel(uint8_t R, uint8_t G, uint8_t B, uint8_t& OutR, uint8_t& OutG, uint8_t& OutB) {
  const int32_t index = FLookup->Match(R, G, B, OutR, OutG, OutB);
  FColumn += FStep;
  return index;
}

void TDitherEngine::NextRow() {
  FStep = -FStep;
  FColumn = FStep > 0 ? 0 : FWidth - 1;
}

T5by3Ditherer::T5by3Ditherer(int32_t Width, TColorLookup* Lookup) : TDitherEngine(Width, Lookup) {
  for (auto& channel : FRows)
    for (auto& row : channel) row.assign(static_cast<size_t>(std::max(Width, 0)) + 4, 0);
}

int32_t T5by3Ditherer::DitherPixel(uint8_t R, uint8_t G, uint8_t B, uint8_t& OutR, uint8_t& OutG, uint8_t& OutB) {
  const int32_t entry = Entry();
  // Division truncates toward zero, as the error rows were always read.
  auto adjust = [&](Channel channel, uint8_t value) {
    const int32_t error = FRows[channel][0][entry];
    return static_cast<int32_t>(std::clamp(value + (error + FDivisor / 2) / FDivisor, 0, 255));
  };
  const int32_t red = adjust(Red, R);
  const int32_t green = adjust(Green, G);
  const int32_t blue = adjust(Blue, B);

  const int32_t index = TDitherEngine::DitherPixel(static_cast<uint8_t>(red), static_cast<uint8_t>(green),
                                                   static_cast<uint8_t>(blue), OutR, OutG, OutB);
  const int32_t errors[3] = {red - OutR, green - OutG, blue - OutB};
  for (int channel = Red; channel <= Blue; ++channel) {
    if (errors[channel] == 0) continue;
    auto& rows = FRows[channel];
    Spread(rows[0].data() + entry, rows[1].data() + entry, errors[channel], rows[2].data() + entry);
  }
  return index;
}

void T5by3Ditherer::NextRow() {
  for (auto& rows : FRows) {
    std::fill(rows[0].begin(), rows[0].end(), 0);
    std::rotate(rows.begin(), rows.begin() + 1, rows.end());
  }
  TDitherEngine::NextRow();
  FDoubleStep = 2 * FStep;
}

TStuckiDitherer::TStuckiDitherer(int32_t Width, TColorLookup* Lookup) : T5by3Ditherer(Width, Lookup) {
  FDivisor = 42;
}

void TStuckiDitherer::Spread(int32_t* Current, int32_t* Next, int32_t Error, int32_t* AfterNext) {
  const int32_t one = FStep;
  const int32_t two = FDoubleStep;
  Current[one] += 8 * Error;
  Current[two] += 4 * Error;
  Next[-two] += 2 * Error;
  Next[-one] += 4 * Error;
  Next[0] += 8 * Error;
  Next[one] += 4 * Error;
  Next[two] += 2 * Error;
  AfterNext[-two] += Error;
  AfterNext[-one] += 2 * Error;
  AfterNext[0] += 4 * Error;
  AfterNext[one] += 2 * Error;
  AfterNext[two] += Error;
}
