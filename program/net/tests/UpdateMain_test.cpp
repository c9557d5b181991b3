// The update window on the headless display against a TLS origin on the loopback: the
// check, what's new, the download with progress, the saved file and its record, the verified
// setup started with its two arguments (a recording script stands in for it), a setup
// without a checksum kept and its folder handed to a recording xdg-open, a tampered file
// never started, and the checks that cannot run.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "NetTestEnvironment.h"
#include "platform/kernel/ProgramFolder.h"
#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "program/core/Config.h"
#include "program/imaging/GPInit.h"
#include "program/net/UpdateHelper.h"
#include "program/net/UpdateMain.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinModule.h"
#include "rtl/DateTime.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"
#include "vcl/Thread.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using testnet::Connection;
using testnet::Request;
using testnet::Server;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

template <class F> bool PumpUntil(F done, std::chrono::milliseconds limit = 20s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    platform::testing::RunUntilIdle();
    CheckSynchronize(5);
  }
  platform::testing::RunUntilIdle();
  return true;
}

class UpdateWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() /
             ("brantwell-update-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder / "home" / ".config");
    fs::create_directories(folder / "downloads");
    fs::create_directories(folder / "bin");
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "PATH"})
      saved.emplace_back(name, getenv(name) ? getenv(name) : "");
    setenv("HOME", (folder / "home").c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    std::ofstream(folder / "home" / ".config" / "user-dirs.dirs")
        << "XDG_DOWNLOAD_DIR=\"" << (folder / "downloads").string() << "\"\n";
    // The desktop's handler: records what it was given.
    WriteScript(folder / "bin" / "xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + (folder / "opened").string() + "'\n");
    setenv("PATH", ((folder / "bin").string() + ":" + saved[2].second).c_str(), 1);
    savedConfig = AppConfig;
    AppConfig.Create(UTF8ToWide((folder / "settings.ini").string()), u"System");
    InitImaging();
    StartSkinModule();
    SkinEngine->SetSkinPath((fs::path(platform::ProgramFolder()) / "Skin" / "Default").string());
    UpdateWindowHooks().MessageBox = [this](const WideString& text, const WideString& caption, UINT) {
      messages.push_back(WideToUTF8(caption) + ": " + WideToUTF8(text));
      return 1;
    };
    UpdateWindowHooks().CheckDone = [this](TUpdateMainForm*) { ++checks; };
    UpdateWindowHooks().DownloadDone = [this](TUpdateMainForm*) { ++downloads; };
    UpdateWindowHooks().BeforeSetup = [this](TUpdateMainForm*) { ++setupsStarted; };
  }
  void TearDown() override {
    if (TUpdateMainForm* form = UpdateMainForm()) delete form;
    platform::testing::RunUntilIdle();
    UpdateWindowHooks() = {};
    DoneApplication();
    StopSkinModule();
    AppConfig = savedConfig;
    for (auto& [name, value] : saved) setenv(name.c_str(), value.c_str(), 1);
    std::error_code error;
    fs::remove_all(folder, error);
  }
  static void WriteScript(const fs::path& path, const std::string& text) {
    std::ofstream(path) << text;
    ::chmod(path.c_str(), 0755);
  }
  // The setup the origin serves: a script that records its arguments.
  std::string SetupScript() const { return "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + (folder / "setup-ran").string() + "'\n"; }
  static std::string Sha256Of(const std::string& text, const fs::path& scratch) {
    std::ofstream(scratch) << text;
    const std::string digest = FileSha256(scratch.string());
    fs::remove(scratch);
    return digest;
  }
  // An origin answering the update description and the setup file.
  std::unique_ptr<Server> Origin(std::function<std::string(uint16_t port)> description, const std::string& setup) {
    auto port = std::make_shared<uint16_t>(0);
    auto server = std::make_unique<Server>(
        [=, this](Connection& c, int) {
          Request request;
          while (c.ReadRequest(request)) {
            std::string body = request.target.rfind("/update.xml", 0) == 0 ? description(*port) : setup;
            if (request.target.rfind("/update.xml", 0) == 0) lastCheckTarget = request.target;
            if (!c.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body)) return;
          }
        },
        &LocalhostCredentials());
    *port = server->Port();
    return server;
  }
  static std::string Description(uint16_t port, const std::string& sha, const std::string& extra = "") {
    return "<?xml version=\"1.0\"?><LiveUpdate><ExeUrl>https://127.0.0.1:" + std::to_string(port) +
           "/files/setup_v2.sh</ExeUrl>" + (sha.empty() ? "" : "<ExeSha256>" + sha + "</ExeSha256>") + extra +
           "<WhatNews><Item><Version>2.6.0.0</Version><Text>Faster menus &amp; more\r\n\r\nA fixed crash</Text></Item>"
           "<Item><Version>2.5.9.0</Version><Text>Older</Text></Item></WhatNews></LiveUpdate>";
  }
  void Check(const Server& origin, const std::string& version = "2.5.7.3") {
    AppConfig.WriteStringA("Http", "UpdateUrl", origin.Url("/update.xml?p=%s&v=%s"));
    const int before = checks;
    RunLiveUpdate(nullptr, true, "ABC", UTF8ToWide(version));
    ASSERT_TRUE(PumpUntil([&] { return checks > before || !UpdateMainForm(); }));
  }
  void Snapshot(const std::string& name) {
    const fs::path out = fs::path(BRANTWELL_TEST_BIN_DIR) / "update-window";
    fs::create_directories(out);
    platform::testing::SaveWindowPng(UpdateMainForm()->Handle(), (out / name).string());
  }

  platform::testing::Watchdog watchdog{90s};
  fs::path folder;
  std::vector<std::pair<std::string, std::string>> saved;
  TConfig savedConfig;
  std::vector<std::string> messages;
  std::string lastCheckTarget;
  int checks = 0;
  int downloads = 0;
  int setupsStarted = 0;
};

TEST_F(UpdateWindowTest, AVerifiedSetupIsDownloadedRecordedAndStartedWithItsTwoArguments) {
  const std::string setup = SetupScript();
  const std::string sha = Sha256Of(setup, folder / "scratch");
  auto origin = Origin([&](uint16_t port) { return Description(port, sha); }, setup);
  Check(*origin);
  TUpdateMainForm* form = UpdateMainForm();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(lastCheckTarget, "/update.xml?p=ABC&v=2.5.7.3");
  EXPECT_EQ(form->CurrentPage(), 2);
  EXPECT_TRUE(form->btnSetup->Visible());
  EXPECT_FALSE(form->btnBuy->Visible());
  const auto& blocks = form->WhatNewWEB->Blocks();
  ASSERT_GE(blocks.size(), 4u);
  EXPECT_EQ(blocks[0].Runs[0].Text, u"Find new version.Would you like to update now?");
  EXPECT_EQ(blocks[1].Runs[0].Text, u"Version: 2.6.0.0");
  EXPECT_EQ(blocks[3].Runs[0].Text, u"Faster menus & more");
  Snapshot("whats-new.png");

  form->btnSetupClick(nullptr);
  EXPECT_EQ(form->CurrentPage(), 1);
  ASSERT_TRUE(PumpUntil([&] { return downloads > 0 && fs::exists(folder / "setup-ran"); }));
  const fs::path saved = folder / "downloads" / "setup_v2.sh";
  ASSERT_TRUE(fs::exists(saved));
  EXPECT_FALSE(fs::exists(folder / "downloads" / "setup_v2.sh.part"));
  struct stat info{};
  ASSERT_EQ(::stat(saved.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_EQ(ReadText(folder / "setup-ran"), "/SILENT\n/DIR=" + platform::ProgramFolder() + "/\n");
  EXPECT_EQ(AppConfig.ReadStringA("DownloadedUpdate", "Version", ""), "2.6.0.0");
  EXPECT_EQ(AppConfig.ReadStringA("DownloadedUpdate", "SetupFile", ""), saved.string());
  EXPECT_EQ(AppConfig.ReadStringA("DownloadedUpdate", "Sha256", ""), sha);
  EXPECT_EQ(setupsStarted, 1);
  EXPECT_TRUE(messages.empty());

  // The next start runs the recorded setup without asking the server.
  PumpUntil([] { return !UpdateMainForm(); });
  fs::remove(folder / "setup-ran");
  const int connections = origin->Connections();
  RunLiveUpdate(nullptr, true, "ABC", u"2.5.7.3");
  ASSERT_TRUE(PumpUntil([&] { return fs::exists(folder / "setup-ran"); }));
  EXPECT_EQ(origin->Connections(), connections);

  // Once the file changed it is never started; the record goes and the server is asked.
  PumpUntil([] { return !UpdateMainForm(); });
  fs::remove(folder / "setup-ran");
  std::ofstream(saved, std::ios::app) << "echo tampered\n";
  Check(*origin);
  EXPECT_FALSE(fs::exists(folder / "setup-ran"));
  EXPECT_FALSE(AppConfig.ValueExists(u"DownloadedUpdate", u"Version"));
  ASSERT_NE(UpdateMainForm(), nullptr);
  EXPECT_EQ(UpdateMainForm()->CurrentPage(), 2);

  // A record not newer than the running program is dropped.
  AppConfig.WriteStringA("DownloadedUpdate", "Version", "2.5.7.3");
  AppConfig.WriteStringA("DownloadedUpdate", "SetupFile", saved.string());
  Check(*origin);
  EXPECT_FALSE(AppConfig.ValueExists(u"DownloadedUpdate", u"SetupFile"));
}

// The window is a plain single-border one with a system menu and a minimize box: its caption
// shows the skin's minimize button beside the close button, and the button minimizes it.
TEST_F(UpdateWindowTest, TheCaptionOffersMinimizeBesideClose) {
  auto origin = Origin([](uint16_t port) { return Description(port, ""); }, "");
  Check(*origin);
  TUpdateMainForm* form = UpdateMainForm();
  ASSERT_NE(form, nullptr);
  const HWND hwnd = form->Handle();
  EXPECT_NE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_MINIMIZEBOX, 0);
  TCaptionButton* minimize = form->MinButton();
  ASSERT_TRUE(minimize->Visible());
  ASSERT_TRUE(form->CloseButton()->Visible());
  const TRect bounds = minimize->BoundsRect();
  EXPECT_EQ(bounds.Right, form->CloseButton()->BoundsRect().Left) << "right beside the close button";
  // Its glyph is drawn: dark pixels inside its bounds.
  const platform::testing::Image picture = platform::testing::ReadWindow(hwnd, true);
  int dark = 0;
  for (int y = bounds.Top; y < bounds.Bottom; ++y)
    for (int x = bounds.Left; x < bounds.Right; ++x)
      if ((picture.At(x, y) & 0xFF) < 0x80) ++dark;
  EXPECT_GE(dark, 8);

  platform::testing::Click(
      platform::testing::ScreenPoint(hwnd, (bounds.Left + bounds.Right) / 2, (bounds.Top + bounds.Bottom) / 2, true));
  ASSERT_TRUE(PumpUntil([&] { return IsIconic(hwnd) != FALSE; }, 5s));
  ShowWindow(hwnd, SW_RESTORE);
  platform::testing::RunUntilIdle();
  EXPECT_FALSE(IsIconic(hwnd));
}

TEST_F(UpdateWindowTest, ASetupWithoutAChecksumIsKeptAndItsFolderShownNeverStarted) {
  const std::string setup = SetupScript();
  auto origin = Origin([&](uint16_t port) { return Description(port, ""); }, setup);
  std::ofstream(folder / "downloads" / "setup_v2.sh") << "someone else's file";
  Check(*origin);
  ASSERT_NE(UpdateMainForm(), nullptr);
  UpdateMainForm()->btnSetupClick(nullptr);
  ASSERT_TRUE(PumpUntil([&] { return downloads > 0; }));
  const fs::path saved = folder / "downloads" / "setup_v2 (2).sh";
  ASSERT_TRUE(fs::exists(saved));
  EXPECT_EQ(ReadText(folder / "downloads" / "setup_v2.sh"), "someone else's file");
  EXPECT_EQ(ReadText(saved), setup);
  ASSERT_TRUE(PumpUntil([&] { return fs::exists(folder / "opened") && !ReadText(folder / "opened").empty(); }, 5s));
  EXPECT_EQ(ReadText(folder / "opened"), (folder / "downloads").string() + "\n");
  EXPECT_EQ(UpdateMainForm()->CurrentPage(), 3);
  EXPECT_NE(UpdateMainForm()->lblInformation->Caption().find(saved.string()), AnsiString::npos);
  Snapshot("saved.png");
  std::this_thread::sleep_for(200ms);
  EXPECT_FALSE(fs::exists(folder / "setup-ran"));
  EXPECT_FALSE(AppConfig.ValueExists(u"DownloadedUpdate", u"Version"));
  EXPECT_EQ(setupsStarted, 0);
}

TEST_F(UpdateWindowTest, ATamperedDownloadIsRemovedAndNeverStarted) {
  const std::string setup = SetupScript();
  auto origin = Origin([&](uint16_t port) { return Description(port, std::string(64, 'a')); }, setup);
  Check(*origin);
  ASSERT_NE(UpdateMainForm(), nullptr);
  UpdateMainForm()->btnSetupClick(nullptr);
  ASSERT_TRUE(PumpUntil([&] { return downloads > 0; }));
  EXPECT_EQ(messages, std::vector<std::string>{"Error: download file failed."});
  EXPECT_TRUE(fs::is_empty(folder / "downloads"));
  std::this_thread::sleep_for(200ms);
  EXPECT_FALSE(fs::exists(folder / "setup-ran"));
  EXPECT_FALSE(AppConfig.ValueExists(u"DownloadedUpdate", u"Version"));
}

TEST_F(UpdateWindowTest, ChecksThatCannotOfferAnUpdateSayWhy) {
  // No address at all: the shipped settings.
  RunLiveUpdate(nullptr, true, "ABC", u"2.5.7.3");
  EXPECT_EQ(messages, std::vector<std::string>{"Error: The LiveUpdate.ini config file is incorrect."});
  messages.clear();

  struct Case {
    const char* name;
    std::string description;
    bool plainHttp;
    int page;
    const char* text;
  } cases[] = {
      {"plain http", "", true, 1, "Fail to check update."},
      {"no version list", "<LiveUpdate><ExeUrl>https://x/s.exe</ExeUrl></LiveUpdate>", false, 1, "Fail to check update."},
      {"not xml", "<html>oops", false, 1, "Fail to check update."},
      {"current", "<r><ExeUrl>https://x/s.exe</ExeUrl><WhatNews><i><Version>2.5.7.3</Version></i></WhatNews></r>", false,
       3, "Your current use is the latest version!"},
      {"text order is not number order",
       "<r><ExeUrl>https://x/s.exe</ExeUrl><WhatNews><i><Version>2.5.10.0</Version></i></WhatNews></r>", false, 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (TUpdateMainForm* form = UpdateMainForm()) delete form;
    std::unique_ptr<Server> origin;
    if (c.plainHttp) {
      origin = std::make_unique<Server>([](Connection&, int) {});
    } else {
      origin = Origin([&](uint16_t) { return c.description; }, "");
    }
    Check(*origin);
    ASSERT_NE(UpdateMainForm(), nullptr);
    EXPECT_EQ(UpdateMainForm()->CurrentPage(), c.page);
    if (c.page == 1) EXPECT_EQ(UpdateMainForm()->lblProgressMsg->Caption(), c.text);
    if (c.page == 3) EXPECT_EQ(UpdateMainForm()->lblInformation->Caption(), c.text);
    if (c.plainHttp) EXPECT_EQ(origin->Connections(), 0);
    if (c.page == 1 && std::string(c.name) == "plain http") Snapshot("check-failed.png");
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(UpdateWindowTest, AnAutomaticCheckFollowsThePeriodInWholeDaysAndEndsSilently) {
  AppConfig.WriteStringA("System", "UpdatePeriod", "7");
  struct Case {
    double daysAgo;
    bool checks;
  } cases[] = {{6.4, false}, {6.5, false}, {6.6, true}, {30, true}};
  for (const Case& c : cases) {
    const TDateTime last = Date() - c.daysAgo;
    WriteLastUpdateTime(last);
    RunLiveUpdate(nullptr, false, "ABC", u"2.5.7.3");
    const bool ran = ReadLastUpdateTime() > last + 1e-3;
    EXPECT_EQ(ran, c.checks) << c.daysAgo;
    PumpUntil([] { return !UpdateMainForm(); }, 2s);
  }
  // Without an address the automatic check says nothing.
  EXPECT_TRUE(messages.empty());
  AppConfig.WriteStringA("System", "UpdatePeriod", "0");
  WriteLastUpdateTime(Date() - 100);
  const TDateTime before = ReadLastUpdateTime();
  RunLiveUpdate(nullptr, false, "ABC", u"2.5.7.3");
  EXPECT_EQ(ReadLastUpdateTime(), before) << "a period of 0 never checks";
}

}  // namespace
