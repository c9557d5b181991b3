// MessageBox answered with synthetic keys, clicks and posted messages (scripted from the
// owner's WM_ENTERIDLE), its modality, its errors, and a picture of it.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "UserTestSupport.h"
#include "platform/kernel/WinError.h"
#include "platform/testing/MessageBoxCases.h"
#include "platform/testing/Pictures.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/FunctionTable.h"
#include "platform/user/InputSink.h"
#include "platform/user/Present.h"
#include "platform/user/WinUser.h"

namespace {

using namespace usertest;
using platform::detail::InjectKey;
using platform::detail::InjectMouseButton;
using platform::detail::InjectMouseMove;
using platform::detail::InjectText;
using platform::detail::MouseButton;

class MessageBoxTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    m_owner = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 150, 500, 400, nullptr,
                     [this](HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT*) {
                       if (msg == WM_ENTERIDLE && wParam == MSGF_DIALOGBOX && m_step < m_script.size())
                         m_script[m_step++](reinterpret_cast<HWND>(lParam));
                       return false;
                     });
    SetActiveWindow(m_owner);
  }
  static void Key(int vk) {
    InjectKey(vk, true);
    InjectKey(vk, false);
  }
  // The screen centre of button `index` of a box showing `text` with `type`.
  static POINT ButtonCentre(HWND box, const std::u16string& text, UINT type, int index) {
    const auto layout = platform::detail::LayoutMessageBox(text, type);
    const RECT r = layout.buttons[index];
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(box, &p);
    return p;
  }
  HWND m_owner = nullptr;
  std::vector<std::function<void(HWND)>> m_script;
  size_t m_step = 0;
};

TEST_F(MessageBoxTest, KeysAnswerByButtonSet) {
  for (const platform::testing::MessageBoxKeyCase& c : platform::testing::MessageBoxKeyCases()) {
    SCOPED_TRACE(c.name);
    m_step = 0;
    m_script = {[&](HWND) { c.input(); }};
    EXPECT_EQ(MessageBoxW(m_owner, u"Save the project before closing?", u"Brantwell", c.type), c.expected);
  }
}

TEST_F(MessageBoxTest, AReplacementSeesEveryForm) {
  // The program's own box goes into the function table; the A and Ex forms reach it too.
  static std::u16string seen;
  const platform::UserFunctionTable saved = platform::UserFunctions();
  platform::UserFunctions().MessageBoxW = [](HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
    seen = std::u16string(caption) + u": " + text;
    return static_cast<int>(type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
  };
  EXPECT_EQ(MessageBoxA(m_owner, "Caf\xC3\xA9 ready", "Brantwell", MB_YESNO), IDNO);
  EXPECT_EQ(seen, u"Brantwell: Café ready");
  EXPECT_EQ(MessageBoxExW(m_owner, u"Done", u"Job", MB_OK, 0), IDOK);
  EXPECT_EQ(seen, u"Job: Done");
  platform::UserFunctions() = saved;
  m_script = {[&](HWND) { platform::testing::KeyPress(VK_RETURN); }};
  EXPECT_EQ(MessageBoxW(m_owner, u"Back to the window manager's box", u"t", MB_OK), IDOK);
}

TEST_F(MessageBoxTest, ModalWhileShownAndOwnerBackAfterwards) {
  HWND seen = nullptr;
  m_script = {[&](HWND box) {
    seen = box;
    EXPECT_FALSE(IsWindowEnabled(m_owner));
    char16_t name[32] = {};
    GetClassNameW(box, name, 32);
    EXPECT_EQ(std::u16string(name), u"#32770");
    char title[64] = {};
    GetWindowTextA(box, title, 64);
    EXPECT_STREQ(title, "Caf\xC3\xA9");
    EXPECT_EQ(GetWindow(box, GW_OWNER), m_owner);
    EXPECT_EQ(GetActiveWindow(), box);
    // Centred on the owner.
    RECT boxRect, ownerRect;
    GetWindowRect(box, &boxRect);
    GetWindowRect(m_owner, &ownerRect);
    EXPECT_NEAR((boxRect.left + boxRect.right) / 2, (ownerRect.left + ownerRect.right) / 2, 1);
    PostMessageW(box, WM_COMMAND, IDYES, 0);
  }};
  EXPECT_EQ(MessageBoxA(m_owner, "Replace the file?", "Caf\xC3\xA9", MB_YESNO), IDYES);
  EXPECT_FALSE(IsWindow(seen));
  EXPECT_TRUE(IsWindowEnabled(m_owner));
  EXPECT_EQ(GetActiveWindow(), m_owner);

  // Closing: ignored without a cancel answer, Cancel otherwise.
  m_step = 0;
  m_script = {[&](HWND box) { PostMessageW(box, WM_CLOSE, 0, 0); }, [&](HWND box) { PostMessageW(box, WM_COMMAND, IDNO, 0); }};
  EXPECT_EQ(MessageBoxW(m_owner, u"Overwrite?", u"t", MB_YESNO), IDNO);
  EXPECT_EQ(m_step, 2u);
  m_step = 0;
  m_script = {[&](HWND box) { PostMessageW(box, WM_CLOSE, 0, 0); }};
  EXPECT_EQ(MessageBoxW(m_owner, u"Burn now?", u"t", MB_OKCANCEL), IDCANCEL);
}

TEST_F(MessageBoxTest, ClickAnswersOnlyWhenReleasedOnTheButton) {
  const std::u16string text = u"Stop the encoding job?";
  const UINT type = MB_YESNO | MB_ICONQUESTION;
  m_script = {[&](HWND box) {
                // Pressed on Yes, released outside it: no answer.
                const POINT yes = ButtonCentre(box, text, type, 0);
                InjectMouseMove(yes);
                InjectMouseButton(MouseButton::Left, true, yes);
                const POINT away{yes.x, yes.y - 40};
                InjectMouseMove(away);
                InjectMouseButton(MouseButton::Left, false, away);
              },
              [&](HWND box) {
                const POINT no = ButtonCentre(box, text, type, 1);
                InjectMouseMove(no);
                InjectMouseButton(MouseButton::Left, true, no);
                InjectMouseButton(MouseButton::Left, false, no);
              }};
  EXPECT_EQ(MessageBoxW(m_owner, text.c_str(), u"Brantwell", type), IDNO);
  EXPECT_EQ(m_step, 2u);
}

TEST_F(MessageBoxTest, TaskModalDisablesTheThreadsWindows) {
  // No owner: every window of the thread is disabled while the box shows; the first one to
  // hear of it answers the box.
  Handlers()[m_owner] = [](HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT*) {
    if (msg == WM_ENABLE && !wParam) PostMessageW(FindWindowW(u"#32770", u"Task"), WM_COMMAND, IDOK, 0);
    return false;
  };
  ClearLog();
  EXPECT_EQ(MessageBoxW(nullptr, u"Burning finished.", u"Task", MB_OK | MB_TASKMODAL), IDOK);
  std::vector<WPARAM> enables;
  {
    std::lock_guard lock(LogMutex());
    for (const Seen& seen : Log())
      if (seen.hwnd == m_owner && seen.msg == WM_ENABLE) enables.push_back(seen.wParam);
  }
  EXPECT_EQ(enables, (std::vector<WPARAM>{FALSE, TRUE}));
  EXPECT_TRUE(IsWindowEnabled(m_owner));
}

TEST_F(MessageBoxTest, BadArgumentsFailClearly) {
  EXPECT_EQ(MessageBoxW(reinterpret_cast<HWND>(0x4321), u"x", u"y", MB_OK), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_EQ(MessageBoxW(m_owner, u"x", u"y", 7), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(IsWindowEnabled(m_owner));
}

TEST_F(MessageBoxTest, Picture) {
  m_script = {[&](HWND box) {
    UpdateWindow(box);
    platform::detail::WindowPixels pixels;
    ASSERT_TRUE(platform::detail::ReadWindowPixels(box, true, &pixels));
    platform::testing::Image image{pixels.width, pixels.height, pixels.pixels};
    EXPECT_TRUE(platform::testing::SavePng(image, std::string(BRANTWELL_TEST_BIN_DIR) + "/message_box.png"));
    platform::detail::WindowPixels client;
    ASSERT_TRUE(platform::detail::ReadWindowPixels(box, false, &client));
    EXPECT_EQ(client.pixels[static_cast<size_t>(client.height - 3) * client.width + 2] & 0xFFFFFF, 0xD4D0C8u);
    Key(VK_RETURN);
  }};
  EXPECT_EQ(MessageBoxW(m_owner, u"The disc could not be written.\nCheck the drive and try again.", u"Brantwell",
                        MB_RETRYCANCEL | MB_ICONERROR),
            IDRETRY);
}

}  // namespace
