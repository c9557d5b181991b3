#include <gtest/gtest.h>

#include "ImagingTestSupport.h"
#include "program/imaging/GDIPAPI.h"

namespace {

TEST(GDIPAPI, PropertyItemsAsText) {
  struct Case {
    WORD type;
    std::vector<uint8_t> value;
    const char* text;
  } cases[] = {
      {PropertyTagTypeShort, {0xFF, 0xFF}, "65535"},
      {PropertyTagTypeByte, {200, 1}, "200"},
      {PropertyTagTypeLong, {0x00, 0x00, 0x00, 0x80}, "2147483648"},
      {PropertyTagTypeASCII, {'2', '0', '2', '1', 0}, "2021"},
      {PropertyTagTypeASCII, {'a', 'b'}, "ab"},  // no terminating zero: stops at the end
      {PropertyTagTypeRational, {1, 0, 0, 0, 2, 0, 0, 0}, ""},
      {PropertyTagTypeShort, {7}, ""},  // too short for its type
  };
  for (const Case& c : cases) {
    TGPPropertyItem item;
    item.Type = c.type;
    item.Value = c.value;
    item.Length = static_cast<ULONG>(c.value.size());
    EXPECT_EQ(PropertyItemToStr(item), c.text);
  }
}

TEST(GDIPAPI, RectanglesColoursAndScanLines) {
  const GpRect rect = MakeRect(TRect(2, 3, 12, 8));
  EXPECT_EQ(rect.X, 2);
  EXPECT_EQ(rect.Width, 10);
  EXPECT_EQ(rect.Height, 5);
  EXPECT_EQ(MakeRect(2, 3, 10, 5), TRect(2, 3, 12, 8));
  EXPECT_EQ(MakeColor(0x11, 0x22, 0x33), 0xFF112233u);
  EXPECT_EQ(ARGBToColorRef(0x80112233u), 0x00332211u);
  EXPECT_EQ(ColorRefToARGB(0x00332211u), 0xFF112233u);

  uint8_t rows[3][8] = {};
  BitmapData down{2, 3, 8, PixelFormat32bppARGB, rows[0], 0};
  EXPECT_EQ(GetScanLine(down, 2), rows[2]);
  // A bottom-up layout: Scan0 is the bottom row in memory order, the stride is negative.
  BitmapData up{2, 3, -8, PixelFormat32bppARGB, rows[0], 0};
  EXPECT_EQ(GetScanLine(up, 0), rows[2]);
  EXPECT_EQ(GetScanLine(up, 2), rows[0]);
}

TEST(GDIPAPI, EncodersAndParameters) {
  TImageCodecInfoDynArray encoders = GetImageEncoders();
  ASSERT_EQ(encoders.size(), 5u);
  TImageCodecInfo jpeg;
  ASSERT_TRUE(GetEncoderInfo(ImageFormatJPEG, jpeg));
  EXPECT_EQ(jpeg.Info.Clsid, EncoderClsidJPEG);
  EXPECT_EQ(jpeg.MimeType, u"image/jpeg");
  TImageCodecInfo none;
  EXPECT_FALSE(GetEncoderInfo(ImageFormatIcon, none));
  EXPECT_TRUE(IsNullGuid(none.Info.Clsid));
  EXPECT_TRUE(IsNullGuid(none.Info.FormatID));

  TEncoderParameterDynArray parameters;
  MakeEncoderParameters(parameters, 2);
  SetEncoderParameter(parameters, 0, MakeEncoderParameter(EncoderQuality, 75));
  SetEncoderParameter(parameters, 1, MakeEncoderParameter(EncoderTransformation, 14));
  EncoderParameter outside = MakeEncoderParameter(EncoderQuality, 1);
  SetEncoderParameter(parameters, 2, outside);  // out of range: ignored
  EXPECT_EQ(parameters.size(), 2u);
  delete[] static_cast<uint8_t*>(outside.Value);
  TEncoderParametersBlock block = BuildEncoderParameters(parameters);
  ASSERT_NE(block.Get(), nullptr);
  EXPECT_EQ(block.Get()->Count, 2u);
  EXPECT_EQ(block.Get()->Parameter[1].Guid, EncoderTransformation);
  EXPECT_EQ(*static_cast<const uint32_t*>(block.Get()->Parameter[0].Value), 75u);
  EXPECT_EQ(block.Get()->Parameter[0].Type, ULONG(EncoderParameterValueTypeLong));
  FreeEncoderParameters(parameters);
  EXPECT_TRUE(parameters.empty());
  EXPECT_EQ(BuildEncoderParameters(parameters).Get(), nullptr);
}

TEST(GDIPAPI, PaletteFromByteSize) {
  TGPColorPalette palette(8 + 4 * 3 + 2);  // a ragged size keeps whole entries
  EXPECT_EQ(palette.Count(), 3u);
  EXPECT_EQ(palette.ByteSize(), 20);
  palette.SetEntry(2, 0xFF00FF00u);
  palette.SetEntry(3, 0xFFFFFFFFu);  // beyond the end: ignored
  EXPECT_EQ(palette.Entry(2), 0xFF00FF00u);
  EXPECT_EQ(palette.Palette()->Entries[2], 0xFF00FF00u);
}

}  // namespace
