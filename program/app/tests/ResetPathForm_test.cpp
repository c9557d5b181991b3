// The reset-path dialog through its skinned window and synthetic input: the rows and note each
// shortage code shows, the figures, the output row alone in the first row's place; in mode 258
// a new temporary folder and an ISO image chosen, OK writing the image's folder (never the
// image) and handing the image back; a disk's top folder refused as the DVD folder; Cancel
// after choosing an image.

#include <fstream>
#include <optional>
#include <sstream>

#include "program/app/ResetPathForm.h"
#include "program/app/SharedRoutines.h"
#include "program/app/dialogs/MessageBoxForm.h"
#include "program/app/dialogs/tests/DialogTestSupport.h"
#include "program/app/tests/SettingsDialogTest.h"
#include "program/controls/FSButton.h"
#include "program/core/Config.h"
#include "program/engine/LanguageEngine.h"
#include "rtl/Strings.h"
#include "vcl/Label.h"

namespace {

namespace pt = platform::testing;
namespace fs = std::filesystem;

class ResetPathFormTest : public SettingsDialogTest {
 protected:
  void SetUp() override {
    SettingsDialogTest::SetUp();
    for (const char* folder : {"temp", "temp2", "iso", "iso2", "dvd", "dvd2"}) fs::create_directories(root / folder);
    AppConfig.WriteStringA("System", "TempPath", (root / "temp" / "BrantwellTemp").string() + "/");
    AppConfig.WriteStringA("System", "ISOOutPath", (root / "iso").string());
    AppConfig.WriteStringA("System", "DVDFolderOutPath", (root / "dvd").string());
  }
  // Saves the ISO image as `name` in `folder` through the save dialog.
  static void SaveAs(const fs::path& folder, const std::u16string& name) {
    TFileDialogForm* dialog = Active<TFileDialogForm>();
    ASSERT_NE(dialog, nullptr) << "no save dialog";
    ASSERT_EQ(dialog->Mode(), TFileDialogForm::TMode::Save);
    ASSERT_TRUE(dialog->Navigate(UTF8ToWide(folder.string())));
    dialog->edtName->SetText(WideToUTF8(name));
    ClickOn(dialog->btnOK);
  }
};

TEST_F(ResetPathFormTest, EachShortageShowsItsRowsAndNote) {
  struct Case {
    Word mode;
    bool temp, output;
    const char16_t* note;
    TResetPathForm::TOutputKind kind;
    const char16_t* outputLabel;
  } cases[] = {
      {256, true, false, u"Reset_OnlyTemp", TResetPathForm::okNone, nullptr},
      {1, false, true, u"Reset_OnlyOutputPath", TResetPathForm::okDVDFolder, u"Reset_lblDVDFolder"},
      {2, false, true, u"Reset_OnlyOutputPath", TResetPathForm::okISOFile, u"Reset_lblISO"},
      {257, true, true, u"Reset_TempAndOutputPath", TResetPathForm::okDVDFolder, u"Reset_lblDVDFolder"},
      {258, true, true, u"Reset_TempAndOutputPath", TResetPathForm::okISOFile, u"Reset_lblISO"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    std::unique_ptr<TResetPathForm> form(TResetPathForm::CreateResetPath(nullptr));
    const int firstRow = form->btnTempPathEdt->Top();
    form->Setup(c.mode, 700, 1400.5);
    EXPECT_EQ(form->Caption(), "Information");
    EXPECT_EQ(form->ClientWidth(), 403);
    EXPECT_EQ(form->ClientHeight(), 260);
    EXPECT_EQ(form->lblNote->Caption(), Text(c.note));
    EXPECT_EQ(form->btnTempPathEdt->Visible(), c.temp);
    EXPECT_EQ(form->lblNeedTmpSz->Visible(), c.temp);
    EXPECT_EQ(form->btnFolderEdt->Visible(), c.output);
    EXPECT_EQ(form->lblNeedoutSz->Visible(), c.output);
    EXPECT_EQ(form->TempShort(), c.temp);
    EXPECT_EQ(form->Kind(), c.kind);
    EXPECT_EQ(form->lblNeedTmpSz->Caption(), "1400.51 MB");
    EXPECT_EQ(form->lblNeedoutSz->Caption(), "700.01 MB");
    EXPECT_EQ(form->btnTempPathEdt->Text(), Setting("TempPath"));
    if (c.outputLabel) {
      EXPECT_EQ(form->lbloutput->Caption(), Text(c.outputLabel));
      EXPECT_EQ(form->btnFolderEdt->Text(), Setting(c.kind == TResetPathForm::okISOFile ? "ISOOutPath" : "DVDFolderOutPath"));
    }
    // The output row alone takes the first row's place, its figure with it.
    const bool alone = c.output && !c.temp;
    EXPECT_EQ(form->btnFolderEdt->Top() == firstRow, alone);
    EXPECT_EQ(form->lbloutput->Top() == form->lbltemp->Top(), alone);
    EXPECT_EQ(form->lblNeedoutSz->Top() == form->lblNeedTmpSz->Top(), alone);
  }
}

// The ISO image's folder is what "ISOOutPath" keeps; the image itself goes to the caller.
TEST_F(ResetPathFormTest, Mode258ChoosesPlacesAndOKKeepsTheImageFolder) {
  Script({[&] {
            TResetPathForm* form = Active<TResetPathForm>();
            ASSERT_NE(form, nullptr);
            EXPECT_TRUE(form->SkinLoaded());
            EXPECT_EQ(form->lblNote->Caption(), Text(u"Reset_TempAndOutputPath"));
            EXPECT_EQ(form->lblNeedTmpSz->Caption(), "4500.01 MB");
            EXPECT_EQ(form->lblNeedoutSz->Caption(), "2250.01 MB");
            EXPECT_TRUE(form->btnTempPathEdt->Visible());
            EXPECT_TRUE(form->btnFolderEdt->Visible());
            EXPECT_NE(form->imgNote->SkinPart(), nullptr) << "the note picture";
            Picture(form, "reset-path.png");
            ClickEditButton(form->btnFolderEdt);
          },
          [&] {
            TFileDialogForm* dialog = Active<TFileDialogForm>();
            ASSERT_NE(dialog, nullptr);
            // A time-stamped name in the image folder is proposed.
            EXPECT_EQ(dialog->Folder(), UTF8ToWide((root / "iso").string()));
            EXPECT_EQ(dialog->edtName->Text().size(), std::string("2010-06-01-143005.iso").size());
            SaveAs(root / "iso2", u"holiday");
          },
          [&] {
            TResetPathForm* form = Active<TResetPathForm>();
            ASSERT_NE(form, nullptr);
            EXPECT_EQ(form->btnFolderEdt->Text(), (root / "iso2" / "holiday.iso").string());
            ClickEditButton(form->btnTempPathEdt);
          },
          [&] { ChooseInBrowser(root / "temp2"); },
          [&] {
            TResetPathForm* form = Active<TResetPathForm>();
            EXPECT_EQ(form->btnTempPathEdt->Text(), (root / "temp2" / "BrantwellTemp").string() + "/");
            ClickOn(form->btn1);
          }});
  WideString isoFile = u"left over";
  EXPECT_TRUE(ShowResetPath(nullptr, 258, 4500, 2250, isoFile));
  EXPECT_EQ(StepsLeft(), 0u);
  EXPECT_EQ(isoFile, UTF8ToWide((root / "iso2" / "holiday.iso").string()));
  EXPECT_EQ(Setting("ISOOutPath"), (root / "iso2").string());
  EXPECT_EQ(WideToUTF8(MakeDefaultISOFileName()).rfind((root / "iso2").string() + "/", 0), 0u);
  EXPECT_EQ(Setting("TempPath"), (root / "temp2" / "BrantwellTemp").string() + "/");
  EXPECT_EQ(Setting("DVDFolderOutPath"), (root / "dvd").string());

  // OK without an image chosen keeps the folder as it was, and hands back no image.
  Script({[&] { ClickOn(Active<TResetPathForm>()->btn1); }});
  EXPECT_TRUE(ShowResetPath(nullptr, 2, 0, 2250, isoFile));
  EXPECT_TRUE(isoFile.empty());
  EXPECT_EQ(Setting("ISOOutPath"), (root / "iso2").string());
}

TEST_F(ResetPathFormTest, CancelAfterChoosingAnImageKeepsOnlyItsFolder) {
  Script({[&] { ClickEditButton(Active<TResetPathForm>()->btnFolderEdt); },
          [&] { SaveAs(root / "iso2", u"backup.iso"); },
          [&] {
            TResetPathForm* form = Active<TResetPathForm>();
            ASSERT_NE(form, nullptr);
            ClickEditButton(form->btnTempPathEdt);
          },
          [&] { ChooseInBrowser(root / "temp2"); },
          [&] { pt::KeyPress(VK_ESCAPE); }});
  WideString isoFile;
  EXPECT_FALSE(ShowResetPath(nullptr, 258, 4500, 2250, isoFile));
  EXPECT_EQ(StepsLeft(), 0u);
  EXPECT_TRUE(isoFile.empty());
  EXPECT_EQ(Setting("ISOOutPath"), (root / "iso2").string()) << "stored when the image was chosen";
  EXPECT_EQ(Setting("TempPath"), (root / "temp" / "BrantwellTemp").string() + "/");
  EXPECT_EQ(Setting("DVDFolderOutPath"), (root / "dvd").string());
}

TEST_F(ResetPathFormTest, TheTopFolderIsRefusedAsTheDVDFolder) {
  WideString refusal;
  Script({[&] { ClickEditButton(Active<TResetPathForm>()->btnFolderEdt); },
          [&] { ChooseInBrowser("/"); },
          [&] {
            TMessageBoxForm* box = Active<TMessageBoxForm>();
            ASSERT_NE(box, nullptr);
            refusal = UTF8ToWide(box->lblText->Caption());
            pt::KeyPress(VK_RETURN);
          },
          [&] {
            TResetPathForm* form = Active<TResetPathForm>();
            ASSERT_NE(form, nullptr);
            EXPECT_EQ(form->btnFolderEdt->Text(), (root / "dvd").string()) << "the former folder stays";
            ClickEditButton(form->btnFolderEdt);
          },
          [&] { ChooseInBrowser(root / "dvd2"); },
          [&] {
            TResetPathForm* form = Active<TResetPathForm>();
            EXPECT_EQ(form->btnFolderEdt->Text(), (root / "dvd2").string());
            ClickOn(form->btn1);
          }});
  WideString isoFile;
  EXPECT_TRUE(ShowResetPath(nullptr, 1, 0, 700, isoFile));
  EXPECT_EQ(StepsLeft(), 0u);
  EXPECT_EQ(refusal, LanguageText(u"INF_InvalidFolder"));
  EXPECT_EQ(Setting("DVDFolderOutPath"), (root / "dvd2").string());
  EXPECT_EQ(Setting("TempPath"), (root / "temp" / "BrantwellTemp").string() + "/") << "no temporary row, no change";
  EXPECT_TRUE(isoFile.empty());
}

}  // namespace
