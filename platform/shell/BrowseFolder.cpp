// The folder browser's protocol and the item id lists that hold one path each.

#include "platform/shell/BrowseFolder.h"

#include <malloc.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "platform/kernel/PathResolve.h"
#include "platform/kernel/TextBuffers.h"
#include "platform/kernel/Unicode.h"
#include "platform/kernel/WinError.h"
#include "platform/ole/Ole.h"

namespace fs = std::filesystem;

namespace {

// An id list: one item (its size, a tag, the path in UTF-8 with its NUL) and the
// terminating empty item.
constexpr char kTag[4] = {'B', 'W', 'P', '1'};
constexpr size_t kHeader = sizeof(USHORT) + sizeof(kTag);

platform::shell::FolderBrowserPresenter& Presenter() {
  static platform::shell::FolderBrowserPresenter presenter;
  return presenter;
}

std::string Utf8(const std::u16string& text) { return platform::Utf16ToUtf8(text); }
std::u16string Utf16(const std::string& text) { return platform::Utf8ToUtf16(text); }

// A path of the program as the file system knows it: "/" delimiters, matched
// case-insensitively where the exact name is missing, "." and ".." folded, no trailing "/".
std::u16string Normalize(const std::u16string& path) {
  if (path.empty()) return path;
  std::string resolved = fs::path(platform::FileSystemPath(Utf8(path))).lexically_normal().string();
  while (resolved.size() > 1 && resolved.back() == '/') resolved.pop_back();
  return Utf16(resolved);
}

bool IsFolder(const std::u16string& path) {
  struct stat st{};
  return !path.empty() && ::stat(Utf8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
bool Exists(const std::u16string& path) {
  struct stat st{};
  return !path.empty() && ::stat(Utf8(path).c_str(), &st) == 0;
}

bool IsAbsolute(const std::u16string& text) { return !text.empty() && (text[0] == u'/' || text[0] == u'\\'); }

std::u16string DisplayName(const std::u16string& path) {
  if (path == u"/") return path;
  const size_t slash = path.find_last_of(u'/');
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

template <class Char> std::u16string TextArgument(LPARAM lParam) {
  if (!lParam) return {};
  if constexpr (sizeof(Char) == 2) return reinterpret_cast<const char16_t*>(lParam);
  else return Utf16(reinterpret_cast<const char*>(lParam));
}

class ShellAllocator final : public IMalloc {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IMalloc) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IMalloc*>(this);
    return S_OK;
  }
  // One allocator lives for the process: counting changes nothing.
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  void* Alloc(SIZE_T bytes) override { return CoTaskMemAlloc(bytes); }
  void* Realloc(void* block, SIZE_T bytes) override {
    if (!block) return CoTaskMemAlloc(bytes);
    if (bytes == 0) {
      CoTaskMemFree(block);
      return nullptr;
    }
    return std::realloc(block, bytes);
  }
  void Free(void* block) override { CoTaskMemFree(block); }
  SIZE_T GetSize(void* block) override { return block ? malloc_usable_size(block) : static_cast<SIZE_T>(-1); }
  int DidAlloc(void* block) override { return block ? -1 : 0; }
  void HeapMinimize() override {}
};

class DesktopFolder final : public IShellFolder {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IShellFolder) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IShellFolder*>(this);
    return S_OK;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  HRESULT ParseDisplayName(HWND, void*, LPWSTR displayName, ULONG* eaten, PIDLIST_RELATIVE* list,
                           ULONG* attributes) override {
    if (!list) return E_POINTER;
    *list = nullptr;
    if (!displayName || !IsAbsolute(displayName)) return E_INVALIDARG;
    const std::u16string path = Normalize(displayName);
    if (!Exists(path)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    *list = platform::shell::IDListOfPath(path);
    if (!*list) return E_OUTOFMEMORY;
    if (eaten) *eaten = static_cast<ULONG>(std::char_traits<char16_t>::length(displayName));
    if (attributes) {
      ULONG held = SFGAO_FILESYSTEM;
      if (IsFolder(path)) held |= SFGAO_FOLDER | SFGAO_FILESYSANCESTOR;
      *attributes &= held;
    }
    return S_OK;
  }
  HRESULT EnumObjects(HWND, DWORD, void**) override { return E_NOTIMPL; }
  HRESULT BindToObject(LPCITEMIDLIST, void*, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT BindToStorage(LPCITEMIDLIST, void*, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT CompareIDs(LPARAM, LPCITEMIDLIST first, LPCITEMIDLIST second) override {
    const int order = platform::shell::PathOfIDList(first).compare(platform::shell::PathOfIDList(second));
    return static_cast<HRESULT>(static_cast<uint16_t>(order < 0 ? -1 : order > 0 ? 1 : 0));
  }
  HRESULT CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT GetAttributesOf(UINT, LPCITEMIDLIST*, ULONG*) override { return E_NOTIMPL; }
  HRESULT GetUIObjectOf(HWND, UINT, LPCITEMIDLIST*, REFIID, UINT*, void**) override { return E_NOTIMPL; }
  HRESULT GetDisplayNameOf(LPCITEMIDLIST, DWORD, void*) override { return E_NOTIMPL; }
  HRESULT SetNameOf(HWND, LPCITEMIDLIST, LPCWSTR, DWORD, LPITEMIDLIST*) override { return E_NOTIMPL; }
};

template <class Info, class Char> PIDLIST_ABSOLUTE BrowseImpl(Info* info) {
  using platform::shell::FolderBrowserCommand;
  using platform::shell::FolderBrowserRequest;
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  platform::shell::FolderBrowserPresenter presenter = Presenter();
  if (!presenter) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  constexpr bool wide = sizeof(Char) == 2;
  const UINT flags = info->ulFlags;
  FolderBrowserRequest request;
  request.owner = info->hwndOwner;
  request.title = TextArgument<Char>(reinterpret_cast<LPARAM>(info->lpszTitle));
  request.root = u"/";
  if (info->pidlRoot) {
    const std::u16string root = platform::shell::PathOfIDList(info->pidlRoot);
    if (IsFolder(root)) request.root = root;
  }
  request.editBox = (flags & BIF_EDITBOX) != 0;
  request.newFolderButton = (flags & BIF_NEWDIALOGSTYLE) && !(flags & BIF_NONEWFOLDERBUTTON);
  request.includeFiles = (flags & BIF_BROWSEINCLUDEFILES) != 0;
  request.statusText = (flags & BIF_STATUSTEXT) && !(flags & BIF_NEWDIALOGSTYLE);
  const bool validate = request.editBox && (flags & BIF_VALIDATE);

  auto call = [info](HWND dialog, UINT message, LPARAM lParam) -> int {
    return info->lpfn ? info->lpfn(dialog, message, lParam, info->lParam) : 0;
  };
  request.initialized = [call](HWND dialog) { call(dialog, BFFM_INITIALIZED, 0); };
  request.selectionChanged = [call](HWND dialog, const std::u16string& path) {
    PIDLIST_ABSOLUTE list = platform::shell::IDListOfPath(path);
    call(dialog, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(list));
    ILFree(list);
  };
  request.accept = [&request, call, validate](HWND dialog, const std::u16string& selected,
                                              const std::u16string& typed) {
    std::u16string candidate = selected;
    if (!typed.empty()) candidate = IsAbsolute(typed) ? typed : selected + u"/" + typed;
    candidate = Normalize(candidate);
    const bool good = IsFolder(candidate) || (request.includeFiles && Exists(candidate));
    if (!good && validate) {
      int keep;
      if constexpr (wide) {
        keep = call(dialog, BFFM_VALIDATEFAILEDW, reinterpret_cast<LPARAM>(typed.c_str()));
      } else {
        const std::string narrow = Utf8(typed);
        keep = call(dialog, BFFM_VALIDATEFAILEDA, reinterpret_cast<LPARAM>(narrow.c_str()));
      }
      return keep ? FolderBrowserRequest::Answer::KeepOpen : FolderBrowserRequest::Answer::Cancel;
    }
    if (candidate.empty()) return FolderBrowserRequest::Answer::KeepOpen;
    request.result = candidate;
    return FolderBrowserRequest::Answer::Close;
  };
  request.translate = [](UINT message, WPARAM wParam, LPARAM lParam) -> std::optional<FolderBrowserCommand> {
    FolderBrowserCommand command;
    switch (message) {
      case BFFM_SETSELECTIONA:
      case BFFM_SETSELECTIONW:
      case BFFM_SETEXPANDED:
        command.kind = message == BFFM_SETEXPANDED ? FolderBrowserCommand::Kind::SetExpanded
                                                   : FolderBrowserCommand::Kind::SetSelection;
        if (!wParam) command.text = platform::shell::PathOfIDList(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
        else if (message == BFFM_SETSELECTIONA) command.text = TextArgument<char>(lParam);
        else command.text = TextArgument<char16_t>(lParam);
        command.text = Normalize(command.text);
        return command;
      case BFFM_SETOKTEXT:
        command.kind = FolderBrowserCommand::Kind::SetOkText;
        command.text = TextArgument<char16_t>(lParam);
        return command;
      case BFFM_ENABLEOK:
        command.kind = FolderBrowserCommand::Kind::EnableOk;
        command.enable = lParam != 0;
        return command;
      case BFFM_SETSTATUSTEXTA:
      case BFFM_SETSTATUSTEXTW:
        command.kind = FolderBrowserCommand::Kind::SetStatusText;
        command.text = message == BFFM_SETSTATUSTEXTA ? TextArgument<char>(lParam) : TextArgument<char16_t>(lParam);
        return command;
      default: return std::nullopt;
    }
  };

  bool chosen = false;
  try {
    chosen = presenter(request);
  } catch (...) {
    // Nothing crosses the call: the dialog failed.
    SetLastError(ERROR_GEN_FAILURE);
    return nullptr;
  }
  if (!chosen || request.result.empty()) return nullptr;
  if (info->pszDisplayName) {
    const auto name = platform::detail::Widen<Char>(Utf8(DisplayName(request.result)));
    const size_t count = std::min<size_t>(name.size(), MAX_PATH - 1);
    std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(count), info->pszDisplayName);
    info->pszDisplayName[count] = 0;
  }
  info->iImage = 0;
  return platform::shell::IDListOfPath(request.result);
}

template <class Char> BOOL PathFromList(PCIDLIST_ABSOLUTE list, Char* buffer, DWORD size) {
  if (!buffer || size == 0) return FALSE;
  buffer[0] = 0;
  const std::u16string path = platform::shell::PathOfIDList(list);
  if (path.empty()) return FALSE;
  const auto text = platform::detail::Widen<Char>(Utf8(path));
  if (text.size() >= size) return FALSE;
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
  return TRUE;
}

}  // namespace

PIDLIST_ABSOLUTE SHBrowseForFolderW(LPBROWSEINFOW info) { return BrowseImpl<BROWSEINFOW, char16_t>(info); }
PIDLIST_ABSOLUTE SHBrowseForFolderA(LPBROWSEINFOA info) { return BrowseImpl<BROWSEINFOA, char>(info); }

BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE list, LPWSTR path) { return PathFromList(list, path, MAX_PATH); }
BOOL SHGetPathFromIDListA(PCIDLIST_ABSOLUTE list, LPSTR path) { return PathFromList(list, path, MAX_PATH); }
BOOL SHGetPathFromIDListEx(PCIDLIST_ABSOLUTE list, LPWSTR path, DWORD size, int) {
  return PathFromList(list, path, size);
}

void ILFree(LPITEMIDLIST list) { CoTaskMemFree(list); }

HRESULT SHGetMalloc(IMalloc** allocator) {
  if (!allocator) return E_POINTER;
  static ShellAllocator shared;
  *allocator = &shared;
  return S_OK;
}

HRESULT SHGetDesktopFolder(IShellFolder** folder) {
  if (!folder) return E_POINTER;
  static DesktopFolder desktop;
  *folder = &desktop;
  return S_OK;
}

namespace platform::shell {

FolderBrowserPresenter SetFolderBrowserPresenter(FolderBrowserPresenter presenter) {
  FolderBrowserPresenter previous = std::move(Presenter());
  Presenter() = std::move(presenter);
  return previous;
}

std::u16string PathOfIDList(PCIDLIST_ABSOLUTE list) {
  if (!list) return {};
  const auto* bytes = reinterpret_cast<const unsigned char*>(list);
  USHORT size;
  std::memcpy(&size, bytes, sizeof size);
  if (size <= kHeader || std::memcmp(bytes + sizeof(USHORT), kTag, sizeof kTag) != 0) return {};
  const char* text = reinterpret_cast<const char*>(bytes + kHeader);
  if (text[size - kHeader - 1] != 0) return {};
  return Utf16(std::string(text, size - kHeader - 1));
}

PIDLIST_ABSOLUTE IDListOfPath(const std::u16string& path) {
  const std::string text = Utf8(path);
  const size_t size = kHeader + text.size() + 1;
  if (text.empty() || size > 0xFFFF) return nullptr;
  auto* bytes = static_cast<unsigned char*>(CoTaskMemAlloc(size + sizeof(USHORT)));
  if (!bytes) return nullptr;
  const USHORT itemSize = static_cast<USHORT>(size), end = 0;
  std::memcpy(bytes, &itemSize, sizeof itemSize);
  std::memcpy(bytes + sizeof(USHORT), kTag, sizeof kTag);
  std::memcpy(bytes + kHeader, text.c_str(), text.size() + 1);
  std::memcpy(bytes + size, &end, sizeof end);
  return reinterpret_cast<PIDLIST_ABSOLUTE>(bytes);
}

}  // namespace platform::shell
