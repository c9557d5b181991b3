// The open and save dialogs' protocol: the request made from the caller's record, what OK
// with a typed text means, and the answer written back.

#include "platform/comdlg/FileDialogs.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <filesystem>
#include <mutex>

#include "platform/kernel/FileApi.h"
#include "platform/kernel/PathResolve.h"
#include "platform/kernel/Unicode.h"

namespace fs = std::filesystem;

namespace {

using platform::comdlg::FileDialogRequest;
using Verdict = FileDialogRequest::Verdict;

platform::comdlg::FileDialogPresenter& Presenter() {
  static platform::comdlg::FileDialogPresenter presenter;
  return presenter;
}

// The folder the last dialog ended in, for the next one that has no other start.
std::mutex g_lastFolderMutex;
std::u16string& LastFolder() {
  static std::u16string folder;
  return folder;
}

std::string Utf8(const std::u16string& text) { return platform::Utf16ToUtf8(text); }
std::u16string Utf16(const std::string& text) { return platform::Utf8ToUtf16(text); }

template <class Char> std::u16string Text(const Char* text) {
  if (!text) return {};
  if constexpr (sizeof(Char) == 2) return text;
  else return Utf16(text);
}

// A path of the program as the file system knows it ("/" delimiters, case matched where the
// exact name is missing, "." and ".." folded, no trailing "/").
std::u16string Normalize(const std::u16string& path) {
  if (path.empty()) return path;
  std::string resolved = fs::path(platform::FileSystemPath(Utf8(path))).lexically_normal().string();
  while (resolved.size() > 1 && resolved.back() == '/') resolved.pop_back();
  return Utf16(resolved);
}

bool StatOf(const std::u16string& path, struct stat* st) { return !path.empty() && ::stat(Utf8(path).c_str(), st) == 0; }
bool IsFolder(const std::u16string& path) {
  struct stat st{};
  return StatOf(path, &st) && S_ISDIR(st.st_mode);
}
bool Exists(const std::u16string& path) {
  struct stat st{};
  return StatOf(path, &st);
}

bool IsAbsolute(const std::u16string& text) { return !text.empty() && (text[0] == u'/' || text[0] == u'\\'); }

std::u16string Join(const std::u16string& folder, const std::u16string& name) {
  if (IsAbsolute(name)) return Normalize(name);
  return Normalize(folder == u"/" ? folder + name : folder + u"/" + name);
}

std::u16string ParentOf(const std::u16string& path) {
  const size_t slash = path.find_last_of(u'/');
  if (slash == std::u16string::npos) return {};
  return slash == 0 ? u"/" : path.substr(0, slash);
}
std::u16string NameOf(const std::u16string& path) {
  const size_t slash = path.find_last_of(u'/');
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}
bool HasExtension(const std::u16string& name) {
  const size_t dot = name.find_last_of(u'.');
  return dot != std::u16string::npos && dot > 0 && dot + 1 < name.size();
}

std::u16string Lower(std::u16string text) {
  for (char16_t& c : text) c = static_cast<char16_t>(std::towlower(c));
  return text;
}

// "*.iso", ".iso" and "iso" all mean the extension "iso".
std::u16string DefaultExtension(const std::u16string& text) {
  size_t start = 0;
  while (start < text.size() && (text[start] == u'*' || text[start] == u'.')) ++start;
  return text.substr(start);
}

std::vector<platform::comdlg::FileFilter> ParseFilters(const std::vector<std::u16string>& parts) {
  std::vector<platform::comdlg::FileFilter> filters;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    platform::comdlg::FileFilter filter{parts[i], {}};
    size_t start = 0;
    const std::u16string& list = parts[i + 1];
    while (start <= list.size()) {
      size_t end = list.find(u';', start);
      if (end == std::u16string::npos) end = list.size();
      std::u16string pattern = list.substr(start, end - start);
      pattern.erase(0, pattern.find_first_not_of(u' '));
      pattern.erase(pattern.find_last_not_of(u' ') + 1);
      if (!pattern.empty()) filter.patterns.push_back(pattern);
      start = end + 1;
    }
    if (filter.patterns.empty()) filter.patterns.push_back(u"*");
    filters.push_back(std::move(filter));
  }
  return filters;
}

template <class Char> std::vector<std::u16string> FilterParts(const Char* filter) {
  std::vector<std::u16string> parts;
  if (!filter) return parts;
  while (*filter) {
    const Char* end = filter;
    while (*end) ++end;
    parts.push_back(Text(std::basic_string<Char>(filter, end).c_str()));
    filter = end + 1;
  }
  return parts;
}

int Ask(HWND dialog, const std::u16string& text, const std::u16string& caption, UINT type) {
  return MessageBoxW(dialog, text.c_str(), caption.c_str(), type);
}

struct Rules {
  bool save = false;
  bool multiSelect = false;
  bool pathMustExist = false;
  bool fileMustExist = false;
  bool overwritePrompt = false;
  bool createPrompt = false;
  std::u16string defaultExt;
  std::u16string caption;
};

Verdict Accept(const Rules& rules, FileDialogRequest& request, HWND dialog, const std::u16string& folder,
               const std::u16string& text, int filterIndex) {
  std::vector<std::u16string> names = platform::comdlg::SplitFileNames(text);
  if (names.empty()) return {};
  if (names.size() > 1 && !rules.multiSelect) {
    Ask(dialog, text + u"\nThe file name is not valid.", rules.caption, MB_OK | MB_ICONWARNING);
    return {};
  }
  if (names.size() == 1) {
    const std::u16string& name = names.front();
    if (name.find_first_of(u"*?") != std::u16string::npos) return {Verdict::Kind::ApplyPattern, name};
    const std::u16string path = Join(folder, name);
    if (IsFolder(path)) return {Verdict::Kind::ShowFolder, path};
  }
  std::vector<std::u16string> paths;
  for (const std::u16string& name : names) {
    std::u16string path = Join(folder, name);
    // A name ending in a dot asks for no extension.
    if (!rules.defaultExt.empty() && !HasExtension(NameOf(path)) && path.back() != u'.') {
      const std::u16string withExtension = path + u"." + rules.defaultExt;
      // An open dialog takes the name as typed when that file exists.
      if (rules.save || !Exists(path)) path = withExtension;
    }
    if (IsFolder(path)) {
      Ask(dialog, name + u"\nThis is a folder, not a file.", rules.caption, MB_OK | MB_ICONWARNING);
      return {};
    }
    if ((rules.pathMustExist || rules.fileMustExist) && !IsFolder(ParentOf(path))) {
      Ask(dialog, name + u"\nThe folder does not exist.\nCheck the path and try again.", rules.caption,
          MB_OK | MB_ICONWARNING);
      return {};
    }
    const bool exists = Exists(path);
    if (rules.fileMustExist && !exists) {
      Ask(dialog, NameOf(path) + u"\nFile not found.\nCheck the file name and try again.", rules.caption,
          MB_OK | MB_ICONWARNING);
      return {};
    }
    if (rules.save && exists && rules.overwritePrompt &&
        Ask(dialog, NameOf(path) + u" already exists.\nDo you want to replace it?", rules.caption,
            MB_YESNO | MB_ICONWARNING) != IDYES)
      return {};
    if (rules.save && !exists && rules.createPrompt &&
        Ask(dialog, NameOf(path) + u" does not exist.\nDo you want to create it?", rules.caption,
            MB_YESNO | MB_ICONQUESTION) != IDYES)
      return {};
    paths.push_back(path);
  }
  request.resultFolder = ParentOf(paths.front());
  request.resultNames.clear();
  for (const std::u16string& path : paths) {
    const std::u16string prefix = request.resultFolder == u"/" ? request.resultFolder : request.resultFolder + u"/";
    request.resultNames.push_back(path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path);
  }
  request.resultFilterIndex = filterIndex;
  return {Verdict::Kind::Close, {}};
}

template <class Record, class Char> BOOL Run(Record* ofn, bool save) {
  using platform::comdlg::SetExtendedError;
  SetExtendedError(0);
  if (!ofn || (ofn->lStructSize != sizeof(Record) && ofn->lStructSize != offsetof(Record, pvReserved))) {
    SetExtendedError(CDERR_STRUCTSIZE);
    return FALSE;
  }
  platform::comdlg::FileDialogPresenter presenter = Presenter();
  if (!presenter || !ofn->lpstrFile || ofn->nMaxFile == 0) {
    SetExtendedError(CDERR_INITIALIZATION);
    return FALSE;
  }
  const DWORD flags = ofn->Flags;
  FileDialogRequest request;
  request.kind = save ? FileDialogRequest::Kind::Save : FileDialogRequest::Kind::Open;
  request.owner = ofn->hwndOwner;
  request.title = Text(ofn->lpstrTitle);
  request.filters = ParseFilters(FilterParts(ofn->lpstrFilter));
  request.filterIndex = ofn->nFilterIndex >= 1 && ofn->nFilterIndex <= request.filters.size()
                            ? static_cast<int>(ofn->nFilterIndex) - 1
                            : 0;
  request.multiSelect = !save && (flags & OFN_ALLOWMULTISELECT);
  request.showHidden = (flags & OFN_FORCESHOWHIDDEN) != 0;
  request.sizing = (flags & OFN_ENABLESIZING) != 0;

  // The start: the given folder, else the file's, else the last dialog's.
  std::u16string start = Text(ofn->lpstrFile);
  std::u16string fileFolder;
  if (const size_t slash = start.find_last_of(u"/\\"); slash != std::u16string::npos) {
    fileFolder = Normalize(slash == 0 ? u"/" : start.substr(0, slash));
    start = start.substr(slash + 1);
  }
  request.fileName = start;
  const std::u16string initialDir = Normalize(Text(ofn->lpstrInitialDir));
  {
    std::lock_guard lock(g_lastFolderMutex);
    if (IsFolder(initialDir)) request.folder = initialDir;
    else if (IsFolder(fileFolder)) request.folder = fileFolder;
    else if (IsFolder(LastFolder())) request.folder = LastFolder();
  }

  Rules rules;
  rules.save = save;
  rules.multiSelect = request.multiSelect;
  rules.pathMustExist = (flags & OFN_PATHMUSTEXIST) != 0;
  rules.fileMustExist = !save && (flags & OFN_FILEMUSTEXIST);
  rules.overwritePrompt = save && (flags & OFN_OVERWRITEPROMPT);
  rules.createPrompt = (flags & OFN_CREATEPROMPT) != 0;
  rules.defaultExt = DefaultExtension(Text(ofn->lpstrDefExt));
  rules.caption = !request.title.empty() ? request.title : save ? u"Save As" : u"Open";
  request.accept = [&rules, &request](HWND dialog, const std::u16string& folder, const std::u16string& names,
                                      int filterIndex) {
    return Accept(rules, request, dialog, folder, names, filterIndex);
  };

  bool accepted = false;
  try {
    accepted = presenter(request);
  } catch (...) {
    SetExtendedError(CDERR_DIALOGFAILURE);
    return FALSE;
  }
  if (!accepted || request.resultNames.empty()) return FALSE;

  // The answer, in the record's own characters (offsets count those).
  using String = std::basic_string<Char>;
  auto convert = [](const std::u16string& text) -> String {
    if constexpr (sizeof(Char) == 2) return text;
    else return Utf8(text);
  };
  const String folder = convert(request.resultFolder);
  String answer;
  WORD offset = 0, extension = 0;
  const bool several = request.resultNames.size() > 1;
  if (several) {
    answer = folder;
    answer.push_back(0);
    for (const std::u16string& name : request.resultNames) {
      answer += convert(name);
      answer.push_back(0);
    }
    offset = static_cast<WORD>(std::min<size_t>(folder.size() + 1, 0xFFFF));
  } else {
    const std::u16string path = Join(request.resultFolder, request.resultNames.front());
    answer = convert(path);
    const String parent = convert(ParentOf(path));
    const size_t nameStart = parent == convert(u"/") ? 1 : parent.size() + 1;
    offset = static_cast<WORD>(std::min<size_t>(nameStart, 0xFFFF));
    const size_t dot = answer.find_last_of(static_cast<Char>('.'));
    if (dot == String::npos || dot < nameStart) extension = static_cast<WORD>(std::min<size_t>(answer.size(), 0xFFFF));
    else if (dot + 1 == answer.size()) extension = 0;
    else extension = static_cast<WORD>(std::min<size_t>(dot + 1, 0xFFFF));
  }
  answer.push_back(0);
  if (answer.size() > ofn->nMaxFile) {
    const size_t needed = answer.size();
    const WORD size = static_cast<WORD>(std::min<size_t>(needed, 0xFFFF));
    if constexpr (sizeof(Char) == 2) {
      ofn->lpstrFile[0] = static_cast<char16_t>(size);
    } else if (ofn->nMaxFile >= 2) {
      std::memcpy(ofn->lpstrFile, &size, sizeof size);
    }
    SetExtendedError(FNERR_BUFFERTOOSMALL);
    return FALSE;
  }
  std::copy(answer.begin(), answer.end(), ofn->lpstrFile);
  ofn->nFileOffset = offset;
  ofn->nFileExtension = extension;
  if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > 0) {
    const String title = convert(NameOf(request.resultNames.front()));
    const size_t count = std::min<size_t>(title.size(), ofn->nMaxFileTitle - 1);
    std::copy(title.begin(), title.begin() + static_cast<std::ptrdiff_t>(count), ofn->lpstrFileTitle);
    ofn->lpstrFileTitle[count] = 0;
  }
  if (!request.filters.empty()) ofn->nFilterIndex = static_cast<DWORD>(request.resultFilterIndex + 1);
  ofn->Flags &= ~(OFN_READONLY | OFN_EXTENSIONDIFFERENT);
  if (!several && !rules.defaultExt.empty()) {
    const std::u16string name = NameOf(request.resultNames.front());
    const size_t dot = name.find_last_of(u'.');
    if (dot == std::u16string::npos || Lower(name.substr(dot + 1)) != Lower(rules.defaultExt))
      ofn->Flags |= OFN_EXTENSIONDIFFERENT;
  }
  {
    std::lock_guard lock(g_lastFolderMutex);
    LastFolder() = request.resultFolder;
  }
  if (!(flags & OFN_NOCHANGEDIR)) SetCurrentDirectoryW(request.resultFolder.c_str());
  return TRUE;
}

// "*" any run, "?" one character, letter case ignored.
bool Match(const char16_t* name, const char16_t* pattern) {
  const char16_t* star = nullptr;
  const char16_t* resume = nullptr;
  while (*name) {
    if (*pattern == u'*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == u'?' || (*pattern && std::towlower(*pattern) == std::towlower(*name))) {
      ++pattern;
      ++name;
    } else if (star) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == u'*') ++pattern;
  return *pattern == 0;
}

}  // namespace

BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn) { return Run<OPENFILENAMEW, char16_t>(ofn, false); }
BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn) { return Run<OPENFILENAMEA, char>(ofn, false); }
BOOL GetSaveFileNameW(LPOPENFILENAMEW ofn) { return Run<OPENFILENAMEW, char16_t>(ofn, true); }
BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn) { return Run<OPENFILENAMEA, char>(ofn, true); }

namespace platform::comdlg {

FileDialogPresenter SetFileDialogPresenter(FileDialogPresenter presenter) {
  FileDialogPresenter previous = std::move(Presenter());
  Presenter() = std::move(presenter);
  return previous;
}

std::vector<std::u16string> SplitFileNames(const std::u16string& text) {
  std::vector<std::u16string> names;
  if (text.find(u'"') != std::u16string::npos) {
    size_t at = 0;
    while ((at = text.find(u'"', at)) != std::u16string::npos) {
      const size_t end = text.find(u'"', at + 1);
      std::u16string name = text.substr(at + 1, end == std::u16string::npos ? std::u16string::npos : end - at - 1);
      if (!name.empty()) names.push_back(name);
      if (end == std::u16string::npos) break;
      at = end + 1;
    }
    return names;
  }
  const size_t first = text.find_first_not_of(u" \t");
  if (first == std::u16string::npos) return names;
  names.push_back(text.substr(first, text.find_last_not_of(u" \t") - first + 1));
  return names;
}

std::u16string JoinFileNames(const std::vector<std::u16string>& names) {
  if (names.size() == 1) return names.front();
  std::u16string text;
  for (const std::u16string& name : names) {
    if (!text.empty()) text += u' ';
    text += u'"' + name + u'"';
  }
  return text;
}

bool MatchesFilterPattern(const std::u16string& name, const std::u16string& pattern) {
  if (pattern == u"*.*" || pattern == u"*") return true;
  return Match(name.c_str(), pattern.c_str());
}

}  // namespace platform::comdlg
