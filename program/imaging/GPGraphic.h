#pragma once

// TGPGraphic: a picture (TGraphic) whose content is one GDI+ image. It decodes every format
// GDI+ decodes, draws through GDI+ with the chosen interpolation and smoothing, keeps the
// bytes of GIF files so that saving them as GIF writes them back unchanged, saves JPEG with
// a quality, GIF through a colour quantizer, makes thumbnails, and can follow the frames of
// an animated image (Animate).
//
// The decoded content (TGPImageData) is shared by pictures assigned from one another and
// freed with the last of them. GUI thread.

#include <memory>

#include "program/imaging/GPAnimate.h"
#include "program/imaging/GPGraphics.h"
#include "vcl/Bitmap.h"

class TBMPImage;

class TGPImageData : public TSharedImage {
 public:
  TGPImageData() = default;
  ~TGPImageData() override = default;

  std::unique_ptr<TGPImage> Image;
  TGPImageAnimator* Animator = nullptr;  // owned by the animator thread's list
  int Height = 0;
  int Width = 0;

 protected:
  void FreeHandle() override {}
};

// Class of a GDI+ pixel format, and the GDI+ format blank bitmaps of a class get.
TPixelFormat GPPixelFormatToPixelFormat(::PixelFormat format);
::PixelFormat PixelFormatToGPPixelFormat(TPixelFormat format);

class TGPGraphic : public TGraphic {
  BRANTWELL_CLASS(TGPGraphic, TGraphic)

 public:
  TGPGraphic();
  ~TGPGraphic() override;

  void Assign(TPersistent* source) override;
  bool Equals(TGraphic* graphic) override;
  void SetSize(int width, int height) override;

  // GDI+ failures raise the GDIPlusException family; the file's name is in the message.
  void LoadFromFile(const AnsiString& fileName) override;
  // Decodes the bytes from the stream's position to its end.
  void LoadFromStream(TStream& stream) override;
  // Decodes the program's RT_RCDATA resource of that name (the module is ignored: every
  // resource is the program's). EResNotFound when there is none.
  void LoadFromResourceName(HINSTANCE instance, const AnsiString& name);
  // Nothing is written (and no file made) for an empty picture.
  void SaveToFile(const AnsiString& fileName) override;
  void SaveToStream(TStream& stream) override;

  // The image (nullptr when empty); the picture keeps it.
  TGPImage* GetGPImage() const { return FImageData->Image.get(); }
  // A thumbnail fitted to the picture's aspect ratio; the caller owns it. nullptr when the
  // picture is empty or GDI+ makes none.
  TBMPImage* GetThumbnail(int width, int height);

  bool Animate() const { return FAnimate; }
  void SetAnimate(bool value);
  bool BitmapMode() const { return FBitmapMode; }
  void SetBitmapMode(bool value);
  const TNotifyEvent& OnFrameChange() const { return FOnFrameChange; }
  void SetOnFrameChange(TNotifyEvent value) { FOnFrameChange = std::move(value); }
  TPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat value) { FPixelFormat = value; }
  const GUID& ImageFormat() const { return FImageFormat; }
  void SetImageFormat(const GUID& value) { FImageFormat = value; }

  uint8_t Quality = 0;
  uint8_t Transformation = 0;
  ::InterpolationMode InterpolationMode = InterpolationModeDefault;
  ::SmoothingMode SmoothingMode = SmoothingModeDefault;

  // Handler code by which the animator knows this class's frame handler.
  static const void* FrameChangedCode();

 protected:
  void AssignTo(TPersistent* dest) override;
  void Draw(TCanvas* canvas, const TRect& rect) override;
  bool GetEmpty() const override { return !FImageData->Image; }
  int GetWidth() const override { return FImageData->Width; }
  int GetHeight() const override { return FImageData->Height; }
  void SetWidthImpl(int value) override;
  void SetHeightImpl(int value) override;
  // Form data: a 32-bit length, then the saved picture.
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) override;

  // The savers of the formats; fileName or stream is the target.
  void SaveAs(const GUID& saverFormat, const AnsiString* fileName, TStream* stream);

  TGPImageData* FImageData;
  TPixelFormat FPixelFormat = pf32bit;
  bool FBitmapMode = false;
  GUID FImageFormat = ImageFormatUndefined;
  bool FAnimate = false;
  TNotifyEvent FOnFrameChange;

 private:
  friend class TGPGraphicAccess;
  void NewImageData();
  void ShareImageData(TGPImageData* data);
  void StopAnimation();
  void TakeImage(std::unique_ptr<TGPImage> image);
  void ReadImageInfo();
  void UpdateAnimation();
  void FrameChanged(TObject* sender);
  void ApplySize(int width, int height);
  void SaveGif(const GUID& format, const AnsiString* fileName, TStream* stream);
  void SaveImage(TGPImage* image, const GUID& format, const TEncoderParameterDynArray& parameters,
                 const AnsiString* fileName, TStream* stream);
};

namespace imaging::detail {
// The size a picture shows at: the pixel size, or for an image with a real resolution and
// no real pixel size, the pixel size scaled from its resolution to the screen's (a
// resolution that rounds to 0 dpi keeps the pixel size).
TSize DisplaySize(UINT flags, int pixelWidth, int pixelHeight, REAL dpiX, REAL dpiY, int screenDpi);
}  // namespace imaging::detail
