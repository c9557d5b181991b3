#pragma once

// The data-process engine's binding ("QM_DataProcess.dll"): per-clip picture settings on a
// processor placed over a video source. Every setter takes the processor first; a processor
// handle of 0 is passed on unchanged. Wrappers are silent: with the entry missing the setters
// do nothing, CreateVideoProcessor returns 0 and SaveSnapshot False.

#include "platform/kernel/WinTypes.h"
#include "program/engine/EngineLibrary.h"

// A rectangle as fractions (0.0 to 1.0) of the frame: the form of a watermark's place.
struct TUnitRect {
  float Left, Top, Right, Bottom;
};
static_assert(sizeof(TUnitRect) == 16);

class TDataProcessLibrary : public TEngineLibrary {
 public:
  explicit TDataProcessLibrary(AnsiString libraryName = "QM_DataProcess.dll");
  ~TDataProcessLibrary() override = default;

  // A processor over a video source (ordinal 1); every caller passes 0 and -1.0.
  TEngineHandle CreateVideoProcessor(TEngineHandle source, int32_t mode = 0, double start = -1.0) const;
  void DestroyVideoProcessor(TEngineHandle processor) const;
  // The crop rectangle in source pixels and the resize style (0..5); without the styled entry
  // (ordinal 23) the plain one (ordinal 5) gets the rectangle only.
  void SetCropRect(TEngineHandle processor, const RECT* rect, int32_t resizeStyle) const;
  // Saves the processor's current picture: format 1 JPEG, 0 BMP.
  bool SaveSnapshot(TEngineHandle processor, const char16_t* fileName, int32_t format, bool flag) const;
  void PCSetVideoBrightness(TEngineHandle processor, int32_t value) const;
  void PCSetContrast(TEngineHandle processor, int32_t value) const;
  void PCSetVideoSaturation(TEngineHandle processor, int32_t value) const;
  void PCSetExFilterFlag(TEngineHandle processor, int32_t flags) const;
  // Bit 0 horizontal, bit 1 vertical.
  void PCSetFlipFlag(TEngineHandle processor, int32_t flags) const;
  void PCSetVideoDeintelace(TEngineHandle processor, int32_t mode) const;
  // A subtitle style record and its opacity (0..100); null and 0 remove the subtitle picture.
  void PCSetUserSubPicture(TEngineHandle processor, const void* record, int32_t opacity) const;
  // A picture (its BITMAPINFO and bits) blended at `rect` with `opacity` (0..100); nulls and
  // 100 remove the watermark.
  void PCSetUserWatermarkImage(TEngineHandle processor, const void* bitmapInfo, const void* bits,
                               const TUnitRect* rect, int32_t opacity) const;

  enum Entry : size_t {
    kOrdinal1, kOrdinal2, kOrdinal3, kOrdinal4, kPCGetVideoInfo, kPCGetAudioInfo, kOrdinal5, kOrdinal23,
    kPCSetVideoBrightness, kPCSetContrast, kPCSetVideoSaturation, kOrdinal9, kOrdinal11, kPCSetWatermarkImage,
    kPCSetWatermarkSrcIDAlign, kPCSetUserWatermarkImage, kPCSetWatermarkImageAlign, kPCSetVolum, kOrdinal12,
    kPCSetExFilterFlag, kPCSetFlipFlag, kPCSetVideoDeintelace, kPCSetUserSubPicture, kEntryCount
  };
};
