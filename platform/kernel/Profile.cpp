#include "platform/kernel/Profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/kernel/PathResolve.h"
#include "platform/kernel/TextBuffers.h"

namespace platform::detail {

namespace {

std::mutex& ProfileLock() {
  static std::mutex lock;
  return lock;
}

enum class Encoding { Utf8, Utf8Bom, Utf16Le };

struct Line {
  std::string text;    // without its line end
  std::string ending;  // "\r\n", "\n", "\r" or "" for a last line without one
};

// One parsed INI file. Lines keep their bytes exactly; parsing only looks at them.
struct IniFile {
  Encoding encoding = Encoding::Utf8;
  std::vector<Line> lines;
  std::string newline = "\r\n";
};

constexpr const char* kBlanks = " \t";

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return std::string(text.substr(first, last - first + 1));
}

std::string StripQuotes(std::string value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// The section name of a "[name]" line.
std::optional<std::string> SectionOf(const std::string& line) {
  const std::string trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] != '[') return std::nullopt;
  const auto close = trimmed.find(']');
  return Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

bool IsComment(const std::string& line) {
  const std::string trimmed = Trim(line);
  return trimmed.empty() || trimmed[0] == ';';
}

// Key and raw trimmed value of an entry line; a line without "=" is a key without a value.
void SplitEntry(const std::string& line, std::string& key, std::string& value) {
  const auto equals = line.find('=');
  key = Trim(line.substr(0, equals));
  value = equals == std::string::npos ? std::string() : Trim(line.substr(equals + 1));
}

bool Equal(const std::string& a, const std::string& b) {
  if (a.size() == b.size()) {
    bool same = true;
    for (size_t i = 0; i < a.size() && same; ++i) {
      same = std::tolower(static_cast<unsigned char>(a[i])) == std::tolower(static_cast<unsigned char>(b[i]));
    }
    if (same) return true;
  }
  auto ascii = [](const std::string& text) {
    for (const char c : text) {
      if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
  };
  return !(ascii(a) && ascii(b)) && NamesEqualIgnoringCase(a, b);
}

// Reads and splits the file; false (with the last error set) when it cannot be read.
// A missing file is an empty one.
bool Load(const std::string& path, IniFile& file, bool& exists) {
  exists = false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return true;
    SetLastErrorFromErrno(errno, path);
    return false;
  }
  std::string bytes;
  char chunk[65536];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      SetLastErrorFromErrno(errno, path);
      ::close(fd);
      return false;
    }
    if (got == 0) break;
    bytes.append(chunk, static_cast<size_t>(got));
  }
  ::close(fd);
  exists = true;
  std::string text;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
    file.encoding = Encoding::Utf16Le;
    std::u16string wide;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    text = Utf16ToUtf8(wide);
  } else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    file.encoding = Encoding::Utf8Bom;
    text = bytes.substr(3);
  } else {
    text = std::move(bytes);
  }
  bool sawEnding = false;
  size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find_first_of("\r\n", start);
    Line line;
    if (end == std::string::npos) {
      line.text = text.substr(start);
      start = text.size();
    } else {
      line.text = text.substr(start, end - start);
      const size_t endingLength = (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
      line.ending = text.substr(end, endingLength);
      if (!sawEnding) {
        file.newline = line.ending;
        sawEnding = true;
      }
      start = end + endingLength;
    }
    file.lines.push_back(std::move(line));
  }
  return true;
}

// Writes the file next to itself and renames it into place.
bool Save(const std::string& path, const IniFile& file, bool exists) {
  std::string text;
  for (const Line& line : file.lines) text += line.text + line.ending;
  std::string bytes;
  if (file.encoding == Encoding::Utf16Le) {
    bytes = "\xFF\xFE";
    for (const char16_t c : Utf8ToUtf16(text)) {
      bytes.push_back(static_cast<char>(c & 0xFF));
      bytes.push_back(static_cast<char>(c >> 8));
    }
  } else {
    bytes = (file.encoding == Encoding::Utf8Bom ? "\xEF\xBB\xBF" : "") + text;
  }
  mode_t mode = 0666 & ~[] { const mode_t mask = umask(0); umask(mask); return mask; }();
  if (exists) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) mode = info.st_mode & 07777;
    if (access(path.c_str(), W_OK) != 0) {
      SetLastError(ERROR_ACCESS_DENIED);  // A read-only file stays as it is.
      return false;
    }
  }
  const std::string folder = ParentOf(path);
  std::string temporary = (folder.empty() ? std::string() : folder == "/" ? "/" : folder + "/") + ".profile-XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    SetLastErrorFromErrno(errno, path);
    return false;
  }
  bool ok = true;
  for (size_t done = 0; done < bytes.size() && ok;) {
    const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) ok = false;
    else done += static_cast<size_t>(put);
  }
  const int writeError = errno;
  if (ok) fchmod(fd, mode);
  if (::close(fd) != 0 && ok) ok = false;
  if (!ok || rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = ok ? errno : writeError;
    unlink(temporary.c_str());
    SetLastErrorFromErrno(error, path);
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  return true;
}

// The file's path on disk: case-insensitive, and through a symbolic link so that an atomic
// replacement changes the file the link points to.
std::string ProfilePath(const std::string& fileName) {
  std::string path = ResolvePath(fileName);
  if (char* real = realpath(path.c_str(), nullptr)) {
    path = real;
    std::free(real);
  }
  return path;
}

// Index of the header line of the section, or npos. Names in the file are read trimmed, so the
// name asked for is trimmed too: a write under " Name " must be found by the next read.
size_t FindSection(const IniFile& file, const std::string& section) {
  const std::string wanted = Trim(section);
  for (size_t i = 0; i < file.lines.size(); ++i) {
    const auto name = SectionOf(file.lines[i].text);
    if (name && Equal(*name, wanted)) return i;
  }
  return std::string::npos;
}

// The end of the section starting at header: the next header or the end of the file.
size_t SectionEnd(const IniFile& file, size_t header) {
  size_t i = header + 1;
  while (i < file.lines.size() && !SectionOf(file.lines[i].text)) ++i;
  return i;
}

size_t FindKey(const IniFile& file, size_t header, const std::string& key) {
  const std::string wanted = Trim(key);
  const size_t end = SectionEnd(file, header);
  for (size_t i = header + 1; i < end; ++i) {
    if (IsComment(file.lines[i].text)) continue;
    std::string name, value;
    SplitEntry(file.lines[i].text, name, value);
    if (Equal(name, wanted)) return i;
  }
  return std::string::npos;
}

// Where a new entry of the section goes: after its last entry line.
size_t InsertionPoint(const IniFile& file, size_t header) {
  const size_t end = SectionEnd(file, header);
  size_t at = header + 1;
  for (size_t i = header + 1; i < end; ++i) {
    if (!Trim(file.lines[i].text).empty()) at = i + 1;
  }
  return at;
}

void EnsureLineEnd(IniFile& file, size_t before) {
  if (before > 0 && before <= file.lines.size() && file.lines[before - 1].ending.empty()) {
    file.lines[before - 1].ending = file.newline;
  }
}

void InsertLine(IniFile& file, size_t at, std::string text) {
  EnsureLineEnd(file, at);
  file.lines.insert(file.lines.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), file.newline});
}

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

// ---- reading ----

enum class Query { Value, KeyNames, SectionNames, SectionLines };

struct ReadResult {
  bool list = false;
  std::vector<std::string> items;  // list entries
  std::string value;
};

ReadResult Read(Query query, const std::string& fileName, const std::string& section, const std::string& key,
                const std::string& defaultValue) {
  ReadResult result;
  result.list = query != Query::Value;
  IniFile file;
  bool exists = false;
  {
    std::lock_guard lock(ProfileLock());
    Load(ProfilePath(fileName), file, exists);
  }
  std::string fallback = defaultValue;
  while (!fallback.empty() && (fallback.back() == ' ' || fallback.back() == '\t')) fallback.pop_back();
  if (query == Query::SectionNames) {
    for (const Line& line : file.lines) {
      if (auto name = SectionOf(line.text)) result.items.push_back(*name);
    }
    return result;
  }
  const size_t header = FindSection(file, section);
  if (header == std::string::npos) {
    result.value = fallback;
    SetLastError(exists ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    return result;
  }
  const size_t end = SectionEnd(file, header);
  if (query == Query::Value) {
    const size_t at = FindKey(file, header, key);
    if (at == std::string::npos) {
      result.value = fallback;
    } else {
      std::string name;
      SplitEntry(file.lines[at].text, name, result.value);
      result.value = StripQuotes(result.value);
    }
    SetLastError(ERROR_SUCCESS);
    return result;
  }
  for (size_t i = header + 1; i < end; ++i) {
    if (IsComment(file.lines[i].text)) continue;
    std::string name, value;
    SplitEntry(file.lines[i].text, name, value);
    if (query == Query::KeyNames) {
      result.items.push_back(name);
    } else {
      result.items.push_back(file.lines[i].text.find('=') == std::string::npos ? name : name + "=" + value);
    }
  }
  SetLastError(ERROR_SUCCESS);
  return result;
}

template <typename Char>
DWORD DeliverValue(const std::string& value, Char* buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  const TextOf<Char> text = Widen<Char>(value);
  if (text.size() < size) {
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = 0;
    return static_cast<DWORD>(text.size());
  }
  std::copy(text.begin(), text.begin() + (size - 1), buffer);
  buffer[size - 1] = 0;
  SetLastError(ERROR_MORE_DATA);
  return size - 1;
}

template <typename Char>
DWORD DeliverList(const std::vector<std::string>& items, Char* buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  TextOf<Char> joined;
  for (const auto& item : items) {
    joined += Widen<Char>(item);
    joined.push_back(0);
  }
  if (joined.size() + 1 <= size) {
    std::copy(joined.begin(), joined.end(), buffer);
    buffer[joined.size()] = 0;
    if (joined.empty() && size > 1) buffer[1] = 0;
    return static_cast<DWORD>(joined.empty() ? 0 : joined.size());
  }
  if (size < 2) {
    buffer[0] = 0;
    return 0;
  }
  std::copy(joined.begin(), joined.begin() + (size - 2), buffer);
  buffer[size - 2] = 0;
  buffer[size - 1] = 0;
  SetLastError(ERROR_MORE_DATA);
  return size - 2;
}

template <typename Char>
DWORD GetString(const Char* section, const Char* key, const Char* defaultValue, Char* buffer, DWORD size,
                const Char* fileName) {
  const Query query = !section ? Query::SectionNames : !key ? Query::KeyNames : Query::Value;
  const ReadResult result = Read(query, Narrow(fileName), Narrow(section), Narrow(key), Narrow(defaultValue));
  return result.list ? DeliverList<Char>(result.items, buffer, size) : DeliverValue<Char>(result.value, buffer, size);
}

UINT GetInt(const std::string& section, const std::string& key, INT defaultValue, const std::string& fileName) {
  const ReadResult result = Read(Query::Value, fileName, section, key, "");
  const std::string& text = result.value;
  if (text.empty()) return static_cast<UINT>(defaultValue);
  size_t i = 0;
  bool negative = false;
  if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
  int base = 10;
  if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    const int digit = (c >= '0' && c <= '9') ? c - '0' : (base == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
    if (digit < 0) break;
    value = (value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit)) & 0xFFFFFFFFu;
  }
  return static_cast<UINT>(negative ? (0u - static_cast<UINT>(value)) : static_cast<UINT>(value));
}

// ---- writing ----

BOOL WriteString(const char* sectionOrNull, const char* keyOrNull, const char* valueOrNull, const std::string& fileName) {
  if (fileName.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!sectionOrNull) return TRUE;  // A flush: nothing is cached.
  const std::string section = sectionOrNull;
  const std::string key = keyOrNull ? Trim(keyOrNull) : std::string();
  const std::string value = valueOrNull ? valueOrNull : "";
  if (HasLineBreak(section) || section.find(']') != std::string::npos || HasLineBreak(key) ||
      key.find('=') != std::string::npos || (keyOrNull && key.empty()) || HasLineBreak(value)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(ProfileLock());
  const std::string path = ProfilePath(fileName);
  IniFile file;
  bool exists = false;
  if (!Load(path, file, exists)) return FALSE;
  const size_t header = FindSection(file, section);
  if (!keyOrNull || !valueOrNull) {
    // Deleting: only when there is something to delete.
    if (header == std::string::npos) return TRUE;
    if (!keyOrNull) {
      file.lines.erase(file.lines.begin() + static_cast<std::ptrdiff_t>(header),
                       file.lines.begin() + static_cast<std::ptrdiff_t>(SectionEnd(file, header)));
    } else {
      const size_t at = FindKey(file, header, key);
      if (at == std::string::npos) return TRUE;
      file.lines.erase(file.lines.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return Save(path, file, exists);
  }
  if (header == std::string::npos) {
    const size_t end = file.lines.size();
    InsertLine(file, end, "[" + section + "]");
    InsertLine(file, end + 1, key + "=" + value);
  } else if (const size_t at = FindKey(file, header, key); at != std::string::npos) {
    // Keep the key as the file spells it, with its indentation.
    const std::string& old = file.lines[at].text;
    const auto equals = old.find('=');
    std::string head = equals == std::string::npos ? old : old.substr(0, equals);
    while (!head.empty() && (head.back() == ' ' || head.back() == '\t')) head.pop_back();
    file.lines[at].text = head + "=" + value;
  } else {
    InsertLine(file, InsertionPoint(file, header), key + "=" + value);
  }
  return Save(path, file, exists);
}

BOOL WriteSection(const std::string& section, const std::vector<std::string>& entries, const std::string& fileName) {
  if (fileName.empty() || HasLineBreak(section) || section.find(']') != std::string::npos) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  for (const auto& entry : entries) {
    if (HasLineBreak(entry)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
  }
  std::lock_guard lock(ProfileLock());
  const std::string path = ProfilePath(fileName);
  IniFile file;
  bool exists = false;
  if (!Load(path, file, exists)) return FALSE;
  size_t header = FindSection(file, section);
  if (header == std::string::npos) {
    header = file.lines.size();
    InsertLine(file, header, "[" + section + "]");
  } else {
    // The section's entries go; its comments and blank lines stay.
    const size_t end = SectionEnd(file, header);
    for (size_t i = end; i-- > header + 1;) {
      if (!IsComment(file.lines[i].text)) file.lines.erase(file.lines.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  size_t at = header + 1;
  for (const auto& entry : entries) InsertLine(file, at++, entry);
  return Save(path, file, exists);
}

template <typename Char>
std::vector<std::string> SplitList(const Char* list) {
  std::vector<std::string> out;
  while (list && *list) {
    const Char* end = list;
    while (*end) ++end;
    out.push_back(Narrow(TextOf<Char>(list, end).c_str()));
    list = end + 1;
  }
  return out;
}

const char* OrNull(const std::string& text, const void* original) { return original ? text.c_str() : nullptr; }

}  // namespace

}  // namespace platform::detail

using namespace platform::detail;

DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR returned, DWORD size,
                               LPCWSTR fileName) {
  return GetString<char16_t>(section, key, defaultValue, returned, size, fileName);
}

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR returned, DWORD size,
                               LPCSTR fileName) {
  return GetString<char>(section, key, defaultValue, returned, size, fileName);
}

UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName) {
  return GetInt(Narrow(section), Narrow(key), defaultValue, Narrow(fileName));
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName) {
  return GetInt(Narrow(section), Narrow(key), defaultValue, Narrow(fileName));
}

DWORD GetPrivateProfileSectionW(LPCWSTR section, LPWSTR returned, DWORD size, LPCWSTR fileName) {
  const ReadResult result = Read(Query::SectionLines, Narrow(fileName), Narrow(section), "", "");
  return DeliverList<char16_t>(result.items, returned, size);
}

DWORD GetPrivateProfileSectionA(LPCSTR section, LPSTR returned, DWORD size, LPCSTR fileName) {
  const ReadResult result = Read(Query::SectionLines, Narrow(fileName), Narrow(section), "", "");
  return DeliverList<char>(result.items, returned, size);
}

DWORD GetPrivateProfileSectionNamesW(LPWSTR returned, DWORD size, LPCWSTR fileName) {
  return GetString<char16_t>(nullptr, nullptr, nullptr, returned, size, fileName);
}

DWORD GetPrivateProfileSectionNamesA(LPSTR returned, DWORD size, LPCSTR fileName) {
  return GetString<char>(nullptr, nullptr, nullptr, returned, size, fileName);
}

BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName) {
  const std::string s = Narrow(section), k = Narrow(key), v = Narrow(value);
  return WriteString(OrNull(s, section), OrNull(k, key), OrNull(v, value), Narrow(fileName));
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
  return WriteString(section, key, value, Narrow(fileName));
}

BOOL WritePrivateProfileSectionW(LPCWSTR section, LPCWSTR lines, LPCWSTR fileName) {
  return WriteSection(Narrow(section), SplitList(lines), Narrow(fileName));
}

BOOL WritePrivateProfileSectionA(LPCSTR section, LPCSTR lines, LPCSTR fileName) {
  return WriteSection(Narrow(section), SplitList(lines), Narrow(fileName));
}
