#pragma once

// Shared by the imaging tests: GDI+ and the picture formats started once, images from known
// pixels, and small fixtures in every format (written with the codec libraries where GDI+
// has no encoder for them: animated GIFs, two-page TIFFs, EXIF blocks, icons, V5 bitmaps).

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <libexif/exif-data.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/kernel/Unicode.h"
#include "program/imaging/GPInit.h"
#include "program/imaging/GPPictures.h"

namespace imaging_test {

using Bytes = std::vector<uint8_t>;

class ImagingEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { InitImaging(); }
  void TearDown() override { DoneImaging(); }
};

inline std::filesystem::path TempPath(const std::string& name) {
  auto folder = std::filesystem::path(BRANTWELL_TEST_BIN_DIR) / "imaging-fixtures";
  std::filesystem::create_directories(folder);
  return folder / name;
}

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline WideString WidePath(const std::filesystem::path& path) { return platform::Utf8ToUtf16(path.string()); }

// A 32-bit ARGB bitmap holding the pixels, row after row.
inline TGPBitmap* BitmapFromArgb(int width, int height, const std::vector<ARGB>& pixels) {
  auto* bitmap = new TGPBitmap(width, height, PixelFormat32bppARGB);
  TGPLockedBits locked(*bitmap, GpRect{0, 0, width, height}, ImageLockModeWrite, PixelFormat32bppARGB);
  for (int y = 0; y < height; ++y)
    std::memcpy(locked.ScanLine(y), pixels.data() + static_cast<size_t>(y) * width, static_cast<size_t>(width) * 4);
  locked.Unlock();
  return bitmap;
}

inline std::vector<ARGB> ReadArgb(TGPImage* image) {
  const int width = static_cast<int>(image->GetWidth()), height = static_cast<int>(image->GetHeight());
  std::vector<ARGB> pixels(static_cast<size_t>(width) * height);
  BitmapData data{};
  GpRect rect{0, 0, width, height};
  CheckGdiplusStatus(GdipBitmapLockBits(static_cast<GpBitmap*>(image->NativeImage()), &rect, ImageLockModeRead,
                                        PixelFormat32bppARGB, &data));
  for (int y = 0; y < height; ++y)
    std::memcpy(pixels.data() + static_cast<size_t>(y) * width, GetScanLine(data, y), static_cast<size_t>(width) * 4);
  GdipBitmapUnlockBits(static_cast<GpBitmap*>(image->NativeImage()), &data);
  return pixels;
}

// 8x4: left half red, right half blue; the top-left pixel half transparent when asked.
inline std::vector<ARGB> Pattern(bool withAlpha = false) {
  std::vector<ARGB> pixels(32);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) pixels[static_cast<size_t>(y * 8 + x)] = x < 4 ? 0xFFFF0000u : 0xFF0000FFu;
  if (withAlpha) pixels[0] = 0x80FF0000u;
  return pixels;
}

inline Bytes Encode(TGPImage* image, const GUID& format, const TEncoderParameterDynArray& parameters = {}) {
  TMemoryStream memory;
  image->SaveToStream(memory, format, parameters);
  const auto* begin = static_cast<const uint8_t*>(memory.Memory());
  return Bytes(begin, begin + memory.Size());
}

inline Bytes PatternFile(const GUID& format, bool withAlpha = false) {
  std::unique_ptr<TGPBitmap> bitmap(BitmapFromArgb(8, 4, Pattern(withAlpha)));
  return Encode(bitmap.get(), format);
}

// --- animated GIF --------------------------------------------------------------------------

inline int GifWrite(GifFileType* gif, const GifByteType* data, int count) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + count);
  return count;
}

// Two 4x4 frames, red then green, with the given delays (hundredths of a second).
inline Bytes AnimatedGif(int delay0 = 20, int delay1 = 50) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, GifWrite, &error);
  GifColorType colours[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  ColorMapObject* map = GifMakeMapObject(4, colours);
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, 4, 4, 8, 0, map);
  auto frame = [&](int delay, GifByteType index) {
    GraphicsControlBlock control{};
    control.DelayTime = delay;
    control.DisposalMode = DISPOSE_DO_NOT;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(EGifGCBToExtension(&control, extension)),
                     extension);
    EGifPutImageDesc(gif, 0, 0, 4, 4, false, nullptr);
    std::vector<GifByteType> line(4, index);
    for (int y = 0; y < 4; ++y) EGifPutLine(gif, line.data(), 4);
  };
  frame(delay0, 0);
  frame(delay1, 1);
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

// --- two-page TIFF -------------------------------------------------------------------------

inline void WriteTwoPageTiff(const std::filesystem::path& path) {
  TIFF* tiff = TIFFOpen(path.string().c_str(), "w");
  const uint8_t colours[2][3] = {{200, 0, 50}, {0, 100, 50}};
  for (int page = 0; page < 2; ++page) {
    const int width = page == 0 ? 4 : 5;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 3);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tiff, TIFFTAG_PAGENUMBER, page, 2);
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    for (int x = 0; x < width; ++x) std::memcpy(&row[static_cast<size_t>(x) * 3], colours[page], 3);
    for (int y = 0; y < 3; ++y) TIFFWriteScanline(tiff, row.data(), static_cast<uint32_t>(y), 0);
    TIFFWriteDirectory(tiff);
  }
  TIFFClose(tiff);
}

// --- JPEG with an EXIF orientation -------------------------------------------------------

inline Bytes JpegWithOrientation(uint16_t orientation) {
  Bytes jpeg = PatternFile(ImageFormatJPEG);
  ExifData* exif = exif_data_new();
  exif_data_set_byte_order(exif, EXIF_BYTE_ORDER_INTEL);
  ExifEntry* entry = exif_entry_new();
  exif_content_add_entry(exif->ifd[EXIF_IFD_0], entry);
  exif_entry_initialize(entry, EXIF_TAG_ORIENTATION);
  exif_set_short(entry->data, EXIF_BYTE_ORDER_INTEL, orientation);
  unsigned char* block = nullptr;
  unsigned int size = 0;
  exif_data_save_data(exif, &block, &size);
  Bytes out(jpeg.begin(), jpeg.begin() + 2);
  out.push_back(0xFF), out.push_back(0xE1);
  out.push_back(static_cast<uint8_t>((size + 2) >> 8)), out.push_back(static_cast<uint8_t>(size + 2));
  out.insert(out.end(), block, block + size);
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  free(block);
  exif_entry_unref(entry);
  exif_data_unref(exif);
  return out;
}

// --- icon with two sizes and a V5 bitmap -------------------------------------------------

inline void PutU16(Bytes& b, uint16_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); }
inline void PutU32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// 16x16 and 32x32 32-bit entries of one colour each.
inline Bytes IconWithTwoSizes() {
  auto dib = [](int side, uint32_t bgra) {
    Bytes b;
    PutU32(b, 40), PutU32(b, uint32_t(side)), PutU32(b, uint32_t(side * 2)), PutU16(b, 1), PutU16(b, 32);
    for (int i = 0; i < 6; ++i) PutU32(b, 0);
    for (int i = 0; i < side * side; ++i) PutU32(b, bgra);
    for (int i = 0; i < side; ++i) PutU32(b, 0);  // AND mask rows (32 bits wide)
    return b;
  };
  Bytes small = dib(16, 0xFF112233), large = dib(32, 0xFF445566);
  Bytes icon;
  PutU16(icon, 0), PutU16(icon, 1), PutU16(icon, 2);
  const uint32_t offset = 6 + 32;
  icon.insert(icon.end(), {16, 16, 0, 0}), PutU16(icon, 1), PutU16(icon, 32), PutU32(icon, uint32_t(small.size())),
      PutU32(icon, offset);
  icon.insert(icon.end(), {32, 32, 0, 0}), PutU16(icon, 1), PutU16(icon, 32), PutU32(icon, uint32_t(large.size())),
      PutU32(icon, offset + uint32_t(small.size()));
  icon.insert(icon.end(), small.begin(), small.end());
  icon.insert(icon.end(), large.begin(), large.end());
  return icon;
}

// 2x2 top-down with bit-field masks and alpha: red, half green / blue transparent, white.
inline Bytes BmpV5WithAlpha() {
  Bytes b;
  b.push_back('B'), b.push_back('M');
  PutU32(b, 14 + 124 + 16), PutU32(b, 0), PutU32(b, 14 + 124);
  PutU32(b, 124), PutU32(b, 2), PutU32(b, static_cast<uint32_t>(-2)), PutU16(b, 1), PutU16(b, 32), PutU32(b, 3),
      PutU32(b, 16);
  PutU32(b, 2835), PutU32(b, 2835), PutU32(b, 0), PutU32(b, 0);
  PutU32(b, 0x00FF0000), PutU32(b, 0x0000FF00), PutU32(b, 0x000000FF), PutU32(b, 0xFF000000);
  PutU32(b, 0x73524742);
  for (int i = 0; i < 9 + 3; ++i) PutU32(b, 0);
  PutU32(b, 4), PutU32(b, 0), PutU32(b, 0), PutU32(b, 0);
  for (uint32_t pixel : {0xFFFF0000u, 0x8000FF00u, 0x000000FFu, 0xFFFFFFFFu}) PutU32(b, pixel);
  return b;
}

inline bool Near(ARGB a, ARGB b, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8)
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
  return true;
}

// For every whole 4 x 4 block of two images of the same size (pixels row after row): the
// largest difference of a colour channel between the blocks' mean colours. Dithering trades
// single pixels for the mean of their neighbourhood, so this is what the eye sees of it.
inline std::vector<double> BlockErrors(const std::vector<ARGB>& a, const std::vector<ARGB>& b, int width,
                                       int height) {
  std::vector<double> errors;
  EXPECT_EQ(a.size(), static_cast<size_t>(width) * height);
  EXPECT_EQ(b.size(), a.size());
  if (a.size() != b.size() || a.size() != static_cast<size_t>(width) * height) return errors;
  for (int by = 0; by + 4 <= height; by += 4)
    for (int bx = 0; bx + 4 <= width; bx += 4) {
      double worst = 0;
      for (int shift : {0, 8, 16}) {
        int sumA = 0, sumB = 0;
        for (int y = by; y < by + 4; ++y)
          for (int x = bx; x < bx + 4; ++x) {
            sumA += int((a[static_cast<size_t>(y * width + x)] >> shift) & 0xFF);
            sumB += int((b[static_cast<size_t>(y * width + x)] >> shift) & 0xFF);
          }
        worst = std::max(worst, std::abs(sumA - sumB) / 16.0);
      }
      errors.push_back(worst);
    }
  return errors;
}

inline bool StartsWith(const Bytes& bytes, std::initializer_list<uint8_t> magic) {
  return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}

}  // namespace imaging_test
