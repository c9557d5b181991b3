#include <gtest/gtest.h>

#include <cstring>

#include "Canvas.h"
#include "platform/kernel/WinError.h"

TEST(GdiObjects, HandlesAreDistinctAndStaleOnesAreRejected) {
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
  ASSERT_NE(pen, nullptr);
  ASSERT_NE(static_cast<void*>(pen), static_cast<void*>(brush));
  EXPECT_EQ(GetObjectType(pen), OBJ_PEN);
  EXPECT_EQ(GetObjectType(brush), OBJ_BRUSH);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GetObjectType(pen), 0u);
  // A new object in the freed slot does not answer to the old handle.
  HPEN again = CreatePen(PS_SOLID, 1, 0);
  EXPECT_NE(again, pen);
  EXPECT_EQ(GetObjectType(pen), 0u);
  DeleteObject(again);
  DeleteObject(brush);
}

TEST(GdiObjects, SelectedObjectsCannotBeDeletedUntilDeselected) {
  Canvas canvas(4, 4);
  HPEN pen = CreatePen(PS_DASH, 1, RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(canvas.dc, pen);
  EXPECT_EQ(old, GetStockObject(BLACK_PEN));
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_EQ(GetObjectType(pen), OBJ_PEN);
  EXPECT_EQ(SelectObject(canvas.dc, old), pen);
  EXPECT_TRUE(DeleteObject(pen));

  // A bitmap goes into one memory DC at a time.
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(other, canvas.bitmap), nullptr);
  DeleteDC(other);
  EXPECT_FALSE(DeleteObject(canvas.bitmap));
}

TEST(GdiObjects, StockObjectsSurviveDeletion) {
  HGDIOBJ brush = GetStockObject(WHITE_BRUSH);
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_EQ(GetObjectType(brush), OBJ_BRUSH);
  LOGBRUSH record{};
  ASSERT_EQ(GetObject(GetStockObject(BLACK_BRUSH), sizeof(record), &record), int(sizeof(record)));
  EXPECT_EQ(record.lbColor, RGB(0, 0, 0));
  EXPECT_EQ(GetObject(GetStockObject(NULL_BRUSH), sizeof(record), &record), int(sizeof(record)));
  EXPECT_EQ(record.lbStyle, BS_NULL);
  LOGFONTA font{};
  ASSERT_GT(GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font), 0);
  EXPECT_EQ(font.lfHeight, -11);
  EXPECT_EQ(GetStockObject(9), nullptr);
}

TEST(GdiObjects, GetObjectReportsWhatWasCreated) {
  HPEN pen = CreatePen(PS_DOT, 1, RGB(9, 8, 7));
  LOGPEN logPen{};
  ASSERT_EQ(GetObject(pen, sizeof(logPen), &logPen), int(sizeof(logPen)));
  EXPECT_EQ(logPen.lopnStyle, UINT(PS_DOT));
  EXPECT_EQ(logPen.lopnColor, RGB(9, 8, 7));
  EXPECT_EQ(GetObject(pen, 0, nullptr), int(sizeof(LOGPEN)));
  DeleteObject(pen);

  LOGFONTA in{};
  in.lfHeight = -13;
  in.lfWeight = FW_BOLD;
  in.lfItalic = 1;
  std::strcpy(in.lfFaceName, "Tahoma");
  HFONT font = CreateFontIndirect(&in);
  LOGFONTA out{};
  ASSERT_EQ(GetObject(font, sizeof(out), &out), int(sizeof(out)));
  EXPECT_EQ(out.lfHeight, -13);
  EXPECT_EQ(out.lfWeight, FW_BOLD);
  EXPECT_STREQ(out.lfFaceName, "Tahoma");
  LOGFONTW wide{};
  ASSERT_EQ(GetObjectW(font, sizeof(wide), &wide), int(sizeof(wide)));
  EXPECT_EQ(std::u16string(wide.lfFaceName), u"Tahoma");
  DeleteObject(font);
}

TEST(GdiObjects, BadArgumentsFailClearly) {
  EXPECT_EQ(CreatePen(42, 1, 0), nullptr);
  EXPECT_EQ(CreateHatchBrush(17, 0), nullptr);
  EXPECT_EQ(SelectObject(nullptr, GetStockObject(BLACK_PEN)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  LOGBRUSH cosmeticWide{BS_SOLID, 0, 0};
  EXPECT_EQ(ExtCreatePen(PS_COSMETIC | PS_SOLID, 3, &cosmeticWide, 0, nullptr), nullptr);
  HPEN geometric = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, 3, &cosmeticWide, 0, nullptr);
  EXPECT_EQ(GetObjectType(geometric), OBJ_EXTPEN);
  DeleteObject(geometric);
}

TEST(GdiObjects, DeletingADcReleasesWhatIsSelectedIntoIt) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  SelectObject(dc, bitmap);
  SelectObject(dc, pen);
  EXPECT_FALSE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteObject(pen));
}
