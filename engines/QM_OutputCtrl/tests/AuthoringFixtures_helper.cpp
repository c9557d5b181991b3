#include "AuthoringFixtures.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "engines/QM_DVDTitleList/DVDTitleList.h"
#include "engines/common/WindowPoster.h"
#include "platform/kernel/Unicode.h"

namespace fs = std::filesystem;

namespace fixtures {
namespace {

std::mutex recordLock;
std::vector<Posted> recorded;

bool Record(uintptr_t window, uint32_t message, uintptr_t wParam, intptr_t) {
  std::lock_guard guard(recordLock);
  recorded.push_back({window, message, wParam});
  return true;
}

std::string FixtureFolder() {
  const std::string folder = std::string(BRANTWELL_TEST_BIN_DIR) + "/fixtures/authoring";
  fs::create_directories(folder);
  return folder;
}

}  // namespace

std::string ClipPath(const std::string& kind, int seconds) {
  static std::mutex lock;
  std::lock_guard guard(lock);
  const std::string path =
      FixtureFolder() + "/" + kind + (seconds == 2 ? "" : "_" + std::to_string(seconds) + "s") + ".mpg";
  if (fs::exists(path) && fs::file_size(path) > 0) return path;
  std::string size = "720x480", rate = "30000/1001", target = "ntsc-dvd", aspect = "4:3", audio;
  if (kind == "ntsc169") aspect = "16:9";
  if (kind == "pal43") size = "720x576", rate = "25", target = "pal-dvd";
  if (kind == "ntscmp2") audio = "-c:a mp2 -b:a 192k";
  // Fixtures only: the engines never run ffmpeg themselves.
  // Test processes run side by side: each writes its own part file and moves it into place.
  const std::string part = path + "." + std::to_string(getpid()) + ".part";
  const std::string command = "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=size=" + size + ":rate=" + rate +
                              " -f lavfi -i sine=frequency=440:sample_rate=48000 -ac 2 -target " + target +
                              " -aspect " + aspect + " " + audio +  " -t " + std::to_string(seconds) + " -f dvd '" + part + "' && mv '" + part + "' '" + path + "'";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("ffmpeg could not make the fixture " + kind);
  return path;
}

void InstallRecorder() { engines::SetWindowPoster(&Record); }

std::vector<Posted> Messages() {
  std::lock_guard guard(recordLock);
  return recorded;
}

void ClearMessages() {
  std::lock_guard guard(recordLock);
  recorded.clear();
}

TempFolder::TempFolder() {
  // Straight in the test build folder: a shared parent would outlive the tests.
  std::string pattern = std::string(BRANTWELL_TEST_BIN_DIR) + "/scratch-run-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  m_path = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(m_path, ignored);
}

void Copy(const std::string& from, const std::string& to) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

void WriteScript(const std::string& path, const std::string& body) {
  {
    std::ofstream out(path);
    out << "#!/bin/sh\n" << body << "\n";
  }
  chmod(path.c_str(), 0755);
}

uintptr_t AddPage(uintptr_t menu, const std::vector<OCMenuButton>& buttons, int height,
                  const std::vector<uint8_t>* highlight, const std::string& audioFile) {
  std::vector<uint8_t> background(720 * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < 720; ++x) {
      uint8_t* p = &background[(y * 720 + x) * 4];
      p[0] = static_cast<uint8_t>(x / 3);
      p[1] = static_cast<uint8_t>(y / 2);
      p[2] = 80;
      p[3] = 255;
    }
  const std::u16string music = platform::Utf8ToUtf16(audioFile);
  OCMenuPageInfo info{720, height, 720 * 4, background.data(), highlight ? highlight->data() : nullptr, nullptr,
                      audioFile.empty() ? nullptr : music.c_str()};
  const int32_t page = OCMenuAddPage(menu, &info);
  for (const OCMenuButton& b : buttons) OCMenuAddButton(menu, page, &b);
  return static_cast<uintptr_t>(page);
}

TwoTitleDisc TwoTitlesWithTwoPageMenu() {
  const uintptr_t list = TLCreate();
  TLInsertTitle(list, 0);
  TLInsertTitle(list, 1);
  const double marks[] = {0.0, 1.0};
  TLSetTitleChapters(list, 0, marks, 2);
  const uintptr_t menu = OCMenuCreate();
  AddPage(menu, {{100, 100, 300, 150, OC_ACTION_PLAY_TITLE, 0},
                 {100, 200, 300, 250, OC_ACTION_PLAY_TITLE, 1},
                 {400, 380, 600, 430, OC_ACTION_GO_TO_PAGE, 1}});
  AddPage(menu, {{100, 100, 300, 150, OC_ACTION_PLAY_TITLE, 1}, {400, 380, 600, 430, OC_ACTION_GO_TO_PAGE, 0}});
  return {list, menu};
}

Outcome Author(const std::string& tempPath, const std::string& dvdFolder, uintptr_t menu, uintptr_t titleList, bool pal,
               bool wide) {
  const uintptr_t ctrl = OCCreateCtrl();
  OCEncParam block{};
  OCInitEncParam(&block);
  OCRegisterMsgHwnd(ctrl, 77);
  OCSetMenuData(ctrl, menu);
  OCSetTitleList(ctrl, titleList);
  OCSetTempPath(ctrl, platform::Utf8ToUtf16(tempPath + "/").c_str());
  OCSetDvdFolder(ctrl, platform::Utf8ToUtf16(dvdFolder).c_str());
  OCSetDVDType(ctrl, OC_TYPE_FOLDER);
  block.height = pal ? 576 : 480;
  block.frameRate = pal ? 25.0 : 30000.0 / 1001;
  block.aspect = wide ? 3 : 2;
  OCSetEncParam(ctrl, &block);
  Outcome outcome{OC_STATE_IDLE, {}};
  if (OCStartProcess(ctrl) != 1) return outcome;
  outcome.state = OCWaitProcess(ctrl, 180000);
  char16_t text[1024] = {};
  OCGetLastError(ctrl, text, 1024);
  outcome.error = platform::Utf16ToUtf8(text);
  OCDestroyCtrl(ctrl);
  return outcome;
}

}  // namespace fixtures
