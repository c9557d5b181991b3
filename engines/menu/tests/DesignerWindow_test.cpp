// The menu designer window on the headless display: where it shows the page, what a click on
// each element posts, how dragging moves and resizes elements on the grid, and that changes of
// the menu repaint it.

#include "engines/menu/DesignerWindow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "engines/menu/PageRenderer.h"
#include "engines/menu/tests/MenuWindowsTesting.h"
#include "platform/testing/Watchdog.h"

namespace {

using namespace engines::menu;
using namespace menu_testing;
using platform::testing::ReadWindow;

constexpr UINT kNotify = WM_USER + 1501;

// Two slots a page: three titles make two pages, the first with two frames, play and next, the
// second with one frame, previous and play.
TemplateLayout TwoSlots() { return {{{60, 120, 300, 300}, {420, 120, 660, 300}}}; }

struct DesignerFixture : ::testing::Test {
  platform::testing::Watchdog watchdog{std::chrono::seconds(120)};
  std::filesystem::path folder = TestFolder("designer-window-template");
  HWND top = nullptr;
  std::shared_ptr<Menu> menu;
  DesignerWindowPtr designer;
  HWND window = nullptr;
  // The designer at (40, 30), 560 x 480: the page shows 560 x 420 at (0, 30) of it.
  static constexpr int kWidth = 560, kHeight = 480;

  void SetUp() override {
    top = MakeRecordingWindow();
    ASSERT_NE(top, nullptr);
    menu = MakeMenu(WriteTemplate(folder, TwoSlots()), 3);
    menu->SetNotifyWindow(reinterpret_cast<uintptr_t>(top));
    menu->AddTextItem(*menu->PageAt(0));
    designer = CreateDesignerWindow(menu, top, 40, 30, kWidth, kHeight);
    ASSERT_TRUE(designer);
    window = DesignerWindowHandle(*designer);
    ASSERT_NE(window, nullptr);
    Settle();
  }
  void TearDown() override {
    designer.reset();
    DestroyWindow(top);
    engines::SetWindowPoster(nullptr);
  }

  void Settle() {
    ASSERT_TRUE(platform::testing::RunUntilIdle());
    Recorded().clear();
  }
  PageView View() const { return menu->View(menu->CurrentPageIndex()); }
  std::optional<PageElement> Find(ElementKind kind, int index = 0) const {
    for (const PageElement& element : LayoutPage(View()))
      if (element.kind == kind && element.index == index) return element;
    return std::nullopt;
  }
  // A canvas point on the screen.
  POINT Screen(double x, double y) const {
    const RECT place = DesignerPagePlace(kWidth, kHeight);
    return platform::testing::ScreenPoint(
        window, place.left + int(std::lround(x * (place.right - place.left) / kCanvasWidth)),
        place.top + int(std::lround(y * (place.bottom - place.top) / kCanvasHeight)));
  }
  POINT Centre(const Rect& rect) const { return Screen((rect.left + rect.right) / 2.0, (rect.top + rect.bottom) / 2.0); }
  // The designer notifications posted since the last Settle.
  std::vector<LPARAM> Chosen() const {
    std::vector<LPARAM> kinds;
    for (const Posted& posted : Recorded())
      if (posted.message == kNotify && posted.wParam == 2) kinds.push_back(posted.lParam);
    return kinds;
  }
  Rect Slot(int index) const { return menu->Content(menu->CurrentPageIndex()).slots.at(size_t(index)); }
};

TEST_F(DesignerFixture, ShowsTheCurrentPageAsLargeAsFitsAtFourThreeCentred) {
  RECT placed;
  GetWindowRect(window, &placed);
  EXPECT_EQ(placed.left, 40);
  EXPECT_EQ(placed.top, 30);
  const RECT expected{0, 30, 560, 450};
  const RECT place = DesignerPagePlace(kWidth, kHeight);
  EXPECT_TRUE(EqualRect(&place, &expected)) << place.left << "," << place.top << "," << place.right << "," << place.bottom;
  const RECT wide = DesignerPagePlace(1000, 300);
  EXPECT_EQ(wide.left, 300);
  EXPECT_EQ(wide.right - wide.left, 400);

  SaveShot(top, "menu-designer-page.png");
  const auto shown = ReadWindow(window);
  EXPECT_FALSE(Near(shown.At(280, 10), kBackgroundRgb, 12)) << "the band above the page is not the page";
  EXPECT_TRUE(Near(shown.At(20, 40), kBackgroundRgb)) << std::hex << shown.At(20, 40);
  // The thumbnails show in their frames, the frame picture around them.
  for (int slot : {0, 1}) {
    const Rect thumbnail = ThumbnailRect(View().content, slot);
    const POINT centre = Centre(thumbnail);
    POINT client = centre;
    ScreenToClient(window, &client);
    EXPECT_TRUE(Near(shown.At(client.x + 10, client.y - 10), ThumbnailRgb(slot), 40))
        << "slot " << slot << ": " << std::hex << shown.At(client.x + 10, client.y - 10);
  }
}

TEST_F(DesignerFixture, AClickOnEachElementPostsItsKindAndOutlinesIt) {
  struct Case {
    int page;
    ElementKind kind;
    int index;
    int title;  // the selected frame's title
  };
  const Case cases[] = {
      {0, ElementKind::Frame, 1, 1},    {0, ElementKind::Frame, 0, 0}, {0, ElementKind::Play, 0, -1},
      {0, ElementKind::Next, 0, -1},    {0, ElementKind::Text, 0, -1}, {1, ElementKind::Previous, 0, -1},
      {1, ElementKind::Frame, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "page " << c.page << " kind " << int(c.kind) << " index " << c.index);
    menu->SetCurrentPage(c.page);
    Settle();
    const std::optional<PageElement> element = Find(c.kind, c.index);
    ASSERT_TRUE(element);
    platform::testing::Click(Centre(element->rect));
    ASSERT_TRUE(platform::testing::RunUntilIdle());
    EXPECT_EQ(Chosen(), std::vector<LPARAM>{LPARAM(c.kind)});
    EXPECT_EQ(menu->GetSelection(), (Selection{c.kind, c.index}));
    EXPECT_EQ(menu->SelectedTitle(), c.title);
    // The outline runs just outside the element.
    const RECT place = DesignerPagePlace(kWidth, kHeight);
    const double scale = double(place.right - place.left) / kCanvasWidth;
    const int outlineX = place.left + int(std::lround(element->rect.left * scale)) - 1;
    // A quarter down the left edge: clear of the handles at the corners and the middle.
    const int edgeY = place.top + int(std::lround((element->rect.top * 3 + element->rect.bottom) / 4.0 * scale));
    EXPECT_TRUE(Near(ReadWindow(window).At(outlineX, edgeY), 0x2999FF, 40))
        << std::hex << ReadWindow(window).At(outlineX, edgeY);
  }
  SaveShot(top, "menu-designer-selected-frame.png");

  // The background: anywhere else on the page.
  menu->SetCurrentPage(0);
  Settle();
  platform::testing::Click(Screen(20, 20));
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  EXPECT_EQ(Chosen(), std::vector<LPARAM>{1});
  EXPECT_EQ(menu->SelectedTitle(), -1);
  Recorded().clear();
  // Outside the page nothing is chosen.
  platform::testing::Click(platform::testing::ScreenPoint(window, 280, 10));
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  EXPECT_TRUE(Chosen().empty());
}

TEST_F(DesignerFixture, DraggingMovesAFrameOnTheGridInsideThePage) {
  const Rect before = Slot(0);
  ASSERT_EQ(before, (Rect{60, 120, 300, 300}));
  // 50 x 30 window pixels are 64.3 x 38.6 canvas pixels: the corner lands on the nearest grid
  // point, (128, 160).
  const POINT from = Centre(before);
  platform::testing::Drag(from, POINT{from.x + 50, from.y + 30}, 5);
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  EXPECT_EQ(Chosen().front(), LPARAM(ElementKind::Frame));
  EXPECT_EQ(Slot(0), (Rect{128, 160, 368, 340}));
  EXPECT_EQ(menu->GetSelection(), (Selection{ElementKind::Frame, 0}));
  SaveShot(top, "menu-designer-dragged-frame.png");

  // The moved frame shows where it went: its thumbnail under the new place.
  const Rect moved = ThumbnailRect(View().content, 0);
  POINT client = Centre(moved);
  ScreenToClient(window, &client);
  EXPECT_TRUE(Near(ReadWindow(window).At(client.x + 10, client.y - 10), ThumbnailRgb(0), 40));

  // Past the page's corner, out of the designer: it stops at the page's edge.
  platform::testing::Drag(Centre(Slot(0)), platform::testing::ScreenPoint(window, -30, -25), 4);
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  EXPECT_EQ(Slot(0), (Rect{0, 0, 240, 180}));

  // A press that does not move leaves the frame where it is.
  platform::testing::Click(Centre(Slot(1)));
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  EXPECT_EQ(Slot(1), (Rect{420, 120, 660, 300}));
}

TEST_F(DesignerFixture, ShiftMovesFreelyAndHandlesResize) {
  const POINT from = Centre(Slot(1));
  platform::testing::Click(from);
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  // Shift held: the move follows the pointer off the grid (7 window pixels: 9 canvas pixels).
  POINT client = from;
  ScreenToClient(window, &client);
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
  SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, MAKELPARAM(client.x + 7, client.y));
  SendMessageW(window, WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(client.x + 7, client.y));
  EXPECT_EQ(Slot(1), (Rect{429, 120, 669, 300}));

  // The bottom-right handle: the corner follows the pointer on the grid, the other corner stays.
  const Rect slot = Slot(1);
  const POINT corner = Screen(slot.right, slot.bottom);
  platform::testing::Drag(corner, POINT{corner.x - 40, corner.y + 20}, 4);
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  // (669 - 51.4, 300 + 25.7) snaps to (616, 328).
  EXPECT_EQ(Slot(1), (Rect{429, 120, 616, 328}));
  // The top-left handle cannot pass the other corner: the frame keeps a least size.
  const POINT topLeft = Screen(429, 120);
  platform::testing::Drag(topLeft, POINT{topLeft.x + 300, topLeft.y + 300}, 4);
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  EXPECT_EQ(Slot(1), (Rect{600, 312, 616, 328}));
  SaveShot(top, "menu-designer-resized-frame.png");
}

TEST_F(DesignerFixture, TextChangesAndFocusRepaint) {
  // The text item is centred on the page, between the frames; made large and magenta, it shows
  // in magenta there.
  ASSERT_TRUE(Find(ElementKind::Text));
  auto TextPixels = [&] {
    const RECT place = DesignerPagePlace(kWidth, kHeight);
    const double scale = double(place.right - place.left) / kCanvasWidth;
    return CountNear(ReadWindow(window), place.left + int(310 * scale), place.top + int(220 * scale),
                     place.left + int(410 * scale), place.top + int(320 * scale), 0xFF00FF, 30);
  };
  EXPECT_EQ(TextPixels(), 0);
  FocusDesignerElement(*designer, ElementKind::Text);
  Settle();
  ASSERT_TRUE(menu->EditSelectedText(*menu->PageAt(0), [](TextItem& item) {
    item.text = u"Holiday";
    item.size = 48;
    item.color = 0xFF00FF;
    item.box = MeasureTextBox(item, (item.box.left + item.box.right) / 2, (item.box.top + item.box.bottom) / 2);
    return true;
  }));
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  EXPECT_GT(TextPixels(), 100);
  SaveShot(top, "menu-designer-text.png");

  // Focus: the first element of a kind, posted as that kind; the background when the page has none.
  struct Case {
    ElementKind kind;
    Selection selected;
  };
  for (const Case& c : {Case{ElementKind::Frame, {ElementKind::Frame, 0}}, Case{ElementKind::Play, {ElementKind::Play, 0}},
                        Case{ElementKind::Previous, {ElementKind::Background, 0}},
                        Case{ElementKind::Background, {ElementKind::Background, 0}}}) {
    FocusDesignerElement(*designer, c.kind);
    ASSERT_TRUE(platform::testing::RunUntilIdle());
    EXPECT_EQ(menu->GetSelection(), c.selected) << int(c.kind);
    EXPECT_EQ(Chosen(), std::vector<LPARAM>{LPARAM(c.kind)});
    Recorded().clear();
  }
}

TEST_F(DesignerFixture, GoesQuietWhenItsWindowOrMenuGoes) {
  // The parent goes first: the object stays usable and a later change repaints nothing.
  DestroyWindow(top);
  top = nullptr;
  EXPECT_EQ(DesignerWindowHandle(*designer), nullptr);
  UpdateDesignerWindow(*designer);
  menu->AddTextItem(*menu->PageAt(0));
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  designer.reset();
}

}  // namespace
