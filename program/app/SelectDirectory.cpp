#include "program/app/SelectDirectory.h"

#include <sys/stat.h>

#include <vector>

#include "platform/kernel/ErrorMode.h"
#include "platform/kernel/PathResolve.h"
#include "platform/kernel/Threads.h"
#include "platform/ole/ComInit.h"
#include "platform/shell/BrowseFolder.h"
#include "rtl/Format.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"
#include "vcl/Consts.h"
#include "vcl/Form.h"
#include "vcl/WinControl.h"

namespace {

// The browser's callback data: the folder to start at.
class TSelectDirCallback {
 public:
  explicit TSelectDirCallback(const AnsiString& start) : FStart(start) {}

  int Callback(HWND dialog, UINT message, LPARAM lParam) {
    switch (message) {
      case BFFM_INITIALIZED: {
        CenterOnMainFormMonitor(dialog);
        if (!FStart.empty()) SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(FStart.c_str()));
        return 0;
      }
      case BFFM_VALIDATEFAILEDA:
      case BFFM_VALIDATEFAILEDW: {
        const AnsiString typed = message == BFFM_VALIDATEFAILEDA
                                     ? AnsiString(reinterpret_cast<const char*>(lParam))
                                     : WideToUTF8(reinterpret_cast<const char16_t*>(lParam));
        const AnsiString text = Format("\"%s\" is an invalid path", {typed});
        MessageBoxA(dialog, text.c_str(), SMsgDlgError, MB_OK | MB_ICONERROR);
        return 1;  // the browser stays open
      }
      default: return 0;
    }
  }

 private:
  // Centred on the monitor of the main form (else the dialog's own), size and z-order kept.
  static void CenterOnMainFormMonitor(HWND dialog) {
    TCustomForm* main = Application->MainForm();
    HWND reference = main && main->HandleAllocated() ? main->Handle() : dialog;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromWindow(reference, MONITOR_DEFAULTTONEAREST), &info)) return;
    RECT box{};
    GetWindowRect(dialog, &box);
    const RECT& m = info.rcMonitor;
    const int x = m.left + ((m.right - m.left) - (box.right - box.left)) / 2;
    const int y = m.top + ((m.bottom - m.top) - (box.bottom - box.top)) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  AnsiString FStart;
};

int SelectDirCB(HWND dialog, UINT message, LPARAM lParam, LPARAM data) {
  return reinterpret_cast<TSelectDirCallback*>(data)->Callback(dialog, message, lParam);
}

bool DirectoryExists(const WideString& path) {
  struct stat st{};
  return !path.empty() && ::stat(platform::FileSystemPath(WideToUTF8(path)).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The other top-level windows of the thread, disabled while the browser shows.
std::vector<HWND> DisableTaskWindows() {
  std::vector<HWND> windows, disabled;
  EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&windows));
  for (HWND h : windows)
    if (IsWindowVisible(h) && IsWindowEnabled(h)) {
      EnableWindow(h, FALSE);
      disabled.push_back(h);
    }
  return disabled;
}

}  // namespace

bool SelectDirectory(TWinControl* Owner, const AnsiString& Caption, const WideString& Root, TSelectDirExtOpts Options,
                     WideString& Directory) {
  if (!DirectoryExists(Directory)) Directory.clear();
  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator)) || !allocator) return false;
  PIDLIST_RELATIVE rootList = nullptr;
  if (!Root.empty()) {
    IShellFolder* desktop = nullptr;
    if (SUCCEEDED(SHGetDesktopFolder(&desktop)) && desktop) {
      WideString root = Root;
      ULONG eaten = 0;
      desktop->ParseDisplayName(Application->Handle(), nullptr, root.data(), &eaten, &rootList, nullptr);
      desktop->Release();
    }
  }
  BROWSEINFOA info{};
  info.hwndOwner = Owner && Owner->HandleAllocated() ? Owner->Handle() : Application->Handle();
  info.pidlRoot = rootList;
  info.lpszTitle = Caption.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  const bool newUI = Options.Contains(sdNewUI);
  if (newUI) info.ulFlags |= BIF_NEWDIALOGSTYLE;
  if (!Options.Contains(sdNewFolder)) info.ulFlags |= BIF_NONEWFOLDERBUTTON;
  if (Options.Contains(sdShowEdit)) info.ulFlags |= BIF_EDITBOX;
  if (Options.Contains(sdShowShares)) info.ulFlags |= BIF_SHAREABLE;
  if (Options.Contains(sdShowFiles)) info.ulFlags |= BIF_BROWSEINCLUDEFILES;
  if (Options.Contains(sdValidateDir)) info.ulFlags |= BIF_VALIDATE;
  TSelectDirCallback callback(WideToUTF8(Directory));
  info.lpfn = SelectDirCB;
  info.lParam = reinterpret_cast<LPARAM>(&callback);

  // The new style needs a single-threaded apartment: a thread in the other model gets the
  // old style, and only a call that joined one is undone afterwards.
  bool comJoined = false;
  if (newUI) {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (hr == RPC_E_CHANGED_MODE) info.ulFlags &= ~BIF_NEWDIALOGSTYLE;
    comJoined = SUCCEEDED(hr);
  }
  PIDLIST_ABSOLUTE chosen = nullptr;
  {
    const std::vector<HWND> disabled = DisableTaskWindows();
    const UINT oldErrorMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    try {
      chosen = SHBrowseForFolderA(&info);
    } catch (...) {
      SetErrorMode(oldErrorMode);
      for (HWND h : disabled)
        if (IsWindow(h)) EnableWindow(h, TRUE);
      if (comJoined) CoUninitialize();
      if (rootList) allocator->Free(rootList);
      throw;
    }
    SetErrorMode(oldErrorMode);
    for (HWND h : disabled)
      if (IsWindow(h)) EnableWindow(h, TRUE);
  }
  if (comJoined) CoUninitialize();
  if (rootList) allocator->Free(rootList);
  if (!chosen) return false;
  // Folders deeper than MAX_PATH characters come back whole.
  std::vector<char16_t> path(32768, 0);
  const bool ok = SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()), 0) != FALSE;
  allocator->Free(chosen);
  if (!ok) return false;
  Directory = path.data();
  return true;
}
