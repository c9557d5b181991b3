// A DVD made from two generated clips the way the output job makes one: each clip decoded by
// the decoder manager and encoded by the converter (both opened at run time by their library
// names, as the program opens them) with a parameter block from the output control's
// defaults; the titles authored with a two-page menu or without a menu, written to an ISO
// image and burned to a test drive. libdvdread reads the folder, the image and the burned
// disc back.

#include <gtest/gtest.h>

#include <chrono>
#include <cctype>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <stdexcept>

#include "engines/DiscTools/DvdVerifier.h"
#include "engines/QM_Converter/ConverterApi.h"
#include "engines/QM_DVDTitleList/DVDTitleList.h"
#include "engines/QM_OutputCtrl/OutputCtrl.h"
#include "engines/QmBurn/QmBurn.h"
#include "engines/common/WindowPoster.h"
#include "engines/media/DecoderApi.h"
#include "engines/media/testing/MediaFixtures.h"
#include "platform/kernel/Modules.h"
#include "platform/kernel/Unicode.h"

namespace fs = std::filesystem;
using disctools::DvdAspect;
using engines::media::testing::Fixture;
using engines::media::testing::RunProgram;

namespace {

std::u16string Wide(const std::string& text) { return platform::Utf8ToUtf16(text); }

std::string Contents(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The 16:9 clip: 2 s of 512x288 MPEG-4 with MP3 mono audio in an AVI, at 25 frames a second
// (the disc is NTSC, so the converter changes the rate too). The 4:3 clip is the media tests'
// 320x240 H.264/AAC MP4.
std::string WideClip() {
  const fs::path path = engines::media::testing::FixtureFolder() / "e2e_wide_mpeg4_mp3.avi";
  if (fs::exists(path)) return path.string();
  const fs::path part = path.string() + "." + std::to_string(getpid()) + ".part";
  const int status = RunProgram({"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i",
                                 "testsrc=size=512x288:rate=25:duration=2", "-f", "lavfi", "-i",
                                 "sine=frequency=880:sample_rate=44100:duration=2", "-c:v", "mpeg4", "-q:v", "5",
                                 "-c:a", "libmp3lame", "-b:a", "64k", "-ac", "1", "-shortest", "-f", "avi",
                                 part.string()});
  if (status != 0) return {};
  fs::rename(part, path);
  return path.string();
}

// A new empty folder below the test build folder, removed with its contents.
class ScratchFolder {
 public:
  ScratchFolder() {
    // Straight in the test build folder: a shared parent would outlive the tests.
    std::string pattern = (fs::path(BRANTWELL_TEST_BIN_DIR) / "scratch-e2e-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
  }
  std::string operator/(const std::string& name) const { return m_path + "/" + name; }
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
};

// The decoder manager and the converter, opened by their library names and bound by name and
// by ordinal as the program binds them.
class MediaEngines {
 public:
  MediaEngines() {
    m_decoder = LoadLibraryA("QM_DecMgr.dll");
    m_converter = LoadLibraryA("QM_Converter.dll");
    if (!m_decoder || !m_converter) return;
    Bind(m_decoder, "QVDCreate", createVideo);
    Bind(m_decoder, "QADCreate", createAudio);
    Bind(m_decoder, "QVDDestroy", destroyVideo);
    Bind(m_decoder, "QADDestroy", destroyAudio);
    Bind(m_converter, Ordinal(1), createConverter);
    Bind(m_converter, Ordinal(2), destroyConverter);
    Bind(m_converter, "QESetOutputFile", setOutputFile);
    Bind(m_converter, "QESetEncodeParam", setEncodeParam);
    Bind(m_converter, "QEStart", start);
  }
  ~MediaEngines() {
    if (m_converter) FreeLibrary(m_converter);
    if (m_decoder) FreeLibrary(m_decoder);
  }
  bool Loaded() const {
    return createVideo && createAudio && destroyVideo && destroyAudio && createConverter && destroyConverter &&
           setOutputFile && setEncodeParam && start;
  }

  decltype(&QVDCreate) createVideo = nullptr;
  decltype(&QADCreate) createAudio = nullptr;
  decltype(&QVDDestroy) destroyVideo = nullptr;
  decltype(&QADDestroy) destroyAudio = nullptr;
  decltype(&QECreate) createConverter = nullptr;
  decltype(&QEDestroy) destroyConverter = nullptr;
  decltype(&QESetOutputFile) setOutputFile = nullptr;
  decltype(&QESetEncodeParam) setEncodeParam = nullptr;
  decltype(&QEStart) start = nullptr;

 private:
  static LPCSTR Ordinal(uintptr_t number) { return reinterpret_cast<LPCSTR>(number); }
  template <typename Function>
  static void Bind(HMODULE module, LPCSTR name, Function& entry) {
    // Through void*: the entry's real type is known here, not to GetProcAddress.
    entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }

  HMODULE m_decoder = nullptr;
  HMODULE m_converter = nullptr;
};

// The converter's reports, waited for with a watchdog.
struct EncodeEnd {
  std::mutex mutex;
  std::condition_variable changed;
  int ends = 0;
  int code = -1;
  int lastPercent = 0;

  static int32_t Callback(void* user, int32_t message, int32_t code, QEProgress* progress) {
    auto* self = static_cast<EncodeEnd*>(user);
    std::lock_guard lock(self->mutex);
    if (progress) self->lastPercent = progress->percent;
    if (message == kQEMessageEnd) {
      ++self->ends;
      self->code = code;
    }
    self->changed.notify_all();
    return 0;
  }
  bool Wait() {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(120), [&] { return ends > 0; });
  }
};

// The video fields the output job writes over the output control's defaults, for an NTSC disc
// of the middle quality.
void FillJobVideoFields(DvdEncodeParam& block, int32_t aspect) {
  block.width = 720;
  block.height = 480;
  block.frameRate = 30000.0 / 1001;
  block.videoBitrate = 6000 * 1000;
  block.rateControl = kEncodeRateVariable;
  block.maxBitrate = 7200 * 1000;
  block.aspect = aspect;
}

std::mutex postedLock;
std::vector<std::pair<uint32_t, uintptr_t>> posted;

bool RecordPost(uintptr_t, uint32_t message, uintptr_t wParam, intptr_t) {
  std::lock_guard guard(postedLock);
  posted.emplace_back(message, wParam);
  return true;
}

std::string BurnError() {
  char text[1024] = {};
  QmBurn_GetLastError(text, sizeof text);
  return text;
}

class DiscFromClips : public ::testing::Test {
 protected:
  // The burner engine lists its drives once per process: two blank test drives for the suite,
  // D: and E: (letters follow the device paths' order), one for each test.
  static void SetUpTestSuite() {
    drives = std::make_unique<ScratchFolder>();
    setenv("BRANTWELL_TEST_DRIVES", (*drives / "drive-d.bin;" + *drives / "drive-e.bin").c_str(), 1);
    setenv("BRANTWELL_SCAN_REAL_DRIVES", "0", 1);
  }
  static void TearDownTestSuite() { drives.reset(); }

  void SetUp() override {
    engines::SetWindowPoster(&RecordPost);
    ASSERT_TRUE(engines.Loaded()) << "cannot open the media engines from " << getenv("BRANTWELL_PROGRAM_DIR");
    const std::string clips[] = {Fixture("h264_aac.mp4"), WideClip()};
    const int32_t aspects[] = {kEncodeAspect4x3, kEncodeAspect16x9};
    for (int i = 0; i < 2; ++i) {
      ASSERT_FALSE(clips[i].empty()) << "ffmpeg could not make clip " << i;
      Encode(clips[i], titles / ("Slide" + std::to_string(i) + ".mpg"), aspects[i]);
      if (HasFatalFailure()) return;
    }
  }

  void Encode(const std::string& clip, const std::string& output, int32_t aspect) {
    SCOPED_TRACE(clip);
    const EngineHandle video = engines.createVideo(Wide(clip).c_str(), nullptr, nullptr, 0);
    const EngineHandle audio = engines.createAudio(Wide(clip).c_str(), nullptr, nullptr, 0);
    ASSERT_NE(video, 0u);
    ASSERT_NE(audio, 0u);
    const EngineHandle converter = engines.createConverter(video, audio);
    ASSERT_NE(converter, 0u);
    DvdEncodeParam block{};
    OCInitEncParam(&block);
    FillJobVideoFields(block, aspect);
    block.sampleRate = 48000;
    block.channels = 2;
    EXPECT_EQ(engines.setOutputFile(converter, Wide(output).c_str()), 1);
    EXPECT_EQ(engines.setEncodeParam(converter, &block), 1);
    EncodeEnd end;
    ASSERT_EQ(engines.start(converter, 0.0, 0.0, 0, &EncodeEnd::Callback, &end), 0);
    EXPECT_TRUE(end.Wait());
    engines.destroyConverter(converter);
    engines.destroyVideo(video);
    engines.destroyAudio(audio);
    EXPECT_EQ(end.ends, 1);
    EXPECT_EQ(end.code, kQEEndDone);
    EXPECT_EQ(end.lastPercent, 100);
    ASSERT_TRUE(fs::exists(output));
  }

  // Authors the encoded titles as the job does; answers the state the job ends in.
  int32_t Author(const std::string& dvdFolder, uintptr_t menu, uintptr_t titleList, int32_t dvdType) {
    {
      std::lock_guard guard(postedLock);
      posted.clear();
    }
    const uintptr_t ctrl = OCCreateCtrl();
    DvdEncodeParam block{};
    OCInitEncParam(&block);
    OCRegisterMsgHwnd(ctrl, 1604);
    OCSetMenuData(ctrl, menu);
    OCSetTitleList(ctrl, titleList);
    OCSetTempPath(ctrl, Wide(titles.path() + "/").c_str());
    OCSetDvdFolder(ctrl, Wide(dvdFolder).c_str());
    OCSetDVDType(ctrl, dvdType);
    FillJobVideoFields(block, kEncodeAspect4x3);  // the menus are 4:3
    OCSetEncParam(ctrl, &block);
    int32_t state = OC_STATE_IDLE;
    if (OCStartProcess(ctrl) == 1) state = OCWaitProcess(ctrl, 180000);
    char16_t error[1024] = {};
    OCGetLastError(ctrl, error, 1024);
    OCDestroyCtrl(ctrl);
    EXPECT_EQ(state, OC_STATE_COMPLETE) << platform::Utf16ToUtf8(error);
    // The job learns the end from exactly one state message.
    std::lock_guard guard(postedLock);
    int ends = 0;
    for (const auto& [message, wParam] : posted) {
      if (message == WM_OUTPUTCTRL_STATE) {
        ++ends;
        EXPECT_EQ(wParam, uintptr_t(OC_STATE_COMPLETE));
      }
    }
    EXPECT_EQ(ends, 1);
    return state;
  }

  // Writes the folder to an image, burns the image to the test drive, and checks that the
  // folder, the image and the disc read as one DVD and that the disc holds the image.
  disctools::DvdSummary ImageAndBurn(const std::string& folder, const std::string& label, char driveLetter) {
    const std::string letter = std::string(1, driveLetter) + ":";
    const std::string drive = *drives / (std::string("drive-") + char(std::tolower(driveLetter)) + ".bin");
    const auto source = disctools::InspectDvd(folder);
    EXPECT_TRUE(source.ok) << source.error;
    const std::string iso = scratch / (label + ".iso");
    EXPECT_EQ(QmBurn_FromTreeToImage(folder.c_str(), iso.c_str(), label.c_str(), nullptr, nullptr), 0) << BurnError();
    const auto image = disctools::InspectDvd(iso);
    EXPECT_TRUE(image.ok) << image.error;
    EXPECT_EQ(image.summary, source.summary);

    QmBurnDiscInfo info{};
    EXPECT_EQ(QmBurn_GetDiscInformation(letter.c_str(), &info), 0) << BurnError();
    EXPECT_EQ(info.status, QMBURN_DISC_BLANK);
    EXPECT_EQ(QmBurn_FromImageToDisc(iso.c_str(), letter.c_str(), nullptr, nullptr), 0) << BurnError();
    EXPECT_TRUE(Contents(drive) == Contents(iso)) << "the burned disc differs from the image";
    const auto burned = disctools::InspectDvd(drive);
    EXPECT_TRUE(burned.ok) << burned.error;
    EXPECT_EQ(burned.summary, source.summary);
    return source.summary;
  }

  static void ExpectTheTwoTitles(const disctools::DvdSummary& summary) {
    ASSERT_EQ(summary.titles.size(), 2u) << disctools::DescribeSummary(summary);
    EXPECT_EQ(summary.titles[0].aspect, DvdAspect::FourThree);
    EXPECT_EQ(summary.titles[1].aspect, DvdAspect::SixteenNine);
    for (const auto& title : summary.titles) {
      EXPECT_EQ(title.width, 720);
      EXPECT_EQ(title.height, 480);
      EXPECT_FALSE(title.pal);
      EXPECT_EQ(title.audioStreams, 1);
      EXPECT_EQ(title.audioFormat, 0);  // AC-3
    }
  }

  MediaEngines engines;
  ScratchFolder scratch;
  ScratchFolder titles;  // the job's temporary folder: Slide0.mpg, Slide1.mpg
  static inline std::unique_ptr<ScratchFolder> drives;
};

// A page of the disc's size with a plain gradient; buttons as given.
void AddPage(uintptr_t menu, const std::vector<OCMenuButton>& buttons) {
  std::vector<uint8_t> background(720 * 480 * 4);
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 720; ++x) {
      uint8_t* pixel = &background[(y * 720 + x) * 4];
      pixel[0] = uint8_t(x / 3), pixel[1] = uint8_t(y / 2), pixel[2] = 60, pixel[3] = 255;
    }
  }
  const OCMenuPageInfo page{720, 480, 720 * 4, background.data(), nullptr, nullptr, nullptr};
  const int32_t index = OCMenuAddPage(menu, &page);
  ASSERT_GE(index, 0);
  for (const OCMenuButton& button : buttons) EXPECT_GE(OCMenuAddButton(menu, index, &button), 0);
}

TEST_F(DiscFromClips, TwoPageMenuDiscToFolderImageAndBurnedDisc) {
  const uintptr_t list = TLCreate();
  TLInsertTitle(list, 0);
  TLInsertTitle(list, 1);
  const double chapters[] = {0.0, 1.0};
  TLSetTitleChapters(list, 0, chapters, 2);
  const uintptr_t menu = OCMenuCreate();
  AddPage(menu, {{80, 100, 320, 150, OC_ACTION_PLAY_TITLE, 0},
                 {80, 200, 320, 250, OC_ACTION_PLAY_TITLE, 1},
                 {420, 380, 640, 430, OC_ACTION_GO_TO_PAGE, 1}});
  AddPage(menu, {{80, 100, 320, 150, OC_ACTION_PLAY_TITLE, 1}, {420, 380, 640, 430, OC_ACTION_GO_TO_PAGE, 0}});

  const std::string folder = scratch / "DVD";
  const int32_t state = Author(folder, menu, list, OC_TYPE_ISO);
  OCMenuRelease(menu);
  TLRelease(list);
  ASSERT_EQ(state, OC_STATE_COMPLETE);

  const disctools::DvdSummary summary = ImageAndBurn(folder, "Holiday", 'D');
  ExpectTheTwoTitles(summary);
  ASSERT_EQ(summary.titles.size(), 2u);
  EXPECT_EQ(summary.titles[0].chapters, 2);
  EXPECT_EQ(summary.titles[1].chapters, 1);
  EXPECT_EQ(summary.menuButtons, (std::vector<int>{3, 2}));
}

TEST_F(DiscFromClips, DiscWithoutMenuToFolderImageAndBurnedDisc) {
  const std::string folder = scratch / "DVD";
  ASSERT_EQ(Author(folder, 0, 0, OC_TYPE_DISC), OC_STATE_COMPLETE);

  const disctools::DvdSummary summary = ImageAndBurn(folder, "Plain", 'E');
  ExpectTheTwoTitles(summary);
  // The disc starts the first title by itself and has no menu to show.
  EXPECT_TRUE(summary.hasFirstPlay);
  EXPECT_TRUE(summary.menuButtons.empty());
}

}  // namespace
