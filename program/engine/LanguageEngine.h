#pragma once

// The language engine (QM_Language), imported at link time: MLInit, MLLoadLanguageResByName,
// MLGetText and MLClose, called on the GUI thread. Start-up calls MLInit("Languages/*.dat")
// and loads "EngLish" (or the configured language); MLClose follows the message loop.
// MLGetText never returns null: a key the language lacks comes back as itself.

#include <string_view>

#include "engines/QM_Language/QM_Language.h"
#include "rtl/SysTypes.h"

// The text of `key` in the current language, copied at once.
WideString LanguageText(std::u16string_view key);
