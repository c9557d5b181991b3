// The indicators in their looks: the disc gauge, skin images, the picture viewer and the
// track bars.

#include <cmath>
#include <string>

#include "program/controls/FSGaugeBar.h"
#include "program/controls/FSImage.h"
#include "program/controls/FSSkinImage.h"
#include "program/controls/FSVideoTrackBar.h"
#include "tools/control-gallery/Gallery.h"
#include "vcl/Bitmap.h"
#include "vcl/Canvas.h"

namespace {

const GallerySectionRegistration kGauge("buttons", "Disc gauge", [](GallerySection& s) {
  struct Case {
    TGaugeMode mode;
    int megabytes;
    const char* label;
  };
  const Case cases[] = {{GMD5, 3100, "single layer, 3100 MB: fits"},
                        {GMD5, 5200, "single layer, 5200 MB: over"},
                        {GMD9, 6400, "dual layer, 6400 MB"}};
  int top = 8;
  for (const Case& c : cases) {
    // The main window's gauge, a little narrower to fit the page.
    auto* gauge = s.Add(new TFSGaugeBar(s.Owner()), 8, top, 540, 29);
    gauge->SetD5LineColor(clRed);
    gauge->SetD9LineColor(clRed);
    gauge->SetBarColor(clWindow);
    gauge->SetGaugeMode(c.mode);
    gauge->SetPosition(c.megabytes);
    s.Capture(c.label, gauge);
    top += 40;
  }
}, 130);

const GallerySectionRegistration kSkinImages("buttons", "Skin images", [](GallerySection& s) {
  // "GettingStart" is a 160 x 120 picture drawn centred by its part.
  struct Case {
    const char* label;
    int width, height;
    bool stretch, center, proportional;
  };
  const Case cases[] = {{"stretched", 200, 80, true, false, false},
                        {"centred", 200, 150, false, true, false},
                        {"proportional", 120, 70, false, true, true}};
  int left = 8;
  for (const Case& c : cases) {
    auto* image = s.Add(new TFSSkinImage(s.Owner()), left, 8, c.width, c.height);
    image->SetSkinName("GettingStart");
    image->SetStretch(c.stretch);
    image->SetCenter(c.center);
    image->SetProportional(c.proportional);
    s.Capture(c.label, image);
    left += c.width + 16;
  }
}, 140);

// A picture to view: a colour wheel of stripes on a grey field, with a frame and a mark in
// its top-left corner, so that zoom and rotation read at a glance.
void PaintTestPicture(TBitmap& picture) {
  const int w = picture.Width(), h = picture.Height();
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<uint32_t*>(picture.ScanLine(y));
    for (int x = 0; x < w; ++x) {
      const double angle = std::atan2(y - h / 2.0, x - w / 2.0);
      const auto channel = [&](double phase) {
        return static_cast<uint32_t>(127.5 + 127.5 * std::sin(angle * 3 + phase));
      };
      const bool inside = std::hypot(x - w / 2.0, y - h / 2.0) < h * 0.42;
      row[x] = 0xFF000000u | (inside ? (channel(0) << 16 | channel(2.1) << 8 | channel(4.2)) : 0xB0B4BAu);
    }
  }
  TCanvas* canvas = picture.Canvas();
  canvas->Brush()->SetStyle(bsClear);
  canvas->Pen()->SetColor(clBlack);
  canvas->Rectangle(0, 0, w, h);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clRed);
  canvas->FillRect(TRect(4, 4, 24, 14));
}

const GallerySectionRegistration kPictureViewer("buttons", "Picture viewer", [](GallerySection& s) {
  TBitmap picture(160, 120, pf32bit);
  PaintTestPicture(picture);
  struct Case {
    const char* label;
    float zoom, rotation;
  };
  const Case cases[] = {{"100 %", 100, 0}, {"zoomed 200 %", 200, 0}, {"rotated 30 degrees", 100, 30},
                        {"zoomed 60 %, rotated 90", 60, 90}};
  int left = 8;
  for (const Case& c : cases) {
    auto* viewer = s.Add(new TFSImage(s.Owner()), left, 8, 120, 100);
    viewer->SetCenter(true);
    viewer->Picture()->SetGraphic(&picture);
    viewer->SetZoom(c.zoom);
    viewer->SetRotation(c.rotation);
    s.Capture(c.label, viewer);
    left += 136;
  }
}, 150);

const GallerySectionRegistration kTrackBars("buttons", "Track bars", [](GallerySection& s) {
  auto* seek = s.Add(new TFSVideoTrackBar(s.Owner()), 8, 8, 260, 24);
  seek->SetMax(100);
  seek->SetPosition(40);
  s.Capture("seek bar", seek);
  s.HoverAt(seek, 8 + 40 * (260 - 12 - 12) / 100, 12);
  s.Capture("thumb hot", seek);
  s.Leave();

  auto* ticked = s.Add(new TFSVideoTrackBar(s.Owner()), 290, 8, 260, 24);
  ticked->SetSkinName("PlayTrackBar");
  ticked->SetMax(200);
  ticked->SetPosition(100);
  ticked->SetTickStep(20);
  ticked->SetShowTicks(true);
  s.Capture("volume, ticks every 20", ticked);

  auto* cuts = s.Add(new TFSVideoTrackBar(s.Owner()), 8, 60, 260, 24);
  cuts->SetMax(1000);
  cuts->SetCutEndPos(780);
  cuts->SetCutStartPos(220);
  cuts->SetShowCuts(true);
  cuts->SetPosition(500);
  s.Capture("cut markers and range", cuts);

  // The clip editor's settings sliders: -100 to 100, ticks every 20 drawn by their owner
  // (longer at 0).
  auto* owner = s.Add(new TFSVideoTrackBar(s.Owner()), 290, 60, 260, 24);
  owner->SetSkinName("TrackBar");
  owner->SetMin(-100);
  owner->SetMax(100);
  owner->SetPosition(30);
  owner->SetTickStep(20);
  owner->SetTickStyle(tkOwnerDraw);
  owner->SetShowTicks(true);
  owner->OnDrawTick = [owner](TObject*, TPoint at, int length, int index) {
    TCanvas* canvas = owner->Canvas();
    canvas->Pen()->SetColor(index == 0 ? clHighlight : clBtnShadow);
    canvas->MoveTo(at.X, at.Y);
    canvas->LineTo(at.X, at.Y + (index == 0 ? length : length / 2 + 1));
    return false;
  };
  s.Capture("owner-drawn ticks", owner);

  auto* disabled = s.Add(new TFSVideoTrackBar(s.Owner()), 8, 112, 260, 24);
  disabled->SetMax(100);
  disabled->SetPosition(60);
  disabled->SetEnabled(false);
  s.Capture("disabled", disabled);
}, 160);

}  // namespace
