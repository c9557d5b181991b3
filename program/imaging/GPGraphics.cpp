#include "program/imaging/GPGraphics.h"

// ---- TGPImageAttributes -----------------------------------------------------------------

TGPImageAttributes::TGPImageAttributes() { CheckGdiplusStatus(GdipCreateImageAttributes(&FNativeAttributes)); }

TGPImageAttributes::~TGPImageAttributes() {
  if (FNativeAttributes) GdipDisposeImageAttributes(FNativeAttributes);
}

Status TGPImageAttributes::SetStatus(Status status) {
  if (status == Ok) return status;
  FLastStatus = status;
  RaiseGdiplusStatus(status);
}

void TGPImageAttributes::SetColorKey(ARGB low, ARGB high, ColorAdjustType type) {
  SetStatus(GdipSetImageAttributesColorKeys(FNativeAttributes, type, TRUE, low, high));
}

void TGPImageAttributes::SetColorMatrix(const ColorMatrix& matrix, ColorAdjustType type) {
  SetStatus(GdipSetImageAttributesColorMatrix(FNativeAttributes, type, TRUE, &matrix, nullptr,
                                              ColorMatrixFlagsDefault));
}

// ---- TGPGraphics ------------------------------------------------------------------------

namespace {

GpImage* Native(TGPImage* image) { return image ? image->NativeImage() : nullptr; }
GpImageAttributes* Native(TGPImageAttributes* attributes) {
  return attributes ? attributes->NativeAttributes() : nullptr;
}

}  // namespace

TGPGraphics::TGPGraphics(HDC dc) { CheckGdiplusStatus(GdipCreateFromHDC(dc, &FNativeGraphics)); }

TGPGraphics::TGPGraphics(TGPImage* image) {
  if (image) CheckGdiplusStatus(GdipGetImageGraphicsContext(image->NativeImage(), &FNativeGraphics));
}

TGPGraphics::~TGPGraphics() {
  if (FNativeGraphics) GdipDeleteGraphics(FNativeGraphics);
}

Status TGPGraphics::SetStatus(Status status) {
  if (status == Ok) return status;
  FLastStatus = status;
  RaiseGdiplusStatus(status);
}

void TGPGraphics::Clear(ARGB color) { SetStatus(GdipGraphicsClear(FNativeGraphics, color)); }
void TGPGraphics::SetPageUnit(GpUnit unit) { SetStatus(GdipSetPageUnit(FNativeGraphics, unit)); }

GraphicsState TGPGraphics::Save() {
  GraphicsState state = 0;
  SetStatus(GdipSaveGraphics(FNativeGraphics, &state));
  return state;
}

void TGPGraphics::Restore(GraphicsState state) { SetStatus(GdipRestoreGraphics(FNativeGraphics, state)); }
void TGPGraphics::SetInterpolationMode(InterpolationMode mode) {
  SetStatus(GdipSetInterpolationMode(FNativeGraphics, mode));
}
void TGPGraphics::SetSmoothingMode(SmoothingMode mode) { SetStatus(GdipSetSmoothingMode(FNativeGraphics, mode)); }
void TGPGraphics::SetPixelOffsetMode(PixelOffsetMode mode) {
  SetStatus(GdipSetPixelOffsetMode(FNativeGraphics, mode));
}

void TGPGraphics::DrawImage(TGPImage* image, REAL x, REAL y, REAL width, REAL height) {
  SetStatus(GdipDrawImageRect(FNativeGraphics, Native(image), x, y, width, height));
}

void TGPGraphics::DrawImageRect(TGPImage* image, int x, int y, int width, int height) {
  SetStatus(GdipDrawImageRectI(FNativeGraphics, Native(image), x, y, width, height));
}

void TGPGraphics::DrawImage(TGPImage* image, const GpRect& dest, int sourceX, int sourceY, int sourceWidth,
                            int sourceHeight, GpUnit sourceUnit, TGPImageAttributes* attributes,
                            DrawImageAbort callback, void* callbackData) {
  SetStatus(GdipDrawImageRectRectI(FNativeGraphics, Native(image), dest.X, dest.Y, dest.Width, dest.Height, sourceX,
                                   sourceY, sourceWidth, sourceHeight, sourceUnit, Native(attributes), callback,
                                   callbackData));
}

void TGPGraphics::DrawImage(TGPImage* image, const GpRect& dest, const GpRect& source, GpUnit sourceUnit,
                            TGPImageAttributes* attributes, DrawImageAbort callback, void* callbackData) {
  DrawImage(image, dest, source.X, source.Y, source.Width, source.Height, sourceUnit, attributes, callback,
            callbackData);
}
