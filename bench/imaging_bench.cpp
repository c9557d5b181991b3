// JPEG decode to a thumbnail: a 1920x1080 photo decoded from memory and reduced to a 160x90
// thumbnail, as the photo view does for every picture it lists.

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "program/imaging/GPInit.h"
#include "program/imaging/GPPictures.h"

namespace {

TMemoryStream& PhotoJpeg() {
  static TMemoryStream* jpeg = [] {
    InitGdiplus();
    constexpr int width = 1920, height = 1080;
    std::unique_ptr<TGPBitmap> bitmap(new TGPBitmap(width, height, PixelFormat32bppARGB));
    BitmapData data{};
    bitmap->LockBits(GpRect{0, 0, width, height}, ImageLockModeWrite, PixelFormat32bppARGB, data);
    for (int y = 0; y < height; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(GetScanLine(data, y));
      for (int x = 0; x < width; ++x)
        row[x] = 0xFF000000u | (uint32_t(x * 255 / width) << 16) | (uint32_t(y * 255 / height) << 8) | ((x ^ y) & 0xFF);
    }
    bitmap->UnlockBits(data);
    auto* stream = new TMemoryStream;
    TGPEncoderParameters parameters;
    parameters.Add(EncoderQuality, 90);
    bitmap->SaveToStream(*stream, ImageFormatJPEG, parameters.Parameters);
    return stream;
  }();
  return *jpeg;
}

void BM_JpegDecodeToThumbnail(benchmark::State& state) {
  TMemoryStream& jpeg = PhotoJpeg();
  for (auto _ : state) {
    jpeg.SetPosition(0);
    TJPEGImage picture;
    picture.LoadFromStream(jpeg);
    std::unique_ptr<TBMPImage> thumbnail(picture.GetThumbnail(160, 90));
    benchmark::DoNotOptimize(thumbnail.get());
  }
  state.SetBytesProcessed(state.iterations() * jpeg.Size());
}
BENCHMARK(BM_JpegDecodeToThumbnail)->Unit(benchmark::kMillisecond);

}  // namespace
