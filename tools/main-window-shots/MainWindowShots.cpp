// main-window-shots: pictures of the main window's pages.
//   main-window-shots --size WxH --out DIR
// See README.md.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

#include "platform/display/Display.h"
#include "platform/kernel/ProgramFolder.h"
#include "platform/testing/Synthetic.h"
#include "program/app/MainForm.h"
#include "program/app/Startup.h"
#include "vcl/Form.h"

namespace {

namespace fs = std::filesystem;
using platform::testing::RunUntilIdle;

struct Page {
  const char* name;
  std::function<void(TMainForm* form)> show;
};

const Page kPages[] = {
    {"edit", [](TMainForm* form) { form->ShowPage(kPageEdit, true); }},
    {"effect", [](TMainForm* form) {
       form->cbExplorer->SetItemIndex(1);
       form->cbExplorerChange(form->cbExplorer);
     }},
    {"menu", [](TMainForm* form) { form->ShowPage(kPageMenu, true); }},
    {"preview", [](TMainForm* form) { form->ShowPage(kPagePreview, true); }},
    {"burn", [](TMainForm* form) { form->ShowPage(kPageBurn, true); }},
};

// A scratch program folder and home that go away with the run.
class Scratch {
 public:
  Scratch() {
    char pattern[] = "/tmp/main-window-shots-XXXXXX";
    if (::mkdtemp(pattern)) m_root = pattern;
  }
  ~Scratch() {
    std::error_code ignored;
    if (!m_root.empty()) fs::remove_all(m_root, ignored);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  // The built program folder's entries linked in, with its shipped settings copied.
  bool Prepare(const fs::path& built) {
    if (m_root.empty()) return false;
    std::error_code error;
    const fs::path program = m_root / "program", home = m_root / "home", run = m_root / "run";
    for (const fs::path& folder : {program, home, run}) fs::create_directories(folder, error);
    fs::permissions(run, fs::perms::owner_all, fs::perm_options::replace, error);
    for (const auto& entry : fs::directory_iterator(built, error)) {
      const std::string name = entry.path().filename().string();
      if (name == "brantwell.ini" || name == "Log" || name == "Thumbnail") continue;
      fs::create_symlink(entry.path(), program / name, error);
    }
    fs::copy_file(built / "brantwell.ini", program / "brantwell.ini", error);
    if (error) return false;
    ::setenv("BRANTWELL_PROGRAM_DIR", program.c_str(), 1);
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    ::unsetenv("XDG_CACHE_HOME");
    ::unsetenv("XDG_DOCUMENTS_DIR");
    return true;
  }

 private:
  fs::path m_root;
};

int Usage() {
  std::fprintf(stderr, "usage: main-window-shots --size WxH --out DIR\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string size = "1280x800", out;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--size" && i + 1 < argc) size = argv[++i];
    else if (arg == "--out" && i + 1 < argc) out = argv[++i];
    else return Usage();
  }
  int width = 0, height = 0;
  if (out.empty() || std::sscanf(size.c_str(), "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0)
    return Usage();
  std::error_code error;
  fs::create_directories(out, error);

  const fs::path built = fs::path(platform::ProgramFolder());
  Scratch scratch;
  if (!scratch.Prepare(built)) {
    std::fprintf(stderr, "main-window-shots: cannot make a scratch program folder\n");
    return 1;
  }
  ::setenv("BRANTWELL_HEADLESS_SIZE", size.c_str(), 1);
  std::string displayError;
  if (!platform::display::StartDisplay(platform::display::Backend::Headless, &displayError)) {
    std::fprintf(stderr, "main-window-shots: %s\n", displayError.c_str());
    return 1;
  }

  int failures = 0, shots = 0;
  TStartupSeams seams;
  seams.ProgramFileName = "brantwell";
  seams.MainFormShown = [&](TCustomForm* shown) {
    auto* form = dynamic_cast<TMainForm*>(shown);
    if (!form) {
      std::fprintf(stderr, "main-window-shots: the main window is not the program's\n");
      ++failures;
      return;
    }
    for (const Page& page : kPages) {
      page.show(form);
      form->Update();
      RunUntilIdle();
      const std::string file = (fs::path(out) / (std::string(page.name) + ".png")).string();
      std::string saveError;
      if (!platform::testing::SaveWindowPng(form->Handle(), file, &saveError)) {
        std::fprintf(stderr, "main-window-shots: cannot write %s: %s\n", file.c_str(), saveError.c_str());
        ++failures;
      } else {
        ++shots;
      }
    }
    form->Close();
  };
  const int exitCode = RunBrantwell(seams);
  platform::display::StopDisplay();
  if (exitCode != 0 || failures > 0 || shots == 0) return 1;
  std::printf("main-window-shots: %d pictures in %s\n", shots, out.c_str());
  return 0;
}
