#pragma once

// The encoder manager's binding ("QM_EncMgr.dll"). Start (ordinal 5) returns the engine
// handle kept in the record; Stop (ordinal 6) runs once for it. The handle is an atomic, so
// a manager stopped at shut-down is not stopped again when its record unloads. Ordinals 7
// and 1 to 4 are resolved for the engine's other calls.

#include "program/engine/EngineLibrary.h"

class TEncoderLibrary : public TEngineLibrary {
 public:
  explicit TEncoderLibrary(AnsiString libraryName = "QM_EncMgr.dll");
  ~TEncoderLibrary() override = default;

  // Loads the library and calls the start entry once; returns the engine handle (0 when
  // not started).
  int32_t Start();
  void Stop();
  int32_t EngineHandle() const { return m_engine.load(); }

  enum Entry : size_t { kStart, kStop, kOrdinal7, kOrdinal1, kOrdinal2, kOrdinal3, kOrdinal4, kEntryCount };

 protected:
  void BeforeUnload() override { Stop(); }
  void ClearState() override { m_engine.store(0); }

 private:
  std::atomic<int32_t> m_engine{0};
};
