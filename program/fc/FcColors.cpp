#include "program/fc/FcColors.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdi/Text.h"

namespace {

uint8_t RoundToByte(double value) {
  return static_cast<uint8_t>(std::clamp<long>(std::lround(value), 0, 255));
}

int Red(COLORREF c) { return c & 0xFF; }
int Green(COLORREF c) { return (c >> 8) & 0xFF; }
int Blue(COLORREF c) { return (c >> 16) & 0xFF; }

TColor FromRgb(double r, double g, double b) {
  auto channel = [](double v) { return static_cast<TColor>(std::lround(std::min(v, 1.0) * 255.0)); };
  return channel(r) | (channel(g) << 8) | (channel(b) << 16);
}

TColor WithLightness(TColor color, int lightness) {
  THlsColor hls = ColorToHLS(color);
  return HLSToColor(hls.Hue, hls.Saturation, static_cast<uint8_t>(std::clamp(lightness, 0, 255)));
}

struct TSchemeColors {
  TColor Gradient1;
  TColor Gradient2;
  TColor Frame;
};

constexpr TSchemeColors kSchemeColors[] = {
    {0x00FFEFE3, 0x00EABB99, 0x00BF7F57},
    {0x00EDFFFF, 0x0092C7B8, 0x0077A17F},
    {0x00FFF9F9, 0x00D0BCBD, 0x00B19F9F},
};

uint8_t g_scheme = DetectColorScheme();

}  // namespace

THlsColor ColorToHLS(TColor color) {
  COLORREF rgb = ColorToRGB(color);
  double r = Red(rgb) / 255.0, g = Green(rgb) / 255.0, b = Blue(rgb) / 255.0;
  double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  double l = (mx + mn) / 2.0;
  double h = 0.0, s = 0.0;
  if (mx != mn) {
    double delta = mx - mn;
    s = l < 0.5 ? delta / (mx + mn) : delta / (2.0 - mx - mn);
    if (r == mx)
      h = (g - b) / delta;
    else if (g == mx)
      h = 2.0 + (b - r) / delta;
    else
      h = 4.0 + (r - g) / delta;
    h /= 6.0;
    if (h < 0.0) h += 1.0;
  }
  return {RoundToByte(240.0 * h), RoundToByte(240.0 * s), RoundToByte(240.0 * l)};
}

TColor HLSToColor(uint8_t hue, uint8_t saturation, uint8_t lightness) {
  double h = hue / 239.0, s = saturation / 240.0, l = lightness / 240.0;
  double m2 = l < 0.5 ? l * (1.0 + s) : l + s - l * s;
  if (m2 <= 0.0) return 0;
  double m1 = 2.0 * l - m2;
  int k = static_cast<int>(std::trunc(6.0 * h));
  double f = 6.0 * h - k;
  double v = m2 * ((m2 - m1) / m2) * f;
  double up = m1 + v, down = m2 - v;
  switch (k) {
    case 1: return FromRgb(down, m2, m1);
    case 2: return FromRgb(m1, m2, up);
    case 3: return FromRgb(m1, down, m2);
    case 4: return FromRgb(up, m1, m2);
    case 5: return FromRgb(m2, m1, down);
    default: return FromRgb(m2, up, m1);
  }
}

TColor DarkerColor(TColor color, int amount) {
  return WithLightness(color, ColorToHLS(color).Lightness - std::clamp(amount, 0, 255));
}

TColor LighterColor(TColor color, int amount) {
  return WithLightness(color, ColorToHLS(color).Lightness + std::clamp(amount, 0, 255));
}

TColor AdjustColor(TColor color, int amount) {
  if (amount < 0) return DarkerColor(color, -amount);
  if (amount > 0) return LighterColor(color, amount);
  return color;
}

bool ColorsTooClose(TColor first, TColor second) {
  THlsColor a = ColorToHLS(first), b = ColorToHLS(second);
  return std::abs(a.Hue - b.Hue) < 20 && std::abs(a.Lightness - b.Lightness) < 60;
}

uint8_t DetectColorScheme() { return csDefaultScheme; }
uint8_t CurrentColorScheme() { return g_scheme; }
void RedetectColorScheme() { g_scheme = DetectColorScheme(); }
bool UsesVisualStyle() { return false; }

void SchemeGradientColors(int source, uint8_t scheme, bool visualStyle, TColor& first, TColor& second) {
  if (source == 1 && visualStyle && scheme < std::size(kSchemeColors)) {
    first = kSchemeColors[scheme].Gradient1;
    second = kSchemeColors[scheme].Gradient2;
    return;
  }
  first = clWindow;
  second = DarkerColor(clBtnFace, 10);
}

TColor SchemeFrameColor(int source, uint8_t scheme, bool visualStyle) {
  if (source == 1 && visualStyle)
    return scheme < std::size(kSchemeColors) ? kSchemeColors[scheme].Frame : clBtnShadow;
  return LighterColor(clBtnShadow, 30);
}

void SchemeGradientColors(int source, TColor& first, TColor& second) {
  SchemeGradientColors(source, CurrentColorScheme(), UsesVisualStyle(), first, second);
}

TColor SchemeFrameColor(int source) { return SchemeFrameColor(source, CurrentColorScheme(), UsesVisualStyle()); }

TColor ThemeColor(int kind) {
  (void)kind;
  return clBtnFace;
}

HFONT CreateTurnedFont(TFont* font, int angle) {
  LOGFONTA lf{};
  lf.lfHeight = font->Height();
  lf.lfWidth = 0;
  lf.lfEscapement = angle * 10;
  lf.lfOrientation = 0;
  TFontStyles style = font->Style();
  lf.lfWeight = style.Contains(fsBold) ? 700 : 400;
  lf.lfItalic = style.Contains(fsItalic);
  lf.lfUnderline = style.Contains(fsUnderline);
  lf.lfStrikeOut = style.Contains(fsStrikeOut);
  lf.lfCharSet = font->Charset();
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  switch (font->Pitch()) {
    case fpFixed: lf.lfPitchAndFamily = FIXED_PITCH; break;
    case fpVariable: lf.lfPitchAndFamily = VARIABLE_PITCH; break;
    default: lf.lfPitchAndFamily = DEFAULT_PITCH; break;
  }
  AnsiString face = font->Name();
  std::strncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  return CreateFontIndirectA(&lf);
}
