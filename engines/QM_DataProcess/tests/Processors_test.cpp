#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "engines/QM_DataProcess/DataProcessApi.h"
#include "engines/media/FrameConvert.h"
#include "engines/media/MediaSource.h"

using namespace engines::media;

namespace {

constexpr int kWidth = 8, kHeight = 4;

struct Pixel {
  int b, g, r;
  bool operator==(const Pixel&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Pixel& p) { return out << "(" << p.b << "," << p.g << "," << p.r << ")"; }

// The known picture: every pixel different by position.
Pixel Source(int x, int y) { return {20 + 10 * y, 60 + 10 * x, 200 - 20 * y}; }

// A source of one known BGRA picture, and of a short tone.
class KnownSource final : public MediaSource {
 public:
  bool HasVideo() const override { return true; }
  bool HasAudio() const override { return true; }
  double Duration() const override { return 1.0; }
  const TVideoInfo* VideoInfo() const override { return &m_video; }
  const TAudioInfo* AudioInfo() const override { return &m_audio; }
  bool ReadVideo(VideoFrame& out) override {
    out.frame = MakeBlackFrame(AV_PIX_FMT_BGRA, kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        uint8_t* p = out.frame->data[0] + y * out.frame->linesize[0] + x * 4;
        const Pixel s = Source(x, y);
        p[0] = uint8_t(s.b), p[1] = uint8_t(s.g), p[2] = uint8_t(s.r), p[3] = 255;
      }
    out.time = 0.0;
    return true;
  }
  bool ReadAudio(AudioBlock& out) override {
    out.samples = {0.5f, -0.5f, 0.8f, -0.8f};
    return true;
  }
  bool Seek(double) override { return true; }
  std::string LastError() const override { return {}; }

 private:
  TVideoInfo m_video{kWidth, kHeight, 25.0, 25, 2, 1, 0, 32, 0};
  TAudioInfo m_audio{48000, 2, 16, 192000, 1.0, 0, 0};
};

struct Fixture {
  EngineHandle source = engines::RegisterObject(std::make_shared<KnownSource>());
  EngineHandle processor = PCCreateVideoProcessor(source, 0, -1.0);
  ~Fixture() {
    PCDestroyVideoProcessor(processor);
    engines::UnregisterObject(source);
  }
  VideoFrame Read() {
    VideoFrame frame;
    EXPECT_TRUE(engines::Lookup<MediaSource>(processor)->ReadVideo(frame));
    return frame;
  }
};

Pixel At(const VideoFrame& frame, int x, int y) {
  const uint8_t* p = frame.frame->data[0] + y * frame.frame->linesize[0] + x * 4;
  return {p[0], p[1], p[2]};
}

int Luma(const Pixel& p) { return (p.r * 77 + p.g * 150 + p.b * 29 + 128) >> 8; }
int Clamp(int v) { return std::clamp(v, 0, 255); }

struct EffectCase {
  const char* name;
  std::function<void(EngineHandle)> apply;
  std::function<Pixel(int x, int y)> expected;  // the output pixel at (x, y)
};

TEST(VideoProcessor, EveryEffectChangesKnownPixels) {
  auto avg = [](Pixel a, Pixel b) { return Pixel{(a.b + b.b + 1) / 2, (a.g + b.g + 1) / 2, (a.r + b.r + 1) / 2}; };
  const std::vector<EffectCase> cases = {
      {"none", [](EngineHandle) {}, Source},
      {"brightness +50", [](EngineHandle h) { PCSetVideoBrightness(h, 50); },
       [](int x, int y) { Pixel s = Source(x, y); return Pixel{Clamp(s.b + 64), Clamp(s.g + 64), Clamp(s.r + 64)}; }},
      {"contrast -100 flattens to grey", [](EngineHandle h) { PCSetContrast(h, -100); },
       [](int, int) { return Pixel{128, 128, 128}; }},
      {"contrast +50 doubles around grey", [](EngineHandle h) { PCSetContrast(h, 50); },
       [](int x, int y) { Pixel s = Source(x, y); return Pixel{Clamp(2 * s.b - 128), Clamp(2 * s.g - 128), Clamp(2 * s.r - 128)}; }},
      {"saturation -100", [](EngineHandle h) { PCSetVideoSaturation(h, -100); },
       [](int x, int y) { int l = Luma(Source(x, y)); return Pixel{l, l, l}; }},
      {"gray", [](EngineHandle h) { PCSetExFilterFlag(h, 1); },
       [](int x, int y) { int l = Luma(Source(x, y)); return Pixel{l, l, l}; }},
      {"negative", [](EngineHandle h) { PCSetExFilterFlag(h, 4); },
       [](int x, int y) { Pixel s = Source(x, y); return Pixel{255 - s.b, 255 - s.g, 255 - s.r}; }},
      {"old film", [](EngineHandle h) { PCSetExFilterFlag(h, 32); },
       [](int x, int y) { int l = Luma(Source(x, y)); return Pixel{Clamp(l - 20), Clamp(l + 20), Clamp(l + 40)}; }},
      {"flip horizontal", [](EngineHandle h) { PCSetFlipFlag(h, 1); },
       [](int x, int y) { return Source(kWidth - 1 - x, y); }},
      {"flip both", [](EngineHandle h) { PCSetFlipFlag(h, 3); },
       [](int x, int y) { return Source(kWidth - 1 - x, kHeight - 1 - y); }},
      {"repeat odd lines", [](EngineHandle h) { PCSetVideoDeintelace(h, 1); },
       [](int x, int y) { return Source(x, y | 1); }},
      {"repeat even lines", [](EngineHandle h) { PCSetVideoDeintelace(h, 2); },
       [](int x, int y) { return Source(x, y & ~1); }},
      {"odd lines interpolated", [](EngineHandle h) { PCSetVideoDeintelace(h, 3); },
       [&](int x, int y) { return y == 2 ? avg(Source(x, 1), Source(x, 3)) : Source(x, y == 0 ? 1 : y); }},
      {"even lines interpolated", [](EngineHandle h) { PCSetVideoDeintelace(h, 4); },
       [&](int x, int y) { return y == 1 ? avg(Source(x, 0), Source(x, 2)) : Source(x, y == 3 ? 2 : y); }},
  };
  for (const EffectCase& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    c.apply(f.processor);
    const VideoFrame frame = f.Read();
    ASSERT_EQ(frame.frame->width, kWidth);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) ASSERT_EQ(At(frame, x, y), c.expected(x, y)) << "at " << x << "," << y;
  }
}

TEST(VideoProcessor, EmbossLeavesGreyReliefOfEdges) {
  Fixture f;
  PCSetExFilterFlag(f.processor, 2);
  const VideoFrame frame = f.Read();
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const Pixel p = At(frame, x, y);
      EXPECT_EQ(p.b, p.g);
      EXPECT_EQ(p.g, p.r);
    }
  // Inside, the relief is the difference of the diagonal neighbours' luma.
  EXPECT_EQ(At(frame, 3, 1).r, Clamp(128 + Luma(Source(4, 2)) - Luma(Source(2, 0))));
}

TEST(VideoProcessor, CropKeepsThePixelShapeAndCarriesTheResizeStyle) {
  Fixture f;
  const RECT crop{2, 1, 6, 3};
  PCSetCropRectEx(f.processor, &crop, 4);
  const VideoFrame frame = f.Read();
  ASSERT_EQ(frame.frame->width, 4);
  ASSERT_EQ(frame.frame->height, 2);
  EXPECT_EQ(At(frame, 0, 0), Source(2, 1));
  EXPECT_EQ(At(frame, 3, 1), Source(5, 2));
  EXPECT_NEAR(frame.displayAspect, 2.0, 1e-9);
  EXPECT_EQ(frame.style, ResizeStyle::Fill);
  // A rectangle too small to show anything, or none, gives the whole picture.
  const RECT none{0, 0, 0, 0};
  PCSetCropRect(f.processor, &none);
  EXPECT_EQ(f.Read().frame->width, kWidth);
}

TEST(VideoProcessor, WatermarkIsBlendedInItsRectangle) {
  struct Case {
    int opacity;
    uint8_t alpha;
    Pixel (*expected)(Pixel);
  };
  // A 2x2 green picture, bottom-up as a DIB is by default.
  BitmapInfoHeader header{40, 2, 2, 1, 32, 0, 0, 0, 0, 0, 0};
  for (const Case& c : {Case{100, 255, [](Pixel) { return Pixel{0, 255, 0}; }},
                        Case{50, 255, [](Pixel s) { return Pixel{(s.b * 128 + 127) / 255, (255 * 127 + s.g * 128 + 127) / 255, (s.r * 128 + 127) / 255}; }},
                        Case{100, 0, [](Pixel) { return Pixel{0, 255, 0}; }}}) {  // no alpha at all: opaque
    SCOPED_TRACE(c.opacity);
    Fixture f;
    const uint8_t bits[16] = {0, 255, 0, c.alpha, 0, 255, 0, c.alpha, 0, 255, 0, c.alpha, 0, 255, 0, c.alpha};
    const TUnitRect rect{0.0f, 0.0f, 0.5f, 0.5f};
    PCSetUserWatermarkImage(f.processor, &header, bits, &rect, c.opacity);
    const VideoFrame frame = f.Read();
    EXPECT_EQ(At(frame, 1, 1), c.expected(Source(1, 1)));
    EXPECT_EQ(At(frame, 4, 2), Source(4, 2));  // outside the rectangle
    PCSetUserWatermarkImage(f.processor, nullptr, nullptr, nullptr, 100);
    EXPECT_EQ(At(f.Read(), 1, 1), Source(1, 1));
  }
}

TEST(VideoProcessor, SnapshotOfTheLastPicture) {
  Fixture f;
  const auto folder = std::filesystem::path(BRANTWELL_TEST_BIN_DIR) / ("snapshots-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::u16string bmp = (folder / "shot.bmp").u16string(), jpg = (folder / "shot.jpg").u16string();
  EXPECT_EQ(PCSaveSnapshot(f.processor, bmp.c_str(), 0, 0), 0);  // nothing shown yet
  f.Read();
  ASSERT_EQ(PCSaveSnapshot(f.processor, bmp.c_str(), 0, 0), 1);
  ASSERT_EQ(PCSaveSnapshot(f.processor, jpg.c_str(), 1, 0), 1);
  std::ifstream b(folder / "shot.bmp", std::ios::binary), j(folder / "shot.jpg", std::ios::binary);
  char head[2] = {};
  b.read(head, 2);
  EXPECT_EQ(std::string(head, 2), "BM");
  j.read(head, 2);
  EXPECT_EQ(uint8_t(head[0]), 0xFF);
  EXPECT_EQ(uint8_t(head[1]), 0xD8);
  std::filesystem::remove_all(folder);
}

TEST(Processors, HandlesThatAreNoProcessorAreNoOps) {
  EXPECT_EQ(PCCreateVideoProcessor(0, 0, -1.0), 0u);
  EXPECT_EQ(PCCreateAudioProcessor(0, 0, -1.0), 0u);
  PCSetVideoBrightness(0, 50);
  PCSetFlipFlag(0, 3);
  PCSetCropRectEx(0, nullptr, 1);
  PCSetVolum(0, 10);
  PCDestroyVideoProcessor(0);
  EXPECT_EQ(PCSaveSnapshot(0, u"x.bmp", 0, 0), 0);
  EXPECT_EQ(PCGetVideoInfo(0), nullptr);
  Fixture f;
  PCSetVolum(f.processor, 10);  // a video processor has no volume; nothing happens
  PCDestroyAudioProcessor(f.processor);  // nor is it destroyed as an audio one
  ASSERT_NE(PCGetVideoInfo(f.processor), nullptr);
  EXPECT_EQ(PCGetVideoInfo(f.processor)->Width, kWidth);  // the source's information
}

TEST(AudioProcessor, VolumeScalesAndClips) {
  EngineHandle source = engines::RegisterObject(std::make_shared<KnownSource>());
  EngineHandle processor = PCCreateAudioProcessor(source, 0, -1.0);
  ASSERT_NE(processor, 0u);
  auto audio = engines::Lookup<MediaSource>(processor);
  struct Case {
    int volume;
    std::vector<float> expected;
  };
  for (const Case& c : {Case{100, {0.5f, -0.5f, 0.8f, -0.8f}}, Case{50, {0.25f, -0.25f, 0.4f, -0.4f}},
                        Case{0, {0, 0, 0, 0}}, Case{200, {1.0f, -1.0f, 1.0f, -1.0f}}}) {
    PCSetVolum(processor, c.volume);
    AudioBlock block;
    ASSERT_TRUE(audio->ReadAudio(block));
    for (size_t i = 0; i < c.expected.size(); ++i) EXPECT_FLOAT_EQ(block.samples[i], c.expected[i]) << c.volume;
  }
  audio.reset();
  PCDestroyAudioProcessor(processor);
  engines::UnregisterObject(source);
}


// A 320x240 grey picture that comes with one subtitle cue, and notes which subtitle stream
// it was asked for.
class CueSource final : public MediaSource {
 public:
  static constexpr int kW = 320, kH = 240;
  std::shared_ptr<SubtitleCue> cue = std::make_shared<SubtitleCue>();
  int32_t selected = -1;

  bool HasVideo() const override { return true; }
  bool HasAudio() const override { return false; }
  double Duration() const override { return 1.0; }
  const TVideoInfo* VideoInfo() const override { return &m_video; }
  const TAudioInfo* AudioInfo() const override { return &m_audio; }
  bool ReadVideo(VideoFrame& out) override {
    out.frame = MakeBlackFrame(AV_PIX_FMT_BGRA, kW, kH);
    for (int y = 0; y < kH; ++y) std::memset(out.frame->data[0] + y * out.frame->linesize[0], 128, kW * 4);
    out.time = 0.2;
    out.subtitles = {cue};
    return true;
  }
  bool ReadAudio(AudioBlock&) override { return false; }
  bool Seek(double) override { return true; }
  std::string LastError() const override { return {}; }
  bool SelectSubtitles(int32_t streamId) override {
    selected = streamId;
    return true;
  }

 private:
  TVideoInfo m_video{kW, kH, 25.0, 25, 4, 3, 0, 32, 0};
  TAudioInfo m_audio{};
};

// Where the picture differs from the grey it started as, and the reddest and whitest pixels.
struct Drawn {
  int left = CueSource::kW, top = CueSource::kH, right = -1, bottom = -1;
  int maxRed = 0;    // r - max(g, b)
  int maxWhite = 0;  // min(r, g, b)
  bool Any() const { return right >= 0; }
};

Drawn Inspect(const VideoFrame& frame) {
  Drawn d;
  for (int y = 0; y < frame.frame->height; ++y)
    for (int x = 0; x < frame.frame->width; ++x) {
      const Pixel p = At(frame, x, y);
      if (p == Pixel{128, 128, 128}) continue;
      d.left = std::min(d.left, x), d.top = std::min(d.top, y);
      d.right = std::max(d.right, x), d.bottom = std::max(d.bottom, y);
      d.maxRed = std::max(d.maxRed, p.r - std::max(p.g, p.b));
      d.maxWhite = std::max(d.maxWhite, std::min({p.r, p.g, p.b}));
    }
  return d;
}

TSubtitleStyleRecord UserStyle(uint32_t colour, int left, int top) {
  TSubtitleStyleRecord record{};
  record.streamId = 3;
  const std::u16string font = u"DejaVu Sans";
  std::copy(font.begin(), font.end(), record.fontName);
  record.fontSize = 18;
  record.styleFlags = 1;
  record.colour = colour;
  record.left = left;
  record.top = top;
  return record;
}

TEST(VideoProcessor, SubtitleTextInItsOwnOrTheUsersStyle) {
  auto source = std::make_shared<CueSource>();
  source->cue->text = "Subtitle text";
  const EngineHandle handle = engines::RegisterObject(source);
  const EngineHandle processor = PCCreateVideoProcessor(handle, 0, -1.0);
  auto read = [&] {
    VideoFrame frame;
    EXPECT_TRUE(engines::Lookup<MediaSource>(processor)->ReadVideo(frame));
    EXPECT_TRUE(frame.subtitles.empty()) << "the processor's pictures carry their subtitles drawn";
    return Inspect(frame);
  };

  Drawn none = read();
  EXPECT_FALSE(none.Any()) << "no style: no subtitles";
  EXPECT_EQ(source->selected, 0);

  // The stream's own style: white, centred near the bottom.
  TSubtitleStyleRecord own{};
  own.streamId = 3;
  own.ownStyle = -1;
  PCSetUserSubPicture(processor, &own, 100);
  Drawn centred = read();
  EXPECT_EQ(source->selected, 3);
  ASSERT_TRUE(centred.Any());
  EXPECT_GT(centred.top, CueSource::kH / 2);
  EXPECT_NEAR((centred.left + centred.right) / 2, CueSource::kW / 2, 12);
  EXPECT_GT(centred.maxWhite, 240);

  // The user's: red (COLORREF 0x0000FF), its top left corner where the user put it.
  TSubtitleStyleRecord red = UserStyle(0x0000FF, 40, 60);
  PCSetUserSubPicture(processor, &red, 100);
  Drawn placed = read();
  ASSERT_TRUE(placed.Any());
  EXPECT_NEAR(placed.left, 40, 4);
  EXPECT_NEAR(placed.top, 60, 8);
  EXPECT_LT(placed.bottom, 60 + 40);
  EXPECT_GT(placed.maxRed, 200);
  EXPECT_LE(placed.maxWhite, 128) << "no white text in the user's red style";

  // Opacity scales the whole; none draws nothing; a nil record removes the subtitles.
  PCSetUserSubPicture(processor, &red, 50);
  Drawn half = read();
  EXPECT_GT(half.maxRed, 40);
  EXPECT_LT(half.maxRed, placed.maxRed - 40);
  PCSetUserSubPicture(processor, &red, 0);
  EXPECT_FALSE(read().Any());
  PCSetUserSubPicture(processor, nullptr, 0);
  EXPECT_FALSE(read().Any());
  EXPECT_EQ(source->selected, 0);

  PCDestroyVideoProcessor(processor);
  engines::UnregisterObject(handle);
}

TEST(VideoProcessor, SubtitlePictureAtItsPlaceOrTheUsers) {
  auto source = std::make_shared<CueSource>();
  // A 16x8 opaque blue block at (100, 50) of a 640x480 canvas: (50, 25) of the 320x240 picture.
  source->cue->left = 100, source->cue->top = 50, source->cue->width = 16, source->cue->height = 8;
  source->cue->canvasWidth = 640, source->cue->canvasHeight = 480;
  for (int i = 0; i < 16 * 8; ++i) source->cue->bgra.insert(source->cue->bgra.end(), {255, 0, 0, 255});
  const EngineHandle handle = engines::RegisterObject(source);
  const EngineHandle processor = PCCreateVideoProcessor(handle, 0, -1.0);
  auto read = [&] {
    VideoFrame frame;
    EXPECT_TRUE(engines::Lookup<MediaSource>(processor)->ReadVideo(frame));
    return Inspect(frame);
  };
  const struct {
    bool user;
    int left, top;
  } cases[] = {{false, 50, 25}, {true, 200, 150}};
  for (const auto& c : cases) {
    TSubtitleStyleRecord record = c.user ? UserStyle(0xFFFFFF, 200, 150) : TSubtitleStyleRecord{};
    record.streamId = 2;
    if (!c.user) record.ownStyle = -1;
    PCSetUserSubPicture(processor, &record, 100);
    const Drawn d = read();
    EXPECT_EQ(d.left, c.left) << (c.user ? "user's place" : "own place");
    EXPECT_EQ(d.top, c.top);
    EXPECT_EQ(d.right, c.left + 7) << "scaled from the canvas to the picture";
    EXPECT_EQ(d.bottom, c.top + 3);
  }
  PCDestroyVideoProcessor(processor);
  engines::UnregisterObject(handle);
}

}  // namespace
