#include "program/engine/MediaInfo.h"

#include <algorithm>

#include "program/engine/EngineBinding.h"

WideString SubStreamName(const TSubStreamRecord& record) {
  const char16_t* end = std::find(record.Name, record.Name + kSubStreamNameUnits, u'\0');
  return WideString(record.Name, end);
}

bool CopyMediaFileInfo(const TMediaFileInfo& info, TMediaFileSummary& summary) {
  summary = TMediaFileSummary{};
  summary.Duration = info.Duration;
  // The first program entry describes the file: without one there is nothing to play.
  if (info.ProgramCount <= 0 || !info.Programs) return false;
  const TMediaProgramEntry& first = info.Programs[0];
  summary.ProgramDuration = first.Duration;
  // A description is read only when its count says the stream exists.
  summary.HasVideo = first.VideoStreamCount > 0 && first.VideoStream;
  summary.HasAudio = first.AudioStreamCount > 0 && first.AudioStream;
  if (summary.HasVideo) summary.Video = first.VideoStream->Video;
  if (summary.HasAudio) summary.Audio = first.AudioStream->Audio;
  for (int32_t p = 0; p < info.ProgramCount; ++p) {
    const TMediaProgramEntry& program = info.Programs[p];
    if (!program.SubStreams) continue;
    for (int32_t s = 0; s < program.SubStreamCount; ++s) {
      const TSubStreamRecord& record = program.SubStreams[s];
      if (record.StreamId != 0) summary.SubStreams.push_back({record.StreamId, SubStreamName(record)});
    }
  }
  return true;
}

bool ReadMediaFileInfo(TDecoderLibrary& library, const WideString& fileName, TMediaFileSummary& summary) {
  summary = TMediaFileSummary{};
  if (!library.Start()) return false;
  auto* info = static_cast<TMediaFileInfo*>(library.GetFileInfo(fileName.c_str(), 0));
  if (!info) return false;
  const bool complete = CopyMediaFileInfo(*info, summary);
  library.FreeFileInfo(info);
  return complete;
}

bool ReadMediaFileInfo(const WideString& fileName, TMediaFileSummary& summary) {
  return ReadMediaFileInfo(DecoderLibrary, fileName, summary);
}
