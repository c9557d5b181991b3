#include "platform/kernel/Atoms.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/kernel/Unicode.h"
#include "platform/kernel/WinError.h"

namespace {

constexpr size_t kMaxNameLength = 255;
constexpr size_t kMaxStringAtoms = 0x10000 - MAXINTATOM;

// Upper case for the scripts atom names use (Latin, Greek, Cyrillic); enough to match names
// written in different case.
char16_t FoldCase(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F)) {
    return static_cast<char16_t>(c - 32);
  }
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
  return c;
}

std::u16string Folded(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = FoldCase(c);
  return out;
}

// A name argument: an integer atom, or the text of a string atom.
struct AtomName {
  WORD integer = 0;  // non-zero for an integer atom
  std::u16string text;
};

// Sets the last error and returns nothing for a name no atom can have.
std::optional<AtomName> ParseName(uintptr_t pointerValue, std::u16string text) {
  AtomName name;
  if (pointerValue < 0x10000) {
    name.integer = static_cast<WORD>(pointerValue);
  } else if (text.size() > 1 && text[0] == u'#' && text.size() <= 6 &&
             text.find_first_not_of(u"0123456789", 1) == std::u16string::npos) {
    unsigned value = 0;
    for (size_t i = 1; i < text.size(); ++i) value = value * 10 + (text[i] - u'0');
    if (value == 0 || value >= MAXINTATOM) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return std::nullopt;
    }
    name.integer = static_cast<WORD>(value);
  } else {
    if (text.empty()) {
      SetLastError(ERROR_INVALID_NAME);
      return std::nullopt;
    }
    if (text.size() > kMaxNameLength) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return std::nullopt;
    }
    name.text = std::move(text);
    return name;
  }
  if (name.integer == 0 || name.integer >= MAXINTATOM) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return std::nullopt;
  }
  return name;
}

std::optional<AtomName> ParseName(LPCSTR name) {
  const auto value = reinterpret_cast<uintptr_t>(name);
  return ParseName(value, value < 0x10000 ? std::u16string() : platform::Utf8ToUtf16(name));
}

std::optional<AtomName> ParseName(LPCWSTR name) {
  const auto value = reinterpret_cast<uintptr_t>(name);
  return ParseName(value, value < 0x10000 ? std::u16string() : std::u16string(name));
}

class AtomTable {
 public:
  ATOM Add(const std::optional<AtomName>& name) {
    if (!name) return 0;
    if (name->integer) return name->integer;
    const std::u16string key = Folded(name->text);
    std::lock_guard lock(m_mutex);
    if (const auto index = Find(key)) {
      ++m_entries[*index].references;
      return static_cast<ATOM>(MAXINTATOM + *index);
    }
    size_t index = 0;
    while (index < m_entries.size() && m_entries[index].references > 0) ++index;
    if (index >= kMaxStringAtoms) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    if (index == m_entries.size()) m_entries.emplace_back();
    m_entries[index] = Entry{name->text, key, 1};
    return static_cast<ATOM>(MAXINTATOM + index);
  }

  ATOM FindAtom(const std::optional<AtomName>& name) {
    if (!name) return 0;
    if (name->integer) return name->integer;
    std::lock_guard lock(m_mutex);
    if (const auto index = Find(Folded(name->text))) return static_cast<ATOM>(MAXINTATOM + *index);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }

  ATOM Delete(ATOM atom) {
    if (atom == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return atom;
    }
    if (atom < MAXINTATOM) return 0;
    std::lock_guard lock(m_mutex);
    const size_t index = atom - MAXINTATOM;
    if (index >= m_entries.size() || m_entries[index].references == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return atom;
    }
    if (--m_entries[index].references == 0) m_entries[index] = Entry{};
    return 0;
  }

  // The name of an atom ("#n" for an integer atom); nothing when the atom is unknown.
  std::optional<std::u16string> Name(ATOM atom) {
    if (atom == 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return std::nullopt;
    }
    if (atom < MAXINTATOM) return platform::Utf8ToUtf16("#" + std::to_string(atom));
    std::lock_guard lock(m_mutex);
    const size_t index = atom - MAXINTATOM;
    if (index >= m_entries.size() || m_entries[index].references == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return std::nullopt;
    }
    return m_entries[index].name;
  }

 private:
  struct Entry {
    std::u16string name;
    std::u16string key;
    int references = 0;
  };

  std::optional<size_t> Find(const std::u16string& key) const {
    for (size_t i = 0; i < m_entries.size(); ++i) {
      if (m_entries[i].references > 0 && m_entries[i].key == key) return i;
    }
    return std::nullopt;
  }

  std::mutex m_mutex;
  std::vector<Entry> m_entries;
};

AtomTable& GlobalTable() {
  static auto* table = new AtomTable;
  return *table;
}

AtomTable& LocalTable() {
  static auto* table = new AtomTable;
  return *table;
}

UINT CopyNameW(const std::optional<std::u16string>& name, LPWSTR buffer, int size) {
  if (!name) return 0;
  if (!buffer || size <= 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  size_t count = std::min(name->size(), static_cast<size_t>(size - 1));
  // Never split a surrogate pair.
  if (count > 0 && count < name->size() && (*name)[count - 1] >= 0xD800 && (*name)[count - 1] <= 0xDBFF) --count;
  std::copy_n(name->data(), count, buffer);
  buffer[count] = 0;
  return static_cast<UINT>(count);
}

UINT CopyNameA(const std::optional<std::u16string>& name, LPSTR buffer, int size) {
  if (!name) return 0;
  if (!buffer || size <= 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  const std::string text = platform::Utf16ToUtf8(*name);
  size_t count = std::min(text.size(), static_cast<size_t>(size - 1));
  // Never split a UTF-8 sequence: back up to the start of the cut character.
  if (count < text.size()) {
    while (count > 0 && (static_cast<unsigned char>(text[count]) & 0xC0) == 0x80) --count;
  }
  std::copy_n(text.data(), count, buffer);
  buffer[count] = 0;
  return static_cast<UINT>(count);
}

}  // namespace

ATOM GlobalAddAtomA(LPCSTR name) { return GlobalTable().Add(ParseName(name)); }
ATOM GlobalAddAtomW(LPCWSTR name) { return GlobalTable().Add(ParseName(name)); }
ATOM GlobalDeleteAtom(ATOM atom) { return GlobalTable().Delete(atom); }
ATOM GlobalFindAtomA(LPCSTR name) { return GlobalTable().FindAtom(ParseName(name)); }
ATOM GlobalFindAtomW(LPCWSTR name) { return GlobalTable().FindAtom(ParseName(name)); }
UINT GlobalGetAtomNameA(ATOM atom, LPSTR buffer, int size) { return CopyNameA(GlobalTable().Name(atom), buffer, size); }
UINT GlobalGetAtomNameW(ATOM atom, LPWSTR buffer, int size) { return CopyNameW(GlobalTable().Name(atom), buffer, size); }

ATOM AddAtomA(LPCSTR name) { return LocalTable().Add(ParseName(name)); }
ATOM AddAtomW(LPCWSTR name) { return LocalTable().Add(ParseName(name)); }
ATOM DeleteAtom(ATOM atom) { return LocalTable().Delete(atom); }
ATOM FindAtomA(LPCSTR name) { return LocalTable().FindAtom(ParseName(name)); }
ATOM FindAtomW(LPCWSTR name) { return LocalTable().FindAtom(ParseName(name)); }
UINT GetAtomNameA(ATOM atom, LPSTR buffer, int size) { return CopyNameA(LocalTable().Name(atom), buffer, size); }
UINT GetAtomNameW(ATOM atom, LPWSTR buffer, int size) { return CopyNameW(LocalTable().Name(atom), buffer, size); }
