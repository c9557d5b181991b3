// A DVD with a designed menu, made by menu-disc from five generated clips (one title each): the
// titles composed and encoded through the timeline, the track decoders and the converter, the
// menu designed by the menu manager on a four-slot template and authored from the menu data
// object. The disc is read back with libdvdread and played with libdvdnav: two pages, buttons
// that play the right titles and come back, "play" playing all five, at most three overlay
// colours; in NTSC 16:9 and in PAL.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <tuple>
#include <stdexcept>
#include <string>
#include <vector>

#include "engines/DiscTools/DvdVerifier.h"
#include "engines/QM_OutputCtrl/testing/DiscPlayer.h"
#include "engines/media/testing/MediaFixtures.h"
#include "platform/testing/Pictures.h"

namespace fs = std::filesystem;
using engines::media::testing::RunProgram;
using outputctrl::testing::DiscPlayer;

namespace {

class Scratch {
 public:
  Scratch() {
    std::string pattern = (fs::path(BRANTWELL_TEST_BIN_DIR) / "scratch-menu-disc-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
  }
  std::string operator/(const std::string& name) const { return (m_path / name).string(); }

 private:
  fs::path m_path;
};

// Five clips of different colours and lengths (1.0 s to 1.8 s), so each title is told by its
// length; made once per test run.
std::vector<std::string> FiveClips() {
  static const char* colours[] = {"red", "green", "blue", "yellow", "purple"};
  std::vector<std::string> clips;
  for (int i = 0; i < 5; ++i) {
    const fs::path path = engines::media::testing::FixtureFolder() / ("menu_disc_clip" + std::to_string(i) + ".mp4");
    if (!fs::exists(path)) {
      const fs::path part = path.string() + "." + std::to_string(getpid()) + ".part.mp4";
      const std::string seconds = std::to_string(1.0 + 0.2 * i);
      if (RunProgram({"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i",
                      std::string("color=c=") + colours[i] + ":size=320x240:rate=30000/1001:duration=" + seconds,
                      "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=" + seconds, "-ac", "2",
                      "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest",
                      part.string()}) != 0)
        return {};
      fs::rename(part, path);
    }
    clips.push_back(path.string());
  }
  return clips;
}

// The default template when the program folder has it; otherwise a four-slot template of the
// same layout made here.
std::string FourSlotTemplate(const Scratch& scratch) {
  const fs::path installed = fs::path(BRANTWELL_BIN_DIR) / "templates" / "Landscape" / "sea1";
  if (fs::exists(installed / "sea1.ini")) return installed.string();
  const fs::path folder = scratch / "templates/Test/four";
  fs::create_directories(folder);
  auto picture = [&](const std::string& name, int width, int height, uint32_t argb, int inset) {
    platform::testing::Image image{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, 0)};
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (x < inset || y < inset || x >= width - inset || y >= height - inset || inset == 0)
          image.pixels[static_cast<size_t>(y) * width + x] = argb;
    if (!platform::testing::SavePng(image, (folder / name).string(), nullptr, platform::testing::Alpha::Keep))
      throw std::runtime_error("cannot write " + name);
  };
  if (RunProgram({"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i",
                  "gradients=size=720x540:duration=1", "-frames:v", "1", (folder / "midbackgnd.jpg").string()}) != 0 ||
      RunProgram({"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i", "color=c=navy:size=190x190",
                  "-frames:v", "1", (folder / "preview.jpg").string()}) != 0)
    throw std::runtime_error("ffmpeg could not make the template's pictures");
  picture("frame.png", 160, 122, 0xFFF0F0F0, 10);
  picture("prev.png", 64, 64, 0xFF3060C0, 0);
  picture("play.png", 64, 64, 0xFF30C060, 0);
  picture("next.png", 64, 64, 0xFFC06030, 0);
  std::ofstream(folder / "four.ini") << "[main]\nname=four\ncategory=Test\npreview=preview.jpg\n"
                                        "background=midbackgnd.jpg\nframe0_image=frame.png\n"
                                        "frame_window=10,10,150,112\nslots=4\n"
                                        "slot0=60,140,300,280\nslot1=420,140,660,280\n"
                                        "slot2=60,300,300,440\nslot3=420,300,660,440\n"
                                        "heading=Main Menu\nheading_rect=60,40,660,110\nheading_font=DejaVu Sans\n"
                                        "heading_size=36\nheading_color=#FFFFFF\n"
                                        "title_font=DejaVu Sans\ntitle_size=16\ntitle_color=#FFFFFF\n"
                                        "[buttons]\nprevbtn=prev.png\nplaybtn=play.png\nnextbtn=next.png\n"
                                        "prev_rect=80,460,144,524\nplay_rect=328,460,392,524\n"
                                        "next_rect=576,460,640,524\n"
                                        "[highlight]\nhighlight_color=#FFD24A\nselect_color=#FF7A1A\n";
  return folder.string();
}

// What pressing a button does: the titles that play, then the page that shows.
struct Outcome {
  std::vector<int> titles;
  int page;
  bool operator<(const Outcome& other) const {
    return std::tie(titles, page) < std::tie(other.titles, other.page);
  }
  bool operator==(const Outcome&) const = default;
};

// Presses each button of `page` on a disc started afresh; `route` is the buttons pressed on
// the way from the first page.
std::vector<Outcome> PressEachButton(const std::string& folder, const std::vector<int>& route, int& count) {
  std::vector<Outcome> outcomes;
  count = 0;
  for (int button = 1; count == 0 || button <= count; ++button) {
    DiscPlayer player(folder);
    std::vector<int> played;
    if (!player.ok() || player.RunToMenu(played) != 0) return {};
    for (int step : route) {
      if (!player.Press(step)) return {};
      player.RunToMenu(played);
    }
    if (count == 0) count = player.ButtonCount();
    if (count == 0) return {};
    played.clear();
    if (!player.Press(button)) return {};
    const int after = player.RunToMenu(played);
    outcomes.push_back({played, after});
  }
  std::sort(outcomes.begin(), outcomes.end());
  return outcomes;
}

struct DiscFormat {
  const char* name;
  bool pal;
  bool wide;
};

void PrintTo(const DiscFormat& format, std::ostream* out) { *out << format.name; }

class MenuDisc : public ::testing::TestWithParam<DiscFormat> {};

TEST_P(MenuDisc, FiveClipsMakeTwoPagesThatPlayTheirTitles) {
  const DiscFormat& disc = GetParam();
  const std::vector<std::string> clips = FiveClips();
  ASSERT_EQ(clips.size(), 5u) << "ffmpeg could not make the clips";
  Scratch scratch;
  const std::string folder = scratch / "DVD";
  const std::string shot = scratch / "page1.png";
  std::vector<std::string> command = {std::string(BRANTWELL_BIN_DIR) + "/menu-disc", "--template",
                                      FourSlotTemplate(scratch), "--aspect", disc.wide ? "16:9" : "4:3", "--shot",
                                      shot};
  if (disc.pal) command.push_back("--pal");
  command.push_back(folder);
  command.insert(command.end(), clips.begin(), clips.end());
  ASSERT_EQ(RunProgram(command), 0);

  // The first page as rendered for the disc, kept for a look beside the test binaries.
  platform::testing::Image page;
  ASSERT_TRUE(platform::testing::LoadPng(shot, &page));
  EXPECT_EQ(page.width, 720);
  EXPECT_EQ(page.height, disc.pal ? 576 : 480);
  fs::copy_file(shot, std::string(BRANTWELL_TEST_BIN_DIR) + "/menu-disc-" + disc.name + ".png",
                fs::copy_options::overwrite_existing);

  const auto check = disctools::InspectDvd(folder);
  ASSERT_TRUE(check.ok) << check.error;
  ASSERT_EQ(check.summary.titles.size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(check.summary.titles[i].pal, disc.pal);
    EXPECT_EQ(check.summary.titles[i].aspect,
              disc.wide ? disctools::DvdAspect::SixteenNine : disctools::DvdAspect::FourThree);
  }
  // 4 frames + play + next; 1 frame + play + previous.
  EXPECT_EQ(check.summary.menuButtons, (std::vector<int>{6, 3}));

  DiscPlayer player(folder);
  ASSERT_TRUE(player.ok());
  EXPECT_EQ(player.wideMenus, disc.wide);

  int count = 0;
  const std::vector<Outcome> first = PressEachButton(folder, {}, count);
  const std::vector<int> all = {1, 2, 3, 4, 5};
  std::vector<Outcome> expected = {{{}, 1}, {{1}, 0}, {{2}, 0}, {{3}, 0}, {{4}, 0}, {all, 0}};
  std::sort(expected.begin(), expected.end());
  ASSERT_EQ(first, expected);

  // The button that leads to the second page, then the second page's buttons.
  int next = 0;
  for (int button = 1; button <= count && next == 0; ++button) {
    DiscPlayer probe(folder);
    std::vector<int> played;
    probe.RunToMenu(played);
    probe.Press(button);
    if (probe.RunToMenu(played) == 1) next = button;
  }
  ASSERT_NE(next, 0);
  const std::vector<Outcome> second = PressEachButton(folder, {next}, count);
  expected = {{{}, 0}, {{5}, 1}, {all, 1}};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(second, expected);
}

INSTANTIATE_TEST_SUITE_P(Formats, MenuDisc,
                         ::testing::Values(DiscFormat{"NtscWide", false, true}, DiscFormat{"Pal", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Every template the program ships loads, renders and authors a disc of one title: its frame
// and the play button, and no page buttons.
TEST(MenuDiscTemplates, EveryShippedTemplateAuthorsAOneTitleDisc) {
  const std::vector<std::string> clips = FiveClips();
  ASSERT_EQ(clips.size(), 5u) << "ffmpeg could not make the clips";
  std::vector<fs::path> templates;
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(BRANTWELL_BIN_DIR) / "templates"))
    if (entry.path().extension() == ".ini") templates.push_back(entry.path().parent_path());
  ASSERT_GE(templates.size(), 6u);
  for (const fs::path& folder : templates) {
    SCOPED_TRACE(folder.string());
    Scratch scratch;
    ASSERT_EQ(RunProgram({std::string(BRANTWELL_BIN_DIR) + "/menu-disc", "--template", folder.string(), "--shot",
                          scratch / "page.png", scratch / "DVD", clips[0]}),
              0);
    const auto check = disctools::InspectDvd(scratch / "DVD");
    ASSERT_TRUE(check.ok) << check.error;
    EXPECT_EQ(check.summary.titles.size(), 1u);
    EXPECT_EQ(check.summary.menuButtons, (std::vector<int>{2}));
  }
}

TEST(MenuDiscTool, RefusesABadCommandLineAndNamesAnUnreadableTitle) {
  Scratch scratch;
  const std::string bin = std::string(BRANTWELL_BIN_DIR) + "/menu-disc";
  EXPECT_EQ(RunProgram({bin}), 2);
  EXPECT_EQ(RunProgram({bin, "--aspect", "5:4", scratch / "DVD", "x.mp4"}), 2);
  EXPECT_EQ(RunProgram({bin, "--template", scratch / "missing", scratch / "DVD", "x.mp4"}), 2);
  std::ofstream(scratch / "broken.mp4") << "not a film";
  EXPECT_EQ(RunProgram({bin, "--template", FourSlotTemplate(scratch), scratch / "DVD", scratch / "broken.mp4"}), 1);
  EXPECT_FALSE(fs::exists(scratch / "DVD/VIDEO_TS"));
}

}  // namespace
