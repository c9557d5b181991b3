#pragma once

// Test fixtures for the authoring tests: tiny DVD MPEG-2 clips made with the ffmpeg tool
// (once per test run, into the build folder), a poster that records what the engine posts,
// a scratch folder, and helpers to build a menu description.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engines/QM_OutputCtrl/OutputCtrl.h"

namespace fixtures {

struct Clip {
  const char* name;
  const char* arguments;  // ffmpeg output options
};

// Path of a clip of the given length: "ntsc43", "ntsc169", "pal43", "ntscmp2" (MPEG audio on NTSC).
std::string ClipPath(const std::string& kind, int seconds = 2);

struct Posted {
  uintptr_t window;
  uint32_t message;
  uintptr_t wParam;
};
// Installs the recording poster; Messages() returns what was posted since Clear().
void InstallRecorder();
std::vector<Posted> Messages();
void ClearMessages();

// A new empty folder below the test build folder, removed by the destructor.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& path() const { return m_path; }
  std::string operator/(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

void Copy(const std::string& from, const std::string& to);
void WriteScript(const std::string& path, const std::string& body);

// A page of the disc's size: a gradient background; buttons as given; music from `audioFile`
// when it is not empty.
uintptr_t AddPage(uintptr_t menu, const std::vector<OCMenuButton>& buttons, int height = 480,
                  const std::vector<uint8_t>* highlight = nullptr, const std::string& audioFile = {});

// The disc most tests author: title 0 (Slide0, 4:3, chapters at 0 s and 1 s) and title 1
// (Slide1, 16:9); page 0 plays either title or goes to page 1, page 1 plays title 1 or goes back.
struct TwoTitleDisc {
  uintptr_t titleList;
  uintptr_t menu;
};
TwoTitleDisc TwoTitlesWithTwoPageMenu();

// Runs an authoring job to its end (watchdog: 3 minutes) and returns its state and error.
struct Outcome {
  int32_t state;
  std::string error;
};
Outcome Author(const std::string& tempPath, const std::string& dvdFolder, uintptr_t menu, uintptr_t titleList,
               bool pal = false, bool wide = false);

}  // namespace fixtures
