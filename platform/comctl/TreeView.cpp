#include "platform/comctl/TreeView.h"

#include <algorithm>
#include <cwctype>

#include "platform/comctl/ControlSupport.h"
#include "platform/comctl/Edit.h"
#include "platform/comctl/TreeViewControl.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/ScrollBars.h"

namespace platform {
namespace treeview_detail {

namespace {

constexpr UINT_PTR kEditTimer = 1;
constexpr UINT_PTR kEditSubclassId = 0x7456;
constexpr int kTextMax = 260;

HTREEITEM HandleOf(TreeItemHandle* item) { return item; }

int CompareText(const std::u16string& a, const std::u16string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const auto ca = std::towlower(static_cast<wint_t>(a[i]));
    const auto cb = std::towlower(static_cast<wint_t>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

using comctl_detail::CopyOut;

// The A records differ from the W ones only in the text pointer's type.
static_assert(sizeof(TVITEMA) == sizeof(TVITEMW));
static_assert(sizeof(TVITEMEXA) == sizeof(TVITEMEXW));
static_assert(sizeof(TVINSERTSTRUCTA) == sizeof(TVINSERTSTRUCTW));
static_assert(sizeof(NMTREEVIEWA) == sizeof(NMTREEVIEWW));

bool IsTextCallbackA(LPSTR text) { return text == LPSTR_TEXTCALLBACKA; }
bool IsTextCallbackW(LPWSTR text) { return text == LPSTR_TEXTCALLBACKW; }

}  // namespace

TreeView::TreeView(HWND hwnd) : m_hwnd(hwnd) {
  m_root.level = -1;
  m_root.state = TVIS_EXPANDED;
  m_unicode = comctl_detail::ParentTakesUnicode(hwnd);
}

TreeView::~TreeView() {
  // The items are gone by WM_DESTROY; free whatever a failed creation left.
  for (HTREEITEM item : m_live) delete item;
}

// ---- notifications ---------------------------------------------------------------------------

LRESULT TreeView::Notify(UINT codeW, UINT codeA, NMHDR* header, size_t) {
  HWND parent = GetParent(m_hwnd);
  if (!parent) return 0;
  header->hwndFrom = m_hwnd;
  header->idFrom = static_cast<UINT_PTR>(GetWindowLongPtrW(m_hwnd, GWLP_ID));
  header->code = m_unicode ? codeW : codeA;
  return SendMessageW(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

LRESULT TreeView::NotifyCode(UINT code) {
  NMHDR header{};
  return Notify(code, code, &header, sizeof header);
}

void TreeView::FillItem(TVITEMW& out, Item* from, UINT mask) {
  out = TVITEMW{};
  if (!from) return;
  out.mask = mask;
  out.hItem = from;
  out.state = from->state;
  out.stateMask = 0xFFFF;
  out.lParam = from->lParam;
  out.iImage = from->image;
  out.iSelectedImage = from->selectedImage;
  out.cChildren = from->children == Item::kChildrenFromItems ? (from->firstChild ? 1 : 0) : from->children;
}

LRESULT TreeView::NotifyTree(UINT codeW, UINT codeA, UINT action, Item* oldItem, Item* newItem, POINT drag) {
  NMTREEVIEWW nm{};
  nm.action = action;
  FillItem(nm.itemOld, oldItem, TVIF_HANDLE | TVIF_STATE | TVIF_PARAM);
  FillItem(nm.itemNew, newItem, TVIF_HANDLE | TVIF_STATE | TVIF_PARAM);
  nm.ptDrag = drag;
  return Notify(codeW, codeA, &nm.hdr, sizeof nm);
}

// ---- model -----------------------------------------------------------------------------------

TreeItemHandle* TreeView::ParentFromHandle(HTREEITEM parent) {
  if (!parent || parent == TVI_ROOT) return &m_root;
  return IsLive(parent) ? parent : nullptr;
}

void TreeView::Link(Item* item, Item* parent, HTREEITEM after) {
  item->parent = parent;
  item->level = parent->level + 1;
  Item* before = nullptr;  // insert in front of this sibling; null: at the end
  if (after == TVI_FIRST) {
    before = parent->firstChild;
  } else if (after == TVI_SORT) {
    const std::u16string text = TextOf(item);
    for (Item* c = parent->firstChild; c; c = c->next)
      if (CompareText(TextOf(c), text) > 0) {
        before = c;
        break;
      }
  } else if (after != TVI_LAST && IsLive(after) && after->parent == parent) {
    before = after->next;
  }
  item->next = before;
  item->prev = before ? before->prev : parent->lastChild;
  if (item->prev) item->prev->next = item;
  else parent->firstChild = item;
  if (before) before->prev = item;
  else parent->lastChild = item;
}

void TreeView::Unlink(Item* item) {
  Item* parent = item->parent;
  if (item->prev) item->prev->next = item->next;
  else parent->firstChild = item->next;
  if (item->next) item->next->prev = item->prev;
  else parent->lastChild = item->prev;
  item->next = item->prev = nullptr;
}

TreeItemHandle* TreeView::Insert(const TVINSERTSTRUCTW& insert, const std::u16string* text) {
  Item* parent = ParentFromHandle(insert.hParent);
  if (!parent || parent->deleting) return nullptr;
  auto* item = new Item;
  const TVITEMEXW& in = insert.itemex;
  if (in.mask & TVIF_TEXT) {
    if (text) item->text = *text;
    else item->textCallback = true;
  }
  if (in.mask & TVIF_IMAGE) item->image = in.iImage;
  if (in.mask & TVIF_SELECTEDIMAGE) item->selectedImage = in.iSelectedImage;
  if (in.mask & TVIF_EXPANDEDIMAGE) item->expandedImage = in.iExpandedImage;
  if (in.mask & TVIF_PARAM) item->lParam = in.lParam;
  if (in.mask & TVIF_CHILDREN) item->children = in.cChildren;
  if (in.mask & TVIF_STATE) item->state = in.state & in.stateMask & ~(TVIS_SELECTED | TVIS_EXPANDEDONCE);
  if ((GetWindowLongPtrW(m_hwnd, GWL_STYLE) & TVS_CHECKBOXES) && (item->state & TVIS_STATEIMAGEMASK) == 0)
    item->state |= INDEXTOSTATEIMAGEMASK(1);
  Link(item, parent, insert.hInsertAfter);
  m_live.insert(item);
  const bool shown = parent == &m_root || (parent->row >= 0 && (parent->state & TVIS_EXPANDED));
  if (shown || (parent != &m_root && parent->row >= 0)) RowsChanged();  // a new button may appear
  return item;
}

void TreeView::DeleteSubtree(Item* item, bool notify) {
  item->deleting = true;
  m_rowsDirty = true;  // the rows may no longer be read as they are
  while (Item* child = item->firstChild) DeleteSubtree(child, notify);
  if (notify) {
    NMTREEVIEWW nm{};
    FillItem(nm.itemOld, item, TVIF_HANDLE | TVIF_PARAM);
    Notify(TVN_DELETEITEMW, TVN_DELETEITEMA, &nm.hdr, sizeof nm);
  }
  if (m_selected == item) m_selected = nullptr;
  if (m_dropHilite == item) m_dropHilite = nullptr;
  if (m_hot == item) m_hot = nullptr;
  if (m_pending.item == item) m_pending = Pending{};
  if (m_editAfterTimer == item) m_editAfterTimer = nullptr;
  Unlink(item);
  m_live.erase(item);
  delete item;
}

bool TreeView::Delete(HTREEITEM handle) {
  if (m_editItem && (!handle || handle == TVI_ROOT)) EndEdit(true);
  if (!handle || handle == TVI_ROOT) {
    m_selected = nullptr;
    while (Item* child = m_root.firstChild) DeleteSubtree(child, true);
    m_top = 0;
    m_hscroll = 0;
    RowsChanged();
    return TRUE;
  }
  if (!IsLive(handle) || handle->deleting) return FALSE;
  Item* item = handle;
  for (Item* e = m_editItem; e; e = e->parent)
    if (e == item) {
      EndEdit(true);
      break;
    }
  // The selection leaves the branch for a neighbour before the branch goes.
  bool selectionInside = false;
  for (Item* s = m_selected; s; s = s->parent)
    if (s == item) selectionInside = true;
  if (selectionInside) {
    Item* next = item->next ? item->next : item->prev ? item->prev : (item->parent != &m_root ? item->parent : nullptr);
    item->deleting = true;
    Item* old = m_selected;
    NotifyTree(TVN_SELCHANGINGW, TVN_SELCHANGINGA, TVC_UNKNOWN, old, next);
    if (IsLive(old)) old->state &= ~TVIS_SELECTED;
    m_selected = next;
    if (next) next->state |= TVIS_SELECTED;
    NotifyTree(TVN_SELCHANGEDW, TVN_SELCHANGEDA, TVC_UNKNOWN, IsLive(old) ? old : nullptr, next);
    if (!IsLive(handle)) {  // a handler deleted it already
      RowsChanged();
      return TRUE;
    }
  }
  Item* parent = item->parent;
  DeleteSubtree(item, true);
  if (parent != &m_root && !parent->firstChild) parent->state &= ~(TVIS_EXPANDED | TVIS_EXPANDEDONCE);
  RowsChanged();
  return TRUE;
}

bool TreeView::HasChildren(Item* item) {
  if (item->children == Item::kChildrenFromItems) return item->firstChild != nullptr;
  if (item->children == I_CHILDRENCALLBACK) {
    NMTVDISPINFOW nm{};
    FillItem(nm.item, item, TVIF_CHILDREN);
    nm.item.mask = TVIF_CHILDREN;
    Notify(TVN_GETDISPINFOW, TVN_GETDISPINFOA, &nm.hdr, sizeof nm);
    return nm.item.cChildren != 0;
  }
  return item->children != 0;
}

bool TreeView::Expand(Item* item, WPARAM code, UINT cause, bool viaMessage) {
  if (!item || item == &m_root) return false;
  const WPARAM action = code & 0x3;
  const bool expanded = (item->state & TVIS_EXPANDED) != 0;
  bool expand;
  if (action == TVE_EXPAND) expand = true;
  else if (action == TVE_COLLAPSE) expand = false;
  else if (action == TVE_TOGGLE) expand = !expanded;
  else return false;
  if (expand && !HasChildren(item)) return false;
  const bool reset = !expand && (code & TVE_COLLAPSERESET);
  if (expand == expanded && !reset) return expand ? item->firstChild != nullptr || HasChildren(item) : true;
  // A message expands without telling the parent once the item has been open before.
  const bool notify = !(viaMessage && (item->state & TVIS_EXPANDEDONCE));
  (void)cause;
  if (notify && expand != expanded &&
      NotifyTree(TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDINGA, expand ? TVE_EXPAND : TVE_COLLAPSE, nullptr, item))
    return false;
  if (!IsLive(item)) return false;
  const bool changed = expand != expanded;
  if (expand) {
    item->state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
  } else {
    item->state &= ~TVIS_EXPANDED;
    // A selection hidden by the collapse moves to the collapsed item.
    for (Item* s = m_selected ? m_selected->parent : nullptr; s; s = s->parent)
      if (s == item) {
        Select(item, TVC_UNKNOWN, false);
        break;
      }
    if (reset) {
      item->state &= ~TVIS_EXPANDEDONCE;
      while (Item* child = item->firstChild) DeleteSubtree(child, true);
    }
  }
  RowsChanged();
  if (notify && changed && IsLive(item))
    NotifyTree(TVN_ITEMEXPANDEDW, TVN_ITEMEXPANDEDA, expand ? TVE_EXPAND : TVE_COLLAPSE, nullptr, item);
  return true;
}

bool TreeView::Select(Item* item, UINT cause, bool singleExpand) {
  if (item == m_selected) {
    if (item) EnsureVisible(item);
    return true;
  }
  Item* old = m_selected;
  if (NotifyTree(TVN_SELCHANGINGW, TVN_SELCHANGINGA, cause, old, item)) return false;
  if (item && !IsLive(item)) return false;
  if (old && IsLive(old)) {
    old->state &= ~TVIS_SELECTED;
    InvalidateItem(old);
  } else {
    old = nullptr;
  }
  m_selected = item;
  if (item) {
    item->state |= TVIS_SELECTED;
    EnsureVisible(item);
    InvalidateItem(item);
  }
  NotifyTree(TVN_SELCHANGEDW, TVN_SELCHANGEDA, cause, old, item);
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE));
  if (singleExpand && (style & TVS_SINGLEEXPAND) && item && IsLive(item)) {
    const LRESULT answer = NotifyTree(TVN_SINGLEEXPAND, TVN_SINGLEEXPAND, cause, old, item);
    if (old && IsLive(old) && !(answer & TVNRET_SKIPOLD)) {
      // Close the old branch down to what the new item shares with it.
      for (Item* o = old; o && o != &m_root; o = o->parent) {
        bool ancestor = false;
        for (Item* n = item; n; n = n->parent)
          if (n == o) ancestor = true;
        if (!ancestor && (o->state & TVIS_EXPANDED)) Expand(o, TVE_COLLAPSE, cause, false);
      }
    }
    if (IsLive(item) && !(answer & TVNRET_SKIPNEW)) Expand(item, TVE_EXPAND, cause, false);
  }
  return true;
}

void TreeView::SetDropHilite(Item* item) {
  if (m_dropHilite && IsLive(m_dropHilite)) {
    m_dropHilite->state &= ~TVIS_DROPHILITED;
    InvalidateItem(m_dropHilite);
  }
  m_dropHilite = item;
  if (item) {
    item->state |= TVIS_DROPHILITED;
    InvalidateItem(item);
  }
}

bool TreeView::EnsureVisible(Item* item) {
  for (Item* p = item->parent; p && p != &m_root; p = p->parent)
    if (!(p->state & TVIS_EXPANDED)) Expand(p, TVE_EXPAND, TVC_UNKNOWN, false);
  if (!IsLive(item)) return false;
  BuildRows();
  if (item->row < 0) return false;
  const int page = std::max(1, VisibleRowCount());
  if (item->row < m_top) ScrollTo(item->row, m_hscroll);
  else if (item->row >= m_top + page) ScrollTo(item->row - page + 1, m_hscroll);
  return true;
}

std::u16string TreeView::TextOf(Item* item) {
  if (!item->textCallback) return item->text;
  char16_t buffer[kTextMax] = {};
  NMTVDISPINFOW nm{};
  FillItem(nm.item, item, TVIF_TEXT);
  nm.item.mask = TVIF_TEXT;
  std::string ansi(kTextMax, '\0');
  if (m_unicode) {
    nm.item.pszText = buffer;
    nm.item.cchTextMax = kTextMax;
  } else {
    nm.item.pszText = reinterpret_cast<LPWSTR>(ansi.data());
    nm.item.cchTextMax = kTextMax;
  }
  Notify(TVN_GETDISPINFOW, TVN_GETDISPINFOA, &nm.hdr, sizeof nm);
  if (!IsLive(item)) return {};
  std::u16string text;
  if (m_unicode) {
    const char16_t* p = nm.item.pszText ? nm.item.pszText : u"";
    text = std::u16string(p, std::char_traits<char16_t>::length(p));
  } else {
    const char* p = nm.item.pszText ? reinterpret_cast<const char*>(nm.item.pszText) : "";
    text = Utf8ToUtf16(p);
  }
  if (nm.item.mask & TVIF_DI_SETITEM) {
    item->text = text;
    item->textCallback = false;
  }
  return text;
}

int TreeView::ImageOf(Item* item, bool selected) {
  int image = selected ? item->selectedImage : item->image;
  if ((item->state & TVIS_EXPANDED) && item->expandedImage != I_IMAGENONE) image = item->expandedImage;
  if (image != I_IMAGECALLBACK) return image;
  NMTVDISPINFOW nm{};
  FillItem(nm.item, item, selected ? TVIF_SELECTEDIMAGE : TVIF_IMAGE);
  Notify(TVN_GETDISPINFOW, TVN_GETDISPINFOA, &nm.hdr, sizeof nm);
  if (!IsLive(item)) return -1;
  const int answer = selected ? nm.item.iSelectedImage : nm.item.iImage;
  if (nm.item.mask & TVIF_DI_SETITEM) (selected ? item->selectedImage : item->image) = answer;
  return answer;
}

bool TreeView::GetItem(TVITEMEXW& out, bool extended, std::u16string* textOut) {
  if (!IsLive(out.hItem)) return false;
  Item* item = out.hItem;
  if (out.mask & TVIF_TEXT) *textOut = TextOf(item);
  if (!IsLive(item)) return false;
  if (out.mask & TVIF_IMAGE) out.iImage = item->image == I_IMAGECALLBACK ? ImageOf(item, false) : item->image;
  if (out.mask & TVIF_SELECTEDIMAGE)
    out.iSelectedImage = item->selectedImage == I_IMAGECALLBACK ? ImageOf(item, true) : item->selectedImage;
  if (out.mask & TVIF_PARAM) out.lParam = item->lParam;
  if (out.mask & TVIF_STATE) out.state = item->state & out.stateMask;
  if (out.mask & TVIF_CHILDREN) out.cChildren = HasChildren(item) ? 1 : 0;
  if (extended && (out.mask & TVIF_INTEGRAL)) out.iIntegral = 1;
  if (extended && (out.mask & TVIF_EXPANDEDIMAGE)) out.iExpandedImage = item->expandedImage;
  return true;
}

bool TreeView::SetItem(const TVITEMEXW& in, bool extended, const std::u16string* text) {
  if (!IsLive(in.hItem)) return false;
  Item* item = in.hItem;
  bool rows = false;
  if (in.mask & TVIF_TEXT) {
    if (text) {
      item->text = *text;
      item->textCallback = false;
    } else {
      item->textCallback = true;
    }
    item->textWidth = -1;
  }
  if (in.mask & TVIF_IMAGE) item->image = in.iImage;
  if (in.mask & TVIF_SELECTEDIMAGE) item->selectedImage = in.iSelectedImage;
  if (extended && (in.mask & TVIF_EXPANDEDIMAGE)) item->expandedImage = in.iExpandedImage;
  if (in.mask & TVIF_PARAM) item->lParam = in.lParam;
  if (in.mask & TVIF_CHILDREN) {
    item->children = in.cChildren;
    rows = true;
  }
  if (in.mask & TVIF_STATE) {
    // Selection and expansion go through their own paths, so notifications stay right.
    const UINT mask = in.stateMask & ~(TVIS_SELECTED | TVIS_EXPANDED | TVIS_DROPHILITED);
    if (in.stateMask & TVIS_BOLD) item->textWidth = -1;
    item->state = (item->state & ~mask) | (in.state & mask);
    if (in.stateMask & TVIS_EXPANDED) {
      const bool want = (in.state & TVIS_EXPANDED) != 0;
      if (want != ((item->state & TVIS_EXPANDED) != 0)) {
        if (want) item->state |= TVIS_EXPANDED;
        else item->state &= ~TVIS_EXPANDED;
        rows = true;
      }
    }
    if ((in.stateMask & TVIS_SELECTED) && ((in.state & TVIS_SELECTED) != 0) != (item == m_selected)) {
      if (in.state & TVIS_SELECTED) Select(item, TVC_UNKNOWN, false);
      else if (item == m_selected) Select(nullptr, TVC_UNKNOWN, false);
    }
    if (in.stateMask & TVIS_DROPHILITED) {
      if (in.state & TVIS_DROPHILITED) SetDropHilite(item);
      else if (item == m_dropHilite) SetDropHilite(nullptr);
    }
  }
  if (rows) RowsChanged();
  else InvalidateItem(item);
  return true;
}

HTREEITEM TreeView::NextItem(WPARAM code, HTREEITEM handle) {
  Item* item = IsLive(handle) ? handle : nullptr;
  switch (code & 0xFF) {
    case TVGN_ROOT: return m_root.firstChild;
    case TVGN_CARET: return m_selected;
    case TVGN_DROPHILITE: return m_dropHilite;
    case TVGN_FIRSTVISIBLE:
      BuildRows();
      return m_top < static_cast<int>(m_rows.size()) ? m_rows[m_top] : nullptr;
    case TVGN_LASTVISIBLE:
      BuildRows();
      return m_rows.empty() ? nullptr : m_rows.back();
    case TVGN_NEXT: return item ? item->next : nullptr;
    case TVGN_PREVIOUS: return item ? item->prev : nullptr;
    case TVGN_PARENT: return item && item->parent != &m_root ? item->parent : nullptr;
    case TVGN_CHILD: return handle == TVI_ROOT || !handle ? m_root.firstChild : (item ? item->firstChild : nullptr);
    case TVGN_NEXTVISIBLE:
    case TVGN_PREVIOUSVISIBLE: {
      BuildRows();
      if (!item || item->row < 0) return nullptr;
      const int row = item->row + ((code & 0xFF) == TVGN_NEXTVISIBLE ? 1 : -1);
      return row >= 0 && row < static_cast<int>(m_rows.size()) ? m_rows[row] : nullptr;
    }
    default: return nullptr;
  }
}

void TreeView::SortChildren(Item* parent, bool recurse, PFNTVCOMPARE compare, LPARAM lParam, bool byText) {
  std::vector<Item*> children;
  for (Item* c = parent->firstChild; c; c = c->next) children.push_back(c);
  if (byText) {
    std::vector<std::pair<std::u16string, Item*>> keyed;
    for (Item* c : children) keyed.emplace_back(TextOf(c), c);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return CompareText(a.first, b.first) < 0; });
    for (size_t i = 0; i < keyed.size(); ++i) children[i] = keyed[i].second;
  } else {
    std::stable_sort(children.begin(), children.end(),
                     [&](Item* a, Item* b) { return compare(a->lParam, b->lParam, lParam) < 0; });
  }
  parent->firstChild = parent->lastChild = nullptr;
  for (Item* c : children) {
    c->prev = parent->lastChild;
    c->next = nullptr;
    if (parent->lastChild) parent->lastChild->next = c;
    else parent->firstChild = c;
    parent->lastChild = c;
  }
  if (recurse)
    for (Item* c : children) SortChildren(c, true, compare, lParam, byText);
}

void TreeView::ToggleCheck(Item* item) {
  const UINT index = (item->state & TVIS_STATEIMAGEMASK) >> 12;
  if (index == 0) return;
  item->state = (item->state & ~TVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(index == 1 ? 2 : 1);
  InvalidateItem(item);
}

// ---- input -----------------------------------------------------------------------------------

void TreeView::OnButtonDown(bool right, POINT pt) {
  if (m_edit) EndEdit(false);
  KillTimer(m_hwnd, kEditTimer);
  m_editAfterTimer = nullptr;
  if (GetFocus() != m_hwnd) SetFocus(m_hwnd);
  HTREEITEM hit = nullptr;
  const UINT where = HitTest(pt, &hit);
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE));
  if (!right && hit && (where & TVHT_ONITEMBUTTON)) {
    Expand(hit, TVE_TOGGLE, TVC_BYMOUSE, false);
    return;
  }
  m_pending = Pending{};
  m_pending.active = true;
  m_pending.right = right;
  m_pending.at = pt;
  m_pending.hit = where;
  const bool onRow = (where & TVHT_ONITEM) || ((style & TVS_FULLROWSELECT) && (where & (TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT)));
  m_pending.item = hit && onRow ? hit : nullptr;
  m_pending.wasSelected = hit && hit == m_selected;
  if (right && m_pending.item) SetDropHilite(m_pending.item);
  SetCapture(m_hwnd);
}

void TreeView::OnMouseMove(POINT pt, WPARAM) {
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE));
  if (m_pending.active && m_pending.item) {
    if (std::abs(pt.x - m_pending.at.x) > GetSystemMetrics(SM_CXDRAG) / 2 ||
        std::abs(pt.y - m_pending.at.y) > GetSystemMetrics(SM_CYDRAG) / 2) {
      Item* item = m_pending.item;
      const bool right = m_pending.right;
      m_pending = Pending{};
      ReleaseCapture();
      if (right) SetDropHilite(nullptr);
      if (!(style & TVS_DISABLEDRAGDROP))
        NotifyTree(right ? TVN_BEGINRDRAGW : TVN_BEGINDRAGW, right ? TVN_BEGINRDRAGA : TVN_BEGINDRAGA, TVC_BYMOUSE,
                   nullptr, item, m_pending.at);
    }
    return;
  }
  if (style & TVS_TRACKSELECT) {
    HTREEITEM hit = nullptr;
    const UINT where = HitTest(pt, &hit);
    Item* hot = hit && (where & TVHT_ONITEM) ? hit : nullptr;
    if (hot != m_hot) {
      if (m_hot) InvalidateItem(m_hot);
      m_hot = hot;
      if (m_hot) InvalidateItem(m_hot);
      TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, m_hwnd, 0};
      if (hot) TrackMouseEvent(&track);
    }
  }
}

void TreeView::OnButtonUp(bool right, POINT pt) {
  if (!m_pending.active || m_pending.right != right) return;
  const Pending pending = m_pending;
  m_pending = Pending{};
  if (GetCapture() == m_hwnd) ReleaseCapture();
  (void)pt;
  if (right) {
    SetDropHilite(nullptr);
    if (!NotifyCode(NM_RCLICK)) {
      POINT screen = pending.at;
      ClientToScreen(m_hwnd, &screen);
      SendMessageW(m_hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hwnd), MAKELPARAM(screen.x, screen.y));
    }
    return;
  }
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE));
  if (NotifyCode(NM_CLICK)) return;
  if (!pending.item || !IsLive(pending.item)) return;
  if ((pending.hit & TVHT_ONITEMSTATEICON) && (style & TVS_CHECKBOXES)) {
    ToggleCheck(pending.item);
    return;
  }
  Select(pending.item, TVC_BYMOUSE);
  if (pending.wasSelected && (pending.hit & TVHT_ONITEMLABEL) && (style & TVS_EDITLABELS) && m_selected == pending.item) {
    m_editAfterTimer = pending.item;
    SetTimer(m_hwnd, kEditTimer, GetDoubleClickTime(), nullptr);
  }
}

void TreeView::OnDoubleClick(POINT pt) {
  KillTimer(m_hwnd, kEditTimer);
  m_editAfterTimer = nullptr;
  if (NotifyCode(NM_DBLCLK)) return;
  HTREEITEM hit = nullptr;
  const UINT where = HitTest(pt, &hit);
  if (hit && (where & (TVHT_ONITEM | TVHT_ONITEMBUTTON)) && !(where & TVHT_ONITEMSTATEICON))
    Expand(hit, TVE_TOGGLE, TVC_BYMOUSE, false);
}

void TreeView::OnKeyDown(WPARAM key) {
  NMTVKEYDOWN nm{};
  nm.wVKey = static_cast<WORD>(key);
  Notify(TVN_KEYDOWN, TVN_KEYDOWN, &nm.hdr, sizeof nm);
  BuildRows();
  if (m_rows.empty()) return;
  Item* current = m_selected && m_selected->row >= 0 ? m_selected : nullptr;
  const int row = current ? current->row : -1;
  const int last = static_cast<int>(m_rows.size()) - 1;
  const int page = std::max(1, VisibleRowCount());
  auto go = [&](int target) {
    target = std::clamp(target, 0, last);
    Select(m_rows[target], TVC_BYKEYBOARD);
  };
  switch (key) {
    case VK_UP: go(row < 0 ? 0 : row - 1); break;
    case VK_DOWN: go(row < 0 ? 0 : row + 1); break;
    case VK_HOME: go(0); break;
    case VK_END: go(last); break;
    case VK_PRIOR: go(row < 0 ? 0 : row - (page - 1)); break;
    case VK_NEXT: go(row < 0 ? 0 : row + (page - 1)); break;
    case VK_LEFT:
      if (!current) break;
      if ((current->state & TVIS_EXPANDED) && current->firstChild) Expand(current, TVE_COLLAPSE, TVC_BYKEYBOARD, false);
      else if (current->parent != &m_root) Select(current->parent, TVC_BYKEYBOARD);
      break;
    case VK_BACK:
      if (current && current->parent != &m_root) Select(current->parent, TVC_BYKEYBOARD);
      break;
    case VK_RIGHT:
      if (!current) break;
      if (!(current->state & TVIS_EXPANDED)) Expand(current, TVE_EXPAND, TVC_BYKEYBOARD, false);
      else if (current->firstChild) Select(current->firstChild, TVC_BYKEYBOARD);
      break;
    case VK_ADD:
      if (current) Expand(current, TVE_EXPAND, TVC_BYKEYBOARD, false);
      break;
    case VK_SUBTRACT:
      if (current) Expand(current, TVE_COLLAPSE, TVC_BYKEYBOARD, false);
      break;
    case VK_MULTIPLY:
      if (current) {
        std::vector<Item*> stack{current};
        while (!stack.empty()) {
          Item* i = stack.back();
          stack.pop_back();
          Expand(i, TVE_EXPAND, TVC_BYKEYBOARD, false);
          if (!IsLive(i)) continue;
          for (Item* c = i->firstChild; c; c = c->next) stack.push_back(c);
        }
      }
      break;
    case VK_SPACE:
      if (current && (GetWindowLongPtrW(m_hwnd, GWL_STYLE) & TVS_CHECKBOXES)) ToggleCheck(current);
      break;
    case VK_RETURN: NotifyCode(NM_RETURN); break;
    default: break;
  }
}

void TreeView::OnChar(char16_t ch) {
  if (ch < 0x20 || ch == u' ') return;
  const LONG now = GetMessageTime();
  if (now - m_searchTime > 1000) m_search.clear();
  m_searchTime = now;
  m_search += static_cast<char16_t>(std::towlower(ch));
  BuildRows();
  if (m_rows.empty()) return;
  const int count = static_cast<int>(m_rows.size());
  // A repeated first letter steps on; a longer prefix stays on the current item if it fits.
  const int start = m_selected && m_selected->row >= 0 ? m_selected->row + (m_search.size() == 1 ? 1 : 0) : 0;
  for (int k = 0; k < count; ++k) {
    Item* item = m_rows[(start + k) % count];
    std::u16string text = TextOf(item);
    if (text.size() < m_search.size()) continue;
    bool match = true;
    for (size_t i = 0; i < m_search.size() && match; ++i)
      match = static_cast<char16_t>(std::towlower(text[i])) == m_search[i];
    if (match) {
      Select(item, TVC_BYKEYBOARD);
      return;
    }
  }
}

void TreeView::OnScroll(int bar, WORD code) {
  if (m_edit) EndEdit(false);
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(m_hwnd, bar, &info);
  const bool vertical = bar == SB_VERT;
  const int line = vertical ? 1 : 8;
  const int page = std::max(1, static_cast<int>(info.nPage));
  int pos = vertical ? m_top : m_hscroll;
  switch (code) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = info.nTrackPos; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = info.nMax; break;
    default: return;
  }
  if (vertical) ScrollTo(pos, m_hscroll);
  else ScrollTo(m_top, pos);
}

// ---- label editing ---------------------------------------------------------------------------

HWND TreeView::EditLabel(Item* item) {
  if (m_edit) EndEdit(false);
  if (!item || !IsLive(item)) return nullptr;
  if (GetFocus() != m_hwnd) SetFocus(m_hwnd);
  Select(item, TVC_UNKNOWN, false);
  if (!IsLive(item) || !EnsureVisible(item)) return nullptr;
  UpdateWindow(m_hwnd);
  NMTVDISPINFOW nm{};
  FillItem(nm.item, item, TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | TVIF_TEXT);
  const std::u16string text = TextOf(item);
  comctl_detail::NotifyText shown(text, m_unicode);
  nm.item.pszText = shown.Text();
  nm.item.cchTextMax = shown.Capacity();
  if (Notify(TVN_BEGINLABELEDITW, TVN_BEGINLABELEDITA, &nm.hdr, sizeof nm) || !IsLive(item)) return nullptr;
  RECT label = LabelRect(item);
  RECT client;
  GetClientRect(m_hwnd, &client);
  const int width = std::max<int>(label.right - label.left + 24, 64);
  const RECT bounds{label.left - 2, label.top,
                    label.left - 2 + std::min<int>(width, std::max<int>(client.right - label.left + 2, 32)), label.bottom};
  HWND edit = comctl_detail::CreateLabelEdit({m_hwnd, text.c_str(), WS_CHILD | WS_BORDER | ES_AUTOHSCROLL | ES_LEFT, bounds, Font(), 0},
                                             EditSubclass, kEditSubclassId, reinterpret_cast<DWORD_PTR>(this));
  if (!edit) return nullptr;
  m_edit = edit;
  m_editItem = item;
  ShowWindow(edit, SW_SHOW);
  SetFocus(edit);
  return edit;
}

bool TreeView::EndEdit(bool cancel) {
  if (!m_edit || m_ending) return false;
  m_ending = true;
  HWND edit = m_edit;
  Item* item = m_editItem;
  const std::u16string text = comctl_detail::WindowTextOf(edit);
  ShowWindow(edit, SW_HIDE);
  bool kept = false;
  if (IsLive(item)) {
    NMTVDISPINFOW nm{};
    FillItem(nm.item, item, TVIF_HANDLE | TVIF_PARAM | TVIF_TEXT);
    comctl_detail::NotifyText edited(text, m_unicode);
    if (cancel) {
      nm.item.pszText = nullptr;
    } else {
      nm.item.pszText = edited.Text();
      nm.item.cchTextMax = edited.Capacity();
    }
    const LRESULT keep = Notify(TVN_ENDLABELEDITW, TVN_ENDLABELEDITA, &nm.hdr, sizeof nm);
    if (keep && !cancel && IsLive(item)) {
      if (item->textCallback) {
        NMTVDISPINFOW set{};
        FillItem(set.item, item, TVIF_HANDLE | TVIF_TEXT);
        set.item.pszText = edited.Text();
        Notify(TVN_SETDISPINFOW, TVN_SETDISPINFOA, &set.hdr, sizeof set);
      } else {
        item->text = text;
        item->textWidth = -1;
      }
      kept = true;
    }
  }
  m_edit = nullptr;
  m_editItem = nullptr;
  const bool hadFocus = GetFocus() == edit;
  DestroyWindow(edit);
  if (hadFocus && IsWindow(m_hwnd)) SetFocus(m_hwnd);
  if (IsLive(item)) RowsChanged();
  m_ending = false;
  return kept;
}

LRESULT TreeView::EditSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<TreeView*>(data);
  return comctl_detail::LabelEditMessage(hwnd, msg, wParam, lParam, self->m_edit == hwnd, self->m_ending,
                                         [self](bool cancel) { self->EndEdit(cancel); });
}

// ---- messages --------------------------------------------------------------------------------

LRESULT TreeView::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case TVM_INSERTITEMW:
    case TVM_INSERTITEMA: {
      if (!lParam) return 0;
      const auto& insert = *reinterpret_cast<const TVINSERTSTRUCTW*>(lParam);
      std::u16string text;
      const std::u16string* textPtr = nullptr;
      if (insert.itemex.mask & TVIF_TEXT) {
        if (msg == TVM_INSERTITEMA) {
          auto p = reinterpret_cast<const TVINSERTSTRUCTA*>(lParam)->itemex.pszText;
          if (!IsTextCallbackA(p)) text = Utf8ToUtf16(p ? p : ""), textPtr = &text;
        } else if (!IsTextCallbackW(insert.itemex.pszText)) {
          const char16_t* p = insert.itemex.pszText ? insert.itemex.pszText : u"";
          text.assign(p), textPtr = &text;
        }
      }
      return reinterpret_cast<LRESULT>(HandleOf(Insert(insert, textPtr)));
    }
    case TVM_DELETEITEM: return Delete(reinterpret_cast<HTREEITEM>(lParam));
    case TVM_EXPAND: {
      auto item = reinterpret_cast<HTREEITEM>(lParam);
      return IsLive(item) && Expand(item, wParam, TVC_UNKNOWN, true);
    }
    case TVM_GETITEMRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect) return FALSE;
      HTREEITEM item = *reinterpret_cast<HTREEITEM*>(rect);
      if (!IsLive(item)) return FALSE;
      BuildRows();
      if (item->row < 0) return FALSE;
      *rect = wParam ? LabelRect(item) : RowRect(item->row);
      return TRUE;
    }
    case TVM_GETCOUNT: return static_cast<LRESULT>(m_live.size());
    case TVM_GETINDENT: return m_indent;
    case TVM_SETINDENT:
      m_indent = std::max(static_cast<int>(wParam), 0);
      RowsChanged();
      return 0;
    case TVM_GETIMAGELIST:
      return reinterpret_cast<LRESULT>(wParam == TVSIL_STATE ? m_stateImages : wParam == TVSIL_NORMAL ? m_images : nullptr);
    case TVM_SETIMAGELIST: {
      HIMAGELIST list = reinterpret_cast<HIMAGELIST>(lParam);
      HIMAGELIST* slot = wParam == TVSIL_STATE ? &m_stateImages : wParam == TVSIL_NORMAL ? &m_images : nullptr;
      if (!slot) return 0;
      HIMAGELIST old = *slot;
      *slot = list;
      m_defaultHeight = -1;
      RowsChanged();
      return reinterpret_cast<LRESULT>(old);
    }
    case TVM_GETNEXTITEM: return reinterpret_cast<LRESULT>(NextItem(wParam, reinterpret_cast<HTREEITEM>(lParam)));
    case TVM_SELECTITEM: {
      auto item = reinterpret_cast<HTREEITEM>(lParam);
      if (item && !IsLive(item)) return FALSE;
      switch (wParam & 0xFF) {
        case TVGN_CARET: return Select(item, TVC_UNKNOWN, !(wParam & TVSI_NOSINGLEEXPAND));
        case TVGN_DROPHILITE: SetDropHilite(item); return TRUE;
        case TVGN_FIRSTVISIBLE:
          if (!item || !EnsureVisible(item)) return FALSE;
          ScrollTo(item->row, m_hscroll);
          return TRUE;
        default: return FALSE;
      }
    }
    case TVM_GETITEMW:
    case TVM_GETITEMA: {
      if (!lParam) return FALSE;
      auto& item = *reinterpret_cast<TVITEMEXW*>(lParam);
      const bool extended = (item.mask & (TVIF_INTEGRAL | TVIF_EXPANDEDIMAGE)) != 0;
      std::u16string text;
      if (!GetItem(item, extended, &text)) return FALSE;
      if (item.mask & TVIF_TEXT) {
        if (msg == TVM_GETITEMA) CopyOut(Utf16ToUtf8(text), reinterpret_cast<TVITEMEXA&>(item).pszText, item.cchTextMax);
        else CopyOut(text, item.pszText, item.cchTextMax);
      }
      return TRUE;
    }
    case TVM_SETITEMW:
    case TVM_SETITEMA: {
      if (!lParam) return FALSE;
      const auto& item = *reinterpret_cast<const TVITEMEXW*>(lParam);
      const bool extended = (item.mask & (TVIF_INTEGRAL | TVIF_EXPANDEDIMAGE)) != 0;
      std::u16string text;
      const std::u16string* textPtr = nullptr;
      if (item.mask & TVIF_TEXT) {
        if (msg == TVM_SETITEMA) {
          auto p = reinterpret_cast<const TVITEMEXA&>(item).pszText;
          if (!IsTextCallbackA(p)) text = Utf8ToUtf16(p ? p : ""), textPtr = &text;
        } else if (!IsTextCallbackW(item.pszText)) {
          text.assign(item.pszText ? item.pszText : u""), textPtr = &text;
        }
      }
      return SetItem(item, extended, textPtr);
    }
    case TVM_EDITLABELW:
    case TVM_EDITLABELA: return reinterpret_cast<LRESULT>(EditLabel(IsLive(reinterpret_cast<HTREEITEM>(lParam)) ? reinterpret_cast<HTREEITEM>(lParam) : nullptr));
    case TVM_GETEDITCONTROL: return reinterpret_cast<LRESULT>(m_edit);
    case TVM_ENDEDITLABELNOW: return m_edit ? (EndEdit(wParam != 0), TRUE) : FALSE;
    case TVM_GETVISIBLECOUNT: return VisibleRowCount();
    case TVM_HITTEST: {
      auto* info = reinterpret_cast<TVHITTESTINFO*>(lParam);
      if (!info) return 0;
      HTREEITEM item = nullptr;
      info->flags = HitTest(info->pt, &item);
      info->hItem = item;
      return reinterpret_cast<LRESULT>(item);
    }
    case TVM_ENSUREVISIBLE: {
      auto item = reinterpret_cast<HTREEITEM>(lParam);
      return IsLive(item) && EnsureVisible(item);
    }
    case TVM_SORTCHILDREN:
    case TVM_SORTCHILDRENCB: {
      Item* parent;
      PFNTVCOMPARE compare = nullptr;
      LPARAM sortParam = 0;
      if (msg == TVM_SORTCHILDRENCB) {
        auto* sort = reinterpret_cast<const TVSORTCB*>(lParam);
        if (!sort || !sort->lpfnCompare) return FALSE;
        parent = ParentFromHandle(sort->hParent);
        compare = sort->lpfnCompare;
        sortParam = sort->lParam;
      } else {
        parent = ParentFromHandle(reinterpret_cast<HTREEITEM>(lParam));
      }
      if (!parent) return FALSE;
      SortChildren(parent, wParam != 0, compare, sortParam, msg == TVM_SORTCHILDREN);
      RowsChanged();
      return TRUE;
    }
    case TVM_SETITEMHEIGHT: {
      const int old = RowHeight();
      int height = static_cast<int>(static_cast<SHORT>(LOWORD(wParam)));
      if (height != -1) {
        height = std::max(height, 1);
        if (!(GetWindowLongPtrW(m_hwnd, GWL_STYLE) & TVS_NONEVENHEIGHT) && height > 1) height &= ~1;
      }
      m_itemHeight = height;
      RowsChanged();
      return old;
    }
    case TVM_GETITEMHEIGHT: return RowHeight();
    case TVM_SETBKCOLOR:
    case TVM_SETTEXTCOLOR:
    case TVM_SETLINECOLOR: {
      COLORREF& slot = msg == TVM_SETBKCOLOR ? m_bkColor : msg == TVM_SETTEXTCOLOR ? m_textColor : m_lineColor;
      const COLORREF old = slot;
      const auto value = static_cast<COLORREF>(lParam);
      slot = value == CLR_NONE || value == CLR_DEFAULT ? CLR_DEFAULT : value;
      Redraw();
      return old == CLR_DEFAULT ? static_cast<LRESULT>(-1) : static_cast<LRESULT>(old);
    }
    case TVM_GETBKCOLOR: return m_bkColor == CLR_DEFAULT ? -1 : static_cast<LRESULT>(m_bkColor);
    case TVM_GETTEXTCOLOR: return m_textColor == CLR_DEFAULT ? -1 : static_cast<LRESULT>(m_textColor);
    case TVM_GETLINECOLOR: return m_lineColor == CLR_DEFAULT ? -1 : static_cast<LRESULT>(m_lineColor);
    case TVM_GETITEMSTATE: {
      auto item = reinterpret_cast<HTREEITEM>(wParam);
      return IsLive(item) ? static_cast<LRESULT>(item->state & static_cast<UINT>(lParam)) : 0;
    }
    case CCM_SETUNICODEFORMAT: {
      const bool old = m_unicode;
      m_unicode = wParam != 0;
      return old;
    }
    case CCM_GETUNICODEFORMAT: return m_unicode;
    case WM_NOTIFYFORMAT:
      if (lParam == NF_REQUERY) comctl_detail::RequeryNotifyFormat(m_hwnd, m_unicode);
      return m_unicode ? NFR_UNICODE : NFR_ANSI;
    case WM_SETFONT:
      m_font = reinterpret_cast<HFONT>(wParam);
      m_defaultHeight = -1;
      for (HTREEITEM item : m_live) item->textWidth = -1;
      RowsChanged();
      if (lParam) InvalidateRect(m_hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(m_font);
    case WM_SETREDRAW:
      m_redraw = wParam != 0;
      if (m_redraw) {
        UpdateScrollBars();
        InvalidateRect(m_hwnd, nullptr, TRUE);
      }
      return 0;
    case WM_ERASEBKGND:
      EraseBackground(reinterpret_cast<HDC>(wParam));
      return TRUE;
    case WM_PAINT:
      return comctl_detail::AnswerPaint(m_hwnd, wParam, [this](HDC dc, const RECT& area) { Paint(dc, area); });
    case WM_PRINTCLIENT: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      RECT client;
      GetClientRect(m_hwnd, &client);
      if (lParam & PRF_ERASEBKGND) SendMessageW(m_hwnd, WM_ERASEBKGND, wParam, 0);
      Paint(dc, client);
      return 0;
    }
    case WM_SIZE:
      if (m_redraw) UpdateScrollBars();
      return 0;
    case WM_STYLECHANGED:
      m_defaultHeight = -1;
      if (wParam == static_cast<WPARAM>(GWL_STYLE) && lParam) {
        const auto* change = reinterpret_cast<const STYLESTRUCT*>(lParam);
        if ((change->styleNew & TVS_CHECKBOXES) && !(change->styleOld & TVS_CHECKBOXES))
          for (HTREEITEM item : m_live)
            if ((item->state & TVIS_STATEIMAGEMASK) == 0) item->state |= INDEXTOSTATEIMAGEMASK(1);
      }
      RowsChanged();
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return 0;
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE: InvalidateRect(m_hwnd, nullptr, TRUE); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
      m_focused = true;
      if (m_selected) InvalidateItem(m_selected);
      NotifyCode(NM_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      m_focused = false;
      if (m_selected) InvalidateItem(m_selected);
      NotifyCode(NM_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      OnButtonDown(msg == WM_RBUTTONDOWN, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      OnButtonUp(msg == WM_RBUTTONUP, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONDBLCLK:
      OnDoubleClick(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_RBUTTONDBLCLK: NotifyCode(NM_RDBLCLK); return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, wParam);
      return 0;
    case WM_MOUSELEAVE:
      if (m_hot) {
        InvalidateItem(m_hot);
        m_hot = nullptr;
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != m_hwnd && m_pending.active) {
        if (m_pending.right) SetDropHilite(nullptr);
        m_pending = Pending{};
      }
      return 0;
    case WM_MOUSEWHEEL: {
      const int lines = -GET_WHEEL_DELTA_WPARAM(wParam) / 120 * 3;
      if (lines) ScrollTo(m_top + lines, m_hscroll);
      return 0;
    }
    case WM_VSCROLL:
    case WM_HSCROLL:
      OnScroll(msg == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(wParam));
      return 0;
    case WM_KEYDOWN: OnKeyDown(wParam); return 0;
    case WM_CHAR: OnChar(static_cast<char16_t>(wParam)); return 0;
    case WM_TIMER:
      if (wParam == kEditTimer) {
        KillTimer(m_hwnd, kEditTimer);
        Item* item = m_editAfterTimer;
        m_editAfterTimer = nullptr;
        if (item && IsLive(item) && item == m_selected && GetFocus() == m_hwnd) EditLabel(item);
        return 0;
      }
      break;
    case WM_DESTROY:
      m_inDestroy = true;
      if (m_edit) EndEdit(true);
      KillTimer(m_hwnd, kEditTimer);
      m_redraw = false;
      m_selected = nullptr;
      while (Item* child = m_root.firstChild) DeleteSubtree(child, true);
      return 0;
    default: break;
  }
  return DefWindowProcW(m_hwnd, msg, wParam, lParam);
}

namespace {

void RegisterTreeViewClass() {
  comctl_detail::RegisterControlClass({.name = WC_TREEVIEWW,
                                       .procedure = comctl_detail::ControlWindowProc<TreeView>,
                                       .style = CS_DBLCLKS | CS_GLOBALCLASS});
}

const comctl_detail::ClassRegistration g_registration(RegisterTreeViewClass);

}  // namespace

}  // namespace treeview_detail
}  // namespace platform
