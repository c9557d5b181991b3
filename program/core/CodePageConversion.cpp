#include "program/core/CodePageConversion.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "platform/kernel/CodePages.h"

namespace core::detail {

std::string CodePageCharsetName(unsigned codePage) {
  if (const char* name = platform::CodePageIconvName(codePage)) return name;
  // Pages the kernel does not convert but iconv knows.
  switch (codePage) {
    case 50221: case 50222: return "ISO-2022-JP";
    case 51936: return "EUC-CN";
    case 51949: return "EUC-KR";
    case 54936: return "GB18030";
    default: break;
  }
  return "CP" + std::to_string(codePage);
}

namespace {

constexpr char kUtf16[] = "UTF-16LE";

void* Open(const std::string& to, const std::string& from, int& error) {
  iconv_t handle = iconv_open(to.c_str(), from.c_str());
  if (handle == reinterpret_cast<iconv_t>(-1)) error = errno;
  return handle;
}

}  // namespace

CodePageDecoder::CodePageDecoder(unsigned codePage)
    : m_handle(Open(kUtf16, CodePageCharsetName(codePage), m_error)) {}

CodePageDecoder::~CodePageDecoder() {
  if (Valid()) iconv_close(static_cast<iconv_t>(m_handle));
}

size_t CodePageDecoder::Decode(const char* bytes, size_t size, std::u16string& out, bool final, size_t maxUnits) {
  char* in = const_cast<char*>(bytes);
  size_t inLeft = size;
  char16_t chunk[1024];
  size_t produced = 0;
  while (inLeft > 0 && produced < maxUnits) {
    char* outPtr = reinterpret_cast<char*>(chunk);
    const size_t room = std::max<size_t>(2, std::min<size_t>(1024, maxUnits - produced));
    size_t outLeft = room * sizeof(char16_t);
    const size_t result = iconv(static_cast<iconv_t>(m_handle), &in, &inLeft, &outPtr, &outLeft);
    const int error = result == static_cast<size_t>(-1) ? errno : 0;
    const size_t units = (room * sizeof(char16_t) - outLeft) / sizeof(char16_t);
    out.append(chunk, units);
    produced += units;
    if (error == E2BIG) continue;
    if (error == EILSEQ) {
      out.push_back(u'\xFFFD');
      ++produced;
      ++in;
      --inLeft;
      continue;
    }
    if (error == EINVAL) {
      if (!final) break;
      out.push_back(u'\xFFFD');
      inLeft = 0;
      iconv(static_cast<iconv_t>(m_handle), nullptr, nullptr, nullptr, nullptr);
    }
  }
  return size - inLeft;
}

CodePageEncoder::CodePageEncoder(unsigned codePage)
    : m_handle(Open(CodePageCharsetName(codePage), kUtf16, m_error)) {}

CodePageEncoder::~CodePageEncoder() {
  if (Valid()) iconv_close(static_cast<iconv_t>(m_handle));
}

void CodePageEncoder::Convert(const char16_t* units, size_t count, std::string& out) {
  char* in = reinterpret_cast<char*>(const_cast<char16_t*>(units));
  size_t inLeft = count * sizeof(char16_t);
  char chunk[2048];
  while (inLeft > 0) {
    char* outPtr = chunk;
    size_t outLeft = sizeof(chunk);
    const size_t result = iconv(static_cast<iconv_t>(m_handle), &in, &inLeft, &outPtr, &outLeft);
    const int error = result == static_cast<size_t>(-1) ? errno : 0;
    out.append(chunk, sizeof(chunk) - outLeft);
    if (error == E2BIG) continue;
    if (error == EILSEQ || error == EINVAL) {
      // A character the code page cannot hold (or a lone surrogate): the default character.
      const char16_t* at = reinterpret_cast<const char16_t*>(in);
      const bool pair = inLeft >= 4 && at[0] >= 0xD800 && at[0] < 0xDC00 && at[1] >= 0xDC00 && at[1] < 0xE000;
      const size_t skip = pair ? 4 : 2;
      in += skip;
      inLeft -= skip;
      static const char16_t question = u'?';
      Convert(&question, 1, out);
    }
  }
}

void CodePageEncoder::Encode(const char16_t* units, size_t count, std::string& out) {
  if (count == 0) return;
  std::u16string joined;
  if (m_pendingHigh != 0) {
    joined.assign(1, m_pendingHigh);
    joined.append(units, count);
    m_pendingHigh = 0;
    units = joined.data();
    count = joined.size();
  }
  if (units[count - 1] >= 0xD800 && units[count - 1] < 0xDC00) {
    m_pendingHigh = units[count - 1];
    --count;
  }
  Convert(units, count, out);
}

void CodePageEncoder::Finish(std::string& out) {
  if (m_pendingHigh != 0) {
    const char16_t question = u'?';
    m_pendingHigh = 0;
    Convert(&question, 1, out);
  }
  char chunk[64];
  char* outPtr = chunk;
  size_t outLeft = sizeof(chunk);
  iconv(static_cast<iconv_t>(m_handle), nullptr, nullptr, &outPtr, &outLeft);
  out.append(chunk, sizeof(chunk) - outLeft);
}

}  // namespace core::detail
