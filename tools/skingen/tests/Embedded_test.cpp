// The resources compiled into the program are what the generator draws, byte for byte, and
// have the shapes the program asks for: 32 x 32 cursors with the hot spot in the middle and
// some soft (partly transparent) edge, and an icon of 16, 32 and 48 pixels.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "tools/skingen/Embedded.h"

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

TEST(EmbeddedResources, CursorsAndIconHaveTheirSizesAndHotSpots) {
  for (const auto& [name, bytes] : skingen::EmbeddedFiles()) {
    SCOPED_TRACE(name);
    const bool cursor = fs::path(name).extension() == ".cur";
    ASSERT_GE(bytes.size(), 22u);
    EXPECT_EQ(Word(bytes, 2), cursor ? 2u : 1u);
    const unsigned count = Word(bytes, 4);
    // The program's icon comes at 16, 32 and 48 pixels, the live update's at 16 and 32.
    ASSERT_EQ(count, cursor ? 1u : name == "QMLiveUpdate.ico" ? 2u : 3u);
    for (unsigned i = 0; i < count; ++i) {
      const size_t entry = 6 + 16 * i;
      const int size = bytes[entry];
      if (cursor) {
        EXPECT_EQ(size, 32);
        EXPECT_EQ(Word(bytes, entry + 4), 16u);
        EXPECT_EQ(Word(bytes, entry + 6), 16u);
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
      EXPECT_GT(opaque, size * size / 8);
    }
  }
}

}  // namespace
