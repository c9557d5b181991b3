#pragma once

// The video and audio sources of the program: IVideoDecoder and IAudioDecoder stand for any
// engine object that yields pictures or sound (a decoder, a processor, a track decoder) by its
// handle and its stream record. TVideoDecoder and TAudioDecoder open a file through the
// decoder manager ("QM_DecMgr.dll"), or through the Flash decoder ("QM_SWFDecoder.dll") for a
// ".swf" file.
//
// Sources are reference-counted: the player and the converter's caller keep IntfPtr
// references, and the engine object is destroyed with the last one. A decoder is made on the
// GUI thread; its handle and record may be read from any thread while it lives.

#include <atomic>

#include "program/core/Interfaces.h"
#include "program/engine/EngineLibrary.h"
#include "program/engine/MediaInfo.h"

struct IVideoDecoder : virtual IInterface {
  // The engine handle of the source; 0 when it could not be opened.
  virtual TEngineHandle GetHandle() = 0;
  // The engine's record of the picture stream, or an all-zero record; never null.
  virtual const TVideoInfo* GetVideoInfo() = 0;
};

struct IAudioDecoder : virtual IInterface {
  virtual TEngineHandle GetHandle() = 0;
  virtual const TAudioInfo* GetAudioInfo() = 0;
};

// Reference counting for the source objects; the last release frees the object.
template <class Interface>
class TRefCountedSource : public Interface {
 public:
  int32_t _AddRef() noexcept override { return ++m_refCount; }
  int32_t _Release() noexcept override {
    const int32_t count = --m_refCount;
    if (count == 0) delete this;
    return count;
  }

 private:
  std::atomic<int32_t> m_refCount{0};
};

class TDecoderLibrary;

// True when the file name's extension, blanks and control characters trimmed off, is ".swf"
// in any letter case.
bool IsSwfFile(const WideString& fileName);

class TVideoDecoder : public TRefCountedSource<IVideoDecoder> {
 public:
  // Opens `fileName` through the decoder manager, or the Flash decoder for a ".swf" file.
  // `decodeParams` is the clip's parameter block (may be null); every caller passes mode 0.
  // Raises EOSError when the decoder library cannot be loaded; any other failure leaves a
  // decoder with handle 0.
  TVideoDecoder(const WideString& fileName, const void* decodeParams = nullptr, int32_t mode = 0);
  // The same through a given binding record, which must outlive the decoder.
  TVideoDecoder(TDecoderLibrary& library, const char* libraryName, const WideString& fileName,
                const void* decodeParams, int32_t mode);
  static IntfPtr<IVideoDecoder> Create(const WideString& fileName, const void* decodeParams = nullptr,
                                       int32_t mode = 0) {
    return IntfPtr<IVideoDecoder>(new TVideoDecoder(fileName, decodeParams, mode));
  }

  TEngineHandle GetHandle() override { return m_handle; }
  const TVideoInfo* GetVideoInfo() override;

 protected:
  ~TVideoDecoder() override;

 private:
  TDecoderLibrary* m_library;
  TEngineHandle m_handle = 0;
  int32_t m_openStatus = 0;  // written by the engine, not read
  TVideoInfo m_emptyInfo{};
};

class TAudioDecoder : public TRefCountedSource<IAudioDecoder> {
 public:
  TAudioDecoder(const WideString& fileName, const void* decodeParams = nullptr, int32_t mode = 0);
  TAudioDecoder(TDecoderLibrary& library, const char* libraryName, const WideString& fileName,
                const void* decodeParams, int32_t mode);
  static IntfPtr<IAudioDecoder> Create(const WideString& fileName, const void* decodeParams = nullptr,
                                       int32_t mode = 0) {
    return IntfPtr<IAudioDecoder>(new TAudioDecoder(fileName, decodeParams, mode));
  }

  TEngineHandle GetHandle() override { return m_handle; }
  const TAudioInfo* GetAudioInfo() override;

 protected:
  ~TAudioDecoder() override;

 private:
  TDecoderLibrary* m_library;
  TEngineHandle m_handle = 0;
  int32_t m_openStatus = 0;
  TAudioInfo m_emptyInfo{};
};
