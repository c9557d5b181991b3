#include "platform/kernel/CodePages.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/kernel/TextBuffers.h"

namespace platform::detail {

namespace {

struct CodePageName {
  UINT codePage;
  const char* iconvName;
  UINT maxCharSize;
};

constexpr CodePageName kCodePages[] = {
    {437, "CP437", 1},       {850, "CP850", 1},          {852, "CP852", 1},        {866, "CP866", 1},
    {874, "CP874", 1},       {932, "CP932", 2},          {936, "GBK", 2},          {949, "CP949", 2},
    {950, "BIG5", 2},        {1200, "UTF-16LE", 4},      {1201, "UTF-16BE", 4},    {1250, "CP1250", 1},
    {1251, "CP1251", 1},     {1252, "CP1252", 1},        {1253, "CP1253", 1},      {1254, "CP1254", 1},
    {1255, "CP1255", 1},     {1256, "CP1256", 1},        {1257, "CP1257", 1},      {1258, "CP1258", 1},
    {10000, "MACINTOSH", 1}, {12000, "UTF-32LE", 4},     {12001, "UTF-32BE", 4},   {20127, "ASCII", 1},
    {20866, "KOI8-R", 1},    {21866, "KOI8-U", 1},       {28591, "ISO-8859-1", 1}, {28592, "ISO-8859-2", 1},
    {28593, "ISO-8859-3", 1}, {28594, "ISO-8859-4", 1},  {28595, "ISO-8859-5", 1}, {28596, "ISO-8859-6", 1},
    {28597, "ISO-8859-7", 1}, {28598, "ISO-8859-8", 1},  {28599, "ISO-8859-9", 1}, {28603, "ISO-8859-13", 1},
    {28605, "ISO-8859-15", 1}, {50220, "ISO-2022-JP", 5}, {51932, "EUC-JP", 3},     {65000, "UTF-7", 5},
};

// CP_ACP and friends are UTF-8 here; 0 for an unknown page.
UINT Canonical(UINT codePage) {
  if (codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP) return CP_UTF8;
  if (codePage == CP_MACCP) return 10000;
  return codePage;
}

const CodePageName* Find(UINT codePage) {
  for (const auto& entry : kCodePages) {
    if (entry.codePage == codePage) return &entry;
  }
  return nullptr;
}

struct Converter {
  explicit Converter(const char* to, const char* from) : handle(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(handle);
  }
  bool valid() const { return handle != reinterpret_cast<iconv_t>(-1); }
  iconv_t handle;
};

bool Available(UINT codePage) {
  const UINT canonical = Canonical(codePage);
  if (canonical == CP_UTF8) return true;
  const CodePageName* entry = Find(canonical);
  return entry && Converter("UTF-32LE", entry->iconvName).valid();
}

// Decodes bytes of a code page into UTF-16. False when invalid input must fail.
bool Decode(UINT codePage, const char* input, size_t length, bool strict, std::u16string& out) {
  if (codePage == CP_UTF8) {
    const std::string_view text(input, length);
    if (strict && !IsValidUtf8(text)) return false;
    out = Utf8ToUtf16(text);
    return true;
  }
  Converter converter("UTF-32LE", Find(codePage)->iconvName);
  char* in = const_cast<char*>(input);
  size_t inLeft = length;
  std::u32string decoded;
  char32_t chunk[256];
  while (inLeft > 0) {
    char* outPointer = reinterpret_cast<char*>(chunk);
    size_t outLeft = sizeof chunk;
    const size_t result = iconv(converter.handle, &in, &inLeft, &outPointer, &outLeft);
    decoded.append(chunk, (sizeof chunk - outLeft) / sizeof(char32_t));
    if (result == static_cast<size_t>(-1) && errno != E2BIG) {
      if (strict) return false;
      const auto byte = static_cast<unsigned char>(*in);
      // The undefined bytes of 1252 are C1 controls, as Windows maps them.
      if (codePage == 1252 && (byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D)) {
        decoded.push_back(byte);
      } else {
        decoded.push_back(U'?');
      }
      ++in;
      --inLeft;
    }
  }
  for (const char32_t c : decoded) {
    if (c >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return true;
}

// Encodes UTF-16 into a code page. False when invalid input must fail.
bool Encode(UINT codePage, const char16_t* input, size_t length, bool strict, const char* defaultChar,
            bool& usedDefault, std::string& out) {
  std::u32string points;
  bool unpaired = false;
  for (size_t i = 0; i < length; ++i) {
    const char16_t c = input[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && input[i + 1] >= 0xDC00 && input[i + 1] <= 0xDFFF) {
      points.push_back(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (input[i + 1] - 0xDC00));
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      unpaired = true;
      points.push_back(0xFFFD);
    } else {
      points.push_back(c);
    }
  }
  if (codePage == CP_UTF8) {
    if (strict && unpaired) return false;
    out = Utf16ToUtf8(std::u16string_view(input, length));
    return true;
  }
  Converter converter(Find(codePage)->iconvName, "UTF-32LE");
  char buffer[64];
  auto feed = [&](char32_t point) {
    char* in = reinterpret_cast<char*>(&point);
    size_t inLeft = sizeof point;
    char* outPointer = buffer;
    size_t outLeft = sizeof buffer;
    const size_t result = iconv(converter.handle, &in, &inLeft, &outPointer, &outLeft);
    if (result == static_cast<size_t>(-1)) return false;
    out.append(buffer, sizeof buffer - outLeft);
    return true;
  };
  for (const char32_t point : points) {
    if (feed(point)) continue;
    usedDefault = true;
    const std::string fallback = defaultChar ? defaultChar : "?";
    // Through iconv when it is a plain ASCII character, so that stateful pages switch
    // back to ASCII before it.
    if (!(fallback.size() == 1 && static_cast<unsigned char>(fallback[0]) < 0x80 && feed(fallback[0]))) out += fallback;
  }
  // Return a stateful encoding to its initial shift state.
  char* outPointer = buffer;
  size_t outLeft = sizeof buffer;
  iconv(converter.handle, nullptr, nullptr, &outPointer, &outLeft);
  out.append(buffer, sizeof buffer - outLeft);
  return true;
}

template <typename Char>
int Deliver(const std::basic_string<Char>& result, Char* output, int outputLength) {
  if (outputLength == 0) return static_cast<int>(result.size());
  if (result.size() > static_cast<size_t>(outputLength)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(result.begin(), result.end(), output);
  return static_cast<int>(result.size());
}

}  // namespace

}  // namespace platform::detail

using namespace platform::detail;

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength, LPWSTR wide, int wideLength) {
  const UINT page = Canonical(codePage);
  if (!multiByte || multiByteLength == 0 || multiByteLength < -1 || wideLength < 0 || (wideLength > 0 && !wide)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!Available(page)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if ((page == CP_UTF8 || page == CP_UTF7) && (flags & ~MB_ERR_INVALID_CHARS)) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const size_t length = multiByteLength == -1 ? std::strlen(multiByte) + 1 : static_cast<size_t>(multiByteLength);
  std::u16string result;
  if (!Decode(page, multiByte, length, flags & MB_ERR_INVALID_CHARS, result)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  SetLastError(ERROR_SUCCESS);
  return Deliver<char16_t>(result, wide, wideLength);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR multiByte, int multiByteLength,
                        LPCSTR defaultChar, BOOL* usedDefaultChar) {
  const UINT page = Canonical(codePage);
  if (!wide || wideLength == 0 || wideLength < -1 || multiByteLength < 0 || (multiByteLength > 0 && !multiByte)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!Available(page)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if ((page == CP_UTF8 || page == CP_UTF7) && (defaultChar || usedDefaultChar)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t length = 0;
  if (wideLength == -1) {
    while (wide[length]) ++length;
    ++length;
  } else {
    length = static_cast<size_t>(wideLength);
  }
  std::string result;
  bool usedDefault = false;
  if (!Encode(page, wide, length, flags & WC_ERR_INVALID_CHARS, defaultChar, usedDefault, result)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  if (usedDefaultChar) *usedDefaultChar = usedDefault ? TRUE : FALSE;
  SetLastError(ERROR_SUCCESS);
  return Deliver<char>(result, multiByte, multiByteLength);
}

UINT GetACP() { return CP_UTF8; }
UINT GetOEMCP() { return CP_UTF8; }

BOOL IsValidCodePage(UINT codePage) {
  if (codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_MACCP || codePage == CP_THREAD_ACP) return FALSE;
  return Available(codePage) ? TRUE : FALSE;
}

BOOL GetCPInfo(UINT codePage, CPINFO* info) {
  const UINT page = Canonical(codePage);
  if (!info || !Available(page)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::memset(info, 0, sizeof *info);
  info->DefaultChar[0] = '?';
  info->MaxCharSize = page == CP_UTF8 ? 4 : Find(page)->maxCharSize;
  const BYTE* ranges = nullptr;
  static constexpr BYTE k932[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
  static constexpr BYTE kWide[] = {0x81, 0xFE, 0, 0};
  if (page == 932) ranges = k932;
  else if (page == 936 || page == 949 || page == 950) ranges = kWide;
  for (size_t i = 0; ranges && (ranges[i] || ranges[i + 1]); i += 2) {
    info->LeadByte[i] = ranges[i];
    info->LeadByte[i + 1] = ranges[i + 1];
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

const char* platform::CodePageIconvName(UINT codePage) {
  const UINT page = platform::detail::Canonical(codePage);
  if (page == CP_UTF8) return "UTF-8";
  const auto* entry = platform::detail::Find(page);
  return entry ? entry->iconvName : nullptr;
}
