// The photo view: 120 x 120 thumbnails built by its thread (a failed one among them), the
// insert mark while a thumbnail is dragged, the files' system icons in the report style, and
// the searching animation. With --photos DIR the view shows that folder's files; otherwise
// pictures drawn here, saved as JPEG, PNG and GIF files into a folder of their own.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/kernel/Unicode.h"
#include "platform/testing/Synthetic.h"
#include "program/controls/FSPhotoView.h"
#include "program/imaging/GPPictures.h"
#include "tools/control-gallery/Gallery.h"
#include "vcl/Bitmap.h"

namespace {

namespace fs = std::filesystem;
namespace testing = platform::testing;

// A landscape of `width` x `height`: a sky shading from `sky` to a pale horizon, a sun and
// two hills.
void DrawScene(TCanvas* canvas, int width, int height, TColor sky, TColor hill, TColor sun) {
  const int horizon = height * 3 / 5;
  auto mix = [](TColor a, TColor b, int step, int steps) {
    auto channel = [&](int shift) {
      const int x = (static_cast<int>(a) >> shift) & 0xFF, y = (static_cast<int>(b) >> shift) & 0xFF;
      return (x + (y - x) * step / steps) << shift;
    };
    return static_cast<TColor>(channel(0) | channel(8) | channel(16));
  };
  for (int band = 0; band < 16; ++band) {
    canvas->Brush()->SetColor(mix(sky, TColor(0xF0E8E0), band, 15));
    canvas->FillRect(TRect{0, horizon * band / 16, width, horizon * (band + 1) / 16 + 1});
  }
  canvas->Pen()->SetColor(sun);
  canvas->Brush()->SetColor(sun);
  const int r = std::min(width, height) / 8;
  canvas->Ellipse(width * 2 / 3 - r, horizon / 3 - r, width * 2 / 3 + r, horizon / 3 + r);
  canvas->Pen()->SetColor(hill);
  canvas->Brush()->SetColor(hill);
  canvas->FillRect(TRect{0, horizon, width, height});
  canvas->Polygon({TPoint{0, horizon + 4}, TPoint{width / 3, horizon - height / 6}, TPoint{width * 2 / 3, horizon + 4}});
  const TColor dark = mix(hill, TColor(0), 1, 3);
  canvas->Pen()->SetColor(dark);
  canvas->Brush()->SetColor(dark);
  canvas->Polygon({TPoint{width / 3, height}, TPoint{width * 3 / 4, horizon - height / 10}, TPoint{width, height}});
}

// The generated pictures, each in the format its name says, and a text file.
std::vector<fs::path> MakePictures(const fs::path& folder) {
  fs::create_directories(folder);
  const struct {
    const char* name;
    int width, height;
    TColor sky, hill, sun;
  } scenes[] = {
      {"Harbour.jpg", 1920, 1080, TColor(0xC08040), TColor(0x3C8C3C), TColor(0x40D0FF)},
      {"Dunes.jpg", 1024, 768, TColor(0xE0A060), TColor(0x4090D0), TColor(0xF0F8FF)},
      {"Tower.jpg", 600, 900, TColor(0x905020), TColor(0x506070), TColor(0x80E0FF)},
      {"Meadow.png", 800, 600, TColor(0xF0B070), TColor(0x30A050), TColor(0x30C0F0)},
      {"Dusk.gif", 640, 400, TColor(0x602040), TColor(0x203020), TColor(0x4080F0)},
  };
  std::vector<fs::path> files;
  for (const auto& scene : scenes) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(scene.width, scene.height);
    DrawScene(bitmap.Canvas(), scene.width, scene.height, scene.sky, scene.hill, scene.sun);
    const fs::path path = folder / scene.name;
    const std::string ext = path.extension().string();
    std::unique_ptr<TGraphic> picture;
    if (ext == ".png") picture = std::make_unique<TPNGImage>();
    else if (ext == ".gif") picture = std::make_unique<TGIFImage>();
    else picture = std::make_unique<TJPEGImage>();
    picture->Assign(&bitmap);
    picture->SaveToFile(AnsiString(path.string()));
    files.push_back(path);
  }
  std::ofstream(folder / "Notes.txt") << "not a picture: its type's icon stands for it\n";
  files.push_back(folder / "Notes.txt");
  return files;
}

// The files of the folder --photos names, by name.
std::vector<fs::path> FolderFiles(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (entry.is_regular_file(error)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// Waits until every item on screen has its thumbnail (or its error image).
void WaitForThumbnails(TFSPhotoView* view) {
  testing::RunUntil(
      [&] {
        const TRect client = view->ClientRect();
        for (int i = 0; i < view->PhotoItems()->Count(); ++i) {
          TFSPhotoItem* item = view->PhotoItems()->GetItem(i);
          const TRect r = item->DisplayRect(drIcon);
          if (r.Top < client.Bottom && r.Bottom > client.Top && item->ImageIndex() == -1) return false;
        }
        return true;
      },
      20000);
  testing::RunUntilIdle();
}

const GallerySectionRegistration kPhotoView("lists", "Photo view", [](GallerySection& s) {
  const std::string chosen = GalleryOption("photos");
  const fs::path generated = fs::temp_directory_path() / ("control-gallery-photos-" + std::to_string(::getpid()));
  const std::vector<fs::path> files = chosen.empty() ? MakePictures(generated) : FolderFiles(chosen);

  auto* view = s.Add(new TFSPhotoView(s.Owner()), 8, 8, 600, 330);
  view->SetThumbnailSize(ts120x90);  // 120 x 120
  view->SetCanChangeOrder(true);
  view->SetMultiSelect(true);
  for (const fs::path& file : files) view->PhotoItems()->Add(platform::Utf8ToUtf16(file.string()));
  // A file gone since it was added: the error image.
  view->PhotoItems()->Add(platform::Utf8ToUtf16((generated / "Missing.jpg").string()));
  WaitForThumbnails(view);
  if (view->PhotoItems()->Count() > 1) view->PhotoItems()->GetItem(1)->SetSelected(true);
  s.Focus(view);
  s.Capture(chosen.empty() ? "thumbnails (one file missing), a selection" : chosen + ": thumbnails, a selection", view);

  // Mid-drag: the first thumbnail held over the gap after the third.
  if (view->PhotoItems()->Count() >= 4) {
    view->ClearSelection();
    const TRect first = view->PhotoItems()->GetItem(0)->DisplayRect(drIcon);
    const TRect third = view->PhotoItems()->GetItem(2)->DisplayRect(drBounds);
    const POINT start = testing::ScreenPoint(view->Handle(), (first.Left + first.Right) / 2, (first.Top + first.Bottom) / 2);
    const POINT over = testing::ScreenPoint(view->Handle(), third.Right - 4, (third.Top + third.Bottom) / 2);
    testing::MouseMove(start);
    testing::MouseDown(start);
    s.Settle(50);
    testing::MouseMove(POINT{start.x + 12, start.y + 8});
    s.Settle(50);
    testing::MouseMove(over);
    s.Settle(100);
    s.Capture("dragging: the insert mark", view);
    s.Key(VK_ESCAPE);  // cancels the drag: nothing moves
    testing::MouseUp(over);
    s.Leave();
  }

  // The report style: each file's small system icon.
  auto* report = s.Add(new TFSPhotoView(s.Owner()), 8, 350, 300, 170);
  report->SetPhotoViewStyle(fvsReport);
  TFSListColumn* name = report->Columns()->Add();
  name->SetCaption("Name");
  name->SetWidth(170);
  TFSListColumn* size = report->Columns()->Add();
  size->SetCaption("Size");
  size->SetWidth(100);
  size->SetAlignment(taRightJustify);
  for (const fs::path& file : files) {
    TFSPhotoItem* item = report->PhotoItems()->Add(platform::Utf8ToUtf16(file.string()));
    item->SubItems()->Add(std::to_string((item->FileSize() + 1023) / 1024) + " KB");
  }
  testing::RunUntil(
      [&] {
        for (int i = 0; i < report->PhotoItems()->Count(); ++i)
          if (report->PhotoItems()->GetItem(i)->SmallImageIndex() == -1) return false;
        return true;
      },
      10000);
  testing::RunUntilIdle();
  s.Capture("report: the files' system icons", report);

  // Searching: the animation over an empty view.
  auto* searching = s.Add(new TFSPhotoView(s.Owner()), 320, 350, 288, 170);
  searching->SetShowAnimate(true);
  s.Settle(400);
  s.Capture("searching", searching);
  searching->SetShowAnimate(false);

  std::error_code error;
  if (chosen.empty()) fs::remove_all(generated, error);
}, 120);

}  // namespace
