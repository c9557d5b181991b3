#pragma once

// TFont: a typeface, its size and style, and the text colour a canvas draws with. Size is in
// points, Height in pixels (negative: the character height without internal leading, as a
// LOGFONT has it); the two are tied through PixelsPerInch (96 on this platform):
// Height = -MulDiv(Size, PixelsPerInch, 72). The HFONT is made from a LOGFONT on demand
// and made again after any change; the font owns it.

#include <string_view>

#include "vcl/GraphicsObject.h"

BRANTWELL_ENUM(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = TSet<TFontStyle>;
BRANTWELL_ENUM(TFontPitch, fpDefault, fpVariable, fpFixed)
BRANTWELL_ENUM(TFontQuality, fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType,
               fqClearTypeNatural)
using TFontCharset = uint8_t;
using TFontName = AnsiString;

// The charset identifiers of font descriptions ("ANSI_CHARSET" ... "OEM_CHARSET") with their
// LOGFONT values. CharsetToIdent is false for a value without a name; IdentToCharset compares
// without ASCII case and is false for an unknown name (charset left as it was).
bool CharsetToIdent(Int64 charset, AnsiString& ident);
bool IdentToCharset(std::string_view ident, Int64& charset);

class TFont : public TGraphicsObject {
  BRANTWELL_CLASS(TFont, TGraphicsObject)

 public:
  TFont();
  ~TFont() override;

  void Assign(TPersistent* source) override;
  bool HandleAllocated() const override { return FHandle != nullptr; }

  // Makes the HFONT when there is none.
  HFONT Handle();
  // Takes over a font handle: the description becomes the handle's LOGFONT, and this font
  // owns (and later deletes) the handle.
  void SetHandle(HFONT value);

  AnsiString Name() const { return FName; }
  void SetName(const AnsiString& value);
  int Size() const;
  void SetSize(int value);
  int Height() const { return FHeight; }
  void SetHeight(int value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch value);
  // Tenths of a degree, counter-clockwise.
  int Orientation() const { return FOrientation; }
  void SetOrientation(int value);
  TFontQuality Quality() const { return FQuality; }
  void SetQuality(TFontQuality value);
  int PixelsPerInch() const { return FPixelsPerInch; }
  // Keeps Height; Size then follows the new resolution.
  void SetPixelsPerInch(int value) { FPixelsPerInch = value > 0 ? value : 96; }

  // The LOGFONT the handle is made from.
  LOGFONTA GetLogFont() const;

  static void DescribeClass(TClassBuilder<TFont>& c);

 private:
  void Change();
  bool SizeStored() const { return false; }

  AnsiString FName = "Tahoma";
  int FHeight = -11;
  TFontStyles FStyle;
  TColor FColor = clWindowText;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TFontPitch FPitch = fpDefault;
  int FOrientation = 0;
  TFontQuality FQuality = fqDefault;
  int FPixelsPerInch = 96;
  HFONT FHandle = nullptr;
};
