#include "engines/media/FileInfo.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "engines/media/FileSource.h"
#include "engines/media/MediaLog.h"
#include "platform/kernel/Unicode.h"

namespace engines::media {
namespace {

struct FileInfoBlock {
  TMediaFileInfo info{};
  TMediaProgram program{};
  TStreamDescription video{};
  TStreamDescription audio{};
  std::vector<TSubStreamInfo> subStreams;
};

std::mutex g_blocksMutex;
std::map<TMediaFileInfo*, std::unique_ptr<FileInfoBlock>>& Blocks() {
  static std::map<TMediaFileInfo*, std::unique_ptr<FileInfoBlock>> blocks;
  return blocks;
}

std::string Metadata(const AVDictionary* metadata, const char* key) {
  const AVDictionaryEntry* entry = av_dict_get(metadata, key, nullptr, 0);
  return entry && entry->value ? entry->value : "";
}

void Describe(const AVFormatContext* format, const AVStream* stream, TStreamDescription& out) {
  out.streamIndex = stream->index;
  out.streamId = stream->index + 1;
  CopyToField(avcodec_get_name(stream->codecpar->codec_id), out.codecName, std::size(out.codecName));
  CopyToField(Metadata(stream->metadata, "title"), out.title, std::size(out.title));
  out.bitRate = int32_t(std::min<int64_t>(stream->codecpar->bit_rate, INT32_MAX));
  if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
    out.video = DescribeVideo(format, stream);
  } else {
    out.audio = DescribeAudio(format, stream);
  }
}

}  // namespace

void CopyToField(const std::string& text, char16_t* field, size_t capacity) {
  if (capacity == 0) return;
  std::u16string wide = platform::Utf8ToUtf16(text);
  size_t count = std::min(wide.size(), capacity - 1);
  if (count > 0 && count < wide.size() && wide[count - 1] >= 0xD800 && wide[count - 1] <= 0xDBFF) --count;
  std::copy_n(wide.data(), count, field);
  std::fill(field + count, field + capacity, u'\0');
}

TMediaFileInfo* CreateFileInfo(const std::string& path, std::string& error) {
  InputContextPtr format = OpenInput(path, error);
  if (!format) return nullptr;
  auto block = std::make_unique<FileInfoBlock>();
  TMediaFileInfo& info = block->info;
  info.size = sizeof(TMediaFileInfo);
  CopyToField(format->iformat->name, info.formatName, std::size(info.formatName));
  CopyToField(Metadata(format->metadata, "title"), info.title, std::size(info.title));
  info.duration = FileDuration(format.get());
  info.bitRate = int32_t(std::min<int64_t>(format->bit_rate, INT32_MAX));

  TMediaProgram& program = block->program;
  program.duration = info.duration;
  program.streamCount = int32_t(format->nb_streams);
  const AVStream* firstVideo = nullptr;
  const AVStream* firstAudio = nullptr;
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVStream* stream = format->streams[i];
    switch (stream->codecpar->codec_type) {
      case AVMEDIA_TYPE_VIDEO:
        // Cover art inside an audio file is not a video stream.
        if (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) break;
        ++program.videoStreamCount;
        if (!firstVideo) firstVideo = stream;
        break;
      case AVMEDIA_TYPE_AUDIO:
        ++program.audioStreamCount;
        if (!firstAudio) firstAudio = stream;
        break;
      case AVMEDIA_TYPE_SUBTITLE: {
        TSubStreamInfo sub{};
        sub.kind = kSubStreamSubtitle;
        sub.streamId = stream->index + 1;
        CopyToField(avcodec_get_name(stream->codecpar->codec_id), sub.codecName, std::size(sub.codecName));
        std::string language = Metadata(stream->metadata, "language");
        CopyToField(language, sub.language, std::size(sub.language));
        std::string name = Metadata(stream->metadata, "title");
        if (name.empty()) name = language;
        if (name.empty()) name = "Subtitle " + std::to_string(block->subStreams.size() + 1);
        CopyToField(name, sub.name, std::size(sub.name));
        block->subStreams.push_back(sub);
        break;
      }
      default:
        break;
    }
  }
  if (!firstVideo && !firstAudio) {
    error = "no video or audio stream in '" + path + "'";
    LogLine(error);
    return nullptr;
  }
  if (firstVideo) {
    Describe(format.get(), firstVideo, block->video);
    program.video = &block->video;
  }
  if (firstAudio) {
    Describe(format.get(), firstAudio, block->audio);
    program.audio = &block->audio;
  }
  program.subStreamCount = int32_t(block->subStreams.size());
  program.subStreams = block->subStreams.empty() ? nullptr : block->subStreams.data();
  info.programCount = 1;
  info.programs = &block->program;

  TMediaFileInfo* result = &block->info;
  std::lock_guard lock(g_blocksMutex);
  Blocks().emplace(result, std::move(block));
  return result;
}

void FreeFileInfo(TMediaFileInfo* info) {
  if (!info) return;
  std::unique_ptr<FileInfoBlock> block;
  {
    std::lock_guard lock(g_blocksMutex);
    auto found = Blocks().find(info);
    if (found == Blocks().end()) return;
    block = std::move(found->second);
    Blocks().erase(found);
  }
}

}  // namespace engines::media
