#include "engines/QM_OutputCtrl/OutputCtrl.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>

#include "AuthoringFixtures.h"
#include "engines/DiscTools/DvdVerifier.h"
#include "engines/QM_DVDTitleList/DVDTitleList.h"
#include "platform/kernel/Unicode.h"

namespace fs = std::filesystem;
using disctools::DvdAspect;

namespace {

// Nothing of a job's own folders may stay behind, whatever its outcome.
void ExpectNoScratchLeft(const std::string& tempPath, const std::string& dvdFolder) {
  for (const std::string& folder : {tempPath, dvdFolder}) {
    if (!fs::exists(folder)) continue;
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      EXPECT_NE(name.rfind(".authoring-", 0), 0u) << name;
      EXPECT_NE(name.rfind(".dvd-", 0), 0u) << name;
    }
  }
}

class OutputCtrl : public ::testing::Test {
 protected:
  void SetUp() override {
    fixtures::InstallRecorder();
    fixtures::ClearMessages();
    unsetenv("BRANTWELL_DVDAUTHOR");
    fixtures::Copy(fixtures::ClipPath("ntsc43"), temp / "Slide0.mpg");
    fixtures::Copy(fixtures::ClipPath("ntsc169"), temp / "Slide1.mpg");
    dvdFolder = temp / "DVD";
  }
  void TearDown() override { unsetenv("BRANTWELL_DVDAUTHOR"); }

 public:
  fixtures::TempFolder temp;
  std::string dvdFolder;
};

TEST(OutputCtrlParams, DefaultsAndOffsetsTheJobRelies) {
  uint8_t block[112];
  std::fill(std::begin(block), std::end(block), 0xAB);
  OCInitEncParam(block);
  auto at32 = [&](int offset) { int32_t v; std::memcpy(&v, block + offset, 4); return v; };
  double rate;
  std::memcpy(&rate, block + 16, 8);
  EXPECT_EQ(at32(0), 112);
  EXPECT_EQ(at32(4), 720);
  EXPECT_EQ(at32(8), 480);
  EXPECT_NEAR(rate, 29.97002997, 1e-6);
  EXPECT_EQ(at32(60), 2);
  EXPECT_EQ(at32(76), 48000);
  EXPECT_EQ(at32(80), 2);
  EXPECT_EQ(at32(108), 0);  // reserved tail is zeroed
}

TEST_F(OutputCtrl, AuthorsTwoPageMenuThatLibdvdreadReadsBack) {
  const auto [list, menu] = fixtures::TwoTitlesWithTwoPageMenu();

  const auto outcome = fixtures::Author(temp.path(), dvdFolder, menu, list);
  ASSERT_EQ(outcome.state, OC_STATE_COMPLETE) << outcome.error;

  const auto check = disctools::InspectDvd(dvdFolder);
  ASSERT_TRUE(check.ok) << check.error;
  ASSERT_EQ(check.summary.titles.size(), 2u);
  EXPECT_EQ(check.summary.titles[0].chapters, 2);
  EXPECT_EQ(check.summary.titles[0].aspect, DvdAspect::FourThree);
  EXPECT_EQ(check.summary.titles[1].chapters, 1);
  EXPECT_EQ(check.summary.titles[1].aspect, DvdAspect::SixteenNine);
  EXPECT_EQ(check.summary.menuButtons, (std::vector<int>{3, 2}));
  EXPECT_TRUE(fs::is_directory(dvdFolder + "/AUDIO_TS"));
  ExpectNoScratchLeft(temp.path(), dvdFolder);

  // Progress only rises, stays inside 0..10000 and never takes a value the job would read
  // as a whole percentage; exactly one state message ends the job.
  int last = -1, states = 0;
  for (const auto& m : fixtures::Messages()) {
    EXPECT_EQ(m.window, 77u);
    if (m.message == WM_OUTPUTCTRL_PROGRESS) {
      EXPECT_GE(static_cast<int>(m.wParam), last);
      EXPECT_TRUE(m.wParam == 0 || (m.wParam > 100 && m.wParam <= 10000)) << m.wParam;
      last = static_cast<int>(m.wParam);
    } else if (m.message == WM_OUTPUTCTRL_STATE) {
      EXPECT_EQ(m.wParam, static_cast<uintptr_t>(OC_STATE_COMPLETE));
      ++states;
    }
  }
  EXPECT_EQ(last, 10000);
  EXPECT_EQ(states, 1);
  OCMenuRelease(menu);
  TLRelease(list);
}

TEST_F(OutputCtrl, WithoutMenuTheDiscStartsTheFirstTitle) {
  const auto outcome = fixtures::Author(temp.path(), dvdFolder, 0, 0);
  ASSERT_EQ(outcome.state, OC_STATE_COMPLETE) << outcome.error;
  const auto check = disctools::InspectDvd(dvdFolder);
  ASSERT_TRUE(check.ok) << check.error;
  EXPECT_TRUE(check.summary.hasFirstPlay);
  EXPECT_EQ(check.summary.titles.size(), 2u);
  EXPECT_TRUE(check.summary.menuButtons.empty());
}

TEST_F(OutputCtrl, RefusesWhatWouldMakeABrokenDisc) {
  struct Case {
    const char* name;
    std::function<uintptr_t(OutputCtrl&)> setUp;  // answers the menu handle (or 0)
    const char* expected;
  };
  auto oneButton = [](uintptr_t menu) { return fixtures::AddPage(menu, {{10, 10, 60, 60, OC_ACTION_PLAY_TITLE, 0}}); };
  const Case cases[] = {
      {"PAL title on an NTSC disc",
       [](OutputCtrl& t) { fixtures::Copy(fixtures::ClipPath("pal43"), t.temp / "Slide1.mpg"); return uintptr_t(0); },
       "a disc holds one TV standard"},
      {"MPEG audio on NTSC",
       [](OutputCtrl& t) { fixtures::Copy(fixtures::ClipPath("ntscmp2"), t.temp / "Slide1.mpg"); return uintptr_t(0); },
       "needs AC-3 or LPCM"},
      {"not an MPEG file",
       [](OutputCtrl& t) { std::ofstream(t.temp / "Slide1.mpg") << "not video"; return uintptr_t(0); },
       "title 2"},
      {"no encoded titles",
       [](OutputCtrl& t) { fs::remove(t.temp / "Slide0.mpg"); fs::remove(t.temp / "Slide1.mpg"); return uintptr_t(0); },
       "no encoded title"},
      {"DVD folder already authored",
       [](OutputCtrl& t) { fs::create_directories(t.dvdFolder + "/VIDEO_TS"); return uintptr_t(0); },
       "already holds VIDEO_TS"},
      {"too many buttons",
       [](OutputCtrl&) {
         const uintptr_t menu = OCMenuCreate();
         std::vector<OCMenuButton> buttons;
         for (int i = 0; i < 37; ++i) buttons.push_back({(i % 6) * 110 + 10, (i / 6) * 60 + 10, (i % 6) * 110 + 100, (i / 6) * 60 + 50, OC_ACTION_PLAY_TITLE, 0});
         fixtures::AddPage(menu, buttons);
         return menu;
       },
       "at most 36"},
      {"button to a missing title",
       [](OutputCtrl&) { const uintptr_t m = OCMenuCreate(); fixtures::AddPage(m, {{10, 10, 60, 60, OC_ACTION_PLAY_TITLE, 5}}); return m; },
       "does not have"},
      {"overlapping buttons",
       [](OutputCtrl&) { const uintptr_t m = OCMenuCreate(); fixtures::AddPage(m, {{10, 10, 60, 60, 1, 0}, {50, 50, 90, 90, 1, 1}}); return m; },
       "overlaps"},
      {"menu page of the wrong height",
       [](OutputCtrl&) { const uintptr_t m = OCMenuCreate(); fixtures::AddPage(m, {{10, 10, 60, 60, 1, 0}}, 576); return m; },
       "720x480"},
      {"overlay with four colours",
       [oneButton](OutputCtrl&) {
         std::vector<uint8_t> overlay(720 * 480 * 4, 0);
         for (int i = 0; i < 4; ++i) { overlay[i * 4] = static_cast<uint8_t>(i * 60); overlay[i * 4 + 3] = 255; }
         const uintptr_t m = OCMenuCreate();
         fixtures::AddPage(m, {{10, 10, 60, 60, 1, 0}}, 480, &overlay);
         (void)oneButton;
         return m;
       },
       "more than 3 colours"},
      {"anti-aliased overlay",
       [](OutputCtrl&) {
         std::vector<uint8_t> overlay(720 * 480 * 4, 0);
         overlay[3] = 128;
         const uintptr_t m = OCMenuCreate();
         fixtures::AddPage(m, {{10, 10, 60, 60, 1, 0}}, 480, &overlay);
         return m;
       },
       "anti-aliased"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dvdFolder);
    fixtures::Copy(fixtures::ClipPath("ntsc43"), temp / "Slide0.mpg");
    fixtures::Copy(fixtures::ClipPath("ntsc169"), temp / "Slide1.mpg");
    const uintptr_t menu = c.setUp(*this);
    const auto outcome = fixtures::Author(temp.path(), dvdFolder, menu, 0);
    EXPECT_EQ(outcome.state, OC_STATE_FAILED);
    EXPECT_NE(outcome.error.find(c.expected), std::string::npos) << outcome.error;
    if (std::string(c.name) != "DVD folder already authored") {
      EXPECT_FALSE(fs::exists(dvdFolder + "/VIDEO_TS"));
    }
    ExpectNoScratchLeft(temp.path(), dvdFolder);
    if (menu) OCMenuRelease(menu);
  }
}

TEST_F(OutputCtrl, RefusesChapterBeyondTheTitle) {
  const uintptr_t list = TLCreate();
  TLInsertTitle(list, 0);
  const double marks[] = {0.0, 5.0};
  TLSetTitleChapters(list, 0, marks, 2);
  const auto outcome = fixtures::Author(temp.path(), dvdFolder, 0, list);
  EXPECT_EQ(outcome.state, OC_STATE_FAILED);
  EXPECT_NE(outcome.error.find("beyond the title's end"), std::string::npos) << outcome.error;
  TLRelease(list);
}

TEST_F(OutputCtrl, AFailingToolFailsTheJobEvenWithExitCodeZero) {
  const struct {
    const char* script;
    const char* expected;
  } cases[] = {
      {"echo 'ERR: cannot jump to title 3' >&2; exit 0", "cannot jump to title 3"},
      {"echo 'something odd'; exit 3", "exit code 3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    fixtures::WriteScript(temp / "fake-dvdauthor", c.script);
    setenv("BRANTWELL_DVDAUTHOR", (temp / "fake-dvdauthor").c_str(), 1);
    const auto outcome = fixtures::Author(temp.path(), dvdFolder, 0, 0);
    EXPECT_EQ(outcome.state, OC_STATE_FAILED);
    EXPECT_NE(outcome.error.find(c.expected), std::string::npos) << outcome.error;
    EXPECT_FALSE(fs::exists(dvdFolder + "/VIDEO_TS"));
    ExpectNoScratchLeft(temp.path(), dvdFolder);
  }
}

TEST_F(OutputCtrl, CancelKillsTheToolAndRemovesThePartialFolder) {
  // A stand-in dvdauthor that starts writing into its destination and then hangs.
  const std::string marker = temp / "started";
  fixtures::WriteScript(temp / "slow-dvdauthor",
                        "dest=$(grep -o 'dest=\"[^\"]*\"' \"$2\" | cut -d'\"' -f2)\n"
                        "mkdir -p \"$dest/VIDEO_TS\" && echo partial > \"$dest/VIDEO_TS/VTS_01_1.VOB\"\n"
                        "touch '" + marker + "'\nexec sleep 60");
  setenv("BRANTWELL_DVDAUTHOR", (temp / "slow-dvdauthor").c_str(), 1);
  const uintptr_t ctrl = OCCreateCtrl();
  OCRegisterMsgHwnd(ctrl, 77);
  OCSetTempPath(ctrl, platform::Utf8ToUtf16(temp.path()).c_str());
  OCSetDvdFolder(ctrl, platform::Utf8ToUtf16(dvdFolder).c_str());
  ASSERT_EQ(OCStartProcess(ctrl), 1);
  for (int i = 0; i < 600 && !fs::exists(marker); ++i) usleep(50000);  // watchdog: 30 s
  ASSERT_TRUE(fs::exists(marker));
  EXPECT_EQ(OCGetState(ctrl), OC_STATE_RUNNING);
  OCCancelProcess(ctrl);
  EXPECT_EQ(OCWaitProcess(ctrl, 20000), OC_STATE_CANCELLED);
  EXPECT_FALSE(fs::exists(dvdFolder + "/VIDEO_TS"));
  ExpectNoScratchLeft(temp.path(), dvdFolder);
  bool cancelledPosted = false;
  for (const auto& m : fixtures::Messages()) {
    EXPECT_FALSE(m.message == WM_OUTPUTCTRL_STATE && m.wParam == OC_STATE_COMPLETE);
    cancelledPosted |= m.message == WM_OUTPUTCTRL_STATE && m.wParam == OC_STATE_CANCELLED;
  }
  EXPECT_TRUE(cancelledPosted);
  OCDestroyCtrl(ctrl);
}

}  // namespace
