#include "program/engine/TextArtLibrary.h"

TTextArtLibrary::TTextArtLibrary(AnsiString libraryName)
    : TEngineLibrary(std::move(libraryName),
                     {ByName("GetSupportFontCount"), ByName("GetSupportFontName"), ByName("GenerateNormalText"),
                      ByName("GenerateNormalTextEx"), ByName("GetArtTextCount"), ByName("GetArtTextInfo"),
                      ByName("GetIndexFromID"), ByName("GenerateArtText"), ByName("GenerateArtTextEx")}) {}
