#include "engines/QMPlayer/PlayerView.h"

#include <mutex>

#include "engines/QM_DataProcess/DataProcessApi.h"
#include "engines/QMPlayer/FrameView.h"
#include "engines/common/EngineGuard.h"
#include "engines/common/EngineLog.h"
#include "platform/gdi/WinGdi.h"
#include "platform/user/WinUser.h"

namespace player {

namespace {

constexpr char16_t kFrameClass[] = u"BrantwellPlayerFrame";
constexpr char16_t kPlayerClass[] = u"BrantwellPlayerWindow";
constexpr char16_t kViewProperty[] = u"BrantwellPlayerView";
constexpr char16_t kChildProperty[] = u"BrantwellPlayerChild";

PlayerView* ViewOf(HWND hwnd) { return static_cast<PlayerView*>(GetPropW(hwnd, kViewProperty)); }

void PaintBlack(HWND hwnd) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd, &paint);
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EndPaint(hwnd, &paint);
}

// The frame: black, and its one child, the player's window, always fills it.
LRESULT FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE) {
    if (HWND child = static_cast<HWND>(GetPropW(hwnd, kChildProperty)); child && IsWindow(child)) {
      RECT client;
      GetClientRect(hwnd, &client);
      MoveWindow(child, 0, 0, client.right, client.bottom, TRUE);
    }
    return 0;
  }
  if (message == WM_NCDESTROY) RemovePropW(hwnd, kChildProperty);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT PlayerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  PlayerView* view = ViewOf(hwnd);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel: erasing first would only flicker
    case WM_PAINT:
      if (view) view->OnPaint(hwnd);
      else PaintBlack(hwnd);
      return 0;
    case kPresentMessage:
      if (view) view->OnPresent(hwnd);
      return 0;
    case WM_SIZE:
      if (view) view->OnSize(LOWORD(lParam), HIWORD(lParam));
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_DISPLAYCHANGE:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_NCDESTROY:
      RemovePropW(hwnd, kViewProperty);
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

void RegisterWindowClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSW frame{};
    frame.lpfnWndProc = FrameProc;
    frame.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    frame.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    frame.lpszClassName = kFrameClass;
    RegisterClassW(&frame);
    WNDCLASSW window{};
    window.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    window.lpfnWndProc = PlayerProc;
    window.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window.lpszClassName = kPlayerClass;
    RegisterClassW(&window);
    RegisterFrameViewClass();
  });
}

std::shared_ptr<PlayerView> PlayerView::Create(HWND parent, const RECT& rect, bool customSize, int width, int height) {
  RegisterWindowClasses();
  std::shared_ptr<PlayerView> view(new PlayerView);
  view->m_customSize = customSize && width > 0 && height > 0;
  view->m_customWidth = width;
  view->m_customHeight = height;
  view->m_feed = std::make_shared<FeedSource>();
  view->m_feedHandle = engines::RegisterObject(view->m_feed);
  view->m_processor = PCCreateVideoProcessor(view->m_feedHandle, 0, -1.0);
  view->m_processorSource = engines::Lookup<engines::media::MediaSource>(view->m_processor);
  if (!view->m_processorSource) {
    view->Close();
    throw engines::EngineError("cannot create the view's video processor");
  }
  const int w = std::max<int>(0, rect.right - rect.left), h = std::max<int>(0, rect.bottom - rect.top);
  view->m_frameWindow = CreateWindowExW(0, kFrameClass, u"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left,
                                        rect.top, w, h, parent, nullptr, nullptr, nullptr);
  if (view->m_frameWindow)
    view->m_playerWindow = CreateWindowExW(0, kPlayerClass, u"", WS_CHILD | WS_VISIBLE, 0, 0, w, h,
                                           view->m_frameWindow, nullptr, nullptr, nullptr);
  if (!view->m_playerWindow) {
    view->Close();
    throw engines::EngineError("cannot create the view's windows (parent window " +
                               std::to_string(reinterpret_cast<uintptr_t>(parent)) + ")");
  }
  SetPropW(view->m_frameWindow, kChildProperty, view->m_playerWindow);
  SetPropW(view->m_playerWindow, kViewProperty, view.get());
  {
    std::lock_guard lock(view->m_bufferLock);
    view->m_clientWidth = w;
    view->m_clientHeight = h;
    view->Render(false);
  }
  return view;
}

PlayerView::~PlayerView() = default;

void PlayerView::Close() {
  if (m_playerWindow && IsWindow(m_playerWindow)) RemovePropW(m_playerWindow, kViewProperty);
  if (m_frameWindow && IsWindow(m_frameWindow)) DestroyWindow(m_frameWindow);
  if (m_processor) PCDestroyVideoProcessor(m_processor);
  if (m_feedHandle) engines::UnregisterObject(m_feedHandle);
  m_processor = 0;
  m_feedHandle = 0;
}

int32_t PlayerView::Mode() {
  std::lock_guard lock(m_bufferLock);
  return m_mode;
}

void PlayerView::SetMode(int32_t mode) {
  std::lock_guard lock(m_bufferLock);
  m_mode = mode;
  Render(true);
}

bool PlayerView::CropRect(RECT& rect) {
  RECT crop{};
  if (!m_processor || !PCGetCropRect(m_processor, &crop)) return false;
  int width, height;
  {
    std::lock_guard lock(m_bufferLock);
    width = m_shape.width;
    height = m_shape.height;
  }
  if (crop.right <= 0) crop.right = width;
  if (crop.bottom <= 0) crop.bottom = height;
  rect = crop;
  return true;
}

void PlayerView::SetSourceInfo(const engines::media::TVideoInfo& info, double duration) {
  m_feed->SetInfo(info, duration);
  std::lock_guard lock(m_bufferLock);
  m_shape = {info.Width, info.Height, info.xratio, info.yratio};
}

PictureShape PlayerView::ShapeLocked() const {
  if (m_customSize) return {m_customWidth, m_customHeight, 0, 0};
  if (m_shape.width > 0 && m_shape.height > 0) return m_shape;
  if (m_picture) return {m_picture->width, m_picture->height, 0, 0};
  return {};
}

void PlayerView::Show(const engines::media::VideoFrame& decoded) {
  std::lock_guard lock(m_processLock);
  m_decoded = ShareFrame(decoded);
  Process();
}

void PlayerView::Reprocess() {
  std::lock_guard lock(m_processLock);
  if (m_decoded.frame) Process();
}

void PlayerView::ShowBlack() {
  std::lock_guard lock(m_processLock);
  m_decoded = {};
  std::lock_guard buffer(m_bufferLock);
  m_picture = {};
  Render(true);
}

void PlayerView::Process() {
  engines::media::VideoFrame out;
  m_feed->Put(m_decoded);
  if (!m_processorSource || !m_processorSource->ReadVideo(out) || !out.frame) {
    if (!m_loggedProcessFailure.exchange(true)) engines::LogLine("the view's video processor gave no picture; showing the source");
    out = ShareFrame(m_decoded);
  }
  engines::media::FramePtr picture;
  if (m_customSize) picture = PlaceInFrame(out, m_customWidth, m_customHeight, m_placer);
  else picture = std::move(out.frame);
  std::lock_guard lock(m_bufferLock);
  m_picture = std::move(picture);
  Render(true);
}

void PlayerView::Render(bool post) {
  if (m_back.width != m_clientWidth || m_back.height != m_clientHeight) m_back.Resize(m_clientWidth, m_clientHeight);
  if (m_picture && m_back.width > 0 && m_back.height > 0) {
    const RECT into = VideoRect(m_clientWidth, m_clientHeight, m_mode, ShapeLocked());
    m_back.ClearAround(into);
    m_scaler.Scale(m_picture.get(), m_back, into);
  } else {
    m_back.Clear();
  }
  if (post && m_playerWindow && !m_presentPosted.exchange(true)) {
    if (!PostMessageW(m_playerWindow, kPresentMessage, 0, 0)) m_presentPosted = false;
  }
}

void PlayerView::OnPresent(HWND hwnd) {
  m_presentPosted = false;
  InvalidateRect(hwnd, nullptr, FALSE);
}

void PlayerView::OnSize(int width, int height) {
  std::lock_guard lock(m_bufferLock);
  if (width == m_clientWidth && height == m_clientHeight) return;
  m_clientWidth = width;
  m_clientHeight = height;
  Render(false);
}

void PlayerView::OnPaint(HWND hwnd) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd, &paint);
  RECT client;
  GetClientRect(hwnd, &client);
  {
    std::lock_guard lock(m_bufferLock);
    // The window may have been sized without a WM_SIZE reaching this procedure (a subclass
    // that keeps it): the picture follows the client area it paints.
    if (client.right != m_clientWidth || client.bottom != m_clientHeight) {
      m_clientWidth = client.right;
      m_clientHeight = client.bottom;
      Render(false);
    }
    m_back.PaintTo(dc);
  }
  EndPaint(hwnd, &paint);
}

}  // namespace player
