// The small windows' pictures: the wait overlay's panel kept in its form file is what the
// generator draws, the data text round-trips, and regeneration only rewrites what changed.

#include "tools/skingen/SmallWindowPictures.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

const fs::path kManifest = fs::path(BRANTWELL_SOURCE_DIR) / "tools/skingen/skin-manifest.txt";
const fs::path kForms = fs::path(BRANTWELL_SOURCE_DIR) / "resources/forms";

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

const uint8_t* Pixel(const skingen::RgbaImage& image, int x, int y) {
  return &image.pixels[(size_t(y) * image.width + x) * 4];
}

TEST(SmallWindowPictures, TheWaitFormKeepsThePanelTheGeneratorDraws) {
  const skingen::Manifest manifest = skingen::LoadManifest(kManifest.string());
  const skingen::RgbaImage drawn = skingen::WaitPanelPicture(manifest);
  const std::string form = ReadText(kForms / "TProcessForm.xfm");
  const skingen::RgbaImage kept =
      skingen::DecodePng(skingen::PngFromPictureDataText(skingen::Image1PictureData(form, "TProcessForm.xfm")));
  ASSERT_EQ(kept.width, 420);
  ASSERT_EQ(kept.height, 48);
  EXPECT_TRUE(kept.pixels == drawn.pixels)
      << "regenerate with build/bin/skingen resources/Skin/Default --forms resources/forms";

  // Transparent outside the rounded corners, the border, a white body, the accent ring.
  EXPECT_EQ(Pixel(drawn, 0, 0)[3], 0);
  EXPECT_EQ(Pixel(drawn, 200, 0)[3], 255);
  const uint8_t* body = Pixel(drawn, 200, 24);
  EXPECT_EQ(body[0] + body[1] + body[2], 3 * 255);
  const uint8_t* ring = Pixel(drawn, 24, 14);  // the top of the ring, in the accent
  EXPECT_LT(ring[0], ring[2]);
}

TEST(SmallWindowPictures, PictureDataRoundTripsAndRefusesOtherData) {
  const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 1, 2, 3};
  EXPECT_EQ(skingen::PngFromPictureDataText(skingen::PngPictureDataText(png, 10)), png);
  for (const std::string bad : {"", "0954504E47", "0854504E47496D616765", "0954504E47496D61676503000000AA",
                                "0954504E47496D616765 zz"}) {
    EXPECT_THROW(skingen::PngFromPictureDataText(bad), std::runtime_error) << bad;
  }
}

TEST(SmallWindowPictures, RegenerationWritesOnlyAChangedPicture) {
  const fs::path folder = fs::temp_directory_path() / ("skingen-forms-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  const skingen::Manifest manifest = skingen::LoadManifest(kManifest.string());
  const std::string shipped = ReadText(kForms / "TProcessForm.xfm");
  std::ofstream(folder / "TProcessForm.xfm") << shipped;
  skingen::UpdateWaitFormPicture(manifest, folder.string());
  EXPECT_EQ(ReadText(folder / "TProcessForm.xfm"), shipped);

  // An emptied picture is drawn again, and the rest of the file stays.
  const std::string data = skingen::Image1PictureData(shipped, "shipped");
  std::string emptied = shipped;
  emptied.replace(emptied.find(data), data.size(), "\n        ");
  std::ofstream(folder / "TProcessForm.xfm", std::ios::trunc) << emptied;
  skingen::UpdateWaitFormPicture(manifest, folder.string());
  const std::string renewed = ReadText(folder / "TProcessForm.xfm");
  EXPECT_EQ(skingen::DecodePng(skingen::PngFromPictureDataText(skingen::Image1PictureData(renewed, "renewed"))).pixels,
            skingen::WaitPanelPicture(manifest).pixels);
  EXPECT_EQ(renewed.substr(0, renewed.find("<Data>")), shipped.substr(0, shipped.find("<Data>")));

  std::ofstream(folder / "TProcessForm.xfm", std::ios::trunc) << "<xform><TProcessForm/></xform>";
  EXPECT_THROW(skingen::UpdateWaitFormPicture(manifest, folder.string()), std::runtime_error);
  fs::remove_all(folder);
  EXPECT_THROW(skingen::UpdateWaitFormPicture(manifest, folder.string()), std::runtime_error);
}

}  // namespace
