#include "program/net/Base64.h"

AnsiString Base64Encode(const RawByteString& source, bool omitPadding) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  AnsiString out;
  out.reserve((source.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= source.size(); i += 3) {
    const uint32_t v = (static_cast<uint8_t>(source[i]) << 16) | (static_cast<uint8_t>(source[i + 1]) << 8) |
                       static_cast<uint8_t>(source[i + 2]);
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  const size_t rest = source.size() - i;
  if (rest > 0) {
    uint32_t v = static_cast<uint8_t>(source[i]) << 16;
    if (rest == 2) v |= static_cast<uint8_t>(source[i + 1]) << 8;
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    if (rest == 2) out += kAlphabet[(v >> 6) & 63];
    if (!omitPadding) out.append(rest == 1 ? "==" : "=");
  }
  return out;
}
