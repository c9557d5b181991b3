#include "vcl/Label.h"

#include <algorithm>

#include "platform/gdi/Text.h"
#include "rtl/Strings.h"

namespace {

constexpr const char* kEllipsis = "...";

UINT AlignmentFlags(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    default: return DT_LEFT;
  }
}

UINT EllipsisFlags(TEllipsisPosition position) {
  switch (position) {
    case epPathEllipsis: return DT_PATH_ELLIPSIS;
    case epEndEllipsis: return DT_END_ELLIPSIS;
    case epWordEllipsis: return DT_WORD_ELLIPSIS;
    default: return 0;
  }
}

// The text cut before its last blank or tab, or else by its last whole character (never
// inside a UTF-8 sequence).
AnsiString CutLastPiece(const AnsiString& text) {
  size_t delimiter = text.find_last_of(" \t");
  if (delimiter != AnsiString::npos) return text.substr(0, delimiter);
  size_t end = text.size();
  if (end == 0) return text;
  --end;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

int DrawUtf8(HDC dc, const AnsiString& text, TRect& rect, UINT flags) {
  RECT r = rect;
  int height = DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
  rect = r;
  return height;
}

}  // namespace

void TCustomLabel::DescribeClass(TClassBuilder<TCustomLabel>& c) {
  c.Property("Caption", &TCustomLabel::Caption, &TCustomLabel::SetCaption);
  c.Property("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment).Default(taLeftJustify);
  c.Property("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize).Default(1);
  c.Property("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout).Default(tlTop);
  c.Property("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap).Default(0);
  c.Property("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar).Default(1);
  c.Property("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent)
      .Stored(&TCustomLabel::IsTransparentStored);
  c.Property("EllipsisPosition", &TCustomLabel::EllipsisPosition, &TCustomLabel::SetEllipsisPosition).Default(epNone);
  c.Property("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  FControlStyle.Include(csOpaque);
  FControlStyle.Include(csReplicatable);
  SetBounds(0, 0, 65, 17);
}

TCustomLabel::~TCustomLabel() { Destroying(); }

void TCustomLabel::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_DIALOGCHAR: { TWMKey v(m); CMDialogChar(v); return; }
    default: inherited::Dispatch(m); return;
  }
}

AnsiString TCustomLabel::GetLabelText() { return Caption(); }

void TCustomLabel::DoDrawText(TRect& rect, UINT flags) {
  AnsiString text = GetLabelText();
  const bool measuring = (flags & DT_CALCRECT) != 0;
  // An empty text (or a lone accelerator mark) still measures one line high.
  if (measuring && (text.empty() || (FShowAccelChar && text == "&"))) text += ' ';
  if (!FShowAccelChar) flags |= DT_NOPREFIX;
  flags = DrawTextBiDiModeFlags(flags);
  FCanvas->SetFont(Font());
  FCanvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  HDC dc = FCanvas->Handle();
  if (FEllipsisPosition != epNone && !FAutoSize) {
    AnsiString shown = text;
    flags &= ~DT_EXPANDTABS;
    flags |= EllipsisFlags(FEllipsisPosition);
    // Wrapped text loses words from its end until it fits the label's height with "..."
    // after it; DrawText alone would only cut the last line.
    if (FWordWrap && (FEllipsisPosition == epEndEllipsis || FEllipsisPosition == epWordEllipsis)) {
      const int ellipsisWidth = FCanvas->TextWidth(kEllipsis);
      const int clientHeight = ClientHeight();
      for (;;) {
        TRect probe = rect;
        probe.Right -= ellipsisWidth;
        DrawUtf8(dc, shown, probe, flags | DT_CALCRECT);
        const int height = probe.Bottom - probe.Top;
        if (height <= clientHeight || height <= FCanvas->Font()->Height()) break;
        text = CutLastPiece(text);
        shown = text + kEllipsis;
        if (text.empty()) break;
      }
    }
    if (!text.empty()) text = shown;
  }
  if (!Enabled()) {
    // Embossed: a highlight one pixel down and right, the shadow in place over it.
    rect.Left += 1;
    rect.Top += 1;
    rect.Right += 1;
    rect.Bottom += 1;
    FCanvas->Font()->SetColor(clBtnHighlight);
    FCanvas->RequiredState({csHandleValid, csFontValid});
    DrawUtf8(dc, text, rect, flags);
    rect.Left -= 1;
    rect.Top -= 1;
    rect.Right -= 1;
    rect.Bottom -= 1;
    FCanvas->Font()->SetColor(clBtnShadow);
    FCanvas->RequiredState({csHandleValid, csFontValid});
    DrawUtf8(dc, text, rect, flags);
  } else {
    DrawUtf8(dc, text, rect, flags);
  }
}

void TCustomLabel::Paint() {
  const TRect client = ClientRect();
  if (!Transparent()) {
    FCanvas->Brush()->SetColor(Color());
    FCanvas->Brush()->SetStyle(bsSolid);
    FCanvas->FillRect(client);
  }
  FCanvas->Brush()->SetStyle(bsClear);
  SetBkMode(FCanvas->Handle(), TRANSPARENT);
  TRect rect = client;
  // Alignment only: DoDrawText turns it round for right-to-left labels.
  const UINT style = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0) | AlignmentFlags(FAlignment);
  if (FLayout != tlTop) {
    TRect measured = rect;
    DoDrawText(measured, style | DT_CALCRECT);
    const int offset = FLayout == tlBottom ? Height() - measured.Bottom : (Height() - measured.Bottom) / 2;
    rect.Top += offset;
    rect.Bottom += offset;
  }
  DoDrawText(rect, style);
}

void TCustomLabel::AdjustBounds() {
  if (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading) || !FAutoSize) return;
  TRect rect = ClientRect();
  const UINT flags = DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0);
  if (FCanvas->HandleAllocated()) {
    DoDrawText(rect, flags);
  } else {
    // Measured on the screen's DC: the label may have no parent window yet.
    HDC dc = GetDC(nullptr);
    PaintOnCanvas(*FCanvas, dc, [&] { DoDrawText(rect, flags); });
    ReleaseDC(nullptr, dc);
  }
  int left = FLeft;
  TAlignment alignment = FAlignment;
  if (UseRightToLeftAlignment()) {
    if (alignment == taLeftJustify) alignment = taRightJustify;
    else if (alignment == taRightJustify) alignment = taLeftJustify;
  }
  if (alignment == taRightJustify) left += FWidth - rect.Right;
  SetBounds(left, FTop, rect.Right, rect.Bottom);
}

void TCustomLabel::Loaded() {
  inherited::Loaded();
  AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Invalidate();
}

void TCustomLabel::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  AdjustBounds();
}

void TCustomLabel::SetLayout(TTextLayout value) {
  if (value == FLayout) return;
  FLayout = value;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool value) {
  if (value == FShowAccelChar) return;
  FShowAccelChar = value;
  AdjustBounds();  // "&&" measures one character or two
  Invalidate();
}

void TCustomLabel::SetTransparent(bool value) {
  FTransparentSet = true;
  if (value == Transparent()) return;
  if (value) FControlStyle.Exclude(csOpaque);
  else FControlStyle.Include(csOpaque);
  // Whatever lay under an opaque label must show again.
  InvalidateControl(FVisible, false);
}

void TCustomLabel::SetEllipsisPosition(TEllipsisPosition value) {
  if (value == FEllipsisPosition) return;
  FEllipsisPosition = value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* value) {
  if (value == FFocusControl) return;
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = value;
  if (value) value->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == FFocusControl) FFocusControl = nullptr;
}

// The accelerator of an enabled label focuses its FocusControl, when that one can take it.
void TCustomLabel::CMDialogChar(TWMKey& m) {
  if (FFocusControl && Enabled() && FShowAccelChar && IsAccel(m.CharCode, Caption()) && FFocusControl->CanFocus()) {
    FFocusControl->SetFocus();
    m.SetResult(1);
  }
}

void TCustomLabel::CMTextChanged(TMessage& m) {
  inherited::CMTextChanged(m);
  AdjustBounds();
}

void TCustomLabel::CMFontChanged(TMessage& m) {
  inherited::CMFontChanged(m);
  AdjustBounds();
}
