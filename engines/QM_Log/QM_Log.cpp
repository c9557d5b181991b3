#include "engines/QM_Log/QM_Log.h"

#include <string>

#include "engines/common/EngineGuard.h"
#include "engines/QM_Log/Logger.h"
#include "platform/kernel/Unicode.h"

namespace {

// Never destroyed: other libraries may still log while the process unloads them.
qmlog::Logger& TheLogger() {
  static auto* logger = new qmlog::Logger;
  return *logger;
}

std::u16string_view View(const char16_t* text) { return text ? std::u16string_view(text) : std::u16string_view(); }

}  // namespace

ENGINE_API int32_t QMLogInit(const char16_t* name, int32_t, int32_t, int32_t) {
  return engines::Guarded("QMLogInit", static_cast<int32_t>(0), [&]() -> int32_t {
    return TheLogger().Open(platform::Utf16ToUtf8(View(name))) ? 1 : 0;
  });
}

ENGINE_API void QMLog(const char16_t* text) {
  engines::Guarded("QMLog", [&] {
    TheLogger().Write(qmlog::LineKind::Log, platform::Utf16ToUtf8(View(text)));
  });
}

ENGINE_API void QMOutput(const char* text) {
  engines::Guarded("QMOutput", [&] {
    // The text is in the ANSI code page (UTF-8); malformed bytes become U+FFFD so the log
    // stays valid UTF-8.
    const std::string_view raw = text ? std::string_view(text) : std::string_view();
    if (platform::IsValidUtf8(raw)) {
      TheLogger().Write(qmlog::LineKind::Trace, raw);
    } else {
      TheLogger().Write(qmlog::LineKind::Trace, platform::Utf16ToUtf8(platform::Utf8ToUtf16(raw)));
    }
  });
}
