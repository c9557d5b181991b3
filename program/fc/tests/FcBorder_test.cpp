#include <gtest/gtest.h>

#include "platform/testing/Synthetic.h"
#include "program/fc/FcBorder.h"
#include "program/fc/FcColors.h"
#include "program/fc/FcModule.h"
#include "vcl/Application.h"
#include "vcl/Bitmap.h"
#include "vcl/Form.h"

namespace {

class FcBorderTest : public ::testing::Test {
 protected:
  void TearDown() override { DoneApplication(); }
};

}  // namespace

TEST_F(FcBorderTest, ClientRectangleLeavesTheFrame) {
  struct Case {
    TFrameStyleEx outer, inner;
    int borderWidth, bevelWidth;
    TSides sides;
    TRect client;
  } cases[] = {
      {fsGroove, fsNone, 0, 1, AllSides, Rect(2, 2, 48, 48)},
      {fsGroove, fsNone, 30, 1, AllSides, Rect(0, 0, 0, 0)},
      {fsFlat, fsNone, 1, 1, TSides{sdLeft, sdTop}, Rect(2, 2, 49, 49)},
      {fsStatus, fsPopup, 0, 3, AllSides, Rect(6, 6, 44, 44)},
      {fsFlatRounded, fsFlatBold, 2, 1, TSides{sdRight}, Rect(2, 2, 44, 48)},
      {fsNone, fsNone, 0, 1, AllSides, Rect(0, 0, 50, 50)},
      {fsLowered, fsRaised, 21, 1, AllSides, Rect(25, 25, 25, 25)},  // empty, not inverted
      {fsLowered, fsRaised, 22, 1, AllSides, Rect(0, 0, 0, 0)},
      {fsLowered, fsRaised, 20, 1, AllSides, Rect(24, 24, 26, 26)},
  };
  TFcBorder border(nullptr);
  EXPECT_EQ(border.Width(), 50);
  EXPECT_EQ(border.Height(), 50);
  for (const Case& c : cases) {
    border.SetBorderOuter(c.outer);
    border.SetBorderInner(c.inner);
    border.SetBorderWidth(c.borderWidth);
    border.SetBevelWidth(c.bevelWidth);
    border.SetBorderSides(c.sides);
    EXPECT_EQ(border.ClientRect(), c.client) << c.outer << "/" << c.inner << " width " << c.borderWidth;
  }
}

TEST_F(FcBorderTest, FollowsTheControllerOnlyWhileItsFrameIsVisible) {
  TComponent owner(nullptr);
  auto* controller = new TFcFrameController(&owner);
  auto* border = new TFcBorder(&owner);
  border->SetFrameController(controller);
  EXPECT_TRUE(controller->HasControl(border));
  controller->SetFrameStyle(fsBump);
  EXPECT_EQ(border->BorderOuter(), fsGroove) << "the controller's frame is not visible";

  controller->SetFrameVisible(true);
  EXPECT_EQ(border->BorderOuter(), fsBump);
  EXPECT_EQ(border->FlatColor(), clBtnShadow);
  EXPECT_EQ(border->FlatColorAdjustment(), 0);
  controller->SetFrameSides(TSides{sdTop});
  EXPECT_EQ(border->BorderSides(), TSides{sdTop});
  controller->SetColor(0x336699);
  EXPECT_EQ(border->Color(), 0x336699);
  EXPECT_EQ(border->BorderHighlight(), LighterColor(0x336699, 100));
  EXPECT_EQ(border->BorderShadow(), DarkerColor(0x336699, 50));

  // A border that leaves the frame style out keeps its own.
  auto notifications = border->FrameControllerNotifications();
  border->SetFrameControllerNotifications(notifications.Exclude(fcpFrameStyle));
  controller->SetFrameStyle(fsRaised);
  EXPECT_EQ(border->BorderOuter(), fsBump);

  // Either side may go first.
  auto* second = new TFcBorder(&owner);
  second->SetFrameController(controller);
  delete second;
  EXPECT_FALSE(controller->HasControl(second));
  delete controller;
  EXPECT_EQ(border->FrameController(), nullptr);
}

TEST_F(FcBorderTest, PaintsItsFrameOnTheParent) {
  TForm* form = TCustomForm::CreateNew<TForm>(Application);
  form->SetBounds(50, 50, 200, 120);
  form->SetColor(0xE0E0E0);
  auto* border = new TFcBorder(form);
  border->SetBounds(10, 10, 60, 40);
  border->SetParent(form);
  auto* flat = new TFcBorder(form);
  flat->SetBounds(100, 10, 60, 40);
  flat->SetBorderOuter(fsFlatRounded);
  flat->SetFlatColor(0x0000C0);
  flat->SetFlatColorAdjustment(0);
  flat->SetParent(form);
  form->Show();
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  const auto image = platform::testing::ReadWindow(form->Handle());
  auto at = [&](int x, int y) { return static_cast<TColor>(image.At(x, y) & 0xFFFFFF); };
  auto rgb = [](TColor c) {  // 0x00RRGGBB as the picture holds it
    COLORREF v = ColorToRGB(c);
    return static_cast<TColor>(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
  };
  EXPECT_EQ(at(10, 10), rgb(clBtnShadow));
  EXPECT_EQ(at(11, 11), rgb(clBtnHighlight));
  EXPECT_EQ(at(69, 49), rgb(clBtnHighlight));
  EXPECT_EQ(at(20, 20), rgb(0xE0E0E0)) << "a border is not opaque";
  EXPECT_EQ(at(100, 10), rgb(0xE0E0E0)) << "the rounded corner shows the form";
  EXPECT_EQ(at(101, 11), rgb(0x0000C0));
  EXPECT_EQ(at(120, 10), rgb(0x0000C0));
}

TEST_F(FcBorderTest, PublishedClassesAreRegistered) {
  RegisterFcClasses();
  RegisterFcClasses();
  for (const char* name : {"TFcFrameController", "TFcRegIniFile", "TFcCustomColors", "TFcBorder", "TFcColorPicker"})
    EXPECT_NE(GetClass(name), nullptr) << name;
  TComponent owner(nullptr);
  TComponent* made = CreateComponent(FindClass("TFcBorder"), &owner);
  EXPECT_TRUE(made->Is<TFcBorder>());
  EXPECT_NE(dynamic_cast<IFrameSettingsReceiver*>(made), nullptr);
}

namespace {

// A window-less control that paints a red square at its parent's (5, 5) and publishes
// Transparent.
class TSquare : public TGraphicControl {
  BRANTWELL_CLASS(TSquare, TGraphicControl)

 public:
  explicit TSquare(TComponent* owner) : TGraphicControl(owner) {}
  static void DescribeClass(TClassBuilder<TSquare>& c) { c.Property("Transparent", &TSquare::transparent); }
  bool transparent = false;
  int invalidations = 0;
  void Invalidate() override {
    ++invalidations;
    inherited::Invalidate();
  }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clRed);
    Canvas()->FillRect(Rect(0, 0, Width(), Height()));
  }
};

}  // namespace

TEST_F(FcBorderTest, ParentBackgroundAndTransparentChildren) {
  TForm* form = TCustomForm::CreateNew<TForm>(Application);
  form->SetBounds(50, 50, 100, 80);
  form->SetColor(clBlue);
  auto* square = new TSquare(form);
  square->SetBounds(5, 5, 10, 10);
  square->SetParent(form);
  auto* other = new TSquare(form);
  other->SetBounds(40, 40, 10, 10);
  other->transparent = true;
  other->SetParent(form);
  form->HandleNeeded();

  // What lies under a windowed control at (10, 10): the form's colour and the square's corner.
  auto* probe = new TCustomControl(form);
  probe->SetBounds(10, 10, 20, 20);
  probe->SetParent(form);
  TBitmap picture(20, 20, pf32bit);
  PaintParentBackground(probe, picture.Canvas()->Handle(), false);
  EXPECT_EQ(picture.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(picture.Canvas()->Pixels(4, 4), clRed);
  EXPECT_EQ(picture.Canvas()->Pixels(5, 5), clBlue);
  EXPECT_EQ(picture.Canvas()->Pixels(19, 19), clBlue);

  square->invalidations = other->invalidations = 0;
  InvalidateTransparentChildren(form);
  EXPECT_EQ(square->invalidations, 0);
  EXPECT_EQ(other->invalidations, 1);
}
