#include "program/core/LogFile.h"

#include "rtl/SysErrors.h"

#include "engines/QM_Log/QM_Log.h"
#include "platform/kernel/ErrorText.h"
#include "platform/kernel/WinError.h"
#include "program/core/WideFileUtils.h"
#include "rtl/Exceptions.h"
#include "rtl/Format.h"
#include "rtl/Strings.h"

namespace core::detail {

WideString FreeLogName(const WideString& name, const WideString& folder) {
  WideString working = name.empty() ? WideString(u"Log.txt") : name;
  const WideString base = WideChangeFileExt(working, u"");
  WideString extension = WideExtractFileExt(working);
  if (extension.empty()) extension = u".txt";
  for (int k = 1; IsFileInUse(WideIncludeTrailingBackslash(folder) + working); ++k)
    working = WideFormatStr(u"%s(%d)%s", {base, k, extension});
  return working;
}


}  // namespace core::detail

void InitLog(const WideString& name, int a, int b, int c) {
  WideString folder, ignored;
  WideGetAppPaths(u"Log", u"", folder, ignored);
  const WideString working = core::detail::FreeLogName(name, folder);
  QMLogInit(working.c_str(), a, b, c);
}

void WriteLog(const AnsiString& text) { QMLog(UTF8ToWide(text).c_str()); }

void RaiseLoadLibraryError(const AnsiString& libraryName) {
  const DWORD code = GetLastError();
  // Every failed load is reported, even one that left no error code behind.
  const AnsiString text = code != 0 ? SysErrorMessage(code) : AnsiString("The library could not be loaded");
  EOSError error(Format("System Error.  Code: %d.\r\n%s", {static_cast<int>(code), text}));
  error.SetMessage(error.Message() + "\r\n" + libraryName);
  throw error;
}
