#include "platform/user/ExitWindows.h"

#include <systemd/sd-bus.h>

#include <cstring>
#include <string>

#include "platform/kernel/UniqueHandle.h"
#include "platform/kernel/WinError.h"

namespace {

constexpr const char* kLoginService = "org.freedesktop.login1";
constexpr const char* kLoginObject = "/org/freedesktop/login1";
constexpr const char* kLoginManager = "org.freedesktop.login1.Manager";

// Refusals that mean "not allowed" rather than "not there".
bool IsRefusal(const char* name) {
  if (!name) return false;
  for (const char* refusal :
       {"org.freedesktop.DBus.Error.AccessDenied", "org.freedesktop.DBus.Error.AuthFailed",
        "org.freedesktop.DBus.Error.InteractiveAuthorizationRequired", "org.freedesktop.PolicyKit1.Error.NotAuthorized",
        "org.freedesktop.login1.BlockedByInhibitorLock"}) {
    if (std::strcmp(name, refusal) == 0) return true;
  }
  return false;
}

BOOL Fail(DWORD code, std::string detail) {
  platform::detail::SetLastErrorWithDetail(code, std::move(detail));
  return FALSE;
}

}  // namespace

BOOL ExitWindowsEx(UINT flags, DWORD /*reason*/) {
  const char* method = nullptr;
  if (flags & EWX_REBOOT) {
    method = "Reboot";
  } else if (flags & (EWX_SHUTDOWN | EWX_POWEROFF)) {
    // The login manager has no "halt without power": a shut-down is a power-off.
    method = "PowerOff";
  } else {
    return Fail(ERROR_NOT_SUPPORTED, "logging off the desktop session is not supported");
  }

  sd_bus* rawBus = nullptr;
  // sd_bus_open_system follows DBUS_SYSTEM_BUS_ADDRESS when it is set.
  if (const int result = sd_bus_open_system(&rawBus); result < 0)
    return Fail(ERROR_NOT_SUPPORTED, std::string("cannot reach the system bus: ") + std::strerror(-result));
  platform::UniqueHandle<sd_bus*, sd_bus_flush_close_unref> bus(rawBus);
  sd_bus_set_allow_interactive_authorization(bus.get(), 1);

  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  const int result =
      sd_bus_call_method(bus.get(), kLoginService, kLoginObject, kLoginManager, method, &error, &reply, "b", 1);
  sd_bus_message_unref(reply);
  if (result < 0) {
    const bool refused = IsRefusal(error.name);
    std::string detail = error.name ? std::string(error.name) + ": " + (error.message ? error.message : "")
                                    : std::string("the login manager did not answer: ") + std::strerror(-result);
    sd_bus_error_free(&error);
    return Fail(refused ? ERROR_ACCESS_DENIED : ERROR_NOT_SUPPORTED, std::move(detail));
  }
  sd_bus_error_free(&error);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
