// What the tests of the dialogs that change the program's settings share: a settings file of
// their own in the test's scratch folder (the program's name "Brantwell" in it), its values, the
// English texts, a click on a browse edit's button, the folder chooser answered, and the text
// of the message box that shows.

#pragma once

#include <filesystem>

#include "program/app/dialogs/FileDialogForm.h"
#include "program/app/dialogs/MessageBoxForm.h"
#include "program/app/dialogs/tests/DialogTestSupport.h"
#include "program/controls/FSButtonEdit.h"
#include "program/core/Config.h"
#include "program/engine/LanguageEngine.h"
#include "rtl/Strings.h"
#include "vcl/Label.h"

class SettingsDialogTest : public dialog_test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    savedConfig = AppConfig;
    settings = root / "brantwell.ini";
    AppConfig.Create(UTF8ToWide(settings.string()), u"System");
    AppConfig.WriteStringA("System", "name", "Brantwell");
  }
  void TearDown() override {
    AppConfig = savedConfig;
    DialogTest::TearDown();
  }

  static AnsiString Setting(const char* key) { return AppConfig.ReadStringA("System", key, "<none>"); }
  static AnsiString Text(const char16_t* key) {
    const WideString text = LanguageText(key);
    EXPECT_NE(text, WideString(key)) << "no text for " << WideToUTF8(key);
    return WideToUTF8(text);
  }
  // Clicks the folder button at the right end of a browse edit.
  static void ClickEditButton(TFSButtonEdit* edit) {
    const TRect r = edit->ButtonRect(true);
    platform::testing::Click(POINT{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  }
  // Answers the folder chooser with `folder`.
  static void ChooseInBrowser(const std::filesystem::path& folder) {
    TFileDialogForm* chooser = Active<TFileDialogForm>();
    ASSERT_NE(chooser, nullptr) << "no folder chooser";
    ASSERT_EQ(chooser->Mode(), TFileDialogForm::TMode::Folder);
    ASSERT_TRUE(chooser->Navigate(UTF8ToWide(folder.string())));
    ClickOn(chooser->btnOK);
  }
  static WideString MessageShown() {
    TMessageBoxForm* box = Active<TMessageBoxForm>();
    EXPECT_NE(box, nullptr) << "no message";
    return box ? UTF8ToWide(box->lblText->Caption()) : WideString();
  }

  std::filesystem::path settings;
  TConfig savedConfig;
};
