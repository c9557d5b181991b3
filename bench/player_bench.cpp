// The player engine showing a 1080p H.264 clip in a 1280x720 view on the null sound sink:
// pictures shown and passed over (late) per second of playback, with the machine's core
// count. The clip is made with the ffmpeg tool on first use.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engines/QMPlayer/PlayerApi.h"
#include "engines/QMPlayer/PlayerDiagnostics.h"
#include "engines/media/DecoderApi.h"
#include "platform/display/Display.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/WinUser.h"

extern char** environ;

namespace {

bool Run(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return started == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Clip() {
  const auto path = std::filesystem::temp_directory_path() / "brantwell-player-bench-1080p.mp4";
  if (std::filesystem::exists(path)) return path.string();
  const auto temporary = path.string() + ".part.mp4";
  if (!Run({"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i",
            "testsrc2=size=1920x1080:rate=30:duration=8", "-c:v", "libx264", "-preset", "veryfast", "-pix_fmt",
            "yuv420p", temporary}))
    return {};
  std::filesystem::rename(temporary, path);
  return path.string();
}

LRESULT TopProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void BM_Play1080pInto720pView(benchmark::State& state) {
  setenv("BRANTWELL_AUDIO", "null", 1);
  std::string error;
  if (!platform::display::StartDisplay(platform::display::Backend::Headless, &error)) {
    state.SkipWithError(("no display: " + error).c_str());
    return;
  }
  const std::string clip = Clip();
  if (clip.empty()) {
    state.SkipWithError("cannot make the 1080p clip with ffmpeg");
    return;
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = TopProc;
  wc.lpszClassName = u"PlayerBenchTop";
  RegisterClassW(&wc);
  HWND top = CreateWindowExW(0, u"PlayerBenchTop", u"bench", WS_POPUP | WS_VISIBLE, 0, 0, 1280, 720, nullptr, nullptr,
                             nullptr, nullptr);
  const std::u16string wide = platform::Utf8ToUtf16(clip);
  for (auto _ : state) {
    const EngineHandle video = QVDCreate(wide.c_str(), nullptr, nullptr, 0);
    const EngineHandle player = VPCreate();
    RECT rect{0, 0, 1280, 720};
    VPCreateView(player, top, &rect, nullptr);
    VPSetCallBack(player, top);
    ordinal_3(player, video, 0);
    VPSetPlayTime(player, 0.0, 0.0);
    const auto start = std::chrono::steady_clock::now();
    VPPlay(player);
    bool ended = false;
    MSG message;
    while (!ended) {
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == kPlayerCompleteMessage) ended = true;
        DispatchMessageW(&message);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    int64_t shown = 0, dropped = 0;
    QMPlayerGetFrameCounts(player, &shown, &dropped);
    VPDestroy(player);
    QVDDestroy(video);
    state.counters["shown_per_s"] = double(shown) / seconds;
    state.counters["dropped_per_s"] = double(dropped) / seconds;
    state.counters["source_fps"] = 30;
    state.counters["cores"] = std::thread::hardware_concurrency();
  }
  DestroyWindow(top);
  platform::display::StopDisplay();
}

BENCHMARK(BM_Play1080pInto720pView)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
