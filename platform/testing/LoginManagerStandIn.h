#pragma once

// A private system bus for tests that power the machine off: a dbus-daemon of the test's own,
// named in DBUS_SYSTEM_BUS_ADDRESS while the object lives (the earlier value comes back after),
// and, when asked, a stand-in for the login manager (org.freedesktop.login1) on it that records
// every PowerOff and Reboot it receives and accepts or refuses them. The stand-in answers on a
// thread of its own, so the code under test may call it from the GUI thread and block.

#include <sys/types.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace platform::testing {

struct LoginManagerCall {
  std::string method;        // "PowerOff", "Reboot"
  bool interactive = false;  // the call's boolean argument
  bool allowsInteractiveAuthorization = false;  // the message's flag
};

class LoginManagerStandIn {
 public:
  // Starts the bus under `folder` (made if missing). With `serve` false no login manager is on
  // the bus. Ok() is false (and Error() says why) when the bus or the service did not start.
  explicit LoginManagerStandIn(const std::filesystem::path& folder, bool serve = true);
  ~LoginManagerStandIn();
  LoginManagerStandIn(const LoginManagerStandIn&) = delete;
  LoginManagerStandIn& operator=(const LoginManagerStandIn&) = delete;

  bool Ok() const { return m_error.empty(); }
  const std::string& Error() const { return m_error; }

  // From now on, calls are answered with this D-Bus error instead of success.
  void Refuse(std::string errorName, std::string message);
  std::vector<LoginManagerCall> Calls() const;

 private:
  void Serve(void* bus);

  pid_t m_daemon = -1;
  std::string m_address;
  std::optional<std::string> m_previousAddress;
  std::string m_error;
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  mutable std::mutex m_lock;  // guards the fields below
  std::vector<LoginManagerCall> m_calls;
  std::string m_refusalName, m_refusalMessage;
};

}  // namespace platform::testing
