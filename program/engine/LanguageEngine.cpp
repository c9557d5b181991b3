#include "program/engine/LanguageEngine.h"

WideString LanguageText(std::u16string_view key) {
  const WideString zeroTerminated(key);
  return WideString(MLGetText(zeroTerminated.c_str()));
}
