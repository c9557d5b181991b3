// The standard tab and page controls over the platform tab control: tabs with and without a
// window, OnChanging refusing a change, the display rectangle, hit tests, and pages following
// TabIndex over hidden tabs.

#include "vcl/TabControl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/comctl/TabControl.h"
#include "platform/testing/Synthetic.h"
#include "vcl/Application.h"
#include "vcl/Form.h"

namespace {

using namespace platform;
namespace test = platform::testing;

class VclTabControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_form = TCustomForm::CreateNew<TForm>(Application);
    m_form->SetBorderStyle(bsNone);
    m_form->SetBounds(20, 20, 400, 300);
  }
  void TearDown() override { DoneApplication(); }

  TForm* m_form = nullptr;
};

TEST_F(VclTabControlTest, TabIndexOnChangingAndTheDisplayArea) {
  auto* tabs = new TTabControl(m_form);
  tabs->SetParent(m_form);
  tabs->SetBounds(10, 10, 300, 200);
  tabs->Tabs()->Add("Crop");
  tabs->Tabs()->Add("Effect");
  tabs->Tabs()->Add("Trim");
  tabs->SetTabIndex(2);
  EXPECT_EQ(tabs->TabIndex(), 2);  // kept until there is a window
  m_form->Show();
  EXPECT_EQ(tabs->TabIndex(), 2);
  EXPECT_EQ(tabs->Tabs()->Get(1), "Effect");

  std::vector<std::string> events;
  bool allow = false;
  tabs->OnChanging = [&](TObject*, bool& allowChange) {
    events.push_back("changing");
    allowChange = allow;
  };
  tabs->OnChange = [&](TObject*) { events.push_back("change"); };
  const TRect first = tabs->TabRect(0);
  const int x = (first.Left + first.Right) / 2, y = (first.Top + first.Bottom) / 2;
  EXPECT_EQ(tabs->IndexOfTabAt(x, y), 0);
  EXPECT_EQ(tabs->IndexOfTabAt(150, 150), -1);
  test::Click(test::ScreenPoint(tabs->Handle(), x, y));
  Application->ProcessMessages();
  EXPECT_EQ(events, (std::vector<std::string>{"changing"}));
  EXPECT_EQ(tabs->TabIndex(), 2);  // refused
  allow = true;
  events.clear();
  test::Click(test::ScreenPoint(tabs->Handle(), x, y));
  Application->ProcessMessages();
  EXPECT_EQ(events, (std::vector<std::string>{"changing", "change"}));
  EXPECT_EQ(tabs->TabIndex(), 0);
  // Setting TabIndex in code asks nobody.
  events.clear();
  tabs->SetTabIndex(1);
  EXPECT_TRUE(events.empty());

  // Children aligned to the client fill the display rectangle, below the tabs.
  auto* child = new TTabControl(m_form);
  child->SetParent(tabs);
  child->SetAlign(alClient);
  const TRect display = tabs->DisplayRect();
  EXPECT_GE(display.Top, first.Bottom);
  EXPECT_EQ(child->Left(), display.Left);
  EXPECT_EQ(child->Top(), display.Top);
  EXPECT_EQ(child->Width(), display.Right - display.Left);

  // Re-created with the tabs at the bottom: the tabs and the selection come through.
  tabs->SetTabPosition(tpBottom);
  EXPECT_EQ(tabs->Tabs()->Count(), 3);
  EXPECT_EQ(tabs->TabIndex(), 1);
  EXPECT_GT(tabs->TabRect(0).Top, tabs->DisplayRect().Bottom);
}

TEST_F(VclTabControlTest, PagesFollowTheirTabsOverHiddenOnes) {
  auto* pages = new TPageControl(m_form);
  pages->SetParent(m_form);
  pages->SetBounds(10, 10, 300, 200);
  std::vector<TTabSheet*> sheets;
  for (const char* caption : {"Crop", "Effect", "Trim", "Subtitle"}) {
    auto* sheet = new TTabSheet(m_form);
    sheet->SetCaption(caption);
    sheet->SetPageControl(pages);
    sheets.push_back(sheet);
  }
  m_form->Show();
  EXPECT_EQ(pages->PageCount(), 4);
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  EXPECT_TRUE(sheets[0]->Visible());
  EXPECT_FALSE(sheets[1]->Visible());

  // The second page's tab is hidden: tab 1 now stands for the third page.
  sheets[1]->SetTabVisible(false);
  EXPECT_EQ(pages->Tabs()->Count(), 3);
  EXPECT_EQ(pages->Tabs()->Get(1), "Trim");
  EXPECT_EQ(pages->PageIndexFromTabIndex(1), 2);
  EXPECT_EQ(sheets[2]->TabIndex(), 1);
  EXPECT_EQ(sheets[1]->TabIndex(), -1);

  int shown = 0;
  sheets[2]->OnShow = [&](TObject*) { ++shown; };
  pages->SetTabIndex(1);  // the page of tab 1, though the page at position 1 has no tab
  EXPECT_EQ(pages->ActivePage(), sheets[2]);
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(sheets[2]->Visible());
  EXPECT_FALSE(sheets[0]->Visible());
  EXPECT_EQ(pages->TabIndex(), 1);

  // ActivePage moves the tab; the sheet fills the display area.
  pages->SetActivePage(sheets[3]);
  EXPECT_EQ(pages->TabIndex(), 2);
  EXPECT_EQ(shown, 1);
  const TRect display = pages->DisplayRect();
  EXPECT_EQ(sheets[3]->Left(), display.Left);
  EXPECT_EQ(sheets[3]->Width(), display.Right - display.Left);

  // A click on a tab activates its page, unless OnChanging refuses.
  bool allow = false;
  pages->OnChanging = [&](TObject*, bool& allowChange) { allowChange = allow; };
  const TRect first = pages->TabRect(0);
  const POINT at = test::ScreenPoint(pages->Handle(), (first.Left + first.Right) / 2, (first.Top + first.Bottom) / 2);
  test::Click(at);
  Application->ProcessMessages();
  EXPECT_EQ(pages->ActivePage(), sheets[3]);
  allow = true;
  test::Click(at);
  Application->ProcessMessages();
  EXPECT_EQ(pages->ActivePage(), sheets[0]);

  // Page images: the tab shows the page's image from the control's list.
  auto* images = new TImageList(m_form);
  images->SetSize(16, 16);
  pages->SetImages(images);
  sheets[3]->SetImageIndex(5);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(pages->Handle(), TCM_GETIMAGELIST, 0, 0)), images->Handle());
  TCITEMW item{};
  item.mask = TCIF_IMAGE;
  SendMessageW(pages->Handle(), TCM_GETITEMW, 2, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.iImage, 5);
  delete images;
  EXPECT_EQ(pages->Images(), nullptr);
  EXPECT_EQ(SendMessageW(pages->Handle(), TCM_GETIMAGELIST, 0, 0), 0);

  // Removing the active page activates the next one with a tab.
  delete sheets[0];
  EXPECT_EQ(pages->PageCount(), 3);
  EXPECT_EQ(pages->ActivePage(), sheets[2]);
  EXPECT_EQ(pages->TabIndex(), 0);
}

}  // namespace
