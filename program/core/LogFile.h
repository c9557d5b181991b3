#pragma once

// The log file and library-load errors. Lines go to the log engine (QM_Log), imported at link
// time; the engine is thread-safe, so WriteLog may be called from any thread. InitLog is
// called once by the start-up, before any line is written.

#include "platform/kernel/WinTypes.h"
#include "rtl/SysTypes.h"

// Opens the log through the engine under a name no running copy of the program holds:
// name (or "Log.txt" when empty) in the folder "Log" beside the program, else the first
// free "<base>(1)<ext>", "<base>(2)<ext>" ... The three values go to the engine unchanged.
void InitLog(const WideString& name, int a, int b, int c);
// Writes one line.
void WriteLog(const AnsiString& text);
// Raises EOSError for a library that failed to load: the system-error line, the system's
// text of the calling thread's last error, and the library name on a third line. It always
// raises, even when the last error is 0, so a failed load never passes as success.
[[noreturn]] void RaiseLoadLibraryError(const AnsiString& libraryName);

namespace core::detail {

// The first of name, <base>(1)<ext>, <base>(2)<ext> ... that is not in use in folder.
WideString FreeLogName(const WideString& name, const WideString& folder);

}  // namespace core::detail
