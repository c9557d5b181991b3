#include "program/controls/FSTreeView.h"

#include "platform/comctl/ToolBar.h"
#include "platform/comctl/TreeView.h"
#include "program/skin/DrawUtils.h"

using namespace platform;

void TFSTreeView::DescribeClass(TClassBuilder<TFSTreeView>& c) {
  c.Property("BorderColor", &TFSTreeView::BorderColor, &TFSTreeView::SetBorderColor).Default(clWindowFrame);
  c.Property("ItemHeight", &TFSTreeView::ItemHeight, &TFSTreeView::SetItemHeight).Default(-1);
  c.Property("ClickExpand", &TFSTreeView::ClickExpand, &TFSTreeView::SetClickExpand).Default(0);
  c.Property("Checkboxes", &TFSTreeView::Checkboxes, &TFSTreeView::SetCheckboxes).Default(0);
  c.Property("Transparent", &TFSTreeView::Transparent, &TFSTreeView::SetTransparent).Default(0);
  c.Property("OnCheckItem", static_cast<TTVCheckItemEvent TFSTreeView::*>(&TFSTreeView::OnCheckItem));
}

TFSCustomTreeView::TFSCustomTreeView(TComponent* owner)
    : TCustomTreeView(owner), FScrollBars(std::make_unique<TNCScrollBar>(this, SkinEngine)) {}

TFSCustomTreeView::~TFSCustomTreeView() {
  Destroying();
  if (HandleAllocated()) DestroyHandle();
  FScrollBars.reset();
}

void TFSCustomTreeView::SetBorderColor(TColor value) {
  FBorderColor = value;
  if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

void TFSCustomTreeView::SetItemHeight(int value) {
  FItemHeight = value;
  if (HandleAllocated()) Perform(TVM_SETITEMHEIGHT, static_cast<WPARAM>(value));
}

void TFSCustomTreeView::SetCheckboxes(bool value) {
  if (value == FCheckboxes) return;
  FCheckboxes = value;
  if (!HandleAllocated()) return;
  // Switching the boxes off takes a new window (the boxes' state images go with the old one).
  if (value) SetWindowLongPtrA(Handle(), GWL_STYLE, GetWindowLongPtrA(Handle(), GWL_STYLE) | TVS_CHECKBOXES);
  else RecreateWnd();
}

void TFSCustomTreeView::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  // A single border without the 3-D look is one line, in BorderColor.
  if (BorderStyle() == bsSingle && !Ctl3D()) {
    params.ExStyle &= ~WS_EX_CLIENTEDGE;
    params.Style |= WS_BORDER;
  }
}

void TFSCustomTreeView::CreateWnd() {
  inherited::CreateWnd();
  FScrollBars->AttachControl(this, false);
  Perform(TVM_SETITEMHEIGHT, static_cast<WPARAM>(FItemHeight));
  const LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
  SetWindowLongPtrA(Handle(), GWL_STYLE, FCheckboxes ? style | TVS_CHECKBOXES : style & ~static_cast<LONG_PTR>(TVS_CHECKBOXES));
  Perform(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(Images() ? Images()->Handle() : nullptr));
}

bool TFSCustomTreeView::NodeChecked(TTreeNode* node) {
  if (!node || node->Deleting() || !HandleAllocated()) return false;
  const LRESULT state = Perform(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node->ItemId()), TVIS_STATEIMAGEMASK);
  return ((state & TVIS_STATEIMAGEMASK) >> 12) - 1 != 0;
}

bool TFSCustomTreeView::CheckBoxClick(TMessage& m) {
  TVHITTESTINFO hit{};
  hit.pt = POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  HTREEITEM item = reinterpret_cast<HTREEITEM>(Perform(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (!item || !(hit.flags & TVHT_ONITEMSTATEICON)) return false;
  if (OnCheckItem) {
    TVITEMW data{};
    data.mask = TVIF_PARAM | TVIF_HANDLE;
    data.hItem = item;
    Perform(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    auto* node = reinterpret_cast<TTreeNode*>(data.lParam);
    if (node) OnCheckItem(this, node, NodeChecked(node));
  }
  return true;
}

void TFSCustomTreeView::WMKeyDown(TWMKey& m) {
  TTreeNode* node = Selected();
  const bool boxes = HandleAllocated() && (GetWindowLongPtrA(Handle(), GWL_STYLE) & TVS_CHECKBOXES);
  if (m.CharCode != VK_SPACE || !boxes || !node) {
    inherited::WMKeyDown(m);
    return;
  }
  // The key events run; the window never toggles the box itself.
  if (DoKeyDown(m)) return;
  if (OnCheckItem) OnCheckItem(this, node, NodeChecked(node));
}

void TFSCustomTreeView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseDown(button, shift, x, y);
  if (!FClickExpand) return;
  TTreeNode* node = GetNodeAt(x, y);
  if (!node) return;
  if (node->Expanded()) node->Collapse(false);
  else node->Expand(false);
}

void TFSCustomTreeView::WMEraseBkgnd(TWMEraseBkgnd& m) {
  if (!EraseTransparentBackground(this, m)) inherited::WMEraseBkgnd(m);
}

void TFSCustomTreeView::WMNCPaint(TMessage& m) {
  inherited::WMNCPaint(m);
  if (BorderStyle() == bsSingle && !Ctl3D())
    DrawWindowFrame(Handle(), reinterpret_cast<HRGN>(m.WParam), clNone, FBorderColor, false);
}

void TFSCustomTreeView::WMPrint(TMessage& m) {
  const bool doubleBuffered = DoubleBuffered();
  SetDoubleBuffered(false);
  DefaultHandler(m);
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  const bool hiddenSkip = (!IsWindowVisible(Handle()) && !dc) || (m.LParam & PRF_CHECKVISIBLE);
  if (!hiddenSkip && BorderStyle() == bsSingle && (m.LParam & PRF_NONCLIENT))
    DrawFrameColors(dc, TRect(0, 0, Width(), Height()), Color(), FBorderColor, false);
  SetDoubleBuffered(doubleBuffered);
}

void TFSCustomTreeView::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (CheckBoxClick(m)) return;
      inherited::Dispatch(m);
      return;
    case WM_PRINT: WMPrint(m); return;
    default: inherited::Dispatch(m); return;
  }
}

// ---- the tool bar -------------------------------------------------------------------------------

void TFSToolBar::DescribeClass(TClassBuilder<TFSToolBar>& c) { (void)c; }

void TFSToolBar::Loaded() {
  inherited::Loaded();
  SetParentBackground(Transparent());
}

void TFSToolBar::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  if (params.Style & TBSTYLE_TRANSPARENT) FControlStyle.Include(csParentBackground);
  else FControlStyle.Exclude(csParentBackground);
}

void TFSToolBar::CreateWnd() {
  inherited::CreateWnd();
  Perform(TB_SETEXTENDEDSTYLE, 0, Perform(TB_GETEXTENDEDSTYLE) | TBSTYLE_EX_DOUBLEBUFFER);
}

void TFSToolBar::WMEraseBkgnd(TWMEraseBkgnd& m) {
  if (!EraseTransparentBackground(this, Transparent(), m)) inherited::WMEraseBkgnd(m);
}
