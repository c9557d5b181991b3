// Graphics over images, drawing images with attributes, and the image attributes.

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "platform/gdiplus/CairoBridge.h"
#include "platform/gdiplus/Gdiplus.h"
#include "platform/gdiplus/GdiplusInternal.h"
#include "platform/gdiplus/GraphicsTarget.h"

namespace platform::detail {
namespace {

struct GraphicsSettings {
  GpUnit unit = UnitDisplay;
  InterpolationMode interpolation = InterpolationModeBilinear;
  SmoothingMode smoothing = SmoothingModeNone;
  PixelOffsetMode pixelOffset = PixelOffsetModeNone;
};

struct GraphicsObject : GpGraphics {
  std::unique_ptr<GraphicsTarget> target;
  GraphicsSettings settings;
  std::vector<GraphicsSettings> saved;  // GdipSaveGraphics stack; a state is its depth
};

struct ColorAdjustment {
  std::optional<std::pair<ARGB, ARGB>> key;
  std::optional<ColorMatrix> matrix;
  std::optional<ColorMatrix> grayMatrix;
  ColorMatrixFlags flags = ColorMatrixFlagsDefault;
};

struct AttributesObject : GpImageAttributes {
  std::array<ColorAdjustment, ColorAdjustTypeCount> adjustments;
};

GraphicsObject* AsGraphics(GpGraphics* graphics) {
  return IsLiveObject(graphics, ObjectKind::Graphics) ? static_cast<GraphicsObject*>(graphics) : nullptr;
}

AttributesObject* AsAttributes(const GpImageAttributes* attributes) {
  return IsLiveObject(attributes, ObjectKind::Attributes)
             ? static_cast<AttributesObject*>(const_cast<GpImageAttributes*>(attributes))
             : nullptr;
}

// Device units per page unit.
double UnitScale(GpUnit unit, double dpi) {
  switch (unit) {
    case UnitPoint: return dpi / 72.0;
    case UnitInch: return dpi;
    case UnitDocument: return dpi / 300.0;
    case UnitMillimeter: return dpi / 25.4;
    default: return 1.0;
  }
}

uint8_t Channel(ARGB c, int shift) { return static_cast<uint8_t>((c >> shift) & 0xFF); }

bool InKeyRange(ARGB c, ARGB low, ARGB high) {
  for (int shift : {16, 8, 0})
    if (Channel(c, shift) < Channel(low, shift) || Channel(c, shift) > Channel(high, shift)) return false;
  return true;
}

ARGB ApplyMatrix(ARGB c, const ColorMatrix& m) {
  float in[5] = {Channel(c, 16) / 255.0f, Channel(c, 8) / 255.0f, Channel(c, 0) / 255.0f, Channel(c, 24) / 255.0f, 1.0f};
  uint32_t out[4];
  for (int column = 0; column < 4; ++column) {
    float v = 0;
    for (int row = 0; row < 5; ++row) v += in[row] * m.m[row][column];
    out[column] = static_cast<uint32_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
  }
  return out[3] << 24 | out[0] << 16 | out[1] << 8 | out[2];
}

// The colour key first (on the image's own colours), then the colour matrix.
void Adjust(std::vector<ARGB>& pixels, const ColorAdjustment& adjustment) {
  for (ARGB& c : pixels) {
    if (adjustment.key && InKeyRange(c, adjustment.key->first, adjustment.key->second)) {
      c = 0;
      continue;
    }
    if (!adjustment.matrix) continue;
    bool gray = Channel(c, 16) == Channel(c, 8) && Channel(c, 8) == Channel(c, 0);
    if (gray && adjustment.flags == ColorMatrixFlagsSkipGrays) continue;
    if (gray && adjustment.flags == ColorMatrixFlagsAltGray && adjustment.grayMatrix)
      c = ApplyMatrix(c, *adjustment.grayMatrix);
    else
      c = ApplyMatrix(c, *adjustment.matrix);
  }
}

GpStatus DrawImage(GpGraphics* graphics, GpImage* image, double destX, double destY, double destWidth,
                   double destHeight, std::optional<std::array<double, 4>> source, GpUnit sourceUnit,
                   const GpImageAttributes* attributes, DrawImageAbort callback, void* callbackData) {
  GraphicsObject* object = AsGraphics(graphics);
  ImageObject* picture = AsImage(image);
  if (!object || !picture) return InvalidParameter;
  if (attributes && !AsAttributes(attributes)) return InvalidParameter;
  if (picture->locked) return WrongState;
  if (sourceUnit != UnitPixel) return NotImplemented;
  if (callback && callback(callbackData)) return Aborted;
  const Frame& frame = picture->Active();
  std::array<double, 4> area = source.value_or(std::array<double, 4>{0, 0, double(frame.width), double(frame.height)});
  if (!(area[2] > 0) || !(area[3] > 0) || !std::isfinite(destWidth) || !std::isfinite(destHeight))
    return InvalidParameter;
  try {
    std::vector<ARGB> pixels = FrameToArgb(frame);
    if (AttributesObject* adjust = attributes ? AsAttributes(attributes) : nullptr) {
      // Images take the bitmap settings, or the default ones when the bitmap has none.
      const ColorAdjustment& bitmap = adjust->adjustments[ColorAdjustTypeBitmap];
      bool own = bitmap.key || bitmap.matrix;
      Adjust(pixels, own ? bitmap : adjust->adjustments[ColorAdjustTypeDefault]);
    }
    SurfacePtr sourceSurface = SurfaceFromArgb(pixels.data(), frame.width, frame.height);
    if (!sourceSurface) return OutOfMemory;
    GraphicsTarget::Session session(*object->target);
    if (!session.context()) return session.status();
    cairo_t* context = session.context();
    double scale = UnitScale(object->settings.unit, object->target->Dpi());
    cairo_scale(context, scale, scale);
    cairo_set_operator(context, CAIRO_OPERATOR_OVER);
    DrawSurface(context, sourceSurface.get(), area[0], area[1], area[2], area[3], destX, destY, destWidth, destHeight,
                object->settings.interpolation);
    return session.Finish();
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

// Graphics over an image: each drawing call works on a cairo copy of the active frame and
// writes the result back, so LockBits between calls sees every change.
class ImageTarget final : public GraphicsTarget {
 public:
  explicit ImageTarget(GpImage* image) : m_image(image) {}

  GpStatus Begin(SurfacePtr* surface) override {
    ImageObject* image = AsImage(m_image);
    if (!image) return InvalidParameter;  // the image was disposed under the graphics
    if (image->locked) return WrongState;
    const Frame& frame = image->Active();
    std::vector<ARGB> pixels = FrameToArgb(frame);
    *surface = SurfaceFromArgb(pixels.data(), frame.width, frame.height);
    return *surface ? Ok : OutOfMemory;
  }
  GpStatus End(cairo_surface_t* surface) override {
    ImageObject* image = AsImage(m_image);
    if (!image) return InvalidParameter;
    Frame& frame = image->Active();
    Frame result = FrameFromArgb(ArgbFromSurface(surface), frame.width, frame.height, frame.format);
    frame.pixels = std::move(result.pixels);
    return Ok;
  }
  double Dpi() override {
    ImageObject* image = AsImage(m_image);
    return image ? image->data.dpiX : 96.0;
  }

 private:
  GpImage* m_image;
};

}  // namespace

GraphicsTarget::Session::Session(GraphicsTarget& target) : m_target(target) {
  m_status = target.Begin(&m_surface);
  if (m_status == Ok) {
    m_context.reset(cairo_create(m_surface.get()));
    if (cairo_status(m_context.get()) != CAIRO_STATUS_SUCCESS) m_context.reset(), m_status = OutOfMemory;
  }
}

GpStatus GraphicsTarget::Session::Finish() {
  m_context.reset();
  if (m_status != Ok) return m_status;
  cairo_surface_flush(m_surface.get());
  m_status = m_target.End(m_surface.get());
  m_finished = true;
  return m_status;
}

GpStatus NewGraphics(std::unique_ptr<GraphicsTarget> target, GpGraphics** graphics) {
  auto object = std::make_unique<GraphicsObject>();
  object->target = std::move(target);
  GraphicsObject* raw = object.release();
  RegisterObject(static_cast<GpGraphics*>(raw), ObjectKind::Graphics);
  *graphics = raw;
  return Ok;
}

}  // namespace platform::detail

using namespace platform::detail;

GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics) {
  ImageObject* object = AsImage(image);
  if (!object || !graphics) return InvalidParameter;
  *graphics = nullptr;
  if (IsIndexedPixelFormat(object->Active().format)) return InvalidParameter;  // no drawing on palettes
  if (object->locked) return WrongState;
  try {
    return NewGraphics(std::make_unique<ImageTarget>(image), graphics);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

GpStatus GdipDeleteGraphics(GpGraphics* graphics) {
  GraphicsObject* object = AsGraphics(graphics);
  if (!object) return InvalidParameter;
  UnregisterObject(static_cast<GpGraphics*>(object));
  delete object;
  return Ok;
}

GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color) {
  GraphicsObject* object = AsGraphics(graphics);
  if (!object) return InvalidParameter;
  GraphicsTarget::Session session(*object->target);
  if (!session.context()) return session.status();
  cairo_t* context = session.context();
  cairo_set_operator(context, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgba(context, ((color >> 16) & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0, (color & 0xFF) / 255.0,
                        (color >> 24) / 255.0);
  cairo_paint(context);
  return session.Finish();
}

GpStatus GdipSetPageUnit(GpGraphics* graphics, GpUnit unit) {
  GraphicsObject* object = AsGraphics(graphics);
  if (!object || unit < UnitWorld || unit > UnitMillimeter) return InvalidParameter;
  if (unit == UnitWorld) return InvalidParameter;  // world is not a page unit
  object->settings.unit = unit;
  return Ok;
}

GpStatus GdipGetPageUnit(GpGraphics* graphics, GpUnit* unit) {
  GraphicsObject* object = AsGraphics(graphics);
  if (!object || !unit) return InvalidParameter;
  *unit = object->settings.unit;
  return Ok;
}

GpStatus GdipSaveGraphics(GpGraphics* graphics, GraphicsState* state) {
  GraphicsObject* object = AsGraphics(graphics);
  if (!object || !state) return InvalidParameter;
  object->saved.push_back(object->settings);
  *state = static_cast<GraphicsState>(object->saved.size());
  return Ok;
}

GpStatus GdipRestoreGraphics(GpGraphics* graphics, GraphicsState state) {
  GraphicsObject* object = AsGraphics(graphics);
  if (!object) return InvalidParameter;
  // An unknown state is ignored, as the original does; a known one also drops the states
  // saved after it.
  if (state == 0 || state > object->saved.size()) return Ok;
  object->settings = object->saved[state - 1];
  object->saved.resize(state - 1);
  return Ok;
}

GpStatus GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode mode) {
  GraphicsObject* object = AsGraphics(graphics);
  if (!object || mode < InterpolationModeDefault || mode > InterpolationModeHighQualityBicubic) return InvalidParameter;
  // Default and low quality mean bilinear, high quality means high-quality bicubic.
  if (mode == InterpolationModeDefault || mode == InterpolationModeLowQuality) mode = InterpolationModeBilinear;
  if (mode == InterpolationModeHighQuality) mode = InterpolationModeHighQualityBicubic;
  object->settings.interpolation = mode;
  return Ok;
}

GpStatus GdipGetInterpolationMode(GpGraphics* graphics, InterpolationMode* mode) {
  GraphicsObject* object = AsGraphics(graphics);
  if (!object || !mode) return InvalidParameter;
  *mode = object->settings.interpolation;
  return Ok;
}

GpStatus GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode) {
  GraphicsObject* object = AsGraphics(graphics);
  if (!object || mode < SmoothingModeDefault || mode > SmoothingModeAntiAlias) return InvalidParameter;
  if (mode == SmoothingModeDefault || mode == SmoothingModeHighSpeed) mode = SmoothingModeNone;
  if (mode == SmoothingModeHighQuality) mode = SmoothingModeAntiAlias;
  object->settings.smoothing = mode;
  return Ok;
}

GpStatus GdipGetSmoothingMode(GpGraphics* graphics, SmoothingMode* mode) {
  GraphicsObject* object = AsGraphics(graphics);
  if (!object || !mode) return InvalidParameter;
  *mode = object->settings.smoothing;
  return Ok;
}

GpStatus GdipSetPixelOffsetMode(GpGraphics* graphics, PixelOffsetMode mode) {
  GraphicsObject* object = AsGraphics(graphics);
  if (!object || mode < PixelOffsetModeDefault || mode > PixelOffsetModeHalf) return InvalidParameter;
  if (mode == PixelOffsetModeDefault || mode == PixelOffsetModeHighSpeed) mode = PixelOffsetModeNone;
  if (mode == PixelOffsetModeHighQuality) mode = PixelOffsetModeHalf;
  object->settings.pixelOffset = mode;
  return Ok;
}

GpStatus GdipGetPixelOffsetMode(GpGraphics* graphics, PixelOffsetMode* mode) {
  GraphicsObject* object = AsGraphics(graphics);
  if (!object || !mode) return InvalidParameter;
  *mode = object->settings.pixelOffset;
  return Ok;
}

GpStatus GdipDrawImageRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL width, REAL height) {
  return DrawImage(graphics, image, x, y, width, height, std::nullopt, UnitPixel, nullptr, nullptr, nullptr);
}

GpStatus GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT width, INT height) {
  return DrawImage(graphics, image, x, y, width, height, std::nullopt, UnitPixel, nullptr, nullptr, nullptr);
}

GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL destX, REAL destY, REAL destWidth,
                               REAL destHeight, REAL sourceX, REAL sourceY, REAL sourceWidth, REAL sourceHeight,
                               GpUnit sourceUnit, const GpImageAttributes* attributes, DrawImageAbort callback,
                               void* callbackData) {
  return DrawImage(graphics, image, destX, destY, destWidth, destHeight,
                   std::array<double, 4>{sourceX, sourceY, sourceWidth, sourceHeight}, sourceUnit, attributes,
                   callback, callbackData);
}

GpStatus GdipDrawImageRectRectI(GpGraphics* graphics, GpImage* image, INT destX, INT destY, INT destWidth,
                                INT destHeight, INT sourceX, INT sourceY, INT sourceWidth, INT sourceHeight,
                                GpUnit sourceUnit, const GpImageAttributes* attributes, DrawImageAbort callback,
                                void* callbackData) {
  return DrawImage(graphics, image, destX, destY, destWidth, destHeight,
                   std::array<double, 4>{double(sourceX), double(sourceY), double(sourceWidth), double(sourceHeight)},
                   sourceUnit, attributes, callback, callbackData);
}

GpStatus GdipCreateImageAttributes(GpImageAttributes** attributes) {
  if (!attributes) return InvalidParameter;
  *attributes = nullptr;
  if (!Started()) return GdiplusNotInitialized;
  auto* object = new (std::nothrow) AttributesObject;
  if (!object) return OutOfMemory;
  RegisterObject(static_cast<GpImageAttributes*>(object), ObjectKind::Attributes);
  *attributes = object;
  return Ok;
}

GpStatus GdipDisposeImageAttributes(GpImageAttributes* attributes) {
  AttributesObject* object = AsAttributes(attributes);
  if (!object) return InvalidParameter;
  UnregisterObject(static_cast<GpImageAttributes*>(object));
  delete object;
  return Ok;
}

GpStatus GdipSetImageAttributesColorKeys(GpImageAttributes* attributes, ColorAdjustType type, BOOL enable, ARGB low,
                                         ARGB high) {
  AttributesObject* object = AsAttributes(attributes);
  if (!object || type < ColorAdjustTypeDefault || type >= ColorAdjustTypeCount) return InvalidParameter;
  ColorAdjustment& adjustment = object->adjustments[type];
  if (enable) adjustment.key = std::make_pair(low, high);
  else adjustment.key.reset();
  return Ok;
}

GpStatus GdipSetImageAttributesColorMatrix(GpImageAttributes* attributes, ColorAdjustType type, BOOL enable,
                                           const ColorMatrix* matrix, const ColorMatrix* grayMatrix,
                                           ColorMatrixFlags flags) {
  AttributesObject* object = AsAttributes(attributes);
  if (!object || type < ColorAdjustTypeDefault || type >= ColorAdjustTypeCount) return InvalidParameter;
  if (flags < ColorMatrixFlagsDefault || flags > ColorMatrixFlagsAltGray) return InvalidParameter;
  ColorAdjustment& adjustment = object->adjustments[type];
  if (!enable) {
    adjustment.matrix.reset();
    adjustment.grayMatrix.reset();
    return Ok;
  }
  if (!matrix || (flags == ColorMatrixFlagsAltGray && !grayMatrix)) return InvalidParameter;
  adjustment.matrix = *matrix;
  if (grayMatrix) adjustment.grayMatrix = *grayMatrix;
  else adjustment.grayMatrix.reset();
  adjustment.flags = flags;
  return Ok;
}
