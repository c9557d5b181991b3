#pragma once

// The C API of the text-art engine (QM_Text.so): a text drawn with a font into a new image of
// the image engine (engines/QM_ImageProc/QM_ImageProc.h), which the caller owns and frees with
// DIDestroy.

#include <cstddef>
#include <cstdint>

#include "engines/common/EngineApi.h"
#include "engines/common/EngineHandles.h"

// What to draw (2368 bytes, zero-filled by the caller).
struct TNormalTextParam {
  char16_t text[1024];      // UTF-16, zero-terminated; lines end at CR, LF or CR LF
  char16_t faceName[128];   // UTF-16, zero-terminated; empty: the default sans-serif face
  uint32_t colour;          // COLORREF: red in the low byte
  int32_t pointSize;        // at 96 pixels per inch
  int32_t styleFlags;       // TextStyleFlag values
  uint8_t reserved[52];
};
static_assert(sizeof(TNormalTextParam) == 2368);
static_assert(offsetof(TNormalTextParam, text) == 0);
static_assert(offsetof(TNormalTextParam, faceName) == 2048);
static_assert(offsetof(TNormalTextParam, colour) == 2304);
static_assert(offsetof(TNormalTextParam, pointSize) == 2308);
static_assert(offsetof(TNormalTextParam, styleFlags) == 2312);

enum TextStyleFlag : int32_t {
  kTextBold = 1,
  kTextItalic = 2,
  kTextUnderline = 4,
  kTextStrikeOut = 8,
};

// Draws the text, antialiased, in its colour on a transparent background, into a new image
// whose picture is the tight bounds of the ink plus 2 pixels on every side: a 32-bit bottom-up
// DIB with straight alpha, as the image engine describes its pictures. Pixels without ink are
// all zero. `value` is reserved (callers pass 0). Answers the new image, or 0 when there is
// nothing to draw or the record is unusable: a null record, an empty text, a text or face
// name without its terminator inside its field, a size of 0 or less or too large for a picture,
// or a text without any visible ink (only blanks). Any thread.
ENGINE_API engines::EngineHandle GenerateNormalTextEx(const TNormalTextParam* param, int32_t value);
