#include "engines/QM_Language/QM_Language.h"

#include <string_view>

#include "engines/QM_Language/LanguageEngine.h"

namespace {

// Never destroyed: a caller may still hold texts while the process unloads libraries.
qmlanguage::LanguageEngine& TheEngine() {
  static auto* engine = new qmlanguage::LanguageEngine;
  return *engine;
}

std::u16string_view View(const char16_t* text) { return text ? std::u16string_view(text) : std::u16string_view(); }

}  // namespace

ENGINE_API int32_t MLInit(const char16_t* pattern) {
  try {
    return TheEngine().Init(View(pattern));
  } catch (...) {
    return 0;
  }
}

ENGINE_API int32_t MLLoadLanguageResByName(const char16_t* name) {
  try {
    return TheEngine().Load(View(name)) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

ENGINE_API const char16_t* MLGetText(const char16_t* key) {
  if (!key) return u"";
  try {
    return TheEngine().GetText(key);
  } catch (...) {
    // Out of memory while copying an unknown key: hand back the caller's own text rather
    // than null.
    return key;
  }
}

ENGINE_API void MLClose() {
  try {
    TheEngine().Close();
  } catch (...) {
  }
}
