#pragma once

// Ending the session: ExitWindowsEx asks the desktop's login manager (logind, on the system
// D-Bus) to power the machine off or restart it, letting it ask the user for authorisation.
// The bus is the one DBUS_SYSTEM_BUS_ADDRESS names, else the system bus. EWX_FORCE is
// ignored: logind keeps honouring the inhibitors other programs hold. Answers TRUE once the
// login manager has accepted the request; FALSE with ERROR_ACCESS_DENIED when it refused it
// (not authorised), ERROR_NOT_SUPPORTED when there is no bus or no login manager, or the
// request is one it does not serve (logging off). The D-Bus error's name and message follow
// the system text in FormatMessage on the same thread. Any thread; blocks until answered.

#include "platform/kernel/WinTypes.h"

constexpr UINT EWX_LOGOFF = 0x00000000;
constexpr UINT EWX_SHUTDOWN = 0x00000001;
constexpr UINT EWX_REBOOT = 0x00000002;
constexpr UINT EWX_FORCE = 0x00000004;
constexpr UINT EWX_POWEROFF = 0x00000008;
constexpr UINT EWX_FORCEIFHUNG = 0x00000010;

BOOL ExitWindowsEx(UINT flags, DWORD reason);
