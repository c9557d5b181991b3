#include "program/imaging/GPGraphic.h"

#include <cmath>

#include "platform/gdi/DC.h"
#include "platform/kernel/SysInfo.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/Resources.h"
#include "program/imaging/GPPictures.h"
#include "program/imaging/Quantize.h"
#include "vcl/GraphicsObject.h"

// ---- pixel formats ----------------------------------------------------------------------

TPixelFormat GPPixelFormatToPixelFormat(::PixelFormat format) {
  switch (format) {
    case PixelFormat1bppIndexed: return pf1bit;
    case PixelFormat4bppIndexed: return pf4bit;
    case PixelFormat8bppIndexed: return pf8bit;
    case PixelFormat16bppRGB555:
    case PixelFormat16bppRGB565:
    case PixelFormat16bppARGB1555:
    case PixelFormat16bppGrayScale: return pf16bit;
    case PixelFormat24bppRGB: return pf24bit;
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB: return pf32bit;
    default: return pfCustom;
  }
}

::PixelFormat PixelFormatToGPPixelFormat(TPixelFormat format) {
  switch (format) {
    case pf1bit: return PixelFormat1bppIndexed;
    case pf4bit: return PixelFormat4bppIndexed;
    case pf8bit: return PixelFormat8bppIndexed;
    case pf15bit:
    case pf16bit: return PixelFormat16bppRGB555;
    case pf24bit: return PixelFormat24bppRGB;
    case pf32bit: return PixelFormat32bppARGB;
    case pfCustom: return PixelFormat48bppRGB;
    default: return PixelFormatUndefined;
  }
}

namespace imaging::detail {

TSize DisplaySize(UINT flags, int pixelWidth, int pixelHeight, REAL dpiX, REAL dpiY, int screenDpi) {
  TSize size;
  size.cx = pixelWidth;
  size.cy = pixelHeight;
  if (flags & ImageFlagsHasRealPixelSize) return size;
  if (flags & ImageFlagsHasRealDPI) {
    const long resolutionX = std::lround(dpiX), resolutionY = std::lround(dpiY);
    // A resolution that rounds to nothing says nothing about the size: keep the pixels.
    if (resolutionX > 0 && resolutionY > 0 && screenDpi > 0) {
      size.cx = MulDiv(pixelWidth, screenDpi, static_cast<int>(resolutionX));
      size.cy = MulDiv(pixelHeight, screenDpi, static_cast<int>(resolutionY));
    }
  }
  return size;
}

}  // namespace imaging::detail

// ---- TGPGraphic -------------------------------------------------------------------------

namespace {

WideString Wide(const AnsiString& text) { return platform::Utf8ToUtf16(text); }

int ScreenDpi() {
  HDC dc = CreateCompatibleDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) DeleteDC(dc);
  return dpi > 0 ? dpi : 96;
}

bool IsSaverFormat(const GUID& format) {
  return format == ImageFormatJPEG || format == ImageFormatPNG || format == ImageFormatGIF ||
         format == ImageFormatTIFF || format == ImageFormatBMP || format == ImageFormatIcon;
}

const char kFrameChangedTag = 0;

}  // namespace

const void* TGPGraphic::FrameChangedCode() { return &kFrameChangedTag; }

TGPGraphic::TGPGraphic() : FImageData(new TGPImageData) { FImageData->Reference(); }

TGPGraphic::~TGPGraphic() {
  // The animation stops without a change notification: nobody should hear from a picture
  // that is going away.
  if (FAnimate && FImageData->Image) {
    FImageData->Animator = nullptr;
    TGPImageAnimator::StopAnimate(FImageData->Image.get(), FrameChangedCode());
  }
  FAnimate = false;
  FImageData->Release();
}

void TGPGraphic::NewImageData() {
  auto* data = new TGPImageData;
  data->Reference();
  FImageData->Release();
  FImageData = data;
}

void TGPGraphic::ShareImageData(TGPImageData* data) {
  if (data == FImageData) return;
  data->Reference();
  FImageData->Release();
  FImageData = data;
}

void TGPGraphic::StopAnimation() {
  if (FAnimate) SetAnimate(false);
}

void TGPGraphic::TakeImage(std::unique_ptr<TGPImage> image) {
  FImageData->Image = std::move(image);
  if (!FImageData->Image) return;
  ReadImageInfo();
  UpdateAnimation();
}

void TGPGraphic::ReadImageInfo() {
  TGPImage* image = FImageData->Image.get();
  UINT pixelWidth = 0, pixelHeight = 0;
  image->SetStatus(GdipGetImageWidth(image->NativeImage(), &pixelWidth));
  image->SetStatus(GdipGetImageHeight(image->NativeImage(), &pixelHeight));
  const UINT flags = image->GetFlags();
  REAL dpiX = 0, dpiY = 0;
  if (!(flags & ImageFlagsHasRealPixelSize) && (flags & ImageFlagsHasRealDPI)) {
    dpiX = image->GetHorizontalResolution();
    dpiY = image->GetVerticalResolution();
  }
  const TSize size = imaging::detail::DisplaySize(flags, static_cast<int>(pixelWidth), static_cast<int>(pixelHeight),
                                                  dpiX, dpiY, ScreenDpi());
  FImageData->Width = size.cx;
  FImageData->Height = size.cy;
  FPixelFormat = GPPixelFormatToPixelFormat(image->GetPixelFormat());
  if (FImageFormat == ImageFormatUndefined) FImageFormat = image->GetRawFormat();
}

void TGPGraphic::UpdateAnimation() {
  TGPImage* image = FImageData->Image.get();
  if (!image) return;
  if (FAnimate) {
    FImageData->Animator =
        TGPImageAnimator::Animate(image, TNotifyEvent(this, &TGPGraphic::FrameChanged), FrameChangedCode());
  } else {
    FImageData->Animator = nullptr;
    TGPImageAnimator::StopAnimate(image, FrameChangedCode());
    image->SelectActiveFrame(FrameDimensionTime, 0);
    FrameChanged(this);
  }
}

void TGPGraphic::FrameChanged(TObject* sender) {
  if (TGPImageAnimator* animator = FImageData->Animator; animator && FImageData->Image)
    FImageData->Image->SelectActiveFrame(FrameDimensionTime, static_cast<UINT>(animator->FrameIndex.load()));
  if (FOnFrameChange) FOnFrameChange(sender);
  else Changed(this);
}

void TGPGraphic::SetAnimate(bool value) {
  if (value == FAnimate) return;
  FAnimate = value;
  UpdateAnimation();
}

void TGPGraphic::SetBitmapMode(bool value) {
  if (value == FBitmapMode) return;
  FBitmapMode = value;
  if (value) ApplySize(FImageData->Width, FImageData->Height);
}

void TGPGraphic::LoadFromFile(const AnsiString& fileName) {
  StopAnimation();
  NewImageData();
  try {
    std::unique_ptr<TGPImage> image(FBitmapMode ? new TGPBitmap(Wide(fileName), false)
                                                : TGPImage::FromFile(Wide(fileName), false));
    TakeImage(std::move(image));
  } catch (Exception& e) {
    e.SetMessage("Cannot load '" + fileName + "': " + e.Message());
    throw;
  }
}

void TGPGraphic::LoadFromResourceName(HINSTANCE instance, const AnsiString& name) {
  const std::u16string wide = Wide(name);
  HRSRC resource = FindResourceW(instance, wide.c_str(), RT_RCDATA);
  const void* bytes = resource ? LockResource(LoadResource(instance, resource)) : nullptr;
  if (!bytes) throw EResNotFound::CreateFmt("Resource %s not found", {name});
  TMemoryStream stream;
  stream.Write(bytes, static_cast<int32_t>(SizeofResource(instance, resource)));
  stream.SetPosition(0);
  LoadFromStream(stream);
}

void TGPGraphic::LoadFromStream(TStream& stream) {
  StopAnimation();
  NewImageData();
  std::unique_ptr<TGPImage> image(FBitmapMode ? new TGPBitmap(stream, false, 0) : TGPImage::FromStream(stream, 0, false));
  TakeImage(std::move(image));
}

void TGPGraphic::SaveImage(TGPImage* image, const GUID& format, const TEncoderParameterDynArray& parameters,
                           const AnsiString* fileName, TStream* stream) {
  if (fileName) image->SaveToFile(Wide(*fileName), format, parameters);
  else image->SaveToStream(*stream, format, parameters);
}

void TGPGraphic::SaveToFile(const AnsiString& fileName) {
  TGPImage* image = GetGPImage();
  if (!image) return;
  const GUID format = FImageFormat == ImageFormatUndefined ? image->GetRawFormat() : FImageFormat;
  if (IsSaverFormat(format)) SaveAs(format, &fileName, nullptr);
  else SaveImage(image, image->GetRawFormat(), {}, &fileName, nullptr);
}

void TGPGraphic::SaveToStream(TStream& stream) {
  TGPImage* image = GetGPImage();
  if (!image) return;
  const GUID format = FImageFormat == ImageFormatUndefined ? image->GetRawFormat() : FImageFormat;
  if (IsSaverFormat(format)) SaveAs(format, nullptr, &stream);
  else SaveImage(image, image->GetRawFormat(), {}, nullptr, &stream);
}

void TGPGraphic::SaveAs(const GUID& saverFormat, const AnsiString* fileName, TStream* stream) {
  TGPImage* image = GetGPImage();
  if (!image) return;
  const GUID format = FImageFormat == ImageFormatUndefined ? saverFormat : FImageFormat;
  if (saverFormat == ImageFormatGIF) {
    SaveGif(format, fileName, stream);
    return;
  }
  TGPEncoderParameters parameters;
  if (saverFormat == ImageFormatJPEG && format == ImageFormatJPEG) {
    parameters.Add(EncoderQuality, Quality);
    if (Transformation != 0) parameters.Add(EncoderTransformation, Transformation);
  }
  SaveImage(image, format, parameters.Parameters, fileName, stream);
}

void TGPGraphic::SaveGif(const GUID& format, const AnsiString* fileName, TStream* stream) {
  TGPImage* image = GetGPImage();
  if (image->SourceData() && image->GetRawFormat() == ImageFormatGIF) {
    SaveImage(image, format, {}, fileName, stream);
    return;
  }
  const int64_t start = stream ? stream->Position() : 0;
  try {
    // At most 255 colours of the octree; palette entry 255 is the one of transparent pixels.
    TOctreeQuantizer quantizer(255, 8);
    std::unique_ptr<TGPBitmap> quantized = quantizer.Quantize(image);
    SaveImage(quantized.get(), format, {}, fileName, stream);
  } catch (const std::exception&) {
    // GDI+'s own GIF encoding instead, over whatever the failed attempt wrote.
    if (stream) {
      stream->SetPosition(start);
      stream->SetSize(start);
    }
    SaveImage(image, format, {}, fileName, stream);
  }
}

void TGPGraphic::Draw(TCanvas* canvas, const TRect& rect) {
  TGPImage* image = GetGPImage();
  if (!image || !canvas || !canvas->HandleAllocated()) return;
  TGPGraphics graphics(canvas->Handle());
  const GraphicsState state = graphics.Save();
  graphics.SetInterpolationMode(InterpolationMode);
  graphics.SetSmoothingMode(SmoothingMode);
  graphics.SetPixelOffsetMode(PixelOffsetModeHalf);
  graphics.DrawImage(image, static_cast<REAL>(rect.Left), static_cast<REAL>(rect.Top),
                     static_cast<REAL>(rect.Right - rect.Left), static_cast<REAL>(rect.Bottom - rect.Top));
  graphics.Restore(state);
}

void TGPGraphic::Assign(TPersistent* source) {
  if (auto* graphic = dynamic_cast<TGPGraphic*>(source)) {
    ShareImageData(graphic->FImageData);
    return;
  }
  if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
    StopAnimation();
    NewImageData();
    if (bitmap->Empty()) return;
    std::unique_ptr<TGPBitmap> image(TGPBitmap::CreateFromHBitmap(bitmap->Handle(), bitmap->Palette()));
    FImageData->Width = bitmap->Width();
    FImageData->Height = bitmap->Height();
    FPixelFormat = GPPixelFormatToPixelFormat(image->GetPixelFormat());
    if (bitmap->Transparent()) image->MakeTransparent(ColorRefToARGB(ColorToRGB(bitmap->TransparentColor())));
    FImageData->Image = std::move(image);
    return;
  }
  inherited::Assign(source);
}

void TGPGraphic::AssignTo(TPersistent* dest) {
  if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
    TGPImage* image = GetGPImage();
    if (!image) return;
    TMemoryStream memory;
    image->SaveToStream(memory, ImageFormatBMP);
    memory.SetPosition(0);
    bitmap->LoadFromStream(memory);
    return;
  }
  if (auto* graphic = dynamic_cast<TGPGraphic*>(dest)) {
    graphic->Assign(this);
    return;
  }
  inherited::AssignTo(dest);
}

bool TGPGraphic::Equals(TGraphic* graphic) {
  auto* other = dynamic_cast<TGPGraphic*>(graphic);
  if (!other) return false;
  if (GetGPImage() && other->GetGPImage()) return inherited::Equals(graphic);
  return FImageData == other->FImageData;
}

void TGPGraphic::SetWidthImpl(int value) { SetSize(value, FImageData->Height); }
void TGPGraphic::SetHeightImpl(int value) { SetSize(FImageData->Width, value); }

void TGPGraphic::SetSize(int width, int height) {
  if (!FBitmapMode && !Empty()) throw EInvalidGraphicOperation("Cannot change the size of This image type");
  ApplySize(width, height);
}

void TGPGraphic::ApplySize(int width, int height) {
  FImageData->Width = width;
  FImageData->Height = height;
  if (width == 0 || height == 0 || FPixelFormat == pfDevice) return;
  StopAnimation();
  std::unique_ptr<TGPBitmap> blank(new TGPBitmap(width, height, PixelFormatToGPPixelFormat(FPixelFormat)));
  NewImageData();
  FImageData->Width = width;
  FImageData->Height = height;
  FImageData->Image = std::move(blank);
  Changed(this);
}

TBMPImage* TGPGraphic::GetThumbnail(int width, int height) {
  TGPImage* image = GetGPImage();
  if (!image) return nullptr;
  const int pictureWidth = Width(), pictureHeight = Height();
  if (width >= 1 && height >= 1 && int64_t{pictureHeight} * width != int64_t{pictureWidth} * height &&
      pictureWidth > 0 && pictureHeight > 0) {
    if (int64_t{pictureHeight} * width > int64_t{pictureWidth} * height) width = MulDiv(height, pictureWidth, pictureHeight);
    else height = MulDiv(width, pictureHeight, pictureWidth);
  }
  std::unique_ptr<TGPImage> thumbnail(
      image->GetThumbnailImage(static_cast<UINT>(std::max(width, 0)), static_cast<UINT>(std::max(height, 0))));
  if (!thumbnail) return nullptr;
  auto result = std::make_unique<TBMPImage>();
  TGPImage* made = thumbnail.get();
  result->FImageData->Image = std::move(thumbnail);
  result->FImageData->Width = static_cast<int>(made->GetWidth());
  result->FImageData->Height = static_cast<int>(made->GetHeight());
  result->FPixelFormat = GPPixelFormatToPixelFormat(made->GetPixelFormat());
  return result.release();
}

void TGPGraphic::ReadData(TStream& stream) {
  int32_t length = 0;
  stream.ReadBuffer(&length, 4);
  const int64_t available = stream.Size() - stream.Position();
  if (length < 0 || length > available)
    throw EReadError(Format("Picture data of %d bytes does not fit in the %d bytes that follow",
                            {length, static_cast<int>(std::min<int64_t>(available, INT32_MAX))}));
  StopAnimation();
  NewImageData();
  // An empty picture was written as no bytes at all.
  if (length == 0) return;
  std::unique_ptr<TGPImage> image(FBitmapMode ? new TGPBitmap(stream, false, length)
                                              : TGPImage::FromStream(stream, length, false));
  TakeImage(std::move(image));
}

void TGPGraphic::WriteData(TStream& stream) {
  TMemoryStream memory;
  SaveToStream(memory);
  const auto length = static_cast<int32_t>(memory.Size());
  stream.WriteBuffer(&length, 4);
  if (length > 0) stream.WriteBuffer(memory.Memory(), length);
}
