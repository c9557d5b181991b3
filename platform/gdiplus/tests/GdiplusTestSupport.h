#pragma once

// Helpers shared by the imaging layer's tests: start-up, bitmaps from known pixels, reading
// pixels back, and encoding/decoding through memory streams.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gdiplus/Gdiplus.h"

namespace gdiplus_test {

// GDI+ is started once for the whole test program.
class StartupEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    GdiplusStartupInput input;
    ASSERT_EQ(GdiplusStartup(&m_token, &input, nullptr), Ok);
  }
  void TearDown() override { GdiplusShutdown(m_token); }

 private:
  ULONG_PTR m_token = 0;
};

using Bytes = std::vector<uint8_t>;

inline GpBitmap* BitmapFromArgb(int width, int height, const std::vector<ARGB>& pixels,
                                PixelFormat format = PixelFormat32bppARGB) {
  GpBitmap* bitmap = nullptr;
  EXPECT_EQ(GdipCreateBitmapFromScan0(width, height, 0, format, nullptr, &bitmap), Ok);
  BitmapData data{};
  GpRect rect{0, 0, width, height};
  EXPECT_EQ(GdipBitmapLockBits(bitmap, &rect, ImageLockModeWrite, PixelFormat32bppARGB, &data), Ok);
  for (int y = 0; y < height; ++y)
    std::memcpy(static_cast<uint8_t*>(data.Scan0) + y * data.Stride, &pixels[size_t(y) * width], size_t(width) * 4);
  EXPECT_EQ(GdipBitmapUnlockBits(bitmap, &data), Ok);
  return bitmap;
}

inline std::vector<ARGB> ReadArgb(GpImage* image) {
  UINT width = 0, height = 0;
  GdipGetImageWidth(image, &width);
  GdipGetImageHeight(image, &height);
  std::vector<ARGB> pixels(size_t(width) * height);
  BitmapData data{};
  if (GdipBitmapLockBits(static_cast<GpBitmap*>(image), nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data) != Ok) {
    ADD_FAILURE() << "LockBits failed";
    return pixels;
  }
  for (UINT y = 0; y < height; ++y)
    std::memcpy(&pixels[size_t(y) * width], static_cast<uint8_t*>(data.Scan0) + y * data.Stride, size_t(width) * 4);
  GdipBitmapUnlockBits(static_cast<GpBitmap*>(image), &data);
  return pixels;
}

inline Bytes StreamBytes(IStream* stream) {
  Bytes bytes;
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  uint8_t buffer[4096];
  ULONG read = 0;
  while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &read)) && read > 0) bytes.insert(bytes.end(), buffer, buffer + read);
  return bytes;
}

inline GpStatus Save(GpImage* image, const CLSID& encoder, Bytes* out, const EncoderParameters* parameters = nullptr) {
  IStream* stream = platform::CreateMemoryStream();
  GpStatus status = GdipSaveImageToStream(image, stream, &encoder, parameters);
  *out = StreamBytes(stream);
  stream->Release();
  return status;
}

inline GpStatus Load(const Bytes& bytes, GpImage** image) {
  IStream* stream = platform::CreateMemoryStream(bytes.data(), bytes.size());
  GpStatus status = GdipLoadImageFromStream(stream, image);
  stream->Release();
  return status;
}

// Whether two colours differ by at most tolerance in every channel.
inline bool Near(ARGB a, ARGB b, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8)
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
  return true;
}

}  // namespace gdiplus_test
