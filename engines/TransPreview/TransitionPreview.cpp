#include "engines/TransPreview/TransitionPreview.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "engines/TransMgr/TransitionRenderer.h"
#include "engines/common/EngineGuard.h"
#include "engines/common/EngineLog.h"
#include "platform/gdi/DcGuards.h"
#include "platform/gdi/WinGdi.h"
#include "platform/user/WinUser.h"

namespace transpreview {

namespace {

constexpr char16_t kWindowClass[] = u"BrantwellTransitionPreview";
constexpr char16_t kPreviewProperty[] = u"BrantwellTransitionPreviewObject";
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kFrameIntervalMs = 33;  // about 30 frames a second
constexpr double kDefaultSeconds = 2.0;

TransitionPreview* PreviewOf(HWND hwnd) { return static_cast<TransitionPreview*>(GetPropW(hwnd, kPreviewProperty)); }

LRESULT PreviewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  TransitionPreview* preview = PreviewOf(hwnd);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_PAINT:
      if (preview) {
        preview->OnPaint();
        return 0;
      }
      break;
    case WM_SIZE:
      if (preview) engines::Guarded("TransPreview resize", [&] { preview->OnSize(); });
      return 0;
    case WM_NCDESTROY:
      if (preview) preview->OnWindowGone();
      RemovePropW(hwnd, kPreviewProperty);
      break;
  }
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EndPaint(hwnd, &paint);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void OnTimer(HWND hwnd, UINT, UINT_PTR, DWORD now) {
  engines::Guarded("TransPreview timer", [&] {
    if (TransitionPreview* preview = PreviewOf(hwnd)) preview->OnTick(now);
    else KillTimer(hwnd, kTimerId);
  });
}

void RegisterWindowClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = PreviewProc;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
  });
}

// The largest rectangle of `width` x `height`'s proportions centred in `area`.
RECT FitRect(int width, int height, const RECT& area) {
  const int areaWidth = area.right - area.left, areaHeight = area.bottom - area.top;
  if (width <= 0 || height <= 0 || areaWidth <= 0 || areaHeight <= 0) return RECT{area.left, area.top, area.left, area.top};
  int fittedWidth = areaWidth, fittedHeight = static_cast<int>(std::lround(double(areaWidth) * height / width));
  if (fittedHeight > areaHeight) {
    fittedHeight = areaHeight;
    fittedWidth = static_cast<int>(std::lround(double(areaHeight) * width / height));
  }
  fittedWidth = std::max(1, fittedWidth);
  fittedHeight = std::max(1, fittedHeight);
  const int left = area.left + (areaWidth - fittedWidth) / 2, top = area.top + (areaHeight - fittedHeight) / 2;
  return RECT{left, top, left + fittedWidth, top + fittedHeight};
}

// `picture` scaled smoothly into a black picture of width x height, fitted with its
// proportions kept.
BgraPicture ScaleFitted(const BgraPicture& picture, int width, int height) {
  BgraPicture scaled;
  scaled.width = width;
  scaled.height = height;
  scaled.bits.assign(size_t(width) * height * 4, 0);
  const BITMAPINFO target = platform::TopDownBitmapInfo32(width, height);
  void* pixels = nullptr;
  platform::OwnedGdiObject<HBITMAP> bitmap(CreateDIBSection(nullptr, &target, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!bitmap || !pixels) throw engines::EngineError("cannot make a " + std::to_string(width) + "x" + std::to_string(height) + " picture");
  platform::BitmapDc dc(bitmap.get());
  if (!dc.Ready()) throw engines::EngineError("cannot draw into a picture");
  PatBlt(dc.get(), 0, 0, width, height, BLACKNESS);
  const RECT place = FitRect(picture.width, picture.height, RECT{0, 0, width, height});
  const BITMAPINFO source = platform::TopDownBitmapInfo32(picture.width, picture.height);
  SetStretchBltMode(dc.get(), HALFTONE);
  StretchDIBits(dc.get(), place.left, place.top, place.right - place.left, place.bottom - place.top, 0, 0,
                picture.width, picture.height, picture.bits.data(), &source, DIB_RGB_COLORS, SRCCOPY);
  GdiFlush();
  std::memcpy(scaled.bits.data(), pixels, scaled.bits.size());
  return scaled;
}

}  // namespace

std::shared_ptr<TransitionPreview> TransitionPreview::Create(HWND parent, const RECT& rect) {
  RegisterWindowClass();
  std::shared_ptr<TransitionPreview> preview(new TransitionPreview);
  const int width = std::max<int>(0, rect.right - rect.left), height = std::max<int>(0, rect.bottom - rect.top);
  preview->m_window = CreateWindowExW(0, kWindowClass, u"", WS_CHILD | WS_VISIBLE, rect.left, rect.top, width, height,
                                      parent, nullptr, nullptr, nullptr);
  if (!preview->m_window) throw engines::EngineError("cannot create the transition preview's window");
  SetPropW(preview->m_window, kPreviewProperty, preview.get());
  preview->Fit();
  return preview;
}

TransitionPreview::~TransitionPreview() { Close(); }

void TransitionPreview::Close() {
  if (m_window && IsWindow(m_window)) {
    KillTimer(m_window, kTimerId);
    RemovePropW(m_window, kPreviewProperty);
    DestroyWindow(m_window);
  }
  m_window = nullptr;
  m_playing = false;
}

void TransitionPreview::OnWindowGone() {
  m_window = nullptr;
  m_playing = false;
}

void TransitionPreview::SetTransition(std::string id, double seconds) {
  if (!(seconds > 0) || !std::isfinite(seconds)) {
    engines::LogLine("TPSetTransID: the duration " + std::to_string(seconds) + " is not a positive number of seconds; " +
                     "playing for 2 seconds");
    seconds = kDefaultSeconds;
  }
  if (!engines::transitions::IsKnownTransition(id))
    engines::LogLine("TPSetTransID: no transition is called '" + id + "'; playing CrossFade");
  m_id = std::move(id);
  m_seconds = seconds;
  Stop();
}

bool TransitionPreview::SetPictures(const BITMAPINFO* info1, const void* bits1, const BITMAPINFO* info2,
                                    const void* bits2, std::string* why) {
  BgraPicture first, second;
  if (!CopyDib(info1, bits1, &first, why)) {
    *why = "the first picture: " + *why;
    return false;
  }
  if (!CopyDib(info2, bits2, &second, why)) {
    *why = "the second picture: " + *why;
    return false;
  }
  m_first = std::move(first);
  m_second = std::move(second);
  m_playing = false;
  if (m_window) KillTimer(m_window, kTimerId);
  m_progress = 0;
  Fit();
  return true;
}

void TransitionPreview::Play() {
  if (!m_window || m_first.Empty()) return;
  m_playing = true;
  m_clockStarted = false;
  ShowProgress(0);
  SetTimer(m_window, kTimerId, kFrameIntervalMs, OnTimer);
}

void TransitionPreview::Stop() {
  if (m_window) KillTimer(m_window, kTimerId);
  m_playing = false;
  ShowProgress(0);
}

void TransitionPreview::OnTick(DWORD now) {
  if (!m_playing) {
    KillTimer(m_window, kTimerId);
    return;
  }
  // The clock starts with the first tick, one interval after Play, so that the whole
  // animation shows even when the first tick comes late.
  if (!m_clockStarted) {
    m_clockStarted = true;
    m_startTime = now - kFrameIntervalMs;
  }
  const double progress = std::min(1.0, DWORD(now - m_startTime) / (m_seconds * 1000));
  ShowProgress(progress);
  if (progress >= 1) {
    KillTimer(m_window, kTimerId);
    m_playing = false;  // the last picture stays
  }
}

void TransitionPreview::OnSize() {
  Fit();
}

void TransitionPreview::Fit() {
  if (!m_window) return;
  RECT client{};
  GetClientRect(m_window, &client);
  m_frame.width = std::max<int>(0, client.right);
  m_frame.height = std::max<int>(0, client.bottom);
  m_frame.bits.assign(size_t(m_frame.width) * m_frame.height * 4, 0);
  m_place = FitRect(m_first.width, m_first.height, client);
  const int width = m_place.right - m_place.left, height = m_place.bottom - m_place.top;
  if (m_first.Empty() || width <= 0 || height <= 0) {
    m_firstFitted = {};
    m_secondFitted = {};
  } else {
    m_firstFitted = ScaleFitted(m_first, width, height);
    m_secondFitted = ScaleFitted(m_second, width, height);
  }
  ShowProgress(m_progress);
}

void TransitionPreview::ShowProgress(double progress) {
  m_progress = progress;
  if (!m_window) return;
  if (!m_firstFitted.Empty() && !m_frame.Empty()) {
    const engines::transitions::Picture place{
        m_frame.bits.data() + (size_t(m_place.top) * m_frame.width + m_place.left) * 4,
        m_firstFitted.width, m_firstFitted.height, m_frame.width * 4};
    engines::transitions::RenderTransition(m_id, m_firstFitted.In(), m_secondFitted.In(), progress, place);
  }
  InvalidateRect(m_window, nullptr, FALSE);
}

void TransitionPreview::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(m_window, &paint);
  if (!m_frame.Empty()) {
    const BITMAPINFO info = platform::TopDownBitmapInfo32(m_frame.width, m_frame.height);
    SetDIBitsToDevice(dc, 0, 0, m_frame.width, m_frame.height, 0, 0, 0, m_frame.height, m_frame.bits.data(), &info,
                      DIB_RGB_COLORS);
  }
  EndPaint(m_window, &paint);
}

}  // namespace transpreview
