// update-check: a manual live-update check with the program's update window, run on the
// headless display until the check (or, with --update, the download) ends.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/display/Display.h"
#include "platform/kernel/ProgramFolder.h"
#include "platform/testing/Synthetic.h"
#include "program/core/Config.h"
#include "program/imaging/GPInit.h"
#include "program/net/NetStartup.h"
#include "program/net/UpdateMain.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinModule.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"
#include "vcl/Thread.h"

namespace {

namespace fs = std::filesystem;

int Usage(const std::string& problem) {
  std::fprintf(stderr,
               "update-check: %s\nusage: update-check --settings FILE [--product ID] [--screenshot DIR] [--update]\n",
               problem.c_str());
  return 1;
}

// Runs the GUI thread until done() holds or the time is up.
template <class F> bool Pump(F done, std::chrono::seconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    platform::testing::RunUntilIdle();
    CheckSynchronize(10);
  }
  platform::testing::RunUntilIdle();
  return true;
}

struct Run {
  std::string screenshots;
  bool checked = false;
  bool downloaded = false;
  bool setupStarted = false;
  bool doneSaved = false;

  void Save(TUpdateMainForm* form, const char* name) {
    if (screenshots.empty() || !form || !form->HandleAllocated()) return;
    platform::testing::RunUntilIdle();
    std::string error;
    const std::string path = (fs::path(screenshots) / name).string();
    if (!platform::testing::SaveWindowPng(form->Handle(), path, &error))
      std::fprintf(stderr, "update-check: cannot write %s: %s\n", path.c_str(), error.c_str());
  }
};

int Main(const std::string& settings, const std::string& product, bool update, Run& run) {
  AppConfig.Create(UTF8ToWide(fs::absolute(settings).string()), u"System");
  UpdateWindowHooks().MessageBox = [](const WideString& text, const WideString& caption, UINT) {
    std::printf("message box: %s: %s\n", WideToUTF8(caption).c_str(), WideToUTF8(text).c_str());
    std::fflush(stdout);
    return 1;
  };
  UpdateWindowHooks().CheckDone = [&run](TUpdateMainForm* form) {
    run.checked = true;
    run.Save(form, "check.png");
  };
  UpdateWindowHooks().DownloadDone = [&run](TUpdateMainForm*) { run.downloaded = true; };
  UpdateWindowHooks().BeforeSetup = [&run](TUpdateMainForm* form) {
    run.Save(form, "done.png");
    run.doneSaved = true;
    run.setupStarted = true;
  };
  ShowLiveUpdate(nullptr, true, product);
  if (!Pump([&] { return run.checked || run.setupStarted || !UpdateMainForm(); }, std::chrono::seconds(90))) {
    std::fprintf(stderr, "update-check: the check did not end in time\n");
    return 1;
  }
  TUpdateMainForm* form = UpdateMainForm();
  if (run.setupStarted) {
    std::printf("a setup downloaded earlier was started\n");
    return 0;
  }
  if (!form || form->CurrentPage() != 2) {
    if (form) {
      std::printf("page %d: %s\n", form->CurrentPage(),
                  (form->CurrentPage() == 3 ? form->lblInformation : form->lblProgressMsg)->Caption().c_str());
      run.Save(form, "done.png");
    }
    return 1;
  }
  std::printf("newer version %s offered\n", WideToUTF8(form->Manager().Response().GetLatestVersion()).c_str());
  if (!update) {
    run.Save(form, "done.png");
    return 0;
  }
  form->btnSetupClick(nullptr);
  const AnsiString file = form->Manager().DownloadFileName();
  if (!Pump([&] { return run.downloaded || !UpdateMainForm(); }, std::chrono::seconds(600))) {
    std::fprintf(stderr, "update-check: the download did not end in time\n");
    return 1;
  }
  form = UpdateMainForm();
  if (run.setupStarted) {
    std::printf("saved %s; setup started\n", file.c_str());
    return 0;
  }
  if (form && !run.doneSaved) run.Save(form, "done.png");
  if (form && form->CurrentPage() == 3 && !file.empty() && fs::exists(file.c_str())) {
    std::printf("saved %s; not started (no checksum)\n", file.c_str());
    return 0;
  }
  std::printf("the download failed\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string settings, product = "Brantwell";
  Run run;
  bool update = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool hasValue = i + 1 < argc;
    if (argument == "--settings" && hasValue) settings = argv[++i];
    else if (argument == "--product" && hasValue) product = argv[++i];
    else if (argument == "--screenshot" && hasValue) run.screenshots = argv[++i];
    else if (argument == "--update") update = true;
    else return Usage("unknown or incomplete argument " + argument);
  }
  if (settings.empty()) return Usage("--settings is required");
  if (!fs::exists(settings)) return Usage("no settings file " + settings);
  if (!run.screenshots.empty()) fs::create_directories(run.screenshots);
  std::string error;
  if (!platform::display::StartDisplay(platform::display::Backend::Headless, &error)) {
    std::fprintf(stderr, "update-check: no display: %s\n", error.c_str());
    return 1;
  }
  InitImaging();
  StartSkinModule();
  SkinEngine->SetSkinPath((fs::path(platform::ProgramFolder()) / "Skin" / "Default").string());
  StartNetwork();
  int result = 1;
  try {
    result = Main(settings, product, update, run);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "update-check: %s\n", e.what());
    result = 1;
  }
  if (TUpdateMainForm* form = UpdateMainForm()) delete form;
  platform::testing::RunUntilIdle();
  UpdateWindowHooks() = {};
  DoneApplication();
  StopSkinModule();
  AppConfig.Flush();
  return result;
}
