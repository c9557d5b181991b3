#pragma once

// The text-art engine's binding ("QM_Text.dll"), bound by the first text rendering. The
// entry table is resolved here; the wrappers come with the text-art classes.

#include "program/engine/EngineLibrary.h"

class TTextArtLibrary : public TEngineLibrary {
 public:
  explicit TTextArtLibrary(AnsiString libraryName = "QM_Text.dll");
  ~TTextArtLibrary() override = default;

  enum Entry : size_t {
    kGetSupportFontCount, kGetSupportFontName, kGenerateNormalText, kGenerateNormalTextEx, kGetArtTextCount,
    kGetArtTextInfo, kGetIndexFromID, kGenerateArtText, kGenerateArtTextEx, kEntryCount
  };
};
