#pragma once

// The window manager's door into the GDI: a DC over a part of a 32-bit BGRA pixel buffer
// (a top-level window's backing buffer), with the DC's device origin at a given pixel of
// the buffer and drawing limited to a visible region. The caller keeps the buffer alive
// (or hands shared ownership in `keepAlive`) for as long as the DC exists, and calls
// UpdateBufferDC when the buffer is reallocated or the visible part changes.

#include <memory>

#include "platform/gdi/GdiTypes.h"

namespace platform::detail {

struct PixelBuffer {
  uint8_t* pixels = nullptr;  // top-down rows of BGRA pixels
  int width = 0;
  int height = 0;
  int stride = 0;  // bytes from one row to the next
};

// `origin`: the buffer pixel that is the DC's device point (0,0). `visible`: the part the DC
// may touch, in the DC's device coordinates (copied; null means the whole buffer).
HDC CreateBufferDC(const PixelBuffer& buffer, POINT origin, HRGN visible, std::shared_ptr<void> keepAlive = {});
BOOL UpdateBufferDC(HDC dc, const PixelBuffer& buffer, POINT origin, HRGN visible,
                    std::shared_ptr<void> keepAlive = {});
// Resets colours, objects, origins, transform and clip region to a fresh DC's, as a DC
// handed out again by the window manager must be.
BOOL ResetBufferDC(HDC dc);

// The screen's size; the display backend sets it before the first screen DC is made.
void SetScreenSize(int width, int height);
SIZE ScreenSize();

// The pixels a DC draws into: its selected bitmap (memory DCs), the buffer (buffer DCs) or
// the screen. For reading back and saving pictures in tests; `pixels` is valid until the DC
// changes its bitmap or is deleted. Non-32-bit bitmaps are converted into a copy.
struct DcPixels {
  std::shared_ptr<void> owner;
  PixelBuffer buffer;
};
bool ReadDcPixels(HDC dc, DcPixels* out);

}  // namespace platform::detail
