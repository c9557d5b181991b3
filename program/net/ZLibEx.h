#pragma once

// Inflating compressed HTTP bodies through zlib. TZInflater decodes piece by piece as the body
// arrives: gzip (zlib's gzip mode, so its header flags, CRC-32 and length are checked;
// members one after another are read in turn) or deflate, wrapped in a zlib header or raw.
// Every zlib error, a stream that ends early, bytes after the end and output beyond the
// caller's limit raise EZCompressionError. One thread uses an inflater.

#include <cstdint>
#include <memory>

#include "rtl/Exceptions.h"
#include "vcl/Classes.h"

BRANTWELL_DECLARE_EXCEPTION(EZLibError, Exception);
BRANTWELL_DECLARE_EXCEPTION(EZCompressionError, EZLibError);

class TZInflater {
 public:
  enum class TFormat { Gzip, Deflate };

  // maxOutput: the most decoded bytes accepted (a compression bomb fails beyond it).
  TZInflater(TFormat format, int64_t maxOutput);
  ~TZInflater();
  TZInflater(const TZInflater&) = delete;
  TZInflater& operator=(const TZInflater&) = delete;

  // Decodes the bytes into target.
  void Feed(const void* data, size_t length, TStream& target);
  // Checks that the compressed stream is complete.
  void Finish();
  int64_t Output() const { return m_output; }

 private:
  struct State;
  void Start(int windowBits);

  std::unique_ptr<State> m_state;
  TFormat m_format;
  int64_t m_maxOutput;
  int64_t m_output = 0;
  bool m_started = false;   // deflate: the wrapping is known once two bytes are in
  bool m_ended = false;     // the current stream (gzip member) is complete
  bool m_anyInput = false;
  uint8_t m_pending[2] = {};
  size_t m_pendingCount = 0;
};

// Inflates the whole of source (from its position) into target; the format as above.
void ZDecompressStream(TStream& source, TStream& target, TZInflater::TFormat format = TZInflater::TFormat::Deflate,
                       int64_t maxOutput = INT64_MAX);
