#include "program/controls/FSComboBox.h"

#include <algorithm>

#include "platform/comctl/ComboBox.h"
#include "platform/comctl/Edit.h"
#include "program/controls/ButtonDraw.h"
#include "program/skin/DrawUtils.h"

using namespace platform;

namespace {

bool SameTextAscii(const AnsiString& a, const char* b) {
  const size_t n = std::char_traits<char>::length(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The skin's part at a list position, nil past the end.
TSkinItemPart* PartAt(TSkinItem* item, int position) {
  return item && position < item->GetPartCount() ? item->GetPart(position) : nullptr;
}

}  // namespace

void TFSComboBox::DescribeClass(TClassBuilder<TFSComboBox>& c) {
  c.Property("SkinName", &TFSComboBox::SkinName, &TFSComboBox::SetSkinName).Stored(&TFSComboBox::IsSkinNameStored);
  c.Property("Transparent", &TFSComboBox::Transparent, &TFSComboBox::SetTransparent).Default(0);
  c.Property("EnableResizing", &TFSComboBox::EnableResizing, &TFSComboBox::SetEnableResizing).Default(0);
  c.Property("NoIntegralHeight", &TFSComboBox::NoIntegralHeight, &TFSComboBox::SetNoIntegralHeight).Default(1);
  c.Property("BorderStyle", &TFSComboBox::BorderStyle, &TFSComboBox::SetBorderStyle).Default(bsSingle);
  c.Property("ReadOnly", &TFSComboBox::ReadOnly, &TFSComboBox::SetReadOnly).Default(0);
}

TFSCustomComboBox::TFSCustomComboBox(TComponent* owner)
    : TCustomComboBox(owner), FListScrollBar(std::make_unique<TNCScrollBar>(this, SkinEngine)) {
  FListScrollBar->SetMaskFlag(false);
  FHideFocus = !GetKeyboardCues();
  UpdateSkin();
}

TFSCustomComboBox::~TFSCustomComboBox() {
  Destroying();
  FFadeAnimator.reset();
  // The list window goes with the combo's window; the bars let go of it first.
  if (HandleAllocated()) DestroyHandle();
  FListScrollBar.reset();
}

// ---- skin ---------------------------------------------------------------------------------------

void TFSCustomComboBox::UpdateSkin() {
  FSkinItem = SkinEngine ? SkinEngine->GetSkinItem(FSkinName) : nullptr;
  TSkinItemPart* first = PartAt(FSkinItem, 0);
  TSkinItemPart* third = PartAt(FSkinItem, 2);
  const bool buttonFirst = first && first->GetStateCount() > 2 && SameTextAscii(first->Name, "Button");
  FButtonSeparate = FSkinItem && FSkinItem->GetPartCount() >= 3 && buttonFirst &&
                    (third->GetStateCount() < 3 || SameTextAscii(third->Name, "Frame"));
  // The part that sets position, colour, font and transparency: the frame's.
  TSkinItemPart* applied = buttonFirst ? third : first;
  if (applied) {
    applied->ApplyToControl(this);
    ApplySkinTransparency(this, applied);
  }
  Invalidate();
}

void TFSCustomComboBox::SetSkinName(const AnsiString& value) {
  AnsiString name;
  int id = 0;
  TFSSkinEngine::ParseSkinName(value, name, id);
  if (name == FSkinName) return;
  FSkinName = name;
  FSkinItem = nullptr;
  UpdateSkin();
}

void TFSCustomComboBox::Loaded() {
  inherited::Loaded();
  UpdateSkin();
}

void TFSCustomComboBox::CMSkinChanged(TMessage& m) {
  inherited::Dispatch(m);
  UpdateSkin();
}

// ---- properties ---------------------------------------------------------------------------------

void TFSCustomComboBox::SetBorderStyle(TBorderStyle value) {
  if (value == FBorderStyle) return;
  FBorderStyle = value;
  RecreateWnd();
}

void TFSCustomComboBox::SetEnableResizing(bool value) {
  if (value == FEnableResizing) return;
  FEnableResizing = value;
  FListScrollBar->SetAddSizeGrid(value);
  RecreateWnd();
}

void TFSCustomComboBox::SetNoIntegralHeight(bool value) {
  if (value == FNoIntegralHeight) return;
  FNoIntegralHeight = value;
  RecreateWnd();
}

void TFSCustomComboBox::SetReadOnly(bool value) {
  FReadOnly = value;
  if (FEditHandle) SendMessageW(FEditHandle, EM_SETREADONLY, value ? TRUE : FALSE, 0);
}

// ---- window -------------------------------------------------------------------------------------

void TFSCustomComboBox::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style |= WS_CLIPCHILDREN;
  if (FNoIntegralHeight) params.Style |= CBS_NOINTEGRALHEIGHT;
  if (FEnableResizing) params.Style |= CBS_NOINTEGRALHEIGHT | CBS_DISABLENOSCROLL;
  params.WindowClass.style |= CS_PARENTDC;
  // The skin draws the frame: no client edge.
  params.ExStyle &= ~WS_EX_CLIENTEDGE;
}

void TFSCustomComboBox::CreateWnd() {
  inherited::CreateWnd();
  if (FEditHandle) {
    SendMessageW(FEditHandle, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    SendMessageW(FEditHandle, EM_SETREADONLY, FReadOnly ? TRUE : FALSE, 0);
  }
}

void TFSCustomComboBox::WMParentNotify(TMessage& m) {
  inherited::WMParentNotify(m);
  if (LOWORD(m.WParam) != WM_CREATE || HIWORD(m.WParam) != kComboListId) return;
  HWND list = reinterpret_cast<HWND>(m.LParam);
  // The dropped list of the drop-down styles gets the skinned bars; the simple style's list
  // is a plain child.
  if (!(GetWindowLongPtrA(list, GWL_STYLE) & WS_POPUP)) return;
  FListScrollBar->SetAddSizeGrid(FEnableResizing);
  FListScrollBar->AttachWindow(list, true);
}

// ---- geometry -----------------------------------------------------------------------------------

TRect TFSCustomComboBox::ButtonRect() {
  const TRect client = ClientRect();
  const int cxEdge = GetSystemMetrics(SM_CXEDGE);
  TRect r(client.Right - GetSystemMetrics(SM_CXVSCROLL), client.Top + cxEdge, client.Right, client.Bottom - cxEdge);
  r.Left -= cxEdge;
  r.Right -= cxEdge;
  return r;
}

TRect TFSCustomComboBox::ContentRect() {
  TRect r = ClientRect();
  r.Left += GetSystemMetrics(SM_CXEDGE);
  r.Right -= GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXVSCROLL);
  r.Top += GetSystemMetrics(SM_CYEDGE);
  r.Bottom -= GetSystemMetrics(SM_CYEDGE);
  return r;
}

// ---- painting -----------------------------------------------------------------------------------

void TFSCustomComboBox::WMPaint(TWMPaint& m) {
  if (!FSkinItem) {
    inherited::WMPaint(m);
    return;
  }
  FControlState.Include(csCustomPaint);
  inherited::WMPaint(m);
  FControlState.Exclude(csCustomPaint);
}

void TFSCustomComboBox::PaintWindow(HDC dc) {
  if (!FSkinItem) {
    inherited::PaintWindow(dc);
    return;
  }
  // The edit child shows the text: the skin and its fade frames stay off it.
  if (FEditHandle && IsWindowVisible(FEditHandle)) {
    RECT edit{};
    GetWindowRect(FEditHandle, &edit);
    POINT corner{edit.left, edit.top};
    ::ScreenToClient(FHandle, &corner);
    ExcludeClipRect(dc, corner.x, corner.y, corner.x + (edit.right - edit.left), corner.y + (edit.bottom - edit.top));
  }
  {
    TCanvasLock lock(FCanvas.get());
    FCanvas->SetHandle(dc);
    PaintSkin();
    FCanvas->SetHandle(nullptr);
  }
  // A repaint of the box may have been drawn over by its parent first (a parent that does
  // not clip its children): the edit paints again after it.
  if (FEditHandle) RedrawWindow(FEditHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE);
}

void TFSCustomComboBox::PaintSkin() {
  TCanvas* canvas = FCanvas.get();
  const TRect client = ClientRect();
  const bool dropped = DroppedDown();
  const bool focused = Focused();
  // The focus and the dropped state stand where the fade looks for pressed and focused, so a
  // change of either stops a running fade: only the hover fades.
  TSkinFadePaint fade(FFadeAnimator, this, canvas, client, {Enabled(), FHot, focused, dropped});
  if (!fade.Painting()) return;

  if (TSkinItemState* frame = FSkinItem->GetPartState(FramePartId(), Enabled(), FHot, dropped)) {
    frame->Draw(canvas, client);
  } else {
    canvas->Brush()->SetColor(Color());
    canvas->Pen()->SetColor(FBorderStyle == bsSingle ? clBlack : Color());
    canvas->Rectangle(client);
  }

  if (FStyle != csSimple) {
    const TRect button = ButtonRect();
    const RECT buttonRect{button.Left, button.Top, button.Right, button.Bottom};
    if (RectVisible(canvas->Handle(), &buttonRect)) {
      if (TSkinItemState* face = FSkinItem->GetPartState(ButtonPartId(), Enabled(), FHot, dropped))
        face->Draw(canvas, button);
      if (TSkinItemState* glyph = FSkinItem->GetPartState(GlyphPartId(), Enabled(), FHot, dropped)) {
        const int x = button.Left + std::max(0, (button.Width() - glyph->GetWidth()) / 2);
        const int y = button.Top + (button.Height() - glyph->GetHeight()) / 2;
        glyph->Draw(canvas, TRect(x, y, x + glyph->GetWidth(), y + glyph->GetHeight()));
      }
    }
  }

  TRect content = ContentRect();
  switch (FStyle) {
    case csDropDown: break;
    case csDropDownList: {
      canvas->SetFont(Font());
      canvas->Brush()->SetStyle(bsClear);
      TRect text = content;
      text.Left += 1;
      text.Right += 1;
      DrawCanvasText(canvas, Text(), text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      if (!FHideFocus && !dropped && focused) {
        canvas->Brush()->SetColor(Color());
        DrawFocusRectCanvas(canvas, content);
      }
      break;
    }
    default: {
      TRect r = content;
      r.Left += 1;
      r.Right += 1;
      r.Top += 1;
      r.Bottom += 1;
      canvas->SetFont(Font());
      canvas->SetBrush(Brush());
      TOwnerDrawState state;
      if (!Enabled()) state.Include(odDisabled);
      if (focused && !dropped) {
        state.Include(odSelected);
        state.Include(odFocused);
      }
      canvas->Brush()->SetStyle(bsClear);
      HDC dc = canvas->Handle();
      const int saved = SaveDC(dc);
      IntersectClipRect(dc, content.Left, content.Top, content.Right, content.Bottom);
      DrawItem(ItemIndex(), r, state);
      RestoreDC(dc, saved);
      break;
    }
  }
}

void TFSCustomComboBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  FCanvas->FillRect(rect);
  if (index < 0 || index >= Items()->Count()) return;
  const AnsiString text = Items()->Get(index);
  const int height = FCanvas->TextHeight(text);
  FCanvas->TextOut(rect.Left + 2, rect.Top + (rect.Height() - height) / 2, text);
}

void TFSCustomComboBox::WMEraseBkgnd(TWMEraseBkgnd& m) {
  const bool erased = EraseTransparentBackground(this, m);
  if (FSkinItem && FSkinItem->GetPartState(0, true, false, false)) {
    m.SetResult(1);
    return;
  }
  if (erased) return;
  if (FStyle == csSimple) {
    RECT client{};
    GetClientRect(FHandle, &client);
    HBRUSH brush = Parent() ? Parent()->Brush()->Handle() : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    FillRect(m.DC, &client, brush);
    m.SetResult(1);
    return;
  }
  inherited::WMEraseBkgnd(m);
}

// The skin under the edit text. The edit child's place inside the combo box is read from the
// edit window the combo box names, so the skin lines up wherever the field is laid out.
void TFSCustomComboBox::PaintSkinUnderEdit(HDC editDc) {
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  TPoint offset(0, 0);
  if (GetComboBoxInfo(FHandle, &info) && info.hwndItem && info.hwndItem != FHandle) {
    RECT edit{};
    GetWindowRect(info.hwndItem, &edit);
    POINT corner{edit.left, edit.top};
    ::ScreenToClient(FHandle, &corner);
    offset = TPoint(corner.x, corner.y);
  }
  const int saved = SaveDC(editDc);
  SetWindowOrgEx(editDc, offset.X, offset.Y, nullptr);
  const TRect content = ContentRect();
  IntersectClipRect(editDc, content.Left, content.Top, content.Right, content.Bottom);
  TCanvas canvas;
  canvas.SetHandle(editDc);
  const TRect client = ClientRect();
  if (TSkinItemState* frame = FSkinItem->GetPartState(FramePartId(), Enabled(), FHot, DroppedDown())) {
    frame->Draw(&canvas, client);
  } else {
    canvas.Brush()->SetColor(Color());
    canvas.Pen()->SetColor(FBorderStyle == bsSingle ? clBlack : Color());
    canvas.Rectangle(client);
  }
  canvas.SetHandle(nullptr);
  RestoreDC(editDc, saved);
}

void TFSCustomComboBox::CNCtlColor(TMessage& m) {
  const bool edit = m.Msg == WM_CTLCOLOREDIT || m.Msg == CN_CTLCOLOREDIT;
  const bool staticColour = m.Msg == WM_CTLCOLORSTATIC || m.Msg == CN_CTLCOLORSTATIC;
  if (!(edit || (staticColour && FSkinItem))) {
    inherited::CNCtlColor(m);
    return;
  }
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  if (Color() == clNone && FSkinItem) {
    PaintSkinUnderEdit(dc);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Font()->Color()));
    m.Result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    return;
  }
  SetTextColor(dc, ColorToRGB(Font()->Color()));
  SetBkColor(dc, ColorToRGB(Brush()->Color()));
  m.Result = reinterpret_cast<LRESULT>(Brush()->Handle());
}

// ---- hover, focus and notifications -------------------------------------------------------------

void TFSCustomComboBox::SetHot(bool value) {
  if (value == FHot) return;
  FHot = value;
  if (!HandleAllocated()) return;
  if (FStyle == csDropDown) {
    const TRect button = ButtonRect();
    const RECT r{button.Left, button.Top, button.Right, button.Bottom};
    InvalidateRect(FHandle, &r, TRUE);
  } else {
    RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  }
}

void TFSCustomComboBox::MouseMove(TShiftState shift, int x, int y) {
  inherited::MouseMove(shift, x, y);
  const TRect button = ButtonRect();
  SetHot(x >= button.Left && x < button.Right && y >= button.Top && y < button.Bottom);
}

void TFSCustomComboBox::WMNCMouseMove(TMessage& m) {
  DefaultHandler(m);
  RECT window{};
  GetWindowRect(FHandle, &window);
  const int cxEdge = GetSystemMetrics(SM_CXEDGE);
  const TRect button(window.right - GetSystemMetrics(SM_CXVSCROLL) - cxEdge, window.top + cxEdge,
                     window.right - cxEdge, window.bottom - cxEdge);
  const int x = static_cast<short>(LOWORD(m.LParam)), y = static_cast<short>(HIWORD(m.LParam));
  const bool hot = x >= button.Left && x < button.Right && y >= button.Top && y < button.Bottom;
  SetHot(hot);
  if (hot) {
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE | TME_NONCLIENT, FHandle, HOVER_DEFAULT};
    TrackMouseEvent(&track);
  }
}

void TFSCustomComboBox::WMNCMouseLeave(TMessage& m) {
  DefaultHandler(m);
  SetHot(false);
}

void TFSCustomComboBox::CMMouseLeave(TCMMouseEnterLeave& m) {
  inherited::CMMouseLeave(m);
  SetHot(false);
}

void TFSCustomComboBox::CMEnabledChanged(TMessage& m) {
  inherited::CMEnabledChanged(m);
  StopSkinFade(FFadeAnimator);
  Invalidate();
}

void TFSCustomComboBox::WMSetFocus(TWMFocus& m) {
  inherited::WMSetFocus(m);
  if (Focused()) Invalidate();
}

void TFSCustomComboBox::WMKillFocus(TWMFocus& m) {
  inherited::WMKillFocus(m);
  Repaint();
}

void TFSCustomComboBox::CNCommand(TWMCommand& m) {
  inherited::CNCommand(m);
  if (m.NotifyCode == CBN_CLOSEUP) Invalidate();
}

void TFSCustomComboBox::WMUpdateUIState(TMessage& m) {
  DefaultHandler(m);
  const WORD action = LOWORD(m.WParam);
  if (action != UIS_SET && action != UIS_CLEAR) return;
  if (HIWORD(m.WParam) & UISF_HIDEFOCUS) FHideFocus = action == UIS_SET;
  Invalidate();
}

void TFSCustomComboBox::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_NCMOUSEMOVE: WMNCMouseMove(m); return;
    case WM_NCMOUSELEAVE: WMNCMouseLeave(m); return;
    case WM_UPDATEUISTATE: WMUpdateUIState(m); return;
    case CM_SKINCHANGED: CMSkinChanged(m); return;
    case CB_SETCURSEL:
      inherited::Dispatch(m);
      if (FSkinItem && FStyle >= csDropDownList && HandleAllocated())
        RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
      return;
    default: inherited::Dispatch(m); return;
  }
}
