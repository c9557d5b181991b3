#include <gtest/gtest.h>

#include "platform/gdi/Objects.h"
#include "program/fc/FcColors.h"

namespace {

constexpr TColor Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

}  // namespace

TEST(FcColors, RgbToHlsOnTheZeroTo240Scale) {
  struct Case {
    TColor color;
    THlsColor hls;
  } cases[] = {
      {clBlack, {0, 0, 0}},           {clWhite, {0, 0, 240}},          {Rgb(128, 128, 128), {0, 0, 120}},
      {Rgb(255, 0, 0), {0, 240, 120}}, {Rgb(0, 255, 0), {80, 240, 120}}, {Rgb(0, 0, 255), {160, 240, 120}},
      {Rgb(255, 255, 0), {40, 240, 120}}, {Rgb(255, 0, 255), {200, 240, 120}},
      {Rgb(153, 51, 0), {13, 240, 72}},
  };
  for (const Case& c : cases) {
    THlsColor hls = ColorToHLS(c.color);
    EXPECT_EQ(hls, c.hls) << std::hex << c.color << ": " << std::dec << int(hls.Hue) << ","
                          << int(hls.Saturation) << "," << int(hls.Lightness);
  }
}

TEST(FcColors, HlsToRgbDividesTheHueBy239) {
  struct Case {
    int hue, saturation, lightness;
    TColor expected;
  } cases[] = {
      {0, 240, 120, Rgb(255, 0, 0)},
      {239, 240, 120, Rgb(255, 0, 0)},    // a full turn lands back on red
      {240, 240, 120, Rgb(255, 6, 0)},    // ... and 240 a little past it
      {40, 240, 120, Rgb(254, 255, 0)},   // yellow comes out a touch early
      {80, 240, 120, Rgb(0, 255, 2)},
      {0, 0, 120, Rgb(128, 128, 128)},
      {0, 0, 0, clBlack},
      {0, 0, 240, clWhite},
      {0, 0, 255, clWhite},  // lightness past 240 saturates to white
      {100, 240, 255, clWhite},
  };
  for (const Case& c : cases)
    EXPECT_EQ(HLSToColor(c.hue, c.saturation, c.lightness), c.expected)
        << c.hue << "," << c.saturation << "," << c.lightness;
}

TEST(FcColors, DarkerAndLighterClampTheLightness) {
  EXPECT_EQ(LighterColor(clWhite, 30), clWhite);
  EXPECT_EQ(DarkerColor(clBlack, 50), clBlack);
  EXPECT_EQ(LighterColor(clBlack, 255), clWhite);
  EXPECT_EQ(DarkerColor(clWhite, 255), clBlack);
  EXPECT_EQ(DarkerColor(Rgb(128, 128, 128), 20), Rgb(106, 106, 106));
  EXPECT_EQ(LighterColor(Rgb(128, 128, 128), 20), Rgb(149, 149, 149));
  // Out-of-range amounts act as the nearest end.
  EXPECT_EQ(LighterColor(Rgb(10, 20, 30), 1000), clWhite);
  EXPECT_EQ(DarkerColor(Rgb(10, 20, 30), -5), HLSToColor(ColorToHLS(Rgb(10, 20, 30)).Hue,
                                                          ColorToHLS(Rgb(10, 20, 30)).Saturation,
                                                          ColorToHLS(Rgb(10, 20, 30)).Lightness));

  EXPECT_EQ(AdjustColor(clBtnFace, 0), clBtnFace) << "no change, not even a conversion";
  EXPECT_EQ(AdjustColor(Rgb(128, 128, 128), -20), Rgb(106, 106, 106));
  EXPECT_EQ(AdjustColor(Rgb(128, 128, 128), 20), Rgb(149, 149, 149));
}

TEST(FcColors, SystemColoursAreConvertedWhenUsedNotCached) {
  SetSysColorFunc([](int index) -> COLORREF { return index == 15 ? Rgb(255, 0, 0) : 0; });
  EXPECT_EQ(ColorToHLS(clBtnFace), (THlsColor{0, 240, 120}));
  EXPECT_EQ(DarkerColor(clBtnFace, 0), Rgb(255, 0, 0));
  SetSysColorFunc([](int index) -> COLORREF { return index == 15 ? Rgb(0, 0, 255) : 0; });
  EXPECT_EQ(ColorToHLS(clBtnFace), (THlsColor{160, 240, 120}));
  SetSysColorFunc(nullptr);
}

TEST(FcColors, ColoursTooCloseCompareHueAndLightness) {
  const TColor a = HLSToColor(0, 0, 100);
  EXPECT_TRUE(ColorsTooClose(a, HLSToColor(0, 0, 159)));
  EXPECT_FALSE(ColorsTooClose(a, HLSToColor(0, 0, 160)));
  EXPECT_TRUE(ColorsTooClose(Rgb(255, 0, 0), Rgb(250, 10, 0)));
  EXPECT_FALSE(ColorsTooClose(Rgb(255, 0, 0), Rgb(0, 0, 255)));
}

TEST(FcColors, SchemeColoursWithoutAStyleAndForEveryScheme) {
  EXPECT_EQ(DetectColorScheme(), csDefaultScheme);
  EXPECT_EQ(CurrentColorScheme(), csDefaultScheme);
  EXPECT_FALSE(UsesVisualStyle());
  for (int kind = 0; kind <= 7; ++kind) EXPECT_EQ(ThemeColor(kind), clBtnFace);

  TColor first = 123, second = 456;
  SchemeGradientColors(1, first, second);
  EXPECT_EQ(first, clWindow);
  EXPECT_EQ(second, DarkerColor(clBtnFace, 10));
  EXPECT_EQ(SchemeFrameColor(1), LighterColor(clBtnShadow, 30));

  SchemeGradientColors(1, csHomesteadScheme, true, first, second);
  EXPECT_EQ(first, 0x00EDFFFF);
  EXPECT_EQ(second, 0x0092C7B8);
  EXPECT_EQ(SchemeFrameColor(1, csMetallicScheme, true), 0x00B19F9F);
  EXPECT_EQ(SchemeFrameColor(0, csMetallicScheme, true), LighterColor(clBtnShadow, 30));

  // A scheme value the table lacks still sets both colours (to the unstyled ones).
  for (int scheme = 3; scheme < 256; scheme += 36) {
    first = 123;
    second = 456;
    SchemeGradientColors(1, static_cast<uint8_t>(scheme), true, first, second);
    EXPECT_EQ(first, clWindow) << scheme;
    EXPECT_EQ(second, DarkerColor(clBtnFace, 10)) << scheme;
    EXPECT_EQ(SchemeFrameColor(1, static_cast<uint8_t>(scheme), true), clBtnShadow);
  }
}

TEST(FcColors, TurnedFontCarriesTheAngleAndTheFontsLook) {
  TFont font;
  font.SetName("DejaVu Sans");
  font.SetHeight(-13);
  font.SetStyle({fsBold, fsItalic});
  font.SetPitch(fpVariable);
  HFONT handle = CreateTurnedFont(&font, 90);
  ASSERT_NE(handle, nullptr);
  LOGFONTA lf{};
  ASSERT_GT(GetObjectA(handle, sizeof lf, &lf), 0);
  EXPECT_EQ(lf.lfEscapement, 900);
  EXPECT_EQ(lf.lfOrientation, 0);
  EXPECT_EQ(lf.lfHeight, -13);
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_EQ(lf.lfItalic, 1);
  EXPECT_EQ(lf.lfUnderline, 0);
  EXPECT_EQ(lf.lfPitchAndFamily & 3, VARIABLE_PITCH);
  EXPECT_STREQ(lf.lfFaceName, "DejaVu Sans");
  DeleteObject(handle);
}
