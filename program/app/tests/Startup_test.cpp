// The main block run in-process against the real engines, in a program folder, home and
// runtime folder of the test's own: the first run's settings and folders, the order of the
// module starts and stops and of the engine managers' start and stop, the splash, the single
// instance with the real program started as a second process, and the two failures that end
// the start-up with a message.

#include "program/app/Startup.h"

#include <fcntl.h>
#include <signal.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/kernel/Debugger.h"
#include "platform/kernel/Unicode.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/WinUser.h"
#include "program/app/Splash.h"
#include "program/app/tests/ScratchProgramTest.h"
#include "program/engine/EngineBinding.h"
#include "program/engine/LanguageEngine.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"
#include "vcl/Form.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using app_test::ReadFile;

// Standard error into a file for a scope.
class CapturedStandardError {
 public:
  explicit CapturedStandardError(const fs::path& file) : m_file(file) {
    std::fflush(stderr);
    m_saved = ::dup(STDERR_FILENO);
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
  }
  ~CapturedStandardError() { Restore(); }
  std::string Text() {
    Restore();
    return ReadFile(m_file);
  }

 private:
  void Restore() {
    if (m_saved < 0) return;
    std::fflush(stderr);
    ::dup2(m_saved, STDERR_FILENO);
    ::close(m_saved);
    m_saved = -1;
  }
  fs::path m_file;
  int m_saved = -1;
};

// The process's own message box, as the platform shows it: its caption, answered with Enter.
struct MessageBoxAnswer {
  static inline std::vector<std::string> captions;
  static inline HWND answered = nullptr;
  static void Answer(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowW(u"#32770", nullptr);
    if (!box || box == answered || !IsWindowVisible(box)) return;
    answered = box;
    char caption[256] = {};
    GetWindowTextA(box, caption, 255);
    captions.push_back(caption);
    platform::testing::KeyPress(VK_RETURN);
  }
};

class MainBlock : public app_test::ScratchProgramTest {
 protected:
  void TearDown() override {
    platform::detail::SetDebuggerStatusFile("");
    ScratchProgramTest::TearDown();
  }

  fs::path Settings() const { return SettingsFile(); }
  std::string LogText() const {
    std::string text;
    if (fs::exists(m_program / "Log"))
      for (const auto& entry : fs::directory_iterator(m_program / "Log")) text += ReadFile(entry.path());
    return text;
  }

  // Runs the main block; `shown` runs once the main window shows, and the window closes after.
  int Run(const std::function<void(TCustomForm*)>& shown = {}, bool closeWhenShown = true) {
    TStartupSeams seams;
    seams.ProgramFileName = "brantwell";
    seams.Trace = [this](const AnsiString& event) {
      m_trace.push_back(event);
      if (event == "splash shown") m_splashShowed = Splash != nullptr && IsWindowVisible(Splash->Handle());
    };
    seams.MainFormShown = [this, shown, closeWhenShown](TCustomForm* form) {
      m_mainShown = true;
      m_splashLeftOpen = Splash != nullptr;
      m_caption = form->Caption();
      if (shown) shown(form);
      if (closeWhenShown) form->Close();
    };
    return RunBrantwell(seams);
  }
  bool Traced(const std::string& event) const {
    return std::find(m_trace.begin(), m_trace.end(), event) != m_trace.end();
  }
  // The traced events among `events`, in the order they happened.
  std::vector<std::string> TracedAmong(const std::vector<std::string>& events) const {
    std::vector<std::string> seen;
    for (const std::string& event : m_trace)
      if (std::find(events.begin(), events.end(), event) != events.end()) seen.push_back(event);
    return seen;
  }

  std::vector<std::string> m_trace;
  bool m_mainShown = false;
  bool m_splashShowed = false;
  bool m_splashLeftOpen = false;
  AnsiString m_caption;
};

TEST_F(MainBlock, FirstRunMakesTheWorkFoldersAndStartsAndStopsEverythingOnceInOrder) {
  MakeProgramFolder();
  ASSERT_EQ(Run([](TCustomForm*) {
              // The media engines' own lines reach the program's log.
              int32_t status = 0;
              EXPECT_EQ(DecoderLibrary.QVDCreate(u"/nonexistent/clip-for-the-log.mp4", nullptr, &status, 0), 0u);
            }),
            0);
  EXPECT_TRUE(m_mainShown);
  EXPECT_TRUE(m_splashShowed);
  EXPECT_FALSE(m_splashLeftOpen);
  EXPECT_EQ(Splash, nullptr);
  EXPECT_EQ(m_caption, "Zelvantic Brantwell");

  const std::string settings = ReadFile(Settings());
  const fs::path temp = m_home / ".cache" / "BrantwellTemp";
  const fs::path snapshots = m_home / "Documents" / "Brantwell" / "Snapshot";
  EXPECT_NE(settings.find("TempPath=" + temp.string() + "/"), std::string::npos) << settings;
  EXPECT_NE(settings.find("SnapshotPath=" + snapshots.string() + "\n"), std::string::npos) << settings;
  EXPECT_NE(settings.find("ThumbnailPath=" + (m_program / "Thumbnail").string() + "/"), std::string::npos) << settings;
  EXPECT_NE(settings.find("AppExeName=brantwell\n"), std::string::npos) << settings;
  EXPECT_TRUE(fs::is_directory(temp));
  EXPECT_TRUE(fs::is_directory(snapshots));
  EXPECT_TRUE(fs::is_directory(m_program / "Thumbnail"));

  // One start line, with the product's full name and the program's three-number version.
  const std::string log = LogText();
  const size_t line = log.find("==Zelvantic Brantwell(Version: ");
  ASSERT_NE(line, std::string::npos) << log;
  EXPECT_EQ(log.find("==Zelvantic Brantwell(Version: ", line + 1), std::string::npos) << log;
  const size_t versionEnd = log.find(")===", line);
  ASSERT_NE(versionEnd, std::string::npos);
  const std::string version = log.substr(line + 31, versionEnd - line - 31);
  EXPECT_EQ(std::count(version.begin(), version.end(), '.'), 2) << version;

  EXPECT_NE(log.find("clip-for-the-log.mp4"), std::string::npos) << log;

  const std::vector<std::string> modules = {"start imaging", "start skin",  "start network",  "start controls",
                                            "start fc",      "start form reader", "start engine poster",
                                            "start dialog presenters", "stop dialog presenters", "stop engine poster", "stop controls", "stop network", "stop skin",
                                            "stop imaging"};
  EXPECT_EQ(TracedAmong(modules), modules);
  const std::vector<std::string> steps = {"start engine poster", "work folders",     "skin",
                                          "language",            "splash shown",     "engines started",
                                          "main window shown",   "message loop ended", "MLClose",
                                          "encoder manager stop", "transition manager stop", "decoder manager stop",
                                          "engines unloaded",    "stop engine poster"};
  EXPECT_EQ(TracedAmong(steps), steps);
  // Each manager is stopped once: the unloading finds them stopped.
  EXPECT_FALSE(DecoderLibrary.Started());
  EXPECT_EQ(EncoderLibrary.EngineHandle(), 0);
  EXPECT_FALSE(TransitionManagerStarted());
  EXPECT_FALSE(DecoderLibrary.Loaded());
}

TEST_F(MainBlock, UnderADebuggerThereIsNoSplash) {
  MakeProgramFolder();
  std::ofstream(m_root / "status") << "Name:\tbrantwell\nTracerPid:\t4242\n";
  platform::detail::SetDebuggerStatusFile((m_root / "status").string());
  ASSERT_EQ(Run(), 0);
  EXPECT_TRUE(m_mainShown);
  EXPECT_FALSE(Traced("splash shown"));
  EXPECT_TRUE(Traced("engines started"));
}

TEST_F(MainBlock, SettingsThatHaveValuesAreLeftAloneAndTheFullNameNamesEverything) {
  const fs::path missingTemp = m_root / "not-there" / "temp";
  MakeProgramFolder({}, "[System]\nFullName=Acme Disc Studio\nname=Acme\nTempPath=" + missingTemp.string() +
                            "\nDefLanguage=Klingon\n");
  ASSERT_EQ(Run([](TCustomForm*) {
              // The stored language does not load: English stands in for it.
              EXPECT_EQ(LanguageText(u"BTN_OK_Caption"), u"OK");
            }),
            0);
  EXPECT_EQ(m_caption, "Acme Disc Studio");
  // The main window makes the temporary folder the settings name when it is created.
  EXPECT_TRUE(fs::is_directory(missingTemp));
  const std::string settings = ReadFile(Settings());
  EXPECT_NE(settings.find("TempPath=" + missingTemp.string() + "\n"), std::string::npos) << settings;
  EXPECT_NE(settings.find("DefLanguage=Klingon"), std::string::npos) << settings;
  EXPECT_TRUE(fs::is_directory(m_home / "Documents" / "Acme" / "Snapshot"));
  EXPECT_NE(LogText().find("==Acme Disc Studio(Version: "), std::string::npos);
}

TEST_F(MainBlock, WithoutAFullNameTheDefaultNameServesTheCaptionToo) {
  MakeProgramFolder({}, "[System]\nname=Brantwell\n");
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(m_caption, "Zelvantic Brantwell");
}

TEST_F(MainBlock, ASecondProcessRaisesTheFirstWindowAndEndsWritingNothing) {
  MakeProgramFolder();
  int childStatus = -1;
  bool childEnded = false;
  std::string settingsBefore, logBefore;
  ASSERT_EQ(Run([&](TCustomForm* form) {
              HWND window = form->Handle();
              ShowWindow(window, SW_MINIMIZE);
              platform::testing::RunUntilIdle();
              ASSERT_TRUE(IsIconic(window));
              settingsBefore = ReadFile(Settings());
              logBefore = LogText();

              std::vector<char*> argv = {const_cast<char*>(BRANTWELL_EXECUTABLE), nullptr};
              pid_t child = 0;
              ASSERT_EQ(::posix_spawn(&child, BRANTWELL_EXECUTABLE, nullptr, nullptr, argv.data(), environ), 0);
              // The first process keeps handling messages while the second asks for its window.
              platform::testing::RunUntil(
                  [&] {
                    int status = 0;
                    if (::waitpid(child, &status, WNOHANG) != child) return false;
                    childEnded = true;
                    childStatus = status;
                    return true;
                  },
                  10000);
              if (!childEnded) {
                ::kill(child, SIGKILL);
                ::waitpid(child, nullptr, 0);
              }
              platform::testing::RunUntilIdle();
              EXPECT_FALSE(IsIconic(window));
              EXPECT_EQ(GetForegroundWindow(), window);
              EXPECT_EQ(ReadFile(Settings()), settingsBefore);
              EXPECT_EQ(LogText(), logBefore);
            }),
            0);
  ASSERT_TRUE(childEnded) << "the second process did not end within 10 s";
  ASSERT_TRUE(WIFEXITED(childStatus));
  EXPECT_EQ(WEXITSTATUS(childStatus), 0);
}

TEST_F(MainBlock, TheSearchForARunningCopyPassesOverThisProcesssOwnWindows) {
  MakeProgramFolder();
  ASSERT_EQ(Run([](TCustomForm* form) {
              HWND window = form->Handle();
              ShowWindow(window, SW_MINIMIZE);
              platform::testing::RunUntilIdle();
              ActivatePreviousInstance();
              platform::testing::RunUntilIdle();
              EXPECT_TRUE(IsIconic(window));
              EXPECT_EQ(FindInstanceWindowProc(window, 0), TRUE);
            }),
            0);
}

TEST_F(MainBlock, AStartUpThatCannotGoOnShowsWhyAndEndsWithOne) {
  struct Case {
    const char* name;
    std::set<std::string> leaveOut;
    bool settingsAreAFolder;
    const char* reason;
  };
  const Case cases[] = {
      {"missing player engine", {"QMPlayer.so"}, false, "QMPlayer"},
      {"settings cannot be written", {}, true, "Unable to write to"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& entry : fs::directory_iterator(m_program)) fs::remove_all(entry.path());
    MakeProgramFolder(c.leaveOut);
    if (c.settingsAreAFolder) {
      fs::remove(Settings());
      fs::create_directory(Settings());
    }
    m_trace.clear();
    m_mainShown = false;
    MessageBoxAnswer::captions.clear();
    MessageBoxAnswer::answered = nullptr;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &MessageBoxAnswer::Answer);
    CapturedStandardError captured(m_root / "stderr.txt");
    const int exitCode = Run();
    const std::string errors = captured.Text();
    KillTimer(nullptr, timer);

    EXPECT_EQ(exitCode, 1);
    EXPECT_FALSE(m_mainShown);
    ASSERT_EQ(MessageBoxAnswer::captions.size(), 1u);
    EXPECT_EQ(MessageBoxAnswer::captions[0], "Zelvantic Brantwell");
    // The reason on one line of its own.
    const size_t start = errors.find("brantwell: ");
    ASSERT_NE(start, std::string::npos) << errors;
    const std::string line = errors.substr(start, errors.find('\n', start) - start);
    EXPECT_NE(line.find(c.reason), std::string::npos) << errors;
    // What started is stopped: the managers, the engines and the modules.
    EXPECT_FALSE(DecoderLibrary.Started());
    EXPECT_FALSE(TransitionManagerStarted());
    EXPECT_FALSE(DataProcessLibrary.Loaded());
    EXPECT_TRUE(Traced("stop imaging"));
  }
}

TEST_F(MainBlock, ATerminationSignalClosesTheMainWindowLikeItsCloseButton) {
  MakeProgramFolder();
  platform::detail::SetDebuggerStatusFile("/nonexistent");  // no splash: quicker
  const int exitCode = Run([](TCustomForm*) { ::raise(SIGTERM); }, false);
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(Traced("message loop ended"));
  EXPECT_TRUE(Traced("decoder manager stop"));
  // The handler is the program's only while it runs.
  struct sigaction now = {};
  ::sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}

TEST(AppExeName, IsTheFileNameWithoutItsExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"brantwell", "brantwell"},
      {"/opt/brantwell/brantwell", "brantwell"},
      {"Brantwell.exe", "Brantwell"},
      {"/a/b/dvd.maker.bin", "dvd.maker"},
      {".hidden", ".hidden"},
  };
  for (const auto& [file, name] : cases) EXPECT_EQ(AppExeNameOf(file), name) << file;
}

}  // namespace
