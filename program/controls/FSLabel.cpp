#include "program/controls/FSLabel.h"

#include "platform/gdi/Text.h"
#include "program/core/LogFile.h"
#include "program/core/WideShellExecute.h"
#include "rtl/Numbers.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"
#include "vcl/Colors.h"
#include "vcl/Screen.h"
#include "vcl/TypInfo.h"

namespace {

constexpr const char16_t* kEllipsis = u"...";

UINT EllipsisFlags(TEllipsisPosition position) {
  switch (position) {
    case epPathEllipsis: return DT_PATH_ELLIPSIS;
    case epEndEllipsis: return DT_END_ELLIPSIS;
    case epWordEllipsis: return DT_WORD_ELLIPSIS;
    default: return 0;
  }
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The text cut before its last blank or tab, or else by its last whole character (a
// surrogate pair goes as one).
WideString CutLastPiece(const WideString& text) {
  const size_t delimiter = text.find_last_of(u" \t");
  if (delimiter != WideString::npos) return text.substr(0, delimiter);
  if (text.empty()) return text;
  size_t end = text.size() - 1;
  if (end > 0 && IsLowSurrogate(text[end]) && IsHighSurrogate(text[end - 1])) --end;
  return text.substr(0, end);
}

int DrawWide(HDC dc, const WideString& text, TRect& rect, UINT flags) {
  RECT r = rect;
  const int height = DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
  rect = r;
  return height;
}

TSize WideExtent(HDC dc, const WideString& text) {
  SIZE size{0, 0};
  if (!text.empty()) GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return TSize(size.cx, size.cy);
}

// Text drawn once in the canvas font's colour, or for a disabled label embossed: a highlight
// one pixel down and right, the shadow in place over it.
void DrawLabelText(TCanvas* canvas, const WideString& text, TRect& rect, UINT flags, bool enabled) {
  HDC dc = canvas->Handle();
  if (enabled) {
    DrawWide(dc, text, rect, flags);
    return;
  }
  TRect shifted(rect.Left + 1, rect.Top + 1, rect.Right + 1, rect.Bottom + 1);
  canvas->Font()->SetColor(clBtnHighlight);
  canvas->RequiredState({csHandleValid, csFontValid});
  DrawWide(dc, text, shifted, flags);
  canvas->Font()->SetColor(clBtnShadow);
  canvas->RequiredState({csHandleValid, csFontValid});
  DrawWide(dc, text, rect, flags);
}

}  // namespace

bool IsOpenableLink(const WideString& link) {
  const size_t colon = link.find(u':');
  if (colon == WideString::npos || colon + 1 >= link.size()) return false;
  // No control characters: nothing but the address reaches the handler.
  for (char16_t c : link)
    if (c < 0x20 || c == 0x7F) return false;
  const AnsiString scheme = LowerCase(WideToUTF8(link.substr(0, colon)));
  return scheme == "http" || scheme == "https" || scheme == "mailto";
}

void TFSLabel::DescribeClass(TClassBuilder<TFSLabel>& c) {
  c.Property("Caption", &TFSLabel::Caption, static_cast<void (TFSLabel::*)(const WideString&)>(&TFSLabel::SetCaption));
  c.Property("ShowAccelChar", &TFSLabel::ShowAccelChar, &TFSLabel::SetShowAccelChar).Default(0);
  c.Property("TrailLabel", &TFSLabel::TrailLabel, &TFSLabel::SetTrailLabel);
  c.Property("TrailSpacing", &TFSLabel::TrailSpacing, &TFSLabel::SetTrailSpacing).Default(10);
  c.Property("OnTrailLabelClick", &TFSLabel::OnTrailLabelClick);
  c.Property("IsHyperLink", &TFSLabel::IsHyperLink, &TFSLabel::SetIsHyperLink).Default(0);
  c.Property("UnderLineType", &TFSLabel::UnderLineType, &TFSLabel::SetUnderLineType).Default(hlCover);
  c.Property("HyperLink", &TFSLabel::HyperLink, &TFSLabel::SetHyperLink).Stored(&TFSLabel::IsHyperLinkStored);
  c.Property("ActiveFontColor", &TFSLabel::ActiveFontColor, &TFSLabel::SetActiveFontColor)
      .Type(ColorTypeInfo())
      .Default(204);
  c.Property("InactiveFontColor", &TFSLabel::InactiveFontColor, &TFSLabel::SetInactiveFontColor)
      .Type(ColorTypeInfo())
      .Default(0x990000);
}

TFSLabel::TFSLabel(TComponent* owner) : TCustomLabel(owner) { SetShowAccelChar(false); }

// ---- caption ------------------------------------------------------------------------------------

void TFSLabel::SetCaption(const WideString& value) {
  if (value == FCaption) return;
  FCaption = value;
  const AnsiString text = WideToUTF8(value);
  if (text != GetText()) {
    // The text change re-measures and repaints with the wide caption already in place.
    FSettingCaption = true;
    TCustomLabel::SetCaption(text);
    FSettingCaption = false;
  } else {
    AdjustBounds();
    Invalidate();
  }
  FCaption = value;
}

void TFSLabel::CMTextChanged(TMessage& m) {
  if (!FSettingCaption) FCaption = UTF8ToWide(GetText());
  inherited::CMTextChanged(m);
}

// ---- properties ---------------------------------------------------------------------------------

void TFSLabel::SetIsHyperLink(bool value) {
  FIsHyperLink = value;
  SetCursor(value ? crHandPoint : crDefault);
  Invalidate();
}

void TFSLabel::SetUnderLineType(THyperLinkUnderlineType value) {
  if (value == FUnderLineType) return;
  FUnderLineType = value;
  if (FIsHyperLink) Invalidate();
}

void TFSLabel::SetHyperLink(const WideString& value) {
  if (value == FHyperLink) return;
  FHyperLink = value;
  Invalidate();
}

void TFSLabel::SetActiveFontColor(TColor value) {
  if (value == FActiveFontColor) return;
  FActiveFontColor = value;
  if (FHot) Invalidate();
}

void TFSLabel::SetInactiveFontColor(TColor value) {
  if (value == FInactiveFontColor) return;
  FInactiveFontColor = value;
  if (!FHot) Invalidate();
}

void TFSLabel::SetTrailLabel(const WideString& value) {
  if (value == FTrailLabel) return;
  FTrailLabel = value;
  if (value.empty()) FTrailSize = TSize(0, 0);
  Invalidate();
  AdjustBounds();
}

void TFSLabel::SetTrailSpacing(int value) {
  if (value == FTrailSpacing) return;
  FTrailSpacing = value;
  Invalidate();
  AdjustBounds();
}

// ---- the pointer and clicks ---------------------------------------------------------------------

void TFSLabel::CMMouseEnter(TCMMouseEnterLeave& m) {
  inherited::CMMouseEnter(m);
  if (m.Sender && m.Sender != this) return;
  FHot = true;
  if (FIsHyperLink) Invalidate();
}

void TFSLabel::CMMouseLeave(TCMMouseEnterLeave& m) {
  inherited::CMMouseLeave(m);
  if (m.Sender && m.Sender != this) return;
  FHot = false;
  FTrailHot = false;
  if (FIsHyperLink) Invalidate();
}

void TFSLabel::MouseMove(TShiftState shift, int x, int y) {
  inherited::MouseMove(shift, x, y);
  const TRect client = ClientRect();
  const bool trailHot = !FTrailLabel.empty() && x >= client.Right - FTrailSize.cx && x < client.Right &&
                        y >= client.Top && y < client.Bottom;
  if (trailHot == FTrailHot) return;
  FTrailHot = trailHot;
  Invalidate();
}

void TFSLabel::CMEnabledChanged(TMessage& m) {
  inherited::CMEnabledChanged(m);
  // The embossed text is a pixel wider and higher.
  AdjustBounds();
}

void TFSLabel::CMHintShow(TMessage& m) {
  inherited::CMHintShow(m);
  auto* info = reinterpret_cast<THintInfo*>(m.LParam);
  if (info && info->HintControl == this && Hint().empty()) info->HintStr = GetText();
}

void TFSLabel::Click() {
  if (OnTrailLabelClick && FTrailHot) {
    OnTrailLabelClick(this);
    return;
  }
  inherited::Click();
  if (!FIsHyperLink || OnClick) return;
  if (!FHyperLink.empty()) OpenLink(FHyperLink);
  else if (!FCaption.empty()) OpenLink(FCaption);
}

void TFSLabel::OpenLink(const WideString& link) {
  // A path or a program name in a caption is never handed to the desktop: only addresses
  // open, and only as the web or mail addresses they are.
  if (!IsOpenableLink(link)) {
    WriteLog("Label " + Name() + ": not opened, not a web or mail address: " + WideToUTF8(link));
    return;
  }
  const TCursor saved = Screen->Cursor();
  Screen->SetCursor(crHourGlass);
  const HINSTANCE result = WideShellExecute(nullptr, u"open", link, u"", u"", SW_SHOW);
  Screen->SetCursor(saved);
  const auto code = reinterpret_cast<UINT_PTR>(result);
  if (code <= 32)
    WriteLog("Label " + Name() + ": cannot open '" + WideToUTF8(link) + "': shell error " + IntToStr(static_cast<Integer>(code)));
}

// ---- drawing ------------------------------------------------------------------------------------

void TFSLabel::ApplyLinkFont(bool hot) {
  if (!FIsHyperLink) return;
  TFont* font = FCanvas->Font();
  if (Enabled()) {
    const TColor color = hot ? FActiveFontColor : FInactiveFontColor;
    if (color != clNone) font->SetColor(color);
  }
  TFontStyles style = font->Style();
  if (FUnderLineType == hlNever) style.Exclude(fsUnderline);
  else if (FUnderLineType == hlAlways || hot) style.Include(fsUnderline);
  font->SetStyle(style);
}

void TFSLabel::DoDrawText(TRect& rect, UINT flags) {
  WideString text = FCaption;
  const bool measuring = (flags & DT_CALCRECT) != 0;
  // An empty text (or a lone accelerator mark) still measures one line high.
  if (measuring && (text.empty() || (FShowAccelChar && text == u"&"))) text += u' ';
  if (!FShowAccelChar) flags |= DT_NOPREFIX;
  flags = DrawTextBiDiModeFlags(flags);
  FCanvas->SetFont(Font());
  ApplyLinkFont(FHot && !FTrailHot);
  FCanvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  HDC dc = FCanvas->Handle();

  if (FEllipsisPosition != epNone && !FAutoSize) {
    WideString shown = text;
    flags &= ~DT_EXPANDTABS;
    flags |= EllipsisFlags(FEllipsisPosition);
    // Wrapped text loses words from its end until it fits the label's height with "..."
    // after it; DrawText alone would only cut the last line.
    if (FWordWrap && (FEllipsisPosition == epEndEllipsis || FEllipsisPosition == epWordEllipsis)) {
      const int ellipsisWidth = WideExtent(dc, kEllipsis).cx;
      const int clientHeight = ClientHeight();
      for (;;) {
        TRect probe = rect;
        probe.Right -= ellipsisWidth;
        DrawWide(dc, shown, probe, flags | DT_CALCRECT);
        const int height = probe.Bottom - probe.Top;
        if (height <= clientHeight || height <= FCanvas->Font()->Height()) break;
        text = CutLastPiece(text);
        shown = text + kEllipsis;
        if (text.empty()) break;
      }
    }
    if (!text.empty()) text = shown;
  }

  UINT captionFlags = flags;
  const int trailRoom = FTrailLabel.empty() ? 0 : FTrailSpacing;
  if (!FTrailLabel.empty()) {
    SIZE size{0, 0};
    const AnsiString trail = WideToUTF8(FTrailLabel);
    GetTextExtentPoint32A(dc, trail.c_str(), static_cast<int>(trail.size()), &size);
    FTrailSize = TSize(size.cx, size.cy);
    if (!measuring) {
      rect.Right -= FTrailSize.cx + trailRoom;
      if (FEllipsisPosition == epNone && WideExtent(dc, text).cx > rect.Right - rect.Left)
        captionFlags |= DT_END_ELLIPSIS;
    }
  }

  DrawLabelText(FCanvas.get(), text, rect, captionFlags, Enabled());
  if (measuring && !Enabled()) {
    rect.Right += 1;
    rect.Bottom += 1;
  }

  if (!FTrailLabel.empty()) {
    if (!measuring) {
      FCanvas->SetFont(Font());
      ApplyLinkFont(FTrailHot);
      FCanvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
      TRect trailRect(rect.Right + trailRoom, rect.Top, rect.Right + trailRoom + FTrailSize.cx, rect.Bottom);
      DrawLabelText(FCanvas.get(), FTrailLabel, trailRect, flags, Enabled());
    }
    rect.Right += FTrailSize.cx + trailRoom;
  }
}
