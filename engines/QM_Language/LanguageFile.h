#pragma once

// Reads one language data file (the format is described in resources/Languages/README):
// UTF-8 lines of `key = text`, `[Section]` headers, `#` comments, escapes \n \t \\ in texts.
// The section "[Language]" describes the file itself (Name = the display name); every other
// section only groups texts. Keys are ASCII names compared without regard to case.

#include <string>
#include <string_view>
#include <unordered_map>

namespace qmlanguage {

struct LanguageData {
  std::u16string displayName;                              // empty when the file gives none
  std::unordered_map<std::u16string, std::u16string> texts;  // by FoldKey(key)
};

// Parses `content`. On malformed input returns false and describes the first fault with its
// line number in `error`; nothing is half-loaded.
bool ParseLanguage(std::string_view content, LanguageData& data, std::string& error);

// A key or name folded for comparison: ASCII letters in lower case, everything else kept.
std::u16string FoldKey(std::u16string_view key);

}  // namespace qmlanguage
