// The sound of a playback: what reaches an SDL device (its disk driver writes what it plays
// to a file) and the steady clock that times a playback without a device.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engines/QMPlayer/PlayerApi.h"
#include "engines/QMPlayer/tests/PlayerTesting.h"
#include "platform/testing/Watchdog.h"

using namespace player_testing;

namespace {

// Plays the 1.5 s tone to the end in a player with one view; returns the seconds it took.
double PlayToneToTheEnd(int volume) {
  Delivered().clear();
  HWND top = MakeTopWindow(160, 120);
  const EngineHandle player = VPCreate();
  VPSetCallBack(player, top);
  ClipSources tone(Clip("player_tone.wav"), false, true);
  EXPECT_NE(tone.audio, 0u);
  ordinal_3(player, 0, tone.audio);
  VPSetPlayTime(player, 0.0, 0.0);
  EXPECT_NEAR(VPGetMovieLength(player), 1.5, 0.05);
  EXPECT_NE(VPSetVolume(player, volume), 0);
  const auto start = std::chrono::steady_clock::now();
  VPPlay(player);
  // Half way the played time follows the clock: it has moved, and never ahead of the clock.
  PumpFor(700);
  const double played = VPGetPlayedTime(player);
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GT(played, 0.0);
  EXPECT_LE(played, elapsed + 0.05);
  EXPECT_TRUE(Pump([] { return CountOf(kPlayerCompleteMessage, 0) > 0; }));
  const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_NEAR(VPGetPlayedTime(player), 1.5, 0.05);
  VPDestroy(player);
  DestroyWindow(top);
  return took;
}

}  // namespace

TEST(PlayerSound, AToneReachesTheDeviceAtItsPitchForItsLength) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(60));
  const std::string file = std::string(BRANTWELL_TEST_BIN_DIR) + "/player-disk-sound.raw";
  std::remove(file.c_str());
  unsetenv("BRANTWELL_AUDIO");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  PlayToneToTheEnd(200);
  unsetenv("SDL_AUDIODRIVER");
  setenv("BRANTWELL_AUDIO", "null", 1);

  // The device writes 48 kHz stereo floats, silence around the tone.
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in) << file;
  std::vector<float> samples;
  float pair[2];
  while (in.read(reinterpret_cast<char*>(pair), sizeof pair)) samples.push_back(pair[0]);
  ASSERT_GT(samples.size(), 48000u);
  size_t first = samples.size(), last = 0;
  float peak = 0.0f;
  for (size_t i = 0; i < samples.size(); ++i) {
    if (std::fabs(samples[i]) > 0.01f) {
      first = std::min(first, i);
      last = i;
    }
    peak = std::max(peak, std::fabs(samples[i]));
  }
  ASSERT_LT(first, last);
  // The tone's pitch and length from the spacing of its zero crossings. A machine too busy to
  // feed the device in time makes the device play silence in between: those gaps are not the
  // tone's, so spacings longer than a few periods are left out. What remains must be every
  // sample of the tone, at its pitch.
  std::vector<size_t> crossings;
  for (size_t i = first + 1; i <= last; ++i)
    if ((samples[i - 1] < 0.0f) != (samples[i] < 0.0f)) crossings.push_back(i);
  ASSERT_GT(crossings.size(), 100u);
  size_t toneSamples = 0, halfPeriods = 0;
  for (size_t i = 1; i < crossings.size(); ++i) {
    const size_t spacing = crossings[i] - crossings[i - 1];
    if (spacing > 200) continue;
    toneSamples += spacing;
    ++halfPeriods;
  }
  const double seconds = double(toneSamples) / 48000.0;
  EXPECT_NEAR(seconds, 1.5, 0.1);
  EXPECT_NEAR(halfPeriods / 2.0 / seconds, 1000.0, 10.0);
  // The volume doubles the clip's own level (16-bit samples after its "data" header).
  std::ifstream wav(Clip("player_tone.wav"), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(wav)), std::istreambuf_iterator<char>());
  const size_t data = bytes.find("data");
  ASSERT_NE(data, std::string::npos);
  int clipPeak = 0;
  for (size_t i = data + 8; i + 1 < bytes.size(); i += 2)
    clipPeak = std::max(clipPeak, std::abs(int(int16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8)))));
  EXPECT_NEAR(peak, 2.0 * clipPeak / 32768.0, 0.02);
}

TEST(PlayerSound, WithoutADeviceTheNullSinkKeepsTime) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(60));
  setenv("BRANTWELL_AUDIO", "null", 1);
  const double took = PlayToneToTheEnd(100);
  // Not consumed at once: the sink takes the tone's own length (a loaded machine may take longer).
  EXPECT_GT(took, 1.45);
}
