#pragma once

// Shared by the files of the flat interface.

#include <memory>

#include "platform/gdiplus/ImageModel.h"

namespace platform::detail {

// True between GdiplusStartup and the matching GdiplusShutdown.
bool Started();
// Hands the image to the caller as a live object.
GpImage* RegisterImage(std::unique_ptr<ImageObject> image);
UINT ImageFlagsOf(const ImageObject& image);

}  // namespace platform::detail
