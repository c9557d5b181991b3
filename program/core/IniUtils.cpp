#include "program/core/IniUtils.h"

#include "platform/kernel/Profile.h"
#include "platform/kernel/Unicode.h"
#include "rtl/DateTime.h"
#include "rtl/Exceptions.h"
#include "rtl/Numbers.h"
#include "rtl/Strings.h"
#include "vcl/StringList.h"

namespace {

// Starting sizes of the read buffers, in characters with the terminator. A read that fills
// its buffer is repeated with a bigger one, so nothing is cut.
constexpr DWORD kWideValueChars = 4096;
constexpr DWORD kAnsiValueBytes = 2048;
constexpr DWORD kKeyListBytes = 16384;

[[noreturn]] void RaiseWriteError(const AnsiString& fileName) {
  throw Exception::CreateFmt("Unable to write to %s", {fileName});
}

// Reads through `read(buffer, size)`, which follows GetPrivateProfileString's rules: a value
// that does not fit returns size - 1 (size - 2 for a list), so a result that reaches that
// mark may have been cut and is read again with a buffer four times the size.
template <typename Char, typename Read>
std::basic_string<Char> ReadWhole(DWORD initialSize, DWORD cutMark, Read read) {
  std::basic_string<Char> buffer;
  for (DWORD size = initialSize;; size *= 4) {
    buffer.assign(size, Char(0));
    const DWORD length = read(buffer.data(), size);
    if (length < size - cutMark || size >= (1u << 24)) {
      buffer.resize(length);
      return buffer;
    }
  }
}

// Splits a zero-separated list ending with an empty name.
template <typename Char>
std::vector<std::basic_string<Char>> SplitList(const std::basic_string<Char>& list) {
  std::vector<std::basic_string<Char>> names;
  size_t start = 0;
  while (start < list.size() && list[start] != 0) {
    size_t end = list.find(Char(0), start);
    if (end == std::basic_string<Char>::npos) end = list.size();
    names.emplace_back(list, start, end - start);
    start = end + 1;
  }
  return names;
}

}  // namespace

WideString IniReadString(const WideString& fileName, const WideString& section, const WideString& key,
                         const WideString& defaultValue) {
  return ReadWhole<char16_t>(kWideValueChars, 1, [&](char16_t* buffer, DWORD size) {
    return GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(), buffer, size,
                                    fileName.c_str());
  });
}

AnsiString IniReadAnsiString(const AnsiString& fileName, const AnsiString& section, const AnsiString& key,
                             const AnsiString& defaultValue) {
  return ReadWhole<char>(kAnsiValueBytes, 1, [&](char* buffer, DWORD size) {
    return GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer, size,
                                    fileName.c_str());
  });
}

AnsiString IniReadStringA(const AnsiString& fileName, const AnsiString& section, const AnsiString& key,
                          const AnsiString& defaultValue) {
  return IniReadAnsiString(fileName, section, key, defaultValue);
}

int IniReadInteger(const WideString& fileName, const WideString& section, const WideString& key, int defaultValue) {
  AnsiString text = WideToUTF8(IniReadString(fileName, section, key, u""));
  if (text.size() >= 3 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.replace(0, 2, "$");
  Integer value = 0;
  if (text.empty() || !TryStrToInt(text, value)) return defaultValue;
  return value;
}

double IniReadFloat(const WideString& fileName, const WideString& section, const WideString& key,
                    double defaultValue) {
  const AnsiString text = WideToUTF8(IniReadString(fileName, section, key, u""));
  double value = 0;
  if (text.empty() || !TryStrToFloat(text, value)) return defaultValue;
  return value;
}

void IniWriteString(const WideString& fileName, const WideString& section, const WideString& key,
                    const WideString& value) {
  if (!WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), fileName.c_str()))
    RaiseWriteError(WideToUTF8(fileName));
}

int IniWriteAnsiString(const AnsiString& fileName, const AnsiString& section, const AnsiString& key,
                       const AnsiString& value) {
  const BOOL result = WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), fileName.c_str());
  if (!result) RaiseWriteError(fileName);
  return result;
}

int IniWriteStringA(const AnsiString& fileName, const AnsiString& section, const AnsiString& key,
                    const AnsiString& value) {
  return IniWriteAnsiString(fileName, section, key, value);
}

void IniWriteBool(const WideString& fileName, const WideString& section, const WideString& key, bool value) {
  IniWriteString(fileName, section, key, value ? u"1" : u"0");
}

void IniWriteDateTime(const WideString& fileName, const WideString& section, const WideString& key,
                      TDateTime value) {
  IniWriteString(fileName, section, key, UTF8ToWide(DateTimeToStr(value)));
}

std::vector<AnsiString> IniReadSectionKeys(const WideString& fileName, const WideString& section) {
  const std::u16string list = ReadWhole<char16_t>(kKeyListBytes / 2, 2, [&](char16_t* buffer, DWORD size) {
    return GetPrivateProfileStringW(section.c_str(), nullptr, nullptr, buffer, size, fileName.c_str());
  });
  std::vector<AnsiString> keys;
  for (const std::u16string& name : SplitList(list)) keys.push_back(WideToUTF8(name));
  return keys;
}

std::vector<AnsiString> IniReadSectionKeysA(const AnsiString& fileName, const AnsiString& section) {
  const std::string list = ReadWhole<char>(kKeyListBytes, 2, [&](char* buffer, DWORD size) {
    return GetPrivateProfileStringA(section.c_str(), nullptr, nullptr, buffer, size, fileName.c_str());
  });
  return SplitList(list);
}

namespace {

void FillList(TStrings& list, const std::vector<AnsiString>& keys) {
  list.BeginUpdate();
  try {
    list.Clear();
    for (const AnsiString& key : keys) list.Add(key);
  } catch (...) {
    list.EndUpdate();
    throw;
  }
  list.EndUpdate();
}

}  // namespace

void IniReadSection(const WideString& fileName, const WideString& section, TStrings& list) {
  FillList(list, IniReadSectionKeys(fileName, section));
}

void IniReadSectionA(const AnsiString& fileName, const AnsiString& section, TStrings& list) {
  FillList(list, IniReadSectionKeysA(fileName, section));
}

bool IniValueExists(const WideString& fileName, const WideString& section, const WideString& key) {
  const AnsiString wanted = WideToUTF8(key);
  for (const AnsiString& name : IniReadSectionKeys(fileName, section))
    if (AnsiSameText(name, wanted)) return true;
  return false;
}

void IniEraseSection(const WideString& fileName, const WideString& section) {
  if (!WritePrivateProfileStringW(section.c_str(), nullptr, nullptr, fileName.c_str()))
    RaiseWriteError(WideToUTF8(fileName));
}

void IniFlush(const WideString& fileName) { WritePrivateProfileStringW(nullptr, nullptr, nullptr, fileName.c_str()); }
