#include "vcl/Icon.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

TIconHooks g_hooks;

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

// An entry's DIB holds the image and its mask, so its height counts both. Icons are at most
// 1024 pixels a side; anything else comes from a corrupt header.
bool UsableIconSize(const BITMAPINFOHEADER& header) {
  const int64_t height = std::abs(int64_t{header.biHeight}) / 2;
  return header.biWidth > 0 && header.biWidth <= 1024 && height > 0 && height <= 1024;
}

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
  const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());

  IconDir dir{};
  if (data.size() < sizeof(dir)) Invalid("header too short");
  std::memcpy(&dir, bytes, sizeof(dir));
  if (dir.reserved != 0 || dir.type != 1 || dir.count == 0) Invalid("not an icon file");
  if (sizeof(dir) + size_t{dir.count} * sizeof(IconDirEntry) > data.size()) Invalid("directory too short");

  // The entry nearest the icon size, then the deepest, among the bitmap entries.
  int best = -1;
  int64_t bestDistance = 0;
  int bestDepth = 0;
  std::vector<IconDirEntry> entries(dir.count);
  for (int i = 0; i < dir.count; ++i) {
    IconDirEntry& entry = entries[i];
    std::memcpy(&entry, bytes + sizeof(dir) + i * sizeof(IconDirEntry), sizeof(entry));
    if (entry.imageOffset >= data.size() || entry.bytesInRes > data.size() - entry.imageOffset ||
        entry.bytesInRes < sizeof(BITMAPINFOHEADER))
      continue;
    if (std::memcmp(bytes + entry.imageOffset, "\x89PNG", 4) == 0) continue;
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes + entry.imageOffset, sizeof(header));
    // An entry with an impossible size is skipped, so that it cannot hide a good one.
    if (!UsableIconSize(header)) continue;
    const int64_t distance = std::abs(int64_t{header.biWidth} - kIconSize);
    const int depth = header.biBitCount;
    if (best < 0 || distance < bestDistance || (distance == bestDistance && depth > bestDepth)) {
      best = i;
      bestDistance = distance;
      bestDepth = depth;
    }
  }
  if (best < 0) Invalid("no bitmap image of a usable size in the file");

  // The image is a DIB of twice the height: the colour rows, then the 1-bit mask rows.
  const IconDirEntry& entry = entries[best];
  const uint8_t* image = bytes + entry.imageOffset;
  BITMAPINFOHEADER header;
  std::memcpy(&header, image, sizeof(header));
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > entry.bytesInRes) Invalid("bad image header");
  const int width = header.biWidth;
  const int height = static_cast<int>(std::abs(int64_t{header.biHeight}) / 2);
  const int depth = header.biBitCount;
  if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32 && depth != 16) Invalid("bad depth");
  size_t colors = depth <= 8 ? (header.biClrUsed ? std::min<size_t>(header.biClrUsed, 256) : size_t{1} << depth) : 0;
  const size_t colorStride = static_cast<size_t>(BytesPerScanline(width, depth, 32));
  const size_t maskStride = static_cast<size_t>(BytesPerScanline(width, 1, 32));
  const size_t tableOffset = header.biSize;
  const size_t xorOffset = tableOffset + colors * 4;
  const size_t andOffset = xorOffset + colorStride * height;
  // Some writers leave the mask out of 32-bit images.
  const bool hasMask = andOffset + maskStride * height <= entry.bytesInRes;
  if (andOffset > entry.bytesInRes) Invalid("image data too short");

  // Build a BMP of the colour rows and one of the mask rows and let TBitmap read them.
  auto makeBmp = [&](int bits, const uint8_t* table, size_t tableEntries, const uint8_t* rows, size_t stride) {
    TMemoryStream bmp;
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<WORD>(bits);
    info.biClrUsed = static_cast<DWORD>(tableEntries);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = static_cast<DWORD>(sizeof(file) + sizeof(info) + tableEntries * 4);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + stride * height);
    bmp.WriteBuffer(&file, sizeof(file));
    bmp.WriteBuffer(&info, sizeof(info));
    if (tableEntries) bmp.WriteBuffer(table, static_cast<int32_t>(tableEntries * 4));
    bmp.WriteBuffer(rows, static_cast<int32_t>(stride * height));
    bmp.SetPosition(0);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromStream(bmp);
    return bitmap;
  };
  static const uint8_t kMonoTable[8] = {0, 0, 0, 0, 255, 255, 255, 0};
  auto color = makeBmp(depth, image + tableOffset, colors, image + xorOffset, colorStride);
  std::unique_ptr<TBitmap> mask;
  if (hasMask) {
    mask = makeBmp(1, kMonoTable, 2, image + andOffset, maskStride);
  } else {
    mask = std::make_unique<TBitmap>(width, height, pf1bit);
    mask->Canvas()->Brush()->SetColor(clBlack);
    mask->Canvas()->FillRect(Rect(0, 0, width, height));
  }
  Clear();
  FColor = std::move(color);
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
