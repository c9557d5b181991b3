// Panels and group boxes: a transparent panel part shows the parent through it, a panel
// without a part paints its colour, the group box's frame and child area, with and without
// a caption and a skin part.

#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "program/controls/ButtonDraw.h"
#include "program/controls/FSGroupBox.h"
#include "program/controls/FSPanel.h"

using namespace controls_test;
using platform::testing::RunUntilIdle;

namespace {

constexpr uint32_t kPanel = 0x30A060, kKey = 0xFF00FF, kFrame = 0x204080;

class Containers : public ControlsFixture {
 protected:
  void SetUp() override {
    ControlsFixture::SetUp();
    WriteCells(folder / "cells.bmp", {kPanel, kKey, kFrame});
    WriteSkin("Controls", {{"Panel", CellPart(0, "cells.bmp", 0, 1)},
                           {"Cutout", CellPart(0, "cells.bmp", 1, 1, "TransparentMode=\"Mask\"")},
                           {"GroupBox", CellPart(0, "cells.bmp", 2, 1)}});
    UseFolder();
    form = MakeForm();
    form->SetColor(clRed);
  }
  template <class T> T* Add(const char* skin) {
    auto* control = new T(form);
    control->SetParent(form);
    control->SetBounds(20, 20, 120, 80);
    control->SetSkinName(skin);
    RunUntilIdle();
    return control;
  }
  static uint32_t rgb(TColor colour) {
    const uint32_t c = ColorToRGB(colour);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
  }
  TForm* form = nullptr;
};

TEST_F(Containers, APanelPaintsItsPartItsColourOrItsParentThroughAMask) {
  auto* panel = Add<TFSPanel>("Panel");
  EXPECT_EQ(WindowPixel(panel->Handle(), 60, 40), kPanel);
  EXPECT_FALSE(panel->Transparent());

  panel->SetSkinName("Cutout");
  EXPECT_TRUE(panel->Transparent());
  EXPECT_TRUE(panel->DoubleBuffered());
  RunUntilIdle();
  EXPECT_EQ(WindowPixel(panel->Handle(), 60, 40), 0xFF0000u) << "the form's red through the mask";

  panel->SetSkinName("Nothing");
  panel->SetTransparent(false);
  panel->SetColor(clYellow);
  RunUntilIdle();
  EXPECT_EQ(panel->SkinPart(), nullptr);
  EXPECT_EQ(WindowPixel(panel->Handle(), 60, 40), 0xFFFF00u) << "its colour only";
}

TEST_F(Containers, AGroupBoxFramesBelowHalfItsCaptionAndInsetsItsChildren) {
  auto* box = Add<TFSGroupBox>("Nothing");
  box->SetColor(clWhite);
  RunUntilIdle();
  EXPECT_EQ(WindowPixel(box->Handle(), 60, 0), rgb(clBtnShadow)) << "without a caption the frame starts at the top";
  EXPECT_EQ(WindowPixel(box->Handle(), 60, 1), rgb(clBtnHighlight));

  box->Font()->SetSize(8);
  box->SetCaption("Output");
  auto* child = new TFSPanel(form);
  child->SetParent(box);
  child->SetAlign(alClient);
  RunUntilIdle();
  TScreenMeasureCanvas measure(box->Font());
  const int digit = measure.Canvas()->TextHeight("0");
  EXPECT_EQ(child->Top(), 2 + digit);
  EXPECT_EQ(child->Left(), 2);
  EXPECT_EQ(child->Width(), 120 - 4);
  EXPECT_EQ(WindowPixel(box->Handle(), 60, 0), 0xFFFFFFu) << "the frame moves down below the caption";
  const int captionHeight = measure.Canvas()->TextHeight("Output");
  EXPECT_EQ(WindowPixel(box->Handle(), 100, captionHeight / 2), rgb(clBtnShadow));

  box->SetSkinName("GroupBox");
  RunUntilIdle();
  EXPECT_EQ(WindowPixel(box->Handle(), 100, captionHeight / 2 + 1), kFrame) << "the skin's frame";
  EXPECT_NE(WindowPixel(box->Handle(), 9, captionHeight / 2 + 1), kFrame) << "not under the caption";
}

}  // namespace
