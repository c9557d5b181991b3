#include "vcl/Canvas.h"

#include <algorithm>

#include "platform/gdi/DcGuards.h"
#include "vcl/Graphic.h"

namespace {

// Guards the lock counts of all canvases (a canvas's own lock may be held by another
// thread while its count is read).
std::mutex& CounterLock() {
  static std::mutex lock;
  return lock;
}

TControlCanvas::TGetControlDC g_getControlDC = nullptr;
TControlCanvas::TReleaseControlDC g_releaseControlDC = nullptr;

}  // namespace

UINT TextFormatToFlags(TTextFormat format) {
  static constexpr UINT kFlags[] = {
      DT_BOTTOM,      DT_CALCRECT,     DT_CENTER,     DT_EDITCONTROL,   DT_END_ELLIPSIS,
      DT_PATH_ELLIPSIS, DT_EXPANDTABS, DT_EXTERNALLEADING, DT_LEFT,     DT_MODIFYSTRING,
      DT_NOCLIP,      DT_NOPREFIX,     DT_RIGHT,      DT_RTLREADING,    DT_SINGLELINE,
      DT_TOP,         DT_VCENTER,      DT_WORDBREAK,  DT_HIDEPREFIX,    DT_NOFULLWIDTHCHARBREAK,
      DT_PREFIXONLY,  DT_TABSTOP,      DT_WORD_ELLIPSIS, 0 /* composited: no such DrawText flag */};
  UINT flags = 0;
  for (int i = 0; i <= tfComposited; ++i)
    if (format.Contains(static_cast<TTextFormats>(i))) flags |= kFlags[i];
  return flags;
}

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()) {
  FFont->SetOnChange(TNotifyEvent(this, &TCanvas::FontChanged));
  FFont->SetOwnerCriticalSection(&FLock);
  FPen->SetOnChange(TNotifyEvent(this, &TCanvas::PenChanged));
  FPen->SetOwnerCriticalSection(&FLock);
  FBrush->SetOnChange(TNotifyEvent(this, &TCanvas::BrushChanged));
  FBrush->SetOwnerCriticalSection(&FLock);
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

HDC TCanvas::Handle() {
  // Whoever draws on the DC directly finds the canvas's font, pen and brush in it.
  RequiredState({csHandleValid, csFontValid, csPenValid, csBrushValid});
  return FHandle;
}

void TCanvas::SetHandle(HDC value) {
  if (FHandle == value) return;
  if (FHandle) DeselectHandles();
  FHandle = value;
  State = value ? TCanvasState{csHandleValid} : TCanvasState{};
}

void TCanvas::DeselectHandles() {
  if (FHandle && !(State - TCanvasState{csHandleValid}).Empty()) {
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
    SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  }
  State = State * TCanvasState{csHandleValid};
}

void TCanvas::RequiredState(TCanvasState state) {
  const TCanvasState needed = state - State;
  if (needed.Empty()) return;
  if (needed.Contains(csHandleValid)) {
    CreateHandle();
    if (!FHandle) throw EInvalidOperation("Canvas does not allow drawing");
    State.Include(csHandleValid);
  }
  if (needed.Contains(csFontValid)) SelectFont();
  if (needed.Contains(csPenValid)) SelectPen();
  if (needed.Contains(csBrushValid)) SelectBrush();
}

void TCanvas::SelectFont() {
  SelectObject(FHandle, FFont->Handle());
  SetTextColor(FHandle, ColorToRGB(FFont->Color()));
  State.Include(csFontValid);
}

void TCanvas::SelectPen() {
  SelectObject(FHandle, FPen->Handle());
  SetROP2(FHandle, PenModeToROP2(FPen->Mode()));
  State.Include(csPenValid);
}

void TCanvas::SelectBrush() {
  SelectObject(FHandle, FBrush->Handle());
  // Text and hatches are drawn on the brush colour only with a solid brush.
  if (FBrush->Style() == bsSolid) {
    SetBkColor(FHandle, ColorToRGB(FBrush->Color()));
    SetBkMode(FHandle, OPAQUE);
  } else {
    SetBkColor(FHandle, ~ColorToRGB(FBrush->Color()) & 0xFFFFFF);
    SetBkMode(FHandle, TRANSPARENT);
  }
  State.Include(csBrushValid);
}

void TCanvas::FontChanged(TObject*) {
  if (State.Contains(csFontValid)) {
    State.Exclude(csFontValid);
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  }
}

void TCanvas::PenChanged(TObject*) {
  if (State.Contains(csPenValid)) {
    State.Exclude(csPenValid);
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
  }
}

void TCanvas::BrushChanged(TObject*) {
  if (State.Contains(csBrushValid)) {
    State.Exclude(csBrushValid);
    SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
  }
}

void TCanvas::Changing() {
  if (FOnChanging) FOnChanging(this);
}

void TCanvas::Changed() {
  if (FOnChange) FOnChange(this);
}

TPoint TCanvas::PenPos() {
  RequiredState({csHandleValid});
  POINT position{};
  GetCurrentPositionEx(FHandle, &position);
  return position;
}

TRect TCanvas::ClipRect() {
  RequiredState({csHandleValid});
  RECT rect{};
  GetClipBox(FHandle, &rect);
  return rect;
}

void TCanvas::MoveTo(int x, int y) {
  RequiredState({csHandleValid});
  MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::LineTo(FHandle, x, y);
  Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Rectangle(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::FillRect(const TRect& rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FillRect(FHandle, rect.AsRect(), FBrush->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FrameRect(FHandle, rect.AsRect(), FBrush->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& rect) {
  // The dotted frame of keyboard focus: every other pixel of a one-pixel border inverted,
  // so that drawing it twice removes it.
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  static const WORD kChecker[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
  const platform::OwnedGdiObject<HBITMAP> pattern(CreateBitmap(8, 8, 1, 1, kChecker));
  const platform::OwnedGdiObject<HBRUSH> brush(CreatePatternBrush(pattern.get()));
  const COLORREF text = ::SetTextColor(FHandle, RGB(0, 0, 0));
  const COLORREF back = ::SetBkColor(FHandle, RGB(255, 255, 255));
  {
    const platform::SelectedObject selected(FHandle, brush.get());
    const int w = rect.Width(), h = rect.Height();
    if (w > 0 && h > 0) {
      PatBlt(FHandle, rect.Left, rect.Top, w, 1, PATINVERT);
      if (h > 1) PatBlt(FHandle, rect.Left, rect.Bottom - 1, w, 1, PATINVERT);
      if (h > 2) {
        PatBlt(FHandle, rect.Left, rect.Top + 1, 1, h - 2, PATINVERT);
        if (w > 1) PatBlt(FHandle, rect.Right - 1, rect.Top + 1, 1, h - 2, PATINVERT);
      }
    }
  }
  ::SetTextColor(FHandle, text);
  ::SetBkColor(FHandle, back);
  Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Ellipse(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::RoundRect(FHandle, x1, y1, x2, y2, x3, y3);
  Changed();
}

void TCanvas::Polygon(const TPoint* points, int count) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polygon(FHandle, reinterpret_cast<const POINT*>(points), count);
  Changed();
}

void TCanvas::Polyline(const TPoint* points, int count) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polyline(FHandle, reinterpret_cast<const POINT*>(points), count);
  Changed();
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Arc(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Pie(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Chord(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::TextOut(int x, int y, const AnsiString& text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  ExtTextOutA(FHandle, x, y, static_cast<UINT>(FTextFlags), nullptr, text.c_str(), static_cast<UINT>(text.size()),
              nullptr);
  MoveToEx(FHandle, x + TextWidth(text), y, nullptr);
  Changed();
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const AnsiString& text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT options = ETO_CLIPPED | (static_cast<UINT>(FTextFlags) & ~ETO_OPAQUE);
  if (FBrush->Style() != bsClear) options |= ETO_OPAQUE;
  ExtTextOutA(FHandle, x, y, options, rect.AsRect(), text.c_str(), static_cast<UINT>(text.size()), nullptr);
  Changed();
}

void TCanvas::TextRect(TRect& rect, const AnsiString& text, TTextFormat format) {
  // A format that names no horizontal or vertical placement keeps DrawText's defaults
  // (left, top): tfLeft and tfTop are 0 there.
  const bool calcOnly = format.Contains(tfCalcRect);
  if (!calcOnly) Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  // The text is drawn shortened but never changed: DrawText here does not hand back the
  // shortened text, so tfModifyString has no effect.
  const UINT flags = TextFormatToFlags(format) & ~DT_MODIFYSTRING;
  DrawTextA(FHandle, text.c_str(), static_cast<int>(text.size()), rect.AsRect(), flags);
  if (!calcOnly) Changed();
}

TSize TCanvas::TextExtent(const AnsiString& text) {
  RequiredState({csHandleValid, csFontValid});
  SIZE size{};
  GetTextExtentPoint32A(FHandle, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
  Changed();
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  graphic->Draw(this, rect);
  Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source) {
  if (!canvas) return;
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  canvas->RequiredState({csHandleValid, csBrushValid});
  StretchBlt(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), canvas->FHandle, source.Left, source.Top,
             source.Width(), source.Height(), static_cast<DWORD>(FCopyMode));
  Changed();
}

TColor TCanvas::Pixels(int x, int y) {
  RequiredState({csHandleValid});
  const COLORREF color = ::GetPixel(FHandle, x, y);
  return color == CLR_INVALID ? clNone : static_cast<TColor>(color);
}

void TCanvas::SetPixels(int x, int y, TColor color) {
  Changing();
  RequiredState({csHandleValid, csPenValid});
  ::SetPixel(FHandle, x, y, ColorToRGB(color));
  Changed();
}

void TCanvas::Lock() {
  {
    std::lock_guard<std::mutex> guard(CounterLock());
    ++FLockCount;
  }
  FLock.lock();
}

void TCanvas::Unlock() {
  FLock.unlock();
  std::lock_guard<std::mutex> guard(CounterLock());
  --FLockCount;
}

bool TCanvas::TryLock() {
  if (!FLock.try_lock()) return false;
  std::lock_guard<std::mutex> guard(CounterLock());
  ++FLockCount;
  return true;
}

int TCanvas::LockCount() const {
  std::lock_guard<std::mutex> guard(CounterLock());
  return FLockCount;
}

// ---- control canvas -------------------------------------------------------------------

void TControlCanvas::SetControlDCHooks(TGetControlDC get, TReleaseControlDC release) {
  g_getControlDC = get;
  g_releaseControlDC = release;
}

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* value) {
  if (FControl == value) return;
  FreeHandle();
  FControl = value;
}

void TControlCanvas::CreateHandle() {
  if (!FControl || FDeviceContext || !g_getControlDC) return;
  FDeviceContext = g_getControlDC(FControl);
  if (FDeviceContext) SetHandle(FDeviceContext);
}

void TControlCanvas::FreeHandle() {
  if (!FDeviceContext) return;
  SetHandle(nullptr);
  if (g_releaseControlDC) g_releaseControlDC(FControl, FDeviceContext);
  FDeviceContext = nullptr;
}
