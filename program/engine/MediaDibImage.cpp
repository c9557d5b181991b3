#include "program/engine/MediaDibImage.h"

#include "program/engine/EngineBinding.h"

namespace MediaDibImage {

TDibImage::TDibImage() : TDibImage(ImageProcLibrary) {}

TDibImage::TDibImage(TImageProcLibrary& library) : m_library(&library) {
  library.Load();
  FHandle = library.DICreate();
  FOwnsHandle = true;
}

TDibImage::TDibImage(TEngineHandle handle, bool ownsHandle) : TDibImage(ImageProcLibrary, handle, ownsHandle) {}

TDibImage::TDibImage(TImageProcLibrary& library, TEngineHandle handle, bool ownsHandle)
    : m_library(&library), FHandle(handle), FOwnsHandle(ownsHandle) {
  library.Load();
}

TDibImage::~TDibImage() {
  if (FHandle && FOwnsHandle) m_library->DIDestroy(FHandle);
  FHandle = 0;
}

std::unique_ptr<TDibImage> TDibImage::FromFile32(const WideString& fileName) {
  return FromFile32(ImageProcLibrary, fileName);
}

std::unique_ptr<TDibImage> TDibImage::FromFile32(TImageProcLibrary& library, const WideString& fileName) {
  auto image = std::make_unique<TDibImage>(library);
  image->LoadFromFile32(fileName);
  return image;
}

bool TDibImage::LoadFromFile32(const WideString& fileName) {
  return m_library->DILoadImage32B(FHandle, fileName.c_str()) != 0;
}

std::unique_ptr<TDibImage> TDibImage::Clone() const {
  auto copy = std::make_unique<TDibImage>(*m_library);
  if (m_library->DICopyImage(copy->FHandle, FHandle) == 0) return nullptr;  // the copy is freed here
  return copy;
}

BITMAPINFO* TDibImage::GetBitmapInfo() const { return m_library->DIGetBitmapInfo(FHandle); }

void* TDibImage::GetBits() const { return m_library->DIGetBits(FHandle); }

int32_t TDibImage::GetWidth() const { return m_library->DIGetWidth(FHandle); }

int32_t TDibImage::GetHeight() const { return m_library->DIGetHeight(FHandle); }

}  // namespace MediaDibImage
