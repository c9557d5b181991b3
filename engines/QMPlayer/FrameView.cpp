#include "engines/QMPlayer/FrameView.h"

#include <cstring>

#include "engines/QMPlayer/PlayerView.h"
#include "engines/common/EngineGuard.h"
#include "platform/gdi/WinGdi.h"
#include "platform/user/WinUser.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace player {

namespace {

constexpr char16_t kFrameViewClass[] = u"BrantwellFrameView";
constexpr char16_t kViewProperty[] = u"BrantwellFrameViewObject";
constexpr int kLargestSide = 8192;

LRESULT FrameViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* view = static_cast<FrameView*>(GetPropW(hwnd, kViewProperty));
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      if (view) {
        view->OnPaint(hwnd);
        return 0;
      }
      break;
    case kPresentMessage:
      if (view) view->OnPresent(hwnd);
      return 0;
    case WM_SIZE:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_NCDESTROY:
      RemovePropW(hwnd, kViewProperty);
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

}  // namespace

void RegisterFrameViewClass() {
  WNDCLASSW frameView{};
  frameView.style = CS_HREDRAW | CS_VREDRAW;
  frameView.lpfnWndProc = FrameViewProc;
  frameView.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  frameView.lpszClassName = kFrameViewClass;
  RegisterClassW(&frameView);
}

std::shared_ptr<FrameView> FrameView::Create(HWND parent, const RECT& rect) {
  RegisterWindowClasses();
  std::shared_ptr<FrameView> view(new FrameView);
  const int w = std::max<int>(0, rect.right - rect.left), h = std::max<int>(0, rect.bottom - rect.top);
  view->m_window = CreateWindowExW(0, kFrameViewClass, u"", WS_CHILD | WS_VISIBLE, rect.left, rect.top, w, h, parent,
                                   nullptr, nullptr, nullptr);
  if (!view->m_window) throw engines::EngineError("cannot create a frame view window");
  SetPropW(view->m_window, kViewProperty, view.get());
  return view;
}

void FrameView::Close() {
  if (m_window && IsWindow(m_window)) {
    RemovePropW(m_window, kViewProperty);
    DestroyWindow(m_window);
  }
}

bool FrameView::Show(const QEPreviewFrame* frame) {
  std::vector<uint8_t> planes;
  int width = 0, height = 0;
  if (frame) {
    width = frame->width;
    height = frame->height;
    if (frame->format != 0 || width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide ||
        frame->strideY < width || frame->strideUV < width / 2)
      return false;
    const int chromaWidth = width / 2, chromaHeight = height / 2;
    planes.resize(size_t(width) * height + 2 * size_t(chromaWidth) * chromaHeight);
    const auto* in = reinterpret_cast<const uint8_t*>(frame + 1);
    uint8_t* out = planes.data();
    for (int y = 0; y < height; ++y, out += width) std::memcpy(out, in + ptrdiff_t(y) * frame->strideY, width);
    in += ptrdiff_t(frame->strideY) * height;
    for (int plane = 0; plane < 2; ++plane) {
      for (int y = 0; y < chromaHeight; ++y, out += chromaWidth)
        std::memcpy(out, in + ptrdiff_t(y) * frame->strideUV, chromaWidth);
      in += ptrdiff_t(frame->strideUV) * chromaHeight;
    }
  }
  {
    std::lock_guard lock(m_mutex);
    m_planes = std::move(planes);
    m_width = width;
    m_height = height;
    m_changed = true;
  }
  if (!m_presentPosted.exchange(true) && !PostMessageW(m_window, kPresentMessage, 0, 0)) m_presentPosted = false;
  return true;
}

void FrameView::OnPresent(HWND hwnd) {
  m_presentPosted = false;
  InvalidateRect(hwnd, nullptr, FALSE);
}

void FrameView::OnPaint(HWND hwnd) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd, &paint);
  RECT client;
  GetClientRect(hwnd, &client);
  bool redraw = client.right != m_back.width || client.bottom != m_back.height;
  {
    std::lock_guard lock(m_mutex);
    redraw = redraw || m_changed;
    m_changed = false;
    if (redraw) {
      m_back.Resize(client.right, client.bottom);
      if (m_width > 0 && m_height > 0 && !m_planes.empty()) {
        // A frame over the copied planes (no copy of its own).
        AVFrame picture{};
        picture.format = AV_PIX_FMT_YUV420P;
        picture.width = m_width;
        picture.height = m_height;
        picture.data[0] = m_planes.data();
        picture.data[1] = picture.data[0] + size_t(m_width) * m_height;
        picture.data[2] = picture.data[1] + size_t(m_width / 2) * (m_height / 2);
        picture.linesize[0] = m_width;
        picture.linesize[1] = picture.linesize[2] = m_width / 2;
        const RECT into = VideoRect(m_back.width, m_back.height, 1, PictureShape{m_width, m_height, 0, 0});
        m_scaler.Scale(&picture, m_back, into);
      }
    }
  }
  if (m_back.width > 0 && m_back.height > 0) {
    const BITMAPINFO info = platform::TopDownBitmapInfo32(m_back.width, m_back.height);
    SetDIBitsToDevice(dc, 0, 0, m_back.width, m_back.height, 0, 0, 0, m_back.height, m_back.pixels.data(), &info,
                      DIB_RGB_COLORS);
  }
  EndPaint(hwnd, &paint);
}

}  // namespace player
