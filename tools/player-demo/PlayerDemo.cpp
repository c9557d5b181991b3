// player-demo: plays a file through TMediaPlayer into a view on the headless display, pauses
// at a given time and saves the view as a PNG. See README.md.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "platform/display/Display.h"
#include "platform/kernel/Unicode.h"
#include "platform/testing/Pictures.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/WinUser.h"
#include "program/engine/EngineBinding.h"
#include "program/engine/MediaPlayer.h"
#include "rtl/Exceptions.h"

namespace {

// The display mode that keeps the source's aspect inside the view.
constexpr int32_t kKeepSourceAspect = 1;

struct Options {
  int width = 640;
  int height = 360;
  double at = 1.0;
  std::string shot;
  std::string file;
};

int Usage(const std::string& problem) {
  std::fprintf(stderr, "player-demo: %s\nusage: player-demo [--size WxH] [--at SECONDS] --shot OUT.png FILE\n",
               problem.c_str());
  return 2;
}

bool ParseSize(const std::string& text, int& width, int& height) {
  char separator = 0;
  char rest = 0;
  return std::sscanf(text.c_str(), "%d%c%d%c", &width, &separator, &height, &rest) == 3 &&
         (separator == 'x' || separator == 'X') && width >= 16 && height >= 16 && width <= 8192 && height <= 8192;
}

bool ParseSeconds(const std::string& text, double& seconds) {
  char* end = nullptr;
  seconds = std::strtod(text.c_str(), &end);
  return !text.empty() && end && *end == '\0' && seconds >= 0.0 && seconds < 1e6;
}

// Handles messages until `done` holds; false when `seconds` passed first.
template <class Done>
bool PumpUntil(Done done, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    usleep(2000);
  }
  return true;
}

LRESULT HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

int Run(const Options& options) {
  std::string error;
  if (!platform::display::StartDisplay(platform::display::Backend::Headless, &error)) {
    std::fprintf(stderr, "player-demo: no headless display: %s\n", error.c_str());
    return 1;
  }
  BindStartupEngines();

  WNDCLASSW wc{};
  wc.lpfnWndProc = HostProc;
  wc.lpszClassName = u"PlayerDemoHost";
  RegisterClassW(&wc);
  HWND host = CreateWindowExW(0, u"PlayerDemoHost", u"player-demo", WS_POPUP | WS_VISIBLE, 0, 0, options.width,
                              options.height, nullptr, nullptr, nullptr, nullptr);
  if (!host) {
    std::fprintf(stderr, "player-demo: cannot make a %dx%d window\n", options.width, options.height);
    return 1;
  }

  int status = 1;
  {
    TMediaPlayer player;
    bool ended = false;
    player.OnStateChange = [&](TObject*, TPlayerState state) { ended = ended || state == psStopped; };
    const RECT rect{0, 0, options.width, options.height};
    const TEngineHandle view = player.CreateView(host, rect, false, nullptr);
    if (!player.OpenFile(platform::Utf8ToUtf16(options.file), 0, nullptr, nullptr)) {
      std::fprintf(stderr, "player-demo: cannot open '%s'\n", options.file.c_str());
    } else if (view == 0) {
      std::fprintf(stderr, "player-demo: the player made no view\n");
    } else if (const double length = player.GetMovieLength(); length < options.at) {
      std::fprintf(stderr, "player-demo: '%s' is %.3f s long, shorter than %.3f s\n", options.file.c_str(), length,
                   options.at);
    } else {
      player.SetDisplayResizeMode(view, kKeepSourceAspect);
      player.Play();
      const bool reached = PumpUntil([&] { return ended || player.GetPlayedTime() >= options.at; }, options.at + 30.0);
      player.Pause();
      // Settle on the asked frame and let the view paint it.
      player.Seek(kSeekExactFrame, options.at);
      PumpUntil([] { return false; }, 0.3);
      const platform::testing::Image image = platform::testing::ReadWindow(host);
      if (!reached) {
        std::fprintf(stderr, "player-demo: playback did not reach %.3f s\n", options.at);
      } else if (!platform::testing::SavePng(image, options.shot, &error)) {
        std::fprintf(stderr, "player-demo: cannot write '%s': %s\n", options.shot.c_str(), error.c_str());
      } else {
        std::printf("%s: %dx%d at %.3f s (played to %.3f s of %.3f s)\n", options.shot.c_str(), image.width,
                    image.height, options.at, player.GetPlayedTime(), player.GetMovieLength());
        status = 0;
      }
      player.Stop();
    }
  }
  DestroyWindow(host);
  UnloadEngineLibraries();
  platform::display::StopDisplay();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool hasValue = i + 1 < argc;
    if (argument == "--size" && hasValue) {
      if (!ParseSize(argv[++i], options.width, options.height)) return Usage("bad size '" + std::string(argv[i]) + "'");
    } else if (argument == "--at" && hasValue) {
      if (!ParseSeconds(argv[++i], options.at)) return Usage("bad time '" + std::string(argv[i]) + "'");
    } else if (argument == "--shot" && hasValue) {
      options.shot = argv[++i];
    } else if (argument.rfind("--", 0) == 0) {
      return Usage("unknown option '" + argument + "'");
    } else if (options.file.empty()) {
      options.file = argument;
    } else {
      return Usage("more than one file");
    }
  }
  if (options.shot.empty()) return Usage("no --shot file");
  if (options.file.empty()) return Usage("no file to play");
  try {
    return Run(options);
  } catch (const Exception& e) {
    std::fprintf(stderr, "player-demo: %s\n", e.Message().c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "player-demo: %s\n", e.what());
  }
  return 1;
}
