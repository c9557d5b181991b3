#include "engines/QM_Language/LanguageEngine.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/kernel/PathResolve.h"
#include "platform/kernel/ProgramFolder.h"
#include "platform/kernel/Unicode.h"

namespace qmlanguage {
namespace detail {

bool ReadFile(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  content.assign(std::istreambuf_iterator<char>(in), {});
  return !in.bad();
}

}  // namespace detail

namespace {

std::u16string TrimBlanks(std::u16string_view text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
  return std::u16string(text);
}

}  // namespace

int LanguageEngine::Init(std::u16string_view pattern) {
  std::lock_guard lock(m_mutex);
  if (!pattern.empty()) m_pattern = pattern;
  ScanLocked();
  return static_cast<int>(m_catalogue.size());
}

void LanguageEngine::ScanLocked() {
  m_scanned = true;
  m_catalogue.clear();
  std::string pattern = platform::Utf16ToUtf8(m_pattern);
  std::replace(pattern.begin(), pattern.end(), '\\', '/');
  if (pattern.front() != '/') pattern = platform::ProgramFolder() + "/" + pattern;
  const size_t slash = pattern.rfind('/');
  const std::string mask = pattern.substr(slash + 1);
  // The folder may differ in case from the pattern; the mask matches names without regard to case.
  const std::string folder = platform::FileSystemPath(slash == 0 ? "/" : pattern.substr(0, slash));
  DIR* dir = opendir(folder.c_str());
  if (!dir) {
    std::fprintf(stderr, "QM_Language: no folder of language files for '%s'\n", pattern.c_str());
    return;
  }
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir)) {
    if (fnmatch(mask.c_str(), entry->d_name, FNM_CASEFOLD | FNM_PERIOD) == 0) names.emplace_back(entry->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());

  for (const std::string& name : names) {
    CatalogueEntry entry;
    entry.path = folder + "/" + name;
    struct stat info {};
    if (stat(entry.path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    const size_t dot = name.rfind('.');
    entry.foldedStem = FoldKey(platform::Utf8ToUtf16(dot == 0 || dot == std::string::npos ? name : name.substr(0, dot)));
    // The display name; a malformed file is still listed by its file name and reports its
    // fault when it is loaded.
    std::string content;
    std::string error;
    LanguageData data;
    if (detail::ReadFile(entry.path, content) && ParseLanguage(content, data, error)) {
      entry.foldedDisplayName = FoldKey(TrimBlanks(data.displayName));
    }
    m_catalogue.push_back(std::move(entry));
  }
}

const LanguageEngine::CatalogueEntry* LanguageEngine::FindLocked(const std::u16string& foldedName) const {
  for (const auto& entry : m_catalogue) {
    if (entry.foldedStem == foldedName) return &entry;
  }
  for (const auto& entry : m_catalogue) {
    if (!entry.foldedDisplayName.empty() && entry.foldedDisplayName == foldedName) return &entry;
  }
  return nullptr;
}

bool LanguageEngine::Load(std::u16string_view name) {
  std::lock_guard lock(m_mutex);
  const std::u16string wanted = FoldKey(TrimBlanks(name));
  if (!m_scanned) ScanLocked();
  const CatalogueEntry* entry = wanted.empty() ? nullptr : FindLocked(wanted);
  if (!entry && !wanted.empty()) {
    // A language file may have been added since the folder was read.
    ScanLocked();
    entry = FindLocked(wanted);
  }
  if (!entry) {
    std::fprintf(stderr, "QM_Language: no language named '%s' among the files '%s'\n",
                 platform::Utf16ToUtf8(name).c_str(), platform::Utf16ToUtf8(m_pattern).c_str());
    return false;
  }

  std::string content;
  if (!detail::ReadFile(entry->path, content)) {
    std::fprintf(stderr, "QM_Language: cannot read '%s'\n", entry->path.c_str());
    return false;
  }
  auto loaded = std::make_unique<LoadedLanguage>();
  std::string error;
  if (!ParseLanguage(content, loaded->data, error)) {
    std::fprintf(stderr, "QM_Language: cannot load '%s': %s\n", entry->path.c_str(), error.c_str());
    return false;
  }
  m_current = std::move(loaded);
  return true;
}

const char16_t* LanguageEngine::GetText(std::u16string_view key) {
  std::lock_guard lock(m_mutex);
  if (!m_current) m_current = std::make_unique<LoadedLanguage>();
  const auto& texts = m_current->data.texts;
  if (const auto found = texts.find(FoldKey(key)); found != texts.end()) return found->second.c_str();
  return m_current->echoedKeys.emplace(key).first->c_str();
}

bool LanguageEngine::HasText(std::u16string_view key) {
  std::lock_guard lock(m_mutex);
  return m_current && m_current->data.texts.count(FoldKey(key)) != 0;
}

void LanguageEngine::Close() {
  std::lock_guard lock(m_mutex);
  m_current.reset();
  m_catalogue.clear();
  m_scanned = false;
  m_pattern = u"Languages/*.dat";
}

}  // namespace qmlanguage
