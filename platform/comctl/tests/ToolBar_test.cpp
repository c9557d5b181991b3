// The tool bar through its messages: buttons and their records, check groups, drop-downs,
// hot tracking, hit tests, custom draw and erasing through the parent.

#include "platform/comctl/ToolBar.h"

#include <gtest/gtest.h>

#include "platform/comctl/tests/NotifyRecorder.h"
#include "platform/testing/Pictures.h"

namespace {

using namespace platform;
using comctltest::Heard;
using comctltest::ParentWindow;
namespace pt = platform::testing;

class ToolBarTest : public comctltest::ComctlTest {
 protected:
  void SetUp() override {
    ComctlTest::SetUp();
    parent = std::make_unique<ParentWindow>(400, 200);
    parent->describe = [](NMHDR* header, Heard* h) {
      if (header->code == TBN_DROPDOWN) h->action = static_cast<UINT>(reinterpret_cast<NMTOOLBARW*>(header)->iItem);
      if (header->code == TBN_HOTITEMCHANGE) {
        auto* hot = reinterpret_cast<NMTBHOTITEM*>(header);
        h->action = static_cast<UINT>(hot->idNew);
      }
    };
  }
  void TearDown() override {
    parent.reset();
    ComctlTest::TearDown();
  }
  HWND MakeBar(DWORD style, DWORD exStyle = 0) {
    bar = CreateWindowExW(0, TOOLBARCLASSNAMEW, u"", WS_CHILD | WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN | style, 0, 0,
                          380, 40, parent->hwnd, reinterpret_cast<HMENU>(9), nullptr, nullptr);
    EXPECT_NE(bar, nullptr);
    SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (exStyle) SendMessageW(bar, TB_SETEXTENDEDSTYLE, 0, exStyle);
    return bar;
  }
  void AddButton(int id, BYTE style, const char16_t* text = nullptr, BYTE state = TBSTATE_ENABLED) {
    TBBUTTON b{};
    b.iBitmap = I_IMAGENONE_TB;
    b.idCommand = id;
    b.fsState = state;
    b.fsStyle = style;
    b.iString = text ? reinterpret_cast<INT_PTR>(text) : 0;
    EXPECT_TRUE(SendMessageW(bar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&b)));
  }
  RECT Rect(int id) {
    RECT r{};
    EXPECT_TRUE(SendMessageW(bar, TB_GETRECT, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&r)));
    return r;
  }
  void ClickAt(int x, int y) {
    pt::Click(pt::ScreenPoint(bar, x, y));
    Pump();
  }
  void ClickButton(int id) {
    const RECT r = Rect(id);
    ClickAt((r.left + r.right) / 2 - 4, (r.top + r.bottom) / 2);
  }
  bool Checked(int id) { return SendMessageW(bar, TB_ISBUTTONCHECKED, static_cast<WPARAM>(id), 0) != 0; }
  std::vector<UINT> Commands() {
    std::vector<UINT> out;
    for (const Heard& h : parent->heard)
      if (h.msg == WM_COMMAND) out.push_back(h.code);
    return out;
  }

  std::unique_ptr<ParentWindow> parent;
  HWND bar = nullptr;
};

TEST_F(ToolBarTest, ButtonsAndTheirRecords) {
  MakeBar(TBSTYLE_FLAT | TBSTYLE_LIST);
  const LRESULT first = SendMessageW(bar, TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(u"Open\0Save\0"));
  EXPECT_EQ(first, 0);
  TBBUTTON buttons[3] = {};
  buttons[0] = TBBUTTON{I_IMAGENONE_TB, 10, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0};
  buttons[1] = TBBUTTON{8, 0, 0, BTNS_SEP, {}, 0, 0};
  buttons[2] = TBBUTTON{I_IMAGENONE_TB, 11, TBSTATE_ENABLED, BTNS_AUTOSIZE, {}, 77, 1};
  EXPECT_TRUE(SendMessageW(bar, TB_ADDBUTTONSW, 3, reinterpret_cast<LPARAM>(buttons)));
  TBBUTTON inserted{I_IMAGENONE_TB, 12, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, reinterpret_cast<INT_PTR>(u"&Edit")};
  EXPECT_TRUE(SendMessageW(bar, TB_INSERTBUTTONW, 1, reinterpret_cast<LPARAM>(&inserted)));
  EXPECT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageW(bar, TB_COMMANDTOINDEX, 11, 0), 3);
  EXPECT_EQ(SendMessageW(bar, TB_COMMANDTOINDEX, 99, 0), -1);

  TBBUTTON got{};
  EXPECT_TRUE(SendMessageW(bar, TB_GETBUTTON, 3, reinterpret_cast<LPARAM>(&got)));
  EXPECT_EQ(got.idCommand, 11);
  EXPECT_EQ(got.dwData, 77u);
  char16_t text[16] = {};
  EXPECT_EQ(SendMessageW(bar, TB_GETBUTTONTEXTW, 11, reinterpret_cast<LPARAM>(text)), 4);
  EXPECT_EQ(std::u16string(text), u"Save");

  // Buttons lie left to right without overlapping; the separator keeps its width.
  RECT previous{0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) {
    RECT r{};
    ASSERT_TRUE(SendMessageW(bar, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)));
    EXPECT_GE(r.left, previous.right);
    previous = r;
  }
  RECT sep{};
  SendMessageW(bar, TB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&sep));
  EXPECT_EQ(sep.right - sep.left, 8);

  // The button record in both text forms; by id or by index.
  TBBUTTONINFOW info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_TEXT | TBIF_STATE | TBIF_LPARAM;
  info.pszText = const_cast<LPWSTR>(u"Saved");
  info.fsState = TBSTATE_ENABLED | TBSTATE_CHECKED;
  info.lParam = 5;
  EXPECT_TRUE(SendMessageW(bar, TB_SETBUTTONINFOW, 11, reinterpret_cast<LPARAM>(&info)));
  char narrow[4] = {};
  TBBUTTONINFOA back{};
  back.cbSize = sizeof back;
  back.dwMask = TBIF_TEXT | TBIF_STATE | TBIF_LPARAM | TBIF_COMMAND | TBIF_BYINDEX;
  back.pszText = narrow;
  back.cchText = 4;
  EXPECT_EQ(SendMessageW(bar, TB_GETBUTTONINFOA, 3, reinterpret_cast<LPARAM>(&back)), 3);
  EXPECT_STREQ(narrow, "Sav");
  EXPECT_EQ(back.idCommand, 11);
  EXPECT_EQ(back.lParam, 5u);
  EXPECT_EQ(SendMessageW(bar, TB_GETSTATE, 11, 0), TBSTATE_ENABLED | TBSTATE_CHECKED);
  EXPECT_EQ(SendMessageW(bar, TB_GETSTATE, 99, 0), -1);

  // Accelerators name buttons by their "&" letter.
  UINT id = 0;
  EXPECT_TRUE(SendMessageW(bar, TB_MAPACCELERATORW, u'e', reinterpret_cast<LPARAM>(&id)));
  EXPECT_EQ(id, 12u);
  EXPECT_FALSE(SendMessageW(bar, TB_MAPACCELERATORW, u'q', reinterpret_cast<LPARAM>(&id)));

  EXPECT_TRUE(SendMessageW(bar, TB_DELETEBUTTON, 0, 0));
  EXPECT_FALSE(SendMessageW(bar, TB_DELETEBUTTON, 7, 0));
  EXPECT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(bar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS), 0);
  EXPECT_EQ(SendMessageW(bar, TB_GETEXTENDEDSTYLE, 0, 0), TBSTYLE_EX_DRAWDDARROWS);
}

// Clicks on check and check-group buttons: which are checked after each, and the commands.
TEST_F(ToolBarTest, CheckGroupsKeepOneCheckedAndEveryClickIsACommand) {
  MakeBar(TBSTYLE_FLAT);
  AddButton(1, BTNS_CHECKGROUP, u"A");
  AddButton(2, BTNS_CHECKGROUP, u"B");
  AddButton(3, BTNS_CHECKGROUP, u"C");
  AddButton(4, BTNS_SEP);
  AddButton(5, BTNS_CHECK, u"D");
  AddButton(6, BTNS_CHECKGROUP, u"E");  // a group of its own after the separator
  struct Step {
    int click;
    std::vector<int> checked;
  } steps[] = {
      {1, {1}}, {2, {2}}, {2, {2}}, {3, {3}}, {5, {3, 5}}, {6, {3, 5, 6}}, {5, {3, 6}},
  };
  std::vector<UINT> expectedCommands;
  for (const Step& s : steps) {
    ClickButton(s.click);
    expectedCommands.push_back(static_cast<UINT>(s.click));
    std::vector<int> checked;
    for (int id : {1, 2, 3, 5, 6})
      if (Checked(id)) checked.push_back(id);
    EXPECT_EQ(checked, s.checked) << "after clicking " << s.click;
  }
  EXPECT_EQ(Commands(), expectedCommands);
  const Heard* command = nullptr;
  for (const Heard& h : parent->heard)
    if (h.msg == WM_COMMAND) command = &h;
  ASSERT_NE(command, nullptr);
  EXPECT_EQ(reinterpret_cast<HWND>(command->lParam), bar);

  // TB_CHECKBUTTON in a group clears the others; a disabled button ignores clicks; a press
  // dragged off the button before release is no click.
  SendMessageW(bar, TB_CHECKBUTTON, 1, TRUE);
  EXPECT_TRUE(Checked(1));
  EXPECT_FALSE(Checked(3));
  SendMessageW(bar, TB_ENABLEBUTTON, 2, FALSE);
  parent->heard.clear();
  ClickButton(2);
  EXPECT_FALSE(Checked(2));
  const RECT r = Rect(3);
  pt::MouseDown(pt::ScreenPoint(bar, r.left + 3, r.top + 5));
  Pump();
  EXPECT_TRUE(SendMessageW(bar, TB_ISBUTTONPRESSED, 3, 0));
  pt::MouseMove(pt::ScreenPoint(bar, r.left + 3, r.bottom + 30));
  Pump();
  EXPECT_FALSE(SendMessageW(bar, TB_ISBUTTONPRESSED, 3, 0)) << "shown up while the pointer is off it";
  pt::MouseUp(pt::ScreenPoint(bar, r.left + 3, r.bottom + 30));
  Pump();
  EXPECT_TRUE(Commands().empty());
  EXPECT_FALSE(SendMessageW(bar, TB_ISBUTTONPRESSED, 3, 0));
}

// Drop-down buttons: where a click sends TBN_DROPDOWN (the button pressed meanwhile) and where
// it is a plain click.
TEST_F(ToolBarTest, DropDownButtonsAskTheParentWhilePressed) {
  struct Case {
    DWORD exStyle;
    BYTE style;
    bool onArrow;
    bool dropDown;
  } cases[] = {
      {0, BTNS_DROPDOWN, false, true},
      {TBSTYLE_EX_DRAWDDARROWS, BTNS_DROPDOWN, true, true},
      {TBSTYLE_EX_DRAWDDARROWS, BTNS_DROPDOWN, false, false},
      {TBSTYLE_EX_DRAWDDARROWS, BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN, false, true},
  };
  for (const Case& c : cases) {
    MakeBar(TBSTYLE_FLAT, c.exStyle);
    AddButton(40, c.style, u"Menu");
    bool pressedDuring = false;
    parent->onNotify = [&](NMHDR* h, bool* handled) -> LRESULT {
      if (h->code == TBN_DROPDOWN) pressedDuring = SendMessageW(bar, TB_ISBUTTONPRESSED, 40, 0) != 0;
      *handled = false;
      return 0;
    };
    parent->heard.clear();
    const RECT r = Rect(40);
    ClickAt(c.onArrow ? r.right - 4 : r.left + 4, (r.top + r.bottom) / 2);
    const Heard* drop = parent->Last(TBN_DROPDOWN);
    EXPECT_EQ(drop != nullptr, c.dropDown) << c.exStyle << " " << int(c.style) << " " << c.onArrow;
    if (drop) {
      EXPECT_EQ(drop->action, 40u);
      EXPECT_TRUE(pressedDuring);
      EXPECT_TRUE(Commands().empty());
    } else {
      EXPECT_EQ(Commands(), std::vector<UINT>{40});
    }
    EXPECT_FALSE(SendMessageW(bar, TB_ISBUTTONPRESSED, 40, 0));
    parent->onNotify = nullptr;
    DestroyWindow(bar);
  }
}

TEST_F(ToolBarTest, HotTrackingAndHitTests) {
  MakeBar(TBSTYLE_FLAT);
  AddButton(1, BTNS_BUTTON, u"One");
  AddButton(2, BTNS_SEP);
  AddButton(3, BTNS_BUTTON, u"Three");
  const RECT one = Rect(1), three = Rect(3);
  RECT sep{};
  SendMessageW(bar, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&sep));
  struct Probe {
    POINT at;
    LRESULT index;
  } probes[] = {
      {{one.left + 2, one.top + 2}, 0},
      {{three.right - 2, three.bottom - 2}, 2},
      {{(sep.left + sep.right) / 2, sep.top + 2}, -2},  // the separator: negative
      {{three.right + 30, three.top + 2}, -3},         // past the last: the nearest, negative
  };
  for (const Probe& p : probes) EXPECT_EQ(SendMessageW(bar, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&p.at)), p.index);

  pt::MouseMove(pt::ScreenPoint(bar, three.left + 3, three.top + 3));
  Pump();
  EXPECT_EQ(SendMessageW(bar, TB_GETHOTITEM, 0, 0), 2);
  ASSERT_NE(parent->Last(TBN_HOTITEMCHANGE), nullptr);
  EXPECT_EQ(parent->Last(TBN_HOTITEMCHANGE)->action, 3u);
  EXPECT_EQ(SendMessageW(bar, TB_SETHOTITEM, 0, 0), 2);
  EXPECT_EQ(SendMessageW(bar, TB_GETHOTITEM, 0, 0), 0);
  // A parent that answers non-zero keeps the hot button.
  parent->onNotify = [](NMHDR* h, bool* handled) -> LRESULT {
    *handled = h->code == TBN_HOTITEMCHANGE;
    return 1;
  };
  SendMessageW(bar, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
  EXPECT_EQ(SendMessageW(bar, TB_GETHOTITEM, 0, 0), 0);
}

TEST_F(ToolBarTest, CustomDrawStagesStatesAndSkipping) {
  MakeBar(TBSTYLE_FLAT | TBSTYLE_LIST);
  AddButton(1, BTNS_CHECK, u"Checked", TBSTATE_ENABLED | TBSTATE_CHECKED);
  AddButton(2, BTNS_BUTTON, u"Off", 0);
  AddButton(3, BTNS_BUTTON, u"Skip");
  SendMessageW(bar, TB_SETHOTITEM, 2, 0);
  std::vector<std::tuple<DWORD, DWORD_PTR, UINT>> seen;
  parent->onNotify = [&](NMHDR* h, bool* handled) -> LRESULT {
    if (h->code != NM_CUSTOMDRAW) return 0;
    auto* cd = reinterpret_cast<NMTBCUSTOMDRAW*>(h);
    seen.emplace_back(cd->nmcd.dwDrawStage, cd->nmcd.dwItemSpec, cd->nmcd.uItemState);
    *handled = true;
    if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && cd->nmcd.dwItemSpec == 3) {
      RECT r = cd->nmcd.rc;
      HBRUSH brush = CreateSolidBrush(RGB(0, 200, 0));
      FillRect(cd->nmcd.hdc, &r, brush);
      DeleteObject(brush);
      return CDRF_SKIPDEFAULT;
    }
    return CDRF_DODEFAULT;
  };
  InvalidateRect(bar, nullptr, TRUE);
  UpdateWindow(bar);
  const std::vector<std::tuple<DWORD, DWORD_PTR, UINT>> expected = {
      {CDDS_PREPAINT, 0, 0},
      {CDDS_ITEMPREPAINT, 1, CDIS_CHECKED},
      {CDDS_ITEMPREPAINT, 2, CDIS_DISABLED},
      {CDDS_ITEMPREPAINT, 3, CDIS_HOT},
  };
  EXPECT_EQ(seen, expected);
  const RECT skip = Rect(3);
  const pt::Image image = pt::ReadWindow(bar);
  EXPECT_EQ(image.At((skip.left + skip.right) / 2, (skip.top + skip.bottom) / 2) & 0xFFFFFF, 0x00C800u)
      << "the handler's drawing stays: the button was not drawn over it";
}

// A transparent bar lets the parent erase behind it; a plain one fills with the face colour.
TEST_F(ToolBarTest, TransparentBarsShowTheParentsBackground) {
  parent->onNotify = nullptr;
  for (bool transparent : {false, true}) {
    MakeBar((transparent ? TBSTYLE_TRANSPARENT : 0) | TBSTYLE_FLAT | CCS_NODIVIDER);
    AddButton(1, BTNS_BUTTON, u"x");
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    SetClassLongPtrW(parent->hwnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(blue));
    RedrawWindow(parent->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const pt::Image image = pt::ReadWindow(bar);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const uint32_t facePixel = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
    EXPECT_EQ(image.At(370, 35) & 0xFFFFFF, transparent ? 0x0000FFu : facePixel) << transparent;
    SetClassLongPtrW(parent->hwnd, GCLP_HBRBACKGROUND, COLOR_BTNFACE + 1);
    DeleteObject(blue);
    DestroyWindow(bar);
  }
}

TEST_F(ToolBarTest, AutosizeFitsTheButtonsAcrossTheParent) {
  bar = CreateWindowExW(0, TOOLBARCLASSNAMEW, u"", WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_WRAPABLE, 0, 0, 10, 10,
                        parent->hwnd, nullptr, nullptr, nullptr);
  for (int i = 0; i < 12; ++i) AddButton(100 + i, BTNS_BUTTON, u"Button");
  SendMessageW(bar, TB_AUTOSIZE, 0, 0);
  RECT mine, parentClient;
  GetWindowRect(bar, &mine);
  GetClientRect(parent->hwnd, &parentClient);
  EXPECT_EQ(mine.right - mine.left, parentClient.right);
  const LRESULT rows = SendMessageW(bar, TB_GETROWS, 0, 0);
  EXPECT_GT(rows, 1);  // wrapped at the parent's width
  SIZE size{};
  EXPECT_TRUE(SendMessageW(bar, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size)));
  EXPECT_LE(size.cx, parentClient.right);
  EXPECT_GE(mine.bottom - mine.top, size.cy);
}

// A list-style bar with captions and a drop-down, saved as tool_bar.png in the test's
// temporary folder for looking at.
TEST_F(ToolBarTest, PictureOfAListStyleBar) {
  MakeBar(TBSTYLE_FLAT | TBSTYLE_LIST, TBSTYLE_EX_DRAWDDARROWS);
  AddButton(1, BTNS_AUTOSIZE, u"&File");
  AddButton(2, BTNS_AUTOSIZE | BTNS_CHECK, u"&Edit", TBSTATE_ENABLED | TBSTATE_CHECKED);
  AddButton(3, BTNS_SEP);
  AddButton(4, BTNS_AUTOSIZE | BTNS_DROPDOWN, u"&Burn");
  AddButton(5, BTNS_AUTOSIZE, u"&Help", 0);
  SendMessageW(bar, TB_SETHOTITEM, 0, 0);
  UpdateWindow(parent->hwnd);
  UpdateWindow(bar);
  std::string error;
  EXPECT_TRUE(pt::SaveWindowPng(parent->hwnd, ::testing::TempDir() + "tool_bar.png", &error)) << error;
  EXPECT_LT(Rect(1).right, Rect(4).left);
}

}  // namespace
