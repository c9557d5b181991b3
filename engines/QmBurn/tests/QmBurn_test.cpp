// Burning a DVD-Video folder to a test drive: the image streams from genisoimage into the drive,
// so nothing is written beside the folder or in the temporary folder, and a genisoimage that
// fails, stops short or is cancelled never leaves a disc reported as burned.

#include "engines/QmBurn/QmBurn.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "engines/DiscTools/ChildProcess.h"
#include "engines/DiscTools/DvdVerifier.h"

namespace fs = std::filesystem;

namespace {

std::string LastError() {
  char text[1024];
  QmBurn_GetLastError(text, sizeof text);
  return text;
}

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteScript(const fs::path& path, const std::string& body) {
  std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
  chmod(path.c_str(), 0755);
}

bool RunTool(const std::vector<std::string>& command, const std::string& stdoutFile = {}) {
  disctools::ChildSpec child;
  child.program = command.front();
  child.arguments.assign(command.begin() + 1, command.end());
  child.environment = {{"VIDEO_FORMAT", "NTSC"}};
  child.stdoutFile = stdoutFile;
  return disctools::RunChild(child, nullptr).Succeeded();
}

// Every file under `root` with its size: what a folder holds, to see that nothing was added.
std::map<std::string, uintmax_t> Listing(const fs::path& root) {
  std::map<std::string, uintmax_t> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    files[entry.path().string()] = entry.is_regular_file() ? entry.file_size() : 0;
  return files;
}

// Makes a one-title NTSC DVD-Video folder `dvd` (2 s) with ffmpeg and dvdauthor.
bool MakeDvdFolder(const fs::path& dvd) {
  const std::string title = (dvd.parent_path() / "title.mpg").string();
  const bool made =
      RunTool({"ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=720x480:rate=30000/1001:duration=2",
           "-f", "lavfi", "-i", "sine=duration=2:sample_rate=48000", "-target", "ntsc-dvd", "-y", title}) &&
      RunTool({"dvdauthor", "-o", dvd.string(), "-t", title}) && RunTool({"dvdauthor", "-o", dvd.string(), "-T"});
  std::error_code ignored;
  fs::remove(title, ignored);
  return made;
}

struct ProgressLog {
  std::vector<int64_t> done;
  std::function<void()> onReport;
};

int32_t OnProgress(int32_t event, void* userData, int64_t* total, int64_t* done) {
  auto* log = static_cast<ProgressLog*>(userData);
  EXPECT_EQ(event, QMBURN_EVENT_PROGRESS);
  EXPECT_EQ(*total, QMBURN_PROGRESS_TOTAL);
  log->done.push_back(*done);
  if (log->onReport) log->onReport();
  return 0;
}

struct Outcome {
  int32_t code;
  std::string error;
};

class QmBurnStreaming : public ::testing::Test {
 protected:
  // The engine keeps the drive list it scanned, so every test burns to the same drive file.
  static fs::path SuiteRoot() { return fs::path(BRANTWELL_TEST_BIN_DIR) / ("qmburn-" + std::to_string(getpid())); }
  static void SetUpTestSuite() {
    fs::create_directories(SuiteRoot() / "drives");
    setenv("BRANTWELL_TEST_DRIVES", (SuiteRoot() / "drives/disc.bin").c_str(), 1);
    setenv("BRANTWELL_SCAN_REAL_DRIVES", "0", 1);
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(SuiteRoot(), ignored);
  }

  void SetUp() override {
    root = SuiteRoot() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    drive = SuiteRoot() / "drives/disc.bin";
    fs::remove(drive);
    // The folder is burned from a parent of its own, with a temporary folder of its own, so
    // that anything the burn leaves or writes there shows.
    fs::create_directories(root / "parent");
    fs::create_directories(root / "temp");
    ASSERT_TRUE(MakeDvdFolder(root / "parent/DVD")) << "ffmpeg or dvdauthor failed";
    folder = (root / "parent/DVD").string();
    setenv("TMPDIR", (root / "temp").c_str(), 1);
    unsetenv("BRANTWELL_GENISOIMAGE");
  }
  void TearDown() override {
    unsetenv("BRANTWELL_GENISOIMAGE");
    unsetenv("TMPDIR");
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  // Starts burning the folder to D: on another thread; the answer comes with the engine's
  // error text, which is kept per thread.
  std::future<Outcome> StartBurn(ProgressLog& log) {
    return std::async(std::launch::async, [&] {
      const int32_t code = QmBurn_FromTreeToDisc(folder.c_str(), "D:", "BURNTEST", OnProgress, &log);
      return Outcome{code, LastError()};
    });
  }
  // Burns; should the burn hang, it is cancelled after a minute and the test fails.
  Outcome Burn(ProgressLog& log) {
    auto burn = StartBurn(log);
    if (burn.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
      ADD_FAILURE() << "watchdog: the burn hung";
      QmBurn_Cancel("D:");
    }
    return burn.get();
  }

  // Puts a stand-in in genisoimage's place: it sizes the image with the real tool and runs
  // `body` for the pass that writes it.
  void StandIn(const std::string& body) {
    WriteScript(root / "genisoimage", "case \" $* \" in *\" -print-size \"*) exec genisoimage \"$@\";; esac\n" + body);
    setenv("BRANTWELL_GENISOIMAGE", (root / "genisoimage").c_str(), 1);
  }

  fs::path root;
  std::string folder;
  fs::path drive;
};

TEST_F(QmBurnStreaming, FolderBurnsWithoutAnImageBesideItAndReadsBack) {
  const auto parentBefore = Listing(root / "parent");
  const auto tempBefore = Listing(root / "temp");
  ProgressLog log;
  bool changedWhileBurning = false;
  log.onReport = [&] {
    changedWhileBurning |= Listing(root / "parent") != parentBefore || Listing(root / "temp") != tempBefore;
  };
  const Outcome outcome = Burn(log);
  ASSERT_EQ(outcome.code, QMBURN_OK) << outcome.error;
  EXPECT_FALSE(changedWhileBurning) << "a file appeared beside the folder or in the temporary folder";
  EXPECT_EQ(Listing(root / "parent"), parentBefore);
  EXPECT_EQ(Listing(root / "temp"), tempBefore);
  ASSERT_FALSE(log.done.empty());
  EXPECT_EQ(log.done.back(), QMBURN_PROGRESS_TOTAL);
  for (size_t i = 1; i < log.done.size(); ++i) EXPECT_GE(log.done[i], log.done[i - 1]);

  // The disc is the whole image: libdvdread reads the same DVD from it, and every file of the
  // folder comes back from its ISO 9660 tree byte for byte.
  const auto source = disctools::InspectDvd(folder);
  const auto burned = disctools::InspectDvd(drive.string());
  ASSERT_TRUE(burned.ok) << burned.error;
  EXPECT_EQ(burned.summary, source.summary);
  int files = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(folder) / "VIDEO_TS")) {
    const fs::path copy = root / "extracted";
    ASSERT_TRUE(RunTool({"isoinfo", "-i", drive.string(), "-x", "/VIDEO_TS/" + entry.path().filename().string() + ";1"},
                    copy.string()));
    EXPECT_EQ(Contents(copy), Contents(entry.path())) << entry.path().filename();
    ++files;
  }
  EXPECT_EQ(files, 5);
}

// genisoimage ending part way through the image: its own reason, or the short stream, fails
// the burn; the disc written so far is never reported as burned.
TEST_F(QmBurnStreaming, AnImageThatEndsEarlyFailsTheBurn) {
  struct Case {
    const char* name;
    std::string body;
    std::string reason;  // part of the error text
  } cases[] = {
      {"fails with a message",
       "genisoimage \"$@\" 2>/dev/null | head -c 300000\n"
       "echo 'genisoimage: Input/output error. cannot read VTS_01_1.VOB' >&2\nexit 1",
       "cannot read VTS_01_1.VOB"},
      {"stops short and exits 0", "genisoimage \"$@\" 2>/dev/null | head -c 300000", "ended the image early"},
      {"is killed", "genisoimage \"$@\" 2>/dev/null | head -c 300000\nkill -9 $$", "signal 9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ignored;
    fs::remove(drive, ignored);
    StandIn(c.body);
    ProgressLog log;
    const Outcome outcome = Burn(log);
    EXPECT_EQ(outcome.code, QMBURN_ERR_IMAGE);
    EXPECT_NE(outcome.error.find(c.reason), std::string::npos) << outcome.error;
    for (int64_t done : log.done) EXPECT_LT(done, QMBURN_PROGRESS_TOTAL);
  }
  // A folder genisoimage cannot size is refused before the drive is touched.
  WriteScript(root / "genisoimage", "echo 'genisoimage: No such file or directory. Invalid node' >&2\nexit 1");
  std::error_code ignored;
  fs::remove(drive, ignored);
  ProgressLog log;
  const Outcome outcome = Burn(log);
  EXPECT_EQ(outcome.code, QMBURN_ERR_IMAGE);
  EXPECT_NE(outcome.error.find("Invalid node"), std::string::npos) << outcome.error;
  EXPECT_FALSE(fs::exists(drive) && fs::file_size(drive) > 0);
}

// The drive took every byte, but the disc does not read back as the folder's DVD: the burn
// failed, and the whole is never reported.
TEST_F(QmBurnStreaming, ADiscThatDoesNotReadBackFailsTheBurn) {
  // The full image, with its volume descriptors and file system anchors zeroed on the way.
  StandIn("genisoimage \"$@\" 2>/dev/null | { dd bs=2048 count=16 iflag=fullblock 2>/dev/null; "
          "dd bs=2048 count=300 iflag=fullblock of=/dev/null 2>/dev/null; "
          "dd if=/dev/zero bs=2048 count=300 2>/dev/null; cat; }");
  ProgressLog log;
  const Outcome outcome = Burn(log);
  EXPECT_EQ(outcome.code, QMBURN_ERR_WRITE);
  EXPECT_NE(outcome.error.find("does not read back as a DVD"), std::string::npos) << outcome.error;
  EXPECT_NE(outcome.error.find("D:"), std::string::npos) << outcome.error;
  for (int64_t done : log.done) EXPECT_LT(done, QMBURN_PROGRESS_TOTAL);
  // All of it reached the drive: only reading it back told.
  ASSERT_TRUE(fs::exists(drive));
  EXPECT_GT(fs::file_size(drive), 300u * 2048);
}

TEST_F(QmBurnStreaming, CancelStopsGenisoimageMidStream) {
  // The stand-in streams half the image, then waits on with the pipe open.
  const fs::path pidFile = root / "standin.pid";
  StandIn("sectors=$(genisoimage -print-size \"$@\" 2>/dev/null)\n"
          "genisoimage \"$@\" 2>/dev/null | head -c $((sectors * 1024))\n"
          "echo $$ > '" + pidFile.string() + ".part'\nmv '" + pidFile.string() + ".part' '" + pidFile.string() +
          "'\nexec sleep 60");
  ProgressLog log;
  auto burn = StartBurn(log);
  for (int i = 0; i < 600 && !fs::exists(pidFile); ++i) usleep(50000);  // watchdog: 30 s
  ASSERT_TRUE(fs::exists(pidFile));
  const pid_t pid = std::stoi(Contents(pidFile));
  EXPECT_EQ(QmBurn_Cancel("D:"), QMBURN_OK);
  ASSERT_EQ(burn.wait_for(std::chrono::seconds(30)), std::future_status::ready) << "watchdog: cancel did not end the burn";
  const Outcome outcome = burn.get();
  EXPECT_EQ(outcome.code, QMBURN_ERR_CANCELLED);
  EXPECT_NE(outcome.error.find("cancelled"), std::string::npos) << outcome.error;
  // The stand-in is gone (and reaped), not left sleeping on a pipe nobody reads.
  EXPECT_EQ(kill(pid, 0), -1);
  EXPECT_EQ(errno, ESRCH);
  for (int64_t done : log.done) EXPECT_LT(done, QMBURN_PROGRESS_TOTAL);
}

}  // namespace
