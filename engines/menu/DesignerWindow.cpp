#include "engines/menu/DesignerWindow.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <optional>
#include <vector>

#include "engines/common/EngineGuard.h"
#include "engines/common/EngineLog.h"
#include "engines/menu/PageRenderer.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/Threads.h"
#include "platform/user/WinUser.h"

namespace engines::menu {

namespace {

constexpr char16_t kWindowClass[] = u"BrantwellMenuDesigner";
constexpr char16_t kObjectProperty[] = u"BrantwellMenuDesignerObject";
// Posted to the window when the menu changed on another thread: only the window's thread paints.
constexpr UINT kRepaintMessage = WM_APP + 0x152;

constexpr double kSurroundRed = 0.17, kSurroundGreen = 0.18, kSurroundBlue = 0.21;  // around the page
constexpr double kAccentRed = 0.16, kAccentGreen = 0.60, kAccentBlue = 1.0;         // the selection
constexpr int kHandleSize = 7;        // window pixels
constexpr int kHandleReach = 5;       // how far from a handle's centre a press still takes it
constexpr int kDragThreshold = 3;     // window pixels a press moves before it becomes a drag
constexpr int kMinimumElementSize = 16;  // canvas pixels an element keeps when resized

// A handle on the selection's outline: where it sits (fractions of the rectangle) and which
// edges it moves.
struct HandleEdges {
  double fx, fy;
  bool left, top, right, bottom;
  LPCWSTR cursor;
};

const HandleEdges kHandles[] = {
    {0, 0, true, true, false, false, IDC_SIZENWSE},   {0.5, 0, false, true, false, false, IDC_SIZENS},
    {1, 0, false, true, true, false, IDC_SIZENESW},   {1, 0.5, false, false, true, false, IDC_SIZEWE},
    {1, 1, false, false, true, true, IDC_SIZENWSE},   {0.5, 1, false, false, false, true, IDC_SIZENS},
    {0, 1, true, false, false, true, IDC_SIZENESW},   {0, 0.5, true, false, false, false, IDC_SIZEWE},
};
constexpr int kHandleCount = int(std::size(kHandles));

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

bool Movable(ElementKind kind) { return kind != ElementKind::Background; }

int Snap(double value, bool free) {
  return free ? int(std::lround(value)) : int(std::lround(value / kDesignGrid)) * kDesignGrid;
}

LRESULT DesignerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

void RegisterWindowClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = DesignerProc;
    windowClass.hCursor = nullptr;  // WM_SETCURSOR chooses by what lies under the pointer
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
  });
}

}  // namespace

RECT DesignerPagePlace(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  int pageWidth = width, pageHeight = width * 3 / 4;
  if (pageHeight > height) {
    pageHeight = height;
    pageWidth = height * 4 / 3;
  }
  const int left = (width - pageWidth) / 2, top = (height - pageHeight) / 2;
  return RECT{left, top, left + pageWidth, top + pageHeight};
}

class DesignerWindow {
 public:
  explicit DesignerWindow(std::shared_ptr<Menu> menu) : m_menu(std::move(menu)) {}

  bool Open(HWND parent, int x, int y, int width, int height) {
    RegisterWindowClass();
    m_window = CreateWindowExW(0, kWindowClass, u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y,
                               std::max(0, width), std::max(0, height), parent, nullptr, nullptr, nullptr);
    if (!m_window) return false;
    SetPropW(m_window, kObjectProperty, this);
    const DWORD thread = GetCurrentThreadId();
    HWND window = m_window;
    // The listener holds only the window handle: a stale handle is detected, so a late change
    // after the window went does nothing.
    m_menu->SetChangeListener([window, thread] {
      if (!IsWindow(window)) return;
      if (GetCurrentThreadId() == thread) InvalidateRect(window, nullptr, FALSE);
      else PostMessageW(window, kRepaintMessage, 0, 0);
    });
    return true;
  }

  void Close() {
    if (m_window && IsWindow(m_window)) {
      RemovePropW(m_window, kObjectProperty);
      DestroyWindow(m_window);
    }
    m_window = nullptr;
    m_menu->SetChangeListener(nullptr);
  }

  HWND Window() const { return m_window; }

  void Update() {
    if (m_window) InvalidateRect(m_window, nullptr, FALSE);
  }

  void Focus(ElementKind kind) {
    const PageView view = CurrentView();
    const std::optional<PageElement> first = FirstElement(view, kind);
    m_menu->Select(first ? Selection{first->kind, first->index} : Selection{});
    m_menu->NotifyElementChosen(kind);
    Update();
  }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;  // the paint covers every pixel
      case WM_PAINT:
        Paint();
        return 0;
      case kRepaintMessage:
        Update();
        return 0;
      case WM_LBUTTONDOWN:
        Press(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
      case WM_MOUSEMOVE:
        Move(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, (wParam & MK_SHIFT) != 0);
        return 0;
      case WM_LBUTTONUP:
        m_drag.reset();
        if (GetCapture() == m_window) ReleaseCapture();
        return 0;
      case WM_CAPTURECHANGED:
        m_drag.reset();
        return 0;
      case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
          SetCursor(LoadCursorW(nullptr, CursorAt()));
          return TRUE;
        }
        break;
      case WM_NCDESTROY:
        RemovePropW(m_window, kObjectProperty);
        m_window = nullptr;
        m_drag.reset();
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
  }

 private:
  // A press on an element that may become a move (handle -1) or a resize (a handle's index).
  struct Drag {
    Selection element;
    int handle = -1;
    POINT start{};
    Rect startRect;  // where the element was when pressed
    bool moving = false;
  };

  PageView CurrentView() const { return m_menu->View(m_menu->CurrentPageIndex()); }

  RECT Place() const {
    RECT client{};
    GetClientRect(m_window, &client);
    return DesignerPagePlace(client.right, client.bottom);
  }

  // Canvas pixels per window pixel, across and down.
  static double ScaleX(const RECT& place) { return double(kCanvasWidth) / std::max<LONG>(1, place.right - place.left); }
  static double ScaleY(const RECT& place) { return double(kCanvasHeight) / std::max<LONG>(1, place.bottom - place.top); }

  // An element's rectangle in window coordinates.
  static void ToWindow(const RECT& place, const Rect& rect, double& left, double& top, double& right, double& bottom) {
    left = place.left + rect.left / ScaleX(place);
    right = place.left + rect.right / ScaleX(place);
    top = place.top + rect.top / ScaleY(place);
    bottom = place.top + rect.bottom / ScaleY(place);
  }

  // The selected element where it shows now; nothing when it is not on the page.
  std::optional<PageElement> SelectedElement(const PageView& view) const {
    const Selection selection = m_menu->GetSelection();
    if (selection.kind == ElementKind::Background) return PageElement{};
    for (const PageElement& element : LayoutPage(view))
      if (element.kind == selection.kind && element.index == selection.index) return element;
    return std::nullopt;
  }

  // The handle of the selection under window point `point`, -1 when none.
  int HandleAt(const PageView& view, POINT point) const {
    const std::optional<PageElement> selected = SelectedElement(view);
    if (!selected || !Movable(selected->kind)) return -1;
    double left, top, right, bottom;
    ToWindow(Place(), selected->rect, left, top, right, bottom);
    for (int handle = 0; handle < kHandleCount; ++handle) {
      const double x = left + (right - left) * kHandles[handle].fx, y = top + (bottom - top) * kHandles[handle].fy;
      if (std::abs(point.x - x) <= kHandleReach && std::abs(point.y - y) <= kHandleReach) return handle;
    }
    return -1;
  }

  LPCWSTR CursorAt() const {
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(m_window, &point);
    const PageView view = CurrentView();
    const int handle = HandleAt(view, point);
    if (handle >= 0) return kHandles[handle].cursor;
    const RECT place = Place();
    if (!PtInRect(&place, point)) return IDC_ARROW;
    const PageElement element =
        HitTest(view, (point.x - place.left) * ScaleX(place), (point.y - place.top) * ScaleY(place));
    return Movable(element.kind) ? IDC_SIZEALL : IDC_ARROW;
  }

  void Press(POINT point) {
    m_drag.reset();
    const PageView view = CurrentView();
    const RECT place = Place();
    PageElement element;
    int handle = HandleAt(view, point);
    if (handle >= 0) {
      element = *SelectedElement(view);
    } else {
      if (!PtInRect(&place, point)) return;
      element = HitTest(view, (point.x - place.left) * ScaleX(place), (point.y - place.top) * ScaleY(place));
    }
    const Selection chosen{element.kind, element.index};
    m_menu->Select(chosen);
    m_menu->NotifyElementChosen(element.kind);
    Update();
    if (!Movable(element.kind)) return;
    m_drag = Drag{chosen, handle, point, element.rect, false};
    SetCapture(m_window);
  }

  void Move(POINT point, bool free) {
    if (!m_drag || GetCapture() != m_window) return;
    Drag& drag = *m_drag;
    if (!drag.moving) {
      if (std::abs(point.x - drag.start.x) < kDragThreshold && std::abs(point.y - drag.start.y) < kDragThreshold) return;
      drag.moving = true;
    }
    const RECT place = Place();
    const double dx = (point.x - drag.start.x) * ScaleX(place), dy = (point.y - drag.start.y) * ScaleY(place);
    const Rect& from = drag.startRect;
    Rect placed = from;
    if (drag.handle < 0) {
      // The element keeps its size and stays inside the page.
      const int left = std::clamp(Snap(from.left + dx, free), 0, std::max(0, kCanvasWidth - from.Width()));
      const int top = std::clamp(Snap(from.top + dy, free), 0, std::max(0, kCanvasHeight - from.Height()));
      placed = Rect{left, top, left + from.Width(), top + from.Height()};
    } else {
      const HandleEdges& edges = kHandles[drag.handle];
      if (edges.left) placed.left = std::max(0, std::min(Snap(from.left + dx, free), from.right - kMinimumElementSize));
      if (edges.right)
        placed.right = std::min(kCanvasWidth, std::max(Snap(from.right + dx, free), from.left + kMinimumElementSize));
      if (edges.top) placed.top = std::max(0, std::min(Snap(from.top + dy, free), from.bottom - kMinimumElementSize));
      if (edges.bottom)
        placed.bottom = std::min(kCanvasHeight, std::max(Snap(from.bottom + dy, free), from.top + kMinimumElementSize));
    }
    if (const std::shared_ptr<MenuPage> page = m_menu->PageAt(m_menu->CurrentPageIndex()))
      m_menu->SetElementRect(*page, drag.element.kind, drag.element.index, placed);
  }

  void Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_window, &paint);
    RECT client{};
    GetClientRect(m_window, &client);
    if (client.right > 0 && client.bottom > 0) {
      Draw(dc, client);
    }
    EndPaint(m_window, &paint);
  }

  void Draw(HDC dc, const RECT& client) {
    engines::Guarded("menu designer paint", [&] {
      Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, client.right, client.bottom));
      if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return;
      Context cr(cairo_create(surface.get()));
      cairo_set_source_rgb(cr.get(), kSurroundRed, kSurroundGreen, kSurroundBlue);
      cairo_paint(cr.get());

      const PageView view = CurrentView();
      const RECT place = Place();
      const double pageWidth = place.right - place.left, pageHeight = place.bottom - place.top;
      if (pageWidth > 0 && pageHeight > 0) {
        cairo_save(cr.get());
        cairo_translate(cr.get(), place.left, place.top);
        cairo_scale(cr.get(), pageWidth / kCanvasWidth, pageHeight / kCanvasHeight);
        cairo_rectangle(cr.get(), 0, 0, kCanvasWidth, kCanvasHeight);
        cairo_clip(cr.get());
        DrawPage(cr.get(), view);
        cairo_restore(cr.get());
        DrawSelection(cr.get(), view, place);
      }
      cairo_surface_flush(surface.get());
      const BITMAPINFO info = platform::TopDownBitmapInfo32(client.right, client.bottom);
      SetDIBitsToDevice(dc, 0, 0, client.right, client.bottom, 0, 0, 0, client.bottom,
                        cairo_image_surface_get_data(surface.get()), &info, DIB_RGB_COLORS);
    });
  }

  void DrawSelection(cairo_t* cr, const PageView& view, const RECT& place) {
    const std::optional<PageElement> selected = SelectedElement(view);
    if (!selected) return;
    cairo_set_source_rgb(cr, kAccentRed, kAccentGreen, kAccentBlue);
    cairo_set_line_width(cr, 2);
    if (!Movable(selected->kind)) {
      // The background: the page's edge.
      cairo_rectangle(cr, place.left + 1, place.top + 1, place.right - place.left - 2, place.bottom - place.top - 2);
      cairo_stroke(cr);
      return;
    }
    double left, top, right, bottom;
    ToWindow(place, selected->rect, left, top, right, bottom);
    cairo_rectangle(cr, std::round(left) - 1, std::round(top) - 1, std::round(right - left) + 2,
                    std::round(bottom - top) + 2);
    cairo_stroke(cr);
    for (const HandleEdges& handle : kHandles) {
      const double x = std::round(left + (right - left) * handle.fx), y = std::round(top + (bottom - top) * handle.fy);
      cairo_rectangle(cr, x - kHandleSize / 2.0, y - kHandleSize / 2.0, kHandleSize, kHandleSize);
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_fill_preserve(cr);
      cairo_set_source_rgb(cr, kAccentRed, kAccentGreen, kAccentBlue);
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
    }
  }

  std::shared_ptr<Menu> m_menu;
  HWND m_window = nullptr;
  std::optional<Drag> m_drag;
};

namespace {

LRESULT DesignerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* window = static_cast<DesignerWindow*>(GetPropW(hwnd, kObjectProperty));
  if (!window) return DefWindowProcW(hwnd, message, wParam, lParam);
  return engines::Guarded("menu designer window", LRESULT(0),
                          [&] { return window->Handle(message, wParam, lParam); });
}

}  // namespace

void DesignerWindowDeleter::operator()(DesignerWindow* window) const {
  if (!window) return;
  window->Close();
  delete window;
}

DesignerWindowPtr CreateDesignerWindow(const std::shared_ptr<Menu>& menu, HWND parent, int x, int y, int width,
                                       int height) {
  if (!menu) return nullptr;
  DesignerWindowPtr window(new DesignerWindow(menu));
  if (!window->Open(parent, x, y, width, height)) {
    engines::LogLine("MGCreateMDWindow: cannot create the designer window");
    return nullptr;
  }
  return window;
}

void UpdateDesignerWindow(DesignerWindow& window) { window.Update(); }

void FocusDesignerElement(DesignerWindow& window, ElementKind kind) { window.Focus(kind); }

HWND DesignerWindowHandle(const DesignerWindow& window) { return window.Window(); }

}  // namespace engines::menu
