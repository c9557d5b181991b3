#include "program/imaging/GPImage.h"

#include <cmath>
#include <new>

#include "platform/kernel/Unicode.h"
#include "program/imaging/GPGraphics.h"
#include "program/imaging/GPStreams.h"

// ---- TGdiplusBase -----------------------------------------------------------------------

void* TGdiplusBase::operator new(size_t size) {
  void* memory = GdipAlloc(size);
  if (!memory) throw std::bad_alloc();
  return memory;
}

void TGdiplusBase::operator delete(void* pointer) { GdipFree(pointer); }

// ---- TGPImage ---------------------------------------------------------------------------

namespace {

const WCHAR* Wide(const WideString& text) { return reinterpret_cast<const WCHAR*>(text.c_str()); }

// Copies size bytes (0: all) from the stream's position into a new memory stream, rewound.
std::unique_ptr<TMemoryStream> CopyToMemory(TStream& stream, int64_t size) {
  auto memory = std::make_unique<TMemoryStream>();
  if (size <= 0) size = stream.Size() - stream.Position();
  if (size > 0) memory->CopyFrom(stream, size);
  memory->SetPosition(0);
  return memory;
}

}  // namespace

TGPImage::TGPImage(GpImage* nativeImage, Status status) : FNativeImage(nativeImage), FLastStatus(status) {}

TGPImage::~TGPImage() {
  FSourceData.reset();
  if (FNativeImage && FOwnsHandle) GdipDisposeImage(FNativeImage);
}

Status TGPImage::SetStatus(Status status) {
  if (status == Ok) return status;
  FLastStatus = status;
  RaiseGdiplusStatus(status);
}

TGPImage* TGPImage::FromNative(GpImage* nativeImage) {
  if (!nativeImage) return nullptr;
  ImageType type = ImageTypeUnknown;
  GdipGetImageType(nativeImage, &type);
  if (type == ImageTypeBitmap) return new TGPBitmap(static_cast<GpBitmap*>(nativeImage), Ok);
  if (type == ImageTypeMetafile) return new TGPMetafile(nativeImage, Ok);
  GdipDisposeImage(nativeImage);
  throw ArgumentException("InvalidImage");
}

TGPImage* TGPImage::FromFile(const WideString& fileName, bool useICM) {
  GpImage* native = nullptr;
  Status status = useICM ? GdipLoadImageFromFileICM(Wide(fileName), &native)
                         : GdipLoadImageFromFile(Wide(fileName), &native);
  CheckGdiplusStatus(status);
  std::unique_ptr<TGPImage> image(FromNative(native));
  image->KeepSourceFromFile(fileName);
  return image.release();
}

TGPImage* TGPImage::FromStream(IStream* stream, bool useICM) {
  GpImage* native = nullptr;
  Status status = useICM ? GdipLoadImageFromStreamICM(stream, &native) : GdipLoadImageFromStream(stream, &native);
  CheckGdiplusStatus(status);
  std::unique_ptr<TGPImage> image(FromNative(native));
  if (image->WantsSource()) {
    TOleStream source(stream);
    image->KeepSourceFromStream(source);
  }
  return image.release();
}

TGPImage* TGPImage::FromStream(TStream& stream, int64_t size, bool useICM) {
  std::unique_ptr<TMemoryStream> memory = CopyToMemory(stream, size);
  TMemoryStream& copy = *memory;
  TComRef<TGPStreamAdapter> adapter(new TGPStreamAdapter(memory.release(), soOwned));
  GpImage* native = nullptr;
  Status status = useICM ? GdipLoadImageFromStreamICM(adapter.get(), &native)
                         : GdipLoadImageFromStream(adapter.get(), &native);
  CheckGdiplusStatus(status);
  std::unique_ptr<TGPImage> image(FromNative(native));
  image->KeepSourceFromStream(copy);
  return image.release();
}

bool TGPImage::WantsSource() {
  GUID format = ImageFormatUndefined;
  if (!FNativeImage || GdipGetImageRawFormat(FNativeImage, &format) != Ok) return false;
  return format == ImageFormatGIF || format == ImageFormatWMF || format == ImageFormatEMF;
}

void TGPImage::KeepSourceFromFile(const WideString& fileName) {
  if (!WantsSource()) return;
  TFileStream file(platform::Utf16ToUtf8(fileName), fmOpenRead | fmShareDenyWrite);
  KeepSourceFromStream(file);
}

void TGPImage::KeepSourceFromStream(TStream& source) {
  if (!WantsSource()) return;
  const int64_t position = source.Position();
  FSourceData.reset();
  source.SetPosition(0);
  auto kept = std::make_unique<TMemoryStream>();
  kept->CopyFrom(source, source.Size());
  kept->SetPosition(0);
  FSourceData = std::move(kept);
  source.SetPosition(position);
}

bool TGPImage::WritesKeptBytes(const GUID& requestedFormat) {
  // Only bytes of the format asked for may be written back: GIF bytes saved as an icon would
  // give a file that lies about its content.
  return FSourceData && FSourceData->Size() > 0 && !IsNullGuid(requestedFormat) && requestedFormat == GetRawFormat();
}

void TGPImage::Save(const WideString& fileName, const TImageCodecInfo& codec,
                    const TEncoderParameterDynArray& parameters) {
  if (WritesKeptBytes(codec.Info.FormatID)) {
    FSourceData->SaveToFile(platform::Utf16ToUtf8(fileName));
    return;
  }
  TEncoderParametersBlock block = BuildEncoderParameters(parameters);
  SetStatus(GdipSaveImageToFile(FNativeImage, Wide(fileName), &codec.Info.Clsid, block.Get()));
}

void TGPImage::Save(TStream& stream, const TImageCodecInfo& codec, const TEncoderParameterDynArray& parameters) {
  if (WritesKeptBytes(codec.Info.FormatID)) {
    FSourceData->SaveToStream(stream);
    return;
  }
  TEncoderParametersBlock block = BuildEncoderParameters(parameters);
  TComRef<TStreamAdapter> adapter(new TStreamAdapter(&stream, soReference));
  SetStatus(GdipSaveImageToStream(FNativeImage, adapter.get(), &codec.Info.Clsid, block.Get()));
}

void TGPImage::SaveToFile(const WideString& fileName, const GUID& formatID,
                          const TEncoderParameterDynArray& parameters) {
  TImageCodecInfo codec;
  GetEncoderInfo(formatID, codec);
  if (WritesKeptBytes(formatID)) {
    FSourceData->SaveToFile(platform::Utf16ToUtf8(fileName));
    return;
  }
  Save(fileName, codec, parameters);
}

void TGPImage::SaveToStream(TStream& stream, const GUID& formatID, const TEncoderParameterDynArray& parameters) {
  TImageCodecInfo codec;
  GetEncoderInfo(formatID, codec);
  if (WritesKeptBytes(formatID)) {
    FSourceData->SaveToStream(stream);
    return;
  }
  Save(stream, codec, parameters);
}

UINT TGPImage::GetFlags() {
  UINT flags = 0;
  SetStatus(GdipGetImageFlags(FNativeImage, &flags));
  return flags;
}

GUID TGPImage::GetRawFormat() {
  GUID format = ImageFormatUndefined;
  SetStatus(GdipGetImageRawFormat(FNativeImage, &format));
  return format;
}

UINT TGPImage::GetWidth() {
  GpRectF bounds{};
  GpUnit unit = UnitPixel;
  SetStatus(GdipGetImageBounds(FNativeImage, &bounds, &unit));
  return static_cast<UINT>(std::lround(bounds.Width));
}

UINT TGPImage::GetHeight() {
  GpRectF bounds{};
  GpUnit unit = UnitPixel;
  SetStatus(GdipGetImageBounds(FNativeImage, &bounds, &unit));
  return static_cast<UINT>(std::lround(bounds.Height));
}

::PixelFormat TGPImage::GetPixelFormat() {
  ::PixelFormat format = PixelFormatUndefined;
  SetStatus(GdipGetImagePixelFormat(FNativeImage, &format));
  return format;
}

REAL TGPImage::GetHorizontalResolution() {
  REAL dpi = 0;
  SetStatus(GdipGetImageHorizontalResolution(FNativeImage, &dpi));
  return dpi;
}

REAL TGPImage::GetVerticalResolution() {
  REAL dpi = 0;
  SetStatus(GdipGetImageVerticalResolution(FNativeImage, &dpi));
  return dpi;
}

TGPImage* TGPImage::GetThumbnailImage(UINT width, UINT height, GetThumbnailImageAbort callback, void* callbackData) {
  GpImage* thumbnail = nullptr;
  if (GdipGetImageThumbnail(FNativeImage, width, height, &thumbnail, callback, callbackData) != Ok) {
    if (thumbnail) GdipDisposeImage(thumbnail);
    return nullptr;
  }
  return new TGPImage(thumbnail, FLastStatus);
}

UINT TGPImage::GetFrameDimensionsCount() {
  UINT count = 0;
  SetStatus(GdipImageGetFrameDimensionsCount(FNativeImage, &count));
  return count;
}

UINT TGPImage::GetFrameCount(const GUID& dimension) {
  UINT count = 0;
  SetStatus(GdipImageGetFrameCount(FNativeImage, &dimension, &count));
  return count;
}

void TGPImage::SelectActiveFrame(const GUID& dimension, UINT index) {
  SetStatus(GdipImageSelectActiveFrame(FNativeImage, &dimension, index));
}

// ---- TGPBitmap --------------------------------------------------------------------------

TGPBitmap::TGPBitmap(const WideString& fileName, bool useICM) {
  GpBitmap* native = nullptr;
  Status status = useICM ? GdipCreateBitmapFromFileICM(Wide(fileName), &native)
                         : GdipCreateBitmapFromFile(Wide(fileName), &native);
  CheckGdiplusStatus(status);
  FNativeImage = native;
  KeepSourceFromFile(fileName);
}

TGPBitmap::TGPBitmap(TStream& stream, bool useICM, int64_t size) {
  std::unique_ptr<TMemoryStream> memory = CopyToMemory(stream, size);
  TMemoryStream& copy = *memory;
  TComRef<TGPStreamAdapter> adapter(new TGPStreamAdapter(memory.release(), soOwned));
  GpBitmap* native = nullptr;
  Status status = useICM ? GdipCreateBitmapFromStreamICM(adapter.get(), &native)
                         : GdipCreateBitmapFromStream(adapter.get(), &native);
  CheckGdiplusStatus(status);
  FNativeImage = native;
  KeepSourceFromStream(copy);
}

TGPBitmap::TGPBitmap(int width, int height, ::PixelFormat format) {
  GpBitmap* native = nullptr;
  CheckGdiplusStatus(GdipCreateBitmapFromScan0(width, height, 0, format, nullptr, &native));
  FNativeImage = native;
}

TGPBitmap* TGPBitmap::CreateFromHBitmap(HBITMAP bitmap, HPALETTE palette) {
  GpBitmap* native = nullptr;
  CheckGdiplusStatus(GdipCreateBitmapFromHBITMAP(bitmap, palette, &native));
  return new TGPBitmap(native, Ok);
}

void TGPBitmap::MakeTransparent(ARGB color) {
  if (GetRawFormat() == ImageFormatIcon) throw InvalidOperationException("CantMakeIconTransparent");
  const int width = static_cast<int>(GetWidth()), height = static_cast<int>(GetHeight());
  std::unique_ptr<TGPBitmap> result(new TGPBitmap(width, height, PixelFormat32bppARGB));
  {
    TGPGraphics graphics(result.get());
    graphics.Clear(0x00FFFFFF);
    TGPImageAttributes attributes;
    attributes.SetColorKey(color, color);
    graphics.DrawImage(this, GpRect{0, 0, width, height}, 0, 0, width, height, UnitPixel, &attributes);
  }
  std::swap(FNativeImage, result->FNativeImage);
}

void TGPBitmap::LockBits(const GpRect& rect, UINT flags, ::PixelFormat format, BitmapData& data) {
  SetStatus(GdipBitmapLockBits(NativeBitmap(), &rect, flags, format, &data));
}

void TGPBitmap::UnlockBits(BitmapData& data) { SetStatus(GdipBitmapUnlockBits(NativeBitmap(), &data)); }

// ---- TGPLockedBits ----------------------------------------------------------------------

TGPLockedBits::TGPLockedBits(TGPBitmap& bitmap, const GpRect& rect, UINT flags, ::PixelFormat format)
    : m_bitmap(&bitmap) {
  bitmap.LockBits(rect, flags, format, m_data);
}

TGPLockedBits::~TGPLockedBits() {
  if (m_bitmap) GdipBitmapUnlockBits(m_bitmap->NativeBitmap(), &m_data);
}

void TGPLockedBits::Unlock() {
  TGPBitmap* bitmap = m_bitmap;
  m_bitmap = nullptr;
  if (bitmap) bitmap->UnlockBits(m_data);
}
