#include "program/controls/FSGroupBox.h"

#include "platform/gdi/DcGuards.h"
#include "program/controls/ButtonDraw.h"
#include "program/skin/DrawUtils.h"

void TFSGroupBox::DescribeClass(TClassBuilder<TFSGroupBox>& c) {
  c.Property("SkinName", &TFSGroupBox::SkinName, &TFSGroupBox::SetSkinName).Stored(&TFSGroupBox::IsSkinNameStored);
  c.Property("Caption", &TFSGroupBox::Caption, &TFSGroupBox::SetCaption);
  c.Property("Transparent", &TFSGroupBox::Transparent, &TFSGroupBox::SetTransparent).Default(0);
  c.Property("ParentBackground", &TFSGroupBox::ParentBackground, &TFSGroupBox::SetParentBackground).Stored(false);
}

TFSCustomGroupBox::TFSCustomGroupBox(TComponent* owner) : TCustomControl(owner) {
  FControlStyle.Include(csAcceptsControls);
  FControlStyle.Include(csReplicatable);
  FControlStyle.Include(csPannable);
  SetBounds(FLeft, FTop, 185, 105);
  UpdateSkin();
}

// ---- skin ---------------------------------------------------------------------------------------

void TFSCustomGroupBox::UpdateSkin() {
  // The part decides Transparent, but a group box is not made double-buffered for it.
  FSkinPart = ResolveSkinPart(this, FSkinName, FPartId, {.Adopt = [this](TSkinItemPart* part) {
                                if (part) SetTransparent(part->IsTransparent());
                              }});
}

void TFSCustomGroupBox::SetSkinName(const AnsiString& value) {
  if (SetSkinReference(FSkinName, FPartId, FSkinPart, value)) UpdateSkin();
}

void TFSCustomGroupBox::CMSkinChanged(TMessage& m) {
  inherited::Dispatch(m);
  UpdateSkin();
}

// ---- layout -------------------------------------------------------------------------------------

int TFSCustomGroupBox::DigitHeight() {
  if (Canvas()->HandleAllocated()) {
    Canvas()->SetFont(Font());
    return Canvas()->TextHeight("0");
  }
  TScreenMeasureCanvas measure(Font());
  return measure.Canvas()->TextHeight("0");
}

void TFSCustomGroupBox::AdjustClientRect(TRect& rect) {
  inherited::AdjustClientRect(rect);
  rect.Top += DigitHeight();
  const int inset = Ctl3D() ? 2 : 1;
  rect = TRect(rect.Left + inset, rect.Top + inset, rect.Right - inset, rect.Bottom - inset);
}

void TFSCustomGroupBox::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.WindowClass.style |= CS_PARENTDC;
}

// ---- painting -----------------------------------------------------------------------------------

void TFSCustomGroupBox::Paint() {
  TCanvas* canvas = Canvas();
  TSkinItemState* state = FSkinPart ? FSkinPart->GetStateFor(FEnabled, FMouseInClient, false) : nullptr;
  canvas->SetFont(Font());
  const AnsiString caption = Caption();

  TRect captionRect(0, 0, 0, 0);
  if (!caption.empty()) {
    canvas->RequiredState(TCanvasState{csHandleValid, csFontValid});
    SIZE extent{};
    GetTextExtentPoint32A(canvas->Handle(), caption.c_str(), static_cast<int>(caption.size()), &extent);
    const int left = UseRightToLeftReading() ? FWidth - 8 - extent.cx : 8;
    captionRect = TRect(left, 0, left + extent.cx, extent.cy);
  }
  TRect frame = ClientRect();
  frame.Top = captionRect.Height() / 2;

  auto drawCaption = [&](TRect r, UINT extra) {
    canvas->Refresh();
    canvas->SetFont(Font());
    if (Transparent()) {
      canvas->Brush()->SetStyle(bsClear);
    } else {
      canvas->Brush()->SetStyle(bsSolid);
      canvas->Brush()->SetColor(FColor);
    }
    DrawCanvasText(canvas, caption, r, DT_SINGLELINE | extra);
  };

  if (state) {
    {
      canvas->RequiredState(TCanvasState{csHandleValid});
      const platform::SavedDcState saved(canvas->Handle());
      ExcludeClipRect(canvas->Handle(), captionRect.Left - 2, captionRect.Top, captionRect.Right + 2,
                      captionRect.Bottom);
      state->Draw(canvas, frame);
    }
    if (!caption.empty()) drawCaption(captionRect, DrawTextBiDiModeFlags(0));
    return;
  }

  const int digit = DigitHeight();
  {
    canvas->RequiredState(TCanvasState{csHandleValid});
    HDC dc = canvas->Handle();
    const platform::SavedDcState saved(dc);
    if (!caption.empty())
      ExcludeClipRect(dc, captionRect.Left - 2, captionRect.Top, captionRect.Right + 2, captionRect.Bottom);
    if (Ctl3D()) {
      const TRect shadow(frame.Left, frame.Top, frame.Right - 1, frame.Bottom - 1);
      DrawFrameColors(dc, TRect(shadow.Left + 1, shadow.Top + 1, shadow.Right + 1, shadow.Bottom + 1), clNone,
                      clBtnHighlight, false);
      DrawFrameColors(dc, shadow, clNone, clBtnShadow, false);
    } else {
      DrawFrameColors(dc, frame, clNone, clWindowFrame, false);
    }
  }
  if (caption.empty()) return;
  canvas->SetFont(Font());
  TRect measured(8, 0, 0, digit);
  DrawCanvasText(canvas, caption, measured, DT_SINGLELINE | DT_CALCRECT);
  if (UseRightToLeftReading()) {
    const int width = measured.Width();
    measured.Left = ClientRect().Right - width - 8;
    measured.Right = measured.Left + width;
  }
  drawCaption(measured, DrawTextBiDiModeFlags(0));
}

void TFSCustomGroupBox::WMEraseBkgnd(TWMEraseBkgnd& m) {
  if (!EraseTransparentBackground(this, m)) inherited::WMEraseBkgnd(m);
}

// ---- messages -----------------------------------------------------------------------------------

void TFSCustomGroupBox::WMSize(TWMSize& m) {
  inherited::WMSize(m);
  Invalidate();
}

void TFSCustomGroupBox::CMTextChanged(TMessage& m) {
  inherited::CMTextChanged(m);
  Invalidate();
  Realign();
}

void TFSCustomGroupBox::CMMouseEnter(TCMMouseEnterLeave& m) {
  inherited::CMMouseEnter(m);
  if ((!m.Sender || m.Sender == this) && HoverChangesLook(this, FSkinPart, nullptr, false)) Invalidate();
}

void TFSCustomGroupBox::CMMouseLeave(TCMMouseEnterLeave& m) {
  inherited::CMMouseLeave(m);
  if ((!m.Sender || m.Sender == this) && HoverChangesLook(this, FSkinPart, nullptr, false)) Invalidate();
}

void TFSCustomGroupBox::CMDialogChar(TWMKey& m) {
  if (IsAccel(m.CharCode, Caption()) && CanFocus()) {
    std::vector<TWinControl*> tabOrder;
    GetTabOrderList(tabOrder);
    for (TWinControl* child : tabOrder)
      if (child->Parent() == this && child->CanFocus()) {
        child->SetFocus();
        break;
      }
    m.SetResult(1);
    return;
  }
  inherited::CMDialogChar(m);
}

void TFSCustomGroupBox::CMCtl3DChanged(TMessage& m) {
  inherited::CMCtl3DChanged(m);
  Invalidate();
  Realign();
}

void TFSCustomGroupBox::Dispatch(TMessage& m) {
  if (m.Msg == CM_SKINCHANGED) {
    CMSkinChanged(m);
    return;
  }
  inherited::Dispatch(m);
}
