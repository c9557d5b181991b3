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

namespace {

using ValueProcedure = void (*)(TEngineHandle, int32_t);

}  // namespace

TEngineHandle TDataProcessLibrary::CreateVideoProcessor(TEngineHandle source, int32_t mode, double start) const {
  auto entry = EntryAs<TEngineHandle (*)(TEngineHandle, int32_t, double)>(kOrdinal1);
  return entry ? entry(source, mode, start) : 0;
}

void TDataProcessLibrary::DestroyVideoProcessor(TEngineHandle processor) const {
  if (auto entry = EntryAs<void (*)(TEngineHandle)>(kOrdinal2)) entry(processor);
}

void TDataProcessLibrary::SetCropRect(TEngineHandle processor, const RECT* rect, int32_t resizeStyle) const {
  if (auto styled = EntryAs<void (*)(TEngineHandle, const RECT*, int32_t)>(kOrdinal23))
    styled(processor, rect, resizeStyle);
  else if (auto plain = EntryAs<void (*)(TEngineHandle, const RECT*)>(kOrdinal5))
    plain(processor, rect);
}

bool TDataProcessLibrary::SaveSnapshot(TEngineHandle processor, const char16_t* fileName, int32_t format,
                                       bool flag) const {
  auto entry = EntryAs<int32_t (*)(TEngineHandle, const char16_t*, int32_t, int32_t)>(kOrdinal12);
  return entry && entry(processor, fileName, format, EngineBool(flag)) != 0;
}

void TDataProcessLibrary::PCSetVideoBrightness(TEngineHandle processor, int32_t value) const {
  if (auto entry = EntryAs<ValueProcedure>(kPCSetVideoBrightness)) entry(processor, value);
}

void TDataProcessLibrary::PCSetContrast(TEngineHandle processor, int32_t value) const {
  if (auto entry = EntryAs<ValueProcedure>(kPCSetContrast)) entry(processor, value);
}

void TDataProcessLibrary::PCSetVideoSaturation(TEngineHandle processor, int32_t value) const {
  if (auto entry = EntryAs<ValueProcedure>(kPCSetVideoSaturation)) entry(processor, value);
}

void TDataProcessLibrary::PCSetExFilterFlag(TEngineHandle processor, int32_t flags) const {
  if (auto entry = EntryAs<ValueProcedure>(kPCSetExFilterFlag)) entry(processor, flags);
}

void TDataProcessLibrary::PCSetFlipFlag(TEngineHandle processor, int32_t flags) const {
  if (auto entry = EntryAs<ValueProcedure>(kPCSetFlipFlag)) entry(processor, flags);
}

void TDataProcessLibrary::PCSetVideoDeintelace(TEngineHandle processor, int32_t mode) const {
  if (auto entry = EntryAs<ValueProcedure>(kPCSetVideoDeintelace)) entry(processor, mode);
}

void TDataProcessLibrary::PCSetUserSubPicture(TEngineHandle processor, const void* record, int32_t opacity) const {
  if (auto entry = EntryAs<void (*)(TEngineHandle, const void*, int32_t)>(kPCSetUserSubPicture))
    entry(processor, record, opacity);
}

void TDataProcessLibrary::PCSetUserWatermarkImage(TEngineHandle processor, const void* bitmapInfo, const void* bits,
                                                  const TUnitRect* rect, int32_t opacity) const {
  using Procedure = void (*)(TEngineHandle, const void*, const void*, const TUnitRect*, int32_t);
  if (auto entry = EntryAs<Procedure>(kPCSetUserWatermarkImage)) entry(processor, bitmapInfo, bits, rect, opacity);
}
