#pragma once

// The language engine's state: the catalogue of language files found by the pattern and the
// loaded language. m_mutex guards every field. Every text handed out by GetText lives in the
// loaded language (its texts, or its copies of keys it lacks), so it stays valid until the
// language is replaced or closed.

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engines/QM_Language/LanguageFile.h"

namespace qmlanguage {

class LanguageEngine {
 public:
  int Init(std::u16string_view pattern);
  bool Load(std::u16string_view name);
  const char16_t* GetText(std::u16string_view key);
  bool HasText(std::u16string_view key);
  void Close();

 private:
  struct CatalogueEntry {
    std::string path;
    std::u16string foldedStem;         // file name without extension
    std::u16string foldedDisplayName;  // from the file's [Language] Name; may be empty
  };
  struct LoadedLanguage {
    LanguageData data;
    // Keys the language lacks, handed back as their own text. Node-based: the strings never move.
    std::unordered_set<std::u16string> echoedKeys;
  };

  void ScanLocked();
  const CatalogueEntry* FindLocked(const std::u16string& foldedName) const;

  std::mutex m_mutex;
  std::u16string m_pattern = u"Languages/*.dat";
  bool m_scanned = false;
  std::vector<CatalogueEntry> m_catalogue;
  std::unique_ptr<LoadedLanguage> m_current;
};

}  // namespace qmlanguage
