// Parses arbitrary bytes as a language data file. A file that parses must give texts that can
// be found again by their folded keys; a file that does not must leave the data untouched and
// say what is wrong.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engines/QM_Language/LanguageFile.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  qmlanguage::LanguageData language;
  language.displayName = u"before";
  language.texts.emplace(u"kept", u"text");
  std::string error;
  if (!qmlanguage::ParseLanguage(content, language, error)) {
    Check(!error.empty());
    Check(language.displayName == u"before" && language.texts.size() == 1 && language.texts.count(u"kept") == 1);
    return 0;
  }
  for (const auto& [key, text] : language.texts) {
    Check(qmlanguage::FoldKey(key) == key);
    Check(language.texts.count(qmlanguage::FoldKey(key)) == 1);
  }
  return 0;
}
