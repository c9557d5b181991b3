#include "platform/kernel/FindFile.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <vector>

#include "platform/kernel/PathResolve.h"
#include "platform/kernel/TextBuffers.h"

namespace platform::detail {

namespace {

struct FoundEntry {
  std::string name;
  WIN32_FILE_ATTRIBUTE_DATA data;
};

class FindObject : public KernelObject {
 public:
  explicit FindObject(std::vector<FoundEntry> entries) : m_entries(std::move(entries)) {}
  // The next entry, or nullptr at the end.
  const FoundEntry* Next() {
    std::lock_guard lock(m_mutex);
    return m_next < m_entries.size() ? &m_entries[m_next++] : nullptr;
  }

 private:
  std::mutex m_mutex;  // guards m_next
  std::vector<FoundEntry> m_entries;
  size_t m_next = 0;
};

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

// Splits a pattern into its UTF-8 characters so "?" stands for one character.
std::vector<std::string_view> Characters(std::string_view text) {
  std::vector<std::string_view> out;
  for (size_t i = 0; i < text.size();) {
    size_t length = 1;
    while (i + length < text.size() && (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80) ++length;
    out.push_back(text.substr(i, length));
    i += length;
  }
  return out;
}

bool Match(const std::vector<std::string_view>& pattern, size_t p, const std::vector<std::string_view>& name, size_t n) {
  // Iterative matching with backtracking to the last "*".
  size_t starP = std::string::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == "*") {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == "?" || NamesEqualIgnoringCase(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == "*") ++p;
  return p == pattern.size();
}

HANDLE FindFirstUtf8(const std::string& input, FoundEntry const** first) {
  std::string path = NormalizeDelimiters(input);
  if (path.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  const auto slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
  std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
  if (pattern.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (pattern == "*.*") pattern = "*";
  const std::string realFolder = folder.empty() ? std::string() : ResolvePath(folder);
  DIR* dir = opendir(realFolder.empty() ? "." : realFolder.c_str());
  if (!dir) {
    SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  std::string prefix = realFolder.empty() ? std::string() : realFolder == "/" ? "/" : realFolder + "/";
  const bool isRoot = realFolder == "/";
  const bool wild = HasWildcard(pattern);
  const auto patternCharacters = Characters(pattern);
  std::vector<FoundEntry> entries;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    const bool dots = name == "." || name == "..";
    if (dots && (isRoot || !wild)) continue;
    if (wild ? !Match(patternCharacters, 0, Characters(name), 0) : !NamesEqualIgnoringCase(pattern, name)) continue;
    FoundEntry found{name, {}};
    const std::string full = prefix + name;
    struct stat info {};
    if (stat(full.c_str(), &info) != 0 && lstat(full.c_str(), &info) != 0) continue;
    found.data.dwFileAttributes = AttributesOf(info.st_mode, name);
    found.data.ftCreationTime = FileTimeFromUnix(info.st_ctim.tv_sec, info.st_ctim.tv_nsec);
    WIN32_FILE_ATTRIBUTE_DATA precise{};
    if (!dots && GetFileAttributesExA(full.c_str(), GetFileExInfoStandard, &precise)) {
      found.data.ftCreationTime = precise.ftCreationTime;
    }
    found.data.ftLastAccessTime = FileTimeFromUnix(info.st_atim.tv_sec, info.st_atim.tv_nsec);
    found.data.ftLastWriteTime = FileTimeFromUnix(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    const uint64_t size = S_ISDIR(info.st_mode) ? 0 : static_cast<uint64_t>(info.st_size);
    found.data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    found.data.nFileSizeLow = static_cast<DWORD>(size);
    entries.push_back(std::move(found));
  }
  closedir(dir);
  std::sort(entries.begin(), entries.end(), [](const FoundEntry& a, const FoundEntry& b) {
    auto rank = [](const std::string& n) { return n == "." ? 0 : n == ".." ? 1 : 2; };
    if (rank(a.name) != rank(b.name)) return rank(a.name) < rank(b.name);
    std::string left = a.name, right = b.name;
    for (char& c : left) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : right) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return left != right ? left < right : a.name < b.name;
  });
  if (entries.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  auto search = std::make_shared<FindObject>(std::move(entries));
  *first = search->Next();
  HANDLE handle = AddKernelObject(search);
  SetLastError(ERROR_SUCCESS);
  return handle;
}

template <typename Record>
void Fill(const FoundEntry& entry, Record* record) {
  using Char = std::remove_reference_t<decltype(record->cFileName[0])>;
  std::memset(record, 0, sizeof *record);
  record->dwFileAttributes = entry.data.dwFileAttributes;
  record->ftCreationTime = entry.data.ftCreationTime;
  record->ftLastAccessTime = entry.data.ftLastAccessTime;
  record->ftLastWriteTime = entry.data.ftLastWriteTime;
  record->nFileSizeHigh = entry.data.nFileSizeHigh;
  record->nFileSizeLow = entry.data.nFileSizeLow;
  const TextOf<Char> name = Widen<Char>(entry.name);
  const size_t count = std::min<size_t>(name.size(), MAX_PATH - 1);
  std::copy(name.begin(), name.begin() + count, record->cFileName);
}

template <typename Record>
BOOL FindNext(HANDLE handle, Record* record) {
  auto search = GetKernelObject<FindObject>(handle);
  if (!search) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const FoundEntry* entry = search->Next();
  if (!entry) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  if (record) Fill(*entry, record);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  return Match(Characters(pattern), 0, Characters(name), 0);
}

}  // namespace platform::detail

using namespace platform::detail;

HANDLE FindFirstFileW(LPCWSTR fileName, WIN32_FIND_DATAW* findData) {
  const FoundEntry* first = nullptr;
  HANDLE handle = FindFirstUtf8(Narrow(fileName), &first);
  if (handle != INVALID_HANDLE_VALUE && findData) Fill(*first, findData);
  return handle;
}

HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* findData) {
  const FoundEntry* first = nullptr;
  HANDLE handle = FindFirstUtf8(Narrow(fileName), &first);
  if (handle != INVALID_HANDLE_VALUE && findData) Fill(*first, findData);
  return handle;
}

BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData) { return FindNext(find, findData); }
BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* findData) { return FindNext(find, findData); }

BOOL FindClose(HANDLE find) {
  if (!GetKernelObject<FindObject>(find)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return CloseHandle(find);
}
