#pragma once

// The converter's binding ("QM_Converter.dll"): one encoding job per converter handle. Every
// entry takes the converter first, except create. Wrappers return the neutral value of their
// family when the entry is missing: 0 for handles and counts, False for the Boolean ones, -1
// for QEStart; procedures do nothing.

#include "program/engine/EngineLibrary.h"

// The converter's progress callback, called on the converter's thread with (user data,
// message, code, progress record).
using TConverterCallback = int32_t (*)(void* userData, int32_t message, int32_t code, void* progress);

class TConverterLibrary : public TEngineLibrary {
 public:
  explicit TConverterLibrary(AnsiString libraryName = "QM_Converter.dll");
  ~TConverterLibrary() override = default;

  TEngineHandle CreateConverter(TEngineHandle videoSource, TEngineHandle audioSource) const;
  void DestroyConverter(TEngineHandle converter) const;
  bool QESetOutputFile(TEngineHandle converter, const char16_t* fileName) const;
  bool QESetEncodeParam(TEngineHandle converter, void* params) const;
  // 0 when encoding started.
  int32_t QEStart(TEngineHandle converter, double begin, double length, int32_t reserved,
                  TConverterCallback callback, void* userData) const;
  int32_t QEPause(TEngineHandle converter) const;
  int32_t QEResume(TEngineHandle converter) const;
  void QEAbort(TEngineHandle converter, int32_t a, int32_t b) const;
  bool QEEnablePreview(TEngineHandle converter, bool on) const;
  // Why the converter's last start or encoding failed (what an end code 2 came from), copied
  // into buffer (capacity UTF-16 units, zero-terminated, cut when short); answers the text's
  // whole length, 0 when there is none or the entry is missing. Any thread.
  int32_t QEGetLastError(TEngineHandle converter, char16_t* buffer, int32_t capacity) const;
  // The same text whole; empty when there is none.
  WideString LastErrorText(TEngineHandle converter) const;

  enum Entry : size_t {
    kCreate, kDestroy, kQESetOutputFile, kQESetEncodeParam, kQEGetEncodeParam, kQEStart, kQEPause, kQEResume,
    kQEStop, kQEAbort, kQEEnablePreview, kQESetThreadPriority, kQEGetEstimateDiskSpaceEx, kQESetSplitParam,
    kQEGetTargetCount, kQEGetTargetFileName, kQEGetLastError, kEntryCount
  };
};
