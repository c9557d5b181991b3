// Thumbnails of the photo view: 200 generated 1920 x 1080 JPEG files, each loaded from disk and
// drawn into a 120 x 120 thumbnail (border and all) the way the thumbnail thread builds them.
// The goal is below 5 ms a photo; the reported time is per photo.

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/gdi/Objects.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/Unicode.h"
#include "program/controls/PhotoItems.h"
#include "program/imaging/GPInit.h"
#include "program/imaging/GPPictures.h"

namespace {

constexpr int kPhotos = 200;

// The photos, written once into a folder of their own (each a little different).
const std::vector<std::filesystem::path>& Photos() {
  static const std::vector<std::filesystem::path> photos = [] {
    InitImaging();
    const auto folder = std::filesystem::temp_directory_path() / ("brantwell-photos-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::vector<std::filesystem::path> paths;
    constexpr int width = 1920, height = 1080;
    for (int i = 0; i < kPhotos; ++i) {
      std::unique_ptr<TGPBitmap> bitmap(new TGPBitmap(width, height, PixelFormat32bppARGB));
      BitmapData data{};
      bitmap->LockBits(GpRect{0, 0, width, height}, ImageLockModeWrite, PixelFormat32bppARGB, data);
      for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(GetScanLine(data, y));
        for (int x = 0; x < width; ++x)
          row[x] = 0xFF000000u | (uint32_t((x + i * 7) * 255 / width % 256) << 16) | (uint32_t(y * 255 / height) << 8) |
                   ((x ^ y ^ i) & 0xFF);
      }
      bitmap->UnlockBits(data);
      TMemoryStream stream;
      TGPEncoderParameters parameters;
      parameters.Add(EncoderQuality, 90);
      bitmap->SaveToStream(stream, ImageFormatJPEG, parameters.Parameters);
      paths.push_back(folder / ("photo" + std::to_string(i) + ".jpg"));
      stream.SaveToFile(AnsiString(paths.back().string()));
    }
    return paths;
  }();
  return photos;
}

void BM_PhotoThumbnails120(benchmark::State& state) {
  const auto& photos = Photos();
  TThumbRequest request;
  request.Width = request.Height = 122;  // 120 x 120 inside the border
  request.BorderColor = static_cast<TColor>(0xEED4CA);
  BITMAPINFO info = platform::TopDownBitmapInfo32(request.Width, request.Height);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  double totalMs = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    for (const auto& photo : photos) {
      request.FileName = platform::Utf8ToUtf16(photo.string());
      TThumbResult result = BuildThumbnail(request, bitmap);
      benchmark::DoNotOptimize(result.Pixels.data());
      if (!result.Drawn) state.SkipWithError("a photo was not drawn");
    }
    totalMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  DeleteObject(bitmap);
  state.SetItemsProcessed(state.iterations() * kPhotos);
  state.counters["ms_per_photo"] = totalMs / static_cast<double>(state.iterations() * kPhotos);
  state.counters["goal_ms"] = 5.0;
}
BENCHMARK(BM_PhotoThumbnails120)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
