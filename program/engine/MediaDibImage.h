#pragma once

// A picture held by the image engine ("QM_ImageProc.dll"): an image handle, owned or not.
// Loaded from a picture file as 32 bits per pixel, or wrapped around an image the text-art
// engine made. Its header and bits are the engine's and stay valid until the image changes.
//
// Made on the GUI thread; one object is not for two threads at once. The binding record it
// was made with must outlive it.

#include <memory>

#include "platform/gdi/GdiTypes.h"
#include "program/engine/EngineLibrary.h"
#include "rtl/SysTypes.h"

class TImageProcLibrary;

namespace MediaDibImage {

class TDibImage {
 public:
  // A new empty image, owned. Binds the image engine first: raises EOSError naming it when it
  // cannot be loaded. Without the engine's DICreate the handle is 0.
  TDibImage();
  explicit TDibImage(TImageProcLibrary& library);
  // Wraps `handle`; with `ownsHandle` the image is destroyed with this object. Binds the
  // engine as above.
  TDibImage(TEngineHandle handle, bool ownsHandle);
  TDibImage(TImageProcLibrary& library, TEngineHandle handle, bool ownsHandle);
  ~TDibImage();
  TDibImage(const TDibImage&) = delete;
  TDibImage& operator=(const TDibImage&) = delete;

  static std::unique_ptr<TDibImage> CreateFromHandle(TEngineHandle handle, bool ownsHandle) {
    return std::make_unique<TDibImage>(handle, ownsHandle);
  }
  // A new image with the file loaded as 32 bits per pixel. The image is returned also when
  // the file could not be loaded: it is then empty (width 0).
  static std::unique_ptr<TDibImage> FromFile32(const WideString& fileName);
  static std::unique_ptr<TDibImage> FromFile32(TImageProcLibrary& library, const WideString& fileName);

  // True when the file was decoded; otherwise the image keeps the picture it had.
  bool LoadFromFile32(const WideString& fileName);
  // An independent copy; null when the engine could not make one (no image is left behind).
  std::unique_ptr<TDibImage> Clone() const;

  BITMAPINFO* GetBitmapInfo() const;
  void* GetBits() const;
  int32_t GetWidth() const;
  int32_t GetHeight() const;

  TEngineHandle Handle() const { return FHandle; }
  bool OwnsHandle() const { return FOwnsHandle; }

 private:
  TImageProcLibrary* m_library;
  TEngineHandle FHandle = 0;
  bool FOwnsHandle = false;
};

}  // namespace MediaDibImage
