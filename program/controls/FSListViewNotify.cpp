// The list view's answers to its window and the window's header: reflected notifications,
// display information, owner data, check boxes, clicks, info tips, and the one message switch
// of the class.

#include <algorithm>
#include <cstring>

#include "platform/comctl/Header.h"
#include "platform/comctl/OwnerDraw.h"
#include "platform/user/ScrollBars.h"
#include "program/controls/FSListView.h"
#include "program/controls/SkinnedControl.h"
#include "rtl/Strings.h"

using namespace platform;

namespace {

// Copies text into a window's buffer of `capacity` characters (bytes of UTF-8 here), cut so
// that a character is never split.
void CopyText(const AnsiString& text, LPSTR buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  size_t length = std::min(text.size(), static_cast<size_t>(capacity - 1));
  while (length > 0 && length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

// Header notifications arrive in the A or the W form; the view treats them alike.
UINT HeaderCode(UINT code) {
  switch (code) {
    case HDN_ITEMCHANGEDW: return HDN_ITEMCHANGEDA;
    case HDN_ITEMCLICKW: return HDN_ITEMCLICKA;
    case HDN_DIVIDERDBLCLICKW: return HDN_DIVIDERDBLCLICKA;
    case HDN_BEGINTRACKW: return HDN_BEGINTRACKA;
    case HDN_ENDTRACKW: return HDN_ENDTRACKA;
    case HDN_TRACKW: return HDN_TRACKA;
    default: return code;
  }
}

// The width a header notification carries (HDI_WIDTH), or -1.
int HeaderWidth(const NMHDR* header) {
  const auto* nm = reinterpret_cast<const NMHEADERA*>(header);
  if (!nm->pitem || !(nm->pitem->mask & HDI_WIDTH)) return -1;
  return nm->pitem->cxy;
}

}  // namespace

// ---- the message switch ----------------------------------------------------------------------

void TFSCustomListView::WndProc(TMessage& m) {
  if ((m.Msg == WM_PAINT || m.Msg == WM_ERASEBKGND) && FListItems && FListItems->FinishingUpdate()) return;
  inherited::WndProc(m);
}

void TFSCustomListView::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_NOTIFY: {
      TWMNotify v(m);
      CNNotify(v);
      FOwnerDataItem = nullptr;
      return;
    }
    case WM_NOTIFY: {
      TWMNotify v(m);
      HeaderNotify(v);
      return;
    }
    case WM_PARENTNOTIFY:
      if (LOWORD(m.WParam) == WM_CREATE && !FHeaderHandle) {
        char name[32] = {};
        auto* child = reinterpret_cast<HWND>(m.LParam);
        GetClassNameA(child, name, sizeof(name));
        if (std::strcmp(name, WC_HEADERA) == 0) SubclassHeader(child);
      }
      inherited::Dispatch(m);
      return;
    case CN_DRAWITEM: {
      auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
      const int saved = SaveDC(draw->hDC);
      FCanvas->Lock();
      FCanvas->SetHandle(draw->hDC);
      FCanvas->Font()->Assign(FFont.get());
      FCanvas->Brush()->Assign(FBrush.get());
      const TRect rect(draw->rcItem);
      if (static_cast<int>(draw->itemID) == -1) FCanvas->FillRect(rect);
      else DrawItem(ItemFromIndex(static_cast<int>(draw->itemID)), rect, OwnerDrawStateOf(draw->itemState));
      FCanvas->SetHandle(nullptr);
      FCanvas->Unlock();
      RestoreDC(draw->hDC, saved);
      m.Result = 1;
      return;
    }
    case WM_PAINT:
      FControlState.Include(csCustomPaint);
      inherited::Dispatch(m);
      FControlState.Exclude(csCustomPaint);
      if ((FViewStyle == vsIcon || FViewStyle == vsSmallIcon) && FShowWorkAreas) DrawWorkAreas(nullptr);
      return;
    case WM_ERASEBKGND: {
      TWMEraseBkgnd v(m);
      if (EraseTransparentBackground(this, v)) return;
      inherited::Dispatch(m);
      return;
    }
    case WM_NCPAINT: NCPaint(m); return;
    case WM_PRINT: PrintWindow(m); return;
    case WM_STYLECHANGED:
      inherited::Dispatch(m);
      UpdateItemSpacing();
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      TWMMouse v(m);
      if (CheckBoxClick(v)) return;
      LeftButtonDown(m);
      return;
    }
    case WM_TIMER:
      if (m.WParam == kAutoScrollTimer) {
        AutoScrollTimer();
        return;
      }
      inherited::Dispatch(m);
      return;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
      inherited::Dispatch(m);
      EndEdit(false);
      return;
    case WM_WINDOWPOSCHANGED: {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(m.LParam);
      if (!ComponentState().Contains(csLoading) && !(pos->flags & SWP_NOSIZE)) DoAutoSize();
      inherited::Dispatch(m);
      return;
    }
    case WM_CONTEXTMENU:
      if (!ComponentState().Contains(csDesigning) && CanFocus()) SetFocus();
      if (m.LParam == static_cast<LPARAM>(-1)) {
        if (TFSListItem* item = Selected()) {
          const TRect r = item->DisplayRect(drSelectBounds);
          POINT p{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
          ::ClientToScreen(Handle(), &p);
          m.LParam = MAKELPARAM(p.x, p.y);
        }
      }
      inherited::Dispatch(m);
      return;
    case WM_CTLCOLOREDIT:
      m.Result = DefWindowProcA(Handle(), m.Msg, m.WParam, m.LParam);
      return;
    case WM_DESTROY:
      if (FGroupView) Perform(LVM_ENABLEGROUPVIEW, 0, 0);
      inherited::Dispatch(m);
      return;
    case CM_SKINCHANGED:
      inherited::Dispatch(m);
      UpdateHeaderSkin();
      return;
    case CM_COLORCHANGED:
      inherited::Dispatch(m);
      if (HandleAllocated()) {
        const LPARAM colour = ParentBackground() ? static_cast<LPARAM>(CLR_NONE) : static_cast<LPARAM>(ColorToRGB(FColor));
        Perform(LVM_SETTEXTBKCOLOR, 0, colour);
        Perform(LVM_SETBKCOLOR, 0, colour);
      }
      return;
    case CM_FONTCHANGED:
      inherited::Dispatch(m);
      if (HandleAllocated()) {
        Perform(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FFont->Color())));
        InvalidateHeader();
      }
      return;
    case CM_CTL3DCHANGED:
      if (FBorderStyle == bsSingle) RecreateIfAllocated();
      inherited::Dispatch(m);
      return;
    case CM_HINTSHOW: HintShow(m); return;
    case LVM_EDITLABELA: m.Result = EditLabel(m.WParam, m.LParam); return;
    case LVM_GETEDITCONTROL: m.Result = GetEditControl(); return;
    case LVM_GETNEXTITEM:
      if (FOwnerData && (m.LParam & (LVNI_CUT | LVNI_DROPHILITED))) {
        m.Result = -1;
        const int count = Items()->Count();
        const UINT mask = static_cast<UINT>(m.LParam) & (LVNI_CUT | LVNI_DROPHILITED);
        for (int row = 0; row < count; ++row)
          if (Perform(LVM_GETITEMSTATE, static_cast<WPARAM>(row), mask) != 0) {
            m.Result = row;
            break;
          }
        return;
      }
      inherited::Dispatch(m);
      return;
    default: inherited::Dispatch(m); return;
  }
}

// ---- notifications ---------------------------------------------------------------------------

TFSListItem* TFSCustomListView::ItemOfRow(int row, int subItem, const LVITEMA* request) {
  if (row < 0) return nullptr;
  TFSListItems* items = Items();
  TFSListItem* item = nullptr;
  if (items->HasInternalList()) {
    item = items->Item(row);
  } else {
    item = items->ScratchItem();
    if (subItem == 0 || !request) {
      // Refill the scratch item for this row and let the owner fill in the rest.
      TItemRequest wanted;
      const UINT mask = request ? request->mask : 0;
      if (mask & LVIF_TEXT) wanted.Include(irText);
      if (mask & LVIF_IMAGE) wanted.Include(irImage);
      if (mask & LVIF_PARAM) wanted.Include(irParam);
      if (mask & LVIF_STATE) wanted.Include(irState);
      if (mask & LVIF_INDENT) wanted.Include(irIndent);
      if (mask & LVIF_GROUPID) wanted.Include(irGroupID);
      item->FIndexCache = row;
      item->FData = request ? static_cast<intptr_t>(request->lParam) : 0;
      item->FSubItems->Clear();
      item->FCaption = (wanted.Contains(irText) && request->pszText && request->pszText != LPSTR_TEXTCALLBACKA)
                           ? AnsiString(request->pszText)
                           : AnsiString();
      if (wanted.Contains(irImage)) item->FImageIndex = request->iImage;
      if (wanted.Contains(irIndent)) item->FIndent = request->iIndent;
      if (wanted.Contains(irGroupID)) item->FGroupID = request->iGroupId;
      ++FFetching;
      try {
        OwnerDataFetch(item, wanted);
      } catch (...) {
        --FFetching;
        throw;
      }
      --FFetching;
    }
  }
  if (item) {
    FOwnerDataItem = item;
    item->FIndexCache = row;
  }
  return item;
}

TFSListItem* TFSCustomListView::NotifyItem(const LVITEMA& info) {
  if (!FOwnerData) {
    if (info.lParam) return reinterpret_cast<TFSListItem*>(info.lParam);
    return info.iItem >= 0 ? Items()->Item(info.iItem) : nullptr;
  }
  return ItemOfRow(info.iItem, info.iSubItem, &info);
}

void TFSCustomListView::CNNotify(TWMNotify& m) {
  NMHDR* header = m.NMHdr;
  auto* nm = reinterpret_cast<NMLISTVIEW*>(header);
  auto itemOf = [&](const NMLISTVIEW* list) -> TFSListItem* {
    if (!FOwnerData) {
      if (list->lParam) return reinterpret_cast<TFSListItem*>(list->lParam);
      return list->iItem >= 0 ? Items()->Item(list->iItem) : nullptr;
    }
    return ItemOfRow(list->iItem, 0, nullptr);
  };
  switch (header->code) {
    case NM_CUSTOMDRAW: CustomDrawNotify(m); return;
    case NM_CLICK:
      FClicked = true;
      if (OnClick) OnClick(this);
      return;
    case NM_DBLCLK:
      if (OnDblClick) OnDblClick(this);
      return;
    case NM_RCLICK: FRClicked = true; return;
    case LVN_ITEMCHANGING:
      if (!CanChange(itemOf(nm), nm->uChanged)) m.SetResult(1);
      return;
    case LVN_ITEMCHANGED: {
      TFSListItem* item = itemOf(nm);
      Change(item, nm->uChanged);
      if (nm->uChanged == LVIF_STATE) {
        const bool wasSelected = nm->uOldState & LVIS_SELECTED, isSelectedNow = nm->uNewState & LVIS_SELECTED;
        if (OnSelectItem && wasSelected && !isSelectedNow) OnSelectItem(this, item, false);
        if (OnSelectItem && !wasSelected && isSelectedNow) OnSelectItem(this, item, true);
        const bool wasChecked = nm->uOldState & 0x2000, isChecked = nm->uNewState & 0x2000;
        if (OnItemChecked && wasChecked && !isChecked) OnItemChecked(this, item, false);
        if (OnItemChecked && !wasChecked && isChecked) OnItemChecked(this, item, true);
      }
      return;
    }
    case LVN_INSERTITEM:
      InsertItem(itemOf(nm));
      return;
    case LVN_DELETEITEM: {
      ++FRowsGoing;
      Delete(reinterpret_cast<TFSListItem*>(nm->lParam));
      --FRowsGoing;
      m.SetResult(1);
      return;
    }
    case LVN_DELETEALLITEMS: {
      TFSListItems* items = Items();
      // Gather first: freeing an item must not ask the window for rows it is removing.
      std::vector<TFSListItem*> all;
      const int count = items->Count();
      for (int i = 0; i < count; ++i) all.push_back(items->Item(i));
      ++FRowsGoing;
      for (auto it = all.rbegin(); it != all.rend(); ++it) Delete(*it);
      --FRowsGoing;
      m.SetResult(1);
      return;
    }
    case LVN_BEGINLABELEDITA:
      BeginLabelEdit(m, reinterpret_cast<NMLVDISPINFOA*>(header));
      return;
    case LVN_ENDLABELEDITA:
      EndLabelEdit(reinterpret_cast<NMLVDISPINFOA*>(header));
      return;
    case LVN_COLUMNCLICK:
      for (int i = 0; i < FListColumns->Count(); ++i)
        if (FListColumns->Items(i)->OrderTag() == nm->iSubItem) {
          ColClick(FListColumns->Items(i));
          break;
        }
      return;
    case LVN_BEGINDRAG: FDragIndex = nm->iItem; return;
    case LVN_ODCACHEHINT: {
      auto* hint = reinterpret_cast<NMLVCACHEHINT*>(header);
      OwnerDataHint(hint->iFrom, hint->iTo);
      return;
    }
    case LVN_ODSTATECHANGED: {
      auto* change = reinterpret_cast<NMLVODSTATECHANGE*>(header);
      OwnerDataStateChange(change->iFrom, change->iTo, ItemStatesFromWord(change->uOldState),
                           ItemStatesFromWord(change->uNewState));
      return;
    }
    case LVN_GETDISPINFOA: {
      auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
      if (TFSListItem* item = NotifyItem(info->item)) GetDispInfo(item, info->item);
      return;
    }
    case LVN_ODFINDITEMA: {
      auto* find = reinterpret_cast<NMLVFINDITEMA*>(header);
      const UINT flags = find->lvfi.flags;
      TItemFind kind = ifData;
      if (flags & LVFI_PARAM) kind = ifData;
      else if (flags & LVFI_PARTIAL) kind = ifPartialString;
      else if (flags & LVFI_STRING) kind = ifExactString;
      else if (flags & LVFI_NEARESTXY) kind = ifNearest;
      void* data = kind == ifData ? reinterpret_cast<void*>(find->lvfi.lParam) : nullptr;
      AnsiString text;
      if ((kind == ifPartialString || kind == ifExactString) && find->lvfi.psz) text = find->lvfi.psz;
      TPoint position{0, 0};
      TSearchDirection direction = sdAll;
      if (kind == ifNearest) {
        position = TPoint{find->lvfi.pt.x, find->lvfi.pt.y};
        switch (find->lvfi.vkDirection) {
          case VK_LEFT: direction = sdLeft; break;
          case VK_UP: direction = sdAbove; break;
          case VK_RIGHT: direction = sdRight; break;
          case VK_DOWN: direction = sdBelow; break;
          default: direction = sdAll; break;
        }
      }
      m.SetResult(OwnerDataFind(kind, text, position, data, find->iStart, direction, (flags & LVFI_WRAP) != 0));
      return;
    }
    case LVN_GETINFOTIPA: {
      auto* tip = reinterpret_cast<NMLVGETINFOTIPA*>(header);
      if (FOwnerData) {
        LVITEMA probe{};
        probe.iItem = tip->iItem;
        probe.iSubItem = tip->iSubItem;
        probe.lParam = tip->lParam;
        if (TFSListItem* item = ItemOfRow(tip->iItem, 0, &probe)) {
          tip->dwFlags = 1;
          AnsiString text;
          if (tip->iSubItem == 0) text = item->Caption();
          else if (tip->iSubItem - 1 < item->SubItems()->Count()) text = item->SubItems()->Get(tip->iSubItem - 1);
          CopyText(text, tip->pszText, tip->cchTextMax);
        }
      }
      return;
    }
    default: return;
  }
}

void TFSCustomListView::GetDispInfo(TFSListItem* item, LVITEMA& info) {
  if (info.mask & LVIF_TEXT) {
    AnsiString text;
    if (info.iSubItem > 0) {
      if (info.iSubItem - 1 < item->SubItems()->Count()) text = item->SubItems()->Get(info.iSubItem - 1);
    } else if (FEditSubItem == 0) {
      text = item->Caption();
    }
    CopyText(text, info.pszText, info.cchTextMax);
  }
  if (info.mask & LVIF_IMAGE) {
    if (info.iSubItem > 0) {
      if (info.iSubItem - 1 < item->SubItems()->Count()) {
        int image = item->SubItemImages(info.iSubItem - 1);
        if (OnGetSubItemImage) OnGetSubItemImage(this, item, info.iSubItem - 1, image);
        info.iImage = image;
      }
    } else {
      GetImageIndex(item);
      if (FViewStyle == vsIcon) info.iImage = item->ImageIndex();
      else info.iImage = item->SmallImageIndex() != -1 ? item->SmallImageIndex() : item->ImageIndex();
      if (FStateImages) {
        info.mask |= LVIF_STATE;
        info.state = static_cast<UINT>(item->GetStateIndex() + 1) << 12;
        info.stateMask = LVIS_STATEIMAGEMASK;
      }
    }
  }
  if (!FStateImages && ((info.mask & LVIF_STATE) || FCheckboxes)) {
    info.state = item->StoredChecked() ? 0x2000 : 0x1000;
    info.stateMask = item->ShowCheckbox() ? LVIS_STATEIMAGEMASK : 0;
  }
  if (info.mask & LVIF_INDENT) info.iIndent = item->Indent();
  if (info.mask & LVIF_GROUPID) info.iGroupId = item->GroupID();
}

void TFSCustomListView::Delete(TFSListItem* item) {
  if (!item || item->FProcessedDeleting || Items()->Moving()) return;
  if (FEditingIndex != -1 && FEditingItem == item) Perform(LVM_EDITLABELA, static_cast<WPARAM>(-1), 0);
  if (OnDeletion) OnDeletion(this, item);
  item->FProcessedDeleting = true;
  item->Delete();
}

// ---- header notifications --------------------------------------------------------------------

void TFSCustomListView::HeaderNotify(TWMNotify& m) {
  NMHDR* header = m.NMHdr;
  if (!header || !FHeaderHandle || header->hwndFrom != FHeaderHandle) {
    inherited::Dispatch(m.Message);
    return;
  }
  const UINT code = HeaderCode(header->code);
  if (!FAllowColumnResize && code == HDN_DIVIDERDBLCLICKA) return;
  if (code == HDN_BEGINTRACKA && !FAllowColumnResize) {
    m.SetResult(1);
    return;
  }
  auto* nm = reinterpret_cast<NMHEADERA*>(header);
  auto columnOf = [&](int headerItem) -> TFSListColumn* {
    for (int i = 0; i < FListColumns->Count(); ++i)
      if (FListColumns->Items(i)->OrderTag() == headerItem) return FListColumns->Items(i);
    return nullptr;
  };
  // Limits of a width being dragged: the header answers the clamped width at once.
  if (code == HDN_TRACKA) {
    const int width = HeaderWidth(header);
    if (TFSListColumn* column = columnOf(nm->iItem); column && width >= 0) {
      if (column->MinWidth() >= width) nm->pitem->cxy = column->MinWidth();
      else if (column->MaxWidth() >= 1 && column->MaxWidth() <= width) nm->pitem->cxy = column->MaxWidth();
    }
  }
  inherited::Dispatch(m.Message);
  switch (code) {
    case HDN_ITEMCLICKA:
      EndEdit(false);
      if (TFSListColumn* column = columnOf(nm->iItem)) {
        FListColumns->ClearSortMarks(column);
        column->ToggleSortMark();
      }
      return;
    case HDN_ITEMCHANGEDA:
      if (HeaderWidth(header) < 0) return;
      EndEdit(false);
      if (FViewStyle == vsReport && (FColLines || FRowLines) && !FDoubleBuffered && !FSysDoubleBuffered) {
        RECT section{};
        const int index = static_cast<int>(SendMessageA(FHeaderHandle, HDM_ORDERTOINDEX, static_cast<WPARAM>(nm->iItem), 0));
        SendMessageA(FHeaderHandle, HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&section));
        const int scroll = GetScrollPos(Handle(), SB_HORZ);
        const TRect client = ClientRect();
        RECT strip{section.left - scroll, client.Top, section.right - scroll, client.Bottom};
        InvalidateRect(Handle(), &strip, TRUE);
      }
      return;
    case NM_RCLICK: {
      const DWORD pos = GetMessagePos();
      POINT screen{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
      POINT point = screen;
      ::ScreenToClient(FHeaderHandle, &point);
      HDHITTESTINFO hit{};
      hit.pt = POINT{point.x + GetScrollPos(Handle(), SB_HORZ), point.y};
      const int item = static_cast<int>(SendMessageA(FHeaderHandle, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
      if (item >= 0)
        if (TFSListColumn* column = columnOf(item)) ColRightClick(column, TPoint{point.x, point.y});
      return;
    }
    case HDN_DIVIDERDBLCLICKA:
      EndEdit(false);
      if (TFSListColumn* column = columnOf(nm->iItem)) {
        column->FWidth = static_cast<int>(Perform(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(nm->iItem)));
        if (IsCustomDrawn(dtControl, cdPrePaint)) Invalidate();
      }
      return;
    case HDN_ENDDRAG: FUpdatingColumnOrder = true; return;
    case HDN_TRACKA: EndEdit(false); return;
    case HDN_ENDTRACKA: {
      EndEdit(false);
      int width = HeaderWidth(header);
      if (TFSListColumn* column = columnOf(nm->iItem); column && width >= 0) {
        if (width < column->MinWidth()) width = column->MinWidth();
        if (column->MaxWidth() >= 1 && width > column->MaxWidth()) width = column->MaxWidth();
        column->SetWidth(width);
      }
      return;
    }
    default: return;
  }
}

// ---- check boxes and clicks ------------------------------------------------------------------

void TFSCustomListView::ReadCheckMarks() {
  if (!HandleAllocated() || FOwnerData) return;
  TFSListItems* items = Items();
  const int count = items->Count();
  for (int i = 0; i < count; ++i)
    if (TFSListItem* item = items->Item(i)) {
      const auto image = static_cast<UINT>(Perform(LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK)) >> 12;
      if (image != 0) item->FChecked = image == 2;
    }
}

void TFSCustomListView::RestoreCheckMarks() {
  if (!HandleAllocated()) return;
  TFSListItems* items = Items();
  const int count = items->Count();
  for (int i = 0; i < count; ++i)
    if (TFSListItem* item = items->Item(i)) {
      const bool checked =
          FHasSavedChecks && i < static_cast<int>(FSavedChecks.size()) ? FSavedChecks[static_cast<size_t>(i)] : item->FChecked;
      item->SetChecked(checked);
    }
  FSavedChecks.clear();
  FHasSavedChecks = false;
}

bool TFSCustomListView::CheckBoxClick(TWMMouse& m) {
  if (!FCheckboxes || FStateImages || !HandleAllocated()) return false;
  LVHITTESTINFO hit{};
  hit.pt = POINT{m.XPos, m.YPos};
  Perform(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  if (hit.flags != LVHT_ONITEMSTATEICON || hit.iItem < 0) return false;
  LVITEMA probe{};
  probe.iItem = hit.iItem;
  probe.iSubItem = hit.iSubItem;
  TFSListItem* item = FOwnerData ? ItemOfRow(hit.iItem, 0, &probe) : Items()->Item(hit.iItem);
  FOwnerDataItem = nullptr;
  if (!item || !item->ShowCheckbox()) return false;
  const bool checked = !item->Checked();
  item->SetChecked(checked);
  if (FOwnerData && OnItemChecked) OnItemChecked(this, item, checked);
  return true;
}

void TFSCustomListView::LeftButtonDown(TMessage& m) {
  if (!ComponentState().Contains(csDesigning) && CanFocus() && !Focused()) SetFocus();
  FClicked = false;
  FDragIndex = -1;
  inherited::Dispatch(m);
}

// ---- info tips -------------------------------------------------------------------------------

void TFSCustomListView::HintShow(TMessage& m) {
  if (!OnInfoTip) {
    inherited::Dispatch(m);
    return;
  }
  auto* info = reinterpret_cast<THintInfo*>(m.LParam);
  if (TFSListItem* item = GetItemAt(info->CursorPos.X, info->CursorPos.Y)) {
    AnsiString tip = item->Caption();
    DoInfoTip(item, tip);
    info->CursorRect = ClientRect();
    info->HintStr = tip;
    info->HintMaxWidth = ClientWidth();
    m.Result = 0;
    return;
  }
  inherited::Dispatch(m);
}
