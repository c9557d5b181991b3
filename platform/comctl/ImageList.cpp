// Image lists: a handle table of lists, each a vector of 32-bit images with straight alpha
// (0 where the mask is set), composed into a premultiplied bitmap for each draw.

#include "platform/comctl/ImageList.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/gdi/DcGuards.h"
#include "platform/user/WinUser.h"

namespace platform {
namespace {

// 0xAARRGGBB, straight alpha.
using Pixels = std::vector<uint32_t>;

struct ListData {
  int cx = 16;
  int cy = 16;
  UINT flags = 0;
  COLORREF background = CLR_NONE;
  std::vector<Pixels> images;
  std::array<int, 15> overlays{};
  HBITMAP infoImage = nullptr;  // strips for ImageList_GetImageInfo, rebuilt after changes
  HBITMAP infoMask = nullptr;
  bool infoStale = true;

  ListData() { overlays.fill(-1); }
  ~ListData() { DropStrips(); }
  void DropStrips() {
    if (infoImage) DeleteObject(infoImage);
    if (infoMask) DeleteObject(infoMask);
    infoImage = infoMask = nullptr;
    infoStale = true;
  }
  bool Masked() const { return (flags & ILC_MASK) != 0; }
  bool KeepsAlpha() const { return (flags & 0xFE) == ILC_COLOR32; }
};

std::mutex g_lock;
std::map<uintptr_t, std::unique_ptr<ListData>>& Lists() {
  static auto* lists = new std::map<uintptr_t, std::unique_ptr<ListData>>();
  return *lists;
}
uintptr_t g_nextId = 0x10000;

ListData* Find(HIMAGELIST list) {
  auto it = Lists().find(reinterpret_cast<uintptr_t>(list));
  return it == Lists().end() ? nullptr : it->second.get();
}

struct Picture {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  Pixels pixels;  // as GetDIBits gives them: 0xAARRGGBB with whatever alpha the bitmap held
};

bool ReadBitmap(HBITMAP bitmap, Picture* out) {
  BITMAP header{};
  if (!bitmap || !GetObjectW(bitmap, sizeof header, &header) || header.bmWidth <= 0 || header.bmHeight == 0) return false;
  out->width = header.bmWidth;
  out->height = std::abs(header.bmHeight);
  out->bitsPerPixel = header.bmBitsPixel;
  out->pixels.assign(static_cast<size_t>(out->width) * out->height, 0);
  BITMAPINFO info = TopDownBitmapInfo32(out->width, out->height);
  OwnedDc dc(CreateCompatibleDC(nullptr));
  return GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(out->height), out->pixels.data(), &info, DIB_RGB_COLORS) > 0;
}

uint32_t FromColorRef(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// Cuts `picture` into images of the list's size, column by column. `transparentAt` says which
// pixels the mask clears.
template <typename Transparent>
std::vector<Pixels> Slice(const ListData& list, const Picture& picture, bool useAlpha, Transparent transparentAt) {
  std::vector<Pixels> images;
  const int columns = std::max(1, picture.width / list.cx);
  for (int column = 0; column < columns; ++column) {
    Pixels image(static_cast<size_t>(list.cx) * list.cy, 0);
    for (int y = 0; y < list.cy; ++y) {
      for (int x = 0; x < list.cx; ++x) {
        const int sx = column * list.cx + x;
        if (sx >= picture.width || y >= picture.height) continue;
        const uint32_t source = picture.pixels[static_cast<size_t>(y) * picture.width + sx];
        uint32_t alpha = useAlpha ? (source >> 24) : 255u;
        if (transparentAt(sx, y, source)) alpha = 0;
        image[static_cast<size_t>(y) * list.cx + x] = (alpha << 24) | (source & 0xFFFFFF);
      }
    }
    images.push_back(std::move(image));
  }
  return images;
}

bool HasAlpha(const ListData& list, const Picture& picture) {
  if (!list.KeepsAlpha() || picture.bitsPerPixel != 32) return false;
  return std::any_of(picture.pixels.begin(), picture.pixels.end(), [](uint32_t p) { return (p >> 24) != 0; });
}

std::vector<Pixels> ImagesFrom(const ListData& list, HBITMAP image, HBITMAP mask) {
  Picture picture;
  if (!ReadBitmap(image, &picture)) return {};
  Picture maskPicture;
  const bool useMask = list.Masked() && mask && ReadBitmap(mask, &maskPicture);
  const bool alpha = HasAlpha(list, picture);
  return Slice(list, picture, alpha, [&](int x, int y, uint32_t) {
    if (!useMask || x >= maskPicture.width || y >= maskPicture.height) return false;
    return (maskPicture.pixels[static_cast<size_t>(y) * maskPicture.width + x] & 0xFFFFFF) != 0;
  });
}

// A picture scaled to the list's size (nearest pixel).
Picture Scaled(const Picture& picture, int width, int height) {
  if (picture.width == width && picture.height == height) return picture;
  Picture out{width, height, picture.bitsPerPixel, Pixels(static_cast<size_t>(width) * height, 0)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      out.pixels[static_cast<size_t>(y) * width + x] =
          picture.pixels[static_cast<size_t>(y * picture.height / height) * picture.width + x * picture.width / width];
  return out;
}

HBITMAP MakeDib(int width, int height, const Pixels& pixels) {
  BITMAPINFO info = TopDownBitmapInfo32(width, height);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits) std::memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));
  return bitmap;
}

uint32_t Mix(uint32_t pixel, uint32_t colour, int percent) {
  uint32_t out = pixel & 0xFF000000;
  for (int shift = 0; shift < 24; shift += 8) {
    const int a = static_cast<int>((pixel >> shift) & 0xFF);
    const int b = static_cast<int>((colour >> shift) & 0xFF);
    out |= static_cast<uint32_t>((a * (100 - percent) + b * percent + 50) / 100) << shift;
  }
  return out;
}

// Puts `pixels` (straight alpha) at (x, y) of `dc`, blending where they are not opaque.
void Put(HDC dc, int x, int y, int width, int height, Pixels pixels) {
  const bool opaque = std::all_of(pixels.begin(), pixels.end(), [](uint32_t p) { return (p >> 24) == 255; });
  if (!opaque) {
    for (uint32_t& p : pixels) {
      const uint32_t a = p >> 24;
      uint32_t out = a << 24;
      for (int shift = 0; shift < 24; shift += 8) out |= (((p >> shift) & 0xFF) * a + 127) / 255 << shift;
      p = out;
    }
  }
  HBITMAP bitmap = MakeDib(width, height, pixels);
  if (!bitmap) return;
  {
    OwnedDc memory(CreateCompatibleDC(dc));
    SelectedObject selected(memory.get(), bitmap);
    if (opaque) {
      BitBlt(dc, x, y, width, height, memory.get(), 0, 0, SRCCOPY);
    } else {
      BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
      AlphaBlend(dc, x, y, width, height, memory.get(), 0, 0, width, height, blend);
    }
  }
  DeleteObject(bitmap);
}

}  // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) {
  if (cx <= 0 || cy <= 0 || initial < 0) return nullptr;
  (void)grow;
  auto data = std::make_unique<ListData>();
  data->cx = cx;
  data->cy = cy;
  data->flags = flags;
  data->images.reserve(static_cast<size_t>(initial));
  std::lock_guard<std::mutex> guard(g_lock);
  const uintptr_t id = g_nextId;
  g_nextId += 8;
  Lists()[id] = std::move(data);
  return reinterpret_cast<HIMAGELIST>(id);
}

BOOL ImageList_Destroy(HIMAGELIST list) {
  std::lock_guard<std::mutex> guard(g_lock);
  return Lists().erase(reinterpret_cast<uintptr_t>(list)) ? TRUE : FALSE;
}

int ImageList_GetImageCount(HIMAGELIST list) {
  std::lock_guard<std::mutex> guard(g_lock);
  ListData* data = Find(list);
  return data ? static_cast<int>(data->images.size()) : 0;
}

BOOL ImageList_SetImageCount(HIMAGELIST list, UINT count) {
  std::lock_guard<std::mutex> guard(g_lock);
  ListData* data = Find(list);
  if (!data) return FALSE;
  data->images.resize(count, Pixels(static_cast<size_t>(data->cx) * data->cy, 0));
  data->infoStale = true;
  return TRUE;
}

int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask) {
  std::lock_guard<std::mutex> guard(g_lock);
  ListData* data = Find(list);
  if (!data) return -1;
  std::vector<Pixels> images = ImagesFrom(*data, image, mask);
  if (images.empty()) return -1;
  const int first = static_cast<int>(data->images.size());
  for (Pixels& p : images) data->images.push_back(std::move(p));
  data->infoStale = true;
  return first;
}

int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF maskColour) {
  std::lock_guard<std::mutex> guard(g_lock);
  ListData* data = Find(list);
  if (!data) return -1;
  Picture picture;
  if (!ReadBitmap(image, &picture)) return -1;
  const uint32_t key = maskColour == CLR_DEFAULT ? (picture.pixels[0] & 0xFFFFFF) : FromColorRef(maskColour);
  const bool alpha = HasAlpha(*data, picture);
  std::vector<Pixels> images = Slice(*data, picture, alpha, [&](int, int, uint32_t p) { return (p & 0xFFFFFF) == key; });
  // The masked pixels become black, as the list keeps them.
  if (data->Masked())
    for (Pixels& img : images)
      for (uint32_t& p : img)
        if ((p >> 24) == 0) p = 0;
  if (!data->Masked())
    for (Pixels& img : images)
      for (uint32_t& p : img) p |= 0xFF000000u;
  const int first = static_cast<int>(data->images.size());
  for (Pixels& p : images) data->images.push_back(std::move(p));
  data->infoStale = true;
  return first;
}

int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return -1;
  Picture colour, mask;
  const bool hasColour = info.hbmColor && ReadBitmap(info.hbmColor, &colour);
  const bool hasMask = info.hbmMask && ReadBitmap(info.hbmMask, &mask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (!hasColour && !hasMask) return -1;
  std::lock_guard<std::mutex> guard(g_lock);
  ListData* data = Find(list);
  if (!data || index < -1 || index >= static_cast<int>(data->images.size())) return -1;
  if (!hasColour) {
    // A monochrome icon: the top half of the mask is the AND mask, the bottom half the image.
    colour = mask;
    colour.height = mask.height / 2;
    colour.pixels.assign(mask.pixels.begin() + static_cast<ptrdiff_t>(colour.height) * mask.width, mask.pixels.end());
    mask.height = colour.height;
    mask.pixels.resize(static_cast<size_t>(mask.width) * mask.height);
  }
  colour = Scaled(colour, data->cx, data->cy);
  if (hasMask) mask = Scaled(mask, data->cx, data->cy);
  const bool alpha = colour.bitsPerPixel == 32 &&
                     std::any_of(colour.pixels.begin(), colour.pixels.end(), [](uint32_t p) { return (p >> 24) != 0; });
  Pixels image(static_cast<size_t>(data->cx) * data->cy);
  for (size_t i = 0; i < image.size(); ++i) {
    uint32_t a = alpha ? (colour.pixels[i] >> 24) : 255u;
    if (!alpha && hasMask && (mask.pixels[i] & 0xFFFFFF) != 0) a = 0;
    if (!data->Masked() && !data->KeepsAlpha()) a = 255;
    image[i] = (a << 24) | (colour.pixels[i] & 0xFFFFFF);
  }
  data->infoStale = true;
  if (index == -1) {
    data->images.push_back(std::move(image));
    return static_cast<int>(data->images.size()) - 1;
  }
  data->images[static_cast<size_t>(index)] = std::move(image);
  return index;
}

BOOL ImageList_Replace(HIMAGELIST list, int index, HBITMAP image, HBITMAP mask) {
  std::lock_guard<std::mutex> guard(g_lock);
  ListData* data = Find(list);
  if (!data || index < 0 || index >= static_cast<int>(data->images.size())) return FALSE;
  std::vector<Pixels> images = ImagesFrom(*data, image, mask);
  if (images.empty()) return FALSE;
  data->images[static_cast<size_t>(index)] = std::move(images.front());
  data->infoStale = true;
  return TRUE;
}

BOOL ImageList_Remove(HIMAGELIST list, int index) {
  std::lock_guard<std::mutex> guard(g_lock);
  ListData* data = Find(list);
  if (!data) return FALSE;
  if (index == -1) {
    data->images.clear();
  } else {
    if (index < 0 || index >= static_cast<int>(data->images.size())) return FALSE;
    data->images.erase(data->images.begin() + index);
    // Overlays name images by index: later ones move down, a removed one goes.
    for (int& overlay : data->overlays) {
      if (overlay == index) overlay = -1;
      else if (overlay > index) --overlay;
    }
  }
  data->infoStale = true;
  return TRUE;
}

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style) {
  return ImageList_DrawEx(list, index, dc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
}

BOOL ImageList_DrawEx(HIMAGELIST list, int index, HDC dc, int x, int y, int cx, int cy, COLORREF background,
                      COLORREF foreground, UINT style) {
  IMAGELISTDRAWPARAMS params{};
  params.cbSize = sizeof params;
  params.himl = list;
  params.i = index;
  params.hdcDst = dc;
  params.x = x;
  params.y = y;
  params.cx = cx;
  params.cy = cy;
  params.rgbBk = background;
  params.rgbFg = foreground;
  params.fStyle = style;
  return ImageList_DrawIndirect(&params);
}

BOOL ImageList_DrawIndirect(const IMAGELISTDRAWPARAMS* params) {
  if (!params || !params->hdcDst) return FALSE;
  Pixels image;
  Pixels overlay;
  int listWidth = 0, listHeight = 0;
  COLORREF listBackground = CLR_NONE;
  {
    std::lock_guard<std::mutex> guard(g_lock);
    ListData* data = Find(params->himl);
    if (!data || params->i < 0 || params->i >= static_cast<int>(data->images.size())) return FALSE;
    image = data->images[static_cast<size_t>(params->i)];
    listWidth = data->cx;
    listHeight = data->cy;
    listBackground = data->background;
    const UINT overlayNumber = (params->fStyle & ILD_OVERLAYMASK) >> 8;
    if (overlayNumber >= 1 && overlayNumber <= 15) {
      const int overlayIndex = data->overlays[overlayNumber - 1];
      if (overlayIndex >= 0 && overlayIndex < static_cast<int>(data->images.size()))
        overlay = data->images[static_cast<size_t>(overlayIndex)];
    }
  }
  const int sx = std::clamp(params->xBitmap, 0, listWidth);
  const int sy = std::clamp(params->yBitmap, 0, listHeight);
  const int width = std::min(params->cx > 0 ? params->cx : listWidth, listWidth - sx);
  const int height = std::min(params->cy > 0 ? params->cy : listHeight, listHeight - sy);
  if (width <= 0 || height <= 0) return TRUE;
  const UINT style = params->fStyle;
  const COLORREF background = params->rgbBk == CLR_DEFAULT ? listBackground : params->rgbBk;
  const bool transparent = (style & ILD_TRANSPARENT) || background == CLR_NONE;
  const uint32_t blendColour =
      FromColorRef(params->rgbFg == CLR_DEFAULT || params->rgbFg == CLR_NONE ? GetSysColor(COLOR_HIGHLIGHT) : params->rgbFg);
  const int blend = (style & ILD_BLEND50) ? 50 : (style & ILD_BLEND25) ? 25 : 0;

  const auto compose = [&](const Pixels& source, bool withBackground) {
    Pixels out(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        uint32_t p = source[static_cast<size_t>(y + sy) * listWidth + x + sx];
        if (style & ILD_MASK) {
          p = (p >> 24) ? 0xFF000000u : 0xFFFFFFFFu;
        } else {
          if (style & ILD_IMAGE) p |= 0xFF000000u;
          if (blend) p = Mix(p, blendColour, blend);
          if (params->fState & ILS_SATURATE) {
            const uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            const uint32_t grey = (77 * r + 150 * g + 29 * b + 128) >> 8;
            p = (p & 0xFF000000u) | (grey << 16) | (grey << 8) | grey;
          }
          if (withBackground) {
            const uint32_t a = p >> 24;
            const uint32_t back = FromColorRef(background);
            uint32_t mixed = 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8)
              mixed |= ((((p >> shift) & 0xFF) * a + ((back >> shift) & 0xFF) * (255 - a) + 127) / 255) << shift;
            p = mixed;
          }
        }
        out[static_cast<size_t>(y) * width + x] = p;
      }
    }
    return out;
  };
  const bool withBackground = !transparent && !(style & ILD_MASK);
  Put(params->hdcDst, params->x, params->y, width, height, compose(image, withBackground));
  if (!overlay.empty() && !(style & ILD_MASK)) {
    Pixels top = compose(overlay, false);
    Put(params->hdcDst, params->x, params->y, width, height, std::move(top));
  }
  return TRUE;
}

BOOL ImageList_SetOverlayImage(HIMAGELIST list, int image, int overlay) {
  std::lock_guard<std::mutex> guard(g_lock);
  ListData* data = Find(list);
  if (!data || overlay < 1 || overlay > 15 || image < -1 || image >= static_cast<int>(data->images.size())) return FALSE;
  data->overlays[static_cast<size_t>(overlay - 1)] = image;
  return TRUE;
}

BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy) {
  std::lock_guard<std::mutex> guard(g_lock);
  ListData* data = Find(list);
  if (!data || !cx || !cy) return FALSE;
  *cx = data->cx;
  *cy = data->cy;
  return TRUE;
}

BOOL ImageList_SetIconSize(HIMAGELIST list, int cx, int cy) {
  std::lock_guard<std::mutex> guard(g_lock);
  ListData* data = Find(list);
  if (!data || cx <= 0 || cy <= 0) return FALSE;
  data->cx = cx;
  data->cy = cy;
  data->images.clear();
  data->overlays.fill(-1);
  data->infoStale = true;
  return TRUE;
}

BOOL ImageList_GetImageInfo(HIMAGELIST list, int index, IMAGEINFO* info) {
  std::lock_guard<std::mutex> guard(g_lock);
  ListData* data = Find(list);
  if (!data || !info || index < 0 || index >= static_cast<int>(data->images.size())) return FALSE;
  if (data->infoStale) {
    data->DropStrips();
    const int count = static_cast<int>(data->images.size());
    const int stripWidth = data->cx * count;
    Pixels image(static_cast<size_t>(stripWidth) * data->cy);
    Pixels mask(image.size());
    for (int i = 0; i < count; ++i)
      for (int y = 0; y < data->cy; ++y)
        for (int x = 0; x < data->cx; ++x) {
          const uint32_t p = data->images[static_cast<size_t>(i)][static_cast<size_t>(y) * data->cx + x];
          const size_t at = static_cast<size_t>(y) * stripWidth + i * data->cx + x;
          image[at] = p;
          mask[at] = (p >> 24) ? 0u : 0x00FFFFFFu;
        }
    data->infoImage = MakeDib(stripWidth, data->cy, image);
    if (data->Masked()) data->infoMask = MakeDib(stripWidth, data->cy, mask);
    data->infoStale = false;
  }
  *info = IMAGEINFO{data->infoImage, data->infoMask, 0, 0,
                    RECT{index * data->cx, 0, (index + 1) * data->cx, data->cy}};
  return TRUE;
}

COLORREF ImageList_GetBkColor(HIMAGELIST list) {
  std::lock_guard<std::mutex> guard(g_lock);
  ListData* data = Find(list);
  return data ? data->background : CLR_NONE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF colour) {
  std::lock_guard<std::mutex> guard(g_lock);
  ListData* data = Find(list);
  if (!data) return CLR_NONE;
  const COLORREF previous = data->background;
  data->background = colour;
  return previous;
}

HICON ImageList_GetIcon(HIMAGELIST list, int index, UINT style) {
  Pixels image;
  int cx = 0, cy = 0;
  {
    std::lock_guard<std::mutex> guard(g_lock);
    ListData* data = Find(list);
    if (!data || index < 0 || index >= static_cast<int>(data->images.size())) return nullptr;
    image = data->images[static_cast<size_t>(index)];
    cx = data->cx;
    cy = data->cy;
  }
  if (style & ILD_IMAGE)
    for (uint32_t& p : image) p |= 0xFF000000u;
  Pixels mask(image.size());
  for (size_t i = 0; i < image.size(); ++i) mask[i] = (image[i] >> 24) ? 0u : 0x00FFFFFFu;
  ICONINFO info{TRUE, 0, 0, MakeDib(cx, cy, mask), MakeDib(cx, cy, image)};
  HICON icon = (info.hbmMask && info.hbmColor) ? CreateIconIndirect(&info) : nullptr;
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return icon;
}


// ---- drag images -----------------------------------------------------------------------------
// One drag at a time, on the GUI thread. The drawn image is taken out again by putting back
// the pixels saved from under it, so the window's own painting is never touched.

namespace {

struct DragState {
  HIMAGELIST image = nullptr;  // a one-image copy owned by the drag
  POINT hotspot{};
  HIMAGELIST cursor = nullptr;  // ImageList_SetDragCursorImage's image, drawn over it
  POINT cursorHotspot{};
  HWND lock = nullptr;
  bool entered = false;
  bool visible = false;
  POINT at{};  // the pointer, in window coordinates of `lock`
  RECT under{};  // where the saved pixels came from
  HBITMAP saved = nullptr;
};

DragState& Drag() {
  static DragState state;
  return state;
}

// A one-image copy of image `index` of `list`.
HIMAGELIST CopyOne(HIMAGELIST list, int index) {
  Pixels pixels;
  int cx = 0, cy = 0;
  UINT flags = 0;
  {
    std::lock_guard<std::mutex> guard(g_lock);
    ListData* data = Find(list);
    if (!data || index < 0 || index >= static_cast<int>(data->images.size())) return nullptr;
    pixels = data->images[static_cast<size_t>(index)];
    cx = data->cx;
    cy = data->cy;
    flags = data->flags;
  }
  HIMAGELIST copy = ImageList_Create(cx, cy, flags | ILC_COLOR32, 1, 1);
  std::lock_guard<std::mutex> guard(g_lock);
  ListData* data = Find(copy);
  if (!data) return nullptr;
  data->images.push_back(std::move(pixels));
  return copy;
}

void DragArea(RECT* area) {
  DragState& d = Drag();
  int cx = 0, cy = 0;
  ImageList_GetIconSize(d.image, &cx, &cy);
  RECT r{d.at.x - d.hotspot.x, d.at.y - d.hotspot.y, d.at.x - d.hotspot.x + cx, d.at.y - d.hotspot.y + cy};
  if (d.cursor) {
    int ccx = 0, ccy = 0;
    ImageList_GetIconSize(d.cursor, &ccx, &ccy);
    RECT c{d.at.x - d.cursorHotspot.x, d.at.y - d.cursorHotspot.y, d.at.x - d.cursorHotspot.x + ccx,
           d.at.y - d.cursorHotspot.y + ccy};
    UnionRect(&r, &r, &c);
  }
  *area = r;
}

void HideDrag() {
  DragState& d = Drag();
  if (!d.visible) return;
  d.visible = false;
  if (!d.saved || !IsWindow(d.lock)) return;
  HDC dc = GetWindowDC(d.lock);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, d.saved);
  BitBlt(dc, d.under.left, d.under.top, d.under.right - d.under.left, d.under.bottom - d.under.top, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  ReleaseDC(d.lock, dc);
}

void ShowDrag() {
  DragState& d = Drag();
  if (d.visible || !d.entered || !d.image || !IsWindow(d.lock)) return;
  RECT area;
  DragArea(&area);
  const int w = std::max(1, static_cast<int>(area.right - area.left)), h = std::max(1, static_cast<int>(area.bottom - area.top));
  HDC dc = GetWindowDC(d.lock);
  if (d.saved) DeleteObject(d.saved);
  d.saved = CreateCompatibleBitmap(dc, w, h);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, d.saved);
  BitBlt(mem, 0, 0, w, h, dc, area.left, area.top, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  d.under = area;
  ImageList_Draw(d.image, 0, dc, d.at.x - d.hotspot.x, d.at.y - d.hotspot.y, ILD_TRANSPARENT);
  if (d.cursor) ImageList_Draw(d.cursor, 0, dc, d.at.x - d.cursorHotspot.x, d.at.y - d.cursorHotspot.y, ILD_TRANSPARENT);
  ReleaseDC(d.lock, dc);
  d.visible = true;
}

}  // namespace

BOOL ImageList_BeginDrag(HIMAGELIST list, int index, int dxHotspot, int dyHotspot) {
  ImageList_EndDrag();
  HIMAGELIST copy = CopyOne(list, index);
  if (!copy) return FALSE;
  DragState& d = Drag();
  d.image = copy;
  d.hotspot = POINT{dxHotspot, dyHotspot};
  return TRUE;
}

BOOL ImageList_DragEnter(HWND lock, int x, int y) {
  DragState& d = Drag();
  if (!d.image) return FALSE;
  HideDrag();
  d.lock = lock ? lock : GetDesktopWindow();
  d.at = POINT{x, y};
  d.entered = true;
  ShowDrag();
  return TRUE;
}

BOOL ImageList_DragMove(int x, int y) {
  DragState& d = Drag();
  if (!d.image) return FALSE;
  const bool wasVisible = d.visible;
  HideDrag();
  d.at = POINT{x, y};
  if (wasVisible) ShowDrag();
  return TRUE;
}

BOOL ImageList_DragShowNolock(BOOL show) {
  DragState& d = Drag();
  if (!d.image) return FALSE;
  if (show) ShowDrag();
  else HideDrag();
  return TRUE;
}

BOOL ImageList_DragLeave(HWND lock) {
  DragState& d = Drag();
  (void)lock;
  HideDrag();
  d.entered = false;
  d.lock = nullptr;
  return TRUE;
}

void ImageList_EndDrag() {
  DragState& d = Drag();
  HideDrag();
  if (d.image) ImageList_Destroy(d.image);
  if (d.cursor) ImageList_Destroy(d.cursor);
  if (d.saved) DeleteObject(d.saved);
  d = DragState{};
}

HIMAGELIST ImageList_GetDragImage(POINT* position, POINT* hotspot) {
  DragState& d = Drag();
  if (position) *position = d.at;
  if (hotspot) *hotspot = d.hotspot;
  return d.image;
}

BOOL ImageList_SetDragCursorImage(HIMAGELIST list, int index, int dxHotspot, int dyHotspot) {
  DragState& d = Drag();
  if (!d.image) return FALSE;
  HIMAGELIST copy = CopyOne(list, index);
  if (!copy) return FALSE;
  const bool wasVisible = d.visible;
  HideDrag();
  if (d.cursor) ImageList_Destroy(d.cursor);
  d.cursor = copy;
  d.cursorHotspot = POINT{dxHotspot, dyHotspot};
  if (wasVisible) ShowDrag();
  return TRUE;
}

}  // namespace platform
