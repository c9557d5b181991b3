// Menus that a menu data object renders for the job (engines::MenuSource), authored and then
// played the way a DVD player plays them: libdvdnav runs the disc's navigation commands, the
// test presses buttons and records which titles play and which page shows afterwards.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "AuthoringFixtures.h"
#include "engines/DiscTools/DvdVerifier.h"
#include "engines/QM_OutputCtrl/OutputCtrl.h"
#include "engines/QM_OutputCtrl/testing/DiscPlayer.h"
#include "engines/common/EngineHandles.h"
#include "engines/common/MenuSource.h"

namespace fs = std::filesystem;
using engines::MenuAction;
using engines::MenuButtonInfo;

namespace {

// A menu data object with fixed pages: a gradient background, each button's outline in the
// highlight (two colours) and select overlays, and the buttons as given, placed on a
// 720 x 480 grid and scaled to the format's height.
class FakeMenu : public engines::MenuSource {
 public:
  std::vector<std::vector<MenuButtonInfo>> layout;
  std::string failure;      // Describe fails with it when not empty
  int renderHeight = 0;     // renders at this height instead of the format's when not 0
  engines::MenuFormat asked;
  int calls = 0;

  bool Describe(const engines::MenuFormat& format, std::vector<engines::MenuPagePictures>& pages,
                std::string& error) override {
    asked = format;
    ++calls;
    if (!failure.empty()) {
      error = failure;
      return false;
    }
    const int width = format.width, height = renderHeight ? renderHeight : format.height;
    for (const auto& buttons : layout) {
      engines::MenuPagePictures page;
      page.background.resize(static_cast<size_t>(width) * height * 4);
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
          uint8_t* p = &page.background[(static_cast<size_t>(y) * width + x) * 4];
          p[0] = static_cast<uint8_t>(x / 3), p[1] = static_cast<uint8_t>(y / 3), p[2] = 60, p[3] = 255;
        }
      page.highlight.assign(page.background.size(), 0);
      page.select.assign(page.background.size(), 0);
      for (MenuButtonInfo button : buttons) {
        button.top = button.top * height / 480;
        button.bottom = button.bottom * height / 480;
        Outline(page.highlight, width, button, 0xFFFF00, 0x202020);
        Outline(page.select, width, button, 0xFF8000, 0x202020);
        page.buttons.push_back(button);
      }
      pages.push_back(std::move(page));
    }
    return true;
  }

 private:
  // A 3-pixel ring: the outer pixel dark, the inner two in the colour.
  static void Outline(std::vector<uint8_t>& overlay, int width, const MenuButtonInfo& b, uint32_t rgb, uint32_t edge) {
    for (int y = b.top; y < b.bottom; ++y)
      for (int x = b.left; x < b.right; ++x) {
        const int inset = std::min({x - b.left, b.right - 1 - x, y - b.top, b.bottom - 1 - y});
        if (inset > 2) continue;
        const uint32_t colour = inset == 0 ? edge : rgb;
        uint8_t* p = &overlay[(static_cast<size_t>(y) * width + x) * 4];
        p[0] = colour & 0xFF, p[1] = (colour >> 8) & 0xFF, p[2] = (colour >> 16) & 0xFF, p[3] = 255;
      }
  }
};

MenuButtonInfo Button(int column, int row, MenuAction action, int target) {
  const int left = 80 + column * 200, top = 80 + row * 150;
  return {left, top, left + 160, top + 100, action, target};
}

// Page 1: frames of titles 1 and 2, play all, next; page 2: frame of title 3, play all, previous.
std::vector<std::vector<MenuButtonInfo>> ThreeTitleLayout() {
  return {{Button(0, 0, MenuAction::PlayTitle, 0), Button(1, 0, MenuAction::PlayTitle, 1),
           Button(0, 2, MenuAction::PlayAll, 0), Button(2, 2, MenuAction::GoToPage, 1)},
          {Button(0, 0, MenuAction::PlayTitle, 2), Button(1, 2, MenuAction::PlayAll, 0),
           Button(0, 2, MenuAction::GoToPage, 0)}};
}

struct DiscFormat {
  const char* name;
  bool pal;
  bool wide;
  const char* clip;
};

void PrintTo(const DiscFormat& format, std::ostream* out) { *out << format.name; }

class MenuSourceAuthoring : public ::testing::TestWithParam<DiscFormat> {
 protected:
  void SetUp() override {
    fixtures::InstallRecorder();
    unsetenv("BRANTWELL_DVDAUTHOR");
  }
  fixtures::TempFolder temp;
};

TEST_P(MenuSourceAuthoring, PagesPlayTheirTitlesAndComeBack) {
  const DiscFormat& disc = GetParam();
  for (int i = 0; i < 3; ++i) fixtures::Copy(fixtures::ClipPath(disc.clip, 1), temp / ("Slide" + std::to_string(i) + ".mpg"));
  auto menu = std::make_shared<FakeMenu>();
  menu->layout = ThreeTitleLayout();
  const uintptr_t handle = engines::RegisterObject(menu);
  const std::string folder = temp / "DVD";

  const auto outcome = fixtures::Author(temp.path(), folder, handle, 0, disc.pal, disc.wide);
  engines::UnregisterObject(handle);
  ASSERT_EQ(outcome.state, OC_STATE_COMPLETE) << outcome.error;
  EXPECT_EQ(menu->calls, 1);
  EXPECT_EQ(menu->asked.width, 720);
  EXPECT_EQ(menu->asked.height, disc.pal ? 576 : 480);
  EXPECT_EQ(menu->asked.wide, disc.wide);
  EXPECT_EQ(menu->asked.titleCount, 3);

  const auto check = disctools::InspectDvd(folder);
  ASSERT_TRUE(check.ok) << check.error;
  EXPECT_EQ(check.summary.menuButtons, (std::vector<int>{4, 3}));

  outputctrl::testing::DiscPlayer player(folder);
  ASSERT_TRUE(player.ok());
  EXPECT_EQ(player.pageCount(), 2u);
  EXPECT_EQ(player.wideMenus, disc.wide);
  std::vector<int> played;
  ASSERT_EQ(player.RunToMenu(played), 0) << "the disc starts on its first page";
  EXPECT_TRUE(played.empty());

  struct Step {
    int press;                 // button of the showing page, 1-based
    std::vector<int> titles;   // the titles that then play
    int page;                  // the page that shows afterwards
  };
  const Step steps[] = {
      {2, {2}, 0},        // a frame plays its title and returns to its page
      {3, {1, 2, 3}, 0},  // play all, from the first page
      {4, {}, 1},         // next
      {1, {3}, 1},        // a frame on the second page comes back to the second page
      {2, {1, 2, 3}, 1},  // play all, from the second page
      {3, {}, 0},         // previous
      {1, {1}, 0},
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE("step " + std::to_string(i + 1));
    ASSERT_TRUE(player.Press(steps[i].press));
    played.clear();
    EXPECT_EQ(player.RunToMenu(played), steps[i].page);
    EXPECT_EQ(played, steps[i].titles);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, MenuSourceAuthoring,
                         ::testing::Values(DiscFormat{"NtscWide", false, true, "ntsc43"},
                                           DiscFormat{"Pal", true, false, "pal43"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MenuSourceAuthoringErrors, AMenuThatCannotBeMadeFailsTheJob) {
  fixtures::InstallRecorder();
  fixtures::TempFolder temp;
  fixtures::Copy(fixtures::ClipPath("ntsc43", 1), temp / "Slide0.mpg");
  struct Case {
    const char* name;
    std::string failure;
    int renderHeight;
    std::vector<std::vector<MenuButtonInfo>> layout;
    const char* expected;
  };
  const Case cases[] = {
      {"the source fails", "the background 'sea.jpg' no longer loads", 0, {{Button(0, 0, MenuAction::PlayTitle, 0)}},
       "the background 'sea.jpg' no longer loads"},
      {"rendered at PAL height for NTSC", "", 576, {{Button(0, 0, MenuAction::PlayTitle, 0)}},
       "menu page 1's background was not rendered at the disc's 720x480"},
      {"no page", "", 0, {}, "has no page"},
      {"a frame of a title the job lacks", "", 0, {{Button(0, 0, MenuAction::PlayTitle, 4)}}, "does not have"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto menu = std::make_shared<FakeMenu>();
    menu->failure = c.failure;
    menu->renderHeight = c.renderHeight;
    menu->layout = c.layout;
    const uintptr_t handle = engines::RegisterObject(menu);
    const auto outcome = fixtures::Author(temp.path(), temp / "DVD", handle, 0);
    engines::UnregisterObject(handle);
    EXPECT_EQ(outcome.state, OC_STATE_FAILED);
    EXPECT_NE(outcome.error.find(c.expected), std::string::npos) << outcome.error;
    EXPECT_FALSE(fs::exists(temp / "DVD/VIDEO_TS"));
  }
}

}  // namespace
