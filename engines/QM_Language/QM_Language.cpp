#include "engines/QM_Language/QM_Language.h"

#include <string_view>

#include "engines/common/EngineGuard.h"
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
  return engines::Guarded("MLInit", static_cast<int32_t>(0), [&]() -> int32_t {
    return TheEngine().Init(View(pattern));
  });
}

ENGINE_API int32_t MLLoadLanguageResByName(const char16_t* name) {
  return engines::Guarded("MLLoadLanguageResByName", static_cast<int32_t>(0), [&]() -> int32_t {
    return TheEngine().Load(View(name)) ? 1 : 0;
  });
}

ENGINE_API const char16_t* MLGetText(const char16_t* key) {
  if (!key) return u"";
  // Out of memory while copying an unknown key: hand back the caller's own text rather
  // than null.
  return engines::Guarded("MLGetText", static_cast<const char16_t*>(key), [&]() -> const char16_t* {
    return TheEngine().GetText(key);
  });
}

ENGINE_API int32_t MLHasText(const char16_t* key) {
  if (!key) return 0;
  return engines::Guarded("MLHasText", static_cast<int32_t>(0), [&]() -> int32_t {
    return TheEngine().HasText(key) ? 1 : 0;
  });
}

ENGINE_API void MLClose() {
  engines::Guarded("MLClose", [&] {
    TheEngine().Close();
  });
}
