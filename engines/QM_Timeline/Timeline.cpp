#include "engines/QM_Timeline/Timeline.h"

#include <algorithm>
#include <cmath>

#include "engines/QM_Timeline/TimelineDropTarget.h"
#include "engines/QM_Timeline/TimelinePainter.h"
#include "engines/common/EngineGuard.h"
#include "platform/gdi/CairoHandles.h"
#include "platform/gdi/WinGdi.h"
#include "platform/ole/Ole.h"
#include "platform/user/DropFiles.h"
#include "platform/user/ScrollBars.h"

namespace qmtimeline {

namespace {

constexpr const char16_t* kWindowClass = u"BrantwellTimeline";

TimelineQueryProc g_queryCallback = nullptr;
intptr_t g_queryData = 0;

LRESULT TimelineWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto handle = static_cast<EngineHandle>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  // Held for the whole message: a callback may destroy the timeline meanwhile.
  std::shared_ptr<Timeline> timeline = handle ? FindTimeline(handle) : nullptr;
  if (!timeline || !timeline->Alive() || timeline->hwnd != hwnd) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result = 0;
  const bool handled = engines::Guarded("timeline window", false, [&] {
    result = timeline->HandleMessage(message, wParam, lParam);
    return true;
  });
  return handled ? result : 0;
}

bool RegisterWindowClass() {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = TimelineWindowProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    return RegisterClassW(&wc) != 0;
  }();
  return registered;
}

}  // namespace

Timeline::Timeline() = default;

Timeline::~Timeline() {
  if (m_surfaceBitmap) DeleteObject(m_surfaceBitmap);
}

std::shared_ptr<Timeline> Timeline::Create(HWND parent, const RECT& rect) {
  if (!RegisterWindowClass()) throw engines::EngineError("cannot register the timeline window class");
  std::shared_ptr<Timeline> timeline(new Timeline);
  timeline->doc = std::make_shared<Document>();
  timeline->doc->handle = engines::RegisterObject(timeline->doc);
  timeline->doc->video->handle = engines::RegisterObject(timeline->doc->video);
  timeline->handle = engines::RegisterObject(timeline);
  std::weak_ptr<Timeline> weak = timeline;
  timeline->doc->raiseEvent = [weak](int32_t code, intptr_t p3, intptr_t p4) {
    if (auto t = weak.lock(); t && t->Alive()) {
      t->Update();
      t->RaiseEvent(code, p3, p4);
    }
  };
  HWND hwnd = CreateWindowExW(0, kWindowClass, u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                              rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                              nullptr, nullptr);
  if (!hwnd) {
    timeline->doc->Close();
    engines::UnregisterObject(timeline->handle);
    throw engines::EngineError("cannot create the timeline window");
  }
  timeline->hwnd = hwnd;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(timeline->handle));
  // Drops from the program's own views arrive through OLE, files from the desktop as
  // WM_DROPFILES.
  timeline->m_oleInitialized = SUCCEEDED(OleInitialize(nullptr));
  timeline->m_dropTarget = new DropTarget(timeline);
  if (RegisterDragDrop(hwnd, timeline->m_dropTarget) != S_OK) engines::LogLine("timeline: drop target not registered");
  timeline->m_dropTarget->Release();  // the registration keeps it
  DragAcceptFiles(hwnd, TRUE);
  timeline->UpdateScrollBar();
  return timeline;
}

std::shared_ptr<Timeline> FindTimeline(EngineHandle handle) { return engines::Lookup<Timeline>(handle); }

void SetQueryCallback(TimelineQueryProc callback, intptr_t data) {
  g_queryCallback = callback;
  g_queryData = data;
}

template <class Function>
intptr_t Timeline::Call(Function&& function) {
  // Keeps this object while the callback runs, whatever it destroys.
  std::shared_ptr<Timeline> self = shared_from_this();
  ++m_callbackDepth;
  intptr_t result = 0;
  try {
    result = function();
  } catch (...) {
    --m_callbackDepth;
    throw;
  }
  --m_callbackDepth;
  if (m_callbackDepth == 0 && m_destroyPending && !m_destroyed) Finish();
  return result;
}

intptr_t Timeline::RaiseEvent(int32_t code, intptr_t p3, intptr_t p4) {
  if (m_destroyed || !eventCallback) return 0;
  const TimelineEventProc callback = eventCallback;
  const intptr_t data = eventData;
  return Call([&] { return callback(data, code, p3, p4); });
}

intptr_t Timeline::Query(int32_t code, intptr_t p3, intptr_t p4) {
  if (m_destroyed || !g_queryCallback) return 0;
  const TimelineQueryProc callback = g_queryCallback;
  const intptr_t data = g_queryData;
  return Call([&] { return callback(data, code, p3, p4); });
}

void Timeline::Destroy() {
  if (m_destroyed) return;
  if (m_callbackDepth > 0) {
    m_destroyPending = true;
    return;
  }
  Finish();
}

void Timeline::Finish() {
  m_destroyed = true;
  std::shared_ptr<Timeline> self = shared_from_this();
  engines::UnregisterObject(handle);
  doc->raiseEvent = nullptr;
  doc->Close();
  if (hwnd && IsWindow(hwnd)) {
    RevokeDragDrop(hwnd);
    if (GetCapture() == hwnd) ReleaseCapture();
    DestroyWindow(hwnd);
  }
  hwnd = nullptr;
  if (m_oleInitialized) OleUninitialize();
  m_oleInitialized = false;
}

void Timeline::Update() {
  if (m_destroyed || !hwnd) return;
  UpdateScrollBar();
  InvalidateRect(hwnd, nullptr, FALSE);
}

void Timeline::SetMetrics(const int32_t* values) {
  metrics.Apply(values);
  Update();
}

TimelineLayout Timeline::Layout() const {
  RECT client{};
  if (hwnd) GetClientRect(hwnd, &client);
  return TimelineLayout(*doc, metrics, client.right, client.bottom, m_scrollX);
}

void Timeline::UpdateScrollBar() {
  if (!hwnd) return;
  RECT client{};
  GetClientRect(hwnd, &client);
  const TimelineLayout layout = Layout();
  const int maxScroll = std::max(0, layout.stripWidth - int(client.right));
  m_scrollX = std::clamp(m_scrollX, 0, maxScroll);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 0;
  // A page as wide as the whole strip hides the bar.
  info.nMax = std::max(0, layout.stripWidth - 1);
  info.nPage = static_cast<UINT>(std::max<LONG>(0, client.right));
  info.nPos = m_scrollX;
  SetScrollInfo(hwnd, SB_HORZ, &info, TRUE);
  // The bar shows only while the strip is wider than the window.
  const bool wanted = maxScroll > 0;
  if (wanted != m_scrollBarShown) {
    m_scrollBarShown = wanted;
    ShowScrollBar(hwnd, SB_HORZ, wanted);
  }
}

void Timeline::ScrollTo(int x) {
  const int before = m_scrollX;
  m_scrollX = std::max(0, x);
  UpdateScrollBar();
  if (m_scrollX != before) InvalidateRect(hwnd, nullptr, FALSE);
}

void Timeline::ZoomAround(double factor, double clientX) {
  const TimelineLayout before = Layout();
  const double time = std::max(0.0, before.XToTime(clientX));
  const int zoom = std::clamp(int(std::lround(metrics.zoomPercent * factor)), kMinZoomPercent, kMaxZoomPercent);
  if (zoom == metrics.zoomPercent) return;
  metrics.zoomPercent = zoom;
  // Keep the time under the pointer where it is.
  m_scrollX = int(std::lround(metrics.leftMargin + time * metrics.PixelsPerSecond() - clientX));
  UpdateScrollBar();
  InvalidateRect(hwnd, nullptr, FALSE);
}

void Timeline::EnsureVisible(const Element* element) {
  RECT client{};
  GetClientRect(hwnd, &client);
  const TimelineLayout layout = Layout();
  for (const auto* tiles : {&layout.clips, &layout.transitions}) {
    for (const Tile& tile : *tiles) {
      if (tile.element.get() != element) continue;
      if (tile.box.x < 0) ScrollTo(m_scrollX + int(std::floor(tile.box.x)) - metrics.leftMargin);
      else if (tile.box.Right() > client.right) ScrollTo(m_scrollX + int(std::ceil(tile.box.Right())) - client.right + metrics.leftMargin);
      return;
    }
  }
}

void Timeline::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client{};
  GetClientRect(hwnd, &client);
  const int width = std::max<LONG>(1, client.right), height = std::max<LONG>(1, client.bottom);
  if (!m_surfaceBitmap || width != m_surfaceWidth || height != m_surfaceHeight) {
    if (m_surfaceBitmap) DeleteObject(m_surfaceBitmap);
    const BITMAPINFO info = platform::TopDownBitmapInfo32(width, height);
    m_surfaceBits = nullptr;
    m_surfaceBitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &m_surfaceBits, nullptr, 0);
    m_surfaceWidth = width;
    m_surfaceHeight = height;
  }
  std::vector<std::shared_ptr<Element>> missing;
  if (m_surfaceBitmap && m_surfaceBits) {
    platform::CairoSurface surface(cairo_image_surface_create_for_data(
        static_cast<unsigned char*>(m_surfaceBits), CAIRO_FORMAT_RGB24, width, height, width * 4));
    {
      platform::CairoContext cr(cairo_create(surface.get()));
      PaintState state;
      state.width = width;
      state.height = height;
      state.hover = m_hover.lock().get();
      state.insertMarker = m_dragging ? m_insertAt : m_dropMarker;
      state.dragged = m_dragging ? m_pressed.lock().get() : nullptr;
      PaintTimeline(cr.get(), Layout(), metrics, state, &missing);
    }
    cairo_surface_flush(surface.get());
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, m_surfaceBitmap);
    BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  EndPaint(hwnd, &ps);
  if (drawCallback) {
    const TimelineDrawProc callback = drawCallback;
    const intptr_t data = drawData;
    Call([&]() -> intptr_t {
      callback(data, 0, 0);
      return 0;
    });
    if (!Alive()) return;
  }
  AskForPictures(missing);
}

void Timeline::AskForPictures(const std::vector<std::shared_ptr<Element>>& missing) {
  bool got = false;
  for (const auto& element : missing) {
    if (element->pictureAsked || FindElement(element->handle) != element) continue;
    element->pictureAsked = true;
    Query(kTimelineQueryPicture, 0, static_cast<intptr_t>(element->handle));
    if (!Alive()) return;
    got = got || element->picture;
  }
  if (got) InvalidateRect(hwnd, nullptr, FALSE);
}

}  // namespace qmtimeline
