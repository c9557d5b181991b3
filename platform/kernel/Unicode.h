#pragma once

// Lossless conversion between UTF-8 (the layer's ANSI code page) and UTF-16. Characters above
// U+FFFF become surrogate pairs and back; malformed input (bad sequences, overlong forms,
// encoded surrogates, unpaired surrogates) becomes U+FFFD, never a crash. Any thread.

#include <string>
#include <string_view>

namespace platform {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// True when the text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace platform
