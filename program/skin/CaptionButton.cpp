#include "program/skin/CaptionButton.h"

#include "program/skin/BaseForm.h"
#include "program/skin/FSSkinEngine.h"
#include "vcl/Application.h"
#include "vcl/TypInfo.h"

namespace {

TShiftState ShiftOfNcMessage() {
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
  if (GetKeyState(VK_LBUTTON) < 0) shift.Include(ssLeft);
  if (GetKeyState(VK_RBUTTON) < 0) shift.Include(ssRight);
  if (GetKeyState(VK_MBUTTON) < 0) shift.Include(ssMiddle);
  return shift;
}

POINT MessagePoint(const TMessage& m) { return POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)}; }

}  // namespace

TCaptionButton::TCaptionButton(TBaseForm* form) : FForm(form) {}

TCaptionButton::~TCaptionButton() {
  FFadeAnimator.reset();
  FFrameAnimator.reset();
  if (FIconCopy) DestroyIcon(FIconCopy);
}

void TCaptionButton::DescribeClass(TClassBuilder<TCaptionButton>& c) {
  c.Property("SkinName", &TCaptionButton::SkinName, &TCaptionButton::SetSkinName).Stored(&TCaptionButton::HasOwnSkinName);
  c.Property("Hint", &TCaptionButton::FHint).Stored(&TCaptionButton::IsHintStored);
}

void TCaptionButton::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TCaptionButton*>(source);
  if (!other) {
    inherited::Assign(source);
    return;
  }
  FBoundsRect = other->FBoundsRect;
  FHot = other->FHot;
  FDown = other->FDown;
  FSysCommand = other->FSysCommand;
  FHitTestCode = other->FHitTestCode;
  OnClick = other->OnClick;
  OnMouseDown = other->OnMouseDown;
  OnMouseUp = other->OnMouseUp;
  FEnabled = other->FEnabled;
  FVisible = other->FVisible;
  FHint = other->FHint;
  FDefaultHint = other->FDefaultHint;
  if (other->FSkinName != FSkinName || other->FSkinPartId != FSkinPartId) {
    FSkinName = other->FSkinName;
    FSkinPartId = other->FSkinPartId;
    if (!FSkinName.empty()) UpdatePart();
  }
  Invalidate();
}

AnsiString TCaptionButton::SkinName() const {
  return FSkinName.empty() ? AnsiString() : TFSSkinEngine::FormatSkinName(FSkinName, FSkinPartId);
}

void TCaptionButton::SetSkinName(const AnsiString& value) {
  if (value == SkinName()) return;
  int id = 0;
  AnsiString name;
  TFSSkinEngine::ParseSkinName(value, name, id);
  FSkinName = name;
  FSkinPartId = id;
  UpdatePart();
}

void TCaptionButton::SetBoundsRect(const TRect& value) {
  FBoundsRect = value;
  // A skin may give (x, y, width, height): a right edge left of the left edge is a width.
  if (FBoundsRect.Right < FBoundsRect.Left) FBoundsRect.Right += FBoundsRect.Left;
  if (FBoundsRect.Bottom < FBoundsRect.Top) FBoundsRect.Bottom += FBoundsRect.Top;
}

void TCaptionButton::SetHot(bool value) {
  if (FHot == value) return;
  FHot = value;
  Invalidate();
}

void TCaptionButton::SetDown(bool value) {
  if (FDown == value) return;
  FDown = value;
  Invalidate();
}

void TCaptionButton::SetEnabled(bool value) {
  if (FEnabled == value) return;
  FEnabled = value;
  Invalidate();
}

void TCaptionButton::SetVisible(bool value) {
  if (FVisible == value) return;
  FVisible = value;
  Invalidate();
}

void TCaptionButton::Invalidate() {
  if (FForm) FForm->UpdateNonClient(true);
}

bool TCaptionButton::ContainsPoint(POINT screen) {
  if (!FVisible || !FForm) return false;
  const TPoint p = FForm->ScreenToWindow(TPoint(screen.x, screen.y));
  return p.X >= FBoundsRect.Left && p.X < FBoundsRect.Right && p.Y >= FBoundsRect.Top && p.Y < FBoundsRect.Bottom;
}

bool TCaptionButton::NCHitTest(TMessage& m) {
  if (!ContainsPoint(MessagePoint(m))) return false;
  if (FEnabled) m.Result = FHitTestCode;
  else m.Result = IsSysMenuIcon() ? HTCAPTION : HTCUSTOMBUTTON;
  return true;
}

bool TCaptionButton::NCLButtonDown(TMessage& m) {
  if (!ContainsPoint(MessagePoint(m))) return false;
  if (FEnabled) {
    SetDown(true);
    if (OnMouseDown) OnMouseDown(FForm, mbLeft, ShiftOfNcMessage(), GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
    return true;
  }
  // A disabled button swallows the press, so the window manager starts nothing there.
  return !IsSysMenuIcon();
}

bool TCaptionButton::NCLButtonUp(TMessage& m) {
  bool taken = false;
  if (FEnabled && ContainsPoint(MessagePoint(m))) {
    if (FDown) {
      FDown = false;
      if (OnMouseUp) OnMouseUp(FForm, mbLeft, ShiftOfNcMessage(), GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
      Invalidate();
      if (FSysCommand != 0) SendMessageW(FForm->Handle(), WM_SYSCOMMAND, FSysCommand, m.LParam);
      else Click();
    }
    taken = true;
  }
  SetDown(false);
  return taken;
}

void TCaptionButton::NCMouseMove(TMessage& m) {
  if (ContainsPoint(MessagePoint(m))) {
    if (FEnabled) {
      SetHot(true);
      if (FDown && GetKeyState(VK_LBUTTON) >= 0) SetDown(false);
    }
    m.Result = 1;
  } else {
    SetHot(false);
  }
}

bool TCaptionButton::HintShow(THintInfo& info) {
  if (FHint.empty() || !FForm) return false;
  const TPoint cursor = FForm->ClientToScreenPoint(info.CursorPos);
  if (!ContainsPoint(POINT{cursor.X, cursor.Y})) return false;
  info.HintStr = FHint;
  const TPoint topLeft = FForm->WindowToClient(TPoint(FBoundsRect.Left, FBoundsRect.Top));
  const TPoint bottomRight = FForm->WindowToClient(TPoint(FBoundsRect.Right, FBoundsRect.Bottom));
  info.CursorRect = TRect(topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y);
  return true;
}

void TCaptionButton::Click() {
  if (OnClick) OnClick(FForm);
}

void TCaptionButton::StopFade() {
  if (FFadeAnimator) FFadeAnimator->StopFade();
}

void TCaptionButton::SetSkin(TSkinItem* item, int partId) {
  if (!FSkinName.empty()) return;
  FPendingPart = item ? item->FindPart(partId) : nullptr;
  ApplyPart();
}

void TCaptionButton::ApplyPart() {
  FPart = FPendingPart;
  if (FPart) {
    FVisible = FPart->Position.IsDefined() && FPart->Visible;
    FEnabled = FPart->Enabled;
  } else {
    FVisible = false;
    FEnabled = false;
  }
  Invalidate();
}

void TCaptionButton::UpdatePart() {
  TSkinItemPart* part = SkinEngine && !FSkinName.empty() ? SkinEngine->GetSkinPart(FSkinName, FSkinPartId) : nullptr;
  if (!part) {
    ApplyPart();
    return;
  }
  FPart = part;
  FVisible = part->Position.IsDefined() && part->Visible;
  FEnabled = part->Enabled;
  if (FForm) SetBoundsRect(part->Position.CalcRect(TRect(0, 0, FForm->Width(), FForm->Height())));
  Invalidate();
}

HICON TCaptionButton::IconCopy() {
  if (FIconCopy || !FForm) return FIconCopy;
  HICON source = FForm->FormIcon();
  if (!source) source = LoadIconW(nullptr, IDI_APPLICATION);
  if (source) FIconCopy = static_cast<HICON>(CopyImage(source, IMAGE_ICON, 16, 16, LR_COPYFROMRESOURCE | LR_COLOR));
  return FIconCopy;
}

void TCaptionButton::DrawState(TCanvas* canvas) {
  const TRect& r = FBoundsRect;
  if (!FVisible || r.Right <= r.Left || r.Bottom <= r.Top) return;
  bool enabled = FEnabled, hot = FHot, down = FDown;
  if (IsSysMenuIcon()) {
    enabled = true;
    hot = down = false;
  }
  TSkinItemState* state = FPart ? FPart->GetStateEx(enabled, hot, hot && down, false) : nullptr;
  if (state) {
    if (!FFrameAnimator) FFrameAnimator = std::make_unique<TSkinFrameAnimator>(this, TNotifyEvent([this](TObject*) { Invalidate(); }), true);
    FFrameAnimator->SetSkinState(state);
    state->Draw(canvas, r, FFrameAnimator->FrameIndex);
    return;
  }
  if (FPart && FPart->HasStates()) return;
  if (IsSysMenuIcon()) {
    if (HICON icon = IconCopy()) DrawIconEx(canvas->Handle(), r.Left, r.Top, icon, r.Right - r.Left, r.Bottom - r.Top, 0, nullptr, DI_NORMAL);
  }
}

void TCaptionButton::Paint(TCanvas* canvas) {
  const bool animated = FPart && FPart->HasStates() && !IsSysMenuIcon();
  if (animated) {
    if (!FFadeAnimator)
      FFadeAnimator = std::make_unique<TSkinFadeAnimator>(this, TNotifyEvent([this](TObject*) { Invalidate(); }), true);
    FFadeAnimator->SetStates(FEnabled, FHot, FHot && FDown, false);
    if (!FFadeAnimator->BeginPaint(canvas, FBoundsRect)) return;
  }
  DrawState(canvas);
  if (animated) FFadeAnimator->EndPaint(true);
}
