#pragma once

// What the decoder manager tells about a media file: the stream records TVideoInfo and
// TAudioInfo (stored as they stand by the video library and the source list file), and the
// file information block that the manager hands out and takes back.
//
// The records cross the engine boundary byte for byte. The program binds the decoder manager
// at run time and does not build against it, so the layouts are written out here and every
// offset is checked; the engine binding tests compare them with the engine's own. Pointers in
// the file information block are 64-bit, so its program entry has 8-byte pointer fields.
//
// ReadMediaFileInfo copies what the program uses out of the block and frees it; any thread.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "rtl/SysTypes.h"

class TDecoderLibrary;

// Bits of dwCapsFlag.
constexpr uint32_t kMediaCapsStillPicture = 0x1;  // a photo: one picture, shown for as long as wanted
constexpr uint32_t kMediaCapsNotSeekable = 0x2;   // the stream cannot be positioned

struct TVideoInfo {
  int32_t Width;
  int32_t Height;
  double frame_rate;
  int32_t total_frames;
  int32_t xratio;  // display aspect: 4 and 3, 16 and 9 ...
  int32_t yratio;
  uint32_t dwFourCC;
  int32_t nBitsDepth;
  uint32_t dwCapsFlag;
};
static_assert(sizeof(TVideoInfo) == 40);
static_assert(offsetof(TVideoInfo, Height) == 4 && offsetof(TVideoInfo, frame_rate) == 8);
static_assert(offsetof(TVideoInfo, total_frames) == 16 && offsetof(TVideoInfo, xratio) == 20);
static_assert(offsetof(TVideoInfo, yratio) == 24 && offsetof(TVideoInfo, dwFourCC) == 28);
static_assert(offsetof(TVideoInfo, nBitsDepth) == 32 && offsetof(TVideoInfo, dwCapsFlag) == 36);

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
static_assert(offsetof(TAudioInfo, channels) == 4 && offsetof(TAudioInfo, bitspersample) == 8);
static_assert(offsetof(TAudioInfo, bytespersecond) == 12 && offsetof(TAudioInfo, length) == 16);
static_assert(offsetof(TAudioInfo, dwCapsFlag) == 24 && offsetof(TAudioInfo, reserved) == 28);

// One selectable sub-stream (subtitles) of a program, 396 bytes.
constexpr size_t kSubStreamNameUnits = 128;
struct TSubStreamRecord {
  int32_t Kind;
  int32_t StreamId;  // 0: the record carries no selectable stream
  char16_t CodecName[32];
  char16_t Language[34];
  char16_t Name[kSubStreamNameUnits];  // zero-terminated when shorter than its array
};
static_assert(sizeof(TSubStreamRecord) == 396);
static_assert(offsetof(TSubStreamRecord, StreamId) == 4 && offsetof(TSubStreamRecord, CodecName) == 8);
static_assert(offsetof(TSubStreamRecord, Language) == 72 && offsetof(TSubStreamRecord, Name) == 140);

// Description of one video or audio stream; TVideoInfo at 416, TAudioInfo at 456.
struct TStreamDescription {
  int32_t StreamIndex;
  int32_t StreamId;
  char16_t CodecName[64];
  char16_t Title[136];
  int32_t BitRate;
  int32_t Reserved;
  TVideoInfo Video;
  TAudioInfo Audio;
};
static_assert(sizeof(TStreamDescription) == 488);
static_assert(offsetof(TStreamDescription, StreamId) == 4 && offsetof(TStreamDescription, CodecName) == 8);
static_assert(offsetof(TStreamDescription, Title) == 136 && offsetof(TStreamDescription, BitRate) == 408);
static_assert(offsetof(TStreamDescription, Video) == 416 && offsetof(TStreamDescription, Audio) == 456);

struct TMediaProgramEntry {
  int32_t ProgramId;
  int32_t StreamCount;
  double Duration;  // seconds
  int32_t Reserved;
  int32_t VideoStreamCount;  // > 0: the program has video
  int32_t AudioStreamCount;  // > 0: the program has audio
  int32_t SubStreamCount;
  TStreamDescription* VideoStream;
  TStreamDescription* AudioStream;
  TSubStreamRecord* SubStreams;
};
static_assert(sizeof(TMediaProgramEntry) == 56);
static_assert(offsetof(TMediaProgramEntry, StreamCount) == 4 && offsetof(TMediaProgramEntry, Duration) == 8);
static_assert(offsetof(TMediaProgramEntry, Reserved) == 16 && offsetof(TMediaProgramEntry, VideoStreamCount) == 20);
static_assert(offsetof(TMediaProgramEntry, AudioStreamCount) == 24);
static_assert(offsetof(TMediaProgramEntry, SubStreamCount) == 28);
static_assert(offsetof(TMediaProgramEntry, VideoStream) == 32 && offsetof(TMediaProgramEntry, AudioStream) == 40);
static_assert(offsetof(TMediaProgramEntry, SubStreams) == 48);

struct TMediaFileInfo {
  int32_t Size;
  int32_t Flags;
  char16_t FormatName[64];
  char16_t Title[128];
  double Duration;  // seconds
  int32_t BitRate;
  int32_t ProgramCount;
  TMediaProgramEntry* Programs;  // the first describes the file
};
static_assert(sizeof(TMediaFileInfo) == 416);
static_assert(offsetof(TMediaFileInfo, Flags) == 4 && offsetof(TMediaFileInfo, FormatName) == 8);
static_assert(offsetof(TMediaFileInfo, Title) == 136 && offsetof(TMediaFileInfo, Duration) == 392);
static_assert(offsetof(TMediaFileInfo, BitRate) == 400 && offsetof(TMediaFileInfo, ProgramCount) == 404);
static_assert(offsetof(TMediaFileInfo, Programs) == 408);

// The name of a sub-stream, read no further than its 128 units even when the engine left no
// terminating zero in them.
WideString SubStreamName(const TSubStreamRecord& record);

struct TSubStreamSummary {
  int32_t StreamId;
  WideString Name;
};

// The part of a file's information the program keeps, copied out of the engine's block.
struct TMediaFileSummary {
  double Duration = 0.0;         // of the file, seconds
  double ProgramDuration = 0.0;  // of its first program, seconds
  bool HasVideo = false;
  bool HasAudio = false;
  TVideoInfo Video{};  // all zero without video
  TAudioInfo Audio{};  // all zero without audio
  std::vector<TSubStreamSummary> SubStreams;  // of every program, in order; selectable ones only
};

// Copies an engine's answer into `summary`. False when the answer has no program entry
// (only the file's duration is copied then): a source is usable only through its first entry.
bool CopyMediaFileInfo(const TMediaFileInfo& info, TMediaFileSummary& summary);

// Starts the decoder manager of `library`, asks it about `fileName` and copies the answer into
// `summary`. False when the manager does not start, cannot read the file, or answers without a
// program entry; the library's load failure (EOSError) is the only exception, as for every
// first use of an engine.
bool ReadMediaFileInfo(TDecoderLibrary& library, const WideString& fileName, TMediaFileSummary& summary);
// The same with the "QM_DecMgr.dll" record.
bool ReadMediaFileInfo(const WideString& fileName, TMediaFileSummary& summary);
