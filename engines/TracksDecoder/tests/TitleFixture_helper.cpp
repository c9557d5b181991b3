#include "TitleFixture.h"

#include <map>

#include "engines/media/testing/MediaFixtures.h"
#include "platform/kernel/Unicode.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/WinUser.h"

using namespace engines::media;

namespace title_test {

namespace {

const std::map<std::string, std::vector<std::string>>& Recipes() {
  static const std::map<std::string, std::vector<std::string>> recipes = {
      {"red.mp4",
       {"-f", "lavfi", "-i", "color=c=red:size=160x120:rate=25:duration=1", "-f", "lavfi", "-i",
        "sine=frequency=440:sample_rate=48000:duration=1", "-ac", "2", "-c:v", "libx264", "-preset", "ultrafast",
        "-pix_fmt", "yuv420p", "-g", "5", "-c:a", "aac", "-b:a", "128k", "-shortest"}},
      {"blue.mp4",
       {"-f", "lavfi", "-i", "color=c=blue:size=160x120:rate=25:duration=1", "-f", "lavfi", "-i",
        "sine=frequency=880:sample_rate=48000:duration=1", "-ac", "2", "-c:v", "libx264", "-preset", "ultrafast",
        "-pix_fmt", "yuv420p", "-g", "5", "-c:a", "aac", "-b:a", "128k", "-shortest"}},
      // Red with a tone for 0.5 s, then blue and silent for 0.5 s.
      {"halftime.mp4",
       {"-f", "lavfi", "-i", "color=c=red:size=160x120:rate=25:duration=1,drawbox=c=blue:t=fill:enable='gte(t,0.5)'",
        "-f", "lavfi", "-i", "aevalsrc=if(lt(t\\,0.5)\\,0.5*sin(2*PI*440*t)\\,0):s=48000:d=1", "-ac", "2", "-c:v",
        "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-g", "5", "-c:a", "aac", "-b:a", "128k",
        "-shortest"}},
      // Interlaced, top field first: a white bar moving fast across black.
      {"interlaced.mpg",
       {"-f", "lavfi", "-i",
        "nullsrc=size=320x240:rate=50:duration=1,geq=lum='if(between(X\\,mod(T*600\\,300)\\,mod(T*600\\,300)+20)\\,"
        "235\\,16)':cb=128:cr=128,interlace",
        "-c:v", "mpeg2video", "-q:v", "2", "-flags", "+ilme+ildct", "-top", "1", "-an"}},
      {"green.mp4",
       {"-f", "lavfi", "-i", "color=c=green:size=160x120:rate=25:duration=1", "-c:v", "libx264", "-preset",
        "ultrafast", "-pix_fmt", "yuv420p", "-an"}},
      {"pattern.mp4",
       {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=1", "-c:v", "libx264", "-preset",
        "ultrafast", "-pix_fmt", "yuv420p", "-g", "10", "-an"}},
      {"halves.png",
       {"-f", "lavfi", "-i", "color=c=red:size=64x48,drawbox=x=32:y=0:w=32:h=48:c=blue:t=fill", "-frames:v", "1"}},
      {"mark.png", {"-f", "lavfi", "-i", "color=c=lime:size=16x16", "-frames:v", "1"}},
      {"circle.png",
       {"-f", "lavfi", "-i", "nullsrc=size=320x240,geq=lum='if(lt(hypot(X-160\\,Y-120)\\,90)\\,235\\,16)':cb=128:cr=128",
        "-frames:v", "1"}},
      {"subtitled.mkv",
       {"-f", "lavfi", "-i", "color=c=gray:size=160x120:rate=25:duration=1", "-i",
        BRANTWELL_TEST_SOURCE_DIR "/subtitle.srt", "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p",
        "-c:s", "srt", "-map", "0:v", "-map", "1:s"}},
  };
  return recipes;
}

}  // namespace

std::string Clip(const std::string& name) {
  namespace fs = std::filesystem;
  const fs::path path = engines::media::testing::FixtureFolder() / ("title-" + name);
  if (fs::exists(path)) return path.string();
  const auto found = Recipes().find(name);
  if (found == Recipes().end()) return {};
  const fs::path temporary = engines::media::testing::FixtureFolder() / ("tmp-" + std::to_string(getpid()) + "-title-" + name);
  std::vector<std::string> arguments = {"ffmpeg", "-nostdin", "-y", "-loglevel", "error"};
  arguments.insert(arguments.end(), found->second.begin(), found->second.end());
  arguments.push_back(temporary.string());
  if (engines::media::testing::RunProgram(arguments) != 0) {
    fs::remove(temporary);
    return {};
  }
  fs::rename(temporary, path);
  return path.string();
}

void TitleTest::SetUp() {
  static const ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"TitleTestParent";
    return RegisterClassW(&wc);
  }();
  ASSERT_NE(atom, 0);
  parent = CreateWindowExW(0, u"TitleTestParent", u"Title", WS_POPUP, 0, 0, 400, 120, nullptr, nullptr, nullptr,
                           nullptr);
  ASSERT_NE(parent, nullptr);
  const RECT rect{0, 0, 400, 120};
  timeline = CreateTimeline(parent, &rect, nullptr, 0);
  ASSERT_NE(timeline, 0u);
  doc = GetTimelineDoc(timeline);
  track = TDGetTrack(doc, kTimelineVideoTrack, 0);
  ASSERT_NE(track, 0u);
}

void TitleTest::TearDown() {
  for (EngineHandle video : videos) MTDVideoDestroy(video);
  for (EngineHandle audio : audios) MTDAudioDestroy(audio);
  DestroyTimeline(timeline);
  if (IsWindow(parent)) DestroyWindow(parent);
  platform::testing::RunUntilIdle();
}

EngineHandle TitleTest::Add(const std::string& file, double seconds, double transition,
                            const std::u16string& transitionId) {
  const EngineHandle clip = TCCreate(kTimelineVideoClip);
  TCSetFileName(clip, platform::Utf8ToUtf16(file).c_str());
  TCSetPhysicalBegin(clip, 0.0);
  TCSetPhysicalLength(clip, seconds);
  TTInsertClipIndex(track, clip, -1);
  if (transition > 0.0) TTSetClipTailTransID(track, clip, transitionId.c_str(), transition);
  TCRelease(clip);
  return clip;
}

MediaSource* TitleTest::Video(int width, int height, double fps, int flag) {
  const EngineHandle handle = MTDVideoCreate(doc, width, height, fps, flag);
  if (!handle) return nullptr;
  videos.push_back(handle);
  return engines::Lookup<MediaSource>(handle).get();
}

MediaSource* TitleTest::Audio() {
  const EngineHandle handle = MTDAudioCreate(doc, 48000, 2);
  if (!handle) return nullptr;
  audios.push_back(handle);
  return engines::Lookup<MediaSource>(handle).get();
}

FramePtr ToBgra(const VideoFrame& frame) {
  FrameConverter converter;
  return converter.Convert(frame.frame.get(), AV_PIX_FMT_BGRA, frame.frame->width, frame.frame->height);
}

Rgb PixelAt(const AVFrame* bgra, int x, int y) {
  const uint8_t* p = bgra->data[0] + ptrdiff_t(y) * bgra->linesize[0] + x * 4;
  return {p[2], p[1], p[0]};
}

FramePtr FrameAt(MediaSource& video, int64_t n) {
  VideoFrame frame;
  for (int64_t i = 0; i <= n; ++i)
    if (!video.ReadVideo(frame)) return nullptr;
  return ToBgra(frame);
}

std::vector<float> ReadAll(MediaSource& audio) {
  std::vector<float> all;
  AudioBlock block;
  while (audio.ReadAudio(block)) all.insert(all.end(), block.samples.begin(), block.samples.end());
  return all;
}

double Rms(const std::vector<float>& samples, double from, double to) {
  const size_t first = size_t(from * kAudioRate) * 2, last = std::min(samples.size(), size_t(to * kAudioRate) * 2);
  double sum = 0.0;
  for (size_t i = first; i < last; ++i) sum += double(samples[i]) * samples[i];
  return last > first ? std::sqrt(sum / double(last - first)) : 0.0;
}

bool Near(const Rgb& a, const Rgb& b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

}  // namespace title_test
