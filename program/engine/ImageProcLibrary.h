#pragma once

// The image-processing engine's binding ("QM_ImageProc.dll"), bound by the first image
// object. The entry table is resolved here; the wrappers come with the image classes.

#include "program/engine/EngineLibrary.h"

class TImageProcLibrary : public TEngineLibrary {
 public:
  explicit TImageProcLibrary(AnsiString libraryName = "QM_ImageProc.dll");
  ~TImageProcLibrary() override = default;

  enum Entry : size_t {
    kDICreate, kDICreateIndirect, kDIDestroy, kDILoadImage, kDILoadImageFromResource, kDILoadImage32B, kDISave,
    kDISaveEx, kDISetContent, kDIGetBitmapInfo, kDIGetBits, kDIGetPitch, kDIGetBitCount, kDIGetWidth,
    kDIGetHeight, kDIGetBitmapInfoSize, kDIGetDataSize, kDIConvertFormat, kDICopyImage, kDIBltDraw,
    kDIAlphaBlend, kDIAlphaBlendEx, kDIImageResize, kDIImageResizeEx, kDIRotate, kDIRotateSmooth, kDIBltImage,
    kDIBltMask, kDIBltMaskEx, kDICreateThumbnail, kDICreateHBitmap, kDIFillColor32, kDIFillColor32Ex,
    kDIFillPatchColor32, kDIFillPatchColor32Ex, kDIImageAlphaResize, kDIImageAlphaResizeEx, kDIImageStretchMask,
    kDIImageStretchMaskEx, kDITransform, kDIMaskImage, kDIMergeImage, kEntryCount
  };
};
