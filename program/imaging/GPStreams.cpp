#include "program/imaging/GPStreams.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/kernel/ErrorText.h"

namespace {

constexpr HRESULT kCantSave = static_cast<HRESULT>(0x80030103);  // STG_E_CANTSAVE
constexpr DWORD kLockWrite = 1;                                  // LOCK_WRITE
constexpr ULONGLONG kCopyChunk = 1048576;

}  // namespace

TStreamAdapter::TStreamAdapter(TStream* stream, TStreamOwnership ownership)
    : m_stream(stream), m_ownership(ownership) {}

TStreamAdapter::~TStreamAdapter() {
  if (m_ownership == soOwned) delete m_stream;
}

HRESULT TStreamAdapter::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) {
    *object = static_cast<IStream*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG TStreamAdapter::Release() {
  ULONG left = --m_refCount;
  if (left == 0) delete this;
  return left;
}

HRESULT TStreamAdapter::Read(void* buffer, ULONG count, ULONG* read) {
  if (!buffer) return STG_E_INVALIDPOINTER;
  try {
    const auto chunk = static_cast<int32_t>(std::min<ULONG>(count, 0x7FFFFFFF));
    const int32_t done = m_stream->Read(buffer, chunk);
    if (read) *read = static_cast<ULONG>(std::max(done, 0));
    return S_OK;
  } catch (...) {
    if (read) *read = 0;
    return S_FALSE;
  }
}

HRESULT TStreamAdapter::Write(const void* buffer, ULONG count, ULONG* written) {
  if (!buffer) return STG_E_INVALIDPOINTER;
  try {
    const auto chunk = static_cast<int32_t>(std::min<ULONG>(count, 0x7FFFFFFF));
    const int32_t done = m_stream->Write(buffer, chunk);
    if (written) *written = static_cast<ULONG>(std::max(done, 0));
    return S_OK;
  } catch (...) {
    if (written) *written = 0;
    return kCantSave;
  }
}

HRESULT TStreamAdapter::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) {
  if (origin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
  try {
    int64_t position;
    if (origin == STREAM_SEEK_SET) position = m_stream->Seek(m_start + move.QuadPart, soFromBeginning);
    else position = m_stream->Seek(move.QuadPart, static_cast<Word>(origin));
    if (newPosition) newPosition->QuadPart = static_cast<ULONGLONG>(position - m_start);
    return S_OK;
  } catch (...) {
    return STG_E_INVALIDPOINTER;
  }
}

HRESULT TStreamAdapter::SetSize(ULARGE_INTEGER newSize) {
  try {
    const int64_t wanted = static_cast<int64_t>(newSize.QuadPart);
    m_stream->SetSize(m_start + wanted);
    return m_stream->Size() - m_start == wanted ? S_OK : E_FAIL;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT TStreamAdapter::CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                               ULARGE_INTEGER* written) {
  if (!target) return STG_E_INVALIDPOINTER;
  ULONGLONG totalRead = 0, totalWritten = 0;
  HRESULT result = S_OK;
  try {
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min(count.QuadPart, kCopyChunk)));
    ULONGLONG left = count.QuadPart;
    while (left > 0 && !buffer.empty()) {
      const auto chunk = static_cast<int32_t>(std::min<ULONGLONG>(left, buffer.size()));
      const int32_t got = m_stream->Read(buffer.data(), chunk);
      if (got <= 0) break;
      totalRead += static_cast<ULONGLONG>(got);
      ULONG put = 0;
      result = target->Write(buffer.data(), static_cast<ULONG>(got), &put);
      totalWritten += put;
      if (FAILED(result)) break;
      if (put != static_cast<ULONG>(got)) {
        result = E_FAIL;
        break;
      }
      left -= static_cast<ULONGLONG>(got);
    }
  } catch (...) {
    result = E_UNEXPECTED;
  }
  if (read) read->QuadPart = totalRead;
  if (written) written->QuadPart = totalWritten;
  return result;
}

HRESULT TStreamAdapter::Commit(DWORD) { return S_OK; }
HRESULT TStreamAdapter::Revert() { return STG_E_REVERTED; }
HRESULT TStreamAdapter::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return STG_E_INVALIDFUNCTION; }
HRESULT TStreamAdapter::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return STG_E_INVALIDFUNCTION; }

HRESULT TStreamAdapter::Stat(STATSTG* stat, DWORD) {
  if (!stat) return S_OK;
  try {
    std::memset(stat, 0, sizeof *stat);
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = static_cast<ULONGLONG>(m_stream->Size() - m_start);
    stat->grfLocksSupported = kLockWrite;
    return S_OK;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT TStreamAdapter::Clone(IStream** clone) {
  if (clone) *clone = nullptr;
  return E_NOTIMPL;
}

// ---- TGPStreamAdapter -------------------------------------------------------------------

TGPStreamAdapter::TGPStreamAdapter(TStream* stream, TStreamOwnership ownership)
    : TStreamAdapter(stream, ownership) {
  m_start = stream->Position();
}

HRESULT TGPStreamAdapter::QueryInterface(REFIID iid, void** object) {
  if (object && iid == IID_IGPStreamData) {
    *object = static_cast<IGPStreamData*>(this);
    AddRef();
    return S_OK;
  }
  return TStreamAdapter::QueryInterface(iid, object);
}

HRESULT TGPStreamAdapter::GetSize(DWORD* size) {
  if (size) *size = static_cast<DWORD>(m_stream->Size());
  return S_OK;
}

HRESULT TGPStreamAdapter::ReadBlock(DWORD position, DWORD count, void** block) {
  if (!block) return S_OK;
  auto* bytes = new uint8_t[std::max<DWORD>(count, 1)]();
  const int64_t saved = m_stream->Position();
  try {
    m_stream->Seek(position, soFromBeginning);
    m_stream->Read(bytes, static_cast<int32_t>(std::min<DWORD>(count, 0x7FFFFFFF)));
  } catch (...) {
  }
  m_stream->Seek(saved, soFromBeginning);
  *block = bytes;
  return S_OK;
}

HRESULT TGPStreamAdapter::FreeBlock(void* block) {
  delete[] static_cast<uint8_t*>(block);
  return S_OK;
}

// ---- TOleStream -------------------------------------------------------------------------

namespace {

// The system's text for a failing HRESULT, else its number.
void Check(HRESULT result) {
  if (!FAILED(result)) return;
  char text[512] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                static_cast<DWORD>(result), 0, text, sizeof text, nullptr);
  AnsiString message(text, length);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
  if (message.empty()) message = Format("Stream error %.8x", {static_cast<unsigned>(result)});
  throw EStreamError(message);
}

}  // namespace

TOleStream::TOleStream(IStream* stream) : m_stream(stream) {
  if (m_stream) m_stream->AddRef();
}

TOleStream::~TOleStream() {
  if (m_stream) m_stream->Release();
}

int32_t TOleStream::Read(void* buffer, int32_t count) {
  ULONG done = 0;
  Check(m_stream->Read(buffer, static_cast<ULONG>(std::max(count, 0)), &done));
  return static_cast<int32_t>(done);
}

int32_t TOleStream::Write(const void* buffer, int32_t count) {
  ULONG done = 0;
  Check(m_stream->Write(buffer, static_cast<ULONG>(std::max(count, 0)), &done));
  return static_cast<int32_t>(done);
}

int64_t TOleStream::Seek(int64_t offset, Word origin) {
  LARGE_INTEGER move;
  move.QuadPart = offset;
  ULARGE_INTEGER position;
  position.QuadPart = 0;
  Check(m_stream->Seek(move, origin, &position));
  return static_cast<int64_t>(position.QuadPart);
}
