#pragma once

// Helpers for the buffer-filling calls of the kernel layer: convert between the "A" (UTF-8)
// and "W" (UTF-16) forms, and copy a result into a caller's buffer with Windows' length rules.

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/kernel/Unicode.h"
#include "platform/kernel/WinError.h"

namespace platform::detail {

inline std::string Narrow(const char16_t* text) { return text ? Utf16ToUtf8(text) : std::string(); }
inline std::string Narrow(const char* text) { return text ? std::string(text) : std::string(); }

template <typename Char>
using TextOf = std::basic_string<Char>;

template <typename Char>
TextOf<Char> Widen(std::string_view utf8) {
  if constexpr (sizeof(Char) == 2) {
    return Utf8ToUtf16(utf8);
  } else {
    return std::string(utf8);
  }
}

// The usual rule: when the text and its terminator fit, copy and return the length without
// the terminator; otherwise return the size needed including the terminator and leave the
// buffer alone (an empty string when the buffer has room for the terminator).
template <typename Char>
DWORD CopyOrNeeded(const TextOf<Char>& text, Char* buffer, DWORD size) {
  if (buffer && text.size() < size) {
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = 0;
    return static_cast<DWORD>(text.size());
  }
  if (buffer && size > 0) buffer[0] = 0;
  return static_cast<DWORD>(text.size() + 1);
}

}  // namespace platform::detail
