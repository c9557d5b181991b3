// Decoding and encoding every format through the flat interface.

#include <gif_lib.h>
#include <libexif/exif-data.h>
#include <tiffio.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "GdiplusTestSupport.h"

using namespace gdiplus_test;

namespace {

// 32x32 pixels in four blocks of colours every encoder keeps exactly (corners of the GIF
// encoder's cube; blocks as large as a JPEG macroblock).
constexpr int kPatternSize = 32;
std::vector<ARGB> TestPattern() {
  static const ARGB colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
  std::vector<ARGB> pixels(kPatternSize * kPatternSize);
  for (int y = 0; y < kPatternSize; ++y)
    for (int x = 0; x < kPatternSize; ++x) pixels[y * kPatternSize + x] = colours[x / 16 + (y / 16) * 2];
  return pixels;
}

struct RoundTrip {
  const char* name;
  CLSID encoder;
  GUID format;
  int tolerance;  // per channel
  bool keepsAlpha;
};

// Test listings show the format's name instead of the record's bytes.
void PrintTo(const RoundTrip& roundTrip, std::ostream* out) { *out << roundTrip.name; }

class FormatRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(FormatRoundTrip, SavedImageReloadsWithItsPixels) {
  const RoundTrip& c = GetParam();
  std::vector<ARGB> pattern = TestPattern();
  if (c.keepsAlpha) pattern[0] = 0x80FF0000;  // half-transparent red where the format can hold it
  GpBitmap* bitmap = BitmapFromArgb(kPatternSize, kPatternSize, pattern);
  Bytes bytes;
  ASSERT_EQ(Save(bitmap, c.encoder, &bytes), Ok);
  GpImage* reloaded = nullptr;
  ASSERT_EQ(Load(bytes, &reloaded), Ok);
  GUID format{};
  GdipGetImageRawFormat(reloaded, &format);
  EXPECT_TRUE(format == c.format);
  std::vector<ARGB> pixels = ReadArgb(reloaded);
  ASSERT_EQ(pixels.size(), pattern.size());
  for (size_t i = 1; i < pixels.size(); ++i) {
    // Lossy formats are judged inside the blocks, away from the ringing at colour edges.
    int x = static_cast<int>(i) % kPatternSize % 16, y = static_cast<int>(i) / kPatternSize % 16;
    if (c.tolerance && (x < 4 || x > 11 || y < 4 || y > 11)) continue;
    EXPECT_TRUE(Near(pixels[i], pattern[i], c.tolerance)) << c.name << " pixel " << i << std::hex << " " << pixels[i];
  }
  EXPECT_TRUE(Near(pixels[0], pattern[0], c.tolerance)) << c.name;
  GdipDisposeImage(reloaded);
  GdipDisposeImage(bitmap);
}

INSTANTIATE_TEST_SUITE_P(AllEncoders, FormatRoundTrip,
                         ::testing::Values(RoundTrip{"bmp", EncoderClsidBMP, ImageFormatBMP, 0, false},
                                           RoundTrip{"png", EncoderClsidPNG, ImageFormatPNG, 0, true},
                                           RoundTrip{"jpeg", EncoderClsidJPEG, ImageFormatJPEG, 8, false},
                                           RoundTrip{"gif", EncoderClsidGIF, ImageFormatGIF, 0, false},
                                           RoundTrip{"tiff", EncoderClsidTIFF, ImageFormatTIFF, 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Codecs, IndexedImagesKeepTheirPaletteThroughPngAndGif) {
  GpBitmap* bitmap = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromScan0(4, 2, 0, PixelFormat8bppIndexed, nullptr, &bitmap), Ok);
  std::vector<uint8_t> block(8 + 4 * 4);
  auto* palette = reinterpret_cast<ColorPalette*>(block.data());
  palette->Count = 4;
  ARGB entries[4] = {0xFF102030, 0xFF405060, 0xFF708090, 0x00000000};
  std::memcpy(palette->Entries, entries, sizeof entries);
  ASSERT_EQ(GdipSetImagePalette(bitmap, palette), Ok);
  BitmapData data{};
  ASSERT_EQ(GdipBitmapLockBits(bitmap, nullptr, ImageLockModeWrite, PixelFormat8bppIndexed, &data), Ok);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) static_cast<uint8_t*>(data.Scan0)[y * data.Stride + x] = static_cast<uint8_t>((x + y) % 4);
  ASSERT_EQ(GdipBitmapUnlockBits(bitmap, &data), Ok);
  for (const CLSID& encoder : {EncoderClsidPNG, EncoderClsidGIF}) {
    Bytes bytes;
    ASSERT_EQ(Save(bitmap, encoder, &bytes), Ok);
    GpImage* image = nullptr;
    ASSERT_EQ(Load(bytes, &image), Ok);
    PixelFormat format = 0;
    GdipGetImagePixelFormat(image, &format);
    EXPECT_EQ(format, PixelFormat8bppIndexed);
    std::vector<ARGB> pixels = ReadArgb(image);
    EXPECT_EQ(pixels[0], 0xFF102030u);
    EXPECT_EQ(pixels[1], 0xFF405060u);
    EXPECT_EQ(pixels[3] >> 24, 0u);  // the transparent entry stays transparent
    UINT flags = 0;
    GdipGetImageFlags(image, &flags);
    EXPECT_TRUE(flags & ImageFlagsHasAlpha);
    GdipDisposeImage(image);
  }
  GdipDisposeImage(bitmap);
}

// --- Animated GIF, written with giflib -----------------------------------------------------

int WriteBytes(GifFileType* gif, const GifByteType* data, int count) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + count);
  return count;
}

Bytes AnimatedGif() {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, WriteBytes, &error);
  GifColorType colours[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  ColorMapObject* map = GifMakeMapObject(4, colours);
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, 4, 4, 8, 0, map);
  GifByteType loop[3] = {1, 0, 0};
  EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
  EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
  EGifPutExtensionBlock(gif, 3, loop);
  EGifPutExtensionTrailer(gif);
  auto frame = [&](int left, int top, int w, int h, int delay, int disposal, int transparent, GifByteType index) {
    GraphicsControlBlock control{};
    control.DelayTime = delay;
    control.DisposalMode = disposal;
    control.TransparentColor = transparent;
    GifByteType extension[4];
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(EGifGCBToExtension(&control, extension)), extension);
    EGifPutImageDesc(gif, left, top, w, h, false, nullptr);
    std::vector<GifByteType> line(w, index);
    for (int y = 0; y < h; ++y) EGifPutLine(gif, line.data(), w);
  };
  frame(0, 0, 4, 4, 20, DISPOSE_DO_NOT, NO_TRANSPARENT_COLOR, 0);  // all red
  frame(1, 1, 2, 2, 50, DISPOSE_BACKGROUND, NO_TRANSPARENT_COLOR, 1);  // green square, cleared afterwards
  frame(0, 0, 1, 1, 0, DISPOSE_DO_NOT, NO_TRANSPARENT_COLOR, 2);  // blue corner
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

TEST(Codecs, AnimatedGifHasComposedFramesDelaysAndLoopCount) {
  Bytes bytes = AnimatedGif();
  GpImage* image = nullptr;
  ASSERT_EQ(Load(bytes, &image), Ok);
  UINT dimensions = 0;
  GdipImageGetFrameDimensionsCount(image, &dimensions);
  ASSERT_EQ(dimensions, 1u);
  GUID dimension{};
  GdipImageGetFrameDimensionsList(image, &dimension, 1);
  EXPECT_TRUE(dimension == FrameDimensionTime);
  UINT frames = 0;
  GdipImageGetFrameCount(image, &FrameDimensionTime, &frames);
  ASSERT_EQ(frames, 3u);

  UINT size = 0;
  ASSERT_EQ(GdipGetPropertyItemSize(image, PropertyTagFrameDelay, &size), Ok);
  std::vector<uint8_t> block(size);
  auto* item = reinterpret_cast<PropertyItem*>(block.data());
  ASSERT_EQ(GdipGetPropertyItem(image, PropertyTagFrameDelay, size, item), Ok);
  EXPECT_EQ(item->type, PropertyTagTypeLong);
  ASSERT_EQ(item->length, 12u);
  const auto* delays = static_cast<const uint32_t*>(item->value);
  EXPECT_EQ(delays[0], 20u);
  EXPECT_EQ(delays[1], 50u);
  EXPECT_EQ(delays[2], 0u);
  ASSERT_EQ(GdipGetPropertyItemSize(image, PropertyTagLoopCount, &size), Ok);
  block.resize(size);
  item = reinterpret_cast<PropertyItem*>(block.data());
  ASSERT_EQ(GdipGetPropertyItem(image, PropertyTagLoopCount, size, item), Ok);
  EXPECT_EQ(*static_cast<const uint16_t*>(item->value), 0u);  // forever

  // Frame 1: the green square over the red first frame.
  ASSERT_EQ(GdipImageSelectActiveFrame(image, &FrameDimensionTime, 1), Ok);
  std::vector<ARGB> pixels = ReadArgb(image);
  EXPECT_EQ(pixels[0], 0xFFFF0000u);
  EXPECT_EQ(pixels[1 * 4 + 1], 0xFF00FF00u);
  // Frame 2: the square was disposed to the (transparent) background, the blue corner drawn.
  ASSERT_EQ(GdipImageSelectActiveFrame(image, &FrameDimensionTime, 2), Ok);
  pixels = ReadArgb(image);
  EXPECT_EQ(pixels[0], 0xFF0000FFu);
  EXPECT_EQ(pixels[1 * 4 + 1], 0u);
  EXPECT_EQ(pixels[3 * 4 + 3], 0xFFFF0000u);
  EXPECT_EQ(GdipImageSelectActiveFrame(image, &FrameDimensionTime, 3), InvalidParameter);
  // Asking for the first frame of a dimension the image lacks is harmless.
  EXPECT_EQ(GdipImageSelectActiveFrame(image, &FrameDimensionPage, 0), Ok);
  GdipDisposeImage(image);
}

// --- Two-page TIFF, written with libtiff ---------------------------------------------------

Bytes TwoPageTiff(const std::filesystem::path& path) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  for (int page = 0; page < 2; ++page) {
    uint32_t w = page ? 5 : 3, h = page ? 2 : 4;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    std::vector<uint8_t> row(w * 3);
    for (uint32_t x = 0; x < w; ++x) row[3 * x] = page ? 0 : 200, row[3 * x + 1] = page ? 100 : 0, row[3 * x + 2] = 50;
    for (uint32_t y = 0; y < h; ++y) TIFFWriteScanline(tiff, row.data(), y, 0);
    TIFFWriteDirectory(tiff);
  }
  TIFFClose(tiff);
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(Codecs, TwoPageTiffHasPages) {
  auto path = std::filesystem::path(BRANTWELL_TEST_BIN_DIR) / "gdiplus-two-pages.tif";
  Bytes bytes = TwoPageTiff(path);
  GpImage* image = nullptr;
  ASSERT_EQ(Load(bytes, &image), Ok);
  GUID dimension{};
  GdipImageGetFrameDimensionsList(image, &dimension, 1);
  EXPECT_TRUE(dimension == FrameDimensionPage);
  UINT pages = 0;
  GdipImageGetFrameCount(image, &FrameDimensionPage, &pages);
  ASSERT_EQ(pages, 2u);
  EXPECT_EQ(ReadArgb(image)[0], 0xFFC80032u);
  ASSERT_EQ(GdipImageSelectActiveFrame(image, &FrameDimensionPage, 1), Ok);
  UINT width = 0;
  GdipGetImageWidth(image, &width);
  EXPECT_EQ(width, 5u);
  EXPECT_EQ(ReadArgb(image)[0], 0xFF006432u);
  GdipDisposeImage(image);

  // Loading from the file by name gives the same.
  std::string utf8 = path.string();
  std::u16string name(utf8.begin(), utf8.end());  // the test folder's path is ASCII
  ASSERT_EQ(GdipLoadImageFromFile(name.c_str(), &image), Ok);
  GdipDisposeImage(image);
  std::filesystem::remove(path);
}

// --- JPEG with an EXIF block written by libexif --------------------------------------------

Bytes WithExif(const Bytes& jpeg) {
  ExifData* exif = exif_data_new();
  exif_data_set_byte_order(exif, EXIF_BYTE_ORDER_MOTOROLA);  // big-endian, to prove the swap
  ExifEntry* orientation = exif_entry_new();
  exif_content_add_entry(exif->ifd[EXIF_IFD_0], orientation);
  exif_entry_initialize(orientation, EXIF_TAG_ORIENTATION);
  exif_set_short(orientation->data, EXIF_BYTE_ORDER_MOTOROLA, 6);
  ExifEntry* date = exif_entry_new();
  exif_content_add_entry(exif->ifd[EXIF_IFD_EXIF], date);
  exif_entry_initialize(date, EXIF_TAG_DATE_TIME_ORIGINAL);
  std::memcpy(date->data, "2021:07:14 10:20:30", 20);
  unsigned char* block = nullptr;
  unsigned int size = 0;
  exif_data_save_data(exif, &block, &size);
  Bytes out(jpeg.begin(), jpeg.begin() + 2);  // SOI
  out.push_back(0xFF), out.push_back(0xE1);
  out.push_back(static_cast<uint8_t>((size + 2) >> 8)), out.push_back(static_cast<uint8_t>(size + 2));
  out.insert(out.end(), block, block + size);
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  free(block);
  exif_entry_unref(orientation);
  exif_entry_unref(date);
  exif_data_unref(exif);
  return out;
}

TEST(Codecs, JpegExifPropertiesAreReadInMachineOrder) {
  GpBitmap* bitmap = BitmapFromArgb(kPatternSize, kPatternSize, TestPattern());
  Bytes jpeg;
  ASSERT_EQ(Save(bitmap, EncoderClsidJPEG, &jpeg), Ok);
  GdipDisposeImage(bitmap);
  GpImage* image = nullptr;
  ASSERT_EQ(Load(WithExif(jpeg), &image), Ok);

  UINT size = 0;
  ASSERT_EQ(GdipGetPropertyItemSize(image, PropertyTagOrientation, &size), Ok);
  std::vector<uint8_t> block(size);
  auto* item = reinterpret_cast<PropertyItem*>(block.data());
  ASSERT_EQ(GdipGetPropertyItem(image, PropertyTagOrientation, size, item), Ok);
  EXPECT_EQ(item->type, PropertyTagTypeShort);
  EXPECT_EQ(*static_cast<const uint16_t*>(item->value), 6u);
  EXPECT_EQ(GdipGetPropertyItem(image, PropertyTagOrientation, size - 1, item), InvalidParameter);

  ASSERT_EQ(GdipGetPropertyItemSize(image, PropertyTagExifDTOrig, &size), Ok);
  block.assign(size, 0);
  item = reinterpret_cast<PropertyItem*>(block.data());
  ASSERT_EQ(GdipGetPropertyItem(image, PropertyTagExifDTOrig, size, item), Ok);
  EXPECT_EQ(item->type, PropertyTagTypeASCII);
  EXPECT_STREQ(static_cast<const char*>(item->value), "2021:07:14 10:20:30");

  EXPECT_EQ(GdipGetPropertyItemSize(image, PropertyTagFrameDelay, &size), PropertyNotFound);
  // The orientation is reported, not applied: the pixels keep the stored layout.
  UINT width = 0;
  GdipGetImageWidth(image, &width);
  EXPECT_EQ(width, UINT(kPatternSize));
  GdipDisposeImage(image);
}

TEST(Codecs, JpegQualityAndTransformation) {
  std::vector<ARGB> noise(64 * 32);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
  GpBitmap* bitmap = BitmapFromArgb(64, 32, noise);
  auto saveWith = [&](ULONG quality, ULONG transformation, Bytes* out) {
    struct {
      UINT Count;
      EncoderParameter Parameter[2];
    } parameters{};
    parameters.Count = transformation ? 2 : 1;
    parameters.Parameter[0] = {EncoderQuality, 1, EncoderParameterValueTypeLong, &quality};
    parameters.Parameter[1] = {EncoderTransformation, 1, EncoderParameterValueTypeLong, &transformation};
    return Save(bitmap, EncoderClsidJPEG, out, reinterpret_cast<EncoderParameters*>(&parameters));
  };
  Bytes low, high, turned;
  ASSERT_EQ(saveWith(10, 0, &low), Ok);
  ASSERT_EQ(saveWith(95, 0, &high), Ok);
  EXPECT_LT(low.size() * 2, high.size());
  EXPECT_EQ(saveWith(101, 0, &low), InvalidParameter);
  ASSERT_EQ(saveWith(90, EncoderValueTransformRotate90, &turned), Ok);
  GpImage* image = nullptr;
  ASSERT_EQ(Load(turned, &image), Ok);
  UINT width = 0, height = 0;
  GdipGetImageWidth(image, &width);
  GdipGetImageHeight(image, &height);
  EXPECT_EQ(width, 32u);
  EXPECT_EQ(height, 64u);
  GdipDisposeImage(image);
  GdipDisposeImage(bitmap);
}

// --- JPEG pixels decoded on first use, thumbnails at a reduced scale ------------------------

// A picture red in its left half and blue in its right, as a JPEG.
Bytes HalvesJpeg(int width, int height) {
  std::vector<ARGB> pixels(size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels[size_t(y) * width + x] = x < width / 2 ? 0xFFFF0000 : 0xFF0000FF;
  GpBitmap* bitmap = BitmapFromArgb(width, height, pixels);
  Bytes jpeg;
  EXPECT_EQ(Save(bitmap, EncoderClsidJPEG, &jpeg), Ok);
  GdipDisposeImage(bitmap);
  return jpeg;
}

std::vector<ARGB> Thumbnail(GpImage* image, UINT width, UINT height, GpStatus* status = nullptr) {
  GpImage* thumbnail = nullptr;
  const GpStatus result = GdipGetImageThumbnail(image, width, height, &thumbnail, nullptr, nullptr);
  if (status) *status = result;
  if (result != Ok) return {};
  std::vector<ARGB> pixels = ReadArgb(thumbnail);
  GdipDisposeImage(thumbnail);
  return pixels;
}

TEST(Codecs, JpegThumbnailsMatchWhetherOrNotThePixelsWereDecoded) {
  const Bytes jpeg = HalvesJpeg(1280, 720);
  GpImage* pending = nullptr;
  ASSERT_EQ(Load(jpeg, &pending), Ok);
  // Everything but the pixels is known before they are decoded.
  UINT width = 0, height = 0, flags = 0;
  PixelFormat format = 0;
  GdipGetImageWidth(pending, &width);
  GdipGetImageHeight(pending, &height);
  GdipGetImagePixelFormat(pending, &format);
  GdipGetImageFlags(pending, &flags);
  EXPECT_EQ(width, 1280u);
  EXPECT_EQ(height, 720u);
  EXPECT_EQ(format, PixelFormat24bppRGB);
  EXPECT_TRUE(flags & ImageFlagsColorSpaceYCBCR);
  GpImage* clone = nullptr;
  ASSERT_EQ(GdipCloneImage(pending, &clone), Ok);

  // The thumbnail of the still-pending image (decoded at an eighth) and the thumbnail of the
  // clone after its full decode agree.
  const std::vector<ARGB> reduced = Thumbnail(pending, 120, 68);
  const std::vector<ARGB> full = ReadArgb(clone);
  ASSERT_EQ(full.size(), size_t(1280) * 720);
  EXPECT_TRUE(Near(full[size_t(360) * 1280 + 100], 0xFFFF0000, 8));
  EXPECT_TRUE(Near(full[size_t(360) * 1280 + 1200], 0xFF0000FF, 8));
  const std::vector<ARGB> fromFull = Thumbnail(clone, 120, 68);
  ASSERT_EQ(reduced.size(), size_t(120) * 68);
  ASSERT_EQ(fromFull.size(), reduced.size());
  for (int y = 4; y < 64; ++y)
    for (int x : {4, 30, 55, 65, 90, 115}) {
      const size_t i = size_t(y) * 120 + x;
      EXPECT_TRUE(Near(reduced[i], fromFull[i], 12)) << x << "," << y << std::hex << " " << reduced[i] << " " << fromFull[i];
      EXPECT_TRUE(Near(reduced[i], x < 60 ? 0xFFFF0000 : 0xFF0000FF, 16)) << x << "," << y;
    }
  // A thumbnail larger than an eighth of the picture takes a larger scale, still right.
  const std::vector<ARGB> large = Thumbnail(pending, 400, 225);
  ASSERT_EQ(large.size(), size_t(400) * 225);
  EXPECT_TRUE(Near(large[size_t(100) * 400 + 20], 0xFFFF0000, 16));
  EXPECT_TRUE(Near(large[size_t(100) * 400 + 380], 0xFF0000FF, 16));
  // The pending image decodes whole when its pixels are asked for.
  const std::vector<ARGB> pixels = ReadArgb(pending);
  ASSERT_EQ(pixels.size(), full.size());
  EXPECT_EQ(pixels[size_t(100) * 1280 + 10], full[size_t(100) * 1280 + 10]);
  GdipDisposeImage(clone);
  GdipDisposeImage(pending);
}

TEST(Codecs, JpegWhoseDataCannotBeDecodedShowsGrey) {
  Bytes jpeg = HalvesJpeg(64, 32);
  // The scan names a Huffman table the file does not define: the header reads, the data not.
  size_t sos = 0;
  for (size_t i = 2; i + 6 < jpeg.size() && !sos; ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) sos = i;
  ASSERT_NE(sos, 0u);
  jpeg[sos + 6] = 0x33;  // the first component's tables: 3 and 3
  GpImage* image = nullptr;
  ASSERT_EQ(Load(jpeg, &image), Ok);
  UINT width = 0;
  GdipGetImageWidth(image, &width);
  EXPECT_EQ(width, 64u);
  GpStatus status = Ok;
  EXPECT_TRUE(Thumbnail(image, 16, 8, &status).empty());
  EXPECT_EQ(status, GenericError);
  const std::vector<ARGB> pixels = ReadArgb(image);
  ASSERT_EQ(pixels.size(), size_t(64) * 32);
  EXPECT_EQ(pixels[0], 0xFF808080u);
  EXPECT_EQ(pixels.back(), 0xFF808080u);
  GdipDisposeImage(image);
}

// --- Icon with several sizes, one of them PNG-compressed ------------------------------------

Bytes IconWithTwoSizes() {
  // Entry 1: a 4x4 24-bit DIB whose AND mask makes the top-left pixel transparent.
  Bytes dib;
  auto u16 = [](Bytes& b, uint16_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); };
  auto u32 = [](Bytes& b, uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i))); };
  u32(dib, 40), u32(dib, 4), u32(dib, 8), u16(dib, 1), u16(dib, 24), u32(dib, 0), u32(dib, 0);
  u32(dib, 0), u32(dib, 0), u32(dib, 0), u32(dib, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) dib.push_back(0x11), dib.push_back(0x22), dib.push_back(0x33);  // BGR
  for (int y = 0; y < 4; ++y) u32(dib, y == 3 ? 0x80 : 0);  // bottom-up: the last mask row is the top row
  // Entry 2: a 16x16 PNG.
  GpBitmap* bitmap = BitmapFromArgb(16, 16, std::vector<ARGB>(256, 0x80445566));
  Bytes png;
  Save(bitmap, EncoderClsidPNG, &png);
  GdipDisposeImage(bitmap);

  Bytes icon;
  u16(icon, 0), u16(icon, 1), u16(icon, 2);
  uint32_t offset = 6 + 32;
  icon.insert(icon.end(), {4, 4, 0, 0}), u16(icon, 1), u16(icon, 24), u32(icon, uint32_t(dib.size())), u32(icon, offset);
  icon.insert(icon.end(), {16, 16, 0, 0}), u16(icon, 1), u16(icon, 32), u32(icon, uint32_t(png.size())),
      u32(icon, offset + uint32_t(dib.size()));
  icon.insert(icon.end(), dib.begin(), dib.end());
  icon.insert(icon.end(), png.begin(), png.end());
  return icon;
}

TEST(Codecs, IconShowsItsLargestSizeAndKeepsTheOthers) {
  GpImage* image = nullptr;
  ASSERT_EQ(Load(IconWithTwoSizes(), &image), Ok);
  GUID format{}, dimension{};
  GdipGetImageRawFormat(image, &format);
  EXPECT_TRUE(format == ImageFormatIcon);
  GdipImageGetFrameDimensionsList(image, &dimension, 1);
  EXPECT_TRUE(dimension == FrameDimensionResolution);
  UINT count = 0, width = 0;
  GdipImageGetFrameCount(image, &FrameDimensionResolution, &count);
  EXPECT_EQ(count, 2u);
  GdipGetImageWidth(image, &width);
  EXPECT_EQ(width, 16u);
  EXPECT_EQ(ReadArgb(image)[0], 0x80445566u);
  ASSERT_EQ(GdipImageSelectActiveFrame(image, &FrameDimensionResolution, 0), Ok);
  std::vector<ARGB> small = ReadArgb(image);
  ASSERT_EQ(small.size(), 16u);
  EXPECT_EQ(small[0], 0u);  // masked
  EXPECT_EQ(small[1], 0xFF332211u);
  GdipDisposeImage(image);
}

// --- BMP variants built by hand ------------------------------------------------------------

Bytes BmpV5TopDownWithAlpha() {
  Bytes b;
  auto u16 = [&](uint16_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); };
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i))); };
  b.push_back('B'), b.push_back('M');
  u32(14 + 124 + 16), u32(0), u32(14 + 124);
  u32(124), u32(2), u32(static_cast<uint32_t>(-2)), u16(1), u16(32), u32(3 /* bit fields */), u32(16);
  u32(2835), u32(2835), u32(0), u32(0);
  u32(0x00FF0000), u32(0x0000FF00), u32(0x000000FF), u32(0xFF000000);  // R, G, B, A masks
  u32(0x73524742);  // sRGB
  for (int i = 0; i < 9; ++i) u32(0);  // endpoints
  u32(0), u32(0), u32(0);  // gamma
  u32(4), u32(0), u32(0), u32(0);  // intent, profile, reserved
  for (uint32_t pixel : {0xFFFF0000u, 0x8000FF00u, 0x000000FFu, 0xFFFFFFFFu}) u32(pixel);
  return b;
}

Bytes BmpRle8() {
  Bytes b;
  auto u16 = [&](uint16_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); };
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i))); };
  Bytes runs = {3, 1, 0, 0, /* bottom row: 3 x index 1 */ 0, 3, 2, 1, 2, 0, /* literal 2 1 2 */ 0, 1};
  b.push_back('B'), b.push_back('M');
  u32(14 + 40 + 8 + uint32_t(runs.size())), u32(0), u32(14 + 40 + 8);
  u32(40), u32(3), u32(2), u16(1), u16(8), u32(1 /* RLE8 */), u32(uint32_t(runs.size())), u32(0), u32(0), u32(2), u32(0);
  u32(0x00000000), u32(0x00FFFFFF);  // black, white... index 2 is outside the palette
  b.insert(b.end(), runs.begin(), runs.end());
  return b;
}

TEST(Codecs, BmpVariants) {
  GpImage* image = nullptr;
  ASSERT_EQ(Load(BmpV5TopDownWithAlpha(), &image), Ok);
  PixelFormat format = 0;
  GdipGetImagePixelFormat(image, &format);
  EXPECT_EQ(format, PixelFormat32bppARGB);
  std::vector<ARGB> pixels = ReadArgb(image);
  EXPECT_EQ(pixels, (std::vector<ARGB>{0xFFFF0000u, 0x8000FF00u, 0x000000FFu, 0xFFFFFFFFu}));
  UINT flags = 0;
  GdipGetImageFlags(image, &flags);
  EXPECT_TRUE(flags & ImageFlagsHasRealDPI);
  REAL dpi = 0;
  GdipGetImageHorizontalResolution(image, &dpi);
  EXPECT_NEAR(dpi, 72.0, 0.1);
  GdipDisposeImage(image);

  ASSERT_EQ(Load(BmpRle8(), &image), Ok);
  pixels = ReadArgb(image);
  ASSERT_EQ(pixels.size(), 6u);
  EXPECT_EQ(pixels[0], 0xFF000000u);  // top row (stored second): 2 1 2
  EXPECT_EQ(pixels[1], 0xFFFFFFFFu);
  EXPECT_EQ(pixels[3], 0xFFFFFFFFu);  // bottom row: 1 1 1
  GdipDisposeImage(image);
}

// --- Damaged input -------------------------------------------------------------------------

TEST(Codecs, DamagedFilesGiveAStatus) {
  GpBitmap* bitmap = BitmapFromArgb(kPatternSize, kPatternSize, TestPattern());
  std::vector<Bytes> files;
  for (const CLSID& encoder : {EncoderClsidBMP, EncoderClsidPNG, EncoderClsidJPEG, EncoderClsidGIF, EncoderClsidTIFF}) {
    Bytes bytes;
    ASSERT_EQ(Save(bitmap, encoder, &bytes), Ok);
    files.push_back(bytes);
  }
  GdipDisposeImage(bitmap);
  files.push_back(IconWithTwoSizes());
  files.push_back(AnimatedGif());
  for (size_t f = 0; f < files.size(); ++f) {
    const Bytes& whole = files[f];
    for (size_t length : {size_t{8}, size_t{20}, whole.size() / 2}) {
      GpImage* image = nullptr;
      Bytes cut(whole.begin(), whole.begin() + std::min(length, whole.size()));
      GpStatus status = Load(cut, &image);
      // A partial animation may still show its complete frames; anything else must fail.
      if (status == Ok) {
        EXPECT_EQ(f, files.size() - 1) << "file " << f << " cut to " << length;
        GdipDisposeImage(image);
      } else {
        EXPECT_EQ(image, nullptr);
      }
    }
    // Headers claiming absurd sizes.
    Bytes huge = whole;
    for (size_t i = 12; i < std::min<size_t>(huge.size(), 40); ++i) huge[i] = 0x7F;
    GpImage* image = nullptr;
    if (Load(huge, &image) == Ok) GdipDisposeImage(image);
  }
  GpImage* image = nullptr;
  EXPECT_EQ(Load(Bytes{'h', 'e', 'l', 'l', 'o'}, &image), UnknownImageFormat);
  EXPECT_EQ(Load(Bytes{}, &image), UnknownImageFormat);
  EXPECT_EQ(GdipLoadImageFromFile(u"/nonexistent/folder/picture.png", &image), FileNotFound);
  EXPECT_EQ(image, nullptr);
}

// A GIF of one-pixel frames on a screen of the given size, written byte by byte.
Bytes GifOfPixelFrames(int screenSide, int frames) {
  const auto lo = [](int v) { return static_cast<uint8_t>(v & 0xFF); };
  const auto hi = [](int v) { return static_cast<uint8_t>(v >> 8); };
  Bytes gif = {'G', 'I', 'F', '8', '9', 'a', lo(screenSide), hi(screenSide), lo(screenSide), hi(screenSide),
               0x80, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF};
  for (int i = 0; i < frames; ++i) {
    const uint8_t frame[] = {0x21, 0xF9, 4, 0, 0, 0, 0, 0,          // control: no delay
                             0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0,       // a 1 x 1 image at 0, 0
                             2, 2, 0x44, 1, 0};                     // its LZW data
    gif.insert(gif.end(), std::begin(frame), std::end(frame));
  }
  gif.push_back(0x3B);
  return gif;
}

// An animation costs a full-screen frame per frame: a small file of tiny frames on a huge
// screen would take gigabytes, so it is refused before anything is allocated.
TEST(Codecs, AnimationLargerThanOneImageIsRefused) {
  GpImage* image = nullptr;
  EXPECT_EQ(Load(GifOfPixelFrames(16384, 4), &image), OutOfMemory);
  EXPECT_EQ(image, nullptr);

  ASSERT_EQ(Load(GifOfPixelFrames(4, 4), &image), Ok);
  UINT frames = 0;
  EXPECT_EQ(GdipImageGetFrameCount(image, &FrameDimensionTime, &frames), Ok);
  EXPECT_EQ(frames, 4u);
  GdipDisposeImage(image);
}

// --- Encoder list ----------------------------------------------------------------------------

TEST(Codecs, EncoderListNamesFiveEncodersWithMimeTypes) {
  UINT count = 0, size = 0;
  ASSERT_EQ(GdipGetImageEncodersSize(&count, &size), Ok);
  ASSERT_EQ(count, 5u);
  std::vector<uint8_t> block(size);
  auto* codecs = reinterpret_cast<ImageCodecInfo*>(block.data());
  EXPECT_EQ(GdipGetImageEncoders(count, size - 1, codecs), InvalidParameter);
  ASSERT_EQ(GdipGetImageEncoders(count, size, codecs), Ok);
  std::vector<std::u16string> mime;
  for (UINT i = 0; i < count; ++i) {
    mime.emplace_back(codecs[i].MimeType);
    EXPECT_TRUE(codecs[i].Flags & ImageCodecFlagsEncoder);
    EXPECT_GE(reinterpret_cast<const uint8_t*>(codecs[i].SigMask), block.data());
    EXPECT_LE(reinterpret_cast<const uint8_t*>(codecs[i].SigMask) + codecs[i].SigCount * codecs[i].SigSize,
              block.data() + size);
  }
  EXPECT_EQ(mime, (std::vector<std::u16string>{u"image/bmp", u"image/jpeg", u"image/gif", u"image/tiff", u"image/png"}));
  EXPECT_TRUE(codecs[4].Clsid == EncoderClsidPNG && codecs[4].FormatID == ImageFormatPNG);

  // No encoder behind an unknown class id: nothing is written.
  GpBitmap* bitmap = BitmapFromArgb(1, 1, {0xFF000000});
  Bytes bytes;
  CLSID none{};
  EXPECT_EQ(Save(bitmap, none, &bytes), UnknownImageFormat);
  EXPECT_TRUE(bytes.empty());
  GdipDisposeImage(bitmap);
}

}  // namespace
