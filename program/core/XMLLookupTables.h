#pragma once

// Character classes of XML 1.0 for the parser: one byte of class bits per UTF-16 code unit,
// built once when the program starts (static initialisation) and read-only afterwards, so any
// thread may ask. A value wider than 16 bits is looked up by its low 16 bits.

#include <cstdint>

namespace xmlclass {
constexpr uint8_t BaseChar = 1;
constexpr uint8_t CombiningChar = 2;
constexpr uint8_t Digit = 4;
constexpr uint8_t Ideographic = 8;
constexpr uint8_t Letter = 16;
constexpr uint8_t Extender = 32;
constexpr uint8_t Char = 64;
constexpr uint8_t NameChar = 128;
}  // namespace xmlclass

// The 65,536-entry table.
const uint8_t* XMLCharClasses();

inline bool XMLHasClass(uint32_t c, uint8_t bits) { return (XMLCharClasses()[c & 0xFFFF] & bits) != 0; }
inline bool IsXMLLetter(uint32_t c) { return XMLHasClass(c, xmlclass::Letter); }
inline bool IsXMLChar(uint32_t c) { return XMLHasClass(c, xmlclass::Char); }
inline bool IsXMLNameChar(uint32_t c) { return XMLHasClass(c, xmlclass::NameChar); }
inline bool IsXMLNameStart(uint32_t c, bool first) {
  return first ? (IsXMLLetter(c) || c == u'_' || c == u':') : IsXMLNameChar(c);
}
inline bool IsXMLWhiteSpace(uint32_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
