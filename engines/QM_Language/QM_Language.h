#pragma once

// The language engine's entry points: every visible text of the program by text key. The
// program imports them at link time and calls them on the GUI thread (they are thread-safe
// all the same). Texts are UTF-16 and zero-terminated.

#include <cstdint>

#include "engines/common/EngineApi.h"

// Sets where the language files are: a file pattern such as "Languages\*.dat" ('\' or '/'
// delimited; relative to the program folder unless absolute). Returns the number of language
// files found. Without this call the engine uses "Languages/*.dat".
ENGINE_API int32_t MLInit(const char16_t* pattern);

// Loads a language, named by its file name without extension ("EngLish") or by the display
// name its file gives ("English"), without regard to ASCII case or surrounding blanks.
// Returns 1 when loaded; 0 when there is no such language or its file is malformed (the
// reason goes to standard error), and then the current language stays.
ENGINE_API int32_t MLLoadLanguageResByName(const char16_t* name);

// The text of `key` in the current language; the key itself when the language lacks it (or
// none is loaded); "" for a null key. Never null. The text stays valid until the next
// MLLoadLanguageResByName or MLClose.
ENGINE_API const char16_t* MLGetText(const char16_t* key);

// Whether the current language gives a text of its own for `key` (case does not matter);
// 0 for a null key and when no language is loaded. It hands out nothing.
ENGINE_API int32_t MLHasText(const char16_t* key);

// Frees the current language and every text handed out.
ENGINE_API void MLClose();
