#pragma once

// Colours of the class library: TColor values (an RGB value 0x00BBGGRR, a system colour
// 0x80000000 | COLOR_xxx, or one of the special values clNone and clDefault), their
// conversion to RGB, and the identifier converters that form files and the property system
// use ("clBtnFace", "$00FF00FF").
//
// System colours come from a replaceable function: the window manager installs its own
// GetSysColor at start-up; until then the classic scheme answers.

#include <cstdint>
#include <string_view>

#include "platform/gdi/GdiTypes.h"
#include "rtl/SysTypes.h"

struct TTypeInfo;

using TColor = int32_t;

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index)); }

constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clHotLight = SystemColor(26);
constexpr TColor clGradientActiveCaption = SystemColor(27);
constexpr TColor clGradientInactiveCaption = SystemColor(28);
constexpr TColor clMenuHighlight = SystemColor(29);
constexpr TColor clMenuBar = SystemColor(30);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The system colour source: the window manager's GetSysColor unless replaced (tests replace it);
// setting nullptr restores the window manager's.
using TSysColorFunc = COLORREF (*)(int index);
void SetSysColorFunc(TSysColorFunc func);

// A system colour becomes its current RGB value; any other value is returned unchanged.
COLORREF ColorToRGB(TColor color);

bool ColorToIdent(Int64 color, AnsiString& ident);
bool IdentToColor(std::string_view ident, Int64& color);
// "clRed" for named colours, "$00123456" for the others.
AnsiString ColorToString(TColor color);
// A colour name or an integer ("$FF", "255", "-16777201"); raises EConvertError otherwise.
TColor StringToColor(std::string_view text);

// The type of TColor properties, with the identifier converters registered.
const TTypeInfo* ColorTypeInfo();
