#include "engines/QMPlayer/FrameView.h"

#include <cstring>

#include "engines/QMPlayer/PlayerView.h"
#include "engines/common/EngineGuard.h"
#include "platform/gdi/WinGdi.h"
#include "platform/user/WinUser.h"


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
  engines::media::FramePtr picture;
  if (frame) {
    const int width = frame->width, height = frame->height;
    if (frame->format != 0 || width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide ||
        frame->strideY < width || frame->strideUV < width / 2)
      return false;
    // A frame of FFmpeg's own, whose padding the scaler may read past the last pixel.
    picture = engines::media::MakeFrame();
    if (!picture) return false;
    picture->format = AV_PIX_FMT_YUV420P;
    picture->width = width;
    picture->height = height;
    if (av_frame_get_buffer(picture.get(), 0) < 0) return false;
    const auto* in = reinterpret_cast<const uint8_t*>(frame + 1);
    for (int plane = 0; plane < 3; ++plane) {
      const int rowBytes = plane ? width / 2 : width, rows = plane ? height / 2 : height;
      const int stride = plane ? frame->strideUV : frame->strideY;
      for (int y = 0; y < rows; ++y)
        std::memcpy(picture->data[plane] + ptrdiff_t(y) * picture->linesize[plane], in + ptrdiff_t(y) * stride, rowBytes);
      in += ptrdiff_t(stride) * rows;
    }
    // An odd width or height leaves a last chroma column or row the record does not carry.
    if (width % 2 || height % 2) {
      for (int plane = 1; plane < 3; ++plane) {
        const int rows = (height + 1) / 2, columns = (width + 1) / 2;
        for (int y = 0; y < rows; ++y) {
          uint8_t* row = picture->data[plane] + ptrdiff_t(y) * picture->linesize[plane];
          if (y >= height / 2) {
            if (y > 0) std::memcpy(row, row - picture->linesize[plane], columns);
            else std::memset(row, 128, columns);
          }
          if (width % 2) row[columns - 1] = columns > 1 ? row[columns - 2] : 128;
        }
      }
    }
  }
  {
    std::lock_guard lock(m_mutex);
    m_picture = std::move(picture);
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
      if (m_picture) {
        const RECT into = VideoRect(m_back.width, m_back.height, 1, PictureShape{m_picture->width, m_picture->height, 0, 0});
        m_scaler.Scale(m_picture.get(), m_back, into);
      }
    }
  }
  m_back.PaintTo(dc);
  EndPaint(hwnd, &paint);
}

}  // namespace player
