// From encoded clips to a disc: authored with and without a menu, written to an ISO image,
// burned to test drives; libdvdread reads the folder, the image and the burned files.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "AuthoringFixtures.h"
#include "engines/DiscTools/BurnDrives.h"
#include "engines/DiscTools/DvdVerifier.h"
#include "engines/QM_DVDTitleList/DVDTitleList.h"
#include "engines/QM_OutputCtrl/OutputCtrl.h"
#include "engines/QmBurn/QmBurn.h"

namespace fs = std::filesystem;
using disctools::DvdAspect;

namespace {

std::string Contents(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct ProgressLog {
  std::vector<int64_t> done;
  bool badTotal = false;
  const char* cancelDrive = nullptr;  // cancel this drive once burning has begun
};

int32_t OnProgress(int32_t event, void* userData, int64_t* total, int64_t* done) {
  auto* log = static_cast<ProgressLog*>(userData);
  EXPECT_EQ(event, QMBURN_EVENT_PROGRESS);
  if (*total != QMBURN_PROGRESS_TOTAL || *done < 0 || *done > *total) log->badTotal = true;
  log->done.push_back(*done);
  if (log->cancelDrive && *done >= 3000) QmBurn_Cancel(log->cancelDrive);
  return 0;
}

std::string LastError() {
  char text[1024];
  QmBurn_GetLastError(text, sizeof text);
  return text;
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    fixtures::InstallRecorder();
    unsetenv("BRANTWELL_DVDAUTHOR");
    unsetenv("BRANTWELL_GENISOIMAGE");
    fixtures::Copy(fixtures::ClipPath("ntsc43"), temp / "Slide0.mpg");
    fixtures::Copy(fixtures::ClipPath("ntsc169"), temp / "Slide1.mpg");
    fs::create_directories(temp / "Brennen äöü 日本");
    driveD = temp / "Brennen äöü 日本/disc-d.bin";
    driveE = temp / "Brennen äöü 日本/disc-e.bin";
    setenv("BRANTWELL_TEST_DRIVES", (driveD + ";" + driveE).c_str(), 1);
    setenv("BRANTWELL_SCAN_REAL_DRIVES", "0", 1);
  }
  void TearDown() override { unsetenv("BRANTWELL_GENISOIMAGE"); }

  fixtures::TempFolder temp;
  std::string driveD, driveE;
};

TEST_F(EndToEnd, MenuDiscToFolderImageAndBurnedDiscs) {
  const auto [list, menu] = fixtures::TwoTitlesWithTwoPageMenu();
  const std::string folder = temp / "DVD";
  const auto authored = fixtures::Author(temp.path(), folder, menu, list);
  ASSERT_EQ(authored.state, OC_STATE_COMPLETE) << authored.error;
  const auto source = disctools::InspectDvd(folder);
  ASSERT_TRUE(source.ok) << source.error;
  ASSERT_EQ(source.summary.titles.size(), 2u);
  EXPECT_EQ(source.summary.titles[0].chapters, 2);
  EXPECT_EQ(source.summary.titles[0].aspect, DvdAspect::FourThree);
  EXPECT_EQ(source.summary.titles[1].aspect, DvdAspect::SixteenNine);
  EXPECT_EQ(source.summary.menuButtons, (std::vector<int>{3, 2}));

  // The image, under a path with non-ASCII characters and a label with them.
  const std::string iso = temp / "Brennen äöü 日本/Urlaub.iso";
  ProgressLog imageLog;
  ASSERT_EQ(QmBurn_FromTreeToImage(folder.c_str(), iso.c_str(), "Urlaub Zürich", OnProgress, &imageLog), 0)
      << LastError();
  const auto image = disctools::InspectDvd(iso);
  ASSERT_TRUE(image.ok) << image.error;
  EXPECT_EQ(image.summary, source.summary);
  EXPECT_FALSE(imageLog.badTotal);
  ASSERT_FALSE(imageLog.done.empty());
  EXPECT_EQ(imageLog.done.back(), QMBURN_PROGRESS_TOTAL);
  EXPECT_FALSE(fs::exists(iso + ".part"));

  // Burning the image gives a disc that equals it; burning the folder gives one that reads
  // as the same DVD (genisoimage stamps the time, so two images of one folder differ).
  QmBurnDiscInfo info{};
  ASSERT_EQ(QmBurn_GetDiscInformation("D:", &info), 0) << LastError();
  EXPECT_EQ(info.status, QMBURN_DISC_BLANK);
  EXPECT_TRUE(info.isDvd);
  QmBurnDiscSpace space{};
  ASSERT_EQ(QmBurn_GetDiscSpace("D:", &space), 0);
  EXPECT_GT(space.availableSpace, 1000000000);
  EXPECT_LE(space.availableSpace, disctools::kSingleLayerDvdBytes);

  ProgressLog burnLog;
  ASSERT_EQ(QmBurn_FromImageToDisc(iso.c_str(), "d:", OnProgress, &burnLog), 0) << LastError();
  EXPECT_EQ(Contents(driveD), Contents(iso));
  EXPECT_FALSE(burnLog.badTotal);
  ProgressLog treeLog;
  ASSERT_EQ(QmBurn_FromTreeToDisc(folder.c_str(), "E:", "Urlaub", OnProgress, &treeLog), 0) << LastError();
  const auto burnt = disctools::InspectDvd(driveE);
  ASSERT_TRUE(burnt.ok) << burnt.error;
  EXPECT_EQ(burnt.summary, source.summary);
  for (size_t i = 1; i < treeLog.done.size(); ++i) EXPECT_GE(treeLog.done[i], treeLog.done[i - 1]);
  EXPECT_EQ(treeLog.done.back(), QMBURN_PROGRESS_TOTAL);
  for (const auto& entry : fs::directory_iterator(temp.path()))
    EXPECT_EQ(entry.path().filename().string().rfind(".brantwell-burn-", 0), std::string::npos);

  // A disc with data: burning again is refused until it is erased.
  ASSERT_EQ(QmBurn_GetDiscInformation("D:", &info), 0);
  EXPECT_EQ(info.status, QMBURN_DISC_HAS_DATA);
  EXPECT_EQ(info.erasable, 1);
  EXPECT_EQ(QmBurn_FromImageToDisc(iso.c_str(), "D:", nullptr, nullptr), QMBURN_ERR_NOT_BLANK);
  ASSERT_EQ(QmBurn_Erase("D:"), 0) << LastError();
  ASSERT_EQ(QmBurn_GetDiscInformation("D:", &info), 0);
  EXPECT_EQ(info.status, QMBURN_DISC_BLANK);
  EXPECT_EQ(QmBurn_Eject("D:"), 0);
  EXPECT_EQ(QmBurn_Erase("Q:"), QMBURN_ERR_NO_DRIVE);

  OCMenuRelease(menu);
  TLRelease(list);
}

TEST_F(EndToEnd, DiscWithoutMenuToImage) {
  const std::string folder = temp / "DVD";
  const auto authored = fixtures::Author(temp.path(), folder, 0, 0);
  ASSERT_EQ(authored.state, OC_STATE_COMPLETE) << authored.error;
  const std::string iso = temp / "plain.iso";
  ASSERT_EQ(QmBurn_FromTreeToImage(folder.c_str(), iso.c_str(), "", nullptr, nullptr), 0) << LastError();
  const auto image = disctools::InspectDvd(iso);
  ASSERT_TRUE(image.ok) << image.error;
  EXPECT_TRUE(image.summary.hasFirstPlay);
  EXPECT_EQ(image.summary.titles.size(), 2u);
  EXPECT_TRUE(image.summary.menuButtons.empty());
  // A folder that is not a DVD is refused before anything is written.
  EXPECT_EQ(QmBurn_FromTreeToImage(temp.path().c_str(), (temp / "x.iso").c_str(), "X", nullptr, nullptr),
            QMBURN_ERR_SOURCE);
  EXPECT_FALSE(fs::exists(temp / "x.iso"));
}

TEST_F(EndToEnd, CancelledImageOrBurnIsNeverReportedDone) {
  const std::string folder = temp / "DVD";
  ASSERT_EQ(fixtures::Author(temp.path(), folder, 0, 0).state, OC_STATE_COMPLETE);

  // Burning: cancelled from the progress callback once writing has begun. The image streams
  // into the drive as it is made; a stand-in genisoimage stops halfway, so the burn is still
  // running when it is cancelled.
  fixtures::WriteScript(temp / "stalling-genisoimage",
                        "case \" $* \" in *\" -print-size \"*) exec genisoimage \"$@\";; esac\n"
                        "sectors=$(genisoimage -print-size \"$@\" 2>/dev/null)\n"
                        "genisoimage \"$@\" 2>/dev/null | head -c $((sectors * 1024))\n"
                        "exec sleep 60");
  setenv("BRANTWELL_GENISOIMAGE", (temp / "stalling-genisoimage").c_str(), 1);
  ProgressLog log;
  log.cancelDrive = "D:";
  EXPECT_EQ(QmBurn_FromTreeToDisc(folder.c_str(), "D:", "X", OnProgress, &log), QMBURN_ERR_CANCELLED);
  for (int64_t done : log.done) EXPECT_LT(done, QMBURN_PROGRESS_TOTAL);

  // Image: a stand-in genisoimage that writes part of the image and hangs.
  const std::string marker = temp / "started";
  fixtures::WriteScript(temp / "slow-genisoimage",
                        "while [ \"$1\" != -o ]; do shift; done\necho partial > \"$2\"\ntouch '" + marker +
                            "'\nexec sleep 60");
  setenv("BRANTWELL_GENISOIMAGE", (temp / "slow-genisoimage").c_str(), 1);
  const std::string iso = temp / "cancelled.iso";
  int32_t result = -1;
  std::thread writer([&] { result = QmBurn_FromTreeToImage(folder.c_str(), iso.c_str(), "X", nullptr, nullptr); });
  for (int i = 0; i < 600 && !fs::exists(marker); ++i) usleep(50000);  // watchdog: 30 s
  EXPECT_TRUE(fs::exists(marker));
  EXPECT_EQ(QmBurn_Cancel(iso.c_str()), 0);
  writer.join();
  EXPECT_EQ(result, QMBURN_ERR_CANCELLED);
  EXPECT_FALSE(fs::exists(iso));
  EXPECT_FALSE(fs::exists(iso + ".part"));
}

}  // namespace
