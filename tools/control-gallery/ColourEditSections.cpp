// The Fc set's edits: the colour edit as the main window sets it (normal, hot, focused,
// read-only, no colour) and the framed edit with its frame styles and drop buttons.

#include "program/fc/FcColorEdit.h"
#include "tools/control-gallery/Gallery.h"

// Made in ColourSections.cpp: a colour edit as the main window sets its own.
TFcColorEdit* MakeGalleryColourEdit(TComponent* owner, TWinControl* parent);

namespace {

const GallerySectionRegistration kColourEdit("colours", "Colour edit", [](GallerySection& s) {
  TFcColorEdit* edit = s.Add(MakeGalleryColourEdit(s.Owner(), s.Host()), 8, 8, 120, 22);
  TFcColorEdit* none = s.Add(MakeGalleryColourEdit(s.Owner(), s.Host()), 150, 8, 120, 22);
  none->SetSelectedColor(clNone);
  s.Leave();
  s.Capture("normal", edit, 6);
  s.Capture("no colour", none, 6);
  s.Hover(edit);
  s.Capture("hot", edit, 6);
  s.Leave();
  s.Focus(edit);
  s.Capture("focused", edit, 6);
  s.Focus(none);
  s.Capture("no colour, focused", none, 6);
  edit->SetReadOnly(true);
  s.Settle(50);
  s.Capture("read-only", edit, 6);
  none->SetEnabled(false);
  s.Settle(50);
  s.Capture("disabled", none, 6);
}, 105);

// A framed edit with some text, placed on the host.
TFcCustomEdit* FramedEdit(GallerySection& s, int left, int top) {
  auto* edit = s.Add(new TFcCustomEdit(s.Owner()), left, top, 120, 22);
  edit->SetText("Disc title");
  return edit;
}

const GallerySectionRegistration kFramedEdit("colours", "Framed edit", [](GallerySection& s) {
  struct Look {
    const char* label;
    std::function<void(TFcCustomEdit*)> set;
  };
  const Look looks[] = {
      {"plain", [](TFcCustomEdit*) {}},
      {"fsFlat frame", [](TFcCustomEdit* e) { e->SetFrameVisible(true); }},
      {"fsFlatBold frame", [](TFcCustomEdit* e) {
         e->SetFrameVisible(true);
         e->SetFrameStyle(fsFlatBold);
       }},
      {"fsLowered frame", [](TFcCustomEdit* e) {
         e->SetFrameVisible(true);
         e->SetFrameStyle(fsLowered);
       }},
      {"drop button", [](TFcCustomEdit* e) { e->SetDropButtonVisible(true); }},
      {"flat drop button", [](TFcCustomEdit* e) {
         e->SetDropButtonVisible(true);
         e->SetFlatButtons(true);
         e->SetFrameVisible(true);
       }},
      {"read-only", [](TFcCustomEdit* e) {
         e->SetFrameVisible(true);
         e->SetReadOnly(true);
       }},
      {"disabled", [](TFcCustomEdit* e) {
         e->SetDropButtonVisible(true);
         e->SetEnabled(false);
       }},
  };
  std::vector<TFcCustomEdit*> edits;
  int i = 0;
  for (const Look& look : looks) {
    TFcCustomEdit* edit = FramedEdit(s, 8 + (i % 4) * 140, 8 + (i / 4) * 40);
    look.set(edit);
    edits.push_back(edit);
    ++i;
  }
  s.Leave();
  for (size_t k = 0; k < edits.size(); ++k) s.Capture(looks[k].label, edits[k], 6);

  // Hot tracking: the hot frame while focused, the flat button raised under the mouse.
  TFcCustomEdit* hot = FramedEdit(s, 8, 96);
  hot->SetFrameHotTrack(true);
  hot->SetFrameHotColor(clHighlight);
  hot->SetDropButtonVisible(true);
  hot->SetFlatButtons(true);
  s.Settle(50);
  s.Capture("hot track, resting", hot, 6);
  s.Focus(hot);
  s.Capture("hot track, focused", hot, 6);
  s.Hover(hot);
  s.Capture("hot track, focused, hot", hot, 6);
  s.Leave();
}, 106);

}  // namespace
