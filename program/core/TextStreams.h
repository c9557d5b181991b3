#pragma once

// Text streams: any byte stream seen as UTF-16 text. TVokTextStream converts between UTF-16
// code units and the stored encoding (an 8-bit or multi-byte code page, UTF-8, UTF-16 or 32-bit
// units), detects byte-order marks on reading and writes them on writing. It sits on
// TVokStreamWrapper, which forwards to a wrapped stream it does not own and answers position
// queries without moving it. One thread at a time.

#include <memory>
#include <string>

#include "rtl/Exceptions.h"
#include "rtl/SysTypes.h"
#include "vcl/Classes.h"

namespace core::detail {
class CodePageDecoder;
class CodePageEncoder;
}  // namespace core::detail

// Failures of the text stream; HelpContext() is the error code (3001 to 3005).
class EVokTextStream : public Exception {
 public:
  using Exception::Exception;
};

constexpr int tsErrSystem = 3001;
constexpr int tsErrOSFunction = 3002;
constexpr int tsErrAppendReversed = 3003;
constexpr int tsErrWriteReversed = 3004;
constexpr int tsErrOddBytes = 3005;

class TVokStreamWrapper : public TStream {
 public:
  explicit TVokStreamWrapper(TStream* stream) : WrappedStream(stream) {}

  int32_t Read(void* buffer, int32_t count) override {
    FlushDelayedSeek();
    return WrappedStream->Read(buffer, count);
  }
  int32_t Write(const void* buffer, int32_t count) override {
    FlushDelayedSeek();
    return WrappedStream->Write(buffer, count);
  }
  int64_t Seek(int64_t offset, Word origin) override;
  int64_t GetSize() override { return WrappedStream->GetSize(); }
  void SetSize(int64_t newSize) override { WrappedStream->SetSize(newSize); }

 protected:
  virtual int64_t WrappedPosition() { return WrappedStream->GetPosition(); }
  virtual void SetWrappedPosition(int64_t position) { WrappedStream->SetPosition(position); }
  virtual int64_t WrappedSeek(int64_t offset, Word origin) { return WrappedStream->Seek(offset, origin); }
  virtual void FlushDelayedSeek();

  bool DelayedSeek = false;
  Word DelayedOrigin = 0;
  int64_t DelayedOffset = 0;
  int64_t CachedPosition = 0;
  TStream* WrappedStream;  // not owned
};

// Access modes.
constexpr Byte tsaRead = 0;
constexpr Byte tsaWrite = 1;      // the stream is emptied first
constexpr Byte tsaReadWrite = 2;  // content kept, position unchanged
constexpr Byte tsaAppend = 3;     // content kept, position at the end

// Flags.
constexpr Byte tsfUnicode = 0x01;    // UTF-8, UTF-16 or 32-bit units
constexpr Byte tsfBigEndian = 0x02;  // each 16-bit unit stored byte-swapped
constexpr Byte tsfWriteUtf8Mark = 0x10;

constexpr Word CP_UTF8_TEXT = 65001;
constexpr Word CP_UTF16_TEXT = 1200;
constexpr Word CP_UTF32_TEXT = 12000;

class TVokTextStream : public TVokStreamWrapper {
 public:
  TVokTextStream(TStream* stream, Byte access, Byte flags, Word codePage);
  ~TVokTextStream() override;

  // count is a number of bytes of UTF-16 output; returns the bytes produced.
  int32_t Read(void* buffer, int32_t count) override;
  // count is a number of bytes of UTF-16 input; returns the bytes consumed.
  int32_t Write(const void* buffer, int32_t count) override;
  // Writes what a stateful encoder still holds (shift state, a held high surrogate). The
  // destructor does it too, but cannot report a failure.
  void Flush();

  Word Codepage() const { return FCodepage; }
  Byte Flags() const { return FFlags; }
  unsigned GetWindowsError() const { return FWindowsError; }
  // Switches the code page; characters not yet handed out are read again in the new one.
  void SetCodepage(Word codePage);
  // One UTF-16 unit; False at the end of the input. The fast path of Read for the parser.
  bool ReadUnit(char16_t& unit) {
    if (m_decodedAt < m_decoded.size()) {
      unit = m_decoded[m_decodedAt++];
      return true;
    }
    return ReadUnitSlow(unit);
  }
  // Units consumed by the reader so far.
  int64_t UnitsRead() const { return m_unitsBefore + static_cast<int64_t>(m_decodedAt); }
  AnsiString StreamName(const AnsiString& text = {}) const;

 protected:
  virtual void PrepareStream();

 private:
  bool IsUnicode() const { return (FFlags & tsfUnicode) != 0; }
  bool IsSwapped() const { return (FFlags & tsfBigEndian) != 0; }
  void WriteMark();
  void DetectMark();
  bool ReadUnitSlow(char16_t& unit);
  bool FillDecoded(size_t wanted);
  size_t DecodeRaw(const unsigned char* bytes, size_t size, std::u16string& out, size_t maxUnits, bool final);
  void RewindUndelivered();
  void WriteBytes(const std::string& bytes);
  [[noreturn]] void RaiseSystemError(const char* method, int error);

  Byte FAccess;
  Word FCodepage = 0;
  Byte FFlags;
  unsigned FWindowsError = 0;

  // Makes room for at least `count` more raw bytes: drops the converted ones first, then
  // grows the block by doubling. The new room is not cleared; a read fills it.
  void ReserveRaw(size_t count);

  // Bytes read but not yet converted (a sequence cut at the end of a read) and units
  // converted but not yet handed out (a surrogate pair split by the caller's count).
  // m_raw holds m_rawSize bytes read in a block of m_rawCapacity; m_rawAt is the first byte
  // not yet converted.
  std::unique_ptr<char[]> m_raw;
  size_t m_rawSize = 0;
  size_t m_rawCapacity = 0;
  size_t m_rawAt = 0;
  size_t m_batchRawStart = 0;
  std::u16string m_decoded;
  size_t m_decodedAt = 0;
  int64_t m_unitsBefore = 0;
  std::string m_encoded;
  char16_t m_pendingHigh = 0;
  std::unique_ptr<core::detail::CodePageDecoder> m_decoder;
  std::unique_ptr<core::detail::CodePageEncoder> m_encoder;
};

// Writes the UTF-16 units of text; True when all were written (and for an empty text).
bool WriteWideString(TStream& stream, const WideString& text);
