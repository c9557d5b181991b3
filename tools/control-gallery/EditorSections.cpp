// The skinned edits, button and spin edits, masked edits and the memo in their looks, on the
// "editors" page.

#include "platform/testing/Synthetic.h"
#include "program/controls/ControlsModule.h"
#include "program/controls/FSButtonEdit.h"
#include "program/controls/FSEdit.h"
#include "program/controls/FSMaskEdit.h"
#include "program/controls/FSMemo.h"
#include "program/controls/FSPanel.h"
#include "program/controls/FSSpinEdit.h"
#include "tools/control-gallery/Gallery.h"

namespace {

namespace testing = platform::testing;

const GalleryModuleRegistration kControls([] { StartControlsModule(); }, [] { StopControlsModule(); });

// The whole window of an edit (its frame and buttons are non-client) with a margin.
void Shoot(GallerySection& s, const std::string& label, TWinControl* control, int margin = 4) {
  s.CaptureArea(label, TRect(control->Left() - margin, control->Top() - margin, control->Left() + control->Width() + margin,
                             control->Top() + control->Height() + margin));
}

// The pointer over a point of the window (frame included), as the hit test sees it.
void PointAt(GallerySection& s, TWinControl* control, int x, int y) {
  testing::MouseMove(testing::ScreenPoint(control->Handle(), x, y, true));
  s.Settle();
}

// Repaints the whole window (the frame shows the hover only when it is next painted).
void Refresh(GallerySection& s, TWinControl* control) {
  RedrawWindow(control->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  s.Settle(50);
}

template <class T> T* AddEdit(GallerySection& s, int left, int top, const char* text, int width = 150) {
  auto* edit = s.Add(new T(s.Owner()), left, top, width, 23);
  edit->SetText(text);
  return edit;
}

const GallerySectionRegistration kEdits("editors", "Edits", [](GallerySection& s) {
  auto* normal = AddEdit<TFSEdit>(s, 8, 8, "Holiday 2026");
  Shoot(s, "normal", normal);
  auto* hot = AddEdit<TFSEdit>(s, 170, 8, "Holiday 2026");
  s.Hover(hot);
  Refresh(s, hot);
  Shoot(s, "hot", hot);
  s.Leave();
  auto* focused = AddEdit<TFSEdit>(s, 332, 8, "Holiday 2026");
  s.Focus(focused);
  focused->SetSelStart(8);
  focused->SetSelLength(4);
  s.Settle(50);
  Shoot(s, "focused, selection", focused);

  auto* disabled = AddEdit<TFSEdit>(s, 8, 48, "Disabled");
  disabled->SetEnabled(false);
  Shoot(s, "disabled", disabled);
  auto* readOnly = AddEdit<TFSEdit>(s, 170, 48, "Read only");
  readOnly->SetReadOnly(true);
  Shoot(s, "read-only", readOnly);
  auto* password = AddEdit<TFSEdit>(s, 332, 48, "secret");
  password->SetPasswordChar(u'*');
  Shoot(s, "password", password);

  auto* panel = s.Add(new TFSPanel(s.Owner()), 8, 84, 200, 44);
  panel->SetSkinName("");  // a plain coloured panel, so that what shows through is plain to see
  panel->SetTransparent(false);
  panel->SetColor(RGB(0xDB, 0xE8, 0xFE));
  auto* transparent = new TFSEdit(s.Owner());
  transparent->SetParent(panel);
  transparent->SetBounds(12, 10, 150, 23);
  transparent->SetTransparent(true);
  transparent->SetText("Transparent");
  s.CaptureArea("transparent, on a panel", TRect(4, 80, 212, 132));
  auto* flat = AddEdit<TFSEdit>(s, 230, 94, "Flat, no Ctl3D");
  flat->SetCtl3D(false);
  flat->SetBorderColor(RGB(0x25, 0x63, 0xEB));
  Shoot(s, "flat", flat);
}, 100);

const GallerySectionRegistration kButtonEdits("editors", "Button edits and spin edits", [](GallerySection& s) {
  auto* normal = AddEdit<TFSButtonEdit>(s, 8, 8, "C:/Videos");
  Shoot(s, "button edit", normal);
  auto* hot = AddEdit<TFSButtonEdit>(s, 170, 8, "C:/Videos");
  const TRect hotButton = hot->ButtonRect(false);
  PointAt(s, hot, (hotButton.Left + hotButton.Right) / 2, hot->Height() / 2);
  Shoot(s, "button hot", hot);
  auto* pressed = AddEdit<TFSButtonEdit>(s, 332, 8, "C:/Videos");
  const TRect button = pressed->ButtonRect(false);
  const POINT on = testing::ScreenPoint(pressed->Handle(), (button.Left + button.Right) / 2, pressed->Height() / 2, true);
  testing::MouseMove(on);
  testing::MouseDown(on);
  s.Settle();
  Shoot(s, "button pressed", pressed);
  testing::MouseUp(on);
  s.Leave();

  auto* browse = AddEdit<TFSButtonEdit>(s, 8, 48, "/home/user/Videos");
  browse->SetSkinName("BrowseEdit");
  Shoot(s, "browse edit", browse);
  auto* mode = AddEdit<TFSButtonEdit>(s, 170, 48, "Choose a folder");
  mode->SetButtonMode(true);
  Shoot(s, "button mode", mode);
  auto* captioned = AddEdit<TFSButtonEdit>(s, 332, 48, "Output");
  captioned->SetButtonWidth(44);
  captioned->SetButtonCaption("Set");
  Shoot(s, "caption on the button", captioned);

  auto* spin = AddEdit<TFSSpinEdit>(s, 8, 88, "", 80);
  spin->SetValue(25);
  Shoot(s, "spin edit", spin);
  auto* spinHot = AddEdit<TFSSpinEdit>(s, 110, 88, "", 80);
  spinHot->SetValue(25);
  const TRect upHalf = TFSCustomSpinEdit::UpHalf(spinHot->ButtonsRect(false));
  PointAt(s, spinHot, (upHalf.Left + upHalf.Right) / 2, (upHalf.Top + upHalf.Bottom) / 2);
  Shoot(s, "up arrow hot", spinHot);
  auto* spinPressed = AddEdit<TFSSpinEdit>(s, 212, 88, "", 80);
  spinPressed->SetValue(25);
  const TRect downHalf = TFSCustomSpinEdit::DownHalf(spinPressed->ButtonsRect(false));
  const POINT down =
      testing::ScreenPoint(spinPressed->Handle(), (downHalf.Left + downHalf.Right) / 2, (downHalf.Top + downHalf.Bottom) / 2, true);
  testing::MouseMove(down);
  testing::MouseDown(down);
  s.Settle(100);
  Shoot(s, "down arrow pressed", spinPressed);
  testing::MouseUp(down);
  s.Leave();
  auto* spinOff = AddEdit<TFSSpinEdit>(s, 314, 88, "", 80);
  spinOff->SetValue(7);
  spinOff->SetEnabled(false);
  Shoot(s, "disabled", spinOff);
}, 110);

const GallerySectionRegistration kMasks("editors", "Time masks", [](GallerySection& s) {
  auto* start = s.Add(new TFSMaskEdit(s.Owner()), 8, 8, 90, 23);
  start->SetEditMask("!99:99:99;1;0");
  start->SetText("00:01:30");
  Shoot(s, "start", start);
  auto* end = s.Add(new TFSMaskEdit(s.Owner()), 120, 8, 90, 23);
  end->SetEditMask("!99:99:99;1;0");
  s.Focus(end);
  testing::KeyPress(VK_HOME);
  testing::TypeText(u"0012");
  s.Settle(50);
  Shoot(s, "end, typing", end);
  auto* length = s.Add(new TFSMaskEdit(s.Owner()), 232, 8, 90, 23);
  length->SetEditMask("99:99:99;1;0");
  length->SetText("00:10:42");
  length->SetReadOnly(true);
  Shoot(s, "length, read-only", length);
}, 120);

const GallerySectionRegistration kMemo("editors", "Memo", [](GallerySection& s) {
  auto* memo = s.Add(new TFSMemo(s.Owner()), 8, 8, 260, 110);
  memo->SetScrollBars(ssBoth);
  memo->SetWordWrap(false);
  for (int i = 1; i <= 30; ++i)
    memo->Lines()->Add("Could not read clip " + std::to_string(i) + ": /home/user/Videos/holiday-" + std::to_string(i) +
                       ".mts (the file is damaged)");
  Shoot(s, "scroll bars", memo);
  auto* flat = s.Add(new TFSMemo(s.Owner()), 290, 8, 200, 110);
  flat->SetCtl3D(false);
  flat->SetBorderColor(RGB(0x98, 0xA2, 0xB3));
  flat->SetScrollBars(ssVertical);
  flat->Lines()->Add("A flat memo: one line of BorderColor round the text, which wraps at the edge.");
  Shoot(s, "flat, wrapping", flat);
}, 130);

}  // namespace
