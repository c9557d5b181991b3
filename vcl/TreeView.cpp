#include "vcl/TreeView.h"

#include <algorithm>
#include <functional>

#include "platform/comctl/TreeView.h"
#include "vcl/Canvas.h"
#include "vcl/Colors.h"
#include "rtl/Strings.h"
#include "rtl/Format.h"

using namespace platform;

namespace {

// The window's text form is UTF-16; the view asks for it once its window exists.
std::u16string Wide(const AnsiString& text) { return UTF8ToWide(text); }

}  // namespace

// ---- TTreeNode -------------------------------------------------------------------------------

TTreeNode::TTreeNode(TTreeNodes* owner) : FOwner(owner) {}

TTreeNode::~TTreeNode() = default;

TCustomTreeView* TTreeNode::TreeView() const { return FOwner->Owner(); }

TTreeNode* TTreeNode::Item(int index) const {
  if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", {index}));
  return FChildren[static_cast<size_t>(index)];
}

int TTreeNode::Index() const {
  const auto& siblings = FParent ? FParent->FChildren : FOwner->FRoots;
  return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

int TTreeNode::Level() const {
  int level = 0;
  for (TTreeNode* p = FParent; p; p = p->FParent) ++level;
  return level;
}

int TTreeNode::AbsoluteIndex() const {
  int index = 0;
  for (const TTreeNode* n = FOwner->GetFirstNode(); n && n != this; n = n->GetNext()) ++index;
  return index;
}

bool TTreeNode::HasAsParent(const TTreeNode* value) const {
  for (TTreeNode* p = FParent; p; p = p->FParent)
    if (p == value) return true;
  return false;
}

TTreeNode* TTreeNode::GetNextSibling() const {
  const auto& siblings = FParent ? FParent->FChildren : FOwner->FRoots;
  const int i = Index() + 1;
  return i < static_cast<int>(siblings.size()) ? siblings[static_cast<size_t>(i)] : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  const auto& siblings = FParent ? FParent->FChildren : FOwner->FRoots;
  const int i = Index() - 1;
  return i >= 0 ? siblings[static_cast<size_t>(i)] : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
  if (!FChildren.empty()) return FChildren.front();
  for (const TTreeNode* n = this; n; n = n->FParent)
    if (TTreeNode* next = n->GetNextSibling()) return next;
  return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const {
  TTreeNode* prev = GetPrevSibling();
  if (!prev) return FParent;
  while (!prev->FChildren.empty()) prev = prev->FChildren.back();
  return prev;
}

bool TTreeNode::IsVisible() const {
  for (TTreeNode* p = FParent; p; p = p->FParent)
    if (!p->Expanded()) return false;
  return true;
}

TTreeNode* TTreeNode::GetNextVisible() const {
  for (TTreeNode* n = (Expanded() && !FChildren.empty()) ? FChildren.front() : nullptr; n;) return n;
  for (const TTreeNode* n = this; n; n = n->FParent)
    if (TTreeNode* next = n->GetNextSibling()) return next;
  return nullptr;
}

TTreeNode* TTreeNode::GetPrevVisible() const {
  TTreeNode* prev = GetPrevSibling();
  if (!prev) return FParent;
  while (prev->Expanded() && !prev->FChildren.empty()) prev = prev->FChildren.back();
  return prev;
}

UINT TTreeNode::StateBits() const {
  UINT state = 0;
  if (FBold) state |= TVIS_BOLD;
  if (FCut) state |= TVIS_CUT;
  if (FOverlayIndex >= 0) state |= INDEXTOOVERLAYMASK(static_cast<UINT>(FOverlayIndex));
  if (FStateIndex >= 0) state |= INDEXTOSTATEIMAGEMASK(static_cast<UINT>(FStateIndex));
  return state;
}

// Puts the node (and its children) into the window after `after` under its parent's item.
HTREEITEM TTreeNode::Insert(HTREEITEM after) {
  TCustomTreeView* view = TreeView();
  std::u16string text = Wide(FText);
  TVINSERTSTRUCTW insert{};
  insert.hParent = FParent ? FParent->FItemId : TVI_ROOT;
  insert.hInsertAfter = after;
  insert.itemex.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
  insert.itemex.pszText = text.data();
  insert.itemex.lParam = reinterpret_cast<LPARAM>(this);
  insert.itemex.iImage = FImageIndex;
  insert.itemex.iSelectedImage = FSelectedIndex;
  insert.itemex.state = StateBits();
  insert.itemex.stateMask = TVIS_BOLD | TVIS_CUT | (FOverlayIndex >= 0 ? TVIS_OVERLAYMASK : 0) |
                            (FStateIndex >= 0 ? TVIS_STATEIMAGEMASK : 0);
  if (FHasChildren) {
    insert.itemex.mask |= TVIF_CHILDREN;
    insert.itemex.cChildren = 1;
  }
  FItemId = reinterpret_cast<HTREEITEM>(view->Perform(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  for (TTreeNode* child : FChildren) child->Insert(TVI_LAST);
  if (FExpanded && FItemId) {
    view->FExpandingByNode = true;
    view->Perform(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(FItemId));
    view->FExpandingByNode = false;
  }
  return FItemId;
}

// Before the window goes: what only the window knows (expansion, the state image).
void TTreeNode::ReadFromWindow() {
  if (!FItemId) return;
  TCustomTreeView* view = TreeView();
  const auto state = static_cast<UINT>(view->Perform(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(FItemId),
                                                     TVIS_EXPANDED | TVIS_STATEIMAGEMASK));
  FExpanded = (state & TVIS_EXPANDED) != 0;
  FStateIndex = static_cast<int>((state & TVIS_STATEIMAGEMASK) >> 12);
  for (TTreeNode* child : FChildren) child->ReadFromWindow();
  FItemId = nullptr;
}

void TTreeNode::SetText(const AnsiString& value) {
  FText = value;
  if (!FItemId) return;
  std::u16string text = Wide(value);
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.hItem = FItemId;
  item.pszText = text.data();
  TreeView()->Perform(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

namespace {

void SetWindowItem(TCustomTreeView* view, HTREEITEM id, UINT mask, UINT state, UINT stateMask, int image = 0, int selected = 0,
                   int children = 0) {
  if (!id) return;
  TVITEMW item{};
  item.mask = mask;
  item.hItem = id;
  item.state = state;
  item.stateMask = stateMask;
  item.iImage = image;
  item.iSelectedImage = selected;
  item.cChildren = children;
  view->Perform(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void TTreeNode::SetImageIndex(int value) {
  FImageIndex = value;
  SetWindowItem(TreeView(), FItemId, TVIF_IMAGE, 0, 0, value);
}

void TTreeNode::SetSelectedIndex(int value) {
  FSelectedIndex = value;
  SetWindowItem(TreeView(), FItemId, TVIF_SELECTEDIMAGE, 0, 0, 0, value);
}

int TTreeNode::StateIndex() const {
  if (!FItemId) return FStateIndex;
  const auto state = static_cast<UINT>(
      TreeView()->Perform(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(FItemId), TVIS_STATEIMAGEMASK));
  return static_cast<int>(state >> 12);
}

void TTreeNode::SetStateIndex(int value) {
  FStateIndex = value;
  SetWindowItem(TreeView(), FItemId, TVIF_STATE, INDEXTOSTATEIMAGEMASK(static_cast<UINT>(std::max(value, 0))),
                TVIS_STATEIMAGEMASK);
}

void TTreeNode::SetOverlayIndex(int value) {
  FOverlayIndex = value;
  SetWindowItem(TreeView(), FItemId, TVIF_STATE, INDEXTOOVERLAYMASK(static_cast<UINT>(std::max(value, 0))),
                TVIS_OVERLAYMASK);
}

bool TTreeNode::HasChildren() const { return FHasChildren || !FChildren.empty(); }

void TTreeNode::SetHasChildren(bool value) {
  FHasChildren = value;
  SetWindowItem(TreeView(), FItemId, TVIF_CHILDREN, 0, 0, 0, 0, value ? 1 : 0);
}

void TTreeNode::SetBold(bool value) {
  FBold = value;
  SetWindowItem(TreeView(), FItemId, TVIF_STATE, value ? TVIS_BOLD : 0, TVIS_BOLD);
}

void TTreeNode::SetCut(bool value) {
  FCut = value;
  SetWindowItem(TreeView(), FItemId, TVIF_STATE, value ? TVIS_CUT : 0, TVIS_CUT);
}

bool TTreeNode::DropTarget() const { return TreeView()->DropTarget() == this; }

void TTreeNode::SetDropTarget(bool value) {
  if (value) TreeView()->SetDropTarget(this);
  else if (DropTarget()) TreeView()->SetDropTarget(nullptr);
}

bool TTreeNode::Expanded() const {
  if (!FItemId) return FExpanded;
  return TreeView()->Perform(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(FItemId), TVIS_EXPANDED) != 0;
}

void TTreeNode::SetExpanded(bool value) {
  if (value) Expand(false);
  else Collapse(false);
}

// The node asks the view's events itself, so the window's notifications for its own expansion
// are not passed on a second time.
void TTreeNode::Expand(bool recurse) {
  TCustomTreeView* view = TreeView();
  if (HasChildren() && !Expanded() && view->CanExpand(this)) {
    FExpanded = true;
    if (FItemId) {
      view->FExpandingByNode = true;
      view->Perform(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(FItemId));
      view->FExpandingByNode = false;
    }
    view->Expand(this);
  }
  if (recurse)
    for (TTreeNode* child : std::vector<TTreeNode*>(FChildren)) child->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
  TCustomTreeView* view = TreeView();
  if (Expanded() && view->CanCollapse(this)) {
    FExpanded = false;
    if (FItemId) {
      view->FExpandingByNode = true;
      view->Perform(TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(FItemId));
      view->FExpandingByNode = false;
    }
    view->Collapse(this);
  }
  if (recurse)
    for (TTreeNode* child : std::vector<TTreeNode*>(FChildren)) child->Collapse(true);
}

bool TTreeNode::Selected() const { return TreeView()->Selected() == this; }

void TTreeNode::SetSelected(bool value) {
  if (value) TreeView()->SetSelected(this);
  else if (Selected()) TreeView()->SetSelected(nullptr);
}

void TTreeNode::MakeVisible() {
  if (FItemId) TreeView()->Perform(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(FItemId));
  else
    for (TTreeNode* p = FParent; p; p = p->FParent) p->FExpanded = true;
}

TRect TTreeNode::DisplayRect(bool textOnly) const {
  if (!FItemId) return TRect();
  RECT r{};
  *reinterpret_cast<HTREEITEM*>(&r) = FItemId;
  if (!TreeView()->Perform(TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(&r))) return TRect();
  return TRect(r);
}

bool TTreeNode::EditText() {
  TCustomTreeView* view = TreeView();
  if (!FItemId) view->HandleNeeded();
  return FItemId && view->Perform(TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(FItemId)) != 0;
}

void TTreeNode::EndEdit(bool cancel) {
  if (TreeView()->HandleAllocated()) TreeView()->Perform(TVM_ENDEDITLABELNOW, cancel, 0);
}

void TTreeNode::Delete() { FOwner->Delete(this); }

void TTreeNode::DeleteChildren() {
  while (!FChildren.empty()) FOwner->Delete(FChildren.back());
  FHasChildren = false;
}

void TTreeNode::MoveTo(TTreeNode* destination, TNodeAttachMode mode) {
  if (destination == this || (destination && destination->HasAsParent(this))) return;
  TCustomTreeView* view = TreeView();
  const bool selected = Selected();
  if (HTREEITEM old = FItemId) {
    // The branch's window items go; its nodes stay and come back in their new place.
    ReadFromWindow();
    view->FDestroyingWindow = true;
    view->Perform(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(old));
    view->FDestroyingWindow = false;
  }
  auto& siblings = FOwner->SiblingsOf(FParent);
  siblings.erase(std::find(siblings.begin(), siblings.end(), this));
  TTreeNode* parent;
  size_t position;
  if (mode == naAddChild || mode == naAddChildFirst) {
    parent = destination;
    position = mode == naAddChildFirst ? 0 : FOwner->SiblingsOf(parent).size();
  } else {
    parent = destination ? destination->FParent : nullptr;
    auto& target = FOwner->SiblingsOf(parent);
    const size_t at = destination
                          ? static_cast<size_t>(std::find(target.begin(), target.end(), destination) - target.begin())
                          : target.size();
    position = mode == naAddFirst ? 0 : mode == naInsert ? at : target.size();
  }
  FParent = parent;
  auto& target = FOwner->SiblingsOf(parent);
  position = std::min(position, target.size());
  target.insert(target.begin() + static_cast<std::ptrdiff_t>(position), this);
  if (view->HandleAllocated() && (!parent || parent->FItemId)) {
    Insert(position == 0 ? TVI_FIRST : target[position - 1]->FItemId);
    if (parent && parent->FItemId) view->Perform(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent->FItemId));
  }
  if (selected) view->SetSelected(this);
}

bool TTreeNode::AlphaSort(bool recurse) {
  std::stable_sort(FChildren.begin(), FChildren.end(),
                   [](TTreeNode* a, TTreeNode* b) { return AnsiCompareText(a->FText, b->FText) < 0; });
  if (recurse)
    for (TTreeNode* child : FChildren) child->AlphaSort(true);
  if (FItemId) TreeView()->Perform(TVM_SORTCHILDREN, recurse, reinterpret_cast<LPARAM>(FItemId));
  return true;
}

// ---- TTreeNodes ------------------------------------------------------------------------------

TTreeNodes::TTreeNodes(TCustomTreeView* owner) : FOwner(owner) {}

TTreeNodes::~TTreeNodes() {
  std::function<void(TTreeNode*)> free = [&](TTreeNode* node) {
    for (TTreeNode* child : node->FChildren) free(child);
    delete node;
  };
  for (TTreeNode* root : FRoots) free(root);
}

int TTreeNodes::Count() const {
  int count = 0;
  for (const TTreeNode* n = GetFirstNode(); n; n = n->GetNext()) ++count;
  return count;
}

TTreeNode* TTreeNodes::Item(int index) const {
  TTreeNode* n = GetFirstNode();
  for (int i = 0; n && i < index; ++i) n = n->GetNext();
  if (!n || index < 0) throw EListError(Format("List index out of bounds (%d)", {index}));
  return n;
}

TTreeNode* TTreeNodes::GetNode(HTREEITEM item) const {
  if (!item || !FOwner->HandleAllocated()) return nullptr;
  TVITEMW tv{};
  tv.mask = TVIF_PARAM;
  tv.hItem = item;
  if (!FOwner->Perform(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return nullptr;
  return reinterpret_cast<TTreeNode*>(tv.lParam);
}

TTreeNode* TTreeNodes::Attach(TTreeNode* parent, size_t position, const AnsiString& text, void* data) {
  auto node = std::make_unique<TTreeNode>(this);
  node->FText = text;
  node->FData = data;
  node->FParent = parent;
  auto& siblings = SiblingsOf(parent);
  position = std::min(position, siblings.size());
  TTreeNode* raw = node.release();
  siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(position), raw);
  if (FOwner->HandleAllocated() && (!parent || parent->FItemId)) {
    HTREEITEM after = position == 0 ? TVI_FIRST : siblings[position - 1]->FItemId;
    if (FOwner->FSortType == stText || FOwner->FSortType == stBoth) after = TVI_SORT;
    if (!raw->Insert(after ? after : TVI_LAST)) {
      siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(position));
      delete raw;
      throw EInvalidOperation("Failed to create tree view item");
    }
    if (after == TVI_SORT) {
      // Keep the node list in the window's order.
      std::stable_sort(siblings.begin(), siblings.end(),
                       [](TTreeNode* a, TTreeNode* b) { return AnsiCompareText(a->FText, b->FText) < 0; });
    }
  }
  return raw;
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* sibling, const AnsiString& text, void* data) {
  TTreeNode* parent = sibling ? sibling->FParent : nullptr;
  return Attach(parent, SiblingsOf(parent).size(), text, data);
}

TTreeNode* TTreeNodes::AddObjectFirst(TTreeNode* sibling, const AnsiString& text, void* data) {
  return Attach(sibling ? sibling->FParent : nullptr, 0, text, data);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* parent, const AnsiString& text, void* data) {
  return Attach(parent, SiblingsOf(parent).size(), text, data);
}

TTreeNode* TTreeNodes::AddChildObjectFirst(TTreeNode* parent, const AnsiString& text, void* data) {
  return Attach(parent, 0, text, data);
}

TTreeNode* TTreeNodes::InsertObject(TTreeNode* sibling, const AnsiString& text, void* data) {
  if (!sibling) return AddObject(nullptr, text, data);
  return Attach(sibling->FParent, static_cast<size_t>(sibling->Index()), text, data);
}

void TTreeNodes::Delete(TTreeNode* node) {
  if (!node || node->FDeleting) return;
  if (node->FItemId && FOwner->HandleAllocated()) {
    // The window's TVN_DELETEITEM for each item takes the node objects down (children first).
    FOwner->Perform(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node->FItemId));
    return;
  }
  // Without a window: the branch goes here, children first, each reported.
  while (!node->FChildren.empty()) Delete(node->FChildren.back());
  node->FDeleting = true;
  FOwner->Delete(node);
  auto& siblings = SiblingsOf(node->FParent);
  siblings.erase(std::find(siblings.begin(), siblings.end(), node));
  if (FOwner->FSavedSelected == node) FOwner->FSavedSelected = nullptr;
  if (FOwner->FSavedTop == node) FOwner->FSavedTop = nullptr;
  delete node;
}

void TTreeNodes::Clear() {
  BeginUpdate();
  while (!FRoots.empty()) Delete(FRoots.back());
  EndUpdate();
}

void TTreeNodes::BeginUpdate() {
  if (FUpdateCount++ == 0 && FOwner->HandleAllocated()) FOwner->Perform(WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0 && FOwner->HandleAllocated()) FOwner->Perform(WM_SETREDRAW, TRUE, 0);
}

// ---- TCustomTreeView ------------------------------------------------------------------------

void TCustomTreeView::DescribeClass(TClassBuilder<TCustomTreeView>& c) {
  c.Property("ShowButtons", &TCustomTreeView::ShowButtons, &TCustomTreeView::SetShowButtons).Default(1);
  c.Property("ShowLines", &TCustomTreeView::ShowLines, &TCustomTreeView::SetShowLines).Default(1);
  c.Property("ShowRoot", &TCustomTreeView::ShowRoot, &TCustomTreeView::SetShowRoot).Default(1);
  c.Property("ReadOnly", &TCustomTreeView::ReadOnly, &TCustomTreeView::SetReadOnly).Default(0);
  c.Property("HideSelection", &TCustomTreeView::HideSelection, &TCustomTreeView::SetHideSelection).Default(1);
  c.Property("HotTrack", &TCustomTreeView::HotTrack, &TCustomTreeView::SetHotTrack).Default(0);
  c.Property("RowSelect", &TCustomTreeView::RowSelect, &TCustomTreeView::SetRowSelect).Default(0);
  c.Property("AutoExpand", &TCustomTreeView::AutoExpand, &TCustomTreeView::SetAutoExpand).Default(0);
  c.Property("ToolTips", &TCustomTreeView::ToolTips, &TCustomTreeView::SetToolTips).Default(1);
  c.Property("RightClickSelect", &TCustomTreeView::RightClickSelect, &TCustomTreeView::SetRightClickSelect).Default(0);
  c.Property("BorderStyle", &TCustomTreeView::BorderStyle, &TCustomTreeView::SetBorderStyle).Default(bsSingle);
  c.Property("Indent", &TCustomTreeView::Indent, &TCustomTreeView::SetIndent);
  c.Property("SortType", &TCustomTreeView::SortType, &TCustomTreeView::SetSortType).Default(stNone);
  c.Property("ChangeDelay", &TCustomTreeView::ChangeDelay, &TCustomTreeView::SetChangeDelay).Default(0);
  c.Property("Images", &TCustomTreeView::Images, &TCustomTreeView::SetImages);
  c.Property("StateImages", &TCustomTreeView::StateImages, &TCustomTreeView::SetStateImages);
  c.Property("OnChanging", &TCustomTreeView::OnChanging);
  c.Property("OnChange", &TCustomTreeView::OnChange);
  c.Property("OnExpanding", &TCustomTreeView::OnExpanding);
  c.Property("OnExpanded", &TCustomTreeView::OnExpanded);
  c.Property("OnCollapsing", &TCustomTreeView::OnCollapsing);
  c.Property("OnCollapsed", &TCustomTreeView::OnCollapsed);
  c.Property("OnEditing", &TCustomTreeView::OnEditing);
  c.Property("OnEdited", &TCustomTreeView::OnEdited);
  c.Property("OnDeletion", &TCustomTreeView::OnDeletion);
  c.Property("OnCompare", &TCustomTreeView::OnCompare);
  c.Property("OnCustomDraw", &TCustomTreeView::OnCustomDraw);
  c.Property("OnCustomDrawItem", &TCustomTreeView::OnCustomDrawItem);
  c.Property("OnClick", &TCustomTreeView::OnClick);
  c.Property("OnDblClick", &TCustomTreeView::OnDblClick);
}

TCustomTreeView::TCustomTreeView(TComponent* owner)
    : TWinControl(owner),
      FTreeNodes(std::make_unique<TTreeNodes>(this)),
      FCanvas(std::make_unique<TCanvas>()),
      FImageChangeLink(std::make_unique<TChangeLink>()),
      FStateChangeLink(std::make_unique<TChangeLink>()) {
  SetBounds(Left(), Top(), 121, 97);
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FImageChangeLink->OnChange = TNotifyEvent([this](TObject* sender) { ImageListChange(sender); });
  FStateChangeLink->OnChange = TNotifyEvent([this](TObject* sender) { ImageListChange(sender); });
}

TCustomTreeView::~TCustomTreeView() {
  if (FImages) FImages->UnRegisterChanges(FImageChangeLink.get());
  if (FStateImages) FStateImages->UnRegisterChanges(FStateChangeLink.get());
  // The window goes first, quietly: the node objects are freed with the list.
  if (HandleAllocated()) {
    FDestroyingWindow = true;
    DestroyHandle();
  }
}

void TCustomTreeView::CreateParams(TCreateParams& params) {
  InitCommonControls();
  inherited::CreateParams(params);
  CreateSubClass(params, WC_TREEVIEWA);
  params.WindowClass.style |= CS_DBLCLKS;
  if (FShowButtons) params.Style |= TVS_HASBUTTONS;
  if (FShowLines) params.Style |= TVS_HASLINES;
  if (FShowRoot) params.Style |= TVS_LINESATROOT;
  if (!FReadOnly) params.Style |= TVS_EDITLABELS;
  if (!FHideSelection) params.Style |= TVS_SHOWSELALWAYS;
  if (FHotTrack) params.Style |= TVS_TRACKSELECT;
  if (FRowSelect) params.Style |= TVS_FULLROWSELECT;
  if (FAutoExpand) params.Style |= TVS_SINGLEEXPAND;
  if (!FToolTips) params.Style |= TVS_NOTOOLTIPS;
  if (FBorderStyle == bsSingle) params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomTreeView::CreateWnd() {
  inherited::CreateWnd();
  Perform(CCM_SETUNICODEFORMAT, TRUE, 0);
  if (FColor != clWindow) Perform(TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FColor)));
  if (FFont->Color() != clWindowText) Perform(TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FFont->Color())));
  Perform(TVM_SETINDENT, static_cast<WPARAM>(FIndent), 0);
  SendImageLists();
  RestoreNodes();
}

void TCustomTreeView::DestroyWnd() {
  SaveNodes();
  FDestroyingWindow = true;
  try {
    inherited::DestroyWnd();
  } catch (...) {
    FDestroyingWindow = false;
    throw;
  }
  FDestroyingWindow = false;
}

void TCustomTreeView::SaveNodes() {
  FSavedSelected = Selected();
  FSavedTop = TopItem();
  FIndent = Indent();
  for (TTreeNode* root : FTreeNodes->FRoots) root->ReadFromWindow();
}

void TCustomTreeView::RestoreNodes() {
  if (FTreeNodes->FRoots.empty()) return;
  Perform(WM_SETREDRAW, FALSE, 0);
  for (TTreeNode* root : FTreeNodes->FRoots) root->Insert(TVI_LAST);
  if (FSavedSelected && FSavedSelected->FItemId)
    Perform(TVM_SELECTITEM, TVGN_CARET | TVSI_NOSINGLEEXPAND, reinterpret_cast<LPARAM>(FSavedSelected->FItemId));
  if (FSavedTop && FSavedTop->FItemId) Perform(TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(FSavedTop->FItemId));
  FSavedSelected = FSavedTop = nullptr;
  if (FTreeNodes->FUpdateCount == 0) Perform(WM_SETREDRAW, TRUE, 0);
}

void TCustomTreeView::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FImages) SetImages(nullptr);
  if (component == FStateImages) SetStateImages(nullptr);
}

TTreeNode* TCustomTreeView::Selected() const {
  if (!HandleAllocated()) return FSavedSelected;
  auto self = const_cast<TCustomTreeView*>(this);
  return FTreeNodes->GetNode(reinterpret_cast<HTREEITEM>(self->Perform(TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

void TCustomTreeView::SetSelected(TTreeNode* value) {
  if (!HandleAllocated()) {
    FSavedSelected = value;
    return;
  }
  Perform(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(value ? value->FItemId : nullptr));
}

TTreeNode* TCustomTreeView::TopItem() const {
  if (!HandleAllocated()) return FSavedTop;
  auto self = const_cast<TCustomTreeView*>(this);
  return FTreeNodes->GetNode(reinterpret_cast<HTREEITEM>(self->Perform(TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0)));
}

void TCustomTreeView::SetTopItem(TTreeNode* value) {
  if (!HandleAllocated()) {
    FSavedTop = value;
    return;
  }
  if (value) Perform(TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(value->FItemId));
}

TTreeNode* TCustomTreeView::DropTarget() const {
  if (!HandleAllocated()) return nullptr;
  auto self = const_cast<TCustomTreeView*>(this);
  return FTreeNodes->GetNode(reinterpret_cast<HTREEITEM>(self->Perform(TVM_GETNEXTITEM, TVGN_DROPHILITE, 0)));
}

void TCustomTreeView::SetDropTarget(TTreeNode* value) {
  if (HandleAllocated())
    Perform(TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(value ? value->FItemId : nullptr));
}

TTreeNode* TCustomTreeView::GetNodeAt(int x, int y) {
  TVHITTESTINFO info{POINT{x, y}, 0, nullptr};
  Perform(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
  if (!(info.flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON | TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT))) return nullptr;
  return FTreeNodes->GetNode(info.hItem);
}

THitTests TCustomTreeView::GetHitTestInfoAt(int x, int y) {
  TVHITTESTINFO info{POINT{x, y}, 0, nullptr};
  Perform(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
  THitTests result;
  const std::pair<UINT, THitTest> map[] = {
      {TVHT_ABOVE, htAbove},           {TVHT_BELOW, htBelow},         {TVHT_NOWHERE, htNowhere},
      {TVHT_ONITEMBUTTON, htOnButton}, {TVHT_ONITEMICON, htOnIcon},   {TVHT_ONITEMINDENT, htOnIndent},
      {TVHT_ONITEMLABEL, htOnLabel},   {TVHT_ONITEMRIGHT, htOnRight}, {TVHT_ONITEMSTATEICON, htOnStateIcon},
      {TVHT_TOLEFT, htToLeft},         {TVHT_TORIGHT, htToRight}};
  for (const auto& [flag, hit] : map)
    if (info.flags & flag) result.Include(hit);
  if (info.flags & TVHT_ONITEM) result.Include(htOnItem);
  return result;
}

bool TCustomTreeView::IsEditing() const {
  return HandleAllocated() && const_cast<TCustomTreeView*>(this)->Perform(TVM_GETEDITCONTROL) != 0;
}

void TCustomTreeView::FullExpand() {
  FTreeNodes->BeginUpdate();
  for (TTreeNode* root : std::vector<TTreeNode*>(FTreeNodes->FRoots)) root->Expand(true);
  FTreeNodes->EndUpdate();
}

void TCustomTreeView::FullCollapse() {
  FTreeNodes->BeginUpdate();
  for (TTreeNode* root : std::vector<TTreeNode*>(FTreeNodes->FRoots)) root->Collapse(true);
  FTreeNodes->EndUpdate();
}

bool TCustomTreeView::AlphaSort(bool recurse) {
  std::stable_sort(FTreeNodes->FRoots.begin(), FTreeNodes->FRoots.end(),
                   [](TTreeNode* a, TTreeNode* b) { return AnsiCompareText(a->FText, b->FText) < 0; });
  if (recurse)
    for (TTreeNode* root : FTreeNodes->FRoots) root->AlphaSort(true);
  if (HandleAllocated()) Perform(TVM_SORTCHILDREN, recurse, reinterpret_cast<LPARAM>(TVI_ROOT));
  return true;
}

bool TCustomTreeView::CustomSort(PFNTVCOMPARE compare, LPARAM data, bool recurse) {
  if (!compare) return false;
  // The node lists follow the window's order once it is sorted.
  std::function<void(std::vector<TTreeNode*>&)> sort = [&](std::vector<TTreeNode*>& nodes) {
    std::stable_sort(nodes.begin(), nodes.end(), [&](TTreeNode* a, TTreeNode* b) {
      return compare(reinterpret_cast<LPARAM>(a), reinterpret_cast<LPARAM>(b), data) < 0;
    });
    if (recurse)
      for (TTreeNode* n : nodes) sort(n->FChildren);
  };
  sort(FTreeNodes->FRoots);
  if (!HandleAllocated()) return true;
  TVSORTCB cb{TVI_ROOT, compare, data};
  return Perform(TVM_SORTCHILDRENCB, recurse, reinterpret_cast<LPARAM>(&cb)) != 0;
}

void TCustomTreeView::UpdateStyle(DWORD bit, bool on) {
  if (!HandleAllocated()) return;
  const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
  SetWindowLongPtrW(Handle(), GWL_STYLE, on ? (style | static_cast<LONG_PTR>(bit)) : (style & ~static_cast<LONG_PTR>(bit)));
}

void TCustomTreeView::SetShowButtons(bool value) {
  if (FShowButtons == value) return;
  FShowButtons = value;
  UpdateStyle(TVS_HASBUTTONS, value);
}

void TCustomTreeView::SetShowLines(bool value) {
  if (FShowLines == value) return;
  FShowLines = value;
  UpdateStyle(TVS_HASLINES, value);
}

void TCustomTreeView::SetShowRoot(bool value) {
  if (FShowRoot == value) return;
  FShowRoot = value;
  UpdateStyle(TVS_LINESATROOT, value);
}

void TCustomTreeView::SetReadOnly(bool value) {
  if (FReadOnly == value) return;
  FReadOnly = value;
  UpdateStyle(TVS_EDITLABELS, !value);
}

void TCustomTreeView::SetHideSelection(bool value) {
  if (FHideSelection == value) return;
  FHideSelection = value;
  UpdateStyle(TVS_SHOWSELALWAYS, !value);
}

void TCustomTreeView::SetHotTrack(bool value) {
  if (FHotTrack == value) return;
  FHotTrack = value;
  UpdateStyle(TVS_TRACKSELECT, value);
}

void TCustomTreeView::SetRowSelect(bool value) {
  if (FRowSelect == value) return;
  FRowSelect = value;
  UpdateStyle(TVS_FULLROWSELECT, value);
}

void TCustomTreeView::SetAutoExpand(bool value) {
  if (FAutoExpand == value) return;
  FAutoExpand = value;
  UpdateStyle(TVS_SINGLEEXPAND, value);
}

void TCustomTreeView::SetToolTips(bool value) {
  if (FToolTips == value) return;
  FToolTips = value;
  UpdateStyle(TVS_NOTOOLTIPS, !value);
}

void TCustomTreeView::SetBorderStyle(TBorderStyle value) {
  if (FBorderStyle == value) return;
  FBorderStyle = value;
  RecreateWnd();
}

int TCustomTreeView::Indent() const {
  if (!HandleAllocated()) return FIndent;
  return static_cast<int>(const_cast<TCustomTreeView*>(this)->Perform(TVM_GETINDENT));
}

void TCustomTreeView::SetIndent(int value) {
  FIndent = value;
  if (HandleAllocated()) Perform(TVM_SETINDENT, static_cast<WPARAM>(value), 0);
}

void TCustomTreeView::SetSortType(TSortType value) {
  if (FSortType == value) return;
  FSortType = value;
  if (value == stText || value == stBoth) AlphaSort(true);
}

void TCustomTreeView::SetImages(TCustomImageList* value) {
  if (FImages == value) return;
  if (FImages) {
    FImages->UnRegisterChanges(FImageChangeLink.get());
    FImages->RemoveFreeNotification(this);
  }
  FImages = value;
  if (FImages) {
    FImages->RegisterChanges(FImageChangeLink.get());
    FImages->FreeNotification(this);
  }
  SendImageLists();
}

void TCustomTreeView::SetStateImages(TCustomImageList* value) {
  if (FStateImages == value) return;
  if (FStateImages) {
    FStateImages->UnRegisterChanges(FStateChangeLink.get());
    FStateImages->RemoveFreeNotification(this);
  }
  FStateImages = value;
  if (FStateImages) {
    FStateImages->RegisterChanges(FStateChangeLink.get());
    FStateImages->FreeNotification(this);
  }
  SendImageLists();
}

void TCustomTreeView::SendImageLists() {
  if (!HandleAllocated()) return;
  Perform(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(FImages ? FImages->Handle() : nullptr));
  Perform(TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(FStateImages ? FStateImages->Handle() : nullptr));
}

void TCustomTreeView::ImageListChange(TObject*) {
  SendImageLists();
  Invalidate();
}

void TCustomTreeView::CMColorChanged(TMessage& m) {
  inherited::CMColorChanged(m);
  if (HandleAllocated()) Perform(TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FColor)));
}

void TCustomTreeView::CMFontChanged(TMessage& m) {
  inherited::CMFontChanged(m);
  if (HandleAllocated()) Perform(TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FFont->Color())));
}

// ---- events ---------------------------------------------------------------------------------

bool TCustomTreeView::CanChange(TTreeNode* node) {
  bool allow = true;
  if (OnChanging) OnChanging(this, node, allow);
  return allow;
}

void TCustomTreeView::Change(TTreeNode* node) {
  if (OnChange) OnChange(this, node);
}

bool TCustomTreeView::CanExpand(TTreeNode* node) {
  bool allow = true;
  if (OnExpanding) OnExpanding(this, node, allow);
  return allow;
}

void TCustomTreeView::Expand(TTreeNode* node) {
  if (OnExpanded) OnExpanded(this, node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* node) {
  bool allow = true;
  if (OnCollapsing) OnCollapsing(this, node, allow);
  return allow;
}

void TCustomTreeView::Collapse(TTreeNode* node) {
  if (OnCollapsed) OnCollapsed(this, node);
}

bool TCustomTreeView::CanEdit(TTreeNode* node) {
  bool allow = !FReadOnly;
  if (allow && OnEditing) OnEditing(this, node, allow);
  return allow;
}

void TCustomTreeView::Edit(TTreeNode* node, AnsiString& text) {
  if (OnEdited) OnEdited(this, node, text);
}

void TCustomTreeView::Delete(TTreeNode* node) {
  if (OnDeletion) OnDeletion(this, node);
}

bool TCustomTreeView::CustomDraw(const TRect& rect, DWORD stage) {
  bool defaultDraw = true;
  if (stage == CDDS_PREPAINT && OnCustomDraw) OnCustomDraw(this, rect, defaultDraw);
  return defaultDraw;
}

bool TCustomTreeView::CustomDrawItem(TTreeNode* node, TCustomDrawState state, DWORD stage) {
  bool defaultDraw = true;
  if (stage == CDDS_ITEMPREPAINT && OnCustomDrawItem) OnCustomDrawItem(this, node, state, defaultDraw);
  return defaultDraw;
}

void TCustomTreeView::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_NOTIFY: { TWMNotify v(m); CNNotify(v); return; }
    case WM_RBUTTONDOWN:
      // The node under the pointer is selected before the window and the events hear the press.
      if (FRightClickSelect) {
        if (TTreeNode* node = GetNodeAt(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam))) SetSelected(node);
      }
      inherited::Dispatch(m);
      return;
    default: inherited::Dispatch(m); return;
  }
}

void TCustomTreeView::CNNotify(TWMNotify& m) {
  NMHDR* header = m.NMHdr;
  auto* tv = reinterpret_cast<NMTREEVIEWW*>(header);
  auto nodeOf = [&](const TVITEMW& item) { return reinterpret_cast<TTreeNode*>(item.lParam); };
  switch (header->code) {
    case TVN_SELCHANGINGW:
      m.SetResult(FDestroyingWindow || !tv->itemNew.hItem ? 0 : !CanChange(nodeOf(tv->itemNew)));
      return;
    case TVN_SELCHANGEDW:
      if (!FDestroyingWindow) Change(tv->itemNew.hItem ? nodeOf(tv->itemNew) : nullptr);
      return;
    case TVN_ITEMEXPANDINGW: {
      if (FExpandingByNode || FDestroyingWindow) return;
      TTreeNode* node = nodeOf(tv->itemNew);
      const bool allow = tv->action == TVE_EXPAND ? CanExpand(node) : CanCollapse(node);
      m.SetResult(!allow);
      return;
    }
    case TVN_ITEMEXPANDEDW: {
      if (FExpandingByNode || FDestroyingWindow) return;
      TTreeNode* node = nodeOf(tv->itemNew);
      node->FExpanded = tv->action == TVE_EXPAND;
      if (tv->action == TVE_EXPAND) Expand(node);
      else Collapse(node);
      return;
    }
    case TVN_DELETEITEMW: {
      TTreeNode* node = nodeOf(tv->itemOld);
      if (FDestroyingWindow || !node) return;  // the nodes outlive the window
      node->FItemId = nullptr;
      node->FDeleting = true;
      Delete(node);
      auto& siblings = FTreeNodes->SiblingsOf(node->FParent);
      siblings.erase(std::find(siblings.begin(), siblings.end(), node));
      if (FSavedSelected == node) FSavedSelected = nullptr;
      if (FSavedTop == node) FSavedTop = nullptr;
      delete node;
      return;
    }
    case TVN_BEGINLABELEDITW: {
      auto* di = reinterpret_cast<NMTVDISPINFOW*>(header);
      m.SetResult(!CanEdit(reinterpret_cast<TTreeNode*>(di->item.lParam)));
      return;
    }
    case TVN_ENDLABELEDITW: {
      auto* di = reinterpret_cast<NMTVDISPINFOW*>(header);
      if (!di->item.pszText) return;
      TTreeNode* node = reinterpret_cast<TTreeNode*>(di->item.lParam);
      AnsiString text = WideToUTF8(di->item.pszText);
      Edit(node, text);
      node->SetText(text);
      m.SetResult(FALSE);  // SetText has put it in already
      return;
    }
    case NM_CLICK:
      if (OnClick) OnClick(this);
      return;
    case NM_DBLCLK:
      if (OnDblClick) OnDblClick(this);
      return;
    case NM_CUSTOMDRAW: {
      auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(header);
      m.SetResult(CDRF_DODEFAULT);
      if (!OnCustomDraw && !OnCustomDrawItem) return;
      ++FCustomDrawDepth;
      FCanvas->SetHandle(cd->nmcd.hdc);
      FCanvas->Font()->Assign(FFont.get());
      FCanvas->Brush()->SetColor(FColor);
      if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
        if (!CustomDraw(TRect(cd->nmcd.rc), cd->nmcd.dwDrawStage)) m.SetResult(CDRF_SKIPDEFAULT);
        else if (OnCustomDrawItem) m.SetResult(CDRF_NOTIFYITEMDRAW);
      } else if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        TCustomDrawState state;
        const UINT s = cd->nmcd.uItemState;
        if (s & CDIS_SELECTED) state.Include(cdsSelected);
        if (s & CDIS_FOCUS) state.Include(cdsFocused);
        if (s & CDIS_HOT) state.Include(cdsHot);
        if (s & CDIS_DISABLED) state.Include(cdsDisabled);
        if (s & CDIS_DROPHILITED) state.Include(cdsDropHilited);
        TTreeNode* node = reinterpret_cast<TTreeNode*>(cd->nmcd.lItemlParam);
        // The handler may set the canvas's font colour and brush for the default drawing.
        FCanvas->Font()->SetColor(static_cast<TColor>(cd->clrText));
        FCanvas->Brush()->SetColor(static_cast<TColor>(cd->clrTextBk));
        if (!CustomDrawItem(node, state, cd->nmcd.dwDrawStage)) {
          m.SetResult(CDRF_SKIPDEFAULT);
        } else {
          cd->clrText = ColorToRGB(FCanvas->Font()->Color());
          cd->clrTextBk = ColorToRGB(FCanvas->Brush()->Color());
          SelectObject(cd->nmcd.hdc, FCanvas->Font()->Handle());
          m.SetResult(CDRF_NEWFONT);
        }
      }
      FCanvas->SetHandle(nullptr);
      --FCustomDrawDepth;
      return;
    }
    default: return;
  }
}
