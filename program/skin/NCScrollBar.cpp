#include "program/skin/NCScrollBar.h"

#include <algorithm>

#include "platform/gdi/DcGuards.h"
#include "platform/kernel/SysInfo.h"
#include "program/skin/DrawUtils.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinItem.h"
#include "vcl/Canvas.h"
#include "vcl/Thread.h"
#include "vcl/TypInfo.h"
#include "vcl/WinControl.h"

using platform::OwnedGdiObject;

namespace {

// The list view's "delete all items", during which SetScrollInfo must not repaint.
constexpr UINT kListViewDeleteAllItems = 0x1009;

// The part ids of the "ScrollBar" item, per bar (0 horizontal, 1 vertical).
struct BarParts {
  int firstButton, secondButton, firstGlyph, secondGlyph, thumb, grip, track;
  int firstCode, secondCode, thumbCode;
};
constexpr BarParts kParts[2] = {
    {0, 2, 4, 5, 1, 6, 3, TNCScrollBar::LeftArrow, TNCScrollBar::RightArrow, TNCScrollBar::HorzThumb},
    {7, 9, 11, 12, 8, 13, 10, TNCScrollBar::UpArrow, TNCScrollBar::DownArrow, TNCScrollBar::VertThumb},
};

// The part a scroll code presses or lights on a bar.
int PartOfCode(int bar, int code) {
  switch (code) {
    case SB_LINEUP: return kParts[bar].firstCode;
    case SB_LINEDOWN: return kParts[bar].secondCode;
    case SB_THUMBTRACK: return kParts[bar].thumbCode;
    default: return TNCScrollBar::None;
  }
}

bool Contains(const TRect& rect, const TPoint& point) {
  return point.X >= rect.Left && point.X < rect.Right && point.Y >= rect.Top && point.Y < rect.Bottom;
}

int BarLength(int bar, const TRect& rect) { return bar == 0 ? rect.Width() : rect.Height(); }

TPoint MessagePoint(LPARAM lParam) { return TPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); }

// Serves the main thread's queued calls while a nested loop waits; true when it did nothing.
void WaitInLoop() {
  if (IsMainThread() && CheckSynchronize()) return;
  WaitMessage();
}

}  // namespace

TNCScrollBar::TNCScrollBar(TControl* control, TFSSkinEngine* engine) : TSkinControl(control, engine) {
  FHookInfo.Owner = this;
  FHookInfo.Repaint = &TNCScrollBar::RepaintThunk;
  FHookInfo.Active = -1;
  FHookInfo.MaskFlag = -1;
  FGeometry[0].StyleBit = WS_HSCROLL;
  FGeometry[1].StyleBit = WS_VSCROLL;
}

TNCScrollBar::~TNCScrollBar() { Detach(); }

void TNCScrollBar::DescribeClass(TClassBuilder<TNCScrollBar>& c) {
  c.Property("Enabled", &TNCScrollBar::Enabled, &TNCScrollBar::SetEnabled).Default(1);
  c.Property("AddSizeGrid", &TNCScrollBar::AddSizeGrid, &TNCScrollBar::SetAddSizeGrid).Default(0);
  c.Property("SkinName", &TNCScrollBar::SkinName, &TNCScrollBar::SetSkinName)
      .Stored(&TNCScrollBar::IsSkinNameStored);
  c.Property("SizeGridSkinName", &TNCScrollBar::SizeGridSkinName, &TNCScrollBar::SetSizeGridSkinName)
      .Stored(&TNCScrollBar::IsSizeGridSkinNameStored);
}

void TNCScrollBar::Assign(TPersistent* source) {
  TSkinControl::Assign(source);
  if (auto* other = dynamic_cast<TNCScrollBar*>(source)) {
    FAddSizeGrid = other->FAddSizeGrid;
    FSkinName = other->FSkinName;
    FSizeGridSkinName = other->FSizeGridSkinName;
    FEnabled = other->FEnabled;
    LoadSkinItems();
  }
}

// ---- attaching ----------------------------------------------------------------------------------

void TNCScrollBar::AttachControl(TWinControl* control, bool ownThumbDrag) {
  if (!control) return;
  if (FAttached && control == FAttachedControl) {
    FOwnThumbDrag = ownThumbDrag;
    return;
  }
  if (FAttached) Detach();
  FHotPart = None;
  FAttachedControl = control;
  FHandle = control->Handle();
  LoadSkinItems();
  RegisterWindow();
  ReplaceWindowProc(control);
  FDragging = false;
  FOwnThumbDrag = ownThumbDrag;
  FAttached = true;
}

void TNCScrollBar::AttachWindow(HWND wnd, bool ownThumbDrag) {
  if (FAttached) Detach();
  FHotPart = None;
  FHandle = wnd;
  LoadSkinItems();
  RegisterWindow();
  HookWindow(wnd);
  FDragging = false;
  FOwnThumbDrag = ownThumbDrag;
  FAttached = true;
}

void TNCScrollBar::Detach() {
  StopRepeat();
  RemoveOwnProperty();
  RestoreWindowProc();
  UnhookWindow();
  FAttached = false;
  FAttachedControl = nullptr;
  FHandle = nullptr;
  FHotPart = FPressedPart = None;
}

void TNCScrollBar::LoadSkinItems() {
  TFSSkinEngine* engine = FSkinEngine ? FSkinEngine : ::SkinEngine;
  FScrollBarItem = engine ? engine->GetSkinItem(FSkinName) : nullptr;
  FSizeGridItem = engine ? engine->GetSkinItem(FSizeGridSkinName) : nullptr;
  FHookInfo.Active = FEnabled && FScrollBarItem ? -1 : 0;
}

void TNCScrollBar::RegisterWindow() {
  if (!FHandle) return;
  if (FPropertyWindow && FPropertyWindow != FHandle) RemoveOwnProperty();
  // Always our own record: a property left behind by a freed object must not survive.
  SetPropA(FHandle, kScrollHookPropName, &FHookInfo);
  FPropertyWindow = FHandle;
  if (!FControl || !FControl->ComponentState().Contains(csDesigning)) InstallScrollHooks();
}

void TNCScrollBar::RemoveOwnProperty() {
  if (!FPropertyWindow) return;
  if (IsWindow(FPropertyWindow) && GetScrollHookInfo(FPropertyWindow) == &FHookInfo)
    RemovePropA(FPropertyWindow, kScrollHookPropName);
  FPropertyWindow = nullptr;
}

void TNCScrollBar::HandleRecreated() {
  // A control's window made again: the new handle gets the record.
  if (FAttached && FHandle) RegisterWindow();
}

void TNCScrollBar::SetEnabled(bool value) {
  if (FEnabled == value) return;
  FEnabled = value;
  LoadSkinItems();
  if (FHandle && IsWindow(FHandle))
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TNCScrollBar::SetSkinName(const AnsiString& value) {
  if (FSkinName == value) return;
  FSkinName = value;
  LoadSkinItems();
}

void TNCScrollBar::SetSizeGridSkinName(const AnsiString& value) {
  if (FSizeGridSkinName == value) return;
  FSizeGridSkinName = value;
  LoadSkinItems();
}

void TNCScrollBar::RepaintThunk(TScrollHookOwner* owner) { static_cast<TNCScrollBar*>(owner)->Repaint(); }

// ---- layout and geometry --------------------------------------------------------------------------

void TNCScrollBar::UpdateLayout() {
  FStyle = static_cast<DWORD>(GetWindowLongPtrW(FHandle, GWL_STYLE));
  FExStyle = static_cast<DWORD>(GetWindowLongPtrW(FHandle, GWL_EXSTYLE));
  FSizeBoxShown = (FStyle & WS_HSCROLL) && (FStyle & WS_VSCROLL);
  CalcScrollBarRects(FHandle, FBarRect[0], FBarRect[1], FSizeBoxRect);
  TRect& vert = FBarRect[1];
  if (!FSizeBoxShown && FAddSizeGrid && (FStyle & WS_VSCROLL) && !vert.IsEmpty()) {
    // A lone vertical bar gives up a square at its bottom for the size box.
    const int top = std::max(vert.Bottom - vert.Width(), vert.Top);
    FSizeBoxRect = TRect(vert.Left, top, vert.Right, vert.Bottom);
    vert.Bottom = top;
    FSizeBoxShown = true;
  }
  const int arrow = GetSystemMetrics(SM_CXHSCROLL);
  for (int bar = 0; bar < 2; ++bar) FGeometry[bar].ArrowHitSize = std::min(arrow, BarLength(bar, FBarRect[bar]) / 2);
}

void TNCScrollBar::CalcBarGeometry(int bar) {
  if (FDragging) return;
  BarGeometry& g = FGeometry[bar];
  SCROLLINFO& info = FScrollInfo[bar];
  info = SCROLLINFO{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  if (!GetScrollInfo(FHandle, bar == 0 ? SB_HORZ : SB_VERT, &info)) info = SCROLLINFO{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  g.ArrowLength = GetSystemMetrics(bar == 0 ? SM_CXHSCROLL : SM_CYVSCROLL);
  g.TrackLength = std::max(BarLength(bar, FBarRect[bar]) - 2 * g.ArrowLength, 0);
  const int range = info.nMax - info.nMin + 1;
  g.ThumbSize = GetSystemMetrics(bar == 0 ? SM_CXHTHUMB : SM_CYVTHUMB);
  if (info.nPage != 0 && range > 0)
    g.ThumbSize = std::max(MulDiv(static_cast<int>(info.nPage), g.TrackLength, range), 16);
  if (g.TrackLength <= g.ThumbSize) g.ThumbSize = g.TrackLength;
  g.Enabled = range > 0 && range >= static_cast<int>(info.nPage);
  const int position = FTracking ? info.nTrackPos : info.nPos;
  const int span = g.TrackLength - g.ThumbSize;
  if (range == static_cast<int>(info.nPage)) {
    g.ThumbPos = 0;
    g.ThumbSize = std::max(g.ThumbSize - 1, 0);
  } else {
    const int scrollable = range - static_cast<int>(info.nPage);
    g.ThumbPos = scrollable > 0 ? MulDiv(position - info.nMin, span, scrollable) : 0;
    // Positions outside the range (or a failed division) must not push the thumb out of
    // its track.
    g.ThumbPos = std::clamp(g.ThumbPos, 0, std::max(span, 0));
  }
}

int TNCScrollBar::HitTestBar(int along, int bar) const {
  const BarGeometry& g = FGeometry[bar];
  const int a = g.ArrowHitSize, p = g.ThumbPos, s = g.ThumbSize, t = g.TrackLength;
  if (along < a) return SB_LINEUP;
  if (along < a + p) return SB_PAGEUP;
  if (along < a + p + s) return SB_THUMBTRACK;
  if (along < a + t) return SB_PAGEDOWN;
  if (along < 2 * a + t) return SB_LINEDOWN;
  return -1;
}

int TNCScrollBar::PosFromPoint(int bar, const TPoint& screenPoint, int& offset) const {
  const SCROLLINFO& info = FScrollInfo[bar];
  const BarGeometry& g = FGeometry[bar];
  const int moved = bar == 0 ? screenPoint.X - FMouseDown.X : screenPoint.Y - FMouseDown.Y;
  offset = std::max(moved + FThumbPosAtPress, 0);
  const int maxPos = info.nPage != 0 ? info.nMax - (static_cast<int>(info.nPage) - 1) : info.nMax;
  const int span = g.TrackLength - g.ThumbSize;
  int position;
  if (span > offset) {
    position = info.nMin + MulDiv(offset, maxPos - info.nMin, span);
  } else {
    offset = std::max(span, 0);
    position = maxPos;
  }
  return std::max(position, info.nMin);
}

TPoint TNCScrollBar::ToWindow(TPoint screen) const {
  ScreenToWindowPoint(FHandle, screen);
  return screen;
}

int TNCScrollBar::AlongBar(int bar, const TPoint& windowPoint) const {
  return bar == 0 ? windowPoint.X - FBarRect[0].Left : windowPoint.Y - FBarRect[1].Top;
}

bool TNCScrollBar::OverBars(const TPoint& windowPoint) const {
  return Contains(FBarRect[0], windowPoint) || Contains(FBarRect[1], windowPoint) ||
         (FSizeBoxShown && Contains(FSizeBoxRect, windowPoint));
}

// ---- painting ------------------------------------------------------------------------------------

void TNCScrollBar::PaintNCParts(HDC dc, const TRect& windowRect) {
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(FHandle, GWL_STYLE));
  const bool horz = style & WS_HSCROLL, vert = style & WS_VSCROLL;
  if (!horz && !vert) {
    FBarRect[0] = FBarRect[1] = FSizeBoxRect = TRect();
    FSizeBoxShown = false;
    return;
  }
  UpdateLayout();
  auto fits = [&](const TRect& r) {
    return r.Width() >= 1 && r.Height() >= 1 && r.Left >= windowRect.Left && r.Top >= windowRect.Top &&
           r.Right <= windowRect.Right && r.Bottom <= windowRect.Bottom;
  };
  if (horz && fits(FBarRect[0])) DrawBar(dc, FBarRect[0], true, 0);
  if (vert && fits(FBarRect[1])) DrawBar(dc, FBarRect[1], true, 1);
  if (FSizeBoxShown && ((horz && vert) || FAddSizeGrid)) DrawSizeGrip(dc);
}

void TNCScrollBar::DrawBar(HDC dc, const TRect& barRect, bool drawThumb, int bar) {
  CalcBarGeometry(bar);
  const BarGeometry& g = FGeometry[bar];
  const int width = barRect.Width(), height = barRect.Height();
  if (width <= 0 || height <= 0 || width > 10000 || height > 10000) return;
  const int length = BarLength(bar, barRect);
  const int arrow = std::min(g.ArrowLength, length / 2);

  // Drawn off screen over a copy of what the window shows there, then copied back at once.
  OwnedGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, width, height));
  if (!bitmap) return;
  platform::BitmapDc memory(bitmap.get(), dc);
  if (!memory.Ready()) return;
  BitBlt(memory.get(), 0, 0, width, height, dc, barRect.Left, barRect.Top, SRCCOPY);
  SetStretchBltMode(memory.get(), COLORONCOLOR);
  if (FScrollBarItem) {
    TCanvas canvas;
    canvas.SetHandle(memory.get());
    const BarParts& parts = kParts[bar];
    auto draw = [&](int part, const TRect& rect, bool enabled, int code, bool centred, bool onlyIfFits) {
      TSkinItemState* state = code == None ? FScrollBarItem->GetPartStateByIndex(part, 0)
                                           : FScrollBarItem->GetPartState(part, enabled, FHotPart == code, FPressedPart == code);
      if (state) state->Draw(&canvas, rect, 0, 0, nullptr, centred, onlyIfFits);
    };
    const TRect whole(0, 0, width, height);
    const TRect first = bar == 0 ? TRect(0, 0, arrow, height) : TRect(0, 0, width, arrow);
    const TRect second = bar == 0 ? TRect(width - arrow, 0, width, height) : TRect(0, height - arrow, width, height);
    draw(parts.track, whole, g.Enabled, None, false, false);
    draw(parts.firstButton, first, g.Enabled, parts.firstCode, false, false);
    draw(parts.firstGlyph, first, g.Enabled, parts.firstCode, true, false);
    draw(parts.secondButton, second, g.Enabled, parts.secondCode, false, false);
    draw(parts.secondGlyph, second, g.Enabled, parts.secondCode, true, false);
    if (drawThumb && g.Enabled && g.TrackLength > 0 && g.ThumbSize < g.TrackLength) {
      const int start = arrow + g.ThumbPos;
      const TRect thumb = bar == 0 ? TRect(start, 0, start + g.ThumbSize, height) : TRect(0, start, width, start + g.ThumbSize);
      draw(parts.thumb, thumb, true, parts.thumbCode, false, false);
      draw(parts.grip, thumb, FEnabled, parts.thumbCode, true, true);
    }
    canvas.SetHandle(nullptr);
  }
  BitBlt(dc, barRect.Left, barRect.Top, width, height, memory.get(), 0, 0, SRCCOPY);
}

void TNCScrollBar::DrawSizeGrip(HDC dc) {
  if (!FSizeBoxShown || FSizeBoxRect.IsEmpty()) return;
  TCanvas canvas;
  canvas.SetHandle(dc);
  TSkinItemState* background = FSizeGridItem ? FSizeGridItem->GetPartState(0, FEnabled, FSizeBoxHot, false) : nullptr;
  if (background) background->Draw(&canvas, FSizeBoxRect);
  else DrawBackground(dc, FSizeBoxRect);
  if (FAddSizeGrid || GripAtSizeableCorner()) {
    TSkinItemState* grip = FSizeGridItem ? FSizeGridItem->GetPartState(1, FEnabled, FSizeBoxHot, false) : nullptr;
    if (grip && !grip->IsEmpty()) {
      const int w = grip->GetWidth(), h = grip->GetHeight();
      grip->Draw(&canvas, TRect(FSizeBoxRect.Right - w, FSizeBoxRect.Bottom - h, FSizeBoxRect.Right, FSizeBoxRect.Bottom));
    } else {
      RECT r = FSizeBoxRect;
      DrawFrameControl(dc, &r, DFC_SCROLL, (FExStyle & WS_EX_LEFTSCROLLBAR) ? DFCS_SCROLLSIZEGRIPRIGHT : DFCS_SCROLLSIZEGRIP);
    }
  }
  canvas.SetHandle(nullptr);
}

bool TNCScrollBar::GripAtSizeableCorner() const {
  HWND wnd = FHandle;
  while (wnd && !(GetWindowLongPtrW(wnd, GWL_STYLE) & WS_THICKFRAME)) wnd = GetParent(wnd);
  if (!wnd) return false;
  RECT client{};
  if (!GetClientRect(wnd, &client)) return false;
  POINT corner{client.right, client.bottom};
  ClientToScreen(wnd, &corner);
  TPoint boxCorner = FSizeBoxRect.TopLeft();
  WindowToScreenPoint(FHandle, boxCorner);
  return corner.x == boxCorner.X && corner.y == boxCorner.Y;
}

// ---- messages --------------------------------------------------------------------------------------

bool TNCScrollBar::HandleMessage(TMessage& message) {
  if (!FHookInfo.Active || !FHandle) return TSkinControl::HandleMessage(message);
  switch (message.Msg) {
    case WM_NCPAINT:
      NCPaint(message);
      return false;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      return !PressBar(message);
    case WM_NCLBUTTONUP: {
      StopRepeat();
      FTracking = false;
      FPressedPart = None;
      CallOldWndProc(message);
      if (message.WParam == HTHSCROLL || message.WParam == HTVSCROLL) Repaint();
      return false;
    }
    case WM_NCMOUSEMOVE:
    case WM_MOUSEMOVE:
      return !HotTrack(message);
    case WM_NCMOUSELEAVE:
    case WM_MOUSELEAVE: {
      if (FHotPart == None && !FSizeBoxHot) {
        if (message.Msg == WM_NCMOUSELEAVE) Repaint();
        return true;
      }
      POINT cursor{};
      GetCursorPos(&cursor);
      UpdateLayout();
      if (OverBars(ToWindow(cursor))) return true;
      StopRepeat();
      CallOldWndProc(message);
      const bool repaint = FPressedPart != None || FHotPart != None || FSizeBoxHot;
      FPressedPart = FHotPart = None;
      if (FSizeBoxHot) {
        FSizeBoxHot = false;
        if (FCursorSaved) SetCursor(FSavedCursor);
        FCursorSaved = false;
      }
      if (repaint) Repaint();
      return false;
    }
    case WM_LBUTTONUP:
      StopRepeat();
      if (FPressedPart == None) return true;
      FPressedPart = None;
      CallOldWndProc(message);
      Repaint();
      return false;
    case WM_HSCROLL:
    case WM_VSCROLL: {
      // A scroll bar control's messages (lParam its window) are not about the window's bars.
      if (message.LParam != 0) return true;
      const int bar = message.Msg == WM_HSCROLL ? 0 : 1;
      const int code = LOWORD(message.WParam);
      switch (code) {
        case SB_LINEUP: case SB_LINEDOWN: FPressedPart = PartOfCode(bar, code); break;
        case SB_PAGEUP: case SB_PAGEDOWN: FPressedPart = None; break;
        case SB_THUMBPOSITION: case SB_THUMBTRACK: FPressedPart = kParts[bar].thumbCode; break;
        default: break;
      }
      CallOldWndProc(message);
      if (code == SB_THUMBTRACK) {
        Repaint();
      } else if (code == SB_ENDSCROLL) {
        FPressedPart = None;
        FTracking = false;
        Repaint();
      }
      return false;
    }
    case WM_TIMER:
      if (message.WParam != kRepeatTimerId) return true;
      if (FRepeatTimer) {
        SendMessageW(FHandle, FRepeatMessage, static_cast<WPARAM>(FRepeatCode), 0);
        if (FRepeatTimer) SetTimer(FHandle, kRepeatTimerId, kRepeatIntervalMs, nullptr);
      }
      return false;
    case WM_PRINT: {
      HDC dc = reinterpret_cast<HDC>(message.WParam);
      {
        platform::SavedDcState saved(dc);
        UpdateLayout();
        for (const TRect& r : {FBarRect[0], FBarRect[1], FSizeBoxShown ? FSizeBoxRect : TRect()})
          if (!r.IsEmpty()) ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
        CallOldWndProc(message);
      }
      DrawNonClient(dc, nullptr);
      return false;
    }
    case kListViewDeleteAllItems:
      if (!FAttachedControl) return true;
      FHookInfo.DeleteLock = -1;
      CallOldWndProc(message);
      FHookInfo.DeleteLock = 0;
      return false;
    default:
      return TSkinControl::HandleMessage(message);
  }
}

void TNCScrollBar::AfterMessage(TMessage& message) {
  switch (message.Msg) {
    case WM_WINDOWPOSCHANGED:
      if (!FAttachedControl && FHookInfo.Active && FHandle) Repaint();
      break;
    case WM_NCDESTROY:
      // The window is gone: no timer, and no property pointing at this object.
      StopRepeat();
      RemoveOwnProperty();
      FDragging = false;
      FHandle = nullptr;
      break;
    case CM_SKINCHANGED:
      LoadSkinItems();
      break;
    default: break;
  }
}

void TNCScrollBar::NCPaint(TMessage& message) {
  RECT windowRect{};
  if (!GetWindowRect(FHandle, &windowRect)) {
    CallOldWndProc(message);
    return;
  }
  HRGN original = reinterpret_cast<HRGN>(message.WParam);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  if (reinterpret_cast<ULONG_PTR>(original) > 1) {
    CombineRgn(region, original, nullptr, RGN_COPY);
  } else if (GetWindowRgn(FHandle, region) != ERROR) {
    OffsetRgn(region, windowRect.left, windowRect.top);
  } else {
    SetRectRgn(region, windowRect.left, windowRect.top, windowRect.right, windowRect.bottom);
  }
  UpdateLayout();
  for (TRect r : {FBarRect[0], FBarRect[1], FSizeBoxShown ? FSizeBoxRect : TRect()}) {
    if (r.IsEmpty()) continue;
    OwnedGdiObject<HRGN> cut(CreateRectRgn(r.Left + windowRect.left, r.Top + windowRect.top, r.Right + windowRect.left,
                                            r.Bottom + windowRect.top));
    CombineRgn(region, region, cut.get(), RGN_DIFF);
  }
  // The old procedure paints everything but the bars.
  message.WParam = reinterpret_cast<WPARAM>(region);
  CallOldWndProc(message);
  message.WParam = reinterpret_cast<WPARAM>(original);
  DeleteObject(region);
  if (FHandle && IsWindow(FHandle)) DrawNonClient(nullptr, original);
}

bool TNCScrollBar::PressBar(TMessage& message) {
  const LRESULT hit = static_cast<LRESULT>(message.WParam);
  const TPoint screen = MessagePoint(message.LParam);
  UpdateLayout();
  const TPoint point = ToWindow(screen);
  bool handled = false;
  int code = -1;
  int bar = -1;
  UINT scrollMessage = 0;
  int part = None;
  if (hit == HTHSCROLL || hit == HTVSCROLL) {
    bar = hit == HTHSCROLL ? 0 : 1;
    scrollMessage = bar == 0 ? WM_HSCROLL : WM_VSCROLL;
    CalcBarGeometry(bar);
    code = HitTestBar(AlongBar(bar, point), bar);
    part = PartOfCode(bar, code);
    if (!FGeometry[bar].Enabled) handled = true;
  } else if ((hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT || hit == HTSIZE) && FAddSizeGrid && FSizeBoxShown &&
             Contains(FSizeBoxRect, point)) {
    SizeGripDrag(screen);
    return true;
  } else {
    return false;
  }
  if (part != FPressedPart) {
    FPressedPart = part;
    Repaint();
  }
  if (code >= SB_LINEUP && code <= SB_PAGEDOWN) {
    FRepeatMessage = scrollMessage;
    FRepeatCode = code;
    FRepeatTimer = true;
    SendMessageW(FHandle, scrollMessage, static_cast<WPARAM>(code), 0);
    if (FRepeatTimer && FHandle) SetTimer(FHandle, kRepeatTimerId, GetCaretBlinkTime(), nullptr);
    return true;
  }
  if (code == SB_THUMBTRACK) {
    FTracking = true;
    FThumbPosAtPress = FGeometry[bar].ThumbPos;
    FMouseDown = screen;
    if (FOwnThumbDrag) {
      ThumbDrag(bar, scrollMessage);
      return true;
    }
    return handled;
  }
  if (code == -1 && FAddSizeGrid) {
    SizeGripDrag(screen);
    return true;
  }
  return handled;
}

bool TNCScrollBar::HotTrack(TMessage& message) {
  UpdateLayout();
  TPoint point;
  LRESULT hit = HTNOWHERE;
  if (message.Msg == WM_NCMOUSEMOVE) {
    hit = static_cast<LRESULT>(message.WParam);
    point = ToWindow(MessagePoint(message.LParam));
  } else {
    POINT screen = MessagePoint(message.LParam);
    ClientToScreen(FHandle, &screen);
    point = ToWindow(screen);
    if (Contains(FBarRect[1], point)) hit = HTVSCROLL;
    else if (Contains(FBarRect[0], point)) hit = HTHSCROLL;
  }
  const bool overSizeBox = FAddSizeGrid && FSizeBoxShown && Contains(FSizeBoxRect, point);
  if (FRepeatTimer && !OverBars(point)) {
    // Holding an arrow or the track repeats only while the mouse stays on the bars.
    StopRepeat();
    FPressedPart = None;
    Repaint();
  }
  bool handled = false;
  bool repaint = false;
  int hot = None;
  if (overSizeBox) {
    if (!FSizeBoxHot) {
      FSizeBoxHot = true;
      if (GetCapture() == FHandle) {
        FSavedCursor = SetCursor(LoadCursorW(nullptr, IDC_SIZENWSE));
        FCursorSaved = true;
      }
      repaint = true;
    }
    handled = true;
  } else {
    if (FSizeBoxHot) {
      FSizeBoxHot = false;
      if (FCursorSaved) SetCursor(FSavedCursor);
      FCursorSaved = false;
      repaint = true;
    }
    if (hit == HTHSCROLL || hit == HTVSCROLL) {
      const int bar = hit == HTHSCROLL ? 0 : 1;
      CalcBarGeometry(bar);
      hot = PartOfCode(bar, HitTestBar(AlongBar(bar, point), bar));
      handled = true;
    }
  }
  if (hot != FHotPart) {
    FHotPart = hot;
    repaint = true;
  }
  if (repaint) Repaint();
  if (FHotPart != None) {
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE | TME_NONCLIENT, FHandle, HOVER_DEFAULT};
    TrackMouseEvent(&track);
  }
  return handled;
}

void TNCScrollBar::StopRepeat() {
  if (!FRepeatTimer) return;
  FRepeatTimer = false;
  if (FHandle && IsWindow(FHandle)) KillTimer(FHandle, kRepeatTimerId);
}

// ---- nested loops ----------------------------------------------------------------------------------

void TNCScrollBar::ThumbDrag(int bar, UINT scrollMessage) {
  HWND wnd = FHandle;
  UpdateLayout();
  CalcBarGeometry(bar);
  FThumbPosAtPress = FGeometry[bar].ThumbPos;
  FDragging = true;
  FHookInfo.TrackPos = FScrollInfo[bar].nTrackPos;
  int position = FHookInfo.TrackPos;
  SetCapture(wnd);
  MSG msg{};
  for (;;) {
    // A destroyed window or a capture taken elsewhere ends the drag.
    if (!IsWindow(wnd) || GetCapture() != wnd || !FDragging) break;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      WaitInLoop();
      continue;
    }
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == WM_MOUSEMOVE && !(msg.wParam & MK_LBUTTON)) break;
    if ((msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) && msg.hwnd == wnd) {
      POINT screen = MessagePoint(msg.lParam);
      if (msg.message == WM_MOUSEMOVE) ClientToScreen(wnd, &screen);
      int offset = 0;
      const int newPosition = PosFromPoint(bar, TPoint(screen), offset);
      FGeometry[bar].ThumbPos = offset;
      if (newPosition != position) {
        position = newPosition;
        FHookInfo.TrackPos = position;
        SendMessageW(wnd, scrollMessage, MAKEWPARAM(SB_THUMBTRACK, position & 0xFFFF), 0);
      } else {
        Repaint();
      }
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP) break;
  }
  // The final position still reads as the track position, so a window that takes it from
  // GetScrollInfo gets all 32 bits as it did while dragging.
  FHookInfo.TrackPos = position;
  if (IsWindow(wnd)) SendMessageW(wnd, scrollMessage, MAKEWPARAM(SB_THUMBPOSITION, position & 0xFFFF), 0);
  FDragging = false;
  if (IsWindow(wnd)) SendMessageW(wnd, scrollMessage, SB_ENDSCROLL, 0);
  FTracking = false;
  if (GetCapture() == wnd) ReleaseCapture();
}

void TNCScrollBar::SizeGripDrag(TPoint pressPoint) {
  HWND wnd = FHandle;
  const bool leftBar = (FExStyle & WS_EX_LEFTSCROLLBAR) != 0;
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, leftBar ? IDC_SIZENESW : IDC_SIZENWSE));
  SetCapture(wnd);
  const POINT start = pressPoint;
  RECT startRect{};
  GetWindowRect(wnd, &startRect);
  POINT last = start;
  MSG msg{};
  for (;;) {
    if (!IsWindow(wnd) || GetCapture() != wnd) break;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      WaitInLoop();
      continue;
    }
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == WM_KEYDOWN) {
      if (msg.wParam == VK_ESCAPE) break;
      continue;
    }
    if (msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP) break;
    if (msg.message == WM_MOUSEMOVE && !(msg.wParam & MK_LBUTTON)) break;
    if ((msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) && msg.hwnd == wnd) {
      POINT screen = MessagePoint(msg.lParam);
      if (msg.message == WM_MOUSEMOVE) ClientToScreen(wnd, &screen);
      if (screen.x != last.x || screen.y != last.y) {
        last = screen;
        SetWindowPos(wnd, nullptr, 0, 0, startRect.right - startRect.left + screen.x - start.x,
                     startRect.bottom - startRect.top + screen.y - start.y,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
        UpdateWindow(wnd);
      }
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  SetCursor(previous);
  if (IsWindow(wnd)) {
    Repaint();
    if (GetCapture() == wnd) ReleaseCapture();
  }
}
