#pragma once

// What the tests of the menu's windows share: a small template folder drawn at test time (a
// flat background, a frame with a window, three round buttons, an INI with the slots the test
// asks for), titles with generated thumbnails, a top-level window that records the messages
// posted to it, and the engines' poster wired to the window manager.

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engines/common/WindowPoster.h"
#include "engines/menu/Menu.h"
#include "engines/menu/MenuTemplate.h"
#include "platform/kernel/Unicode.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/WinUser.h"

namespace menu_testing {

using engines::menu::Rect;

// Colours of the test template (0xRRGGBB).
constexpr uint32_t kBackgroundRgb = 0x203060;
constexpr uint32_t kFrameRgb = 0xF0F0F0;
constexpr uint32_t kHighlightRgb = 0x00FF00;
constexpr uint32_t kSelectRgb = 0xFF00FF;
// Thumbnail colour of title i.
inline uint32_t ThumbnailRgb(int title) {
  static const uint32_t colours[] = {0xE02020, 0x20C040, 0xE0D020, 0x2040E0, 0xC020C0, 0x20C0C0};
  return colours[title % 6];
}

inline void Fill(cairo_t* cr, uint32_t rgb) {
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

inline void WritePng(const std::filesystem::path& path, int width, int height, const auto& draw) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(surface);
  draw(cr);
  cairo_destroy(cr);
  ASSERT_EQ(cairo_surface_write_to_png(surface, path.string().c_str()), CAIRO_STATUS_SUCCESS) << path;
  cairo_surface_destroy(surface);
}

inline std::string RectText(const Rect& rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
         std::to_string(rect.bottom);
}

struct TemplateLayout {
  std::vector<Rect> slots;
  Rect previous{80, 464, 144, 528};
  Rect play{328, 464, 392, 528};
  Rect next{576, 464, 640, 528};
};

// Four slots in two rows of two.
inline TemplateLayout GridLayout() {
  return {{{60, 100, 300, 260}, {420, 100, 660, 260}, {60, 280, 300, 440}, {420, 280, 660, 440}}};
}

// A folder of its own for the running test (the tests of a program may run at once).
inline std::filesystem::path TestFolder(const std::string& prefix) {
  return std::filesystem::path(BRANTWELL_TEST_BIN_DIR) /
         (prefix + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
}

// Writes a template into `folder` (made if missing) and answers the folder with its delimiter.
inline std::u16string WriteTemplate(const std::filesystem::path& folder, const TemplateLayout& layout) {
  std::filesystem::create_directories(folder);
  WritePng(folder / "midbackgnd.png", 720, 540, [](cairo_t* cr) {
    Fill(cr, kBackgroundRgb);
    cairo_paint(cr);
  });
  WritePng(folder / "frame.png", 160, 120, [](cairo_t* cr) {
    Fill(cr, kFrameRgb);
    cairo_rectangle(cr, 0, 0, 160, 120);
    cairo_rectangle(cr, 12, 12, 136, 96);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(cr);
  });
  const std::pair<const char*, uint32_t> buttons[] = {{"prev.png", 0x40E0E0}, {"play.png", 0xFFFFFF}, {"next.png", 0xFF9020}};
  for (const auto& [name, rgb] : buttons)
    WritePng(folder / name, 64, 64, [rgb = rgb](cairo_t* cr) {
      Fill(cr, rgb);
      cairo_arc(cr, 32, 32, 30, 0, 2 * M_PI);
      cairo_fill(cr);
    });
  std::ofstream ini(folder / "test.ini");
  ini << "[main]\nname=test\ncategory=Tests\npreview=midbackgnd.png\nbackground=midbackgnd.png\n"
      << "frame0_image=frame.png\nframe_window=12,12,148,108\nslots=" << layout.slots.size() << "\n";
  for (size_t i = 0; i < layout.slots.size(); ++i) ini << "slot" << i << "=" << RectText(layout.slots[i]) << "\n";
  ini << "heading=\n\n[buttons]\nprevbtn=prev.png\nplaybtn=play.png\nnextbtn=next.png\n"
      << "prev_rect=" << RectText(layout.previous) << "\nplay_rect=" << RectText(layout.play)
      << "\nnext_rect=" << RectText(layout.next) << "\n\n[highlight]\nhighlight_color=#00FF00\nselect_color=#FF00FF\n";
  return platform::Utf8ToUtf16(folder.string() + "/");
}

// A solid thumbnail of title `index`'s colour with a white diagonal, top-down BGRA.
inline engines::menu::TitleThumbnail MakeThumbnail(int index, int width = 160, int height = 120) {
  engines::menu::TitleThumbnail title;
  title.path = u"/thumbnails/title" + platform::Utf8ToUtf16(std::to_string(index)) + u".png";
  title.width = width;
  title.height = height;
  title.bgra.resize(size_t(width) * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t rgb = std::abs(x * height / width - y) < 3 ? 0xFFFFFF : ThumbnailRgb(index);
      uint8_t* p = &title.bgra[(size_t(y) * width + x) * 4];
      p[0] = uint8_t(rgb), p[1] = uint8_t(rgb >> 8), p[2] = uint8_t(rgb >> 16), p[3] = 0xFF;
    }
  return title;
}

class GeneratedTitles : public engines::menu::TitleSource {
 public:
  explicit GeneratedTitles(int count) : m_count(count) {}
  int Count() const override { return m_count; }
  engines::menu::TitleThumbnail Title(int index) const override { return MakeThumbnail(index); }
  std::u16string ThumbnailPath(int index) const override { return MakeThumbnail(index, 1, 1).path; }

 private:
  int m_count;
};

// A menu of `titles` generated titles whose pages all use the template of `folder`.
inline std::shared_ptr<engines::menu::Menu> MakeMenu(const std::u16string& folder, int titles) {
  auto menu = engines::menu::Menu::Create();
  engines::menu::MenuTemplate layout;
  std::string error;
  EXPECT_TRUE(engines::menu::LoadMenuTemplate(folder, layout, error)) << error;
  menu->EditPage(*menu->PageAt(0), [&](engines::menu::PageContent& content) {
    content = engines::menu::ContentFromTemplate(layout);
    return true;
  });
  menu->SetTitleSource(std::make_shared<GeneratedTitles>(titles));
  menu->SyncToTitles();
  return menu;
}

struct Posted {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Messages posted to the recording window, in order.
inline std::vector<Posted>& Recorded() {
  static std::vector<Posted> posted;
  return posted;
}

inline LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_USER && message < WM_APP) Recorded().push_back({message, wParam, lParam});
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

inline bool PostThroughWindowManager(uintptr_t window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return PostMessageW(reinterpret_cast<HWND>(window), message, wParam, lParam) != 0;
}

// A visible top-level window 800 x 600 that records what is posted to it; the engines' poster
// posts through the window manager.
inline HWND MakeRecordingWindow() {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = u"MenuWindowsTestTop";
    return RegisterClassW(&wc) != 0;
  }();
  EXPECT_TRUE(registered);
  engines::SetWindowPoster(&PostThroughWindowManager);
  Recorded().clear();
  return CreateWindowExW(0, u"MenuWindowsTestTop", u"menu windows test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                         0, 800, 600, nullptr, nullptr, nullptr, nullptr);
}

inline bool Near(uint32_t pixel, uint32_t rgb, int tolerance = 24) {
  for (int shift : {0, 8, 16})
    if (std::abs(int((pixel >> shift) & 0xFF) - int((rgb >> shift) & 0xFF)) > tolerance) return false;
  return true;
}

// How many pixels of `image` within [left, right) x [top, bottom) are near `rgb`.
inline int CountNear(const platform::testing::Image& image, int left, int top, int right, int bottom, uint32_t rgb,
                     int tolerance = 24) {
  int count = 0;
  for (int y = std::max(0, top); y < std::min(image.height, bottom); ++y)
    for (int x = std::max(0, left); x < std::min(image.width, right); ++x) count += Near(image.At(x, y), rgb, tolerance);
  return count;
}

inline void SaveShot(HWND window, const std::string& name) {
  std::string error;
  EXPECT_TRUE(platform::testing::SavePng(platform::testing::ReadWindow(window),
                                         std::string(BRANTWELL_TEST_BIN_DIR) + "/" + name, &error))
      << error;
}

}  // namespace menu_testing
