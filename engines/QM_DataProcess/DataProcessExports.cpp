// Entry points of the data process engine. Every setter takes the processor handle first; a
// handle of 0, or one that is not a processor of this kind, makes the call do nothing.

#include <algorithm>
#include <cstring>
#include <iterator>

#include "engines/QM_DataProcess/DataProcessApi.h"
#include "engines/common/EngineGuard.h"
#include "engines/QM_DataProcess/Processors.h"
#include "engines/media/MediaLog.h"
#include "platform/kernel/Unicode.h"

using namespace dataprocess;
using engines::media::LogLine;
using engines::media::MediaSource;

namespace {

template <typename Change>
void UpdateVideo(const char* entry, EngineHandle processor, Change change) {
  engines::Guarded(entry, [&] {
    if (auto found = engines::Lookup<VideoProcessor>(processor)) found->Update(change);
  });
}

EngineHandle Create(const char* entry, EngineHandle source, bool video) {
  return engines::Guarded(entry, EngineHandle(0), [&]() -> EngineHandle {
    auto found = engines::Lookup<MediaSource>(source);
    if (!found || (video ? !found->HasVideo() : !found->HasAudio())) {
      if (source) LogLine(std::string("cannot create a processor: the handle is not an ") +
                          (video ? "video" : "audio") + " source");
      return 0;
    }
    if (video) return engines::RegisterObject(std::make_shared<VideoProcessor>(std::move(found)));
    return engines::RegisterObject(std::make_shared<AudioProcessor>(std::move(found)));
  });
}

template <typename Kind>
void Destroy(const char* entry, EngineHandle processor) {
  engines::Guarded(entry, [&] {
    if (engines::Lookup<Kind>(processor)) engines::UnregisterObject(processor);
  });
}

}  // namespace

ENGINE_API EngineHandle PCCreateVideoProcessor(EngineHandle source, int32_t, double) { return Create(__func__, source, true); }
ENGINE_API void PCDestroyVideoProcessor(EngineHandle processor) { Destroy<VideoProcessor>(__func__, processor); }
ENGINE_API EngineHandle PCCreateAudioProcessor(EngineHandle source, int32_t, double) { return Create(__func__, source, false); }
ENGINE_API void PCDestroyAudioProcessor(EngineHandle processor) { Destroy<AudioProcessor>(__func__, processor); }

ENGINE_API void PCSetCropRectEx(EngineHandle processor, const RECT* rect, int32_t style) {
  Crop crop;
  if (rect) crop = {rect->left, rect->top, rect->right, rect->bottom};
  UpdateVideo(__func__, processor, [&](PictureSettings& s) {
    s.crop = crop;
    if (style >= 0 && style <= 5) s.style = engines::media::ResizeStyle(style);
  });
}
ENGINE_API void PCSetCropRect(EngineHandle processor, const RECT* rect) {
  Crop crop;
  if (rect) crop = {rect->left, rect->top, rect->right, rect->bottom};
  UpdateVideo(__func__, processor, [&](PictureSettings& s) { s.crop = crop; });
}

ENGINE_API int32_t PCGetCropRect(EngineHandle processor, RECT* rect) {
  return engines::Guarded(__func__, int32_t(0), [&]() -> int32_t {
    auto found = engines::Lookup<VideoProcessor>(processor);
    if (!found || !rect) return 0;
    const Crop crop = found->Settings().crop;
    *rect = RECT{crop.left, crop.top, crop.right, crop.bottom};
    return 1;
  });
}
ENGINE_API void PCSetVideoBrightness(EngineHandle processor, int32_t value) {
  UpdateVideo(__func__, processor, [&](PictureSettings& s) { s.brightness = std::clamp(value, -100, 100); });
}
ENGINE_API void PCSetContrast(EngineHandle processor, int32_t value) {
  UpdateVideo(__func__, processor, [&](PictureSettings& s) { s.contrast = std::clamp(value, -100, 100); });
}
ENGINE_API void PCSetVideoSaturation(EngineHandle processor, int32_t value) {
  UpdateVideo(__func__, processor, [&](PictureSettings& s) { s.saturation = std::clamp(value, -100, 100); });
}
ENGINE_API void PCSetExFilterFlag(EngineHandle processor, int32_t flags) {
  UpdateVideo(__func__, processor, [&](PictureSettings& s) { s.effects = flags; });
}
ENGINE_API void PCSetFlipFlag(EngineHandle processor, int32_t flags) {
  UpdateVideo(__func__, processor, [&](PictureSettings& s) { s.flip = flags & 3; });
}
ENGINE_API void PCSetVideoDeintelace(EngineHandle processor, int32_t mode) {
  UpdateVideo(__func__, processor, [&](PictureSettings& s) { s.deinterlace = mode; });
}

ENGINE_API void PCSetUserWatermarkImage(EngineHandle processor, const void* bitmapInfo, const void* bits,
                                        const TUnitRect* rect, int32_t opacity) {
  Watermark mark;
  try {
    if (bitmapInfo && bits && rect) {
      BitmapInfoHeader header;
      std::memcpy(&header, bitmapInfo, sizeof(header));
      const int width = header.biWidth, height = std::abs(header.biHeight);
      const bool topDown = header.biHeight < 0;
      if (header.biCompression == 0 && (header.biBitCount == 32 || header.biBitCount == 24) && width > 0 &&
          height > 0 && width <= 8192 && height <= 8192) {
        const size_t stride = ((size_t(width) * header.biBitCount + 31) / 32) * 4;
        const auto* source = static_cast<const uint8_t*>(bits);
        mark.width = width;
        mark.height = height;
        mark.pixels.resize(size_t(width) * height * 4);
        bool anyAlpha = false;
        for (int y = 0; y < height; ++y) {
          const uint8_t* row = source + stride * size_t(topDown ? y : height - 1 - y);
          for (int x = 0; x < width; ++x) {
            uint8_t* d = &mark.pixels[(size_t(y) * width + x) * 4];
            const uint8_t* s = row + x * (header.biBitCount / 8);
            d[0] = s[0], d[1] = s[1], d[2] = s[2];
            d[3] = header.biBitCount == 32 ? s[3] : 255;
            anyAlpha |= d[3] != 0;
          }
        }
        // A 32-bit picture whose alpha bytes are all 0 (as GDI leaves them) is opaque.
        if (!anyAlpha) for (size_t i = 3; i < mark.pixels.size(); i += 4) mark.pixels[i] = 255;
        mark.left = rect->left, mark.top = rect->top, mark.right = rect->right, mark.bottom = rect->bottom;
        mark.opacity = std::clamp(opacity, 0, 100);
      } else {
        LogLine("watermark picture refused: only uncompressed 24- and 32-bit pictures are taken");
      }
    }
  } catch (...) {
    LogLine("watermark picture refused");
    mark = {};
  }
  UpdateVideo(__func__, processor, [&](PictureSettings& s) { s.watermark = std::move(mark); });
}

ENGINE_API void PCSetUserSubPicture(EngineHandle processor, const void* record, int32_t opacity) {
  SubtitleStyle style;
  try {
    if (record) {
      TSubtitleStyleRecord rec;
      std::memcpy(&rec, record, sizeof rec);
      style.shown = true;
      style.streamId = rec.streamId;
      style.ownStyle = rec.ownStyle != 0;
      if (!style.ownStyle) {
        size_t length = 0;
        while (length < std::size(rec.fontName) && rec.fontName[length]) ++length;
        style.font = platform::Utf16ToUtf8(std::u16string(rec.fontName, length));
        style.size = std::clamp(rec.fontSize, 1, 500);
        style.flags = rec.styleFlags;
        style.colour = rec.colour & 0xFFFFFF;
        style.left = std::max(0, rec.left);
        style.top = std::max(0, rec.top);
      }
      style.opacity = std::clamp(opacity, 0, 100);
    }
  } catch (...) {
    LogLine("subtitle style refused");
    style = {};
  }
  UpdateVideo(__func__, processor, [&](PictureSettings& s) { s.subtitles = style; });
}

ENGINE_API void PCSetVolum(EngineHandle processor, int32_t percent) {
  engines::Guarded("PCSetVolum", [&] {
    if (auto found = engines::Lookup<AudioProcessor>(processor)) found->SetVolume(percent);
  });
}

ENGINE_API int32_t PCSaveSnapshot(EngineHandle processor, const char16_t* fileName, int32_t format, int32_t) {
  return engines::Guarded("PCSaveSnapshot", static_cast<int32_t>(0), [&]() -> int32_t {
    auto found = engines::Lookup<VideoProcessor>(processor);
    const std::string path = platform::Utf16ToUtf8(engines::ReadText(fileName));
    return found && !path.empty() && found->SaveSnapshot(path, format == 1) ? 1 : 0;
  });
}

ENGINE_API const engines::media::TVideoInfo* PCGetVideoInfo(EngineHandle processor) {
  return engines::Guarded("PCGetVideoInfo", static_cast<const engines::media::TVideoInfo*>(nullptr), [&]() -> const engines::media::TVideoInfo* {
    auto found = engines::Lookup<VideoProcessor>(processor);
    return found ? found->VideoInfo() : nullptr;
  });
}
ENGINE_API const engines::media::TAudioInfo* PCGetAudioInfo(EngineHandle processor) {
  return engines::Guarded("PCGetAudioInfo", static_cast<const engines::media::TAudioInfo*>(nullptr), [&]() -> const engines::media::TAudioInfo* {
    auto found = engines::Lookup<AudioProcessor>(processor);
    return found ? found->AudioInfo() : nullptr;
  });
}

// The program binds these by ordinal.
ENGINE_API EngineHandle ordinal_1(EngineHandle source, int32_t mode, double start) {
  return PCCreateVideoProcessor(source, mode, start);
}
ENGINE_API void ordinal_2(EngineHandle processor) { PCDestroyVideoProcessor(processor); }
ENGINE_API EngineHandle ordinal_3(EngineHandle source, int32_t mode, double start) {
  return PCCreateAudioProcessor(source, mode, start);
}
ENGINE_API void ordinal_4(EngineHandle processor) { PCDestroyAudioProcessor(processor); }
ENGINE_API void ordinal_5(EngineHandle processor, const RECT* rect) { PCSetCropRect(processor, rect); }
ENGINE_API int32_t ordinal_12(EngineHandle processor, const char16_t* fileName, int32_t format, int32_t flag) {
  return PCSaveSnapshot(processor, fileName, format, flag);
}
ENGINE_API void ordinal_23(EngineHandle processor, const RECT* rect, int32_t style) {
  PCSetCropRectEx(processor, rect, style);
}
ENGINE_API void MediaSetLogHook(engines::media::LogHook hook) { engines::media::SetLogHook(hook); }
