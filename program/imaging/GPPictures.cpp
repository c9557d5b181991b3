#include "program/imaging/GPPictures.h"

#include "vcl/Picture.h"

#define BRANTWELL_GP_PICTURE_METHODS(Name, Format)                                                 \
  void Name::SaveToFile(const AnsiString& fileName) { SaveAs(Format, &fileName, nullptr); }        \
  void Name::SaveToStream(TStream& stream) { SaveAs(Format, nullptr, &stream); }

TJPEGImage::TJPEGImage() {
  FImageFormat = ImageFormatJPEG;
  Quality = 90;
  Transformation = 0;
}
BRANTWELL_GP_PICTURE_METHODS(TJPEGImage, ImageFormatJPEG)

TPNGImage::TPNGImage() { FImageFormat = ImageFormatPNG; }
BRANTWELL_GP_PICTURE_METHODS(TPNGImage, ImageFormatPNG)

TGIFImage::TGIFImage() { FImageFormat = ImageFormatGIF; }
BRANTWELL_GP_PICTURE_METHODS(TGIFImage, ImageFormatGIF)

TTIFImage::TTIFImage() { FImageFormat = ImageFormatTIFF; }
BRANTWELL_GP_PICTURE_METHODS(TTIFImage, ImageFormatTIFF)

TICONImage::TICONImage() { FImageFormat = ImageFormatIcon; }
BRANTWELL_GP_PICTURE_METHODS(TICONImage, ImageFormatIcon)

TBMPImage::TBMPImage() { FImageFormat = ImageFormatBMP; }
BRANTWELL_GP_PICTURE_METHODS(TBMPImage, ImageFormatBMP)

namespace {

const char* const kJPEGDescription = "JPEG Image File";
const char* const kPNGDescription = "Portable Network Graphics";
const char* const kGIFDescription = "GIF CompuServe GIF";
const char* const kTIFDescription = "Tag Image File Format";

}  // namespace

void RegisterGPPictureFormats() {
  TPicture::RegisterFileFormat("jfif", kJPEGDescription, TJPEGImage::StaticClass());
  TPicture::RegisterFileFormat("jpeg", kJPEGDescription, TJPEGImage::StaticClass());
  TPicture::RegisterFileFormat("jpg", kJPEGDescription, TJPEGImage::StaticClass());
  TPicture::RegisterFileFormat("png", kPNGDescription, TPNGImage::StaticClass());
  TPicture::RegisterFileFormat("gif", kGIFDescription, TGIFImage::StaticClass());
  TPicture::RegisterFileFormat("tif", kTIFDescription, TTIFImage::StaticClass());
  TPicture::RegisterFileFormat("tiff", kTIFDescription, TTIFImage::StaticClass());
}

void UnregisterGPPictureFormats() {
  TPicture::UnregisterGraphicClass(TJPEGImage::StaticClass());
  TPicture::UnregisterGraphicClass(TPNGImage::StaticClass());
  TPicture::UnregisterGraphicClass(TGIFImage::StaticClass());
  TPicture::UnregisterGraphicClass(TTIFImage::StaticClass());
}
