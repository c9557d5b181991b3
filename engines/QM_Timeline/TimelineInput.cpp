// A timeline's window messages: painting, scrolling, zooming, and the mouse and keyboard
// edits with the events they raise.

#include <algorithm>
#include <cmath>

#include "engines/QM_Timeline/Timeline.h"
#include "platform/user/DropFiles.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/ScrollBars.h"

namespace qmtimeline {

namespace {

constexpr int kDragThreshold = 4;  // pixels the pointer moves before a press becomes a drag
constexpr double kZoomStep = 1.25;
constexpr int kWheelScroll = 60;   // pixels per wheel notch
constexpr int kLineScroll = 20;
constexpr int kEdgeGrip = 4;             // pixels either side of a tile's right edge that trim
constexpr double kShortestClip = 0.5;    // seconds a trim leaves at least

intptr_t PackPoint(int x, int y) {
  return static_cast<intptr_t>((static_cast<uint32_t>(x) & 0xFFFF) | ((static_cast<uint32_t>(y) & 0xFFFF) << 16));
}

intptr_t HandleOf(const Element* element) { return element ? static_cast<intptr_t>(element->handle) : 0; }

}  // namespace

LRESULT Timeline::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && (m_overEdge || !m_trimmed.expired())) {
        SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
        return TRUE;
      }
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_SIZE:
      UpdateScrollBar();
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_LBUTTONDOWN:
      OnMouseDown(x, y, wParam);
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(x, y, wParam);
      return 0;
    case WM_LBUTTONUP:
      OnMouseUp(x, y);
      return 0;
    case WM_LBUTTONDBLCLK:
      OnDoubleClick(x, y);
      return 0;
    case WM_RBUTTONUP:
      OnRightClick(x, y);
      return 0;
    case WM_MOUSELEAVE:
      if (!m_hover.expired()) {
        m_hover.reset();
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd) CancelDrag();
      return 0;
    case WM_KEYDOWN:
      OnKey(static_cast<int>(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      OnWheel(GET_WHEEL_DELTA_WPARAM(wParam), wParam, POINT{x, y});
      return 0;
    case WM_HSCROLL:
      OnScroll(LOWORD(wParam));
      return 0;
    case WM_DROPFILES:
      OnDroppedFiles(reinterpret_cast<HANDLE>(wParam));
      return 0;
    case WM_NCDESTROY:
      // The parent went first: the timeline stays (the program still destroys it) but has
      // no window any more.
      {
        HWND window = hwnd;
        hwnd = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
      }
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void Timeline::SelectOnly(const Element* element) {
  for (const auto& e : doc->Elements()) e->selected = e.get() == element;
}

std::shared_ptr<Element> Timeline::EdgeAt(const TimelineLayout& layout, int x, int y) const {
  for (const Tile& tile : layout.transitions)
    if (tile.box.Contains(x, y)) return nullptr;
  for (const Tile& tile : layout.clips)
    if (y >= tile.box.y && y < tile.box.Bottom() && std::abs(x - tile.box.Right()) <= kEdgeGrip) return tile.element;
  return nullptr;
}

void Timeline::OnMouseDown(int x, int y, WPARAM keys) {
  SetFocus(hwnd);
  const TimelineLayout layout = Layout();
  if (const std::shared_ptr<Element> edge = EdgeAt(layout, x, y); edge && !(keys & (MK_CONTROL | MK_SHIFT))) {
    m_trimmed = edge;
    m_trimOriginX = x;
    m_trimOriginLength = edge->Length();
    m_lengthsBefore.clear();
    for (const auto& element : doc->Elements()) m_lengthsBefore.emplace_back(element, element->Length());
    SetCapture(hwnd);
    return;
  }
  const Tile* tile = layout.HitTest(x, y);
  if (!tile) {
    doc->SelectClear();
    m_anchor.reset();
    InvalidateRect(hwnd, nullptr, FALSE);
    RaiseEvent(kTimelineEventSelectionCleared, 0, 0);
    return;
  }
  const std::shared_ptr<Element> element = tile->element;
  const auto anchor = m_anchor.lock();
  if (keys & MK_CONTROL) {
    element->selected = !element->selected;
  } else if ((keys & MK_SHIFT) && anchor && anchor->type == kTimelineVideoClip &&
             element->type == kTimelineVideoClip) {
    // Extend from the anchor: every clip between the two.
    const int a = doc->video->IndexOf(anchor.get()), b = doc->video->IndexOf(element.get());
    SelectOnly(nullptr);
    for (int i = std::min(a, b); i <= std::max(a, b) && i >= 0; ++i) doc->video->clips[i]->selected = true;
  } else {
    SelectOnly(element.get());
  }
  if (!(keys & MK_SHIFT) || !anchor) m_anchor = element;
  if (element->type == kTimelineVideoClip) {
    m_pressed = element;
    m_pressPoint = POINT{x, y};
    SetCapture(hwnd);
  }
  InvalidateRect(hwnd, nullptr, FALSE);
  RaiseEvent(kTimelineEventSelected, 0, HandleOf(element.get()));
}

void Timeline::OnMouseMove(int x, int y, WPARAM keys) {
  if (const std::shared_ptr<Element> clip = m_trimmed.lock()) {
    // The clip follows the pointer, within its source (when its length is known).
    const double available = clip->physicalLength - clip->physicalBegin;
    double length = m_trimOriginLength + (x - m_trimOriginX) / metrics.PixelsPerSecond();
    length = std::max(length, std::min(kShortestClip, m_trimOriginLength));
    if (available > 0) length = std::min(length, std::max(available, m_trimOriginLength));
    if (length != clip->Length()) {
      clip->length = length;
      doc->video->Layout();
      Update();
    }
    return;
  }
  const TimelineLayout layout = Layout();
  m_overEdge = EdgeAt(layout, x, y) != nullptr;
  const Tile* tile = layout.HitTest(x, y);
  const std::shared_ptr<Element> hover = tile ? tile->element : nullptr;
  if (hover != m_hover.lock()) {
    m_hover = hover;
    InvalidateRect(hwnd, nullptr, FALSE);
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd, 0};
    TrackMouseEvent(&track);
  }
  if (m_pressed.expired() || !(keys & MK_LBUTTON)) return;
  if (!m_dragging &&
      std::max(std::abs(x - m_pressPoint.x), std::abs(y - m_pressPoint.y)) < kDragThreshold)
    return;
  m_dragging = true;
  const int join = layout.NearestJoin(x);
  if (join != m_insertAt) {
    m_insertAt = join;
    InvalidateRect(hwnd, nullptr, FALSE);
  }
}

void Timeline::CancelDrag() {
  if (!m_trimmed.expired()) FinishTrim();
  if (m_dragging) InvalidateRect(hwnd, nullptr, FALSE);
  m_pressed.reset();
  m_dragging = false;
  m_insertAt = -1;
}

void Timeline::FinishTrim() {
  m_trimmed.reset();
  std::vector<std::shared_ptr<Element>> changed;
  for (const auto& [weak, before] : m_lengthsBefore)
    if (auto element = weak.lock(); element && element->Length() != before) changed.push_back(element);
  m_lengthsBefore.clear();
  if (GetCapture() == hwnd) ReleaseCapture();
  if (changed.empty()) return;
  for (const auto& element : changed) {
    RaiseEvent(kTimelineEventLengthChanged, 0, HandleOf(element.get()));
    if (!Alive()) return;
  }
  RaiseEvent(kTimelineEventChanged, 0, 0);
}

void Timeline::OnMouseUp(int, int) {
  if (!m_trimmed.expired()) {
    FinishTrim();
    return;
  }
  const std::shared_ptr<Element> moved = m_pressed.lock();
  const bool dragging = m_dragging;
  const int to = m_insertAt;
  m_pressed.reset();
  m_dragging = false;
  m_insertAt = -1;
  if (GetCapture() == hwnd) ReleaseCapture();
  if (!dragging || !moved) return;
  InvalidateRect(hwnd, nullptr, FALSE);
  const std::shared_ptr<Element> firstBefore = doc->video->clips.empty() ? nullptr : doc->video->clips.front();
  if (!doc->video->Move(doc->video->IndexOf(moved.get()), to)) return;
  UpdateScrollBar();
  const std::shared_ptr<Element> firstAfter = doc->video->clips.front();
  RaiseEvent(kTimelineEventChanged, 0, HandleOf(moved.get()));
  if (!Alive()) return;
  if (firstAfter != firstBefore) RaiseEvent(kTimelineEventFirstClipChanged, 0, HandleOf(firstAfter.get()));
}

void Timeline::OnDoubleClick(int x, int y) {
  const TimelineLayout layout = Layout();
  if (const Tile* tile = layout.HitTest(x, y)) {
    const std::shared_ptr<Element> element = tile->element;
    RaiseEvent(kTimelineEventDoubleClicked, 0, HandleOf(element.get()));
  }
}

void Timeline::OnRightClick(int x, int y) {
  const TimelineLayout layout = Layout();
  const Tile* tile = layout.HitTest(x, y);
  const std::shared_ptr<Element> element = tile ? tile->element : nullptr;
  // The menu acts on the selection: a click outside it selects the element alone.
  if (element && !element->selected) {
    SelectOnly(element.get());
    m_anchor = element;
    InvalidateRect(hwnd, nullptr, FALSE);
  }
  RaiseEvent(kTimelineEventContextMenu, PackPoint(x, y), HandleOf(element.get()));
}

void Timeline::DeleteSelection() {
  const int removed = doc->DeleteSelected();
  if (removed == 0) return;
  m_anchor.reset();
  Update();
  RaiseEvent(kTimelineEventDeleted, removed, 0);
}

void Timeline::MoveSelection(int step) {
  const auto elements = doc->Elements();
  if (elements.empty()) return;
  const auto anchor = m_anchor.lock();
  int index = -1;
  for (size_t i = 0; i < elements.size(); ++i)
    if (elements[i] == anchor) index = int(i);
  if (index < 0) index = step > 0 ? 0 : int(elements.size()) - 1;
  else index = std::clamp(index + step, 0, int(elements.size()) - 1);
  const std::shared_ptr<Element> target = elements[index];
  SelectOnly(target.get());
  m_anchor = target;
  EnsureVisible(target.get());
  InvalidateRect(hwnd, nullptr, FALSE);
  RaiseEvent(kTimelineEventSelected, 0, HandleOf(target.get()));
}

void Timeline::OnKey(int key) {
  switch (key) {
    case VK_DELETE:
      DeleteSelection();
      break;
    case VK_LEFT:
      MoveSelection(-1);
      break;
    case VK_RIGHT:
      MoveSelection(1);
      break;
    case VK_ADD:
    case VK_OEM_PLUS:
    case VK_SUBTRACT:
    case VK_OEM_MINUS: {
      // Around the pointer when it is over the window, else around the middle.
      POINT pointer{};
      GetCursorPos(&pointer);
      ScreenToClient(hwnd, &pointer);
      RECT client{};
      GetClientRect(hwnd, &client);
      const double at = pointer.x >= 0 && pointer.x < client.right ? pointer.x : client.right / 2.0;
      const bool in = key == VK_ADD || key == VK_OEM_PLUS;
      ZoomAround(in ? kZoomStep : 1.0 / kZoomStep, at);
      break;
    }
    default:
      break;
  }
}

void Timeline::OnWheel(int delta, WPARAM keys, POINT screen) {
  const double notches = delta / double(WHEEL_DELTA);
  if (keys & MK_CONTROL) {
    POINT client = screen;
    ScreenToClient(hwnd, &client);
    ZoomAround(std::pow(kZoomStep, notches), client.x);
    return;
  }
  ScrollTo(m_scrollX - int(std::lround(notches * kWheelScroll)));
}

void Timeline::OnScroll(int request) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(hwnd, SB_HORZ, &info);
  const int page = std::max<int>(1, static_cast<int>(info.nPage));
  switch (request) {
    case SB_LINELEFT: ScrollTo(m_scrollX - kLineScroll); break;
    case SB_LINERIGHT: ScrollTo(m_scrollX + kLineScroll); break;
    case SB_PAGELEFT: ScrollTo(m_scrollX - page); break;
    case SB_PAGERIGHT: ScrollTo(m_scrollX + page); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: ScrollTo(info.nTrackPos); break;
    case SB_LEFT: ScrollTo(0); break;
    case SB_RIGHT: ScrollTo(info.nMax); break;
    default: break;
  }
}

void Timeline::OnDroppedFiles(HANDLE handle) {
  HDROP drop = static_cast<HDROP>(handle);
  std::vector<std::string> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::u16string name(length + 1, u'\0');
    DragQueryFileW(drop, i, name.data(), length + 1);
    name.resize(length);
    paths.push_back(platform::Utf16ToUtf8(name));
  }
  POINT point{};
  DragQueryPoint(drop, &point);
  DragFinish(drop);
  const TimelineLayout layout = Layout();
  DropFiles(paths, layout.NearestJoin(point.x));
}

}  // namespace qmtimeline
