// dvd-encode run as a child process, as a developer or a script runs it.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ToolRun.h"
#include "engines/media/testing/MediaFixtures.h"

namespace fs = std::filesystem;
using engines::media::testing::Fixture;
using tools_test::ToolRun;

namespace {

fs::path OutputFolder() {
  fs::path folder = fs::path(BRANTWELL_TEST_BIN_DIR) / ("dvd-encode-" + std::to_string(getpid()));
  fs::create_directories(folder);
  return folder;
}

// The output folder goes when the tests end.
class RemoveOutputFolder : public ::testing::Environment {
 public:
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(OutputFolder(), ignored);
  }
};
const auto* const g_removeOutputFolder = ::testing::AddGlobalTestEnvironment(new RemoveOutputFolder);

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

// A minute of small pictures and a tone: long enough to be interrupted while it encodes.
std::string MinuteClip() {
  const fs::path path = engines::media::testing::FixtureFolder() / "minute_mpeg4.avi";
  if (fs::exists(path)) return path.string();
  const fs::path temporary = path.parent_path() / ("tmp-" + std::to_string(getpid()) + "-minute_mpeg4.avi");
  const int result = engines::media::testing::RunProgram(
      {"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=60",
       "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=60", "-c:v", "mpeg4", "-q:v", "8", "-c:a",
       "mp2", "-shortest", temporary.string()});
  if (result != 0) return {};
  fs::rename(temporary, path);
  return path.string();
}

TEST(DvdEncode, RefusesOptionsItCannotUse) {
  const std::string input = Fixture("h264_aac.mp4");
  ASSERT_FALSE(input.empty());
  const std::string output = (OutputFolder() / "refused.mpg").string();
  struct Case {
    std::vector<std::string> arguments;
    const char* said;
  };
  const Case cases[] = {
      {{"--bitrate", "abc", input, output}, "'abc'"},
      {{"--bitrate", "6000k", input, output}, "'6000k'"},
      {{"--maxrate", "-5", input, output}, "'-5'"},
      {{"--maxrate", "99999999999", input, output}, "'99999999999'"},
      {{"--audio", "flac", input, output}, "'flac'"},
      {{"--aspect", "5:4", input, output}, "'5:4'"},
      {{"--speed", input, output}, "'--speed'"},
      {{input, output, "--bitrate"}, "--bitrate needs a value"},
      {{input}, "an input and an output"},
      {{input, input}, "is the input"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.front() + " " + c.said);
    ToolRun run("dvd-encode", c.arguments);
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(run.Wait(), 2);
    EXPECT_NE(run.Errors().find(c.said), std::string::npos) << run.Errors();
    EXPECT_FALSE(fs::exists(output));
  }
}

TEST(DvdEncode, ASoundlessSourceIsANoteAndProgressEndsAtAHundred) {
  const std::string input = Fixture("scope_235.mp4");  // pictures only
  ASSERT_FALSE(input.empty());
  const std::string output = (OutputFolder() / "soundless.mpg").string();
  ToolRun run("dvd-encode", {"--bitrate", "4000", input, output});
  ASSERT_TRUE(run.Started());
  ASSERT_EQ(run.Wait(), 0) << run.Errors();
  const std::string& errors = run.Errors();
  EXPECT_NE(errors.find("dvd-encode: note: '" + input + "' has no sound"), std::string::npos) << errors;
  EXPECT_EQ(errors.find("no audio stream"), std::string::npos) << errors;
  // The last progress figure is the finished file's.
  const size_t last = errors.rfind('%');
  ASSERT_NE(last, std::string::npos) << errors;
  EXPECT_EQ(errors.substr(last - 3, 4), "100%") << errors;
  EXPECT_GT(fs::file_size(output), 0u);
  fs::remove(output);
}

TEST(DvdEncode, AnInputThatCannotBeReadIsReportedOnce) {
  const fs::path folder = OutputFolder();
  const std::string missing = (folder / "missing.mp4").string();
  const std::string text = (folder / "notes.mp4").string();
  {
    std::FILE* file = std::fopen(text.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("not a film\n", file);
    std::fclose(file);
  }
  for (const std::string& input : {missing, text}) {
    SCOPED_TRACE(input);
    const std::string output = (folder / "unread.mpg").string();
    ToolRun run("dvd-encode", {input, output});
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(run.Wait(), 1);
    EXPECT_EQ(Count(run.Errors(), input), 1u) << run.Errors();
    EXPECT_FALSE(fs::exists(output));
  }
  fs::remove(text);
}

TEST(DvdEncode, AnInterruptedRunRemovesItsPartialOutput) {
  const std::string input = MinuteClip();
  ASSERT_FALSE(input.empty());
  for (const int number : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(strsignal(number));
    const std::string output = (OutputFolder() / "interrupted.mpg").string();
    ToolRun run("dvd-encode", {input, output});
    ASSERT_TRUE(run.Started());
    // Interrupted once it is encoding, with its output open.
    ASSERT_TRUE(run.ReadUntil([](const std::string& errors) { return errors.find('%') != std::string::npos; }))
        << run.Errors();
    ASSERT_TRUE(fs::exists(output));
    run.Signal(number);
    EXPECT_EQ(run.Wait(), 128 + number) << run.Errors();
    EXPECT_NE(run.Errors().find("interrupted"), std::string::npos) << run.Errors();
    EXPECT_FALSE(fs::exists(output));
  }
}

}  // namespace
