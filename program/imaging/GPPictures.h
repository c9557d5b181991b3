#pragma once

// The picture classes of fixed formats: each decodes anything GDI+ decodes and saves in its
// own format. JPEG, PNG, GIF and TIFF are registered with TPicture for their extensions
// (RegisterGPPictureFormats, at start-up), so every picture-loading path opens those files
// with them. GUI thread.

#include "program/imaging/GPGraphic.h"

#define BRANTWELL_GP_PICTURE_CLASS(Name)                                     \
  class Name : public TGPGraphic {                                           \
    BRANTWELL_CLASS(Name, TGPGraphic)                                        \
                                                                             \
   public:                                                                   \
    Name();                                                                  \
    void SaveToFile(const AnsiString& fileName) override;                    \
    void SaveToStream(TStream& stream) override;                             \
  }

// Quality 90.
BRANTWELL_GP_PICTURE_CLASS(TJPEGImage);
BRANTWELL_GP_PICTURE_CLASS(TPNGImage);
// Saved through the colour quantizer unless it holds the bytes of a GIF file.
BRANTWELL_GP_PICTURE_CLASS(TGIFImage);
BRANTWELL_GP_PICTURE_CLASS(TTIFImage);
// There is no icon encoder: only an icon's own kept bytes could be saved, and icons keep
// none, so saving raises.
BRANTWELL_GP_PICTURE_CLASS(TICONImage);
BRANTWELL_GP_PICTURE_CLASS(TBMPImage);

#undef BRANTWELL_GP_PICTURE_CLASS

void RegisterGPPictureFormats();
void UnregisterGPPictureFormats();
