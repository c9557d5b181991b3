#pragma once

// The image engine's binding ("QM_ImageProc.dll"), bound by the first image object. An image
// is an engine handle; every entry but DICreate takes it first. File names are zero-terminated
// UTF-16. Wrappers return the neutral value of their family when the entry is missing: 0 for
// handles, results and sizes, null for the header and the bits; DIDestroy does nothing.
//
// The program also imports DICreate, DIDestroy, DILoadImage, DIGetBitmapInfo and DIGetBits at
// link time; the run-time load then finds the library already in the process, so both ways
// reach the same images.

#include "platform/gdi/GdiTypes.h"
#include "program/engine/EngineLibrary.h"

class TImageProcLibrary : public TEngineLibrary {
 public:
  explicit TImageProcLibrary(AnsiString libraryName = "QM_ImageProc.dll");
  ~TImageProcLibrary() override = default;

  // A new empty image.
  TEngineHandle DICreate() const;
  void DIDestroy(TEngineHandle image) const;
  // Not 0 when the picture file was decoded into the image (as 32 bits per pixel either way).
  int32_t DILoadImage(TEngineHandle image, const char16_t* fileName) const;
  int32_t DILoadImage32B(TEngineHandle image, const char16_t* fileName) const;
  // The image's header and pixel bits, valid until the image changes; null while it is empty.
  BITMAPINFO* DIGetBitmapInfo(TEngineHandle image) const;
  void* DIGetBits(TEngineHandle image) const;
  int32_t DIGetWidth(TEngineHandle image) const;
  int32_t DIGetHeight(TEngineHandle image) const;
  // Not 0 when `destination` became a copy of `source`.
  int32_t DICopyImage(TEngineHandle destination, TEngineHandle source) const;

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
