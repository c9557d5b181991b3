#include <gtest/gtest.h>

#include "vcl/Graphics.h"

namespace {

// A strip of `count` 4 x 4 images on a magenta key: image i has a 2 x 2 square of colour i.
std::unique_ptr<TBitmap> Strip(int count) {
  static const TColor colors[] = {clRed, clBlue, clYellow};
  auto strip = std::make_unique<TBitmap>(4 * count, 4, pf24bit);
  strip->Canvas()->Brush()->SetColor(clFuchsia);
  strip->Canvas()->FillRect(Rect(0, 0, 4 * count, 4));
  for (int i = 0; i < count; ++i) {
    strip->Canvas()->Brush()->SetColor(colors[i]);
    strip->Canvas()->FillRect(Rect(4 * i + 1, 1, 4 * i + 3, 3));
  }
  return strip;
}

std::unique_ptr<TBitmap> Green(int width, int height) {
  auto target = std::make_unique<TBitmap>(width, height, pf32bit);
  target->Canvas()->Brush()->SetColor(clGreen);
  target->Canvas()->FillRect(Rect(0, 0, width, height));
  return target;
}

}  // namespace

TEST(ImageList, MaskedImagesLetTheBackgroundThrough) {
  TImageList list(nullptr);
  list.SetSize(4, 4);
  auto strip = Strip(3);
  EXPECT_EQ(list.AddMasked(strip.get(), clFuchsia), 0);
  EXPECT_EQ(list.Count(), 3) << "a strip is cut into images of the list's width";

  auto target = Green(12, 4);
  for (int i = 0; i < 3; ++i) list.Draw(target->Canvas(), 4 * i, 0, i);
  EXPECT_EQ(target->Canvas()->Pixels(0, 0), clGreen);
  EXPECT_EQ(target->Canvas()->Pixels(1, 1), clRed);
  EXPECT_EQ(target->Canvas()->Pixels(5, 1), clBlue);
  EXPECT_EQ(target->Canvas()->Pixels(11, 3), clGreen);

  // With a background colour the cell is filled with it.
  list.SetBkColor(clWhite);
  auto filled = Green(4, 4);
  list.Draw(filled->Canvas(), 0, 0, 0);
  EXPECT_EQ(filled->Canvas()->Pixels(0, 0), clWhite);
  EXPECT_EQ(filled->Canvas()->Pixels(2, 2), clRed);
  list.SetBkColor(clNone);

  // Unmasked lists draw the key colour.
  TImageList plain(nullptr);
  plain.SetSize(4, 4);
  plain.Add(strip.get(), nullptr);
  auto opaque = Green(4, 4);
  plain.Draw(opaque->Canvas(), 0, 0, 0);
  EXPECT_EQ(opaque->Canvas()->Pixels(0, 0), clFuchsia);

  // Disabled images are drawn in grays.
  auto disabled = Green(4, 4);
  list.Draw(disabled->Canvas(), 0, 0, 0, false);
  const TColor gray = disabled->Canvas()->Pixels(1, 1);
  EXPECT_EQ(GetRValue(gray), GetGValue(gray));
  EXPECT_EQ(GetRValue(gray), 77);
  EXPECT_EQ(disabled->Canvas()->Pixels(0, 0), clGreen);
}

TEST(ImageList, ReplaceDeleteAndGetBitmap) {
  TImageList list(nullptr);
  list.SetSize(4, 4);
  int changes = 0;
  list.SetOnChange([&](TObject*) { ++changes; });
  auto strip = Strip(3);
  list.AddMasked(strip.get(), clDefault);  // the bottom-left pixel is the key
  list.Delete(0);
  EXPECT_EQ(list.Count(), 2);

  TBitmap image;
  ASSERT_TRUE(list.GetBitmap(0, &image));
  EXPECT_EQ(image.Canvas()->Pixels(1, 1), clBlue);
  EXPECT_EQ(image.Canvas()->Pixels(0, 0), clBlack);

  auto single = Strip(1);
  list.Replace(1, single.get(), nullptr);
  ASSERT_TRUE(list.GetBitmap(1, &image));
  EXPECT_EQ(image.Canvas()->Pixels(1, 1), clRed);
  EXPECT_EQ(image.Canvas()->Pixels(0, 0), clFuchsia) << "replaced without a mask: opaque";

  EXPECT_THROW(list.Delete(2), EInvalidOperation);
  EXPECT_THROW(list.Replace(-1, single.get(), nullptr), EInvalidOperation);
  EXPECT_FALSE(list.GetBitmap(5, &image));
  auto target = Green(4, 4);
  list.Draw(target->Canvas(), 0, 0, 9);  // out of range: nothing
  EXPECT_EQ(target->Canvas()->Pixels(1, 1), clGreen);
  EXPECT_EQ(changes, 3);

  list.SetSize(8, 8);
  EXPECT_EQ(list.Count(), 0) << "a new size empties the list";
  EXPECT_THROW(list.SetSize(0, 8), EInvalidOperation);
}

TEST(ImageList, ImagesLiveInThePlatformListAndLinksHearOfChanges) {
  auto list = std::make_unique<TImageList>(nullptr);
  list->SetSize(4, 4);
  EXPECT_FALSE(list->HandleAllocated());
  auto strip = Strip(2);
  list->AddMasked(strip.get(), clFuchsia);
  const platform::HIMAGELIST handle = list->Handle();
  EXPECT_EQ(platform::ImageList_GetImageCount(handle), 2);
  int cx = 0, cy = 0;
  platform::ImageList_GetIconSize(handle, &cx, &cy);
  EXPECT_EQ(cx, 4);

  TChangeLink link;
  int heard = 0;
  link.OnChange = TNotifyEvent([&](TObject* sender) {
    EXPECT_EQ(sender, list.get());
    ++heard;
  });
  list->RegisterChanges(&link);
  EXPECT_EQ(link.Sender(), list.get());
  list->Delete(1);
  list->SetBkColor(clWhite);
  EXPECT_EQ(platform::ImageList_GetBkColor(handle), RGB(255, 255, 255));
  EXPECT_EQ(heard, 2);

  // Changing the kind of list keeps the images and their masks.
  list->SetMasked(false);
  list->SetMasked(true);
  list->SetBkColor(clNone);
  EXPECT_EQ(list->Count(), 1);
  auto target = Green(4, 4);
  list->Draw(target->Canvas(), 0, 0, 0);
  EXPECT_EQ(target->Canvas()->Pixels(0, 0), clGreen);
  EXPECT_EQ(target->Canvas()->Pixels(1, 1), clRed);

  // The list going first leaves the link without a sender.
  list.reset();
  EXPECT_EQ(link.Sender(), nullptr);
}
