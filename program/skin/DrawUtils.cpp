#include "program/skin/DrawUtils.h"

#include <algorithm>
#include <cstdio>

#include "platform/gdi/DcGuards.h"
#include "platform/kernel/SysInfo.h"
#include "vcl/Application.h"
#include "vcl/Canvas.h"
#include "vcl/Control.h"
#include "vcl/Screen.h"
#include "vcl/StdCtrls.h"
#include "vcl/WinControl.h"

using platform::OwnedGdiObject;
using platform::SavedDcState;
using platform::SelectedObject;

// ---- placement ------------------------------------------------------------------------------

void CalcImageRect(const TRect& box, int imageWidth, int imageHeight, TRect& result, bool center,
                   bool proportional, bool stretch) {
  (void)center;
  const int boxWidth = box.Right - box.Left;
  const int boxHeight = box.Bottom - box.Top;
  int width = imageWidth;
  int height = imageHeight;
  if (stretch || (proportional && (width > boxWidth || height > boxHeight))) {
    if (!proportional || width < 1 || height < 1) {
      width = boxWidth;
      height = boxHeight;
    } else {
      const double ratio = static_cast<double>(width) / height;
      if (height < width) {
        width = boxWidth;
        height = static_cast<int>(boxWidth / ratio);
        if (height > boxHeight) {
          height = boxHeight;
          width = static_cast<int>(boxHeight * ratio);
        }
      } else {
        height = boxHeight;
        width = static_cast<int>(boxHeight * ratio);
        if (width > boxWidth) {
          width = boxWidth;
          height = static_cast<int>(boxWidth / ratio);
        }
      }
    }
  }
  const int left = box.Left + (boxWidth - width) / 2;
  const int top = box.Top + (boxHeight - height) / 2;
  result = TRect(left, top, left + width, top + height);
}

namespace {

// One item placed by itself along an axis of `extent`: at the start (alignment 0), at the
// end (1) or centred (2).
int PlaceAlone(int alignment, int extent, int size, int offset, int margin) {
  switch (alignment) {
    case 0: return offset + margin;
    case 1: return extent - size - margin + offset;
    default: return (extent - size) / 2 + offset;
  }
}

// Two items in a row along an axis: `first` then `second`, with `spacing` between them.
void PlacePair(int alignment, int extent, int firstSize, int secondSize, int offset, int margin, int spacing,
               int& first, int& second) {
  switch (alignment) {
    case 0:
      first = offset + margin;
      second = offset + margin + firstSize + spacing;
      break;
    case 1:
      second = extent - secondSize - margin + offset;
      first = extent - secondSize - firstSize - margin - spacing + offset;
      break;
    default: {
      const int start = (extent - firstSize - secondSize - spacing) / 2;
      first = offset + start;
      second = offset + start + firstSize + spacing;
    }
  }
}

}  // namespace

void CalcButtonLayout(int layout, int horzAlign, int vertAlign, int width, int height, int glyphWidth,
                      int glyphHeight, int textWidth, int textHeight, int offset, int margin, int spacing,
                      int& glyphX, int& glyphY, int& textX, int& textY) {
  switch (layout) {
    case 0:  // glyph left of the caption
      PlacePair(horzAlign, width, glyphWidth, textWidth, offset, margin, spacing, glyphX, textX);
      glyphY = PlaceAlone(vertAlign, height, glyphHeight, offset, margin);
      textY = PlaceAlone(vertAlign, height, textHeight, offset, margin);
      break;
    case 1:  // glyph right of the caption
      PlacePair(horzAlign, width, textWidth, glyphWidth, offset, margin, spacing, textX, glyphX);
      glyphY = PlaceAlone(vertAlign, height, glyphHeight, offset, margin);
      textY = PlaceAlone(vertAlign, height, textHeight, offset, margin);
      break;
    case 2:  // glyph above
      PlacePair(vertAlign, height, glyphHeight, textHeight, offset, margin, spacing, glyphY, textY);
      glyphX = PlaceAlone(horzAlign, width, glyphWidth, offset, margin);
      textX = PlaceAlone(horzAlign, width, textWidth, offset, margin);
      break;
    case 3:  // glyph below
      PlacePair(vertAlign, height, textHeight, glyphHeight, offset, margin, spacing, textY, glyphY);
      glyphX = PlaceAlone(horzAlign, width, glyphWidth, offset, margin);
      textX = PlaceAlone(horzAlign, width, textWidth, offset, margin);
      break;
    default: break;
  }
}

// ---- painting ---------------------------------------------------------------------------------

void DrawParentImage(TControl* control, HDC dc) {
  if (!control || !control->Parent()) return;
  SavedDcState saved(dc);
  POINT origin{};
  GetWindowOrgEx(dc, &origin);
  SetWindowOrgEx(dc, origin.x + control->Left(), origin.y + control->Top(), nullptr);
  IntersectClipRect(dc, control->Left(), control->Top(), control->Left() + control->Width(),
                    control->Top() + control->Height());
  TWinControl* parent = control->Parent();
  parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
  parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  SetWindowOrgEx(dc, origin.x, origin.y, nullptr);
}

void DrawFrameColors(HDC dc, const TRect& rect, TColor innerColor, TColor outerColor, bool innerShadow) {
  if (outerColor != clNone) {
    OwnedGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(outerColor)));
    FrameRect(dc, rect.AsRect(), brush.get());
  }
  if (innerColor == clNone || innerColor == clWindowFrame) return;
  const TRect inner(rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1);
  OwnedGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(innerColor)));
  FrameRect(dc, inner.AsRect(), brush.get());
  if (innerShadow) {
    OwnedGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, ColorToRGB(innerColor)));
    SelectedObject selected(dc, pen.get());
    const POINT points[3] = {{inner.Left + 1, inner.Bottom - 2}, {inner.Left + 1, inner.Top + 1}, {inner.Right - 1, inner.Top + 1}};
    Polyline(dc, points, 3);
  }
}

void DrawWindowFrame(HWND wnd, HRGN updateRgn, TColor innerColor, TColor outerColor, bool innerShadow) {
  if (innerColor == clNone && outerColor == clNone) return;
  RECT windowRect{};
  if (!GetWindowRect(wnd, &windowRect)) return;
  HDC dc = GetNCPaintDC(wnd, updateRgn);
  if (!dc) return;
  DrawFrameColors(dc, TRect(0, 0, windowRect.right - windowRect.left, windowRect.bottom - windowRect.top),
                  innerColor, outerColor, innerShadow);
  ReleaseDC(wnd, dc);
}

void DrawFocusRectDC(HDC dc, const TRect& rect) {
  SavedDcState saved(dc);
  SetBkColor(dc, 0xFFFFFF);
  SetTextColor(dc, 0);
  DrawFocusRect(dc, rect.AsRect());
}

void DrawFocusRectCanvas(TCanvas* canvas, const TRect& rect) { DrawFocusRectDC(canvas->Handle(), rect); }

void DrawButtonFrame(TControl* control, HDC dc, const TRect& rect, bool enabled, bool hot, bool pressed,
                     bool focused, bool isDefault, bool transparent) {
  // Visual themes are never active here, so only the classic face is drawn; the state flags
  // beyond Pressed belong to the themed face.
  (void)control, (void)enabled, (void)hot, (void)focused, (void)isDefault, (void)transparent;
  RECT r = rect;
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
}

void DrawCheckBoxFrame(TControl* control, HDC dc, const TRect& rect, bool enabled, bool hot, bool pressed,
                       bool checked, bool transparent) {
  (void)control, (void)hot, (void)pressed;
  UINT flags = transparent ? DFCS_TRANSPARENT : 0;
  if (!enabled) flags |= DFCS_INACTIVE;
  else if (checked) flags |= DFCS_CHECKED;
  RECT r = rect;
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONCHECK | flags);
}

void DrawDesignFrame(TControl* control, TCanvas* canvas) {
  if (!control || !control->ComponentState().Contains(csDesigning)) return;
  canvas->Pen()->SetStyle(psDash);
  canvas->Pen()->SetColor(clBlack);
  canvas->Brush()->SetStyle(bsClear);
  canvas->Rectangle(0, 0, control->Width(), control->Height());
}

// ---- device contexts and coordinates ----------------------------------------------------------

HDC GetNCPaintDC(HWND wnd, HRGN updateRgn) {
  // WM_NCPAINT hands 1 (or 0) for "the whole window"; anything larger is a region handle.
  if (reinterpret_cast<ULONG_PTR>(updateRgn) > 1)
    return GetDCEx(wnd, updateRgn, DCX_WINDOW | DCX_CACHE | DCX_INTERSECTRGN | 0x10000 | 0x40000);
  return GetWindowDC(wnd);
}

BOOL RedrawRectDifference(HWND wnd, const TRect& outer, const TRect& inner, UINT flags) {
  OwnedGdiObject<HRGN> band(CreateRectRgnIndirect(outer.AsRect()));
  OwnedGdiObject<HRGN> hole(CreateRectRgnIndirect(inner.AsRect()));
  CombineRgn(band.get(), band.get(), hole.get(), RGN_DIFF);
  return RedrawWindow(wnd, nullptr, band.get(), flags);
}

bool CopyScreenRect(HDC dc, const TRect& rect) {
  HDC screen = GetDC(nullptr);
  if (!screen) return false;
  const BOOL copied = BitBlt(dc, 0, 0, rect.Width(), rect.Height(), screen, rect.Left, rect.Top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  return copied != FALSE;
}

void PrintChildWindows(TWinControl* control, const TMessage& printMessage) {
  if (!control) return;
  HDC dc = reinterpret_cast<HDC>(printMessage.WParam);
  const LPARAM flags = printMessage.LParam | PRF_NONCLIENT | PRF_ERASEBKGND;
  for (int i = 0; i < control->ControlCount(); ++i) {
    auto* child = dynamic_cast<TWinControl*>(control->Controls(i));
    if (!child) continue;
    if ((flags & PRF_CHECKVISIBLE) && !child->Visible()) continue;
    SavedDcState saved(dc);
    const bool doubleBuffered = child->DoubleBuffered();
    child->SetDoubleBuffered(false);
    POINT origin{};
    GetWindowOrgEx(dc, &origin);
    SetWindowOrgEx(dc, origin.x - child->Left(), origin.y - child->Top(), nullptr);
    IntersectClipRect(dc, 0, 0, child->Width(), child->Height());
    child->Perform(WM_PRINT, reinterpret_cast<WPARAM>(dc), flags);
    child->SetDoubleBuffered(doubleBuffered);
  }
}

bool ClientRectToWindow(HWND wnd, TRect& rect) {
  RECT windowRect{};
  if (!GetWindowRect(wnd, &windowRect)) return false;
  POINT corners[2] = {{rect.Left, rect.Top}, {rect.Right, rect.Bottom}};
  MapWindowPoints(wnd, nullptr, corners, 2);
  rect = TRect(corners[0].x - windowRect.left, corners[0].y - windowRect.top, corners[1].x - windowRect.left,
               corners[1].y - windowRect.top);
  return true;
}

void ScreenToWindowPoint(HWND wnd, TPoint& point) {
  RECT windowRect{};
  if (!GetWindowRect(wnd, &windowRect)) return;
  point.X -= windowRect.left;
  point.Y -= windowRect.top;
}

void WindowToScreenPoint(HWND wnd, TPoint& point) {
  RECT windowRect{};
  if (!GetWindowRect(wnd, &windowRect)) return;
  point.X += windowRect.left;
  point.Y += windowRect.top;
}

void GetIconSize(HICON icon, int& width, int& height) {
  width = 0;
  height = 0;
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return;
  OwnedGdiObject<HBITMAP> mask(info.hbmMask);
  OwnedGdiObject<HBITMAP> colour(info.hbmColor);
  BITMAP bitmap{};
  if (colour && GetObjectW(colour.get(), sizeof(bitmap), &bitmap)) {
    width = bitmap.bmWidth;
    height = bitmap.bmHeight;
  }
}

// ---- queries and control routines ----------------------------------------------------------------

LRESULT QueryUIState(HWND wnd) { return SendMessageW(wnd, WM_QUERYUISTATE, 0, 0); }

bool IsFocusRectVisible(HWND wnd) { return (QueryUIState(wnd) & UISF_HIDEFOCUS) == 0; }

bool IsAccelVisible(HWND wnd) { return (QueryUIState(wnd) & UISF_HIDEACCEL) == 0; }

bool GetKeyboardCues() {
  BOOL cues = FALSE;
  SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &cues, 0);
  return cues != FALSE;
}

namespace {

// The classes whose colour follows their enabled state (edits and combo boxes). GUI thread.
std::vector<TClass>& EnableColorClasses() {
  // The class library's edits (and the memo, an edit) are registered from the start.
  static std::vector<TClass> classes{TCustomEdit::StaticClass()};
  return classes;
}

bool FollowsEnableColor(const TControl* control) {
  return std::any_of(EnableColorClasses().begin(), EnableColorClasses().end(),
                     [control](TClass cls) { return control->InheritsFrom(cls); });
}

}  // namespace

void RegisterEnableColorClass(TClass cls) {
  auto& classes = EnableColorClasses();
  if (cls && std::find(classes.begin(), classes.end(), cls) == classes.end()) classes.push_back(cls);
}

void UnregisterEnableColorClass(TClass cls) {
  auto& classes = EnableColorClasses();
  classes.erase(std::remove(classes.begin(), classes.end(), cls), classes.end());
}

bool ControlInArray(const TControl* control, const std::vector<TControl*>& controls) {
  return std::find(controls.begin(), controls.end(), control) != controls.end();
}

void EnableChildControls(TWinControl* parent, bool enable, const std::vector<TControl*>& except) {
  if (!parent) return;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* child = parent->Controls(i);
    if (ControlInArray(child, except)) continue;
    child->SetEnabled(enable);
    if (FollowsEnableColor(child)) child->SetColor(enable ? clWindow : parent->Color());
    if (auto* windowed = dynamic_cast<TWinControl*>(child)) EnableChildControls(windowed, enable, except);
  }
}

bool InCharSet(int value, const TByteSet& set) {
  const int bit = value & 255;
  return (set[static_cast<size_t>(bit >> 3)] >> (bit & 7)) & 1;
}

int GetFreeCursorIndex() {
  // The table hands slot 0's cursor (the default) for every slot nobody filled.
  HCURSOR unassigned = Screen->Cursors(0);
  for (int slot = -3; slot >= -32768; --slot)
    if (Screen->Cursors(slot) == unassigned) return slot;
  for (int slot = 1; slot <= 32767; ++slot)
    if (Screen->Cursors(slot) == unassigned) return slot;
  return 1;
}

int AddCursor(HCURSOR handle) {
  const int slot = GetFreeCursorIndex();
  Screen->SetCursors(slot, handle);
  return slot;
}

int ScaleToScreenDPI(int value) { return MulDiv(value, Screen->PixelsPerInch(), 96); }

void ScaleToScreenDPIVar(int& value) { value = ScaleToScreenDPI(value); }

// ---- byte sizes --------------------------------------------------------------------------------

AnsiString TrimDecimalZeros(const AnsiString& text) {
  // Scanning back to the ".", keep everything up to the rightmost digit that is not a zero.
  std::size_t keepThrough = AnsiString::npos;
  for (std::size_t i = text.size(); i-- > 0;) {
    const char c = text[i];
    if (c == '.') return keepThrough == AnsiString::npos ? text.substr(0, i) : text.substr(0, keepThrough + 1);
    if (c != '0' && c != ' ' && keepThrough == AnsiString::npos) keepThrough = i;
  }
  return text;
}

AnsiString FormatByteSizeDigits(int digits, uint64_t bytes) {
  if (bytes == 0) return "0";
  char buffer[64];
  if (bytes < 1024) {
    std::snprintf(buffer, sizeof buffer, "%lluB", static_cast<unsigned long long>(bytes));
    return buffer;
  }
  static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
  int unit = 0;
  long double value = static_cast<long double>(bytes) / 1024;
  for (uint64_t limit = uint64_t{1} << 20; unit < 3 && bytes >= limit; limit <<= 10) {
    value /= 1024;
    ++unit;
  }
  std::snprintf(buffer, sizeof buffer, "%.*Lf", std::clamp(digits, 0, 18), value);
  return TrimDecimalZeros(buffer) + kUnits[unit];
}
