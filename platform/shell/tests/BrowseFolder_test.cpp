// The folder browser's protocol with a scripted presenter: the request made of the flags,
// the callback's messages, typed names with and without validation, the answer's id list,
// the messages the callback sends the dialog, and the id lists themselves.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/kernel/Unicode.h"
#include "platform/kernel/WinError.h"
#include "platform/shell/BrowseFolder.h"

namespace {

namespace fs = std::filesystem;
using platform::shell::FolderBrowserCommand;
using platform::shell::FolderBrowserRequest;
using Answer = FolderBrowserRequest::Answer;

std::u16string U(const fs::path& path) { return platform::Utf8ToUtf16(path.string()); }

struct Heard {
  UINT message;
  std::u16string text;  // the path of BFFM_SELCHANGED, the typed text of VALIDATEFAILED
};
std::vector<Heard> g_heard;
int g_keepOpen = 1;

int Callback(HWND, UINT message, LPARAM lParam, LPARAM data) {
  EXPECT_EQ(data, 77);
  Heard heard{message, {}};
  if (message == BFFM_SELCHANGED) heard.text = platform::shell::PathOfIDList(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
  if (message == BFFM_VALIDATEFAILEDW) heard.text = reinterpret_cast<const char16_t*>(lParam);
  if (message == BFFM_VALIDATEFAILEDA) heard.text = platform::Utf8ToUtf16(reinterpret_cast<const char*>(lParam));
  g_heard.push_back(heard);
  return message == BFFM_VALIDATEFAILEDW || message == BFFM_VALIDATEFAILEDA ? g_keepOpen : 0;
}

class BrowseFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("brantwell-browse-" + std::to_string(::getpid()));
    fs::create_directories(root / "Vidéos" / "Holiday");
    std::ofstream(root / "clip.mp4") << "x";
    g_heard.clear();
    g_keepOpen = 1;
  }
  void TearDown() override {
    platform::shell::SetFolderBrowserPresenter(nullptr);
    std::error_code error;
    fs::remove_all(root, error);
  }
  fs::path root;
};

TEST_F(BrowseFolderTest, WithoutAPresenterNothingIsShown) {
  BROWSEINFOW info{};
  EXPECT_EQ(SHBrowseForFolderW(&info), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(SHBrowseForFolderW(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(BrowseFolderTest, FlagsMakeTheRequest) {
  struct Case {
    UINT flags;
    bool editBox, newFolder, includeFiles;
  };
  const Case cases[] = {
      {BIF_RETURNONLYFSDIRS, false, false, false},
      {BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE, false, true, false},
      {BIF_USENEWUI | BIF_NONEWFOLDERBUTTON, true, false, false},
      {BIF_EDITBOX | BIF_BROWSEINCLUDEFILES | BIF_SHAREABLE, true, false, true},
  };
  FolderBrowserRequest seen;
  platform::shell::SetFolderBrowserPresenter([&](FolderBrowserRequest& r) {
    seen = r;
    return false;
  });
  for (const Case& c : cases) {
    BROWSEINFOA info{};
    info.lpszTitle = "Choisir un dossier \xC3\xA0 graver";
    info.ulFlags = c.flags;
    EXPECT_EQ(SHBrowseForFolderA(&info), nullptr) << "cancelled";
    EXPECT_EQ(seen.title, u"Choisir un dossier à graver");
    EXPECT_EQ(seen.editBox, c.editBox);
    EXPECT_EQ(seen.newFolderButton, c.newFolder);
    EXPECT_EQ(seen.includeFiles, c.includeFiles);
    EXPECT_EQ(seen.root, u"/");
  }

  // A root parsed by the desktop folder (with "\" delimiters) limits the browser.
  IShellFolder* desktop = nullptr;
  ASSERT_EQ(SHGetDesktopFolder(&desktop), S_OK);
  std::u16string name = U(root / "Vidéos");
  for (char16_t& c : name) c = c == u'/' ? u'\\' : c;
  PIDLIST_RELATIVE list = nullptr;
  ULONG eaten = 0, attributes = SFGAO_FOLDER | SFGAO_FILESYSTEM;
  ASSERT_EQ(desktop->ParseDisplayName(nullptr, nullptr, name.data(), &eaten, &list, &attributes), S_OK);
  EXPECT_EQ(eaten, name.size());
  EXPECT_EQ(attributes, SFGAO_FOLDER | SFGAO_FILESYSTEM);
  BROWSEINFOW info{};
  info.pidlRoot = list;
  SHBrowseForFolderW(&info);
  EXPECT_EQ(seen.root, U(root / "Vidéos"));
  IMalloc* allocator = nullptr;
  ASSERT_EQ(SHGetMalloc(&allocator), S_OK);
  allocator->Free(list);
  std::u16string missing = U(root / "none");
  EXPECT_EQ(desktop->ParseDisplayName(nullptr, nullptr, missing.data(), nullptr, &list, nullptr),
            HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(list, nullptr);
}

TEST_F(BrowseFolderTest, CallbackHearsTheDialogAndValidationDecides) {
  const HWND dialog = reinterpret_cast<HWND>(0x1234);
  struct Step {
    std::u16string typed;
    int keepOpen;
    Answer answer;
  };
  std::vector<Step> steps;
  std::vector<Answer> answers;
  platform::shell::SetFolderBrowserPresenter([&](FolderBrowserRequest& r) {
    r.initialized(dialog);
    r.selectionChanged(dialog, U(root / "Vidéos"));
    for (const Step& step : steps) {
      g_keepOpen = step.keepOpen;
      const Answer answer = r.accept(dialog, U(root / "Vidéos"), step.typed);
      answers.push_back(answer);
      if (answer != Answer::KeepOpen) return answer == Answer::Close;
    }
    return false;
  });
  auto browse = [&](UINT flags, std::vector<Step> script) {
    steps = std::move(script);
    answers.clear();
    g_heard.clear();
    BROWSEINFOW info{};
    char16_t display[MAX_PATH] = u"?";
    info.pszDisplayName = display;
    info.ulFlags = flags;
    info.lpfn = Callback;
    info.lParam = 77;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    std::u16string path;
    if (chosen) {
      char16_t buffer[MAX_PATH];
      EXPECT_TRUE(SHGetPathFromIDListW(chosen, buffer));
      path = buffer;
      EXPECT_EQ(std::u16string(display), U(fs::path(platform::Utf16ToUtf8(path)).filename()));
      ILFree(chosen);
    }
    return path;
  };

  // Validation on: a typed name that is no folder asks the callback; non-zero keeps the
  // dialog open, and a later good name (relative to the selection) is the answer.
  const UINT validating = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_VALIDATE | BIF_NEWDIALOGSTYLE;
  EXPECT_EQ(browse(validating, {{u"Nowhere", 1, Answer::KeepOpen}, {u"../clip.mp4", 1, Answer::KeepOpen},
                                {u"Holiday", 1, Answer::Close}}),
            U(root / "Vidéos" / "Holiday"));
  ASSERT_EQ(g_heard.size(), 4u);
  EXPECT_EQ(g_heard[0].message, BFFM_INITIALIZED);
  EXPECT_EQ(g_heard[1].message, BFFM_SELCHANGED);
  EXPECT_EQ(g_heard[1].text, U(root / "Vidéos"));
  EXPECT_EQ(g_heard[2].message, BFFM_VALIDATEFAILEDW);
  EXPECT_EQ(g_heard[2].text, u"Nowhere");
  EXPECT_EQ(g_heard[3].text, u"../clip.mp4") << "a file is no folder";
  // Zero from the callback ends the dialog without an answer.
  EXPECT_EQ(browse(validating, {{u"Nowhere", 0, Answer::Cancel}}), u"");
  EXPECT_EQ(answers, std::vector<Answer>{Answer::Cancel});
  // Files count with BIF_BROWSEINCLUDEFILES; an absolute name is taken as it stands.
  EXPECT_EQ(browse(validating | BIF_BROWSEINCLUDEFILES, {{U(root / "clip.mp4"), 1, Answer::Close}}),
            U(root / "clip.mp4"));
  // Without validation a typed name comes back as it resolves, so the caller can create it.
  EXPECT_EQ(browse(BIF_EDITBOX, {{u"New one", 1, Answer::Close}}), U(root / "Vidéos" / "New one"));
  EXPECT_EQ(g_heard.size(), 2u);
  // Nothing typed: the selection.
  EXPECT_EQ(browse(BIF_EDITBOX, {{u"", 1, Answer::Close}}), U(root / "Vidéos"));
}

TEST_F(BrowseFolderTest, TheAnsiFormSpeaksUtf8) {
  platform::shell::SetFolderBrowserPresenter([&](FolderBrowserRequest& r) {
    r.accept(nullptr, U(root), u"Vidéos");
    return true;
  });
  BROWSEINFOA info{};
  char display[MAX_PATH];
  info.pszDisplayName = display;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
  ASSERT_NE(chosen, nullptr);
  char path[MAX_PATH];
  ASSERT_TRUE(SHGetPathFromIDListA(chosen, path));
  EXPECT_EQ(std::string(path), (root / "Vidéos").string());
  EXPECT_STREQ(display, "Vidéos");
  ILFree(chosen);
}

TEST_F(BrowseFolderTest, MessagesToTheDialogAreTranslated) {
  FolderBrowserRequest request;
  platform::shell::SetFolderBrowserPresenter([&](FolderBrowserRequest& r) {
    request = r;
    return false;
  });
  BROWSEINFOW info{};
  SHBrowseForFolderW(&info);
  ASSERT_TRUE(request.translate);
  const std::string pathA = (root / "Vidéos").string();
  const std::u16string pathW = U(root / "Vidéos");
  PIDLIST_ABSOLUTE list = platform::shell::IDListOfPath(pathW);
  using Kind = FolderBrowserCommand::Kind;
  struct Case {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    Kind kind;
    std::u16string text;
    bool enable;
  };
  const Case cases[] = {
      {BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(pathA.c_str()), Kind::SetSelection, pathW, true},
      {BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(pathW.c_str()), Kind::SetSelection, pathW, true},
      {BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(list), Kind::SetSelection, pathW, true},
      {BFFM_SETEXPANDED, FALSE, reinterpret_cast<LPARAM>(list), Kind::SetExpanded, pathW, true},
      {BFFM_SETOKTEXT, 0, reinterpret_cast<LPARAM>(u"Burn"), Kind::SetOkText, u"Burn", true},
      {BFFM_ENABLEOK, 0, 0, Kind::EnableOk, u"", false},
      {BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>("Ready"), Kind::SetStatusText, u"Ready", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const auto command = request.translate(c.message, c.wParam, c.lParam);
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->kind, c.kind);
    EXPECT_EQ(command->text, c.text);
    EXPECT_EQ(command->enable, c.enable);
  }
  EXPECT_FALSE(request.translate(WM_USER + 107, 0, 0).has_value());
  ILFree(list);
}

TEST_F(BrowseFolderTest, IdListsHoldOnePath) {
  char16_t buffer[MAX_PATH] = u"x";
  EXPECT_FALSE(SHGetPathFromIDListW(nullptr, buffer));
  EXPECT_EQ(buffer[0], 0);
  // A list that is not ours.
  const unsigned char foreign[] = {6, 0, 'a', 'b', 'c', 'd', 0, 0};
  EXPECT_FALSE(SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(foreign), buffer));
  // A path longer than MAX_PATH is refused by the MAX_PATH form, not cut.
  const std::u16string longPath = u"/" + std::u16string(300, u'a');
  PIDLIST_ABSOLUTE list = platform::shell::IDListOfPath(longPath);
  EXPECT_FALSE(SHGetPathFromIDListW(list, buffer));
  std::vector<char16_t> big(400);
  EXPECT_TRUE(SHGetPathFromIDListEx(list, big.data(), 400, 0));
  EXPECT_EQ(std::u16string(big.data()), longPath);
  ILFree(list);
}

}  // namespace
