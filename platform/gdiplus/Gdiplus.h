#pragma once

// The GDI+ flat functions the program calls: start-up, images and bitmaps decoded from files
// and streams, frames and properties, locked pixels and palettes, encoders, graphics over
// images, and image attributes. Every function returns a GpStatus and never throws.
//
// Objects are not thread-safe: one object is used by one thread at a time, as with the
// original interface. A pointer that is not a live object of the right kind gives
// InvalidParameter instead of undefined behaviour.

#include "platform/gdi/GdiTypes.h"
#include "platform/gdiplus/ComStream.h"
#include "platform/gdiplus/GdiplusTypes.h"

// Start and memory.
GpStatus GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);
void* GdipAlloc(size_t size);
void GdipFree(void* pointer);

// Images.
GpStatus GdipLoadImageFromFile(const WCHAR* fileName, GpImage** image);
GpStatus GdipLoadImageFromFileICM(const WCHAR* fileName, GpImage** image);
GpStatus GdipLoadImageFromStream(IStream* stream, GpImage** image);
GpStatus GdipLoadImageFromStreamICM(IStream* stream, GpImage** image);
GpStatus GdipCreateBitmapFromFile(const WCHAR* fileName, GpBitmap** bitmap);
GpStatus GdipCreateBitmapFromFileICM(const WCHAR* fileName, GpBitmap** bitmap);
GpStatus GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap);
GpStatus GdipCreateBitmapFromStreamICM(IStream* stream, GpBitmap** bitmap);
// With scan0 null the bitmap owns zeroed pixels (stride is then ignored); otherwise the pixels
// are copied from scan0 + row * stride (stride may be negative).
GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0,
                                   GpBitmap** bitmap);
// A 32bppRGB copy of a GDI bitmap's pixels (its alpha bytes are not kept).
GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP source, HPALETTE palette, GpBitmap** bitmap);
// A new top-down 32-bit DIB section holding the bitmap laid over the background colour.
GpStatus GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* result, ARGB background);
GpStatus GdipCloneImage(GpImage* image, GpImage** clone);
GpStatus GdipDisposeImage(GpImage* image);
GpStatus GdipGetImageType(GpImage* image, ImageType* type);
GpStatus GdipGetImageBounds(GpImage* image, GpRectF* bounds, GpUnit* unit);
GpStatus GdipGetImageFlags(GpImage* image, UINT* flags);
GpStatus GdipGetImageRawFormat(GpImage* image, GUID* format);
GpStatus GdipGetImageWidth(GpImage* image, UINT* width);
GpStatus GdipGetImageHeight(GpImage* image, UINT* height);
GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format);
GpStatus GdipGetImageHorizontalResolution(GpImage* image, REAL* resolution);
GpStatus GdipGetImageVerticalResolution(GpImage* image, REAL* resolution);
GpStatus GdipBitmapSetResolution(GpBitmap* bitmap, REAL xdpi, REAL ydpi);
GpStatus GdipGetImageThumbnail(GpImage* image, UINT width, UINT height, GpImage** thumbnail,
                               GetThumbnailImageAbort callback, void* callbackData);

// Frames: an animated GIF has the time dimension, a multi-page TIFF the page dimension, an
// icon the resolution dimension (one frame per size).
GpStatus GdipImageGetFrameDimensionsCount(GpImage* image, UINT* count);
GpStatus GdipImageGetFrameDimensionsList(GpImage* image, GUID* dimensions, UINT count);
GpStatus GdipImageGetFrameCount(GpImage* image, const GUID* dimension, UINT* count);
GpStatus GdipImageSelectActiveFrame(GpImage* image, const GUID* dimension, UINT index);

// Properties (EXIF tags of photos, frame delays and loop count of animations).
GpStatus GdipGetPropertyCount(GpImage* image, UINT* count);
GpStatus GdipGetPropertyIdList(GpImage* image, UINT count, PROPID* list);
GpStatus GdipGetPropertyItemSize(GpImage* image, PROPID id, UINT* size);
GpStatus GdipGetPropertyItem(GpImage* image, PROPID id, UINT size, PropertyItem* buffer);

// Pixels and palettes.
GpStatus GdipBitmapLockBits(GpBitmap* bitmap, const GpRect* rect, UINT flags, PixelFormat format,
                            BitmapData* lockedData);
GpStatus GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* lockedData);
GpStatus GdipGetImagePaletteSize(GpImage* image, INT* size);
GpStatus GdipGetImagePalette(GpImage* image, ColorPalette* palette, INT size);
GpStatus GdipSetImagePalette(GpImage* image, const ColorPalette* palette);

// Encoders and saving.
GpStatus GdipGetImageEncodersSize(UINT* count, UINT* size);
GpStatus GdipGetImageEncoders(UINT count, UINT size, ImageCodecInfo* encoders);
GpStatus GdipSaveImageToFile(GpImage* image, const WCHAR* fileName, const CLSID* encoder,
                             const EncoderParameters* parameters);
GpStatus GdipSaveImageToStream(GpImage* image, IStream* stream, const CLSID* encoder,
                               const EncoderParameters* parameters);

// Graphics.
// Graphics drawing into the pixels of a DC (the bitmap selected into a memory DC); the DC's
// pixels count as opaque, as GDI leaves their alpha bytes at 0.
GpStatus GdipCreateFromHDC(HDC dc, GpGraphics** graphics);
GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics);
GpStatus GdipDeleteGraphics(GpGraphics* graphics);
GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color);
GpStatus GdipSetPageUnit(GpGraphics* graphics, GpUnit unit);
GpStatus GdipGetPageUnit(GpGraphics* graphics, GpUnit* unit);
GpStatus GdipSaveGraphics(GpGraphics* graphics, GraphicsState* state);
GpStatus GdipRestoreGraphics(GpGraphics* graphics, GraphicsState state);
GpStatus GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode mode);
GpStatus GdipGetInterpolationMode(GpGraphics* graphics, InterpolationMode* mode);
GpStatus GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode);
GpStatus GdipGetSmoothingMode(GpGraphics* graphics, SmoothingMode* mode);
GpStatus GdipSetPixelOffsetMode(GpGraphics* graphics, PixelOffsetMode mode);
GpStatus GdipGetPixelOffsetMode(GpGraphics* graphics, PixelOffsetMode* mode);
GpStatus GdipDrawImageRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT width, INT height);
GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL destX, REAL destY, REAL destWidth,
                               REAL destHeight, REAL sourceX, REAL sourceY, REAL sourceWidth, REAL sourceHeight,
                               GpUnit sourceUnit, const GpImageAttributes* attributes, DrawImageAbort callback,
                               void* callbackData);
GpStatus GdipDrawImageRectRectI(GpGraphics* graphics, GpImage* image, INT destX, INT destY, INT destWidth,
                                INT destHeight, INT sourceX, INT sourceY, INT sourceWidth, INT sourceHeight,
                                GpUnit sourceUnit, const GpImageAttributes* attributes, DrawImageAbort callback,
                                void* callbackData);

// Image attributes.
GpStatus GdipCreateImageAttributes(GpImageAttributes** attributes);
GpStatus GdipDisposeImageAttributes(GpImageAttributes* attributes);
GpStatus GdipSetImageAttributesColorKeys(GpImageAttributes* attributes, ColorAdjustType type, BOOL enable,
                                         ARGB low, ARGB high);
GpStatus GdipSetImageAttributesColorMatrix(GpImageAttributes* attributes, ColorAdjustType type, BOOL enable,
                                           const ColorMatrix* matrix, const ColorMatrix* grayMatrix,
                                           ColorMatrixFlags flags);
