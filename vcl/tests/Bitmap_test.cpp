#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "vcl/Graphics.h"

namespace {

// A DIB section of the given depth and orientation, for a bitmap to take over.
HBITMAP Section(int width, int height, int bits, bool topDown) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = topDown ? -height : height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bits);
  void* pixels = nullptr;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
}

// A 4 x 3 test card: every pixel a different colour.
TColor CardColor(int x, int y) { return RGB(static_cast<BYTE>(40 * x + 10), static_cast<BYTE>(70 * y + 5), 200); }

void PaintCard(TBitmap& bitmap) {
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) bitmap.Canvas()->SetPixels(x, y, CardColor(x, y));
}

template <class T> void Append(std::vector<uint8_t>& out, T value) {
  const auto* p = reinterpret_cast<const uint8_t*>(&value);
  out.insert(out.end(), p, p + sizeof(T));
}

TMemoryStream StreamOf(const std::vector<uint8_t>& bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  stream.SetPosition(0);
  return stream;
}

}  // namespace

TEST(Bitmap, ScanLineIsTopRowFirstInBothOrientations) {
  struct Case {
    int bits;
    bool topDown;
  };
  for (const Case c : {Case{24, false}, Case{24, true}, Case{32, false}, Case{32, true}}) {
    SCOPED_TRACE(testing::Message() << c.bits << " bits, " << (c.topDown ? "top-down" : "bottom-up"));
    TBitmap bitmap;
    bitmap.SetHandle(Section(4, 3, c.bits, c.topDown));
    EXPECT_EQ(bitmap.PixelFormat(), c.bits == 24 ? pf24bit : pf32bit);
    EXPECT_EQ(bitmap.TopDown(), c.topDown);
    PaintCard(bitmap);
    const int bytes = c.bits / 8;
    for (int y = 0; y < 3; ++y) {
      const auto* row = static_cast<const uint8_t*>(bitmap.ScanLine(y));
      for (int x = 0; x < 4; ++x) {
        const TColor color = CardColor(x, y);
        EXPECT_EQ(row[x * bytes], GetBValue(color));
        EXPECT_EQ(row[x * bytes + 1], GetGValue(color));
        EXPECT_EQ(row[x * bytes + 2], GetRValue(color)) << "pixel " << x << "," << y;
      }
    }
    // Writing through a scan line shows on the canvas.
    static_cast<uint8_t*>(bitmap.ScanLine(2))[bytes * 3 + 2] = 0xFF;
    EXPECT_EQ(GetRValue(bitmap.Canvas()->Pixels(3, 2)), 0xFF);
    EXPECT_THROW(bitmap.ScanLine(3), EInvalidGraphic);
    EXPECT_THROW(bitmap.ScanLine(-1), EInvalidGraphic);
  }
}

TEST(Bitmap, PixelFormatConversionsKeepTheColoursEachFormatHolds) {
  const TColor primaries[] = {clBlack, clWhite, clRed, clLime, clBlue, clYellow, clFuchsia, clAqua};
  struct Case {
    TPixelFormat format;
    int tolerance;  // per channel
    bool blackAndWhiteOnly;
  };
  const Case cases[] = {{pf24bit, 0, false}, {pf16bit, 8, false}, {pf15bit, 8, false}, {pf8bit, 0, false},
                        {pf4bit, 0, false},  {pf1bit, 0, true},   {pfDevice, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "format " << c.format);
    TBitmap bitmap(8, 2, pf32bit);
    for (int x = 0; x < 8; ++x) bitmap.Canvas()->SetPixels(x, 0, primaries[x]);
    bitmap.SetPixelFormat(c.format);
    EXPECT_EQ(bitmap.PixelFormat(), c.format);
    EXPECT_EQ(bitmap.HandleType(), c.format == pfDevice ? bmDDB : bmDIB);
    bitmap.SetPixelFormat(pf32bit);  // and back
    for (int x = 0; x < 8; ++x) {
      const TColor expected = c.blackAndWhiteOnly && x > 1 ? bitmap.Canvas()->Pixels(x, 0) : primaries[x];
      const TColor actual = bitmap.Canvas()->Pixels(x, 0);
      EXPECT_NEAR(GetRValue(actual), GetRValue(expected), c.tolerance) << "pixel " << x;
      EXPECT_NEAR(GetGValue(actual), GetGValue(expected), c.tolerance) << "pixel " << x;
      EXPECT_NEAR(GetBValue(actual), GetBValue(expected), c.tolerance) << "pixel " << x;
    }
    EXPECT_EQ(bitmap.Canvas()->Pixels(1, 0), clWhite);
  }
  // An 8-bit picture maps other colours to the nearest of its table.
  TBitmap bitmap(1, 1, pf32bit);
  bitmap.Canvas()->SetPixels(0, 0, RGB(250, 5, 3));
  bitmap.SetPixelFormat(pf8bit);
  EXPECT_EQ(bitmap.Canvas()->Pixels(0, 0), clRed);
  EXPECT_THROW(bitmap.SetPixelFormat(pfCustom), EInvalidGraphic);
}

TEST(Bitmap, SizeAssignAndHandles) {
  TBitmap bitmap(4, 3, pf24bit);
  PaintCard(bitmap);
  bitmap.SetSize(6, 5);
  EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
  EXPECT_EQ(bitmap.Canvas()->Pixels(3, 2), CardColor(3, 2)) << "the picture keeps its place";
  EXPECT_EQ(bitmap.Canvas()->Pixels(5, 4), clWhite) << "new pixels are white";

  TBitmap copy;
  copy.Assign(&bitmap);
  bitmap.Canvas()->SetPixels(0, 0, clBlack);
  EXPECT_EQ(copy.Canvas()->Pixels(0, 0), CardColor(0, 0)) << "a copy does not share pixels";
  EXPECT_EQ(copy.PixelFormat(), pf24bit);
  EXPECT_EQ(copy.Width(), 6);

  HBITMAP handle = copy.ReleaseHandle();
  EXPECT_TRUE(copy.Empty());
  EXPECT_EQ(GetObjectType(handle), OBJ_BITMAP);
  DeleteObject(handle);

  HBITMAP owned = bitmap.Handle();
  bitmap.SetSize(0, 0);
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(GetObjectType(owned), 0u) << "the old handle is deleted";
  EXPECT_THROW(bitmap.SetHandle(reinterpret_cast<HBITMAP>(CreateSolidBrush(0))), EInvalidGraphic);
}

TEST(Bitmap, BmpRoundTripsInEveryFormat) {
  for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfDevice}) {
    SCOPED_TRACE(testing::Message() << "format " << format);
    TBitmap bitmap(5, 3, pf32bit);
    PaintCard(bitmap);
    bitmap.SetPixelFormat(format);
    TMemoryStream stream;
    bitmap.SaveToStream(stream);
    const auto* bytes = static_cast<const uint8_t*>(stream.Memory());
    ASSERT_GT(stream.Size(), 54);
    EXPECT_EQ(bytes[0], 'B');
    DWORD headerSize;
    std::memcpy(&headerSize, bytes + 14, 4);
    EXPECT_EQ(headerSize, 40u);
    stream.SetPosition(0);
    TBitmap loaded;
    loaded.LoadFromStream(stream);
    EXPECT_EQ(loaded.PixelFormat(), format == pfDevice ? pf32bit : format);
    EXPECT_EQ(loaded.Width(), 5);
    EXPECT_EQ(loaded.Height(), 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) EXPECT_EQ(loaded.Canvas()->Pixels(x, y), bitmap.Canvas()->Pixels(x, y));
  }
  // An empty bitmap writes nothing and loads from nothing.
  TBitmap empty;
  TMemoryStream stream;
  empty.SaveToStream(stream);
  EXPECT_EQ(stream.Size(), 0);
  stream.SetPosition(0);
  empty.LoadFromStream(stream);
  EXPECT_TRUE(empty.Empty());
}

TEST(Bitmap, ReadsNewerAndOlderHeaders) {
  // A version 5 header, 32 bits with the masks in RGBA byte order and a gap before the
  // pixels (where a colour profile would be).
  {
    std::vector<uint8_t> file;
    const DWORD offset = 14 + 124 + 16;
    Append<WORD>(file, 0x4D42);
    Append<DWORD>(file, offset + 8);
    Append<DWORD>(file, 0);
    Append<DWORD>(file, offset);
    std::vector<uint8_t> header(124, 0);
    auto put = [&](size_t at, DWORD v) { std::memcpy(header.data() + at, &v, 4); };
    put(0, 124);
    put(4, 2);              // width
    put(8, DWORD(-1));      // height -1: top-down
    header[12] = 1;         // planes
    header[14] = 32;        // bits
    put(16, BI_BITFIELDS);
    put(40, 0x000000FF);    // red
    put(44, 0x0000FF00);    // green
    put(48, 0x00FF0000);    // blue
    put(52, 0xFF000000);    // alpha
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), 16, 0xEE);
    const uint8_t pixels[8] = {0xFF, 0x00, 0x00, 0x80, 0x10, 0x20, 0x30, 0xFF};  // R G B A order
    file.insert(file.end(), pixels, pixels + 8);
    TMemoryStream stream = StreamOf(file);
    TBitmap bitmap;
    bitmap.LoadFromStream(stream);
    ASSERT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.PixelFormat(), pf32bit);
    EXPECT_EQ(bitmap.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(bitmap.Canvas()->Pixels(1, 0), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(static_cast<const uint8_t*>(bitmap.ScanLine(0))[3], 0x80) << "alpha comes from its mask";
  }
  // The 12-byte header with 3-byte colour entries.
  {
    std::vector<uint8_t> file;
    const DWORD offset = 14 + 12 + 2 * 3;
    Append<WORD>(file, 0x4D42);
    Append<DWORD>(file, offset + 8);
    Append<DWORD>(file, 0);
    Append<DWORD>(file, offset);
    Append<DWORD>(file, 12);
    Append<WORD>(file, 3);
    Append<WORD>(file, 2);
    Append<WORD>(file, 1);
    Append<WORD>(file, 8);
    file.insert(file.end(), {0, 0, 0, 0, 0, 255});  // black, red (blue-green-red)
    file.insert(file.end(), {1, 1, 0, 0, 0, 0, 1, 0});  // bottom row red red black, top row black black red
    TMemoryStream stream = StreamOf(file);
    TBitmap bitmap;
    bitmap.LoadFromStream(stream);
    EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
    EXPECT_EQ(bitmap.Canvas()->Pixels(0, 1), clRed);
    EXPECT_EQ(bitmap.Canvas()->Pixels(2, 1), clBlack);
    EXPECT_EQ(bitmap.Canvas()->Pixels(2, 0), clRed);
  }
  // Run-length coded 8 bits.
  {
    std::vector<uint8_t> file;
    const std::vector<uint8_t> rle = {3, 1, 0, 0, 1, 2, 0, 0, 0, 1};  // bottom row: red x3; next: black, end
    const DWORD offset = 14 + 40 + 2 * 4;
    Append<WORD>(file, 0x4D42);
    Append<DWORD>(file, offset + static_cast<DWORD>(rle.size()));
    Append<DWORD>(file, 0);
    Append<DWORD>(file, offset);
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = 3;
    header.biHeight = 2;
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biCompression = BI_RLE8;
    header.biSizeImage = static_cast<DWORD>(rle.size());
    header.biClrUsed = 2;
    Append(file, header);
    file.insert(file.end(), {0, 0, 0, 0, 0, 0, 255, 0});
    file.insert(file.end(), rle.begin(), rle.end());
    TMemoryStream stream = StreamOf(file);
    TBitmap bitmap;
    bitmap.LoadFromStream(stream);
    EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
    EXPECT_EQ(bitmap.Canvas()->Pixels(0, 1), clRed);
    EXPECT_EQ(bitmap.Canvas()->Pixels(2, 1), clRed);
    EXPECT_EQ(bitmap.Canvas()->Pixels(0, 0), clBlack);
  }
}

TEST(Bitmap, BadFilesRaiseAndKeepThePicture) {
  TBitmap good(3, 3, pf24bit);
  PaintCard(good);
  TMemoryStream saved;
  good.SaveToStream(saved);
  const auto* bytes = static_cast<const uint8_t*>(saved.Memory());
  const std::vector<uint8_t> whole(bytes, bytes + saved.Size());

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"truncated pixels", std::vector<uint8_t>(whole.begin(), whole.end() - 5)});
  cases.push_back({"truncated header", std::vector<uint8_t>(whole.begin(), whole.begin() + 20)});
  auto wrongSignature = whole;
  wrongSignature[0] = 'X';
  cases.push_back({"no signature", wrongSignature});
  auto huge = whole;
  const LONG side = 1'000'000;
  std::memcpy(huge.data() + 18, &side, 4);
  cases.push_back({"huge width", huge});
  auto depth = whole;
  depth[28] = 7;
  cases.push_back({"unknown depth", depth});
  auto unknownHeader = whole;
  unknownHeader[14] = 200;
  cases.push_back({"unknown header size", unknownHeader});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TBitmap bitmap;
    bitmap.Assign(&good);
    TMemoryStream stream = StreamOf(c.bytes);
    EXPECT_THROW(bitmap.LoadFromStream(stream), EInvalidGraphic);
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Canvas()->Pixels(2, 2), CardColor(2, 2)) << "a failed load loses nothing";
  }
}

TEST(Bitmap, TransparentBitmapsLeaveTheKeyColourOut) {
  TBitmap sprite(4, 4, pf24bit);
  sprite.Canvas()->Brush()->SetColor(clFuchsia);
  sprite.Canvas()->FillRect(Rect(0, 0, 4, 4));
  sprite.Canvas()->Brush()->SetColor(clBlue);
  sprite.Canvas()->FillRect(Rect(1, 1, 3, 3));
  EXPECT_EQ(sprite.TransparentMode(), tmAuto);
  EXPECT_EQ(sprite.TransparentColor(), clFuchsia) << "the bottom-left pixel, as a plain colour";

  auto drawOnto = [&](TGraphic* graphic, const TRect& rect) {
    auto target = std::make_unique<TBitmap>(8, 8, pf32bit);
    target->Canvas()->Brush()->SetColor(clLime);
    target->Canvas()->FillRect(Rect(0, 0, 8, 8));
    target->Canvas()->StretchDraw(rect, graphic);
    return target;
  };
  auto opaque = drawOnto(&sprite, Rect(0, 0, 4, 4));
  EXPECT_EQ(opaque->Canvas()->Pixels(0, 0), clFuchsia);

  sprite.SetTransparent(true);
  auto keyed = drawOnto(&sprite, Rect(0, 0, 8, 8));
  EXPECT_EQ(keyed->Canvas()->Pixels(0, 0), clLime);
  EXPECT_EQ(keyed->Canvas()->Pixels(4, 4), clBlue);

  // A fixed colour other than the corner's.
  sprite.SetTransparentColor(clBlue);
  EXPECT_EQ(sprite.TransparentMode(), tmFixed);
  auto fixed = drawOnto(&sprite, Rect(0, 0, 4, 4));
  EXPECT_EQ(fixed->Canvas()->Pixels(0, 0), clFuchsia);
  EXPECT_EQ(fixed->Canvas()->Pixels(2, 2), clLime);
  sprite.SetTransparentMode(tmAuto);
  EXPECT_EQ(sprite.TransparentColor(), clFuchsia);
}

TEST(Bitmap, FormDataRoundTrip) {
  TBitmap bitmap(3, 2, pf8bit);
  PaintCard(bitmap);
  TPicture picture;
  picture.SetGraphic(&bitmap);
  TPicture other;
  EXPECT_FALSE(other.Graphic());
  other.Assign(&picture);
  ASSERT_TRUE(dynamic_cast<TBitmap*>(other.Graphic()));
  EXPECT_TRUE(other.Graphic()->Equals(&bitmap));
  bitmap.Canvas()->SetPixels(0, 0, clWhite);
  EXPECT_FALSE(other.Graphic()->Equals(&bitmap));
}
