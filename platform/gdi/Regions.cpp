// Regions over pixman: shapes, set operations, region data, and painting regions.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "platform/gdi/GdiInternal.h"

namespace platform::detail {

Region::Region(const RECT& rect) {
  if (rect.right > rect.left && rect.bottom > rect.top) {
    pixman_region32_init_rect(&m_region, rect.left, rect.top, static_cast<unsigned>(rect.right - rect.left),
                              static_cast<unsigned>(rect.bottom - rect.top));
  } else {
    pixman_region32_init(&m_region);
  }
}

Region Region::FromRects(const std::vector<pixman_box32_t>& boxes) {
  Region region;
  if (!boxes.empty()) {
    pixman_region32_fini(region.get());
    pixman_region32_init_rects(region.get(), boxes.data(), static_cast<int>(boxes.size()));
  }
  return region;
}

RECT Region::Bounds() const {
  if (Empty()) return RECT{0, 0, 0, 0};
  const pixman_box32_t* box = pixman_region32_extents(mut());
  return RECT{box->x1, box->y1, box->x2, box->y2};
}

int Region::Complexity() const {
  const int count = pixman_region32_n_rects(mut());
  return count == 0 ? NULLREGION : count == 1 ? SIMPLEREGION : COMPLEXREGION;
}

std::vector<pixman_box32_t> Region::Boxes() const {
  int count = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(mut(), &count);
  return std::vector<pixman_box32_t>(boxes, boxes + count);
}

namespace {

// Appends one row's span.
void AddSpan(std::vector<pixman_box32_t>& boxes, int y, int x1, int x2) {
  if (x2 > x1) boxes.push_back(pixman_box32_t{x1, y, x2, y + 1});
}

// Joins consecutive rows of one span each that cover the same columns.
Region MergeSingleSpanRows(const std::vector<pixman_box32_t>& boxes) {
  std::vector<pixman_box32_t> merged;
  for (const auto& box : boxes) {
    if (!merged.empty() && merged.back().x1 == box.x1 && merged.back().x2 == box.x2 && merged.back().y2 == box.y1) {
      merged.back().y2 = box.y2;
    } else {
      merged.push_back(box);
    }
  }
  return Region::FromRects(merged);
}

}  // namespace

Region RoundRectRegion(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  const int width = right - left, height = bottom - top;
  if (width <= 0 || height <= 0) return Region();
  const double rx = std::min(std::abs(ellipseWidth), width) / 2.0;
  const double ry = std::min(std::abs(ellipseHeight), height) / 2.0;
  std::vector<pixman_box32_t> boxes;
  for (int y = top; y < bottom; ++y) {
    const double yc = y + 0.5;
    double dy = 0;
    if (yc < top + ry) dy = top + ry - yc;
    else if (yc > bottom - ry) dy = yc - (bottom - ry);
    double inset = 0;
    if (dy > 0 && ry > 0) {
      const double t = dy / ry;
      if (t >= 1) continue;
      inset = rx - rx * std::sqrt(1 - t * t);
    }
    const int x1 = static_cast<int>(std::ceil(left + inset - 0.5));
    const int x2 = static_cast<int>(std::floor(right - inset - 0.5)) + 1;
    AddSpan(boxes, y, x1, x2);
  }
  return MergeSingleSpanRows(boxes);
}

Region EllipseRegion(int left, int top, int right, int bottom) {
  return RoundRectRegion(left, top, right, bottom, right - left, bottom - top);
}

Region PolygonRegion(const std::vector<std::vector<PointF>>& polygons, int fillMode) {
  struct Edge {
    double x0, y0, x1, y1;
    int direction;
  };
  std::vector<Edge> edges;
  double minY = 1e18, maxY = -1e18;
  for (const auto& polygon : polygons) {
    const size_t n = polygon.size();
    if (n < 2) continue;
    for (size_t i = 0; i < n; ++i) {
      const PointF& a = polygon[i];
      const PointF& b = polygon[(i + 1) % n];
      if (a.y == b.y) continue;
      edges.push_back(a.y < b.y ? Edge{a.x, a.y, b.x, b.y, 1} : Edge{b.x, b.y, a.x, a.y, -1});
      minY = std::min({minY, a.y, b.y});
      maxY = std::max({maxY, a.y, b.y});
    }
  }
  std::vector<pixman_box32_t> boxes;
  if (edges.empty()) return Region();
  const int firstRow = static_cast<int>(std::floor(minY - 0.5)), lastRow = static_cast<int>(std::ceil(maxY));
  std::vector<std::pair<double, int>> crossings;
  for (int y = firstRow; y <= lastRow; ++y) {
    const double yc = y + 0.5;
    crossings.clear();
    for (const Edge& e : edges) {
      if (yc < e.y0 || yc >= e.y1) continue;
      crossings.emplace_back(e.x0 + (yc - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0), e.direction);
    }
    std::sort(crossings.begin(), crossings.end());
    const size_t rowStart = boxes.size();
    int winding = 0;
    for (size_t i = 0; i + 1 < crossings.size(); ++i) {
      winding += fillMode == WINDING ? crossings[i].second : 1;
      const bool inside = fillMode == WINDING ? winding != 0 : (winding & 1);
      if (!inside) continue;
      const int x1 = static_cast<int>(std::ceil(crossings[i].first - 0.5));
      const int x2 = static_cast<int>(std::ceil(crossings[i + 1].first - 0.5));
      if (!boxes.empty() && boxes.size() > rowStart && boxes.back().x2 >= x1) {
        boxes.back().x2 = std::max(boxes.back().x2, x2);
      } else {
        AddSpan(boxes, y, x1, x2);
      }
    }
  }
  return Region::FromRects(boxes);
}

}  // namespace platform::detail

using namespace platform::detail;

static HRGN AddRegion(Region region) {
  auto object = std::make_shared<RegionObject>();
  object->region = std::move(region);
  return reinterpret_cast<HRGN>(AddGdiObject(std::move(object)));
}

static std::shared_ptr<RegionObject> GetRegion(HRGN handle) {
  auto object = GetGdi<RegionObject>(handle, GdiKind::Region);
  if (!object) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  return AddRegion(Region(RECT{std::min(left, right), std::min(top, bottom), std::max(left, right),
                               std::max(top, bottom)}));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  return AddRegion(RoundRectRegion(left, top, right, bottom, ellipseWidth, ellipseHeight));
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
  return AddRegion(EllipseRegion(left, top, right, bottom));
}

HRGN CreateEllipticRgnIndirect(const RECT* rect) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateEllipticRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreatePolyPolygonRgn(const POINT* points, const INT* counts, int polygons, int fillMode) {
  if (!points || !counts || polygons <= 0 || (fillMode != ALTERNATE && fillMode != WINDING)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::vector<std::vector<PointF>> shapes;
  for (int i = 0; i < polygons; ++i) {
    if (counts[i] < 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    std::vector<PointF> shape;
    for (int j = 0; j < counts[i]; ++j, ++points) shape.push_back(PointF{double(points->x), double(points->y)});
    shapes.push_back(std::move(shape));
  }
  return AddRegion(PolygonRegion(shapes, fillMode));
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
  return CreatePolyPolygonRgn(points, &count, 1, fillMode);
}

HRGN ExtCreateRegion(const XFORM* transform, DWORD size, const RGNDATA* data) {
  if (!data || size < sizeof(RGNDATAHEADER) || data->rdh.dwSize < sizeof(RGNDATAHEADER) ||
      data->rdh.iType != RDH_RECTANGLES ||
      size < data->rdh.dwSize + static_cast<uint64_t>(data->rdh.nCount) * sizeof(RECT)) {
    SetLastErrorWithDetail(ERROR_INVALID_PARAMETER, "malformed region data");
    return nullptr;
  }
  int dx = 0, dy = 0;
  if (transform) {
    // Translations are all a region can take without turning into a polygon.
    if (transform->eM11 != 1 || transform->eM12 != 0 || transform->eM21 != 0 || transform->eM22 != 1) {
      SetLastErrorWithDetail(ERROR_INVALID_PARAMETER, "only translating region transforms are supported");
      return nullptr;
    }
    dx = static_cast<int>(std::lround(transform->eDx));
    dy = static_cast<int>(std::lround(transform->eDy));
  }
  const auto* rects = reinterpret_cast<const RECT*>(reinterpret_cast<const uint8_t*>(data) + data->rdh.dwSize);
  Region region;
  for (DWORD i = 0; i < data->rdh.nCount; ++i) {
    RECT r;
    std::memcpy(&r, rects + i, sizeof(r));
    region.Unite(Region(RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}));
  }
  return AddRegion(std::move(region));
}

DWORD GetRegionData(HRGN handle, DWORD size, RGNDATA* data) {
  auto region = GetRegion(handle);
  if (!region) return 0;
  const auto boxes = region->region.Boxes();
  const DWORD needed = static_cast<DWORD>(sizeof(RGNDATAHEADER) + boxes.size() * sizeof(RECT));
  if (!data) return needed;
  if (size < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(boxes.size());
  data->rdh.nRgnSize = static_cast<DWORD>(boxes.size() * sizeof(RECT));
  data->rdh.rcBound = region->region.Bounds();
  auto* out = reinterpret_cast<uint8_t*>(data) + sizeof(RGNDATAHEADER);
  for (size_t i = 0; i < boxes.size(); ++i) {
    const RECT r{boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2};
    std::memcpy(out + i * sizeof(RECT), &r, sizeof(RECT));
  }
  return needed;
}

int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode) {
  auto dest = GetRegion(destination);
  auto a = GetRegion(source1);
  if (!dest || !a) return ERROR;
  if (mode == RGN_COPY) {
    dest->region = a->region;
    return dest->region.Complexity();
  }
  auto b = GetRegion(source2);
  if (!b) return ERROR;
  Region result;
  switch (mode) {
    case RGN_AND: pixman_region32_intersect(result.get(), a->region.mut(), b->region.mut()); break;
    case RGN_OR: pixman_region32_union(result.get(), a->region.mut(), b->region.mut()); break;
    case RGN_DIFF: pixman_region32_subtract(result.get(), a->region.mut(), b->region.mut()); break;
    case RGN_XOR: {
      Region left, right;
      pixman_region32_subtract(left.get(), a->region.mut(), b->region.mut());
      pixman_region32_subtract(right.get(), b->region.mut(), a->region.mut());
      pixman_region32_union(result.get(), left.get(), right.get());
      break;
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return ERROR;
  }
  dest->region = std::move(result);
  return dest->region.Complexity();
}

BOOL SetRectRgn(HRGN handle, int left, int top, int right, int bottom) {
  auto region = GetRegion(handle);
  if (!region) return FALSE;
  region->region = Region(RECT{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)});
  return TRUE;
}

int OffsetRgn(HRGN handle, int dx, int dy) {
  auto region = GetRegion(handle);
  if (!region) return ERROR;
  region->region.Translate(dx, dy);
  return region->region.Complexity();
}

BOOL PtInRegion(HRGN handle, int x, int y) {
  auto region = GetRegion(handle);
  return region && region->region.Contains(x, y) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN handle, const RECT* rect) {
  auto region = GetRegion(handle);
  if (!region || !rect) return FALSE;
  Region area(RECT{std::min(rect->left, rect->right), std::min(rect->top, rect->bottom), std::max(rect->left, rect->right),
                   std::max(rect->top, rect->bottom)});
  area.Intersect(region->region);
  return area.Empty() ? FALSE : TRUE;
}

int GetRgnBox(HRGN handle, RECT* rect) {
  auto region = GetRegion(handle);
  if (!region || !rect) return ERROR;
  *rect = region->region.Bounds();
  return region->region.Complexity();
}

BOOL EqualRgn(HRGN a, HRGN b) {
  auto first = GetRegion(a);
  auto second = GetRegion(b);
  if (!first || !second) return ERROR;
  return pixman_region32_equal(first->region.mut(), second->region.mut()) ? TRUE : FALSE;
}

// Region painting: the region is in logical coordinates, moved by the DC's origins.
static bool DeviceRegion(const DcState& state, const Region& logical, Region* out) {
  *out = logical;
  const POINT offset = ToDevice(state, 0, 0);
  out->Translate(offset.x, offset.y);
  return true;
}

static BOOL PaintWith(HDC dc, HRGN handle, const std::function<void(DrawTarget&, DcState&, const Region&)>& paint) {
  auto object = GetDc(dc);
  auto region = GetRegion(handle);
  if (!object || !region) return FALSE;
  Region device;
  DeviceRegion(object->state, region->region, &device);
  DrawTarget target(*object);
  if (!target.Valid()) return FALSE;
  paint(target, object->state, device);
  return TRUE;
}

BOOL FillRgn(HDC dc, HRGN region, HBRUSH brushHandle) {
  auto brush = GetGdi<BrushObject>(brushHandle, GdiKind::Brush);
  if (!brush) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return PaintWith(dc, region, [&](DrawTarget& target, DcState& state, const Region& shape) {
    PaintRegion(target, shape, BrushPaint(state, brush.get()), R2_COPYPEN);
  });
}

BOOL PaintRgn(HDC dc, HRGN region) {
  return PaintWith(dc, region, [&](DrawTarget& target, DcState& state, const Region& shape) {
    PaintRegion(target, shape, BrushPaint(state, state.brush.get()), state.rop2);
  });
}

BOOL FrameRgn(HDC dc, HRGN region, HBRUSH brushHandle, int width, int height) {
  auto brush = GetGdi<BrushObject>(brushHandle, GdiKind::Brush);
  if (!brush || width < 0 || height < 0) {
    SetLastError(brush ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return PaintWith(dc, region, [&](DrawTarget& target, DcState& state, const Region& shape) {
    // The frame is what an erosion by (width, height) takes away from the region.
    Region inner = shape;
    for (const POINT shift : {POINT{width, 0}, POINT{-width, 0}, POINT{0, height}, POINT{0, -height}}) {
      Region moved = shape;
      moved.Translate(shift.x, shift.y);
      inner.Intersect(moved);
    }
    Region frame = shape;
    frame.Subtract(inner);
    PaintRegion(target, frame, BrushPaint(state, brush.get()), R2_COPYPEN);
  });
}

BOOL InvertRgn(HDC dc, HRGN region) {
  return PaintWith(dc, region, [&](DrawTarget& target, DcState&, const Region& shape) {
    PaintRegion(target, shape, ColorPaint(0), R2_NOT);
  });
}
