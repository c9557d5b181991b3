// The class library's own label, as the skinned controls find it: for comparison beside them
// and as the smallest example of a section.

#include "tools/control-gallery/Gallery.h"
#include "vcl/Label.h"

namespace {

const GallerySectionRegistration kLibraryLabel("buttons", "Class-library label", [](GallerySection& s) {
  auto* plain = s.Add(new TLabel(s.Owner()), 8, 8, 0, 0);
  plain->SetCaption("&Chapter title");
  s.Capture("normal", plain);
  plain->SetEnabled(false);
  s.Capture("disabled", plain);

  auto* wrapped = s.Add(new TLabel(s.Owner()), 8, 40, 0, 0);
  wrapped->SetAutoSize(false);
  wrapped->SetWordWrap(true);
  wrapped->SetBounds(8, 40, 120, 48);
  wrapped->SetCaption("A caption long enough to wrap onto a second line");
  s.Capture("word-wrapped", wrapped);

  auto* centred = s.Add(new TLabel(s.Owner()), 160, 40, 0, 0);
  centred->SetAutoSize(false);
  centred->SetBounds(160, 40, 120, 48);
  centred->SetAlignment(taCenter);
  centred->SetLayout(tlCenter);
  centred->SetTransparent(false);
  centred->SetColor(clWindow);
  centred->SetCaption("Centred");
  s.Capture("centred", centred);

  auto* cut = s.Add(new TLabel(s.Owner()), 300, 40, 0, 0);
  cut->SetAutoSize(false);
  cut->SetBounds(300, 40, 90, 18);
  cut->SetEllipsisPosition(epEndEllipsis);
  cut->SetCaption("A title far too long for its place");
  s.Capture("end ellipsis", cut);
}, 900);

}  // namespace
