// The edit and memo controls over the platform edit: window styles from properties, settings
// kept across re-creation, OnChange, selection, clipboard and undo, colours, and memo lines
// with and without a window.

#include "vcl/StdCtrls.h"

#include <gtest/gtest.h>

#include "platform/comctl/Edit.h"
#include "platform/testing/Pictures.h"
#include "platform/testing/Synthetic.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"

namespace {

using namespace platform;
namespace test = platform::testing;

class StdCtrlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_form = TCustomForm::CreateNew<TForm>(Application);
    m_form->SetBorderStyle(bsNone);
    m_form->SetBounds(20, 20, 300, 200);
  }
  void TearDown() override { DoneApplication(); }

  template <class T> T* Make(int left, int top) {
    auto* control = new T(m_form);
    control->SetParent(m_form);
    control->SetBounds(left, top, control->Width(), control->Height());
    return control;
  }
  static void Type(TWinControl* control, const std::u16string& text) {
    control->SetFocus();
    test::TypeText(text);
    Application->ProcessMessages();
  }

  TForm* m_form = nullptr;
};

DWORD StyleOf(TWinControl* control) { return static_cast<DWORD>(GetWindowLongPtrA(control->Handle(), GWL_STYLE)); }
DWORD ExStyleOf(TWinControl* control) { return static_cast<DWORD>(GetWindowLongPtrA(control->Handle(), GWL_EXSTYLE)); }

TEST_F(StdCtrlsTest, PropertiesBecomeWindowStylesAndSurviveRecreation) {
  auto* edit = Make<TEdit>(5, 5);
  m_form->Show();
  EXPECT_TRUE(ExStyleOf(edit) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(StyleOf(edit) & (ES_MULTILINE | ES_READONLY), 0u);
  edit->SetMaxLength(4);
  edit->SetPasswordChar(u'*');
  edit->SetText("abc");
  edit->SetModified(true);
  edit->SetReadOnly(true);
  EXPECT_TRUE(StyleOf(edit) & ES_READONLY);

  HWND before = edit->Handle();
  edit->SetBorderStyle(bsNone);  // made again
  EXPECT_NE(edit->Handle(), before);
  EXPECT_FALSE(ExStyleOf(edit) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(edit->Perform(EM_GETLIMITTEXT), 4);
  EXPECT_EQ(edit->Perform(EM_GETPASSWORDCHAR), u'*');
  EXPECT_TRUE(StyleOf(edit) & ES_READONLY);
  EXPECT_TRUE(edit->Modified());
  EXPECT_EQ(edit->Text(), "abc");

  edit->SetReadOnly(false);
  edit->SetCharCase(ecUpperCase);
  edit->SetText("");
  Type(edit, u"hello");
  EXPECT_EQ(edit->Text(), "HELL");  // upper case, cut at MaxLength
}

TEST_F(StdCtrlsTest, OnChangeOncePerChangeWithAndWithoutAWindow) {
  auto* edit = Make<TEdit>(5, 5);
  int changes = 0;
  edit->OnChange = TNotifyEvent([&](TObject*) { ++changes; });
  edit->SetText("before the window");
  EXPECT_FALSE(edit->HandleAllocated());
  EXPECT_EQ(changes, 1);
  m_form->Show();
  EXPECT_EQ(changes, 1);  // making the window is no change
  edit->SetText("with a window");
  EXPECT_EQ(changes, 2);
  Type(edit, u"x");
  EXPECT_EQ(changes, 3);
  edit->Clear();
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(edit->Text(), "");
}

TEST_F(StdCtrlsTest, SelectionClipboardAndUndo) {
  auto* edit = Make<TEdit>(5, 5);
  m_form->Show();
  edit->SetText("h\xC3\xA9llo world");  // an accented letter: positions count characters
  edit->SetSelStart(6);
  edit->SetSelLength(5);
  EXPECT_EQ(edit->SelText(), "world");
  edit->CutToClipboard();
  EXPECT_EQ(edit->Text(), "h\xC3\xA9llo ");
  EXPECT_TRUE(edit->CanUndo());
  edit->Undo();
  EXPECT_EQ(edit->Text(), "h\xC3\xA9llo world");
  edit->SelectAll();
  EXPECT_EQ(edit->SelLength(), 11);
  edit->PasteFromClipboard();
  EXPECT_EQ(edit->Text(), "world");
  edit->SetSelStart(0);
  edit->SetSelText("new ");
  EXPECT_EQ(edit->Text(), "new world");
  edit->ClearUndo();
  EXPECT_FALSE(edit->CanUndo());
  // Keyboard focus selects the whole text; a memo does not.
  auto* other = Make<TEdit>(5, 40);
  other->SetText("all of it");
  other->SetFocus();
  EXPECT_EQ(other->SelLength(), 9);
}

TEST_F(StdCtrlsTest, ColoursComeFromColorAndFont) {
  auto* edit = Make<TEdit>(5, 5);
  edit->SetColor(clYellow);
  edit->Font()->SetColor(clBlue);
  edit->SetText("ink");
  m_form->Show();
  Application->ProcessMessages();
  edit->Repaint();
  const test::Image image = test::ReadWindow(edit->Handle());
  ASSERT_GT(image.width, 20);
  EXPECT_EQ(image.At(image.width - 3, image.height - 3) & 0xFFFFFF, 0xFFFF00u);
  bool blue = false;
  for (uint32_t p : image.pixels) blue = blue || ((p & 0xFF) > 0x80 && ((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60);
  EXPECT_TRUE(blue);
}

TEST_F(StdCtrlsTest, MemoLinesAreKeptWithoutAWindowAndFollowIt) {
  auto* memo = Make<TMemo>(5, 5);
  memo->Lines()->Add("first");
  memo->Lines()->Add("second");
  memo->Lines()->Insert(1, "middle");
  EXPECT_FALSE(memo->HandleAllocated());
  EXPECT_EQ(memo->Lines()->Count(), 3);
  EXPECT_EQ(memo->Lines()->Get(1), "middle");

  // Clear without a window empties the lines and makes no window.
  auto* idle = Make<TMemo>(100, 5);
  idle->Lines()->SetText("one\ntwo\n");
  EXPECT_EQ(idle->Lines()->Count(), 2);
  idle->Clear();
  EXPECT_EQ(idle->Lines()->Count(), 0);
  EXPECT_FALSE(idle->HandleAllocated());

  m_form->Show();
  char16_t text[64] = {};
  GetWindowTextW(memo->Handle(), text, 64);
  EXPECT_EQ(std::u16string(text), u"first\r\nmiddle\r\nsecond");
  EXPECT_EQ(memo->Perform(EM_GETLINECOUNT), 3);

  // Typing shows in Lines; Lines changes show in the window.
  memo->SetFocus();
  memo->Perform(EM_SETSEL, 5, 5);
  test::TypeText(u"\rnew");
  Application->ProcessMessages();
  EXPECT_EQ(memo->Lines()->Count(), 4);
  EXPECT_EQ(memo->Lines()->Get(1), "new");
  memo->Lines()->Delete(0);
  EXPECT_EQ(memo->Perform(EM_GETLINECOUNT), 3);
  memo->Lines()->Put(0, "changed");
  EXPECT_EQ(memo->Text(), "changed\r\nmiddle\r\nsecond");

  // Re-creation keeps them.
  memo->SetScrollBars(ssVertical);
  EXPECT_TRUE(StyleOf(memo) & WS_VSCROLL);
  EXPECT_EQ(memo->Lines()->Count(), 3);
  EXPECT_EQ(memo->Lines()->Get(2), "second");
  memo->SetWordWrap(false);
  EXPECT_TRUE(StyleOf(memo) & ES_AUTOHSCROLL);
  EXPECT_EQ(memo->CaretPos().Y, 0);
}

TEST_F(StdCtrlsTest, MemoWantsReturnsAndTabsAsSet) {
  auto* memo = Make<TMemo>(5, 5);
  auto* next = Make<TEdit>(5, 120);
  m_form->Show();
  struct Case {
    bool wantReturns, wantTabs;
    std::u16string typed, expected;
    bool keepsFocus;
  } cases[] = {
      {true, false, u"a\rb", u"a\r\nb", true},
      {false, false, u"a\rb", u"ab", true},
      {true, true, u"a\tb", u"a\tb", true},
  };
  for (const Case& c : cases) {
    memo->SetWantReturns(c.wantReturns);
    memo->SetWantTabs(c.wantTabs);
    memo->Clear();
    Type(memo, c.typed);
    EXPECT_EQ(UTF8ToWide(memo->Text()), c.expected);
    EXPECT_EQ(memo->Focused(), c.keepsFocus);
  }
  // Without WantTabs the Tab key moves on.
  memo->SetWantTabs(false);
  memo->SetFocus();
  test::KeyPress(VK_TAB);
  Application->ProcessMessages();
  EXPECT_TRUE(next->Focused());
}

// The platform edit's own mouse handling runs under the class library: a click places the caret,
// a drag selects, a right click asks for the context menu once, and each control event comes
// once.
TEST_F(StdCtrlsTest, EditAndMemoTakeTheMouse) {
  auto* edit = Make<TEdit>(5, 5);
  auto* memo = Make<TMemo>(5, 40);
  memo->SetBounds(5, 40, 200, 100);
  m_form->Show();
  edit->SetText("hello world");
  memo->Lines()->SetText("first line\nsecond line\n");
  Application->ProcessMessages();
  struct Case {
    TCustomEdit* control;
    int line;
  } cases[] = {{edit, 0}, {memo, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control->ClassName());
    int downs = 0, ups = 0, clicks = 0, popups = 0;
    c.control->OnMouseDown = TMouseEvent([&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; });
    c.control->OnMouseUp = TMouseEvent([&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; });
    c.control->OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
    c.control->OnContextPopup = TContextPopupEvent([&](TObject*, TPoint, bool& handled) {
      ++popups;
      handled = true;  // no menu: the test only counts the requests
    });
    const int start = static_cast<int>(c.control->Perform(EM_LINEINDEX, static_cast<WPARAM>(c.line))) + 6;
    auto screenAt = [&](int index) {
      const auto pos = static_cast<DWORD>(c.control->Perform(EM_POSFROMCHAR, static_cast<WPARAM>(index)));
      return test::ScreenPoint(c.control->Handle(), LOWORD(pos) + 1, HIWORD(pos) + 3);
    };
    test::Click(screenAt(start));
    Application->ProcessMessages();
    EXPECT_TRUE(c.control->Focused());
    EXPECT_EQ(c.control->SelStart(), start);
    EXPECT_EQ(c.control->SelLength(), 0);
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(clicks, 1);

    test::Drag(screenAt(start), screenAt(start + 4));
    Application->ProcessMessages();
    EXPECT_EQ(c.control->SelStart(), start);
    EXPECT_EQ(c.control->SelLength(), 4);
    EXPECT_EQ(GetCapture(), nullptr);

    test::Click(screenAt(start), test::MouseButton::Right);
    Application->ProcessMessages();
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(downs, 3);
    EXPECT_EQ(ups, 3);
  }
}

}  // namespace
