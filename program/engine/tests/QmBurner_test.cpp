#include "program/engine/QmBurner.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <future>
#include <functional>
#include <iterator>

#include "EngineTestSupport.h"
#include "engines/QmBurn/QmBurn.h"
#include "program/core/LogFile.h"
#include "program/engine/BurnerLibrary.h"
#include "program/engine/MediaDecode.h"
#include "rtl/Exceptions.h"

namespace {

namespace fs = std::filesystem;

struct ProgressRecord {
  int32_t event;
  int64_t total, done;
};

TQmBurnProgressEvent Recorder(std::vector<ProgressRecord>& records) {
  return [&records](TQmBurner*, int32_t event, int64_t* total, int64_t* done) {
    records.push_back({event, total ? *total : -1, done ? *done : -1});
  };
}

TEST(QmBurnerTest, ProgressPositionsAreRoundedAndClamped) {
  struct Case {
    int64_t total, done;
    std::optional<int32_t> expected;
  } cases[] = {
      {0, 0, std::nullopt},
      {0, 5, std::nullopt},
      {-10, 5, std::nullopt},
      {10000, 5000, 5000},
      {3, 1, 3333},
      {3, 2, 6667},
      {20000, 1, 0},  // half: to the even neighbour
      {20000, 3, 2},
      {4700000000LL, 4700000000LL, 10000},
      {100, 250, 10000},  // beyond the total
      {100, -5, 0},
      {INT64_MAX, INT64_MAX / 2, 5000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TQmBurner::ProgressPosition(c.total, c.done), c.expected) << c.total << " " << c.done;
  }
}

TEST(QmBurnerTest, TheCallbackDropsEmptyTotalsAndHandsOnTheEnginesCounts) {
  TBurnerLibrary partial("QM_TestPartial.dll");
  std::vector<ProgressRecord> records;
  TQmBurner burner(partial, Recorder(records));
  int64_t total = 0, done = 10;
  TQmBurner::ProgressCallback(12, &burner, &total, &done);  // dropped
  total = -5;
  TQmBurner::ProgressCallback(12, &burner, &total, &done);  // dropped
  TQmBurner::ProgressCallback(12, &burner, nullptr, &done);  // dropped
  total = 4700000000LL, done = 2350000000LL;
  TQmBurner::ProgressCallback(12, &burner, &total, &done);
  total = 200, done = 500;  // beyond its total: the handler rounds and clamps
  TQmBurner::ProgressCallback(12, &burner, &total, &done);
  total = 0;
  TQmBurner::ProgressCallback(3, &burner, &total, &done);  // another event passes unchanged
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].total, 4700000000LL);
  EXPECT_EQ(records[0].done, 2350000000LL);
  EXPECT_EQ(records[1].total, 200);
  EXPECT_EQ(records[1].done, 500);
  EXPECT_EQ(records[2].event, 3);
  EXPECT_EQ(records[2].total, 0);

  TQmBurner silent(partial, nullptr);
  EXPECT_EQ(TQmBurner::ProgressCallback(12, &silent, &total, &done), 0);  // nothing to call
  partial.Unload();
}

TEST(QmBurnerTest, MissingOperationsAnswerOne) {
  TBurnerLibrary partial("QM_TestPartial.dll");
  std::vector<ProgressRecord> records;
  TQmBurner burner(partial, Recorder(records));
  TQmBurnDiscInfo info{};
  TQmBurnDiscSpace space{};
  EXPECT_EQ(burner.Eject("D:"), 0);  // present in the stand-in
  EXPECT_EQ(burner.Erase("D:"), 1);
  EXPECT_EQ(burner.GetDiscInformation("D:", info), 1);
  EXPECT_EQ(burner.GetDiscSpace("D:", space), 1);
  EXPECT_EQ(burner.FromTreeToImage("/tmp/DVD", "/tmp/x.iso", "X"), 1);
  EXPECT_EQ(burner.FromTreeToDisc(u"/tmp/DVD", u"D:", u"X"), 1);
  EXPECT_EQ(burner.Cancel("D:"), 1);
  EXPECT_TRUE(records.empty());
  partial.Unload();

  TBurnerLibrary missing("NoSuchBurner.dll");
  EXPECT_THROW(TQmBurner(missing, nullptr), EOSError);
}

// A failing operation leaves the engine's reason with the burner and in the log, and says which
// entry is missing when the engine lacks one.
TEST(QmBurnerTest, AFailureCarriesTheEnginesReasonToTheCallerAndTheLog) {
  enginetest::ScratchFolder scratch("burn-errors");
  setenv("BRANTWELL_SCAN_REAL_DRIVES", "0", 1);
  unsetenv("BRANTWELL_TEST_DRIVES");
  const std::string logName = "BurnerLogTest-" + std::to_string(getpid()) + ".txt";
  const fs::path logPath = fs::path(BRANTWELL_BIN_DIR) / "Log" / logName;
  // The engine makes the log folder when it is missing; the test leaves the folder as it was.
  const bool logFolderExisted = fs::exists(logPath.parent_path());
  InitLog(platform::Utf8ToUtf16(logName), -1, 0, 0);

  TQmBurner burner;
  const std::string notDvd = (scratch / "not a DVD").string();
  fs::create_directories(notDvd);
  struct Case {
    const char* name;
    std::function<int32_t()> call;
    int32_t code;
    std::string reason;    // part of LastError
    std::string logLine;   // part of the log
  } cases[] = {
      {"no such drive", [&] { return burner.Erase("Q:"); }, QMBURN_ERR_NO_DRIVE, "there is no drive Q:",
       "QmBurn_Erase(Q:) failed with code 3: there is no drive Q:"},
      {"burn to a missing drive", [&] { return burner.FromTreeToDisc(notDvd, "Q:", "X"); }, QMBURN_ERR_NO_DRIVE,
       "there is no drive Q:", "QmBurn_FromTreeToDisc(" + notDvd + " -> Q:) failed with code 3"},
      {"image of a folder that is no DVD",
       [&] { return burner.FromTreeToImage(notDvd, (scratch / "x.iso").string(), "X"); }, QMBURN_ERR_SOURCE,
       "holds no VIDEO_TS folder", "failed with code 8: '" + notDvd + "' holds no VIDEO_TS folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.call(), c.code);
    EXPECT_NE(burner.LastError().find(c.reason), std::string::npos) << burner.LastError();
  }

  TBurnerLibrary partial("QM_TestPartial.dll");
  TQmBurner lacking(partial, nullptr);
  EXPECT_EQ(lacking.Erase("D:"), 1);
  EXPECT_EQ(lacking.LastError(), "the burning engine has no entry QmBurn_Erase");
  EXPECT_EQ(lacking.Eject("D:"), 0);
  EXPECT_EQ(lacking.LastError(), "");
  partial.Unload();

  std::ifstream in(logPath, std::ios::binary);
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const Case& c : cases) EXPECT_NE(log.find(c.logLine), std::string::npos) << c.name << "\n" << log;
  EXPECT_NE(log.find("QmBurn_Erase(D:) failed with code 1: the burning engine has no entry QmBurn_Erase"),
            std::string::npos);
  std::error_code ignored;
  fs::remove(logPath, ignored);
  if (!logFolderExisted) fs::remove(logPath.parent_path(), ignored);  // only when empty
}

// A DVD-Video folder under a name with non-ASCII letters is written into an image and burned
// to a test drive; no letter of its path is lost on the way.
TEST(QmBurnerTest, WritesAnImageAndBurnsAFolderWithANonAsciiName) {
  enginetest::BindMediaEngines();
  enginetest::ScratchFolder scratch("burn");
  const fs::path holder = scratch / "Ferien äöü 日本";
  fs::create_directories(holder);
  const fs::path title = scratch / "title.mpg";
  {
    const std::string clip = enginetest::OneSecondClip();
    ASSERT_FALSE(clip.empty());
    IntfPtr<IVideoDecoder> video = TVideoDecoder::Create(platform::Utf8ToUtf16(clip));
    IntfPtr<IAudioDecoder> audio = TAudioDecoder::Create(platform::Utf8ToUtf16(clip));
    TMediaEncoder encoder(video->GetHandle(), audio->GetHandle());
    enginetest::EncodeLog log;
    ASSERT_EQ(enginetest::EncodeAndWait(encoder, title, log), 0);
  }
  const fs::path dvd = holder / "DVD";
  setenv("VIDEO_FORMAT", "NTSC", 1);
  ASSERT_EQ(engines::media::testing::RunProgram({"dvdauthor", "-o", dvd.string(), "-t", title.string()}), 0);
  ASSERT_EQ(engines::media::testing::RunProgram({"dvdauthor", "-o", dvd.string(), "-T"}), 0);

  const fs::path drive = holder / "disc.bin";
  setenv("BRANTWELL_TEST_DRIVES", drive.string().c_str(), 1);
  setenv("BRANTWELL_SCAN_REAL_DRIVES", "0", 1);

  std::vector<ProgressRecord> records;
  TQmBurner burner(Recorder(records));
  // An image that cannot be written fails with genisoimage's reason; the next success clears it.
  EXPECT_EQ(burner.FromTreeToImage(dvd.string(), (holder / "no such folder" / "x.iso").string(), "X"),
            QMBURN_ERR_IMAGE);
  EXPECT_NE(burner.LastError().find("genisoimage"), std::string::npos) << burner.LastError();
  EXPECT_NE(burner.LastError().find("no such folder/x.iso"), std::string::npos) << burner.LastError();
  records.clear();
  const fs::path image = holder / "Ferien.iso";
  ASSERT_EQ(burner.FromTreeToImage(platform::Utf8ToUtf16(dvd.string()), platform::Utf8ToUtf16(image.string()),
                                   u"FERIEN"),
            0);
  EXPECT_EQ(burner.LastError(), "");
  ASSERT_TRUE(fs::exists(image));
  EXPECT_GT(fs::file_size(image), 0u);
  ASSERT_FALSE(records.empty());
  for (const ProgressRecord& r : records) {
    if (r.event != kQmBurnEventProgress) continue;
    EXPECT_EQ(r.total, kQmBurnProgressScale);
    EXPECT_GE(r.done, 0);
    EXPECT_LE(r.done, kQmBurnProgressScale);
  }

  TQmBurnDiscInfo info{};
  ASSERT_EQ(burner.GetDiscInformation("D:", info), 0);
  EXPECT_EQ(info.Status, kQmBurnDiscBlank);
  TQmBurnDiscSpace space{};
  ASSERT_EQ(burner.GetDiscSpace("D:", space), 0);
  EXPECT_GT(space.liAvailableSpace, 1000000000);

  records.clear();
  ASSERT_EQ(burner.FromTreeToDisc(dvd.string(), "D:", "FERIEN"), 0);
  EXPECT_FALSE(records.empty());
  ASSERT_TRUE(fs::exists(drive));
  EXPECT_GE(fs::file_size(drive), fs::file_size(image) - 2048 * 16);
  // The burned disc carries an ISO 9660 volume.
  std::ifstream in(drive, std::ios::binary);
  char signature[5] = {};
  in.seekg(16 * 2048 + 1);
  in.read(signature, 5);
  EXPECT_EQ(std::string(signature, 5), "CD001");

  // Without a progress event the engine's reports go nowhere.
  TQmBurner quiet;
  EXPECT_EQ(quiet.FromTreeToImage(dvd.string(), (holder / "quiet.iso").string(), "QUIET"), 0);

  // Cancel, from another thread than the one writing, stops an image part way: genisoimage
  // (a stand-in that never ends) is killed, the writer answers "cancelled" with the engine's
  // reason, and nothing is left at the target.
  const fs::path started = holder / "standin-started";
  const fs::path standIn = holder / "genisoimage";
  std::ofstream(standIn) << "#!/bin/sh\ntouch '" << started.string() << "'\nexec sleep 60\n";
  fs::permissions(standIn, fs::perms::owner_all);
  setenv("BRANTWELL_GENISOIMAGE", standIn.c_str(), 1);
  const fs::path cancelled = holder / "cancelled.iso";
  EXPECT_NE(burner.Cancel(cancelled.string()), 0);  // nothing runs there yet
  auto writing = std::async(std::launch::async, [&] {
    TQmBurner writer;
    const int32_t code = writer.FromTreeToImage(dvd.string(), cancelled.string(), "CANCEL");
    return std::make_pair(code, writer.LastError());
  });
  for (int i = 0; i < 600 && !fs::exists(started); ++i) usleep(50000);  // watchdog: 30 s
  ASSERT_TRUE(fs::exists(started));
  EXPECT_EQ(burner.Cancel(platform::Utf8ToUtf16(cancelled.string())), 0);
  ASSERT_EQ(writing.wait_for(std::chrono::seconds(30)), std::future_status::ready) << "watchdog: cancel did not end it";
  const auto [code, reason] = writing.get();
  EXPECT_EQ(code, QMBURN_ERR_CANCELLED);
  EXPECT_NE(reason.find("cancelled"), std::string::npos) << reason;
  EXPECT_FALSE(fs::exists(cancelled));
  EXPECT_FALSE(fs::exists(cancelled.string() + ".part"));
  unsetenv("BRANTWELL_GENISOIMAGE");
  unsetenv("BRANTWELL_TEST_DRIVES");
  unsetenv("BRANTWELL_SCAN_REAL_DRIVES");
}

}  // namespace
