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
