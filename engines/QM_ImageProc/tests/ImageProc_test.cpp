#include "engines/QM_ImageProc/QM_ImageProc.h"

#include "engines/QM_ImageProc/ImagePicture.h"

#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engines/media/testing/MediaFixtures.h"

namespace fs = std::filesystem;
using engines::media::testing::Fixture;
using engines::media::testing::FixtureFolder;

namespace {

std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// The B, G, R, A bytes of the pixel at (x, y) counted from the picture's top-left.
struct Bgra {
  int b, g, r, a;
};
Bgra PixelAt(engines::EngineHandle image, int x, int y) {
  const int width = DIGetWidth(image), height = DIGetHeight(image);
  const auto* bits = static_cast<const uint8_t*>(DIGetBits(image));
  const uint8_t* pixel = bits + (static_cast<size_t>(height - 1 - y) * width + x) * 4;
  return {pixel[0], pixel[1], pixel[2], pixel[3]};
}
bool Reddish(Bgra p) { return p.r > 200 && p.b < 60 && p.a == 255; }
bool Bluish(Bgra p) { return p.b > 200 && p.r < 60 && p.a == 255; }

std::vector<uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}
void WriteAll(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The photo fixture (left half red, right half blue) with an EXIF block giving `orientation`
// written right after the JPEG's start marker.
fs::path ExifPhoto(int orientation) {
  const std::string source = Fixture("photo.jpg");
  if (source.empty()) return {};
  std::vector<uint8_t> jpeg = ReadAll(source);
  // "Exif\0\0", then a little-endian TIFF header and one directory holding one SHORT entry.
  const std::vector<uint8_t> payload = {
      'E', 'x', 'i', 'f', 0, 0,                   // identifier
      'I', 'I', 42, 0, 8, 0, 0, 0,                // TIFF header, directory at 8
      1, 0,                                       // one entry
      0x12, 0x01, 3, 0, 1, 0, 0, 0,               // Orientation, SHORT, count 1
      static_cast<uint8_t>(orientation), 0, 0, 0,  // value
      0, 0, 0, 0};                                // no next directory
  const size_t length = payload.size() + 2;
  std::vector<uint8_t> segment = {0xFF, 0xE1, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
  segment.insert(segment.end(), payload.begin(), payload.end());
  jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
  const fs::path path = FixtureFolder() / ("imageproc-exif-" + std::to_string(orientation) + "-" +
                                           std::to_string(getpid()) + ".jpg");
  WriteAll(path, jpeg);
  return path;
}

// A picture written by ffmpeg from a filter graph into the fixture folder; empty on failure.
fs::path MakePicture(const std::string& name, const std::string& graph, const std::vector<std::string>& options = {}) {
  const fs::path path = FixtureFolder() / ("imageproc-" + std::to_string(getpid()) + "-" + name);
  std::vector<std::string> arguments = {"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i", graph,
                                        "-frames:v", "1"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  arguments.push_back(path.string());
  return engines::media::testing::RunProgram(arguments) == 0 ? path : fs::path();
}

const char* const kPhotoGraph = "color=c=red:size=64x48,drawbox=x=32:y=0:w=32:h=48:c=blue:t=fill";

class Image {
 public:
  Image() : handle(DICreate()) {}
  ~Image() { DIDestroy(handle); }
  engines::EngineHandle handle;
};

// Every format the engine reads comes out as the same 64x48 picture, left red and right blue,
// with the header of a 32-bit bottom-up DIB; DILoadImage gives the same as DILoadImage32B.
TEST(DibImageLoad, EveryFormatGivesAnUprightBottomUpPicture) {
  const fs::path icon = MakePicture("photo.ico", kPhotoGraph, {"-c:v", "bmp", "-pix_fmt", "bgra"});
  for (const std::string& name :
       {Fixture("photo.jpg"), Fixture("photo.png"), Fixture("photo.bmp"), Fixture("photo.gif"),
        Fixture("photo.tif"), icon.string()}) {
    SCOPED_TRACE(name);
    const std::string path = name;
    ASSERT_FALSE(path.empty()) << "ffmpeg could not write the fixture";
    for (auto load : {&DILoadImage32B, &DILoadImage}) {
      Image image;
      ASSERT_NE(image.handle, 0u);
      ASSERT_NE(load(image.handle, Wide(path).c_str()), 0);
      EXPECT_EQ(DIGetWidth(image.handle), 64);
      EXPECT_EQ(DIGetHeight(image.handle), 48);
      const BITMAPINFO* info = DIGetBitmapInfo(image.handle);
      ASSERT_NE(info, nullptr);
      EXPECT_EQ(info->bmiHeader.biSize, 40u);
      EXPECT_EQ(info->bmiHeader.biWidth, 64);
      EXPECT_EQ(info->bmiHeader.biHeight, 48);  // positive: bottom-up
      EXPECT_EQ(info->bmiHeader.biPlanes, 1);
      EXPECT_EQ(info->bmiHeader.biBitCount, 32);
      EXPECT_EQ(info->bmiHeader.biCompression, BI_RGB);
      ASSERT_NE(DIGetBits(image.handle), nullptr);
      EXPECT_TRUE(Reddish(PixelAt(image.handle, 2, 2)));
      EXPECT_TRUE(Bluish(PixelAt(image.handle, 61, 45)));
    }
  }
  fs::remove(icon);
}

// Alpha is straight: a half-transparent red keeps its full red next to the alpha byte.
TEST(DibImageLoad, AlphaIsStraight) {
  const fs::path path = MakePicture("alpha.png", "color=c=red@0.5:size=4x4,format=rgba");
  ASSERT_FALSE(path.empty());
  Image image;
  ASSERT_NE(DILoadImage32B(image.handle, Wide(path.string()).c_str()), 0);
  const Bgra pixel = PixelAt(image.handle, 1, 1);
  EXPECT_EQ(pixel.r, 255);
  EXPECT_EQ(pixel.b, 0);
  EXPECT_NEAR(pixel.a, 128, 1);
  fs::remove(path);
}

// Rows are stored last row first: a picture whose top and bottom differ shows it.
TEST(DibImageLoad, RowsAreStoredBottomUp) {
  const fs::path path = MakePicture("topbottom.png", "color=c=red:size=8x6,drawbox=x=0:y=3:w=8:h=3:c=blue:t=fill");
  ASSERT_FALSE(path.empty());
  Image image;
  ASSERT_NE(DILoadImage32B(image.handle, Wide(path.string()).c_str()), 0);
  const auto* bits = static_cast<const uint8_t*>(DIGetBits(image.handle));
  // The first stored row is the picture's bottom (blue), the last its top (red).
  EXPECT_GT(bits[0], 200);
  EXPECT_LT(bits[2], 60);
  const uint8_t* last = bits + 5 * 8 * 4;
  EXPECT_LT(last[0], 60);
  EXPECT_GT(last[2], 200);
  fs::remove(path);
}

// An EXIF-rotated photo comes out upright: the stored left (red) half lands where the
// orientation turns it.
TEST(DibImageLoad, ExifOrientationIsApplied) {
  struct Case {
    int orientation;
    int width, height;
    int redX, redY, blueX, blueY;  // a point in each half once upright
  };
  const Case cases[] = {
      {1, 64, 48, 5, 24, 58, 24},  // as stored
      {3, 64, 48, 58, 24, 5, 24},  // turned 180 degrees: red on the right
      {6, 48, 64, 24, 5, 24, 58},  // turned 90 degrees clockwise: red on top
      {8, 48, 64, 24, 58, 24, 5},  // turned 90 degrees anticlockwise: red at the bottom
      {2, 64, 48, 58, 24, 5, 24},  // mirrored left to right
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("orientation " + std::to_string(c.orientation));
    const fs::path path = ExifPhoto(c.orientation);
    ASSERT_FALSE(path.empty());
    Image image;
    ASSERT_NE(DILoadImage32B(image.handle, Wide(path.string()).c_str()), 0);
    EXPECT_EQ(DIGetWidth(image.handle), c.width);
    EXPECT_EQ(DIGetHeight(image.handle), c.height);
    EXPECT_TRUE(Reddish(PixelAt(image.handle, c.redX, c.redY)));
    EXPECT_TRUE(Bluish(PixelAt(image.handle, c.blueX, c.blueY)));
    fs::remove(path);
  }
}

// A copy owns its pixels: the copy survives changes to and the end of its source.
TEST(DibImageCopy, IsIndependentOfItsSource) {
  Image copy;
  {
    Image source;
    ASSERT_NE(DILoadImage32B(source.handle, Wide(Fixture("photo.png")).c_str()), 0);
    ASSERT_NE(DICopyImage(copy.handle, source.handle), 0);
    ASSERT_EQ(DIGetWidth(copy.handle), 64);
    EXPECT_NE(DIGetBits(copy.handle), DIGetBits(source.handle));
    EXPECT_NE(DIGetBitmapInfo(copy.handle), DIGetBitmapInfo(source.handle));
    std::memset(DIGetBits(source.handle), 0, 64 * 48 * 4);
    EXPECT_TRUE(Reddish(PixelAt(copy.handle, 2, 2)));
    // Loading another picture into the source leaves the copy alone too.
    ASSERT_NE(DILoadImage32B(source.handle, Wide(ExifPhoto(6).string()).c_str()), 0);
    EXPECT_EQ(DIGetWidth(source.handle), 48);
  }
  EXPECT_EQ(DIGetWidth(copy.handle), 64);
  EXPECT_EQ(DIGetHeight(copy.handle), 48);
  EXPECT_TRUE(Bluish(PixelAt(copy.handle, 61, 45)));
}

// Missing, damaged, truncated and unknown files answer 0 and keep the picture the image had.
TEST(DibImageLoad, FailedLoadKeepsThePictureItHad) {
  const fs::path folder = FixtureFolder();
  const std::string id = std::to_string(getpid());
  const std::vector<uint8_t> png = ReadAll(Fixture("photo.png"));
  const std::vector<uint8_t> jpeg = ReadAll(Fixture("photo.jpg"));
  const fs::path garbage = folder / ("imageproc-garbage-" + id + ".png");
  WriteAll(garbage, {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'});
  const fs::path cutPng = folder / ("imageproc-cut-" + id + ".png");
  WriteAll(cutPng, std::vector<uint8_t>(png.begin(), png.begin() + static_cast<long>(png.size() / 3)));
  const fs::path cutJpeg = folder / ("imageproc-cut-" + id + ".jpg");
  WriteAll(cutJpeg, std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 40));
  const fs::path empty = folder / ("imageproc-empty-" + id + ".bmp");
  WriteAll(empty, {});

  Image image;
  ASSERT_NE(DILoadImage32B(image.handle, Wide(Fixture("photo.png")).c_str()), 0);
  const void* bits = DIGetBits(image.handle);
  for (const fs::path& bad : {folder / "no-such-picture.png", garbage, cutPng, cutJpeg, empty, folder}) {
    SCOPED_TRACE(bad.string());
    EXPECT_EQ(DILoadImage32B(image.handle, Wide(bad.string()).c_str()), 0);
    EXPECT_EQ(DILoadImage(image.handle, Wide(bad.string()).c_str()), 0);
    EXPECT_EQ(DIGetWidth(image.handle), 64);
    EXPECT_EQ(DIGetBits(image.handle), bits);
    EXPECT_TRUE(Bluish(PixelAt(image.handle, 61, 45)));
  }
  EXPECT_EQ(DILoadImage32B(image.handle, nullptr), 0);
  EXPECT_EQ(DILoadImage32B(image.handle, u""), 0);
  EXPECT_EQ(DIGetWidth(image.handle), 64);
  for (const fs::path& path : {garbage, cutPng, cutJpeg, empty}) fs::remove(path);
}

// An empty image and stale or unknown handles answer the neutral values.
TEST(DibImageHandles, EmptyAndStaleImagesAnswerNeutralValues) {
  Image empty;
  EXPECT_EQ(DIGetBitmapInfo(empty.handle), nullptr);
  EXPECT_EQ(DIGetBits(empty.handle), nullptr);
  EXPECT_EQ(DIGetWidth(empty.handle), 0);

  const engines::EngineHandle stale = DICreate();
  ASSERT_NE(DILoadImage32B(stale, Wide(Fixture("photo.png")).c_str()), 0);
  DIDestroy(stale);
  for (engines::EngineHandle handle : {stale, engines::EngineHandle{0}, engines::EngineHandle{12345}}) {
    EXPECT_EQ(DIGetBitmapInfo(handle), nullptr);
    EXPECT_EQ(DIGetBits(handle), nullptr);
    EXPECT_EQ(DIGetWidth(handle), 0);
    EXPECT_EQ(DIGetHeight(handle), 0);
    EXPECT_EQ(DILoadImage32B(handle, Wide(Fixture("photo.png")).c_str()), 0);
    EXPECT_EQ(DICopyImage(handle, empty.handle), 0);
    EXPECT_EQ(DICopyImage(empty.handle, handle), 0);
    DIDestroy(handle);  // ignored
  }
  EXPECT_EQ(DIGetWidth(empty.handle), 0);
}

// Another engine hands over top-down rows with their own stride; the image holds them as its
// usual bottom-up DIB, and a picture it refuses leaves the image as it was.
TEST(DibImagePicture, PixelsHandedOverBecomeTheImagesPicture) {
  // 2 x 3 pixels in rows of 12 bytes: pixel (x, y) is B = x, G = y, R = 7, A = 200.
  std::vector<uint8_t> rows(12 * 3, 0xEE);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 2; ++x) {
      uint8_t* p = &rows[y * 12 + x * 4];
      p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = 7, p[3] = 200;
    }
  Image image;
  ASSERT_TRUE(engines::imageproc::SetPicture(image.handle, 2, 3, rows.data(), 12));
  const BITMAPINFOHEADER& header = DIGetBitmapInfo(image.handle)->bmiHeader;
  EXPECT_EQ(header.biSize, 40u);
  EXPECT_EQ(header.biWidth, 2);
  EXPECT_EQ(header.biHeight, 3);
  EXPECT_EQ(header.biBitCount, 32);
  EXPECT_EQ(header.biSizeImage, 24u);
  const auto* bits = static_cast<const uint8_t*>(DIGetBits(image.handle));
  const std::vector<uint8_t> bottomUp = {0, 2, 7, 200, 1, 2, 7, 200, 0, 1, 7, 200, 1, 1, 7, 200,
                                         0, 0, 7, 200, 1, 0, 7, 200};
  EXPECT_EQ(std::vector<uint8_t>(bits, bits + 24), bottomUp);

  const engines::EngineHandle stale = DICreate();
  DIDestroy(stale);
  EXPECT_FALSE(engines::imageproc::SetPicture(stale, 2, 3, rows.data(), 12));
  EXPECT_FALSE(engines::imageproc::SetPicture(image.handle, 2, 3, rows.data(), 7)) << "stride shorter than a row";
  EXPECT_FALSE(engines::imageproc::SetPicture(image.handle, 0, 3, rows.data(), 12));
  EXPECT_FALSE(engines::imageproc::SetPicture(image.handle, 2, -1, rows.data(), 12));
  EXPECT_FALSE(engines::imageproc::SetPicture(image.handle, 2, 3, nullptr, 12));
  EXPECT_FALSE(engines::imageproc::SetPicture(image.handle, 65536, 65536, rows.data(), 65536 * 4))
      << "beyond a DIB's 32-bit image size";
  EXPECT_EQ(DIGetWidth(image.handle), 2);
  EXPECT_EQ(std::vector<uint8_t>(bits, bits + 24), bottomUp);
}

// The program links the engine at build time and may also open it by its Windows name; both
// reach the one loaded library.
TEST(DibImageLibrary, OpeningByNameReachesTheLinkedEngine) {
  void* library = dlopen("QM_ImageProc.so", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(dlsym(library, "DICreate"), reinterpret_cast<void*>(&DICreate));
  dlclose(library);
}

}  // namespace
