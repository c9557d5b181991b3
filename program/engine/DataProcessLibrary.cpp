#include "program/engine/DataProcessLibrary.h"

TDataProcessLibrary::TDataProcessLibrary(AnsiString libraryName)
    : TEngineLibrary(std::move(libraryName),
                     {ByOrdinal(1), ByOrdinal(2), ByOrdinal(3), ByOrdinal(4), ByName("PCGetVideoInfo"),
                      ByName("PCGetAudioInfo"), ByOrdinal(5), ByOrdinal(23), ByName("PCSetVideoBrightness"),
                      ByName("PCSetContrast"), ByName("PCSetVideoSaturation"), ByOrdinal(9), ByOrdinal(11),
                      ByName("PCSetWatermarkImage"), ByName("PCSetWatermarkSrcIDAlign"),
                      ByName("PCSetUserWatermarkImage"), ByName("PCSetWatermarkImageAlign"), ByName("PCSetVolum"),
                      ByOrdinal(12), ByName("PCSetExFilterFlag"), ByName("PCSetFlipFlag"),
                      ByName("PCSetVideoDeintelace"), ByName("PCSetUserSubPicture")}) {}
