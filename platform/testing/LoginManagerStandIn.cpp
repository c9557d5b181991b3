#include "platform/testing/LoginManagerStandIn.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>

extern char** environ;

namespace platform::testing {

namespace {

constexpr const char* kLoginService = "org.freedesktop.login1";
constexpr const char* kLoginObject = "/org/freedesktop/login1";
constexpr const char* kLoginManager = "org.freedesktop.login1.Manager";

std::string BusConfig(const std::filesystem::path& socket) {
  return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
         " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
         "<busconfig>\n"
         "  <type>system</type>\n"
         "  <listen>unix:path=" + socket.string() + "</listen>\n"
         "  <auth>EXTERNAL</auth>\n"
         "  <policy context=\"default\">\n"
         "    <allow user=\"*\"/>\n"
         "    <allow own=\"*\"/>\n"
         "    <allow send_destination=\"*\"/>\n"
         "    <allow receive_sender=\"*\"/>\n"
         "  </policy>\n"
         "</busconfig>\n";
}

}  // namespace

LoginManagerStandIn::LoginManagerStandIn(const std::filesystem::path& folder, bool serve) {
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  const std::filesystem::path socket = folder / "system_bus_socket";
  const std::filesystem::path config = folder / "bus.conf";
  std::filesystem::remove(socket, ignored);
  std::ofstream(config) << BusConfig(socket);

  const std::string configArgument = "--config-file=" + config.string();
  std::vector<char*> argv{const_cast<char*>("dbus-daemon"), const_cast<char*>(configArgument.c_str()),
                          const_cast<char*>("--nofork"), const_cast<char*>("--nopidfile"), nullptr};
  if (posix_spawnp(&m_daemon, "dbus-daemon", nullptr, nullptr, argv.data(), environ) != 0) {
    m_daemon = -1;
    m_error = "cannot start dbus-daemon";
    return;
  }
  m_address = "unix:path=" + socket.string();
  if (const char* previous = std::getenv("DBUS_SYSTEM_BUS_ADDRESS")) m_previousAddress = previous;
  setenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.c_str(), 1);

  // The daemon is ready once its socket is there (30 s at most).
  struct stat info{};
  for (int i = 0; i < 600 && stat(socket.c_str(), &info) != 0; ++i) usleep(50000);
  if (stat(socket.c_str(), &info) != 0) {
    m_error = "dbus-daemon did not come up";
    return;
  }
  if (!serve) return;

  sd_bus* bus = nullptr;
  int result = sd_bus_new(&bus);
  if (result >= 0) result = sd_bus_set_address(bus, m_address.c_str());
  if (result >= 0) result = sd_bus_set_bus_client(bus, 1);
  if (result >= 0) result = sd_bus_start(bus);
  if (result >= 0) result = sd_bus_request_name(bus, kLoginService, 0);
  if (result < 0) {
    m_error = std::string("the stand-in login manager cannot start: ") + std::strerror(-result);
    sd_bus_flush_close_unref(bus);
    return;
  }
  m_thread = std::thread([this, bus] { Serve(bus); });
}

LoginManagerStandIn::~LoginManagerStandIn() {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
  if (m_daemon > 0) {
    kill(m_daemon, SIGTERM);
    waitpid(m_daemon, nullptr, 0);
  }
  if (m_previousAddress)
    setenv("DBUS_SYSTEM_BUS_ADDRESS", m_previousAddress->c_str(), 1);
  else
    unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

void LoginManagerStandIn::Refuse(std::string errorName, std::string message) {
  std::lock_guard guard(m_lock);
  m_refusalName = std::move(errorName);
  m_refusalMessage = std::move(message);
}

std::vector<LoginManagerCall> LoginManagerStandIn::Calls() const {
  std::lock_guard guard(m_lock);
  return m_calls;
}

void LoginManagerStandIn::Serve(void* rawBus) {
  auto* bus = static_cast<sd_bus*>(rawBus);
  sd_bus_slot* slot = nullptr;
  const sd_bus_message_handler_t handler = [](sd_bus_message* message, void* userData, sd_bus_error* error) -> int {
    auto* self = static_cast<LoginManagerStandIn*>(userData);
    if (!sd_bus_message_is_method_call(message, kLoginManager, nullptr)) return 0;
    const char* member = sd_bus_message_get_member(message);
    if (std::strcmp(member, "PowerOff") != 0 && std::strcmp(member, "Reboot") != 0) return 0;
    int interactive = 0;
    if (sd_bus_message_read(message, "b", &interactive) < 0)
      return sd_bus_error_set(error, SD_BUS_ERROR_INVALID_ARGS, "PowerOff takes one boolean");
    std::string refusalName, refusalMessage;
    {
      std::lock_guard guard(self->m_lock);
      self->m_calls.push_back({member, interactive != 0,
                               sd_bus_message_get_allow_interactive_authorization(message) > 0});
      refusalName = self->m_refusalName;
      refusalMessage = self->m_refusalMessage;
    }
    if (!refusalName.empty()) return sd_bus_error_set(error, refusalName.c_str(), refusalMessage.c_str());
    return sd_bus_reply_method_return(message, "");
  };
  sd_bus_add_object(bus, &slot, kLoginObject, handler, this);
  while (!m_stop.load()) {
    const int processed = sd_bus_process(bus, nullptr);
    if (processed < 0) break;
    if (processed == 0) sd_bus_wait(bus, 100000);
  }
  sd_bus_slot_unref(slot);
  sd_bus_flush_close_unref(bus);
}

}  // namespace platform::testing
