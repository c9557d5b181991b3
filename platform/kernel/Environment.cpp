#include "platform/kernel/Environment.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <string>

#include "platform/kernel/TextBuffers.h"

namespace platform::detail {

namespace {

std::mutex& EnvironmentLock() {
  static std::mutex lock;
  return lock;
}

// The program reads its command line with Windows' plain scanner: a double quote starts a
// quoted run that ends at the next one, and nothing is escaped. So an argument with blanks or
// control characters is quoted whole, and a double quote inside an argument, which that
// scanner cannot express, is left out rather than turned into escapes it would read literally.
std::string QuoteArgument(const std::string& argument) {
  bool needsQuotes = argument.empty();
  std::string text;
  text.reserve(argument.size());
  for (const char c : argument) {
    if (c == '"') continue;
    if (static_cast<unsigned char>(c) <= 32) needsQuotes = true;
    text += c;
  }
  return needsQuotes ? "\"" + text + "\"" : text;
}

std::string CommandLineUtf8() {
  std::ifstream file("/proc/self/cmdline", std::ios::binary);
  const std::string raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::string line;
  size_t start = 0;
  while (start < raw.size()) {
    size_t end = raw.find('\0', start);
    if (end == std::string::npos) end = raw.size();
    if (!line.empty()) line += ' ';
    line += QuoteArgument(raw.substr(start, end - start));
    start = end + 1;
  }
  return line;
}

std::optional<std::string> Lookup(const std::string& name) {
  std::lock_guard lock(EnvironmentLock());
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

bool ValidName(const std::string& name) { return !name.empty() && name.find('=') == std::string::npos; }

template <typename Char>
DWORD GetVariable(const std::string& name, Char* buffer, DWORD size) {
  const auto value = ValidName(name) ? Lookup(name) : std::nullopt;
  if (!value) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  SetLastError(ERROR_SUCCESS);
  return CopyOrNeeded<Char>(Widen<Char>(*value), buffer, size);
}

BOOL SetVariable(const std::string& name, const char* value) {
  if (!ValidName(name)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(EnvironmentLock());
  if (value) setenv(name.c_str(), value, 1);
  else unsetenv(name.c_str());
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

std::string ExpandUtf8(const std::string& source) {
  std::string out;
  for (size_t i = 0; i < source.size(); ++i) {
    if (source[i] == '%') {
      const auto close = source.find('%', i + 1);
      if (close != std::string::npos && close > i + 1) {
        if (const auto value = Lookup(source.substr(i + 1, close - i - 1))) {
          out += *value;
          i = close;
          continue;
        }
      }
    }
    out += source[i];
  }
  return out;
}

template <typename Char>
DWORD ExpandInto(const std::string& source, Char* destination, DWORD size) {
  const TextOf<Char> text = Widen<Char>(ExpandUtf8(source));
  if (destination && text.size() < size) {
    std::copy(text.begin(), text.end(), destination);
    destination[text.size()] = 0;
  }
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(text.size() + 1);
}

}  // namespace

}  // namespace platform::detail

using namespace platform::detail;

LPSTR GetCommandLineA() {
  static std::string line = CommandLineUtf8();
  return line.data();
}

LPWSTR GetCommandLineW() {
  static std::u16string line = platform::Utf8ToUtf16(GetCommandLineA());
  return line.data();
}

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) { return GetVariable<char>(Narrow(name), buffer, size); }
DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
  return GetVariable<char16_t>(Narrow(name), buffer, size);
}
BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value) { return SetVariable(Narrow(name), value); }
BOOL SetEnvironmentVariableW(LPCWSTR name, LPCWSTR value) {
  const std::string narrow = Narrow(value);
  return SetVariable(Narrow(name), value ? narrow.c_str() : nullptr);
}
DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size) {
  return ExpandInto<char>(Narrow(source), destination, size);
}
DWORD ExpandEnvironmentStringsW(LPCWSTR source, LPWSTR destination, DWORD size) {
  return ExpandInto<char16_t>(Narrow(source), destination, size);
}
