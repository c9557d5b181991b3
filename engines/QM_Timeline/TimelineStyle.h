#pragma once

// How a timeline looks: the process-wide palette and texts (SetColors, SetLanguageText) and a
// timeline's own strip metrics (the layout command). GUI thread only.

#include <array>
#include <cstdint>
#include <string>

#include "engines/QM_Timeline/TimelineApi.h"

namespace qmtimeline {

struct Metrics {
  int zoomPercent = 100;
  int minClipWidth = 36;
  int transitionSize = 32;
  int rulerHeight = 24;
  int trackGap = 8;
  int labelHeight = 18;
  int leftMargin = 8;
  int minTickSpacing = 22;
  int rightMargin = 48;
  int minTrackHeight = 36;
  int hintTextSize = 15;
  int selectionWidth = 2;
  int shadowSize = 3;

  // Pixels per second at zoom 100%.
  static constexpr double kBasePixelsPerSecond = 30.0;
  double PixelsPerSecond() const { return kBasePixelsPerSecond * zoomPercent / 100.0; }

  // Applies the layout command's integers (0 and -1 keep the default).
  void Apply(const int32_t* values);
};

// The palette as 0xRRGGBB values, by SetColors index.
std::array<uint32_t, kTimelineColorCount>& Palette();
uint32_t PaletteColor(int index);

// The empty-title hint (text id 100), with its default.
const std::u16string& EmptyHint();
void SetText(int32_t id, const char16_t* text);

// Smallest and largest zoom, percent.
constexpr int kMinZoomPercent = 10;
constexpr int kMaxZoomPercent = 1000;

}  // namespace qmtimeline
