// timeline-demo: one title timeline on the headless display, made the way the program makes
// it, with a clip per file (its clip task, its media information and a thumbnail played out
// of the file) and a tail transition after each; prints the title's length and counts and
// saves the window as a PNG. See README.md.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "platform/display/Display.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/Unicode.h"
#include "platform/testing/Pictures.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/WinUser.h"
#include "program/engine/EngineBinding.h"
#include "program/engine/MediaPlayer.h"
#include "program/engine/MediaTask.h"
#include "program/engine/TimelineEngine.h"
#include "rtl/Exceptions.h"

namespace {

constexpr int kWindowHeight = 150;
constexpr int kMinWindowWidth = 480;
constexpr int kMaxWindowWidth = 1920;
constexpr int kThumbnailWidth = 160;
// How long a still picture lasts on the timeline, seconds.
constexpr double kStillPictureLength = 5.0;
// The player's display mode that keeps the source's aspect inside the view.
constexpr int32_t kKeepSourceAspect = 1;

struct Options {
  std::u16string transition = u"CrossFade";
  std::string shot;
  std::vector<std::string> files;
};

int Usage(const std::string& problem) {
  std::fprintf(stderr,
               "timeline-demo: %s\nusage: timeline-demo [--transition ID] [--shot OUT.png] FILE...\n",
               problem.c_str());
  return 2;
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

void Pump(double seconds) { PumpUntil([] { return false; }, seconds); }

LRESULT HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND MakeWindow(const char16_t* title, int x, int y, int width, int height) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = HostProc;
    wc.lpszClassName = u"TimelineDemoHost";
    return RegisterClassW(&wc) != 0;
  }();
  if (!registered) return nullptr;
  return CreateWindowExW(0, u"TimelineDemoHost", title, WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr, nullptr,
                         nullptr, nullptr);
}

// The seconds of the source a clip shows: its frames at its rate (as the library records a
// source), the file's duration otherwise, a fixed time for a still picture.
double SourceLength(const TMediaTask& task) {
  if (task.HasVideo && (task.VideoInfo.dwCapsFlag & kMediaCapsStillPicture)) return kStillPictureLength;
  if (task.HasVideo && task.VideoInfo.frame_rate > 0 && task.VideoInfo.total_frames > 0)
    return task.VideoInfo.total_frames / task.VideoInfo.frame_rate;
  return task.Length;
}

// A picture of the source a little way in, played into a small view of the source's aspect;
// null for a source without pictures or when nothing was shown. The caller deletes it.
HBITMAP MakeThumbnail(TMediaTask& task) {
  if (!task.HasVideo || task.VideoInfo.Width <= 0 || task.VideoInfo.Height <= 0) return nullptr;
  const int height =
      std::clamp(kThumbnailWidth * task.VideoInfo.Height / task.VideoInfo.Width, 16, kThumbnailWidth * 2);
  HWND host = MakeWindow(u"thumbnail", 0, 2000, kThumbnailWidth, height);
  if (!host) return nullptr;
  platform::testing::Image image;
  {
    TMediaPlayer player;
    bool ended = false;
    player.OnStateChange = [&](TObject*, TPlayerState state) { ended = ended || state == psStopped; };
    const RECT rect{0, 0, kThumbnailWidth, height};
    const TEngineHandle view = player.CreateView(host, rect, false, nullptr);
    if (view != 0 && player.OpenFile(task.FileName, task.Mode, task.GetVideoDecodeParams(), nullptr)) {
      player.SetDisplayResizeMode(view, kKeepSourceAspect);
      const double at = std::min(1.0, std::max(0.0, player.GetMovieLength() / 3));
      player.Play();
      PumpUntil([&] { return ended || player.GetPlayedTime() >= at; }, at + 10.0);
      player.Pause();
      player.Seek(kSeekExactFrame, at);
      Pump(0.2);
      image = platform::testing::ReadWindow(host);
      player.Stop();
    }
  }
  DestroyWindow(host);
  if (image.width <= 0 || image.height <= 0) return nullptr;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // top-down, as the image's rows are
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return nullptr;
  std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof(uint32_t));
  return bitmap;
}

// Clips and transitions are pictured as they are made; transitions have no picture files
// here, so the engine's glyph stands for them.
intptr_t QueryCallback(intptr_t, int32_t code, intptr_t, intptr_t p4) {
  if (code == kTimelineQueryPicture) return TCGetType(static_cast<EngineHandle>(p4)) != 0 ? 1 : 0;
  return 0;
}

int Run(const Options& options) {
  std::string error;
  if (!platform::display::StartDisplay(platform::display::Backend::Headless, &error)) {
    std::fprintf(stderr, "timeline-demo: no headless display: %s\n", error.c_str());
    return 1;
  }
  BindStartupEngines();

  int status = 0;
  TMediaTaskMgr tasks;
  struct Source {
    TMediaTask* task;
    double length;
  };
  std::vector<Source> sources;
  for (const std::string& file : options.files) {
    TMediaTask* task = tasks.TaskList()->Add(platform::Utf8ToUtf16(file), 0);
    task->SetResizeStyle(0);
    const double length = task->LoadInfo() ? SourceLength(*task) : 0.0;
    if (length <= 0.0) {
      std::fprintf(stderr, "timeline-demo: cannot read '%s' as a video, picture or sound\n", file.c_str());
      status = 1;
      continue;
    }
    sources.push_back({task, length});
  }

  int width = kMinWindowWidth;
  HWND window = MakeWindow(u"timeline-demo", 0, 0, width, kWindowHeight);
  if (!window) {
    std::fprintf(stderr, "timeline-demo: cannot make a %dx%d window\n", width, kWindowHeight);
    UnloadEngineLibraries();
    platform::display::StopDisplay();
    return 1;
  }

  SetColors(kTimelineColorTrack, kProgramTimelineTrackColor);
  SetLanguageText(kTimelineTextEmptyHint, u"Drag videos and photos here to add them to the title");
  const RECT rect{0, 0, width, kWindowHeight};
  const EngineHandle timeline = CreateTimeline(window, &rect, kProgramTimelineOptions, 0);
  if (!timeline) {
    std::fprintf(stderr, "timeline-demo: the timeline engine made no timeline\n");
    DestroyWindow(window);
    UnloadEngineLibraries();
    platform::display::StopDisplay();
    return 1;
  }
  InitTimeline(timeline);
  SendTimelineCommand(timeline, kTimelineCommandLayout, 0, kProgramTimelineLayout);
  SetTimelineQueryCallback(QueryCallback, 0);
  const EngineHandle doc = GetTimelineDoc(timeline);
  const EngineHandle track = TDGetTrack(doc, kTimelineVideoTrack, 0);

  for (const Source& source : sources) {
    TMediaTask& task = *source.task;
    const EngineHandle clip = TCCreate(kTimelineVideoClip);
    TCSetResizeStyle(clip, 0);
    TCSetClipID(clip, task.ID);
    TCSetFileName(clip, task.FileName.c_str());
    TCSetClipVideoWidth(clip, task.VideoInfo.Width);
    TCSetClipVideoHeight(clip, task.VideoInfo.Height);
    TCSetBeginTime(clip, 0.0);
    TCSetPhysicalBegin(clip, 0.0);
    TCSetPhysicalLength(clip, source.length);
    if (TDGetLength(doc) == 0.0) TTSetIsMenuThumbnail(track, -1);
    TTInsertClipIndex(track, clip, -1);
    if (HBITMAP thumbnail = MakeThumbnail(task)) {
      TCSetHBitmap(clip, thumbnail);
      DeleteObject(thumbnail);
    }
    const EngineHandle transition =
        TTSetClipTailTransID(track, clip, options.transition.c_str(), kProgramTransitionLength);
    TRSetTransID(transition, options.transition.c_str());
    TCRelease(clip);
  }
  // Wide enough for the whole strip at the default zoom (30 pixels a second, margins of 8
  // and 48 pixels); a longer title scrolls.
  width = std::clamp(static_cast<int>(8 + TDGetLength(doc) * 30 + 48 + 16), kMinWindowWidth, kMaxWindowWidth);
  SetWindowPos(window, nullptr, 0, 0, width, kWindowHeight, SWP_NOMOVE | SWP_NOZORDER);
  SetWindowPos(GetTimelineHwnd(timeline), nullptr, 0, 0, width, kWindowHeight, SWP_NOMOVE | SWP_NOZORDER);
  UpdateTimeline(timeline);
  Pump(0.3);

  std::printf("length=%.3f clips=%d transitions=%d\n", TDGetLength(doc), TTGetClipCount(track),
              TTGetTransClipCount(track));
  std::fflush(stdout);
  if (!options.shot.empty() && !platform::testing::SaveWindowPng(window, options.shot, &error)) {
    std::fprintf(stderr, "timeline-demo: cannot write '%s': %s\n", options.shot.c_str(), error.c_str());
    status = 1;
  }

  SetTimelineQueryCallback(nullptr, 0);
  DestroyTimeline(timeline);
  DestroyWindow(window);
  Pump(0.05);
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
    if (argument == "--transition" && hasValue) {
      const std::string id = argv[++i];
      if (id.size() >= kTimelineTransitionIdUnits || !platform::IsValidUtf8(id))
        return Usage("bad transition identifier '" + id + "'");
      options.transition = platform::Utf8ToUtf16(id);
    } else if (argument == "--shot" && hasValue) {
      options.shot = argv[++i];
      if (options.shot.empty()) return Usage("empty --shot file name");
    } else if (argument == "--") {
      options.files.insert(options.files.end(), argv + i + 1, argv + argc);
      break;
    } else if (argument.rfind("--", 0) == 0) {
      return Usage("unknown option '" + argument + "'");
    } else {
      options.files.push_back(argument);
    }
  }
  if (options.files.empty()) return Usage("no file");
  try {
    return Run(options);
  } catch (const Exception& e) {
    std::fprintf(stderr, "timeline-demo: %s\n", e.Message().c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "timeline-demo: %s\n", e.what());
  }
  return 1;
}
