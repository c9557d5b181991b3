#include "engines/QM_OutputCtrl/OutputCtrl.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "engines/DiscTools/ChildProcess.h"
#include "engines/DiscTools/DvdVerifier.h"
#include "engines/QM_DVDTitleList/DVDTitleList.h"
#include "engines/QM_OutputCtrl/AuthoringPlan.h"
#include "engines/QM_OutputCtrl/MenuDescription.h"
#include "engines/QM_OutputCtrl/MenuRenderer.h"
#include "engines/QM_OutputCtrl/MenuSourcePages.h"
#include "engines/QM_OutputCtrl/TitleProbe.h"
#include "engines/common/EngineGuard.h"
#include "engines/common/EngineHandles.h"
#include "engines/common/JobThreads.h"
#include "engines/common/MenuSource.h"
#include "engines/common/WindowPoster.h"
#include "platform/kernel/Unicode.h"

namespace fs = std::filesystem;

namespace outputctrl {
namespace {

// Progress ranges of the stages, in hundredths of a percent.
constexpr int kMenusEnd = 2000;
constexpr int kAuthoringEnd = 9000;
constexpr int kCheckEnd = 9800;

std::string Utf8(const char16_t* text) { return platform::Utf16ToUtf8(engines::ReadText(text)); }

std::string WithSlash(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

// A folder made for one job and removed when the job is over, whatever happens.
class ScratchFolder {
 public:
  std::string Make(const std::string& parent, const std::string& prefix) {
    std::string pattern = WithSlash(parent) + prefix + "XXXXXX";
    if (!mkdtemp(pattern.data())) return {};
    m_path = pattern;
    return m_path;
  }
  ~ScratchFolder() {
    if (!m_path.empty()) {
      std::error_code ignored;
      fs::remove_all(m_path, ignored);
    }
  }
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
};

struct Settings {
  uintptr_t window = 0;
  uintptr_t menu = 0;
  uintptr_t titleList = 0;
  std::string tempPath;
  std::string dvdFolder;
  int32_t type = OC_TYPE_FOLDER;
  OCEncParam block{};
};

// The authoring jobs still running; unloading the library cancels them and waits.
engines::JobThreads jobs;

// One authoring controller. Setters run on the owner's thread; the job runs on a thread of
// its own (in `jobs`) that keeps the controller alive. `m_lock` guards the settings, the state
// and the error text; `m_cancel` is the cancel flag the tools poll.
class Controller : public engines::EngineObject, public std::enable_shared_from_this<Controller> {
 public:
  Controller() { OCInitEncParam(&m_settings.block); }

  template <typename Change>
  void Set(Change change) {
    std::lock_guard guard(m_lock);
    if (m_state != OC_STATE_RUNNING) change(m_settings);
  }

  bool Start() {
    {
      std::lock_guard guard(m_lock);
      if (m_state == OC_STATE_RUNNING) return false;
      m_state = OC_STATE_RUNNING;
      m_error.clear();
      m_cancel = false;
      m_lastProgress = -1;
    }
    try {
      auto self = shared_from_this();
      jobs.Start([self] { self->Work(); }, [self] { self->Cancel(); });
    } catch (...) {
      std::lock_guard guard(m_lock);
      m_state = OC_STATE_IDLE;
      throw;
    }
    return true;
  }

  void Cancel() { m_cancel = true; }

  int32_t Wait(int32_t milliseconds) {
    std::unique_lock guard(m_lock);
    m_changed.wait_for(guard, std::chrono::milliseconds(std::max(milliseconds, 0)),
                       [&] { return m_state != OC_STATE_RUNNING; });
    return m_state;
  }

  int32_t State() {
    std::lock_guard guard(m_lock);
    return m_state;
  }

  std::string Error() {
    std::lock_guard guard(m_lock);
    return m_error;
  }

 private:
  void Work() {
    Settings settings;
    {
      std::lock_guard guard(m_lock);
      settings = m_settings;
    }
    std::string error;
    try {
      error = Author(settings);
    } catch (const std::exception& e) {
      error = std::string("authoring failed: ") + e.what();
    } catch (...) {
      error = "authoring failed";
    }
    int32_t state = OC_STATE_COMPLETE;
    if (m_cancel.load()) {
      state = OC_STATE_CANCELLED;
      error = "authoring was cancelled";
    } else if (!error.empty()) {
      state = OC_STATE_FAILED;
    } else {
      Progress(settings.window, 10000);
    }
    {
      std::lock_guard guard(m_lock);
      m_state = state;
      m_error = error;
    }
    engines::PostToWindow(settings.window, WM_OUTPUTCTRL_STATE, static_cast<uintptr_t>(state), 0);
    m_changed.notify_all();
  }

  void Progress(uintptr_t window, int hundredths) {
    hundredths = std::clamp(hundredths, 0, 10000);
    // The job reads 1..100 as whole percent; below 1.01 % we report nothing yet.
    if (hundredths <= 100) hundredths = 0;
    if (hundredths == m_lastProgress) return;
    m_lastProgress = hundredths;
    engines::PostToWindow(window, WM_OUTPUTCTRL_PROGRESS, static_cast<uintptr_t>(hundredths), 0);
  }

  std::string CollectTitles(const Settings& s, std::vector<TitleInfo>& titles, std::vector<std::vector<double>>& chapters) {
    const int listed = s.titleList ? TLGetTitleCount(s.titleList) : 0;
    for (int i = 0; i < kMaxTitles + 1; ++i) {
      std::string file;
      if (i < listed) {
        char16_t buffer[4096] = {};
        TLGetTitleFile(s.titleList, i, buffer, 4096);
        file = platform::Utf16ToUtf8(buffer);
      }
      const bool named = !file.empty();
      if (!named) file = WithSlash(s.tempPath) + "Slide" + std::to_string(i) + ".mpg";
      struct stat st{};
      if (stat(file.c_str(), &st) != 0) {
        if (named) return "title " + std::to_string(i + 1) + ": cannot find '" + file + "'";
        break;
      }
      TitleInfo info;
      std::string error = ProbeTitle(file, info);
      if (!error.empty()) return "title " + std::to_string(i + 1) + ": " + error;
      titles.push_back(info);
      std::vector<double> marks;
      if (i < listed) {
        const int count = TLGetTitleChapters(s.titleList, i, nullptr, 0);
        marks.resize(static_cast<size_t>(std::max(count, 0)));
        TLGetTitleChapters(s.titleList, i, marks.data(), count);
      }
      chapters.push_back(marks);
    }
    return {};
  }

  // The menu handle is either a description built through the OCMenu* calls or a menu data
  // object that renders its pages now, at the job's format.
  static std::string MenuPages(const Settings& s, size_t titleCount, std::vector<MenuPage>& pages) {
    if (!s.menu) return {};
    if (auto menu = engines::Lookup<MenuDescription>(s.menu)) {
      std::lock_guard guard(menu->lock);
      pages = menu->pages;
      return {};
    }
    auto source = engines::Lookup<engines::MenuSource>(s.menu);
    if (!source) return "the menu data handed to authoring is neither a menu description nor a menu";
    engines::MenuFormat format;
    format.width = 720;
    format.height = s.block.height;
    format.wide = s.block.aspect == kEncodeAspect16x9;
    format.titleCount = static_cast<int>(titleCount);
    return PagesFromSource(*source, format, pages);
  }

  std::string MakeMenus(const Settings& s, const Plan& plan, const std::string& work, std::vector<std::string>& vobs) {
    MenuVideoFormat format{plan.pal, plan.wideMenus, static_cast<double>(std::max(s.block.menuSeconds, 1))};
    const char* videoFormat = plan.pal ? "PAL" : "NTSC";
    for (size_t p = 0; p < plan.pages.size(); ++p) {
      const MenuPage& page = plan.pages[p];
      const std::string base = work + "/page" + std::to_string(p + 1);
      std::string error = EncodeMenuPage(page, format, base + ".mpg", m_cancel);
      if (!error.empty()) return "menu page " + std::to_string(p + 1) + ": " + error;
      const Picture highlight = page.highlight.empty() ? ButtonFrames(page, 0xFFFF00, 4) : page.highlight;
      const Picture select = page.select.empty() ? ButtonFrames(page, 0xFF8000, 4) : page.select;
      if (!(error = WritePng(highlight, base + "_highlight.png")).empty()) return error;
      if (!(error = WritePng(select, base + "_select.png")).empty()) return error;
      {
        std::ofstream xml(base + "_spumux.xml", std::ios::binary);
        xml << SpumuxXml(plan, p, base + "_highlight.png", base + "_select.png");
        if (!xml) return "cannot write '" + base + "_spumux.xml'";
      }
      disctools::ChildSpec child;
      child.program = disctools::ToolProgram("BRANTWELL_SPUMUX", "spumux");
      child.arguments = {"-m", "dvd", base + "_spumux.xml"};
      child.environment = {{"VIDEO_FORMAT", videoFormat}};
      child.stdinFile = base + ".mpg";
      child.stdoutFile = base + "_menu.mpg";
      const disctools::ChildResult result = disctools::RunChild(child, &m_cancel);
      if (!result.Succeeded()) return "menu page " + std::to_string(p + 1) + ": " + result.FailureText("spumux");
      vobs.push_back(child.stdoutFile);
      Progress(s.window, static_cast<int>(kMenusEnd * (p + 1) / plan.pages.size()));
    }
    return {};
  }

  std::string RunDvdauthor(const Settings& s, const Plan& plan, const std::string& work, const std::string& staging,
                           const std::vector<std::string>& vobs) {
    const std::string xmlFile = work + "/dvdauthor.xml";
    {
      std::ofstream xml(xmlFile, std::ios::binary);
      xml << DvdauthorXml(plan, staging, vobs);
      if (!xml) return "cannot write '" + xmlFile + "'";
    }
    double totalMegabytes = 0;
    for (const PlannedTitle& t : plan.titles) totalMegabytes += double(t.info.bytes) / (1024 * 1024);
    double doneMegabytes = 0, currentMegabytes = 0;
    std::vector<std::string> fatalWarnings;
    disctools::ChildSpec child;
    child.program = disctools::ToolProgram("BRANTWELL_DVDAUTHOR", "dvdauthor");
    child.arguments = {"-x", xmlFile};
    child.environment = {{"VIDEO_FORMAT", plan.pal ? "PAL" : "NTSC"}};
    const disctools::ChildResult result = disctools::RunChild(child, &m_cancel, [&](const std::string& line) {
      int vobu = 0, megabytes = 0;
      if (std::sscanf(line.c_str(), "STAT: VOBU %d at %dMB", &vobu, &megabytes) == 2) {
        currentMegabytes = megabytes;
      } else if (line.rfind("STAT: Processing", 0) == 0) {
        doneMegabytes += currentMegabytes;
        currentMegabytes = 0;
      } else if (line.rfind("WARN:", 0) == 0) {
        // dvdauthor only warns where titles or menus do not fit together; such a disc plays
        // wrongly, so these count as failures.
        for (const char* fatal : {"attribute", "differ", "mismatch", "not match", "multiple"})
          if (line.find(fatal) != std::string::npos && fatalWarnings.size() < 10) fatalWarnings.push_back(line);
      }
      if (totalMegabytes > 0)
        Progress(s.window, kMenusEnd + static_cast<int>((kAuthoringEnd - kMenusEnd) *
                                                        std::min(1.0, (doneMegabytes + currentMegabytes) / totalMegabytes)));
    });
    if (!result.Succeeded()) return result.FailureText("dvdauthor");
    if (!fatalWarnings.empty()) return "dvdauthor: " + fatalWarnings.front();
    return {};
  }

  // The authored structure must hold what was planned, in the disc's title order.
  static std::string Verify(const Plan& plan, const std::string& folder) {
    const disctools::DvdCheck check = disctools::InspectDvd(folder);
    if (!check.ok) return "the authored DVD is broken: " + check.error;
    const auto& found = check.summary;
    if (found.titles.size() != plan.titles.size())
      return "the authored DVD holds " + std::to_string(found.titles.size()) + " titles instead of " +
             std::to_string(plan.titles.size());
    for (const PlannedTitle& t : plan.titles) {
      const disctools::DvdTitleInfo& got = found.titles[static_cast<size_t>(t.discNumber - 1)];
      const std::string name = "title " + std::to_string(t.discNumber);
      if (got.chapters != static_cast<int>(t.chapters.size()))
        return "the authored " + name + " has " + std::to_string(got.chapters) + " chapters instead of " +
               std::to_string(t.chapters.size());
      if ((got.aspect == disctools::DvdAspect::SixteenNine) != t.info.wide || got.width != t.info.width ||
          got.height != t.info.height || got.pal != plan.pal)
        return "the authored " + name + " does not have the picture format it was encoded with";
      if (got.audioStreams != static_cast<int>(t.info.audio.size()))
        return "the authored " + name + " lost audio streams";
    }
    if (found.menuButtons.size() != plan.pages.size())
      return "the authored DVD has " + std::to_string(found.menuButtons.size()) + " menu pages instead of " +
             std::to_string(plan.pages.size());
    for (size_t p = 0; p < plan.pages.size(); ++p)
      if (found.menuButtons[p] != static_cast<int>(plan.pages[p].buttons.size()))
        return "menu page " + std::to_string(p + 1) + " of the authored DVD has " + std::to_string(found.menuButtons[p]) +
               " buttons instead of " + std::to_string(plan.pages[p].buttons.size());
    return {};
  }

  std::string Author(const Settings& s) {
    if (s.tempPath.empty()) return "no temporary folder was given";
    if (s.dvdFolder.empty()) return "no DVD folder was given";
    if (!fs::is_directory(s.tempPath)) return "the temporary folder '" + s.tempPath + "' does not exist";
    if (s.block.height != 480 && s.block.height != 576)
      return "the disc's frame height " + std::to_string(s.block.height) + " is neither NTSC (480) nor PAL (576)";

    std::vector<TitleInfo> titles;
    std::vector<std::vector<double>> chapters;
    std::string error = CollectTitles(s, titles, chapters);
    if (!error.empty()) return error;
    std::vector<MenuPage> pages;
    if (!(error = MenuPages(s, titles.size(), pages)).empty()) return error;
    Plan plan;
    if (!(error = MakePlan(s.block, titles, chapters, pages, plan)).empty()) return error;

    // dvdauthor adds to a VIDEO_TS it finds, so it writes into a new, empty folder; the
    // result moves into place only once it has been checked.
    std::error_code failure;
    fs::create_directories(s.dvdFolder, failure);
    if (!fs::is_directory(s.dvdFolder)) return "cannot create the DVD folder '" + s.dvdFolder + "'";
    for (const char* part : {"VIDEO_TS", "AUDIO_TS"})
      if (fs::exists(fs::path(s.dvdFolder) / part))
        return "the DVD folder '" + s.dvdFolder + "' already holds " + part + "; choose an empty folder";
    ScratchFolder work, staging;
    if (work.Make(s.tempPath, ".authoring-").empty()) return "cannot create a work folder in '" + s.tempPath + "'";
    if (staging.Make(s.dvdFolder, ".dvd-").empty()) return "cannot create a folder in '" + s.dvdFolder + "'";
    Progress(s.window, 0);

    std::vector<std::string> vobs;
    if (!(error = MakeMenus(s, plan, work.path(), vobs)).empty()) return error;
    if (m_cancel.load()) return "cancelled";
    if (!(error = RunDvdauthor(s, plan, work.path(), staging.path(), vobs)).empty()) return error;
    if (m_cancel.load()) return "cancelled";
    if (!(error = Verify(plan, staging.path())).empty()) return error;
    Progress(s.window, kCheckEnd);
    if (m_cancel.load()) return "cancelled";

    fs::create_directories(fs::path(staging.path()) / "AUDIO_TS", failure);
    for (const char* part : {"AUDIO_TS", "VIDEO_TS"}) {
      fs::rename(fs::path(staging.path()) / part, fs::path(s.dvdFolder) / part, failure);
      if (failure) {
        for (const char* placed : {"AUDIO_TS", "VIDEO_TS"}) {
          std::error_code ignored;
          if (std::strcmp(placed, part) == 0) break;
          fs::remove_all(fs::path(s.dvdFolder) / placed, ignored);
        }
        return "cannot move the authored DVD into '" + s.dvdFolder + "': " + failure.message();
      }
    }
    return {};
  }

  std::mutex m_lock;
  std::condition_variable m_changed;
  Settings m_settings;
  int32_t m_state = OC_STATE_IDLE;
  std::string m_error;
  std::atomic<bool> m_cancel{false};
  int m_lastProgress = -1;  // only the job's thread touches it
};

std::shared_ptr<Controller> Find(uintptr_t handle) { return engines::Lookup<Controller>(handle); }

template <typename Action>
void Change(const char* entry, uintptr_t handle, Action change) {
  engines::Guarded(entry, [&] {
    if (auto controller = Find(handle)) controller->Set(change);
  });
}

Picture CopyPicture(const uint8_t* pixels, int width, int height, int stride) {
  Picture picture;
  if (!pixels) return picture;
  picture.width = width;
  picture.height = height;
  picture.bgra.resize(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y)
    std::memcpy(picture.bgra.data() + static_cast<size_t>(y) * width * 4, pixels + static_cast<size_t>(y) * stride,
                static_cast<size_t>(width) * 4);
  return picture;
}

}  // namespace
}  // namespace outputctrl

using namespace outputctrl;

ENGINE_API uintptr_t OCCreateCtrl() {
  return engines::Guarded("OCCreateCtrl", static_cast<uintptr_t>(0), [&]() -> uintptr_t {
    return engines::RegisterObject(std::make_shared<Controller>());
  });
}

ENGINE_API void OCDestroyCtrl(uintptr_t ctrl) {
  engines::Guarded("OCDestroyCtrl", [&] {
    auto controller = Find(ctrl);
    if (!controller) return;
    controller->Cancel();
    while (controller->Wait(1000) == OC_STATE_RUNNING) {
    }
    engines::UnregisterObject(ctrl);
  });
}

ENGINE_API void OCInitEncParam(void* block) {
  if (!block) return;
  OCEncParam p{};
  p.size = sizeof(OCEncParam);
  p.width = 720;
  p.height = 480;
  p.frameRate = 30000.0 / 1001;
  p.videoBitrate = 6000000;
  p.rateControl = kEncodeRateVariable;
  p.maxBitrate = 7200000;
  p.bufferSize = 1835008;
  p.gopSize = 15;
  p.bFrames = 2;
  p.aspect = kEncodeAspect4x3;
  p.audioCodec = kEncodeAudioAc3;
  p.audioBitrate = 192000;
  p.sampleRate = 48000;
  p.channels = 2;
  p.menuSeconds = 1;
  std::memcpy(block, &p, sizeof p);
}

ENGINE_API void OCRegisterMsgHwnd(uintptr_t ctrl, uintptr_t window) {
  Change(__func__, ctrl, [&](Settings& s) { s.window = window; });
}
ENGINE_API void OCSetMenuData(uintptr_t ctrl, uintptr_t menu) {
  Change(__func__, ctrl, [&](Settings& s) { s.menu = menu; });
}
ENGINE_API void OCSetTitleList(uintptr_t ctrl, uintptr_t list) {
  Change(__func__, ctrl, [&](Settings& s) { s.titleList = list; });
}
ENGINE_API void OCSetTempPath(uintptr_t ctrl, const char16_t* folder) {
  Change(__func__, ctrl, [&](Settings& s) { s.tempPath = Utf8(folder); });
}
ENGINE_API void OCSetDvdFolder(uintptr_t ctrl, const char16_t* folder) {
  Change(__func__, ctrl, [&](Settings& s) { s.dvdFolder = Utf8(folder); });
}
ENGINE_API void OCSetDVDType(uintptr_t ctrl, int32_t type) {
  Change(__func__, ctrl, [&](Settings& s) { s.type = type; });
}
ENGINE_API void OCSetEncParam(uintptr_t ctrl, const void* block) {
  if (!block) return;
  Change(__func__, ctrl, [&](Settings& s) { std::memcpy(&s.block, block, sizeof(OCEncParam)); });
}

ENGINE_API int32_t OCStartProcess(uintptr_t ctrl) {
  return engines::Guarded("OCStartProcess", static_cast<int32_t>(0), [&]() -> int32_t {
    auto controller = Find(ctrl);
    return controller && controller->Start() ? 1 : 0;
  });
}

ENGINE_API void OCCancelProcess(uintptr_t ctrl) {
  if (auto controller = Find(ctrl)) controller->Cancel();
}

ENGINE_API int32_t OCWaitProcess(uintptr_t ctrl, int32_t milliseconds) {
  return engines::Guarded("OCWaitProcess", static_cast<int32_t>(OC_STATE_IDLE), [&]() -> int32_t {
    auto controller = Find(ctrl);
    return controller ? controller->Wait(milliseconds) : OC_STATE_IDLE;
  });
}

ENGINE_API int32_t OCGetState(uintptr_t ctrl) {
  auto controller = Find(ctrl);
  return controller ? controller->State() : OC_STATE_IDLE;
}

ENGINE_API int32_t OCGetLastError(uintptr_t ctrl, char16_t* buffer, int32_t capacity) {
  return engines::Guarded("OCGetLastError", static_cast<int32_t>(0), [&]() -> int32_t {
    auto controller = Find(ctrl);
    return engines::CopyText(controller ? platform::Utf8ToUtf16(controller->Error()) : u"", buffer, capacity);
  });
}

ENGINE_API uintptr_t OCMenuCreate() {
  return engines::Guarded("OCMenuCreate", static_cast<uintptr_t>(0), [&]() -> uintptr_t {
    return engines::RegisterObject(std::make_shared<MenuDescription>());
  });
}

ENGINE_API void OCMenuRelease(uintptr_t menu) {
  if (engines::Lookup<MenuDescription>(menu)) engines::UnregisterObject(menu);
}

ENGINE_API int32_t OCMenuAddPage(uintptr_t handle, const OCMenuPageInfo* info) {
  return engines::Guarded("OCMenuAddPage", static_cast<int32_t>(-1), [&]() -> int32_t {
    auto menu = engines::Lookup<MenuDescription>(handle);
    if (!menu || !info || !info->background || info->width <= 0 || info->height <= 0 || info->width > 4096 ||
        info->height > 4096 || info->stride < info->width * 4)
      return -1;
    MenuPage page;
    page.background = CopyPicture(info->background, info->width, info->height, info->stride);
    page.highlight = CopyPicture(info->highlight, info->width, info->height, info->stride);
    page.select = CopyPicture(info->select, info->width, info->height, info->stride);
    page.audioFile = info->audioFile ? platform::Utf16ToUtf8(engines::ReadText(info->audioFile)) : "";
    std::lock_guard guard(menu->lock);
    menu->pages.push_back(std::move(page));
    return static_cast<int32_t>(menu->pages.size()) - 1;
  });
}

ENGINE_API int32_t OCMenuAddButton(uintptr_t handle, int32_t page, const OCMenuButton* button) {
  return engines::Guarded("OCMenuAddButton", static_cast<int32_t>(-1), [&]() -> int32_t {
    auto menu = engines::Lookup<MenuDescription>(handle);
    if (!menu || !button) return -1;
    std::lock_guard guard(menu->lock);
    if (page < 0 || page >= static_cast<int32_t>(menu->pages.size())) return -1;
    auto& buttons = menu->pages[static_cast<size_t>(page)].buttons;
    buttons.push_back(*button);
    return static_cast<int32_t>(buttons.size()) - 1;
  });
}
