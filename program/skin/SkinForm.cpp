#include "program/skin/SkinForm.h"

#include <algorithm>

#include "platform/gdi/DcGuards.h"
#include "program/core/FSXMLPersistent.h"
#include "program/skin/DrawUtils.h"
#include "program/skin/FSSkinEngine.h"
#include "vcl/Application.h"
#include "vcl/TypInfo.h"

// ---- TSkinFormShape ------------------------------------------------------------------------------

void TSkinFormShape::DescribeClass(TClassBuilder<TSkinFormShape>& c) {
  c.Property("Value1", &TSkinFormShape::Value1, &TSkinFormShape::SetValue1).Default(0);
  c.Property("Value2", &TSkinFormShape::Value2, &TSkinFormShape::SetValue2).Default(0);
  c.Property("ShapeType", &TSkinFormShape::ShapeType, &TSkinFormShape::SetShapeType).Default(fstNormal);
}

void TSkinFormShape::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TSkinFormShape*>(source)) {
    FValue1 = other->FValue1;
    FValue2 = other->FValue2;
    FShapeType = other->FShapeType;
    Changed();
    return;
  }
  if (auto* shape = dynamic_cast<TSkinControlShape*>(source)) {
    FValue1 = shape->Width;
    FValue2 = shape->Height;
    FShapeType = shape->ShapeType;
    return;
  }
  inherited::Assign(source);
}

void TSkinFormShape::SetValue1(int value) {
  if (FValue1 == value) return;
  FValue1 = value;
  Changed();
}

void TSkinFormShape::SetValue2(int value) {
  if (FValue2 == value) return;
  FValue2 = value;
  Changed();
}

void TSkinFormShape::SetShapeType(TControlShapeType value) {
  if (FShapeType == value) return;
  FShapeType = value;
  Changed();
}

void TSkinFormShape::Changed() {
  if (FForm) FForm->UpdateRegion(true);
}

// ---- TExtendFrame ----------------------------------------------------------------------------------

void TExtendFrame::DescribeClass(TClassBuilder<TExtendFrame>& c) {
  c.Property("Left", &TExtendFrame::Left, &TExtendFrame::SetLeft).Default(0);
  c.Property("Top", &TExtendFrame::Top, &TExtendFrame::SetTop).Default(0);
  c.Property("Right", &TExtendFrame::Right, &TExtendFrame::SetRight).Default(0);
  c.Property("Bottom", &TExtendFrame::Bottom, &TExtendFrame::SetBottom).Default(0);
}

void TExtendFrame::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TExtendFrame*>(source)) {
    FLeft = other->FLeft, FTop = other->FTop, FRight = other->FRight, FBottom = other->FBottom;
    Changed();
    return;
  }
  if (auto* margins = dynamic_cast<TBorderMargins*>(source)) {
    FLeft = margins->Left, FTop = margins->Top, FRight = margins->Right, FBottom = margins->Bottom;
    Changed();
    return;
  }
  inherited::Assign(source);
}

void TExtendFrame::Clear() {
  FLeft = FTop = FRight = FBottom = 0;
  Changed();
}

void TExtendFrame::SetSide(int32_t& side, int value) {
  if (side == value) return;
  side = value;
  Changed();
}

void TExtendFrame::Changed() {
  if (FForm) FForm->RedrawAll();
}

// ---- construction ------------------------------------------------------------------------------------

TSkinForm::TSkinForm(TComponent* owner) : TBaseForm(owner) { InitSkinForm(); }

TSkinForm::TSkinForm(TComponent* owner, int dummy) : TBaseForm(owner, dummy) { InitSkinForm(); }

void TSkinForm::InitSkinForm() {
  if (SkinEngine) FListening = SkinEngine->AddChangeListener(this, &TSkinForm::SkinEngineChanged);
  FFormShape = std::make_unique<TSkinFormShape>(this);
  FExtendFrame = std::make_unique<TExtendFrame>(this);
  FSkinEnabled = true;
  UpdateSystemMetrics();
}

TSkinForm::~TSkinForm() {
  if (FListening && SkinEngine) SkinEngine->RemoveChangeListener(this, &TSkinForm::SkinEngineChanged);
  FListening = false;
  Destroying();
  // The window goes while the shape and the frame it paints with still exist.
  if (FHandle) DestroyWindowHandle();
}

void TSkinForm::DescribeClass(TClassBuilder<TSkinForm>& c) {
  c.Property("SkinName", &TSkinForm::SkinName, &TSkinForm::SetSkinName).Stored(&TSkinForm::IsSkinNameStored);
  c.Property("FormShape", &TSkinForm::FormShape, &TSkinForm::SetFormShape);
  c.Property("SkinEnabled", &TBaseForm::SkinEnabled, &TBaseForm::SetSkinEnabled).Default(1);
  c.Property("FullSkin", &TSkinForm::FullSkin, &TSkinForm::SetFullSkin).Default(0);
  c.Property("TaskIcon", &TBaseForm::TaskIcon, &TBaseForm::SetTaskIcon).Default(0);
  c.Property("ShowAnimate", &TBaseForm::ShowAnimate, &TBaseForm::SetShowAnimate).Default(1);
  c.Property("AnimateTime", &TBaseForm::AnimateTime, &TBaseForm::SetAnimateTime).Default(200);
  c.Property("KeepingSize", &TBaseForm::KeepingSize, &TBaseForm::SetKeepingSize).Default(kstUndefine);
  c.Property("AutoDock", &TBaseForm::AutoDock, &TBaseForm::SetAutoDock).Default(0);
  c.Property("DockPos", &TBaseForm::DockPos, &TBaseForm::SetDockPos).Default(dpNone);
  c.Property("OnLoadSkin", &TSkinForm::OnLoadSkin);
  c.Property("CloseButton", &TBaseForm::CloseButton, &TSkinForm::SetCloseButton).Stored(&TSkinForm::IsCloseButtonStored);
  c.Property("RestoreButton", &TBaseForm::RestoreButton, &TSkinForm::SetRestoreButton).Stored(&TSkinForm::IsRestoreButtonStored);
  c.Property("MaxButton", &TBaseForm::MaxButton, &TSkinForm::SetMaxButton).Stored(&TSkinForm::IsMaxButtonStored);
  c.Property("MinButton", &TBaseForm::MinButton, &TSkinForm::SetMinButton).Stored(&TSkinForm::IsMinButtonStored);
  c.Property("CustomButton", &TBaseForm::CustomButton, &TSkinForm::SetCustomButton);
  c.Property("SysMenuIcon", &TBaseForm::SysMenuIcon, &TSkinForm::SetSysMenuIcon);
  c.Property("NCMetrics", &TBaseForm::NCMetrics, &TBaseForm::SetNCMetrics);
  c.Property("ExtendFrame", &TSkinForm::ExtendFrame, &TSkinForm::SetExtendFrame);
}

void TSkinForm::InitDesign() {
  if (ClassType() == TSkinForm::StaticClass() || IsDesigning()) return;
  GlobalNameSpace().BeginWrite();
  try {
    FXMLFormFile = LoadXMLFormDesign(this, TSkinForm::StaticClass());
  } catch (...) {
    GlobalNameSpace().EndWrite();
    throw;
  }
  GlobalNameSpace().EndWrite();
}

void TSkinForm::SetName(const AnsiString& newName) {
  inherited::SetName(newName);
  // The skin file named after the form comes with the form.
  if (IsLoading() && !newName.empty() && SkinEngine) SkinEngine->LoadSkinFile(newName);
}

void TSkinForm::SetClientWidth(int value) {
  if (ComponentState().Contains(csReading) || IsLoading()) FReadClientWidth = value;
  else inherited::SetClientWidth(value);
}

void TSkinForm::SetClientHeight(int value) {
  if (ComponentState().Contains(csReading) || IsLoading()) FReadClientHeight = value;
  else inherited::SetClientHeight(value);
}

void TSkinForm::Loaded() {
  inherited::Loaded();
  ApplyReadClientSize();
  SaveClientSize();
}

void TSkinForm::ApplyReadClientSize() {
  if (FReadClientWidth > 0) inherited::SetClientWidth(FReadClientWidth);
  if (FReadClientHeight > 0) inherited::SetClientHeight(FReadClientHeight);
}

void TSkinForm::CreateWnd() {
  inherited::CreateWnd();
  // The border style may have changed the system frame the metrics sit on.
  if (FSkinItem && FSystemMetrics->Top() != FNCMetrics->Top())
    if (TSkinItemPart* frame = FSkinItem->FindPart(0)) {
      ApplyFrameMetrics(frame);
      UpdateNonClient(true);
    }
}

// ---- skin ---------------------------------------------------------------------------------------------

void TSkinForm::SkinEngineChanged(TObject*, bool flag) {
  if (flag) TFSSkinEngine::BroadcastSkinChanged(this);
}

void TSkinForm::SetSkinName(const AnsiString& value) {
  if (FSkinName == value) return;
  FSkinName = value;
  if (IsLoading()) return;
  LoadSkin(FSkinName, false);
  if (!FSkinActive) SetColor(clBtnFace);
  if (FHandle) {
    UpdateNonClient(true);
    RedrawAll();
  }
}

bool TSkinForm::FullSkin() const { return FFullSkin || FBorderStyle == bsNone || FExtendFrame->AnyCovering(); }

void TSkinForm::SetFullSkin(bool value) {
  FFullSkin = value;
  RedrawAll();
}

bool TSkinForm::LoadSkin(const AnsiString& name, bool onlyIfFound) {
  TSkinItem* item = SkinEngine ? SkinEngine->GetSkinItem(name) : nullptr;
  if (item && !item->InheritFrom.empty() && SkinEngine)
    if (TSkinItem* base = SkinEngine->GetSkinItem(item->InheritFrom); base && base != item) item->ApplyInheritance(base);
  // An item without a frame part is no form item.
  if (item && !item->FindPart(0)) item = nullptr;
  if (item) FSkinName = name;
  else if (onlyIfFound) return false;
  FSkinItem = item;
  ApplySkinItem(item);
  const bool before = FSkinActive;
  SetSkinActive(item && item->FindPart(0)->HasStates());
  if (FSkinActive == before && FHandle) {
    SaveClientSize();
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    Application->ProcessMessages();
    RestoreKeptSize(1);
  }
  UpdateRegion(true);
  return FSkinActive;
}

void TSkinForm::ApplySkinItem(TSkinItem* item) {
  if (item) {
    TSkinItemPart* frame = item->FindPart(0);
    if (!frame->Empty) frame->DrawOpaque = true;
    if (frame->KeepingSize != kstUndefine) FKeepingSize = frame->KeepingSize;
    FFormShape->Assign(&frame->Shape);
    if (!frame->Padding.IsEmpty()) FExtendFrame->Assign(&frame->Padding);
    ApplyFrameMetrics(frame);
    frame->ApplyToControl(this);
  } else if (FSkinActive) {
    FExtendFrame->Clear();
    FNCMetrics->Reset();
  }
  FSysMenuIcon->SetSkin(item, 2);
  FRestoreButton->SetSkin(item, 3);
  FMinButton->SetSkin(item, 4);
  FMaxButton->SetSkin(item, 5);
  FCloseButton->SetSkin(item, 6);
  UpdateCaptionButtons();
  ArrangeCaptionButtons();
  ApplySkinControls(item);
}

void TSkinForm::ApplyFrameMetrics(TSkinItemPart* frame) {
  FNCMetrics->BeginUpdate();
  FNCMetrics->SetLeft(frame->Margins.Left);
  FNCMetrics->SetTop(FSystemMetrics->Top());
  FNCMetrics->SetRight(frame->Margins.Right);
  FNCMetrics->SetCaptionHeight(frame->Margins.Top - FSystemMetrics->Top());
  FNCMetrics->SetBottom(frame->Margins.Bottom);
  FNCMetrics->EndUpdate();
}

void TSkinForm::ApplySkinControls(TSkinItem* item) {
  if (!item) return;
  for (const auto& part : item->Parts) {
    if (part->Id < 7 || part->Name.empty() || part->HasStates()) continue;
    if (auto* control = dynamic_cast<TControl*>(FindComponent(part->Name))) part->ApplyToControl(control);
  }
}

void TSkinForm::DoLoadSkin() {
  const bool differs = Name() != FSkinName;
  if (!LoadSkin(Name(), differs) && differs) LoadSkin(FSkinName, false);
  FSkinLoaded = true;
  // A form read before its window exists keeps the client size of its file.
  if (!FHandle) ApplyReadClientSize();
  if (OnLoadSkin) OnLoadSkin(this);
  inherited::DoLoadSkin();
}

void TSkinForm::CMSkinChanged(TMessage& m) {
  DefaultHandler(m);
  DoLoadSkin();
  if (IsDesigning()) {
    ArrangeCaptionButtons();
    UpdateRegion(true);
  }
  UpdateNonClient(true);
  RedrawAll();
}

void TSkinForm::Dispatch(TMessage& m) {
  if (m.Msg == CM_SKINCHANGED) {
    CMSkinChanged(m);
    return;
  }
  inherited::Dispatch(m);
}

// ---- painting -----------------------------------------------------------------------------------------

void TSkinForm::PrepareDC(HDC dc, bool excludeClient) {
  if (!excludeClient || !FHandle) return;
  const TPoint topLeft = ClientToWindow(TPoint(0, 0));
  RECT client{};
  GetClientRect(FHandle, &client);
  ExcludeClipRect(dc, topLeft.X, topLeft.Y, topLeft.X + client.right, topLeft.Y + client.bottom);
}

void TSkinForm::PaintFrame() {
  TSkinItemState* state = FSkinItem ? FSkinItem->GetPartState(0, true, FNCActive, false) : nullptr;
  if (state) state->Draw(Canvas(), TRect(0, 0, FWidth, FHeight));
  FScrollBars->DrawNonClient(Canvas()->Handle(), nullptr);
}

int TSkinForm::CaptionTextReserve() const {
  const bool plain = FBorderStyle == bsSingle || FBorderStyle == bsSizeable;
  return plain && (FBorderIcons.Contains(biMinimize) || FBorderIcons.Contains(biMaximize)) ? 50 : 25;
}

void TSkinForm::PaintCaption() {
  PaintFrame();
  const bool plain = FBorderStyle == bsSingle || FBorderStyle == bsSizeable;
  TCanvas* canvas = Canvas();
  if (FBorderStyle != bsNone && FSkinItem) {
    TSkinItemPart* captionPart = FSkinItem->FindPart(1);
    TSkinItemState* state = FSkinItem->GetPartState(1, true, FNCActive, false);
    if (FShowCaptionText && state && captionPart && captionPart->Visible) {
      TRect text = captionPart->Position.CalcRect(TRect(0, 0, FWidth, FHeight));
      text.Right -= CaptionTextReserve();
      const TRect icon = FSysMenuIcon->BoundsRect();
      const bool iconEmpty = icon.Right <= icon.Left || icon.Bottom <= icon.Top;
      const bool iconHidden = (!FSysMenuIcon->Visible() && !iconEmpty) || !plain;
      if (iconHidden && icon.Top == text.Top && icon.Right <= text.Left) text.Left = icon.Left + (icon.Right - icon.Left) / 2;
      canvas->Font()->Assign(FFont.get());
      state->Font.ApplyToFont(canvas->Font());
      canvas->Brush()->SetStyle(bsClear);
      canvas->RequiredState(TCanvasState{csHandleValid, csFontValid, csBrushValid});
      SetBkMode(canvas->Handle(), TRANSPARENT);
      static constexpr UINT kAlign[3] = {DT_LEFT, DT_RIGHT, DT_CENTER};
      const UINT align = state->Alignment < 3 ? kAlign[state->Alignment] : DT_LEFT;
      RECT r{text.Left, text.Top, text.Right, text.Bottom};
      const AnsiString caption = GetText();
      DrawTextA(canvas->Handle(), caption.c_str(), static_cast<int>(caption.size()), &r,
                align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
      canvas->Font()->Assign(FFont.get());
    }
  }
  if (!FBorderIcons.Contains(biSystemMenu)) return;
  if (plain) FSysMenuIcon->Paint(canvas);
  for (TCaptionButton* b : {FMaxButton.get(), FRestoreButton.get(), FMinButton.get(), FCloseButton.get(), FCustomButton.get()})
    b->Paint(canvas);
}

HRGN TSkinForm::CreateFormRegion() {
  if (!FHandle || IsIconic(FHandle) || !FSkinEnabled || !FSkinActive) return nullptr;
  TSkinItemState* state = FSkinItem ? FSkinItem->GetPartState(0, true, FNCActive, false) : nullptr;
  switch (FFormShape->ShapeType()) {
    case fstRect: return CreateRectRgn(0, 0, FWidth + 1, FHeight + 1);
    case fstRoundRect: return CreateRoundRectRgn(0, 0, FWidth + 1, FHeight + 1, FFormShape->Value1(), FFormShape->Value2());
    case fstEllipse: return CreateEllipticRgn(0, 0, FWidth + 1, FHeight + 1);
    case fstAuto: return state ? state->CreateRegion(FWidth, FHeight) : nullptr;
    default: return nullptr;
  }
}

void TSkinForm::UpdateRegion(bool repaint) {
  if (FRegionGuard || !FHandle) return;
  FRegionGuard = true;
  if (!IsIconic(FHandle)) {
    HRGN region = CreateFormRegion();
    if (region || FHadRegion) {
      if (!SetWindowRgn(FHandle, region, repaint ? TRUE : FALSE)) {
        if (region) DeleteObject(region);
        FRegionGuard = false;
        return;
      }
      if (repaint && PaintsClientFrame()) Invalidate();
    } else {
      Invalidate();
    }
    FHadRegion = region != nullptr;
  } else if (FHadRegion) {
    SetWindowRgn(FHandle, nullptr, repaint ? TRUE : FALSE);
    FHadRegion = false;
    if (repaint) Invalidate();
  }
  FRegionGuard = false;
}

bool TSkinForm::PaintsClientFrame() const { return FFullSkin || FBorderStyle == bsNone || !FExtendFrame->IsZero(); }

TRect TSkinForm::GetInnerClientRect(bool windowCoordinates) {
  if (FullSkin() || FBorderStyle == bsNone) return TRect(0, 0, 0, 0);
  TRect r = ClientRect();
  if (windowCoordinates) {
    const TPoint topLeft = ClientToWindow(TPoint(0, 0));
    r = TRect(topLeft.X, topLeft.Y, topLeft.X + r.Right, topLeft.Y + r.Bottom);
  }
  r.Left += FExtendFrame->Left();
  r.Top += FExtendFrame->Top();
  r.Right -= FExtendFrame->Right();
  r.Bottom -= FExtendFrame->Bottom();
  if (r.Right <= r.Left || r.Bottom <= r.Top) return TRect(0, 0, 0, 0);
  return r;
}

void TSkinForm::WMEraseBkgnd(TWMEraseBkgnd& m) {
  if (!FHandle || IsIconic(FHandle) || !FSkinEnabled || !FSkinActive || !PaintsClientFrame()) {
    inherited::WMEraseBkgnd(m);
    return;
  }
  if (FDoubleBuffered && m.Message.WParam != static_cast<WPARAM>(m.Message.LParam)) {
    m.SetResult(1);
    return;
  }
  const TRect inner = GetInnerClientRect(false);
  if (!FullSkin() && inner.Right > inner.Left) {
    const platform::SavedDcState saved(m.DC);
    IntersectClipRect(m.DC, inner.Left, inner.Top, inner.Right, inner.Bottom);
    inherited::WMEraseBkgnd(m);
  }
  m.SetResult(1);
}

void TSkinForm::Paint() {
  if (FHandle && !IsIconic(FHandle) && FSkinEnabled && FSkinActive && PaintsClientFrame()) {
    HDC dc = Canvas()->Handle();
    const platform::SavedDcState saved(dc);
    const TRect inner = GetInnerClientRect(false);
    if (inner.Right > inner.Left) ExcludeClipRect(dc, inner.Left, inner.Top, inner.Right, inner.Bottom);
    const TPoint offset = ClientToWindow(TPoint(0, 0));
    POINT previous{};
    OffsetWindowOrgEx(dc, offset.X, offset.Y, &previous);
    const TRect client = ClientRect();
    BufferedPaint(dc, TRect(offset.X, offset.Y, offset.X + client.Right, offset.Y + client.Bottom),
                  static_cast<TPaintProc>(&TSkinForm::PaintCaption),
                  false, false);
    SetWindowOrgEx(dc, previous.x, previous.y, nullptr);
  }
  inherited::Paint();
}

bool TSkinForm::SystemFrameExceedsSkin() const {
  const TNCMetrics& sys = *FSystemMetrics;
  const TNCMetrics& nc = *FNCMetrics;
  return sys.Left() > nc.Left() || sys.Top() > nc.Top() || sys.Right() > nc.Right() || sys.Bottom() > nc.Bottom();
}

void TSkinForm::WMNCActivate(TMessage& m) {
  inherited::WMNCActivate(m);
  if (!IsSkinActive()) return;
  RECT client{};
  GetClientRect(FHandle, &client);
  bool redrawn = false;
  TSkinItemPart* frame = FSkinItem ? FSkinItem->FindPart(0) : nullptr;
  if (PaintsClientFrame() && frame && frame->GetStateCount() > 1) {
    // The frame picture shows in the band between the client edge and the inner rectangle.
    RedrawRectDifference(FHandle, TRect(client.left, client.top, client.right, client.bottom), GetInnerClientRect(false),
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_NOFRAME);
    redrawn = true;
  } else if (SystemFrameExceedsSkin()) {
    const TNCMetrics& sys = *FSystemMetrics;
    const TNCMetrics& nc = *FNCMetrics;
    RECT covered{std::max(0, sys.Left() - nc.Left()), std::max(0, sys.Top() - nc.Top()),
                 std::max(0, FWidth - sys.Right() - nc.Left()), std::max(0, FHeight - sys.Bottom() - nc.Top())};
    HRGN band = CreateRectRgn(client.left, client.top, client.right, client.bottom);
    HRGN keep = CreateRectRgnIndirect(&covered);
    CombineRgn(band, band, keep, RGN_DIFF);
    RedrawWindow(FHandle, nullptr, band, RDW_INVALIDATE | RDW_ERASE);
    DeleteObject(keep);
    DeleteObject(band);
    redrawn = true;
  }
  if (redrawn) UpdateWindow(FHandle);
}
