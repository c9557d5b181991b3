#include <gtest/gtest.h>

#include <cmath>

#include "ImagingTestSupport.h"
#include "vcl/GraphicsObject.h"
#include "vcl/Picture.h"
#include "vcl/StringList.h"
#include "platform/user/Resources.h"
#include "program/imaging/GPPictures.h"

using namespace imaging_test;

namespace {

std::filesystem::path Fixture(const std::string& name, const Bytes& bytes) {
  auto path = TempPath(name);
  WriteFile(path, bytes);
  return path;
}

// Any picture class and any input format: the saved file is in the class's format and
// reloads with the picture's pixels.
TEST(GPGraphic, LoadSaveReloadThroughEveryClass) {
  struct Case {
    const char* name;
    std::unique_ptr<TGPGraphic> (*make)();
    std::initializer_list<uint8_t> magic;
    int tolerance;
  };
  const Case cases[] = {
      {"jpg", [] { return std::unique_ptr<TGPGraphic>(new TJPEGImage); }, {0xFF, 0xD8}, 40},
      {"png", [] { return std::unique_ptr<TGPGraphic>(new TPNGImage); }, {0x89, 'P', 'N', 'G'}, 0},
      {"gif", [] { return std::unique_ptr<TGPGraphic>(new TGIFImage); }, {'G', 'I', 'F'}, 8},
      {"tif", [] { return std::unique_ptr<TGPGraphic>(new TTIFImage); }, {'I', 'I', 42}, 0},
      {"bmp", [] { return std::unique_ptr<TGPGraphic>(new TBMPImage); }, {'B', 'M'}, 0},
  };
  const std::pair<const char*, Bytes> inputs[] = {
      {"png", PatternFile(ImageFormatPNG)}, {"bmp", PatternFile(ImageFormatBMP)}, {"tif", PatternFile(ImageFormatTIFF)}};
  for (const Case& c : cases) {
    for (const auto& [inputName, bytes] : inputs) {
      SCOPED_TRACE(std::string(inputName) + " as " + c.name);
      auto source = Fixture(std::string("in.") + inputName, bytes);
      std::unique_ptr<TGPGraphic> picture = c.make();
      picture->LoadFromFile(source.string());
      EXPECT_EQ(picture->Width(), 8);
      EXPECT_EQ(picture->Height(), 4);
      auto saved = TempPath(std::string("out.") + c.name);
      picture->SaveToFile(saved.string());
      EXPECT_TRUE(StartsWith(ReadFile(saved), c.magic));
      std::unique_ptr<TGPGraphic> again = c.make();
      again->LoadFromFile(saved.string());
      const std::vector<ARGB> pixels = ReadArgb(again->GetGPImage());
      ASSERT_EQ(pixels.size(), 32u);
      EXPECT_TRUE(Near(pixels[9], 0xFFFF0000u, c.tolerance)) << std::hex << pixels[9];
      EXPECT_TRUE(Near(pixels[14], 0xFF0000FFu, c.tolerance)) << std::hex << pixels[14];
    }
  }
}

TEST(GPGraphic, JpegQualityAndGifBytes) {
  auto png = Fixture("photo.png", PatternFile(ImageFormatPNG));
  TJPEGImage jpeg;
  EXPECT_EQ(jpeg.Quality, 90);
  jpeg.LoadFromFile(png.string());
  TMemoryStream high, low;
  jpeg.SaveToStream(high);
  jpeg.Quality = 5;
  jpeg.SaveToStream(low);
  EXPECT_NE(high.Size(), low.Size());  // the quality reached the encoder

  // A GIF file saved by a GIF picture: its own bytes, both frames.
  const Bytes gifBytes = AnimatedGif();
  auto gif = Fixture("anim.gif", gifBytes);
  TGIFImage animation;
  animation.LoadFromFile(gif.string());
  auto copy = TempPath("anim-copy.gif");
  animation.SaveToFile(copy.string());
  EXPECT_EQ(ReadFile(copy), gifBytes);

  // A JPEG saved by a GIF picture goes through the quantizer to an 8-bit GIF.
  auto photo = Fixture("photo.jpg", PatternFile(ImageFormatJPEG));
  TGIFImage fromPhoto;
  fromPhoto.LoadFromFile(photo.string());
  auto quantized = TempPath("quantized.gif");
  fromPhoto.SaveToFile(quantized.string());
  std::unique_ptr<TGPImage> back(TGPImage::FromFile(WidePath(quantized)));
  EXPECT_EQ(back->GetRawFormat(), ImageFormatGIF);
  EXPECT_EQ(back->GetPixelFormat(), PixelFormat8bppIndexed);
}

double MeanBlockError(const std::vector<ARGB>& a, const std::vector<ARGB>& b, int width, int height) {
  const std::vector<double> errors = BlockErrors(a, b, width, height);
  double total = 0;
  for (double error : errors) total += error;
  return errors.empty() ? 1e9 : total / static_cast<double>(errors.size());
}

std::vector<ARGB> DecodeArgb(TMemoryStream& stream) {
  TMemoryStream copy;
  copy.WriteBuffer(stream.Memory(), static_cast<int32_t>(stream.Size()));
  copy.SetPosition(0);
  std::unique_ptr<TGPImage> image(TGPImage::FromStream(copy));
  EXPECT_EQ(image->GetRawFormat(), ImageFormatGIF);
  return ReadArgb(image.get());
}

// A photo saved by a GIF picture gets a palette made for it: its colours come back close,
// far closer than through the fixed palette of the plain GIF encoding.
TEST(GPGraphic, GifOfAPhotoKeepsItsColours) {
  const int width = 128, height = 96;
  std::vector<ARGB> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double shade = 0.5 + 0.5 * std::sin(x / 9.0) * std::cos(y / 13.0);
      pixels.push_back(MakeColor(static_cast<uint8_t>(40 + x * 200 / width), static_cast<uint8_t>(30 + 190 * shade),
                                 static_cast<uint8_t>(220 - y * 180 / height)));
    }
  std::unique_ptr<TGPBitmap> source(BitmapFromArgb(width, height, pixels));
  auto photo = Fixture("colours.jpg", Encode(source.get(), ImageFormatJPEG));

  TGIFImage picture;
  picture.LoadFromFile(photo.string());
  const std::vector<ARGB> decoded = ReadArgb(picture.GetGPImage());
  TMemoryStream quantized, plain;
  picture.SaveToStream(quantized);
  picture.GetGPImage()->SaveToStream(plain, ImageFormatGIF);

  const double quantizedError = MeanBlockError(decoded, DecodeArgb(quantized), width, height);
  const double plainError = MeanBlockError(decoded, DecodeArgb(plain), width, height);
  EXPECT_LT(quantizedError, 6.0);
  EXPECT_LT(quantizedError * 2, plainError) << quantizedError << " against " << plainError;
}

// A picture with a transparent region saved by a GIF picture: the region comes back
// transparent, and the opaque colours around it as close as in an opaque photo.
TEST(GPGraphic, GifKeepsTransparentRegions) {
  const int width = 64, height = 48;
  std::vector<ARGB> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool inHole = x >= 16 && x < 40 && y >= 8 && y < 32;
      pixels.push_back(inHole ? 0x00000000u
                              : MakeColor(static_cast<uint8_t>(40 + x * 3), static_cast<uint8_t>(200 - y * 3),
                                          static_cast<uint8_t>(60 + (x + y) * 2)));
    }
  std::unique_ptr<TGPBitmap> source(BitmapFromArgb(width, height, pixels));
  auto file = Fixture("holed.png", Encode(source.get(), ImageFormatPNG));

  TGIFImage picture;
  picture.LoadFromFile(file.string());
  TMemoryStream saved;
  picture.SaveToStream(saved);
  const std::vector<ARGB> back = DecodeArgb(saved);
  ASSERT_EQ(back.size(), pixels.size());
  int wrongAlpha = 0;
  for (size_t i = 0; i < pixels.size(); ++i)
    if ((back[i] >> 24) != (pixels[i] >> 24)) ++wrongAlpha;
  EXPECT_EQ(wrongAlpha, 0);
  EXPECT_LT(MeanBlockError(pixels, back, width, height), 6.0);
}

// A stream that takes a burst of bytes, then fails once.
class FailingOnceStream : public TMemoryStream {
 public:
  int32_t Write(const void* buffer, int32_t count) override {
    if (m_armed) {
      m_armed = false;
      std::vector<uint8_t> junk(100000, 0xEE);
      TMemoryStream::Write(junk.data(), static_cast<int32_t>(junk.size()));
      throw EWriteError("disk hiccup");
    }
    return TMemoryStream::Write(buffer, count);
  }

 private:
  bool m_armed = false;

 public:
  void Arm() { m_armed = true; }
};

TEST(GPGraphic, GifFallbackReplacesWhatTheFailedAttemptWrote) {
  auto photo = Fixture("fallback.png", PatternFile(ImageFormatPNG));
  TGIFImage picture;
  picture.LoadFromFile(photo.string());
  FailingOnceStream stream;
  stream.WriteBuffer("HEAD", 4);
  stream.Arm();
  picture.SaveToStream(stream);
  const auto* bytes = static_cast<const uint8_t*>(stream.Memory());
  ASSERT_GT(stream.Size(), 10);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), 4), "HEAD");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes) + 4, 3), "GIF");
  EXPECT_EQ(bytes[stream.Size() - 1], 0x3B);  // the GIF trailer ends the stream: no junk after it
  EXPECT_LT(stream.Size(), 10000);
  // What follows the header is GDI+'s own GIF encoding of the picture.
  EXPECT_EQ(Bytes(bytes + 4, bytes + stream.Size()), Encode(picture.GetGPImage(), ImageFormatGIF));
}

TEST(GPGraphic, EmptyPicturesSaveAndDrawNothing) {
  TPNGImage empty;
  EXPECT_TRUE(empty.Empty());
  auto path = TempPath("never.png");
  std::filesystem::remove(path);
  empty.SaveToFile(path.string());
  EXPECT_FALSE(std::filesystem::exists(path));
  TMemoryStream stream;
  empty.SaveToStream(stream);
  EXPECT_EQ(stream.Size(), 0);
  TBitmap target(4, 4);
  target.Canvas()->StretchDraw(TRect(0, 0, 4, 4), &empty);
  EXPECT_EQ(empty.GetThumbnail(10, 10), nullptr);
}

TEST(GPGraphic, ThumbnailsKeepTheAspectRatio) {
  struct Case {
    int width, height, askWidth, askHeight, gotWidth, gotHeight;
  } cases[] = {
      {400, 200, 100, 100, 100, 50},
      {200, 400, 100, 100, 50, 100},
      {400, 200, 40, 20, 40, 20},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TGPBitmap> bitmap(BitmapFromArgb(c.width, c.height, std::vector<ARGB>(size_t(c.width) * c.height, 0xFF336699u)));
    TMemoryStream png;
    bitmap->SaveToStream(png, ImageFormatPNG);
    png.SetPosition(0);
    TPNGImage picture;
    picture.LoadFromStream(png);
    std::unique_ptr<TBMPImage> thumbnail(picture.GetThumbnail(c.askWidth, c.askHeight));
    ASSERT_NE(thumbnail, nullptr);
    EXPECT_EQ(thumbnail->Width(), c.gotWidth);
    EXPECT_EQ(thumbnail->Height(), c.gotHeight);
    EXPECT_EQ(thumbnail->PixelFormat(), pf32bit);
  }
}

TEST(GPGraphic, ResizingOnlyInBitmapModeOrWhenEmpty) {
  auto photo = Fixture("resize.jpg", PatternFile(ImageFormatJPEG));
  TJPEGImage loaded;
  loaded.LoadFromFile(photo.string());
  try {
    loaded.SetWidth(20);
    ADD_FAILURE();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), "Cannot change the size of This image type");
  }
  TPNGImage blank;
  blank.SetBitmapMode(true);
  blank.SetWidth(6);
  EXPECT_TRUE(blank.Empty());
  blank.SetHeight(3);
  ASSERT_FALSE(blank.Empty());
  EXPECT_EQ(blank.GetGPImage()->GetWidth(), 6u);
  EXPECT_EQ(blank.GetGPImage()->GetPixelFormat(), PixelFormat32bppARGB);
}

TEST(GPGraphic, AssignFromAndToBitmaps) {
  TBitmap bitmap(3, 2, pf24bit);
  bitmap.Canvas()->Brush()->SetColor(clLime);
  bitmap.Canvas()->FillRect(TRect(0, 0, 3, 2));
  bitmap.Canvas()->SetPixels(2, 1, clFuchsia);  // bottom-left stays lime: the automatic key
  bitmap.SetTransparent(true);
  TPNGImage picture;
  picture.Assign(&bitmap);
  EXPECT_EQ(picture.Width(), 3);
  std::vector<ARGB> pixels = ReadArgb(picture.GetGPImage());
  EXPECT_EQ(pixels[0] >> 24, 0u);  // lime became transparent
  EXPECT_EQ(pixels[5], 0xFFFF00FFu);

  // Back into a bitmap through BMP.
  TBitmap copy;
  copy.Assign(&picture);
  EXPECT_EQ(copy.Width(), 3);
  EXPECT_EQ(copy.Canvas()->Pixels(2, 1), clFuchsia);

  // Pictures share what they were assigned; other sources are refused.
  TJPEGImage shared;
  shared.Assign(&picture);
  EXPECT_EQ(shared.GetGPImage(), picture.GetGPImage());
  EXPECT_TRUE(shared.Equals(&picture) || !shared.Equals(&bitmap));
  EXPECT_FALSE(picture.Equals(&bitmap));
  TStringList notAPicture;
  EXPECT_THROW(picture.Assign(&notAPicture), EConvertError);
}

// Form data goes through the protected pair; a small window onto them.
class TFormDataPicture : public TPNGImage {
 public:
  void Write(TStream& s) { WriteData(s); }
  void Read(TStream& s) { ReadData(s); }
};

TEST(GPGraphic, FormDataRoundTripAndBadLengths) {
  auto source = Fixture("form.bmp", PatternFile(ImageFormatBMP));
  TFormDataPicture picture;
  picture.LoadFromFile(source.string());
  TMemoryStream data;
  picture.Write(data);
  data.WriteBuffer("next", 4);  // what follows in the form stays unread
  data.SetPosition(0);
  TFormDataPicture copy;
  copy.Read(data);
  EXPECT_EQ(copy.GetGPImage()->GetRawFormat(), ImageFormatPNG);
  EXPECT_EQ(ReadArgb(copy.GetGPImage()), Pattern());
  char next[4];
  data.ReadBuffer(next, 4);
  EXPECT_EQ(std::string(next, 4), "next");

  // An empty picture writes no bytes and reads back empty, leaving what follows alone.
  TFormDataPicture empty, readBack;
  TMemoryStream emptyData;
  empty.Write(emptyData);
  emptyData.WriteBuffer("more", 4);
  emptyData.SetPosition(0);
  readBack.Read(emptyData);
  EXPECT_TRUE(readBack.Empty());
  EXPECT_EQ(emptyData.Position(), 4);

  for (int32_t length : {-5, 1000}) {
    TMemoryStream bad;
    bad.WriteBuffer(&length, 4);
    bad.WriteBuffer("abcdefgh", 8);
    bad.SetPosition(0);
    EXPECT_THROW(copy.Read(bad), EReadError) << length;
  }
}

TEST(GPGraphic, DisplaySizeFromResolution) {
  using imaging::detail::DisplaySize;
  EXPECT_EQ(DisplaySize(ImageFlagsHasRealPixelSize | ImageFlagsHasRealDPI, 300, 200, 300, 300, 96), TSize(300, 200));
  EXPECT_EQ(DisplaySize(ImageFlagsHasRealDPI, 300, 200, 192, 48, 96), TSize(150, 400));
  EXPECT_EQ(DisplaySize(ImageFlagsHasRealDPI, 300, 200, 0.4f, 72, 96), TSize(300, 200));  // rounds to 0 dpi
  EXPECT_EQ(DisplaySize(0, 300, 200, 192, 192, 96), TSize(300, 200));
}

TEST(GPGraphic, PictureFilesOpenWithTheRegisteredClasses) {
  struct Case {
    std::string name;
    Bytes bytes;
    TClass expected;
  };
  auto tiff = TempPath("pages.tiff");
  WriteTwoPageTiff(tiff);
  const Case cases[] = {
      {"a.jpg", PatternFile(ImageFormatJPEG), TJPEGImage::StaticClass()},
      {"a.JPEG", PatternFile(ImageFormatJPEG), TJPEGImage::StaticClass()},
      {"a.png", PatternFile(ImageFormatPNG), TPNGImage::StaticClass()},
      {"a.gif", AnimatedGif(), TGIFImage::StaticClass()},
      {"pages.tiff", ReadFile(tiff), TTIFImage::StaticClass()},
  };
  for (const Case& c : cases) {
    auto path = Fixture(c.name, c.bytes);
    TPicture picture;
    picture.LoadFromFile(path.string());
    ASSERT_NE(picture.Graphic(), nullptr) << c.name;
    EXPECT_EQ(picture.Graphic()->ClassType(), c.expected) << c.name;
  }
  // Damaged content raises with the file's name.
  auto damaged = Fixture("damaged.png", Bytes{0x89, 'P', 'N', 'G', 1, 2, 3});
  TPicture picture;
  try {
    picture.LoadFromFile(damaged.string());
    ADD_FAILURE();
  } catch (const GDIPlusException& e) {
    EXPECT_NE(e.Message().find("damaged.png"), std::string::npos) << e.Message();
  }
}

TEST(GPGraphic, DrawsStretchedIntoACanvas) {
  auto source = Fixture("draw.png", PatternFile(ImageFormatPNG, true));
  TPNGImage picture;
  picture.LoadFromFile(source.string());
  picture.InterpolationMode = InterpolationModeNearestNeighbor;
  TBitmap target(32, 16, pf32bit);
  target.Canvas()->Brush()->SetColor(clWhite);
  target.Canvas()->FillRect(TRect(0, 0, 32, 16));
  target.Canvas()->StretchDraw(TRect(0, 0, 32, 16), &picture);
  EXPECT_EQ(target.Canvas()->Pixels(8, 8), clRed);
  EXPECT_EQ(target.Canvas()->Pixels(24, 8), clBlue);
  // The half-transparent corner pixel is blended over the white.
  const TColor corner = target.Canvas()->Pixels(1, 1);
  EXPECT_EQ(corner & 0xFF, 0xFF);
  EXPECT_NEAR((corner >> 8) & 0xFF, 0x7F, 2);
  TPNGImage look;
  look.Assign(&target);
  look.SaveToFile(TempPath("drawn.png").string());
}

}  // namespace

namespace {

// A picture compiled into the program loads by its resource name; an unknown name raises.
TEST(GPGraphic, LoadsFromTheProgramsResources) {
  static const Bytes bytes = ReadFile(std::filesystem::path(BRANTWELL_SOURCE_DIR) / "resources/embedded/PhotoError.png");
  ASSERT_FALSE(bytes.empty());
  platform::RegisterEmbeddedResource(RT_RCDATA, u"PhotoErrorForTest", bytes.data(), bytes.size());
  TPNGImage picture;
  picture.LoadFromResourceName(nullptr, "PhotoErrorForTest");
  EXPECT_GT(picture.Width(), 16);
  EXPECT_EQ(picture.Width(), picture.Height());
  EXPECT_THROW(picture.LoadFromResourceName(nullptr, "NoSuchPicture"), EResNotFound);
}

}  // namespace
