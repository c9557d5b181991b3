#pragma once

// The exception family of the imaging code: every failing GDI+ status becomes one of these
// (RaiseGdiplusStatus), so callers catch a kind of failure instead of testing numbers.
// Any thread may raise them.

#include <functional>

#include "platform/gdiplus/GdiplusTypes.h"
#include "rtl/Exceptions.h"

BRANTWELL_DECLARE_EXCEPTION(GDIPlusException, Exception);
BRANTWELL_DECLARE_EXCEPTION(ExternalException, GDIPlusException);
BRANTWELL_DECLARE_EXCEPTION(ArgumentException, GDIPlusException);
BRANTWELL_DECLARE_EXCEPTION(OutOfMemoryException, GDIPlusException);
BRANTWELL_DECLARE_EXCEPTION(InvalidOperationException, GDIPlusException);
BRANTWELL_DECLARE_EXCEPTION(NotImplementedException, GDIPlusException);
BRANTWELL_DECLARE_EXCEPTION(FileNotFoundException, GDIPlusException);
BRANTWELL_DECLARE_EXCEPTION(OverflowException, GDIPlusException);

// Raises the exception of a status (Ok included: callers only hand failures here). Writes
// "GDIPlus Exception: <number> - <message>" to the debug output first.
[[noreturn]] void RaiseGdiplusStatus(Status status);

// Ok comes back unchanged; anything else raises.
inline Status CheckGdiplusStatus(Status status) {
  if (status != Ok) RaiseGdiplusStatus(status);
  return status;
}

namespace imaging::detail {
// Where diagnostic lines go. By default they are written to standard error when the
// environment variable BRANTWELL_DEBUG_OUTPUT is set, and dropped otherwise.
// FIXME: route through the kernel's OutputDebugString once it exists.
extern std::function<void(const AnsiString& line)> DebugOutput;
void OutputDebugLine(const AnsiString& line);
}  // namespace imaging::detail
