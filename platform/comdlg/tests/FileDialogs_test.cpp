// The open and save dialogs' protocol with a scripted presenter: the record's checks, the
// request (filters, start folder, name), what a typed text means, the prompts, and the
// answer written back in both character forms, including a buffer too small for it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>

#include "platform/comdlg/FileDialogs.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/FunctionTable.h"

namespace {

namespace fs = std::filesystem;
using platform::comdlg::FileDialogRequest;
using Verdict = FileDialogRequest::Verdict;

std::u16string U(const fs::path& path) { return platform::Utf8ToUtf16(path.string()); }

// Message boxes the protocol shows, answered from a queue.
std::vector<std::u16string> g_boxes;
std::deque<int> g_answers;

class FileDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("brantwell-filedlg-" + std::to_string(::getpid()));
    fs::create_directories(root / "Clips" / "More");
    for (const char* name : {"a.mp4", "b c.mp4", "menu.png"}) std::ofstream(root / "Clips" / name) << "x";
    std::ofstream(root / "old.iso") << "x";
    savedTable = platform::UserFunctions();
    platform::UserFunctions().MessageBoxW = [](HWND, LPCWSTR text, LPCWSTR caption, UINT) {
      g_boxes.push_back(std::u16string(caption) + u": " + text);
      const int answer = g_answers.empty() ? IDOK : g_answers.front();
      if (!g_answers.empty()) g_answers.pop_front();
      return answer;
    };
    g_boxes.clear();
    g_answers.clear();
    savedCwd = fs::current_path();
  }
  void TearDown() override {
    platform::comdlg::SetFileDialogPresenter(nullptr);
    platform::UserFunctions() = savedTable;
    fs::current_path(savedCwd);
    std::error_code error;
    fs::remove_all(root, error);
  }
  // The presenter: remembers the request and types each text in turn in `folder` until the
  // protocol closes the dialog (or the texts run out: Cancel).
  void Script(std::vector<std::u16string> texts, std::u16string folder = {}, int filterIndex = 0) {
    platform::comdlg::SetFileDialogPresenter([=, this](FileDialogRequest& r) {
      seen = r;
      verdicts.clear();
      for (const std::u16string& text : texts) {
        const Verdict verdict = r.accept(nullptr, folder.empty() ? r.folder : folder, text, filterIndex);
        verdicts.push_back(verdict);
        if (verdict.kind == Verdict::Kind::Close) return true;
      }
      return false;
    });
  }
  fs::path root, savedCwd;
  platform::UserFunctionTable savedTable;
  FileDialogRequest seen;
  std::vector<Verdict> verdicts;
};

TEST_F(FileDialogsTest, TheRecordIsChecked) {
  char16_t file[260] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFile = file;
  ofn.nMaxFile = 260;
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION) << "no presenter";
  Script({});
  ofn.lStructSize = sizeof(ofn) - 1;
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u) << "the older size is fine; cancelled";
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFile = nullptr;
  EXPECT_FALSE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
  platform::comdlg::SetFileDialogPresenter([](FileDialogRequest&) -> bool { throw std::runtime_error("broken"); });
  ofn.lpstrFile = file;
  EXPECT_FALSE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_DIALOGFAILURE);
}

TEST_F(FileDialogsTest, TheRequestFollowsTheRecord) {
  Script({});
  struct Case {
    std::u16string initialDir, file;
    std::u16string folder, name;
  };
  const Case cases[] = {
      {U(root / "Clips"), U(root / "More" / "x.mp4"), U(root / "Clips"), u"x.mp4"},  // the given folder
      {U(root / "none"), U(root / "Clips" / "More" / "x.mp4"), U(root / "Clips" / "More"), u"x.mp4"},  // the file's
      {u"", u"plain.mp4", u"", u"plain.mp4"},
  };
  for (const Case& c : cases) {
    char16_t file[260] = {};
    std::copy(c.file.begin(), c.file.end(), file);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.lpstrFile = file;
    ofn.nMaxFile = 260;
    ofn.lpstrInitialDir = c.initialDir.empty() ? nullptr : c.initialDir.c_str();
    ofn.lpstrFilter = u"Video Files (*.mp4;*.vob)\0*.mp4; *.VOB\0All files\0*.*\0Broken\0";
    ofn.nFilterIndex = 2;
    ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_ENABLESIZING;
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(seen.folder, c.folder);
    EXPECT_EQ(seen.fileName, c.name);
    ASSERT_EQ(seen.filters.size(), 2u) << "a text without patterns is dropped";
    EXPECT_EQ(seen.filters[0].patterns, (std::vector<std::u16string>{u"*.mp4", u"*.VOB"}));
    EXPECT_EQ(seen.filterIndex, 1);
    EXPECT_TRUE(seen.multiSelect);
    EXPECT_TRUE(seen.sizing);
    EXPECT_EQ(seen.kind, FileDialogRequest::Kind::Open);
  }
}

TEST_F(FileDialogsTest, MultiSelectAnswersFolderAndNames) {
  Script({u"\"a.mp4\" \"b c.mp4\""}, U(root / "Clips"));
  char16_t file[300] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFile = file;
  ofn.nMaxFile = 300;
  ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
  ASSERT_TRUE(GetOpenFileNameW(&ofn));
  const std::u16string folder = U(root / "Clips");
  const std::u16string expected = folder + std::u16string(1, 0) + u"a.mp4" + std::u16string(1, 0) + u"b c.mp4" +
                                  std::u16string(2, 0);
  EXPECT_EQ(std::u16string(file, expected.size()), expected);
  EXPECT_EQ(ofn.nFileOffset, folder.size() + 1);
  EXPECT_EQ(fs::current_path(), savedCwd) << "OFN_NOCHANGEDIR";

  // One buffer character short: the size needed in the first character.
  ofn.nMaxFile = static_cast<DWORD>(expected.size() - 1);
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  EXPECT_EQ(file[0], expected.size());
  // The A form counts bytes of UTF-8.
  fs::create_directories(root / "Clips" / "Été");
  std::ofstream(root / "Clips" / "Été" / "x.mp4") << "x";
  std::ofstream(root / "Clips" / "Été" / "y.mp4") << "x";
  Script({u"\"x.mp4\" \"y.mp4\""}, U(root / "Clips" / "Été"));
  char small[8];
  OPENFILENAMEA ofa{};
  ofa.lStructSize = sizeof(ofa);
  ofa.lpstrFile = small;
  ofa.nMaxFile = 8;
  ofa.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_NOCHANGEDIR;
  EXPECT_FALSE(GetOpenFileNameA(&ofa));
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  WORD needed;
  std::memcpy(&needed, small, 2);
  EXPECT_EQ(needed, (root / "Clips" / "Été").string().size() + 1 + 6 + 6 + 1);
  // One file chosen: the full path as a single answer, and the current folder follows.
  Script({u"\"b c.mp4\""}, U(root / "Clips"));
  ofn.nMaxFile = 300;
  ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER;
  ASSERT_TRUE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(std::u16string(file), U(root / "Clips" / "b c.mp4"));
  EXPECT_EQ(ofn.nFileOffset, folder.size() + 1);
  EXPECT_EQ(ofn.nFileExtension, U(root / "Clips" / "b c.").size());
  EXPECT_EQ(fs::current_path(), root / "Clips");
}

TEST_F(FileDialogsTest, TypedTextsAndTheirChecks) {
  // A folder is shown, a pattern filters, a missing file is refused with a message, and an
  // existing one ends the dialog.
  Script({u"Clips/More", u"*.png", u"gone.mp4", u"Clips/menu.png"}, U(root));
  char16_t file[300] = {};
  char16_t title[8] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFile = file;
  ofn.nMaxFile = 300;
  ofn.lpstrFileTitle = title;
  ofn.nMaxFileTitle = 8;
  ofn.lpstrTitle = u"Add Pictures";
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
  ofn.lpstrFilter = u"Pictures\0*.png\0";
  ASSERT_TRUE(GetOpenFileNameW(&ofn));
  ASSERT_EQ(verdicts.size(), 4u);
  EXPECT_EQ(verdicts[0].kind, Verdict::Kind::ShowFolder);
  EXPECT_EQ(verdicts[0].text, U(root / "Clips" / "More"));
  EXPECT_EQ(verdicts[1].kind, Verdict::Kind::ApplyPattern);
  EXPECT_EQ(verdicts[1].text, u"*.png");
  EXPECT_EQ(verdicts[2].kind, Verdict::Kind::KeepOpen);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0], u"Add Pictures: gone.mp4\nFile not found.\nCheck the file name and try again.");
  EXPECT_EQ(std::u16string(file), U(root / "Clips" / "menu.png"));
  EXPECT_EQ(std::u16string(title), u"menu.pn") << "cut to its buffer";
  EXPECT_EQ(ofn.nFilterIndex, 1u);
  // Several names where only one is allowed.
  Script({u"\"a.mp4\" \"b c.mp4\""}, U(root / "Clips"));
  ofn.Flags = OFN_NOCHANGEDIR;
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(verdicts.back().kind, Verdict::Kind::KeepOpen);
}

TEST_F(FileDialogsTest, SaveAddsTheDefaultExtensionAndAsksBeforeReplacing) {
  // "*.iso" as default extension means "iso". The name typed exists once the extension is
  // added: No keeps the dialog open, Yes replaces.
  Script({u"old", u"old"}, U(root));
  g_answers = {IDNO, IDYES};
  char16_t file[300] = u"2010-06-01-143005.iso";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFile = file;
  ofn.nMaxFile = 300;
  ofn.lpstrDefExt = u"*.iso";
  ofn.lpstrFilter = u"ISO File(*.iso)\0*.iso\0";
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
  ASSERT_TRUE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(seen.kind, FileDialogRequest::Kind::Save);
  EXPECT_EQ(seen.fileName, u"2010-06-01-143005.iso");
  ASSERT_EQ(g_boxes.size(), 2u);
  EXPECT_EQ(g_boxes[0], u"Save As: old.iso already exists.\nDo you want to replace it?");
  EXPECT_EQ(verdicts[0].kind, Verdict::Kind::KeepOpen);
  EXPECT_EQ(std::u16string(file), U(root / "old.iso"));
  EXPECT_EQ(ofn.nFileExtension, U(root / "old.").size());
  EXPECT_EQ(ofn.Flags & OFN_EXTENSIONDIFFERENT, 0u);

  // A new name needs no prompt; another extension is kept and reported; a missing folder
  // is refused with OFN_PATHMUSTEXIST.
  g_boxes.clear();
  Script({u"none/x.iso", u"disc.img"}, U(root));
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  ASSERT_TRUE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(std::u16string(file), U(root / "disc.img"));
  EXPECT_NE(ofn.Flags & OFN_EXTENSIONDIFFERENT, 0u);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0], u"Save As: none/x.iso\nThe folder does not exist.\nCheck the path and try again.");
  // A name ending in a dot: no extension added, and no extension offset.
  Script({u"odd."}, U(root));
  ASSERT_TRUE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(std::u16string(file), U(root / "odd."));
  EXPECT_EQ(ofn.nFileExtension, 0);
}

TEST(FileNames, SplitJoinAndMatch) {
  using platform::comdlg::JoinFileNames;
  using platform::comdlg::MatchesFilterPattern;
  using platform::comdlg::SplitFileNames;
  EXPECT_EQ(SplitFileNames(u"  my clip.mp4 "), std::vector<std::u16string>{u"my clip.mp4"});
  EXPECT_EQ(SplitFileNames(u"\"a.mp4\" \"b c.mp4\""), (std::vector<std::u16string>{u"a.mp4", u"b c.mp4"}));
  EXPECT_EQ(SplitFileNames(u"\"unclosed.mp4"), std::vector<std::u16string>{u"unclosed.mp4"});
  EXPECT_TRUE(SplitFileNames(u"   ").empty());
  EXPECT_EQ(JoinFileNames({u"a.mp4", u"b c.mp4"}), u"\"a.mp4\" \"b c.mp4\"");
  EXPECT_EQ(JoinFileNames({u"one.mp4"}), u"one.mp4");
  struct Case {
    const char16_t* name;
    const char16_t* pattern;
    bool match;
  } cases[] = {
      {u"Clip.MP4", u"*.mp4", true}, {u"clip.mp4.part", u"*.mp4", false}, {u"README", u"*.*", true},
      {u"a1.vob", u"a?.vob", true},  {u"a12.vob", u"a?.vob", false},      {u"x.mpeg", u"*.mp*g", true},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchesFilterPattern(c.name, c.pattern), c.match);
}

}  // namespace
