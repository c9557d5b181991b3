#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "platform/testing/Pictures.h"
#include "vcl/Graphics.h"

namespace {

// A white 32-bit bitmap to draw on.
std::unique_ptr<TBitmap> Surface(int width, int height, TColor fill = clWhite) {
  auto bitmap = std::make_unique<TBitmap>(width, height, pf32bit);
  bitmap->Canvas()->Brush()->SetColor(fill);
  bitmap->Canvas()->FillRect(Rect(0, 0, width, height));
  return bitmap;
}

// The bounding box of pixels that are not `paper`.
TRect InkBounds(TCanvas* canvas, int width, int height, TColor paper = clWhite) {
  TRect box(width, height, 0, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (canvas->Pixels(x, y) != paper) {
        box.Left = std::min<LONG>(box.Left, x);
        box.Top = std::min<LONG>(box.Top, y);
        box.Right = std::max<LONG>(box.Right, x + 1);
        box.Bottom = std::max<LONG>(box.Bottom, y + 1);
      }
  return box;
}

}  // namespace

TEST(Canvas, ChangedToolsAreSelectedAgainAndTheirOldHandlesDeleted) {
  auto surface = Surface(20, 20);
  TCanvas* canvas = surface->Canvas();

  canvas->Pen()->SetColor(clRed);
  canvas->MoveTo(0, 2);
  canvas->LineTo(20, 2);
  HPEN firstPen = canvas->Pen()->Handle();
  canvas->Pen()->SetColor(clBlue);
  EXPECT_EQ(GetObjectType(firstPen), 0u) << "the old pen must be deleted, not leaked";
  canvas->MoveTo(0, 4);
  canvas->LineTo(20, 4);
  EXPECT_EQ(canvas->Pixels(5, 2), clRed);
  EXPECT_EQ(canvas->Pixels(5, 4), clBlue);

  canvas->Brush()->SetColor(clLime);
  canvas->FillRect(Rect(0, 6, 20, 8));
  HBRUSH firstBrush = canvas->Brush()->Handle();
  canvas->Brush()->SetStyle(bsCross);
  EXPECT_EQ(GetObjectType(firstBrush), 0u);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clYellow);
  canvas->Rectangle(0, 10, 20, 14);
  EXPECT_EQ(canvas->Pixels(5, 7), clLime);
  EXPECT_EQ(canvas->Pixels(5, 12), clYellow);
  EXPECT_EQ(canvas->Pixels(5, 10), clBlue) << "the outline uses the current pen";

  // Pen mode goes into the DC as its raster operation.
  canvas->Pen()->SetColor(clWhite);
  canvas->Pen()->SetMode(pmXor);
  canvas->MoveTo(0, 12);
  canvas->LineTo(20, 12);
  EXPECT_EQ(canvas->Pixels(5, 12), clBlue) << "yellow xor white";

  HFONT firstFont = canvas->Font()->Handle();
  canvas->TextOut(0, 0, "x");
  canvas->Font()->SetSize(20);
  EXPECT_EQ(GetObjectType(firstFont), 0u);
  canvas->TextOut(0, 0, "x");  // selects the new font; must not fail on the deleted one

  // Freeing the bitmap leaves no tool handle behind.
  HPEN pen = canvas->Pen()->Handle();
  HBRUSH brush = canvas->Brush()->Handle();
  surface.reset();
  EXPECT_EQ(GetObjectType(pen), 0u);
  EXPECT_EQ(GetObjectType(brush), 0u);
}

TEST(Canvas, TextBackgroundFollowsTheBrush) {
  auto surface = Surface(60, 30);
  TCanvas* canvas = surface->Canvas();
  canvas->Font()->SetColor(clBlack);
  canvas->Brush()->SetColor(clAqua);
  canvas->TextOut(2, 2, "ii");
  EXPECT_EQ(canvas->Pixels(3, 3), clAqua) << "a solid brush fills behind the text";
  EXPECT_EQ(canvas->PenPos(), TPoint(2 + canvas->TextWidth("ii"), 2));

  canvas->Brush()->SetStyle(bsClear);
  canvas->TextOut(30, 2, "ii");
  const TRect ink = InkBounds(canvas, 60, 30);
  for (int y = 2; y < 2 + canvas->TextHeight("ii"); ++y)
    for (int x = 30; x < 30 + canvas->TextWidth("ii"); ++x) EXPECT_NE(canvas->Pixels(x, y), clAqua);
  EXPECT_GT(ink.Right, 30);
}

TEST(Canvas, TextRectPlacesTextByItsFormat) {
  struct Case {
    const char* name;
    TTextFormat format;
    // Where the ink must lie within the 100 x 40 rectangle at (10, 10).
    bool left, right, top, bottom;
  };
  const Case cases[] = {
      {"left top", {tfSingleLine}, true, false, true, false},
      {"right bottom", {tfSingleLine, tfRight, tfBottom}, false, true, false, true},
      {"centred", {tfSingleLine, tfCenter, tfVerticalCenter}, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto surface = Surface(120, 60);
    TCanvas* canvas = surface->Canvas();
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetColor(clBlack);
    TRect rect(10, 10, 110, 50);
    AnsiString text = "Menu";
    canvas->TextRect(rect, text, c.format);
    const TRect ink = InkBounds(canvas, 120, 60);
    ASSERT_FALSE(ink.IsEmpty());
    const int leftGap = ink.Left - 10, rightGap = 110 - ink.Right, topGap = ink.Top - 10, bottomGap = 50 - ink.Bottom;
    if (c.left) { EXPECT_LT(leftGap, 3); }
    if (c.right) { EXPECT_LT(rightGap, 3); }
    if (c.top) { EXPECT_LT(topGap, 5); }
    if (c.bottom) { EXPECT_LT(bottomGap, 5); }
    if (!c.left && !c.right) { EXPECT_NEAR(leftGap, rightGap, 2); }
    if (!c.top && !c.bottom) { EXPECT_NEAR(topGap, bottomGap, 3); }
  }

  // tfCalcRect measures without drawing.
  auto surface = Surface(120, 60);
  TCanvas* canvas = surface->Canvas();
  TRect rect(5, 5, 5, 5);
  AnsiString text = "Chapter 1";
  canvas->TextRect(rect, text, {tfCalcRect, tfSingleLine});
  EXPECT_EQ(rect.Width(), canvas->TextWidth(text));
  EXPECT_EQ(rect.Height(), canvas->TextHeight(text));
  EXPECT_TRUE(InkBounds(canvas, 120, 60).IsEmpty());

  // An ellipsis keeps the text inside a narrow rectangle.
  TRect narrow(0, 30, canvas->TextWidth("Chap") + 2, 50);
  canvas->TextRect(narrow, "Chapter one of the disc", {tfSingleLine, tfEndEllipsis});
  const TRect ink = InkBounds(canvas, 120, 60);
  EXPECT_LE(ink.Right, narrow.Right);
  EXPECT_GT(ink.Right, 0);
}

TEST(Canvas, CopyRectAppliesTheCopyMode) {
  struct Case {
    TCopyMode mode;
    TColor expected;  // source red 0x0000FF over destination 0x00FF0F
  };
  const Case cases[] = {{cmSrcCopy, 0x0000FF},   {cmSrcInvert, 0x00FFF0}, {cmSrcAnd, 0x00000F},
                        {cmSrcPaint, 0x00FFFF},  {cmNotSrcCopy, 0xFFFF00}, {cmBlackness, 0x000000},
                        {cmWhiteness, 0xFFFFFF}, {cmDstInvert, 0xFF00F0}};
  auto source = Surface(4, 4, 0x0000FF);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.mode);
    auto dest = Surface(8, 8, 0x00FF0F);
    dest->Canvas()->SetCopyMode(c.mode);
    dest->Canvas()->CopyRect(Rect(2, 2, 6, 6), source->Canvas(), Rect(0, 0, 4, 4));
    EXPECT_EQ(dest->Canvas()->Pixels(3, 3), c.expected);
    EXPECT_EQ(dest->Canvas()->Pixels(1, 1), 0x00FF0F) << "outside the rectangle nothing changes";
  }
  // Different sizes stretch.
  auto dest = Surface(8, 8);
  dest->Canvas()->CopyRect(Rect(0, 0, 8, 8), source->Canvas(), Rect(0, 0, 4, 4));
  EXPECT_EQ(dest->Canvas()->Pixels(7, 7), clRed);
}

TEST(Canvas, PixelsClipRectAndMissingHandle) {
  auto surface = Surface(10, 6);
  TCanvas* canvas = surface->Canvas();
  canvas->SetPixels(3, 4, clPurple);
  EXPECT_EQ(canvas->Pixels(3, 4), clPurple);
  EXPECT_EQ(canvas->Pixels(10, 0), clNone);
  EXPECT_EQ(canvas->ClipRect(), Rect(0, 0, 10, 6));
  canvas->SetPixels(3, 3, clBtnFace);  // system colours are drawn as their RGB
  EXPECT_EQ(canvas->Pixels(3, 3), static_cast<TColor>(ColorToRGB(clBtnFace)));

  TCanvas bare;
  EXPECT_THROW(bare.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
  HDC dc = CreateCompatibleDC(nullptr);
  bare.SetHandle(dc);
  bare.Pen()->SetColor(clRed);
  bare.MoveTo(0, 0);
  bare.LineTo(1, 1);  // selects the pen into a DC it does not own
  HPEN pen = bare.Pen()->Handle();
  bare.SetHandle(nullptr);  // takes the tools out again
  EXPECT_TRUE(DeleteObject(pen)) << "the pen is no longer selected in the DC";
  DeleteDC(dc);
}

TEST(Canvas, LockKeepsOtherThreadsOut) {
  auto surface = Surface(2, 2);
  TCanvas* canvas = surface->Canvas();
  canvas->Lock();
  canvas->Lock();  // recursive
  EXPECT_EQ(canvas->LockCount(), 2);
  auto tryFromOtherThread = [canvas] {
    return std::async(std::launch::async, [canvas] {
      const bool taken = canvas->TryLock();
      if (taken) canvas->Unlock();
      return taken;
    });
  };
  auto first = tryFromOtherThread();
  ASSERT_EQ(first.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_FALSE(first.get());
  canvas->Unlock();
  canvas->Unlock();
  EXPECT_EQ(canvas->LockCount(), 0);
  auto second = tryFromOtherThread();
  ASSERT_EQ(second.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_TRUE(second.get());
}

TEST(Canvas, FreeMemoryContextsSparesLockedCanvases) {
  auto locked = Surface(2, 2);
  auto idle = Surface(2, 2);
  // A worker holds the lock while the GUI thread releases memory DCs.
  std::promise<void> holding, release;
  auto worker = std::async(std::launch::async, [&] {
    TCanvasLock lock(locked->Canvas());
    holding.set_value();
    release.get_future().wait_for(std::chrono::seconds(10));
  });
  ASSERT_EQ(holding.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
  FreeMemoryContexts();
  EXPECT_TRUE(locked->Canvas()->HandleAllocated());
  EXPECT_FALSE(idle->Canvas()->HandleAllocated());
  release.set_value();
  ASSERT_EQ(worker.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  // A released canvas makes its DC again and still draws into the bitmap.
  idle->Canvas()->SetPixels(0, 0, clRed);
  EXPECT_EQ(idle->Canvas()->Pixels(0, 0), clRed);
}

TEST(Canvas, ChangeEventsWrapEachDrawingCall) {
  auto surface = Surface(4, 4);
  int changing = 0, changed = 0, bitmapChanged = 0;
  surface->Canvas()->SetOnChanging([&](TObject*) { ++changing; });
  surface->SetOnChange([&](TObject*) { ++bitmapChanged; });
  surface->Canvas()->FillRect(Rect(0, 0, 2, 2));
  surface->Canvas()->SetOnChange([&](TObject*) { ++changed; });
  surface->Canvas()->LineTo(3, 3);
  EXPECT_EQ(changing, 2);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(bitmapChanged, 1) << "the bitmap hears of drawing on its canvas until the hook is replaced";
}

// A menu-like picture made with every kind of drawing call, saved to look at.
TEST(Canvas, ComposedPicture) {
  auto surface = Surface(240, 140, clNavy);
  TCanvas* canvas = surface->Canvas();
  canvas->Brush()->SetColor(clBtnFace);
  canvas->Pen()->SetColor(clWhite);
  canvas->RoundRect(10, 10, 230, 130, 16, 16);
  canvas->Brush()->SetStyle(bsClear);
  canvas->Font()->SetColor(clMaroon);
  canvas->Font()->SetSize(14);
  canvas->Font()->SetStyle({fsBold});
  TRect title(10, 12, 230, 40);
  canvas->TextRect(title, "My Holiday DVD", {tfCenter, tfSingleLine, tfVerticalCenter});

  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clYellow);
  canvas->Pen()->SetColor(clBlack);
  canvas->Ellipse(20, 45, 60, 85);
  canvas->Brush()->SetColor(clRed);
  canvas->Pie(70, 45, 110, 85, 110, 65, 90, 45);
  canvas->Brush()->SetStyle(bsDiagCross);
  canvas->Brush()->SetColor(clGreen);
  canvas->Polygon({{120, 85}, {140, 45}, {160, 85}});
  canvas->Pen()->SetWidth(3);
  canvas->Pen()->SetColor(clBlue);
  canvas->Polyline({{170, 85}, {185, 50}, {200, 85}, {215, 50}});
  canvas->Pen()->SetWidth(1);

  TBitmap sprite(16, 16, pf24bit);
  sprite.Canvas()->Brush()->SetColor(clFuchsia);
  sprite.Canvas()->FillRect(Rect(0, 0, 16, 16));
  sprite.Canvas()->Brush()->SetColor(clTeal);
  sprite.Canvas()->Ellipse(2, 2, 14, 14);
  sprite.SetTransparent(true);
  canvas->StretchDraw(Bounds(20, 95, 32, 32), &sprite);

  TImageList list(nullptr);
  list.SetSize(16, 16);
  list.AddMasked(&sprite, clDefault);
  list.Draw(canvas, 60, 103, 0);
  list.Draw(canvas, 80, 103, 0, false);

  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clWhite);
  canvas->Font()->SetSize(9);
  canvas->Font()->SetStyle({});
  canvas->Font()->SetColor(clBlack);
  canvas->TextOut(110, 105, "Play all");
  canvas->DrawFocusRect(Rect(106, 102, 170, 122));

  EXPECT_EQ(canvas->Pixels(0, 0), clNavy);
  EXPECT_EQ(canvas->Pixels(40, 65), clYellow);
  EXPECT_EQ(canvas->Pixels(21, 96), static_cast<TColor>(ColorToRGB(clBtnFace))) << "sprite key left out";
  EXPECT_EQ(canvas->Pixels(36, 111), clTeal);
  EXPECT_EQ(canvas->Pixels(68, 111), clTeal);

  const std::string path = std::string(BRANTWELL_TEST_BIN_DIR) + "/vcl_canvas_composed.png";
  std::string error;
  EXPECT_TRUE(platform::testing::SaveDcPng(canvas->Handle(), path, &error)) << error;
}

TEST(Canvas, TheHandleCarriesTheCanvasToolsForDirectDrawing) {
  auto surface = Surface(20, 20);
  TCanvas* canvas = surface->Canvas();
  canvas->Pen()->SetColor(clRed);
  canvas->Brush()->SetColor(clBlue);
  canvas->Font()->SetColor(clLime);
  HDC dc = canvas->Handle();
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), canvas->Pen()->Handle());
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), canvas->Brush()->Handle());
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), canvas->Font()->Handle());
  EXPECT_EQ(GetTextColor(dc), ColorToRGB(clLime));
  Rectangle(dc, 2, 2, 18, 18);
  EXPECT_EQ(canvas->Pixels(2, 10), clRed);
  EXPECT_EQ(canvas->Pixels(10, 10), clBlue);
}
