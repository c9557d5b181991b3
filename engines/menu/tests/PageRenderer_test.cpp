#include "engines/menu/PageRenderer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engines/menu/testing/TestTemplate.h"

namespace {

using namespace engines::menu;
using fixtures::TempFolder;
using fixtures::U16;

// A page of the test template showing `titles` titles, each thumbnail a solid colour.
PageView TestPage(const std::filesystem::path& folder, int titles, bool previous, bool next) {
  MenuTemplate layout;
  std::string error;
  EXPECT_TRUE(LoadMenuTemplate(U16(fixtures::WriteTemplate(folder)), layout, error)) << error;
  PageView view;
  view.content = ContentFromTemplate(layout);
  view.index = previous ? 1 : 0;
  view.firstTitle = previous ? 4 : 0;
  view.titleCount = titles;
  view.hasPrevious = previous;
  view.hasNext = next;
  const uint32_t colours[] = {0xE04040, 0x40C040, 0x4060E0, 0xE0C040};
  for (int i = 0; i < titles; ++i) view.titles.push_back({u"", 16, 9, fixtures::SolidBgra(16, 9, colours[i])});
  return view;
}

uint32_t PixelAt(cairo_surface_t* surface, int x, int y) {
  uint32_t pixel;
  std::memcpy(&pixel, cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface) + x * 4, 4);
  return pixel & 0xFFFFFF;
}

TEST(PageRenderer, LayoutListsFramesWithTitlesAndButtonsOnlyWherePagesExist) {
  TempFolder folder;
  const auto first = TestPage(folder.Path() / "t", 4, false, true);
  std::vector<ElementKind> kinds;
  for (const auto& e : LayoutPage(first)) kinds.push_back(e.kind);
  using K = ElementKind;
  EXPECT_EQ(kinds, (std::vector<K>{K::Frame, K::Frame, K::Frame, K::Frame, K::Play, K::Next, K::Text}));
  EXPECT_EQ(LayoutPage(first)[3].title, 3);

  const auto last = TestPage(folder.Path() / "t", 1, true, false);
  kinds.clear();
  for (const auto& e : LayoutPage(last)) kinds.push_back(e.kind);
  EXPECT_EQ(kinds, (std::vector<K>{K::Frame, K::Previous, K::Play, K::Text}));
  EXPECT_EQ(LayoutPage(last)[0].title, 4);

  // Hit testing: the topmost element, else the background.
  EXPECT_EQ(HitTest(last, 150, 200).kind, K::Frame);
  EXPECT_EQ(HitTest(last, 500, 200).kind, K::Background);  // an empty slot is no frame
  EXPECT_EQ(HitTest(last, 100, 480).kind, K::Previous);
  EXPECT_EQ(HitTest(last, 600, 480).kind, K::Background);  // no next page, no next button
  EXPECT_EQ(HitTest(last, 360, 60).kind, K::Text);
  EXPECT_EQ(FirstElement(last, K::Next), std::nullopt);
  EXPECT_EQ(FirstElement(first, K::Frame)->rect, (Rect{100, 110, 300, 260}));
}

TEST(PageRenderer, ThumbnailsShowInTheFramesWindowUnderTheFrame) {
  TempFolder folder;
  const auto view = TestPage(folder.Path() / "t", 4, false, true);
  // Slot 0 is 100,110 .. 300,260 for a 160 x 120 frame whose window is 12,12 .. 148,108.
  EXPECT_EQ(ThumbnailRect(view.content, 0), (Rect{115, 125, 285, 245}));
  cairo_surface_t* page = RenderPage(view, kCanvasWidth, kCanvasHeight);
  cairo_surface_write_to_png(page, BRANTWELL_TEST_BIN_DIR "/menu-page.png");
  EXPECT_EQ(PixelAt(page, 200, 185), 0xE04040u);  // title 1's thumbnail in slot 0's window
  EXPECT_EQ(PixelAt(page, 520, 355), 0xE0C040u);  // title 4's in slot 3's
  EXPECT_GT(PixelAt(page, 104, 114) & 0xFF, 0xC0u);  // the light frame picture over the slot's edge
  const uint32_t top = PixelAt(page, 5, 2), bottom = PixelAt(page, 5, 537);
  EXPECT_LT(top & 0xFF, bottom & 0xFF);  // the background's gradient, darker at the top
  // The play button's picture, centred in its rectangle; no previous button on the first page.
  EXPECT_EQ(PixelAt(page, 340, 470), 0xE6E6E6u);
  EXPECT_NE(PixelAt(page, 100, 470), 0xE6E6E6u);
  EXPECT_EQ(PixelAt(page, 590, 470), 0xE6E6E6u);
  cairo_surface_destroy(page);
}

TEST(PageRenderer, APageWithoutATemplateStillShowsItsFramesAndButtons) {
  PageView view;
  view.content = ContentFromTemplate(DefaultLayout());
  view.titleCount = 2;
  view.hasNext = true;
  view.titles = {{u"", 16, 9, fixtures::SolidBgra(16, 9, 0x40C040)}, {}};
  cairo_surface_t* page = RenderPage(view, kCanvasWidth, kCanvasHeight);
  cairo_surface_write_to_png(page, BRANTWELL_TEST_BIN_DIR "/menu-page-plain.png");
  const Rect slot = view.content.slots[0];
  EXPECT_EQ(PixelAt(page, (slot.left + slot.right) / 2, (slot.top + slot.bottom) / 2), 0x40C040u);
  EXPECT_GT(PixelAt(page, (slot.left + slot.right) / 2, slot.top + 2) & 0xFF, 0xC0u);  // a light border
  const Rect play = view.content.buttonRects[1];
  EXPECT_GT(PixelAt(page, play.left + 12, (play.top + play.bottom) / 2) & 0xFF, 0xC0u);  // a drawn round button
  cairo_surface_destroy(page);
}

TEST(PageRenderer, TextItemsDrawInTheirColourAndStyleChangesTheirShape) {
  PageView view;
  view.content = ContentFromTemplate(DefaultLayout());
  TextItem item;
  item.text = u"WWW";
  item.size = 60;
  item.color = 0x0000FF;  // red
  item.box = MeasureTextBox(item, 360, 270);
  view.content.texts = {item};
  auto countRed = [&](const PageView& v) {
    cairo_surface_t* page = RenderPage(v, kCanvasWidth, kCanvasHeight);
    int red = 0;
    for (int y = item.box.top; y < item.box.bottom; ++y)
      for (int x = item.box.left; x < item.box.right; ++x) red += PixelAt(page, x, y) == 0xFF0000u;
    cairo_surface_destroy(page);
    return red;
  };
  const int plain = countRed(view);
  EXPECT_GT(plain, 200);
  view.content.texts[0].style = kTextBold;
  EXPECT_GT(countRed(view), plain + 50);
  EXPECT_TRUE(item.box.left > 200 && item.box.right < 520) << item.box.left << ".." << item.box.right;
}

}  // namespace
