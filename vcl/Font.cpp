#include "vcl/Font.h"

#include <algorithm>
#include <cstring>

#include "platform/kernel/SysInfo.h"
#include "rtl/Strings.h"

namespace {

struct CharsetName {
  uint8_t value;
  const char* name;
};

constexpr CharsetName kCharsetNames[] = {
    {0, "ANSI_CHARSET"},        {1, "DEFAULT_CHARSET"},   {2, "SYMBOL_CHARSET"},  {77, "MAC_CHARSET"},
    {128, "SHIFTJIS_CHARSET"},  {129, "HANGEUL_CHARSET"}, {130, "JOHAB_CHARSET"}, {134, "GB2312_CHARSET"},
    {136, "CHINESEBIG5_CHARSET"}, {161, "GREEK_CHARSET"}, {162, "TURKISH_CHARSET"}, {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},    {178, "ARABIC_CHARSET"},  {186, "BALTIC_CHARSET"}, {204, "RUSSIAN_CHARSET"},
    {222, "THAI_CHARSET"},      {238, "EASTEUROPE_CHARSET"}, {255, "OEM_CHARSET"},
};

}  // namespace

bool CharsetToIdent(Int64 charset, AnsiString& ident) {
  for (const CharsetName& entry : kCharsetNames)
    if (entry.value == charset) {
      ident = entry.name;
      return true;
    }
  return false;
}

bool IdentToCharset(std::string_view ident, Int64& charset) {
  for (const CharsetName& entry : kCharsetNames)
    if (SameText(ident, entry.name)) {
      charset = entry.value;
      return true;
    }
  return false;
}

TFont::TFont() = default;

TFont::~TFont() { DeleteGdiObject(FHandle); }

void TFont::DescribeClass(TClassBuilder<TFont>& c) {
  c.Property("Charset", &TFont::Charset, &TFont::SetCharset);
  c.Property("Color", &TFont::Color, &TFont::SetColor).Type(ColorTypeInfo());
  c.Property("Height", &TFont::Height, &TFont::SetHeight);
  c.Property("Name", &TFont::Name, &TFont::SetName);
  c.Property("Orientation", &TFont::Orientation, &TFont::SetOrientation).Default(0);
  c.Property("Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
  c.Property("Quality", &TFont::Quality, &TFont::SetQuality).Default(fqDefault);
  c.Property("Size", &TFont::Size, &TFont::SetSize).Stored(&TFont::SizeStored);
  c.Property("Style", &TFont::Style, &TFont::SetStyle);
}

void TFont::Change() {
  HFONT old = FHandle;
  FHandle = nullptr;
  // The listener (a canvas) lets go of the old handle before it is deleted.
  Changed();
  DeleteGdiObject(old);
}

void TFont::Assign(TPersistent* source) {
  if (auto* font = dynamic_cast<TFont*>(source)) {
    if (font == this) return;
    TGraphicsObjectLock lock(OwnerCriticalSection());
    FName = font->FName;
    FHeight = font->FPixelsPerInch != FPixelsPerInch ? -MulDiv(font->Size(), FPixelsPerInch, 72) : font->FHeight;
    FStyle = font->FStyle;
    FColor = font->FColor;
    FCharset = font->FCharset;
    FPitch = font->FPitch;
    FOrientation = font->FOrientation;
    FQuality = font->FQuality;
    Change();
    return;
  }
  inherited::Assign(source);
}

HFONT TFont::Handle() {
  if (!FHandle) {
    const LOGFONTA font = GetLogFont();
    FHandle = CreateFontIndirectA(&font);
    if (!FHandle) throw EOutOfResources("Cannot create the font '" + FName + "'");
  }
  return FHandle;
}

LOGFONTA TFont::GetLogFont() const {
  LOGFONTA font{};
  font.lfHeight = FHeight;
  font.lfEscapement = FOrientation;
  font.lfOrientation = FOrientation;
  font.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  font.lfItalic = FStyle.Contains(fsItalic);
  font.lfUnderline = FStyle.Contains(fsUnderline);
  font.lfStrikeOut = FStyle.Contains(fsStrikeOut);
  font.lfCharSet = FCharset;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  switch (FQuality) {
    case fqNonAntialiased: font.lfQuality = NONANTIALIASED_QUALITY; break;
    case fqAntialiased: font.lfQuality = ANTIALIASED_QUALITY; break;
    case fqClearType:
    case fqClearTypeNatural: font.lfQuality = CLEARTYPE_QUALITY; break;
    case fqDraft: font.lfQuality = 1; break;
    case fqProof: font.lfQuality = 2; break;
    default: font.lfQuality = DEFAULT_QUALITY; break;
  }
  font.lfPitchAndFamily = FPitch == fpFixed ? FIXED_PITCH : FPitch == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
  // The face name is UTF-8; cut at a whole character so that the GDI never sees half of one.
  size_t length = std::min<size_t>(FName.size(), LF_FACESIZE - 1);
  while (length > 0 && length < FName.size() && (static_cast<unsigned char>(FName[length]) & 0xC0) == 0x80) --length;
  std::memcpy(font.lfFaceName, FName.data(), length);
  return font;
}

void TFont::SetHandle(HFONT value) {
  LOGFONTA font{};
  if (!value || GetObjectA(value, sizeof(font), &font) != sizeof(font))
    throw EInvalidGraphic("Invalid font handle");
  TGraphicsObjectLock lock(OwnerCriticalSection());
  FName = font.lfFaceName;
  FHeight = font.lfHeight;
  TFontStyles style;
  if (font.lfWeight >= FW_BOLD) style.Include(fsBold);
  if (font.lfItalic) style.Include(fsItalic);
  if (font.lfUnderline) style.Include(fsUnderline);
  if (font.lfStrikeOut) style.Include(fsStrikeOut);
  FStyle = style;
  FCharset = font.lfCharSet;
  FOrientation = font.lfEscapement;
  const int pitch = font.lfPitchAndFamily & 3;
  FPitch = pitch == FIXED_PITCH ? fpFixed : pitch == VARIABLE_PITCH ? fpVariable : fpDefault;
  Change();
  FHandle = value;
}

int TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int value) { SetHeight(-MulDiv(value, FPixelsPerInch, 72)); }

#define BRANTWELL_FONT_SETTER(Setter, Field)        \
  void TFont::Setter(decltype(Field) value) {       \
    TGraphicsObjectLock lock(OwnerCriticalSection()); \
    if (Field == value) return;                     \
    Field = value;                                  \
    Change();                                       \
  }

BRANTWELL_FONT_SETTER(SetHeight, FHeight)
BRANTWELL_FONT_SETTER(SetStyle, FStyle)
BRANTWELL_FONT_SETTER(SetCharset, FCharset)
BRANTWELL_FONT_SETTER(SetPitch, FPitch)
BRANTWELL_FONT_SETTER(SetOrientation, FOrientation)
BRANTWELL_FONT_SETTER(SetQuality, FQuality)
#undef BRANTWELL_FONT_SETTER

void TFont::SetName(const AnsiString& value) {
  TGraphicsObjectLock lock(OwnerCriticalSection());
  if (value.empty() || FName == value) return;
  FName = value;
  Change();
}

void TFont::SetColor(TColor value) {
  TGraphicsObjectLock lock(OwnerCriticalSection());
  if (FColor == value) return;
  // The colour is not part of the HFONT: keep the handle, just tell the canvas.
  FColor = value;
  Changed();
}
