// Between GDI bitmaps and device contexts and GDI+ bitmaps and graphics.

#include <cstring>

#include "platform/gdi/Blit.h"
#include "platform/gdi/BufferDC.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/Objects.h"
#include "platform/gdiplus/Gdiplus.h"
#include "platform/gdiplus/GdiplusInternal.h"
#include "platform/gdiplus/GraphicsTarget.h"

namespace platform::detail {
namespace {

// Draws into a copy of the DC's pixels and puts the result back through the DC, so that its
// clipping holds.
class DcTarget final : public GraphicsTarget {
 public:
  explicit DcTarget(HDC dc) : m_dc(dc) {}

  GpStatus Begin(SurfacePtr* surface) override {
    DcPixels pixels;
    if (!ReadDcPixels(m_dc, &pixels) || !pixels.buffer.pixels) return InvalidParameter;
    const PixelBuffer& b = pixels.buffer;
    surface->reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, b.width, b.height));
    if (cairo_surface_status(surface->get()) != CAIRO_STATUS_SUCCESS) return OutOfMemory;
    cairo_surface_flush(surface->get());
    uint8_t* data = cairo_image_surface_get_data(surface->get());
    int stride = cairo_image_surface_get_stride(surface->get());
    for (int y = 0; y < b.height; ++y)
      std::memcpy(data + size_t(y) * stride, b.pixels + size_t(y) * b.stride, size_t(b.width) * 4);
    cairo_surface_mark_dirty(surface->get());
    return Ok;
  }
  GpStatus End(cairo_surface_t* surface) override {
    int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    std::vector<ARGB> pixels = ArgbFromSurface(surface);  // opaque
    BITMAPINFO info = platform::TopDownBitmapInfo32(width, height);
    int lines = SetDIBitsToDevice(m_dc, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                                  static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    return lines > 0 ? Ok : Win32Error;
  }
  double Dpi() override { return 96.0; }

 private:
  HDC m_dc;
};

}  // namespace
}  // namespace platform::detail

using namespace platform::detail;

GpStatus GdipCreateFromHDC(HDC dc, GpGraphics** graphics) {
  if (!dc || !graphics) return InvalidParameter;
  *graphics = nullptr;
  if (!Started()) return GdiplusNotInitialized;
  DcPixels pixels;
  if (!ReadDcPixels(dc, &pixels)) return InvalidParameter;
  try {
    return NewGraphics(std::make_unique<DcTarget>(dc), graphics);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP source, HPALETTE, GpBitmap** bitmap) {
  if (!bitmap) return InvalidParameter;
  *bitmap = nullptr;
  if (!Started()) return GdiplusNotInitialized;
  BITMAP description{};
  if (!source || !GetObject(source, sizeof description, &description)) return InvalidParameter;
  int width = description.bmWidth, height = std::abs(description.bmHeight);
  if (!ImageSizeAcceptable(width, height)) return InvalidParameter;
  try {
    auto image = std::make_unique<ImageObject>();
    image->data.rawFormat = ImageFormatMemoryBMP;
    image->data.frames.push_back(MakeFrame(width, height, PixelFormat32bppRGB));
    Frame& frame = image->data.frames[0];
    BITMAPINFO info = platform::TopDownBitmapInfo32(width, height);
    HDC dc = CreateCompatibleDC(nullptr);
    int lines = GetDIBits(dc, source, 0, static_cast<UINT>(height), frame.pixels.data(), &info, DIB_RGB_COLORS);
    DeleteDC(dc);
    if (lines != height) return Win32Error;
    *bitmap = static_cast<GpBitmap*>(RegisterImage(std::move(image)));
    return Ok;
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

GpStatus GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* result, ARGB background) {
  ImageObject* object = AsImage(bitmap);
  if (!object || !result) return InvalidParameter;
  *result = nullptr;
  if (object->locked) return WrongState;
  const Frame& frame = object->Active();
  BITMAPINFO info = platform::TopDownBitmapInfo32(frame.width, frame.height);
  void* bits = nullptr;
  HBITMAP made = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!made || !bits) return Win32Error;
  std::vector<ARGB> pixels = FrameToArgb(frame);
  ARGB under = Premultiply(background);
  auto* out = static_cast<uint32_t*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) {
    // Premultiplied source over premultiplied background.
    ARGB top = Premultiply(pixels[i]);
    uint32_t inverse = 255 - (top >> 24), value = 0;
    for (int shift = 0; shift < 32; shift += 8)
      value |= std::min<uint32_t>(255, ((top >> shift) & 0xFF) + (((under >> shift) & 0xFF) * inverse + 127) / 255) << shift;
    out[i] = value;
  }
  *result = made;
  return Ok;
}
