// Lines, shapes and fills with Windows' pixel rules.

#include <algorithm>
#include <cmath>
#include <functional>

#include "platform/gdi/GdiInternal.h"

namespace platform::detail {

uint32_t Paint::At(int x, int y, bool* visible) const {
  if (!pattern) {
    *visible = true;
    return color;
  }
  int tx = (x - origin.x) % tileWidth, ty = (y - origin.y) % tileHeight;
  if (tx < 0) tx += tileWidth;
  if (ty < 0) ty += tileHeight;
  const size_t index = static_cast<size_t>(ty) * tileWidth + tx;
  *visible = mask.empty() || mask[index];
  return tile[index];
}

Paint ColorPaint(COLORREF color) {
  Paint paint;
  paint.color = ToPixel(color);
  return paint;
}

Paint BrushPaint(const DcState& state, const BrushObject* brush) {
  Paint paint;
  if (!brush || brush->style == BS_NULL) {
    paint.none = true;
    return paint;
  }
  if (brush->style == BS_SOLID) {
    paint.color = ToPixel(brush->dcBrush ? state.dcBrushColor : brush->color);
    return paint;
  }
  paint.pattern = true;
  paint.origin = state.brushOrigin;
  if (brush->style == BS_HATCHED) {
    paint.tileWidth = paint.tileHeight = 8;
    paint.tile.resize(64);
    const bool opaque = state.bkMode == OPAQUE;
    if (!opaque) paint.mask.resize(64);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        bool on = false;
        switch (brush->hatch) {
          case HS_HORIZONTAL: on = y == 7; break;
          case HS_VERTICAL: on = x == 7; break;
          case HS_FDIAGONAL: on = x == y; break;
          case HS_BDIAGONAL: on = x + y == 7; break;
          case HS_CROSS: on = x == 7 || y == 7; break;
          case HS_DIAGCROSS: on = x == y || x + y == 7; break;
        }
        paint.tile[static_cast<size_t>(y * 8 + x)] = ToPixel(on ? brush->color : state.bkColor);
        if (!opaque) paint.mask[static_cast<size_t>(y * 8 + x)] = on;
      }
    }
    return paint;
  }
  paint.tileWidth = std::max(brush->patternWidth, 1);
  paint.tileHeight = std::max(brush->patternHeight, 1);
  paint.tile = brush->pattern;
  paint.tile.resize(static_cast<size_t>(paint.tileWidth) * paint.tileHeight);
  for (uint32_t& pixel : paint.tile) {
    // Monochrome patterns: 0 bits take the text colour, 1 bits the background colour.
    if (brush->monochrome) pixel = ToPixel((pixel & 0xFFFFFF) ? state.bkColor : state.textColor);
    pixel &= 0xFFFFFF;
  }
  return paint;
}

void PaintRegion(DrawTarget& target, const Region& shape, const Paint& paint, int rop2) {
  if (paint.none || rop2 == R2_NOP) return;
  Region area = shape;
  area.Intersect(target.Clip());
  for (const pixman_box32_t& box : area.Boxes()) {
    for (int y = box.y1; y < box.y2; ++y) {
      uint32_t* row = target.Pixel(box.x1, y);
      const int count = box.x2 - box.x1;
      if (!paint.pattern && rop2 == R2_COPYPEN) {
        std::fill_n(row, count, paint.color & 0xFFFFFF);
        continue;
      }
      for (int i = 0; i < count; ++i) {
        bool visible;
        const uint32_t color = paint.At(box.x1 + i, y, &visible);
        if (visible) row[i] = ApplyRop2(rop2, color, row[i]) & 0xFFFFFF;
      }
    }
  }
}

namespace {

// Length pattern of styled one-pixel lines: on, off, on, off ...
std::vector<int> StylePattern(int style) {
  switch (style) {
    case PS_DASH: return {18, 6};
    case PS_DOT: return {3, 3};
    case PS_DASHDOT: return {9, 6, 3, 6};
    case PS_DASHDOTDOT: return {9, 3, 3, 3, 3, 3};
    case PS_ALTERNATE: return {1, 1};
    default: return {};
  }
}

struct Stroke {
  Region on;
  Region off;  // gaps of styled lines, painted with the background colour when opaque
};

class PixelCollector {
 public:
  void Add(int x, int y, bool on) { (on ? m_on : m_off).push_back(pixman_box32_t{x, y, x + 1, y + 1}); }
  Stroke Finish() { return Stroke{Region::FromRects(m_on), Region::FromRects(m_off)}; }

 private:
  std::vector<pixman_box32_t> m_on, m_off;
};

// Bresenham from a to b, b excluded; `step` counts pixels for the style pattern.
void ThinSegment(PixelCollector& pixels, POINT a, POINT b, const std::vector<int>& pattern, long& step) {
  int x = a.x, y = a.y;
  const int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
  const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
  int error = dx + dy;
  long period = 0;
  for (int length : pattern) period += length;
  while (x != b.x || y != b.y) {
    bool on = true;
    if (period) {
      long position = step % period;
      for (size_t i = 0; i < pattern.size(); ++i) {
        if (position < pattern[i]) {
          on = (i % 2) == 0;
          break;
        }
        position -= pattern[i];
      }
    }
    pixels.Add(x, y, on);
    ++step;
    const int e2 = 2 * error;
    if (e2 >= dy) {
      error += dy;
      x += sx;
    }
    if (e2 <= dx) {
      error += dx;
      y += sy;
    }
  }
}

Region Disc(PointF center, int width) {
  const int left = static_cast<int>(std::lround(center.x - width / 2.0));
  const int top = static_cast<int>(std::lround(center.y - width / 2.0));
  return EllipseRegion(left, top, left + width, top + width);
}

// The pixels a pen covers along device points.
Stroke StrokePoints(const std::vector<PointF>& points, bool closed, const PenObject& pen, bool includeLast) {
  Stroke stroke;
  if (pen.Style() == PS_NULL || points.empty()) return stroke;
  if (pen.width <= 1) {
    PixelCollector pixels;
    const auto pattern = StylePattern(pen.Style());
    long step = 0;
    std::vector<POINT> p;
    for (const PointF& q : points) p.push_back(POINT{static_cast<LONG>(std::lround(q.x)), static_cast<LONG>(std::lround(q.y))});
    for (size_t i = 0; i + 1 < p.size(); ++i) ThinSegment(pixels, p[i], p[i + 1], pattern, step);
    if (closed && p.size() > 1) ThinSegment(pixels, p.back(), p.front(), pattern, step);
    if (includeLast && !closed) pixels.Add(p.back().x, p.back().y, true);
    return pixels.Finish();
  }
  // Wide pens: a band along each segment, with round joins and caps unless asked flat.
  const double half = pen.width / 2.0;
  const int cap = static_cast<int>(pen.style & PS_ENDCAP_MASK);
  const bool roundJoins = (pen.style & PS_JOIN_MASK) == PS_JOIN_ROUND;
  const size_t count = points.size();
  const size_t segments = closed ? count : count - 1;
  for (size_t i = 0; i < segments; ++i) {
    const PointF a = points[i], b = points[(i + 1) % count];
    double ux = b.x - a.x, uy = b.y - a.y;
    const double length = std::hypot(ux, uy);
    if (length == 0) continue;
    ux /= length;
    uy /= length;
    const bool first = i == 0 && !closed, last = i + 1 == segments && !closed;
    const double extendA = (first && cap == PS_ENDCAP_SQUARE) ? half : 0;
    const double extendB = (last && cap == PS_ENDCAP_SQUARE) ? half : 0;
    // Pixel centres sit at +0.5: shift the band so a band centred on a pixel row covers it.
    const double ox = 0.5, oy = 0.5;
    std::vector<PointF> band = {
        {a.x - ux * extendA - uy * half + ox, a.y - uy * extendA + ux * half + oy},
        {b.x + ux * extendB - uy * half + ox, b.y + uy * extendB + ux * half + oy},
        {b.x + ux * extendB + uy * half + ox, b.y + uy * extendB - ux * half + oy},
        {a.x - ux * extendA + uy * half + ox, a.y - uy * extendA - ux * half + oy}};
    stroke.on.Unite(PolygonRegion({band}, WINDING));
  }
  for (size_t i = 0; i < count; ++i) {
    const bool end = !closed && (i == 0 || i + 1 == count);
    if ((end && cap == PS_ENDCAP_ROUND) || (!end && roundJoins)) {
      stroke.on.Unite(Disc(PointF{points[i].x + 0.5, points[i].y + 0.5}, pen.width));
    }
  }
  return stroke;
}

void PaintStroke(DrawTarget& target, const DcState& state, const Stroke& stroke) {
  PaintRegion(target, stroke.on, ColorPaint(PenColor(state)), state.rop2);
  if (state.bkMode == OPAQUE && !stroke.off.Empty()) PaintRegion(target, stroke.off, ColorPaint(state.bkColor), state.rop2);
}

std::vector<PointF> DevicePoints(const DcState& state, const POINT* points, size_t count) {
  std::vector<PointF> out;
  out.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const PointF p = ToDeviceF(state, points[i].x, points[i].y);
    out.push_back(PointF{std::round(p.x), std::round(p.y)});
  }
  return out;
}

// Runs a drawing step on a DC's pixels; FALSE for a bad DC.
BOOL WithTarget(HDC dc, const std::function<void(DrawTarget&, DcState&)>& draw) {
  auto object = GetDc(dc);
  if (!object) return FALSE;
  DrawTarget target(*object);
  if (!target.Valid()) return FALSE;
  draw(target, object->state);
  return TRUE;
}

// Polygon outline and fill in device points (closed).
void DrawPolygons(DrawTarget& target, const DcState& state, const std::vector<std::vector<PointF>>& polygons) {
  std::vector<std::vector<PointF>> fill;
  for (const auto& polygon : polygons) {
    std::vector<PointF> shifted;
    for (const PointF& p : polygon) shifted.push_back(PointF{p.x + 0.5, p.y + 0.5});
    fill.push_back(std::move(shifted));
  }
  // Pixel centres strictly inside the outline through the vertices' pixel centres.
  PaintRegion(target, PolygonRegion(fill, state.polyFillMode), BrushPaint(state, state.brush.get()), state.rop2);
  for (const auto& polygon : polygons) PaintStroke(target, state, StrokePoints(polygon, true, *state.pen, false));
}

struct Frame {
  RECT outer;
  RECT inner;
  bool nullPen;
};

// The pen band of a shape framed by (left, top, right, bottom) as Windows draws it: a
// one-pixel pen lies on the outermost pixels; wider pens are centred on them unless the
// pen is PS_INSIDEFRAME. A null pen fills a shape one pixel smaller.
Frame ShapeFrame(const DcState& state, RECT device) {
  const PenObject& pen = *state.pen;
  const int width = pen.Style() == PS_NULL ? 0 : pen.width;
  Frame frame;
  frame.nullPen = width == 0;
  if (frame.nullPen) {
    frame.outer = frame.inner = RECT{device.left, device.top, device.right - 1, device.bottom - 1};
    return frame;
  }
  if (pen.Style() == PS_INSIDEFRAME || width == 1) {
    frame.outer = device;
  } else {
    const int before = width / 2, after = width - width / 2 - 1;
    frame.outer = RECT{device.left - before, device.top - before, device.right + after, device.bottom + after};
  }
  frame.inner = RECT{frame.outer.left + width, frame.outer.top + width, frame.outer.right - width, frame.outer.bottom - width};
  return frame;
}

RECT NormalRect(int left, int top, int right, int bottom) {
  return RECT{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

std::vector<PointF> EllipsePolygon(const DcState& state, const RECT& r, int segments = 72) {
  std::vector<PointF> points;
  const double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
  const double rx = (r.right - r.left) / 2.0, ry = (r.bottom - r.top) / 2.0;
  for (int i = 0; i < segments; ++i) {
    const double angle = 2 * M_PI * i / segments;
    const PointF p = ToDeviceF(state, cx + rx * std::cos(angle), cy + ry * std::sin(angle));
    points.push_back(PointF{std::round(p.x), std::round(p.y)});
  }
  return points;
}

enum class ArcKind { Arc, Pie, Chord };

Region FilterRegion(const Region& region, const std::function<bool(double, double)>& keep) {
  std::vector<pixman_box32_t> boxes;
  for (const auto& box : region.Boxes()) {
    for (int y = box.y1; y < box.y2; ++y) {
      int start = -1;
      for (int x = box.x1; x <= box.x2; ++x) {
        const bool inside = x < box.x2 && keep(x + 0.5, y + 0.5);
        if (inside && start < 0) start = x;
        if (!inside && start >= 0) {
          boxes.push_back(pixman_box32_t{start, y, x, y + 1});
          start = -1;
        }
      }
    }
  }
  return Region::FromRects(boxes);
}

BOOL DrawArc(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd, ArcKind kind) {
  return WithTarget(dc, [&](DrawTarget& target, DcState& state) {
    const RECT device = ToDeviceRect(state, NormalRect(left, top, right, bottom));
    const POINT start = ToDevice(state, xStart, yStart), end = ToDevice(state, xEnd, yEnd);
    const double cx = (device.left + device.right) / 2.0, cy = (device.top + device.bottom) / 2.0;
    // Angles counter-clockwise as seen on screen (y grows downwards).
    const double a0 = std::atan2(-(start.y - cy), start.x - cx);
    double sweep = std::atan2(-(end.y - cy), end.x - cx) - a0;
    while (sweep <= 0) sweep += 2 * M_PI;
    auto inSector = [&](double x, double y) {
      double angle = std::atan2(-(y - cy), x - cx) - a0;
      while (angle < 0) angle += 2 * M_PI;
      return angle <= sweep;
    };
    const Frame frame = ShapeFrame(state, device);
    const Region outer = EllipseRegion(frame.outer.left, frame.outer.top, frame.outer.right, frame.outer.bottom);
    const Region inner = EllipseRegion(frame.inner.left, frame.inner.top, frame.inner.right, frame.inner.bottom);
    const double rx = (device.right - device.left) / 2.0, ry = (device.bottom - device.top) / 2.0;
    auto onEllipse = [&](double angle) {
      return PointF{std::round(cx + (rx - 0.5) * std::cos(angle) - 0.5), std::round(cy - (ry - 0.5) * std::sin(angle) - 0.5)};
    };
    const PointF p0 = onEllipse(a0), p1 = onEllipse(a0 + sweep);
    if (kind != ArcKind::Arc) {
      Region interior;
      if (kind == ArcKind::Pie) {
        interior = FilterRegion(inner, inSector);
      } else {
        // The side of the chord line that holds the arc (points on the line included).
        auto side = [&](double x, double y) { return (p1.x - p0.x) * (y - p0.y) - (p1.y - p0.y) * (x - p0.x); };
        const PointF middle = onEllipse(a0 + sweep / 2);
        const double arcSide = side(middle.x, middle.y);
        interior = FilterRegion(inner, [&](double x, double y) {
          const double here = side(x - 0.5, y - 0.5);
          return here == 0 || (here > 0) == (arcSide > 0);
        });
      }
      PaintRegion(target, interior, BrushPaint(state, state.brush.get()), state.rop2);
    }
    if (frame.nullPen) return;
    Region ring = outer;
    ring.Subtract(inner);
    PaintRegion(target, FilterRegion(ring, inSector), ColorPaint(PenColor(state)), state.rop2);
    if (kind == ArcKind::Pie) {
      const PointF centre{std::round(cx - 0.5), std::round(cy - 0.5)};
      PaintStroke(target, state, StrokePoints({p0, centre, p1}, false, *state.pen, true));
    } else if (kind == ArcKind::Chord) {
      PaintStroke(target, state, StrokePoints({p0, p1}, false, *state.pen, true));
    }
  });
}

BOOL DrawRoundShape(HDC dc, int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight, bool ellipse) {
  return WithTarget(dc, [&](DrawTarget& target, DcState& state) {
    const RECT logical = NormalRect(left, top, right, bottom);
    if (!SimpleMapping(state)) {
      std::vector<PointF> outline = EllipsePolygon(state, logical);
      if (!ellipse) {
        outline = {ToDeviceF(state, logical.left, logical.top), ToDeviceF(state, logical.right - 1, logical.top),
                   ToDeviceF(state, logical.right - 1, logical.bottom - 1), ToDeviceF(state, logical.left, logical.bottom - 1)};
      }
      DrawPolygons(target, state, {outline});
      return;
    }
    const RECT device = ToDeviceRect(state, logical);
    const Frame frame = ShapeFrame(state, device);
    const int width = frame.outer.right - frame.outer.left, height = frame.outer.bottom - frame.outer.top;
    const int penWidth = frame.inner.left - frame.outer.left;
    const int ew = ellipse ? width : ellipseWidth, eh = ellipse ? height : ellipseHeight;
    const Region outer = RoundRectRegion(frame.outer.left, frame.outer.top, frame.outer.right, frame.outer.bottom, ew, eh);
    const Region inner = RoundRectRegion(frame.inner.left, frame.inner.top, frame.inner.right, frame.inner.bottom,
                                         ellipse ? width - 2 * penWidth : ew - 2 * penWidth,
                                         ellipse ? height - 2 * penWidth : eh - 2 * penWidth);
    PaintRegion(target, inner, BrushPaint(state, state.brush.get()), state.rop2);
    if (frame.nullPen) return;
    Region ring = outer;
    ring.Subtract(inner);
    PaintRegion(target, ring, ColorPaint(PenColor(state)), state.rop2);
  });
}

}  // namespace

}  // namespace platform::detail

using namespace platform::detail;

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous) {
  auto object = GetDc(dc);
  if (!object) return FALSE;
  if (previous) *previous = object->state.position;
  object->state.position = POINT{x, y};
  return TRUE;
}

BOOL GetCurrentPositionEx(HDC dc, POINT* position) {
  auto object = GetDc(dc);
  if (!object || !position) return FALSE;
  *position = object->state.position;
  return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
  return WithTarget(dc, [&](DrawTarget& target, DcState& state) {
    const POINT points[2] = {state.position, POINT{x, y}};
    PaintStroke(target, state, StrokePoints(DevicePoints(state, points, 2), false, *state.pen, false));
    state.position = POINT{x, y};
  });
}

BOOL Polyline(HDC dc, const POINT* points, int count) {
  if (!points || count < 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return WithTarget(dc, [&](DrawTarget& target, DcState& state) {
    PaintStroke(target, state, StrokePoints(DevicePoints(state, points, static_cast<size_t>(count)), false, *state.pen, false));
  });
}

BOOL PolylineTo(HDC dc, const POINT* points, DWORD count) {
  if (!points || count == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return WithTarget(dc, [&](DrawTarget& target, DcState& state) {
    std::vector<POINT> all = {state.position};
    all.insert(all.end(), points, points + count);
    PaintStroke(target, state, StrokePoints(DevicePoints(state, all.data(), all.size()), false, *state.pen, false));
    state.position = points[count - 1];
  });
}

BOOL PolyPolyline(HDC dc, const POINT* points, const DWORD* counts, DWORD polylines) {
  if (!points || !counts) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  for (DWORD i = 0; i < polylines; ++i) {
    if (!Polyline(dc, points, static_cast<int>(counts[i]))) return FALSE;
    points += counts[i];
  }
  return TRUE;
}

BOOL PolyPolygon(HDC dc, const POINT* points, const INT* counts, int polygons) {
  if (!points || !counts || polygons <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  for (int i = 0; i < polygons; ++i) {
    if (counts[i] < 2) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
  }
  return WithTarget(dc, [&](DrawTarget& target, DcState& state) {
    std::vector<std::vector<PointF>> shapes;
    const POINT* p = points;
    for (int i = 0; i < polygons; ++i) {
      shapes.push_back(DevicePoints(state, p, static_cast<size_t>(counts[i])));
      p += counts[i];
    }
    DrawPolygons(target, state, shapes);
  });
}

BOOL Polygon(HDC dc, const POINT* points, int count) { return PolyPolygon(dc, points, &count, 1); }

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
  return WithTarget(dc, [&](DrawTarget& target, DcState& state) {
    const RECT logical = NormalRect(left, top, right, bottom);
    if (!SimpleMapping(state)) {
      const POINT corners[4] = {{logical.left, logical.top}, {logical.right - 1, logical.top},
                                {logical.right - 1, logical.bottom - 1}, {logical.left, logical.bottom - 1}};
      DrawPolygons(target, state, {DevicePoints(state, corners, 4)});
      return;
    }
    const RECT device = ToDeviceRect(state, logical);
    const Frame frame = ShapeFrame(state, device);
    PaintRegion(target, Region(frame.inner), BrushPaint(state, state.brush.get()), state.rop2);
    if (frame.nullPen || device.right <= device.left || device.bottom <= device.top) return;
    if (state.pen->width <= 1) {
      // One-pixel pens keep their style along the border.
      const std::vector<PointF> corners = {{double(device.left), double(device.top)},
                                           {double(device.right - 1), double(device.top)},
                                           {double(device.right - 1), double(device.bottom - 1)},
                                           {double(device.left), double(device.bottom - 1)}};
      Stroke stroke = StrokePoints(corners, true, *state.pen, false);
      if (device.right - device.left == 1 || device.bottom - device.top == 1) stroke.on.Unite(Region(device));
      PaintStroke(target, state, stroke);
      return;
    }
    Region ring(frame.outer);
    ring.Subtract(Region(frame.inner));
    PaintRegion(target, ring, ColorPaint(PenColor(state)), state.rop2);
  });
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  return DrawRoundShape(dc, left, top, right, bottom, ellipseWidth, ellipseHeight, false);
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
  return DrawRoundShape(dc, left, top, right, bottom, 0, 0, true);
}

BOOL Arc(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd) {
  return DrawArc(dc, left, top, right, bottom, xStart, yStart, xEnd, yEnd, ArcKind::Arc);
}

BOOL Pie(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd) {
  return DrawArc(dc, left, top, right, bottom, xStart, yStart, xEnd, yEnd, ArcKind::Pie);
}

BOOL Chord(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd) {
  return DrawArc(dc, left, top, right, bottom, xStart, yStart, xEnd, yEnd, ArcKind::Chord);
}

// A logical rectangle as a device region (a polygon under rotating transforms).
static Region RectShape(const DcState& state, const RECT& rect) {
  const RECT r = NormalRect(rect.left, rect.top, rect.right, rect.bottom);
  if (SimpleMapping(state)) return Region(ToDeviceRect(state, r));
  std::vector<PointF> corners = {ToDeviceF(state, r.left, r.top), ToDeviceF(state, r.right, r.top),
                                 ToDeviceF(state, r.right, r.bottom), ToDeviceF(state, r.left, r.bottom)};
  return PolygonRegion({corners}, ALTERNATE);
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brushHandle) {
  auto brush = GetGdi<BrushObject>(brushHandle, GdiKind::Brush);
  if (!rect || !brush) {
    SetLastError(brush ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return 0;
  }
  // Right and bottom edges are excluded; a reversed rectangle paints nothing.
  if (rect->right <= rect->left || rect->bottom <= rect->top) return GetDc(dc) ? 1 : 0;
  return WithTarget(dc, [&](DrawTarget& target, DcState& state) {
    PaintRegion(target, RectShape(state, *rect), BrushPaint(state, brush.get()), R2_COPYPEN);
  });
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brushHandle) {
  auto brush = GetGdi<BrushObject>(brushHandle, GdiKind::Brush);
  if (!rect || !brush) {
    SetLastError(brush ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return 0;
  }
  if (rect->right <= rect->left || rect->bottom <= rect->top) return GetDc(dc) ? 1 : 0;
  return WithTarget(dc, [&](DrawTarget& target, DcState& state) {
    Region frame = RectShape(state, *rect);
    frame.Subtract(RectShape(state, RECT{rect->left + 1, rect->top + 1, rect->right - 1, rect->bottom - 1}));
    PaintRegion(target, frame, BrushPaint(state, brush.get()), R2_COPYPEN);
  });
}

BOOL InvertRect(HDC dc, const RECT* rect) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return WithTarget(dc, [&](DrawTarget& target, DcState& state) {
    PaintRegion(target, RectShape(state, *rect), ColorPaint(0), R2_NOT);
  });
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  COLORREF result = CLR_INVALID;
  WithTarget(dc, [&](DrawTarget& target, DcState& state) {
    const POINT p = ToDevice(state, x, y);
    if (!target.Clip().Contains(p.x, p.y)) return;
    *target.Pixel(p.x, p.y) = ToPixel(color);
    result = color & 0xFFFFFF;
  });
  return result;
}

BOOL SetPixelV(HDC dc, int x, int y, COLORREF color) { return SetPixel(dc, x, y, color) != CLR_INVALID; }

COLORREF GetPixel(HDC dc, int x, int y) {
  auto object = GetDc(dc);
  if (!object) return CLR_INVALID;
  DrawTarget target(*object, false);
  const POINT p = ToDevice(object->state, x, y);
  if (!target.Valid() || !target.Clip().Contains(p.x, p.y)) return CLR_INVALID;
  return ToColorRef(*target.Pixel(p.x, p.y));
}
