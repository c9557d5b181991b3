#include "engines/menu/PreviewWindow.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>

#include "engines/common/EngineGuard.h"
#include "engines/common/EngineLog.h"
#include "engines/common/WindowPoster.h"
#include "platform/gdi/WinGdi.h"
#include "platform/user/WinUser.h"

namespace engines::menu {

namespace {

constexpr char16_t kWindowClass[] = u"BrantwellMenuPreviewer";
constexpr char16_t kObjectProperty[] = u"BrantwellMenuPreviewerObject";
constexpr UINT_PTR kActivationTimer = 1;
// The page shows at the disc's display aspect.
constexpr int kDisplayAspectWidth = 4, kDisplayAspectHeight = 3;

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

PreviewWindow* PreviewOf(HWND hwnd) { return static_cast<PreviewWindow*>(GetPropW(hwnd, kObjectProperty)); }

LRESULT PreviewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  PreviewWindow* preview = PreviewOf(hwnd);
  if (!preview) return DefWindowProcW(hwnd, message, wParam, lParam);
  return engines::Guarded("menu previewer window", LRESULT(0),
                          [&] { return preview->Handle(message, wParam, lParam); });
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

}  // namespace

std::unique_ptr<PreviewWindow> PreviewWindow::Create(HWND parent, int x, int y, int width, int height) {
  RegisterWindowClass();
  std::unique_ptr<PreviewWindow> preview(new PreviewWindow);
  preview->m_window = CreateWindowExW(0, kWindowClass, u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y,
                                      std::max(0, width), std::max(0, height), parent, nullptr, nullptr, nullptr);
  if (!preview->m_window) throw engines::EngineError("cannot create the menu previewer's window");
  SetPropW(preview->m_window, kObjectProperty, preview.get());
  return preview;
}

PreviewWindow::~PreviewWindow() {
  if (m_window && IsWindow(m_window)) {
    KillTimer(m_window, kActivationTimer);
    RemovePropW(m_window, kObjectProperty);
    DestroyWindow(m_window);
  }
}

void PreviewWindow::SetMenuData(std::shared_ptr<MenuData> data) {
  m_data = data;
  if (!data) {
    if (m_window) KillTimer(m_window, kActivationTimer);
    m_activating = false;
    m_pictures = {};
    m_highlight = -1;
    m_page = 0;
    m_pageCount = 0;
    if (m_window) InvalidateRect(m_window, nullptr, FALSE);
    return;
  }
  ShowPage(0);
}

void PreviewWindow::ShowPage(int index) {
  if (m_window) KillTimer(m_window, kActivationTimer);
  m_activating = false;
  m_pictures = {};
  m_error.clear();
  const std::shared_ptr<MenuData> data = m_data.lock();
  if (data) {
    // The pages as the menu data describes them to authoring, rendered one at a time.
    std::string error;
    const std::shared_ptr<Menu> menu = data->GetMenu();
    if (!menu) {
      error = "the menu data belongs to no menu";
      m_pageCount = 0;
    } else {
      m_format = MenuFormat{};
      m_format.titleCount = menu->TitleCount();  // the disc holds every title the menu shows
      std::vector<PageView> views = DiscPageViews(*menu, m_format);
      m_pageCount = int(views.size());
      if (index < 0 || index >= m_pageCount) {
        error = "the menu has no page " + std::to_string(index + 1);
      } else {
        // The program plays the page's music itself (and none when its file is gone), so a
        // missing music file must not keep the page from showing.
        PageView& view = views[size_t(index)];
        view.content.audio.clear();
        if (!RenderDiscPage(view, m_format, m_pictures, error)) m_pictures = {};
      }
    }
    if (!error.empty()) {
      m_error = "Menu page " + std::to_string(index + 1) + " cannot be shown: " + error;
      engines::LogLine("menu preview: " + m_error);
    }
  }
  m_page = index;
  m_highlight = m_pictures.buttons.empty() ? -1 : 0;
  Post(kPreviewPageShown, index);
  if (m_window) InvalidateRect(m_window, nullptr, FALSE);
}

void PreviewWindow::Post(uintptr_t what, intptr_t value) const {
  if (m_notify) engines::PostToWindow(m_notify, kPreviewNotify, what, value);
}

void PreviewWindow::MoveHighlight(Direction direction) {
  if (m_activating) return;
  if (m_pictures.buttons.empty()) return;
  // The disc's own navigation between its buttons; from no button, the first.
  const int next = m_highlight < 0 ? 0 : NeighbourButton(m_pictures.buttons, m_highlight, direction);
  if (next < 0 || next == m_highlight) return;
  m_highlight = next;
  InvalidateRect(m_window, nullptr, FALSE);
}

void PreviewWindow::ActivateHighlighted() {
  if (!m_activating && m_highlight >= 0) Activate(m_highlight);
}

void PreviewWindow::Activate(int button) {
  m_highlight = button;
  m_activating = true;
  InvalidateRect(m_window, nullptr, FALSE);
  SetTimer(m_window, kActivationTimer, kActivationMs, nullptr);
}

void PreviewWindow::Act(const MenuButtonInfo& button) {
  switch (button.action) {
    case MenuAction::PlayTitle:
      Post(kPreviewTitleChosen, button.target);
      break;
    case MenuAction::PlayAll:
      Post(kPreviewTitleChosen, 0);
      break;
    case MenuAction::GoToPage:
      ShowPage(button.target);
      break;
  }
}

RECT PreviewWindow::Place() const {
  RECT client{};
  GetClientRect(m_window, &client);
  int width = client.right, height = client.right * kDisplayAspectHeight / kDisplayAspectWidth;
  if (height > client.bottom) {
    height = client.bottom;
    width = client.bottom * kDisplayAspectWidth / kDisplayAspectHeight;
  }
  const int left = (client.right - width) / 2, top = (client.bottom - height) / 2;
  return RECT{left, top, left + width, top + height};
}

int PreviewWindow::ButtonAt(int x, int y) const {
  const RECT place = Place();
  const int width = place.right - place.left, height = place.bottom - place.top;
  if (width <= 0 || height <= 0 || x < place.left || x >= place.right || y < place.top || y >= place.bottom) return -1;
  const double storedX = double(x - place.left) * m_format.width / width;
  const double storedY = double(y - place.top) * m_format.height / height;
  for (int index = 0; index < int(m_pictures.buttons.size()); ++index) {
    const MenuButtonInfo& button = m_pictures.buttons[size_t(index)];
    if (storedX >= button.left && storedX < button.right && storedY >= button.top && storedY < button.bottom)
      return index;
  }
  return -1;
}

LRESULT PreviewWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_PAINT:
      Paint();
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTALLKEYS;
    case WM_MOUSEMOVE:
      if (!m_activating) {
        const int button = ButtonAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        if (button >= 0 && button != m_highlight) {
          m_highlight = button;
          InvalidateRect(m_window, nullptr, FALSE);
        }
      }
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(m_window);
      if (!m_activating) {
        const int button = ButtonAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        if (button >= 0) Activate(button);
      }
      return 0;
    case WM_KEYDOWN:
      switch (int(wParam)) {
        case VK_LEFT: MoveHighlight(Direction::Left); return 0;
        case VK_RIGHT: MoveHighlight(Direction::Right); return 0;
        case VK_UP: MoveHighlight(Direction::Up); return 0;
        case VK_DOWN: MoveHighlight(Direction::Down); return 0;
        case VK_RETURN: ActivateHighlighted(); return 0;
      }
      break;
    case WM_TIMER:
      if (wParam == kActivationTimer) {
        KillTimer(m_window, kActivationTimer);
        if (m_activating) {
          m_activating = false;
          InvalidateRect(m_window, nullptr, FALSE);
          if (m_highlight >= 0 && m_highlight < int(m_pictures.buttons.size())) {
            const MenuButtonInfo button = m_pictures.buttons[size_t(m_highlight)];
            Act(button);
          }
        }
        return 0;
      }
      break;
    case WM_NCDESTROY:
      RemovePropW(m_window, kObjectProperty);
      m_window = nullptr;
      m_activating = false;
      return 0;
  }
  return DefWindowProcW(m_window, message, wParam, lParam);
}

void PreviewWindow::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(m_window, &paint);
  RECT client{};
  GetClientRect(m_window, &client);
  engines::Guarded("menu preview paint", [&] {
    if (client.right <= 0 || client.bottom <= 0) return;
    Surface target(cairo_image_surface_create(CAIRO_FORMAT_RGB24, client.right, client.bottom));
    if (cairo_surface_status(target.get()) != CAIRO_STATUS_SUCCESS) return;
    Context cr(cairo_create(target.get()));
    cairo_set_source_rgb(cr.get(), 0, 0, 0);
    cairo_paint(cr.get());

    const int width = m_format.width, height = m_format.height;
    const size_t bytes = size_t(width) * height * 4;
    if (m_pictures.background.size() == bytes) {
      // The page as a player composes it: the highlighted button's overlay (the select overlay
      // while it is being activated) over the picture, inside that button's rectangle only.
      std::vector<uint8_t> shown = m_pictures.background;
      const std::vector<uint8_t>& overlay = m_activating ? m_pictures.select : m_pictures.highlight;
      if (m_highlight >= 0 && m_highlight < int(m_pictures.buttons.size()) && overlay.size() == bytes) {
        const MenuButtonInfo& button = m_pictures.buttons[size_t(m_highlight)];
        for (int y = std::max(0, button.top); y < std::min(height, button.bottom); ++y)
          for (int x = std::max(0, button.left); x < std::min(width, button.right); ++x) {
            const size_t at = (size_t(y) * width + x) * 4;
            if (overlay[at + 3] == 0) continue;
            std::memcpy(&shown[at], &overlay[at], 3);
          }
      }
      Surface page(cairo_image_surface_create_for_data(shown.data(), CAIRO_FORMAT_RGB24, width, height, width * 4));
      const RECT place = Place();
      if (cairo_surface_status(page.get()) == CAIRO_STATUS_SUCCESS && place.right > place.left &&
          place.bottom > place.top) {
        cairo_translate(cr.get(), place.left, place.top);
        cairo_scale(cr.get(), double(place.right - place.left) / width, double(place.bottom - place.top) / height);
        cairo_set_source_surface(cr.get(), page.get(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_GOOD);
        cairo_pattern_set_extend(cairo_get_source(cr.get()), CAIRO_EXTEND_PAD);
        cairo_rectangle(cr.get(), 0, 0, width, height);
        cairo_fill(cr.get());
      }
      cr.reset();  // done with `shown` before it goes
      page.reset();
    } else if (!m_error.empty()) {
      // Say why the page is missing rather than show a black window.
      cairo_select_font_face(cr.get(), "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
      cairo_set_font_size(cr.get(), 13);
      cairo_set_source_rgb(cr.get(), 0.85, 0.85, 0.85);
      // Word-wrapped to the window, each line centred.
      std::vector<std::string> lines{""};
      size_t start = 0;
      while (start < m_error.size()) {
        size_t end = m_error.find(' ', start);
        if (end == std::string::npos) end = m_error.size();
        const std::string word = m_error.substr(start, end - start);
        const std::string longer = lines.back().empty() ? word : lines.back() + " " + word;
        cairo_text_extents_t extents;
        cairo_text_extents(cr.get(), longer.c_str(), &extents);
        if (extents.x_advance > client.right - 16 && !lines.back().empty()) lines.push_back(word);
        else lines.back() = longer;
        start = end + 1;
      }
      const double lineHeight = 18;
      double y = client.bottom / 2.0 - lineHeight * (double(lines.size()) - 1) / 2;
      for (const std::string& line : lines) {
        cairo_text_extents_t extents;
        cairo_text_extents(cr.get(), line.c_str(), &extents);
        cairo_move_to(cr.get(), std::max(4.0, (client.right - extents.x_advance) / 2), y);
        cairo_show_text(cr.get(), line.c_str());
        y += lineHeight;
      }
    }
    cairo_surface_flush(target.get());
    const BITMAPINFO info = platform::TopDownBitmapInfo32(client.right, client.bottom);
    SetDIBitsToDevice(dc, 0, 0, client.right, client.bottom, 0, 0, 0, client.bottom,
                      cairo_image_surface_get_data(target.get()), &info, DIB_RGB_COLORS);
  });
  EndPaint(m_window, &paint);
}

}  // namespace engines::menu
