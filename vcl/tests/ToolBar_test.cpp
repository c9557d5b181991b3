// The tool bar over the platform control: buttons as controls kept to the window's buttons,
// check groups and clicks, and a bar bound to a main menu driven by mouse and keys.

#include "vcl/ToolBar.h"

#include <gtest/gtest.h>

#include "platform/testing/Pictures.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/InputSink.h"
#include "vcl/Application.h"

namespace {

using namespace platform;
namespace test = platform::testing;

class ToolBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::UseManualClock(true);
    m_form = TCustomForm::CreateNew<TForm>(Application);
    m_form->SetBorderStyle(bsNone);
    m_form->SetBounds(20, 20, 360, 200);
    m_bar = new TToolBar(m_form);
    m_bar->SetParent(m_form);
  }
  void TearDown() override {
    DoneApplication();
    test::UseManualClock(false);
  }
  TToolButton* AddButton(const AnsiString& caption, TToolButtonStyle style = tbsButton) {
    auto* b = new TToolButton(m_form);
    b->SetCaption(caption);
    b->SetStyle(style);
    b->SetLeft(10000);
    b->SetParent(m_bar);
    return b;
  }
  POINT Centre(TToolButton* b) {
    return test::ScreenPoint(m_bar->Handle(), b->Left() + b->Width() / 2, b->Top() + b->Height() / 2);
  }
  void Click(TToolButton* b) {
    test::Click(Centre(b));
    Application->ProcessMessages();
  }
  static void AltKey(int key) {
    detail::InjectKey(VK_MENU, true);
    test::KeyPress(key);
    detail::InjectKey(VK_MENU, false);
  }

  TForm* m_form = nullptr;
  TToolBar* m_bar = nullptr;
};

TEST_F(ToolBarTest, ButtonsFollowTheWindowAndClickThrough) {
  m_bar->SetShowCaptions(true);
  m_bar->SetList(true);
  m_bar->SetFlat(true);
  TToolButton* open = AddButton("Open");
  TToolButton* left = AddButton("Left", tbsCheck);
  TToolButton* right = AddButton("Right", tbsCheck);
  left->SetGrouped(true);
  right->SetGrouped(true);
  m_form->Show();
  EXPECT_EQ(m_bar->ButtonCount(), 3);
  EXPECT_EQ(SendMessageW(m_bar->Handle(), TB_BUTTONCOUNT, 0, 0), 3);
  EXPECT_LT(open->Left() + open->Width(), left->Left() + 1);  // laid out left to right
  int clicks = 0;
  open->OnClick = [&](TObject*) { ++clicks; };
  Click(open);
  EXPECT_EQ(clicks, 1);
  Click(left);
  EXPECT_TRUE(left->Down());
  Click(right);
  EXPECT_TRUE(right->Down());
  EXPECT_FALSE(left->Down());
  left->SetDown(true);
  EXPECT_FALSE(right->Down());
  open->SetEnabled(false);
  Click(open);
  EXPECT_EQ(clicks, 1);
  // Captions and buttons survive a new window.
  open->SetCaption("Open file");
  m_bar->RecreateWnd();
  EXPECT_EQ(SendMessageW(m_bar->Handle(), TB_BUTTONCOUNT, 0, 0), 3);
  char16_t text[32] = {};
  SendMessageW(m_bar->Handle(), TB_GETBUTTONTEXTW, static_cast<WPARAM>(open->Command()), reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(std::u16string(text), u"Open file");
  delete open;
  EXPECT_EQ(SendMessageW(m_bar->Handle(), TB_BUTTONCOUNT, 0, 0), 2);
}

class MenuBarTest : public ToolBarTest {
 protected:
  void SetUp() override {
    ToolBarTest::SetUp();
    m_menu = new TMainMenu(m_form);
    for (const char* top : {"&File", "&Edit", "&Help"}) {
      auto* item = new TMenuItem(m_form);
      item->SetCaption(top);
      m_menu->Items()->Add(item);
    }
    AddItem(0, "&Open");
    AddItem(0, "E&xit");
    AddItem(1, "&Copy");
    AddItem(2, "&About");
    m_bar->SetShowCaptions(true);
    m_bar->SetList(true);
    m_bar->SetFlat(true);
    m_bar->SetMenu(m_menu);
    m_form->Show();
    SetFocus(m_form->Handle());
  }
  void AddItem(int top, const AnsiString& caption) {
    auto* item = new TMenuItem(m_form);
    item->SetCaption(caption);
    item->OnClick = [this, caption](TObject*) { m_clicked.push_back(caption); };
    m_menu->Items()->Items(top)->Add(item);
  }
  TToolButton* Button(int i) { return m_bar->Buttons(i); }

  TMainMenu* m_menu = nullptr;
  std::vector<AnsiString> m_clicked;
};

TEST_F(MenuBarTest, OneButtonPerTopLevelItem) {
  ASSERT_EQ(m_bar->ButtonCount(), 3);
  EXPECT_EQ(Button(1)->Caption(), "&Edit");
  EXPECT_EQ(Button(1)->MenuItem(), m_menu->Items()->Items(1));
  Application->ProcessMessages();
  m_form->Update();
  std::string error;
  EXPECT_TRUE(test::SaveWindowPng(m_form->Handle(), ::testing::TempDir() + "menu_bar.png", &error)) << error;
}

// A click drops the menu under its button; moving onto another button switches menus.
TEST_F(MenuBarTest, MouseOpensAndSwitchesMenus) {
  // Queued as one gesture: press File, move over Edit, choose its first item.
  test::Click(Centre(Button(0)));
  test::MouseMove(Centre(Button(1)));
  test::KeyPress(VK_DOWN);
  test::KeyPress(VK_RETURN);
  Application->ProcessMessages();
  EXPECT_EQ(m_clicked, std::vector<AnsiString>{"&Copy"});
  EXPECT_EQ(m_bar->MenuButton(), nullptr);
  EXPECT_FALSE(SendMessageW(m_bar->Handle(), TB_ISBUTTONPRESSED, static_cast<WPARAM>(Button(1)->Command()), 0));

  // Esc closes without choosing.
  m_clicked.clear();
  test::Click(Centre(Button(2)));
  test::KeyPress(VK_ESCAPE);
  Application->ProcessMessages();
  EXPECT_TRUE(m_clicked.empty());
}

// Alt+letter and F10 open menus; Left and Right at the top level move between them.
TEST_F(MenuBarTest, KeysOpenAndSwitchMenus) {
  struct Case {
    const char* name;
    std::function<void()> keys;
    std::vector<AnsiString> clicked;
  } cases[] = {
      {"Alt+E then Down, Enter", [] { AltKey('E'); test::KeyPress(VK_DOWN); test::KeyPress(VK_RETURN); }, {"&Copy"}},
      {"Alt+F, Right to Edit", [] { AltKey('F'); test::KeyPress(VK_RIGHT); test::KeyPress(VK_DOWN); test::KeyPress(VK_RETURN); }, {"&Copy"}},
      {"F10, Left wraps to Help", [] { test::KeyPress(VK_F10); test::KeyPress(VK_LEFT); test::KeyPress(VK_DOWN); test::KeyPress(VK_RETURN); }, {"&About"}},
      {"Alt+H, Esc", [] { AltKey('H'); test::KeyPress(VK_ESCAPE); }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_clicked.clear();
    c.keys();
    Application->ProcessMessages();
    EXPECT_EQ(m_clicked, c.clicked);
    EXPECT_EQ(m_bar->MenuButton(), nullptr);
  }
}

}  // namespace
