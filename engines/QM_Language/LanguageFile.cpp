#include "engines/QM_Language/LanguageFile.h"

#include "platform/kernel/Unicode.h"

namespace qmlanguage {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool Unescape(std::string_view text, std::string& out, std::string& error) {
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) {
      error = "a text ends with a lone '\\' (write \\\\ for a backslash)";
      return false;
    }
    switch (text[i]) {
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case '\\': out += '\\'; break;
      default:
        error = std::string("unknown escape '\\") + text[i] + "' (known: \\n \\t \\\\)";
        return false;
    }
  }
  return true;
}

}  // namespace

std::u16string FoldKey(std::u16string_view key) {
  std::u16string folded(key);
  for (char16_t& c : folded) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return folded;
}

bool ParseLanguage(std::string_view content, LanguageData& data, std::string& error) {
  LanguageData parsed;
  if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
  bool inHeader = false;
  bool nameSeen = false;
  int lineNumber = 0;
  const auto fail = [&](const std::string& what) {
    error = "line " + std::to_string(lineNumber) + ": " + what;
    return false;
  };

  while (!content.empty()) {
    ++lineNumber;
    const size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!platform::IsValidUtf8(line)) return fail("the text is not valid UTF-8");

    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') return fail("a section header must end with ']'");
      const std::string_view section = Trim(line.substr(1, line.size() - 2));
      if (section.empty()) return fail("a section header needs a name");
      inHeader = FoldKey(platform::Utf8ToUtf16(section)) == u"language";
      continue;
    }

    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return fail("expected 'key = text', found no '='");
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.empty()) return fail("a text has no key before '='");
    for (const char c : key) {
      if (c == ' ' || c == '\t' || static_cast<unsigned char>(c) >= 0x80) {
        return fail("the key '" + std::string(key) + "' may hold only ASCII characters without blanks");
      }
    }
    std::string value;
    std::string escapeError;
    if (!Unescape(Trim(line.substr(equals + 1)), value, escapeError)) return fail(escapeError);

    const std::u16string folded = FoldKey(platform::Utf8ToUtf16(key));
    if (inHeader) {
      // Other keys of the header (author, version ...) describe the file and are not texts.
      if (folded != u"name") continue;
      if (nameSeen) return fail("the language's Name is given twice");
      nameSeen = true;
      parsed.displayName = platform::Utf8ToUtf16(value);
      continue;
    }
    if (!parsed.texts.emplace(folded, platform::Utf8ToUtf16(value)).second) {
      return fail("the key '" + std::string(key) + "' is given twice");
    }
  }
  data = std::move(parsed);
  return true;
}

}  // namespace qmlanguage
