// The options dialog through its skinned window and synthetic input: the settings it shows
// (and the update period it stores at once), Cancel that changes nothing, the period and
// format rows a stored value chooses, folders chosen through the folder chooser (a folder that
// went away is told and asked again), the defaults, the snapshot folder opened only when it is
// a folder, and OK writing everything and making the temporary folder.

#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "program/app/OptionForm.h"
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

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class OptionFormTest : public SettingsDialogTest {
 protected:
  void SetUp() override {
    SettingsDialogTest::SetUp();
    if (const char* cache = getenv("XDG_CACHE_HOME")) savedCache = cache;
    unsetenv("XDG_CACHE_HOME");
  }
  void TearDown() override {
    if (savedCache) setenv("XDG_CACHE_HOME", savedCache->c_str(), 1);
    SettingsDialogTest::TearDown();
  }

  std::optional<std::string> savedCache;
};

TEST(OptionForm, StoredPeriodsChooseTheirRow) {
  struct Case {
    int days, current, row;
  } cases[] = {{0, -1, 0}, {1, -1, 1}, {7, -1, 2}, {30, -1, 3}, {-1, -1, 2}, {-1, 0, 2}, {3, -1, -1}, {14, 1, 1}};
  for (const Case& c : cases) EXPECT_EQ(UpdatePeriodIndex(c.days, c.current), c.row) << c.days << " from " << c.current;
}

TEST_F(OptionFormTest, ShowsTheSettingsAndCancelChangesNothing) {
  const fs::path temp = root / "cache" / "BrantwellTemp";
  const fs::path shots = root / "home" / "Documents" / "Brantwell" / "Snapshot";
  AppConfig.WriteStringA("System", "TempPath", temp.string() + "/");
  AppConfig.WriteStringA("System", "SnapshotPath", shots.string());
  AppConfig.WriteStringA("System", "SnapshotFormat", "BMP");
  std::string storedPeriod;
  Script({[&] {
    TOptionForm* form = Active<TOptionForm>();
    ASSERT_NE(form, nullptr);
    // The period is stored as soon as the dialog opens.
    storedPeriod = ReadAll(settings);
    EXPECT_TRUE(form->SkinLoaded());
    EXPECT_EQ(form->ClientWidth(), 463);
    EXPECT_EQ(form->ClientHeight(), 331);
    EXPECT_EQ(form->Caption(), Text(u"Title_Option"));
    EXPECT_EQ(form->lblTemppath->Caption(), Text(u"LBL_Temppath_Caption"));
    EXPECT_EQ(form->lblDir->Caption(), Text(u"LBL_Option_Dir_Caption"));
    EXPECT_EQ(form->lblformat->Caption(), Text(u"LBL_FormatPhoto_Caption"));
    EXPECT_EQ(form->lblCheckUpdate->Caption(), Text(u"Info_CheckforUpdate"));
    EXPECT_EQ(form->btnBrowse->Caption(), Text(u"BTN_Browse_Caption"));
    EXPECT_EQ(form->btnDefault->Caption(), Text(u"BTN_Default_Caption"));
    EXPECT_EQ(form->btnCancel->Caption(), Text(u"BTN_Cancel_Caption"));
    EXPECT_EQ(form->btnOK->Caption(), Text(u"BTN_OK_Caption"));
    for (const char16_t* key : {u"OPT_TempTitle", u"OPT_SnapshotTitle", u"OPT_UpdateTitle"}) Text(key);
    ASSERT_EQ(form->cbbUpdatePeriod->Items()->Count(), 4);
    EXPECT_EQ(form->cbbUpdatePeriod->Items()->Strings(3), Text(u"UpdateTime4"));
    EXPECT_EQ(form->cboformat->Items()->Strings(0), "Jpeg file (*.jpg)");
    EXPECT_EQ(form->beTemppath->Text(), temp.string() + "/");
    EXPECT_EQ(form->bePhotoDir->Text(), shots.string());
    EXPECT_TRUE(form->bePhotoDir->ReadOnly());
    EXPECT_EQ(form->bePhotoDir->SelStart(), 1);
    EXPECT_EQ(form->beTemppath->SelStart(), 1);
    EXPECT_EQ(form->cboformat->ItemIndex(), 1);
    EXPECT_EQ(form->cbbUpdatePeriod->ItemIndex(), 2);
    Picture(form, "options.png");
    pt::KeyPress(VK_ESCAPE);
  }});
  const std::string before = ReadAll(settings);
  EXPECT_FALSE(ShowOptions(nullptr));
  EXPECT_EQ(StepsLeft(), 0u);
  EXPECT_NE(storedPeriod.find("UpdatePeriod=7"), std::string::npos) << storedPeriod;
  EXPECT_EQ(ReadAll(settings), storedPeriod) << "Cancel writes nothing";
  EXPECT_NE(before, storedPeriod);
  EXPECT_FALSE(fs::exists(temp));
}

TEST_F(OptionFormTest, StoredValuesChooseTheRowsAndOKWritesThem) {
  struct Case {
    const char* period;
    const char* format;
    int periodRow, formatRow;
    const char* periodAfter;
    const char* formatAfter;
  } cases[] = {
      {"0", "JPG", 0, 0, "0", "JPG"},
      {"30", "BMP", 3, 1, "30", "BMP"},
      {"abc", "bmp", 2, 0, "7", "JPG"},  // no number; the format is matched with its letter case
      {"3", "", -1, 0, "3", "JPG"},      // no such period: none is chosen and the value stays
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.period);
    AppConfig.WriteStringA("System", "UpdatePeriod", c.period);
    AppConfig.WriteStringA("System", "SnapshotFormat", c.format);
    AppConfig.WriteStringA("System", "TempPath", (root / "work" / "BrantwellTemp").string() + "/");
    Script({[&] {
      TOptionForm* form = Active<TOptionForm>();
      ASSERT_NE(form, nullptr);
      EXPECT_EQ(form->cbbUpdatePeriod->ItemIndex(), c.periodRow);
      EXPECT_EQ(form->cboformat->ItemIndex(), c.formatRow);
      ClickOn(form->btnOK);
    }});
    EXPECT_TRUE(ShowOptions(nullptr));
    EXPECT_EQ(Setting("UpdatePeriod"), c.periodAfter);
    EXPECT_EQ(Setting("SnapshotFormat"), c.formatAfter);
  }
  // OK made the temporary folder, with its missing parent.
  EXPECT_TRUE(fs::is_directory(root / "work" / "BrantwellTemp"));
}

TEST_F(OptionFormTest, FoldersComeFromTheChooserAndOKWritesThem) {
  fs::create_directories(root / "Work");
  fs::create_directories(root / "Shots");
  fs::create_directories(root / "Pictures");
  AppConfig.WriteStringA("System", "TempPath", (root / "old" / "BrantwellTemp").string() + "/");
  AppConfig.WriteStringA("System", "SnapshotPath", (root / "Pictures").string());
  AppConfig.WriteStringA("System", "SnapshotFormat", "BMP");
  AppConfig.WriteStringA("System", "UpdatePeriod", "1");
  WideString message, chooserCaption;
  Script({[&] { ClickEditButton(Active<TOptionForm>()->beTemppath); },
          [&] {
            TFileDialogForm* chooser = Active<TFileDialogForm>();
            ASSERT_NE(chooser, nullptr) << "no folder chooser";
            chooserCaption = UTF8ToWide(chooser->Caption());
            ChooseInBrowser(root / "Work");
          },
          [&] {
            TOptionForm* form = Active<TOptionForm>();
            ASSERT_NE(form, nullptr);
            EXPECT_EQ(form->beTemppath->Text(), (root / "Work" / "BrantwellTemp").string() + "/");
            // A folder that already ends with the delimiter gets no second one.
            ClickEditButton(form->beTemppath);
          },
          [&] { ChooseInBrowser("/"); },
          [&] {
            TOptionForm* form = Active<TOptionForm>();
            EXPECT_EQ(form->beTemppath->Text(), "/BrantwellTemp/");
            ClickEditButton(form->beTemppath);
          },
          [&] { ChooseInBrowser(root / "Work"); },
          [&] { ClickEditButton(Active<TOptionForm>()->bePhotoDir); },
          [&] {
            // The chooser starts at the edit's folder; the folder goes away before OK.
            TFileDialogForm* chooser = Active<TFileDialogForm>();
            ASSERT_NE(chooser, nullptr);
            EXPECT_EQ(chooser->Folder(), UTF8ToWide((root / "Pictures").string()));
            ASSERT_TRUE(chooser->Navigate(UTF8ToWide((root / "Shots").string())));
            fs::remove(root / "Shots");
            ClickOn(chooser->btnOK);
          },
          [&] {
            message = MessageShown();
            pt::KeyPress(VK_RETURN);
          },
          [&] { ChooseInBrowser(root / "Work"); },
          [&] {
            TOptionForm* form = Active<TOptionForm>();
            ASSERT_NE(form, nullptr);
            EXPECT_EQ(form->bePhotoDir->Text(), (root / "Work").string());
            form->cboformat->SetItemIndex(0);
            form->cbbUpdatePeriod->SetItemIndex(3);
            ClickOn(form->btnOK);
          }});
  EXPECT_TRUE(ShowOptions(nullptr));
  EXPECT_EQ(StepsLeft(), 0u);
  EXPECT_EQ(chooserCaption, LanguageText(u"INF_Select_Folder"));
  EXPECT_EQ(message, LanguageText(u"INF_Folder_UnExists"));
  EXPECT_EQ(Setting("TempPath"), (root / "Work" / "BrantwellTemp").string() + "/");
  EXPECT_EQ(Setting("SnapshotPath"), (root / "Work").string());
  EXPECT_EQ(Setting("SnapshotFormat"), "JPG");
  EXPECT_EQ(Setting("UpdatePeriod"), "30");
  EXPECT_TRUE(fs::is_directory(root / "Work" / "BrantwellTemp"));
  EXPECT_FALSE(fs::exists("/BrantwellTemp"));
}

TEST_F(OptionFormTest, DefaultsAndTheSnapshotFolderOpenedOnlyWhenItIsOne) {
  // A stand-in for the desktop's handler records what it is given.
  const fs::path bin = root / "bin";
  fs::create_directories(bin);
  const fs::path record = root / "opened";
  std::ofstream(bin / "xdg-open") << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << record.string() << "'\n";
  fs::permissions(bin / "xdg-open", fs::perms::owner_all);
  const char* oldPath = getenv("PATH");
  const std::string savedPath = oldPath ? oldPath : "";
  setenv("PATH", (bin.string() + ":/usr/bin:/bin").c_str(), 1);

  const fs::path documents = root / "home" / "Documents";
  fs::create_directories(documents / "Brantwell" / "Snapshot");
  AppConfig.WriteStringA("System", "SnapshotPath", (root / "gone").string());
  AppConfig.WriteStringA("System", "TempPath", (root / "old").string() + "/");
  AppConfig.WriteStringA("System", "SnapshotFormat", "JPG");
  AppConfig.WriteStringA("System", "UpdatePeriod", "0");
  WideString message;
  Script({[&] { ClickOn(Active<TOptionForm>()->btnBrowse); },
          [&] {
            message = MessageShown();
            pt::KeyPress(VK_RETURN);
          },
          [&] {
            TOptionForm* form = Active<TOptionForm>();
            ASSERT_NE(form, nullptr);
            ClickOn(form->btnDefault);
          },
          [&] {
            TOptionForm* form = Active<TOptionForm>();
            EXPECT_EQ(form->bePhotoDir->Text(), (documents / "Brantwell" / "Snapshot").string());
            EXPECT_EQ(form->beTemppath->Text(), (root / "home" / ".cache" / "BrantwellTemp").string() + "/");
            EXPECT_EQ(form->cboformat->ItemIndex(), 1);
            EXPECT_EQ(form->cbbUpdatePeriod->ItemIndex(), 2);
            ClickOn(form->btnBrowse);
          },
          [&] { ClickOn(Active<TOptionForm>()->btnOK); }});
  EXPECT_TRUE(ShowOptions(nullptr));
  setenv("PATH", savedPath.c_str(), 1);
  EXPECT_EQ(message, LanguageText(u"INF_Folder_UnExists"));
  const std::string expected = (documents / "Brantwell" / "Snapshot").string() + "\n";
  for (int i = 0; i < 500 && ReadAll(record) != expected; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(ReadAll(record), expected) << "only the folder that exists was opened";
  EXPECT_EQ(Setting("SnapshotPath"), (documents / "Brantwell" / "Snapshot").string());
  EXPECT_EQ(Setting("TempPath"), (root / "home" / ".cache" / "BrantwellTemp").string() + "/");
  EXPECT_EQ(Setting("SnapshotFormat"), "BMP");
  EXPECT_EQ(Setting("UpdatePeriod"), "7");
  EXPECT_TRUE(fs::is_directory(root / "home" / ".cache" / "BrantwellTemp"));
}

}  // namespace
