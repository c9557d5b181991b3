#pragma once

// The image engine's entry points: pictures decoded from files into 32-bit device-independent
// bitmaps. An image is a handle of the engines' handle space; it starts empty and holds at most
// one picture. The program imports the entries at link time.
//
// A loaded picture is a bottom-up DIB: BITMAPINFOHEADER (biSize 40, biHeight positive, one
// plane, 32 bits, BI_RGB) followed by rows of B, G, R, A bytes (straight, not premultiplied,
// alpha), the last row of the picture first. Rows are width * 4 bytes, so need no padding.

#include <cstdint>

#include "engines/common/EngineApi.h"
#include "engines/common/EngineHandles.h"
#include "platform/gdi/GdiTypes.h"

// A new empty image; 0 on failure.
ENGINE_API engines::EngineHandle DICreate();

// Frees the image; its info and bits become invalid. A stale handle is ignored.
ENGINE_API void DIDestroy(engines::EngineHandle image);

// Decodes a picture file (JPEG, PNG, BMP, GIF's first frame, TIFF's first page, an icon's
// largest entry) into the image, turned upright by its EXIF orientation. Not 0 on success; on
// failure (missing, damaged or unknown file) 0, and the image keeps the picture it had.
// DILoadImage gives the same 32-bit picture as DILoadImage32B.
ENGINE_API int32_t DILoadImage(engines::EngineHandle image, const char16_t* fileName);
ENGINE_API int32_t DILoadImage32B(engines::EngineHandle image, const char16_t* fileName);

// Makes `destination` an independent copy of `source` (an empty source empties it). Not 0 on
// success; 0 for a stale handle, and then the destination is unchanged.
ENGINE_API int32_t DICopyImage(engines::EngineHandle destination, engines::EngineHandle source);

// The image's header and pixel bits; null while it holds no picture or for a stale handle.
// Both stay valid until the image is loaded, copied into or destroyed.
ENGINE_API BITMAPINFO* DIGetBitmapInfo(engines::EngineHandle image);
ENGINE_API void* DIGetBits(engines::EngineHandle image);

// The picture's size in pixels; 0 while it holds none or for a stale handle.
ENGINE_API int32_t DIGetWidth(engines::EngineHandle image);
ENGINE_API int32_t DIGetHeight(engines::EngineHandle image);
