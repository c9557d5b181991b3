#include "program/core/TextStreams.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "program/core/CodePageConversion.h"

namespace {

constexpr Word kAnsiCodePage = 65001;  // the system's ANSI code page is UTF-8

bool IsUnicodeCodePage(Word codePage) {
  return codePage == CP_UTF8_TEXT || codePage == CP_UTF16_TEXT || codePage == CP_UTF32_TEXT;
}

bool IsHighSurrogate(uint32_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLowSurrogate(uint32_t c) { return c >= 0xDC00 && c < 0xE000; }

void AppendCodePoint(std::u16string& out, uint32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else if (c <= 0x10FFFF) {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  } else {
    out.push_back(u'\xFFFD');
  }
}

// Lenient UTF-8 decoding: continuation bytes are not checked, so every byte string decodes to
// something; a lead byte whose sequence is cut off at the end stops the decoding there.
size_t DecodeUtf8(const unsigned char* p, size_t n, std::u16string& out) {
  size_t i = 0;
  while (i < n) {
    const unsigned b = p[i];
    if (b < 0x80) {
      out.push_back(static_cast<char16_t>(b));
      ++i;
    } else if ((b & 0xE0) == 0xC0) {
      if (n - i < 2) break;
      out.push_back(static_cast<char16_t>(((b & 0x1F) << 6) | (p[i + 1] & 0x3F)));
      i += 2;
    } else if ((b & 0xF8) == 0xF0) {
      if (n - i < 4) break;
      AppendCodePoint(out, ((b & 0x07) << 18) | ((p[i + 1] & 0x3Fu) << 12) | ((p[i + 2] & 0x3Fu) << 6) |
                               (p[i + 3] & 0x3Fu));
      i += 4;
    } else {
      if (n - i < 3) break;
      out.push_back(static_cast<char16_t>(((b & 0x0F) << 12) | ((p[i + 1] & 0x3Fu) << 6) | (p[i + 2] & 0x3Fu)));
      i += 3;
    }
  }
  return i;
}

// UTF-8 encoding; a surrogate pair becomes one 4-byte sequence, a lone surrogate and U+0000 are
// written as 3-byte forms (U+0000 as E0 80 80, as the stored files have it).
void EncodeUtf8Unit(uint32_t c, std::string& out) {
  if (c >= 0x10000) {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c >= 0x0001 && c <= 0x007F) {
    out.push_back(static_cast<char>(c));
  } else if (c >= 0x0080 && c <= 0x07FF) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

void SwapUnits(char* bytes, size_t size) {
  for (size_t i = 0; i + 1 < size; i += 2) std::swap(bytes[i], bytes[i + 1]);
}

}  // namespace

// --- TVokStreamWrapper ------------------------------------------------------------------------

int64_t TVokStreamWrapper::Seek(int64_t offset, Word origin) {
  if (!DelayedSeek && offset == 0 && origin == soFromCurrent) {
    DelayedSeek = true;
    DelayedOrigin = soFromCurrent;
    DelayedOffset = 0;
    CachedPosition = WrappedPosition();
    return CachedPosition;
  }
  if (DelayedSeek && DelayedOrigin == soFromCurrent && DelayedOffset == 0) {
    if (origin == soFromCurrent && offset == 0) return CachedPosition;
    if (origin == soFromEnd) {
      DelayedOrigin = soFromEnd;
      DelayedOffset = offset;
      return WrappedStream->GetSize() + offset;
    }
  }
  if (DelayedSeek && DelayedOrigin == soFromEnd && origin == soFromBeginning && offset == CachedPosition) {
    DelayedSeek = false;
    return CachedPosition;
  }
  // Any other seek: carry out what is pending first, so seeks keep their order.
  FlushDelayedSeek();
  return WrappedSeek(offset, origin);
}

void TVokStreamWrapper::FlushDelayedSeek() {
  if (DelayedSeek && !(DelayedOrigin == soFromCurrent && DelayedOffset == 0)) WrappedSeek(DelayedOffset, DelayedOrigin);
  DelayedSeek = false;
}

// --- TVokTextStream ---------------------------------------------------------------------------

TVokTextStream::TVokTextStream(TStream* stream, Byte access, Byte flags, Word codePage)
    : TVokStreamWrapper(stream), FAccess(access), FFlags(flags) {
  if ((flags & tsfUnicode) && codePage != CP_UTF8_TEXT && codePage != CP_UTF32_TEXT)
    SetCodepage(CP_UTF16_TEXT);
  else
    SetCodepage(codePage);
  PrepareStream();
}

TVokTextStream::~TVokTextStream() {
  try {
    Flush();
  } catch (...) {
    // A destructor cannot report; callers that care call Flush() themselves.
  }
}

AnsiString TVokTextStream::StreamName(const AnsiString& text) const {
  return text.empty() ? AnsiString("TVokTextStream") : "TVokTextStream." + text;
}

void TVokTextStream::SetCodepage(Word codePage) {
  RewindUndelivered();
  if (IsUnicodeCodePage(codePage)) {
    FCodepage = codePage;
    FFlags |= tsfUnicode;
  } else {
    if (codePage != 0)
      FCodepage = codePage;
    else
      FCodepage = (FFlags & tsfUnicode) ? 0 : kAnsiCodePage;
    if (FCodepage != 0 && !IsUnicodeCodePage(FCodepage)) FFlags &= ~tsfUnicode;
  }
  if (FCodepage != CP_UTF16_TEXT && FCodepage != CP_UTF32_TEXT && FCodepage != 0) FFlags &= ~tsfBigEndian;
  m_decoder.reset();
  m_encoder.reset();
}

void TVokTextStream::DetectMark() {
  FFlags = 0;
  const int64_t size = WrappedStream->GetSize();
  unsigned char mark[4] = {};
  if (size >= 4) {
    WrappedStream->SetPosition(0);
    WrappedStream->Read(mark, 4);
    if (std::memcmp(mark, "\xFF\xFE\0\0", 4) == 0) {
      FFlags = tsfUnicode;
      FCodepage = CP_UTF32_TEXT;
    } else if (std::memcmp(mark, "\xFE\xFF\0\0", 4) == 0) {
      FFlags = tsfUnicode | tsfBigEndian;
      FCodepage = CP_UTF32_TEXT;
    }
  }
  if (size >= 2 && FCodepage != CP_UTF32_TEXT) {
    WrappedStream->SetPosition(0);
    WrappedStream->Read(mark, 2);
    if (mark[0] == 0xFF && mark[1] == 0xFE) {
      FFlags = tsfUnicode;
      FCodepage = CP_UTF16_TEXT;
    } else if (mark[0] == 0xFE && mark[1] == 0xFF) {
      FFlags = tsfUnicode | tsfBigEndian;
      FCodepage = CP_UTF16_TEXT;
    } else if (mark[0] == 0xEF && mark[1] == 0xBB && size >= 3) {
      WrappedStream->Read(mark + 2, 1);
      if (mark[2] == 0xBF) {
        FFlags = tsfUnicode;
        FCodepage = CP_UTF8_TEXT;
      }
    }
  }
  if (!IsUnicode()) {
    WrappedStream->SetPosition(0);
    if (IsUnicodeCodePage(FCodepage)) FFlags = tsfUnicode;
  }
}

void TVokTextStream::WriteMark() {
  if (!IsUnicode()) return;
  if (FCodepage == CP_UTF32_TEXT)
    WriteBytes(IsSwapped() ? std::string("\xFE\xFF\0\0", 4) : std::string("\xFF\xFE\0\0", 4));
  else if (FCodepage == CP_UTF8_TEXT)
    (FFlags & tsfWriteUtf8Mark) ? WriteBytes("\xEF\xBB\xBF") : void();
  else
    WriteBytes(IsSwapped() ? "\xFE\xFF" : "\xFF\xFE");
}

void TVokTextStream::PrepareStream() {
  switch (FAccess) {
    case tsaRead:
      DetectMark();
      break;
    case tsaWrite:
      if (IsUnicodeCodePage(FCodepage)) FFlags |= tsfUnicode;
      WrappedStream->SetSize(0);
      WrappedStream->SetPosition(0);
      WriteMark();
      break;
    case tsaReadWrite:
      if (IsUnicodeCodePage(FCodepage)) FFlags |= tsfUnicode;
      if (WrappedStream->GetSize() == 0) WriteMark();
      break;
    case tsaAppend:
    default:
      DetectMark();
      WrappedStream->Seek(0, soFromEnd);
      if (!IsUnicode() && IsUnicodeCodePage(FCodepage)) FFlags |= tsfUnicode;
      break;
  }
}

void TVokTextStream::RaiseSystemError(const char* method, int error) {
  FWindowsError = static_cast<unsigned>(error);
  const AnsiString name = StreamName(method);
  if (error != 0)
    throw EVokTextStream(name + " failed. System Error.  Code: " + std::to_string(error) + ".\r\n" +
                             std::strerror(error) + " (code page " + std::to_string(FCodepage) + ")",
                         tsErrSystem);
  throw EVokTextStream(name + " failed. A call to an OS function failed", tsErrOSFunction);
}

size_t TVokTextStream::DecodeRaw(const unsigned char* bytes, size_t size, std::u16string& out, size_t maxUnits,
                                 bool final) {
  size_t consumed = 0;
  const size_t start = out.size();
  if (IsUnicode() && FCodepage == CP_UTF8_TEXT) {
    // Decode sequence by sequence so that no more than maxUnits are produced.
    while (consumed < size && out.size() - start < maxUnits) {
      const unsigned b = bytes[consumed];
      const size_t length = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF8) == 0xF0 ? 4 : 3;
      if (size - consumed < length) break;
      consumed += DecodeUtf8(bytes + consumed, length, out);
    }
  } else if (IsUnicode() && FCodepage == CP_UTF32_TEXT) {
    for (; size - consumed >= 4 && out.size() - start < maxUnits; consumed += 4) {
      unsigned char b[4] = {bytes[consumed], bytes[consumed + 1], bytes[consumed + 2], bytes[consumed + 3]};
      if (IsSwapped()) SwapUnits(reinterpret_cast<char*>(b), 4);
      AppendCodePoint(out, b[0] | (b[1] << 8) | (b[2] << 16) | (uint32_t{b[3]} << 24));
    }
  } else if (IsUnicode()) {
    for (; size - consumed >= 2 && out.size() - start < maxUnits; consumed += 2) {
      const unsigned lo = bytes[consumed + (IsSwapped() ? 1 : 0)];
      const unsigned hi = bytes[consumed + (IsSwapped() ? 0 : 1)];
      out.push_back(static_cast<char16_t>(lo | (hi << 8)));
    }
  } else {
    if (!m_decoder) {
      m_decoder = std::make_unique<core::detail::CodePageDecoder>(FCodepage);
      if (!m_decoder->Valid()) {
        const int error = m_decoder->ErrorCode();
        m_decoder.reset();
        RaiseSystemError("Read", error);
      }
    }
    consumed = m_decoder->Decode(reinterpret_cast<const char*>(bytes), size, out, final, maxUnits);
  }
  // Bytes of a sequence cut off by the end of the stream are dropped.
  if (final && out.size() - start < maxUnits) consumed = size;
  return consumed;
}

void TVokTextStream::ReserveRaw(size_t count) {
  if (m_rawCapacity - m_rawSize >= count) return;
  const size_t pending = m_rawSize - m_rawAt;
  if (m_rawCapacity - pending >= count) {
    // Converted bytes are never looked at again once a new batch starts.
    std::memmove(m_raw.get(), m_raw.get() + m_rawAt, pending);
  } else {
    const size_t capacity = std::max(m_rawCapacity * 2, pending + count);
    auto grown = std::make_unique_for_overwrite<char[]>(capacity);
    if (pending) std::memcpy(grown.get(), m_raw.get() + m_rawAt, pending);
    m_raw = std::move(grown);
    m_rawCapacity = capacity;
  }
  m_rawSize = pending;
  m_rawAt = 0;
}

bool TVokTextStream::FillDecoded(size_t wanted) {
  m_unitsBefore += static_cast<int64_t>(m_decodedAt);
  m_decoded.clear();
  m_decodedAt = 0;
  wanted = std::max<size_t>(wanted, 1);
  // Enough bytes for the units asked for in any encoding (four bytes make at least one unit),
  // and not much more: a short input costs a short buffer.
  const size_t chunk = std::clamp<size_t>(wanted * 4, 256, size_t{1} << 20);
  for (bool final = false;;) {
    m_batchRawStart = m_rawAt;
    m_rawAt += DecodeRaw(reinterpret_cast<const unsigned char*>(m_raw.get()) + m_rawAt, m_rawSize - m_rawAt,
                         m_decoded, wanted, final);
    if (!m_decoded.empty() || final) return !m_decoded.empty();
    // Raw bytes may be read ahead freely: a code page switch re-reads them. The batch starts
    // again at the top of the loop, so the block may move here.
    ReserveRaw(chunk);
    const size_t room = std::min<size_t>(m_rawCapacity - m_rawSize, std::numeric_limits<int32_t>::max());
    const int32_t n = WrappedStream->Read(m_raw.get() + m_rawSize, static_cast<int32_t>(room));
    if (n > 0) m_rawSize += static_cast<size_t>(n);
    else final = true;
  }
}

bool TVokTextStream::ReadUnitSlow(char16_t& unit) {
  FlushDelayedSeek();
  if (!FillDecoded(4096)) return false;
  unit = m_decoded[m_decodedAt++];
  return true;
}

void TVokTextStream::RewindUndelivered() {
  if (m_decodedAt >= m_decoded.size()) return;
  // Find how many bytes of the batch the delivered units took, by decoding it again.
  const auto* bytes = reinterpret_cast<const unsigned char*>(m_raw.get());
  size_t position = m_batchRawStart;
  std::u16string scratch;
  m_decoder.reset();
  while (scratch.size() < m_decodedAt && position < m_rawAt) {
    size_t step = 0;
    for (size_t length = 1; length <= 8 && step == 0 && position + length <= m_rawAt; ++length)
      step = DecodeRaw(bytes + position, length, scratch, 2, false);
    if (step == 0) break;
    position += step;
  }
  m_unitsBefore += static_cast<int64_t>(m_decodedAt);
  m_rawAt = position;
  m_decoded.clear();
  m_decodedAt = 0;
}

int32_t TVokTextStream::Read(void* buffer, int32_t count) {
  FlushDelayedSeek();
  if (!IsUnicode() && (count & 1))
    throw EVokTextStream(StreamName() + ":Cannot convert odd number of bytes: " + std::to_string(count), tsErrOddBytes);
  if (count <= 0) return 0;
  auto* out = static_cast<char16_t*>(buffer);
  const size_t units = static_cast<size_t>(count) / 2;
  size_t produced = 0;
  while (produced < units) {
    if (m_decodedAt < m_decoded.size()) {
      const size_t n = std::min(units - produced, m_decoded.size() - m_decodedAt);
      std::memcpy(out + produced, m_decoded.data() + m_decodedAt, n * sizeof(char16_t));
      produced += n;
      m_decodedAt += n;
      continue;
    }
    if (!FillDecoded(units - produced)) break;
  }
  return static_cast<int32_t>(produced * 2);
}

void TVokTextStream::WriteBytes(const std::string& bytes) {
  if (bytes.empty()) return;
  if (bytes.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()) ||
      WrappedStream->Write(bytes.data(), static_cast<int32_t>(bytes.size())) != static_cast<int32_t>(bytes.size()))
    throw EWriteError(StreamName("Write") + " failed: the stream took fewer bytes than written");
}

int32_t TVokTextStream::Write(const void* buffer, int32_t count) {
  FlushDelayedSeek();
  if (!IsUnicode() && (count & 1))
    throw EVokTextStream(StreamName() + ":Cannot convert odd number of bytes: " + std::to_string(count), tsErrOddBytes);
  if (count <= 0) return 0;
  const auto* units = static_cast<const char16_t*>(buffer);
  const size_t n = static_cast<size_t>(count) / 2;
  m_encoded.clear();
  if (IsUnicode() && (FCodepage == CP_UTF8_TEXT || FCodepage == CP_UTF32_TEXT)) {
    for (size_t i = 0; i < n; ++i) {
      uint32_t c = units[i];
      if (m_pendingHigh != 0) {
        if (IsLowSurrogate(c)) {
          c = 0x10000 + ((m_pendingHigh - 0xD800u) << 10) + (c - 0xDC00u);
        } else {
          // A lone high surrogate is kept as the unit it was.
          if (FCodepage == CP_UTF8_TEXT) EncodeUtf8Unit(m_pendingHigh, m_encoded);
          else m_encoded.append({static_cast<char>(m_pendingHigh & 0xFF), static_cast<char>(m_pendingHigh >> 8), 0, 0});
        }
        m_pendingHigh = 0;
      }
      if (IsHighSurrogate(c)) {
        m_pendingHigh = static_cast<char16_t>(c);
        continue;
      }
      if (FCodepage == CP_UTF8_TEXT)
        EncodeUtf8Unit(c, m_encoded);
      else
        m_encoded.append({static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF),
                          static_cast<char>((c >> 16) & 0xFF), static_cast<char>(c >> 24)});
    }
    if (FCodepage == CP_UTF32_TEXT && IsSwapped()) SwapUnits(m_encoded.data(), m_encoded.size());
  } else if (IsUnicode()) {
    m_encoded.assign(reinterpret_cast<const char*>(units), n * 2);
    if (IsSwapped()) SwapUnits(m_encoded.data(), m_encoded.size());
  } else {
    if (!m_encoder) {
      m_encoder = std::make_unique<core::detail::CodePageEncoder>(FCodepage);
      if (!m_encoder->Valid()) {
        const int error = m_encoder->ErrorCode();
        m_encoder.reset();
        RaiseSystemError("Write", error);
      }
    }
    m_encoder->Encode(units, n, m_encoded);
  }
  WriteBytes(m_encoded);
  return count & ~1;
}

void TVokTextStream::Flush() {
  m_encoded.clear();
  if (m_pendingHigh != 0) {
    const char16_t high = m_pendingHigh;
    m_pendingHigh = 0;
    if (FCodepage == CP_UTF8_TEXT) {
      EncodeUtf8Unit(high, m_encoded);
    } else {
      m_encoded.append({static_cast<char>(high & 0xFF), static_cast<char>(high >> 8), 0, 0});
      if (IsSwapped()) SwapUnits(m_encoded.data(), m_encoded.size());
    }
  }
  if (m_encoder) m_encoder->Finish(m_encoded);
  WriteBytes(m_encoded);
}

bool WriteWideString(TStream& stream, const WideString& text) {
  if (text.empty()) return true;
  const auto bytes = static_cast<int32_t>(text.size() * sizeof(char16_t));
  return stream.Write(text.data(), bytes) == bytes;
}
