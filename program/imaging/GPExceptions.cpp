#include "program/imaging/GPExceptions.h"

#include <cstdio>
#include <cstdlib>

namespace imaging::detail {

std::function<void(const AnsiString& line)> DebugOutput;

void OutputDebugLine(const AnsiString& line) {
  if (DebugOutput) {
    DebugOutput(line);
    return;
  }
  if (std::getenv("BRANTWELL_DEBUG_OUTPUT")) std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace imaging::detail

namespace {

template <class E> [[noreturn]] void Raise(Status status, const char* message) {
  imaging::detail::OutputDebugLine(Format("GDIPlus Exception: %d - %s", {static_cast<int>(status), message}));
  throw E(message);
}

}  // namespace

void RaiseGdiplusStatus(Status status) {
  switch (static_cast<int>(status)) {
    case GenericError:
    case Win32Error: Raise<ExternalException>(status, "GdiplusGenericError");
    case InvalidParameter: Raise<ArgumentException>(status, "GdiplusInvalidParameter");
    case OutOfMemory: Raise<OutOfMemoryException>(status, "GdiplusOutOfMemory");
    case ObjectBusy: Raise<InvalidOperationException>(status, "GdiplusObjectBusy");
    case InsufficientBuffer: Raise<OutOfMemoryException>(status, "GdiplusInsufficientBuffer");
    case NotImplemented: Raise<NotImplementedException>(status, "GdiplusNotImplemented");
    case WrongState: Raise<InvalidOperationException>(status, "GdiplusWrongState");
    case Aborted: Raise<ExternalException>(status, "GdiplusAborted");
    case FileNotFound: Raise<FileNotFoundException>(status, "GdiplusFileNotFound");
    case ValueOverflow: Raise<OverflowException>(status, "GdiplusOverflow");
    case AccessDenied: Raise<ExternalException>(status, "GdiplusAccessDenied");
    case UnknownImageFormat: Raise<ArgumentException>(status, "GdiplusUnknownImageFormat");
    case FontFamilyNotFound: Raise<ArgumentException>(status, "GdiplusFontFamilyNotFound");
    case FontStyleNotFound: Raise<ArgumentException>(status, "GdiplusFontStyleNotFound");
    case NotTrueTypeFont: Raise<ArgumentException>(status, "GdiplusNotTrueTypeFont_NoName");
    case UnsupportedGdiplusVersion: Raise<ExternalException>(status, "GdiplusUnsupportedGdiplusVersion");
    case GdiplusNotInitialized: Raise<ExternalException>(status, "GdiplusNotInitialized");
    case PropertyNotFound: Raise<ArgumentException>(status, "GdiplusPropertyNotFoundError");
    case PropertyNotSupported: Raise<ArgumentException>(status, "GdiplusPropertyNotSupportedError");
    default: Raise<ExternalException>(status, "GdiplusUnknown");
  }
}
