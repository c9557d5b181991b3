#include "program/engine/LanguageEngine.h"

#include <cstdlib>
#include <utility>

#include "platform/kernel/DebugOutput.h"
#include "platform/kernel/Unicode.h"

namespace {

TLanguageMissHook& MissHook() {
  static TLanguageMissHook hook;
  return hook;
}

}  // namespace

WideString LanguageText(std::u16string_view key) {
  const WideString zeroTerminated(key);
  WideString text(MLGetText(zeroTerminated.c_str()));
  const TLanguageMissHook& hook = MissHook();
  if (hook || std::getenv("BRANTWELL_DEBUG_OUTPUT") != nullptr) {
    if (MLHasText(zeroTerminated.c_str()) == 0) {
      if (hook) hook(key);
      else OutputDebugStringA(("the language has no text for '" + platform::Utf16ToUtf8(key) + "'\n").c_str());
    }
  }
  return text;
}

TLanguageMissHook SetLanguageMissHook(TLanguageMissHook hook) { return std::exchange(MissHook(), std::move(hook)); }
