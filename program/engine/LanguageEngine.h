#pragma once

// The language engine (QM_Language), imported at link time: MLInit, MLLoadLanguageResByName,
// MLGetText, MLHasText and MLClose, called on the GUI thread. Start-up calls
// MLInit("Languages/*.dat") and loads "EngLish" (or the configured language); MLClose follows
// the message loop. MLGetText never returns null: a key the language lacks comes back as
// itself.
//
// Every text the program shows goes through LanguageText, which reports each key the current
// language lacks to the miss hook: tests install one that fails the test; without a hook the
// key goes to the debugger output (standard error with BRANTWELL_DEBUG_OUTPUT set).

#include <functional>
#include <string_view>

#include "engines/QM_Language/QM_Language.h"
#include "rtl/SysTypes.h"

// The text of `key` in the current language, copied at once.
WideString LanguageText(std::u16string_view key);

using TLanguageMissHook = std::function<void(std::u16string_view key)>;
// Installs the hook (an empty one restores the debugger output); returns the one it replaces.
TLanguageMissHook SetLanguageMissHook(TLanguageMissHook hook);

// Installs a hook for a scope and puts the former one back at its end.
class TScopedLanguageMissHook {
 public:
  explicit TScopedLanguageMissHook(TLanguageMissHook hook) : m_former(SetLanguageMissHook(std::move(hook))) {}
  ~TScopedLanguageMissHook() { SetLanguageMissHook(std::move(m_former)); }
  TScopedLanguageMissHook(const TScopedLanguageMissHook&) = delete;
  TScopedLanguageMissHook& operator=(const TScopedLanguageMissHook&) = delete;

 private:
  TLanguageMissHook m_former;
};
