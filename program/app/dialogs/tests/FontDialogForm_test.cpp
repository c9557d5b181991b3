// The font dialog driven by synthetic input through ChooseFontW: family, style and size picked
// from the lists and typed, the effects and colour, OK; the start from a LOGFONT; the fields'
// checks keeping the dialog open; Esc cancelling; a picture of it.

#include <cstring>

#include "DialogTestSupport.h"
#include "platform/comdlg/FontDialog.h"
#include "program/app/dialogs/FontDialogForm.h"
#include "program/app/dialogs/MessageBoxForm.h"
#include "program/controls/FSCheckBox.h"
#include "program/controls/FSComboBox.h"
#include "program/controls/FSEdit.h"
#include "program/controls/FSGroupBox.h"
#include "program/controls/FSListItems.h"
#include "program/controls/FSListView.h"
#include "vcl/Dialogs.h"
#include "vcl/Label.h"

namespace {

namespace pt = platform::testing;
using dialog_test::DialogTest;

class FontDialogFormTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    platform::comdlg::SetFontFamiliesForTesting({u"DejaVu Sans", u"DejaVu Serif", u"Liberation Mono"});
    owner = TCustomForm::CreateNew<TForm>(Application);
    owner->SetBounds(100, 80, 700, 560);
    owner->SetCaption("Owner");
    owner->Show();
    ASSERT_TRUE(pt::RunUntilIdle());
  }
  void TearDown() override {
    platform::comdlg::SetFontFamiliesForTesting({});
    DialogTest::TearDown();
  }
  static TFontDialogForm* Dialog() { return Active<TFontDialogForm>(); }
  static void ClickRow(TFSCustomListView* list, const std::string& caption) {
    for (int i = 0; i < list->Items()->Count(); ++i) {
      TFSListItem* item = list->Items()->Item(i);
      if (item->Caption() != caption) continue;
      item->MakeVisible(false);
      pt::RunUntilIdle();
      const TRect r = item->DisplayRect(drLabel);
      pt::Click(pt::ScreenPoint(list->Handle(), r.Left + 4, (r.Top + r.Bottom) / 2));
      return;
    }
    ADD_FAILURE() << "no row " << caption;
  }
  static std::string SelectedRow(TFSCustomListView* list) {
    TFSListItem* item = list->Selected();
    return item ? std::string(item->Caption()) : std::string();
  }
  static void TypeInto(TFSEdit* edit, const std::u16string& text) {
    edit->SetFocus();
    edit->SelectAll();
    pt::TypeText(text);
  }
  CHOOSEFONTW Record(LOGFONTW* font, DWORD flags) {
    CHOOSEFONTW cf{};
    cf.lStructSize = sizeof(cf);
    cf.hwndOwner = owner->Handle();
    cf.lpLogFont = font;
    cf.Flags = flags;
    return cf;
  }
  TForm* owner = nullptr;
};

TEST_F(FontDialogFormTest, PickTypeAndOk) {
  LOGFONTW font{};
  CHOOSEFONTW cf = Record(&font, CF_SCREENFONTS | CF_EFFECTS | CF_NOVERTFONTS);
  cf.rgbColors = RGB(0, 0, 0);
  Script({
      [&] {
        TFontDialogForm* d = Dialog();
        ASSERT_NE(d, nullptr);
        char className[32] = {};
        GetClassNameA(d->Handle(), className, sizeof className);
        EXPECT_STREQ(className, "#32770");
        EXPECT_FALSE(IsWindowEnabled(owner->Handle())) << "the owner waits";
        RECT o{}, w{};
        GetWindowRect(owner->Handle(), &o);
        GetWindowRect(d->Handle(), &w);
        EXPECT_NEAR((w.left + w.right) / 2, (o.left + o.right) / 2, 1);
        EXPECT_NEAR((w.top + w.bottom) / 2, (o.top + o.bottom) / 2, 1);
        // Nothing asked for: a sans family, regular, 10 points.
        EXPECT_EQ(d->edtFamily->Text(), "DejaVu Sans");
        EXPECT_EQ(d->edtStyle->Text(), "Regular");
        EXPECT_EQ(d->edtSize->Text(), "10");
        EXPECT_EQ(SelectedRow(d->SizeList()), "10");
        EXPECT_TRUE(d->grpEffects->Visible());
        // Typing selects the first family it starts.
        TypeInto(d->edtFamily, u"dejavu se");
      },
      [&] {
        TFontDialogForm* d = Dialog();
        EXPECT_EQ(SelectedRow(d->FamilyList()), "DejaVu Serif");
        ClickRow(d->FamilyList(), "Liberation Mono");
      },
      [&] {
        TFontDialogForm* d = Dialog();
        EXPECT_EQ(d->edtFamily->Text(), "Liberation Mono");
        ClickRow(d->StyleList(), "Bold Italic");
      },
      [&] {
        TFontDialogForm* d = Dialog();
        EXPECT_EQ(d->edtStyle->Text(), "Bold Italic");
        ClickRow(d->SizeList(), "24");
      },
      [&] {
        TFontDialogForm* d = Dialog();
        EXPECT_EQ(d->edtSize->Text(), "24");
        // A size of one's own: no row of the list.
        TypeInto(d->edtSize, u"13.5");
      },
      [&] {
        TFontDialogForm* d = Dialog();
        EXPECT_EQ(SelectedRow(d->SizeList()), "");
        pt::Click(CentreOf(d->chkUnderline));
      },
      [&] {
        TFontDialogForm* d = Dialog();
        EXPECT_TRUE(d->chkUnderline->Checked());
        d->cbColor->SetFocus();
        pt::KeyPress(VK_DOWN);  // black to maroon
        pt::KeyPress(VK_DOWN);  // to green
      },
      [&] {
        TFontDialogForm* d = Dialog();
        EXPECT_EQ(d->cbColor->Text(), "Green");
        TFont* sample = d->lblSample->Font();
        EXPECT_EQ(sample->Name(), "Liberation Mono");
        EXPECT_EQ(sample->Style(), (TFontStyles{fsBold, fsItalic, fsUnderline}));
        EXPECT_EQ(sample->Height(), -18);
        EXPECT_EQ(sample->Color(), static_cast<TColor>(RGB(0, 128, 0)));
        Picture(d, "FontDialog.png");
        pt::KeyPress(VK_RETURN);
      },
  });
  ASSERT_TRUE(ChooseFontW(&cf));
  EXPECT_EQ(StepsLeft(), 0u);
  EXPECT_EQ(std::u16string(font.lfFaceName), u"Liberation Mono");
  EXPECT_EQ(cf.iPointSize, 135);
  EXPECT_EQ(font.lfHeight, -18);
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  EXPECT_EQ(font.lfItalic, 1);
  EXPECT_EQ(font.lfUnderline, 1);
  EXPECT_EQ(font.lfStrikeOut, 0);
  EXPECT_EQ(cf.rgbColors, static_cast<COLORREF>(RGB(0, 128, 0)));
  EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
}

TEST_F(FontDialogFormTest, StartsFromTheLogFontChecksTheFieldsAndEscCancels) {
  LOGFONTW font{};
  font.lfHeight = -16;  // 12 points
  font.lfWeight = FW_BOLD;
  std::memcpy(font.lfFaceName, u"DejaVu Serif", sizeof(u"DejaVu Serif"));
  const LOGFONTW before = font;
  CHOOSEFONTW cf = Record(&font, CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE);
  cf.nSizeMin = 8;
  cf.nSizeMax = 20;
  std::string told;
  // Enter in the dialog with the field set up by `setUp`; the message that comes is kept in
  // `told` and answered.
  auto refused = [&](std::function<void(TFontDialogForm*)> setUp) {
    return std::deque<std::function<void()>>{
        [&, setUp] {
          setUp(Dialog());
          pt::KeyPress(VK_RETURN);
        },
        [&] {
          TMessageBoxForm* box = Active<TMessageBoxForm>();
          ASSERT_NE(box, nullptr) << "a message tells what is wrong";
          told = box->lblText->Caption();
          pt::KeyPress(VK_RETURN);
        },
    };
  };
  std::deque<std::function<void()>> steps{[&] {
    TFontDialogForm* d = Dialog();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->edtFamily->Text(), "DejaVu Serif");
    EXPECT_EQ(SelectedRow(d->FamilyList()), "DejaVu Serif");
    EXPECT_EQ(d->edtStyle->Text(), "Bold");
    EXPECT_EQ(d->edtSize->Text(), "12");
    EXPECT_FALSE(d->grpEffects->Visible()) << "no effects asked for";
    // Only the sizes within the limits are listed.
    EXPECT_EQ(d->SizeList()->Items()->Count(), 9);
    EXPECT_EQ(d->SizeList()->Items()->Item(8)->Caption(), "20");
  }};
  const struct {
    TFSEdit* TFontDialogForm::*field;
    std::u16string text;
    std::string message;
  } cases[] = {
      {&TFontDialogForm::edtFamily, u"Comic", "There is no font with that name. Choose a font from the list of fonts."},
      {&TFontDialogForm::edtStyle, u"Oblique",
       "There is no style with that name. Choose a style from the list of styles."},
      {&TFontDialogForm::edtSize, u"big", "Size must be a number."},
      {&TFontDialogForm::edtSize, u"36", "Size must be between 8 and 20 points."},
  };
  for (const auto& c : cases) {
    for (auto& step : refused([&c](TFontDialogForm* d) {
           d->edtFamily->SetText("DejaVu Serif");
           d->edtStyle->SetText("Bold");
           d->edtSize->SetText("12");
           TypeInto(d->*c.field, c.text);
         }))
      steps.push_back(std::move(step));
    steps.push_back([&, expected = c.message, field = c.field] {
      EXPECT_EQ(told, expected);
      TFontDialogForm* d = Dialog();
      ASSERT_NE(d, nullptr) << "the dialog stays open";
      EXPECT_TRUE((d->*field)->Focused()) << "the field to mend has the focus";
    });
  }
  steps.push_back([] { pt::KeyPress(VK_ESCAPE); });
  Script(std::move(steps));
  EXPECT_FALSE(ChooseFontW(&cf));
  EXPECT_EQ(StepsLeft(), 0u);
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(std::memcmp(&font, &before, sizeof font), 0);
  EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
}

TEST_F(FontDialogFormTest, TheComponentGetsTheFontChosen) {
  TFontDialog dialog(nullptr);
  dialog.Font()->SetName("DejaVu Sans");
  dialog.Font()->SetSize(9);
  Script({[&] {
            TFontDialogForm* d = Dialog();
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->edtSize->Text(), "9");
            ClickRow(d->StyleList(), "Italic");
          },
          [] { pt::KeyPress(VK_RETURN); }});
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Font()->Name(), "DejaVu Sans");
  EXPECT_EQ(dialog.Font()->Size(), 9);
  EXPECT_EQ(dialog.Font()->Style(), TFontStyles{fsItalic});
}

}  // namespace
