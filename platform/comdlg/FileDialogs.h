#pragma once

// The open and save dialogs' calls (GetOpenFileNameW/A, GetSaveFileNameW/A) with their record
// and flags. The platform keeps the rules: the filters, where the dialog starts, what a typed
// name means, the checks and prompts (existing files, existing folders, overwriting), and the
// result written back (one path, or with OFN_ALLOWMULTISELECT the folder and the names,
// NUL-separated, ending with two NULs). The dialog is shown by the installed presenter.
//
// Failures: FALSE with CommDlgExtendedError CDERR_STRUCTSIZE for a record of a size neither
// of the two known ones, CDERR_INITIALIZATION without a presenter or file buffer,
// FNERR_BUFFERTOOSMALL when the answer does not fit nMaxFile (the first two bytes of the
// buffer then hold the size needed: characters for W, bytes for A), CDERR_DIALOGFAILURE when
// the presenter failed. Cancel gives FALSE with error 0.
//
// Not offered: hooks and templates (ignored), the custom filter (lpstrCustomFilter), the
// read-only check box (OFN_READONLY always comes back clear), the old-style dialog (the
// multi-select answer always has the NUL-separated form).
//
// GUI thread (the presenter runs a modal window on the caller's thread).

#include <functional>
#include <string>
#include <vector>

#include "platform/comdlg/CommDlg.h"

using LPOFNHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAMEW {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCWSTR lpstrFilter;  // pairs of text and patterns ("Videos\0*.mp4;*.avi\0"), ending with "\0\0"
  LPWSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;  // 1-based
  LPWSTR lpstrFile;    // in: the name to start with (may hold a folder); out: the answer
  DWORD nMaxFile;
  LPWSTR lpstrFileTitle;  // out: the chosen name without its folder
  DWORD nMaxFileTitle;
  LPCWSTR lpstrInitialDir;
  LPCWSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;     // out: where the (first) name starts in lpstrFile
  WORD nFileExtension;  // out: where its extension starts
  LPCWSTR lpstrDefExt;  // added to a name typed without an extension
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCWSTR lpTemplateName;
  void* pvReserved;
  DWORD dwReserved;
  DWORD FlagsEx;
};
struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPSTR lpstrFile;
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
  void* pvReserved;
  DWORD dwReserved;
  DWORD FlagsEx;
};
using LPOPENFILENAMEW = OPENFILENAMEW*;
using LPOPENFILENAMEA = OPENFILENAMEA*;
// The record without its last three fields, as older callers fill it.
constexpr DWORD OPENFILENAME_SIZE_VERSION_400W = offsetof(OPENFILENAMEW, pvReserved);
constexpr DWORD OPENFILENAME_SIZE_VERSION_400A = offsetof(OPENFILENAMEA, pvReserved);

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_SHOWHELP = 0x00000010;
constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
constexpr DWORD OFN_ENABLETEMPLATE = 0x00000040;
constexpr DWORD OFN_ENABLETEMPLATEHANDLE = 0x00000080;
constexpr DWORD OFN_NOVALIDATE = 0x00000100;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_EXTENSIONDIFFERENT = 0x00000400;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_CREATEPROMPT = 0x00002000;
constexpr DWORD OFN_SHAREAWARE = 0x00004000;
constexpr DWORD OFN_NOREADONLYRETURN = 0x00008000;
constexpr DWORD OFN_NOTESTFILECREATE = 0x00010000;
constexpr DWORD OFN_NONETWORKBUTTON = 0x00020000;
constexpr DWORD OFN_NOLONGNAMES = 0x00040000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD OFN_NODEREFERENCELINKS = 0x00100000;
constexpr DWORD OFN_LONGNAMES = 0x00200000;
constexpr DWORD OFN_ENABLEINCLUDENOTIFY = 0x00400000;
constexpr DWORD OFN_ENABLESIZING = 0x00800000;
constexpr DWORD OFN_DONTADDTORECENT = 0x02000000;
constexpr DWORD OFN_FORCESHOWHIDDEN = 0x10000000;

constexpr DWORD FNERR_SUBCLASSFAILURE = 0x3001;
constexpr DWORD FNERR_INVALIDFILENAME = 0x3002;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn);
BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn);
BOOL GetSaveFileNameW(LPOPENFILENAMEW ofn);
BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn);

namespace platform::comdlg {

struct FileFilter {
  std::u16string text;
  std::vector<std::u16string> patterns;  // "*.mp4", "*"
};

// What the presenter gets, and the platform's side of the protocol it calls.
struct FileDialogRequest {
  enum class Kind { Open, Save };
  Kind kind = Kind::Open;
  HWND owner = nullptr;
  std::u16string title;  // the caller's, else "Open" or "Save As"
  std::vector<FileFilter> filters;
  int filterIndex = 0;    // 0-based, within filters
  std::u16string folder;  // where to start; empty: the presenter's choice (the documents folder)
  std::u16string fileName;  // the name field's first text
  bool multiSelect = false;
  bool showHidden = false;  // OFN_FORCESHOWHIDDEN
  bool sizing = false;      // OFN_ENABLESIZING

  // What OK with the name field's text means, in the folder shown with the filter chosen.
  struct Verdict {
    enum class Kind {
      Close,         // the answer is in result*
      KeepOpen,      // the user was told why (a message box owned by the dialog)
      ShowFolder,    // the text named a folder: show `text`
      ApplyPattern,  // the text was a pattern ("*.vob"): list by `text`
    };
    Kind kind = Kind::KeepOpen;
    std::u16string text;
  };
  std::function<Verdict(HWND dialog, const std::u16string& folder, const std::u16string& names, int filterIndex)>
      accept;

  std::u16string resultFolder;
  std::vector<std::u16string> resultNames;  // relative to resultFolder
  int resultFilterIndex = 0;
};
// Shows the dialog; true when `accept` answered Close.
using FileDialogPresenter = std::function<bool(FileDialogRequest& request)>;
// Installs the presenter (an empty one: none); the previous one is returned.
FileDialogPresenter SetFileDialogPresenter(FileDialogPresenter presenter);

// The names of a name field's text: each double-quoted name ("a.mp4" "b c.mp4"), else the
// whole text, trimmed.
std::vector<std::u16string> SplitFileNames(const std::u16string& text);
// The text a name field shows for several names: each quoted, separated by a blank.
std::u16string JoinFileNames(const std::vector<std::u16string>& names);
// True when `name` matches a filter pattern ("*" and "?", letter case ignored; "*.*" also
// matches names without a dot).
bool MatchesFilterPattern(const std::u16string& name, const std::u16string& pattern);

// The extended error of the calling thread (shared by every dialog call).
void SetExtendedError(DWORD error);

}  // namespace platform::comdlg
