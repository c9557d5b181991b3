// The list view's model (rows, states, columns, groups), its notifications and its message
// dispatch.

#include <algorithm>
#include <cwctype>
#include <numeric>

#include "platform/comctl/Edit.h"
#include "platform/comctl/ListViewControl.h"
#include "platform/comctl/OwnerDraw.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/ScrollBars.h"

namespace platform::listview_detail {

namespace {

constexpr int kDispTextMax = 1024;  // the buffer a LVN_GETDISPINFO answer may fill

static_assert(sizeof(LVITEMA) == sizeof(LVITEMW));
static_assert(sizeof(LVCOLUMNA) == sizeof(LVCOLUMNW));
static_assert(sizeof(LVFINDINFOA) == sizeof(LVFINDINFOW));
static_assert(sizeof(NMLVDISPINFOA) == sizeof(NMLVDISPINFOW));

bool StartsWithNoCase(const std::u16string& text, const std::u16string& prefix) {
  if (prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::towlower(static_cast<wint_t>(text[i])) != std::towlower(static_cast<wint_t>(prefix[i]))) return false;
  return true;
}

std::u16string Prefix(const char16_t* text, int length) {
  if (!text) return {};
  if (length < 0) return std::u16string(text);
  std::u16string out;
  for (int i = 0; i < length && text[i]; ++i) out.push_back(text[i]);
  return out;
}

}  // namespace

// Reads the text an A or W message carries; null for LPSTR_TEXTCALLBACK.
bool ReadText(bool ansi, const void* pointer, std::u16string* out) {
  if (ansi) {
    auto p = static_cast<const char*>(pointer);
    if (p == LPSTR_TEXTCALLBACKA) return false;
    *out = Utf8ToUtf16(p ? p : "");
    return true;
  }
  auto p = static_cast<const char16_t*>(pointer);
  if (p == LPSTR_TEXTCALLBACKW) return false;
  out->assign(p ? p : u"");
  return true;
}

ListView::ListView(HWND hwnd) : m_hwnd(hwnd) {
  m_bkColor = GetSysColor(COLOR_WINDOW);
  m_textColor = GetSysColor(COLOR_WINDOWTEXT);
  m_textBkColor = GetSysColor(COLOR_WINDOW);
  m_outlineColor = GetSysColor(COLOR_HIGHLIGHT);
  m_unicode = comctl_detail::ParentTakesUnicode(hwnd);
}

ListView::~ListView() {
  if (m_checkImages) ImageList_Destroy(m_checkImages);
}

DWORD ListView::Style() const { return static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE)); }

// ---- notifications ---------------------------------------------------------------------------

LRESULT ListView::Notify(UINT codeW, UINT codeA, NMHDR* header) {
  HWND parent = GetParent(m_hwnd);
  if (!parent) return 0;
  header->hwndFrom = m_hwnd;
  header->idFrom = static_cast<UINT_PTR>(GetWindowLongPtrW(m_hwnd, GWLP_ID));
  header->code = m_unicode ? codeW : codeA;
  return SendMessageW(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

LRESULT ListView::NotifyCode(UINT code) {
  NMHDR header{};
  return Notify(code, code, &header);
}

LRESULT ListView::NotifyListView(UINT code, int row, int subItem, UINT newState, UINT oldState, UINT changed,
                                 POINT action) {
  NMLISTVIEW nm{};
  nm.iItem = row;
  nm.iSubItem = subItem;
  nm.uNewState = newState;
  nm.uOldState = oldState;
  nm.uChanged = changed;
  nm.ptAction = action;
  nm.lParam = ParamOf(row);
  return Notify(code, code, &nm.hdr);
}

LRESULT ListView::NotifyActivate(UINT code, int row, int subItem, POINT at) {
  NMITEMACTIVATE nm{};
  nm.iItem = row;
  nm.iSubItem = subItem;
  nm.ptAction = at;
  nm.lParam = ParamOf(row);
  if (GetKeyState(VK_MENU) < 0) nm.uKeyFlags |= LVKF_ALT;
  if (GetKeyState(VK_CONTROL) < 0) nm.uKeyFlags |= LVKF_CONTROL;
  if (GetKeyState(VK_SHIFT) < 0) nm.uKeyFlags |= LVKF_SHIFT;
  return Notify(code, code, &nm.hdr);
}

// Asks the parent for what the control does not keep: `mask` LVIF_TEXT/IMAGE/INDENT/STATE.
void ListView::FillDispInfo(int row, int subItem, UINT mask, std::u16string* text, int* image, int* indent) {
  NMLVDISPINFOW nm{};
  std::vector<char16_t> wide;
  std::vector<char> ansi;
  nm.item.mask = mask;
  nm.item.iItem = row;
  nm.item.iSubItem = subItem;
  nm.item.lParam = ParamOf(row);
  if (mask & LVIF_STATE) {
    nm.item.stateMask = (m_callbackMask | (HasCheckBoxes() ? LVIS_STATEIMAGEMASK : 0)) & ~(LVIS_SELECTED | LVIS_FOCUSED);
    nm.item.state = OwnerData() ? StateOf(row) : m_rows[static_cast<size_t>(row)].state;
  }
  if (mask & LVIF_TEXT) {
    if (m_unicode) {
      wide.assign(kDispTextMax, 0);
      nm.item.pszText = wide.data();
    } else {
      ansi.assign(kDispTextMax * 3, 0);
      nm.item.pszText = reinterpret_cast<LPWSTR>(ansi.data());
    }
    nm.item.cchTextMax = m_unicode ? kDispTextMax : kDispTextMax * 3;
  }
  if (mask & LVIF_IMAGE) nm.item.iImage = image ? *image : 0;
  if (mask & LVIF_INDENT) nm.item.iIndent = indent ? *indent : 0;
  Notify(LVN_GETDISPINFOW, LVN_GETDISPINFOA, &nm.hdr);
  if ((mask & LVIF_TEXT) && text) {
    if (!nm.item.pszText) text->clear();
    else if (m_unicode) text->assign(nm.item.pszText);
    else *text = Utf8ToUtf16(reinterpret_cast<const char*>(nm.item.pszText));
  }
  if ((mask & LVIF_IMAGE) && image) *image = nm.item.iImage;
  if ((mask & LVIF_INDENT) && indent) *indent = nm.item.iIndent;
  if (mask & LVIF_STATE) {
    // An answer that leaves the state image out of its mask shows none for this row.
    m_dispState = (nm.item.state & nm.item.stateMask);
    m_dispStateMask = nm.item.stateMask;
  }
  // LVIF_DI_SETITEM: keep what the parent gave.
  if ((nm.item.mask & LVIF_DI_SETITEM) && !OwnerData() && Valid(row)) {
    Row& r = m_rows[static_cast<size_t>(row)];
    Cell* cell = subItem == 0 ? &r.label : nullptr;
    if (subItem > 0 && static_cast<size_t>(subItem) <= r.subItems.size()) cell = &r.subItems[static_cast<size_t>(subItem - 1)];
    if (cell && (mask & LVIF_TEXT) && text) {
      cell->text = *text;
      cell->callback = false;
    }
    if ((mask & LVIF_IMAGE) && image) {
      if (subItem == 0) r.image = *image;
      else if (cell) cell->image = *image;
    }
  }
}

void ListView::CacheHint(int from, int to) {
  if (!OwnerData() || from > to || from < 0) return;
  NMLVCACHEHINT nm{};
  nm.iFrom = from;
  nm.iTo = to;
  Notify(LVN_ODCACHEHINT, LVN_ODCACHEHINT, &nm.hdr);
}

// ---- rows ------------------------------------------------------------------------------------

UINT ListView::StateOf(int row) const {
  if (!Valid(row)) return 0;
  if (OwnerData()) return row < static_cast<int>(m_ownerStates.size()) ? m_ownerStates[static_cast<size_t>(row)] : 0;
  return m_rows[static_cast<size_t>(row)].state;
}

int ListView::SelectedCount() const {
  int n = 0;
  if (OwnerData()) {
    for (UINT s : m_ownerStates) n += (s & LVIS_SELECTED) ? 1 : 0;
  } else {
    for (const Row& r : m_rows) n += (r.state & LVIS_SELECTED) ? 1 : 0;
  }
  return n;
}

bool ListView::SetState(int row, UINT state, UINT mask, bool notify) {
  if (row == -1) {
    // Every row: owner data reports the whole change as one LVN_ITEMCHANGED of row -1.
    if (OwnerData()) {
      bool changed = false;
      for (int i = 0; i < Count(); ++i) {
        UINT& s = m_ownerStates[static_cast<size_t>(i)];
        const UINT n = (s & ~mask) | (state & mask);
        if (n != s) {
          s = n;
          changed = true;
        }
      }
      if ((mask & LVIS_FOCUSED) && !(state & LVIS_FOCUSED)) m_focus = -1;
      if (changed || !notify) {
        if (notify) NotifyListView(LVN_ITEMCHANGED, -1, 0, state & mask, 0, LVIF_STATE);
        if (m_redraw) InvalidateRect(m_hwnd, nullptr, TRUE);
      }
      return true;
    }
    for (int i = 0; i < Count(); ++i) SetState(i, state, mask, notify);
    return true;
  }
  if (!Valid(row)) return false;
  const UINT old = StateOf(row);
  UINT now = (old & ~mask) | (state & mask);
  if (now == old) return true;
  if (!OwnerData() && notify) {
    if (NotifyListView(LVN_ITEMCHANGING, row, 0, now, old, LVIF_STATE)) return false;
    if (!Valid(row)) return false;
  }
  // One focused row; one selected row with LVS_SINGLESEL.
  if ((now & LVIS_FOCUSED) && !(old & LVIS_FOCUSED) && m_focus != row && Valid(m_focus)) {
    const int previous = m_focus;
    m_focus = -1;
    SetState(previous, 0, LVIS_FOCUSED, notify);
  }
  if ((now & LVIS_SELECTED) && !(old & LVIS_SELECTED) && (Style() & LVS_SINGLESEL)) {
    for (int i = 0; i < Count(); ++i)
      if (i != row && (StateOf(i) & LVIS_SELECTED)) SetState(i, 0, LVIS_SELECTED, notify);
  }
  if (OwnerData()) m_ownerStates[static_cast<size_t>(row)] = now;
  else m_rows[static_cast<size_t>(row)].state = now;
  if (now & LVIS_FOCUSED) m_focus = row;
  else if (m_focus == row) m_focus = -1;
  if (now & LVIS_DROPHILITED) m_dropHilite = row;
  else if (m_dropHilite == row) m_dropHilite = -1;
  InvalidateRow(row);
  if (notify) NotifyListView(LVN_ITEMCHANGED, row, 0, now, old, LVIF_STATE);
  return true;
}

void ListView::ClearSelection(int except) {
  if (OwnerData()) {
    // Report the deselection as ranges of consecutive rows.
    int from = -1;
    for (int i = 0; i <= Count(); ++i) {
      const bool selected = i < Count() && i != except && (m_ownerStates[static_cast<size_t>(i)] & LVIS_SELECTED);
      if (selected && from < 0) from = i;
      if (!selected && from >= 0) {
        SelectRange(from, i - 1, false);
        from = -1;
      }
    }
    return;
  }
  for (int i = 0; i < Count(); ++i)
    if (i != except && (StateOf(i) & LVIS_SELECTED)) SetState(i, 0, LVIS_SELECTED);
}

void ListView::SelectRange(int from, int to, bool select) {
  if (from > to) std::swap(from, to);
  from = std::max(from, 0);
  to = std::min(to, Count() - 1);
  if (from > to) return;
  if (!OwnerData()) {
    for (int i = from; i <= to; ++i) SetState(i, select ? LVIS_SELECTED : 0, LVIS_SELECTED);
    return;
  }
  bool changed = false;
  for (int i = from; i <= to; ++i) {
    UINT& s = m_ownerStates[static_cast<size_t>(i)];
    const UINT n = select ? (s | LVIS_SELECTED) : (s & ~LVIS_SELECTED);
    if (n != s) {
      s = n;
      changed = true;
      InvalidateRow(i);
    }
  }
  if (!changed) return;
  if (from == to) {
    NotifyListView(LVN_ITEMCHANGED, from, 0, select ? LVIS_SELECTED : 0, select ? 0 : LVIS_SELECTED, LVIF_STATE);
    return;
  }
  NMLVODSTATECHANGE nm{};
  nm.iFrom = from;
  nm.iTo = to;
  nm.uNewState = select ? LVIS_SELECTED : 0;
  nm.uOldState = select ? 0 : LVIS_SELECTED;
  Notify(LVN_ODSTATECHANGED, LVN_ODSTATECHANGED, &nm.hdr);
}

void ListView::ToggleCheck(int row) {
  if (!Valid(row) || !HasCheckBoxes()) return;
  // With owner data the parent keeps the marks and toggles them on its own clicks and keys.
  if (OwnerData()) return;
  const UINT image = StateOf(row) & LVIS_STATEIMAGEMASK;
  if (image == 0) return;
  const UINT next = image == INDEXTOSTATEIMAGEMASK(2) ? INDEXTOSTATEIMAGEMASK(1) : INDEXTOSTATEIMAGEMASK(2);
  SetState(row, next, LVIS_STATEIMAGEMASK);
}

int ListView::InsertItem(const LVITEMW& in, const std::u16string* text) {
  if (OwnerData()) return -1;
  if (in.iSubItem != 0) return -1;
  int row = std::clamp(in.iItem, 0, Count());
  Row r;
  if (in.mask & LVIF_TEXT) {
    if (text) r.label.text = *text;
    else r.label.callback = true;
  }
  if (in.mask & LVIF_IMAGE) r.image = in.iImage;
  if (in.mask & LVIF_PARAM) r.lParam = in.lParam;
  if (in.mask & LVIF_INDENT) r.indent = in.iIndent;
  if (in.mask & LVIF_GROUPID) r.groupId = in.iGroupId;
  UINT initial = (in.mask & LVIF_STATE) ? (in.state & in.stateMask) : 0;
  if (HasCheckBoxes() && !(initial & LVIS_STATEIMAGEMASK)) initial |= INDEXTOSTATEIMAGEMASK(1);
  r.state = initial & ~(LVIS_SELECTED | LVIS_FOCUSED);
  const DWORD style = Style();
  if ((style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) && !r.label.callback) {
    const bool descending = (style & LVS_SORTDESCENDING) != 0;
    row = 0;
    while (row < Count()) {
      const std::u16string& other = m_rows[static_cast<size_t>(row)].label.text;
      const bool before = descending ? r.label.text > other : r.label.text < other;
      if (before) break;
      ++row;
    }
  }
  m_rows.insert(m_rows.begin() + row, std::move(r));
  for (int* index : {&m_focus, &m_anchor, &m_hot, &m_dropHilite, &m_editRow, &m_insertMark, &m_pending.row})
    if (*index >= row) ++*index;
  LayoutChanged();
  NotifyListView(LVN_INSERTITEM, row, 0, 0, 0, 0);
  if (Valid(row) && (initial & (LVIS_SELECTED | LVIS_FOCUSED)))
    SetState(row, initial & (LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
  return row;
}

bool ListView::DeleteItem(int row) {
  if (!Valid(row)) return false;
  if (m_editRow == row) EndEdit(true);
  if (!Valid(row)) return false;
  if (!OwnerData()) {
    NotifyListView(LVN_DELETEITEM, row, 0, 0, 0, 0);
    if (!Valid(row)) return false;
    m_rows.erase(m_rows.begin() + row);
  } else {
    m_ownerStates.erase(m_ownerStates.begin() + row);
    --m_ownerCount;
  }
  for (int* index : {&m_focus, &m_anchor, &m_hot, &m_dropHilite, &m_editRow, &m_insertMark, &m_pending.row}) {
    if (*index == row) *index = -1;
    else if (*index > row) --*index;
  }
  LayoutChanged();
  return true;
}

bool ListView::DeleteAll() {
  if (m_edit) EndEdit(true);
  if (OwnerData()) {
    SetItemCount(0, 0);
    return true;
  }
  if (m_rows.empty()) return true;
  const bool quiet = NotifyListView(LVN_DELETEALLITEMS, -1, 0, 0, 0, 0) != 0;
  if (!quiet) {
    // From the last row, so that the indexes notified stay those of live rows.
    for (int i = Count() - 1; i >= 0; --i) {
      if (i >= Count()) continue;
      NotifyListView(LVN_DELETEITEM, i, 0, 0, 0, 0);
    }
  }
  m_rows.clear();
  m_focus = m_anchor = m_hot = m_dropHilite = m_insertMark = -1;
  m_pending = Pending{};
  m_scrollX = m_scrollY = 0;
  LayoutChanged();
  return true;
}

void ListView::SetItemCount(int count, LPARAM flags) {
  if (!OwnerData()) {
    m_rows.reserve(static_cast<size_t>(std::max(count, 0)));
    return;
  }
  count = std::max(count, 0);
  const int old = m_ownerCount;
  m_ownerCount = count;
  m_ownerStates.resize(static_cast<size_t>(count), 0);
  for (int* index : {&m_focus, &m_anchor, &m_hot, &m_dropHilite, &m_insertMark})
    if (*index >= count) *index = -1;
  ForgetMeasurements();
  if (!(flags & LVSICF_NOSCROLL)) {
    // Keep the top row unless it is gone.
  }
  UpdateScrollBars();
  if (!m_redraw) return;
  if ((flags & LVSICF_NOINVALIDATEALL) && count >= old && old > 0) {
    // Only the rows from the old end on change.
    for (int i = old; i < count && i < old + CountPerPage() + 1; ++i) InvalidateRow(i);
    InvalidateRow(old - 1);
  } else {
    InvalidateRect(m_hwnd, nullptr, TRUE);
  }
}

std::u16string ListView::TextOf(int row, int subItem) {
  if (!Valid(row)) return {};
  if (OwnerData()) {
    std::u16string text;
    FillDispInfo(row, subItem, LVIF_TEXT, &text, nullptr, nullptr);
    return text;
  }
  const Row& r = m_rows[static_cast<size_t>(row)];
  const Cell* cell = subItem == 0 ? &r.label : nullptr;
  if (subItem > 0) {
    if (static_cast<size_t>(subItem) > r.subItems.size()) return {};
    cell = &r.subItems[static_cast<size_t>(subItem - 1)];
  }
  if (!cell->callback) return cell->text;
  std::u16string text;
  FillDispInfo(row, subItem, LVIF_TEXT, &text, nullptr, nullptr);
  return text;
}

int ListView::ImageOf(int row, int subItem) {
  if (!Valid(row)) return I_IMAGENONE;
  int image = 0;
  if (OwnerData()) {
    FillDispInfo(row, subItem, LVIF_IMAGE, nullptr, &image, nullptr);
    return image;
  }
  const Row& r = m_rows[static_cast<size_t>(row)];
  if (subItem == 0) image = r.image;
  else image = static_cast<size_t>(subItem) <= r.subItems.size() ? r.subItems[static_cast<size_t>(subItem - 1)].image : I_IMAGENONE;
  if (image == I_IMAGECALLBACK) FillDispInfo(row, subItem, LVIF_IMAGE, nullptr, &image, nullptr);
  return image;
}

int ListView::IndentOf(int row) {
  if (!Valid(row)) return 0;
  int indent = OwnerData() ? 0 : m_rows[static_cast<size_t>(row)].indent;
  if (OwnerData() || indent == I_INDENTCALLBACK) {
    indent = 0;
    FillDispInfo(row, 0, LVIF_INDENT, nullptr, nullptr, &indent);
  }
  return std::max(indent, 0);
}

int ListView::GroupOf(int row) {
  if (!Valid(row) || OwnerData()) return I_GROUPIDNONE;
  return m_rows[static_cast<size_t>(row)].groupId;
}

bool ListView::SetItem(const LVITEMW& in, const std::u16string* text) {
  const int row = in.iItem;
  if (!Valid(row)) return false;
  if (OwnerData()) {
    // Only the states are the control's.
    if (in.mask & LVIF_STATE) SetState(row, in.state, in.stateMask);
    else InvalidateRow(row);
    return true;
  }
  if (in.iSubItem < 0) return false;
  if (in.iSubItem > 0) {
    Row& r = m_rows[static_cast<size_t>(row)];
    if (r.subItems.size() < static_cast<size_t>(in.iSubItem)) r.subItems.resize(static_cast<size_t>(in.iSubItem));
    Cell& cell = r.subItems[static_cast<size_t>(in.iSubItem - 1)];
    if (in.mask & LVIF_TEXT) {
      cell.callback = text == nullptr;
      cell.text = text ? *text : std::u16string();
    }
    if (in.mask & LVIF_IMAGE) cell.image = in.iImage;
    InvalidateRow(row);
    return true;
  }
  const UINT changed = in.mask & (LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_INDENT | LVIF_GROUPID);
  if (changed) {
    if (NotifyListView(LVN_ITEMCHANGING, row, 0, 0, 0, changed & (LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM))) return false;
    if (!Valid(row)) return false;
    Row& r = m_rows[static_cast<size_t>(row)];
    if (in.mask & LVIF_TEXT) {
      r.label.callback = text == nullptr;
      r.label.text = text ? *text : std::u16string();
    }
    if (in.mask & LVIF_IMAGE) r.image = in.iImage;
    if (in.mask & LVIF_PARAM) r.lParam = in.lParam;
    if (in.mask & LVIF_INDENT) r.indent = in.iIndent;
    const bool regroup = (in.mask & LVIF_GROUPID) && r.groupId != in.iGroupId;
    if (in.mask & LVIF_GROUPID) r.groupId = in.iGroupId;
    if (regroup || (in.mask & LVIF_TEXT)) LayoutChanged();
    else InvalidateRow(row);
    NotifyListView(LVN_ITEMCHANGED, row, 0, 0, 0, changed & (LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM));
  }
  if ((in.mask & LVIF_STATE) && Valid(row)) SetState(row, in.state, in.stateMask);
  return true;
}

bool ListView::GetItem(LVITEMW& item, bool ansi) {
  const int row = item.iItem;
  if (!Valid(row) || item.iSubItem < 0) return false;
  std::u16string text;
  if (item.mask & LVIF_TEXT) text = TextOf(row, item.iSubItem);
  if (item.mask & LVIF_IMAGE) item.iImage = ImageOf(row, item.iSubItem);
  if (item.mask & LVIF_STATE) {
    UINT state = StateOf(row);
    if (OwnerData() && (item.stateMask & ~(LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT | LVIS_DROPHILITED))) {
      FillDispInfo(row, 0, LVIF_STATE, nullptr, nullptr, nullptr);
      state = (state & (LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT | LVIS_DROPHILITED)) | (m_dispState & ~(LVIS_SELECTED | LVIS_FOCUSED));
    }
    item.state = state & item.stateMask;
  }
  if (item.mask & LVIF_PARAM) item.lParam = ParamOf(row);
  if (item.mask & LVIF_INDENT) item.iIndent = IndentOf(row);
  if (item.mask & LVIF_GROUPID) item.iGroupId = GroupOf(row);
  if (item.mask & LVIF_TEXT) {
    if (ansi) CopyOut(Utf16ToUtf8(text), reinterpret_cast<LVITEMA&>(item).pszText, item.cchTextMax);
    else CopyOut(text, item.pszText, item.cchTextMax);
  }
  return true;
}

int ListView::FindItem(int start, const LVFINDINFOW& find, const std::u16string& text) {
  const int count = Count();
  if (count == 0) return -1;
  if (OwnerData()) {
    NMLVFINDITEMW nm{};
    nm.iStart = start;
    nm.lvfi = find;
    std::string ansi = Utf16ToUtf8(text);
    std::u16string wide = text;
    if (find.flags & (LVFI_STRING | LVFI_PARTIAL | LVFI_SUBSTRING))
      nm.lvfi.psz = m_unicode ? wide.c_str() : reinterpret_cast<LPCWSTR>(ansi.c_str());
    const LRESULT found = Notify(LVN_ODFINDITEMW, LVN_ODFINDITEMA, &nm.hdr);
    return found >= 0 && found < Count() ? static_cast<int>(found) : -1;
  }
  if (find.flags & LVFI_NEARESTXY) return NearestItem(find.pt, find.vkDirection, start);
  const int first = start < 0 ? 0 : start + 1;
  const bool wrap = (find.flags & LVFI_WRAP) != 0;
  for (int n = 0; n < count; ++n) {
    const int i = first + n;
    if (i >= count && !wrap) break;
    const int row = i % count;
    if (find.flags & LVFI_PARAM) {
      if (m_rows[static_cast<size_t>(row)].lParam == find.lParam) return row;
      continue;
    }
    const std::u16string label = TextOf(row, 0);
    if (find.flags & (LVFI_PARTIAL | LVFI_SUBSTRING)) {
      if (StartsWithNoCase(label, text)) return row;
    } else if (find.flags & LVFI_STRING) {
      if (label.size() == text.size() && StartsWithNoCase(label, text)) return row;
    }
  }
  return -1;
}

int ListView::NextItem(int start, UINT flags) {
  const int count = Count();
  const UINT states = flags & LVNI_STATEMASK;
  auto matches = [&](int row) { return (StateOf(row) & states) == states; };
  const UINT direction = flags & LVNI_DIRECTIONMASK;
  if (direction) {
    if (!Valid(start)) return -1;
    UINT vk = direction == LVNI_ABOVE ? VK_UP : direction == LVNI_BELOW ? VK_DOWN : direction == LVNI_TOLEFT ? VK_LEFT : VK_RIGHT;
    int row = start;
    for (;;) {
      const RECT r = ItemRect(row, LVIR_BOUNDS);
      const POINT from{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
      const int next = NearestItem(from, vk, row);
      if (next < 0 || next == row) return -1;
      if (matches(next)) return next;
      row = next;
    }
  }
  for (int row = std::max(start + 1, 0); row < count; ++row)
    if (matches(row)) return row;
  return -1;
}

bool ListView::SortItems(PFNLVCOMPARE compare, LPARAM param, bool byIndex) {
  if (OwnerData() || !compare) return false;
  if (m_edit) EndEdit(true);
  std::vector<int> order(m_rows.size());
  std::iota(order.begin(), order.end(), 0);
  std::vector<LPARAM> params(m_rows.size());
  for (size_t i = 0; i < m_rows.size(); ++i) params[i] = m_rows[i].lParam;
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return byIndex ? compare(a, b, param) < 0 : compare(params[static_cast<size_t>(a)], params[static_cast<size_t>(b)], param) < 0;
  });
  std::vector<Row> sorted;
  sorted.reserve(m_rows.size());
  std::vector<int> newIndex(m_rows.size());
  for (size_t i = 0; i < order.size(); ++i) {
    newIndex[static_cast<size_t>(order[i])] = static_cast<int>(i);
    sorted.push_back(std::move(m_rows[static_cast<size_t>(order[i])]));
  }
  m_rows = std::move(sorted);
  for (int* index : {&m_focus, &m_anchor, &m_hot, &m_dropHilite, &m_insertMark})
    if (*index >= 0 && *index < static_cast<int>(newIndex.size())) *index = newIndex[static_cast<size_t>(*index)];
  for (Row& r : m_rows) r.placed = false;
  LayoutChanged();
  return true;
}

// ---- columns ---------------------------------------------------------------------------------

int ListView::InsertColumn(int index, const LVCOLUMNW& in, const std::u16string* text) {
  index = std::clamp(index, 0, ColumnCount());
  Column c;
  if (in.mask & LVCF_FMT) c.fmt = in.fmt;
  if (in.mask & LVCF_WIDTH) c.width = std::max(0, in.cx);
  if ((in.mask & LVCF_TEXT) && text) c.text = *text;
  if (in.mask & LVCF_IMAGE) c.image = in.iImage;
  c.subItem = (in.mask & LVCF_SUBITEM) ? in.iSubItem : index;
  if (in.mask & LVCF_MINWIDTH) c.minWidth = in.cxMin;
  // Column 0 is always left aligned.
  if (index == 0) c.fmt &= ~LVCFMT_JUSTIFYMASK;
  m_columns.insert(m_columns.begin() + index, c);
  if (m_header) {
    HDITEMW hd{};
    hd.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_LPARAM;
    hd.cxy = c.width;
    hd.pszText = const_cast<LPWSTR>(c.text.c_str());
    hd.fmt = (c.fmt & LVCFMT_JUSTIFYMASK) | HDF_STRING;
    if ((c.fmt & LVCFMT_IMAGE) && c.image >= 0) {
      hd.mask |= HDI_IMAGE;
      hd.fmt |= HDF_IMAGE;
      hd.iImage = c.image;
    }
    if (in.mask & LVCF_ORDER) {
      hd.mask |= HDI_ORDER;
      hd.iOrder = in.iOrder;
    }
    SendMessageW(m_header, HDM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&hd));
  }
  LayoutChanged();
  return index;
}

bool ListView::DeleteColumn(int index) {
  if (index < 0 || index >= ColumnCount()) return false;
  if (m_edit) EndEdit(true);
  m_columns.erase(m_columns.begin() + index);
  // The sub-item texts of that column go with it (column 0 keeps the item's label).
  if (index > 0 && !OwnerData())
    for (Row& r : m_rows)
      if (static_cast<size_t>(index) <= r.subItems.size()) r.subItems.erase(r.subItems.begin() + (index - 1));
  if (m_header) SendMessageW(m_header, HDM_DELETEITEM, static_cast<WPARAM>(index), 0);
  LayoutChanged();
  return true;
}

bool ListView::SetColumn(int index, const LVCOLUMNW& in, const std::u16string* text) {
  if (index < 0 || index >= ColumnCount()) return false;
  Column& c = m_columns[static_cast<size_t>(index)];
  if (in.mask & LVCF_FMT) c.fmt = index == 0 ? (in.fmt & ~LVCFMT_JUSTIFYMASK) : in.fmt;
  if (in.mask & LVCF_WIDTH) c.width = std::max(0, in.cx);
  if ((in.mask & LVCF_TEXT) && text) c.text = *text;
  if (in.mask & LVCF_IMAGE) c.image = in.iImage;
  if (in.mask & LVCF_SUBITEM) c.subItem = in.iSubItem;
  if (in.mask & LVCF_MINWIDTH) c.minWidth = in.cxMin;
  if (m_header) {
    HDITEMW hd{};
    hd.mask = HDI_FORMAT;
    hd.fmt = (c.fmt & LVCFMT_JUSTIFYMASK) | HDF_STRING;
    if ((c.fmt & LVCFMT_IMAGE) && c.image >= 0) {
      hd.mask |= HDI_IMAGE;
      hd.fmt |= HDF_IMAGE;
      hd.iImage = c.image;
    }
    // Keep the header's own sort marks.
    HDITEMW current{};
    current.mask = HDI_FORMAT;
    SendMessageW(m_header, HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&current));
    hd.fmt |= current.fmt & (HDF_SORTUP | HDF_SORTDOWN);
    if (in.mask & LVCF_WIDTH) {
      hd.mask |= HDI_WIDTH;
      hd.cxy = c.width;
    }
    if (in.mask & LVCF_TEXT) {
      hd.mask |= HDI_TEXT;
      hd.pszText = const_cast<LPWSTR>(c.text.c_str());
    }
    if (in.mask & LVCF_ORDER) {
      hd.mask |= HDI_ORDER;
      hd.iOrder = in.iOrder;
    }
    SendMessageW(m_header, HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&hd));
  }
  LayoutChanged();
  return true;
}

bool ListView::GetColumn(int index, LVCOLUMNW& out, bool ansi) {
  if (index < 0 || index >= ColumnCount()) return false;
  const Column& c = m_columns[static_cast<size_t>(index)];
  if (out.mask & LVCF_FMT) out.fmt = c.fmt;
  if (out.mask & LVCF_WIDTH) out.cx = c.width;
  if (out.mask & LVCF_IMAGE) out.iImage = c.image;
  if (out.mask & LVCF_SUBITEM) out.iSubItem = c.subItem;
  if (out.mask & LVCF_MINWIDTH) out.cxMin = c.minWidth;
  if (out.mask & LVCF_ORDER) {
    const std::vector<int> order = ColumnOrder();
    out.iOrder = static_cast<int>(std::find(order.begin(), order.end(), index) - order.begin());
  }
  if (out.mask & LVCF_TEXT) {
    if (ansi) CopyOut(Utf16ToUtf8(c.text), reinterpret_cast<LVCOLUMNA&>(out).pszText, out.cchTextMax);
    else CopyOut(c.text, out.pszText, out.cchTextMax);
  }
  return true;
}

bool ListView::SetColumnWidth(int index, int width) {
  if (View() == LVS_LIST) {
    if (index != 0 && index != -1) return false;
    m_listColumnWidth = width < 0 ? 0 : width;
    LayoutChanged();
    return true;
  }
  if (index < 0 || index >= ColumnCount()) return false;
  if (width == LVSCW_AUTOSIZE || width == LVSCW_AUTOSIZE_USEHEADER) {
    int widest = 0;
    for (int row = 0; row < Count(); ++row) widest = std::max(widest, LabelWidth(row, index));
    widest += 12;
    if (index == 0) {
      const SIZE small = ImageSize(LVSIL_SMALL);
      widest += small.cx > 0 ? small.cx + 2 : 0;
      const SIZE state = StateImageSize();
      widest += state.cx > 0 ? state.cx : 0;
    }
    if (width == LVSCW_AUTOSIZE_USEHEADER) {
      HDC dc = GetDC(m_hwnd);
      HGDIOBJ old = SelectObject(dc, Font());
      SIZE size{};
      const std::u16string& text = m_columns[static_cast<size_t>(index)].text;
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
      SelectObject(dc, old);
      ReleaseDC(m_hwnd, dc);
      widest = std::max(widest, static_cast<int>(size.cx) + 14);
      // The last column in display order fills what is left of the client width.
      const std::vector<int> order = ColumnOrder();
      if (!order.empty() && order.back() == index) {
        RECT client;
        GetClientRect(m_hwnd, &client);
        const int left = ColumnLeft(index);
        widest = std::max(widest, static_cast<int>(client.right) - left);
      }
    }
    width = widest;
  }
  LVCOLUMNW c{};
  c.mask = LVCF_WIDTH;
  c.cx = std::max(0, width);
  return SetColumn(index, c, nullptr);
}

std::vector<int> ListView::ColumnOrder() {
  std::vector<int> order(m_columns.size());
  std::iota(order.begin(), order.end(), 0);
  if (m_header && !order.empty())
    SendMessageW(m_header, HDM_GETORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data()));
  return order;
}

int ListView::ColumnLeft(int index) {
  int x = 0;
  for (int c : ColumnOrder()) {
    if (c == index) return x;
    x += m_columns[static_cast<size_t>(c)].width;
  }
  return x;
}

// ---- groups ----------------------------------------------------------------------------------

int ListView::GroupIndex(int id) const {
  for (size_t i = 0; i < m_groups.size(); ++i)
    if (m_groups[i].id == id) return static_cast<int>(i);
  return -1;
}

namespace {

void ReadGroup(const LVGROUP& in, Group& g, bool full) {
  // Texts set are read to their terminator (their lengths only matter when reading back).
  auto text = [](LPWSTR p, int length) { return Prefix(p, length); };
  if (in.mask & LVGF_HEADER) g.header = text(in.pszHeader, -1);
  if (in.mask & LVGF_FOOTER) g.footer = text(in.pszFooter, -1);
  if (in.mask & LVGF_STATE) g.state = (g.state & ~in.stateMask) | (in.state & in.stateMask);
  if (in.mask & LVGF_ALIGN) g.align = in.uAlign;
  if (in.mask & LVGF_GROUPID) g.id = in.iGroupId;
  if (!full) return;
  if (in.mask & LVGF_SUBTITLE) g.subtitle = text(in.pszSubtitle, -1);
  if (in.mask & LVGF_TASK) g.task = text(in.pszTask, -1);
  if (in.mask & LVGF_DESCRIPTIONTOP) g.descriptionTop = text(in.pszDescriptionTop, -1);
  if (in.mask & LVGF_DESCRIPTIONBOTTOM) g.descriptionBottom = text(in.pszDescriptionBottom, -1);
  if (in.mask & LVGF_TITLEIMAGE) g.titleImage = in.iTitleImage;
  if (in.mask & LVGF_EXTENDEDIMAGE) g.extendedImage = in.iExtendedImage;
}

}  // namespace

int ListView::InsertGroup(int index, const LVGROUP& in) {
  if (in.cbSize < offsetof(LVGROUP, pszSubtitle) && in.cbSize != 40) return -1;
  if (!(in.mask & LVGF_GROUPID) || GroupIndex(in.iGroupId) >= 0) return -1;
  Group g;
  ReadGroup(in, g, in.cbSize >= LVGROUP_V6_MINSIZE);
  if (index < 0 || index > static_cast<int>(m_groups.size())) index = static_cast<int>(m_groups.size());
  m_groups.insert(m_groups.begin() + index, g);
  LayoutChanged();
  return index;
}

bool ListView::SetGroupInfo(int id, const LVGROUP& in) {
  const int index = GroupIndex(id);
  if (index < 0) return false;
  Group& g = m_groups[static_cast<size_t>(index)];
  ReadGroup(in, g, in.cbSize >= LVGROUP_V6_MINSIZE);
  LayoutChanged();
  return true;
}

bool ListView::GetGroupInfo(int id, LVGROUP& out) {
  const int index = GroupIndex(id);
  if (index < 0) return false;
  const Group& g = m_groups[static_cast<size_t>(index)];
  auto put = [](const std::u16string& text, LPWSTR buffer, int capacity) { CopyOut(text, buffer, capacity); };
  if (out.mask & LVGF_HEADER) put(g.header, out.pszHeader, out.cchHeader);
  if (out.mask & LVGF_FOOTER) put(g.footer, out.pszFooter, out.cchFooter);
  if (out.mask & LVGF_STATE) out.state = g.state & out.stateMask;
  if (out.mask & LVGF_ALIGN) out.uAlign = g.align;
  if (out.mask & LVGF_GROUPID) out.iGroupId = g.id;
  if (out.cbSize >= LVGROUP_V6_MINSIZE) {
    if (out.mask & LVGF_SUBTITLE) put(g.subtitle, out.pszSubtitle, static_cast<int>(out.cchSubtitle));
    if (out.mask & LVGF_DESCRIPTIONTOP) put(g.descriptionTop, out.pszDescriptionTop, static_cast<int>(out.cchDescriptionTop));
    if (out.mask & LVGF_DESCRIPTIONBOTTOM)
      put(g.descriptionBottom, out.pszDescriptionBottom, static_cast<int>(out.cchDescriptionBottom));
    if (out.mask & LVGF_TITLEIMAGE) out.iTitleImage = g.titleImage;
    if (out.mask & LVGF_EXTENDEDIMAGE) out.iExtendedImage = g.extendedImage;
    if (out.mask & LVGF_ITEMS) {
      out.cItems = 0;
      out.iFirstItem = -1;
      for (int row = 0; row < Count(); ++row)
        if (GroupOf(row) == id) {
          if (out.iFirstItem < 0) out.iFirstItem = row;
          ++out.cItems;
        }
    }
  }
  return true;
}

bool ListView::RemoveGroup(int id) {
  const int index = GroupIndex(id);
  if (index < 0) return false;
  m_groups.erase(m_groups.begin() + index);
  LayoutChanged();
  return true;
}

bool ListView::ShowsRow(int row) {
  if (!GroupedLayout()) return true;
  const int index = GroupIndex(GroupOf(row));
  if (index < 0) return false;  // rows of no known group are not shown while groups are
  const UINT state = m_groups[static_cast<size_t>(index)].state;
  return !(state & (LVGS_HIDDEN | LVGS_COLLAPSED));
}

}  // namespace platform::listview_detail
