#pragma once

// Wrappers over GDI+ images. Every failing status raises the exception of its kind
// (GPExceptions.h) and stays in the object's LastStatus.
//
// An image decoded from a GIF, WMF or EMF file or stream keeps the bytes it was decoded
// from; saving it again in that same format writes those bytes unchanged instead of encoding
// anew (so an animated GIF keeps all its frames). Any other save is encoded by GDI+.
//
// Ownership: a wrapper disposes the native image it owns when it is destroyed; the kept
// bytes live as long as the wrapper. One thread at a time per object, as with GDI+ itself.

#include <memory>

#include "program/imaging/GDIPAPI.h"
#include "program/imaging/GPExceptions.h"
#include "vcl/Classes.h"

// Base of the wrappers: instances live in GDI+'s own heap (GdipAlloc/GdipFree).
class TGdiplusBase {
 public:
  virtual ~TGdiplusBase() = default;
  static void* operator new(size_t size);
  static void operator delete(void* pointer);
};

class TGPImage : public TGdiplusBase {
 public:
  // Wraps a native image, which it then owns.
  TGPImage(GpImage* nativeImage, Status status);
  ~TGPImage() override;
  TGPImage(const TGPImage&) = delete;
  TGPImage& operator=(const TGPImage&) = delete;

  // A TGPBitmap or TGPMetafile owning the native image; nullptr for nullptr. Any other image
  // type raises ArgumentException "InvalidImage" (and the native image is disposed).
  static TGPImage* FromNative(GpImage* nativeImage);
  static TGPImage* FromFile(const WideString& fileName, bool useICM = false);
  static TGPImage* FromStream(IStream* stream, bool useICM = false);
  // Decodes size bytes from the stream's position (0: up to its end) through a memory copy;
  // the stream's position ends after the copied bytes.
  static TGPImage* FromStream(TStream& stream, int64_t size = 0, bool useICM = false);

  // Saving: the encoder named by codec (a record of zeros: none). The kept source bytes are
  // written instead when the format asked for is the image's own raw format.
  void Save(const WideString& fileName, const TImageCodecInfo& codec, const TEncoderParameterDynArray& parameters);
  void Save(TStream& stream, const TImageCodecInfo& codec, const TEncoderParameterDynArray& parameters);
  void SaveToFile(const WideString& fileName, const GUID& formatID, const TEncoderParameterDynArray& parameters = {});
  void SaveToStream(TStream& stream, const GUID& formatID, const TEncoderParameterDynArray& parameters = {});

  UINT GetFlags();
  GUID GetRawFormat();
  // The bounds' width and height rounded to whole pixels.
  UINT GetWidth();
  UINT GetHeight();
  ::PixelFormat GetPixelFormat();
  REAL GetHorizontalResolution();
  REAL GetVerticalResolution();
  // A new image that the caller owns, or nullptr when GDI+ makes none.
  TGPImage* GetThumbnailImage(UINT width, UINT height, GetThumbnailImageAbort callback = nullptr,
                              void* callbackData = nullptr);
  UINT GetFrameDimensionsCount();
  UINT GetFrameCount(const GUID& dimension);
  void SelectActiveFrame(const GUID& dimension, UINT index);

  GpImage* NativeImage() const { return FNativeImage; }
  Status GetLastStatus() const { return FLastStatus; }
  // Ok comes back unchanged; any other status is stored and raised.
  Status SetStatus(Status status);
  // The kept source bytes (nullptr unless kept).
  TMemoryStream* SourceData() const { return FSourceData.get(); }

 protected:
  TGPImage() = default;
  // After a decode: keeps the source's bytes when the image is a GIF, WMF or EMF.
  void KeepSourceFromFile(const WideString& fileName);
  void KeepSourceFromStream(TStream& source);
  bool WantsSource();

  GpImage* FNativeImage = nullptr;
  bool FOwnsHandle = true;
  Status FLastStatus = Ok;
  std::unique_ptr<TMemoryStream> FSourceData;

 private:
  bool WritesKeptBytes(const GUID& requestedFormat);
  friend class TGPBitmap;
};

class TGPBitmap : public TGPImage {
 public:
  TGPBitmap(GpBitmap* nativeBitmap, Status status) : TGPImage(nativeBitmap, status) {}
  explicit TGPBitmap(const WideString& fileName, bool useICM = false);
  explicit TGPBitmap(TStream& stream, bool useICM = false, int64_t size = 0);
  // A blank bitmap in the given pixel format.
  TGPBitmap(int width, int height, ::PixelFormat format);
  static TGPBitmap* CreateFromHBitmap(HBITMAP bitmap, HPALETTE palette);

  GpBitmap* NativeBitmap() const { return static_cast<GpBitmap*>(FNativeImage); }
  // Pixels of exactly this colour become transparent (the image becomes 32-bit ARGB).
  // Icons raise InvalidOperationException "CantMakeIconTransparent".
  void MakeTransparent(ARGB color);
  void LockBits(const GpRect& rect, UINT flags, ::PixelFormat format, BitmapData& data);
  void UnlockBits(BitmapData& data);
};

// Keeps a rectangle of a bitmap locked for a scope and unlocks it on every way out. Unlock
// ends the lock early so that a failure to write the pixels back raises; the destructor
// cannot report one. The bitmap must outlive the lock.
class TGPLockedBits {
 public:
  TGPLockedBits(TGPBitmap& bitmap, const GpRect& rect, UINT flags, ::PixelFormat format);
  ~TGPLockedBits();
  TGPLockedBits(const TGPLockedBits&) = delete;
  TGPLockedBits& operator=(const TGPLockedBits&) = delete;

  const BitmapData& Data() const { return m_data; }
  // Row 0 is the top row of the locked rectangle.
  uint8_t* ScanLine(int row) const { return GetScanLine(m_data, row); }
  void Unlock();

 private:
  TGPBitmap* m_bitmap;
  BitmapData m_data{};
};

class TGPMetafile : public TGPImage {
 public:
  TGPMetafile(GpImage* nativeImage, Status status) : TGPImage(nativeImage, status) {}
};
