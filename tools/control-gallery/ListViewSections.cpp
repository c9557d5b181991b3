// The skinned list view in its four views: a report with the skinned header, sort mark,
// progress column, column lines, check boxes, groups and an open label edit; icon, small-icon
// and list views with a selection and a hot item.

#include "platform/comctl/Header.h"
#include "platform/comctl/ListView.h"
#include "platform/testing/Synthetic.h"
#include "program/controls/FSListView.h"
#include "tools/control-gallery/Gallery.h"
#include "vcl/Bitmap.h"
#include "vcl/ImageList.h"

namespace {

// A list of `size`-pixel pictures: a rounded card in each of the colours.
TImageList* MakeImages(TComponent* owner, int size) {
  auto* images = new TImageList(owner);
  images->SetSize(size, size);
  for (TColor colour : {TColor(0xEB6325), TColor(0x5EC522), TColor(0x0B9EF5), TColor(0x9A59E8)}) {
    TBitmap picture(size, size, pf24bit);
    TCanvas* canvas = picture.Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(TRect(0, 0, size, size));
    canvas->Brush()->SetColor(colour);
    canvas->Pen()->SetColor(colour);
    canvas->RoundRect(1, 2, size - 1, size - 2, size / 4, size / 4);
    images->AddMasked(&picture, clWhite);
  }
  return images;
}

void Fill(TFSCustomListView* view, int count) {
  static const char* const names[] = {"Holiday.mpg", "Birthday.avi", "Garden.jpg", "Wedding.mov",
                                      "Beach.png",   "Concert.mp4",  "Snow.jpg",   "Family.mpg"};
  static const char* const sizes[] = {"412 MB", "96 MB", "3 MB", "1.2 GB", "5 MB", "640 MB", "2 MB", "88 MB"};
  static const char* const progress[] = {"100%", "45%", "7 %", "waiting", "80%", "20%", "0%", "60%"};
  for (int i = 0; i < count; ++i) {
    TFSListItem* item = view->Items()->Add();
    item->SetCaption(names[i % 8]);
    item->SetImageIndex(i % 4);
    item->SubItems()->Add(sizes[i % 8]);
    item->SubItems()->Add(progress[i % 8]);
    item->SetGroupID(i < 4 ? 0 : 1);
  }
}

// The centre of header section `index`, in the view's client coordinates.
TPoint SectionCentre(TFSCustomListView* view, int index) {
  RECT r{};
  SendMessageA(view->HeaderHandle(), platform::HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  return TPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

const GallerySectionRegistration kReport("lists", "Report view", [](GallerySection& s) {
  auto* view = s.Add(new TFSCustomListView(s.Owner()), 8, 8, 420, 230);
  view->SetSmallImages(MakeImages(s.Owner(), 16));
  view->ProgressSkinName = "ProgressBar";
  view->ResolveProgressPart();
  view->SetViewStyle(vsReport);
  view->SetCheckboxes(true);
  view->SetColLines(true);
  view->SetRowSelect(true);
  view->SetShowSortMark(true);
  view->SetHideSelection(false);
  for (auto [caption, width] : {std::pair{"Name", 170}, {"Size", 90}, {"Encoded", 130}}) {
    TFSListColumn* column = view->Columns()->Add();
    column->SetCaption(caption);
    column->SetWidth(width);
  }
  view->Columns()->Items(1)->SetAlignment(taRightJustify);
  view->SetProgressColumn(2);
  view->Columns()->Items(0)->SetSortMark(smsAsc);
  TFSListGroup* videos = view->Groups()->Add();
  videos->SetHeader("Videos");
  TFSListGroup* photos = view->Groups()->Add();
  photos->SetHeader("Photos and more");
  view->SetGroupView(true);
  Fill(view, 7);
  view->Items()->Item(1)->SetChecked(true);
  view->Items()->Item(4)->SetChecked(true);
  view->Items()->Item(2)->SetSelected(true);
  s.Capture("groups, check boxes, progress, sorted", view);
  const TPoint size = SectionCentre(view, 1);
  s.HoverAt(view, size.X, size.Y);
  s.Capture("header section hot", view);
  s.Leave();
  const TPoint encoded = SectionCentre(view, 2);
  s.HoverAt(view, encoded.X, encoded.Y);
  platform::testing::MouseDown(platform::testing::ScreenPoint(view->HeaderHandle(), encoded.X, encoded.Y));
  s.Settle(100);
  s.Capture("header section pressed", view);
  platform::testing::MouseUp(platform::testing::ScreenPoint(view->HeaderHandle(), encoded.X + 40, encoded.Y + 60));
  s.Leave();
  view->Columns()->ClearSortMarks(nullptr);
  view->Columns()->Items(0)->SetSortMark(smsAsc);
  view->SetFocus();
  view->Perform(platform::LVM_EDITLABELA, 2, 0);
  s.Settle(100);
  s.Capture("label edit open", view);
  view->EndEdit(false);
}, 100);

const GallerySectionRegistration kIconViews("lists", "Icon, small-icon and list views", [](GallerySection& s) {
  TImageList* large = MakeImages(s.Owner(), 32);
  TImageList* small = MakeImages(s.Owner(), 16);
  const struct {
    TViewStyle style;
    const char* label;
  } views[] = {{vsIcon, "icons"}, {vsSmallIcon, "small icons"}, {vsList, "list"}};
  int left = 8, top = 8;
  for (const auto& v : views) {
    auto* view = s.Add(new TFSCustomListView(s.Owner()), left, top, 300, 170);
    view->SetLargeImages(large);
    view->SetSmallImages(small);
    view->SetViewStyle(v.style);
    view->SetHotTrack(true);
    view->SetHideSelection(false);
    Fill(view, 8);
    view->Items()->Item(1)->SetSelected(true);
    RECT r{};
    r.left = platform::LVIR_LABEL;
    view->Perform(platform::LVM_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&r));
    s.HoverAt(view, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    s.Capture(std::string(v.label) + ": selection, hot item", view);
    s.Leave();
    left += 312;
    if (left > 400) {
      left = 8;
      top += 182;
    }
  }
}, 110);

}  // namespace
