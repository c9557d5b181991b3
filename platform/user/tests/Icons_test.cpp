// Resources and icons: the embedded-resource registry, .ico/.cur files chosen by size and
// decoded with alpha or masks, icons from bitmaps and back, copies, and drawing them.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gdi/WinGdi.h"
#include "platform/kernel/WinError.h"
#include "platform/testing/Pictures.h"
#include "platform/user/WinUser.h"

namespace {

void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(x & 0xFF);
  v.push_back(x >> 8);
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back((x >> (8 * i)) & 0xFF);
}

// A BMP icon entry: `bits` 32 (pixel alpha) or 24 (mask: the left half transparent).
std::vector<uint8_t> DibEntry(int size, int bits, uint32_t color) {
  std::vector<uint8_t> v;
  Put32(v, 40);
  Put32(v, size);
  Put32(v, size * 2);
  Put16(v, 1);
  Put16(v, bits);
  for (int i = 0; i < 6; ++i) Put32(v, 0);
  const int stride = ((size * bits + 31) / 32) * 4;
  for (int y = 0; y < size; ++y) {
    std::vector<uint8_t> row;
    for (int x = 0; x < size; ++x) {
      if (bits == 32) {
        // Bottom-up rows: file row 0 is the picture's last row. Alpha: opaque on the
        // right half, half transparent on the left.
        Put32(row, (color & 0xFFFFFF) | (x >= size / 2 ? 0xFF000000u : 0x80000000u));
      } else {
        row.push_back(color & 0xFF);
        row.push_back((color >> 8) & 0xFF);
        row.push_back((color >> 16) & 0xFF);
      }
    }
    row.resize(stride, 0);
    v.insert(v.end(), row.begin(), row.end());
  }
  const int maskStride = ((size + 31) / 32) * 4;
  for (int y = 0; y < size; ++y) {
    std::vector<uint8_t> row(maskStride, 0);
    for (int x = 0; x < size / 2; ++x) row[x / 8] |= 0x80 >> (x % 8);
    v.insert(v.end(), row.begin(), row.end());
  }
  return v;
}

// An .ico (kind 1) or .cur (kind 2) file of the given entries.
std::vector<uint8_t> IconFile(uint16_t kind, const std::vector<std::pair<int, std::vector<uint8_t>>>& entries,
                              POINT hotspot = {}) {
  std::vector<uint8_t> v;
  Put16(v, 0);
  Put16(v, kind);
  Put16(v, static_cast<uint16_t>(entries.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(entries.size());
  for (const auto& [size, data] : entries) {
    v.push_back(static_cast<uint8_t>(size));
    v.push_back(static_cast<uint8_t>(size));
    v.push_back(0);
    v.push_back(0);
    Put16(v, kind == 2 ? hotspot.x : 1);
    Put16(v, kind == 2 ? hotspot.y : 32);
    Put32(v, static_cast<uint32_t>(data.size()));
    Put32(v, offset);
    offset += static_cast<uint32_t>(data.size());
  }
  for (const auto& entry : entries) v.insert(v.end(), entry.second.begin(), entry.second.end());
  return v;
}

class Surface {
 public:
  explicit Surface(int size) {
    m_dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    m_old = SelectObject(m_dc, m_bitmap);
    RECT all{0, 0, size, size};
    FillRect(m_dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~Surface() {
    SelectObject(m_dc, m_old);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
  }
  HDC dc() const { return m_dc; }

 private:
  HDC m_dc;
  HBITMAP m_bitmap;
  HGDIOBJ m_old;
};

// The standard icons at both sizes, side by side, to look at.
void SaveStandardIconsPng() {
  const std::vector<LPCWSTR> ids = {IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK};
  Surface s(200);
  for (size_t i = 0; i < ids.size(); ++i) {
    HICON big = LoadIconW(nullptr, ids[i]);
    HICON small = static_cast<HICON>(CopyImage(big, IMAGE_ICON, 16, 16, LR_COPYFROMRESOURCE));
    DrawIconEx(s.dc(), static_cast<int>(i) * 36, 0, big, 0, 0, 0, nullptr, DI_NORMAL);
    DrawIconEx(s.dc(), static_cast<int>(i) * 36, 40, small, 0, 0, 0, nullptr, DI_NORMAL);
    DestroyIcon(small);
  }
  platform::testing::Image image{200, 60, {}};
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      const COLORREF c = GetPixel(s.dc(), x, y);
      image.pixels.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
    }
  std::string error;
  EXPECT_TRUE(platform::testing::SavePng(image, std::string(BRANTWELL_TEST_BIN_DIR) + "/standard-icons.png", &error)) << error;
}

TEST(Resources, FoundByTypeAndNameWithoutRegardToCase) {
  static const char kData[] = "picture bytes";
  platform::RegisterEmbeddedResource(RT_RCDATA, u"Splash", kData, sizeof kData);
  platform::RegisterEmbeddedResource(RT_RCDATA, MAKEINTRESOURCEW(12), kData, 4);
  HRSRC found = FindResourceW(nullptr, u"SPLASH", RT_RCDATA);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(FindResourceA(nullptr, "splash", reinterpret_cast<LPCSTR>(RT_RCDATA)), found);
  EXPECT_EQ(SizeofResource(nullptr, found), sizeof kData);
  EXPECT_EQ(std::memcmp(LockResource(LoadResource(nullptr, found)), kData, sizeof kData), 0);
  HRSRC byNumber = FindResourceW(nullptr, u"#12", RT_RCDATA);
  ASSERT_NE(byNumber, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, byNumber), 4u);

  EXPECT_EQ(FindResourceW(nullptr, u"Missing", RT_RCDATA), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  EXPECT_EQ(FindResourceW(nullptr, u"Splash", RT_VERSION), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
  EXPECT_EQ(FindResourceW(nullptr, u"#99999", RT_RCDATA), nullptr);
  EXPECT_EQ(LoadResource(nullptr, reinterpret_cast<HRSRC>(0x99)), nullptr);
}

TEST(Icons, ResourceIconsPickTheNearestSizeAndDrawWithTransparency) {
  static const std::vector<uint8_t> file =
      IconFile(1, {{16, DibEntry(16, 32, 0x0000FF)}, {32, DibEntry(32, 24, 0xFF0000)}});
  platform::RegisterEmbeddedResource(RT_GROUP_ICON, u"MainIcon", file.data(), file.size());

  HICON big = LoadIconW(reinterpret_cast<HINSTANCE>(1), u"mainicon");
  ASSERT_NE(big, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(big, &info));
  EXPECT_TRUE(info.fIcon);
  BITMAP bm{};
  GetObjectW(info.hbmColor, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 32);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);

  // The 24-bit entry: the mask makes the left half transparent.
  Surface s(40);
  ASSERT_TRUE(DrawIcon(s.dc(), 0, 0, big));
  EXPECT_EQ(GetPixel(s.dc(), 5, 5), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(s.dc(), 25, 5), RGB(255, 0, 0));

  // The 32-bit entry at 16 pixels: alpha blends the left half with the white below.
  HICON small = static_cast<HICON>(LoadImageW(reinterpret_cast<HINSTANCE>(1), u"MainIcon", IMAGE_ICON, 16, 16, 0));
  ASSERT_NE(small, nullptr);
  ASSERT_TRUE(DrawIconEx(s.dc(), 0, 20, small, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(GetPixel(s.dc(), 12, 25), RGB(0, 0, 255));
  const COLORREF blended = GetPixel(s.dc(), 3, 25);
  EXPECT_NEAR(GetRValue(blended), 127, 2);
  EXPECT_EQ(GetBValue(blended), 255);
  // Only the mask: black where the icon is opaque, the rest untouched.
  Surface m(20);
  ASSERT_TRUE(DrawIconEx(m.dc(), 0, 0, small, 0, 0, 0, nullptr, DI_MASK));
  EXPECT_EQ(GetPixel(m.dc(), 12, 5), RGB(0, 0, 0));

  EXPECT_TRUE(DestroyIcon(small));
  EXPECT_FALSE(DestroyIcon(small));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_ICON_HANDLE);
  DestroyIcon(big);

  // A damaged file fails clearly instead of reading past its end.
  static std::vector<uint8_t> broken = file;
  broken[6 + 12] = 0xF0;  // first entry's offset far beyond the data
  broken[6 + 16 + 12] = 0xF0;
  platform::RegisterEmbeddedResource(RT_GROUP_ICON, u"Broken", broken.data(), broken.size());
  EXPECT_EQ(LoadIconW(reinterpret_cast<HINSTANCE>(1), u"Broken"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
  EXPECT_EQ(LoadIconW(reinterpret_cast<HINSTANCE>(1), u"Nowhere"), nullptr);
}

// LR_COPYFROMRESOURCE takes the icon's own small image: here the 16-pixel entry is blue and
// the 32-pixel one red, so a shrunk copy would come out red.
TEST(Icons, CopyFromResourceTakesTheIconsOwnSmallImage) {
  static const std::vector<uint8_t> file =
      IconFile(1, {{16, DibEntry(16, 32, 0x0000FF)}, {32, DibEntry(32, 24, 0xFF0000)}});
  platform::RegisterEmbeddedResource(RT_GROUP_ICON, u"FormIcon", file.data(), file.size());
  platform::RegisterEmbeddedResource(RT_GROUP_ICON, MAKEINTRESOURCEW(7), file.data(), file.size());
  struct Case {
    const char* what;
    LPCWSTR name;
    UINT flags;
    COLORREF expected;
  };
  const std::vector<Case> cases = {
      {"from the resource, by name", u"FormIcon", LR_COPYFROMRESOURCE | LR_COLOR, RGB(0, 0, 255)},
      {"from the resource, by number", MAKEINTRESOURCEW(7), LR_COPYFROMRESOURCE | LR_COLOR, RGB(0, 0, 255)},
      {"without the flag: a shrunk copy", u"FormIcon", LR_COLOR, RGB(255, 0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HICON big = LoadIconW(reinterpret_cast<HINSTANCE>(1), c.name);
    ASSERT_NE(big, nullptr);
    HICON small = static_cast<HICON>(CopyImage(big, IMAGE_ICON, 16, 16, c.flags));
    ASSERT_NE(small, nullptr);
    EXPECT_NE(small, big);
    Surface s(16);
    ASSERT_TRUE(DrawIconEx(s.dc(), 0, 0, small, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(GetPixel(s.dc(), 12, 8), c.expected);
    EXPECT_TRUE(DestroyIcon(small));
    EXPECT_TRUE(DestroyIcon(big)) << "the original lives on";
  }

  // A standard icon is drawn afresh at the small size; an icon made from bitmaps has no
  // source and is scaled.
  HICON application = LoadIconW(nullptr, IDI_APPLICATION);
  HICON small = static_cast<HICON>(CopyImage(application, IMAGE_ICON, 16, 16, LR_COPYFROMRESOURCE | LR_COLOR));
  ASSERT_NE(small, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(small, &info));
  BITMAP bm{};
  GetObjectW(info.hbmColor, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 16);
  DeleteObject(info.hbmMask);
  HICON made = CreateIconIndirect(&(const ICONINFO&)ICONINFO{TRUE, 0, 0, info.hbmColor, info.hbmColor});
  DeleteObject(info.hbmColor);
  ASSERT_NE(made, nullptr);
  HICON scaled = static_cast<HICON>(CopyImage(made, IMAGE_ICON, 8, 8, LR_COPYFROMRESOURCE));
  EXPECT_NE(scaled, nullptr);
  DestroyIcon(scaled);
  DestroyIcon(made);
  EXPECT_TRUE(DestroyIcon(small));
  SaveStandardIconsPng();
}

TEST(Icons, CursorsFromResourcesKeepTheirHotSpot) {
  static const std::vector<uint8_t> file = IconFile(2, {{32, DibEntry(32, 32, 0x00FF00)}}, POINT{5, 7});
  platform::RegisterEmbeddedResource(RT_GROUP_CURSOR, u"DragCopy", file.data(), file.size());
  HCURSOR cursor = LoadCursorA(reinterpret_cast<HINSTANCE>(1), "DragCopy");
  ASSERT_NE(cursor, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 5u);
  EXPECT_EQ(info.yHotspot, 7u);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  SetCursor(cursor);
  EXPECT_EQ(GetCursor(), cursor);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_TRUE(DestroyCursor(cursor));
  EXPECT_EQ(LoadCursorW(reinterpret_cast<HINSTANCE>(1), u"NoSuchCursor"), nullptr);
}

TEST(Icons, FromBitmapsAndBackCopiesAndStandardIcons) {
  // A 4x4 colour bitmap with no alpha and a mask whose first column is transparent.
  const uint32_t red = 0x00FF0000;
  std::vector<uint32_t> pixels(16, red);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, -4, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP color = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::memcpy(bits, pixels.data(), 64);
  const uint8_t maskBits[8] = {0x80, 0, 0x80, 0, 0x80, 0, 0x80, 0};  // word-aligned rows
  HBITMAP mask = CreateBitmap(4, 4, 1, 1, maskBits);
  ICONINFO in{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&in);
  ASSERT_NE(icon, nullptr);
  DeleteObject(color);
  DeleteObject(mask);  // the icon keeps its own copy

  Surface s(8);
  ASSERT_TRUE(DrawIconEx(s.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(GetPixel(s.dc(), 0, 1), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(s.dc(), 2, 1), RGB(255, 0, 0));

  ICONINFO out{};
  ASSERT_TRUE(GetIconInfo(icon, &out));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, out.hbmMask);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));  // transparent
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 0, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(out.hbmColor);
  DeleteObject(out.hbmMask);

  HICON bigger = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, 8, 8, LR_COPYDELETEORG));
  ASSERT_NE(bigger, nullptr);
  EXPECT_FALSE(DestroyIcon(icon));  // deleted by the copy
  Surface b(8);
  ASSERT_TRUE(DrawIconEx(b.dc(), 0, 0, bigger, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(GetPixel(b.dc(), 1, 7), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(b.dc(), 2, 7), RGB(255, 0, 0));
  DestroyIcon(bigger);

  ICONINFO missing{TRUE, 0, 0, nullptr, nullptr};
  EXPECT_EQ(CreateIconIndirect(&missing), nullptr);

  // Standard icons are shared: the same handle each time, and DestroyIcon leaves them.
  HICON error = LoadIconW(nullptr, IDI_ERROR);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_HAND)), error);
  EXPECT_TRUE(DestroyIcon(error));
  Surface e(32);
  ASSERT_TRUE(DrawIcon(e.dc(), 0, 0, error));
  EXPECT_EQ(GetPixel(e.dc(), 0, 0), RGB(255, 255, 255));  // outside the disc
  EXPECT_EQ(GetPixel(e.dc(), 16, 16), RGB(255, 255, 255));  // the cross
  EXPECT_EQ(GetPixel(e.dc(), 5, 16), RGB(224, 0, 0));
  Surface all(32 * 5);
  int x = 0;
  for (LPCWSTR id : {IDI_APPLICATION, IDI_ERROR, IDI_QUESTION, IDI_WARNING, IDI_INFORMATION}) {
    DrawIcon(all.dc(), x, 0, LoadIconW(nullptr, id));
    x += 32;
  }
  EXPECT_TRUE(platform::testing::SaveDcPng(all.dc(), std::string(BRANTWELL_TEST_BIN_DIR) + "/standard_icons.png"));
}

}  // namespace
