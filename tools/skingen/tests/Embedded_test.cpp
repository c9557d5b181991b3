// The resources compiled into the program are what the generator draws, byte for byte, and
// have the shapes the program asks for: 32 x 32 cursors with their hot spots and some soft
// (partly transparent) edge, icons of their sizes, and PNG pictures that decode.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "tools/skingen/Embedded.h"
#include "tools/skingen/Png.h"

namespace {

namespace fs = std::filesystem;

const fs::path kShipped = fs::path(BRANTWELL_SOURCE_DIR) / "resources/embedded";

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

unsigned Word(const std::vector<uint8_t>& bytes, size_t at) { return bytes[at] | (bytes[at + 1] << 8); }

TEST(EmbeddedResources, TheShippedFilesAreWhatTheGeneratorDraws) {
  std::set<std::string> shipped;
  for (const auto& entry : fs::directory_iterator(kShipped)) shipped.insert(entry.path().filename().string());
  std::set<std::string> generated;
  for (const auto& [name, bytes] : skingen::EmbeddedFiles()) {
    generated.insert(name);
    EXPECT_TRUE(bytes == ReadBytes(kShipped / name)) << name << ": regenerate with build/bin/skingen OUT --embedded resources/embedded";
  }
  // Other orders add files of their own beside these.
  for (const std::string& name : generated) EXPECT_TRUE(shipped.count(name)) << name;
}

TEST(EmbeddedResources, CursorsAndIconsHaveTheirSizesAndHotSpots) {
  // The drag cursors point with their arrow's tip; the others are centred.
  const std::map<std::string, int> hotSpots = {{"Drag.cur", 1}, {"DragMultiIcon.cur", 1}};
  for (const auto& [name, bytes] : skingen::EmbeddedFiles()) {
    SCOPED_TRACE(name);
    const std::string extension = fs::path(name).extension().string();
    if (extension == ".png") continue;
    const bool cursor = extension == ".cur";
    ASSERT_GE(bytes.size(), 22u);
    EXPECT_EQ(Word(bytes, 2), cursor ? 2u : 1u);
    const unsigned count = Word(bytes, 4);
    const unsigned expected = cursor ? 1u : name == "MAINICON.ico" ? 3u : 2u;
    ASSERT_EQ(count, expected);
    for (unsigned i = 0; i < count; ++i) {
      const size_t entry = 6 + 16 * i;
      const int size = bytes[entry];
      if (cursor) {
        const unsigned hot = hotSpots.count(name) ? static_cast<unsigned>(hotSpots.at(name)) : 16u;
        EXPECT_EQ(size, 32);
        EXPECT_EQ(Word(bytes, entry + 4), hot);
        EXPECT_EQ(Word(bytes, entry + 6), hot);
      } else {
        EXPECT_EQ(size, 16 * static_cast<int>(i + 1));
      }
      // Partly transparent pixels: the edges are smoothed into the alpha channel.
      const size_t offset = bytes[entry + 12] | (bytes[entry + 13] << 8) | (bytes[entry + 14] << 16);
      int soft = 0, opaque = 0;
      for (int p = 0; p < size * size; ++p) {
        const uint8_t alpha = bytes[offset + 40 + size_t(p) * 4 + 3];
        soft += alpha > 0 && alpha < 255;
        opaque += alpha == 255;
      }
      EXPECT_GT(soft, 0);
      EXPECT_GT(opaque, size * size / 16);
    }
  }
}

// The stored-block PNG writer makes files that a real decoder reads: the error picture is small,
// and the searching clip holds its frames side by side.
TEST(EmbeddedResources, PicturesDecodeAtTheirSizes) {
  const auto error = skingen::ReadPng((kShipped / "PhotoError.png").string());
  EXPECT_LE(error.width, 64);
  EXPECT_EQ(error.width, error.height);
  const auto clip = skingen::ReadPng((kShipped / "FindFolder.png").string());
  EXPECT_EQ(clip.width, skingen::kFindFolderFrames * skingen::kFindFolderFrameWidth);
  EXPECT_EQ(clip.height, skingen::kFindFolderFrameHeight);
  // Each frame differs from the one before it: the magnifier moves.
  auto frame = [&](int index) {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < clip.height; ++y) {
      const auto row = clip.pixels.begin() + (size_t(y) * clip.width + size_t(index) * skingen::kFindFolderFrameWidth) * 4;
      pixels.insert(pixels.end(), row, row + skingen::kFindFolderFrameWidth * 4);
    }
    return pixels;
  };
  for (int i = 1; i < skingen::kFindFolderFrames; ++i) EXPECT_NE(frame(i), frame(i - 1)) << i;
}

}  // namespace
