#include "engines/QM_Log/QM_Log.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/testing/Watchdog.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> ReadLines(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The text of a record after its timestamp and thread prefix.
std::string Body(const std::string& line) {
  static const std::regex prefix(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[\d+\] )");
  std::smatch match;
  if (!std::regex_search(line, match, prefix)) return "<no prefix: " + line + ">";
  return match.suffix();
}

// Each test gets its own program folder; the log lands in its "Log" folder.
class LogEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/brantwell-log-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_programFolder = pattern;
    if (const char* old = std::getenv("BRANTWELL_PROGRAM_DIR")) m_oldProgramFolder = old;
    setenv("BRANTWELL_PROGRAM_DIR", m_programFolder.c_str(), 1);
  }
  void TearDown() override {
    // The engine may keep the removed file open; later lines of this process go nowhere.
    setenv("BRANTWELL_PROGRAM_DIR", m_oldProgramFolder.c_str(), 1);
    fs::remove_all(m_programFolder);
  }
  fs::path LogFolder() const { return m_programFolder / "Log"; }

  fs::path m_programFolder;
  std::string m_oldProgramFolder;
};

// Runs first in the process: lines logged before the log is opened are not lost.
TEST_F(LogEngine, LinesBeforeOpeningAreWrittenWhenTheLogOpens) {
  QMLog(u"early line");
  QMOutput("early trace");
  ASSERT_EQ(QMLogInit(u"", -1, 0, 0), 1);
  const auto lines = ReadLines(LogFolder() / "Log.txt");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(Body(lines[0]).find("log opened"), std::string::npos);
  EXPECT_EQ(Body(lines[1]), "early line");
  EXPECT_EQ(Body(lines[2]), "trace: early trace");
}

TEST_F(LogEngine, TextsAreWrittenAsUtf8LinesWithContinuations) {
  ASSERT_EQ(QMLogInit(u"Log.txt", -1, 0, 0), 1);
  QMLog(u"plain");
  QMLog(u"\u523B\u5F55 \U0001F4C0 disc");  // CJK and a character outside the BMP
  QMLog(u"first\r\nsecond\rthird\nfourth\r\n");
  QMLog(nullptr);
  QMLog(u"broken \xD800 surrogate");
  QMOutput("\xE5\x88\xBB\xE5\xBD\x95");
  QMOutput("bad \xFF byte");
  QMOutput(nullptr);

  const auto lines = ReadLines(LogFolder() / "Log.txt");
  const std::vector<std::string> expected = {
      "plain",
      "\xE5\x88\xBB\xE5\xBD\x95 \xF0\x9F\x93\x80 disc",
      "first",
      "\tsecond",
      "\tthird",
      "\tfourth",
      "",
      "broken \xEF\xBF\xBD surrogate",
      "trace: \xE5\x88\xBB\xE5\xBD\x95",
      "trace: bad \xEF\xBF\xBD byte",
      "trace: ",
  };
  ASSERT_EQ(lines.size(), expected.size() + 1);
  for (size_t i = 0; i < expected.size(); ++i) {
    const std::string& line = lines[i + 1];
    EXPECT_EQ(line.rfind('\t', 0) == 0 ? line : Body(line), expected[i]) << "line " << i + 1;
  }
}

TEST_F(LogEngine, ConcurrentThreadsNeverInterleaveLines) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  ASSERT_EQ(QMLogInit(u"Log.txt", -1, 0, 0), 1);
  constexpr int kThreads = 8;
  constexpr int kLines = 2000;
  const std::string payload(300, 'x');
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      while (!go.load()) std::this_thread::yield();
      for (int i = 0; i < kLines; ++i) {
        const std::string text = "T" + std::to_string(t) + " L" + std::to_string(i) + " " + payload;
        if (i % 2 == 0) {
          QMOutput(text.c_str());
        } else {
          QMLog(std::u16string(text.begin(), text.end()).c_str());
        }
      }
    });
  }
  go = true;
  for (auto& thread : threads) thread.join();

  const auto lines = ReadLines(LogFolder() / "Log.txt");
  ASSERT_EQ(lines.size(), 1u + kThreads * kLines);
  const std::regex record("^(trace: )?T(\\d+) L(\\d+) x{300}$");
  std::set<std::pair<int, int>> seen;
  std::vector<int> nextLine(kThreads, 0);
  for (size_t i = 1; i < lines.size(); ++i) {
    std::smatch match;
    const std::string body = Body(lines[i]);
    ASSERT_TRUE(std::regex_match(body, match, record)) << "torn line " << i << ": " << lines[i];
    const int thread = std::stoi(match[2]);
    const int line = std::stoi(match[3]);
    // Each thread's lines keep their order.
    EXPECT_EQ(line, nextLine[thread]++);
    EXPECT_EQ(match[1].matched, line % 2 == 0);
    seen.insert({thread, line});
  }
  EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kLines));
}

// Another copy of the program holds Log.txt (this process, through the engine) and Log(1).txt
// (held directly here); a second process then logs into Log(2).txt.
TEST_F(LogEngine, SecondProcessTakesTheNextFreeNumberedName) {
  ASSERT_EQ(QMLogInit(u"Log.txt", -1, 0, 0), 1);
  QMLog(u"first copy");
  const int held = open((LogFolder() / "Log(1).txt").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(held, 0);
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  ASSERT_EQ(fcntl(held, F_OFD_SETLK, &lock), 0);

  int toChild[2];
  int toParent[2];
  ASSERT_EQ(pipe(toChild), 0);
  ASSERT_EQ(pipe(toParent), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(60);  // the child's own watchdog
    char go = 0;
    if (read(toChild[0], &go, 1) != 1) _exit(2);
    const int32_t opened = QMLogInit(u"", -1, 0, 0);
    QMLog(u"second copy");
    const char answer = opened == 1 ? 'y' : 'n';
    if (write(toParent[1], &answer, 1) != 1) _exit(3);
    _exit(0);
  }
  ASSERT_EQ(write(toChild[1], "g", 1), 1);
  pollfd ready{toParent[0], POLLIN, 0};
  const int polled = poll(&ready, 1, 60000);
  char answer = 0;
  const bool answered = polled == 1 && read(toParent[0], &answer, 1) == 1;
  int status = 0;
  if (!answered) kill(child, SIGKILL);
  waitpid(child, &status, 0);
  for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1], held}) close(fd);

  ASSERT_TRUE(answered) << "the second process did not answer";
  EXPECT_EQ(answer, 'y');
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(ReadAll(LogFolder() / "Log.txt").find("second copy"), std::string::npos);
  EXPECT_EQ(ReadAll(LogFolder() / "Log(1).txt"), "");
  EXPECT_NE(ReadAll(LogFolder() / "Log(2).txt").find("second copy"), std::string::npos);
}

TEST_F(LogEngine, ReopeningReleasesThePreviousFileAndAppends) {
  ASSERT_EQ(QMLogInit(u"Log.txt", -1, 0, 0), 1);
  QMLog(u"one");
  ASSERT_EQ(QMLogInit(u"Trace", -1, 0, 0), 1);
  QMLog(u"two");

  // Log.txt is free again: a new open file description can lock it.
  const int fd = open((LogFolder() / "Log.txt").c_str(), O_WRONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  EXPECT_EQ(fcntl(fd, F_OFD_SETLK, &lock), 0);
  close(fd);

  ASSERT_EQ(QMLogInit(u"Log.txt", -1, 0, 0), 1);
  QMLog(u"three");
  const auto first = ReadLines(LogFolder() / "Log.txt");
  ASSERT_EQ(first.size(), 4u);  // the earlier run's lines are kept
  EXPECT_EQ(Body(first[1]), "one");
  EXPECT_EQ(Body(first[3]), "three");
  const auto second = ReadLines(LogFolder() / "Trace");
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(Body(second[1]), "two");
}

TEST_F(LogEngine, UnusableLogFolderReportsAndKeepsLinesOnStandardError) {
  // A file where the log folder should be.
  std::ofstream(LogFolder()) << "not a folder";
  testing::internal::CaptureStderr();
  const int32_t opened = QMLogInit(u"Log.txt", -1, 0, 0);
  QMLog(u"still visible");
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(opened, 0);
  EXPECT_NE(errors.find("cannot create the log folder"), std::string::npos) << errors;
  EXPECT_NE(errors.find("still visible"), std::string::npos) << errors;
}

}  // namespace
