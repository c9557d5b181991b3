// Clipboard text round trips in both forms, ownership and opening rules, registered
// formats, and promised data rendered on request.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "UserTestSupport.h"
#include "platform/kernel/Unicode.h"
#include "platform/kernel/WinError.h"
#include "platform/user/WinUser.h"

namespace {

using namespace usertest;

HANDLE Block(const void* data, size_t size) {
  HANDLE block = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(block), data, size);
  GlobalUnlock(block);
  return block;
}

class ClipboardTest : public UserTest {
 protected:
  void TearDown() override {
    if (GetOpenClipboardWindow() || OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
    UserTest::TearDown();
  }
};

TEST_F(ClipboardTest, TextRoundTripsInBothForms) {
  struct Case {
    const char* name;
    UINT putFormat;
    std::string utf8;
  };
  const Case cases[] = {{"ANSI in", CF_TEXT, "Title 1 \xE2\x80\x93 Caf\xC3\xA9"},
                        {"Unicode in", CF_UNICODETEXT, "Menu \xF0\x9F\x8E\xAC chapters"},
                        {"empty", CF_TEXT, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND hwnd = Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
    ASSERT_TRUE(OpenClipboard(hwnd));
    ASSERT_TRUE(EmptyClipboard());
    const std::u16string wide = platform::Utf8ToUtf16(c.utf8);
    HANDLE put = c.putFormat == CF_TEXT ? Block(c.utf8.c_str(), c.utf8.size() + 1)
                                        : Block(wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
    ASSERT_EQ(SetClipboardData(c.putFormat, put), put);
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(GetClipboardOwner(), hwnd);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));

    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE text = GetClipboardData(CF_TEXT);
    HANDLE unicode = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(text, nullptr);
    ASSERT_NE(unicode, nullptr);
    EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(text))), c.utf8);
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(GlobalLock(unicode))), wide);
    GlobalUnlock(text);
    GlobalUnlock(unicode);
    ASSERT_TRUE(CloseClipboard());
  }
}

TEST_F(ClipboardTest, TextPutInBothFormsKeepsBoth) {
  // A program that puts its own text in each form gets each back; only forms made from the
  // other one give way to newer text.
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  SetClipboardData(CF_UNICODETEXT, Block(u"Men\u00FC", 10));
  SetClipboardData(CF_TEXT, Block("Menu", 5));
  HANDLE unicode = GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(unicode, nullptr);
  EXPECT_EQ(std::u16string(static_cast<const char16_t*>(GlobalLock(unicode))), u"Men\u00FC");
  GlobalUnlock(unicode);

  SetClipboardData(CF_UNICODETEXT, Block(u"new", 8));
  EXPECT_NE(GetClipboardData(CF_OEMTEXT), nullptr);  // made from "new"
  SetClipboardData(CF_UNICODETEXT, Block(u"newer", 12));
  HANDLE text = GetClipboardData(CF_TEXT);
  HANDLE oem = GetClipboardData(CF_OEMTEXT);
  ASSERT_NE(text, nullptr);
  ASSERT_NE(oem, nullptr);
  EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(text))), "Menu");
  EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(oem))), "newer");
  GlobalUnlock(text);
  GlobalUnlock(oem);
  CloseClipboard();
}

TEST_F(ClipboardTest, OpeningRulesOwnershipAndErrors) {
  HWND first = Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
  HWND second = Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
  // Nothing works on a closed clipboard.
  EXPECT_EQ(SetClipboardData(CF_TEXT, Block("x", 2)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CLIPBOARD_NOT_OPEN);
  EXPECT_FALSE(EmptyClipboard());
  EXPECT_FALSE(CloseClipboard());
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);

  ASSERT_TRUE(OpenClipboard(first));
  EmptyClipboard();
  SetClipboardData(CF_TEXT, Block("one", 4));
  EXPECT_EQ(GetOpenClipboardWindow(), first);
  // Another thread cannot open it meanwhile.
  BOOL otherThread = TRUE;
  std::thread([&] { otherThread = OpenClipboard(nullptr); }).join();
  EXPECT_FALSE(otherThread);
  CloseClipboard();

  // Emptying by another owner tells the previous one.
  ClearLog();
  ASSERT_TRUE(OpenClipboard(second));
  ASSERT_TRUE(EmptyClipboard());
  EXPECT_EQ(Messages(first, {WM_DESTROYCLIPBOARD}).size(), 1u);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(SetClipboardData(CF_TEXT, reinterpret_cast<HANDLE>(0x77)), nullptr);  // not a block
  const UINT format = RegisterClipboardFormatA("Brantwell Clip");
  EXPECT_GE(format, 0xC000u);
  EXPECT_EQ(RegisterClipboardFormatW(u"brantwell clip"), format);
  SetClipboardData(format, Block("\x01\x02", 2));
  SetClipboardData(CF_UNICODETEXT, Block(u"two", 8));
  EXPECT_EQ(CountClipboardFormats(), 2);
  EXPECT_EQ(EnumClipboardFormats(0), CF_UNICODETEXT);
  EXPECT_EQ(EnumClipboardFormats(CF_UNICODETEXT), format);
  EXPECT_EQ(EnumClipboardFormats(format), 0u);
  CloseClipboard();
  Pump();
  EXPECT_GE(Messages(first, {WM_CLIPBOARDUPDATE}).size(), 1u);
}

TEST_F(ClipboardTest, PromisedDataIsRenderedByTheOwner) {
  HWND owner = Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, [](HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT*) {
    if (msg == WM_RENDERFORMAT && wParam == CF_UNICODETEXT) SetClipboardData(CF_UNICODETEXT, Block(u"late", 10));
    return msg == WM_RENDERFORMAT;
  });
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, nullptr);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::u16string(static_cast<const char16_t*>(GlobalLock(data))), u"late");
  GlobalUnlock(data);
  CloseClipboard();
}

}  // namespace
