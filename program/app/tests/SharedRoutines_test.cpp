// The shared routines: time texts, captions, the disk-space check on one and two file systems,
// the ISO name at a fixed time, scrambled settings, paths, folder emptying with its refusals,
// the temporary and documents folders, web pages and published properties.

#include "program/app/SharedRoutines.h"
#include "program/app/tests/ScratchProgramTest.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

#include "platform/kernel/ErrorText.h"
#include "platform/kernel/UserInfo.h"
#include "platform/kernel/WinError.h"
#include "platform/testing/LoginManagerStandIn.h"
#include "platform/testing/Processes.h"
#include "platform/user/MessageBox.h"
#include "program/core/Config.h"
#include "rtl/DateTime.h"
#include "rtl/Strings.h"
#include "vcl/Font.h"
#include "vcl/Label.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

using app_test::ScopedEnv;

// A scratch folder with its own settings file, home and XDG folders.
class SharedRoutinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("shared-routines-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root / "home");
    root = fs::canonical(root);
    saved = AppConfig;
    AppConfig.Create(UTF8ToWide((root / "settings.ini").string()), u"System");
  }
  void TearDown() override {
    AppConfig = saved;
    SetDiskSpaceProbe({});
    std::error_code error;
    fs::permissions(root, fs::perms::owner_all, error);
    fs::remove_all(root, error);
  }

  fs::path root;
  TConfig saved;
  ScopedEnv home{"HOME", std::nullopt};
  ScopedEnv configHome{"XDG_CONFIG_HOME", std::nullopt};
  ScopedEnv cacheHome{"XDG_CACHE_HOME", std::nullopt};
  ScopedEnv dataHome{"XDG_DATA_HOME", std::nullopt};
};

TEST(SharedRoutines, TimeTexts) {
  struct Case {
    Cardinal seconds;
    const char* text;
  } cases[] = {{0, "00:00:00"}, {59, "00:00:59"}, {3725, "01:02:05"}, {360000, "100:00:00"}, {86399, "23:59:59"}};
  for (const Case& c : cases) {
    EXPECT_EQ(FormatSeconds(c.seconds), c.text);
    EXPECT_EQ(FormatDuration(c.seconds), c.text);
  }
  struct Parse {
    const char* text;
    Cardinal seconds;
  } parses[] = {{"01:02:05", 3725}, {"2:30", 7230}, {"45", 45}, {"no digits", 0}, {"1:x:5", 3605}, {"", 0}};
  for (const Parse& p : parses) EXPECT_EQ(ParseTime(p.text), p.seconds) << p.text;
  EXPECT_EQ(SpacesToZeros(" 1: 2: 3"), "01:02:03");
}

TEST(SharedRoutines, StringsAndCaptions) {
  EXPECT_EQ(CenterInSevenChars("Edit"), "  Edit ");
  EXPECT_EQ(CenterInSevenChars("Menu2"), " Menu2 ");
  EXPECT_EQ(CenterInSevenChars("Preview"), "Preview");
  EXPECT_EQ(CenterInSevenChars("Storyboard"), "Storyboard");
  EXPECT_EQ(CopyBeforeLast('.', "brantwell.setup.exe"), "brantwell.setup");
  EXPECT_EQ(CopyBeforeLast('.', "brantwell"), "");
  EXPECT_EQ(CopyAfterLast('.', "brantwell.setup.exe"), "exe");
  EXPECT_EQ(CopyAfterLast('.', "brantwell"), "");
  EXPECT_EQ(GetDriveLetter("D:\\ISO"), "D:");
  struct Caption {
    UINT flags;
    const char* caption;
  } captions[] = {{MB_ICONWARNING, "Warning"}, {MB_ICONERROR, "Error"}, {MB_ICONQUESTION, "Confirm"},
                  {MB_ICONINFORMATION, "Information"}, {MB_OK, "Information"}, {MB_ICONWARNING | MB_YESNO, "Warning"}};
  for (const Caption& c : captions) EXPECT_EQ(MessageBoxCaptionFor(c.flags), c.caption) << c.flags;
  EXPECT_TRUE(LogBurnError(0));
  EXPECT_FALSE(LogBurnError(-7));
}

TEST(SharedRoutines, VersionsAndSystem) {
  EXPECT_EQ(GetWindowsMajorVersion(), 6);
  const AnsiString full = GetProgramFullVersion();
  EXPECT_EQ(std::count(full.begin(), full.end(), '.'), 3) << full;
  EXPECT_EQ(GetProgramVersion(), full.substr(0, full.rfind('.')));
  EXPECT_EQ(GetFileVersionText(u"/no/such/file"), "0.0.0.0");
}

TEST_F(SharedRoutinesTest, CheckDiskSpaceOnOneAndTwoFileSystems) {
  // Fake file systems: "/fast" and "/slow" are two; "/fast/out" shares the first.
  std::map<std::string, std::pair<uint64_t, double>> systems = {
      {"/fast", {1, 0}}, {"/slow", {2, 0}}};  // id, free MB
  auto systemOf = [&](const WideString& path) -> std::pair<uint64_t, double> {
    const std::string text = WideToUTF8(path);
    for (const auto& [prefix, system] : systems)
      if (text.rfind(prefix, 0) == 0) return system;
    return {0, 0};
  };
  SetDiskSpaceProbe({[&](const WideString& path) { return static_cast<int64_t>(systemOf(path).second * 1024 * 1024); },
                     [&](const WideString& path) { return systemOf(path).first; }});
  AppConfig.WriteStringA("System", "TempPath", "/fast/temp/");

  struct Case {
    const char* output;
    Byte kind, quality;
    double seconds, freeFast, freeSlow;
    Word code;
    double temp, out;
  } cases[] = {
      // ISO, an hour at quality 0: N = 2250 MB.
      {"/slow/iso", 2, 0, 3600, 4500, 2250, 0, 4500, 2250},
      {"/slow/iso", 2, 0, 3600, 4499, 2250, 256, 4500, 2250},
      {"/slow/iso", 2, 0, 3600, 4500, 2249, 2, 4500, 2250},
      {"/slow/iso", 2, 0, 3600, 10, 10, 258, 4500, 2250},
      {"/fast/out", 2, 0, 3600, 4500, 0, 0, 4500, 2250},
      {"/fast/out", 2, 0, 3600, 4499, 1e9, 258, 4500, 2250},
      // DVD folder: N each side; on one file system 2N there.
      {"/slow/dvd", 1, 1, 3600, 3305, 3305, 0, 3304.6875, 3304.6875},
      {"/slow/dvd", 1, 1, 3600, 3304, 3304, 257, 3304.6875, 3304.6875},
      {"/slow/dvd", 1, 1, 3600, 3305, 3304, 1, 3304.6875, 3304.6875},
      {"/fast/dvd", 1, 1, 3600, 6610, 0, 0, 3304.6875, 3304.6875},
      {"/fast/dvd", 1, 1, 3600, 6609, 0, 257, 3304.6875, 3304.6875},
      // Disc: 2N of temporary space only, wherever the output is.
      {"/dev/sr0", 0, 2, 1800, 4444, 0, 0, 4443.75, 0},
      {"/dev/sr0", 0, 2, 1800, 4443, 1e9, 256, 4443.75, 0},
      {"/fast/x", 0, 2, 1800, 4444, 0, 0, 4443.75, 0},
      // An unknown quality needs nothing; an unknown kind checks nothing.
      {"/slow/iso", 2, 3, 3600, 0, 0, 0, 0, 0},
      {"/slow/iso", 5, 0, 3600, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    systems["/fast"].second = c.freeFast;
    systems["/slow"].second = c.freeSlow;
    double temp = -1, out = -1;
    EXPECT_EQ(CheckDiskSpace(UTF8ToWide(c.output), c.kind, c.quality, c.seconds, temp, out), c.code)
        << c.output << " kind " << int(c.kind) << " free " << c.freeFast << "/" << c.freeSlow;
    EXPECT_DOUBLE_EQ(temp, c.temp) << c.output;
    EXPECT_DOUBLE_EQ(out, c.out) << c.output;
  }
}

TEST_F(SharedRoutinesTest, TheRealProbeSeesOneFileSystemThroughMissingFolders) {
  const TDiskSpaceProbe probe = DefaultDiskSpaceProbe();
  const uint64_t here = probe.FileSystemId(UTF8ToWide(root.string()));
  EXPECT_NE(here, 0u);
  EXPECT_EQ(probe.FileSystemId(UTF8ToWide((root / "not" / "yet" / "made").string())), here);
  EXPECT_EQ(probe.FileSystemId(u""), 0u);
  EXPECT_EQ(probe.FileSystemId(u"relative/path"), 0u);
  EXPECT_GT(probe.FreeBytes(UTF8ToWide(root.string())), 0);
}

TEST_F(SharedRoutinesTest, DefaultISONameAtAFixedTime) {
  const TDateTime when = EncodeDate(2010, 6, 1) + EncodeTime(14, 30, 5, 0);
  AppConfig.WriteStringA("System", "ISOOutPath", "/data/ISO");
  EXPECT_EQ(MakeDefaultISOFileName(when), u"/data/ISO/2010-06-01-143005.iso");
  AppConfig.WriteStringA("System", "ISOOutPath", "/data/ISO/");
  EXPECT_EQ(MakeDefaultISOFileName(when), u"/data/ISO/2010-06-01-143005.iso");
}

// What the settings store for plain under key: the scrambling the descrambler undoes, padded
// to n bytes.
std::string Scramble(const std::string& plain, const std::string& key, size_t n) {
  std::vector<uint8_t> bytes(n, 0x33);
  uint8_t keyXor = 0;
  for (char c : key) keyXor ^= static_cast<uint8_t>(c);
  bytes[n - 1] = static_cast<uint8_t>((static_cast<int>(plain.size()) - static_cast<int>(key.size())) ^ keyXor);
  for (size_t j = 0; j < plain.size(); ++j)
    bytes[j] = static_cast<uint8_t>(plain[j] ^ key[j % key.size()] ^ bytes[n - 1]);
  // The segment reversals depend only on the key and the length, and each is its own inverse.
  std::vector<std::pair<size_t, size_t>> steps;
  for (size_t at = 0, k = 0; at + 1 < n && k < 1000; ++k) {
    size_t length = static_cast<uint8_t>(key[k % key.size()]) % 10;
    length = std::min(length, n - 1 - at);
    steps.push_back({at, length});
    at += length;
  }
  for (auto step = steps.rbegin(); step != steps.rend(); ++step)
    std::reverse(bytes.begin() + static_cast<long>(step->first),
                 bytes.begin() + static_cast<long>(step->first + step->second));
  std::string hex;
  for (uint8_t byte : bytes) {
    hex += "0123456789ABCDEF"[byte >> 4];
    hex += "0123456789ABCDEF"[byte & 15];
  }
  return hex;
}

TEST_F(SharedRoutinesTest, ScrambledSettings) {
  const std::string home = "https://www.example.com/brantwell/";
  AppConfig.WriteStringA("HTTP", "HomePage", Scramble(home, "Key-2", home.size() + 5));
  EXPECT_EQ(ReadScrambledValue("HTTP", "HomePage"), u"") << "no key, no value";
  AppConfig.WriteStringA("System", "CodeKey2", "Key-2");
  AppConfig.WriteStringA("System", "ProductID", "BW-1");
  EXPECT_EQ(ReadCodeKey(), "Key-2");
  EXPECT_EQ(ReadProductID(), "BW-1");
  EXPECT_EQ(ReadScrambledValue("HTTP", "HomePage"), UTF8ToWide(home));
  EXPECT_EQ(ReadScrambledValue("HTTP", "Missing"), u"");
  struct Case {
    std::string hex, key, plain;
  } cases[] = {
      {Scramble("abc", "K", 4), "K", "abc"},
      {"", "K", ""},
      {"ABC", "K", ""},                  // odd length
      {"GG00", "K", ""},                 // not hex
      {Scramble("abc", "K", 4), "", ""},  // no key
      {"0000007F", "\x01", ""},          // a length the value cannot hold
      {Scramble("ab", "\n\x14", 6), "\n\x14", "ab"},  // a key that never moves a byte still ends
  };
  for (const Case& c : cases) EXPECT_EQ(DescrambleConfigText(c.hex, c.key), c.plain) << c.hex;
}

TEST(SharedRoutines, ProtectedAndVirtualStorePaths) {
  struct Case {
    const char16_t* path;
    bool isProtected;
  } cases[] = {{u"/Program Files/App/a.ini", true}, {u"C:\\Windows\\x.ini", true}, {u"/windows/x.ini", false},
               {u"/Program Files", false},          {u"/home/u/a.ini", false},     {u"", false}};
  for (const Case& c : cases) EXPECT_EQ(IsProtectedSystemPath(c.path), c.isProtected) << WideToUTF8(c.path);
  char16_t user[256];
  DWORD size = 256;
  ASSERT_TRUE(GetUserNameW(user, &size));
  EXPECT_EQ(GetVirtualStorePath(u"/Program Files/App/a.ini"),
            u"/users/" + WideString(user) + u"/AppData/Local/VirtualStore/Program Files/App/");
  EXPECT_EQ(ResolveVirtualStorePath(u"/Program Files/App/a.ini"), u"/Program Files/App/a.ini");
}

TEST_F(SharedRoutinesTest, DriveRootsAreFileSystemTops) {
  fs::create_directories(root / "DVD");
  struct Case {
    WideString folder;
    bool top;
  } cases[] = {{u"/", true},
               {u"//", true},
               {u"\\", true},
               {u"/proc", true},  // something is mounted there
               {u"/proc/", true},
               {UTF8ToWide((root / "DVD").string()), false},
               {UTF8ToWide((root / "DVD").string() + "/"), false},
               {u"", false},
               {u"DVD", false}};
  for (const Case& c : cases) EXPECT_EQ(IsDriveRoot(c.folder), c.top) << WideToUTF8(c.folder);
}

TEST_F(SharedRoutinesTest, ForceDirectoriesAndCreationTime) {
  const WideString deep = UTF8ToWide((root / "a" / "b" / "c").string());
  EXPECT_TRUE(ForceDirectoriesW(deep));
  EXPECT_TRUE(fs::is_directory(root / "a" / "b" / "c"));
  EXPECT_FALSE(ForceDirectoriesW(deep)) << "nothing left to create";
  EXPECT_FALSE(ForceDirectoriesW(u"nodelimiter"));
  WriteFile(root / "blocker", "x");
  EXPECT_FALSE(ForceDirectoriesW(UTF8ToWide((root / "blocker" / "sub").string())));

  FILETIME time{1, 2};
  GetFileCreationTime(UTF8ToWide((root / "missing").string()), time);
  EXPECT_EQ(time.dwLowDateTime, 1u);
  GetFileCreationTime(UTF8ToWide((root / "blocker").string()), time);
  EXPECT_NE(time.dwHighDateTime, 2u);
}

TEST_F(SharedRoutinesTest, DeleteFolderFilesKeepsSubfolders) {
  fs::create_directories(root / "f" / "sub");
  for (const char* name : {"a.mpg", "b", ".hidden"}) WriteFile(root / "f" / name, "x");
  WriteFile(root / "f" / "sub" / "kept", "x");
  DeleteFolderFiles((root / "f").string());
  EXPECT_TRUE(fs::exists(root / "f" / "sub" / "kept"));
  EXPECT_EQ(std::distance(fs::directory_iterator(root / "f"), fs::directory_iterator()), 1);
}

TEST_F(SharedRoutinesTest, EmptyFolderDeletesTheTreeButNeverFollowsLinks) {
  const fs::path outside = root / "outside";
  fs::create_directories(outside);
  WriteFile(outside / "precious", "keep me");
  const fs::path work = root / "work" / "temp";
  fs::create_directories(work / "nested" / "deeper");
  WriteFile(work / "title1.mpg", "x");
  WriteFile(work / "nested" / "deeper" / "f", "x");
  fs::create_directory_symlink(outside, work / "nested" / "link");
  fs::create_symlink(outside / "precious", work / "file-link");

  EXPECT_TRUE(EmptyFolder(work.string() + "/"));
  EXPECT_TRUE(fs::is_directory(work));
  EXPECT_TRUE(fs::is_empty(work));
  EXPECT_EQ(ReadFile(outside / "precious"), "keep me");

  // A folder that does not exist is made.
  fs::remove(work);
  EXPECT_TRUE(EmptyFolder(work.string()));
  EXPECT_TRUE(fs::is_directory(work));
}

TEST_F(SharedRoutinesTest, EmptyFolderRefusesFoldersThatAreNotItsOwn) {
  const fs::path home = root / "home";
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  fs::create_directories(root / "config");
  fs::create_directories(root / "media" / "Films");
  WriteFile(root / "config" / "user-dirs.dirs", "XDG_VIDEOS_DIR=\"" + (root / "media" / "Films").string() + "\"\n");
  fs::create_directories(home / "Documents");
  fs::create_directories(home / ".cache");
  fs::create_directory_symlink(home, root / "work-link");

  struct Case {
    std::string folder;
    fs::path marker;  // a file that must survive
  } cases[] = {
      {"", {}},
      {"relative/folder", {}},
      {"/", {}},
      {"/proc", {}},
      {"/tmp", {}},
      {home.string(), home / "mark"},
      {home.string() + "/", home / "mark"},
      {home.string() + "/sub/..", home / "mark"},
      {(home / "Documents").string(), home / "Documents" / "mark"},
      {(home / ".cache").string(), home / ".cache" / "mark"},
      {(root / "media" / "Films").string(), root / "media" / "Films" / "mark"},
      {(root / "work-link").string(), home / "mark"},
  };
  for (const Case& c : cases) {
    if (!c.marker.empty()) WriteFile(c.marker, "x");
    EXPECT_FALSE(EmptyFolder(c.folder)) << c.folder;
    if (!c.marker.empty()) EXPECT_TRUE(fs::exists(c.marker)) << c.folder;
  }
}

TEST_F(SharedRoutinesTest, TemporaryAndDocumentsFolders) {
  setenv("HOME", (root / "home").c_str(), 1);
  setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
  EXPECT_EQ(GetUserTempPath(), UTF8ToWide((root / "cache").string() + "/"));
  struct stat info{};
  ASSERT_EQ(stat((root / "cache").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  setenv("XDG_CACHE_HOME", "relative", 1);  // ignored, as the XDG rules say
  EXPECT_EQ(GetUserTempPath(), UTF8ToWide((root / "home" / ".cache").string() + "/"));

  setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  EXPECT_EQ(GetMyDocumentsPath(), (root / "home" / "Documents").string() + "/");
  fs::create_directories(root / "config");
  WriteFile(root / "config" / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
  EXPECT_EQ(GetMyDocumentsPath(), (root / "home" / "Papers").string() + "/");
}

TEST_F(SharedRoutinesTest, OpenUrlInBrowserOpensOnlyWebAddresses) {
  // A stand-in for the desktop's handler records what it was given.
  const fs::path bin = root / "bin";
  fs::create_directories(bin);
  const fs::path record = root / "opened";
  WriteFile(bin / "xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + record.string() + "'\n");
  fs::permissions(bin / "xdg-open", fs::perms::owner_all);
  ScopedEnv path("PATH", bin.string() + ":/usr/bin:/bin");

  struct Case {
    const char* url;
    bool opened;
  } cases[] = {{"https://www.example.com/support", true}, {"HTTP://example.com/", true},
               {"", false}, {"file:///etc/passwd", false}, {"javascript:alert(1)", false},
               {"/bin/sh", false}, {"http://", false}, {"mailto:a@example.com", false}};
  std::multiset<std::string> expected;
  for (const Case& c : cases) {
    EXPECT_EQ(OpenUrlInBrowser(c.url, true), c.opened) << c.url;
    if (c.opened) expected.insert(c.url);
  }
  // The handlers run side by side: they may write in either order.
  auto opened = [&] {
    std::multiset<std::string> lines;
    std::istringstream text(ReadFile(record));
    for (std::string line; std::getline(text, line);) lines.insert(line);
    return lines;
  };
  for (int i = 0; i < 500 && opened() != expected; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(opened(), expected);
}

TEST(SharedRoutines, PublishedPropertyHelpers) {
  TLabel label(nullptr);
  EXPECT_EQ(GetClassPropByName(&label, "Font"), label.Font());
  EXPECT_EQ(GetClassPropByName(&label, "Caption"), nullptr) << "not of class kind";
  EXPECT_EQ(GetClassPropByName(&label, "NoSuch"), nullptr);
  EXPECT_EQ(GetClassPropByName(nullptr, "Font"), nullptr);

  SetNestedOrdProp(&label, "Font", "Pitch", Variant(static_cast<int>(fpFixed)), tkEnumeration);
  EXPECT_EQ(label.Font()->Pitch(), fpFixed);
  SetNestedOrdProp(&label, "Font", "Pitch", Variant(static_cast<int>(fpVariable)), tkInteger);  // wrong kind
  EXPECT_EQ(label.Font()->Pitch(), fpFixed);
  SetOrdPropChecked(&label, "Width", tkInteger, Variant(123));
  EXPECT_EQ(label.Width(), 123);
  SetOrdPropChecked(&label, "Width", tkInteger, Variant("wide"));  // not an ordinal value
  EXPECT_EQ(label.Width(), 123);
}

// Shutting down asks the login manager once for an interactive power-off; a refusal answers
// false with the login manager's reason in the last error.
TEST(ShutdownWindows, PowersOffOnceOrReportsTheRefusal) {
  platform::testing::ScratchFolder scratch(fs::path(BRANTWELL_TEST_BIN_DIR) /
                                           ("shutdown-" + std::to_string(getpid())));
  platform::testing::LoginManagerStandIn login(scratch.path);
  ASSERT_TRUE(login.Ok()) << login.Error();
  EXPECT_TRUE(ShutdownWindows());
  ASSERT_EQ(login.Calls().size(), 1u);
  EXPECT_EQ(login.Calls()[0].method, "PowerOff");
  EXPECT_TRUE(login.Calls()[0].interactive);

  login.Refuse("org.freedesktop.DBus.Error.AccessDenied", "Access denied by the administrator");
  EXPECT_FALSE(ShutdownWindows());
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  char text[512] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0, text,
                 sizeof text, nullptr);
  EXPECT_NE(std::string(text).find("Access denied by the administrator"), std::string::npos) << text;
  EXPECT_EQ(login.Calls().size(), 2u);
}

}  // namespace
