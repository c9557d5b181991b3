#pragma once

// Media fixtures for tests, generated on first use with the ffmpeg tool into the test binary
// folder (tests only: the engines never run the tool). Each fixture is written under a
// temporary name and renamed, so test processes running side by side share them safely.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace engines::media::testing {

// Runs a program with an argument vector; returns its exit status (-1 when it did not run).
inline int RunProgram(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 01 /*O_WRONLY*/, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 01, 0);
  pid_t pid = 0;
  int result = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) < 0) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::filesystem::path FixtureFolder() {
  std::filesystem::path folder = std::filesystem::path(BRANTWELL_TEST_BIN_DIR) / "media-fixtures";
  std::filesystem::create_directories(folder);
  return folder;
}

// Fixture names and the ffmpeg arguments that make them (output file appended).
inline const std::map<std::string, std::vector<std::string>>& FixtureRecipes() {
  static const std::map<std::string, std::vector<std::string>> recipes = {
      // 2 s, 320x240 at 30000/1001, H.264 with AAC stereo 44.1 kHz.
      {"h264_aac.mp4",
       {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=30000/1001:duration=2", "-f", "lavfi", "-i",
        "sine=frequency=440:sample_rate=44100:duration=2", "-ac", "2", "-c:v", "libx264", "-preset",
        "ultrafast", "-pix_fmt", "yuv420p", "-g", "30", "-c:a", "aac", "-b:a", "96k", "-shortest"}},
      // 2 s, 352x288 at 25 fps, MPEG-4 part 2 with MP3 mono 22.05 kHz.
      {"mpeg4_mp3.avi",
       {"-f", "lavfi", "-i", "testsrc=size=352x288:rate=25:duration=2", "-f", "lavfi", "-i",
        "sine=frequency=1000:sample_rate=22050:duration=2", "-c:v", "mpeg4", "-q:v", "5", "-c:a",
        "libmp3lame", "-b:a", "64k", "-ac", "1", "-shortest"}},
      // 2 s, 2.35:1 (470x200, square pixels) at 24 fps.
      {"scope_235.mp4",
       {"-f", "lavfi", "-i", "testsrc2=size=470x200:rate=24:duration=2", "-c:v", "libx264", "-preset",
        "ultrafast", "-pix_fmt", "yuv420p", "-an"}},
      // 2 s at nominal 30000/1001 whose timestamps wobble by +-0.4 frame.
      {"irregular.mkv",
       {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=30000/1001:duration=2", "-vf",
        "setpts=N*1001/30000/TB+if(mod(N\\,2)\\,0.013\\,-0.013)/TB", "-fps_mode", "passthrough",
        "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-bf", "0", "-an"}},
      // 2 s of 48 kHz stereo AAC, no video.
      {"audio_only.m4a",
       {"-f", "lavfi", "-i", "sine=frequency=660:sample_rate=48000:duration=2", "-ac", "2", "-c:a", "aac",
        "-b:a", "96k"}},
      // A 3 s 640x360 clip for the converter's abort and pause tests.
      {"long_h264.mp4",
       {"-f", "lavfi", "-i", "testsrc2=size=640x360:rate=25:duration=3", "-f", "lavfi", "-i",
        "sine=frequency=440:sample_rate=48000:duration=3", "-ac", "2", "-c:v", "libx264", "-preset",
        "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest"}},
      // Photos: 64x48, the left half red and the right half blue.
      {"photo.jpg", {"-f", "lavfi", "-i", "color=c=red:size=64x48,drawbox=x=32:y=0:w=32:h=48:c=blue:t=fill", "-frames:v", "1"}},
      {"photo.png", {"-f", "lavfi", "-i", "color=c=red:size=64x48,drawbox=x=32:y=0:w=32:h=48:c=blue:t=fill", "-frames:v", "1"}},
      {"photo.bmp", {"-f", "lavfi", "-i", "color=c=red:size=64x48,drawbox=x=32:y=0:w=32:h=48:c=blue:t=fill", "-frames:v", "1"}},
      {"photo.gif", {"-f", "lavfi", "-i", "color=c=red:size=64x48,drawbox=x=32:y=0:w=32:h=48:c=blue:t=fill", "-frames:v", "1"}},
      {"photo.tif", {"-f", "lavfi", "-i", "color=c=red:size=64x48,drawbox=x=32:y=0:w=32:h=48:c=blue:t=fill", "-frames:v", "1"}},
  };
  return recipes;
}

// The path of a generated fixture, made on first use; empty when ffmpeg failed.
inline std::string Fixture(const std::string& name) {
  const std::filesystem::path path = FixtureFolder() / name;
  if (std::filesystem::exists(path)) return path.string();
  const auto found = FixtureRecipes().find(name);
  if (found == FixtureRecipes().end()) return {};
  const std::filesystem::path temporary =
      FixtureFolder() / ("tmp-" + std::to_string(getpid()) + "-" + name);
  std::vector<std::string> arguments = {"ffmpeg", "-nostdin", "-y", "-loglevel", "error"};
  arguments.insert(arguments.end(), found->second.begin(), found->second.end());
  arguments.push_back(temporary.string());
  if (RunProgram(arguments) != 0) {
    std::filesystem::remove(temporary);
    return {};
  }
  std::filesystem::rename(temporary, path);
  return path.string();
}

}  // namespace engines::media::testing
