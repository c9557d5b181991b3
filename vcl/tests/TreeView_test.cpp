// The tree view over the platform control: nodes with and without a window and across
// re-creation, the selection, expansion, deletion and editing events, clicks reaching the
// window, moving and sorting nodes, and item custom draw through the canvas.

#include "vcl/TreeView.h"

#include <gtest/gtest.h>

#include "platform/testing/Pictures.h"
#include "platform/testing/Synthetic.h"
#include "vcl/Application.h"

namespace {

using namespace platform;
namespace test = platform::testing;

class TreeViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::UseManualClock(true);
    m_form = TCustomForm::CreateNew<TForm>(Application);
    m_form->SetBorderStyle(bsNone);
    m_form->SetBounds(20, 20, 300, 240);
    m_tree = new TTreeView(m_form);
    m_tree->SetParent(m_form);
    m_tree->SetBounds(10, 10, 200, 200);
  }
  void TearDown() override {
    DoneApplication();
    test::UseManualClock(false);
  }
  std::string Texts() {
    std::string out;
    for (TTreeNode* n = m_tree->Items()->GetFirstNode(); n; n = n->GetNext())
      out += (out.empty() ? "" : ",") + std::string(n->Level(), '>') + n->Text();
    return out;
  }
  void ClickNode(TTreeNode* node, int dx = 3) {
    const TRect r = node->DisplayRect(true);
    test::Click(test::ScreenPoint(m_tree->Handle(), r.Left + dx, r.Top + 3));
    Application->ProcessMessages();
  }

  TForm* m_form = nullptr;
  TTreeView* m_tree = nullptr;
};

TEST_F(TreeViewTest, NodesLiveWithoutAWindowAndAcrossRecreation) {
  TTreeNodes* items = m_tree->Items();
  TTreeNode* titles = items->Add(nullptr, "Titles");
  TTreeNode* menus = items->Add(nullptr, "Menus");
  TTreeNode* holiday = items->AddChild(titles, "Holiday");
  items->AddChildFirst(titles, "Birthday");
  items->Insert(menus, "Chapters");
  holiday->SetData(reinterpret_cast<void*>(42));
  EXPECT_EQ(Texts(), "Titles,>Birthday,>Holiday,Chapters,Menus");
  EXPECT_FALSE(m_tree->HandleAllocated());
  titles->Expand(false);
  m_tree->SetSelected(holiday);

  m_form->Show();
  EXPECT_EQ(SendMessageW(m_tree->Handle(), TVM_GETCOUNT, 0, 0), 5);
  EXPECT_TRUE(titles->Expanded());
  EXPECT_EQ(m_tree->Selected(), holiday);
  EXPECT_FALSE(holiday->DisplayRect(true).IsEmpty());

  // Check boxes as state images, read back from the window before it goes.
  SetWindowLongPtrW(m_tree->Handle(), GWL_STYLE, GetWindowLongPtrW(m_tree->Handle(), GWL_STYLE) | TVS_CHECKBOXES);
  holiday->SetStateIndex(2);
  menus->SetText("Main menu");
  HWND before = m_tree->Handle();
  m_tree->SetBorderStyle(bsNone);  // makes the window again
  EXPECT_NE(m_tree->Handle(), before);
  EXPECT_EQ(Texts(), "Titles,>Birthday,>Holiday,Chapters,Main menu");
  EXPECT_TRUE(titles->Expanded());
  EXPECT_EQ(m_tree->Selected(), holiday);
  EXPECT_EQ(holiday->StateIndex(), 2);
  EXPECT_EQ(holiday->Data(), reinterpret_cast<void*>(42));
  EXPECT_EQ(m_tree->Items()->Count(), 5);
  EXPECT_EQ(m_tree->Items()->Item(2), holiday);
  EXPECT_EQ(holiday->AbsoluteIndex(), 2);
}

TEST_F(TreeViewTest, EventsOfSelectionExpansionAndDeletion) {
  m_form->Show();
  TTreeNodes* items = m_tree->Items();
  TTreeNode* a = items->Add(nullptr, "a");
  TTreeNode* a1 = items->AddChild(a, "a1");
  TTreeNode* b = items->Add(nullptr, "b");
  std::vector<std::string> log;
  bool refuse = false;
  m_tree->OnChanging = [&](TObject*, TTreeNode* node, bool& allow) {
    log.push_back("changing " + node->Text());
    allow = !refuse;
  };
  m_tree->OnChange = [&](TObject*, TTreeNode* node) { log.push_back("change " + (node ? node->Text() : "-")); };
  m_tree->OnExpanding = [&](TObject*, TTreeNode* node, bool& allow) {
    log.push_back("expanding " + node->Text());
    allow = !refuse;
  };
  m_tree->OnExpanded = [&](TObject*, TTreeNode* node) { log.push_back("expanded " + node->Text()); };
  m_tree->OnCollapsing = [&](TObject*, TTreeNode* node, bool&) { log.push_back("collapsing " + node->Text()); };
  m_tree->OnCollapsed = [&](TObject*, TTreeNode* node) { log.push_back("collapsed " + node->Text()); };
  m_tree->OnDeletion = [&](TObject*, TTreeNode* node) { log.push_back("deletion " + node->Text()); };
  m_tree->OnClick = [&](TObject*) { log.push_back("click"); };

  ClickNode(b);
  EXPECT_EQ(log, (std::vector<std::string>{"click", "changing b", "change b"}));
  log.clear();
  refuse = true;
  ClickNode(a);
  EXPECT_EQ(m_tree->Selected(), b);
  a->Expand(false);
  EXPECT_FALSE(a->Expanded());
  refuse = false;
  log.clear();
  a->Expand(false);  // asked once, not again through the window's notices
  EXPECT_EQ(log, (std::vector<std::string>{"expanding a", "expanded a"}));
  log.clear();
  // A double click on the label toggles through the window: the same events.
  const TRect r = a->DisplayRect(true);
  test::DoubleClick(test::ScreenPoint(m_tree->Handle(), r.Left + 3, r.Top + 3));
  Application->ProcessMessages();
  EXPECT_FALSE(a->Expanded());
  EXPECT_NE(std::find(log.begin(), log.end(), "collapsed a"), log.end());

  log.clear();
  m_tree->SetSelected(nullptr);
  a->Delete();
  EXPECT_EQ(log, (std::vector<std::string>{"change -", "deletion a1", "deletion a"}));
  EXPECT_EQ(Texts(), "b");
  (void)a1;
  log.clear();
  items->Clear();
  EXPECT_EQ(items->Count(), 0);
  EXPECT_NE(std::find(log.begin(), log.end(), "deletion b"), log.end());
}

TEST_F(TreeViewTest, LabelEditingAsksAndReportsTheNewText) {
  m_form->Show();
  TTreeNode* node = m_tree->Items()->Add(nullptr, "Old");
  bool allow = false;
  m_tree->OnEditing = [&](TObject*, TTreeNode*, bool& a) { a = allow; };
  m_tree->OnEdited = [&](TObject*, TTreeNode*, AnsiString& s) { s = s + "!"; };
  EXPECT_FALSE(node->EditText());
  allow = true;
  ASSERT_TRUE(node->EditText());
  EXPECT_TRUE(m_tree->IsEditing());
  test::TypeText(u"New");
  test::KeyPress(VK_RETURN);
  Application->ProcessMessages();
  EXPECT_FALSE(m_tree->IsEditing());
  EXPECT_EQ(node->Text(), "New!");
  m_tree->SetReadOnly(true);
  EXPECT_FALSE(node->EditText());
}

TEST_F(TreeViewTest, MovingAndSortingKeepWindowAndNodesInStep) {
  m_form->Show();
  TTreeNodes* items = m_tree->Items();
  TTreeNode* c = items->Add(nullptr, "c");
  TTreeNode* a = items->Add(nullptr, "a");
  TTreeNode* b = items->Add(nullptr, "b");
  TTreeNode* b1 = items->AddChild(b, "b1");
  b1->MoveTo(c, naAddChild);
  EXPECT_EQ(Texts(), "c,>b1,a,b");
  EXPECT_TRUE(c->Expanded());
  a->MoveTo(c, naInsert);
  EXPECT_EQ(Texts(), "a,c,>b1,b");
  m_tree->AlphaSort();
  b->MoveTo(nullptr, naAddFirst);
  EXPECT_EQ(Texts(), "b,a,c,>b1");
  // The window agrees with the nodes.
  std::string window;
  for (auto item = reinterpret_cast<HTREEITEM>(m_tree->Perform(TVM_GETNEXTITEM, TVGN_ROOT, 0)); item;
       item = reinterpret_cast<HTREEITEM>(m_tree->Perform(TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
    window += m_tree->Items()->GetNode(item)->Text();
  EXPECT_EQ(window, "bac");
  m_tree->SetSortType(stText);
  items->Add(nullptr, "ab");
  EXPECT_EQ(Texts(), "a,ab,b,c,>b1");
}

TEST_F(TreeViewTest, CustomDrawItemSetsColoursOrDrawsItself) {
  m_form->Show();
  TTreeNode* red = m_tree->Items()->Add(nullptr, "WWWWW");
  TTreeNode* own = m_tree->Items()->Add(nullptr, "WWWWW");
  m_tree->SetColor(clWhite);
  m_tree->OnCustomDrawItem = [&](TCustomTreeView* sender, TTreeNode* node, TCustomDrawState, bool& defaultDraw) {
    if (node == red) {
      sender->Canvas()->Font()->SetColor(clRed);
      return;
    }
    sender->Canvas()->Brush()->SetColor(clLime);
    TRect r = node->DisplayRect(false);
    sender->Canvas()->FillRect(r);
    defaultDraw = false;
  };
  m_tree->Invalidate();
  m_tree->Update();
  const test::Image image = test::ReadWindow(m_tree->Handle());
  const TRect lr = red->DisplayRect(true);
  bool sawRed = false;
  for (int x = lr.Left; x < lr.Right; ++x)
    for (int y = lr.Top; y < lr.Bottom; ++y) sawRed |= (image.At(x, y) & 0xFFFFFF) == 0xFF0000;
  EXPECT_TRUE(sawRed);
  const TRect orow = own->DisplayRect(false);
  EXPECT_EQ(image.At(orow.Left + 50, orow.Top + 2) & 0xFFFFFF, 0x00FF00u);
}

}  // namespace
