#include "program/fc/FcColorEdit.h"

#include "platform/gdi/DcGuards.h"
#include "platform/user/Caret.h"
#include "platform/user/DrawControls.h"
#include "platform/user/PaintApi.h"
#include "program/fc/FcColorPicker.h"
#include "program/fc/FcPopup.h"
#include "program/fc/FcSetter.h"
#include "vcl/Canvas.h"
#include "vcl/Form.h"

TFcColorEdit::TFcColorEdit(TComponent* owner) : TFcCustomEdit(owner) {
  // A second press arrives as another press, so every press opens the drop-down.
  FControlStyle.Exclude(csDoubleClicks);
  FDropButtonVisible = true;
  SetParentColor(false);
}

void TFcColorEdit::DescribeClass(TClassBuilder<TFcColorEdit>& c) {
  using T = TFcColorEdit;
  c.Property("CustomColor", &T::CustomColor, &T::SetCustomColor).Type(ColorTypeInfo()).Default(clWhite);
  c.Property("DefaultColor", &T::DefaultColor, &T::SetDefaultColor).Type(ColorTypeInfo()).Default(clHighlight);
  c.Property("ColorDlgOptions", &T::ColorDlgOptions, &T::SetColorDlgOptions)
      .Default(TColorDialogOptions{cdFullOpen}.Bits());
  c.Property("CustomColors", &T::CustomColors, &T::SetCustomColors);
  c.Property("CustomColorCaption", &T::CustomColorCaption, &T::SetCustomColorCaption);
  c.Property("NoColorCaption", &T::NoColorCaption, &T::SetNoColorCaption);
  c.Property("DefaultColorCaption", &T::DefaultColorCaption, &T::SetDefaultColorCaption);
  c.Property("ShowCustomColor", &T::ShowCustomColor, &T::SetShowCustomColor).Default(0);
  c.Property("ShowNoColor", &T::ShowNoColor, &T::SetShowNoColor).Default(0);
  c.Property("ShowDefaultColor", &T::ShowDefaultColor, &T::SetShowDefaultColor).Default(0);
  c.Property("ShowSystemColors", &T::ShowSystemColors, &T::SetShowSystemColors).Default(0);
  c.Property("SelectedColor", &T::SelectedColor, &T::SetSelectedColor).Type(ColorTypeInfo()).Default(clNone);
  c.Property("ShowColorHints", &T::ShowColorHints, &T::SetShowColorHints).Default(1);
  c.Property("DropButtonVisible", &T::DropButtonVisible, &T::SetDropButtonVisible).Default(1);
  c.Property("ParentColor", &T::ParentColor, &T::SetParentColor).Default(0);
}

void TFcColorEdit::SetCustomColors(TFcCustomColors* value) {
  SetComponentReference(this, FCustomColors, value);
}

FC_DEFINE_SETTER(TFcColorEdit, SelectedColor, TColor, FSelectedColor, Invalidate())

void TFcColorEdit::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FCustomColors) FCustomColors = nullptr;
  if (component == FPanel) {
    FPanel = nullptr;
    FPicker = nullptr;
  }
}

// ---- the drop-down ------------------------------------------------------------------------------

void TFcColorEdit::DoDropDown() {
  std::shared_ptr<bool> alive = FAlive;
  inherited::DoDropDown();
  if (*alive && !ReadOnly()) DropDown();
}

void TFcColorEdit::DropDown() {
  TCustomForm* form = nullptr;
  for (TControl* c = this; c; c = c->Parent())
    if (auto* f = dynamic_cast<TCustomForm*>(c)) form = f;
  if (!form || FPanel) return;

  std::shared_ptr<bool> alive = FAlive;
  // The panel is owned by the edit and freed when this drop-down ends (the picker with it).
  auto* panel = new TFcPopupPanel(this);
  FPanel = panel;
  struct TFreePanel {
    TFcColorEdit* edit;
    std::shared_ptr<bool> alive;
    TFcPopupPanel* panel;
    ~TFreePanel() {
      if (!*alive) return;  // gone with the edit
      if (edit->FPanel == panel) {
        edit->FPanel = nullptr;
        edit->FPicker = nullptr;
        delete panel;
      }
    }
  } freePanel{this, alive, panel};

  auto* picker = new TFcColorPicker(panel);
  FPicker = picker;
  picker->SetParent(panel);
  panel->SetParent(form);
  panel->Font()->SetName(Font()->Name());

  picker->SetNoColorCaption(FNoColorCaption);
  picker->SetShowNoColor(FShowNoColor);
  picker->SetCustomColorCaption(FCustomColorCaption);
  picker->SetDefaultColorCaption(FDefaultColorCaption);
  picker->SetShowCustomColor(FShowCustomColor);
  picker->SetShowDefaultColor(FShowDefaultColor);
  picker->SetShowSystemColors(FShowSystemColors);
  picker->SetShowColorHints(FShowColorHints);
  picker->SetCustomColor(FCustomColor);
  picker->SetDefaultColor(FDefaultColor);
  picker->SetSelectedColor(FSelectedColor);
  picker->SetCustomColors(FCustomColors);
  picker->SetColorDlgOptions(FColorDlgOptions);
  // A flat edit gets a flat drop-down in its frame colour.
  if ((FFrameVisible && !UsesVisualStyle() && FFrameStyle == fsFlat) || FFrameStyle == fsFlatBold) {
    picker->SetBorderOuter(fsFlat);
    picker->SetFlatColor(FFrameColor);
  }
  picker->SetVisible(true);
  picker->OnClick = TNotifyEvent([panel](TObject* sender) { panel->ClosePopup(sender); });

  const bool accepted = panel->Popup(this);
  if (!*alive || FPanel != panel) return;
  if (accepted) {
    SetSelectedColor(picker->GetSelectedColor());
    FCustomColor = picker->CustomColor();
    SetCustomColors(picker->CustomColors());
    Change();
  }
}

// ---- painting -----------------------------------------------------------------------------------

void TFcColorEdit::WMPaint(TWMPaint& m) {
  if (m.DC) {
    PaintSwatch(m.DC);
  } else {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(FHandle, &ps);
    PaintSwatch(dc);
    EndPaint(FHandle, &ps);
  }
  m.SetResult(0);
}

void TFcColorEdit::PaintSwatch(HDC dc) {
  if (!dc) return;
  TCanvas* canvas = FCanvas.get();
  platform::SavedDcState saved(dc);
  canvas->SetHandle(dc);
  canvas->Font()->Assign(Font());
  canvas->Brush()->Assign(Brush());
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(bsSolid);
  const TRect client = ClientRect();
  canvas->FillRect(client);
  TRect r(client.Left + 2, client.Top + 2, client.Right - 2, client.Bottom - 2);
  const bool marked = Focused() || FDropping;
  if (FSelectedColor != clNone) {
    RECT box = *r.AsRect();
    DrawEdge(canvas->Handle(), &box, BDR_RAISEDOUTER, BF_RECT | BF_ADJUST | BF_FLAT);
    r = TRect(box);
    canvas->Brush()->SetColor(FSelectedColor);
    canvas->FillRect(r);
  } else {
    const TColor hatch = marked ? clBtnShadow : clBtnFace;
    const TBrushStyle brushStyle = canvas->Brush()->Style();
    const TPenStyle penStyle = canvas->Pen()->Style();
    canvas->Pen()->SetColor(hatch);
    canvas->Pen()->SetStyle(psSolid);
    canvas->Brush()->SetColor(hatch);
    canvas->Brush()->SetStyle(bsBDiagonal);
    canvas->Rectangle(r);
    canvas->Brush()->SetStyle(brushStyle);
    canvas->Pen()->SetStyle(penStyle);
  }
  if (marked) {
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Font()->SetColor(clWindowText);
    canvas->DrawFocusRect(r);
  }
  canvas->SetHandle(nullptr);
}

// ---- messages -----------------------------------------------------------------------------------

// No key reaches the edit but Alt+Down (which opens the drop-down); no right press either.
// Tab and Shift+Tab still move the focus: the form takes them before the edit would. The
// other system keys go to the desktop's handling alone, so Alt+F4 still closes the window.
void TFcColorEdit::WndProc(TMessage& m) {
  if ((m.Msg >= WM_KEYFIRST && m.Msg <= WM_KEYLAST) || m.Msg == WM_RBUTTONDOWN) {
    const bool altDown = m.Msg == WM_SYSKEYDOWN && m.WParam == VK_DOWN &&
                         KeyDataToShiftState(static_cast<LONG>(m.LParam)) == TShiftState{ssAlt};
    const bool systemKey =
        m.Msg == WM_SYSKEYDOWN || m.Msg == WM_SYSKEYUP || m.Msg == WM_SYSCHAR || m.Msg == WM_SYSDEADCHAR;
    if (!altDown) {
      m.Result = systemKey && HandleAllocated() ? DefWindowProcA(FHandle, m.Msg, m.WParam, m.LParam) : 0;
      return;
    }
  }
  std::shared_ptr<bool> alive = FAlive;
  inherited::WndProc(m);
  if (!*alive) return;
  if (m.Msg == WM_LBUTTONDOWN && !ComponentState().Contains(csDesigning) && HandleAllocated()) {
    HideCaret(FHandle);
    if (GetCapture() == FHandle) ReleaseCapture();
  }
}

void TFcColorEdit::WMSetFocus(TWMFocus& m) {
  inherited::WMSetFocus(m);
  if (HandleAllocated()) HideCaret(FHandle);
  Invalidate();
}

void TFcColorEdit::WMKillFocus(TWMFocus& m) {
  inherited::WMKillFocus(m);
  if (!FDropping) Invalidate();
}

// A press anywhere on the edit is a press on its button.
void TFcColorEdit::WMNCHitTest(TMessage& m) {
  inherited::WMNCHitTest(m);
  FOverButton = true;
}
