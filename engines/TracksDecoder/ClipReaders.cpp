#include "engines/TracksDecoder/ClipReaders.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engines/QM_DataProcess/DataProcessApi.h"
#include "engines/media/FieldRate.h"
#include "engines/media/FileSource.h"

using namespace engines::media;

namespace tracks {

namespace {

constexpr double kTimeSlack = 1e-6;

std::string Failure(const ClipPlan& clip, const std::string& what) {
  return "cannot read '" + clip.path + "': " + (what.empty() ? "the file cannot be decoded" : what);
}

void SetPictureSettings(const ClipPlan& clip, const TVideoInfo* info, EngineHandle processor) {
  const RECT crop{clip.crop[0], clip.crop[1], clip.crop[2], clip.crop[3]};
  PCSetCropRectEx(processor, clip.hasCrop ? &crop : nullptr, clip.style);
  PCSetVideoBrightness(processor, clip.brightness);
  PCSetContrast(processor, clip.contrast);
  PCSetVideoSaturation(processor, clip.saturation);
  PCSetExFilterFlag(processor, clip.effects);
  PCSetFlipFlag(processor, clip.flip);
  PCSetVideoDeintelace(processor, clip.deinterlace);
  if (clip.watermark && info && info->Width > 0 && info->Height > 0) {
    const WatermarkPicture& mark = *clip.watermark;
    BitmapInfoHeader header{};
    header.biSize = sizeof(header);
    header.biWidth = mark.width;
    header.biHeight = -mark.height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    const float w = float(info->Width), h = float(info->Height);
    const TUnitRect rect{mark.left / w, mark.top / h, (mark.left + mark.boxWidth) / w,
                         (mark.top + mark.boxHeight) / h};
    PCSetUserWatermarkImage(processor, &header, mark.bgra.data(), &rect, mark.opacity);
  }
  if (!clip.subtitleStyle.empty()) PCSetUserSubPicture(processor, clip.subtitleStyle.data(), clip.subtitleOpacity);
}

}  // namespace

HandleSource::~HandleSource() {
  source.reset();
  if (processor) (video ? PCDestroyVideoProcessor : PCDestroyAudioProcessor)(processor);
  if (decoder) engines::UnregisterObject(decoder);
}

std::unique_ptr<ClipVideo> ClipVideo::Open(const ClipPlan& clip, double local, bool deinterlace,
                                           std::string& error) {
  DecoderOptions options;
  options.subtitleStreamId = clip.subtitleStyle.empty() ? 0 : clip.subtitleStream;
  std::string why;
  auto file = FileSource::Open(clip.path, StreamKind::Video, options, why);
  if (!file) {
    error = "cannot open '" + clip.path + "': " + (why.empty() ? "no pictures" : why);
    return nullptr;
  }
  std::shared_ptr<MediaSource> decoder = file;
  if (deinterlace && clip.deinterlace == 0 && IsInterlaced(file->FieldOrder()))
    decoder = std::make_shared<FieldRateSource>(file, file->FieldOrder());
  auto reader = std::make_unique<ClipVideo>();
  reader->m_clip = &clip;
  reader->m_handles.video = true;
  if (clip.NeutralPicture()) {
    reader->m_handles.source = decoder;
  } else {
    reader->m_handles.decoder = engines::RegisterObject(decoder);
    reader->m_handles.processor = PCCreateVideoProcessor(reader->m_handles.decoder, 0, 0.0);
    reader->m_handles.source = engines::Lookup<MediaSource>(reader->m_handles.processor);
    if (!reader->m_handles.source) {
      error = Failure(clip, "no picture processor");
      return nullptr;
    }
    SetPictureSettings(clip, decoder->VideoInfo(), reader->m_handles.processor);
  }
  const double at = clip.physicalBegin + std::max(0.0, local);
  if (at > kTimeSlack && decoder->Duration() > 0.0 && !reader->m_handles.source->Seek(at)) {
    error = Failure(clip, reader->m_handles.source->LastError());
    return nullptr;
  }
  return reader;
}

bool ClipVideo::PictureAt(double local, VideoFrame& out, std::string& error) {
  const double at = m_clip->physicalBegin + local + kTimeSlack;
  MediaSource& source = *m_handles.source;
  while (!m_ended && (!m_haveNext || m_next.time <= at)) {
    if (m_haveNext) {
      m_current = std::move(m_next);
      m_haveCurrent = true;
      m_haveNext = false;
    }
    VideoFrame frame;
    if (source.ReadVideo(frame)) {
      m_next = std::move(frame);
      m_haveNext = true;
    } else {
      m_ended = true;
      if (!source.LastError().empty()) {
        error = Failure(*m_clip, source.LastError());
        return false;
      }
    }
  }
  // Before the first picture (a stream that starts late) its first picture is shown.
  const VideoFrame* shown = m_haveCurrent ? &m_current : m_haveNext ? &m_next : nullptr;
  if (!shown) {
    error = Failure(*m_clip, "no pictures");
    return false;
  }
  out.frame = RefFrame(shown->frame.get());
  out.time = shown->time;
  out.displayAspect = shown->displayAspect;
  out.style = Processed() ? shown->style : ResizeStyle(m_clip->style);
  return bool(out.frame);
}

std::unique_ptr<ClipAudio> ClipAudio::Open(const ClipPlan& clip, double local, std::string& error) {
  auto reader = std::make_unique<ClipAudio>();
  reader->m_clip = &clip;
  reader->m_handles.video = false;
  reader->m_sourceOffset = std::llround(clip.physicalBegin * kAudioRate);
  std::string why;
  auto decoder = FileSource::Open(clip.path, StreamKind::Audio, {}, why);
  if (!decoder) {
    // No sound is silence; a file that cannot be opened at all fails.
    if (!OpenInput(clip.path, why)) {
      error = "cannot open '" + clip.path + "': " + why;
      return nullptr;
    }
    reader->m_ended = true;
    return reader;
  }
  reader->m_handles.decoder = engines::RegisterObject(decoder);
  reader->m_handles.processor = PCCreateAudioProcessor(reader->m_handles.decoder, 0, 0.0);
  reader->m_handles.source = engines::Lookup<MediaSource>(reader->m_handles.processor);
  if (!reader->m_handles.source) {
    error = Failure(clip, "no sound processor");
    return nullptr;
  }
  PCSetVolum(reader->m_handles.processor, clip.mute ? 0 : clip.volume);
  const double at = clip.physicalBegin + std::max(0.0, local);
  reader->m_bufferStart = std::llround(at * kAudioRate);
  if (at > kTimeSlack && !reader->m_handles.source->Seek(at)) {
    error = Failure(clip, reader->m_handles.source->LastError());
    return nullptr;
  }
  return reader;
}

bool ClipAudio::Take(int64_t from, size_t count, float* out, std::string& error) {
  const int64_t first = m_sourceOffset + from, last = first + int64_t(count);
  std::fill(out, out + count * kAudioChannels, 0.0f);
  // Samples before the wanted ones are dropped.
  if (first > m_bufferStart) {
    const size_t drop = std::min<size_t>(m_buffer.size() / kAudioChannels, size_t(first - m_bufferStart));
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + drop * kAudioChannels);
    m_bufferStart = first;
  }
  while (!m_ended && m_bufferStart + int64_t(m_buffer.size() / kAudioChannels) < last) {
    AudioBlock block;
    if (!m_handles.source->ReadAudio(block)) {
      m_ended = true;
      if (!m_handles.source->LastError().empty()) {
        error = Failure(*m_clip, m_handles.source->LastError());
        return false;
      }
      break;
    }
    // The block is laid at its own time: a gap before it is silence, an overlap is dropped.
    const int64_t start = std::llround(block.time * kAudioRate);
    const int64_t end = m_bufferStart + int64_t(m_buffer.size() / kAudioChannels);
    size_t skip = 0;
    if (start > end) m_buffer.resize(m_buffer.size() + size_t(start - end) * kAudioChannels, 0.0f);
    else skip = std::min(block.SampleCount(), size_t(end - start));
    m_buffer.insert(m_buffer.end(), block.samples.begin() + skip * kAudioChannels, block.samples.end());
    // Samples before the wanted ones (the decoder's start before a seek point) are dropped.
    if (m_bufferStart < first) {
      const size_t drop = std::min<size_t>(m_buffer.size() / kAudioChannels, size_t(first - m_bufferStart));
      m_buffer.erase(m_buffer.begin(), m_buffer.begin() + drop * kAudioChannels);
      m_bufferStart += int64_t(drop);
    }
  }
  if (m_bufferStart >= last) return true;
  const int64_t begin = std::max(first, m_bufferStart);
  const int64_t available = m_bufferStart + int64_t(m_buffer.size() / kAudioChannels);
  const int64_t end = std::min(last, available);
  if (end > begin) {
    std::memcpy(out + (begin - first) * kAudioChannels, m_buffer.data() + (begin - m_bufferStart) * kAudioChannels,
                size_t(end - begin) * kAudioChannels * sizeof(float));
  }
  return true;
}

}  // namespace tracks
