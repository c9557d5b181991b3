// The class library's masked edit: the mask's text and length rules, typing through the mask
// (refused characters, deleting, the one-character caret), paste, Escape, and validation.

#include "vcl/MaskEdit.h"

#include <gtest/gtest.h>

#include "platform/comctl/Edit.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/Clipboard.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"

namespace {

using namespace platform;
namespace test = platform::testing;

class MaskEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_form = TCustomForm::CreateNew<TForm>(Application);
    m_form->SetBorderStyle(bsNone);
    m_form->SetBounds(20, 20, 300, 200);
    m_edit = new TMaskEdit(m_form);
    m_edit->SetParent(m_form);
    m_edit->SetBounds(5, 5, 150, 21);
    m_other = new TEdit(m_form);
    m_other->SetParent(m_form);
    m_other->SetBounds(5, 40, 150, 21);
  }
  void TearDown() override { DoneApplication(); }

  void Keys(std::initializer_list<int> keys) {
    for (int key : keys) test::KeyPress(key);
    Application->ProcessMessages();
  }
  void Type(const std::u16string& text) {
    test::TypeText(text);
    Application->ProcessMessages();
  }
  std::pair<int, int> Selection() {
    DWORD from = 0, to = 0;
    m_edit->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return {static_cast<int>(from), static_cast<int>(to)};
  }
  void SetClipboard(const std::u16string& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    auto* chars = static_cast<char16_t*>(GlobalLock(block));
    std::copy(text.begin(), text.end(), chars);
    chars[text.size()] = 0;
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
  }

  TForm* m_form = nullptr;
  TMaskEdit* m_edit = nullptr;
  TEdit* m_other = nullptr;
};

TEST_F(MaskEditTest, TextAndLengthFollowTheMask) {
  m_edit->SetEditMask("!99:99:99;1;0");
  EXPECT_TRUE(m_edit->IsMasked());
  EXPECT_EQ(m_edit->EditText(), "00:00:00");
  EXPECT_EQ(m_edit->Text(), "  :  :  ");
  EXPECT_EQ(m_edit->MaxLength(), 8);
  m_edit->SetMaxLength(3);  // the mask keeps its own length
  EXPECT_EQ(m_edit->MaxLength(), 8);

  m_edit->SetText("12:34:56");
  EXPECT_EQ(m_edit->EditText(), "12:34:56");
  EXPECT_EQ(m_edit->Text(), "12:34:56");
  m_edit->SetText("garbage");  // at run time a value that does not fit is laid in, not refused
  EXPECT_EQ(m_edit->EditText().size(), 8u);

  // A value without literals goes into the positions of a mask that drops them.
  m_edit->SetEditMask("000-00;0;_");
  m_edit->SetText("12345");
  EXPECT_EQ(m_edit->EditText(), "123-45");
  EXPECT_EQ(m_edit->Text(), "12345");
  // The text survives a change of mask, and dropping the mask frees the length.
  m_edit->SetEditMask("00000;0;*");
  EXPECT_EQ(m_edit->EditText(), "12345");
  m_edit->SetEditMask("");
  EXPECT_FALSE(m_edit->IsMasked());
  m_edit->SetMaxLength(3);
  EXPECT_EQ(m_edit->MaxLength(), 3);
  EXPECT_EQ(m_edit->Text(), "12345");
}

TEST_F(MaskEditTest, TypingGoesThroughTheMask) {
  m_edit->SetEditMask("000-00;0;_");
  m_form->Show();
  m_edit->SetFocus();
  Application->ProcessMessages();
  Keys({VK_HOME});
  EXPECT_EQ(Selection(), std::make_pair(0, 1));  // the caret marks one position

  Type(u"12a345");  // the letter is refused, the literal is stepped over
  EXPECT_EQ(m_edit->EditText(), "123-45");
  EXPECT_EQ(m_edit->Text(), "12345");
  EXPECT_TRUE(m_edit->Modified());

  Keys({VK_BACK});  // at the end: the last position is emptied
  EXPECT_EQ(m_edit->EditText(), "123-4_");
  Keys({VK_LEFT, VK_LEFT, VK_DELETE});  // over the literal, onto the 3
  EXPECT_EQ(m_edit->EditText(), "12_-4_");
  EXPECT_EQ(Selection(), std::make_pair(2, 3));

  SetClipboard(u"987");
  Keys({VK_HOME});
  m_edit->Perform(WM_PASTE);
  EXPECT_EQ(m_edit->EditText(), "987-4_");
  EXPECT_EQ(Selection(), std::make_pair(4, 5));

  // Escape gives back the text the edit had when it was entered.
  Keys({VK_ESCAPE});
  EXPECT_EQ(m_edit->EditText(), "___-__");
  EXPECT_FALSE(m_edit->Modified());
}

class CountingMaskEdit : public TMaskEdit {
 public:
  using TMaskEdit::TMaskEdit;
  int errors = 0;

 protected:
  void ValidateError() override {
    ++errors;
    TMaskEdit::ValidateError();
  }
};

TEST_F(MaskEditTest, LeavingWithAnIncompleteTextRaisesAndStays) {
  auto* edit = new CountingMaskEdit(m_form);
  edit->SetParent(m_form);
  edit->SetBounds(5, 80, 150, 21);
  edit->SetEditMask(">LL-000;0;_");
  m_form->Show();
  edit->SetFocus();
  Type(u"ab1");
  EXPECT_EQ(edit->EditText(), "AB-1__");  // upper case, as the mask asks
  try {
    edit->ValidateEdit();
    FAIL() << "no error";
  } catch (const EDBEditError& e) {
    EXPECT_EQ(e.Message(), "Invalid input value.  Use escape key to abandon changes");
  }
  EXPECT_EQ(edit->errors, 1);
  EXPECT_TRUE(edit->Focused());
  DWORD from = 0, to = 0;
  edit->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 4u);  // the first empty required position

  Type(u"23");
  EXPECT_NO_THROW(edit->ValidateEdit());
  EXPECT_EQ(edit->Text(), "AB123");
}

}  // namespace
