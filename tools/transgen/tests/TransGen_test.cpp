// transgen run as a developer runs it: it regenerates exactly the committed pictures, one
// thumbnail per catalogue transition, and refuses what it cannot do.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "engines/TransMgr/TransMgrApi.h"
#include "platform/testing/Processes.h"
#include "platform/testing/Watchdog.h"
#include "tools/transgen/Generator.h"
#include "tools/transgen/PictureFiles.h"

namespace {

namespace fs = std::filesystem;
using transgen::Bitmap;

const fs::path kCommitted = fs::path(BRANTWELL_SOURCE_DIR) / "resources" / "Transitions";

// Runs the built tool with `arguments`; its exit status, or -1.
int RunTransgen(const std::vector<std::string>& arguments) {
  std::vector<std::string> all = {std::string(BRANTWELL_BIN_DIR) + "/transgen"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  return platform::testing::RunProgram(all);
}

struct TemporaryFolder : platform::testing::ScratchFolder {
  TemporaryFolder() : ScratchFolder(fs::path(BRANTWELL_TEST_BIN_DIR) / ("transgen-" + std::to_string(getpid()))) {}
};

std::set<std::string> FilesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) names.insert(fs::relative(entry.path(), folder).generic_string());
  return names;
}

Bitmap Read(const fs::path& path) {
  Bitmap picture;
  std::string error;
  const bool read = path.extension() == ".jpg" ? transgen::ReadJpeg(path, &picture, &error)
                                                : transgen::ReadBmp24(path, &picture, &error);
  EXPECT_TRUE(read) << error;
  return picture;
}

int LargestDifference(const Bitmap& a, const Bitmap& b) {
  if (a.width != b.width || a.height != b.height) return 256;
  int largest = 0;
  for (size_t n = 0; n < a.bgra.size(); ++n)
    if (n % 4 != 3) largest = std::max(largest, std::abs(int(a.bgra[n]) - int(b.bgra[n])));
  return largest;
}

// The mean of one channel (0 blue, 1 green, 2 red).
double Mean(const Bitmap& picture, int channel) {
  double sum = 0;
  for (size_t n = channel; n < picture.bgra.size(); n += 4) sum += picture.bgra[n];
  return sum / (picture.bgra.size() / 4);
}

}  // namespace

TEST(TransGen, RegeneratesTheCommittedPictures) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  TemporaryFolder output;
  ASSERT_EQ(RunTransgen({output.path.string()}), 0);

  // The same files: the two scenes, one thumbnail per transition and the stand-in.
  std::set<std::string> expected = {"TrFrom.jpg", "TrTo.jpg", "Thumbnail/trans.bmp"};
  TMInitTransMgr();
  for (int type = 0; type < TMGetTransTypeCount(); ++type)
    for (int index = 0; index < TMGetTransCount(type); ++index)
      expected.insert("Thumbnail/" + std::string(TMGetTransID(type, index)) + ".bmp");
  TMUninitTransMgr();
  EXPECT_EQ(FilesIn(output.path), expected);
  EXPECT_EQ(FilesIn(kCommitted), expected) << "run build/bin/transgen resources/Transitions and commit the result";

  for (const std::string& name : expected) {
    SCOPED_TRACE(name);
    const Bitmap made = Read(output.path / name), committed = Read(kCommitted / name);
    // JPEG coders of other versions may round a level differently; our own files match exactly.
    EXPECT_LE(LargestDifference(made, committed), name.ends_with(".jpg") ? 2 : 0);
  }
}

TEST(TransGen, PicturesHaveTheirSizesBordersAndDistinctScenes) {
  TemporaryFolder output;
  std::string error;
  ASSERT_TRUE(transgen::Generate(output.path, &error)) << error;
  const Bitmap from = Read(output.path / "TrFrom.jpg"), to = Read(output.path / "TrTo.jpg");
  EXPECT_EQ(from.width, 480);
  EXPECT_EQ(from.height, 360);
  EXPECT_EQ(to.width, 480);
  EXPECT_EQ(to.height, 360);
  // A warm scene and a cool one.
  EXPECT_GT(Mean(from, 2), Mean(from, 0) + 40);
  EXPECT_GT(Mean(to, 0), Mean(to, 2) + 40);

  for (const char* name : {"CrossFade", "WipeFromLeft", "trans"}) {
    SCOPED_TRACE(name);
    const fs::path path = output.path / "Thumbnail" / (std::string(name) + ".bmp");
    // 24 bits per pixel, pixels straight after the 54 bytes of headers, as the program reads them.
    std::ifstream file(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 54u + 100 * 75 * 3);
    EXPECT_EQ(bytes[28], 24);
    EXPECT_EQ(bytes[10], 54);
    const Bitmap thumbnail = Read(path);
    ASSERT_EQ(thumbnail.width, 100);
    ASSERT_EQ(thumbnail.height, 75);
    for (const auto& [x, y] : {std::pair{0, 0}, {99, 0}, {0, 74}, {99, 74}, {50, 0}, {0, 37}, {99, 37}, {50, 74}}) {
      const uint8_t* p = thumbnail.At(x, y);
      EXPECT_EQ(p[2] << 16 | p[1] << 8 | p[0], 0xD0D5DD) << x << "," << y;
    }
  }
  // Half way through a wipe from the left the left of the thumbnail is the lake, the right the
  // dusk.
  const Bitmap wipe = Read(output.path / "Thumbnail" / "WipeFromLeft.bmp");
  EXPECT_GT(wipe.At(8, 20)[0], wipe.At(8, 20)[2]);
  EXPECT_GT(wipe.At(92, 20)[2], wipe.At(92, 20)[0]);
  // The stand-in: white with the accent colour in the front square.
  const Bitmap placeholder = Read(output.path / "Thumbnail" / "trans.bmp");
  EXPECT_EQ(placeholder.At(5, 5)[0], 255);
  EXPECT_EQ(placeholder.At(60, 45)[2] << 16 | placeholder.At(60, 45)[1] << 8 | placeholder.At(60, 45)[0], 0x2563EB);
}

TEST(TransGen, RefusesBadCommandLinesAndReportsUnwritableFolders) {
  EXPECT_EQ(RunTransgen({}), 2);
  EXPECT_EQ(RunTransgen({"--colour", "x"}), 2);
  EXPECT_EQ(RunTransgen({"a", "b"}), 2);
  EXPECT_EQ(RunTransgen({"--sheet"}), 2);
  // A file where the output folder should be.
  TemporaryFolder output;
  fs::create_directories(output.path);
  std::ofstream(output.path / "blocker") << "x";
  EXPECT_EQ(RunTransgen({(output.path / "blocker").string()}), 1);
}
