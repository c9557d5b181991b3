// Shared routines: texts, message boxes, settings, versions, web pages and published
// properties. The folder, path and disk-space routines are in SharedRoutinesFolders.cpp.

#include "program/app/SharedRoutines.h"

#include "platform/kernel/KernelObject.h"
#include "platform/kernel/ProcessToken.h"
#include "platform/kernel/SysInfo.h"
#include "platform/kernel/TimeApi.h"
#include "platform/user/ExitWindows.h"
#include "platform/user/MessageBox.h"
#include "platform/user/WinUser.h"
#include "program/core/Config.h"
#include "program/core/LogFile.h"
#include "program/core/WideFileUtils.h"
#include "program/core/WideShellExecute.h"
#include "program/net/UpdateHelper.h"
#include "rtl/SysUtils.h"
#include "vcl/Application.h"
#include "vcl/Consts.h"
#include "vcl/Control.h"
#include "vcl/Screen.h"

// ---- time texts --------------------------------------------------------------------------

AnsiString FormatSeconds(Cardinal seconds) {
  return Format("%.2u:%.2u:%.2u", {seconds / 3600, seconds % 3600 / 60, seconds % 60});
}

AnsiString FormatDuration(Cardinal seconds) {
  return FormatFloat("00", seconds / 3600) + ":" + FormatFloat("00", seconds % 3600 / 60) + ":" +
         FormatFloat("00", seconds % 60);
}

Cardinal ParseTime(const AnsiString& text) {
  AnsiString rest = text;
  AnsiString hours, minutes;
  if (size_t colon = rest.find(':'); colon != AnsiString::npos) {
    hours = rest.substr(0, colon);
    rest = rest.substr(colon + 1);
    if (colon = rest.find(':'); colon != AnsiString::npos) {
      minutes = rest.substr(0, colon);
      rest = rest.substr(colon + 1);
    }
  }
  auto number = [](const AnsiString& part) { return static_cast<Cardinal>(StrToIntDef(Trim(part), 0)); };
  return number(hours) * 3600 + number(minutes) * 60 + number(rest);
}

AnsiString SpacesToZeros(const AnsiString& text) {
  AnsiString result = text;
  for (char& c : result)
    if (c == ' ') c = '0';
  return result;
}

AnsiString CenterInSevenChars(const AnsiString& text) {
  if (text.size() >= 7) return text;
  const size_t pad = 7 - text.size();
  return AnsiString(pad - pad / 2, ' ') + text + AnsiString(pad / 2, ' ');
}

// ---- strings -----------------------------------------------------------------------------

AnsiString CopyBeforeLast(char delimiter, const AnsiString& text) {
  const size_t at = text.rfind(delimiter);
  return at == AnsiString::npos ? AnsiString() : text.substr(0, at);
}

AnsiString CopyAfterLast(char delimiter, const AnsiString& text) {
  const size_t at = text.rfind(delimiter);
  return at == AnsiString::npos ? AnsiString() : text.substr(at + 1);
}

AnsiString GetDriveLetter(const AnsiString& path) { return path.substr(0, 1) + ":"; }

// ---- message boxes and the log -----------------------------------------------------------

int MsgBox(HWND owner, const AnsiString& text, const AnsiString& caption, UINT flags) {
  return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

AnsiString MessageBoxCaptionFor(UINT flags) {
  if ((flags & 0x30) == 0x30) return SMsgDlgWarning;
  if (flags & 0x10) return SMsgDlgError;
  if (flags & 0x20) return SMsgDlgConfirm;
  return SMsgDlgInformation;
}

int ShowMessageBoxA(HWND owner, const AnsiString& text, UINT flags) {
  return MessageBoxA(owner, text.c_str(), MessageBoxCaptionFor(flags).c_str(), flags);
}

bool LogBurnError(int code) {
  if (code == 0) return true;
  WriteLog(Format("Burn error code : %d", {code}));
  return false;
}

void WaitWithMessages(Cardinal ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    Application->ProcessMessages();
    Sleep(1);
  }
}

bool ActivateWindow(const AnsiString& className, const AnsiString& caption) {
  const HWND window = FindWindowA(className.empty() ? nullptr : className.c_str(),
                                  caption.empty() ? nullptr : caption.c_str());
  if (!window) return false;
  ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(window);
  return true;
}

// ---- settings ----------------------------------------------------------------------------

AnsiString ReadCodeKey() { return AppConfig.ReadStringA("System", "CodeKey2", ""); }

AnsiString ReadProductID() { return AppConfig.ReadStringA("System", "ProductID", ""); }

AnsiString DescrambleConfigText(const AnsiString& hex, const AnsiString& key) {
  // One descrambler serves the program and the live update.
  return DescrambleConfigValue(hex, key);
}

WideString ReadScrambledValue(const AnsiString& section, const AnsiString& key) {
  const AnsiString codeKey = ReadCodeKey();
  if (codeKey.empty()) return {};
  return UTF8ToWide(DescrambleConfigText(AppConfig.ReadStringA(section, key, ""), codeKey));
}

// ---- versions ----------------------------------------------------------------------------

AnsiString GetFileVersionText(const WideString& fileName) {
  const uint64_t version = GetFileVersion(fileName);
  return Format("%d.%d.%d.%d", {static_cast<int>((version >> 48) & 0xFFFF), static_cast<int>((version >> 32) & 0xFFFF),
                                static_cast<int>((version >> 16) & 0xFFFF), static_cast<int>(version & 0xFFFF)});
}

AnsiString GetProgramVersion() {
  const AnsiString full = GetProgramFullVersion();
  size_t at = 0;
  for (int dots = 0; dots < 3; ++dots) {
    at = full.find('.', dots == 0 ? 0 : at + 1);
    if (at == AnsiString::npos) return {};
  }
  return full.substr(0, at);
}

AnsiString GetProgramFullVersion() { return GetFileVersionText(WideGetModuleFileName(nullptr)); }

int GetWindowsMajorVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) ? static_cast<int>(info.dwMajorVersion) : 0;
}

// ---- web pages ---------------------------------------------------------------------------

namespace {

bool IsWebAddress(const AnsiString& url) {
  const AnsiString lower = LowerCase(Trim(url));
  return (lower.rfind("http://", 0) == 0 && lower.size() > 7) || (lower.rfind("https://", 0) == 0 && lower.size() > 8);
}

}  // namespace

bool OpenUrlInBrowser(const AnsiString& url, bool visible) {
  (void)visible;
  if (url.empty()) return false;
  if (!IsWebAddress(url)) {
    WriteLog("Not opened, not a web address: " + url);
    return false;
  }
  const TCursor saved = Screen->Cursor();
  Screen->SetCursor(crHourGlass);
  const HINSTANCE result = WideShellExecute(nullptr, u"open", UTF8ToWide(Trim(url)), u"", u"", SW_SHOW);
  Screen->SetCursor(saved);
  return reinterpret_cast<UINT_PTR>(result) > 32;
}

// ---- published properties ----------------------------------------------------------------

TObject* GetClassPropByName(TObject* instance, const AnsiString& name) {
  if (!instance) return nullptr;
  const TPropInfo* prop = GetPropInfo(instance, name);
  if (!prop || prop->Kind() != tkClass || prop->PropType()->Name != "T" + name) return nullptr;
  return GetObjectProp(instance, prop);
}

void SetOrdPropChecked(TObject* instance, const AnsiString& name, TTypeKind kind, const Variant& value) {
  if (!instance) return;
  const TPropInfo* prop = GetPropInfo(instance, name);
  if (!prop || !prop->Writable || prop->Kind() != kind) return;
  Int64 ordinal = 0;
  if (value.Holds<Int64>()) {
    ordinal = value.Get<Int64>();
  } else if (value.Holds<bool>()) {
    ordinal = value.Get<bool>() ? 1 : 0;
  } else {
    return;  // not an ordinal value
  }
  SetOrdProp(instance, prop, ordinal);
}

void SetNestedOrdProp(TObject* instance, const AnsiString& objectName, const AnsiString& name, const Variant& value,
                      TTypeKind kind) {
  if (TObject* nested = GetClassPropByName(instance, objectName)) SetOrdPropChecked(nested, name, kind, value);
}

bool ShutdownWindows() {
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    TOKEN_PRIVILEGES privileges{};
    if (LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) {
      privileges.PrivilegeCount = 1;
      privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
      AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    }
    CloseHandle(token);
  }
  // The force flag is passed as designed; the login manager still honours inhibitors.
  return ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE | EWX_POWEROFF, 0xFFFF) != FALSE;
}
