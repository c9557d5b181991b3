// The skinned buttons, checks, containers and labels in their looks.

#include "program/controls/ControlsModule.h"
#include "program/controls/FSButton.h"
#include "program/controls/FSCheckBox.h"
#include "program/controls/FSGroupBox.h"
#include "program/controls/FSLabel.h"
#include "program/controls/FSPanel.h"
#include "program/controls/FSProgressBar.h"
#include "program/controls/FSRadioButton.h"
#include "program/controls/FSSkinButton.h"
#include "tools/control-gallery/Gallery.h"

namespace {

const GalleryModuleRegistration kControls([] { StartControlsModule(); }, [] { StopControlsModule(); });

const GallerySectionRegistration kPushButtons("buttons", "Push buttons", [](GallerySection& s) {
  auto* button = s.Add(new TFSButton(s.Owner()), 8, 8, 90, 25);
  button->SetCaption("&Burn");
  s.Capture("normal", button);
  s.Hover(button);
  s.Capture("hot", button);
  s.Press(button);
  s.Capture("pressed", button);
  s.Release(button);
  s.Leave();
  s.Focus(button);
  s.Capture("focused", button);
  auto* byDefault = s.Add(new TFSButton(s.Owner()), 110, 8, 90, 25);
  byDefault->SetCaption("OK");
  byDefault->SetDefault(true);
  s.Capture("default", byDefault);
  auto* disabled = s.Add(new TFSButton(s.Owner()), 210, 8, 90, 25);
  disabled->SetCaption("Cancel");
  disabled->SetEnabled(false);
  s.Capture("disabled", disabled);
  auto* bold = s.Add(new TFSButton(s.Owner()), 310, 8, 110, 25);
  bold->SetSkinName("BoldBtn");
  bold->SetCaption("Start");
  s.Capture("bold", bold);
}, 100);

const GallerySectionRegistration kChecks("buttons", "Check boxes and radio buttons", [](GallerySection& s) {
  auto* check = s.Add(new TFSCheckBox(s.Owner()), 8, 8, 130, 20);
  check->SetCaption("Burn after &writing");
  s.Capture("normal", check);
  check->SetChecked(true);
  s.Capture("checked", check);
  s.Hover(check);
  s.Capture("checked, hot", check);
  s.Leave();
  auto* off = s.Add(new TFSCheckBox(s.Owner()), 150, 8, 130, 20);
  off->SetCaption("Verify disc");
  off->SetChecked(true);
  off->SetEnabled(false);
  s.Capture("disabled", off);
  auto* pal = s.Add(new TFSRadioButton(s.Owner()), 8, 40, 80, 20);
  pal->SetCaption("PAL");
  pal->SetChecked(true);
  auto* ntsc = s.Add(new TFSRadioButton(s.Owner()), 100, 40, 80, 20);
  ntsc->SetCaption("NTSC");
  s.CaptureArea("radio group", TRect(4, 36, 184, 64));
  s.Hover(ntsc);
  s.Capture("hot", ntsc);
  s.Leave();
}, 110);

const GallerySectionRegistration kContainers("buttons", "Panel, group box and progress", [](GallerySection& s) {
  // A panel draws its part and no caption: the main window's page areas are panels.
  auto* panel = s.Add(new TFSPanel(s.Owner()), 8, 8, 160, 60);
  s.Capture("panel", panel);
  auto* group = s.Add(new TFSGroupBox(s.Owner()), 180, 8, 180, 80);
  group->SetCaption("Output");
  auto* inside = new TFSCheckBox(s.Owner());
  inside->SetParent(group);
  inside->SetBounds(10, 24, 120, 20);
  inside->SetCaption("Make an ISO image");
  s.Capture("group box", group);
  const int percents[] = {0, 37, 100};
  int top = 100;
  for (int percent : percents) {
    auto* bar = s.Add(new TFSProgressBar(s.Owner()), 8, top, 240, 18);
    bar->SetShowPercent(true);
    bar->SetPosition(percent);
    s.Capture(std::to_string(percent) + " %", bar);
    top += 26;
  }
}, 120);

const GallerySectionRegistration kGlyphs("buttons", "Glyph placement", [](GallerySection& s) {
  struct Place {
    TFSButtonLayout layout;
    const char* label;
  };
  const Place places[] = {{blGlyphLeft, "glyph left"}, {blGlyphRight, "glyph right"},
                          {blGlyphTop, "glyph top"}, {blGlyphBottom, "glyph bottom"}};
  int left = 8;
  for (const Place& place : places) {
    const bool stacked = place.layout == blGlyphTop || place.layout == blGlyphBottom;
    auto* button = s.Add(new TFSButton(s.Owner()), left, 8, stacked ? 90 : 110, stacked ? 52 : 28);
    button->SetGlyphSkinName("MainForm(87)");
    button->SetLayout(place.layout);
    button->SetCaption("Add files");
    s.Capture(place.label, button);
    left += 125;
  }
}, 105);

const GallerySectionRegistration kSkinButtons("buttons", "Skin buttons", [](GallerySection& s) {
  // The clip editor's transport buttons: a flat body with a play or pause glyph.
  auto transport = [&](int left, const char* glyph) {
    auto* button = s.Add(new TFSSkinButton(s.Owner()), left, 8, 36, 30);
    button->SetSkinName("VideoEditForm(9)");
    button->SetGlyphSkinName(glyph);
    button->SetThemedFrame(true);  // the look without a skin
    return button;
  };
  auto* play = transport(8, "VideoEditForm(10)");
  s.Capture("normal", play);
  s.Hover(play);
  s.Capture("hot", play);
  s.Press(play);
  s.Capture("down", play);
  s.Release(play);
  s.Leave();
  auto* latched = transport(60, "VideoEditForm(11)");
  latched->SetExclusive(true);
  latched->SetDown(true);
  s.Capture("latched", latched);
  auto* disabled = transport(112, "VideoEditForm(10)");
  disabled->SetEnabled(false);
  s.Capture("disabled", disabled);

  auto* wrapped = s.Add(new TFSSkinButton(s.Owner()), 170, 8, 120, 44);
  wrapped->SetSkinName("Button");
  wrapped->SetThemedFrame(true);
  wrapped->SetWordWrap(true);
  wrapped->SetCaption("Burn the project to a disc");
  s.Capture("word-wrapped caption", wrapped);
  auto* cut = s.Add(new TFSSkinButton(s.Owner()), 310, 8, 120, 30);
  cut->SetSkinName("Button");
  cut->SetThemedFrame(true);
  cut->SetWordWrap(true);
  cut->SetCaption("Burn the project to a disc now");
  s.Capture("wrapped, cut to fit", cut);
}, 106);

const GallerySectionRegistration kLinkLabels("buttons", "Labels and links", [](GallerySection& s) {
  auto* plain = s.Add(new TFSLabel(s.Owner()), 8, 8, 0, 0);
  plain->SetCaption(WideString(u"Chapter \u00FC titles"));
  s.Capture("label", plain);
  plain->SetEnabled(false);
  s.Capture("disabled", plain);

  auto* link = s.Add(new TFSLabel(s.Owner()), 8, 40, 0, 0);
  link->SetCaption(WideString(u"Check for updates"));
  link->SetHyperLink(u"https://brantwell.example/update");
  link->SetIsHyperLink(true);
  link->SetTrailLabel(u"Settings");
  s.Capture("link with trailing text", link);
  s.HoverAt(link, 4, link->Height() / 2);
  s.Capture("link hot", link);
  s.HoverAt(link, link->Width() - 3, link->Height() / 2);
  s.Capture("trailing text hot", link);
  s.Leave();
}, 115);

}  // namespace
