#pragma once

// The C API of the converter engine (QM_Converter.so): encodes one video source and one audio
// source (any handles of the engine handle space that are media sources: decoders,
// processors, track decoders) into a DVD-Video MPEG-2 program stream.
//
// Use: create over the sources; QESetOutputFile; QESetEncodeParam; QEStart with a callback;
// QEPause / QEResume / QEEnablePreview / QEAbort while it runs; destroy after the callback
// reported the end. Entry points are called on one thread (the program's GUI thread); the
// callback is called on the converter's own thread. No entry point throws.

#include <cstddef>
#include <cstdint>

#include "engines/common/EncodeParam.h"
#include "engines/common/EngineApi.h"
#include "engines/common/EngineHandles.h"
#include "engines/media/MediaLog.h"

using engines::EngineHandle;

// The encoding parameter block, 112 bytes, shared with the output control engine: its layout
// and the meaning of each field are in engines/common/EncodeParam.h. A zero field takes its
// default, so a zero-filled block encodes NTSC 4:3-or-16:9 (by the source) at 6 Mbit/s with
// AC-3 audio.
using QEEncodeParam = DvdEncodeParam;

// A preview picture: kind 2 (planar YUV 4:2:0) and valid 1 mark a block that carries a frame;
// the frame follows at byte 8: its header, then the Y, U and V planes without padding
// (strides width, width / 2, width / 2).
struct QEPreviewFrame {
  int32_t width;
  int32_t height;
  int32_t format;  // 0: I420
  int32_t strideY;
  int32_t strideUV;
  int32_t reserved;
  // uint8_t planes[] follow
};
struct QEPreviewBlock {
  int32_t kind;   // 2
  int32_t valid;  // 1
  QEPreviewFrame frame;
};
static_assert(offsetof(QEPreviewBlock, frame) == 8);

// The progress record handed to the callback; valid until the callback returns.
struct QEProgress {
  int32_t size;            //  0
  int32_t framesDone;      //  4  video frames written
  double secondsDone;      //  8  seconds of output written
  int32_t percent;         // 16  0..100
  int32_t reserved;        // 20
  QEPreviewBlock* preview; // 24  a preview picture, or nullptr
  int64_t bytesWritten;    // 32
};
static_assert(offsetof(QEProgress, percent) == 16);
static_assert(offsetof(QEProgress, preview) == 24);

// Callback messages and end codes.
constexpr int32_t kQEMessageProgress = 0;
constexpr int32_t kQEMessageEnd = 1;
constexpr int32_t kQEEndDone = 0;
constexpr int32_t kQEEndAborted = 1;
constexpr int32_t kQEEndFailed = 2;     // reading, encoding or writing failed; reason in the log
constexpr int32_t kQEEndNoSpace = 3;    // the output could not be written for lack of space

using QECallback = int32_t (*)(void* userData, int32_t message, int32_t code, QEProgress* progress);

// Create (exported as ordinal_1 too) over a video and an audio source; either may be 0 (black picture or
// silence for the other's length), not both. 0 on failure. Destroy (ordinal_2) aborts a
// running encoding and waits for its end.
ENGINE_API EngineHandle QECreate(EngineHandle videoSource, EngineHandle audioSource);
ENGINE_API void QEDestroy(EngineHandle converter);

ENGINE_API int32_t QESetOutputFile(EngineHandle converter, const char16_t* fileName);
// 0 when the block is invalid (the reason is logged).
ENGINE_API int32_t QESetEncodeParam(EngineHandle converter, const QEEncodeParam* param);
// Copies the block in use, defaults filled in.
ENGINE_API int32_t QEGetEncodeParam(EngineHandle converter, QEEncodeParam* param);
// Fills a block with the defaults (NTSC, automatic aspect, 6/9 Mbit/s, AC-3 192 kbit/s).
ENGINE_API void QEInitEncodeParam(QEEncodeParam* param);
// Starts encoding `length` seconds from `begin` (0 and 0: the whole source). 0 when started;
// otherwise nothing runs and the callback is not called.
ENGINE_API int32_t QEStart(EngineHandle converter, double begin, double length, int32_t flags,
                           QECallback callback, void* userData);
ENGINE_API int32_t QEPause(EngineHandle converter);
ENGINE_API int32_t QEResume(EngineHandle converter);
ENGINE_API int32_t QEAbort(EngineHandle converter, int32_t, int32_t);
ENGINE_API int32_t QEEnablePreview(EngineHandle converter, int32_t on);
// Why the converter's last start or encoding failed (an end code 2 or 3), copied into buffer
// (capacity UTF-16 units, zero-terminated, cut when short); answers the text's whole length,
// 0 when there was no failure or the handle is unknown. Any thread.
ENGINE_API int32_t QEGetLastError(EngineHandle converter, char16_t* buffer, int32_t capacity);
// Free bytes of the file system holding `path` (or its nearest existing folder); 0 when unknown.
ENGINE_API int64_t QEGetDiskFreeSpace(const char16_t* path);

ENGINE_API void MediaSetLogHook(engines::media::LogHook hook);
