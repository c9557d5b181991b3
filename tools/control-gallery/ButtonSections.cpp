// The skinned buttons, checks, containers and indicators in their looks.

#include "program/controls/ControlsModule.h"
#include "program/controls/FSButton.h"
#include "program/controls/FSCheckBox.h"
#include "program/controls/FSGroupBox.h"
#include "program/controls/FSPanel.h"
#include "program/controls/FSProgressBar.h"
#include "program/controls/FSRadioButton.h"
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
  auto* panel = s.Add(new TFSPanel(s.Owner()), 8, 8, 160, 60);
  panel->SetCaption("Panel");
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

}  // namespace
