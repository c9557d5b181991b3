#include "program/engine/MediaDibImage.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engines/QM_ImageProc/QM_ImageProc.h"
#include "engines/media/testing/MediaFixtures.h"
#include "platform/kernel/Unicode.h"
#include "program/engine/EngineBinding.h"
#include "program/engine/ImageProcLibrary.h"
#include "rtl/Exceptions.h"

namespace {

namespace fs = std::filesystem;
using engines::media::testing::Fixture;
using engines::media::testing::FixtureFolder;
using MediaDibImage::TDibImage;

constexpr const char* kPartial = "QM_TestPartial.dll";

WideString Wide(const fs::path& path) { return platform::Utf8ToUtf16(path.string()); }

// How often QM_TestPartial's image entries ran.
int PartialImageCalls(const char* entry) {
  HMODULE module = LoadLibraryA(kPartial);
  auto count = reinterpret_cast<int32_t (*)(const char*)>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "TestPartialImageCallCount")));
  const int result = count ? count(entry) : -1;
  FreeLibrary(module);
  return result;
}

// The B, G, R, A bytes of the pixel at (x, y) from the top-left of a 32-bit bottom-up picture.
struct Bgra {
  int b, g, r, a;
};
Bgra PixelAt(const TDibImage& image, int x, int y) {
  const auto* bits = static_cast<const uint8_t*>(image.GetBits());
  const uint8_t* pixel = bits + (static_cast<size_t>(image.GetHeight() - 1 - y) * image.GetWidth() + x) * 4;
  return {pixel[0], pixel[1], pixel[2], pixel[3]};
}
bool Reddish(Bgra p) { return p.r > 200 && p.b < 60 && p.a == 255; }
bool Bluish(Bgra p) { return p.b > 200 && p.r < 60 && p.a == 255; }

// A picture written by ffmpeg from a filter graph; empty on failure.
fs::path MakePicture(const std::string& name, const std::string& graph, const std::vector<std::string>& options) {
  const fs::path path = FixtureFolder() / ("dibimage-" + std::to_string(getpid()) + "-" + name);
  std::vector<std::string> arguments = {"ffmpeg", "-nostdin", "-y",  "-loglevel", "error", "-f",
                                        "lavfi",  "-i",       graph, "-frames:v", "1"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  arguments.push_back(path.string());
  return engines::media::testing::RunProgram(arguments) == 0 ? path : fs::path();
}

// The photo fixture (64x48, left half red, right half blue) with an EXIF APP1 segment saying
// it must be turned 90 degrees clockwise to be upright.
fs::path PhotoTurnedClockwise() {
  const std::string source = Fixture("photo.jpg");
  if (source.empty()) return {};
  std::ifstream in(source, std::ios::binary);
  std::vector<uint8_t> jpeg{std::istreambuf_iterator<char>(in), {}};
  const std::vector<uint8_t> segment = {0xFF, 0xE1, 0,   34,               // APP1, length 34
                                        'E',  'x',  'i', 'f', 0, 0,        // identifier
                                        'I',  'I',  42,  0,   8, 0, 0, 0,  // little-endian TIFF header, directory at 8
                                        1,    0,                           // one entry:
                                        0x12, 0x01, 3,   0,   1, 0, 0, 0, 6, 0, 0, 0,  // orientation (SHORT) 6
                                        0,    0,    0,   0};                           // no next directory
  jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
  const fs::path path = FixtureFolder() / ("dibimage-exif6-" + std::to_string(getpid()) + ".jpg");
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
  return path;
}

TEST(ImageProcLibraryTest, NeutralValuesOfMissingEntriesAndResultsOfPresentOnes) {
  TImageProcLibrary library(kPartial);
  ASSERT_TRUE(library.Load());
  const int destroyed = PartialImageCalls("DIDestroy");
  EXPECT_EQ(library.DICreate(), 0x1D1Du);
  EXPECT_EQ(library.DIGetWidth(0x1D1D), 64);
  library.DIDestroy(0x1D1D);
  EXPECT_EQ(PartialImageCalls("DIDestroy"), destroyed + 1);

  EXPECT_EQ(library.DILoadImage(0x1D1D, u"a.png"), 0);
  EXPECT_EQ(library.DILoadImage32B(0x1D1D, u"a.png"), 0);
  EXPECT_EQ(library.DIGetHeight(0x1D1D), 0);
  EXPECT_EQ(library.DIGetBits(0x1D1D), nullptr);
  EXPECT_EQ(library.DIGetBitmapInfo(0x1D1D), nullptr);
  EXPECT_EQ(library.DICopyImage(0x1D1D, 0x1D1D), 0);
  library.Unload();
}

TEST(MediaDibImageTest, OwnedImagesAreDestroyedOnceAndAFailedCloneLeavesNothing) {
  TImageProcLibrary library(kPartial);
  const int created = PartialImageCalls("DICreate");
  const int destroyed = PartialImageCalls("DIDestroy");
  {
    TDibImage owned(library);  // binds the library itself
    EXPECT_TRUE(library.Loaded());
    EXPECT_EQ(owned.Handle(), 0x1D1Du);
    EXPECT_TRUE(owned.OwnsHandle());
    EXPECT_EQ(owned.GetWidth(), 64);
    EXPECT_EQ(owned.GetHeight(), 0);
    EXPECT_FALSE(owned.LoadFromFile32(u"missing entry.png"));
    // The copy entry is missing: the new image is freed again and no clone comes back.
    EXPECT_EQ(owned.Clone(), nullptr);
    EXPECT_EQ(PartialImageCalls("DICreate"), created + 2);
    EXPECT_EQ(PartialImageCalls("DIDestroy"), destroyed + 1);

    TDibImage borrowed(library, 0x2E2E, false);
    EXPECT_EQ(borrowed.Handle(), 0x2E2Eu);
  }
  // The owned image went with its object; the borrowed one did not.
  EXPECT_EQ(PartialImageCalls("DIDestroy"), destroyed + 2);
  library.Unload();

  TImageProcLibrary missing("NoSuchImageEngine.dll");
  EXPECT_THROW((TDibImage(missing)), EOSError);
  EXPECT_THROW((TDibImage(missing, 5, true)), EOSError);
}

// Every format the image engine reads comes to the program as the same upright 32-bit
// bottom-up picture, the EXIF-turned photo upright as well.
TEST(MediaDibImageTest, FromFile32ReadsEveryPictureFormat) {
  const fs::path icon = MakePicture("photo.ico", "color=c=red:size=64x48,drawbox=x=32:y=0:w=32:h=48:c=blue:t=fill",
                                    {"-c:v", "bmp", "-pix_fmt", "bgra"});
  const fs::path turned = PhotoTurnedClockwise();
  struct Case {
    std::string file;
    int width, height;
    int redX, redY, blueX, blueY;  // a point in each half
  };
  const Case cases[] = {
      {Fixture("photo.png"), 64, 48, 2, 2, 61, 45}, {Fixture("photo.jpg"), 64, 48, 2, 2, 61, 45},
      {Fixture("photo.gif"), 64, 48, 2, 2, 61, 45}, {Fixture("photo.tif"), 64, 48, 2, 2, 61, 45},
      {Fixture("photo.bmp"), 64, 48, 2, 2, 61, 45}, {icon.string(), 64, 48, 2, 2, 61, 45},
      {turned.string(), 48, 64, 24, 5, 24, 58},  // red was stored on the left: upright it is on top
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_FALSE(c.file.empty()) << "ffmpeg could not write the fixture";
    const auto image = TDibImage::FromFile32(Wide(c.file));
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->GetWidth(), c.width);
    ASSERT_EQ(image->GetHeight(), c.height);
    const BITMAPINFO* info = image->GetBitmapInfo();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->bmiHeader.biBitCount, 32);
    EXPECT_EQ(info->bmiHeader.biHeight, c.height);  // bottom-up
    EXPECT_EQ(info->bmiHeader.biCompression, BI_RGB);
    EXPECT_TRUE(Reddish(PixelAt(*image, c.redX, c.redY)));
    EXPECT_TRUE(Bluish(PixelAt(*image, c.blueX, c.blueY)));
  }
  fs::remove(icon);
  fs::remove(turned);
}

TEST(MediaDibImageTest, ACloneHasItsOwnPictureAndAFailedLoadReturnsAnEmptyImage) {
  const auto source = TDibImage::FromFile32(Wide(Fixture("photo.png")));
  ASSERT_EQ(source->GetWidth(), 64);
  const auto copy = source->Clone();
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy->Handle(), source->Handle());
  EXPECT_NE(copy->GetBits(), source->GetBits());
  EXPECT_FALSE(source->LoadFromFile32(u"/no/such/picture.png"));
  EXPECT_EQ(source->GetWidth(), 64);  // a failed load keeps the picture
  EXPECT_TRUE(Reddish(PixelAt(*copy, 2, 2)));

  const auto missing = TDibImage::FromFile32(u"/no/such/picture.png");
  ASSERT_NE(missing, nullptr);
  EXPECT_EQ(missing->GetWidth(), 0);
  EXPECT_EQ(missing->GetBits(), nullptr);

  // An image wrapped without ownership outlives its wrapper.
  const TEngineHandle handle = copy->Handle();
  { TDibImage borrowed(handle, false); }
  EXPECT_EQ(copy->GetWidth(), 64);
  EXPECT_EQ(ImageProcLibrary.DIGetWidth(handle), 64);
}

// The five entries imported at link time and the run-time binding reach one library and one
// set of images.
TEST(ImageEngineImportTest, LinkTimeImportsAndTheRunTimeBindingShareTheEngine) {
  HMODULE module = LoadLibraryA("QM_ImageProc.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(module, "DICreate")), reinterpret_cast<void*>(&::DICreate));
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(module, "DIGetBits")), reinterpret_cast<void*>(&::DIGetBits));

  TImageProcLibrary library;
  ASSERT_TRUE(library.Load());
  const engines::EngineHandle image = ::DICreate();
  ASSERT_NE(image, 0u);
  ASSERT_NE(::DILoadImage(image, Wide(Fixture("photo.png")).c_str()), 0);
  EXPECT_EQ(library.DIGetWidth(image), 64);
  EXPECT_EQ(library.DIGetHeight(image), 48);
  EXPECT_EQ(library.DIGetBits(image), ::DIGetBits(image));
  EXPECT_EQ(library.DIGetBitmapInfo(image), ::DIGetBitmapInfo(image));
  library.DIDestroy(image);
  EXPECT_EQ(::DIGetBits(image), nullptr);  // gone for the imports too
  library.Unload();
  FreeLibrary(module);
  // Still loaded through the link-time import.
  const engines::EngineHandle another = ::DICreate();
  EXPECT_NE(another, 0u);
  ::DIDestroy(another);
}

}  // namespace
