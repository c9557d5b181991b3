#pragma once

// What the compositor's tests share: generated clips, a timeline window holding the title's
// document on the headless display, clips added as the program adds them, and reading the
// composed pictures and sound back.

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "engines/QM_Timeline/TimelineApi.h"
#include "engines/TracksDecoder/TracksDecoderApi.h"
#include "engines/media/FrameConvert.h"
#include "engines/media/MediaSource.h"

namespace title_test {

// Generated clips (made on first use): 1 s, 160x120 at 25 fps.
//   "red.mp4" red with a 440 Hz tone, "blue.mp4" blue with an 880 Hz tone,
//   "green.mp4" green without sound, "halftime.mp4" red with a tone for 0.5 s then blue and
//   silent, "interlaced.mpg" (320x240, top field first) a white bar moving fast, "halves.png" a 64x48 photo red on the left, blue on the
//   right, "mark.png" a 16x16 green square, "circle.png" a 320x240 photo of a white circle on
//   black, "subtitled.mkv" grey with a subtitle from 0 to 1 s.
std::string Clip(const std::string& name);

struct Rgb {
  int r = 0, g = 0, b = 0;
};

class TitleTest : public ::testing::Test {
 public:
  void SetUp() override;
  void TearDown() override;

  // Appends a clip of the file (physical length `seconds`), with a tail transition when
  // `transition` is above 0. Answers the clip.
  EngineHandle Add(const std::string& file, double seconds, double transition = 0.0,
                   const std::u16string& transitionId = u"CrossFade");

  // The video decoder's source, with the handle released at the end of the test.
  engines::media::MediaSource* Video(int width = 160, int height = 120, double fps = 25.0, int flag = 0);
  engines::media::MediaSource* Audio();

  HWND parent = nullptr;
  EngineHandle timeline = 0, doc = 0, track = 0;
  std::vector<EngineHandle> videos, audios;
};

// The picture as BGRA of its own size.
engines::media::FramePtr ToBgra(const engines::media::VideoFrame& frame);
// The colour of a pixel of a BGRA picture.
Rgb PixelAt(const AVFrame* bgra, int x, int y);
// Reads pictures up to and including the one at index `n`; nullptr when the read failed.
engines::media::FramePtr FrameAt(engines::media::MediaSource& video, int64_t n);
// All the sound the decoder gives (interleaved stereo).
std::vector<float> ReadAll(engines::media::MediaSource& audio);
// The root mean square of samples [from, to) seconds of interleaved stereo.
double Rms(const std::vector<float>& samples, double from, double to);

bool Near(const Rgb& a, const Rgb& b, int tolerance = 24);
std::ostream& operator<<(std::ostream& out, const Rgb& c);

}  // namespace title_test
