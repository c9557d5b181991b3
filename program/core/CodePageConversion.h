#pragma once

// Conversion between 8-bit or multi-byte code pages and UTF-16 over iconv, for the text
// streams. Decoders and encoders keep their state between calls, so a double-byte character or
// a stateful escape sequence split across two reads is converted once and unchanged.
// The kernel's MultiByteToWideChar/WideCharToMultiByte convert one whole buffer per call and
// keep no state, so they cannot carry a split sequence or a shift state from one read to the
// next; the streams keep these converters for that.

#include <cstddef>
#include <cstdint>
#include <string>

namespace core::detail {

// The iconv name of a Windows code page number ("CP1252", "ISO-8859-2", "EUC-JP" ...): the
// kernel's name for the pages it converts, iconv's for a few more.
std::string CodePageCharsetName(unsigned codePage);

// Bytes of a code page to UTF-16. Bytes that do not form a character give U+FFFD.
class CodePageDecoder {
 public:
  // Raises nothing: Valid() tells whether the code page is known; ErrorCode() the errno.
  explicit CodePageDecoder(unsigned codePage);
  ~CodePageDecoder();
  CodePageDecoder(const CodePageDecoder&) = delete;
  CodePageDecoder& operator=(const CodePageDecoder&) = delete;

  bool Valid() const { return m_handle != reinterpret_cast<void*>(-1); }
  int ErrorCode() const { return m_error; }
  // Appends the characters of bytes[0, size) to out, at most maxUnits of them (at least two, so
  // that a surrogate pair fits); returns the number of bytes consumed. An incomplete sequence
  // at the end stays unconsumed unless final is set.
  size_t Decode(const char* bytes, size_t size, std::u16string& out, bool final, size_t maxUnits = SIZE_MAX);

 private:
  int m_error = 0;  // declared first: the handle's initialiser sets it
  void* m_handle;
};

// UTF-16 to the bytes of a code page. Characters the code page lacks become "?".
class CodePageEncoder {
 public:
  explicit CodePageEncoder(unsigned codePage);
  ~CodePageEncoder();
  CodePageEncoder(const CodePageEncoder&) = delete;
  CodePageEncoder& operator=(const CodePageEncoder&) = delete;

  bool Valid() const { return m_handle != reinterpret_cast<void*>(-1); }
  int ErrorCode() const { return m_error; }
  // Appends the encoding of units to out. A high surrogate at the end is kept for the next call.
  void Encode(const char16_t* units, size_t count, std::string& out);
  // Ends the output: returns a stateful encoding to its initial shift state.
  void Finish(std::string& out);

 private:
  void Convert(const char16_t* units, size_t count, std::string& out);

  int m_error = 0;
  void* m_handle;
  char16_t m_pendingHigh = 0;
};

}  // namespace core::detail
