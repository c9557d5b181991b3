#include "program/net/ZLibEx.h"

#include <zlib.h>

#include <cstring>

#include "platform/kernel/DebugOutput.h"

struct TZInflater::State {
  z_stream stream{};
  bool initialised = false;
  ~State() {
    if (initialised) inflateEnd(&stream);
  }
};

namespace {

[[noreturn]] void Fail(int code, const z_stream* stream) {
  OutputDebugStringA("ZLibDecompress Error");
  const char* text = stream && stream->msg ? stream->msg : zError(code);
  throw EZCompressionError(AnsiString("inflate: ") + (text ? text : "error"));
}

}  // namespace

TZInflater::TZInflater(TFormat format, int64_t maxOutput)
    : m_state(std::make_unique<State>()), m_format(format), m_maxOutput(maxOutput) {
  if (format == TFormat::Gzip) Start(16 + MAX_WBITS);
}

TZInflater::~TZInflater() = default;

void TZInflater::Start(int windowBits) {
  const int result = inflateInit2(&m_state->stream, windowBits);
  if (result != Z_OK) Fail(result, nullptr);
  m_state->initialised = true;
  m_started = true;
}

void TZInflater::Feed(const void* data, size_t length, TStream& target) {
  auto* bytes = static_cast<const uint8_t*>(data);
  if (length == 0) return;
  m_anyInput = true;
  if (!m_started) {
    // Deflate as servers send it: a zlib stream (RFC 1950) or bare deflate data; the first two
    // bytes tell them apart.
    while (m_pendingCount < 2 && length > 0) {
      m_pending[m_pendingCount++] = *bytes++;
      --length;
    }
    if (m_pendingCount < 2) return;
    const bool wrapped = (m_pending[0] & 0x0f) == 8 && ((m_pending[0] << 8) | m_pending[1]) % 31 == 0;
    Start(wrapped ? MAX_WBITS : -MAX_WBITS);
    const uint8_t head[2] = {m_pending[0], m_pending[1]};
    Feed(head, 2, target);
  }
  z_stream& z = m_state->stream;
  z.next_in = const_cast<Bytef*>(bytes);
  z.avail_in = static_cast<uInt>(length);
  uint8_t out[32768];
  for (;;) {
    if (m_ended) {
      if (z.avail_in == 0) break;
      // Only gzip may carry another member after the first.
      if (m_format != TFormat::Gzip) throw EZCompressionError("inflate: data after the end of the stream");
      const int reset = inflateReset(&z);
      if (reset != Z_OK) Fail(reset, &z);
      m_ended = false;
    }
    z.next_out = out;
    z.avail_out = sizeof out;
    const int result = inflate(&z, Z_NO_FLUSH);
    const size_t produced = sizeof out - z.avail_out;
    if (produced > 0) {
      m_output += static_cast<int64_t>(produced);
      if (m_output > m_maxOutput) throw EZCompressionError("inflate: decoded body larger than allowed");
      target.WriteBuffer(out, static_cast<int32_t>(produced));
    }
    if (result == Z_STREAM_END) {
      m_ended = true;
      continue;
    }
    if (result == Z_BUF_ERROR) break;  // nothing more without further input
    if (result != Z_OK) Fail(result, &z);
    if (z.avail_in == 0 && z.avail_out != 0) break;
  }
  z.next_in = nullptr;
  z.next_out = nullptr;
  z.avail_out = 0;
}

void TZInflater::Finish() {
  if (!m_anyInput) return;  // an empty body stays empty
  if (!m_ended) throw EZCompressionError("inflate: compressed body ends early");
}

void ZDecompressStream(TStream& source, TStream& target, TZInflater::TFormat format, int64_t maxOutput) {
  TZInflater inflater(format, maxOutput);
  uint8_t piece[32768];
  for (;;) {
    const int32_t n = source.Read(piece, sizeof piece);
    if (n <= 0) break;
    inflater.Feed(piece, static_cast<size_t>(n), target);
  }
  inflater.Finish();
}
