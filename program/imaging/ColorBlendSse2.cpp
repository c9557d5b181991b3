// The SSE2 blend routines: the plain arithmetic of ColorBlend.cpp in 16-bit lanes, four
// pixels a step, with the same special cases, so that both variants give identical pixels.

#include "program/imaging/ColorBlend.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace {

// Per 16-bit lane: ((f x w + 128) shr 8) + ((b x (255 - w) + 128) shr 8). Every product is at
// most 255 x 255 + 128, so the lanes never carry.
inline __m128i MixLanes(__m128i f, __m128i b, __m128i w) {
  const __m128i round = _mm_set1_epi16(128);
  const __m128i full = _mm_set1_epi16(255);
  __m128i front = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(f, w), round), 8);
  __m128i back = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(b, _mm_sub_epi16(full, w)), round), 8);
  return _mm_add_epi16(front, back);
}

// Mixes four pixels of F over B, each with its own weight (0 to 255 in a 32-bit lane).
inline __m128i MixPixels(__m128i f, __m128i b, __m128i weights) {
  const __m128i zero = _mm_setzero_si128();
  // [w0, 0, w1, 0 ...] in 16-bit lanes becomes w0 in four lanes, then w1 in four.
  __m128i low = _mm_unpacklo_epi32(weights, weights);
  low = _mm_shufflehi_epi16(_mm_shufflelo_epi16(low, 0), 0);
  __m128i high = _mm_unpackhi_epi32(weights, weights);
  high = _mm_shufflehi_epi16(_mm_shufflelo_epi16(high, 0), 0);
  __m128i mixedLow = MixLanes(_mm_unpacklo_epi8(f, zero), _mm_unpacklo_epi8(b, zero), low);
  __m128i mixedHigh = MixLanes(_mm_unpackhi_epi8(f, zero), _mm_unpackhi_epi8(b, zero), high);
  return _mm_packus_epi16(mixedLow, mixedHigh);
}

// mask ? a : b, per bit.
inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

// BlendColorTo on four pixels: alpha 0 keeps B, 255 takes F, else all four channels.
inline __m128i BlendFour(__m128i f, __m128i b) {
  __m128i alpha = _mm_srli_epi32(f, 24);
  __m128i mixed = MixPixels(f, b, alpha);
  __m128i clear = _mm_cmpeq_epi32(alpha, _mm_setzero_si128());
  __m128i opaque = _mm_cmpeq_epi32(alpha, _mm_set1_epi32(255));
  return Select(opaque, f, Select(clear, b, mixed));
}

// BlendColorExTo on four pixels: weight ((M + 1) x alpha) shr 8; weight 0 keeps B, else
// blue, green, red mixed and alpha 0.
inline __m128i BlendFourEx(__m128i f, __m128i b, __m128i masterPlusOne) {
  // alpha x (M + 1) is at most 65280: it fits the low 16 bits of each 32-bit lane.
  __m128i weights = _mm_srli_epi32(_mm_mullo_epi16(_mm_srli_epi32(f, 24), masterPlusOne), 8);
  __m128i mixed = _mm_and_si128(MixPixels(f, b, weights), _mm_set1_epi32(0x00FFFFFF));
  return Select(_mm_cmpeq_epi32(weights, _mm_setzero_si128()), b, mixed);
}

inline __m128i Load1(uint32_t pixel) { return _mm_cvtsi32_si128(static_cast<int>(pixel)); }
inline uint32_t Store1(__m128i pixels) { return static_cast<uint32_t>(_mm_cvtsi128_si32(pixels)); }
inline __m128i Weight1(uint32_t w) { return _mm_cvtsi32_si128(static_cast<int>(w)); }

uint32_t Sse2MixColor(uint32_t x, uint32_t y, uint8_t w) {
  if (w == 0) return y;
  if (w == 255) return x;
  return Store1(MixPixels(Load1(x), Load1(y), Weight1(w)));
}

void Sse2MixColorTo(uint32_t x, uint32_t& y, uint8_t w) {
  if (w == 0) return;
  y = w == 255 ? x : Store1(MixPixels(Load1(x), Load1(y), Weight1(w))) & 0x00FFFFFF;
}

uint32_t Sse2BlendColor(uint32_t f, uint32_t b) { return Store1(BlendFour(Load1(f), Load1(b))); }

void Sse2BlendColorTo(uint32_t f, uint32_t& b) { b = Store1(BlendFour(Load1(f), Load1(b))); }

uint32_t Sse2BlendColorEx(uint32_t f, uint32_t b, uint8_t m) {
  return Store1(BlendFourEx(Load1(f), Load1(b), _mm_set1_epi32(m + 1)));
}

void Sse2BlendColorExTo(uint32_t f, uint32_t& b, uint8_t m) {
  b = Store1(BlendFourEx(Load1(f), Load1(b), _mm_set1_epi32(m + 1)));
}

void Sse2BlendRow(const uint32_t* source, uint32_t* dest, int count) {
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dest + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i), BlendFour(f, b));
  }
  for (; i < count; ++i) dest[i] = Store1(BlendFour(Load1(source[i]), Load1(dest[i])));
}

void Sse2BlendRowEx(const uint32_t* source, uint32_t* dest, int count, uint8_t m) {
  const __m128i masterPlusOne = _mm_set1_epi32(m + 1);
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dest + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i), BlendFourEx(f, b, masterPlusOne));
  }
  for (; i < count; ++i) dest[i] = Store1(BlendFourEx(Load1(source[i]), Load1(dest[i]), masterPlusOne));
}

constexpr TBlendRoutines kSse2Routines{Sse2MixColor,     Sse2MixColorTo,     Sse2BlendColor, Sse2BlendColorTo,
                                   Sse2BlendColorEx, Sse2BlendColorExTo, Sse2BlendRow,   Sse2BlendRowEx};

}  // namespace

const TBlendRoutines* imaging::detail::Sse2BlendRoutines() { return &kSse2Routines; }

#else

const TBlendRoutines* imaging::detail::Sse2BlendRoutines() { return nullptr; }

#endif
