#pragma once

// The folder browser (SHBrowseForFolderW/A) and the item id lists it hands out.
//
// An item id list here is an opaque block that holds one file-system path: made by the
// browser and by the desktop folder's ParseDisplayName, read with SHGetPathFromIDList, freed
// with ILFree, CoTaskMemFree or the shell allocator (SHGetMalloc), which are one allocator.
//
// The platform keeps the browser's rules (the flags, the caller's callback with its
// messages, what a typed name means, what is handed back); the dialog itself is shown by a
// presenter the program installs, as the program draws its dialogs in its own skinned
// windows. Without one the call returns null with ERROR_NOT_SUPPORTED.
//
// GUI thread (the presenter runs a modal window on the caller's thread); the id-list calls
// from any thread.

#include <functional>
#include <optional>
#include <string>

#include "platform/kernel/ComBase.h"
#include "platform/user/WinUser.h"

struct SHITEMID {
  USHORT cb;
  BYTE abID[1];
};
struct ITEMIDLIST {
  SHITEMID mkid;
};
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;
using PIDLIST_ABSOLUTE = ITEMIDLIST*;
using PCIDLIST_ABSOLUTE = const ITEMIDLIST*;
using PIDLIST_RELATIVE = ITEMIDLIST*;

using BFFCALLBACK = int (*)(HWND dialog, UINT message, LPARAM lParam, LPARAM data);

struct BROWSEINFOW {
  HWND hwndOwner;
  PCIDLIST_ABSOLUTE pidlRoot;
  LPWSTR pszDisplayName;  // MAX_PATH characters: the chosen item's name
  LPCWSTR lpszTitle;
  UINT ulFlags;
  BFFCALLBACK lpfn;
  LPARAM lParam;
  int iImage;
};
struct BROWSEINFOA {
  HWND hwndOwner;
  PCIDLIST_ABSOLUTE pidlRoot;
  LPSTR pszDisplayName;
  LPCSTR lpszTitle;
  UINT ulFlags;
  BFFCALLBACK lpfn;
  LPARAM lParam;
  int iImage;
};
using LPBROWSEINFOW = BROWSEINFOW*;
using LPBROWSEINFOA = BROWSEINFOA*;

constexpr UINT BIF_RETURNONLYFSDIRS = 0x00000001;
constexpr UINT BIF_DONTGOBELOWDOMAIN = 0x00000002;
constexpr UINT BIF_STATUSTEXT = 0x00000004;
constexpr UINT BIF_RETURNFSANCESTORS = 0x00000008;
constexpr UINT BIF_EDITBOX = 0x00000010;
constexpr UINT BIF_VALIDATE = 0x00000020;
constexpr UINT BIF_NEWDIALOGSTYLE = 0x00000040;
constexpr UINT BIF_USENEWUI = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
constexpr UINT BIF_BROWSEINCLUDEURLS = 0x00000080;
constexpr UINT BIF_UAHINT = 0x00000100;
constexpr UINT BIF_NONEWFOLDERBUTTON = 0x00000200;
constexpr UINT BIF_NOTRANSLATETARGETS = 0x00000400;
constexpr UINT BIF_BROWSEFORCOMPUTER = 0x00001000;
constexpr UINT BIF_BROWSEFORPRINTER = 0x00002000;
constexpr UINT BIF_BROWSEINCLUDEFILES = 0x00004000;
constexpr UINT BIF_SHAREABLE = 0x00008000;

// To the callback.
constexpr UINT BFFM_INITIALIZED = 1;
constexpr UINT BFFM_SELCHANGED = 2;       // lParam: the new selection's id list
constexpr UINT BFFM_VALIDATEFAILEDA = 3;  // lParam: the typed text; non-zero keeps the dialog open
constexpr UINT BFFM_VALIDATEFAILEDW = 4;
constexpr UINT BFFM_IUNKNOWN = 5;
// To the dialog window.
constexpr UINT BFFM_SETSTATUSTEXTA = WM_USER + 100;
constexpr UINT BFFM_ENABLEOK = WM_USER + 101;       // lParam: enable
constexpr UINT BFFM_SETSELECTIONA = WM_USER + 102;  // wParam TRUE: lParam a path, else an id list
constexpr UINT BFFM_SETSELECTIONW = WM_USER + 103;
constexpr UINT BFFM_SETSTATUSTEXTW = WM_USER + 104;
constexpr UINT BFFM_SETOKTEXT = WM_USER + 105;      // lParam: the OK button's text (UTF-16)
constexpr UINT BFFM_SETEXPANDED = WM_USER + 106;    // wParam TRUE: lParam a path (UTF-16), else an id list

// Shows the browser; the chosen folder's id list (free it with ILFree or the shell
// allocator), or null on Cancel or failure. The callback (when given) hears
// BFFM_INITIALIZED once the window shows, BFFM_SELCHANGED for each new selection and, with
// BIF_EDITBOX and BIF_VALIDATE, BFFM_VALIDATEFAILEDW (A: ...A) for a typed name that is no
// existing folder: non-zero keeps the dialog open, zero ends it with null. Without
// BIF_VALIDATE a typed name is handed back as it resolves, existing or not. A typed name is
// taken from the current selection unless it is absolute. BIF_NEWDIALOGSTYLE without
// BIF_NONEWFOLDERBUTTON offers a New Folder button; BIF_BROWSEINCLUDEFILES shows and accepts
// files too. The "A" form takes and gives UTF-8.
PIDLIST_ABSOLUTE SHBrowseForFolderW(LPBROWSEINFOW info);
PIDLIST_ABSOLUTE SHBrowseForFolderA(LPBROWSEINFOA info);

// The path an id list holds, into a buffer of MAX_PATH characters; FALSE (and an empty
// buffer) for a null or foreign list or a path that does not fit.
BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE list, LPWSTR path);
BOOL SHGetPathFromIDListA(PCIDLIST_ABSOLUTE list, LPSTR path);
// The same with the buffer's size in characters.
BOOL SHGetPathFromIDListEx(PCIDLIST_ABSOLUTE list, LPWSTR path, DWORD size, int flags);
void ILFree(LPITEMIDLIST list);

// The shell's task allocator: CoTaskMemAlloc's memory.
struct IMalloc : IUnknown {
  virtual void* Alloc(SIZE_T bytes) = 0;
  virtual void* Realloc(void* block, SIZE_T bytes) = 0;
  virtual void Free(void* block) = 0;
  virtual SIZE_T GetSize(void* block) = 0;
  virtual int DidAlloc(void* block) = 0;
  virtual void HeapMinimize() = 0;

 protected:
  ~IMalloc() = default;
};
inline constexpr IID IID_IMalloc = {0x00000002, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
HRESULT SHGetMalloc(IMalloc** allocator);

constexpr ULONG SFGAO_FOLDER = 0x20000000;
constexpr ULONG SFGAO_FILESYSTEM = 0x40000000;
constexpr ULONG SFGAO_FILESYSANCESTOR = 0x10000000;

// A shell folder. Only the desktop folder exists, and of it only ParseDisplayName and
// CompareIDs do something; the other methods answer E_NOTIMPL.
struct IShellFolder : IUnknown {
  // A path (absolute, "\" accepted) to an id list; HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)
  // when nothing is there. *attributes (when given) keeps the SFGAO_ bits asked for that hold.
  virtual HRESULT ParseDisplayName(HWND owner, void* bindContext, LPWSTR displayName, ULONG* eaten,
                                   PIDLIST_RELATIVE* list, ULONG* attributes) = 0;
  virtual HRESULT EnumObjects(HWND owner, DWORD flags, void** enumerator) = 0;
  virtual HRESULT BindToObject(LPCITEMIDLIST list, void* bindContext, REFIID iid, void** object) = 0;
  virtual HRESULT BindToStorage(LPCITEMIDLIST list, void* bindContext, REFIID iid, void** object) = 0;
  // Negative, zero or positive in the HRESULT's code (the paths compared).
  virtual HRESULT CompareIDs(LPARAM how, LPCITEMIDLIST first, LPCITEMIDLIST second) = 0;
  virtual HRESULT CreateViewObject(HWND owner, REFIID iid, void** object) = 0;
  virtual HRESULT GetAttributesOf(UINT count, LPCITEMIDLIST* lists, ULONG* attributes) = 0;
  virtual HRESULT GetUIObjectOf(HWND owner, UINT count, LPCITEMIDLIST* lists, REFIID iid, UINT* reserved,
                                void** object) = 0;
  virtual HRESULT GetDisplayNameOf(LPCITEMIDLIST list, DWORD flags, void* name) = 0;
  virtual HRESULT SetNameOf(HWND owner, LPCITEMIDLIST list, LPCWSTR name, DWORD flags, LPITEMIDLIST* result) = 0;

 protected:
  ~IShellFolder() = default;
};
inline constexpr IID IID_IShellFolder = {0x000214E6, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
HRESULT SHGetDesktopFolder(IShellFolder** folder);

constexpr HRESULT HRESULT_FROM_WIN32(DWORD error) {
  return error == 0 ? S_OK : static_cast<HRESULT>((error & 0x0000FFFF) | 0x80070000u);
}

namespace platform::shell {

// What a message sent to the browser window asks of it.
struct FolderBrowserCommand {
  enum class Kind { SetSelection, SetExpanded, SetOkText, EnableOk, SetStatusText };
  Kind kind = Kind::SetSelection;
  std::u16string text;  // the path or the text
  bool enable = true;
};

// What the presenter gets. The function members are the platform's side of the protocol;
// the presenter calls them from its window.
struct FolderBrowserRequest {
  HWND owner = nullptr;
  std::u16string title;
  std::u16string root;  // the folder the browser may not leave ("/" for the whole tree)
  bool editBox = false;
  bool newFolderButton = false;
  bool includeFiles = false;
  bool statusText = false;

  // The window shows (call once, before any other).
  std::function<void(HWND dialog)> initialized;
  // The selection became `path`.
  std::function<void(HWND dialog, const std::u16string& path)> selectionChanged;
  // OK with the selected folder and the edit box's text (empty without one). Close: `result`
  // holds the answer; KeepOpen: stay (the caller was told); Cancel: end as cancelled.
  enum class Answer { Close, KeepOpen, Cancel };
  std::function<Answer(HWND dialog, const std::u16string& selected, const std::u16string& typed)> accept;
  // A message the dialog window received: the command it carries, if it is one of the
  // browser's messages (BFFM_SETSELECTIONA/W, SETEXPANDED, SETOKTEXT, ENABLEOK,
  // SETSTATUSTEXTA/W).
  std::function<std::optional<FolderBrowserCommand>(UINT message, WPARAM wParam, LPARAM lParam)> translate;

  std::u16string result;  // the chosen path, set by accept
};
// Shows the browser; true when `accept` answered Close.
using FolderBrowserPresenter = std::function<bool(FolderBrowserRequest& request)>;
// Installs the presenter (an empty one: none); the previous one is returned.
FolderBrowserPresenter SetFolderBrowserPresenter(FolderBrowserPresenter presenter);

// The path an id list holds; empty for a null or foreign list.
std::u16string PathOfIDList(PCIDLIST_ABSOLUTE list);
// A new id list holding `path` (free it with ILFree).
PIDLIST_ABSOLUTE IDListOfPath(const std::u16string& path);

}  // namespace platform::shell
