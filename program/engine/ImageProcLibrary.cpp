#include "program/engine/ImageProcLibrary.h"

namespace {

std::vector<TEntryPoint> ImageProcTable() {
  static constexpr const char* kNames[] = {
      "DICreate", "DICreateIndirect", "DIDestroy", "DILoadImage", "DILoadImageFromResource", "DILoadImage32B",
      "DISave", "DISaveEx", "DISetContent", "DIGetBitmapInfo", "DIGetBits", "DIGetPitch", "DIGetBitCount",
      "DIGetWidth", "DIGetHeight", "DIGetBitmapInfoSize", "DIGetDataSize", "DIConvertFormat", "DICopyImage",
      "DIBltDraw", "DIAlphaBlend", "DIAlphaBlendEx", "DIImageResize", "DIImageResizeEx", "DIRotate",
      "DIRotateSmooth", "DIBltImage", "DIBltMask", "DIBltMaskEx", "DICreateThumbnail", "DICreateHBitmap",
      "DIFillColor32", "DIFillColor32Ex", "DIFillPatchColor32", "DIFillPatchColor32Ex", "DIImageAlphaResize",
      "DIImageAlphaResizeEx", "DIImageStretchMask", "DIImageStretchMaskEx", "DITransform", "DIMaskImage",
      "DIMergeImage"};
  static_assert(std::size(kNames) == TImageProcLibrary::kEntryCount);
  std::vector<TEntryPoint> table;
  for (const char* name : kNames) table.push_back(ByName(name));
  return table;
}

}  // namespace

TImageProcLibrary::TImageProcLibrary(AnsiString libraryName) : TEngineLibrary(std::move(libraryName), ImageProcTable()) {}

namespace {

using LoadFunction = int32_t (*)(TEngineHandle, const char16_t*);
using SizeFunction = int32_t (*)(TEngineHandle);

}  // namespace

TEngineHandle TImageProcLibrary::DICreate() const {
  auto entry = EntryAs<TEngineHandle (*)()>(kDICreate);
  return entry ? entry() : 0;
}

void TImageProcLibrary::DIDestroy(TEngineHandle image) const {
  if (auto entry = EntryAs<void (*)(TEngineHandle)>(kDIDestroy)) entry(image);
}

int32_t TImageProcLibrary::DILoadImage(TEngineHandle image, const char16_t* fileName) const {
  auto entry = EntryAs<LoadFunction>(kDILoadImage);
  return entry ? entry(image, fileName) : 0;
}

int32_t TImageProcLibrary::DILoadImage32B(TEngineHandle image, const char16_t* fileName) const {
  auto entry = EntryAs<LoadFunction>(kDILoadImage32B);
  return entry ? entry(image, fileName) : 0;
}

BITMAPINFO* TImageProcLibrary::DIGetBitmapInfo(TEngineHandle image) const {
  auto entry = EntryAs<BITMAPINFO* (*)(TEngineHandle)>(kDIGetBitmapInfo);
  return entry ? entry(image) : nullptr;
}

void* TImageProcLibrary::DIGetBits(TEngineHandle image) const {
  auto entry = EntryAs<void* (*)(TEngineHandle)>(kDIGetBits);
  return entry ? entry(image) : nullptr;
}

int32_t TImageProcLibrary::DIGetWidth(TEngineHandle image) const {
  auto entry = EntryAs<SizeFunction>(kDIGetWidth);
  return entry ? entry(image) : 0;
}

int32_t TImageProcLibrary::DIGetHeight(TEngineHandle image) const {
  auto entry = EntryAs<SizeFunction>(kDIGetHeight);
  return entry ? entry(image) : 0;
}

int32_t TImageProcLibrary::DICopyImage(TEngineHandle destination, TEngineHandle source) const {
  auto entry = EntryAs<int32_t (*)(TEngineHandle, TEngineHandle)>(kDICopyImage);
  return entry ? entry(destination, source) : 0;
}
