#include "engines/menu/MenuData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "engines/menu/testing/TestTemplate.h"

namespace {

using namespace engines::menu;
using engines::MenuAction;
using engines::MenuButtonInfo;
using engines::MenuFormat;
using engines::MenuPagePictures;
using fixtures::TempFolder;
using fixtures::U16;

class SolidTitles : public TitleSource {
 public:
  explicit SolidTitles(int count) : count(count) {}
  int Count() const override { return count; }
  TitleThumbnail Title(int index) const override {
    return {u"", 32, 18, fixtures::SolidBgra(32, 18, index == 0 ? 0xE04040u : 0x40C040u)};
  }
  std::u16string ThumbnailPath(int) const override { return u""; }
  int count;
};

// A menu of the test template following `titles` titles, with its menu data.
struct Fixture {
  TempFolder folder;
  std::shared_ptr<Menu> menu = Menu::Create();
  std::shared_ptr<MenuData> data = std::make_shared<MenuData>();

  explicit Fixture(int titles, fixtures::TemplateOptions options = {}) {
    menu->SetTitleSource(std::make_shared<SolidTitles>(titles));
    MenuTemplate layout;
    std::string error;
    EXPECT_TRUE(LoadMenuTemplate(U16(fixtures::WriteTemplate(folder.Path() / "t", options)), layout, error)) << error;
    menu->EditPage(*menu->PageAt(0), [&](PageContent& content) {
      content = ContentFromTemplate(layout);
      return true;
    });
    data->Attach(menu);
  }
};

struct Action {
  MenuAction action;
  int target;
  bool operator==(const Action&) const = default;
};

std::vector<Action> ActionsOf(const MenuPagePictures& page) {
  std::vector<Action> actions;
  for (const auto& b : page.buttons) actions.push_back({b.action, b.target});
  return actions;
}

uint32_t Pixel(const std::vector<uint8_t>& bgra, int width, int x, int y) {
  uint32_t pixel;
  std::memcpy(&pixel, bgra.data() + (static_cast<size_t>(y) * width + x) * 4, 4);
  return pixel;
}

// Checks what a DVD subpicture needs of an overlay: each pixel fully opaque or fully
// transparent, at most three colours, and every opaque pixel inside a button; every button
// outlined. Answers the colours (0xRRGGBB).
std::set<uint32_t> CheckOverlay(const std::vector<uint8_t>& overlay, const MenuFormat& format,
                                const std::vector<MenuButtonInfo>& buttons) {
  EXPECT_EQ(overlay.size(), static_cast<size_t>(format.width) * format.height * 4);
  std::set<uint32_t> colours;
  std::vector<int> outlined(buttons.size());
  for (int y = 0; y < format.height; ++y)
    for (int x = 0; x < format.width; ++x) {
      const uint32_t pixel = Pixel(overlay, format.width, x, y);
      const uint32_t alpha = pixel >> 24;
      if (alpha == 0) continue;
      EXPECT_EQ(alpha, 255u) << "partly transparent at " << x << "," << y;
      colours.insert(pixel & 0xFFFFFF);
      bool inside = false;
      for (size_t i = 0; i < buttons.size(); ++i) {
        const auto& b = buttons[i];
        if (x >= b.left && x < b.right && y >= b.top && y < b.bottom) {
          inside = true;
          ++outlined[i];
        }
      }
      EXPECT_TRUE(inside) << "overlay outside the buttons at " << x << "," << y;
    }
  EXPECT_LE(colours.size(), 3u);
  for (size_t i = 0; i < buttons.size(); ++i) EXPECT_GT(outlined[i], 20) << "button " << i << " has no outline";
  return colours;
}

TEST(MenuData, NtscFourThreeTwoPagesWithTheirButtons) {
  Fixture fixture(5, {.highlight = "#FFD24A", .select = "#FF7A1A"});
  const MenuFormat format{720, 480, false, 5};
  std::vector<MenuPagePictures> pages;
  std::string error;
  ASSERT_TRUE(fixture.data->Describe(format, pages, error)) << error;
  ASSERT_EQ(pages.size(), 2u);
  using A = MenuAction;
  EXPECT_EQ(ActionsOf(pages[0]), (std::vector<Action>{{A::PlayTitle, 0}, {A::PlayTitle, 1}, {A::PlayTitle, 2},
                                                      {A::PlayTitle, 3}, {A::PlayAll, 0}, {A::GoToPage, 1}}));
  EXPECT_EQ(ActionsOf(pages[1]), (std::vector<Action>{{A::PlayTitle, 4}, {A::GoToPage, 0}, {A::PlayAll, 0}}));
  // The canvas's 540 lines squeezed into 480: slot 0 (100,110 .. 300,260) and the play button.
  const auto& frame = pages[0].buttons[0];
  EXPECT_EQ((std::vector<int>{frame.left, frame.top, frame.right, frame.bottom}), (std::vector<int>{100, 98, 300, 231}));
  const auto& play = pages[0].buttons[4];
  EXPECT_EQ((std::vector<int>{play.left, play.top, play.right, play.bottom}), (std::vector<int>{328, 400, 392, 457}));

  for (const auto& page : pages) {
    ASSERT_EQ(page.background.size(), 720u * 480 * 4);
    EXPECT_EQ(CheckOverlay(page.highlight, format, page.buttons), (std::set<uint32_t>{0xFFD24A}));
    EXPECT_EQ(CheckOverlay(page.select, format, page.buttons), (std::set<uint32_t>{0xFF7A1A}));
    EXPECT_TRUE(page.audioFile.empty());
  }
  // Title 1's thumbnail shows in its frame; the frame's ring starts at the slot's edge.
  EXPECT_EQ(Pixel(pages[0].background, 720, 200, 165) & 0xFFFFFF, 0xE04040u);
  EXPECT_EQ(Pixel(pages[0].highlight, 720, 200, 98) >> 24, 255u);
  EXPECT_EQ(Pixel(pages[0].highlight, 720, 200, 101) >> 24, 0u);
  EXPECT_EQ(Pixel(pages[0].highlight, 720, 200, 165) >> 24, 0u);
}

TEST(MenuData, WideKeepsTheElementsInTheCentreAndTheBackgroundCoversTheFrame) {
  Fixture fixture(1);
  const MenuFormat format{720, 480, true, 1};
  std::vector<MenuPagePictures> pages;
  std::string error;
  ASSERT_TRUE(fixture.data->Describe(format, pages, error)) << error;
  ASSERT_EQ(pages.size(), 1u);
  cairo_surface_t* shot = cairo_image_surface_create_for_data(pages[0].background.data(), CAIRO_FORMAT_ARGB32, 720, 480, 720 * 4);
  cairo_surface_write_to_png(shot, BRANTWELL_TEST_BIN_DIR "/menu-disc-wide.png");
  cairo_surface_destroy(shot);
  shot = cairo_image_surface_create_for_data(pages[0].highlight.data(), CAIRO_FORMAT_ARGB32, 720, 480, 720 * 4);
  cairo_surface_write_to_png(shot, BRANTWELL_TEST_BIN_DIR "/menu-disc-wide-highlight.png");
  cairo_surface_destroy(shot);
  // The centre 4:3 area is 540 of the 720 stored pixels: slot 0 at (120 + 100) * 0.75.
  const auto& frame = pages[0].buttons[0];
  EXPECT_EQ((std::vector<int>{frame.left, frame.right}), (std::vector<int>{165, 315}));
  for (const auto& b : pages[0].buttons) {
    EXPECT_GE(b.left, 90);
    EXPECT_LE(b.right, 630);
  }
  // The background picture reaches the frame's left and right edges (no black bars).
  for (int x : {0, 719}) {
    const uint32_t pixel = Pixel(pages[0].background, 720, x, 240);
    EXPECT_GT((pixel & 0xFF) + ((pixel >> 8) & 0xFF), 0x60u) << x;
  }
  CheckOverlay(pages[0].highlight, format, pages[0].buttons);
}

TEST(MenuData, PalAndTheJobsTitleCount) {
  Fixture fixture(6);
  const MenuFormat format{720, 576, false, 3};  // the job authors three of the six titles
  std::vector<MenuPagePictures> pages;
  std::string error;
  ASSERT_TRUE(fixture.data->Describe(format, pages, error)) << error;
  ASSERT_EQ(pages.size(), 1u);
  ASSERT_EQ(pages[0].buttons.size(), 4u);  // three frames and play
  EXPECT_EQ(pages[0].buttons[0].top, 117);  // 110 * 576 / 540
  EXPECT_EQ(pages[0].background.size(), 720u * 576 * 4);
  CheckOverlay(pages[0].select, format, pages[0].buttons);
}

TEST(MenuData, MissingPicturesAndMusicFailTheDescriptionWithTheirPage) {
  Fixture fixture(5);
  const MenuFormat format{720, 480, false, 5};
  std::vector<MenuPagePictures> pages;
  std::string error;
  fixture.menu->EditPage(*fixture.menu->PageAt(1), [](PageContent& content) {
    content.audio = u"/nowhere/music.mp3";
    return true;
  });
  EXPECT_FALSE(fixture.data->Describe(format, pages, error));
  EXPECT_NE(error.find("menu page 2"), std::string::npos) << error;
  fixture.menu->EditPage(*fixture.menu->PageAt(1), [](PageContent& content) {
    content.audio.clear();
    return true;
  });
  std::filesystem::remove(fixture.folder.Path() / "t" / "midbackgnd.png");
  EXPECT_FALSE(fixture.data->Describe(format, pages, error));
  EXPECT_NE(error.find("menu page 1"), std::string::npos) << error;
  EXPECT_NE(error.find("midbackgnd.png"), std::string::npos) << error;

  MenuData detached;
  EXPECT_FALSE(detached.Describe(format, pages, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
