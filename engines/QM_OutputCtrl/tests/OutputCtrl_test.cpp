#include "engines/QM_OutputCtrl/OutputCtrl.h"

#include <gtest/gtest.h>

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/nav_read.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>

#include "AuthoringFixtures.h"
#include "engines/DiscTools/DvdVerifier.h"
#include "engines/QM_DVDTitleList/DVDTitleList.h"
#include "engines/media/MediaLog.h"
#include "engines/media/testing/MediaFixtures.h"
#include "platform/kernel/Unicode.h"

extern "C" {
#include <libavutil/log.h>
}

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

// What a player sees on an authored disc: each title's aspect and length in the disc's
// numbering, and the title each button of each main-menu page jumps to (0: not a title jump).
struct PlayerView {
  std::vector<std::pair<DvdAspect, double>> titles;
  std::vector<std::vector<int>> buttonTitles;
  std::vector<double> pageSeconds;  // how long each main-menu page plays before it loops or holds
};

double Seconds(const dvd_time_t& time) {
  auto bcd = [](uint8_t v) { return (v >> 4) * 10 + (v & 0x0F); };
  const double rate = (time.frame_u >> 6) == 1 ? 25.0 : 30000.0 / 1001;
  return bcd(time.hour) * 3600 + bcd(time.minute) * 60 + bcd(time.second) + bcd(time.frame_u & 0x3F) / rate;
}

PlayerView ReadAsPlayer(const std::string& folder) {
  PlayerView view;
  dvd_reader_t* dvd = DVDOpen(folder.c_str());
  if (!dvd) return view;
  ifo_handle_t* vmg = ifoOpen(dvd, 0);
  for (int t = 0; vmg && vmg->tt_srpt && t < vmg->tt_srpt->nr_of_srpts; ++t) {
    const title_info_t& title = vmg->tt_srpt->title[t];
    ifo_handle_t* vts = ifoOpen(dvd, title.title_set_nr);
    if (!vts) break;
    const int pgcNumber = vts->vts_ptt_srpt->title[title.vts_ttn - 1].ptt[0].pgcn;
    const pgc_t* pgc = vts->vts_pgcit->pgci_srp[pgcNumber - 1].pgc;
    const bool wide = vts->vtsi_mat->vts_video_attr.display_aspect_ratio == 3;
    view.titles.emplace_back(wide ? DvdAspect::SixteenNine : DvdAspect::FourThree, Seconds(pgc->playback_time));
    ifoClose(vts);
  }
  dvd_file_t* menus = DVDOpenFile(dvd, 0, DVD_READ_MENU_VOBS);
  if (vmg && vmg->pgci_ut && menus) {
    const pgcit_t* pages = vmg->pgci_ut->lu[0].pgcit;
    for (int p = 0; p < pages->nr_of_pgci_srp; ++p) {
      const pgc_t* pgc = pages->pgci_srp[p].pgc;
      if (!pgc->cell_playback) continue;
      unsigned char block[2048];
      if (DVDReadBlocks(menus, static_cast<int>(pgc->cell_playback[0].first_sector), 1, block) != 1) continue;
      pci_t pci{};
      navRead_PCI(&pci, block + 0x2d);
      std::vector<int> targets;
      for (int b = 0; b < (pci.hli.hl_gi.btn_ns & 0x3F); ++b) {
        const uint8_t* cmd = pci.hli.btnit[b].cmd.bytes;
        targets.push_back(cmd[0] == 0x30 && (cmd[1] & 0x0F) == 0x02 ? cmd[5] : 0);  // JumpTT
      }
      view.buttonTitles.push_back(targets);
      view.pageSeconds.push_back(Seconds(pgc->playback_time));
    }
  }
  if (menus) DVDCloseFile(menus);
  if (vmg) ifoClose(vmg);
  DVDClose(dvd);
  return view;
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

TEST_F(OutputCtrl, MixedAspectTitlesKeepTheJobsOrderOnTheDisc) {
  // 16:9, 4:3, 16:9 of different lengths: the third title must not join the first one's set.
  fixtures::Copy(fixtures::ClipPath("ntsc169"), temp / "Slide0.mpg");
  fixtures::Copy(fixtures::ClipPath("ntsc43", 3), temp / "Slide1.mpg");
  fixtures::Copy(fixtures::ClipPath("ntsc169", 1), temp / "Slide2.mpg");
  const uintptr_t menu = OCMenuCreate();
  fixtures::AddPage(menu, {{100, 100, 300, 150, OC_ACTION_PLAY_TITLE, 2},
                           {100, 200, 300, 250, OC_ACTION_PLAY_TITLE, 0},
                           {100, 300, 300, 350, OC_ACTION_PLAY_TITLE, 1}});
  const auto outcome = fixtures::Author(temp.path(), dvdFolder, menu, 0);
  ASSERT_EQ(outcome.state, OC_STATE_COMPLETE) << outcome.error;

  const PlayerView view = ReadAsPlayer(dvdFolder);
  ASSERT_EQ(view.titles.size(), 3u);
  const std::pair<DvdAspect, double> expected[] = {
      {DvdAspect::SixteenNine, 2.0}, {DvdAspect::FourThree, 3.0}, {DvdAspect::SixteenNine, 1.0}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(view.titles[i].first, expected[i].first) << "title " << i + 1;
    EXPECT_NEAR(view.titles[i].second, expected[i].second, 0.1) << "title " << i + 1;
  }
  EXPECT_EQ(view.buttonTitles, (std::vector<std::vector<int>>{{3, 1, 2}}));
  OCMenuRelease(menu);
}

std::vector<std::string> loggedLines;
void KeepLine(const char* line) { loggedLines.push_back(line); }

TEST_F(OutputCtrl, MenuRenderingLeavesFfmpegsLogRoutedToOurs) {
  const auto [list, menu] = fixtures::TwoTitlesWithTwoPageMenu();
  ASSERT_EQ(fixtures::Author(temp.path(), dvdFolder, menu, list).state, OC_STATE_COMPLETE);
  // Rendering menus must neither silence FFmpeg for the whole process nor bypass our log.
  loggedLines.clear();
  engines::media::SetLogHook(&KeepLine);
  av_log(nullptr, AV_LOG_ERROR, "a decoder complains\n");
  engines::media::SetLogHook(nullptr);
  EXPECT_EQ(loggedLines, (std::vector<std::string>{"ffmpeg: a decoder complains"}));
  OCMenuRelease(menu);
  TLRelease(list);
}

TEST_F(OutputCtrl, APageWithMusicPlaysAsLongAsItsMusic) {
  const std::string music = temp / "Musik.wav";
  ASSERT_EQ(std::system(("ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=440:sample_rate=44100 -t 2.5 "
                         "-ac 1 '" + music + "'").c_str()),
            0);
  const uintptr_t menu = OCMenuCreate();
  fixtures::AddPage(menu, {{100, 100, 300, 150, OC_ACTION_PLAY_TITLE, 0}, {100, 200, 300, 250, OC_ACTION_GO_TO_PAGE, 1}},
                    480, nullptr, music);
  fixtures::AddPage(menu, {{100, 100, 300, 150, OC_ACTION_GO_TO_PAGE, 0}});
  const auto outcome = fixtures::Author(temp.path(), dvdFolder, menu, 0);
  ASSERT_EQ(outcome.state, OC_STATE_COMPLETE) << outcome.error;
  const PlayerView view = ReadAsPlayer(dvdFolder);
  ASSERT_EQ(view.pageSeconds.size(), 2u);
  EXPECT_NEAR(view.pageSeconds[0], 2.5, 0.1);  // the music, resampled to 48 kHz
  EXPECT_NEAR(view.pageSeconds[1], 1.0, 0.1);  // a silent still: the job's menu length
  EXPECT_EQ(view.buttonTitles, (std::vector<std::vector<int>>{{1, 0}, {0}}));
  OCMenuRelease(menu);
}

// Music that breaks off long before its declared end fails the job, naming the file, instead of
// becoming a page of silence reported as done: 5 s declared, the file cut at 40 % with its index
// in front.
TEST_F(OutputCtrl, APageWhoseMusicIsCutOffFailsTheJob) {
  const std::string cut = temp / "cut.m4a";
  ASSERT_EQ(engines::media::testing::RunProgram({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi",
                                                 "-i", "sine=frequency=660:sample_rate=48000:duration=5", "-ac", "2",
                                                 "-c:a", "aac", "-movflags", "+faststart", cut}),
            0);
  fs::resize_file(cut, fs::file_size(cut) * 2 / 5);
  const uintptr_t menu = OCMenuCreate();
  fixtures::AddPage(menu, {{100, 100, 300, 150, OC_ACTION_PLAY_TITLE, 0}}, 480, nullptr, cut);
  const auto outcome = fixtures::Author(temp.path(), dvdFolder, menu, 0);
  EXPECT_EQ(outcome.state, OC_STATE_FAILED);
  EXPECT_NE(outcome.error.find("cut.m4a"), std::string::npos) << outcome.error;
  OCMenuRelease(menu);
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
