#pragma once

// The C API of the data process engine (QM_DataProcess.so): video processors (crop and resize
// style, brightness, contrast, saturation, effects, flips, deinterlacing, watermark) and audio
// processors (volume) over any source handle; each processor is itself a source handle.
// Ordinals: 1 create video, 2 destroy video, 3 create audio, 4 destroy audio, 5 crop, 12
// snapshot, 23 crop with resize style. Value ranges: engines/QM_DataProcess/PictureSettings.h.

#include <cstddef>
#include <cstdint>

#include "engines/common/EngineApi.h"
#include "engines/common/EngineHandles.h"
#include "engines/media/MediaLog.h"
#include "engines/media/MediaRecords.h"
#include "platform/kernel/WinTypes.h"

using engines::EngineHandle;

// A rectangle as fractions of the frame.
struct TUnitRect {
  float left, top, right, bottom;
};
static_assert(sizeof(TUnitRect) == 16);

// The 40-byte header at the start of a BITMAPINFO.
// How the subtitles of a clip are shown (320 bytes, as the clip editor fills it).
struct TSubtitleStyleRecord {
  int32_t streamId;      // the subtitle stream (stream identifier of the file information)
  int32_t ownStyle;      // -1: the stream's own style (the fields below are zero); 0: these
  char16_t fontName[128];  // UTF-16, NUL-terminated
  int32_t fontSize;      // points
  int32_t styleFlags;    // bold 1, italic 2, underline 4, strike-out 8
  uint32_t colour;       // COLORREF: red in the low byte
  uint8_t reserved[36];
  int32_t left, top;     // the text's top left corner, source pixels
};
static_assert(sizeof(TSubtitleStyleRecord) == 320);
static_assert(offsetof(TSubtitleStyleRecord, fontSize) == 264);
static_assert(offsetof(TSubtitleStyleRecord, left) == 312);

struct BitmapInfoHeader {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;  // negative: top-down
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

ENGINE_API EngineHandle PCCreateVideoProcessor(EngineHandle source, int32_t mode, double start);
ENGINE_API void PCDestroyVideoProcessor(EngineHandle processor);
ENGINE_API EngineHandle PCCreateAudioProcessor(EngineHandle source, int32_t mode, double start);
ENGINE_API void PCDestroyAudioProcessor(EngineHandle processor);
// Crop rectangle in source pixels (all 0: none; a right or bottom of 0: to the edge); the
// resize style (0..5, engines::media::ResizeStyle) says how the result fills the output frame.
ENGINE_API void PCSetCropRect(EngineHandle processor, const RECT* rect);
ENGINE_API void PCSetCropRectEx(EngineHandle processor, const RECT* rect, int32_t style);
// The crop rectangle as set (all 0: none). 1 on success, 0 for a handle that is no video processor.
ENGINE_API int32_t PCGetCropRect(EngineHandle processor, RECT* rect);
ENGINE_API void PCSetVideoBrightness(EngineHandle processor, int32_t value);
ENGINE_API void PCSetContrast(EngineHandle processor, int32_t value);
ENGINE_API void PCSetVideoSaturation(EngineHandle processor, int32_t value);
ENGINE_API void PCSetExFilterFlag(EngineHandle processor, int32_t flags);
ENGINE_API void PCSetFlipFlag(EngineHandle processor, int32_t flags);
ENGINE_API void PCSetVideoDeintelace(EngineHandle processor, int32_t mode);
// A 24- or 32-bit uncompressed picture blended at `rect` with `opacity` percent; null
// pointers remove the watermark. The picture is copied.
ENGINE_API void PCSetUserWatermarkImage(EngineHandle processor, const void* bitmapInfo, const void* bits,
                                        const TUnitRect* rect, int32_t opacity);
// `record` is a TSubtitleStyleRecord (nil removes the subtitles); opacity 0..100.
ENGINE_API void PCSetUserSubPicture(EngineHandle processor, const void* record, int32_t opacity);
ENGINE_API void PCSetVolum(EngineHandle processor, int32_t percent);  // 0..200
// Saves the last picture the processor delivered: format 1 JPEG, 0 BMP. 1 on success.
ENGINE_API int32_t PCSaveSnapshot(EngineHandle processor, const char16_t* fileName, int32_t format, int32_t flag);
ENGINE_API const engines::media::TVideoInfo* PCGetVideoInfo(EngineHandle processor);
ENGINE_API const engines::media::TAudioInfo* PCGetAudioInfo(EngineHandle processor);
ENGINE_API void MediaSetLogHook(engines::media::LogHook hook);
