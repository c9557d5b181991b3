// The shared pieces of the skinned controls: setting and resolving a reference, the
// transparency a part decides, the hover-repaint test, the transparent erase, and the
// module's counted start.

#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "program/controls/SkinnedControl.h"
#include "vcl/GraphicControl.h"
#include "vcl/Persistent.h"

using namespace controls_test;

namespace {

class SkinnedControls : public ControlsFixture {
 protected:
  void SetUp() override {
    ControlsFixture::SetUp();
    WriteCells(folder / "cells.bmp", {0xFF0000, 0x00FF00, 0x0000FF});
    WriteSkin("Probe", {{"Probe", CellPart(0, "cells.bmp", 0, 3) + CellPart(1, "cells.bmp", 0, 1, "TransparentMode=\"Mask\"") +
                                      CellPart(2, "cells.bmp", 0, 1, "TransparentMode=\"Alpha\"")}});
    UseFolder();
  }
};

// A windowed control that uses nothing but the shared pieces.
class TProbe : public TCustomControl {
  BRANTWELL_CLASS(TProbe, TCustomControl)
 public:
  using TCustomControl::TCustomControl;
  TControlSkinPart Body;
};

TEST_F(SkinnedControls, AnEqualReferenceIsNotParsedAgain) {
  TControlSkinPart record;
  record.Init(nullptr);
  record.SetSkin("Probe", 0);
  ASSERT_NE(record.Part, nullptr);
  EXPECT_FALSE(SetSkinReference(record, "Probe"));
  EXPECT_NE(record.Part, nullptr) << "nothing forgotten";
  EXPECT_TRUE(SetSkinReference(record, "MainForm(14)"));
  EXPECT_EQ(record.SkinName, "MainForm");
  EXPECT_EQ(record.PartId, 14);
  EXPECT_EQ(record.Part, nullptr) << "the old part is forgotten until resolved again";
  record.Done();

  AnsiString name = "Panel";
  int id = 0;
  TSkinItemPart* part = SkinEngine->GetSkinPart("Probe", 0);
  EXPECT_FALSE(SetSkinReference(name, id, part, "Panel"));
  EXPECT_NE(part, nullptr);
  EXPECT_TRUE(SetSkinReference(name, id, part, "Probe(2)"));
  EXPECT_EQ(name, "Probe");
  EXPECT_EQ(id, 2);
  EXPECT_EQ(part, nullptr);
}

TEST_F(SkinnedControls, ThePartsTransparencyOverridesTheStoredValue) {
  struct Case {
    const char* reference;
    bool storedTransparent;
    bool transparent;
    bool doubleBuffered;
  } cases[] = {
      {"Probe(1)", false, true, true},   // Mask
      {"Probe(2)", false, true, true},   // Alpha
      {"Probe", true, false, false},     // no transparency: the stored True is overridden
      {"Missing", true, true, false},    // nothing found: the control keeps what it had
  };
  for (const Case& c : cases) {
    TProbe probe(nullptr);
    probe.Body.Init(&probe);
    probe.SetParentBackground(c.storedTransparent);
    ASSERT_TRUE(SetSkinReference(probe.Body, c.reference));
    ResolveSkinPart(&probe, probe.Body);
    EXPECT_EQ(probe.ParentBackground(), c.transparent) << c.reference;
    EXPECT_EQ(probe.DoubleBuffered(), c.doubleBuffered) << c.reference;
    probe.Body.Done();
  }
}

TEST_F(SkinnedControls, HoverRepaintsOnlyWhenTheLookCanChange) {
  TProbe probe(nullptr);
  TSkinItemPart* three = SkinEngine->GetSkinPart("Probe", 0);
  TSkinItemPart* one = SkinEngine->GetSkinPart("Probe", 1);
  struct Case {
    bool enabled;
    TSkinItemPart* body;
    TSkinItemPart* glyph;
    bool fallbackShowsHover;
    bool repaint;
  } cases[] = {
      {true, three, nullptr, false, true},  {true, one, nullptr, true, false},  {true, one, three, false, true},
      {true, nullptr, nullptr, true, true}, {true, nullptr, nullptr, false, false}, {false, three, three, true, false},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    probe.SetEnabled(cases[i].enabled);
    EXPECT_EQ(HoverChangesLook(&probe, cases[i].body, cases[i].glyph, cases[i].fallbackShowsHover), cases[i].repaint)
        << "case " << i;
  }
}

TEST_F(SkinnedControls, ATransparentControlErasesWithItsParentsPicture) {
  TForm* form = MakeForm();
  form->SetColor(clRed);
  auto* probe = new TProbe(form);
  probe->SetParent(form);
  probe->SetBounds(10, 10, 40, 20);
  probe->SetColor(clBlue);
  probe->HandleNeeded();
  platform::testing::RunUntilIdle();

  auto erase = [&](bool bufferRequest) {
    HDC dc = GetDC(probe->Handle());
    RECT all{0, 0, 40, 20};
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    FillRect(dc, &all, green);
    DeleteObject(green);
    TMessage m{WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), bufferRequest ? reinterpret_cast<LPARAM>(dc) : 0, 0};
    TWMEraseBkgnd view(m);
    const bool handled = EraseTransparentBackground(probe, view);
    ReleaseDC(probe->Handle(), dc);
    EXPECT_EQ(m.Result, handled ? 1 : 0);
    return handled;
  };
  probe->SetParentBackground(false);
  EXPECT_FALSE(erase(false)) << "a plain control erases as it needs";
  probe->SetParentBackground(true);
  EXPECT_TRUE(erase(false));
  EXPECT_EQ(WindowPixel(probe->Handle(), 5, 5), 0xFF0000u) << "the parent's colour under the control";
  probe->SetDoubleBuffered(true);
  EXPECT_TRUE(erase(false));
  EXPECT_EQ(WindowPixel(probe->Handle(), 5, 5), 0x00FF00u) << "the screen's erase of a buffered control draws nothing";
  EXPECT_TRUE(erase(true));
  EXPECT_EQ(WindowPixel(probe->Handle(), 5, 5), 0xFF0000u) << "the buffer's erase draws";
}

TEST(ControlsModule, StartAndStopAreCounted) {
  ASSERT_EQ(ControlsModuleStartCount(), 0);
  StartControlsModule();
  StartControlsModule();
  EXPECT_EQ(ControlsModuleStartCount(), 2);
  StopControlsModule();
  EXPECT_EQ(ControlsModuleStartCount(), 1);
  StopControlsModule();
  StopControlsModule();  // one stop too many changes nothing
  EXPECT_EQ(ControlsModuleStartCount(), 0);
}

}  // namespace

#include "program/controls/ButtonDraw.h"

namespace {

TEST(CaptionCutting, WholeWordsGoFirstAndCharactersStayWhole) {
  // One "line" per 10 characters, each 10 pixels high.
  auto height = [](const AnsiString& text) { return 10 * static_cast<int>((text.size() + 9) / 10); };
  EXPECT_EQ(CutCaptionToFit("alpha beta gamma delta", height, 20, -11), "alpha beta gamma");
  EXPECT_EQ(CutCaptionToFit("abcdefghijklmnopqrstuvwxyz", height, 10, -11), "abcdefghij");
  EXPECT_EQ(CutCaptionToFit("short", height, 20, -11), "short");
  EXPECT_EQ(DropLastCharacter("Zoë"), "Zo");
  EXPECT_EQ(DropLastCharacter("a\xE2\x82\xAC"), "a") << "a three-byte character goes whole";
  EXPECT_EQ(DropLastCharacter(""), "");
}

}  // namespace
