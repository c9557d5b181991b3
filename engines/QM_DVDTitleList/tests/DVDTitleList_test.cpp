#include "engines/QM_DVDTitleList/DVDTitleList.h"

#include <gtest/gtest.h>

#include "engines/menu/Menu.h"
#include "engines/menu/MenuXml.h"

#include <string>
#include <vector>

namespace {

TEST(DVDTitleList, InsertKeepsStoryboardOrderAndRemoveShifts) {
  const uintptr_t list = TLCreate();
  ASSERT_NE(list, 0u);
  EXPECT_EQ(TLInsertTitle(list, 0), 0);
  EXPECT_EQ(TLInsertTitle(list, 1), 1);
  EXPECT_EQ(TLInsertTitle(list, 99), 2);  // past the end appends
  EXPECT_EQ(TLInsertTitle(list, 1), 1);   // between 0 and the old 1
  TLSetTitleFile(list, 0, u"/a.mpg");
  TLSetTitleFile(list, 1, u"/new.mpg");
  TLSetTitleFile(list, 2, u"/b.mpg");
  EXPECT_EQ(TLGetTitleCount(list), 4);
  EXPECT_EQ(TLRemoveTitle(list, 1), 1);
  EXPECT_EQ(TLRemoveTitle(list, 7), 0);
  char16_t buffer[64];
  TLGetTitleFile(list, 1, buffer, 64);
  EXPECT_EQ(std::u16string(buffer), u"/b.mpg");

  // A blank path (the program's way of clearing) round-trips.
  EXPECT_EQ(TLSetTitleThumbnailPath(list, 0, u" "), 1);
  char16_t path[TL_PATH_UNITS];
  EXPECT_EQ(TLGetTitleThumbnailPath(list, 0, path, TL_PATH_UNITS), 1);
  EXPECT_EQ(std::u16string(path), u" ");

  TLRlease(list);
  EXPECT_EQ(TLGetTitleCount(list), 0);
  EXPECT_EQ(TLInsertTitle(list, 0), -1);
}

TEST(DVDTitleList, ThumbnailIsCopiedAndTurnedTopDown) {
  const uintptr_t list = TLCreate();
  TLInsertTitle(list, 0);
  // A 2 x 2, 24-bit bottom-up bitmap: rows are padded to 4 bytes.
  TLBitmapInfoHeader header{40, 2, 2, 1, 24, 0, 0, 0, 0, 0, 0};
  std::vector<uint8_t> bits = {1, 2, 3, 4, 5, 6, 0, 0,      // bottom row
                               7, 8, 9, 10, 11, 12, 0, 0};  // top row
  ASSERT_EQ(TLSetTitleThumbnail(list, 0, &header, bits.data()), 1);
  bits.assign(bits.size(), 0xEE);  // the caller frees its pixels at once
  int32_t width = 0, height = 0;
  std::vector<uint8_t> out(16);
  ASSERT_EQ(TLGetTitleThumbnail(list, 0, &width, &height, out.data(), 16), 16);
  EXPECT_EQ(width, 2);
  EXPECT_EQ(height, 2);
  EXPECT_EQ(out, (std::vector<uint8_t>{7, 8, 9, 255, 10, 11, 12, 255, 1, 2, 3, 255, 4, 5, 6, 255}));

  header.compression = 1;  // run-length encoded: refused
  EXPECT_EQ(TLSetTitleThumbnail(list, 0, &header, bits.data()), 0);
  TLRelease(list);
}

TEST(DVDTitleList, ALargePictureIsKeptReduced) {
  // A camera photo chosen as a title's picture, 3000 wide at 32 bits, top-down, columns
  // alternating black and white: kept at a third, also when it has fewer rows than that.
  const uintptr_t list = TLCreate();
  TLInsertTitle(list, 0);
  std::vector<uint8_t> bits(3000 * 3 * 4);
  for (size_t i = 0; i < bits.size(); i += 4) bits[i] = bits[i + 1] = bits[i + 2] = (i / 4) % 2 ? 255 : 0;
  TLBitmapInfoHeader header{40, 3000, -3, 1, 32, 0, 0, 0, 0, 0, 0};
  for (const int32_t rows : {-3, -2}) {
    header.height = rows;
    ASSERT_EQ(TLSetTitleThumbnail(list, 0, &header, bits.data()), 1);
    int32_t width = 0, height = 0;
    const int32_t bytes = TLGetTitleThumbnail(list, 0, &width, &height, nullptr, 0);
    EXPECT_EQ(width, 1000);
    EXPECT_EQ(height, 1);
    std::vector<uint8_t> out(static_cast<size_t>(bytes));
    TLGetTitleThumbnail(list, 0, &width, &height, out.data(), bytes);
    EXPECT_EQ((std::vector<uint8_t>(out.begin(), out.begin() + 8)),
              (std::vector<uint8_t>{85, 85, 85, 255, 170, 170, 170, 255}));
  }
  header.width = 40000;  // a header not to be believed
  EXPECT_EQ(TLSetTitleThumbnail(list, 0, &header, bits.data()), 0);
  TLRelease(list);
}

TEST(DVDTitleList, ThumbnailPathsFillTheCallersCapacityAndNoMore) {
  const uintptr_t list = TLCreate();
  TLInsertTitle(list, 0);
  // Longer than the 260 units the program used to assume.
  const std::u16string path = u"/pictures/" + std::u16string(300, u'p') + u".jpg";
  TLSetTitleThumbnailPath(list, 0, path.c_str());
  std::vector<char16_t> buffer(400, u'#');
  EXPECT_EQ(TLGetTitleThumbnailPath(list, 0, nullptr, 0), static_cast<int32_t>(path.size()));
  EXPECT_EQ(TLGetTitleThumbnailPath(list, 0, buffer.data(), 0), static_cast<int32_t>(path.size()));
  EXPECT_EQ(buffer[0], u'#');
  EXPECT_EQ(TLGetTitleThumbnailPath(list, 0, buffer.data(), 5), static_cast<int32_t>(path.size()));
  EXPECT_EQ(std::u16string(buffer.data()), u"/pic");
  EXPECT_EQ(buffer[5], u'#');
  TLGetTitleThumbnailPath(list, 0, buffer.data(), 400);
  EXPECT_EQ(std::u16string(buffer.data()), path);
  TLRelease(list);
}

TEST(DVDTitleList, MenuXmlGivesThumbnailPathsToTheTitlesItHas) {
  const uintptr_t list = TLCreate();
  TLInsertTitle(list, 0);
  TLInsertTitle(list, 1);
  TLSetTitleThumbnailPath(list, 0, u"/kept.jpg");
  TLSetTitleThumbnailPath(list, 1, u"/kept.jpg");
  engines::menu::MenuDocument document;
  document.pages.push_back(engines::menu::ContentFromTemplate(engines::menu::DefaultLayout()));
  document.thumbnails = {u"/missing/a.jpg"};  // fewer titles than the list: the rest keep theirs
  const std::u16string xml = engines::menu::WriteMenuXml(document);

  // Damaged or missing text changes nothing.
  EXPECT_EQ(TLSetMenuXml(list, nullptr), 0);
  EXPECT_EQ(TLSetMenuXml(list, xml.substr(0, xml.size() / 2).c_str()), 0);
  EXPECT_EQ(TLSetMenuXml(list, u"<menu version=\"1\"/>"), 0);
  char16_t path[TL_PATH_UNITS];
  TLGetTitleThumbnailPath(list, 0, path, TL_PATH_UNITS);
  EXPECT_EQ(std::u16string(path), u"/kept.jpg");

  // A path whose file is gone still comes back (the program lists it as missing), without pixels.
  ASSERT_EQ(TLSetMenuXml(list, xml.c_str()), 1);
  TLGetTitleThumbnailPath(list, 0, path, TL_PATH_UNITS);
  EXPECT_EQ(std::u16string(path), u"/missing/a.jpg");
  EXPECT_EQ(TLGetTitleThumbnail(list, 0, nullptr, nullptr, nullptr, 0), 0);
  TLGetTitleThumbnailPath(list, 1, path, TL_PATH_UNITS);
  EXPECT_EQ(std::u16string(path), u"/kept.jpg");
  EXPECT_EQ(TLSetMenuXml(0, xml.c_str()), 0);
  TLRelease(list);
}

}  // namespace
