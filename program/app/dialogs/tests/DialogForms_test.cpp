// The program's message box and file dialog driven by synthetic input through the platform's
// calls: the window manager's message box table against the skinned box, its modality and
// closing rules; the open dialog's listing, multi-select answer and too small a buffer; the
// save dialog's default extension and overwrite prompt; pictures of each.

#include <fstream>

#include "DialogTestSupport.h"
#include "platform/comdlg/FileDialogs.h"
#include "platform/testing/MessageBoxCases.h"
#include "platform/user/InputSink.h"
#include "program/app/dialogs/MessageBoxForm.h"
#include "program/app/dialogs/PlacesBar.h"
#include "program/controls/FSButton.h"
#include "program/controls/FSEdit.h"
#include "program/controls/FSListItems.h"
#include "program/controls/FSListView.h"
#include "rtl/Strings.h"
#include "vcl/Dialogs.h"
#include "vcl/Label.h"

namespace {

namespace pt = platform::testing;
using dialog_test::DialogTest;
namespace fs = std::filesystem;

class DialogFormsTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    owner = TCustomForm::CreateNew<TForm>(Application);
    owner->SetBounds(100, 80, 700, 560);
    owner->SetCaption("Owner");
    owner->Show();
    ASSERT_TRUE(pt::RunUntilIdle());
  }
  // Saves the active top-level window as a picture in the tests' folder.
  static void Picture(HWND window, const std::string& name) {
    UpdateWindow(window);
    pt::RunUntilIdle();
    std::string error;
    EXPECT_TRUE(pt::SaveWindowPng(window, std::string(BRANTWELL_TEST_BIN_DIR) + "/" + name, &error)) << error;
  }
  // Clicks the list's row `name`, with Shift or Ctrl held when asked.
  static void ClickRow(TFileDialogForm* dialog, const std::string& name, int modifier = 0) {
    TFSCustomListView* list = dialog->FileList();
    for (int i = 0; i < list->Items()->Count(); ++i) {
      TFSListItem* item = list->Items()->Item(i);
      if (item->Caption() != name) continue;
      const TRect r = item->DisplayRect(drLabel);
      if (modifier) platform::detail::InjectKey(modifier, true);
      pt::Click(pt::ScreenPoint(list->Handle(), r.Left + 4, (r.Top + r.Bottom) / 2));
      if (modifier) platform::detail::InjectKey(modifier, false);
      return;
    }
    ADD_FAILURE() << "no row " << name;
  }
  static void TypeInto(TFSEdit* edit, const std::u16string& text) {
    edit->SetFocus();
    edit->SelectAll();
    pt::TypeText(text);
  }
  TForm* owner = nullptr;
};

TEST_F(DialogFormsTest, TheMessageBoxTableHoldsForTheSkinnedBox) {
  for (const pt::MessageBoxKeyCase& c : pt::MessageBoxKeyCases()) {
    SCOPED_TRACE(c.name);
    Script({[&] { c.input(); }});
    EXPECT_EQ(MessageBoxW(owner->Handle(), u"Save the project before closing?", u"Brantwell", c.type), c.expected);
  }
}

TEST_F(DialogFormsTest, TheBoxIsModalCentredAndClosesOnlyWithACancellingAnswer) {
  TMessageBoxForm* seen = nullptr;
  Script({[&] {
            seen = Active<TMessageBoxForm>();
            ASSERT_NE(seen, nullptr);
            char16_t name[32] = {};
            GetClassNameW(seen->Handle(), name, 32);
            EXPECT_EQ(std::u16string(name), u"#32770");
            EXPECT_EQ(GetWindow(seen->Handle(), GW_OWNER), owner->Handle());
            EXPECT_FALSE(IsWindowEnabled(owner->Handle()));
            RECT box, area;
            GetWindowRect(seen->Handle(), &box);
            GetWindowRect(owner->Handle(), &area);
            EXPECT_NEAR((box.left + box.right) / 2, (area.left + area.right) / 2, 1);
            EXPECT_NEAR((box.top + box.bottom) / 2, (area.top + area.bottom) / 2, 1);
            // The default button is the second, in the accent.
            EXPECT_TRUE(seen->Buttons()[1]->Default());
            EXPECT_EQ(seen->Buttons()[1]->SkinName(), TMessageBoxForm::DefaultButtonSkin);
            Picture(seen->Handle(), "message-question.png");
            PostMessageW(seen->Handle(), WM_CLOSE, 0, 0);  // no cancelling answer: ignored
          },
          [&] {
            EXPECT_EQ(Active<TMessageBoxForm>(), seen) << "still open";
            PostMessageW(seen->Handle(), WM_COMMAND, IDNO, 0);
          }});
  EXPECT_EQ(MessageBoxA(owner->Handle(), "Replace the existing DVD folder?", "Brantwell",
                        MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2),
            IDNO);
  EXPECT_EQ(StepsLeft(), 0u);
  EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
  Script({[&] { PostMessageW(Active<TMessageBoxForm>()->Handle(), WM_CLOSE, 0, 0); }});
  EXPECT_EQ(MessageBoxW(owner->Handle(), u"Burn now?", u"t", MB_OKCANCEL), IDCANCEL);
  Script({[&] { PostMessageW(Active<TMessageBoxForm>()->Handle(), WM_CLOSE, 0, 0); }});
  EXPECT_EQ(MessageBoxW(owner->Handle(), u"Done.", u"t", MB_OK), IDOK) << "a lone OK is the cancelling answer";
  // Bad arguments fail as the window manager's box does.
  EXPECT_EQ(MessageBoxW(reinterpret_cast<HWND>(0x4321), u"x", u"y", MB_OK), 0);
  EXPECT_EQ(MessageBoxW(owner->Handle(), u"x", u"y", 7), 0);
}

TEST_F(DialogFormsTest, OpenListsTheFolderAndAnswersSeveralFiles) {
  const fs::path clips = root / "Clips";
  fs::create_directories(clips / "Sub");
  for (const char* name : {"b.mp4", "a.mp4", "notes.txt", ".hidden.mp4", "C.MP4"}) std::ofstream(clips / name) << "x";
  TOpenDialog dialog(owner);
  dialog.SetFilter("Video Files (*.mp4)|*.mp4|All Files|*.*");
  dialog.SetInitialDir(clips.string());
  dialog.SetOptions(TOpenOptions{ofHideReadOnly, ofNoChangeDir, ofAllowMultiSelect, ofFileMustExist, ofEnableSizing});
  Script({[&] {
            TFileDialogForm* d = Active<TFileDialogForm>();
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->Caption(), "Open");
            EXPECT_EQ(d->Folder(), UTF8ToWide(clips.string()));
            EXPECT_FALSE(IsWindowEnabled(owner->Handle()));
            // Folders first, hidden files hidden, the filter applied, names in order.
            EXPECT_EQ(d->ListedNames(), (std::vector<WideString>{u"Sub", u"a.mp4", u"b.mp4", u"C.MP4"}));
            d->SortBy(0);  // the name again: the other way, folders still first
            EXPECT_EQ(d->ListedNames(), (std::vector<WideString>{u"Sub", u"C.MP4", u"b.mp4", u"a.mp4"}));
            d->SortBy(0);
            Picture(d->Handle(), "open.png");
            ClickRow(d, "a.mp4");
          },
          [&] { ClickRow(Active<TFileDialogForm>(), "C.MP4", VK_SHIFT); },
          [&] {
            TFileDialogForm* d = Active<TFileDialogForm>();
            EXPECT_EQ(d->edtName->Text(), "\"a.mp4\" \"b.mp4\" \"C.MP4\"");
            ClickOn(d->btnOK);
          }});
  ASSERT_TRUE(dialog.Execute());
  ASSERT_EQ(dialog.Files()->Count(), 3);
  EXPECT_EQ(dialog.Files()->Strings(0), (clips / "a.mp4").string());
  EXPECT_EQ(dialog.Files()->Strings(2), (clips / "C.MP4").string());
  EXPECT_TRUE(IsWindowEnabled(owner->Handle()));

  // The raw call with too small a buffer: the size needed in its first character.
  Script({[&] { TypeInto(Active<TFileDialogForm>()->edtName, u"\"a.mp4\" \"b.mp4\""); },
          [&] { pt::KeyPress(VK_RETURN); }});
  char16_t file[16] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner->Handle();
  ofn.lpstrFile = file;
  ofn.nMaxFile = 16;
  ofn.lpstrInitialDir = u"";
  ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_NOCHANGEDIR;
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  EXPECT_EQ(file[0], clips.string().size() + 1 + 6 + 6 + 1) << "the last folder is where it starts";
}

TEST_F(DialogFormsTest, SaveAddsTheDefaultExtensionAndAsksBeforeReplacing) {
  const fs::path out = root / "home" / "Documents";
  std::ofstream(out / "disc.iso") << "old";
  TSaveDialog dialog(owner);
  dialog.SetFilter("ISO File(*.iso)|*.iso");
  dialog.SetDefaultExt("*.iso");
  dialog.SetOptions(TOpenOptions{ofOverwritePrompt, ofNoChangeDir});
  WideString prompt;
  Script({[&] {
            TFileDialogForm* d = Active<TFileDialogForm>();
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->Folder(), UTF8ToWide(out.string())) << "no other start: the documents folder";
            EXPECT_EQ(d->Caption(), "Save As");
            TypeInto(d->edtName, u"disc");
          },
          [&] {
            Picture(Active<TFileDialogForm>()->Handle(), "save.png");
            pt::KeyPress(VK_RETURN);
          },
          [&] {
            TMessageBoxForm* box = Active<TMessageBoxForm>();
            ASSERT_NE(box, nullptr);
            prompt = UTF8ToWide(box->lblText->Caption());
            pt::TypeText(u"n");
          },
          [&] {
            TFileDialogForm* d = Active<TFileDialogForm>();
            ASSERT_NE(d, nullptr) << "No keeps the dialog open";
            TypeInto(d->edtName, u"new disc");
          },
          [&] { pt::KeyPress(VK_RETURN); }});
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(prompt, u"disc.iso already exists.\nDo you want to replace it?");
  EXPECT_EQ(dialog.FileName(), (out / "new disc.iso").string());
  std::ifstream kept(out / "disc.iso");
  std::string text;
  kept >> text;
  EXPECT_EQ(text, "old");
}

TEST_F(DialogFormsTest, ThePathFieldGoesWhereItSays) {
  fs::create_directories(root / "Clips" / "Sub");
  WideString folderAfter, message;
  Script({[&] { TypeInto(Active<TFileDialogForm>()->edtPath, UTF8ToWide((root / "Clips" / "Sub").string())); },
          [&] { pt::KeyPress(VK_RETURN); },
          [&] {
            TFileDialogForm* d = Active<TFileDialogForm>();
            ASSERT_NE(d, nullptr) << "Enter in the path field does not answer the dialog";
            folderAfter = d->Folder();
            TypeInto(d->edtPath, u"/no/such/place");
          },
          [&] { pt::KeyPress(VK_RETURN); },
          [&] {
            TMessageBoxForm* box = Active<TMessageBoxForm>();
            ASSERT_NE(box, nullptr);
            message = UTF8ToWide(box->lblText->Caption());
            pt::KeyPress(VK_RETURN);
          },
          [&] {
            TFileDialogForm* d = Active<TFileDialogForm>();
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->edtPath->Text(), (root / "Clips" / "Sub").string()) << "the field shows the folder again";
            pt::KeyPress(VK_ESCAPE);
          }});
  TOpenDialog dialog(owner);
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(folderAfter, UTF8ToWide((root / "Clips" / "Sub").string()));
  EXPECT_EQ(message, u"The folder \"/no/such/place\" does not exist.");
}

TEST_F(DialogFormsTest, PlacesAreTheUsersFolders) {
  fs::create_directories(root / "home" / "Videos");
  const std::vector<TDialogPlace> places = DialogPlaces();
  ASSERT_GE(places.size(), 4u);
  EXPECT_EQ(places[0].Caption, u"Home");
  EXPECT_EQ(places[0].Path, UTF8ToWide((root / "home").string()));
  EXPECT_EQ(places[1].Caption, u"Documents");
  EXPECT_EQ(places[2].Caption, u"Videos");
  EXPECT_EQ(places[3].Path, u"/");
}

}  // namespace
