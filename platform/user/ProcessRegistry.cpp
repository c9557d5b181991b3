// The registry of top-level windows shared between processes of the program: a listening
// socket per publishing process, a small request/answer protocol, and stand-in handles for
// the windows of other processes.
//
// Protocol: one request per connection. A frame is a 32-bit little-endian length and that
// many bytes; a request starts with an operation byte. Every field is read with bounds
// checks; a malformed request closes the connection unanswered.

#include "platform/user/ProcessRegistry.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/kernel/HandleTable.h"
#include "platform/kernel/Synch.h"
#include "platform/kernel/WinError.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {

namespace {

constexpr uint32_t kMaxFrame = 64u << 20;  // WM_COPYDATA payloads up to 64 MiB
constexpr int kPeerTimeoutMs = 5000;
constexpr int kCopyDataTimeoutMs = 10000;

enum class Op : uint8_t { List = 1, Show = 2, Foreground = 3, Post = 4, Send = 5, CopyData = 6, IsWindow = 7 };

// ---- serialisation -------------------------------------------------------------------------

class Writer {
 public:
  void U8(uint8_t v) { m_bytes.push_back(v); }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) m_bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void U64(uint64_t v) {
    for (int i = 0; i < 8; ++i) m_bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Blob(const void* data, size_t size) {
    U32(static_cast<uint32_t>(size));
    const auto* p = static_cast<const uint8_t*>(data);
    m_bytes.insert(m_bytes.end(), p, p + size);
  }
  void Text(const std::u16string& text) { Blob(text.data(), text.size() * sizeof(char16_t)); }
  const std::vector<uint8_t>& bytes() const { return m_bytes; }

 private:
  std::vector<uint8_t> m_bytes;
};

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& bytes) : m_bytes(bytes) {}
  bool U8(uint8_t* v) {
    if (m_pos + 1 > m_bytes.size()) return false;
    *v = m_bytes[m_pos++];
    return true;
  }
  bool U32(uint32_t* v) {
    if (m_pos + 4 > m_bytes.size()) return false;
    *v = 0;
    for (int i = 0; i < 4; ++i) *v |= static_cast<uint32_t>(m_bytes[m_pos++]) << (8 * i);
    return true;
  }
  bool U64(uint64_t* v) {
    if (m_pos + 8 > m_bytes.size()) return false;
    *v = 0;
    for (int i = 0; i < 8; ++i) *v |= static_cast<uint64_t>(m_bytes[m_pos++]) << (8 * i);
    return true;
  }
  bool Blob(std::vector<uint8_t>* out) {
    uint32_t size;
    if (!U32(&size) || size > m_bytes.size() - m_pos) return false;
    out->assign(m_bytes.begin() + static_cast<long>(m_pos), m_bytes.begin() + static_cast<long>(m_pos + size));
    m_pos += size;
    return true;
  }
  bool Text(std::u16string* out) {
    std::vector<uint8_t> bytes;
    if (!Blob(&bytes) || bytes.size() % 2) return false;
    out->assign(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
    return true;
  }

 private:
  const std::vector<uint8_t>& m_bytes;
  size_t m_pos = 0;
};

// ---- sockets -----------------------------------------------------------------------------

struct Fd {
  int fd = -1;
  explicit Fd(int f = -1) : fd(f) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

bool WaitFor(int fd, short events, int timeoutMs) {
  pollfd p{fd, events, 0};
  for (;;) {
    const int n = ::poll(&p, 1, timeoutMs);
    if (n < 0 && errno == EINTR) continue;
    return n > 0 && (p.revents & (events | POLLHUP)) != 0;
  }
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    if (!WaitFor(fd, POLLOUT, kPeerTimeoutMs)) return false;
    const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, uint8_t* data, size_t size, int timeoutMs) {
  while (size > 0) {
    if (!WaitFor(fd, POLLIN, timeoutMs)) return false;
    const ssize_t n = ::recv(fd, data, size, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool SendFrame(int fd, const std::vector<uint8_t>& payload) {
  uint8_t header[4];
  const auto size = static_cast<uint32_t>(payload.size());
  for (int i = 0; i < 4; ++i) header[i] = static_cast<uint8_t>(size >> (8 * i));
  return WriteAll(fd, header, 4) && WriteAll(fd, payload.data(), payload.size());
}

bool ReceiveFrame(int fd, std::vector<uint8_t>* payload, int timeoutMs) {
  uint8_t header[4];
  if (!ReadAll(fd, header, 4, timeoutMs)) return false;
  const uint32_t size = header[0] | (header[1] << 8) | (header[2] << 16) | (static_cast<uint32_t>(header[3]) << 24);
  if (size > kMaxFrame) return false;
  payload->resize(size);
  return ReadAll(fd, payload->data(), size, timeoutMs);
}

std::string SocketPath(const std::string& folder, pid_t pid) {
  return folder + "/windows-" + std::to_string(pid) + ".sock";
}

bool MakeAddress(const std::string& path, sockaddr_un* address) {
  if (path.size() >= sizeof(address->sun_path)) return false;
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

// ---- messages allowed across processes ---------------------------------------------------

// Only messages whose parameters are plain numbers travel between processes.
bool CarriesOnlyNumbers(UINT msg, LPARAM lParam) {
  if (msg >= WM_USER) return true;  // the program's own and registered messages
  if (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) return true;
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) return true;
  switch (msg) {
    case WM_NULL: case WM_CLOSE: case WM_SYSCOMMAND: case WM_ACTIVATEAPP: case WM_SHOWWINDOW: case WM_ENABLE:
    case WM_DISPLAYCHANGE: case WM_CANCELMODE:
      return true;
    case WM_COMMAND: return lParam == 0;  // from a menu or accelerator, not a control
    default: return false;
  }
}

// ---- stand-in handles --------------------------------------------------------------------

struct RemoteRef {
  pid_t pid = 0;
  uint64_t handle = 0;
};

std::mutex g_remoteMutex;
HandleTable<RemoteRef>& RemoteTable() {
  static auto* table = new HandleTable<RemoteRef>(handle_tags::kRemoteWindow);
  return *table;
}

HWND StandIn(pid_t pid, uint64_t handle) {
  static auto* known = new std::map<std::pair<pid_t, uint64_t>, HWND>;
  std::lock_guard lock(g_remoteMutex);
  HWND& slot = (*known)[{pid, handle}];
  if (!slot || !RemoteTable().Contains(reinterpret_cast<uintptr_t>(slot)))
    slot = reinterpret_cast<HWND>(RemoteTable().Add(std::make_shared<RemoteRef>(RemoteRef{pid, handle})));
  return slot;
}

std::shared_ptr<RemoteRef> RefOf(HWND hwnd) { return RemoteTable().Get(reinterpret_cast<uintptr_t>(hwnd)); }

// One request to a process; false when it cannot be reached or does not answer.
bool Ask(pid_t pid, const Writer& request, std::vector<uint8_t>* answer, int timeoutMs = kPeerTimeoutMs) {
  const std::string folder = UserRuntimeFolder();
  sockaddr_un address;
  if (folder.empty() || !MakeAddress(SocketPath(folder, pid), &address)) return false;
  Fd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (socket.fd < 0) return false;
  if (::connect(socket.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    if (errno != EINPROGRESS || !WaitFor(socket.fd, POLLOUT, kPeerTimeoutMs)) {
      // A socket nobody listens on any more belongs to a process that is gone.
      if (errno == ECONNREFUSED && ::kill(pid, 0) != 0 && errno == ESRCH) ::unlink(address.sun_path);
      return false;
    }
  }
  return SendFrame(socket.fd, request.bytes()) && ReceiveFrame(socket.fd, answer, timeoutMs);
}

// The processes that publish windows, other than this one.
std::vector<pid_t> Publishers() {
  std::vector<pid_t> pids;
  const std::string folder = UserRuntimeFolder();
  if (folder.empty()) return pids;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return pids;
  while (dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.rfind("windows-", 0) != 0 || name.size() <= 13 || name.substr(name.size() - 5) != ".sock") continue;
    const std::string number = name.substr(8, name.size() - 13);
    if (number.find_first_not_of("0123456789") != std::string::npos) continue;
    const pid_t pid = static_cast<pid_t>(std::stol(number));
    if (pid != ::getpid()) pids.push_back(pid);
  }
  ::closedir(dir);
  return pids;
}

struct RemoteWindow {
  HWND standIn = nullptr;
  DWORD style = 0;
  std::u16string className;
  std::u16string title;
};

std::vector<RemoteWindow> ListWindows(pid_t pid) {
  std::vector<RemoteWindow> out;
  Writer request;
  request.U8(static_cast<uint8_t>(Op::List));
  std::vector<uint8_t> answer;
  if (!Ask(pid, request, &answer)) return out;
  Reader reader(answer);
  uint32_t count;
  if (!reader.U32(&count)) return out;
  for (uint32_t i = 0; i < count; ++i) {
    uint64_t handle;
    uint32_t style;
    RemoteWindow w;
    if (!reader.U64(&handle) || !reader.U32(&style) || !reader.Text(&w.className) || !reader.Text(&w.title)) break;
    w.standIn = StandIn(pid, handle);
    w.style = style;
    out.push_back(std::move(w));
  }
  return out;
}

bool EqualsIgnoringCase(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 32);
    if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - 32);
    if (x != y) return false;
  }
  return true;
}

// ---- the server ----------------------------------------------------------------------------

struct Server {
  std::mutex mutex;
  bool running = false;
  int listenFd = -1;
  int stopPipe[2] = {-1, -1};
  std::string path;
  std::thread thread;
};

Server& TheServer() {
  static auto* server = new Server;
  return *server;
}

HWND LocalTopLevel(uint64_t handle) {
  HWND hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(handle));
  WindowPtr w = FindWindowPtrQuiet(hwnd);
  if (!w) return nullptr;
  UserGuard guard(UserLock());
  return (w->parent == DesktopWindowRaw() && !(w->style & WS_CHILD)) ? hwnd : nullptr;
}

void Answer(int fd, const std::vector<uint8_t>& request, pid_t peer) {
  Reader reader(request);
  uint8_t op;
  if (!reader.U8(&op)) return;
  Writer answer;
  switch (static_cast<Op>(op)) {
    case Op::List: {
      std::vector<RemoteWindow> list;
      std::vector<std::pair<uint64_t, RemoteWindow>> windows;
      {
        UserGuard guard(UserLock());
        for (const Window* top : DesktopWindowRaw()->children) {
          RemoteWindow w;
          w.style = top->style;
          w.className = top->cls ? top->cls->name : std::u16string();
          w.title = top->text;
          windows.push_back({reinterpret_cast<uintptr_t>(top->handle), std::move(w)});
        }
      }
      answer.U32(static_cast<uint32_t>(windows.size()));
      for (const auto& [handle, w] : windows) {
        answer.U64(handle);
        answer.U32(w.style);
        answer.Text(w.className);
        answer.Text(w.title);
      }
      break;
    }
    case Op::IsWindow: {
      uint64_t handle;
      if (!reader.U64(&handle)) return;
      answer.U32(LocalTopLevel(handle) ? 1 : 0);
      break;
    }
    case Op::Show: {
      uint64_t handle;
      uint32_t command;
      if (!reader.U64(&handle) || !reader.U32(&command)) return;
      HWND hwnd = LocalTopLevel(handle);
      answer.U32(hwnd ? static_cast<uint32_t>(ShowWindow(hwnd, static_cast<int>(command))) : 0);
      break;
    }
    case Op::Foreground: {
      uint64_t handle;
      if (!reader.U64(&handle)) return;
      HWND hwnd = LocalTopLevel(handle);
      answer.U32(hwnd ? static_cast<uint32_t>(SetForegroundWindow(hwnd)) : 0);
      break;
    }
    case Op::Post:
    case Op::Send: {
      uint64_t handle, wParam, lParam;
      uint32_t msg;
      if (!reader.U64(&handle) || !reader.U32(&msg) || !reader.U64(&wParam) || !reader.U64(&lParam)) return;
      HWND hwnd = LocalTopLevel(handle);
      // Checked here too: a peer is not trusted to have checked.
      if (!hwnd || !CarriesOnlyNumbers(msg, static_cast<LPARAM>(lParam))) {
        answer.U32(0);
        answer.U64(0);
        break;
      }
      if (static_cast<Op>(op) == Op::Post) {
        answer.U32(PostMessageW(hwnd, msg, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam)) ? 1 : 0);
        answer.U64(0);
      } else {
        DWORD_PTR result = 0;
        const bool ok = SendMessageTimeoutW(hwnd, msg, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam),
                                            SMTO_ABORTIFHUNG, kCopyDataTimeoutMs, &result) != 0;
        answer.U32(ok ? 1 : 0);
        answer.U64(result);
      }
      break;
    }
    case Op::CopyData: {
      uint64_t handle, sender, data;
      std::vector<uint8_t> bytes;
      if (!reader.U64(&handle) || !reader.U64(&sender) || !reader.U64(&data) || !reader.Blob(&bytes)) return;
      HWND hwnd = LocalTopLevel(handle);
      if (!hwnd) {
        answer.U32(0);
        answer.U64(0);
        break;
      }
      COPYDATASTRUCT copy{static_cast<ULONG_PTR>(data), static_cast<DWORD>(bytes.size()), bytes.empty() ? nullptr : bytes.data()};
      HWND senderStandIn = sender ? StandIn(peer, sender) : nullptr;
      DWORD_PTR result = 0;
      const bool ok = SendMessageTimeoutW(hwnd, WM_COPYDATA, reinterpret_cast<WPARAM>(senderStandIn),
                                          reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG, kCopyDataTimeoutMs,
                                          &result) != 0;
      answer.U32(ok ? 1 : 0);
      answer.U64(result);
      break;
    }
    default: return;
  }
  SendFrame(fd, answer.bytes());
}

void Serve(int listenFd, int stopFd) {
  for (;;) {
    pollfd fds[2] = {{listenFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    if (!(fds[0].revents & POLLIN)) continue;
    Fd client(::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (client.fd < 0) continue;
    // Only this user's processes may ask (the folder is private too).
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(client.fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 || credentials.uid != ::getuid())
      continue;
    std::vector<uint8_t> request;
    if (ReceiveFrame(client.fd, &request, kPeerTimeoutMs)) Answer(client.fd, request, credentials.pid);
  }
}

void StopAtExit() { platform::StopPublishingWindows(); }

}  // namespace

bool IsRemoteWindow(HWND hwnd) { return hwnd && RemoteTable().Contains(reinterpret_cast<uintptr_t>(hwnd)); }

bool RemoteIsWindow(HWND hwnd) {
  auto ref = RefOf(hwnd);
  if (!ref) return false;
  Writer request;
  request.U8(static_cast<uint8_t>(Op::IsWindow));
  request.U64(ref->handle);
  std::vector<uint8_t> answer;
  uint32_t alive = 0;
  if (!Ask(ref->pid, request, &answer)) return false;
  Reader reader(answer);
  return reader.U32(&alive) && alive;
}

HWND FindRemoteWindow(const char16_t* className, const char16_t* title) {
  for (pid_t pid : Publishers())
    for (const RemoteWindow& w : ListWindows(pid)) {
      if (className && !EqualsIgnoringCase(w.className, className)) continue;
      if (title && !EqualsIgnoringCase(w.title, title)) continue;
      return w.standIn;
    }
  return nullptr;
}

bool EnumRemoteWindows(WNDENUMPROC proc, LPARAM lParam) {
  for (pid_t pid : Publishers())
    for (const RemoteWindow& w : ListWindows(pid))
      if (!proc(w.standIn, lParam)) return false;
  return true;
}

bool RemoteWindowText(HWND hwnd, std::u16string* text) {
  auto ref = RefOf(hwnd);
  if (!ref) return false;
  for (const RemoteWindow& w : ListWindows(ref->pid))
    if (w.standIn == hwnd) {
      *text = w.title;
      return true;
    }
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return false;
}

namespace {

bool AskNumbers(HWND hwnd, Op op, Writer& request, uint32_t* ok, uint64_t* value, int timeoutMs = kPeerTimeoutMs) {
  auto ref = RefOf(hwnd);
  std::vector<uint8_t> answer;
  if (!ref || !Ask(ref->pid, request, &answer, timeoutMs)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  Reader reader(answer);
  if (!reader.U32(ok)) return false;
  if (value && !reader.U64(value)) return false;
  (void)op;
  return true;
}

Writer Request(Op op, HWND hwnd) {
  Writer w;
  w.U8(static_cast<uint8_t>(op));
  auto ref = RefOf(hwnd);
  w.U64(ref ? ref->handle : 0);
  return w;
}

}  // namespace

BOOL RemoteShowWindow(HWND hwnd, int command) {
  Writer request = Request(Op::Show, hwnd);
  request.U32(static_cast<uint32_t>(command));
  uint32_t result = 0;
  return AskNumbers(hwnd, Op::Show, request, &result, nullptr) ? static_cast<BOOL>(result) : FALSE;
}

BOOL RemoteSetForegroundWindow(HWND hwnd) {
  Writer request = Request(Op::Foreground, hwnd);
  uint32_t result = 0;
  return AskNumbers(hwnd, Op::Foreground, request, &result, nullptr) ? static_cast<BOOL>(result) : FALSE;
}

BOOL RemotePostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!CarriesOnlyNumbers(msg, lParam)) {
    SetLastError(ERROR_MESSAGE_SYNC_ONLY);
    return FALSE;
  }
  Writer request = Request(Op::Post, hwnd);
  request.U32(msg);
  request.U64(wParam);
  request.U64(static_cast<uint64_t>(lParam));
  uint32_t ok = 0;
  uint64_t ignored = 0;
  return AskNumbers(hwnd, Op::Post, request, &ok, &ignored) && ok ? TRUE : FALSE;
}

LRESULT RemoteSendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  uint32_t ok = 0;
  uint64_t result = 0;
  if (msg == WM_COPYDATA) {
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!copy || (copy->cbData && !copy->lpData)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    Writer request = Request(Op::CopyData, hwnd);
    // The sender window travels as this process's own handle; the receiver gets a stand-in.
    request.U64(IsWindow(reinterpret_cast<HWND>(wParam)) && !IsRemoteWindow(reinterpret_cast<HWND>(wParam)) ? wParam : 0);
    request.U64(copy->dwData);
    request.Blob(copy->lpData, copy->cbData);
    return AskNumbers(hwnd, Op::CopyData, request, &ok, &result, kCopyDataTimeoutMs + kPeerTimeoutMs) && ok
               ? static_cast<LRESULT>(result)
               : 0;
  }
  if (!CarriesOnlyNumbers(msg, lParam)) {
    SetLastError(ERROR_MESSAGE_SYNC_ONLY);
    return 0;
  }
  Writer request = Request(Op::Send, hwnd);
  request.U32(msg);
  request.U64(wParam);
  request.U64(static_cast<uint64_t>(lParam));
  return AskNumbers(hwnd, Op::Send, request, &ok, &result, kCopyDataTimeoutMs + kPeerTimeoutMs) && ok
             ? static_cast<LRESULT>(result)
             : 0;
}

DWORD RemoteProcessId(HWND hwnd) {
  auto ref = RefOf(hwnd);
  return ref ? static_cast<DWORD>(ref->pid) : 0;
}

}  // namespace platform::detail

using namespace platform::detail;

bool platform::PublishTopLevelWindows() {
  Server& server = TheServer();
  std::lock_guard lock(server.mutex);
  if (server.running) return true;
  const std::string folder = UserRuntimeFolder();
  sockaddr_un address;
  const std::string path = folder.empty() ? std::string() : SocketPath(folder, ::getpid());
  if (folder.empty() || !MakeAddress(path, &address)) {
    SetLastErrorWithDetail(ERROR_PATH_NOT_FOUND, "no private runtime folder for the window registry");
    return false;
  }
  ::unlink(path.c_str());  // a leftover of an earlier process with this id
  Fd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (listener.fd < 0 || ::bind(listener.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener.fd, 16) != 0 || ::pipe2(server.stopPipe, O_CLOEXEC) != 0) {
    SetLastErrorWithDetail(ERROR_ACCESS_DENIED, "cannot listen on '" + path + "': " + std::strerror(errno));
    ::unlink(path.c_str());
    return false;
  }
  server.listenFd = listener.fd;
  listener.fd = -1;
  server.path = path;
  server.running = true;
  server.thread = std::thread(Serve, server.listenFd, server.stopPipe[0]);
  static std::once_flag atExit;
  std::call_once(atExit, [] { std::atexit(StopAtExit); });
  return true;
}

void platform::StopPublishingWindows() {
  Server& server = TheServer();
  std::lock_guard lock(server.mutex);
  if (!server.running) return;
  const char stop = 1;
  [[maybe_unused]] const ssize_t written = ::write(server.stopPipe[1], &stop, 1);
  if (server.thread.joinable()) server.thread.join();
  ::close(server.listenFd);
  ::close(server.stopPipe[0]);
  ::close(server.stopPipe[1]);
  ::unlink(server.path.c_str());
  server.running = false;
}
