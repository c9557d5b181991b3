// The output job's phase pictures shipped in the skin folder are what the generator draws:
// 427 x 294, opaque, white at the edges, with the accent in each.

#include "tools/skingen/PhasePictures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

const fs::path kManifest = fs::path(BRANTWELL_SOURCE_DIR) / "tools/skingen/skin-manifest.txt";
const fs::path kSkinFolder = fs::path(BRANTWELL_SOURCE_DIR) / "resources/Skin";

TEST(PhasePictures, TheShippedPicturesAreWhatTheGeneratorDraws) {
  const skingen::Manifest manifest = skingen::LoadManifest(kManifest.string());
  const skingen::Rgba accent = manifest.Color("accent");
  for (skingen::JobPhase phase :
       {skingen::JobPhase::Converting, skingen::JobPhase::Erasing, skingen::JobPhase::Burning}) {
    const std::string name = skingen::PhasePictureName(phase);
    SCOPED_TRACE(name);
    const skingen::RgbaImage drawn = skingen::PhasePicture(manifest, phase);
    const skingen::RgbaImage shipped = skingen::ReadPng((kSkinFolder / name).string());
    ASSERT_EQ(shipped.width, 427);
    ASSERT_EQ(shipped.height, 294);
    EXPECT_TRUE(shipped.pixels == drawn.pixels)
        << "regenerate with build/bin/skingen resources/Skin/Default --phases resources/Skin";

    bool opaque = true, whiteEdges = true;
    int accentPixels = 0;
    for (int y = 0; y < drawn.height; ++y) {
      for (int x = 0; x < drawn.width; ++x) {
        const uint8_t* p = &drawn.pixels[(size_t(y) * drawn.width + x) * 4];
        opaque &= p[3] == 255;
        if (x < 4 || y < 4 || x >= drawn.width - 4 || y >= drawn.height - 4) whiteEdges &= p[0] + p[1] + p[2] == 3 * 255;
        accentPixels += std::abs(p[0] - accent.r * 255) < 3 && std::abs(p[1] - accent.g * 255) < 3 &&
                        std::abs(p[2] - accent.b * 255) < 3;
      }
    }
    EXPECT_TRUE(opaque);
    EXPECT_TRUE(whiteEdges) << "the drawing stays centred, clear of the edges";
    EXPECT_GT(accentPixels, 100);
  }
}

}  // namespace
