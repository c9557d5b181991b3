#pragma once

// The decoder manager's binding ("QM_DecMgr.dll"), and the Flash decoder's, which has the
// same entry points ("QM_SWFDecoder.dll"). The manager is started (ordinal 30) once and
// stopped (ordinal 31) once; the started flag is an atomic, so a manager stopped at shut-down
// is not stopped again when its record unloads. File names are zero-terminated UTF-16.

#include "program/engine/EngineLibrary.h"

class TDecoderLibrary : public TEngineLibrary {
 public:
  explicit TDecoderLibrary(AnsiString libraryName = "QM_DecMgr.dll");
  ~TDecoderLibrary() override = default;

  using TEngineLibrary::Load;
  // Loads `libraryName` instead of the record's own (a failure is reported under it).
  bool Load(const char* libraryName);
  // Loads the record's library and calls the start entry, once; returns the started flag.
  bool Start();
  // Calls the stop entry when started, then clears the flag.
  void Stop();
  // Load(libraryName), then Start; True only when both succeed.
  bool LoadAndStart(const char* libraryName);
  bool Started() const { return m_started.load() != 0; }

  // Wrappers: neutral values 0/null when the entry is missing.
  void* GetFileInfo(const char16_t* fileName, int32_t mode) const;
  void FreeFileInfo(void* info) const;
  TEngineHandle QVDCreate(const char16_t* fileName, void* decodeParams, int32_t* outValue, int32_t mode) const;
  void QVDDestroy(TEngineHandle decoder) const;
  void* QVDGetVideoInfo(TEngineHandle decoder) const;
  TEngineHandle QADCreate(const char16_t* fileName, void* decodeParams, int32_t* outValue, int32_t mode) const;
  void QADDestroy(TEngineHandle decoder) const;
  void* QADGetAudioInfo(TEngineHandle decoder) const;

  enum Entry : size_t {
    kStart, kStop, kGetFileInfo, kFreeFileInfo, kQVDCreate, kQVDDestroy, kQVDGetVideoInfo,
    kQADCreate, kQADDestroy, kQADGetAudioInfo, kEntryCount
  };

 protected:
  void BeforeUnload() override { Stop(); }
  void ClearState() override { m_started.store(0); }

 private:
  std::atomic<int32_t> m_started{0};
};
