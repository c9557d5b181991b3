#include "program/engine/TextArtLibrary.h"

TTextArtLibrary::TTextArtLibrary(AnsiString libraryName)
    : TEngineLibrary(std::move(libraryName),
                     {ByName("GetSupportFontCount"), ByName("GetSupportFontName"), ByName("GenerateNormalText"),
                      ByName("GenerateNormalTextEx"), ByName("GetArtTextCount"), ByName("GetArtTextInfo"),
                      ByName("GetIndexFromID"), ByName("GenerateArtText"), ByName("GenerateArtTextEx")}) {}

TEngineHandle TTextArtLibrary::GenerateNormalTextEx(const TNormalTextParam* param, int32_t value, int32_t,
                                                    int32_t) {
  Load();
  auto entry = EntryAs<TEngineHandle (*)(const TNormalTextParam*, int32_t)>(kGenerateNormalTextEx);
  return entry ? entry(param, value) : 0;
}
