#include <gtest/gtest.h>

#include "FSListViewTestSupport.h"
#include "rtl/Numbers.h"
#include "vcl/Classes.h"

using namespace listview_test;
using namespace platform;

namespace {

using ListItems = ListViewFixture;

TEST_F(ListItems, RowsLiveInTheWindowAndShowTheirTextsThroughDisplayInformation) {
  TestListView* view = MakeView();
  AddColumns(view, {"Name", "Length"});
  AddItem(view, "a.mpg", {"0:10"});
  AddItem(view, "b.mpg", {"0:20"});
  TFSListItem* c = view->Items()->Insert(1);
  c->SetCaption("c.mpg");
  EXPECT_FALSE(view->Items()->HasInternalList());
  ASSERT_EQ(view->Items()->Count(), 3);
  EXPECT_EQ(view->Perform(LVM_GETITEMCOUNT), 3);
  EXPECT_EQ(RowText(view, 0), "a.mpg");
  EXPECT_EQ(RowText(view, 1), "c.mpg");
  EXPECT_EQ(RowText(view, 2, 1), "0:20");
  EXPECT_EQ(view->Items()->IndexOf(c), 1);
  EXPECT_EQ(view->Items()->Item(2)->Caption(), "b.mpg");
  view->Items()->Item(0)->SubItems()->Put(0, "0:11");
  EXPECT_EQ(RowText(view, 0, 1), "0:11");
}

TEST_F(ListItems, DeletionsFireOnDeletionOnceEachLastFirstOnClear) {
  TestListView* view = MakeView();
  for (const char* name : {"a", "b", "c", "d"}) AddItem(view, name);
  std::vector<AnsiString> deleted;
  view->OnDeletion = [&](TObject*, TFSListItem* item) { deleted.push_back(item->Caption()); };
  view->Items()->Delete(1);
  view->Items()->Item(0)->Delete();
  EXPECT_EQ(deleted, (std::vector<AnsiString>{"b", "a"}));
  ASSERT_EQ(view->Items()->Count(), 2);
  deleted.clear();
  AddItem(view, "e");
  view->Clear();
  EXPECT_EQ(deleted, (std::vector<AnsiString>{"e", "d", "c"})) << "the window's delete-all goes last to first";
  EXPECT_EQ(view->Items()->Count(), 0);
}

TEST_F(ListItems, ARecreatedWindowKeepsLongTextsWideDataChecksAndSelection) {
  TestListView* view = MakeView();
  view->SetCheckboxes(true);
  const AnsiString longCaption(300, 'L');
  TFSListItem* first = AddItem(view, longCaption, {"sub"});
  first->SetData(static_cast<intptr_t>(int64_t{1} << 40));
  first->SetChecked(true);
  AddItem(view, "second")->SetSelected(true);
  view->SetReadOnly(true);  // re-creates the window
  ASSERT_EQ(view->Items()->Count(), 2);
  TFSListItem* back = view->Items()->Item(0);
  EXPECT_EQ(back->Caption(), longCaption);
  EXPECT_EQ(back->Data(), static_cast<intptr_t>(int64_t{1} << 40));
  EXPECT_EQ(back->SubItems()->Get(0), "sub");
  EXPECT_TRUE(back->Checked());
  EXPECT_FALSE(view->Items()->Item(1)->Checked());
  EXPECT_EQ(view->ItemIndex(), 1);
}

TEST_F(ListItems, CheckedReadsOnlyStateImageTwoAsChecked) {
  TestListView* view = MakeView();
  TFSListItem* item = AddItem(view, "row");
  const struct {
    unsigned stateImage;
    bool stored;
    bool expected;
  } cases[] = {{2, false, true}, {1, true, false}, {3, true, false}, {0, true, true}, {0, false, false}};
  for (const auto& c : cases) {
    item->SetChecked(c.stored);
    LVITEMA state{};
    state.state = INDEXTOSTATEIMAGEMASK(c.stateImage);
    state.stateMask = LVIS_STATEIMAGEMASK;
    view->Perform(LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    EXPECT_EQ(item->Checked(), c.expected) << "state image " << c.stateImage << ", stored " << c.stored;
  }
}

TEST_F(ListItems, MovesKeepTheItemAndMoveSelectedToReordersTheSelection) {
  TestListView* view = MakeView();
  view->SetMultiSelect(true);
  for (const char* name : {"0", "1", "2", "3", "4", "5"}) AddItem(view, name);
  auto order = [&] {
    AnsiString text;
    for (int i = 0; i < view->Items()->Count(); ++i) text += view->Items()->Item(i)->Caption();
    return text;
  };
  view->Items()->Move(0, 2);
  EXPECT_EQ(order(), "120345");
  view->Items()->Move(2, 0);
  ASSERT_EQ(order(), "012345");
  const struct {
    int target;
    const char* expected;
  } cases[] = {{5, "024135"}, {-1, "024513"}, {0, "130245"}};
  for (const auto& c : cases) {
    // Rebuild 0..5 with 1 and 3 selected.
    view->Clear();
    for (const char* name : {"0", "1", "2", "3", "4", "5"}) AddItem(view, name);
    view->Items()->Item(1)->SetSelected(true);
    view->Items()->Item(3)->SetSelected(true);
    view->Items()->MoveSelectedTo(c.target);
    EXPECT_EQ(order(), c.expected) << "target " << c.target;
    EXPECT_EQ(view->SelCount(), 2);
  }
}

TEST_F(ListItems, FormStreamsCarryTheItemsAndADamagedStreamLosesNothing) {
  TestListView* view = MakeView();
  AddItem(view, AnsiString(300, 'x'), {"a", "b"});
  AddItem(view, "short");
  TMemoryStream stream;
  view->Items()->WriteItemData(&stream);
  view->Clear();
  AddItem(view, "kept");
  RawByteString damaged(static_cast<size_t>(stream.Size()) - 3, '\0');
  stream.SetPosition(0);
  stream.ReadBuffer(damaged.data(), static_cast<int32_t>(damaged.size()));
  TMemoryStream bad;
  bad.WriteBuffer(damaged.data(), static_cast<int32_t>(damaged.size()));
  bad.SetPosition(0);
  EXPECT_THROW(view->Items()->ReadItemData(&bad), EReadError);
  ASSERT_EQ(view->Items()->Count(), 1);
  EXPECT_EQ(view->Items()->Item(0)->Caption(), "kept");
  stream.SetPosition(0);
  view->Items()->ReadItemData(&stream);
  ASSERT_EQ(view->Items()->Count(), 2);
  EXPECT_EQ(view->Items()->Item(0)->Caption(), AnsiString(300, 'x'));
  EXPECT_EQ(view->Items()->Item(0)->SubItems()->Count(), 2);
}

// A view whose rows the program keeps (owner data): 100,000 of them.
TEST_F(ListItems, OwnerDataServesAHundredThousandRows) {
  TestListView* view = MakeView();
  view->SetOwnerData(true);
  ASSERT_TRUE(view->HandleAllocated());
  AddColumns(view, {"Name", "Index"});
  int fetches = 0;
  view->OnData = [&](TObject*, TFSListItem* item) {
    ++fetches;
    item->SetCaption("Row " + IntToStr(item->Index()));
    item->SubItems()->Add(IntToStr(item->Index() * 2));
  };
  std::vector<std::pair<int, int>> changes;
  view->OnDataStateChange = [&](TObject*, int from, int to, TFSItemStates oldState, TFSItemStates newState) {
    changes.emplace_back(from, to);
    if (from == to && from == 70000) {
      EXPECT_TRUE(newState.Contains(isChecked));
      EXPECT_FALSE(oldState.Contains(isChecked));
    }
  };
  view->Items()->SetCount(100000);
  EXPECT_EQ(view->Items()->Count(), 100000);
  EXPECT_EQ(view->Items()->Item(99999)->Caption(), "Row 99999");
  EXPECT_EQ(RowText(view, 50000), "Row 50000");
  EXPECT_EQ(RowText(view, 50000, 1), "100000");
  view->Items()->Item(70000)->SetChecked(true);
  EXPECT_FALSE(changes.empty());
  view->Repaint();
  EXPECT_LT(fetches, 1000) << "only the rows asked for are fetched";
}

TEST_F(ListItems, OwnerDataAddsGoToAnInternalListAndTheCountFollowsAfterTheUpdate) {
  TestListView* view = MakeView(vsReport);
  view->SetAllocBy(50);
  view->SetOwnerData(true);
  view->Items()->BeginUpdate();
  for (int i = 0; i < 10; ++i) AddItem(view, "item " + IntToStr(i));
  EXPECT_TRUE(view->Items()->HasInternalList());
  EXPECT_EQ(view->Items()->Count(), 10);
  EXPECT_NE(view->Perform(LVM_GETITEMCOUNT), 10) << "not while the update is open";
  view->Items()->EndUpdate();
  EXPECT_EQ(view->Perform(LVM_GETITEMCOUNT), 10);
  EXPECT_EQ(RowText(view, 9), "item 9");
  view->Items()->Move(9, -1);
  view->Items()->Move(0, -1);
  EXPECT_EQ(view->Items()->Item(9)->Caption(), "item 0");
}

}  // namespace
