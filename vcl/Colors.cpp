#include "vcl/Colors.h"

#include <atomic>
#include <iterator>

#include "platform/user/SystemParams.h"
#include "rtl/Exceptions.h"
#include "rtl/Numbers.h"
#include "rtl/Strings.h"
#include "vcl/TypInfo.h"

namespace {

std::atomic<TSysColorFunc> g_sysColor{nullptr};

struct ColorName {
  TColor value;
  const char* name;
};

// Ordinary colours first, so that a value shared by two names (clSilver and clLtGray) is
// written with the first.
constexpr ColorName kColorNames[] = {
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
    {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
    {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"}, {clSkyBlue, "clSkyBlue"}, {clCream, "clCream"},
    {clMedGray, "clMedGray"}, {clLtGray, "clLtGray"}, {clDkGray, "clDkGray"},
    {clActiveBorder, "clActiveBorder"}, {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"}, {clBackground, "clBackground"}, {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"}, {clBtnShadow, "clBtnShadow"}, {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"}, {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"}, {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"}, {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"}, {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"}, {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"}, {clMenu, "clMenu"}, {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"}, {clMenuText, "clMenuText"}, {clNone, "clNone"},
    {clScrollBar, "clScrollBar"}, {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"}, {clWindowFrame, "clWindowFrame"}, {clWindowText, "clWindowText"},
};

}  // namespace

void SetSysColorFunc(TSysColorFunc func) { g_sysColor.store(func); }

COLORREF ColorToRGB(TColor color) {
  if (color >= 0) return static_cast<COLORREF>(color);
  const int index = color & 0xFF;
  TSysColorFunc func = g_sysColor.load();
  return func ? func(index) : static_cast<COLORREF>(GetSysColor(index));
}

bool ColorToIdent(Int64 color, AnsiString& ident) {
  for (const ColorName& entry : kColorNames)
    if (static_cast<Int64>(entry.value) == color || static_cast<Int64>(static_cast<uint32_t>(entry.value)) == color) {
      ident = entry.name;
      return true;
    }
  return false;
}

bool IdentToColor(std::string_view ident, Int64& color) {
  for (const ColorName& entry : kColorNames)
    if (SameText(ident, entry.name)) {
      color = entry.value;
      return true;
    }
  return false;
}

AnsiString ColorToString(TColor color) {
  AnsiString ident;
  if (ColorToIdent(color, ident)) return ident;
  return "$" + IntToHex(static_cast<Integer>(color), 8);
}

TColor StringToColor(std::string_view text) {
  Int64 value = 0;
  if (IdentToColor(text, value)) return static_cast<TColor>(value);
  if (TryStrToInt64(text, value) && value >= INT32_MIN && value <= UINT32_MAX)
    return static_cast<TColor>(static_cast<uint32_t>(value));
  throw EConvertError::CreateFmt("'%s' is not a valid colour value", {AnsiString(text)});
}

const TTypeInfo* ColorTypeInfo() {
  static const TTypeInfo* type = [] {
    const TTypeInfo* info = IntegerTypeInfo("TColor");
    RegisterIntegerConsts(info, &IdentToColor, &ColorToIdent);
    return info;
  }();
  return type;
}
