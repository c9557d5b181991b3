// The Fc set's colour controls: the colour edit's drop-down open with a hot cell and its
// hint, a picker with every optional row, the colour dialog opened full, every frame style,
// the ten gradients and the drop arrows. The colour edit's own looks are in
// ColourEditSections.cpp.

#include <algorithm>

#include "platform/testing/Synthetic.h"
#include "program/app/dialogs/ColorDialogForm.h"
#include "program/fc/FcBorder.h"
#include "program/fc/FcColorEdit.h"
#include "program/fc/FcColorPicker.h"
#include "program/fc/FcModule.h"
#include "program/fc/FcPopup.h"
#include "tools/control-gallery/Gallery.h"
#include "vcl/Application.h"
#include "vcl/HintWindow.h"

namespace {

namespace testing = platform::testing;

const GalleryModuleRegistration kFc([] { RegisterFcClasses(); }, [] {});

}  // namespace

// A colour edit as the main window sets its own (black chosen, the custom swatch shown, white,
// flat button and frame).
TFcColorEdit* MakeGalleryColourEdit(TComponent* owner, TWinControl* parent) {
  auto* edit = new TFcColorEdit(owner);
  edit->SetParent(parent);
  edit->SetCustomColor(clBlack);
  edit->SetDefaultColor(clBlack);
  edit->SetSelectedColor(clBlack);
  edit->SetShowCustomColor(true);
  edit->SetColor(clWhite);
  edit->SetFlatButtons(true);
  edit->SetFrameVisible(true);
  edit->SetFrameHotStyle(fsFlat);
  return edit;
}

namespace {

// A picture of the screen area `area` as the top-level windows show it, bottom first.
testing::Image ScreenArea(const RECT& area, const std::vector<HWND>& windowsBottomFirst) {
  testing::Image image;
  image.width = area.right - area.left;
  image.height = area.bottom - area.top;
  image.pixels.assign(static_cast<size_t>(image.width) * image.height, 0xFFFFFF);
  for (HWND hwnd : windowsBottomFirst) {
    if (!hwnd || !IsWindowVisible(hwnd)) continue;
    RECT r{};
    GetWindowRect(hwnd, &r);
    const testing::Image window = testing::ReadWindow(hwnd, true);
    for (int y = 0; y < window.height; ++y)
      for (int x = 0; x < window.width; ++x) {
        const int sx = r.left + x - area.left, sy = r.top + y - area.top;
        if (sx < 0 || sy < 0 || sx >= image.width || sy >= image.height) continue;
        image.pixels[static_cast<size_t>(sy) * image.width + sx] = window.At(x, y) & 0xFFFFFF;
      }
  }
  return image;
}

// Runs `step` from inside the next nested loop (a drop-down's, a modal form's).
void WhenLooping(std::function<void()> step) {
  static std::function<void()> pending;
  static const TWindowHook hook = [](TMessage& m) {
    if (m.Msg != WM_APP + 0x31) return false;
    auto run = std::move(pending);
    pending = nullptr;
    if (run) run();
    return true;
  };
  pending = std::move(step);
  Application->HookMainWindow(&hook);
  PostMessageA(Application->Handle(), WM_APP + 0x31, 0, 0);
}

const GallerySectionRegistration kDropDown("colours", "Colour drop-down", [](GallerySection& s) {
  // Far enough from the left that the drop-down, wider than the edit, stays over the form.
  TFcColorEdit* edit = s.Add(MakeGalleryColourEdit(s.Owner(), s.Host()), 60, 8, 120, 22);
  s.Settle(50);
  WhenLooping([&s, edit] {
    TFcColorPicker* picker = edit->DropDownPicker();
    if (!picker) return;
    // The hot cell: the fourth of the second row, with its hint.
    const TRect cell = picker->CellRect(11);
    const TPoint at = picker->ClientToScreen(TPoint((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2));
    testing::MouseMove(POINT{at.X, at.Y});
    s.Settle(1200);
    RECT popup{};
    HWND dropDown = picker->Parent() ? picker->Parent()->Handle() : nullptr;
    GetWindowRect(dropDown, &popup);
    RECT field{};
    GetWindowRect(edit->Handle(), &field);
    HWND hint = picker->HintWindow() && picker->HintWindow()->HandleAllocated() ? picker->HintWindow()->Handle() : nullptr;
    RECT hintRect{popup.left, popup.top, popup.right, popup.bottom};
    if (hint) GetWindowRect(hint, &hintRect);
    // The drop-down lines up with the edit's right edge and may reach further left than it:
    // the picture takes in the edit, the drop-down and the hint whole.
    RECT area{std::min({field.left, popup.left, hintRect.left}) - 8, field.top - 8,
              std::max({field.right, popup.right, hintRect.right}) + 8,
              std::max(popup.bottom, hintRect.bottom) + 8};
    s.AddShot("open, a hot cell and its hint", ScreenArea(area, {s.Form()->Handle(), dropDown, hint}));
    testing::KeyPress(VK_ESCAPE);
  });
  edit->DropDown();
  s.Settle(100);
}, 110);

const GallerySectionRegistration kPicker("colours", "Colour picker, every row", [](GallerySection& s) {
  auto* picker = new TFcColorPicker(s.Owner());
  picker->SetShowNoColor(true);
  picker->SetShowDefaultColor(true);
  picker->SetShowCustomColor(true);
  picker->SetShowSystemColors(true);
  picker->SetNoColorCaption("None");
  picker->SetDefaultColorCaption("Default");
  picker->SetCustomColorCaption("More Colors...");
  picker->SetSelectedColor(clBtnFace);
  s.Add(picker, 8, 8, 0, 0);
  s.Capture("a selected system colour", picker);
}, 120);

const GallerySectionRegistration kDialog("colours", "Colour dialog, full", [](GallerySection& s) {
  std::unique_ptr<TColorDialogForm> dialog(TCustomForm::CreateNew<TColorDialogForm>(Application));
  platform::comdlg::ColorDialogRequest request;
  request.color = RGB(0x25, 0x63, 0xEB);
  request.fullOpen = true;
  std::fill(request.customColors, request.customColors + 16, RGB(255, 255, 255));
  request.customColors[0] = RGB(0xE5, 0x48, 0x4D);
  dialog->Prepare(request);
  dialog->SetBounds(20, 60, dialog->Width(), dialog->Height());
  dialog->Show();
  s.Settle(200);
  RECT r{};
  GetWindowRect(dialog->Handle(), &r);
  s.AddShot("full open", ScreenArea(r, {dialog->Handle()}));
}, 130);

// Paints one frame style, gradient or arrow (whatever `paint` draws) on a small surface.
class TSampleControl : public TGraphicControl {
  BRANTWELL_CLASS(TSampleControl, TGraphicControl)
 public:
  TSampleControl(TComponent* owner, std::function<void(TCanvas*, const TRect&)> paint)
      : TGraphicControl(owner), m_paint(std::move(paint)) {}

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clBtnFace);
    Canvas()->FillRect(ClientRect());
    m_paint(Canvas(), ClientRect());
  }

 private:
  std::function<void(TCanvas*, const TRect&)> m_paint;
};

const char* const kStyleNames[] = {"fsNone",   "fsFlat",   "fsGroove", "fsBump",   "fsLowered",  "fsButtonDown",
                                   "fsRaised", "fsButtonUp", "fsStatus", "fsPopup", "fsFlatBold", "fsFlatRounded"};

const GallerySectionRegistration kFrames("colours", "Frame styles", [](GallerySection& s) {
  for (int style = fsNone; style <= fsFlatRounded; ++style) {
    auto* sample = s.Add(new TSampleControl(s.Owner(), [style](TCanvas* c, const TRect& r) {
      TFrameSet f;
      f.Outer = static_cast<TFrameStyleEx>(style);
      f.FlatColorAdjustment = 0;
      DrawFrameSet(c, r, f);
    }), 8 + (style % 6) * 86, 8 + (style / 6) * 40, 70, 28);
    s.Capture(kStyleNames[style], sample);
  }
  for (int style = fsNone; style <= fsFlatBold; ++style) {
    auto* sample = s.Add(new TSampleControl(s.Owner(), [style](TCanvas* c, const TRect& r) {
      c->Brush()->SetColor(clWindow);
      c->FillRect(r);
      DrawEditFrame(c, r.Width(), r.Height(), AllSides, clBtnShadow, clWindow, static_cast<TFrameStyle>(style));
    }), 8 + (style % 6) * 86, 96 + (style / 6) * 40, 70, 22);
    s.Capture(std::string("edit ") + kStyleNames[style], sample);
  }
}, 140);

const GallerySectionRegistration kGradients("colours", "Gradients", [](GallerySection& s) {
  for (int kind = 0; kind < 10; ++kind) {
    auto* sample = s.Add(new TSampleControl(s.Owner(), [kind](TCanvas* c, const TRect& r) {
      PaintGradient(c, r, kind, clWhite, clHighlight, 1);
    }), 8 + (kind % 5) * 100, 8 + (kind / 5) * 70, 84, 56);
    s.Capture("kind " + std::to_string(kind), sample);
  }
}, 150);

const GallerySectionRegistration kArrows("colours", "Drop arrows", [](GallerySection& s) {
  struct Arrow {
    const char* label;
    bool flat, pressed, enabled;
  };
  const Arrow arrows[] = {{"plain", false, false, true}, {"plain, pressed", false, true, true},
                          {"plain, disabled", false, false, false}, {"flat", true, false, true}};
  int x = 8;
  for (const Arrow& a : arrows) {
    auto* sample = s.Add(new TSampleControl(s.Owner(), [a](TCanvas* c, const TRect& r) {
      DrawDropArrow(c, r, a.flat, a.pressed, a.enabled);
    }), x, 8, 17, 19);
    s.Capture(a.label, sample, 6);
    x += 60;
  }
}, 160);

// --open-dropdown: the colour edit's drop-down over the gallery form while the window runs.
const GalleryDropDownRegistration kOpen("colours", [](TCustomForm* form) {
  TFcColorEdit* edit = MakeGalleryColourEdit(form, form);
  edit->SetBounds(16, 16, 120, 22);
  edit->BringToFront();
  testing::RunUntilIdle();
  edit->DropDown();
});

}  // namespace
