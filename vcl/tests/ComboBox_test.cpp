// The standard combo box over the platform combo box: items with and without a window, the
// selection kept through BeginUpdate/EndUpdate and re-creation, events from the window's
// notifications, owner drawing through the form.

#include "vcl/ComboBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/comctl/ComboBox.h"
#include "platform/testing/Synthetic.h"
#include "vcl/Application.h"
#include "vcl/Form.h"

namespace {

using namespace platform;
namespace test = platform::testing;

class VclComboBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_form = TCustomForm::CreateNew<TForm>(Application);
    m_form->SetBorderStyle(bsNone);
    m_form->SetBounds(20, 20, 300, 200);
  }
  void TearDown() override { DoneApplication(); }

  TComboBox* Make(TComboBoxStyle style) {
    auto* combo = new TComboBox(m_form);
    combo->SetParent(m_form);
    combo->SetStyle(style);
    combo->SetBounds(10, 10, 150, combo->Height());
    return combo;
  }

  TForm* m_form = nullptr;
};

TEST_F(VclComboBoxTest, ItemsAndSelectionLiveWithOrWithoutAWindow) {
  auto* combo = Make(csDropDownList);
  // No window yet: the items wait here and go to the window with the selection.
  combo->Items()->Add("Low");
  combo->Items()->Add("Medium");
  combo->Items()->Add("High");
  combo->SetItemIndex(1);
  EXPECT_FALSE(combo->HandleAllocated());
  EXPECT_EQ(combo->ItemIndex(), 1);
  m_form->Show();
  EXPECT_TRUE(combo->HandleAllocated());
  EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "Medium");
  EXPECT_EQ(combo->Items()->Get(2), "High");
  EXPECT_EQ(combo->Items()->IndexOf("high"), 2);
  EXPECT_THROW(combo->Items()->Get(7), EListError);

  // Re-created (a new style): items and selection come through; the list is announced again.
  HWND before = combo->Handle();
  combo->SetSorted(true);
  EXPECT_NE(combo->Handle(), before);
  EXPECT_EQ(combo->Items()->Count(), 3);
  EXPECT_EQ(combo->Items()->Get(0), "High");
  EXPECT_EQ(combo->ItemIndex(), 1);  // the index is kept, as the standard combo box keeps it
  EXPECT_NE(combo->ListHandle(), nullptr);
  EXPECT_EQ(combo->EditHandle(), nullptr);

  // Clearing keeps the edit's text in an editable combo box.
  combo->SetStyle(csDropDown);
  combo->SetText("typed");
  combo->Items()->Clear();
  EXPECT_EQ(combo->Items()->Count(), 0);
  EXPECT_EQ(combo->Text(), "typed");
  EXPECT_NE(combo->EditHandle(), nullptr);
}

TEST_F(VclComboBoxTest, BeginUpdateKeepsTheItemIndex) {
  auto* combo = Make(csDropDownList);
  m_form->Show();
  for (const char* item : {"DVD-5", "DVD-9", "CD"}) combo->Items()->Add(item);
  combo->SetItemIndex(2);
  struct Case {
    const char* name;
    void (*refill)(TStrings*);
    int expected;
  } cases[] = {
      {"refilled", [](TStrings* items) { items->Clear(); for (const char* s : {"A", "B", "C", "D"}) items->Add(s); }, 2},
      {"emptied", [](TStrings* items) { items->Clear(); }, -1},
      {"shortened", [](TStrings* items) { items->Clear(); items->Add("only"); }, -1},
  };
  for (const Case& c : cases) {
    combo->Items()->Clear();
    for (const char* s : {"x", "y", "z"}) combo->Items()->Add(s);
    combo->SetItemIndex(2);
    combo->Items()->BeginUpdate();
    c.refill(combo->Items());
    EXPECT_EQ(combo->ItemIndex(), -1) << c.name;  // cleared inside the update
    combo->Items()->EndUpdate();
    EXPECT_EQ(combo->ItemIndex(), c.expected) << c.name;
  }
}

TEST_F(VclComboBoxTest, NotificationsBecomeEvents) {
  auto* combo = Make(csDropDownList);
  m_form->Show();
  for (const char* s : {"One", "Two", "Three", "Four", "Five", "Six", "Seven", "Eight", "Nine", "Ten"})
    combo->Items()->Add(s);
  std::vector<std::string> events;
  combo->OnDropDown = [&](TObject*) { events.push_back("drop"); };
  combo->OnCloseUp = [&](TObject*) { events.push_back("close"); };
  combo->OnChange = [&](TObject*) { events.push_back("change"); };
  combo->SetDropDownCount(4);
  combo->SetFocus();
  combo->SetDroppedDown(true);
  EXPECT_TRUE(combo->DroppedDown());
  // The dropped list shows DropDownCount rows.
  RECT list{};
  GetWindowRect(combo->ListHandle(), &list);
  EXPECT_EQ(list.bottom - list.top, 4 * combo->ItemHeight() + 2);
  test::KeyPress(VK_DOWN);
  test::KeyPress(VK_RETURN);
  Application->ProcessMessages();
  EXPECT_EQ(events, (std::vector<std::string>{"drop", "change", "close"}));
  EXPECT_EQ(combo->ItemIndex(), 0);
  // OnSelect, when assigned, takes the place of OnChange for a chosen item.
  events.clear();
  combo->OnSelect = [&](TObject*) { events.push_back("select"); };
  test::KeyPress(VK_DOWN);
  Application->ProcessMessages();
  EXPECT_EQ(events, (std::vector<std::string>{"select"}));
  EXPECT_EQ(combo->Text(), "Two");

  // By mouse: a press on the button drops the list, a click on an item chooses it.
  events.clear();
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetComboBoxInfo(combo->Handle(), &info));
  test::Click(test::ScreenPoint(combo->Handle(), (info.rcButton.left + info.rcButton.right) / 2,
                                (info.rcButton.top + info.rcButton.bottom) / 2));
  Application->ProcessMessages();
  EXPECT_TRUE(combo->DroppedDown());
  RECT item{};
  SendMessageW(combo->ListHandle(), LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
  test::Click(test::ScreenPoint(combo->ListHandle(), 5, (item.top + item.bottom) / 2));
  Application->ProcessMessages();
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(events, (std::vector<std::string>{"drop", "close", "select"}));
  EXPECT_EQ(combo->ItemIndex(), 2);
}

TEST_F(VclComboBoxTest, TypingCompletesFromTheItems) {
  auto* combo = Make(csDropDown);
  m_form->Show();
  for (const char* s : {"Normal", "High quality", "Highest"}) combo->Items()->Add(s);
  combo->SetFocus();
  struct Step {
    const char16_t* keys;
    const char* text;
    int selStart, selLength, index;
  } steps[] = {
      {u"h", "High quality", 1, 11, 1},       // completed, the rest selected
      {u"ighe", "Highest", 5, 2, 2},          // typing over the completion narrows it
      {u"\b", "Highe", 5, 0, -1},             // deleting completes nothing
      {u"x", "Highex", 6, 0, -1},             // no item starts so
  };
  for (const Step& s : steps) {
    test::TypeText(s.keys);
    Application->ProcessMessages();
    EXPECT_EQ(combo->Text(), s.text);
    EXPECT_EQ(combo->SelStart(), s.selStart) << s.text;
    EXPECT_EQ(combo->SelLength(), s.selLength) << s.text;
    EXPECT_EQ(combo->ItemIndex(), s.index) << s.text;
  }
  combo->SetAutoComplete(false);
  combo->SetText("");
  test::TypeText(u"n");
  Application->ProcessMessages();
  EXPECT_EQ(combo->Text(), "n");
}

TEST_F(VclComboBoxTest, OwnerDrawingGoesThroughTheEvents) {
  auto* combo = Make(csOwnerDrawVariable);
  combo->SetItemHeight(18);
  std::vector<int> measured;
  std::vector<std::pair<int, bool>> drawn;  // index, in the field
  combo->OnMeasureItem = [&](TWinControl*, int index, int& height) {
    measured.push_back(index);
    height = 18 + index;
  };
  combo->OnDrawItem = [&](TWinControl*, int index, TRect, TOwnerDrawState state) {
    drawn.emplace_back(index, state.Contains(odComboBoxEdit));
  };
  m_form->Show();
  for (const char* s : {"a", "b", "c"}) combo->Items()->Add(s);
  EXPECT_EQ(measured, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETITEMHEIGHT, 2, 0), 20);
  combo->SetItemIndex(1);
  drawn.clear();
  combo->Invalidate();
  combo->Update();
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back(), std::make_pair(1, true));
}

}  // namespace
