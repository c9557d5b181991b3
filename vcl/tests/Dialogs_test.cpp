// The open and save dialogs and MessageDlg over the platform's calls, answered by scripted
// presenters: what the components hand over, what they read back (one file, several files,
// the filter index, the options the answer changes), and the message box's caption, icon,
// buttons and answer.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/comdlg/FileDialogs.h"
#include "platform/comdlg/FontDialog.h"
#include "platform/user/FunctionTable.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"
#include "vcl/Dialogs.h"

namespace {

namespace fs = std::filesystem;
using platform::comdlg::FileDialogRequest;

class FileDialogComponentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("brantwell-vcldlg-" + std::to_string(::getpid()));
    fs::create_directories(root / "Clips");
    for (const char* name : {"a.mp4", "b.vob"}) std::ofstream(root / "Clips" / name) << "x";
  }
  void TearDown() override {
    platform::comdlg::SetFileDialogPresenter(nullptr);
    DoneApplication();
    std::error_code error;
    fs::remove_all(root, error);
  }
  // The presenter types `text` in `folder` with filter `filterIndex` (0-based).
  void Answer(const std::u16string& text, const fs::path& folder, int filterIndex) {
    platform::comdlg::SetFileDialogPresenter([=, this](FileDialogRequest& r) {
      seen = r;
      return r.accept(nullptr, UTF8ToWide(folder.string()), text, filterIndex).kind ==
             FileDialogRequest::Verdict::Kind::Close;
    });
  }
  fs::path root;
  FileDialogRequest seen;
};

TEST_F(FileDialogComponentTest, OpenWithMultiSelect) {
  TOpenDialog dialog(nullptr);
  dialog.SetFilter("Video Files|*.mp4;*.vob|All Files|*.*");
  dialog.SetFilterIndex(2);
  dialog.SetTitle("Add Videos");
  dialog.SetInitialDir((root / "Clips").string());
  dialog.SetOptions(TOpenOptions{ofHideReadOnly, ofNoChangeDir, ofAllowMultiSelect, ofFileMustExist, ofEnableSizing});
  Answer(u"\"a.mp4\" \"b.vob\"", root / "Clips", 0);
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(seen.title, u"Add Videos");
  ASSERT_EQ(seen.filters.size(), 2u);
  EXPECT_EQ(seen.filters[0].text, u"Video Files");
  EXPECT_EQ(seen.filters[0].patterns, (std::vector<std::u16string>{u"*.mp4", u"*.vob"}));
  EXPECT_EQ(seen.filterIndex, 1);
  EXPECT_EQ(seen.folder, UTF8ToWide((root / "Clips").string()));
  EXPECT_TRUE(seen.multiSelect);
  EXPECT_TRUE(seen.sizing);
  ASSERT_EQ(dialog.Files()->Count(), 2);
  EXPECT_EQ(dialog.Files()->Strings(0), (root / "Clips" / "a.mp4").string());
  EXPECT_EQ(dialog.Files()->Strings(1), (root / "Clips" / "b.vob").string());
  EXPECT_EQ(dialog.FileName(), (root / "Clips" / "a.mp4").string());
  EXPECT_EQ(dialog.FilterIndex(), 1);

  // One file, and Cancel keeps what the component held.
  Answer(u"b.vob", root / "Clips", 1);
  ASSERT_TRUE(dialog.Execute());
  ASSERT_EQ(dialog.Files()->Count(), 1);
  EXPECT_EQ(dialog.FileName(), (root / "Clips" / "b.vob").string());
  EXPECT_EQ(dialog.FilterIndex(), 2);
  Answer(u"missing.mp4", root / "Clips", 0);
  const platform::UserFunctionTable saved = platform::UserFunctions();
  platform::UserFunctions().MessageBoxW = [](HWND, LPCWSTR, LPCWSTR, UINT) { return IDOK; };
  EXPECT_FALSE(dialog.Execute());
  platform::UserFunctions() = saved;
  EXPECT_EQ(dialog.FileName(), (root / "Clips" / "b.vob").string());
}

TEST_F(FileDialogComponentTest, SaveWithDefaultExtension) {
  TSaveDialog dialog(nullptr);
  dialog.SetFilter("ISO File(*.iso)|*.iso");
  dialog.SetDefaultExt("*.iso");
  dialog.SetFileName((root / "2010-06-01-143005.iso").string());
  dialog.SetOptions(TOpenOptions{ofNoChangeDir});
  Answer(u"disc", root, 0);
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(seen.kind, FileDialogRequest::Kind::Save);
  EXPECT_EQ(seen.fileName, u"2010-06-01-143005.iso");
  EXPECT_EQ(seen.folder, UTF8ToWide(root.string())) << "the file's folder";
  EXPECT_EQ(dialog.FileName(), (root / "disc.iso").string());
  EXPECT_FALSE(dialog.Options().Contains(ofExtensionDifferent));
  Answer(u"disc.img", root, 0);
  ASSERT_TRUE(dialog.Execute());
  EXPECT_TRUE(dialog.Options().Contains(ofExtensionDifferent));
}

TEST(FontDialogComponent, HandsOverTheFontAndReadsTheChoiceBack) {
  platform::comdlg::SetFontFamiliesForTesting({u"Mono", u"Serif"});
  platform::comdlg::FontDialogRequest seen;
  bool answer = true;
  platform::comdlg::SetFontDialogPresenter([&](platform::comdlg::FontDialogRequest& r) {
    seen = r;
    r.face = u"Serif";
    r.pointSize = 140;
    r.bold = false;
    r.italic = true;
    r.underline = false;
    r.strikeOut = true;
    r.color = RGB(0, 0, 128);
    return answer;
  });
  TFontDialog dialog(nullptr);
  dialog.Font()->SetName("Mono");
  dialog.Font()->SetSize(12);
  dialog.Font()->SetStyle(TFontStyles{fsBold, fsUnderline});
  dialog.Font()->SetColor(clRed);
  dialog.SetOptions(TFontDialogOptions{fdEffects, fdLimitSize});
  dialog.SetMinFontSize(8);
  dialog.SetMaxFontSize(72);
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(seen.face, u"Mono");
  EXPECT_EQ(seen.pointSize, 120);
  EXPECT_TRUE(seen.bold && seen.underline && seen.effects && seen.limitSize);
  EXPECT_EQ(seen.color, static_cast<COLORREF>(RGB(255, 0, 0)));
  EXPECT_EQ(seen.minSize, 8);
  EXPECT_EQ(seen.maxSize, 72);
  EXPECT_EQ(dialog.Font()->Name(), "Serif");
  EXPECT_EQ(dialog.Font()->Size(), 14);
  EXPECT_EQ(dialog.Font()->Style(), (TFontStyles{fsItalic, fsStrikeOut}));
  EXPECT_EQ(dialog.Font()->Color(), static_cast<TColor>(RGB(0, 0, 128)));

  // Without effects the colour stays; Cancel changes nothing.
  dialog.SetOptions(TFontDialogOptions{});
  dialog.Font()->SetColor(clRed);
  ASSERT_TRUE(dialog.Execute());
  EXPECT_FALSE(seen.effects);
  EXPECT_EQ(dialog.Font()->Color(), clRed);
  answer = false;
  dialog.Font()->SetName("Mono");
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.Font()->Name(), "Mono");
  platform::comdlg::SetFontDialogPresenter(nullptr);
  platform::comdlg::SetFontFamiliesForTesting({});
  DoneApplication();
}

TEST(MessageDlg, CaptionIconAndButtonsFollowTheKind) {
  static UINT g_type;
  static std::u16string g_caption, g_text;
  const platform::UserFunctionTable saved = platform::UserFunctions();
  platform::UserFunctions().MessageBoxW = [](HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
    g_type = type;
    g_caption = caption;
    g_text = text;
    return (type & MB_TYPEMASK) == MB_YESNOCANCEL ? IDCANCEL : IDYES;
  };
  Application->SetTitle("Brantwell");
  struct Case {
    TMsgDlgType kind;
    TMsgDlgButtons buttons;
    std::u16string caption;
    UINT type;
  };
  const Case cases[] = {
      {mtWarning, TMsgDlgButtons{mbOK}, u"Warning", MB_OK | MB_ICONWARNING},
      {mtError, TMsgDlgButtons{mbAbort, mbRetry, mbIgnore}, u"Error", MB_ABORTRETRYIGNORE | MB_ICONERROR},
      {mtInformation, TMsgDlgButtons{mbOK, mbCancel}, u"Information", MB_OKCANCEL | MB_ICONINFORMATION},
      {mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, u"Confirm", MB_YESNO | MB_ICONQUESTION},
      {mtConfirmation, TMsgDlgButtons{mbYes, mbNo, mbCancel}, u"Confirm", MB_YESNOCANCEL | MB_ICONQUESTION},
      {mtCustom, TMsgDlgButtons{mbRetry, mbCancel}, u"Brantwell", MB_RETRYCANCEL},
  };
  for (const Case& c : cases) {
    const int answer = MessageDlg("Überschreiben?", c.kind, c.buttons, 0);
    EXPECT_EQ(g_caption, c.caption);
    EXPECT_EQ(g_type, c.type);
    EXPECT_EQ(g_text, u"Überschreiben?");
    EXPECT_EQ(answer, (c.type & MB_TYPEMASK) == MB_YESNOCANCEL ? mrCancel : mrYes);
  }
  platform::UserFunctions() = saved;
  DoneApplication();
}

}  // namespace
