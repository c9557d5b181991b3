#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>

#include "vcl/Graphics.h"

namespace {

// A picture class of its own, to show that files go to the class registered for their
// extension: it remembers the bytes it was loaded from.
class TTestGraphic : public TGraphic {
  BRANTWELL_CLASS(TTestGraphic, TGraphic)

 public:
  TTestGraphic() = default;
  AnsiString Content;
  void LoadFromStream(TStream& stream) override {
    Content.assign(static_cast<size_t>(stream.Size() - stream.Position()), '\0');
    if (!Content.empty()) stream.ReadBuffer(Content.data(), static_cast<int32_t>(Content.size()));
    if (Content == "bad") throw EInvalidGraphic("bad test picture");
    Changed(this);
  }
  void SaveToStream(TStream& stream) override {
    stream.WriteBuffer(Content.data(), static_cast<int32_t>(Content.size()));
    if (Content == "fail") throw EWriteError("disc full");
  }

 protected:
  bool GetEmpty() const override { return Content.empty(); }
  int GetWidth() const override { return static_cast<int>(Content.size()); }
  int GetHeight() const override { return 1; }
  void SetWidthImpl(int) override {}
  void SetHeightImpl(int) override {}
  void Draw(TCanvas*, const TRect&) override {}
};

std::filesystem::path TempFolder() {
  auto folder = std::filesystem::temp_directory_path() / ("vcl_picture_test_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  return folder;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  TFileStream stream(path.string(), fmCreate);
  stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

}  // namespace

TEST(Picture, FilesGoToTheClassRegisteredForTheirExtension) {
  const auto folder = TempFolder();
  WriteFile(folder / "menu.tst", "test content");
  WriteFile(folder / "menu.xyz", "anything");
  WriteFile(folder / "bad.TST", "bad");

  TPicture::RegisterFileFormat("TST", "Test pictures", TTestGraphic::StaticClass());
  int changes = 0;
  TPicture picture;
  picture.SetOnChange([&](TObject*) { ++changes; });
  picture.LoadFromFile((folder / "menu.tst").string());
  auto* graphic = dynamic_cast<TTestGraphic*>(picture.Graphic());
  ASSERT_NE(graphic, nullptr);
  EXPECT_EQ(graphic->Content, "test content");
  EXPECT_EQ(picture.Width(), 12);
  EXPECT_EQ(changes, 1);
  EXPECT_NE(TPicture::GraphicFilter(TGraphic::StaticClass()).find("Test pictures (*.tst)|*.tst"), AnsiString::npos);

  // A failed load leaves the picture as it was.
  EXPECT_THROW(picture.LoadFromFile((folder / "bad.TST").string()), EInvalidGraphic);
  EXPECT_EQ(dynamic_cast<TTestGraphic*>(picture.Graphic())->Content, "test content");

  try {
    picture.LoadFromFile((folder / "menu.xyz").string());
    FAIL() << "an unknown extension must raise";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Unknown picture file extension (.xyz)");
  }

  // Content changes of the graphic reach the picture's listener.
  graphic = dynamic_cast<TTestGraphic*>(picture.Graphic());
  graphic->SetModified(true);
  EXPECT_EQ(changes, 2);

  TPicture::UnregisterGraphicClass(TTestGraphic::StaticClass());
  EXPECT_EQ(TPicture::FileFormatClass("tst"), nullptr);
  EXPECT_THROW(picture.LoadFromFile((folder / "menu.tst").string()), EInvalidGraphic);
  std::filesystem::remove_all(folder);
}

TEST(Picture, BitmapsAndIconsByExtension) {
  const auto folder = TempFolder();
  TBitmap bitmap(6, 4, pf24bit);
  bitmap.Canvas()->Brush()->SetColor(clTeal);
  bitmap.Canvas()->FillRect(Rect(0, 0, 6, 4));
  TPicture picture;
  picture.SetBitmap(&bitmap);
  picture.SaveToFile((folder / "still.BMP").string());

  TPicture loaded;
  loaded.LoadFromFile((folder / "still.BMP").string());
  ASSERT_TRUE(dynamic_cast<TBitmap*>(loaded.Graphic()));
  EXPECT_EQ(loaded.Bitmap()->Canvas()->Pixels(5, 3), clTeal);

  // Asking for the icon replaces the bitmap with an empty icon.
  EXPECT_TRUE(loaded.Icon()->Empty());
  EXPECT_EQ(loaded.Width(), 0);

  // A save that fails leaves no half-written file behind.
  TTestGraphic failing;
  failing.Content = "fail";
  EXPECT_THROW(failing.SaveToFile((folder / "half.tst").string()), EWriteError);
  EXPECT_FALSE(std::filesystem::exists(folder / "half.tst"));
  std::filesystem::remove_all(folder);
}

TEST(Icon, SavesLoadsAndDrawsThroughItsMask) {
  // A 4 x 4 icon: a red square whose left column is transparent.
  TBitmap color(4, 4, pf24bit);
  color.Canvas()->Brush()->SetColor(clRed);
  color.Canvas()->FillRect(Rect(0, 0, 4, 4));
  TBitmap mask(4, 4, pf1bit);
  mask.Canvas()->Brush()->SetColor(clBlack);
  mask.Canvas()->FillRect(Rect(0, 0, 4, 4));
  mask.Canvas()->Brush()->SetColor(clWhite);
  mask.Canvas()->FillRect(Rect(0, 0, 1, 4));
  color.Canvas()->Brush()->SetColor(clBlack);
  color.Canvas()->FillRect(Rect(0, 0, 1, 4));

  TIcon icon;
  icon.SetBitmaps(&color, &mask);
  EXPECT_TRUE(icon.Transparent());
  EXPECT_THROW(icon.SetWidth(8), EInvalidGraphicOperation);
  TMemoryStream stream;
  icon.SaveToStream(stream);
  stream.SetPosition(0);
  TIcon loaded;
  loaded.LoadFromStream(stream);
  ASSERT_EQ(loaded.Width(), 4);
  ASSERT_EQ(loaded.Height(), 4);

  TBitmap target(8, 8, pf32bit);
  target.Canvas()->Brush()->SetColor(clLime);
  target.Canvas()->FillRect(Rect(0, 0, 8, 8));
  target.Canvas()->StretchDraw(Rect(0, 0, 8, 8), &loaded);
  EXPECT_EQ(target.Canvas()->Pixels(0, 0), clLime);
  EXPECT_EQ(target.Canvas()->Pixels(1, 5), clLime);
  EXPECT_EQ(target.Canvas()->Pixels(4, 4), clRed);

  // A bitmap takes the icon drawn on white.
  TBitmap asBitmap;
  asBitmap.Assign(&loaded);
  EXPECT_EQ(asBitmap.Width(), 4);
  EXPECT_EQ(asBitmap.Canvas()->Pixels(0, 0), clWhite);
  EXPECT_EQ(asBitmap.Canvas()->Pixels(2, 2), clRed);
  TPicture unrelated;
  EXPECT_THROW(asBitmap.Assign(&unrelated), EConvertError);

  // A loaded icon saves back the bytes it came from.
  TMemoryStream again;
  loaded.SaveToStream(again);
  ASSERT_EQ(again.Size(), stream.Size());
  EXPECT_EQ(std::memcmp(again.Memory(), stream.Memory(), static_cast<size_t>(stream.Size())), 0);

  // Not an icon.
  TMemoryStream junk;
  junk.WriteBuffer("BM-not-an-icon", 14);
  junk.SetPosition(0);
  EXPECT_THROW(loaded.LoadFromStream(junk), EInvalidGraphic);
  EXPECT_EQ(loaded.Width(), 4);
}

// Entry headers with widths and heights at the ends of the 32-bit range: the search for the
// best entry must not overflow (a width just above INT_MIN once looked nearest to 32 and hid
// the good entry), and an icon with no usable entry is refused and leaves the icon as it was.
TEST(Icon, CorruptEntrySizesAreSkippedOrRefused) {
  TBitmap color(4, 4, pf24bit);
  TIcon source;
  source.SetBitmaps(&color, nullptr);
  TMemoryStream saved;
  source.SaveToStream(saved);
  const auto* bytes = static_cast<const uint8_t*>(saved.Memory());
  const std::string good(reinterpret_cast<const char*>(bytes) + 22, static_cast<size_t>(saved.Size()) - 22);

  // An icon file whose entries hold the given DIBs, in order.
  auto iconFile = [](const std::vector<std::string>& images) {
    std::string file;
    auto put16 = [&](int v) { file += char(v & 0xFF); file += char((v >> 8) & 0xFF); };
    auto put32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) file += char((v >> (8 * i)) & 0xFF); };
    put16(0);
    put16(1);
    put16(static_cast<int>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (const std::string& image : images) {
      file.append(4, '\0');
      put16(1);
      put16(24);
      put32(static_cast<uint32_t>(image.size()));
      put32(offset);
      offset += static_cast<uint32_t>(image.size());
    }
    for (const std::string& image : images) file += image;
    return file;
  };
  auto withSize = [&](int32_t width, int32_t height) {
    std::string image = good;
    std::memcpy(image.data() + 4, &width, 4);
    std::memcpy(image.data() + 8, &height, 4);
    return image;
  };

  const std::pair<int32_t, int32_t> corrupt[] = {
      {INT_MIN + 31, 8}, {INT_MIN + 7, 8}, {INT_MIN, 8}, {INT_MAX, 8}, {4, INT_MIN}, {4, INT_MAX}, {-4, 8}, {4, 1}};
  for (const auto& [width, height] : corrupt) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    TStringStream both(iconFile({withSize(width, height), good}));
    TIcon icon;
    icon.LoadFromStream(both);
    EXPECT_EQ(icon.Width(), 4);
    EXPECT_EQ(icon.Height(), 4);

    TStringStream alone(iconFile({withSize(width, height)}));
    EXPECT_THROW(icon.LoadFromStream(alone), EInvalidGraphic);
    EXPECT_EQ(icon.Width(), 4);
  }
}

// An icon whose only entry is PNG-compressed (2 x 1: opaque red, blue at half opacity).
TEST(Icon, ReadsPngEntries) {
  const uint8_t png[] = {
      0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
      0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0xF4, 0x22, 0x7F, 0x8A, 0x00, 0x00, 0x00,
      0x0E, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xCF, 0xC0, 0x00, 0x42, 0x0D, 0x00, 0x0F, 0x7A, 0x03,
      0x7E, 0x77, 0xE9, 0x7F, 0x97, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
  std::string file("\0\0\1\0\1\0\2\1\0\0\1\0\x20\0", 14);
  const uint32_t size = sizeof png, offset = 22;
  file.append(reinterpret_cast<const char*>(&size), 4);
  file.append(reinterpret_cast<const char*>(&offset), 4);
  file.append(reinterpret_cast<const char*>(png), sizeof png);
  TStringStream stream(file);
  TIcon icon;
  icon.LoadFromStream(stream);
  ASSERT_EQ(icon.Width(), 2);
  ASSERT_EQ(icon.Height(), 1);

  TBitmap target(2, 1, pf32bit);
  target.Canvas()->Brush()->SetColor(clWhite);
  target.Canvas()->FillRect(Rect(0, 0, 2, 1));
  target.Canvas()->Draw(0, 0, &icon);
  EXPECT_EQ(target.Canvas()->Pixels(0, 0), clRed);
  const TColor blended = target.Canvas()->Pixels(1, 0);
  EXPECT_NEAR(GetRValue(blended), 127, 2) << "half of the white shows through";
  EXPECT_EQ(GetBValue(blended), 255);
}
