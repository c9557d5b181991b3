// Window tests of the program install this while their windows live: every text key a window
// looks up that the language lacks fails the test, keys computed at run time included.

#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/kernel/Unicode.h"
#include "program/engine/LanguageEngine.h"

inline std::unique_ptr<TScopedLanguageMissHook> FailOnMissingText() {
  return std::make_unique<TScopedLanguageMissHook>([](std::u16string_view key) {
    ADD_FAILURE() << "the language has no text for " << platform::Utf16ToUtf8(key);
  });
}
