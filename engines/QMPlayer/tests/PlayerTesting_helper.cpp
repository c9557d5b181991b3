#include "engines/QMPlayer/tests/PlayerTesting.h"

#include <chrono>
#include <thread>

#include "platform/display/Display.h"
#include "platform/kernel/Unicode.h"

namespace player_testing {

namespace {

LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kPlayerNotifyMessage || message == kPlayerCompleteMessage) {
    Delivered().push_back({message, wParam});
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Starts the headless display and silences the sound for every test of the program.
class Environment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!getenv("SDL_AUDIODRIVER")) setenv("BRANTWELL_AUDIO", "null", 0);
    std::string error;
    ASSERT_TRUE(platform::display::StartDisplay(platform::display::Backend::Headless, &error)) << error;
  }
  void TearDown() override { platform::display::StopDisplay(); }
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new Environment);

}  // namespace

std::vector<Message>& Delivered() {
  static std::vector<Message> delivered;
  return delivered;
}

HWND MakeTopWindow(int width, int height) {
  static const bool classRegistered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = u"PlayerTestTop";
    return RegisterClassW(&wc) != 0;
  }();
  EXPECT_TRUE(classRegistered);
  HWND hwnd = CreateWindowExW(0, u"PlayerTestTop", u"player test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width,
                              height, nullptr, nullptr, nullptr, nullptr);
  EXPECT_NE(hwnd, nullptr);
  return hwnd;
}

ClipSources::ClipSources(const std::string& path, bool withVideo, bool withAudio) {
  const std::u16string wide = platform::Utf8ToUtf16(path);
  if (withVideo) video = QVDCreate(wide.c_str(), nullptr, nullptr, 0);
  if (withAudio) audio = QADCreate(wide.c_str(), nullptr, nullptr, 0);
}

ClipSources::~ClipSources() {
  QVDDestroy(video);
  QADDestroy(audio);
}

namespace {
int Red(uint32_t p) { return (p >> 16) & 0xFF; }
int Green(uint32_t p) { return (p >> 8) & 0xFF; }
int Blue(uint32_t p) { return p & 0xFF; }
}  // namespace

bool IsBlack(uint32_t p) { return Red(p) < 24 && Green(p) < 24 && Blue(p) < 24; }
bool IsRed(uint32_t p) { return Red(p) > 200 && Green(p) < 60 && Blue(p) < 60; }
bool IsBlue(uint32_t p) { return Blue(p) > 200 && Red(p) < 60 && Green(p) < 60; }
bool IsCyan(uint32_t p) { return Red(p) < 60 && Green(p) > 200 && Blue(p) > 200; }

int CountOf(UINT message, WPARAM wParam) {
  int count = 0;
  for (const Message& m : Delivered())
    if (m.message == message && (message != kPlayerNotifyMessage || m.wParam == wParam)) ++count;
  return count;
}

bool Pump(const std::function<bool()>& done) { return platform::testing::RunUntil(done, 15000); }

void PumpFor(int milliseconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  platform::testing::RunUntil([&] { return std::chrono::steady_clock::now() >= until; }, milliseconds + 5000);
}

void SavePicture(HWND hwnd, const std::string& name) {
  std::string error;
  const auto image = platform::testing::ReadWindow(hwnd);
  EXPECT_TRUE(platform::testing::SavePng(image, std::string(BRANTWELL_TEST_BIN_DIR) + "/" + name, &error)) << error;
}

}  // namespace player_testing
