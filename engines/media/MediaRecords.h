#pragma once

// The records in which the decoder manager describes media to the program. TVideoInfo and
// TAudioInfo keep their exact sizes: the program stores them in its library and its source
// list file. The file information block is the engine's own: it is handed to the program by
// ordinal 1 of the decoder manager and given back to ordinal 2; pointers in it are 64-bit, so
// its program entry is laid out for 8-byte pointers (the offsets are checked below).

#include <cstddef>
#include <cstdint>

namespace engines::media {

// Bits of dwCapsFlag. The clip editor hides its trim page when either is set.
constexpr uint32_t kCapsStillPicture = 0x1;  // a photo: one picture, shown for as long as wanted
constexpr uint32_t kCapsNotSeekable = 0x2;   // the stream cannot be positioned

struct TVideoInfo {
  int32_t Width;
  int32_t Height;
  double frame_rate;
  int32_t total_frames;
  int32_t xratio;  // display aspect, reduced: 16 and 9, 4 and 3, 47 and 20 ...
  int32_t yratio;
  uint32_t dwFourCC;
  int32_t nBitsDepth;
  uint32_t dwCapsFlag;
};
static_assert(sizeof(TVideoInfo) == 40);
static_assert(offsetof(TVideoInfo, frame_rate) == 8);
static_assert(offsetof(TVideoInfo, total_frames) == 16);
static_assert(offsetof(TVideoInfo, dwFourCC) == 28);
static_assert(offsetof(TVideoInfo, dwCapsFlag) == 36);

struct TAudioInfo {
  int32_t sample_rate;
  int32_t channels;
  int32_t bitspersample;
  int32_t bytespersecond;
  double length;  // seconds
  uint32_t dwCapsFlag;
  uint32_t reserved;
};
static_assert(sizeof(TAudioInfo) == 32);
static_assert(offsetof(TAudioInfo, length) == 16);
static_assert(offsetof(TAudioInfo, dwCapsFlag) == 24);

// Kinds of a sub-stream record.
constexpr int32_t kSubStreamSubtitle = 1;

// One selectable sub-stream (subtitles) of a program; 396 bytes. The name is at most 127
// UTF-16 units and always zero-terminated inside its 128 units.
struct TSubStreamInfo {
  int32_t kind;
  int32_t streamId;  // 0: the record carries no selectable stream; else stream index + 1
  char16_t codecName[32];
  char16_t language[34];
  char16_t name[128];
};
static_assert(sizeof(TSubStreamInfo) == 396);
static_assert(offsetof(TSubStreamInfo, streamId) == 4);
static_assert(offsetof(TSubStreamInfo, name) == 140);

// Description of one video or audio stream: the video one fills `video`, the audio one
// `audio`.
struct TStreamDescription {
  int32_t streamIndex;
  int32_t streamId;
  char16_t codecName[64];
  char16_t title[136];
  int32_t bitRate;  // bit/s, 0 when unknown
  int32_t reserved;
  TVideoInfo video;
  TAudioInfo audio;
};
static_assert(sizeof(TStreamDescription) == 488);
static_assert(offsetof(TStreamDescription, video) == 416);
static_assert(offsetof(TStreamDescription, audio) == 456);

struct TMediaProgram {
  int32_t programId;
  int32_t streamCount;
  double duration;  // seconds
  int32_t reserved;
  int32_t videoStreamCount;
  int32_t audioStreamCount;
  int32_t subStreamCount;
  TStreamDescription* video;  // first video stream, nullptr without video
  TStreamDescription* audio;  // first audio stream, nullptr without audio
  TSubStreamInfo* subStreams;
};
static_assert(sizeof(TMediaProgram) == 56);
static_assert(offsetof(TMediaProgram, duration) == 8);
static_assert(offsetof(TMediaProgram, videoStreamCount) == 20);
static_assert(offsetof(TMediaProgram, audioStreamCount) == 24);
static_assert(offsetof(TMediaProgram, subStreamCount) == 28);
static_assert(offsetof(TMediaProgram, video) == 32);
static_assert(offsetof(TMediaProgram, audio) == 40);
static_assert(offsetof(TMediaProgram, subStreams) == 48);

struct TMediaFileInfo {
  int32_t size;  // sizeof(TMediaFileInfo)
  int32_t flags;
  char16_t formatName[64];
  char16_t title[128];
  double duration;  // seconds
  int32_t bitRate;
  int32_t programCount;
  TMediaProgram* programs;  // the first describes the file
};
static_assert(sizeof(TMediaFileInfo) == 416);
static_assert(offsetof(TMediaFileInfo, duration) == 392);
static_assert(offsetof(TMediaFileInfo, programCount) == 404);
static_assert(offsetof(TMediaFileInfo, programs) == 408);

// The 36-byte decode parameter block a clip hands to QVDCreate and QADCreate.
struct TDecodeParams {
  int32_t reserved[3];
  int32_t subtitleStreamId;  // 0 = none
  int32_t more[5];
};
static_assert(sizeof(TDecodeParams) == 36);
static_assert(offsetof(TDecodeParams, subtitleStreamId) == 12);

}  // namespace engines::media
