#include "program/skin/SkinAttributes.h"

#include "program/skin/DrawUtils.h"
#include "program/skin/SkinXml.h"
#include "rtl/Numbers.h"
#include "rtl/Strings.h"
#include "vcl/Control.h"
#include "vcl/WinControl.h"

using namespace skin;

// ---- TBorderMargins -------------------------------------------------------------------------

void TBorderMargins::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TBorderMargins*>(source)) {
    Left = other->Left;
    Right = other->Right;
    Top = other->Top;
    Bottom = other->Bottom;
    Scale = other->Scale;
    ScaleDefault = other->ScaleDefault;
    return;
  }
  inherited::Assign(source);
}

void TBorderMargins::ReadXML(const IXMLNodePtr& element) {
  Scale = AttrBool(element, "Scale", ScaleDefault);
  Left = AttrInt(element, "Left", 0);
  Top = AttrInt(element, "Top", 0);
  Right = AttrInt(element, "Right", 0);
  Bottom = AttrInt(element, "Bottom", 0);
  if (Scale) {
    ScaleToScreenDPIVar(Left);
    ScaleToScreenDPIVar(Top);
    ScaleToScreenDPIVar(Right);
    ScaleToScreenDPIVar(Bottom);
  }
}

// ---- TSkinItemPos ---------------------------------------------------------------------------

void TSkinItemPos::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TSkinItemPos*>(source)) {
    RelPos = other->RelPos;
    X = other->X;
    Y = other->Y;
    X2 = other->X2;
    Y2 = other->Y2;
    Width = other->Width;
    Height = other->Height;
    Scale = other->Scale;
    return;
  }
  inherited::Assign(source);
}

bool TSkinItemPos::IsDefined() const {
  return RelPos < NoRule || X != 0 || Y != 0 || X2 != 0 || Y2 != 0 || Width != 0 || Height != 0;
}

TRect TSkinItemPos::CalcRect(const TRect& p) const {
  switch (RelPos) {
    case 1: return TRect(p.Right - X - Width, p.Top + Y, p.Right - X, p.Top + Y + Height);
    case 2: return TRect(p.Left + X, p.Bottom - Y - Height, p.Left + X + Width, p.Bottom - Y);
    case 3: return TRect(p.Right - X - Width, p.Bottom - Y - Height, p.Right - X, p.Bottom - Y);
    case 4: return TRect(p.Left + X, p.Top + Y, p.Left + X + Width, p.Bottom - Y2);
    case 5: return TRect(p.Left + X, p.Top + Y, p.Right - X2, p.Top + Y + Height);
    case 6: return TRect(p.Right - X - Width, p.Top + Y, p.Right - X, p.Bottom - Y2);
    case 7: return TRect(p.Left + X, p.Bottom - Y - Height, p.Right - X2, p.Bottom - Y);
    case 8: return TRect(p.Left + X, p.Top + Y, p.Right - X2, p.Bottom - Y2);
    default: return TRect(p.Left + X, p.Top + Y, p.Left + X + Width, p.Top + Y + Height);
  }
}

void TSkinItemPos::ApplyToControl(TControl* control) const {
  if (!control) return;
  TWinControl* parent = control->Parent();
  if (parent && IsDefined()) {
    int l = control->Left(), t = control->Top(), w = control->Width(), h = control->Height();
    if (Width != 0) w = Width;
    if (Height != 0) h = Height;
    if (RelPos <= 8) {
      static const TAnchors kAnchors[9] = {
          TAnchors{akLeft, akTop},         TAnchors{akTop, akRight},          TAnchors{akLeft, akBottom},
          TAnchors{akRight, akBottom},     TAnchors{akLeft, akTop, akBottom}, TAnchors{akLeft, akTop, akRight},
          TAnchors{akTop, akRight, akBottom}, TAnchors{akLeft, akRight, akBottom},
          TAnchors{akLeft, akTop, akRight, akBottom}};
      const TAnchors anchors = kAnchors[RelPos];
      control->SetAnchors(anchors);
      const int parentWidth = parent->ClientWidth(), parentHeight = parent->ClientHeight();
      if (anchors.Contains(akLeft)) l = X;
      if (anchors.Contains(akTop)) t = Y;
      if (anchors.Contains(akRight)) {
        if (anchors.Contains(akLeft)) {
          l = X;
          w = parentWidth - X2 - X;
        } else {
          l = parentWidth - w - X;
        }
      }
      if (anchors.Contains(akBottom)) {
        if (anchors.Contains(akTop)) {
          t = Y;
          h = parentHeight - Y2 - Y;
        } else {
          t = parentHeight - h - Y;
        }
      }
    }
    control->SetBounds(l, t, w, h);
  } else if (Width != 0 || Height != 0) {
    control->SetBounds(control->Left(), control->Top(), Width != 0 ? Width : control->Width(),
                       Height != 0 ? Height : control->Height());
  }
}

void TSkinItemPos::ReadXML(const IXMLNodePtr& element) {
  bool present = false;
  const AnsiString relPos = Trim(Attr(element, "RelPos", &present));
  if (!present) {
    RelPos = NoRule;
  } else {
    Integer value = 0;
    RelPos = TryStrToInt(relPos, value) && value >= 0 && value <= 8 ? static_cast<uint8_t>(value) : 255;
  }
  Scale = AttrBool(element, "Scale", true);
  X = AttrInt(element, "X", 0);
  Y = AttrInt(element, "Y", 0);
  X2 = AttrInt(element, "X2", 0);
  Y2 = AttrInt(element, "Y2", 0);
  Width = AttrInt(element, "Width", 0);
  Height = AttrInt(element, "Height", 0);
  if (Scale)
    for (int32_t* value : {&X, &Y, &X2, &Y2, &Width, &Height}) ScaleToScreenDPIVar(*value);
}

// ---- TSkinFont ------------------------------------------------------------------------------

void TSkinFont::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TSkinFont*>(source)) {
    Name = other->Name;
    Size = other->Size;
    Color = other->Color;
    Style = other->Style;
    Charset = other->Charset;
    Loaded = other->Loaded;
    StyleSet = true;
    return;
  }
  if (auto* font = dynamic_cast<TFont*>(source)) {
    Name = font->Name();
    Size = font->Size();
    Color = font->Color();
    Style = font->Style();
    Charset = font->Charset();
    StyleSet = true;
    return;
  }
  inherited::Assign(source);
}

void TSkinFont::ApplyToFont(TFont* font) const {
  if (!font) return;
  if (!Name.empty()) font->SetName(Name);
  if (Color != clNone) font->SetColor(Color);
  if (Size != 0) font->SetSize(Size);
  if (StyleSet) font->SetStyle(Style);
  if (Charset != 0) font->SetCharset(Charset);
}

void TSkinFont::AssignTo(TPersistent* dest) {
  if (auto* font = dynamic_cast<TFont*>(dest)) {
    ApplyToFont(font);
    return;
  }
  inherited::AssignTo(dest);
}

void TSkinFont::ReadXML(const IXMLNodePtr& element) {
  Name = Attr(element, "Name");
  Size = AttrInt(element, "Size", 0);
  // Point sizes are for 96 pixels per inch; the platform's fonts stay at 96.
  ScaleToScreenDPIVar(Size);
  Color = AttrColor(element, "Color", clNone);
  const AnsiString charset = Trim(Attr(element, "Charset"));
  Int64 value = 0;
  Integer number = 0;
  if (IdentToCharset(charset, value)) Charset = static_cast<uint8_t>(value);
  else if (TryStrToInt(charset, number)) Charset = static_cast<uint8_t>(number);
  else Charset = 0;
  const AnsiString style = LowerCase(Attr(element, "Style"));
  StyleSet = !style.empty();
  Style = TFontStyles();
  if (style.find("bold") != AnsiString::npos) Style.Include(fsBold);
  if (style.find("italic") != AnsiString::npos) Style.Include(fsItalic);
  if (style.find("underline") != AnsiString::npos) Style.Include(fsUnderline);
  if (style.find("strikeout") != AnsiString::npos) Style.Include(fsStrikeOut);
  Loaded = true;
}

// ---- TSkinPen, TSkinBrush -------------------------------------------------------------------

namespace {

template <class E, size_t N> E Keyword(const AnsiString& text, const char* const (&names)[N], E fallback) {
  const AnsiString trimmed = Trim(text);
  for (size_t i = 0; i < N; ++i)
    if (SameText(trimmed, names[i])) return static_cast<E>(i);
  return fallback;
}

const char* const kPenStyles[] = {"solid", "dash", "dot", "dashdot", "dashdotdot",
                                  "clear", "insideframe", "userstyle", "alternate"};
const char* const kBrushStyles[] = {"solid", "clear", "horizontal", "vertical",
                                    "fdiagonal", "bdiagonal", "cross", "diagcross"};

}  // namespace

void TSkinPen::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TSkinPen*>(source)) {
    Style = other->Style;
    Width = other->Width;
    Color = other->Color;
    return;
  }
  if (auto* pen = dynamic_cast<TPen*>(source)) {
    Style = pen->Style();
    Width = pen->Width();
    Color = pen->Color();
    return;
  }
  inherited::Assign(source);
}

void TSkinPen::AssignTo(TPersistent* dest) {
  if (auto* pen = dynamic_cast<TPen*>(dest)) {
    if (Color != clNone) pen->SetColor(Color);
    pen->SetStyle(Style);
    pen->SetWidth(Width);
    return;
  }
  inherited::AssignTo(dest);
}

void TSkinPen::ReadXML(const IXMLNodePtr& element) {
  Color = AttrColor(element, "Color", Color);
  Style = Keyword<TPenStyle>(Attr(element, "Style"), kPenStyles, psSolid);
  Width = AttrInt(element, "Width", 1);
}

void TSkinBrush::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TSkinBrush*>(source)) {
    Color = other->Color;
    Style = other->Style;
    return;
  }
  if (auto* brush = dynamic_cast<TBrush*>(source)) {
    Color = brush->Color();
    Style = brush->Style();
    return;
  }
  inherited::Assign(source);
}

void TSkinBrush::AssignTo(TPersistent* dest) {
  if (auto* brush = dynamic_cast<TBrush*>(dest)) {
    if (Color != clNone) brush->SetColor(Color);
    brush->SetStyle(Style);
    return;
  }
  inherited::AssignTo(dest);
}

void TSkinBrush::ReadXML(const IXMLNodePtr& element) {
  Color = AttrColor(element, "Color", Color);
  if (HasAttr(element, "Style")) Style = Keyword<TBrushStyle>(Attr(element, "Style"), kBrushStyles, bsSolid);
}

// ---- TSkinFrames, TSkinShadow, TSkinControlShape, TSkinAnimation ----------------------------

void TSkinFrames::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TSkinFrames*>(source)) {
    Left = other->Left;
    Top = other->Top;
    Right = other->Right;
    Bottom = other->Bottom;
    return;
  }
  inherited::Assign(source);
}

void TSkinFrames::ReadXML(const IXMLNodePtr& element) {
  Left = AttrBool(element, "left", false);
  Top = AttrBool(element, "top", false);
  Right = AttrBool(element, "right", false);
  Bottom = AttrBool(element, "bottom", false);
}

void TSkinShadow::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TSkinShadow*>(source)) {
    X = other->X;
    Y = other->Y;
    X2 = other->X2;
    Y2 = other->Y2;
    Color = other->Color;
    Color2 = other->Color2;
    Style = other->Style;
    return;
  }
  inherited::Assign(source);
}

bool TSkinShadow::ReadXML(const IXMLNodePtr& element) {
  const AnsiString style = Trim(Attr(element, "style"));
  Style = style.empty() || SameText(style, "offset") ? Offset : SameText(style, "double") ? Double : None;
  X = AttrInt(element, "X", 0);
  Y = AttrInt(element, "Y", 0);
  X2 = AttrInt(element, "X2", 0);
  Y2 = AttrInt(element, "Y2", 0);
  Color = AttrColor(element, "Color", Color);
  Color2 = AttrColor(element, "Color2", Color2);
  return X != 0 || Y != 0;
}

void TSkinControlShape::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TSkinControlShape*>(source)) {
    Width = other->Width;
    Height = other->Height;
    ShapeType = other->ShapeType;
    return;
  }
  inherited::Assign(source);
}

void TSkinControlShape::ReadXML(const IXMLNodePtr& element) {
  const AnsiString type = Trim(Attr(element, "type"));
  ShapeType = SameText(type, "Rect")        ? fstRect
              : SameText(type, "RoundRect") ? fstRoundRect
              : SameText(type, "Ellipse")   ? fstEllipse
              : SameText(type, "Auto")      ? fstAuto
                                            : fstNormal;
  if (ShapeType == fstRoundRect) {
    Width = AttrInt(element, "width", 0);
    Height = AttrInt(element, "height", 0);
  }
}

void TSkinAnimation::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TSkinAnimation*>(source)) {
    FrameCount = other->FrameCount;
    FrameDelay = other->FrameDelay;
    Arrange = other->Arrange;
    return;
  }
  inherited::Assign(source);
}

TRect TSkinAnimation::FrameRect(int index, const TRect& rect) const {
  if (FrameCount < 2 || index < 0 || index >= FrameCount) return rect;
  TRect result = rect;
  if (Arrange == 1) {
    const int dy = index * (rect.Bottom - rect.Top);
    result.Top += dy;
    result.Bottom += dy;
  } else {
    const int dx = index * (rect.Right - rect.Left);
    result.Left += dx;
    result.Right += dx;
  }
  return result;
}

void TSkinAnimation::ReadXML(const IXMLNodePtr& element) {
  FrameCount = AttrInt(element, "FrameCount", 1);
  FrameDelay = AttrInt(element, "FrameDelay", 10);
  const AnsiString arrange = Trim(Attr(element, "Arrange"));
  Arrange = arrange.empty() || SameText(arrange, "Horizontal") ? 0 : 1;
}
