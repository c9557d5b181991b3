#include "platform/kernel/Unicode.h"

#include <cstdint>

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at text[pos]; advances pos past what was consumed. A malformed
// sequence consumes its lead byte and the continuation bytes that were valid so far.
char32_t DecodeUtf8(std::string_view text, size_t& pos, bool& valid) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(pos);
  valid = true;
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  int extra = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    cp = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    cp = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    cp = lead & 0x07;
    minimum = 0x10000;
  } else {
    ++pos;
    valid = false;
    return kReplacement;
  }
  size_t i = pos + 1;
  for (int k = 0; k < extra; ++k, ++i) {
    if (i >= text.size() || (byte(i) & 0xC0) != 0x80) {
      pos = i;
      valid = false;
      return kReplacement;
    }
    cp = (cp << 6) | (byte(i) & 0x3F);
  }
  pos = i;
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    valid = false;
    return kReplacement;
  }
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    bool valid = true;
    const char32_t cp = DecodeUtf8(text, pos, valid);
    if (cp >= 0x10000) {
      const char32_t v = cp - 0x10000;
      out += static_cast<char16_t>(0xD800 + (v >> 10));
      out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3 / 2);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        const char32_t cp = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                            (static_cast<char32_t>(text[i + 1]) - 0xDC00);
        AppendUtf8(out, cp);
        ++i;
      } else {
        AppendUtf8(out, kReplacement);
      }
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

bool IsValidUtf8(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    bool valid = true;
    DecodeUtf8(text, pos, valid);
    if (!valid) return false;
  }
  return true;
}

}  // namespace platform
