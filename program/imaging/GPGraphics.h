#pragma once

// Wrappers over GDI+ graphics (drawing into a device context or an image) and image
// attributes (colour keys and colour matrices). Failing statuses raise (GPExceptions.h).
// One thread at a time per object.

#include "program/imaging/GPImage.h"

class TGPImageAttributes : public TGdiplusBase {
 public:
  TGPImageAttributes();
  ~TGPImageAttributes() override;
  TGPImageAttributes(const TGPImageAttributes&) = delete;
  TGPImageAttributes& operator=(const TGPImageAttributes&) = delete;

  GpImageAttributes* NativeAttributes() const { return FNativeAttributes; }
  Status GetLastStatus() const { return FLastStatus; }
  Status SetStatus(Status status);
  void SetColorKey(ARGB low, ARGB high, ColorAdjustType type = ColorAdjustTypeDefault);
  void SetColorMatrix(const ColorMatrix& matrix, ColorAdjustType type = ColorAdjustTypeDefault);

 private:
  GpImageAttributes* FNativeAttributes = nullptr;
  Status FLastStatus = Ok;
};

class TGPGraphics : public TGdiplusBase {
 public:
  explicit TGPGraphics(HDC dc);
  // nullptr gives a graphics without a handle.
  explicit TGPGraphics(TGPImage* image);
  ~TGPGraphics() override;
  TGPGraphics(const TGPGraphics&) = delete;
  TGPGraphics& operator=(const TGPGraphics&) = delete;
  static TGPGraphics* FromHDC(HDC dc) { return new TGPGraphics(dc); }
  static TGPGraphics* FromImage(TGPImage* image) { return new TGPGraphics(image); }

  GpGraphics* NativeGraphics() const { return FNativeGraphics; }
  Status GetLastStatus() const { return FLastStatus; }
  Status SetStatus(Status status);

  void Clear(ARGB color);
  void SetPageUnit(GpUnit unit);
  GraphicsState Save();
  void Restore(GraphicsState state);
  void SetInterpolationMode(InterpolationMode mode);
  void SetSmoothingMode(SmoothingMode mode);
  void SetPixelOffsetMode(PixelOffsetMode mode);

  void DrawImage(TGPImage* image, REAL x, REAL y, REAL width, REAL height);
  void DrawImageRect(TGPImage* image, int x, int y, int width, int height);
  void DrawImage(TGPImage* image, const GpRect& dest, int sourceX, int sourceY, int sourceWidth, int sourceHeight,
                 GpUnit sourceUnit, TGPImageAttributes* attributes = nullptr, DrawImageAbort callback = nullptr,
                 void* callbackData = nullptr);
  void DrawImage(TGPImage* image, const GpRect& dest, const GpRect& source, GpUnit sourceUnit,
                 TGPImageAttributes* attributes = nullptr, DrawImageAbort callback = nullptr,
                 void* callbackData = nullptr);

 private:
  GpGraphics* FNativeGraphics = nullptr;
  Status FLastStatus = Ok;
};
