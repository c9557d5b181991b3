// The list view's message dispatch and its window class.

#include <algorithm>
#include <cstring>

#include "platform/comctl/ListViewControl.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/ScrollBars.h"

namespace platform::listview_detail {

// ---- messages --------------------------------------------------------------------------------

LRESULT ListView::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case LVM_GETBKCOLOR: return static_cast<LRESULT>(m_bkColor);
    case LVM_SETBKCOLOR:
      m_bkColor = static_cast<COLORREF>(lParam);
      if (m_redraw) InvalidateRect(m_hwnd, nullptr, TRUE);
      return TRUE;
    case LVM_GETTEXTCOLOR: return static_cast<LRESULT>(m_textColor);
    case LVM_SETTEXTCOLOR:
      m_textColor = static_cast<COLORREF>(lParam);
      if (m_redraw) InvalidateRect(m_hwnd, nullptr, TRUE);
      return TRUE;
    case LVM_GETTEXTBKCOLOR: return static_cast<LRESULT>(m_textBkColor);
    case LVM_SETTEXTBKCOLOR:
      m_textBkColor = static_cast<COLORREF>(lParam);
      if (m_redraw) InvalidateRect(m_hwnd, nullptr, TRUE);
      return TRUE;
    case LVM_GETIMAGELIST:
      switch (wParam) {
        case LVSIL_NORMAL: return reinterpret_cast<LRESULT>(m_normalImages);
        case LVSIL_SMALL: return reinterpret_cast<LRESULT>(m_smallImages);
        case LVSIL_STATE: return reinterpret_cast<LRESULT>(m_stateImages ? m_stateImages : m_checkImages);
        case LVSIL_GROUPHEADER: return reinterpret_cast<LRESULT>(m_groupImages);
        default: return 0;
      }
    case LVM_SETIMAGELIST: {
      HIMAGELIST* slot = wParam == LVSIL_NORMAL ? &m_normalImages : wParam == LVSIL_SMALL ? &m_smallImages
                         : wParam == LVSIL_STATE ? &m_stateImages : wParam == LVSIL_GROUPHEADER ? &m_groupImages : nullptr;
      if (!slot) return 0;
      HIMAGELIST old = *slot;
      *slot = reinterpret_cast<HIMAGELIST>(lParam);
      if (wParam == LVSIL_SMALL && m_header) SendMessageW(m_header, HDM_SETIMAGELIST, HDSIL_NORMAL, lParam);
      LayoutChanged();
      return reinterpret_cast<LRESULT>(old);
    }
    case LVM_GETITEMCOUNT: return Count();
    case LVM_GETITEMA:
    case LVM_GETITEMW:
      if (!lParam) return FALSE;
      return GetItem(*reinterpret_cast<LVITEMW*>(lParam), msg == LVM_GETITEMA);
    case LVM_SETITEMA:
    case LVM_SETITEMW: {
      if (!lParam) return FALSE;
      const auto& item = *reinterpret_cast<const LVITEMW*>(lParam);
      std::u16string text;
      bool hasText = false;
      if (item.mask & LVIF_TEXT) hasText = ReadText(msg == LVM_SETITEMA, item.pszText, &text);
      return SetItem(item, hasText ? &text : nullptr);
    }
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW: {
      if (!lParam) return -1;
      const auto& item = *reinterpret_cast<const LVITEMW*>(lParam);
      std::u16string text;
      bool hasText = false;
      if (item.mask & LVIF_TEXT) hasText = ReadText(msg == LVM_INSERTITEMA, item.pszText, &text);
      return InsertItem(item, hasText ? &text : nullptr);
    }
    case LVM_DELETEITEM: return DeleteItem(static_cast<int>(wParam));
    case LVM_DELETEALLITEMS: return DeleteAll();
    case LVM_GETCALLBACKMASK: return m_callbackMask;
    case LVM_SETCALLBACKMASK:
      m_callbackMask = static_cast<UINT>(wParam);
      return TRUE;
    case LVM_GETNEXTITEM: return NextItem(static_cast<int>(wParam), static_cast<UINT>(lParam));
    case LVM_FINDITEMA:
    case LVM_FINDITEMW: {
      if (!lParam) return -1;
      const auto& find = *reinterpret_cast<const LVFINDINFOW*>(lParam);
      std::u16string text;
      if (find.flags & (LVFI_STRING | LVFI_PARTIAL | LVFI_SUBSTRING)) {
        if (msg == LVM_FINDITEMA) text = Utf8ToUtf16(reinterpret_cast<const LVFINDINFOA&>(find).psz ? reinterpret_cast<const LVFINDINFOA&>(find).psz : "");
        else text = find.psz ? find.psz : u"";
      }
      return FindItem(static_cast<int>(static_cast<INT_PTR>(wParam)), find, text);
    }
    case LVM_GETITEMRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect || !Valid(static_cast<int>(wParam))) return FALSE;
      const int code = rect->left;
      if (!ShowsRow(static_cast<int>(wParam))) return FALSE;
      *rect = ItemRect(static_cast<int>(wParam), code);
      return TRUE;
    }
    case LVM_GETSUBITEMRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect || !Valid(static_cast<int>(wParam)) || View() != LVS_REPORT) return FALSE;
      const int subItem = rect->top;
      const int code = rect->left;
      if (subItem < 0 || subItem >= std::max(1, ColumnCount())) return FALSE;
      *rect = SubItemRect(static_cast<int>(wParam), subItem, code);
      return TRUE;
    }
    case LVM_SETITEMPOSITION:
    case LVM_SETITEMPOSITION32: {
      const int row = static_cast<int>(wParam);
      if (!Valid(row) || OwnerData()) return FALSE;
      POINT pt = msg == LVM_SETITEMPOSITION32 ? (lParam ? *reinterpret_cast<const POINT*>(lParam) : POINT{})
                                              : POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      Row& r = m_rows[static_cast<size_t>(row)];
      r.position = pt;
      r.placed = true;
      LayoutChanged();
      return TRUE;
    }
    case LVM_GETITEMPOSITION: {
      auto* pt = reinterpret_cast<POINT*>(lParam);
      if (!pt || !Valid(static_cast<int>(wParam))) return FALSE;
      *pt = ItemPosition(static_cast<int>(wParam));
      return TRUE;
    }
    case LVM_GETSTRINGWIDTHA:
    case LVM_GETSTRINGWIDTHW: {
      if (!lParam) return 0;
      const std::u16string text = msg == LVM_GETSTRINGWIDTHA ? Utf8ToUtf16(reinterpret_cast<const char*>(lParam))
                                                             : std::u16string(reinterpret_cast<const char16_t*>(lParam));
      HDC dc = GetDC(m_hwnd);
      HGDIOBJ old = SelectObject(dc, Font());
      SIZE size{};
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
      SelectObject(dc, old);
      ReleaseDC(m_hwnd, dc);
      return size.cx;
    }
    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST: {
      auto* info = reinterpret_cast<LVHITTESTINFO*>(lParam);
      if (!info) return -1;
      int row = -1, subItem = 0, group = -1;
      info->flags = HitTest(info->pt, &row, &subItem, &group);
      info->iItem = row;
      info->iSubItem = msg == LVM_SUBITEMHITTEST ? subItem : 0;
      info->iGroup = group;
      return row;
    }
    case LVM_ENSUREVISIBLE: return EnsureVisible(static_cast<int>(wParam), lParam != 0);
    case LVM_SCROLL: {
      const int dx = static_cast<int>(static_cast<INT_PTR>(wParam));
      int dy = static_cast<int>(lParam);
      if (View() == LVS_REPORT) {
        // Pixels to rows, a part of a row counting as a whole one.
        const int rh = RowHeight();
        dy = dy >= 0 ? (dy + rh - 1) / rh : -((-dy + rh - 1) / rh);
      }
      ScrollBy(dx, dy);
      return TRUE;
    }
    case LVM_REDRAWITEMS: {
      const int first = std::max(0, static_cast<int>(wParam));
      const int last = std::min(Count() - 1, static_cast<int>(lParam));
      if (m_layoutDirty) {
        if (m_redraw) InvalidateRect(m_hwnd, nullptr, TRUE);
        return TRUE;
      }
      // Only the rows that can be seen.
      const int top = TopIndex();
      const int page = CountPerPage() + 2;
      for (int row = first; row <= last; ++row) {
        if ((View() == LVS_REPORT && !GroupedLayout()) && (row < top || row > top + page)) continue;
        InvalidateRow(row);
      }
      return TRUE;
    }
    case LVM_UPDATE:
      if (!Valid(static_cast<int>(wParam))) return FALSE;
      if (Style() & LVS_AUTOARRANGE) LayoutChanged();
      else InvalidateRow(static_cast<int>(wParam));
      return TRUE;
    case LVM_ARRANGE: Arrange(wParam); return TRUE;
    case LVM_EDITLABELA:
    case LVM_EDITLABELW:
      if (static_cast<int>(wParam) < 0) {
        if (m_edit) EndEdit(true);
        return 0;
      }
      return reinterpret_cast<LRESULT>(EditLabel(static_cast<int>(wParam)));
    case LVM_CANCELEDITLABEL:
      if (m_edit) EndEdit(true);
      return 0;
    case LVM_GETEDITCONTROL: return reinterpret_cast<LRESULT>(m_edit);
    case LVM_GETCOLUMNA:
    case LVM_GETCOLUMNW:
      if (!lParam) return FALSE;
      return GetColumn(static_cast<int>(wParam), *reinterpret_cast<LVCOLUMNW*>(lParam), msg == LVM_GETCOLUMNA);
    case LVM_SETCOLUMNA:
    case LVM_SETCOLUMNW:
    case LVM_INSERTCOLUMNA:
    case LVM_INSERTCOLUMNW: {
      if (!lParam) return msg == LVM_INSERTCOLUMNA || msg == LVM_INSERTCOLUMNW ? -1 : FALSE;
      const auto& column = *reinterpret_cast<const LVCOLUMNW*>(lParam);
      std::u16string text;
      bool hasText = false;
      if (column.mask & LVCF_TEXT) {
        hasText = ReadText(msg == LVM_SETCOLUMNA || msg == LVM_INSERTCOLUMNA, column.pszText, &text);
      }
      if (msg == LVM_INSERTCOLUMNA || msg == LVM_INSERTCOLUMNW)
        return InsertColumn(static_cast<int>(wParam), column, hasText ? &text : nullptr);
      return SetColumn(static_cast<int>(wParam), column, hasText ? &text : nullptr);
    }
    case LVM_DELETECOLUMN: return DeleteColumn(static_cast<int>(wParam));
    case LVM_GETCOLUMNWIDTH:
      if (View() == LVS_LIST) return ListColumnWidth();
      if (static_cast<int>(wParam) < 0 || static_cast<int>(wParam) >= ColumnCount()) return 0;
      return m_columns[wParam].width;
    case LVM_SETCOLUMNWIDTH:
      return SetColumnWidth(static_cast<int>(wParam), static_cast<int>(static_cast<SHORT>(LOWORD(lParam))));
    case LVM_GETHEADER: return reinterpret_cast<LRESULT>(m_header);
    case LVM_CREATEDRAGIMAGE:
      return reinterpret_cast<LRESULT>(CreateDragImage(static_cast<int>(wParam), reinterpret_cast<POINT*>(lParam)));
    case LVM_GETVIEWRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect) return FALSE;
      *rect = ViewRect();
      return TRUE;
    }
    case LVM_APPROXIMATEVIEWRECT: {
      const RECT r = ViewRect();
      return MAKELONG(r.right - r.left, r.bottom - r.top);
    }
    case LVM_GETTOPINDEX: return TopIndex();
    case LVM_GETCOUNTPERPAGE: return CountPerPage();
    case LVM_GETORIGIN: {
      auto* pt = reinterpret_cast<POINT*>(lParam);
      if (!pt) return FALSE;
      if (View() == LVS_REPORT || View() == LVS_LIST) {
        *pt = POINT{};
        return FALSE;
      }
      *pt = POINT{m_scrollX, m_scrollY};
      return TRUE;
    }
    case LVM_SETITEMSTATE: {
      if (!lParam) return FALSE;
      const auto& item = *reinterpret_cast<const LVITEMW*>(lParam);
      return SetState(static_cast<int>(static_cast<INT_PTR>(wParam)), item.state, item.stateMask);
    }
    case LVM_GETITEMSTATE: {
      const int row = static_cast<int>(wParam);
      if (!Valid(row)) return 0;
      const UINT mask = static_cast<UINT>(lParam);
      UINT state = StateOf(row);
      if (OwnerData() && (mask & ~(LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT | LVIS_DROPHILITED))) {
        FillDispInfo(row, 0, LVIF_STATE, nullptr, nullptr, nullptr);
        state |= m_dispState & ~(LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT | LVIS_DROPHILITED);
      }
      return state & mask;
    }
    case LVM_GETITEMTEXTA:
    case LVM_GETITEMTEXTW: {
      auto* item = reinterpret_cast<LVITEMW*>(lParam);
      if (!item || !Valid(static_cast<int>(wParam))) return 0;
      const std::u16string text = TextOf(static_cast<int>(wParam), item->iSubItem);
      if (msg == LVM_GETITEMTEXTA) {
        const std::string ansi = Utf16ToUtf8(text);
        CopyOut(ansi, reinterpret_cast<LVITEMA*>(item)->pszText, item->cchTextMax);
        return reinterpret_cast<LVITEMA*>(item)->pszText ? static_cast<LRESULT>(std::strlen(reinterpret_cast<LVITEMA*>(item)->pszText)) : 0;
      }
      CopyOut(text, item->pszText, item->cchTextMax);
      return item->pszText ? static_cast<LRESULT>(std::char_traits<char16_t>::length(item->pszText)) : 0;
    }
    case LVM_SETITEMTEXTA:
    case LVM_SETITEMTEXTW: {
      auto* in = reinterpret_cast<const LVITEMW*>(lParam);
      if (!in) return FALSE;
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(wParam);
      item.iSubItem = in->iSubItem;
      std::u16string text;
      const bool hasText = ReadText(msg == LVM_SETITEMTEXTA, in->pszText, &text);
      return SetItem(item, hasText ? &text : nullptr);
    }
    case LVM_SETITEMCOUNT: SetItemCount(static_cast<int>(wParam), lParam); return TRUE;
    case LVM_SORTITEMS:
    case LVM_SORTITEMSEX:
      return SortItems(reinterpret_cast<PFNLVCOMPARE>(lParam), static_cast<LPARAM>(wParam), msg == LVM_SORTITEMSEX);
    case LVM_GETSELECTEDCOUNT: return SelectedCount();
    case LVM_GETITEMSPACING: {
      const SIZE s = IconSpacing(wParam != 0);
      return MAKELONG(s.cx, s.cy);
    }
    case LVM_SETICONSPACING: {
      const SIZE old = IconSpacing(false);
      const int cx = static_cast<SHORT>(LOWORD(lParam)), cy = static_cast<SHORT>(HIWORD(lParam));
      m_iconSpacing = SIZE{cx, cy};
      LayoutChanged();
      return MAKELONG(old.cx, old.cy);
    }
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
      const DWORD old = m_exStyle;
      const DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFFu;
      m_exStyle = (m_exStyle & ~mask) | (static_cast<DWORD>(lParam) & mask);
      if ((m_exStyle & LVS_EX_CHECKBOXES) && !(old & LVS_EX_CHECKBOXES) && !OwnerData())
        for (Row& r : m_rows)
          if (!(r.state & LVIS_STATEIMAGEMASK)) r.state |= INDEXTOSTATEIMAGEMASK(1);
      if ((m_exStyle & LVS_EX_CHECKBOXES) && !m_checkImages) {
        // The check boxes as state images 1 (empty) and 2 (checked), for those who ask.
        m_checkImages = ImageList_Create(16, 16, ILC_COLOR32, 2, 1);
        HDC screen = GetDC(nullptr);
        for (int checked = 0; checked < 2; ++checked) {
          BITMAPINFO bi{};
          bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
          bi.bmiHeader.biWidth = 16;
          bi.bmiHeader.biHeight = -16;
          bi.bmiHeader.biPlanes = 1;
          bi.bmiHeader.biBitCount = 32;
          void* bits = nullptr;
          HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
          HDC mem = CreateCompatibleDC(screen);
          HGDIOBJ previous = SelectObject(mem, bitmap);
          RECT all{0, 0, 16, 16};
          HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
          FillRect(mem, &all, white);
          DeleteObject(white);
          PaintCheckBox(mem, all, checked + 1);
          SelectObject(mem, previous);
          DeleteDC(mem);
          if (bits) {
            auto* px = static_cast<DWORD*>(bits);
            for (int i = 0; i < 256; ++i) px[i] |= 0xFF000000u;
          }
          ImageList_Add(m_checkImages, bitmap, nullptr);
          DeleteObject(bitmap);
        }
        ReleaseDC(nullptr, screen);
      }
      if (!(m_exStyle & LVS_EX_CHECKBOXES) && (old & LVS_EX_CHECKBOXES) && !OwnerData())
        for (Row& r : m_rows) r.state &= ~LVIS_STATEIMAGEMASK;
      if (m_header) {
        LONG_PTR hs = GetWindowLongPtrW(m_header, GWL_STYLE);
        hs = (m_exStyle & LVS_EX_HEADERDRAGDROP) ? (hs | HDS_DRAGDROP) : (hs & ~static_cast<LONG_PTR>(HDS_DRAGDROP));
        SetWindowLongPtrW(m_header, GWL_STYLE, hs);
      }
      LayoutChanged();
      return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE: return m_exStyle;
    case LVM_SETCOLUMNORDERARRAY:
      if (!m_header) return FALSE;
      {
        const LRESULT done = SendMessageW(m_header, HDM_SETORDERARRAY, wParam, lParam);
        LayoutChanged();
        return done;
      }
    case LVM_GETCOLUMNORDERARRAY: {
      auto* out = reinterpret_cast<int*>(lParam);
      if (!out || static_cast<int>(wParam) != ColumnCount()) return FALSE;
      const std::vector<int> order = ColumnOrder();
      std::copy(order.begin(), order.end(), out);
      return TRUE;
    }
    case LVM_SETHOTITEM: {
      const int old = m_hot;
      SetHot(Valid(static_cast<int>(wParam)) ? static_cast<int>(wParam) : -1);
      return old;
    }
    case LVM_GETHOTITEM: return m_hot;
    case LVM_SETWORKAREAS: {
      m_workAreas.clear();
      const auto* areas = reinterpret_cast<const RECT*>(lParam);
      for (int i = 0; areas && i < static_cast<int>(wParam); ++i) m_workAreas.push_back(areas[i]);
      LayoutChanged();
      return 0;
    }
    case LVM_GETWORKAREAS: {
      auto* areas = reinterpret_cast<RECT*>(lParam);
      for (int i = 0; areas && i < static_cast<int>(wParam) && i < static_cast<int>(m_workAreas.size()); ++i)
        areas[i] = m_workAreas[static_cast<size_t>(i)];
      return 0;
    }
    case LVM_GETNUMBEROFWORKAREAS:
      if (lParam) *reinterpret_cast<UINT*>(lParam) = static_cast<UINT>(m_workAreas.size());
      return 0;
    case LVM_GETSELECTIONMARK: return m_anchor;
    case LVM_SETSELECTIONMARK: {
      const int old = m_anchor;
      m_anchor = Valid(static_cast<int>(lParam)) ? static_cast<int>(lParam) : -1;
      return old;
    }
    case LVM_SETHOVERTIME: {
      const int old = m_hoverTime;
      m_hoverTime = static_cast<int>(lParam);
      return old;
    }
    case LVM_GETHOVERTIME: return m_hoverTime;
    case LVM_GETGROUPSTATE: {
      const int index = GroupIndex(static_cast<int>(wParam));
      return index < 0 ? 0 : static_cast<LRESULT>(m_groups[static_cast<size_t>(index)].state & static_cast<UINT>(lParam));
    }
    case LVM_INSERTGROUP:
      if (!lParam) return -1;
      return InsertGroup(static_cast<int>(static_cast<INT_PTR>(wParam)), *reinterpret_cast<const LVGROUP*>(lParam));
    case LVM_SETGROUPINFO:
      if (!lParam) return -1;
      return SetGroupInfo(static_cast<int>(wParam), *reinterpret_cast<const LVGROUP*>(lParam)) ? static_cast<LRESULT>(wParam) : -1;
    case LVM_GETGROUPINFO:
      if (!lParam) return -1;
      return GetGroupInfo(static_cast<int>(wParam), *reinterpret_cast<LVGROUP*>(lParam)) ? static_cast<LRESULT>(wParam) : -1;
    case LVM_REMOVEGROUP: {
      const int index = GroupIndex(static_cast<int>(wParam));
      return RemoveGroup(static_cast<int>(wParam)) ? index : -1;
    }
    case LVM_REMOVEALLGROUPS:
      m_groups.clear();
      LayoutChanged();
      return 0;
    case LVM_HASGROUP: return GroupIndex(static_cast<int>(wParam)) >= 0;
    case LVM_GETGROUPCOUNT: return static_cast<LRESULT>(m_groups.size());
    case LVM_MOVEITEMTOGROUP:
      if (!Valid(static_cast<int>(wParam)) || OwnerData()) return 0;
      m_rows[wParam].groupId = static_cast<int>(lParam);
      LayoutChanged();
      return 0;
    case LVM_ENABLEGROUPVIEW: {
      const bool on = wParam != 0;
      if (on == m_groupView) return 0;
      if (OwnerData() && on) return -1;
      m_groupView = on;
      LayoutChanged();
      return 1;
    }
    case LVM_ISGROUPVIEWENABLED: return m_groupView;
    case LVM_SETINSERTMARK: {
      const auto* mark = reinterpret_cast<const LVINSERTMARK*>(lParam);
      if (!mark || mark->cbSize != sizeof(LVINSERTMARK)) return FALSE;
      const int row = Valid(mark->iItem) ? mark->iItem : -1;
      const bool after = (mark->dwFlags & LVIM_AFTER) != 0;
      if (row != m_insertMark || after != m_insertAfter) {
        if (m_insertMark >= 0) {
          const RECT old = InsertMarkRect();
          InvalidateRect(m_hwnd, &old, TRUE);
        }
        m_insertMark = row;
        m_insertAfter = after;
        if (m_insertMark >= 0) {
          const RECT now = InsertMarkRect();
          InvalidateRect(m_hwnd, &now, TRUE);
        }
      }
      return TRUE;
    }
    case LVM_GETINSERTMARK: {
      auto* mark = reinterpret_cast<LVINSERTMARK*>(lParam);
      if (!mark || mark->cbSize != sizeof(LVINSERTMARK)) return FALSE;
      mark->iItem = m_insertMark;
      mark->dwFlags = m_insertAfter ? LVIM_AFTER : 0;
      return TRUE;
    }
    case LVM_INSERTMARKHITTEST: {
      auto* pt = reinterpret_cast<POINT*>(wParam);
      auto* mark = reinterpret_cast<LVINSERTMARK*>(lParam);
      if (!pt || !mark || mark->cbSize != sizeof(LVINSERTMARK)) return FALSE;
      return InsertMarkHitTest(*pt, mark) ? TRUE : FALSE;
    }
    case LVM_GETINSERTMARKRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect) return 0;
      if (m_insertMark < 0) {
        *rect = RECT{};
        return 0;
      }
      *rect = InsertMarkRect();
      return 1;
    }
    case LVM_SETINSERTMARKCOLOR: {
      const COLORREF old = m_insertMarkColor;
      m_insertMarkColor = static_cast<COLORREF>(lParam);
      return static_cast<LRESULT>(old);
    }
    case LVM_GETINSERTMARKCOLOR: return static_cast<LRESULT>(m_insertMarkColor);
    case LVM_SETOUTLINECOLOR: {
      const COLORREF old = m_outlineColor;
      m_outlineColor = static_cast<COLORREF>(lParam);
      if (m_redraw) InvalidateRect(m_hwnd, nullptr, TRUE);
      return static_cast<LRESULT>(old);
    }
    case LVM_GETOUTLINECOLOR: return static_cast<LRESULT>(m_outlineColor);
    case LVM_SETVIEW: {
      if (wParam > LV_VIEW_LIST) return -1;
      const DWORD style = (Style() & ~LVS_TYPEMASK) | static_cast<DWORD>(wParam);
      SetWindowLongPtrW(m_hwnd, GWL_STYLE, static_cast<LONG_PTR>(style));
      return 1;
    }
    case LVM_GETVIEW: return View();
    case CCM_SETUNICODEFORMAT: {
      const bool old = m_unicode;
      m_unicode = wParam != 0;
      // The header speaks to the list view as the list view speaks to its parent.
      if (m_header) SendMessageW(m_header, CCM_SETUNICODEFORMAT, wParam, 0);
      return old;
    }
    case CCM_GETUNICODEFORMAT: return m_unicode;
    case WM_NOTIFYFORMAT:
      if (reinterpret_cast<HWND>(wParam) == m_header) return m_unicode ? NFR_UNICODE : NFR_ANSI;
      if (lParam == NF_REQUERY) {
        comctl_detail::RequeryNotifyFormat(m_hwnd, m_unicode);
        if (m_header) SendMessageW(m_header, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(m_hwnd), NF_REQUERY);
      }
      return m_unicode ? NFR_UNICODE : NFR_ANSI;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header && header->hwndFrom == m_header && m_header) {
        // Header notifications: the list view acts on them, and its parent hears them too.
        HWND parent = GetParent(m_hwnd);
        const LRESULT answer = parent ? SendMessageW(parent, WM_NOTIFY, wParam, lParam) : 0;
        OnHeaderNotify(header);
        return answer;
      }
      return 0;
    }
    case WM_CREATE: {
      const DWORD style = Style();
      HDLAYOUT unused{};
      (void)unused;
      DWORD headerStyle = WS_CHILD | HDS_HORZ | HDS_FULLDRAG | HDS_HOTTRACK;
      if (!(style & LVS_NOSORTHEADER)) headerStyle |= HDS_BUTTONS;
      if ((style & LVS_TYPEMASK) == LVS_REPORT && !(style & LVS_NOCOLUMNHEADER)) headerStyle |= WS_VISIBLE;
      m_header = CreateWindowExW(0, WC_HEADERW, u"", headerStyle, 0, 0, 0, 0, m_hwnd, nullptr, nullptr, nullptr);
      PlaceHeader();
      return 0;
    }
    case WM_SETFONT:
      m_font = reinterpret_cast<HFONT>(wParam);
      if (m_header) SendMessageW(m_header, WM_SETFONT, wParam, lParam);
      PlaceHeader();
      LayoutChanged();
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
      // Double buffered, the background is painted with the rows.
      if (!DoubleBuffered()) EraseBackground(reinterpret_cast<HDC>(wParam));
      return TRUE;
    case WM_PAINT:
      return comctl_detail::AnswerPaint(m_hwnd, wParam, [this](HDC dc, const RECT& area) {
        if (!DoubleBuffered()) {
          Paint(dc, area);
          return;
        }
        const int w = std::max(1, static_cast<int>(area.right - area.left));
        const int h = std::max(1, static_cast<int>(area.bottom - area.top));
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, w, h);
        HGDIOBJ old = SelectObject(mem, bitmap);
        SetViewportOrgEx(mem, -area.left, -area.top, nullptr);
        EraseBackground(mem, &area);
        Paint(mem, area);
        SetViewportOrgEx(mem, 0, 0, nullptr);
        BitBlt(dc, area.left, area.top, w, h, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteObject(bitmap);
        DeleteDC(mem);
      });
    case WM_MOUSEHOVER:
      // Track select: the row the pointer rests on becomes the selection.
      if ((m_exStyle & LVS_EX_TRACKSELECT) && Valid(m_hot) && !(StateOf(m_hot) & LVIS_SELECTED)) {
        ClearSelection(m_hot);
        SetState(m_hot, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_anchor = m_hot;
      }
      return 0;
    case WM_PRINTCLIENT: {
      RECT client;
      GetClientRect(m_hwnd, &client);
      if (lParam & PRF_ERASEBKGND) EraseBackground(reinterpret_cast<HDC>(wParam));
      Paint(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_SIZE:
      PlaceHeader();
      LayoutChanged();
      return 0;
    case WM_STYLECHANGED:
      if (wParam == static_cast<WPARAM>(GWL_STYLE) && lParam) {
        const auto* change = reinterpret_cast<const STYLESTRUCT*>(lParam);
        if ((change->styleNew ^ change->styleOld) & LVS_TYPEMASK) {
          if (m_edit) EndEdit(true);
          m_scrollX = m_scrollY = 0;
          for (Row& r : m_rows) r.placed = false;
        }
        if (m_header) {
          LONG_PTR hs = GetWindowLongPtrW(m_header, GWL_STYLE);
          hs = (change->styleNew & LVS_NOSORTHEADER) ? (hs & ~static_cast<LONG_PTR>(HDS_BUTTONS)) : (hs | HDS_BUTTONS);
          SetWindowLongPtrW(m_header, GWL_STYLE, hs);
        }
      }
      PlaceHeader();
      LayoutChanged();
      return 0;
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE: InvalidateRect(m_hwnd, nullptr, TRUE); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
      m_focused = true;
      if (m_focus >= 0) InvalidateRow(m_focus);
      if (m_redraw) InvalidateRect(m_hwnd, nullptr, FALSE);
      NotifyCode(NM_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      m_focused = false;
      if (m_redraw) InvalidateRect(m_hwnd, nullptr, FALSE);
      NotifyCode(NM_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      OnButtonDown(msg == WM_RBUTTONDOWN, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, false);
      return 0;
    case WM_LBUTTONDBLCLK:
      OnButtonDown(false, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, true);
      return 0;
    case WM_RBUTTONDBLCLK: {
      NMITEMACTIVATE nm{};
      int row = -1, sub = 0;
      const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      HitTest(pt, &row, &sub);
      NotifyActivate(NM_RDBLCLK, row, sub, pt);
      (void)nm;
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      OnButtonUp(msg == WM_RBUTTONUP, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_MOUSEMOVE: OnMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, wParam); return 0;
    case WM_MOUSELEAVE:
      if (m_exStyle & (LVS_EX_TRACKSELECT | LVS_EX_ONECLICKACTIVATE | LVS_EX_TWOCLICKACTIVATE)) SetHot(-1);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != m_hwnd) {
        if (m_marquee) {
          m_marquee = false;
          InvalidateRect(m_hwnd, nullptr, TRUE);
        }
        m_pending = Pending{};
      }
      return 0;
    case WM_MOUSEWHEEL: {
      if (m_edit) EndEdit(false);
      const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
      if (!notches) return 0;
      if (View() == LVS_REPORT) ScrollBy(0, -notches * 3);
      else if (View() == LVS_LIST) ScrollBy(-notches * ListColumnWidth(), 0);
      else ScrollBy(0, -notches * 3 * std::max(1, static_cast<int>(IconSpacing(View() == LVS_SMALLICON).cy) / 2));
      return 0;
    }
    case WM_VSCROLL:
    case WM_HSCROLL:
      if (m_edit) EndEdit(false);
      OnScroll(msg == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(wParam));
      return 0;
    case WM_KEYDOWN: OnKeyDown(wParam); return 0;
    case WM_CHAR: OnChar(static_cast<char16_t>(wParam)); return 0;
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_DESTROY:
      m_inDestroy = true;
      if (m_edit) EndEdit(true);
      m_redraw = false;
      if (!OwnerData() && !m_rows.empty()) {
        if (!NotifyListView(LVN_DELETEALLITEMS, -1, 0, 0, 0, 0))
          for (int i = Count() - 1; i >= 0; --i)
            if (i < Count()) NotifyListView(LVN_DELETEITEM, i, 0, 0, 0, 0);
        m_rows.clear();
      }
      return 0;
    default: break;
  }
  return DefWindowProcW(m_hwnd, msg, wParam, lParam);
}

namespace {

void RegisterListViewClass() {
  comctl_detail::RegisterControlClass({.name = WC_LISTVIEWW,
                                       .procedure = comctl_detail::ControlWindowProc<ListView>,
                                       .style = CS_DBLCLKS | CS_GLOBALCLASS});
}

const comctl_detail::ClassRegistration g_registration(RegisterListViewClass);

}  // namespace

}  // namespace platform::listview_detail
