#include "platform/comctl/Edit.h"
#include "platform/comctl/tests/ControlTestWindow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/display/Display.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/GlobalMemory.h"
#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "platform/user/FunctionTable.h"
#include "platform/user/InputSink.h"
#include "platform/user/ScrollBars.h"
#include "platform/user/WinUser.h"

namespace platform {
namespace {

using platform::detail::InjectKey;
namespace test = platform::testing;

// The parent of the edits under test: records the edit notifications and lets a test answer
// the colour requests.
struct ParentState {
  std::vector<WORD> notifications;
  std::vector<UINT> colourRequests;
  std::function<LRESULT(UINT, HDC)> colour;
};
ParentState* g_parent = nullptr;

LRESULT ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (g_parent) {
    if (msg == WM_COMMAND && lParam) g_parent->notifications.push_back(HIWORD(wParam));
    if ((msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORSTATIC)) {
      g_parent->colourRequests.push_back(msg);
      if (g_parent->colour) return g_parent->colour(msg, reinterpret_cast<HDC>(wParam));
    }
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class EditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_parent = &m_state;
    m_parent = comctltest::StartParentWindow(u"EditTestParent", ParentProc, 0, 0, 400, 300);
    ASSERT_NE(m_parent, nullptr);
  }
  void TearDown() override {
    comctltest::StopParentWindow(m_parent);
    g_parent = nullptr;
  }

  HWND MakeEdit(DWORD style, const char16_t* text = u"", int width = 200, int height = 24) {
    HWND edit = CreateWindowExW(0, WC_EDITW, text, WS_CHILD | WS_VISIBLE | style, 10, 10, width, height, m_parent,
                                reinterpret_cast<HMENU>(7), nullptr, nullptr);
    EXPECT_NE(edit, nullptr);
    return edit;
  }
  static std::u16string Text(HWND edit) {
    std::u16string text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, u'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
  }
  static std::pair<DWORD, DWORD> Selection(HWND edit) {
    DWORD from = 0, to = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return {from, to};
  }
  static void Type(HWND edit, const std::u16string& text) {
    SetFocus(edit);
    test::TypeText(text);
    test::RunUntilIdle();
  }
  // Presses `key` with Shift and/or Ctrl held.
  static void Key(int key, bool shift = false, bool control = false) {
    if (shift) InjectKey(VK_SHIFT, true);
    if (control) InjectKey(VK_CONTROL, true);
    InjectKey(key, true, true);
    InjectKey(key, false, true);
    if (control) InjectKey(VK_CONTROL, false);
    if (shift) InjectKey(VK_SHIFT, false);
    test::RunUntilIdle();
  }
  static void PutOnClipboard(const std::u16string& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    std::memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(char16_t));
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
  }
  static std::u16string Clipboard() {
    std::u16string text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
      text = static_cast<const char16_t*>(GlobalLock(block));
      GlobalUnlock(block);
    }
    CloseClipboard();
    return text;
  }

  ParentState m_state;
  HWND m_parent = nullptr;
};

TEST_F(EditTest, SetSelectionClampsAndOrdersItsEnds) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, u"hello world");
  struct Case {
    int start, end;
    DWORD from, to;
  } cases[] = {
      {0, -1, 0, 11}, {3, 1, 1, 3}, {6, 100, 6, 11}, {50, 60, 11, 11}, {4, 4, 4, 4},
  };
  for (const Case& c : cases) {
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(c.start), static_cast<LPARAM>(c.end));
    EXPECT_EQ(Selection(edit), std::make_pair(c.from, c.to)) << c.start << "," << c.end;
  }
  // -1 as the start removes the selection and keeps the caret.
  SendMessageW(edit, EM_SETSEL, 2, 5);
  SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{5}, DWORD{5}));
  EXPECT_EQ(SendMessageW(edit, EM_GETSEL, 0, 0), MAKELONG(5, 5));
}

TEST_F(EditTest, KeysMoveAndExtendTheSelection) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, u"one two three");
  SetFocus(edit);
  struct Step {
    int key;
    bool shift, control;
    DWORD from, to;
  } steps[] = {
      {VK_END, false, false, 13, 13},  {VK_LEFT, false, true, 8, 8},   {VK_LEFT, true, true, 4, 8},
      {VK_RIGHT, false, false, 8, 8},  {VK_HOME, true, false, 0, 8},   {VK_LEFT, false, false, 0, 0},
      {VK_RIGHT, false, true, 4, 4},   {VK_RIGHT, true, false, 4, 5},  {VK_END, true, true, 4, 13},
  };
  for (const Step& s : steps) {
    Key(s.key, s.shift, s.control);
    EXPECT_EQ(Selection(edit), std::make_pair(s.from, s.to)) << "key " << s.key;
  }
  // Typing replaces the selection; Delete and Backspace remove one character.
  Type(edit, u"X");
  EXPECT_EQ(Text(edit), u"one X");
  Key(VK_HOME);
  Key(VK_DELETE);
  Type(edit, u"\b");
  EXPECT_EQ(Text(edit), u"ne X");
}

TEST_F(EditTest, TypingUndoAndRedo) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL);
  EXPECT_FALSE(SendMessageW(edit, EM_CANUNDO, 0, 0));
  Type(edit, u"abc");
  EXPECT_FALSE(SendMessageW(edit, EM_GETMODIFY, 0, 0) == 0);
  EXPECT_TRUE(SendMessageW(edit, EM_CANUNDO, 0, 0));
  // Characters typed one after another are undone together; undoing again redoes.
  Type(edit, u"\x1A");
  EXPECT_EQ(Text(edit), u"");
  Type(edit, u"\x1A");
  EXPECT_EQ(Text(edit), u"abc");
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{0}, DWORD{3}));

  // A replacement of the selection comes back whole.
  SendMessageW(edit, EM_SETSEL, 1, 2);
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(u"XYZ"));
  EXPECT_EQ(Text(edit), u"aXYZc");
  SendMessageW(edit, WM_UNDO, 0, 0);
  EXPECT_EQ(Text(edit), u"abc");
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{1}, DWORD{2}));

  // A replacement that cannot be undone, emptying the buffer and setting the text end undo.
  SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(u"Q"));
  EXPECT_FALSE(SendMessageW(edit, EM_CANUNDO, 0, 0));
  Type(edit, u"z");
  SendMessageW(edit, EM_EMPTYUNDOBUFFER, 0, 0);
  EXPECT_FALSE(SendMessageW(edit, EM_UNDO, 0, 0));
  Type(edit, u"z");
  SetWindowTextW(edit, u"new");
  EXPECT_FALSE(SendMessageW(edit, EM_CANUNDO, 0, 0));
  EXPECT_EQ(SendMessageW(edit, EM_GETMODIFY, 0, 0), 0);
}

TEST_F(EditTest, ClipboardCutCopyPasteAndThePasswordRule) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, u"alpha beta");
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, 5);
  Type(edit, u"\x03");  // Ctrl+C
  EXPECT_EQ(Clipboard(), u"alpha");
  SendMessageW(edit, EM_SETSEL, 5, 10);
  Type(edit, u"\x18");  // Ctrl+X
  EXPECT_EQ(Clipboard(), u" beta");
  EXPECT_EQ(Text(edit), u"alpha");
  SendMessageW(edit, EM_SETSEL, 0, 0);
  Type(edit, u"\x16");  // Ctrl+V
  EXPECT_EQ(Text(edit), u" betaalpha");
  Key(VK_INSERT, true);  // Shift+Insert pastes too
  EXPECT_EQ(Text(edit), u" beta betaalpha");

  // A single line keeps the first line of what is pasted.
  PutOnClipboard(u"first\r\nsecond");
  SetWindowTextW(edit, u"");
  SendMessageW(edit, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(edit), u"first");

  // A password is never copied out, nor cut.
  HWND password = MakeEdit(ES_AUTOHSCROLL | ES_PASSWORD, u"secret");
  EXPECT_EQ(SendMessageW(password, EM_GETPASSWORDCHAR, 0, 0), 0x25CF);
  PutOnClipboard(u"before");
  SendMessageW(password, EM_SETSEL, 0, -1);
  SendMessageW(password, WM_COPY, 0, 0);
  SendMessageW(password, WM_CUT, 0, 0);
  EXPECT_EQ(Clipboard(), u"before");
  EXPECT_EQ(Text(password), u"secret");

  // Read-only: nothing changes, copying still works.
  HWND readOnly = MakeEdit(ES_AUTOHSCROLL | ES_READONLY, u"fixed");
  SendMessageW(readOnly, EM_SETSEL, 0, -1);
  SendMessageW(readOnly, WM_CUT, 0, 0);
  SendMessageW(readOnly, WM_PASTE, 0, 0);
  Type(readOnly, u"x\b");
  EXPECT_EQ(Text(readOnly), u"fixed");
  SendMessageW(readOnly, WM_COPY, 0, 0);
  EXPECT_EQ(Clipboard(), u"fixed");
  SendMessageW(readOnly, EM_SETREADONLY, FALSE, 0);
  SendMessageW(readOnly, WM_CLEAR, 0, 0);
  EXPECT_EQ(Text(readOnly), u"");
}

TEST_F(EditTest, LimitNumberAndCaseFilterInput) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL);
  SendMessageW(edit, EM_SETLIMITTEXT, 5, 0);
  EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 5);
  m_state.notifications.clear();
  Type(edit, u"abcdefg");
  EXPECT_EQ(Text(edit), u"abcde");
  EXPECT_NE(std::find(m_state.notifications.begin(), m_state.notifications.end(), EN_MAXTEXT),
            m_state.notifications.end());
  // Replacing a selection makes room; a paste is cut to what fits.
  SendMessageW(edit, EM_SETSEL, 0, 2);
  PutOnClipboard(u"12345");
  SendMessageW(edit, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(edit), u"12cde");
  SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
  EXPECT_EQ(static_cast<size_t>(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0)), kEditLargestLimit);

  struct Case {
    DWORD style;
    std::u16string typed, expected;
  } cases[] = {
      {ES_NUMBER, u"1a2-3", u"123"},
      {ES_UPPERCASE, u"MiXed", u"MIXED"},
      {ES_LOWERCASE, u"MiXed", u"mixed"},
  };
  for (const Case& c : cases) {
    HWND field = MakeEdit(ES_AUTOHSCROLL | c.style);
    Type(field, c.typed);
    EXPECT_EQ(Text(field), c.expected);
  }
  // Without automatic scrolling a field takes only what it shows.
  HWND fixed = MakeEdit(0, u"", 40, 24);
  Type(fixed, u"wwwwwwwwwwwwwwwwwwww");
  EXPECT_GT(Text(fixed).size(), 2u);
  EXPECT_LT(Text(fixed).size(), 20u);
  HWND fixedLines = MakeEdit(ES_MULTILINE, u"", 100, 30);
  Type(fixedLines, u"1\r2\r3\r4\r5\r6");
  EXPECT_EQ(SendMessageW(fixedLines, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  EXPECT_LT(SendMessageW(fixedLines, EM_GETLINECOUNT, 0, 0), 6);

  // A paste with letters into a number field is refused whole.
  HWND number = MakeEdit(ES_AUTOHSCROLL | ES_NUMBER, u"7");
  PutOnClipboard(u"12b");
  SendMessageW(number, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(number), u"7");
}

TEST_F(EditTest, MultilineLinesWrappingAndLineMessages) {
  // Narrow and wrapping: the words go onto lines of their own.
  HWND wrapped = MakeEdit(ES_MULTILINE, u"alpha beta gamma", 45, 100);
  const LRESULT lines = SendMessageW(wrapped, EM_GETLINECOUNT, 0, 0);
  EXPECT_GE(lines, 2);
  EXPECT_EQ(SendMessageW(wrapped, EM_LINEINDEX, 0, 0), 0);
  EXPECT_EQ(SendMessageW(wrapped, EM_LINEINDEX, 1, 0), 6);  // "beta" starts the second line
  EXPECT_EQ(SendMessageW(wrapped, EM_LINEFROMCHAR, 8, 0), 1);
  EXPECT_EQ(SendMessageW(wrapped, EM_LINEINDEX, 99, 0), -1);
  // Growing the window rewraps.
  MoveWindow(wrapped, 10, 10, 390, 100, TRUE);
  EXPECT_EQ(SendMessageW(wrapped, EM_GETLINECOUNT, 0, 0), 1);

  // However narrow, every wrapped line (without its trailing blanks) fits the format rectangle.
  const std::u16string prose = u"The quick brown fox jumps over the lazy dog; Wavy AVA Toyota tally-ho!";
  HDC measure = CreateCompatibleDC(nullptr);
  SelectObject(measure, GetStockObject(DEFAULT_GUI_FONT));
  for (int width : {40, 75, 120, 200}) {
    HWND narrow = MakeEdit(ES_MULTILINE, prose.c_str(), width, 200);
    RECT format{};
    SendMessageW(narrow, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const LRESULT count = SendMessageW(narrow, EM_GETLINECOUNT, 0, 0);
    EXPECT_GT(count, 1) << width;
    size_t covered = 0;
    for (LRESULT line = 0; line < count; ++line) {
      const size_t start = static_cast<size_t>(SendMessageW(narrow, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
      const size_t length = static_cast<size_t>(SendMessageW(narrow, EM_LINELENGTH, start, 0));
      EXPECT_EQ(start, covered) << "lines follow each other";
      covered = start + length;
      std::u16string text = prose.substr(start, length);
      while (text.size() > 1 && text.back() == u' ') text.pop_back();
      SIZE size{};
      GetTextExtentPoint32W(measure, text.c_str(), static_cast<int>(text.size()), &size);
      if (text.size() > 1) EXPECT_LE(size.cx, format.right - format.left) << width << ": " << line;
    }
    EXPECT_EQ(covered, prose.size());
    DestroyWindow(narrow);
  }
  DeleteDC(measure);

  // Without wrapping only breaks start lines; "\r\n" and a lone "\n" both count.
  HWND plain = MakeEdit(ES_MULTILINE | ES_AUTOHSCROLL, u"first line\r\nsecond\nthird", 60, 100);
  EXPECT_EQ(SendMessageW(plain, EM_GETLINECOUNT, 0, 0), 3);
  struct Case {
    int line;
    LRESULT index, length;
    std::u16string text;
  } cases[] = {{0, 0, 10, u"first line"}, {1, 12, 6, u"second"}, {2, 19, 5, u"third"}};
  for (const Case& c : cases) {
    EXPECT_EQ(SendMessageW(plain, EM_LINEINDEX, c.line, 0), c.index);
    EXPECT_EQ(SendMessageW(plain, EM_LINELENGTH, static_cast<WPARAM>(c.index), 0), c.length);
    char16_t buffer[32] = {};
    buffer[0] = 32;
    const LRESULT copied = SendMessageW(plain, EM_GETLINE, c.line, reinterpret_cast<LPARAM>(buffer));
    EXPECT_EQ(std::u16string(buffer, static_cast<size_t>(copied)), c.text);
  }
  // EM_GETLINE through the narrow interface gets UTF-8 bytes.
  char narrow[16] = {};
  narrow[0] = 16;
  const LRESULT bytes = SendMessageA(plain, EM_GETLINE, 1, reinterpret_cast<LPARAM>(narrow));
  EXPECT_EQ(std::string(narrow, static_cast<size_t>(bytes)), "second");
  SendMessageA(plain, EM_SETSEL, 0, 0);
  SendMessageA(plain, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("\xC3\xA9"));
  EXPECT_EQ(Text(plain).substr(0, 2), u"\u00E9f");

  // Enter breaks a line in a multi-line edit and does nothing in a single line.
  HWND typed = MakeEdit(ES_MULTILINE | ES_WANTRETURN, u"", 200, 100);
  Type(typed, u"ab\rcd");
  EXPECT_EQ(Text(typed), u"ab\r\ncd");
  Key(VK_UP);
  EXPECT_EQ(Selection(typed), std::make_pair(DWORD{2}, DWORD{2}));
  HWND single = MakeEdit(ES_AUTOHSCROLL);
  Type(single, u"ab\rcd");
  EXPECT_EQ(Text(single), u"abcd");
}

TEST_F(EditTest, NotifiesChangesAndFocus) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL);
  m_state.notifications.clear();
  SetFocus(edit);
  Type(edit, u"a");
  SetWindowTextW(edit, u"set");
  SetFocus(m_parent);
  const std::vector<WORD> expected{EN_SETFOCUS, EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE, EN_KILLFOCUS};
  EXPECT_EQ(m_state.notifications, expected);
}

TEST_F(EditTest, MouseSelectsByDragDoubleClickAndShiftClick) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, u"word another");
  const auto at = [&](size_t index) {
    const LRESULT pos = SendMessageW(edit, EM_POSFROMCHAR, index, 0);
    return test::ScreenPoint(edit, static_cast<short>(LOWORD(pos)) + 1, static_cast<short>(HIWORD(pos)) + 4);
  };
  test::Click(at(2));
  test::RunUntilIdle();
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{2}, DWORD{2}));
  test::Drag(at(1), at(9));
  test::RunUntilIdle();
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{1}, DWORD{9}));
  test::AdvanceClock(2000);
  test::DoubleClick(at(7));
  test::RunUntilIdle();
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{5}, DWORD{12}));
  test::AdvanceClock(2000);
  test::Click(at(2));
  InjectKey(VK_SHIFT, true);
  test::Click(at(10));
  InjectKey(VK_SHIFT, false);
  test::RunUntilIdle();
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{2}, DWORD{10}));
}

// The background comes from the parent's answer; the stock null brush keeps what the parent
// drew into the DC.
TEST_F(EditTest, ColourRequestsDecideTheBackground) {
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  struct Case {
    const char* what;
    DWORD style;
    bool disabled;
    bool nullBrush;
    UINT asked;
    COLORREF expected;
  } cases[] = {
      {"edit brush", 0, false, false, WM_CTLCOLOREDIT, RGB(0, 0, 255)},
      {"null brush keeps the parent's red", 0, false, true, WM_CTLCOLOREDIT, RGB(255, 0, 0)},
      {"read-only asks as a static", ES_READONLY, false, false, WM_CTLCOLORSTATIC, RGB(0, 0, 255)},
      {"disabled asks as a static", 0, true, true, WM_CTLCOLORSTATIC, RGB(255, 0, 0)},
  };
  for (const Case& c : cases) {
    m_state.colour = [&](UINT, HDC dc) -> LRESULT {
      if (!c.nullBrush) return reinterpret_cast<LRESULT>(blue);
      HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
      RECT all{0, 0, 400, 300};
      FillRect(dc, &all, red);
      DeleteObject(red);
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    };
    HWND edit = MakeEdit(ES_AUTOHSCROLL | c.style, u"text");
    if (c.disabled) EnableWindow(edit, FALSE);
    m_state.colourRequests.clear();
    // Painting into a DC given in WM_PAINT's wParam.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 24);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT all{0, 0, 200, 24};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SendMessageW(edit, WM_PAINT, reinterpret_cast<WPARAM>(memory), 0);
    const test::Image image = test::CaptureDc(memory);
    ASSERT_FALSE(m_state.colourRequests.empty()) << c.what;
    EXPECT_EQ(m_state.colourRequests.front(), c.asked) << c.what;
    const uint32_t corner = image.At(150, 20) & 0xFFFFFF;
    EXPECT_EQ(corner, (GetRValue(c.expected) << 16) | (GetGValue(c.expected) << 8) | GetBValue(c.expected)) << c.what;
    // The text is drawn (dark pixels near the start).
    bool ink = false;
    for (int y = 2; y < 20 && !ink; ++y)
      for (int x = 1; x < 30 && !ink; ++x) ink = (image.At(x, y) & 0xFFFFFF) == 0 || ((image.At(x, y) & 0xFF) < 0x40 && ((image.At(x, y) >> 16) & 0xFF) < 0x40);
    if (!c.disabled) {
      EXPECT_TRUE(ink) << c.what;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    DestroyWindow(edit);
  }
  m_state.colour = nullptr;
  DeleteObject(blue);
}

TEST_F(EditTest, ScrollsToTheCaretAndReportsVisibleLines) {
  std::u16string text;
  for (int i = 0; i < 50; ++i) text += u"line " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + u"\r\n";
  HWND memo = MakeEdit(ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL, text.c_str(), 200, 80);
  EXPECT_EQ(SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  SendMessageW(memo, EM_SETSEL, text.size(), text.size());
  SendMessageW(memo, EM_SCROLLCARET, 0, 0);
  const LRESULT top = SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0);
  EXPECT_GT(top, 40);
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(memo, SB_VERT, &info));
  EXPECT_EQ(info.nMax, 50);
  EXPECT_EQ(info.nPos, top);
  SendMessageW(memo, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  SendMessageW(memo, EM_LINESCROLL, 0, 3);
  EXPECT_EQ(SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0), 3);

  // A single line scrolls sideways to keep the caret in view.
  HWND line = MakeEdit(ES_AUTOHSCROLL, u"", 60, 24);
  Type(line, u"a rather long line of text that does not fit");
  const LRESULT caret = SendMessageW(line, EM_POSFROMCHAR, 44, 0);
  EXPECT_LE(static_cast<short>(LOWORD(caret)), 60);
  EXPECT_GE(static_cast<short>(LOWORD(caret)), 0);
}

TEST_F(EditTest, MarginsFontAndPrintClient) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, u"abc");
  SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(5, 7));
  EXPECT_EQ(SendMessageW(edit, EM_GETMARGINS, 0, 0), MAKELONG(5, 7));
  EXPECT_EQ(static_cast<short>(LOWORD(SendMessageW(edit, EM_POSFROMCHAR, 0, 0))), 5);
  HFONT font = CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Sans");
  const LRESULT narrowWidth = SendMessageW(edit, EM_POSFROMCHAR, 3, 0);
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)), font);
  EXPECT_GT(LOWORD(SendMessageW(edit, EM_POSFROMCHAR, 3, 0)), LOWORD(narrowWidth));
  const LRESULT hit = SendMessageW(edit, EM_CHARFROMPOS, 0, MAKELPARAM(2, 5));
  EXPECT_EQ(LOWORD(hit), 0);

  // WM_PRINTCLIENT paints the client into the given DC.
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 24);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  RECT all{0, 0, 200, 24};
  FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SendMessageW(edit, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
  EXPECT_EQ(test::CaptureDc(memory).At(190, 20) & 0xFFFFFF, GetSysColor(COLOR_WINDOW) & 0xFFFFFF);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  DestroyWindow(edit);
  DeleteObject(font);
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

bool HasColour(const platform::testing::Image& image, uint32_t colour) {
  for (uint32_t p : image.pixels)
    if ((p & 0xFFFFFF) == colour) return true;
  return false;
}

// The selection shows in the highlight colours while the edit has the focus, and without it
// only with ES_NOHIDESEL.
TEST_F(EditTest, SelectionShowsWhileFocusedOrWithNoHideSel) {
  const COLORREF h = GetSysColor(COLOR_HIGHLIGHT);
  const uint32_t highlight = (GetRValue(h) << 16) | (GetGValue(h) << 8) | GetBValue(h);
  HWND hides = MakeEdit(ES_AUTOHSCROLL, u"selected text");
  HWND keeps = CreateWindowExW(0, WC_EDITW, u"selected text", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | ES_NOHIDESEL, 10,
                               40, 200, 24, m_parent, nullptr, nullptr, nullptr);
  HWND memo = CreateWindowExW(0, WC_EDITW, u"a wrapped memo with several words\r\nand a second paragraph",
                              WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 10, 70, 120, 80, m_parent, nullptr,
                              nullptr, nullptr);
  HWND password = CreateWindowExW(0, WC_EDITW, u"secret", WS_CHILD | WS_VISIBLE | ES_PASSWORD | ES_AUTOHSCROLL, 10, 160,
                                  200, 24, m_parent, nullptr, nullptr, nullptr);
  SendMessageW(memo, EM_SETSEL, 2, 20);
  SendMessageW(hides, EM_SETSEL, 0, 8);
  SendMessageW(keeps, EM_SETSEL, 0, 8);
  SetFocus(hides);
  test::RunUntilIdle();
  EXPECT_TRUE(HasColour(test::ReadWindow(hides), highlight));
  EXPECT_TRUE(HasColour(test::ReadWindow(keeps), highlight));
  EXPECT_FALSE(HasColour(test::ReadWindow(memo), highlight));
  SetFocus(memo);
  test::RunUntilIdle();
  EXPECT_FALSE(HasColour(test::ReadWindow(hides), highlight));
  EXPECT_TRUE(HasColour(test::ReadWindow(keeps), highlight));
  EXPECT_TRUE(HasColour(test::ReadWindow(memo), highlight));
  (void)password;
  if (const char* path = std::getenv("BRANTWELL_EDIT_PNG")) test::SaveWindowPng(m_parent, path);
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

// The context menu: its access keys run the commands; a grayed command cannot be chosen.
TEST_F(EditTest, ContextMenuRunsTheEditCommands) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(30));
  HWND edit = MakeEdit(ES_AUTOHSCROLL, u"hello");
  SetFocus(edit);
  const POINT at = test::ScreenPoint(edit, 5, 5);
  const auto menuWithKeys = [&](std::vector<int> keys) {
    for (int key : keys) {
      InjectKey(key, true);
      InjectKey(key, false);
    }
    SendMessageW(edit, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), MAKELPARAM(at.x, at.y));
    test::RunUntilIdle();
  };
  SendMessageW(edit, EM_SETSEL, 5, 5);
  menuWithKeys({'A'});  // Select All
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{0}, DWORD{5}));
  menuWithKeys({'T'});  // Cut
  EXPECT_EQ(Text(edit), u"");
  EXPECT_EQ(Clipboard(), u"hello");
  menuWithKeys({'U'});  // Undo
  EXPECT_EQ(Text(edit), u"hello");
  SendMessageW(edit, EM_SETSEL, 0, 0);
  menuWithKeys({'D', VK_ESCAPE});  // Delete is grayed without a selection
  EXPECT_EQ(Text(edit), u"hello");
  // The captions are the program's to change.
  EditMenuCaptions captions;
  captions.selectAll = u"&Everything";
  SetEditMenuCaptions(captions);
  menuWithKeys({'E'});
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{0}, DWORD{5}));
  SetEditMenuCaptions(EditMenuCaptions{});
}

// Scroll bars are set through the window manager's function table, where the skinned bars
// hook in; the alignment styles place the text.
int g_scrollInfoCalls = 0;
int CountingSetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
  ++g_scrollInfoCalls;
  return platform::OriginalUserFunctions().SetScrollInfo(hwnd, bar, info, redraw);
}

TEST_F(EditTest, ScrollBarsGoThroughTheFunctionTableAndAlignmentPlacesText) {
  const platform::UserFunctionTable saved = platform::UserFunctions();
  platform::UserFunctions().SetScrollInfo = CountingSetScrollInfo;
  g_scrollInfoCalls = 0;
  HWND memo = MakeEdit(ES_MULTILINE | WS_VSCROLL, u"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8", 100, 50);
  SendMessageW(memo, WM_VSCROLL, SB_BOTTOM, 0);
  platform::UserFunctions() = saved;
  EXPECT_GT(g_scrollInfoCalls, 0);
  EXPECT_GT(SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0), 0);

  struct Case {
    DWORD style;
    int minX, maxX;
  } cases[] = {{ES_LEFT, 0, 3}, {ES_CENTER, 80, 100}, {ES_RIGHT, 160, 199}};
  for (const Case& c : cases) {
    HWND edit = MakeEdit(ES_AUTOHSCROLL | c.style, u"abc", 200, 24);
    const int x = static_cast<short>(LOWORD(SendMessageW(edit, EM_POSFROMCHAR, 0, 0)));
    EXPECT_GE(x, c.minX) << c.style;
    EXPECT_LE(x, c.maxX) << c.style;
  }
}

}  // namespace
}  // namespace platform
