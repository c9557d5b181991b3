#include "program/job/DiscThreads.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <thread>

#include "JobTestSupport.h"

namespace {

namespace fs = std::filesystem;

// What a window would hear from one thread, with the thread each report came on.
struct Heard {
  std::vector<std::pair<int32_t, int32_t>> progress;  // (Pos, Max)
  std::vector<int32_t> results;
  std::string reason;
  bool offGuiThread = false;
  int progressAfterFinish = 0;

  void Listen(TDiscThread& thread) {
    thread.OnProgress = [this](TDiscThread*, int32_t pos, int32_t max) {
      if (!IsMainThread()) offGuiThread = true;
      if (!results.empty()) ++progressAfterFinish;
      progress.emplace_back(pos, max);
    };
    thread.OnFinish = [this](TDiscThread* sender, int32_t result) {
      if (!IsMainThread()) offGuiThread = true;
      results.push_back(result);
      reason = sender->ErrorText();
    };
  }
};

// Starts a thread, keeps its control, and runs the GUI thread's side until it has reported.
std::shared_ptr<TDiscThreadControl> RunToEnd(TDiscThread* thread, Heard& heard) {
  heard.Listen(*thread);
  std::shared_ptr<TDiscThreadControl> control = thread->Control();
  thread->Start();
  EXPECT_TRUE(jobtest::RunSynchronizedUntil([&] { return control->Reported(); })) << "watchdog: no end reported";
  return control;
}

TQmBurnDiscInfo DiscInformation(const char* drive) {
  TQmBurner burner;
  TQmBurnDiscInfo info{};
  EXPECT_EQ(burner.GetDiscInformation(drive, info), 0) << burner.LastError();
  return info;
}

// One DVD folder and one pseudo-drive (a file libburn writes as it would a disc) for the
// whole suite; the engine finds its drives once.
class DiscThreadsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_folder = new jobtest::ScratchFolder("discthreads");
    s_dvd = *s_folder / "Ferien äöü";
    s_drive = *s_folder / "drive.bin";
    s_dvdMade = jobtest::MakeDvdFolder(s_dvd);
    setenv("BRANTWELL_TEST_DRIVES", s_drive.c_str(), 1);
    setenv("BRANTWELL_SCAN_REAL_DRIVES", "0", 1);
  }
  static void TearDownTestSuite() {
    delete s_folder;
    unsetenv("BRANTWELL_TEST_DRIVES");
    unsetenv("BRANTWELL_SCAN_REAL_DRIVES");
  }
  void SetUp() override { ASSERT_TRUE(s_dvdMade) << "ffmpeg or dvdauthor could not make the DVD folder"; }

  static inline jobtest::ScratchFolder* s_folder = nullptr;
  static inline fs::path s_dvd, s_drive;
  static inline bool s_dvdMade = false;
};

TEST_F(DiscThreadsTest, TheImageThreadWritesTheIsoAndReportsOnTheGuiThread) {
  const fs::path iso = *s_folder / "Ferien.iso";
  Heard heard;
  RunToEnd(new TBurnDirToImage(s_dvd.string(), iso.string(), "FERIEN"), heard);
  ASSERT_EQ(heard.results, std::vector<int32_t>{0}) << heard.reason;
  EXPECT_EQ(heard.reason, "");
  EXPECT_FALSE(heard.offGuiThread);
  ASSERT_FALSE(heard.progress.empty());
  int32_t last = -1;
  for (auto [pos, max] : heard.progress) {
    EXPECT_EQ(max, 10000);
    EXPECT_GE(pos, last);
    last = pos;
  }
  EXPECT_EQ(heard.progress.back(), std::make_pair(10000, 10000));  // full before the end is reported
  EXPECT_EQ(heard.progressAfterFinish, 0);
  ASSERT_TRUE(fs::exists(iso));
  std::ifstream in(iso, std::ios::binary);
  char signature[5] = {};
  in.seekg(16 * 2048 + 1);
  in.read(signature, 5);
  EXPECT_EQ(std::string(signature, 5), "CD001");
  fs::remove(iso);
}

// Two copies on one rewritable pseudo-disc: burn, erase (no progress of its own), burn again.
TEST_F(DiscThreadsTest, BurnsAPseudoDiscErasesItAndBurnsItAgain) {
  fs::remove(s_drive);
  for (int copy = 0; copy < 2; ++copy) {
    SCOPED_TRACE(copy);
    if (copy == 1) {
      ASSERT_EQ(DiscInformation("D:").Status, kQmBurnDiscHasData);
      Heard erased;
      RunToEnd(new TBurnEraseDisc("D:"), erased);
      ASSERT_EQ(erased.results, std::vector<int32_t>{0}) << erased.reason;
      EXPECT_TRUE(erased.progress.empty());
      EXPECT_EQ(DiscInformation("D:").Status, kQmBurnDiscBlank);
    }
    Heard burned;
    RunToEnd(new TBurnDirToDisk(s_dvd.string(), "D:", "FERIEN"), burned);
    ASSERT_EQ(burned.results, std::vector<int32_t>{0}) << burned.reason;
    EXPECT_FALSE(burned.offGuiThread);
    ASSERT_FALSE(burned.progress.empty());
    EXPECT_EQ(burned.progress.back(), std::make_pair(10000, 10000));
    EXPECT_EQ(DiscInformation("D:").Status, kQmBurnDiscHasData);
  }
  std::ifstream in(s_drive, std::ios::binary);
  char signature[5] = {};
  in.seekg(16 * 2048 + 1);
  in.read(signature, 5);
  EXPECT_EQ(std::string(signature, 5), "CD001");
}

// A failed call reaches the window once, with the engine's reason for it.
TEST_F(DiscThreadsTest, AFailureCarriesTheEnginesReason) {
  struct Case {
    const char* name;
    std::function<TDiscThread*()> make;
    std::string reason;
  } cases[] = {
      {"image into a missing folder",
       [] { return new TBurnDirToImage(s_dvd.string(), (*s_folder / "no such folder" / "x.iso").string(), "X"); },
       "genisoimage"},
      {"burn to a missing drive", [] { return new TBurnDirToDisk(s_dvd.string(), "Q:", "X"); }, "there is no drive Q:"},
      {"image of a folder that is no DVD",
       [] { return new TBurnDirToImage(s_folder->path().string(), (*s_folder / "y.iso").string(), "X"); },
       "holds no VIDEO_TS folder"},
      {"erase in a missing drive", [] { return new TBurnEraseDisc("Q:"); }, "there is no drive Q:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Heard heard;
    RunToEnd(c.make(), heard);
    ASSERT_EQ(heard.results.size(), 1u);
    EXPECT_NE(heard.results[0], 0);
    EXPECT_NE(heard.reason.find(c.reason), std::string::npos) << heard.reason;
  }
  EXPECT_FALSE(fs::exists(*s_folder / "y.iso"));
}

// Cancel from the window stops a running image (genisoimage, here a stand-in that never ends,
// is killed) and one that has not started yet; both end with the cancelled code and leave
// nothing at the target.
TEST_F(DiscThreadsTest, CancelStopsTheRunningCallAndOneNotYetStarted) {
  const fs::path started = *s_folder / "standin-started";
  const fs::path standIn = *s_folder / "genisoimage";
  std::ofstream(standIn) << "#!/bin/sh\ntouch '" << started.string() << "'\nexec sleep 60\n";
  fs::permissions(standIn, fs::perms::owner_all);
  setenv("BRANTWELL_GENISOIMAGE", standIn.c_str(), 1);

  // An earlier image at the target stays as it was.
  const fs::path iso = *s_folder / "cancelled.iso";
  std::ofstream(iso) << "earlier image";
  Heard heard;
  auto* thread = new TBurnDirToImage(s_dvd.string(), iso.string(), "X");
  heard.Listen(*thread);
  std::shared_ptr<TDiscThreadControl> control = thread->Control();
  thread->Start();
  ASSERT_TRUE(jobtest::RunSynchronizedUntil([&] { return fs::exists(started); }, 30)) << "watchdog";
  EXPECT_FALSE(control->WaitForReport(100));  // the bound holds while the engine runs on
  EXPECT_TRUE(heard.results.empty());
  control->Cancel();
  ASSERT_TRUE(control->WaitForReport(30000)) << "watchdog: cancel did not end it";
  EXPECT_EQ(heard.results, std::vector<int32_t>{kDiscThreadCancelled});
  EXPECT_NE(heard.reason.find("cancelled"), std::string::npos) << heard.reason;
  std::ifstream earlier(iso);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(earlier), {}), "earlier image");
  EXPECT_FALSE(fs::exists(iso.string() + ".part"));
  unsetenv("BRANTWELL_GENISOIMAGE");

  Heard early;
  auto* notStarted = new TBurnDirToImage(s_dvd.string(), iso.string(), "X");
  notStarted->Control()->Cancel();
  RunToEnd(notStarted, early);
  EXPECT_EQ(early.results, std::vector<int32_t>{kDiscThreadCancelled});
  EXPECT_TRUE(fs::exists(iso));
}

// A window that goes while its thread runs detaches first: nothing reaches it afterwards, and
// the thread still ends and frees itself.
TEST_F(DiscThreadsTest, ADetachedWindowHearsNothingMore) {
  const fs::path iso = *s_folder / "detached.iso";
  auto heard = std::make_unique<Heard>();
  auto* thread = new TBurnDirToImage(s_dvd.string(), iso.string(), "X");
  heard->Listen(*thread);
  std::shared_ptr<TDiscThreadControl> control = thread->Control();
  thread->Start();
  control->Detach();
  heard.reset();  // the window is gone; a report would touch freed memory
  ASSERT_TRUE(jobtest::RunSynchronizedUntil([&] { return control->Reported(); })) << "watchdog";
  EXPECT_TRUE(control->Detached());
  fs::remove(iso);
}

}  // namespace
