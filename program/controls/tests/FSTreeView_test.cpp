// The skinned tree view and tool bar: check-box clicks and Space reported and never toggled
// by the window, ClickExpand, the row height, switching the boxes off keeping the nodes, the
// one-colour border; the tool bar's double buffer and transparency.

#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "platform/comctl/ToolBar.h"
#include "platform/comctl/TreeView.h"
#include "program/controls/FSTreeView.h"

using namespace controls_test;
using platform::testing::RunUntilIdle;

namespace {

class TreeViews : public ControlsFixture {
 protected:
  void SetUp() override {
    ControlsFixture::SetUp();
    platform::testing::UseManualClock(true);
    form = MakeForm(320, 240);
  }
  void TearDown() override {
    ControlsFixture::TearDown();
    platform::testing::UseManualClock(false);
  }

  TFSTreeView* AddTree() {
    auto* tree = new TFSTreeView(form);
    tree->SetParent(form);
    tree->SetBounds(10, 10, 220, 200);
    parent = tree->Items()->Add(nullptr, "Parent");
    tree->Items()->AddChild(parent, "Child");
    leaf = tree->Items()->Add(nullptr, "Leaf");
    RunUntilIdle();
    return tree;
  }
  // A point on the node's check box, found by the window's own hit test.
  static POINT OnCheckBox(TFSTreeView* tree, TTreeNode* node) {
    RECT row{};
    *reinterpret_cast<platform::HTREEITEM*>(&row) = node->ItemId();
    tree->Perform(platform::TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&row));
    const int y = (row.top + row.bottom) / 2;
    for (int x = 0; x < row.left; ++x) {
      platform::TVHITTESTINFO hit{POINT{x, y}, 0, nullptr};
      tree->Perform(platform::TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (hit.hItem == node->ItemId() && (hit.flags & platform::TVHT_ONITEMSTATEICON))
        return platform::testing::ScreenPoint(tree->Handle(), x, y);
    }
    ADD_FAILURE() << "no check box";
    return POINT{};
  }
  static POINT OnLabel(TFSTreeView* tree, TTreeNode* node) {
    RECT row{};
    *reinterpret_cast<platform::HTREEITEM*>(&row) = node->ItemId();
    tree->Perform(platform::TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&row));
    return platform::testing::ScreenPoint(tree->Handle(), (row.left + row.right) / 2, (row.top + row.bottom) / 2);
  }
  // Clicks far enough apart in time not to make a double click.
  static void ClickAlone(POINT at) {
    platform::testing::AdvanceClock(1000);
    platform::testing::Click(at);
    RunUntilIdle();
  }

  TForm* form = nullptr;
  TTreeNode* parent = nullptr;
  TTreeNode* leaf = nullptr;
};

TEST_F(TreeViews, CheckBoxClicksAreReportedAndNeverToggledByTheWindow) {
  TFSTreeView* tree = AddTree();
  tree->SetCheckboxes(true);
  RunUntilIdle();
  EXPECT_TRUE(GetWindowLongPtrA(tree->Handle(), GWL_STYLE) & platform::TVS_CHECKBOXES);

  ClickAlone(OnCheckBox(tree, leaf));
  EXPECT_FALSE(tree->NodeChecked(leaf)) << "without a handler the click changes nothing";

  std::vector<std::pair<TTreeNode*, bool>> reports;
  tree->OnCheckItem = [&](TObject*, TTreeNode* node, bool checked) {
    reports.emplace_back(node, checked);
    node->SetStateIndex(checked ? 1 : 2);  // the program decides: here it toggles
  };
  ClickAlone(OnCheckBox(tree, leaf));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].first, leaf);
  EXPECT_FALSE(reports[0].second) << "the state before the click";
  EXPECT_TRUE(tree->NodeChecked(leaf));
  ClickAlone(OnCheckBox(tree, leaf));
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_TRUE(reports[1].second);
  EXPECT_FALSE(tree->NodeChecked(leaf));

  // Space on the selected node goes the same way.
  tree->SetSelected(leaf);
  tree->SetFocus();
  RunUntilIdle();
  platform::testing::KeyPress(VK_SPACE);
  RunUntilIdle();
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_FALSE(reports[2].second);
  EXPECT_TRUE(tree->NodeChecked(leaf));
  tree->OnCheckItem = nullptr;
  platform::testing::KeyPress(VK_SPACE);
  RunUntilIdle();
  EXPECT_TRUE(tree->NodeChecked(leaf)) << "without a handler Space changes nothing";
}

TEST_F(TreeViews, ClickExpandTogglesAParentOnEachClick) {
  TFSTreeView* tree = AddTree();
  tree->SetClickExpand(true);
  ClickAlone(OnLabel(tree, leaf));
  EXPECT_FALSE(leaf->Expanded()) << "a leaf has nothing to expand";
  ClickAlone(OnLabel(tree, parent));
  EXPECT_TRUE(parent->Expanded());
  ClickAlone(OnLabel(tree, parent));
  EXPECT_FALSE(parent->Expanded());

  tree->SetClickExpand(false);
  ClickAlone(OnLabel(tree, parent));
  EXPECT_FALSE(parent->Expanded());
}

TEST_F(TreeViews, RowHeightBoxesAndReCreation) {
  TFSTreeView* tree = AddTree();
  const LRESULT own = tree->Perform(platform::TVM_GETITEMHEIGHT);
  EXPECT_GT(own, 0);
  tree->SetItemHeight(24);
  EXPECT_EQ(tree->Perform(platform::TVM_GETITEMHEIGHT), 24);
  tree->SetItemHeight(-1);
  EXPECT_EQ(tree->Perform(platform::TVM_GETITEMHEIGHT), own) << "-1 is the control's own height";

  tree->SetCheckboxes(true);
  leaf->SetStateIndex(2);
  HWND before = tree->Handle();
  tree->SetCheckboxes(false);
  RunUntilIdle();
  EXPECT_NE(tree->Handle(), before) << "switching the boxes off re-creates the window";
  EXPECT_FALSE(GetWindowLongPtrA(tree->Handle(), GWL_STYLE) & platform::TVS_CHECKBOXES);
  EXPECT_EQ(tree->Items()->Count(), 3);
  EXPECT_EQ(tree->Items()->Item(2)->Text(), "Leaf");
}

TEST_F(TreeViews, AFlatSingleBorderIsDrawnInBorderColor) {
  TFSTreeView* tree = AddTree();
  tree->SetCtl3D(false);
  tree->SetBorderColor(clRed);
  RunUntilIdle();
  const auto image = platform::testing::ReadWindow(tree->Handle(), true);
  EXPECT_EQ(image.At(0, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(image.At(tree->Width() - 1, tree->Height() / 2) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(TreeViews, TheToolBarIsDoubleBufferedAndTransparentOverItsParent) {
  auto* bar = new TFSToolBar(form);
  bar->SetTransparent(true);
  bar->SetBounds(0, 0, 320, 26);
  bar->SetParent(form);
  RunUntilIdle();
  EXPECT_TRUE(bar->Perform(platform::TB_GETEXTENDEDSTYLE) & platform::TBSTYLE_EX_DOUBLEBUFFER);
  EXPECT_TRUE(bar->ParentBackground());
  // The form is white; a transparent bar shows it where it has no buttons.
  EXPECT_EQ(WindowPixel(bar->Handle(), 300, 12), 0xFFFFFFu);
}

}  // namespace
