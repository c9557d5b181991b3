#pragma once

// The colour arithmetic shared by the Fc controls: RGB to and from an HLS model on a 0 to
// 240 scale, darker, lighter and adjusted colours, a likeness test, the desktop colour
// scheme with its fixed colours, colours of the visual style, and fonts for turned text.
//
// Every routine turns a system colour into its current RGB value when it needs the RGB
// (nothing here keeps RGB values), so a change of the system colours shows at the next
// paint. The program runs without visual styles and without a registry: the scheme is the
// default one and the style colours fall back to the classic ones.
//
// Free functions without state apart from the scheme byte; GUI thread for the scheme.

#include <cstdint>

#include "vcl/Colors.h"
#include "vcl/Font.h"

struct THlsColor {
  uint8_t Hue = 0;
  uint8_t Saturation = 0;
  uint8_t Lightness = 0;
  bool operator==(const THlsColor&) const = default;
};

// Hue, saturation and lightness, each 0 to 240, of the colour's RGB.
THlsColor ColorToHLS(TColor color);
// The RGB colour of an HLS triple. The hue is divided by 239, not 240 (the hue 240 lands a
// little past red, the other hues a little early), and a lightness above 240 saturates
// toward white; stored colours depend on both, so they stay.
TColor HLSToColor(uint8_t hue, uint8_t saturation, uint8_t lightness);
// Lightness lowered by amount (0 to 255), not below 0.
TColor DarkerColor(TColor color, int amount);
// Lightness raised by amount (0 to 255), not above 255.
TColor LighterColor(TColor color, int amount);
// Darker by -amount when negative, the colour itself (unconverted) when 0, lighter when
// positive.
TColor AdjustColor(TColor color, int amount);
// True when the hues differ by less than 20 and the lightnesses by less than 60.
bool ColorsTooClose(TColor first, TColor second);

// Desktop colour schemes: 0 default (blue, or any unknown one), 1 olive, 2 silver.
constexpr uint8_t csDefaultScheme = 0;
constexpr uint8_t csHomesteadScheme = 1;
constexpr uint8_t csMetallicScheme = 2;

// The desktop's colour scheme. There is no desktop theme manager to ask, so it is the
// default scheme.
uint8_t DetectColorScheme();
// The scheme detected at start-up or by the last RedetectColorScheme.
uint8_t CurrentColorScheme();
void RedetectColorScheme();
// Whether a visual style draws the controls: never in this program.
bool UsesVisualStyle();

// The two gradient colours for a gradient source (1: the scheme's colours when a visual
// style is active). Both outputs are always set.
void SchemeGradientColors(int source, TColor& first, TColor& second);
TColor SchemeFrameColor(int source);
// The same for a given scheme and style state; a scheme outside 0 to 2 gives the colours
// used without a style (gradient) or clBtnShadow (frame).
void SchemeGradientColors(int source, uint8_t scheme, bool visualStyle, TColor& first, TColor& second);
TColor SchemeFrameColor(int source, uint8_t scheme, bool visualStyle);

// A colour of the visual style by kind (0 the edit border ... 6 the group box text);
// without a style, clBtnFace.
TColor ThemeColor(int kind);

// A new font handle for text turned by angle degrees (counter-clockwise), with the font's
// height, weight, style, character set, pitch and face. The caller deletes it.
HFONT CreateTurnedFont(TFont* font, int angle);
