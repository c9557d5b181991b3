#pragma once

// TMediaEncoder: one converter engine object encoding one title (a video source and an audio
// source, by handle) into one MPEG file. It owns the converter: the destructor destroys it,
// which ends a running encoding first.
//
// Start hands over the output file and the encoding parameter block and starts the encoding;
// a refusal of any of the three steps is a failure to start, reported with the step that
// failed, so that no title is reported as encoding while nothing runs. The callback is then
// called on the converter's own thread; it must only store state and post.
//
// GUI thread.

#include "program/engine/ConverterLibrary.h"

enum class TEncodeStart {
  Started,
  NoConverter,         // the converter could not be made over the sources
  OutputFileRefused,   // QESetOutputFile answered False
  EncodeParamRefused,  // QESetEncodeParam answered False
  StartRefused,        // QEStart answered other than 0 (-1: the entry is missing)
};

struct TEncodeStartResult {
  TEncodeStart Status = TEncodeStart::NoConverter;
  int32_t StartCode = -1;  // QEStart's answer when it was called
  AnsiString Message;      // what failed and on what; empty when started

  bool Started() const { return Status == TEncodeStart::Started; }
};

class TMediaEncoder {
 public:
  // The converter over the sources (either may be 0, not both); Handle() is 0 when the engine
  // refused. Uses the converter record as bound at start-up, or the given one.
  TMediaEncoder(TEngineHandle videoSource, TEngineHandle audioSource);
  TMediaEncoder(const TConverterLibrary& library, TEngineHandle videoSource, TEngineHandle audioSource);
  ~TMediaEncoder();
  TMediaEncoder(const TMediaEncoder&) = delete;
  TMediaEncoder& operator=(const TMediaEncoder&) = delete;

  TEngineHandle Handle() const { return m_converter; }

  // Sets the output file and `encodeParam` (the 112-byte encoding parameter block) and starts
  // encoding `length` seconds from `begin` (0 and 0: the whole source, as the job does).
  TEncodeStartResult Start(const WideString& outputFile, const void* encodeParam, TConverterCallback callback,
                           void* userData, double begin = 0.0, double length = 0.0);
  int32_t Pause();
  int32_t Resume();
  // Cancels; the converter reports the end through the callback.
  void Abort();
  bool EnablePreview(bool on);
  // Why the last start or encoding failed (an end code 2); empty when nothing failed.
  WideString LastError() const;

 private:
  const TConverterLibrary& m_library;
  TEngineHandle m_converter = 0;
};
