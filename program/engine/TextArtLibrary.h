#pragma once

// The text-art engine's binding ("QM_Text.dll"), bound by the first text rendering.

#include "program/engine/EngineLibrary.h"

struct TNormalTextParam;

class TTextArtLibrary : public TEngineLibrary {
 public:
  explicit TTextArtLibrary(AnsiString libraryName = "QM_Text.dll");
  ~TTextArtLibrary() override = default;

  // Draws the requested text into a new image of the image engine and returns its handle,
  // which the caller owns; 0 on failure or when the engine lacks the entry. Binds the library
  // first when needed, and so raises EOSError naming it when it cannot be loaded. Only
  // `param` and `value` reach the engine; every caller passes 0 for the three numbers.
  TEngineHandle GenerateNormalTextEx(const TNormalTextParam* param, int32_t value, int32_t reserved1,
                                     int32_t reserved2);

  enum Entry : size_t {
    kGetSupportFontCount, kGetSupportFontName, kGenerateNormalText, kGenerateNormalTextEx, kGetArtTextCount,
    kGetArtTextInfo, kGetIndexFromID, kGenerateArtText, kGenerateArtTextEx, kEntryCount
  };
};
