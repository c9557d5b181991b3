#pragma once

// What the player's tests share: clips made with the ffmpeg tool, a top-level window on the
// headless display, a callback window that records the player's messages, and pixel checks.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engines/QMPlayer/PlayerApi.h"
#include "engines/media/DecoderApi.h"
#include "engines/media/testing/MediaFixtures.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/WinUser.h"

namespace player_testing {

// Clips of the player's tests: a picture with a red left half and a blue right half.
inline std::string Clip(const std::string& name) {
  static const std::map<std::string, std::vector<std::string>> recipes = {
      // 2 s, 320x240 at 25 fps with a 1 kHz tone.
      {"player_halves.mp4",
       {"-f", "lavfi", "-i", "color=c=red:size=320x240:rate=25:duration=2,drawbox=x=160:y=0:w=160:h=240:c=blue:t=fill",
        "-f", "lavfi", "-i", "sine=frequency=1000:sample_rate=48000:duration=2", "-ac", "2", "-c:v", "libx264",
        "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-g", "25", "-c:a", "aac", "-shortest"}},
      // 1 s, an upright phone-shaped picture (360x640), red left half and blue right half.
      {"player_portrait.mp4",
       {"-f", "lavfi", "-i", "color=c=red:size=360x640:rate=25:duration=1,drawbox=x=180:y=0:w=180:h=640:c=blue:t=fill",
        "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-g", "25"}},
      // 1.5 s of a 1 kHz tone, plain PCM.
      {"player_tone.wav", {"-f", "lavfi", "-i", "sine=frequency=1000:sample_rate=48000:duration=1.5", "-ac", "2"}},
  };
  const std::filesystem::path path = engines::media::testing::FixtureFolder() / name;
  if (std::filesystem::exists(path)) return path.string();
  const std::filesystem::path temporary =
      engines::media::testing::FixtureFolder() / ("tmp-" + std::to_string(getpid()) + "-" + name);
  std::vector<std::string> arguments = {"ffmpeg", "-nostdin", "-y", "-loglevel", "error"};
  const auto& recipe = recipes.at(name);
  arguments.insert(arguments.end(), recipe.begin(), recipe.end());
  arguments.push_back(temporary.string());
  if (engines::media::testing::RunProgram(arguments) != 0) return {};
  std::filesystem::rename(temporary, path);
  return path.string();
}

struct Message {
  UINT message;
  WPARAM wParam;
};

// Records the player's messages delivered to the callback window.
std::vector<Message>& Delivered();
// Called for each recorded message, after recording it (empty: nothing).
std::function<void(const Message&)>& OnDelivered();
// A visible top-level window (no frame) whose procedure records the player's messages.
HWND MakeTopWindow(int width, int height);

struct ClipSources {
  EngineHandle video = 0, audio = 0;
  explicit ClipSources(const std::string& path, bool withVideo = true, bool withAudio = true);
  ~ClipSources();
};

bool IsBlack(uint32_t pixel);
bool IsRed(uint32_t pixel);
bool IsBlue(uint32_t pixel);
bool IsCyan(uint32_t pixel);  // red inverted
int CountOf(UINT message, WPARAM wParam);

// Runs the message loop until `done` or 15 s passed.
bool Pump(const std::function<bool()>& done);
// Runs the message loop for `milliseconds`.
void PumpFor(int milliseconds);

void SavePicture(HWND hwnd, const std::string& name);

}  // namespace player_testing
