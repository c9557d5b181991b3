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

#include "engines/common/EngineApi.h"
#include "engines/common/EngineHandles.h"
#include "engines/media/MediaLog.h"

using engines::EngineHandle;

// The encoding parameter block, 112 bytes. A zero field takes its default, so a zero-filled
// block encodes NTSC 4:3-or-16:9 (by the source) at 6 Mbit/s with AC-3 audio.
struct QEEncodeParam {
  int32_t size;           //   0  sizeof(QEEncodeParam) or 0
  int32_t width;          //   4  720 (704 and 352 also allowed)
  int32_t height;         //   8  480 (NTSC) or 576 (PAL); 0: by the frame rate, else 480
  int32_t reserved12;     //  12
  double frameRate;       //  16  30000/1001 with 480 lines, 25 with 576; 0: by the height
  int32_t videoBitrate;   //  24  average, bit/s; 0: 6000000
  int32_t rateControl;    //  28  -1 or 0: variable bit rate up to maxBitrate; 1: constant
  int32_t maxBitrate;     //  32  bit/s, at most 9800000; 0: 9000000
  int32_t minBitrate;     //  36  bit/s; 0
  int32_t bufferSize;     //  40  video buffer in bits; 0: 1835008 (the DVD limit)
  int32_t gopSize;        //  44  frames; 0: 15; at most 18 (NTSC) or 15 (PAL)
  int32_t bFrames;        //  48  B-frames between references; 0: 2; -1: none
  int32_t reserved52[2];  //  52
  int32_t aspect;         //  60  0: the nearer of 4:3 and 16:9 to the source; 2: 4:3; 3: 16:9
  int32_t audioCodec;     //  64  0: AC-3; 1: MPEG-1 Layer II (PAL only)
  int32_t audioBitrate;   //  68  bit/s; 0: 192000
  int32_t reserved72;     //  72
  int32_t sampleRate;     //  76  48000 (the only DVD rate); 0: 48000
  int32_t channels;       //  80  1 or 2; 0: 2
  int32_t previewEvery;   //  84  frames between preview frames; 0: 15
  int32_t reserved88[6];  //  88
};
static_assert(sizeof(QEEncodeParam) == 112);
static_assert(offsetof(QEEncodeParam, width) == 4);
static_assert(offsetof(QEEncodeParam, height) == 8);
static_assert(offsetof(QEEncodeParam, frameRate) == 16);
static_assert(offsetof(QEEncodeParam, videoBitrate) == 24);
static_assert(offsetof(QEEncodeParam, rateControl) == 28);
static_assert(offsetof(QEEncodeParam, maxBitrate) == 32);
static_assert(offsetof(QEEncodeParam, aspect) == 60);
static_assert(offsetof(QEEncodeParam, sampleRate) == 76);
static_assert(offsetof(QEEncodeParam, channels) == 80);

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
// Free bytes of the file system holding `path` (or its nearest existing folder); 0 when unknown.
ENGINE_API int64_t QEGetDiskFreeSpace(const char16_t* path);

ENGINE_API void MediaSetLogHook(engines::media::LogHook hook);
