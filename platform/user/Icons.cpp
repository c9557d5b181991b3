// Icons: standard ones drawn at first use, .ico/.cur resources decoded, bitmaps turned into
// icons and back, and drawing with alpha or mask transparency.

#include "platform/user/Icons.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "platform/gdi/DcGuards.h"
#include "platform/gdi/PictureReader.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/HandleTable.h"
#include "platform/kernel/WinError.h"
#include "platform/user/Resources.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {
namespace {

// Straight (not premultiplied) BGRA pixels, top-down, 0xAARRGGBB.
struct IconObject {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  bool isIcon = true;
  POINT hotspot{};
  bool shared = false;
  // Where the picture came from, so that LR_COPYFROMRESOURCE can take another of its sizes:
  // a standard icon's id, or the resource's name (an id as "#n").
  int standardId = 0;
  std::u16string resourceName;
};

HandleTable<IconObject>& Icons() {
  static auto* table = new HandleTable<IconObject>(handle_tags::kIcon);
  return *table;
}

HICON AddIcon(IconObject icon) {
  return reinterpret_cast<HICON>(Icons().Add(std::make_shared<IconObject>(std::move(icon))));
}

std::shared_ptr<IconObject> GetIcon(HICON icon) {
  auto object = Icons().Get(reinterpret_cast<uintptr_t>(icon));
  if (!object) SetLastError(ERROR_INVALID_ICON_HANDLE);
  return object;
}

// ---- bitmaps ---------------------------------------------------------------------------------

bool ReadBitmap32(HBITMAP bitmap, int* width, int* height, std::vector<uint32_t>* pixels) {
  BITMAP bm{};
  if (!bitmap || GetObjectW(bitmap, sizeof bm, &bm) == 0 || bm.bmWidth <= 0 || bm.bmHeight <= 0) return false;
  *width = bm.bmWidth;
  *height = bm.bmHeight;
  pixels->assign(static_cast<size_t>(bm.bmWidth) * bm.bmHeight, 0);
  BITMAPINFO info = platform::TopDownBitmapInfo32(bm.bmWidth, bm.bmHeight);
  const platform::OwnedDc dc(CreateCompatibleDC(nullptr));
  return GetDIBits(dc.get(), bitmap, 0, bm.bmHeight, pixels->data(), &info, DIB_RGB_COLORS) == bm.bmHeight;
}

HBITMAP MakeDib(int width, int height, const uint32_t* pixels) {
  BITMAPINFO info = platform::TopDownBitmapInfo32(width, height);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits && pixels) std::memcpy(bits, pixels, static_cast<size_t>(width) * height * 4);
  return bitmap;
}

std::vector<uint32_t> Scale(const std::vector<uint32_t>& pixels, int width, int height, int newWidth, int newHeight) {
  if (newWidth == width && newHeight == height) return pixels;
  std::vector<uint32_t> out(static_cast<size_t>(newWidth) * newHeight);
  for (int y = 0; y < newHeight; ++y)
    for (int x = 0; x < newWidth; ++x)
      out[static_cast<size_t>(y) * newWidth + x] =
          pixels[static_cast<size_t>(y * height / newHeight) * width + (x * width / newWidth)];
  return out;
}

// ---- .ico / .cur files -------------------------------------------------------------------

// Picks the entry nearest the wanted size (0: the largest) and decodes it.
bool DecodeIconFile(const uint8_t* data, size_t size, int wantWidth, int wantHeight, bool wantCursor, IconObject* icon) {
  const picture::ByteView file(data, size);
  picture::IconDirectory directory;
  if (!picture::ReadIconDirectory(file, &directory)) return false;
  const picture::IconEntry* best = nullptr;
  long bestScore = 0;
  for (const picture::IconEntry& e : directory.entries) {
    const int w = e.width, h = e.height;
    const long score = wantWidth > 0 ? -(std::labs(w - wantWidth) + std::labs(h - (wantHeight ? wantHeight : wantWidth))) * 1000 + e.bitCount
                                     : static_cast<long>(w) * h * 100 + (directory.cursor ? 0 : e.bitCount);
    if (!best || score > bestScore) {
      best = &e;
      bestScore = score;
    }
  }
  picture::IconImage image;
  if (!picture::ReadIconImage(file, *best, &image)) return false;
  icon->width = image.width;
  icon->height = image.height;
  icon->pixels = std::move(image.argb);
  icon->isIcon = !(directory.cursor || wantCursor);
  if (directory.cursor) icon->hotspot = POINT{best->hotspotX(), best->hotspotY()};
  return true;
}

std::u16string ResourceKey(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) {
    const std::string id = "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
    return std::u16string(id.begin(), id.end());
  }
  return std::u16string(reinterpret_cast<const char16_t*>(name));
}

HICON LoadFromResource(LPCWSTR name, bool cursor, int width, int height) {
  const uint8_t* data = nullptr;
  size_t size = 0;
  if (!FindEmbeddedResource(cursor ? RT_GROUP_CURSOR : RT_GROUP_ICON, name, &data, &size)) return nullptr;
  IconObject icon;
  if (!DecodeIconFile(data, size, width, height, cursor, &icon)) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  icon.resourceName = ResourceKey(name);
  if (width > 0 && (icon.width != width || icon.height != (height ? height : width))) {
    const int h = height ? height : width;
    icon.hotspot = POINT{icon.hotspot.x * width / icon.width, icon.hotspot.y * h / icon.height};
    icon.pixels = Scale(icon.pixels, icon.width, icon.height, width, h);
    icon.width = width;
    icon.height = h;
  }
  return AddIcon(std::move(icon));
}

// ---- standard icons ----------------------------------------------------------------------------

// Drawn on a 32-pixel design grid, at `kSize` pixels: the small size is drawn, not shrunk.
IconObject DrawStandardIcon(int id, int kSize) {
  auto s = [kSize](int v) { return v * kSize / 32; };
  constexpr COLORREF kKey = RGB(255, 0, 255);
  void* bits = nullptr;
  BITMAPINFO info = platform::TopDownBitmapInfo32(kSize, kSize);
  const platform::OwnedGdiObject<HBITMAP> bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const platform::BitmapDc memory(bitmap.get());
  HDC dc = memory.get();
  RECT all{0, 0, kSize, kSize};
  FillRect(dc, &all, platform::OwnedGdiObject<HBRUSH>(CreateSolidBrush(kKey)).get());

  auto shape = [&](COLORREF fill, COLORREF edge, auto draw) {
    const platform::OwnedGdiObject<HBRUSH> brush(CreateSolidBrush(fill));
    const platform::OwnedGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, edge));
    const platform::SelectedObject selectedBrush(dc, brush.get()), selectedPen(dc, pen.get());
    draw();
  };
  auto glyph = [&](const char16_t* text, COLORREF color) {
    const platform::OwnedGdiObject<HFONT> font(CreateFontW(-s(22), 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, u"Sans"));
    const platform::SelectedObject selectedFont(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    RECT r{0, s(1), kSize, kSize};
    DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  };
  switch (id) {
    case 32513:  // error: a red disc with a white cross
      shape(RGB(224, 0, 0), RGB(128, 0, 0), [&] { Ellipse(dc, s(1), s(1), s(31), s(31)); });
      shape(RGB(255, 255, 255), RGB(255, 255, 255), [&] {
        for (int i = 0; i < 12; ++i) {
          RECT a{s(9 + i), s(9 + i), s(12 + i), s(11 + i) + 1}, b{s(20 - i), s(9 + i), s(23 - i), s(11 + i) + 1};
          FillRect(dc, &a, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
          FillRect(dc, &b, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        }
      });
      break;
    case 32514:  // question: a white disc with a blue question mark
      shape(RGB(255, 255, 255), RGB(0, 0, 160), [&] { Ellipse(dc, s(1), s(1), s(31), s(31)); });
      glyph(u"?", RGB(0, 0, 192));
      break;
    case 32515: {  // warning: a yellow triangle with a black exclamation mark
      const POINT triangle[3] = {{s(16), s(1)}, {s(31), s(29)}, {s(1), s(29)}};
      shape(RGB(255, 220, 0), RGB(0, 0, 0), [&] { Polygon(dc, triangle, 3); });

      RECT bar{s(15), s(10), s(18), s(22)}, dot{s(15), s(24), s(18), s(27)};
      FillRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      FillRect(dc, &dot, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      break;
    }
    case 32516:  // information: a white disc with a blue "i"
      shape(RGB(255, 255, 255), RGB(0, 0, 160), [&] { Ellipse(dc, s(1), s(1), s(31), s(31)); });
      shape(RGB(0, 0, 192), RGB(0, 0, 192), [&] {
        Rectangle(dc, s(14), s(7), s(18), s(11));
        Rectangle(dc, s(14), s(13), s(18), s(25));
      });
      break;
    default:  // the application: a small window
      shape(RGB(255, 255, 255), RGB(0, 0, 0), [&] { Rectangle(dc, s(2), s(4), s(30), s(28)); });
      shape(RGB(10, 36, 106), RGB(10, 36, 106), [&] { Rectangle(dc, s(3), s(5), s(29), s(10)); });
      break;
  }
  GdiFlush();
  IconObject icon;
  icon.width = icon.height = kSize;
  icon.pixels.assign(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + kSize * kSize);
  for (uint32_t& p : icon.pixels) p = (p & 0x00FFFFFF) == kKey ? 0 : (p | 0xFF000000u);
  icon.shared = true;
  icon.standardId = id;
  return icon;
}

std::mutex g_standardMutex;

HICON StandardIcon(int id) {
  static std::map<int, HICON> icons;
  std::lock_guard lock(g_standardMutex);
  if (id == 32517 || id == 32518) id = 32512;
  HICON& slot = icons[id];
  if (!slot) slot = AddIcon(DrawStandardIcon(id, 32));
  return slot;
}

// A fresh icon from the source of `object` at the given size: the standard design drawn at
// that size, or the resource's entry nearest it. Null when the icon has no source.
HICON CopyFromSource(const IconObject& object, int width, int height) {
  if (object.standardId && width == height) {
    IconObject icon = DrawStandardIcon(object.standardId, width);
    icon.shared = false;
    return AddIcon(std::move(icon));
  }
  if (object.resourceName.empty()) return nullptr;
  const std::u16string& key = object.resourceName;
  const LPCWSTR name = key[0] == u'#' ? MAKEINTRESOURCEW(std::stoi(std::string(key.begin() + 1, key.end())))
                                      : reinterpret_cast<LPCWSTR>(key.c_str());
  return LoadFromResource(name, !object.isIcon, width, height);
}

}  // namespace

HCURSOR LoadResourceCursor(LPCWSTR name) { return LoadFromResource(name, true, 0, 0); }

bool IsPictureIcon(HICON icon) { return Icons().Contains(reinterpret_cast<uintptr_t>(icon)); }

bool IconMetrics(HICON icon, SIZE* size, POINT* hotspot, bool* isIcon) {
  auto object = Icons().Get(reinterpret_cast<uintptr_t>(icon));
  if (!object) return false;
  if (size) *size = SIZE{object->width, object->height};
  if (hotspot) *hotspot = object->hotspot;
  if (isIcon) *isIcon = object->isIcon;
  return true;
}

bool IconPixels(HICON icon, int* width, int* height, std::vector<uint32_t>* pixels) {
  auto object = Icons().Get(reinterpret_cast<uintptr_t>(icon));
  if (!object) return false;
  *width = object->width;
  *height = object->height;
  *pixels = object->pixels;
  return true;
}

}  // namespace platform::detail

using namespace platform::detail;

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
  if (!instance && IS_INTRESOURCE(name)) {
    const int id = static_cast<int>(reinterpret_cast<ULONG_PTR>(name));
    if (id >= 32512 && id <= 32518) return StandardIcon(id);
  }
  return LoadFromResource(name, false, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (IS_INTRESOURCE(name)) return LoadIconW(instance, reinterpret_cast<LPCWSTR>(name));
  const std::u16string wide = ToWide(name);
  return LoadIconW(instance, wide.c_str());
}

HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT flags) {
  if ((type != IMAGE_ICON && type != IMAGE_CURSOR) || (flags & LR_LOADFROMFILE)) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  if (width == 0 && (flags & LR_DEFAULTSIZE)) width = GetSystemMetrics(type == IMAGE_ICON ? SM_CXICON : SM_CXCURSOR);
  if (height == 0 && (flags & LR_DEFAULTSIZE)) height = GetSystemMetrics(type == IMAGE_ICON ? SM_CYICON : SM_CYCURSOR);
  if (!instance && IS_INTRESOURCE(name) && type == IMAGE_ICON) {
    HICON standard = LoadIconW(nullptr, name);
    if (!standard || (width == 0 || width == 32)) return standard;
    return CopyImage(standard, IMAGE_ICON, width, height, 0);
  }
  if (!instance && IS_INTRESOURCE(name) && type == IMAGE_CURSOR) return LoadCursorW(nullptr, name);
  return LoadFromResource(name, type == IMAGE_CURSOR, width, height);
}

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags) {
  if (IS_INTRESOURCE(name)) return LoadImageW(instance, reinterpret_cast<LPCWSTR>(name), type, width, height, flags);
  const std::u16string wide = ToWide(name);
  return LoadImageW(instance, wide.c_str(), type, width, height, flags);
}

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info || !info->hbmMask) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  IconObject icon;
  icon.isIcon = info->fIcon != FALSE;
  if (!icon.isIcon) icon.hotspot = POINT{static_cast<LONG>(info->xHotspot), static_cast<LONG>(info->yHotspot)};
  int maskWidth = 0, maskHeight = 0;
  std::vector<uint32_t> mask;
  if (!ReadBitmap32(info->hbmMask, &maskWidth, &maskHeight, &mask)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (info->hbmColor) {
    if (!ReadBitmap32(info->hbmColor, &icon.width, &icon.height, &icon.pixels)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
  } else {
    // Monochrome: the mask's top half is the AND mask, the bottom half the image.
    icon.width = maskWidth;
    icon.height = maskHeight / 2;
    icon.pixels.assign(mask.begin() + static_cast<long>(icon.width) * icon.height, mask.end());
    mask.resize(static_cast<size_t>(icon.width) * icon.height);
  }
  const bool anyAlpha = std::any_of(icon.pixels.begin(), icon.pixels.end(), [](uint32_t p) { return (p >> 24) != 0; });
  if (!anyAlpha || !info->hbmColor) {
    for (int y = 0; y < icon.height; ++y)
      for (int x = 0; x < icon.width; ++x) {
        const bool transparent = y < maskHeight && x < maskWidth &&
                                 (mask[static_cast<size_t>(y) * maskWidth + x] & 0x00FFFFFF) != 0;
        uint32_t& p = icon.pixels[static_cast<size_t>(y) * icon.width + x];
        p = transparent ? 0 : (p | 0xFF000000u);
      }
  }
  return AddIcon(std::move(icon));
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
  auto object = GetIcon(icon);
  if (!object || !info) {
    if (object) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->fIcon = object->isIcon;
  info->xHotspot = object->isIcon ? object->width / 2 : object->hotspot.x;
  info->yHotspot = object->isIcon ? object->height / 2 : object->hotspot.y;
  info->hbmColor = MakeDib(object->width, object->height, object->pixels.data());
  // The mask: a monochrome bitmap, set where the icon is transparent.
  const int stride = ((object->width + 15) / 16) * 2;
  std::vector<uint8_t> bits(static_cast<size_t>(stride) * object->height, 0);
  for (int y = 0; y < object->height; ++y)
    for (int x = 0; x < object->width; ++x)
      if ((object->pixels[static_cast<size_t>(y) * object->width + x] >> 24) == 0)
        bits[static_cast<size_t>(y) * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
  info->hbmMask = CreateBitmap(object->width, object->height, 1, 1, bits.data());
  return info->hbmColor && info->hbmMask;
}

HICON CopyIcon(HICON icon) { return static_cast<HICON>(CopyImage(icon, IMAGE_ICON, 0, 0, 0)); }

HANDLE CopyImage(HANDLE image, UINT type, int width, int height, UINT flags) {
  if (type == IMAGE_BITMAP) {
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    if (!ReadBitmap32(static_cast<HBITMAP>(image), &w, &h, &pixels)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
    }
    const int nw = width > 0 ? width : w, nh = height > 0 ? height : h;
    HBITMAP copy = MakeDib(nw, nh, Scale(pixels, w, h, nw, nh).data());
    if (copy && (flags & LR_COPYDELETEORG)) DeleteObject(image);
    return copy;
  }
  if (type != IMAGE_ICON && type != IMAGE_CURSOR) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto object = GetIcon(static_cast<HICON>(image));
  if (!object) return nullptr;
  if (width == 0 && (flags & LR_DEFAULTSIZE)) width = GetSystemMetrics(SM_CXICON);
  if (height == 0 && (flags & LR_DEFAULTSIZE)) height = GetSystemMetrics(SM_CYICON);
  const int nw = width > 0 ? width : object->width, nh = height > 0 ? height : object->height;
  if ((flags & LR_COPYRETURNORG) && nw == object->width && nh == object->height) return image;
  if (flags & LR_COPYFROMRESOURCE) {
    // The picture's own image of that size, when it has one, rather than a scaled copy.
    HICON own = CopyFromSource(*object, nw, nh);
    if (own) {
      if (flags & LR_COPYDELETEORG) DestroyIcon(static_cast<HICON>(image));
      return own;
    }
  }
  IconObject copy = *object;
  copy.shared = false;
  copy.pixels = Scale(object->pixels, object->width, object->height, nw, nh);
  copy.hotspot = POINT{object->hotspot.x * nw / object->width, object->hotspot.y * nh / object->height};
  copy.width = nw;
  copy.height = nh;
  HICON result = AddIcon(std::move(copy));
  if (flags & LR_COPYDELETEORG) DestroyIcon(static_cast<HICON>(image));
  return result;
}

BOOL DestroyIcon(HICON icon) {
  auto object = GetIcon(icon);
  if (!object) return FALSE;
  if (!object->shared) Icons().Remove(reinterpret_cast<uintptr_t>(icon));
  return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
  return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_COMPAT | DI_DEFAULTSIZE);
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int width, int height, UINT, HBRUSH flickerFree, UINT flags) {
  auto object = GetIcon(icon);
  if (!object) return FALSE;
  if (!dc || !(flags & DI_NORMAL)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (width == 0) width = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CXICON) : object->width;
  if (height == 0) height = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CYICON) : object->height;
  if (flickerFree) {
    RECT area{x, y, x + width, y + height};
    FillRect(dc, &area, flickerFree);
  }
  std::vector<uint32_t> source(object->pixels.size());
  const bool image = flags & DI_IMAGE, mask = flags & DI_MASK;
  for (size_t i = 0; i < source.size(); ++i) {
    const uint32_t p = object->pixels[i];
    const uint32_t alpha = p >> 24;
    if (image && mask) {  // premultiplied for blending
      const uint32_t r = ((p >> 16) & 0xFF) * alpha / 255, g = ((p >> 8) & 0xFF) * alpha / 255, b = (p & 0xFF) * alpha / 255;
      source[i] = (alpha << 24) | (r << 16) | (g << 8) | b;
    } else if (image) {
      source[i] = p | 0xFF000000u;
    } else {
      source[i] = alpha ? 0xFF000000u : 0xFFFFFFFFu;  // the AND mask: black where opaque
    }
  }
  const platform::OwnedGdiObject<HBITMAP> bitmap(MakeDib(object->width, object->height, source.data()));
  const platform::BitmapDc memory(bitmap.get(), dc);
  if (image && mask)
    return AlphaBlend(dc, x, y, width, height, memory.get(), 0, 0, object->width, object->height,
                      BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});
  return StretchBlt(dc, x, y, width, height, memory.get(), 0, 0, object->width, object->height,
                    image ? SRCCOPY : SRCAND);
}
