#pragma once

// The skinned edits' fixture: a skin folder whose edit items draw each state in a colour of
// its own (a pixel tells which state was drawn), and a shown form to put the edits on.

#include "ControlsTestSupport.h"

namespace edit_test {

using namespace controls_test;

// Frame states: normal, hot, pressed, disabled. Buttons and arrows have their own colours.
constexpr uint32_t kFrame = 0xC00000, kFrameHot = 0x00C000, kFramePressed = 0x0000C0, kFrameDisabled = 0x808080;
constexpr uint32_t kButton = 0xC0C000, kButtonHot = 0x00C0C0, kButtonPressed = 0xC000C0, kButtonDisabled = 0x606060;
constexpr uint32_t kGlyph = 0x202020;

class EditFixture : public ControlsFixture {
 protected:
  void SetUp() override {
    ControlsFixture::SetUp();
    WriteCells(folder / "edit.bmp",
               {kFrame, kFrameHot, kFramePressed, kFrameDisabled, kButton, kButtonHot, kButtonPressed, kButtonDisabled});
    WriteCells(folder / "glyph.bmp", {kGlyph}, 4);  // a small glyph, centred on its button
    const std::string frame = CellPart(0, "edit.bmp", 0, 4);
    const std::string button = CellPart(1, "edit.bmp", 4, 4);
    const std::string glyph = CellPart(2, "glyph.bmp", 0, 1, "", 4);
    WriteSkin("Controls", {{"Edit", frame},
                        {"ButtonEdit", frame + button + glyph},
                        {"SpinEdit", frame + button + glyph + CellPart(3, "edit.bmp", 4, 4) +
                                         CellPart(4, "glyph.bmp", 0, 1, "", 4)}});
    UseFolder();
    form = MakeForm();
  }
  template <class T> T* Add(int left, int top, int width = 121) {
    auto* control = new T(form);
    control->SetParent(form);
    control->SetBounds(left, top, width, 21);
    control->Font()->SetColor(clBlack);
    platform::testing::RunUntilIdle();
    return control;
  }
  // A pixel of the whole window (frame included), as 0xRRGGBB.
  static uint32_t FramePixel(TWinControl* c, int x, int y) {
    return platform::testing::ReadWindow(c->Handle(), true).At(x, y) & 0xFFFFFF;
  }
  static POINT Screen(TWinControl* c, int x, int y) { return platform::testing::ScreenPoint(c->Handle(), x, y, true); }
  static void Repaint(TWinControl* c) {
    RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    platform::testing::RunUntilIdle();
  }

  TForm* form = nullptr;
};

}  // namespace edit_test
