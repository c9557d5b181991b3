#pragma once

// The text-art request: one text in one font, handed to the text-art engine
// (TTextArtLibrary::GenerateNormalTextEx), which draws it into a new image of the image engine.
// The record crosses the engine boundary, so its layout is fixed to the byte. Also the
// conversions between the class library's font styles and the engines' text style flags (the
// same flags the watermark and subtitle records use). Any thread.

#include <cstddef>
#include <cstdint>

#include "rtl/SysTypes.h"
#include "vcl/Font.h"

// Text style flags.
constexpr int32_t kTextStyleBold = 1;
constexpr int32_t kTextStyleItalic = 2;
constexpr int32_t kTextStyleUnderline = 4;
constexpr int32_t kTextStyleStrikeOut = 8;

struct TNormalTextParam {
  static constexpr size_t kTextCapacity = 1024;  // UTF-16 units, terminator included
  static constexpr size_t kFaceNameCapacity = 128;

  char16_t Text[kTextCapacity] = {};
  char16_t FaceName[kFaceNameCapacity] = {};
  uint32_t Color = 0;    // RGB as a COLORREF (0x00BBGGRR)
  int32_t FontSize = 0;  // points
  int32_t Style = 0;     // text style flags
  uint8_t Reserved[52] = {};

  // Copy at most 1023 and 127 units: the fields always end in a zero, as the engine reads them.
  void SetText(const WideString& text);
  void SetFaceName(const WideString& faceName);
};
static_assert(sizeof(TNormalTextParam) == 2368);
static_assert(offsetof(TNormalTextParam, FaceName) == 2048);
static_assert(offsetof(TNormalTextParam, Color) == 2304);
static_assert(offsetof(TNormalTextParam, FontSize) == 2308);
static_assert(offsetof(TNormalTextParam, Style) == 2312);

// Bold, italic, underline and strike-out to and from the text style flags; other bits and
// styles are ignored.
int32_t FontStylesToTextStyle(TFontStyles styles);
TFontStyles TextStyleToFontStyles(int32_t flags);
