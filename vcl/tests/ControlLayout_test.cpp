// The shared look and layout of controls: margins and padding in alignment, the border ring,
// reading order and 3-D look inherited from the parent, accelerators, the mouse-in-client
// flag under synthetic input, and the properties that only travel with form files.

#include <gtest/gtest.h>

#include <chrono>

#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "vcl/Application.h"
#include "vcl/Form.h"
#include "vcl/GraphicControl.h"
#include "vcl/Reader.h"
#include "vcl/Writer.h"

namespace {

using namespace std::chrono_literals;
using platform::testing::Watchdog;

class ControlLayoutTest : public ::testing::Test {
 protected:
  void TearDown() override { DoneApplication(); }
};

TForm* NewForm(int left, int top, int width, int height) {
  TForm* form = TCustomForm::CreateNew<TForm>(Application);
  form->SetBorderStyle(bsNone);
  form->SetBounds(left, top, width, height);
  return form;
}

// Records the flag as CM_MOUSEENTER and CM_MOUSELEAVE find it.
template <class Base> class TFlagProbe : public Base {
 public:
  explicit TFlagProbe(TComponent* owner) : Base(owner) {}
  std::vector<std::pair<UINT, bool>> seen;
  int ctl3dChanges = 0;

 protected:
  void CMMouseEnter(TCMMouseEnterLeave& m) override {
    seen.push_back({CM_MOUSEENTER, this->MouseInClient()});
    Base::CMMouseEnter(m);
  }
  void CMMouseLeave(TCMMouseEnterLeave& m) override {
    seen.push_back({CM_MOUSELEAVE, this->MouseInClient()});
    Base::CMMouseLeave(m);
  }
};

class TWindowedProbe : public TFlagProbe<TCustomControl> {
  BRANTWELL_CLASS(TWindowedProbe, TCustomControl)
 public:
  using TFlagProbe::TFlagProbe;

 protected:
  void CMCtl3DChanged(TMessage& m) override {
    ++ctl3dChanges;
    TFlagProbe::CMCtl3DChanged(m);
  }
};

class TGraphicProbe : public TFlagProbe<TGraphicControl> {
  BRANTWELL_CLASS(TGraphicProbe, TGraphicControl)
 public:
  using TFlagProbe::TFlagProbe;
};

TEST_F(ControlLayoutTest, MarginsAndPaddingTakePartInAlignment) {
  TForm* form = NewForm(0, 0, 200, 100);
  form->Padding()->SetBounds(5, 4, 3, 2);
  auto make = [&](TAlign align, int w, int h, bool withMargins) {
    auto* c = new TGraphicProbe(form);
    c->SetBounds(0, 0, w, h);
    c->SetParent(form);
    c->SetAlignWithMargins(withMargins);
    c->SetAlign(align);
    return c;
  };
  TGraphicProbe* top = make(alTop, 10, 20, true);     // margins 3 all round
  TGraphicProbe* left = make(alLeft, 30, 10, false);
  TGraphicProbe* client = make(alClient, 1, 1, true);
  client->Margins()->SetBounds(1, 2, 3, 4);
  // Room inside the padding: (5, 4) - (197, 98).
  EXPECT_EQ(top->BoundsRect(), Rect(8, 7, 194, 27));
  EXPECT_EQ(left->BoundsRect(), Rect(5, 30, 35, 98));
  EXPECT_EQ(client->BoundsRect(), Rect(36, 32, 194, 94));
  // A margin change lays the control out again; without AlignWithMargins margins do nothing.
  top->Margins()->SetTop(10);
  EXPECT_EQ(top->BoundsRect(), Rect(8, 14, 194, 34));
  EXPECT_EQ(left->BoundsRect(), Rect(5, 37, 35, 98));
  top->SetAlignWithMargins(false);
  EXPECT_EQ(top->BoundsRect(), Rect(5, 4, 197, 24));
  form->Padding()->SetBounds(0, 0, 0, 0);
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 200, 20));
  // Margins larger than the room leave an empty control, never a negative size.
  client->Margins()->SetBounds(500, 0, 500, 0);
  EXPECT_EQ(client->Width(), 0);
}

TEST_F(ControlLayoutTest, BorderWidthShrinksTheClientAreaAndShowsTheColour) {
  Watchdog watchdog(20s);
  TForm* form = NewForm(10, 10, 120, 80);
  form->SetColor(clWhite);
  auto* box = new TWindowedProbe(form);
  box->SetParent(form);
  box->SetBounds(10, 10, 60, 40);
  box->SetColor(clRed);
  box->SetBorderWidth(6);
  EXPECT_EQ(box->ClientRect(), Rect(0, 0, 48, 28));  // no window yet
  auto* inner = new TGraphicProbe(form);
  inner->SetParent(box);
  inner->SetAlign(alClient);
  form->Show();
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  EXPECT_EQ(box->ClientRect(), Rect(0, 0, 48, 28));
  EXPECT_EQ(inner->BoundsRect(), Rect(0, 0, 48, 28));
  const platform::testing::Image shot = platform::testing::ReadWindow(form->Handle());
  EXPECT_EQ(shot.At(12, 12) & 0xFFFFFF, 0xFF0000u);  // the ring, in red (BGRA read as ARGB)
  EXPECT_EQ(shot.At(5, 5) & 0xFFFFFF, 0xFFFFFFu);    // the form around it
  box->SetBorderWidth(0);
  EXPECT_EQ(inner->BoundsRect(), Rect(0, 0, 60, 40));
}

TEST_F(ControlLayoutTest, ReadingOrderAndThreeDLookFollowTheParent) {
  TForm* form = NewForm(0, 0, 100, 100);
  auto* box = new TWindowedProbe(form);
  box->SetParent(form);
  auto* label = new TGraphicProbe(form);
  label->SetParent(box);
  form->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(label->BiDiMode(), bdRightToLeft);
  EXPECT_TRUE(label->ParentBiDiMode());
  label->SetBiDiMode(bdRightToLeftReadingOnly);
  form->SetBiDiMode(bdLeftToRight);
  EXPECT_EQ(box->BiDiMode(), bdLeftToRight);
  EXPECT_EQ(label->BiDiMode(), bdRightToLeftReadingOnly);
  label->SetParentBiDiMode(true);
  EXPECT_EQ(label->BiDiMode(), bdLeftToRight);

  form->SetCtl3D(false);
  EXPECT_FALSE(box->Ctl3D());
  EXPECT_TRUE(box->ParentCtl3D());
  EXPECT_EQ(box->ctl3dChanges, 1);
  box->SetCtl3D(true);
  EXPECT_FALSE(box->ParentCtl3D());
  auto* late = new TWindowedProbe(form);
  late->SetParent(form);  // a new child takes the parent's look on insertion
  EXPECT_FALSE(late->Ctl3D());
}

TEST_F(ControlLayoutTest, DrawTextFlagsFollowTheReadingOrder) {
  struct Case {
    TBiDiMode mode;
    UINT flags;
    UINT expected;
  } cases[] = {
      {bdLeftToRight, DT_LEFT, DT_LEFT},
      {bdLeftToRight, DT_RIGHT, DT_RIGHT},
      {bdRightToLeft, DT_LEFT, DT_RIGHT | DT_RTLREADING},
      {bdRightToLeft, DT_RIGHT | DT_VCENTER, DT_LEFT | DT_VCENTER | DT_RTLREADING},
      {bdRightToLeft, DT_CENTER, DT_CENTER | DT_RTLREADING},
      {bdRightToLeftNoAlign, DT_LEFT, DT_LEFT | DT_RTLREADING},
      {bdRightToLeftReadingOnly, DT_RIGHT, DT_RIGHT | DT_RTLREADING},
  };
  TGraphicProbe probe(nullptr);
  for (const Case& c : cases) {
    probe.SetBiDiMode(c.mode);
    EXPECT_EQ(probe.DrawTextBiDiModeFlags(c.flags), c.expected) << c.mode << " " << c.flags;
  }
  probe.SetBiDiMode(bdRightToLeftNoAlign);
  EXPECT_TRUE(probe.UseRightToLeftReading());
  EXPECT_FALSE(probe.UseRightToLeftAlignment());
  EXPECT_TRUE(probe.UseRightToLeftScrollBar());
}

TEST(ControlAccelerators, IsAccelMatchesTheMarkedCharacter) {
  struct Case {
    WORD key;
    const char* caption;
    bool expected;
  } cases[] = {
      {'O', "&Open", true},   {'O', "&open", true},      {'P', "&Open", false},
      {'S', "Save &as", false}, {'A', "Save &as", true}, {'A', "Fish && &Chips", false},
      {'C', "Fish && &Chips", true}, {'O', "Open", false}, {'X', "Trailing &", false},
      {0x00C9, "\xc3\xa9&\xc3\xa9t\xc3\xa9", true},  // an accented letter, upper-cased
      {'E', "&\xc3\xa9t\xc3\xa9", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsAccel(c.key, c.caption), c.expected) << c.caption << " " << c.key;
}

TEST_F(ControlLayoutTest, MouseInClientRisesBeforeEnterAndDropsBeforeLeave) {
  Watchdog watchdog(20s);
  TForm* form = NewForm(40, 40, 200, 100);
  auto* box = new TWindowedProbe(form);
  box->SetParent(form);
  box->SetBounds(10, 10, 50, 50);
  auto* graphic = new TGraphicProbe(form);
  graphic->SetParent(form);
  graphic->SetBounds(100, 10, 50, 50);
  form->Show();
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  platform::testing::MouseMove({40 + 20, 40 + 20});
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  EXPECT_TRUE(box->MouseInClient());
  platform::testing::MouseMove({40 + 25, 40 + 25});  // a second move inside changes nothing
  platform::testing::MouseMove({40 + 120, 40 + 20});  // onto the window-less control
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  EXPECT_FALSE(box->MouseInClient());
  EXPECT_TRUE(graphic->MouseInClient());
  EXPECT_EQ(box->seen, (std::vector<std::pair<UINT, bool>>{{CM_MOUSEENTER, true}, {CM_MOUSELEAVE, false}}));
  platform::testing::MouseMove({500, 500});  // off the form
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  EXPECT_FALSE(graphic->MouseInClient());
  EXPECT_FALSE(form->MouseInClient());
  EXPECT_EQ(graphic->seen, (std::vector<std::pair<UINT, bool>>{{CM_MOUSEENTER, true}, {CM_MOUSELEAVE, false}}));
}

TEST_F(ControlLayoutTest, PropertiesWithoutBehaviourTravelWithFormFiles) {
  TWindowedProbe box(nullptr);
  box.SetName("Box");
  box.SetBiDiMode(bdRightToLeft);
  box.SetCtl3D(false);
  box.SetBorderWidth(3);
  box.Padding()->SetLeft(7);
  box.SetAlignWithMargins(true);
  box.Margins()->SetBottom(9);
  box.SetHelpKeyword("burning");
  box.SetDragMode(dmAutomatic);
  box.SetDragCursor(crNoDrop);
  box.SetBevelKind(bkFlat);
  box.SetImeName("none");
  box.SetDockSite(true);
  TStringStream stream;
  {
    TWriter writer(&stream, 4096);
    writer.WriteRootComponent(&box);
  }
  TWindowedProbe read(nullptr);
  {
    TStringStream input(stream.DataString());
    TReader reader(&input, 4096);
    reader.ReadRootComponent(&read);
  }
  EXPECT_EQ(read.BiDiMode(), bdRightToLeft);
  EXPECT_FALSE(read.ParentBiDiMode());
  EXPECT_FALSE(read.Ctl3D());
  EXPECT_FALSE(read.ParentCtl3D());
  EXPECT_EQ(read.BorderWidth(), 3);
  EXPECT_EQ(read.Padding()->Left(), 7);
  EXPECT_TRUE(read.AlignWithMargins());
  EXPECT_EQ(read.Margins()->Bottom(), 9);
  EXPECT_EQ(read.Margins()->Left(), 3);
  EXPECT_EQ(read.HelpKeyword(), "burning");
  EXPECT_EQ(read.HelpType(), htKeyword);
  EXPECT_EQ(read.DragMode(), dmAutomatic);
  EXPECT_EQ(read.DragCursor(), crNoDrop);
  EXPECT_EQ(read.BevelKind(), bkFlat);
  EXPECT_EQ(read.ImeName(), "none");
  EXPECT_TRUE(read.DockSite());
}

}  // namespace
