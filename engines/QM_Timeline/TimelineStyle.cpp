#include "engines/QM_Timeline/TimelineStyle.h"

#include <algorithm>

namespace qmtimeline {

namespace {

std::array<uint32_t, kTimelineColorCount> DefaultPalette() {
  std::array<uint32_t, kTimelineColorCount> palette{};
  palette.fill(0xF3F4F6);
  palette[kTimelineColorWindow] = 0xF3F4F6;
  palette[kTimelineColorSurface] = 0xFFFFFF;
  palette[kTimelineColorBorder] = 0xD0D5DD;
  palette[kTimelineColorText] = 0x1F2328;
  palette[kTimelineColorSecondaryText] = 0x667085;
  palette[kTimelineColorAccent] = 0x2563EB;
  palette[kTimelineColorHover] = 0x93B4F5;
  palette[kTimelineColorRuler] = 0xFFFFFF;
  palette[kTimelineColorShadow] = 0x101828;
  palette[kTimelineColorGlyph] = 0x98A2B3;
  palette[kTimelineColorTrack] = 0xE4E7EC;
  return palette;
}

std::u16string& HintText() {
  static std::u16string text = u"Drag videos or photos here to build this title";
  return text;
}

}  // namespace

void Metrics::Apply(const int32_t* values) {
  if (!values) return;
  const Metrics defaults;
  const auto take = [values](int index, int fallback, int low, int high) {
    const int32_t v = values[index];
    if (v == 0 || v == -1) return fallback;
    return std::clamp<int>(v, low, high);
  };
  zoomPercent = take(0, defaults.zoomPercent, kMinZoomPercent, kMaxZoomPercent);
  minClipWidth = take(1, defaults.minClipWidth, 1, 1000);
  transitionSize = take(2, defaults.transitionSize, 8, 200);
  rulerHeight = take(3, defaults.rulerHeight, 8, 200);
  trackGap = take(4, defaults.trackGap, 1, 200);
  labelHeight = take(5, defaults.labelHeight, 8, 200);
  leftMargin = take(6, defaults.leftMargin, 1, 1000);
  minTickSpacing = take(7, defaults.minTickSpacing, 4, 1000);
  rightMargin = take(8, defaults.rightMargin, 1, 1000);
  minTrackHeight = take(9, defaults.minTrackHeight, 8, 1000);
  hintTextSize = take(10, defaults.hintTextSize, 6, 100);
  selectionWidth = take(11, defaults.selectionWidth, 1, 20);
  shadowSize = take(13, defaults.shadowSize, 1, 40);
}

std::array<uint32_t, kTimelineColorCount>& Palette() {
  static std::array<uint32_t, kTimelineColorCount> palette = DefaultPalette();
  return palette;
}

uint32_t PaletteColor(int index) {
  return index >= 0 && index < kTimelineColorCount ? Palette()[index] : 0;
}

const std::u16string& EmptyHint() { return HintText(); }

void SetText(int32_t id, const char16_t* text) {
  if (id == kTimelineTextEmptyHint) HintText() = text ? std::u16string(text) : std::u16string();
}

}  // namespace qmtimeline
