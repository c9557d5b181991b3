#pragma once

// Bridges between the class library's streams and the COM-shaped IStream that GDI+ takes.
//
// TStreamAdapter: an IStream over a TStream, positions as the TStream has them.
// TGPStreamAdapter: the same, with positions counted from where the TStream stood when the
// adapter was made, and a second interface (IID_IGPStreamData) that hands out the size and
// blocks read at absolute positions.
// TOleStream: a TStream over an IStream (it holds one reference).
//
// Adapters are reference counted: the creator receives one reference and releases it. An
// owned TStream (soOwned) is freed with the adapter. One thread at a time.

#include <atomic>

#include "platform/gdiplus/ComStream.h"
#include "vcl/Classes.h"

enum TStreamOwnership { soReference = 0, soOwned = 1 };

inline constexpr IID IID_IGPStreamData = {0x025D1823, 0x6C7D, 0x447B, {0xBB, 0xDB, 0xA3, 0xCB, 0xC3, 0xDF, 0xA2, 0xFC}};

// The block interface of TGPStreamAdapter. Every method returns 0.
struct IGPStreamData : IUnknown {
  virtual HRESULT GetSize(DWORD* size) = 0;
  // A new block holding count bytes read at an absolute position; the stream's position is
  // restored afterwards. Free it with FreeBlock.
  virtual HRESULT ReadBlock(DWORD position, DWORD count, void** block) = 0;
  virtual HRESULT FreeBlock(void* block) = 0;

 protected:
  ~IGPStreamData() = default;
};

class TStreamAdapter : public IStream {
 public:
  TStreamAdapter(TStream* stream, TStreamOwnership ownership);
  TStreamAdapter(const TStreamAdapter&) = delete;
  TStreamAdapter& operator=(const TStreamAdapter&) = delete;

  TStream* Stream() const { return m_stream; }

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override { return ++m_refCount; }
  ULONG Release() override;

  HRESULT Read(void* buffer, ULONG count, ULONG* read) override;
  HRESULT Write(const void* buffer, ULONG count, ULONG* written) override;
  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override;
  HRESULT SetSize(ULARGE_INTEGER newSize) override;
  HRESULT CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read, ULARGE_INTEGER* written) override;
  HRESULT Commit(DWORD flags) override;
  HRESULT Revert() override;
  HRESULT LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD lockType) override;
  HRESULT UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD lockType) override;
  HRESULT Stat(STATSTG* stat, DWORD flags) override;
  HRESULT Clone(IStream** clone) override;

 protected:
  virtual ~TStreamAdapter();

  TStream* m_stream;
  TStreamOwnership m_ownership;
  int64_t m_start = 0;  // positions reported are relative to this one

 private:
  std::atomic<ULONG> m_refCount{1};
};

class TGPStreamAdapter : public TStreamAdapter, public IGPStreamData {
 public:
  TGPStreamAdapter(TStream* stream, TStreamOwnership ownership = soReference);

  int64_t StartPosition() const { return m_start; }

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override { return TStreamAdapter::AddRef(); }
  ULONG Release() override { return TStreamAdapter::Release(); }

  HRESULT GetSize(DWORD* size) override;
  HRESULT ReadBlock(DWORD position, DWORD count, void** block) override;
  HRESULT FreeBlock(void* block) override;
};

class TOleStream : public TStream {
 public:
  explicit TOleStream(IStream* stream);
  ~TOleStream() override;

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, Word origin) override;

  IStream* GetIStream() const { return m_stream; }

 private:
  IStream* m_stream;
};

// Holds one reference of a COM object and releases it.
template <class T> class TComRef {
 public:
  explicit TComRef(T* object = nullptr) : m_object(object) {}
  ~TComRef() {
    if (m_object) m_object->Release();
  }
  TComRef(const TComRef&) = delete;
  TComRef& operator=(const TComRef&) = delete;
  T* get() const { return m_object; }
  T* operator->() const { return m_object; }

 private:
  T* m_object;
};
