// The shared drawing routines: picture and button placement, byte sizes, frames, the
// non-client DC, enabling child controls and cursor slots.

#include <gtest/gtest.h>

#include "SkinTestSupport.h"
#include "platform/testing/Synthetic.h"
#include "platform/gdi/DcGuards.h"
#include "program/skin/DrawUtils.h"
#include "vcl/Form.h"
#include "vcl/GraphicControl.h"
#include "vcl/StdCtrls.h"

using namespace skin_test;
using platform::OwnedGdiObject;

namespace {

struct ImageCase {
  TRect box;
  int width, height;
  bool proportional, stretch;
  TRect expected;
};

TEST(DrawUtilsPlacement, PicturesShrinkToFitStretchOrStayCentred) {
  const ImageCase cases[] = {
      {{0, 0, 100, 100}, 400, 100, true, false, {0, 37, 100, 62}},     // wide picture shrunk, kept in proportion
      {{0, 0, 100, 100}, 100, 400, true, false, {37, 0, 62, 100}},     // tall picture likewise
      {{0, 0, 100, 100}, 50, 50, true, false, {25, 25, 75, 75}},       // smaller: never enlarged
      {{0, 0, 100, 100}, 50, 50, false, true, {0, 0, 100, 100}},       // stretched, proportions ignored
      {{0, 0, 100, 100}, 0, 0, true, true, {0, 0, 100, 100}},          // no size: the whole box
      {{0, 0, 100, 50}, 50, 100, true, true, {37, 0, 62, 50}},         // stretched in proportion to the height
      {{0, 0, 50, 100}, 100, 50, true, true, {0, 37, 50, 62}},         // ... and to the width
      {{0, 0, 100, 30}, 200, 100, true, false, {20, 0, 80, 30}},      // width first, then limited by the height
      {{10, 20, 110, 120}, 200, 200, false, false, {-40, -30, 160, 170}},  // larger, no scaling: negative offsets
  };
  for (const auto& c : cases) {
    TRect result;
    CalcImageRect(c.box, c.width, c.height, result, true, c.proportional, c.stretch);
    EXPECT_EQ(result, c.expected) << c.width << "x" << c.height << " prop " << c.proportional << " stretch " << c.stretch
                                  << " got " << result.Left << "," << result.Top << "," << result.Right << ","
                                  << result.Bottom;
  }
}

struct Layout {
  int glyphX, glyphY, textX, textY;
  bool operator==(const Layout&) const = default;
};

Layout LayoutOf(int layout, int horz, int vert, int offset) {
  Layout out{-1, -1, -1, -1};
  CalcButtonLayout(layout, horz, vert, 100, 30, 16, 16, 40, 13, offset, 3, 4, out.glyphX, out.glyphY, out.textX, out.textY);
  return out;
}

TEST(DrawUtilsPlacement, ButtonGlyphAndCaptionFollowLayoutAndAlignment) {
  Layout centred{-1, -1, -1, -1};
  CalcButtonLayout(0, 2, 2, 100, 30, 16, 16, 40, 13, 0, 0, 4, centred.glyphX, centred.glyphY, centred.textX, centred.textY);
  EXPECT_EQ(centred, (Layout{20, 7, 40, 8}));

  // 100 x 30 button, 16 x 16 glyph, 40 x 13 caption, margin 3, spacing 4.
  struct Case {
    int layout, horz, vert;
    Layout expected;
  };
  const Case cases[] = {
      {0, 0, 0, {3, 3, 23, 3}},     // glyph left, top-left aligned: the margin at the edge
      {0, 1, 1, {37, 11, 57, 14}},  // right/bottom: glyph then caption end at W - margin
      {1, 0, 2, {47, 7, 3, 8}},     // glyph right of the caption
      {1, 1, 0, {81, 3, 37, 3}},
      {2, 2, 0, {42, 3, 30, 23}},   // glyph above
      {2, 0, 1, {3, -6, 3, 14}},  // too tall for both: the glyph goes above the top
      {3, 1, 2, {81, 16, 57, -1}},  // glyph below; the centring rounds toward zero
      {3, 2, 1, {42, 11, 30, -6}},
  };
  for (const auto& c : cases) EXPECT_EQ(LayoutOf(c.layout, c.horz, c.vert, 0), c.expected) << c.layout << c.horz << c.vert;

  // The pressed shift moves everything by one, whatever the layout and alignment.
  for (int layout = 0; layout < 4; ++layout)
    for (int horz = 0; horz < 3; ++horz)
      for (int vert = 0; vert < 3; ++vert) {
        Layout at0 = LayoutOf(layout, horz, vert, 0);
        Layout at1 = LayoutOf(layout, horz, vert, 1);
        EXPECT_EQ(at1, (Layout{at0.glyphX + 1, at0.glyphY + 1, at0.textX + 1, at0.textY + 1}))
            << layout << horz << vert;
      }
  EXPECT_EQ(LayoutOf(4, 2, 2, 0), (Layout{-1, -1, -1, -1})) << "an unknown layout leaves the outputs alone";
}

TEST(DrawUtilsByteSize, SizesInTheirUnitWithoutTrailingZeros) {
  const std::pair<uint64_t, const char*> cases[] = {
      {0, "0"},
      {512, "512B"},
      {1023, "1023B"},
      {1024, "1KB"},
      {1536, "1.5KB"},
      {2048, "2KB"},
      {1572864, "1.5MB"},
      {1073741824ull, "1GB"},
      {2147483648ull, "2GB"},          // 2^31: unsigned, never a negative count
      {4294967295ull, "4GB"},
      {1099511627776ull, "1TB"},
      {5ull << 50, "5120TB"},         // no unit above TB
      {UINT64_MAX, "16777216TB"},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(FormatByteSize(bytes), text) << bytes;
  EXPECT_EQ(FormatByteSizeDigits(2, 1024 + 256), "1.25KB") << "a second decimal that is not zero stays";
  EXPECT_EQ(FormatByteSizeDigits(3, 1024 + 512), "1.5KB");
  EXPECT_EQ(FormatByteSizeDigits(0, 1536), "2KB");
}

TEST(DrawUtilsByteSize, TrimmingKeepsUpToTheRightmostNonZeroDecimal) {
  const std::pair<const char*, const char*> cases[] = {
      {"1.25", "1.25"}, {"1.50", "1.5"}, {"1.205", "1.205"}, {"2.0", "2"}, {"2.00 ", "2"},
      {"10.0", "10"},   {"100", "100"},  {"1,50", "1,50"},   {"", ""},     {".0", ""},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(TrimDecimalZeros(text), expected) << "'" << text << "'";
}

TEST(DrawUtilsSets, ByteSetBitsAreLeastSignificantFirst) {
  TByteSet set{};
  set[0] = 0x01;          // 0
  set[6] = 0x02;          // 49: '1'
  set[31] = 0x80;         // 255
  EXPECT_TRUE(InCharSet(0, set));
  EXPECT_TRUE(InCharSet('1', set));
  EXPECT_TRUE(InCharSet(255, set));
  EXPECT_TRUE(InCharSet(256 + '1', set)) << "only the low byte counts";
  EXPECT_FALSE(InCharSet('0', set));
  EXPECT_FALSE(InCharSet(254, set));
}

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kWhite = 0xFFFFFF;

TEST(DrawUtilsFrames, TwoColourFrameWithInnerShadow) {
  Surface surface(8, 8);
  DrawFrameColors(surface.canvas()->Handle(), TRect(0, 0, 8, 8), clBlue, clRed, true);
  EXPECT_EQ(surface.Rows(8, 8, kRed, 'o'), "oooooooo\no......o\no......o\no......o\no......o\no......o\no......o\noooooooo\n");
  EXPECT_EQ(surface.Rows(8, 8, kBlue, 'i'),
            "........\n.iiiiii.\n.iiiiii.\n.ii...i.\n.ii...i.\n.ii...i.\n.iiiiii.\n........\n")
      << "the inner frame with its left and top edges doubled";

  Surface plain(6, 6);
  DrawFrameColors(plain.canvas()->Handle(), TRect(0, 0, 6, 6), clWindowFrame, clNone, true);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(plain.Pixel(x, y), kWhite) << "clNone and clWindowFrame draw nothing";
}

class DrawUtilsWindows : public SkinFixture {
 protected:
  void TearDown() override {
    DoneApplication();
    SkinFixture::TearDown();
  }
};

TEST_F(DrawUtilsWindows, NonClientDcCoversTheWholeWindowAndCoordinatesIncludeTheFrame) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"DrawUtilsPlain";
  RegisterClassW(&wc);
  HWND wnd = CreateWindowExW(0, u"DrawUtilsPlain", u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 50, 200, 150, nullptr, nullptr,
                             nullptr, nullptr);
  ASSERT_TRUE(wnd);
  RECT windowRect{}, client{};
  GetWindowRect(wnd, &windowRect);
  GetClientRect(wnd, &client);
  POINT clientOrigin{0, 0};
  ClientToScreen(wnd, &clientOrigin);

  HDC dc = GetNCPaintDC(wnd, reinterpret_cast<HRGN>(1));
  ASSERT_TRUE(dc);
  RECT corner{0, 0, 3, 3};
  OwnedGdiObject<HBRUSH> red(CreateSolidBrush(RGB(255, 0, 0)));
  FillRect(dc, &corner, red.get());
  ReleaseDC(wnd, dc);
  auto image = platform::testing::ReadWindow(wnd, true);
  EXPECT_EQ(image.At(0, 0) & 0xFFFFFF, kRed) << "the window DC starts at the frame's corner";

  TRect rect(0, 0, 10, 10);
  ASSERT_TRUE(ClientRectToWindow(wnd, rect));
  EXPECT_EQ(rect, TRect(clientOrigin.x - windowRect.left, clientOrigin.y - windowRect.top,
                        clientOrigin.x - windowRect.left + 10, clientOrigin.y - windowRect.top + 10));
  TPoint point(150, 80);
  ScreenToWindowPoint(wnd, point);
  EXPECT_EQ(point, TPoint(50, 30));
  WindowToScreenPoint(wnd, point);
  EXPECT_EQ(point, TPoint(150, 80));

  // Only the band between the two rectangles is invalidated.
  ValidateRect(wnd, nullptr);
  EXPECT_TRUE(RedrawRectDifference(wnd, TRect(0, 0, 100, 80), TRect(10, 10, 90, 70), RDW_INVALIDATE));
  OwnedGdiObject<HRGN> update(CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(GetUpdateRgn(wnd, update.get(), FALSE), ERROR);
  EXPECT_TRUE(PtInRegion(update.get(), 5, 5));
  EXPECT_TRUE(PtInRegion(update.get(), 95, 40));
  EXPECT_FALSE(PtInRegion(update.get(), 50, 40));
  EXPECT_FALSE(PtInRegion(update.get(), 150, 40));

  DestroyWindow(wnd);
  TRect untouched(1, 2, 3, 4);
  EXPECT_FALSE(ClientRectToWindow(wnd, untouched));
  EXPECT_EQ(untouched, TRect(1, 2, 3, 4));
  ScreenToWindowPoint(wnd, point);
  EXPECT_EQ(point, TPoint(150, 80));
}

// An edit-like control whose colour follows its enabled state once its class registers.
class TEditLike : public TCustomControl {
  BRANTWELL_CLASS(TEditLike, TCustomControl)
 public:
  using TCustomControl::TCustomControl;
};
class TDerivedEdit : public TEditLike {
  BRANTWELL_CLASS(TDerivedEdit, TEditLike)
 public:
  using TEditLike::TEditLike;
};

TEST_F(DrawUtilsWindows, EnableChildControlsSkipsTheExceptedWithEverythingInside) {
  TForm* form = TCustomForm::CreateNew<TForm>(Application);
  form->SetColor(clBtnFace);
  auto* group = new TCustomControl(form);
  group->SetParent(form);
  group->SetColor(clYellow);
  auto* inner = new TDerivedEdit(form);
  inner->SetParent(group);
  auto* kept = new TCustomControl(form);
  kept->SetParent(form);
  auto* keptChild = new TCustomControl(form);
  keptChild->SetParent(kept);
  auto* plain = new TEditLike(form);
  plain->SetParent(form);
  plain->SetColor(clWindow);

  RegisterEnableColorClass(TEditLike::StaticClass());
  EnableChildControls(form, false, {kept});
  EXPECT_FALSE(group->Enabled());
  EXPECT_FALSE(inner->Enabled()) << "windowed children are entered";
  EXPECT_EQ(inner->Color(), clYellow) << "a registered class takes its own parent's colour";
  EXPECT_EQ(plain->Color(), clBtnFace);
  EXPECT_TRUE(kept->Enabled());
  EXPECT_TRUE(keptChild->Enabled()) << "nothing inside an excepted control is visited";

  keptChild->SetEnabled(false);
  EnableChildControls(form, true, {kept});
  EXPECT_TRUE(inner->Enabled());
  EXPECT_EQ(inner->Color(), clWindow);
  EXPECT_FALSE(keptChild->Enabled());
  UnregisterEnableColorClass(TEditLike::StaticClass());
  delete form;
}

TEST_F(DrawUtilsWindows, EditsAndMemosFollowTheEnabledColourFromTheStart) {
  TForm* form = TCustomForm::CreateNew<TForm>(Application);
  form->SetColor(clBtnFace);
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  auto* memo = new TMemo(form);
  memo->SetParent(form);
  EnableChildControls(form, false);
  EXPECT_EQ(edit->Color(), clBtnFace);
  EXPECT_EQ(memo->Color(), clBtnFace);
  EnableChildControls(form, true);
  EXPECT_EQ(edit->Color(), clWindow);
  EXPECT_EQ(memo->Color(), clWindow);
  delete form;
}

TEST_F(DrawUtilsWindows, AddedCursorsTakeDistinctFreeSlots) {
  HCURSOR first = LoadCursorW(nullptr, IDC_CROSS);
  HCURSOR second = LoadCursorW(nullptr, IDC_HAND);
  const int slotA = AddCursor(first);
  const int slotB = AddCursor(second);
  EXPECT_NE(slotA, slotB);
  EXPECT_LE(slotA, -3) << "the negative slots are searched first";
  EXPECT_EQ(Screen->Cursors(slotA), first);
  EXPECT_EQ(Screen->Cursors(slotB), second);
  Screen->SetCursors(slotA, nullptr);
  Screen->SetCursors(slotB, nullptr);
}

// A windowed child that notes the WM_PRINT it gets and where the DC's origin stood.
class TPrintProbe : public TCustomControl {
  BRANTWELL_CLASS(TPrintProbe, TCustomControl)
 public:
  using TCustomControl::TCustomControl;
  void WndProc(TMessage& m) override {
    if (m.Msg == WM_PRINT) {
      ++prints;
      flags = m.LParam;
      GetWindowOrgEx(reinterpret_cast<HDC>(m.WParam), &origin);
      doubleBufferedDuringPrint = DoubleBuffered();
      return;
    }
    inherited::WndProc(m);
  }
  int prints = 0;
  LPARAM flags = 0;
  POINT origin{};
  bool doubleBufferedDuringPrint = true;
};

// A window-less square the parent paints.
class TSquare : public TGraphicControl {
  BRANTWELL_CLASS(TSquare, TGraphicControl)
 public:
  using TGraphicControl::TGraphicControl;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clBlue);
    Canvas()->FillRect(ClientRect());
  }
};

TEST_F(DrawUtilsWindows, ParentImageAndPrintedChildrenSitAtTheControlsPosition) {
  TForm* form = TCustomForm::CreateNew<TForm>(Application);
  form->SetBounds(0, 0, 200, 100);
  form->SetColor(clRed);
  auto* square = new TSquare(form);
  square->SetParent(form);
  square->SetBounds(12, 5, 4, 4);
  auto* transparent = new TPrintProbe(form);
  transparent->SetParent(form);
  transparent->SetBounds(10, 5, 8, 8);
  transparent->SetDoubleBuffered(true);
  auto* hidden = new TPrintProbe(form);
  hidden->SetParent(form);
  hidden->SetBounds(40, 20, 8, 8);
  hidden->SetVisible(false);
  form->HandleNeeded();

  Surface surface(8, 8);
  DrawParentImage(transparent, surface.canvas()->Handle());
  EXPECT_EQ(surface.Rows(8, 8, 0x0000FF),
            "..####..\n..####..\n..####..\n..####..\n........\n........\n........\n........\n")
      << "the parent's square at (12, 5) shows at (2, 0) under the control";
  EXPECT_EQ(surface.Pixel(0, 7), kRed) << "with the parent's background around it";

  Surface printed(200, 100);
  HDC dc = printed.canvas()->Handle();
  PrintChildWindows(form, TMessage{WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_CHECKVISIBLE, 0});
  EXPECT_EQ(transparent->prints, 1);
  EXPECT_EQ(transparent->flags, PRF_CLIENT | PRF_CHECKVISIBLE | PRF_NONCLIENT | PRF_ERASEBKGND);
  EXPECT_EQ(transparent->origin.x, -10);
  EXPECT_EQ(transparent->origin.y, -5);
  EXPECT_FALSE(transparent->doubleBufferedDuringPrint);
  EXPECT_TRUE(transparent->DoubleBuffered()) << "and back afterwards";
  EXPECT_EQ(hidden->prints, 0) << "PRF_CHECKVISIBLE skips a hidden child";
  POINT after{};
  GetWindowOrgEx(dc, &after);
  EXPECT_EQ(after.x, 0);
  PrintChildWindows(form, TMessage{WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT, 0});
  EXPECT_EQ(hidden->prints, 1);
  delete form;
}

}  // namespace
