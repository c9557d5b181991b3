// A second process finds this process's window and the other way round: by title and
// class, through EnumWindows and GetWindowText, with posted and sent messages, copied
// WM_COPYDATA, ShowWindow, and refusal of messages that carry pointers. The peer is a
// separate executable started with fork and exec, read through a pipe with a watchdog.

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "UserTestSupport.h"
#include "platform/kernel/WinError.h"
#include "platform/user/ProcessRegistry.h"
#include "platform/user/WinUser.h"

namespace {

using namespace usertest;

class Peer {
 public:
  Peer(const std::string& title, const std::string& parentTitle) {
    int fds[2];
    if (pipe(fds) != 0) return;
    m_pid = fork();
    if (m_pid == 0) {
      dup2(fds[1], STDOUT_FILENO);
      close(fds[0]);
      close(fds[1]);
      const std::string path = std::string(BRANTWELL_TEST_BIN_DIR) + "/user_registry_peer";
      execl(path.c_str(), path.c_str(), title.c_str(), parentTitle.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    m_out = fds[0];
  }
  ~Peer() {
    if (m_pid > 0 && !m_reaped) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
    if (m_out >= 0) close(m_out);
  }
  // The next line the peer reports, or "" after the watchdog's 20 seconds.
  std::string Line() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (true) {
      const size_t end = m_buffer.find('\n');
      if (end != std::string::npos) {
        std::string line = m_buffer.substr(0, end);
        m_buffer.erase(0, end + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return "";
      pollfd p{m_out, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return "";
      char chunk[256];
      const ssize_t n = read(m_out, chunk, sizeof chunk);
      if (n <= 0) return "";
      m_buffer.append(chunk, static_cast<size_t>(n));
    }
  }
  bool Exited() {
    for (int i = 0; i < 2000; ++i) {  // watchdog: 20 seconds
      if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
        m_reaped = true;
        return true;
      }
      usleep(10000);
    }
    return false;
  }
  pid_t pid() const { return m_pid; }

 private:
  pid_t m_pid = -1;
  int m_out = -1;
  bool m_reaped = false;
  std::string m_buffer;
};

class ProcessRegistryTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    // A private runtime folder, so other runs of the tests are not found.
    char folder[] = "/tmp/brantwell-registry-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    m_folder = folder;
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    m_oldRuntime = old ? old : "";
    m_hadRuntime = old != nullptr;
    setenv("XDG_RUNTIME_DIR", folder, 1);
  }
  void TearDown() override {
    platform::StopPublishingWindows();
    if (m_hadRuntime) setenv("XDG_RUNTIME_DIR", m_oldRuntime.c_str(), 1);
    else unsetenv("XDG_RUNTIME_DIR");
    std::string command = "rm -rf '" + m_folder + "'";
    [[maybe_unused]] int ignored = std::system(command.c_str());
    UserTest::TearDown();
  }
  std::string m_folder, m_oldRuntime;
  bool m_hadRuntime = false;
};

TEST_F(ProcessRegistryTest, SecondProcessFindsAndTalksToTheFirst) {
  const std::string title = "Brantwell peer " + std::to_string(getpid());
  const std::string ourTitle = "Brantwell first " + std::to_string(getpid());
  HWND mine = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100);
  SetWindowTextA(mine, ourTitle.c_str());
  ASSERT_TRUE(platform::PublishTopLevelWindows());

  Peer peer(title, ourTitle);
  ASSERT_EQ(peer.Line(), "ready");

  HWND remote = FindWindowA(nullptr, title.c_str());
  ASSERT_NE(remote, nullptr);
  EXPECT_TRUE(IsWindow(remote));
  EXPECT_EQ(FindWindowW(u"brantwellregistrypeer", nullptr), remote);  // class, any case
  DWORD pid = 0;
  GetWindowThreadProcessId(remote, &pid);
  EXPECT_EQ(pid, static_cast<DWORD>(peer.pid()));
  char text[64] = {};
  EXPECT_EQ(GetWindowTextA(remote, text, 64), static_cast<int>(title.size()));
  EXPECT_EQ(std::string(text), title);
  EXPECT_EQ(GetWindowTextLengthW(remote), static_cast<int>(title.size()));
  struct Search {
    HWND wanted;
    bool seen;
  } search{remote, false};
  EnumWindows([](HWND h, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    if (h == s->wanted) s->seen = true;
    return TRUE;
  }, reinterpret_cast<LPARAM>(&search));
  EXPECT_TRUE(search.seen);

  ASSERT_TRUE(PostMessageW(remote, WM_USER + 1780, 5, 6));
  EXPECT_EQ(peer.Line(), "posted 5 6");
  EXPECT_EQ(SendMessageW(remote, WM_USER + 1781, 41, 0), 42);

  // Pointers never cross: a text message is refused here (and would be there too).
  EXPECT_FALSE(PostMessageW(remote, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"x")));
  EXPECT_EQ(GetLastError(), ERROR_MESSAGE_SYNC_ONLY);
  EXPECT_EQ(SendMessageW(remote, WM_GETTEXT, 10, reinterpret_cast<LPARAM>(text)), 0);

  const char payload[] = "open D:/Movies/holiday.qpj";
  COPYDATASTRUCT copy{7, sizeof payload - 1, const_cast<char*>(payload)};
  EXPECT_EQ(SendMessageW(remote, WM_COPYDATA, reinterpret_cast<WPARAM>(mine), reinterpret_cast<LPARAM>(&copy)), 1234);
  EXPECT_EQ(peer.Line(), "copydata 7 open D:/Movies/holiday.qpj sender=1");

  EXPECT_TRUE(ShowWindow(remote, SW_HIDE));  // it was visible
  EXPECT_EQ(peer.Line(), "show 0");
  EXPECT_TRUE(SetForegroundWindow(remote));

  // The other way: the peer finds our window and posts to it.
  ClearLog();
  ASSERT_TRUE(PostMessageW(remote, WM_USER + 1782, 0, 0));
  EXPECT_EQ(peer.Line(), "found parent yes");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (Messages(mine, {WM_USER + 1790}).empty() && std::chrono::steady_clock::now() < deadline) {
    Pump();
    usleep(2000);
  }
  EXPECT_EQ(Messages(mine, {WM_USER + 1790}).size(), 1u);

  ASSERT_TRUE(PostMessageW(remote, WM_CLOSE, 0, 0));
  EXPECT_EQ(peer.Line(), "bye");
  ASSERT_TRUE(peer.Exited());
  EXPECT_FALSE(IsWindow(remote));
  EXPECT_EQ(FindWindowA(nullptr, title.c_str()), nullptr);
  EXPECT_FALSE(PostMessageW(remote, WM_USER + 1780, 0, 0));
}

}  // namespace
