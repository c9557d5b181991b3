// The folder chooser on the program's folder browser, driven by synthetic input: centred on
// the main form's monitor (a second monitor included), the start folder shown, the message
// for a typed name that is no folder, a new folder made and chosen, Cancel, a root that
// bounds the browser, and a thread in the other COM model.

#include <fstream>

#include "platform/ole/ComInit.h"
#include "platform/user/Monitors.h"
#include "program/app/SelectDirectory.h"
#include "program/app/dialogs/MessageBoxForm.h"
#include "program/app/dialogs/tests/DialogTestSupport.h"
#include "program/controls/FSButton.h"
#include "program/controls/FSEdit.h"
#include "program/controls/FSListView.h"
#include "rtl/Strings.h"
#include "vcl/Label.h"

namespace {

namespace pt = platform::testing;
namespace fs = std::filesystem;

class SelectDirectoryTest : public dialog_test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    // Two monitors side by side; the main form lives on the second.
    platform::detail::SetMonitorAreas({{RECT{0, 0, 1024, 768}, RECT{}}, {RECT{1024, 0, 2944, 1080}, RECT{}}});
    mainForm = TCustomForm::CreateNew<TForm>(Application);
    Application->SetMainForm(mainForm);
    mainForm->SetBounds(1500, 200, 600, 400);
    mainForm->Show();
    ASSERT_TRUE(pt::RunUntilIdle());
    start = root / "Projects";
    fs::create_directories(start / "Old");
  }
  void TearDown() override {
    platform::detail::SetMonitorAreas({});
    DialogTest::TearDown();
  }
  TForm* mainForm = nullptr;
  fs::path start;
};

TEST_F(SelectDirectoryTest, ValidatesMakesANewFolderAndAnswersIt) {
  WideString message, caption, renameMessage;
  Script({[&] {
            TFileDialogForm* d = Active<TFileDialogForm>();
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->Mode(), TFileDialogForm::TMode::Folder);
            EXPECT_EQ(d->Caption(), "Choose the temporary folder");
            EXPECT_EQ(d->Folder(), UTF8ToWide(start.string())) << "the start folder";
            EXPECT_EQ(d->ListedNames(), std::vector<WideString>{u"Old"});
            // Centred on the second monitor, where the main form is.
            RECT box;
            GetWindowRect(d->Handle(), &box);
            EXPECT_EQ(box.left, 1024 + (1920 - (box.right - box.left)) / 2);
            EXPECT_EQ(box.top, (1080 - (box.bottom - box.top)) / 2);
            EXPECT_FALSE(IsWindowEnabled(mainForm->Handle()));
            EXPECT_TRUE(d->btnNewFolder->Visible());
            d->edtName->SetFocus();
            pt::TypeText(u"Nowhere");
          },
          [&] { pt::KeyPress(VK_RETURN); },
          [&] {
            TMessageBoxForm* box = Active<TMessageBoxForm>();
            ASSERT_NE(box, nullptr) << "the invalid path is told";
            message = UTF8ToWide(box->lblText->Caption());
            caption = UTF8ToWide(box->Caption());
            pt::KeyPress(VK_RETURN);
          },
          [&] {
            TFileDialogForm* d = Active<TFileDialogForm>();
            ASSERT_NE(d, nullptr) << "the browser stays open";
            d->edtName->SetText("");
            Picture(d);
            ClickOn(d->btnNewFolder);
          },
          [&] {
            TFileDialogForm* d = Active<TFileDialogForm>();
            EXPECT_EQ(d->ListedNames(), (std::vector<WideString>{u"New Folder", u"Old"}));
            EXPECT_EQ(d->SelectedFolder(), UTF8ToWide((start / "New Folder").string()));
            // Its name is open for editing: a name already taken is refused, then a new one.
            EXPECT_TRUE(d->FileList()->IsEditing());
            pt::TypeText(u"Old");  // replaces the selected name
            pt::KeyPress(VK_RETURN);
          },
          [&] {
            TMessageBoxForm* box = Active<TMessageBoxForm>();
            ASSERT_NE(box, nullptr);
            renameMessage = UTF8ToWide(box->lblText->Caption());
            pt::KeyPress(VK_RETURN);
          },
          [&] {
            TFileDialogForm* d = Active<TFileDialogForm>();
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->ListedNames(), (std::vector<WideString>{u"New Folder", u"Old"}));
            d->NewFolder();
          },
          [&] {
            pt::TypeText(u"Renders");
            pt::KeyPress(VK_RETURN);
          },
          [&] {
            TFileDialogForm* d = Active<TFileDialogForm>();
            EXPECT_EQ(d->ListedNames(), (std::vector<WideString>{u"New Folder", u"Old", u"Renders"}));
            EXPECT_EQ(d->SelectedFolder(), UTF8ToWide((start / "Renders").string()));
            ClickOn(d->btnOK);
          }});
  WideString directory = UTF8ToWide(start.string());
  ASSERT_TRUE(SelectDirectory(mainForm, "Choose the temporary folder", u"",
                              TSelectDirExtOpts{sdNewFolder, sdShowEdit, sdNewUI, sdValidateDir}, directory));
  EXPECT_EQ(message, u"\"Nowhere\" is an invalid path");
  EXPECT_EQ(caption, u"Error");
  EXPECT_TRUE(renameMessage.rfind(u"The folder cannot be named \"Old\":", 0) == 0) << WideToUTF8(renameMessage);
  EXPECT_EQ(directory, UTF8ToWide((start / "Renders").string()));
  EXPECT_TRUE(fs::is_directory(start / "New Folder"));
  EXPECT_TRUE(fs::is_directory(start / "Renders"));
  EXPECT_TRUE(IsWindowEnabled(mainForm->Handle()));
}

TEST_F(SelectDirectoryTest, CancelRootAndTheOtherComModel) {
  // Cancel keeps the folder; a folder that does not exist starts nowhere in particular.
  Script({[&] { pt::KeyPress(VK_ESCAPE); }});
  WideString directory = UTF8ToWide(start.string());
  EXPECT_FALSE(SelectDirectory(mainForm, "Folder", u"", TSelectDirExtOpts{sdNewUI}, directory));
  EXPECT_EQ(directory, UTF8ToWide(start.string()));

  // Below a root the browser stays there: Up is off at the root; without the new-folder
  // option there is no New Folder button. This thread runs the multithreaded model: the
  // old style is taken and the thread's own COM start is left as it was.
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  Script({[&] {
            TFileDialogForm* d = Active<TFileDialogForm>();
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->Folder(), UTF8ToWide(start.string()));
            EXPECT_FALSE(d->btnUp->Enabled());
            EXPECT_FALSE(d->btnNewFolder->Visible()) << "no new style";
            EXPECT_FALSE(d->edtName->Visible());
            d->GoUp();
            EXPECT_EQ(d->Folder(), UTF8ToWide(start.string()));
            d->Navigate(UTF8ToWide(root.string()));
            EXPECT_EQ(d->Folder(), UTF8ToWide(start.string())) << "not above the root";
            d->Navigate(UTF8ToWide((start / "Old").string()));
          },
          [&] { ClickOn(Active<TFileDialogForm>()->btnOK); }});
  directory = u"/does/not/exist";
  ASSERT_TRUE(SelectDirectory(nullptr, "Folder", UTF8ToWide(start.string()), TSelectDirExtOpts{sdNewFolder, sdNewUI},
                              directory));
  EXPECT_EQ(directory, UTF8ToWide((start / "Old").string()));
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE) << "still initialised";
  CoUninitialize();
  CoUninitialize();
}

}  // namespace
