// How the list view looks: the skinned header (through a window procedure on the window's
// header control), the custom-draw protocol with progress cells and column lines, work areas,
// the border, printing, transparency and the searching animation.

#include <algorithm>
#include <cstdlib>

#include "platform/comctl/Header.h"
#include "platform/gdi/Text.h"
#include "platform/user/ScrollBars.h"
#include "platform/user/DrawControls.h"
#include "program/controls/FSListView.h"
#include "program/controls/SkinnedControl.h"
#include "program/skin/DrawUtils.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinDraw.h"
#include "rtl/Strings.h"
#include "vcl/Colors.h"

using namespace platform;

namespace {

constexpr char kHeaderOwnerProp[] = "BrantwellListViewHeader";

// Restores a DC's state when it goes.
class SavedDcState {
 public:
  explicit SavedDcState(HDC dc) : m_dc(dc), m_saved(SaveDC(dc)) {}
  ~SavedDcState() { RestoreDC(m_dc, m_saved); }
  SavedDcState(const SavedDcState&) = delete;
  SavedDcState& operator=(const SavedDcState&) = delete;

 private:
  HDC m_dc;
  int m_saved;
};

// Binds a canvas to a DC for one drawing, locked.
class CanvasOnDc {
 public:
  CanvasOnDc(TCanvas* canvas, HDC dc) : m_canvas(canvas) {
    m_canvas->Lock();
    m_canvas->SetHandle(dc);
  }
  ~CanvasOnDc() {
    m_canvas->SetHandle(nullptr);
    m_canvas->Unlock();
  }
  CanvasOnDc(const CanvasOnDc&) = delete;
  CanvasOnDc& operator=(const CanvasOnDc&) = delete;

 private:
  TCanvas* m_canvas;
};

// The leading number of a text ("45%" and "7 %" give 45 and 7); false when it starts with none.
bool LeadingNumber(const AnsiString& text, int& value) {
  const char* start = text.c_str();
  char* end = nullptr;
  const long parsed = std::strtol(start, &end, 10);
  if (end == start) return false;
  value = static_cast<int>(parsed);
  return true;
}

TCustomDrawState DrawStateOfItem(UINT state) {
  TCustomDrawState result;
  if (state & CDIS_SELECTED) result.Include(cdsSelected);
  if (state & CDIS_GRAYED) result.Include(cdsGrayed);
  if (state & CDIS_DISABLED) result.Include(cdsDisabled);
  if (state & CDIS_CHECKED) result.Include(cdsChecked);
  if (state & CDIS_FOCUS) result.Include(cdsFocused);
  if (state & CDIS_DEFAULT) result.Include(cdsDefault);
  if (state & CDIS_HOT) result.Include(cdsHot);
  if (state & CDIS_MARKED) result.Include(cdsMarked);
  if (state & CDIS_INDETERMINATE) result.Include(cdsIndeterminate);
  return result;
}

TCustomDrawStage StageOfDraw(DWORD stage) {
  switch (stage & 0xFFFF) {
    case CDDS_POSTPAINT: return cdPostPaint;
    case CDDS_PREERASE: return cdPreErase;
    case CDDS_POSTERASE: return cdPostErase;
    default: return cdPrePaint;
  }
}

}  // namespace

// ---- header ----------------------------------------------------------------------------------

void TFSCustomListView::UpdateHeaderSkin() {
  FHeaderSkin = SkinEngine ? SkinEngine->GetSkinItem(HeaderSkinName) : nullptr;
  InvalidateHeader();
}

void TFSCustomListView::InvalidateHeader() {
  if (FHeaderHandle) InvalidateRect(FHeaderHandle, nullptr, TRUE);
}

void TFSCustomListView::ResolveProgressPart() {
  if (FProgressPart || !SkinEngine || ProgressSkinName.empty()) return;
  if (TSkinItem* item = SkinEngine->GetSkinItem(ProgressSkinName)) FProgressPart = item->GetPart(ProgressSkinPartIndex);
}

void TFSCustomListView::SubclassHeader(HWND header) {
  FHeaderHandle = header;
  SetPropA(header, kHeaderOwnerProp, reinterpret_cast<HANDLE>(this));
  FDefHeaderProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(header, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TFSCustomListView::HeaderProc)));
}

LRESULT TFSCustomListView::HeaderProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* view = reinterpret_cast<TFSCustomListView*>(GetPropA(window, kHeaderOwnerProp));
  if (!view) return DefWindowProcA(window, msg, wParam, lParam);
  return view->HeaderWndProc(msg, wParam, lParam);
}

LRESULT TFSCustomListView::CallHeaderDefault(UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(FDefHeaderProc, FHeaderHandle, msg, wParam, lParam);
}

int TFSCustomListView::SectionAt(int x) {
  int left = 0;
  for (int i = 0; i < FListColumns->Count(); ++i) {
    const int width = FListColumns->Items(i)->Width();
    if (x >= left && x <= left + width) return i;
    left += width;
  }
  return -1;
}

// The hot and pressed looks come from the skin whatever the theme: a change repaints.
void TFSCustomListView::SetHotSection(int value) {
  if (FHotSection == value) return;
  FHotSection = value;
  InvalidateHeader();
}

void TFSCustomListView::SetPressedSection(int value) {
  if (FPressedSection == value) return;
  FPressedSection = value;
  InvalidateHeader();
}

void TFSCustomListView::TakeOverColumnOrder() {
  const int count = FListColumns->Count();
  std::vector<int> order(static_cast<size_t>(count));
  Perform(LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order.data()));
  FListColumns->BeginUpdate();
  for (int i = 0; i < count; ++i)
    for (int j = 0; j < count; ++j)
      if (FListColumns->Items(j)->OrderTag() == order[static_cast<size_t>(i)]) {
        FListColumns->Items(j)->TCollectionItem::SetIndex(i);
        break;
      }
  FListColumns->EndUpdate();
  if (OnColumnDragged) OnColumnDragged(this);
  FUpdatingColumnOrder = false;
}

LRESULT TFSCustomListView::HeaderWndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND header = FHeaderHandle;
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      HDC dc = reinterpret_cast<HDC>(wParam);
      const bool begun = dc == nullptr;
      if (begun) dc = BeginPaint(header, &ps);
      if ((FOwnerDrawHeader || FShowSortMark) && FShowColumnHeaders) {
        PaintHeader(dc);
      } else {
        CallHeaderDefault(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        if (FShowSortMark) {
          CanvasOnDc bound(FHeaderCanvas.get(), dc);
          FHeaderCanvas->Font()->Assign(FFont.get());
          for (int i = 0; i < FListColumns->Count(); ++i) {
            const int index = static_cast<int>(CallHeaderDefault(HDM_ORDERTOINDEX, static_cast<WPARAM>(i), 0));
            RECT section{};
            CallHeaderDefault(HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&section));
            TFSListColumn* column = FListColumns->Items(i);
            if (column->SortMark() == smsNone) continue;
            const int textWidth = FHeaderCanvas->TextWidth(column->Caption());
            if (section.right - section.left >= textWidth + 21)
              DrawSortArrow(column->SortMark() == smsAsc,
                            TRect(section.left + 5 + textWidth + 4, section.top, section.right, section.bottom));
          }
        }
      }
      if (begun) EndPaint(header, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      if (FOwnerDrawHeader && FHeaderSkin) return 1;
      return CallHeaderDefault(msg, wParam, lParam);
    case HDM_LAYOUT: {
      const LRESULT result = CallHeaderDefault(msg, wParam, lParam);
      if (!FShowColumnHeaders) return result;
      int height = FHeaderHeight;
      if (height < 0) {
        TSkinItemState* state = FOwnerDrawHeader && FHeaderSkin ? FHeaderSkin->GetPartStateByIndex(0, 0) : nullptr;
        if (!state) return result;
        height = state->GetHeight();
      }
      auto* layout = reinterpret_cast<HDLAYOUT*>(lParam);
      if (layout && layout->pwpos && layout->prc && height != layout->pwpos->cy) {
        layout->prc->top += height - layout->pwpos->cy;
        layout->pwpos->cy = height;
        InvalidateHeader();
      }
      return result;
    }
    case WM_MOUSEMOVE: {
      const LRESULT result = CallHeaderDefault(msg, wParam, lParam);
      if (FHotSection == -1) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = header;
        track.dwHoverTime = 0;
        TrackMouseEvent(&track);
      }
      HDHITTESTINFO hit{};
      hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      CallHeaderDefault(HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      SetHotSection(hit.flags & HHT_ONHEADER ? SectionAt(hit.pt.x) : -1);
      return result;
    }
    case WM_MOUSELEAVE: {
      const LRESULT result = CallHeaderDefault(msg, wParam, lParam);
      SetHotSection(-1);
      return result;
    }
    case WM_LBUTTONDOWN: {
      const LRESULT result = CallHeaderDefault(msg, wParam, lParam);
      HDHITTESTINFO hit{};
      hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      CallHeaderDefault(HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (hit.flags & HHT_ONHEADER) SetPressedSection(SectionAt(hit.pt.x));
      InvalidateHeader();
      return result;
    }
    case WM_LBUTTONUP: {
      const LRESULT result = CallHeaderDefault(msg, wParam, lParam);
      SetPressedSection(-1);
      InvalidateHeader();
      return result;
    }
    case WM_CAPTURECHANGED:
      if (FUpdatingColumnOrder) TakeOverColumnOrder();
      return CallHeaderDefault(msg, wParam, lParam);
    case WM_SETCURSOR:
      if (!FAllowColumnResize) {
        POINT p{};
        GetCursorPos(&p);
        ::ScreenToClient(header, &p);
        HDHITTESTINFO hit{};
        hit.pt = p;
        CallHeaderDefault(HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.flags & HHT_ONDIVIDER) return 0;
      }
      return CallHeaderDefault(msg, wParam, lParam);
    case WM_NCHITTEST:
      if (ComponentState().Contains(csDesigning)) return HTTRANSPARENT;
      return CallHeaderDefault(msg, wParam, lParam);
    case WM_NCDESTROY: {
      WNDPROC previous = FDefHeaderProc;
      RemovePropA(header, kHeaderOwnerProp);
      SetWindowLongPtrA(header, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      FHeaderHandle = nullptr;
      FDefHeaderProc = nullptr;
      FHotSection = FPressedSection = -1;
      return CallWindowProcA(previous, header, msg, wParam, lParam);
    }
    default: return CallHeaderDefault(msg, wParam, lParam);
  }
}

void TFSCustomListView::PaintHeader(HDC dc) {
  if (!FHeaderHandle) return;
  RECT client{};
  if (!GetClientRect(FHeaderHandle, &client)) return;
  const TRect r(client);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max(1, r.Width()), std::max(1, r.Height()));
  HGDIOBJ old = SelectObject(memory, bitmap);
  {
    CanvasOnDc bound(FHeaderCanvas.get(), memory);
    CallHeaderDefault(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), reinterpret_cast<LPARAM>(memory));
    if (!FOwnerDrawHeader || !FHeaderSkin) {
      // Erase did nothing for a skinned header; a plain one gets the button face.
      FHeaderCanvas->Brush()->SetColor(clBtnFace);
      FHeaderCanvas->FillRect(r);
    }
    const int count = FListColumns->Count();
    if (count == 0) DrawHeaderSection(nullptr, r, TRect(r.Left, r.Top, r.Left, r.Bottom), 0, true, true);
    for (int i = 0; i < count; ++i) {
      const int index = static_cast<int>(CallHeaderDefault(HDM_ORDERTOINDEX, static_cast<WPARAM>(i), 0));
      RECT section{};
      CallHeaderDefault(HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&section));
      DrawHeaderSection(FListColumns->Items(i), r, TRect(section), i, index == 0, index >= count - 1);
    }
  }
  BitBlt(dc, 0, 0, r.Width(), r.Height(), memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

void TFSCustomListView::DrawHeaderSection(TFSListColumn* column, const TRect& client, const TRect& section,
                                          int position, bool first, bool last) {
  TCanvas* canvas = FHeaderCanvas.get();
  canvas->Font()->Assign(FFont.get());
  const bool hot = position == FHotSection, pressed = position == FPressedSection;
  auto paint = [&](TSkinItemState* state, const TRect& rect) {
    if (state) {
      state->Font.ApplyToFont(canvas->Font());
      state->Draw(canvas, rect);
      return;
    }
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(rect);
    RECT edge = rect;
    DrawEdge(canvas->Handle(), &edge, EDGE_RAISED, BF_RECT | BF_ADJUST);
  };
  TSkinItemState* state = FHeaderSkin && FOwnerDrawHeader ? FHeaderSkin->GetPartState(0, true, hot, pressed) : nullptr;
  if (column) {
    paint(state, section);
    DrawSectionCaption(column, section);
  }
  if (last) {
    TSkinItemState* rest = FHeaderSkin && FOwnerDrawHeader ? FHeaderSkin->GetPartStateByIndex(0, 0) : nullptr;
    const TRect area(section.Right, client.Top, client.Right, client.Bottom);
    if (area.Width() > 0) paint(rest, area);
  }
  TSkinItemState* divider = FHeaderSkin && FOwnerDrawHeader ? FHeaderSkin->GetPartStateByIndex(1, 0) : nullptr;
  if (!divider || !column) return;
  const int width = divider->GetWidth();
  if (!first) divider->Draw(canvas, TRect(section.Left - width, section.Top, section.Left, section.Bottom));
  if (last) divider->Draw(canvas, TRect(section.Right - width, section.Top, section.Right, section.Bottom));
}

void TFSCustomListView::DrawSectionCaption(TFSListColumn* column, const TRect& section) {
  TCanvas* canvas = FHeaderCanvas.get();
  const int arrowSize = section.Height() * 2 / 4 - 1;
  const bool hasMark = FShowSortMark && column->SortMark() != smsNone;
  const AnsiString caption = column->Caption();
  const int textWidth = canvas->TextWidth(caption);
  TRect text = section;
  int arrowX = 0;
  UINT align = DT_LEFT;
  switch (column->Alignment()) {
    case taLeftJustify:
      text.Left += 5;
      arrowX = text.Left + textWidth + 4;
      break;
    case taRightJustify:
      align = DT_RIGHT;
      if (hasMark) {
        text.Right -= arrowSize + 9;
        arrowX = text.Right + 4;
      } else {
        text.Right -= 5;
      }
      break;
    case taCenter:
      align = DT_CENTER;
      if (hasMark) text.Right -= (arrowSize + 4) / 2;
      arrowX = (section.Right - section.Left + textWidth + 4) / 2 + section.Left;
      break;
  }
  canvas->Brush()->SetStyle(bsClear);
  RECT rect = text;
  SetBkMode(canvas->Handle(), TRANSPARENT);
  DrawTextA(canvas->Handle(), caption.c_str(), static_cast<int>(caption.size()), &rect,
            DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | align);
  if (FShowSortMark && (column->SortMark() == smsAsc || column->SortMark() == smsDesc))
    DrawSortArrow(column->SortMark() == smsAsc, TRect(arrowX, section.Top, section.Right, section.Bottom));
}

void TFSCustomListView::DrawSortArrow(bool up, const TRect& rect) {
  TCanvas* canvas = FHeaderCanvas.get();
  const int height = rect.Height();
  const int size = height * 2 / 4;
  const int half = size / 2;
  const int x = rect.Left, y = (height - half) / 2 + rect.Top;
  const TColor grey = static_cast<TColor>(0x808080);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(grey);
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetColor(grey);
  canvas->Font()->SetColor(grey);
  // An isosceles triangle `half` high and twice that wide.
  if (up) canvas->Polygon({TPoint{x, y + half}, TPoint{x + half, y}, TPoint{x + 2 * half, y + half}});
  else canvas->Polygon({TPoint{x, y}, TPoint{x + half, y + half}, TPoint{x + 2 * half, y}});
}

// ---- custom draw -----------------------------------------------------------------------------

bool TFSCustomListView::IsCustomDrawn(TCustomDrawTarget target, TCustomDrawStage stage) {
  bool result = false;
  if (stage == cdPrePaint) {
    switch (target) {
      case dtControl:
        result = OnCustomDraw || OnAdvancedCustomDraw || OnCustomDrawItem || OnAdvancedCustomDrawItem ||
                 OnCustomDrawSubItem || OnAdvancedCustomDrawSubItem;
        break;
      case dtItem:
        result = OnCustomDrawItem || OnAdvancedCustomDrawItem || OnCustomDrawSubItem || OnAdvancedCustomDrawSubItem;
        break;
      case dtSubItem: result = OnCustomDrawSubItem || OnAdvancedCustomDrawSubItem; break;
    }
  } else {
    switch (target) {
      case dtControl: result = static_cast<bool>(OnAdvancedCustomDraw) || OnAdvancedCustomDrawItem || OnAdvancedCustomDrawSubItem; break;
      case dtItem: result = OnAdvancedCustomDrawItem || OnCustomDrawItem; break;
      case dtSubItem: result = OnAdvancedCustomDrawSubItem || OnCustomDrawSubItem; break;
    }
  }
  if (FViewStyle == vsReport) {
    if (target == dtSubItem && FProgressColumn != -1) result = true;
    if (target == dtItem && FEditSubItem >= 1) result = true;
  }
  // The column lines are drawn at the control's pre-paint.
  if (stage == cdPrePaint && (FColLines || FRowLines)) result = true;
  return result;
}

bool TFSCustomListView::CustomDraw(const TRect& rect, TCustomDrawStage stage) {
  bool defaultDraw = true;
  if (stage == cdPrePaint && OnCustomDraw) OnCustomDraw(this, rect, defaultDraw);
  if (OnAdvancedCustomDraw) OnAdvancedCustomDraw(this, rect, stage, defaultDraw);
  if (stage == cdPrePaint) DrawColumnLines(cdPrePaint);
  return defaultDraw;
}

TColor TFSCustomListView::GetItemTextColor(TFSListItem* item) {
  if (FEditSubItem > 0) return FFont->Color();
  if (item && item->Selected() && (!FHideSelection || Focused()))
    return !FHideSelection && !Focused() ? clBtnText : clHighlightText;
  return FFont->Color();
}

bool TFSCustomListView::CustomDrawItem(TFSListItem* item, TCustomDrawState state, TCustomDrawStage stage) {
  bool defaultDraw = true;
  if (!item) return defaultDraw;
  if (stage == cdPrePaint && OnCustomDrawItem) OnCustomDrawItem(this, item, state, defaultDraw);
  if (OnAdvancedCustomDrawItem) OnAdvancedCustomDrawItem(this, item, state, stage, defaultDraw);
  if (defaultDraw && stage == cdPostPaint && FEditSubItem >= 1) {
    // The control shows no caption while a sub-item is edited (display information hands it an
    // empty one): the caption is drawn here.
    TRect r = item->DisplayRect(drLabel);
    r.Left += 2;
    r.Right -= 3;
    SetBkMode(FCanvas->Handle(), TRANSPARENT);
    SetTextColor(FCanvas->Handle(), ColorToRGB(GetItemTextColor(item)));
    RECT rect = r;
    const AnsiString caption = item->Caption();
    DrawTextA(FCanvas->Handle(), caption.c_str(), static_cast<int>(caption.size()), &rect,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  return defaultDraw;
}

bool TFSCustomListView::CustomDrawSubItem(TFSListItem* item, int subItem, TCustomDrawState state,
                                          TCustomDrawStage stage) {
  bool defaultDraw = true;
  if (!item) return defaultDraw;
  if (stage == cdPrePaint && OnCustomDrawSubItem) OnCustomDrawSubItem(this, item, subItem, state, defaultDraw);
  if (OnAdvancedCustomDrawSubItem) OnAdvancedCustomDrawSubItem(this, item, subItem, state, stage, defaultDraw);
  if (subItem != FProgressColumn || item->SubItems()->Count() < subItem || stage != cdPrePaint) return defaultDraw;
  int value = 0;
  if (!LeadingNumber(item->SubItems()->Get(subItem - 1), value)) return defaultDraw;
  RECT cell{};
  cell.top = subItem;
  cell.left = LVIR_BOUNDS;
  Perform(LVM_GETSUBITEMRECT, static_cast<WPARAM>(item->Index()), reinterpret_cast<LPARAM>(&cell));
  {
    SavedDcState saved(FCanvas->Handle());
    SetBkMode(FCanvas->Handle(), TRANSPARENT);
    DrawSkinProgress(FCanvas.get(), TRect(cell), FProgressPart, value, 0, 100, FProgLabelCenter);
    FCanvas->Brush()->Assign(FBrush.get());
    FCanvas->Font()->Assign(FFont.get());
  }
  SetBkMode(FCanvas->Handle(), TRANSPARENT);
  return false;
}

void TFSCustomListView::CustomDrawNotify(TWMNotify& m) {
  auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(m.NMHdr);
  const DWORD drawStage = cd->nmcd.dwDrawStage;
  const TCustomDrawStage stage = StageOfDraw(drawStage);
  TCanvasLock lock(FCanvas.get());
  m.SetResult(CDRF_DODEFAULT);
  HDC dc = cd->nmcd.hdc;
  auto bind = [&] {
    FCanvas->SetHandle(dc);
    FCanvas->Font()->Assign(FFont.get());
    FCanvas->Brush()->Assign(FBrush.get());
  };
  if (!(drawStage & CDDS_ITEM)) {
    LRESULT result = CDRF_DODEFAULT;
    if (IsCustomDrawn(dtControl, stage)) {
      bind();
      if (!CustomDraw(ClientRect(), stage)) result = CDRF_SKIPDEFAULT;
      FCanvas->SetHandle(nullptr);
    }
    if (stage == cdPrePaint && result != CDRF_SKIPDEFAULT) {
      if (IsCustomDrawn(dtItem, cdPrePaint) || IsCustomDrawn(dtItem, cdPreErase)) result |= CDRF_NOTIFYITEMDRAW;
      if (IsCustomDrawn(dtItem, cdPostPaint)) result |= CDRF_NOTIFYPOSTPAINT;
      if (IsCustomDrawn(dtItem, cdPostErase)) result |= CDRF_NOTIFYPOSTERASE;
      if (IsCustomDrawn(dtSubItem, cdPrePaint) || IsCustomDrawn(dtSubItem, cdPostPaint)) result |= CDRF_NOTIFYSUBITEMDRAW;
    }
    m.SetResult(result);
    return;
  }
  const bool subItemStage = (drawStage & CDDS_SUBITEM) != 0;
  if (subItemStage && cd->iSubItem == 0) return;
  const int row = static_cast<int>(cd->nmcd.dwItemSpec);
  TFSListItem* item = FOwnerData ? ItemOfRow(row, 0, nullptr) : reinterpret_cast<TFSListItem*>(cd->nmcd.lItemlParam);
  if (!item) item = ItemFromIndex(row);
  const TCustomDrawState state = DrawStateOfItem(cd->nmcd.uItemState);
  bind();
  FCanvas->Font()->SetColor(static_cast<TColor>(cd->clrText));
  FCanvas->Brush()->SetColor(static_cast<TColor>(cd->clrTextBk));
  const TColor fontBefore = FCanvas->Font()->Color(), brushBefore = FCanvas->Brush()->Color();
  const bool drawn = subItemStage ? CustomDrawSubItem(item, cd->iSubItem, state, stage) : CustomDrawItem(item, state, stage);
  LRESULT result = CDRF_DODEFAULT;
  if (!drawn) {
    result = CDRF_SKIPDEFAULT;
  } else if (stage == cdPrePaint) {
    if (FCanvas->Font()->Color() != fontBefore) cd->clrText = ColorToRGB(FCanvas->Font()->Color());
    if (FCanvas->Brush()->Color() != brushBefore) cd->clrTextBk = ColorToRGB(FCanvas->Brush()->Color());
    if (subItemStage) {
      if (IsCustomDrawn(dtSubItem, cdPostPaint)) result |= CDRF_NOTIFYPOSTPAINT;
    } else {
      if (IsCustomDrawn(dtItem, cdPostPaint)) result |= CDRF_NOTIFYPOSTPAINT;
      if (IsCustomDrawn(dtItem, cdPostErase)) result |= CDRF_NOTIFYPOSTERASE;
      if (IsCustomDrawn(dtSubItem, cdPrePaint) || IsCustomDrawn(dtSubItem, cdPostPaint)) result |= CDRF_NOTIFYSUBITEMDRAW;
    }
  }
  FCanvas->SetHandle(nullptr);
  m.SetResult(result);
}

// ---- lines, work areas, painting -------------------------------------------------------------

void TFSCustomListView::DrawColumnLines(TCustomDrawStage stage) {
  if (!FColLines || !FHeaderHandle || !FCanvas->HandleAllocated()) return;
  const TRect client = ClientRect();
  const int scroll = GetScrollPos(Handle(), SB_HORZ);
  if (stage == cdPrePaint && FLinesWidth >= 2) return;
  TPen* pen = FCanvas->Pen();
  if (stage == cdPrePaint || FLinesWidth == 0) {
    pen->SetWidth(1);
    pen->SetColor(FColor);
  } else {
    pen->SetWidth(FLinesWidth);
    pen->SetColor(FLinesColor);
  }
  for (int i = 0; i < FListColumns->Count(); ++i) {
    const int index = static_cast<int>(SendMessageA(FHeaderHandle, HDM_ORDERTOINDEX, static_cast<WPARAM>(i), 0));
    RECT section{};
    SendMessageA(FHeaderHandle, HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&section));
    int x = section.right - scroll - 1;
    if (stage == cdPrePaint) --x;
    FCanvas->MoveTo(x, client.Top);
    FCanvas->LineTo(x, client.Bottom);
  }
  SetBkMode(FCanvas->Handle(), TRANSPARENT);
}

void TFSCustomListView::PaintWindow(HDC dc) {
  inherited::PaintWindow(dc);
  CanvasOnDc bound(FCanvas.get(), dc);
  DrawColumnLines(cdPostPaint);
}

void TFSCustomListView::DrawWorkAreas(HDC) {
  if (!HandleAllocated() || FWorkAreas->Count() == 0) return;
  HDC dc = GetDC(Handle());
  {
    CanvasOnDc bound(FCanvas.get(), dc);
    POINT origin{};
    Perform(LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&origin));
    FCanvas->Brush()->SetStyle(bsClear);
    for (int i = 0; i < FWorkAreas->Count(); ++i) {
      TFSWorkArea* area = FWorkAreas->Items(i);
      FCanvas->Pen()->SetStyle(psDot);
      FCanvas->Pen()->SetColor(area->Color());
      TRect r = area->Rect();
      r = TRect(r.Left - origin.x, r.Top - origin.y, r.Right - origin.x, r.Bottom - origin.y);
      FCanvas->Rectangle(r);
      if (!area->DisplayName().empty()) {
        FCanvas->Pen()->SetStyle(psSolid);
        FCanvas->Font()->SetColor(area->Color());
        FCanvas->TextOut(r.Left, r.Bottom, area->DisplayName());
      }
    }
  }
  ReleaseDC(Handle(), dc);
}

void TFSCustomListView::NCPaint(TMessage& m) {
  inherited::Dispatch(m);
  if (FBorderStyle == bsSingle && !Ctl3D())
    DrawWindowFrame(Handle(), reinterpret_cast<HRGN>(m.WParam), clNone, FBorderColor, false);
}

void TFSCustomListView::PrintWindow(TMessage& m) {
  auto* dc = reinterpret_cast<HDC>(m.WParam);
  const bool frame = !Ctl3D() && FBorderStyle == bsSingle && (m.LParam & PRF_NONCLIENT);
  if (!FHeaderSkin) {
    inherited::Dispatch(m);
    if (frame) DrawFrameColors(dc, TRect(0, 0, Width(), Height()), clNone, FBorderColor, false);
    return;
  }
  const bool buffered = FDoubleBuffered;
  FDoubleBuffered = false;
  inherited::Dispatch(m);
  if (!((!Visible() && !dc) || (m.LParam & PRF_CHECKVISIBLE))) {
    if (FOwnerDrawHeader && FHeaderHandle) {
      const int border = FBorderStyle == bsSingle ? (Ctl3D() ? 2 : 1) : 0;
      POINT old{};
      OffsetWindowOrgEx(dc, -border, -border, &old);
      PaintHeader(dc);
      SetWindowOrgEx(dc, old.x, old.y, nullptr);
    }
    if (frame) DrawFrameColors(dc, TRect(0, 0, Width(), Height()), clNone, FBorderColor, false);
  }
  FDoubleBuffered = buffered;
}

// ---- animation -------------------------------------------------------------------------------

void TFSCustomListView::SetShowAnimate(bool value) {
  if (FShowAnimate == value) return;
  FShowAnimate = value;
  CenterAnimation();
}

void TFSCustomListView::CenterAnimation() {}
