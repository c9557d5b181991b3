#pragma once

// The encoding parameter block: 112 bytes, little-endian, handed by address across engine
// boundaries. The output job fills one with OCInitEncParam (QM_OutputCtrl), overwrites the
// frame size, frame rate, bit rates, rate control, aspect and audio format by offset, and
// hands it to the converter (QESetEncodeParam, once per title) and to the output control
// (OCSetEncParam, for the authoring). The project file stores the block as it stands, so
// every offset is fixed: change none, and add fields only in the reserved words.
//
// Who reads what: the converter reads every named field but menuSeconds (a zero field takes
// the converter's default); the output control reads the frame height and rate (the disc's TV
// standard), the aspect (of the menus) and menuSeconds.

#include <cstddef>
#include <cstdint>

// Audio codec codes (offset 64).
constexpr int32_t kEncodeAudioAc3 = 0;
constexpr int32_t kEncodeAudioMp2 = 1;   // MPEG-1 Layer II: PAL discs only
constexpr int32_t kEncodeAudioLpcm = 2;  // authored as is; the converter does not write it

// Aspect codes (offset 60).
constexpr int32_t kEncodeAspectBySource = 0;  // the nearer of 4:3 and 16:9 to the source
constexpr int32_t kEncodeAspect4x3 = 2;
constexpr int32_t kEncodeAspect16x9 = 3;

// Rate control codes (offset 28).
constexpr int32_t kEncodeRateVariable = -1;  // 0 means the same
constexpr int32_t kEncodeRateConstant = 1;

struct DvdEncodeParam {
  int32_t size;           //   0  112, or 0
  int32_t width;          //   4  720 (704 and 352 also allowed)
  int32_t height;         //   8  480 NTSC, 576 PAL; 0: by the frame rate, else 480
  int32_t reserved12;     //  12  0
  double frameRate;       //  16  30000/1001 with 480 lines, 25 with 576; 0: by the height
  int32_t videoBitrate;   //  24  average, bit/s; 0: 6000000
  int32_t rateControl;    //  28  kEncodeRate*: -1 or 0 variable up to maxBitrate, 1 constant
  int32_t maxBitrate;     //  32  bit/s, at most 9800000; 0: 9000000
  int32_t minBitrate;     //  36  bit/s; 0
  int32_t bufferSize;     //  40  video buffer in bits; 0: 1835008 (the DVD limit)
  int32_t gopSize;        //  44  frames; 0: 15; cut to 18 (NTSC) or 15 (PAL)
  int32_t bFrames;        //  48  B-frames between references; 0: 2; -1: none
  int32_t reserved52[2];  //  52  0
  int32_t aspect;         //  60  kEncodeAspect*
  int32_t audioCodec;     //  64  kEncodeAudio*
  int32_t audioBitrate;   //  68  bit/s; 0: 192000
  int32_t reserved72;     //  72  0
  int32_t sampleRate;     //  76  48000 (the only DVD rate); 0: 48000
  int32_t channels;       //  80  1 or 2; 0: 2
  int32_t previewEvery;   //  84  frames between the converter's preview pictures; 0: 15
  int32_t menuSeconds;    //  88  length of a still menu page without music; 0: 1
  int32_t reserved92[5];  //  92  0
};
static_assert(sizeof(DvdEncodeParam) == 112);
static_assert(offsetof(DvdEncodeParam, size) == 0);
static_assert(offsetof(DvdEncodeParam, width) == 4);
static_assert(offsetof(DvdEncodeParam, height) == 8);
static_assert(offsetof(DvdEncodeParam, reserved12) == 12);
static_assert(offsetof(DvdEncodeParam, frameRate) == 16);
static_assert(offsetof(DvdEncodeParam, videoBitrate) == 24);
static_assert(offsetof(DvdEncodeParam, rateControl) == 28);
static_assert(offsetof(DvdEncodeParam, maxBitrate) == 32);
static_assert(offsetof(DvdEncodeParam, minBitrate) == 36);
static_assert(offsetof(DvdEncodeParam, bufferSize) == 40);
static_assert(offsetof(DvdEncodeParam, gopSize) == 44);
static_assert(offsetof(DvdEncodeParam, bFrames) == 48);
static_assert(offsetof(DvdEncodeParam, reserved52) == 52);
static_assert(offsetof(DvdEncodeParam, aspect) == 60);
static_assert(offsetof(DvdEncodeParam, audioCodec) == 64);
static_assert(offsetof(DvdEncodeParam, audioBitrate) == 68);
static_assert(offsetof(DvdEncodeParam, reserved72) == 72);
static_assert(offsetof(DvdEncodeParam, sampleRate) == 76);
static_assert(offsetof(DvdEncodeParam, channels) == 80);
static_assert(offsetof(DvdEncodeParam, previewEvery) == 84);
static_assert(offsetof(DvdEncodeParam, menuSeconds) == 88);
static_assert(offsetof(DvdEncodeParam, reserved92) == 92);
