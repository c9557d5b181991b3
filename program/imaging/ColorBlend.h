#pragma once

// Alpha blending of 32-bit pixels for the skin engine: the fade animators blend two captured
// images of a control (BlendBitmaps), and the per-pixel alpha mode of the nine-grid drawing
// copies skin images onto device contexts (AlphaBlendDC).
//
// A colour here is a 32-bit value with blue in bits 0-7, green 8-15, red 16-23 and alpha
// 24-31: the byte order blue, green, red, alpha of a pf32bit pixel in memory.
//
// Every routine goes through one table of eight slots, filled once at start-up with either the
// plain routines or the SSE2 ones (chosen from the processor's features). Both variants give
// identical pixels: the SSE2 forms compute the plain arithmetic, four pixels at a time, and
// keep its special cases. The table is written before any window exists and only read
// afterwards, so any thread may blend.

#include <cstdint>

#include "platform/gdi/WinGdi.h"

class TBitmap;

enum class TBlendVariant { Plain, Sse2 };

struct TBlendRoutines {
  // W = 0 gives Y, W = 255 gives X, else every channel mixed with weight W.
  uint32_t (*MixColor)(uint32_t x, uint32_t y, uint8_t w);
  // W = 0 leaves Y, W = 255 stores X, else blue, green and red mixed and alpha 0.
  void (*MixColorTo)(uint32_t x, uint32_t& y, uint8_t w);
  // F over B with F's alpha as the weight (alpha 255 gives F, 0 gives B).
  uint32_t (*BlendColor)(uint32_t f, uint32_t b);
  void (*BlendColorTo)(uint32_t f, uint32_t& b);
  // F over B with the weight ((M + 1) x F's alpha) shr 8; a weight 0 gives B, else blue,
  // green and red mixed and alpha 0.
  uint32_t (*BlendColorEx)(uint32_t f, uint32_t b, uint8_t m);
  void (*BlendColorExTo)(uint32_t f, uint32_t& b, uint8_t m);
  // BlendColorTo over Count pixels (nothing for Count <= 0).
  void (*BlendRow)(const uint32_t* source, uint32_t* dest, int count);
  // BlendColorExTo over Count pixels with the master alpha M (nothing for Count <= 0).
  void (*BlendRowEx)(const uint32_t* source, uint32_t* dest, int count, uint8_t m);
};

// The routines in use.
const TBlendRoutines& BlendRoutines();
// Start-up: the SSE2 routines when the processor has SSE2, else the plain ones.
void SelectBlendRoutines();
// Puts one variant in the table (tests and benchmarks compare them); false, and the table
// unchanged, when this processor or build cannot run it.
bool SelectBlendRoutines(TBlendVariant variant);
TBlendVariant SelectedBlendVariant();
// The routines of one variant, without touching the table; nullptr when unavailable.
const TBlendRoutines* BlendRoutinesOf(TBlendVariant variant);

inline uint32_t MixColor(uint32_t x, uint32_t y, uint8_t w) { return BlendRoutines().MixColor(x, y, w); }
inline void MixColorTo(uint32_t x, uint32_t& y, uint8_t w) { BlendRoutines().MixColorTo(x, y, w); }
inline uint32_t BlendColor(uint32_t f, uint32_t b) { return BlendRoutines().BlendColor(f, b); }
inline void BlendColorTo(uint32_t f, uint32_t& b) { BlendRoutines().BlendColorTo(f, b); }
inline uint32_t BlendColorEx(uint32_t f, uint32_t b, uint8_t m) { return BlendRoutines().BlendColorEx(f, b, m); }
inline void BlendColorExTo(uint32_t f, uint32_t& b, uint8_t m) { BlendRoutines().BlendColorExTo(f, b, m); }
inline void BlendRow(const uint32_t* source, uint32_t* dest, int count) { BlendRoutines().BlendRow(source, dest, count); }
inline void BlendRowEx(const uint32_t* source, uint32_t* dest, int count, uint8_t m) {
  BlendRoutines().BlendRowEx(source, dest, count, m);
}

// Blends the Width x Height block of Src at (SrcX, SrcY) onto Dest at (DestX, DestY) with the
// master alpha Alpha (BlendRowEx per row). False, and nothing done, unless both bitmaps are
// pf32bit. The block is clipped to both bitmaps first.
bool BlendBitmaps(TBitmap* Dest, TBitmap* Src, int DestX, int SrcY, int Width, int Height, int SrcX, int DestY,
                  uint8_t Alpha);

// The platform's AlphaBlend argument list, blending straight in the memory of the 32-bit DIB
// sections selected into the two DCs (window origins honoured, the clipping region not). Blend
// is a BLENDFUNCTION as one value, BlendOp in the low byte; only SourceConstantAlpha and
// AlphaFormat are read: 0 blends with the constant alpha alone, AC_SRC_ALPHA with each source
// pixel's own alpha too (BlendRow, or BlendRowEx below a constant alpha of 255); any other
// format draws nothing and gives true. Other sizes, or DCs without 32-bit DIB sections, go
// through two temporary 32-bit bitmaps; a stretched block between two 32-bit DIB sections is
// blended in their memory too, each target pixel from the nearest source pixel (as a plain
// StretchBlt picks it). False, and nothing drawn, when a width or height of
// the source or of the target is below 1, or when the detour fails.
bool AlphaBlendDC(HDC DestDC, int X, int Y, int Width, int Height, HDC SrcDC, int SrcX, int SrcY, int SrcWidth,
                  int SrcHeight, uint32_t Blend);

// Packs a BLENDFUNCTION into the value AlphaBlendDC takes.
constexpr uint32_t BlendFunctionValue(BLENDFUNCTION blend) {
  return uint32_t{blend.BlendOp} | (uint32_t{blend.BlendFlags} << 8) | (uint32_t{blend.SourceConstantAlpha} << 16) |
         (uint32_t{blend.AlphaFormat} << 24);
}

namespace imaging::detail {
// The SSE2 routines; nullptr when the build has no SSE2.
const TBlendRoutines* Sse2BlendRoutines();
// Narrows a span [start, start + length) of one axis of a copy between two bitmaps so that it
// lies inside [0, limit) of both the source and the destination, moving both starts along.
// A length of 0 or less afterwards means nothing is left to copy.
void ClipSpan(int& sourceStart, int& destStart, int& length, int sourceLimit, int destLimit);
}  // namespace imaging::detail
