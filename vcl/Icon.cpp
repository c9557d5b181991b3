#include "vcl/Icon.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/user/Icons.h"

namespace {

// The window manager's icons by default; tests and other window managers may set their own.
HICON CreateWindowManagerIcon(HBITMAP color, HBITMAP mask) {
  ICONINFO info{TRUE, 0, 0, mask, color};
  return CreateIconIndirect(&info);
}

void DestroyWindowManagerIcon(HICON icon) { DestroyIcon(icon); }

bool GetWindowManagerIconBitmaps(HICON icon, HBITMAP* color, HBITMAP* mask) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return false;
  *color = info.hbmColor;
  *mask = info.hbmMask;
  return true;
}

TIconHooks g_hooks{&CreateWindowManagerIcon, &DestroyWindowManagerIcon, &GetWindowManagerIconBitmaps};

#pragma pack(push, 2)
struct IconDir {
  WORD reserved;
  WORD type;
  WORD count;
};
struct IconDirEntry {
  BYTE width;
  BYTE height;
  BYTE colorCount;
  BYTE reserved;
  WORD planes;
  WORD bitCount;
  DWORD bytesInRes;
  DWORD imageOffset;
};
#pragma pack(pop)
static_assert(sizeof(IconDir) == 6 && sizeof(IconDirEntry) == 16);

[[noreturn]] void Invalid(const char* why) { throw EInvalidGraphic(AnsiString("Icon image is not valid: ") + why); }

constexpr int kIconSize = 32;

bool HasAlpha(TBitmap* bitmap) {
  if (bitmap->PixelFormat() != pf32bit) return false;
  for (int y = 0; y < bitmap->Height(); ++y) {
    const auto* row = static_cast<const uint8_t*>(bitmap->ScanLine(y));
    for (int x = 0; x < bitmap->Width(); ++x)
      if (row[4 * x + 3]) return true;
  }
  return false;
}

}  // namespace

void SetIconHooks(const TIconHooks& hooks) { g_hooks = hooks; }

TIcon::TIcon() { FTransparent = true; }

TIcon::~TIcon() { DropHandle(); }

void TIcon::DropHandle() {
  if (FHandle && g_hooks.Destroy) g_hooks.Destroy(FHandle);
  FHandle = nullptr;
}

void TIcon::Clear() {
  DropHandle();
  FColor.reset();
  FMask.reset();
  FData.clear();
}

void TIcon::SetSize(int width, int height) {
  if (width == Width() && height == Height()) return;
  throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

HICON TIcon::Handle() {
  if (!FHandle && FColor && g_hooks.Create) FHandle = g_hooks.Create(FColor->Handle(), FMask->Handle());
  return FHandle;
}

void TIcon::SetHandle(HICON value) {
  if (value == FHandle) return;
  if (!value) {
    Clear();
    Changed(this);
    return;
  }
  HBITMAP color = nullptr, mask = nullptr;
  if (!g_hooks.GetBitmaps || !g_hooks.GetBitmaps(value, &color, &mask)) throw EInvalidGraphic("Invalid icon handle");
  auto colorBitmap = std::make_unique<TBitmap>();
  auto maskBitmap = std::make_unique<TBitmap>();
  colorBitmap->SetHandle(color);
  maskBitmap->SetHandle(mask);
  Clear();
  FColor = std::move(colorBitmap);
  FMask = std::move(maskBitmap);
  FHandle = value;
  Changed(this);
}

HICON TIcon::ReleaseHandle() {
  HICON handle = Handle();
  FHandle = nullptr;
  return handle;
}

void TIcon::SetBitmaps(TBitmap* color, TBitmap* mask) {
  if (!color || color->Empty()) {
    Clear();
    Changed(this);
    return;
  }
  auto colorCopy = std::make_unique<TBitmap>();
  colorCopy->Assign(color);
  auto maskCopy = std::make_unique<TBitmap>(color->Width(), color->Height(), pf1bit);
  if (mask && !mask->Empty()) {
    maskCopy->Canvas()->CopyRect(Rect(0, 0, color->Width(), color->Height()), mask->Canvas(),
                                 Rect(0, 0, mask->Width(), mask->Height()));
  } else {
    maskCopy->Canvas()->Brush()->SetColor(clBlack);
    maskCopy->Canvas()->FillRect(Rect(0, 0, color->Width(), color->Height()));
  }
  Clear();
  FColor = std::move(colorCopy);
  FMask = std::move(maskCopy);
  Changed(this);
}

void TIcon::Assign(TPersistent* source) {
  if (!source) {
    Clear();
    Changed(this);
    return;
  }
  if (auto* icon = dynamic_cast<TIcon*>(source)) {
    if (icon == this) return;
    if (icon->Empty()) {
      Clear();
      Changed(this);
      return;
    }
    const RawByteString data = icon->FData;
    SetBitmaps(icon->FColor.get(), icon->FMask.get());
    FData = data;
    return;
  }
  inherited::Assign(source);
}

void TIcon::Draw(TCanvas* canvas, const TRect& rect) {
  if (!FColor) return;
  HDC dc = canvas->Handle();
  if (HasAlpha(FColor.get())) {
    TBitmap copy;
    copy.Assign(FColor.get());
    copy.SetAlphaFormat(afDefined);
    canvas->StretchDraw(rect, &copy);
    return;
  }
  // The mask clears the picture's place (AND), the colours go in with XOR; a mask pixel of
  // 1 keeps the background, and a colour over it inverts it, as icons do.
  HDC maskDc = FMask->Canvas()->Handle();
  HDC colorDc = FColor->Canvas()->Handle();
  const int mode = GetStretchBltMode(dc);
  SetStretchBltMode(dc, COLORONCOLOR);
  const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
  StretchBlt(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), maskDc, 0, 0, FMask->Width(), FMask->Height(),
             SRCAND);
  StretchBlt(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), colorDc, 0, 0, FColor->Width(), FColor->Height(),
             SRCINVERT);
  SetTextColor(dc, text);
  SetBkColor(dc, back);
  SetStretchBltMode(dc, mode);
}

void TIcon::LoadFromStream(TStream& stream) {
  namespace picture = platform::picture;
  const int64_t start = stream.Position();
  const int64_t size = stream.Size() - start;
  if (size <= 0) {
    Clear();
    Changed(this);
    return;
  }
  if (size > (int64_t{1} << 28)) Invalid("file too large");
  RawByteString data(static_cast<size_t>(size), '\0');
  stream.ReadBuffer(data.data(), static_cast<int32_t>(size));
  const picture::ByteView bytes(reinterpret_cast<const uint8_t*>(data.data()), data.size());

  picture::IconDirectory directory;
  if (const picture::PictureResult result = picture::ReadIconDirectory(bytes, &directory); !result)
    Invalid(result.reason.c_str());
  if (directory.cursor) Invalid("not an icon file");

  // The entry nearest the icon size, then the deepest. A damaged entry is passed over, so that
  // it cannot hide a good one.
  picture::IconImage best;
  bool found = false;
  int64_t bestDistance = 0;
  int bestDepth = 0;
  for (const picture::IconEntry& entry : directory.entries) {
    picture::IconImage image;
    if (!picture::ReadIconImage(bytes, entry, &image)) continue;
    const int64_t distance = std::abs(int64_t{image.width} - kIconSize);
    const int depth = image.png ? 32 : image.dib.bitsPerPixel;
    if (!found || distance < bestDistance || (distance == bestDistance && depth > bestDepth)) {
      best = std::move(image);
      found = true;
      bestDistance = distance;
      bestDepth = depth;
    }
  }
  if (!found) Invalid("no image of a usable size in the file");

  // A PNG entry becomes a 32-bit picture with its alpha, and a mask where it is clear.
  picture::Dib color = best.dib;
  std::vector<uint8_t> maskRows = best.dib.mask;
  const int width = best.width, height = best.height;
  const int maskStride = BytesPerScanline(width, 1, 32);
  if (best.png) {
    color = picture::Dib{};
    color.width = width;
    color.height = height;
    color.bitsPerPixel = 32;
    color.masks[0] = 0xFF0000, color.masks[1] = 0xFF00, color.masks[2] = 0xFF, color.masks[3] = 0xFF000000;
    color.stride = width * 4;
    color.rows.resize(best.argb.size() * 4);
    std::memcpy(color.rows.data(), best.argb.data(), color.rows.size());
    maskRows.assign(static_cast<size_t>(maskStride) * height, 0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if ((best.argb[static_cast<size_t>(y) * width + x] >> 24) == 0)
          maskRows[static_cast<size_t>(y) * maskStride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
  }
  auto colorBitmap = std::make_unique<TBitmap>();
  colorBitmap->SetHandle(vcl::detail::SectionFromDib(color));
  std::unique_ptr<TBitmap> mask;
  if (!maskRows.empty()) {
    picture::Dib maskDib;
    maskDib.width = width;
    maskDib.height = height;
    maskDib.bitsPerPixel = 1;
    maskDib.palette = {0x000000, 0xFFFFFF};
    maskDib.stride = maskStride;
    maskDib.rows = std::move(maskRows);
    mask = std::make_unique<TBitmap>();
    mask->SetHandle(vcl::detail::SectionFromDib(maskDib));
  } else {
    mask = std::make_unique<TBitmap>(width, height, pf1bit);
    mask->Canvas()->Brush()->SetColor(clBlack);
    mask->Canvas()->FillRect(Rect(0, 0, width, height));
  }
  Clear();
  FColor = std::move(colorBitmap);
  FMask = std::move(mask);
  FData = std::move(data);
  Changed(this);
}

void TIcon::SaveToStream(TStream& stream) {
  if (!FColor) return;
  if (!FData.empty()) {
    stream.WriteBuffer(FData.data(), static_cast<int32_t>(FData.size()));
    return;
  }
  // One entry: the colour image's BMP body with a doubled height, then the mask rows.
  TMemoryStream colorBmp, maskBmp;
  FColor->SaveToStream(colorBmp);
  FMask->SaveToStream(maskBmp);
  const auto* colorBytes = static_cast<const uint8_t*>(colorBmp.Memory());
  const auto* maskBytes = static_cast<const uint8_t*>(maskBmp.Memory());
  BITMAPFILEHEADER maskFile;
  std::memcpy(&maskFile, maskBytes, sizeof(maskFile));

  std::vector<uint8_t> image(colorBytes + sizeof(BITMAPFILEHEADER), colorBytes + colorBmp.Size());
  BITMAPINFOHEADER header;
  std::memcpy(&header, image.data(), sizeof(header));
  header.biHeight *= 2;
  header.biSizeImage = 0;
  std::memcpy(image.data(), &header, sizeof(header));
  image.insert(image.end(), maskBytes + maskFile.bfOffBits, maskBytes + maskBmp.Size());

  IconDir dir{0, 1, 1};
  IconDirEntry entry{};
  entry.width = static_cast<BYTE>(Width() >= 256 ? 0 : Width());
  entry.height = static_cast<BYTE>(Height() >= 256 ? 0 : Height());
  const int depth = PixelFormatBits(FColor->PixelFormat());
  entry.colorCount = static_cast<BYTE>(depth < 8 ? 1 << depth : 0);
  entry.planes = 1;
  entry.bitCount = static_cast<WORD>(depth);
  entry.bytesInRes = static_cast<DWORD>(image.size());
  entry.imageOffset = sizeof(dir) + sizeof(entry);
  stream.WriteBuffer(&dir, sizeof(dir));
  stream.WriteBuffer(&entry, sizeof(entry));
  stream.WriteBuffer(image.data(), static_cast<int32_t>(image.size()));
}
