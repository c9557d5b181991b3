// The controls on skinned forms: a form file names them (their classes are registered by
// the module's start) and its values survive what the skin decides, and a new skin folder
// set at run time repaints every control in the new look.

#include <gtest/gtest.h>

#include <stdlib.h>

#include "ControlsTestSupport.h"
#include "program/controls/FSButton.h"
#include "program/controls/FSCheckBox.h"
#include "program/controls/FSGroupBox.h"
#include "program/controls/FSPanel.h"
#include "program/controls/FSRadioButton.h"
#include "program/controls/FSSkinButton.h"
#include "program/skin/SkinForm.h"

using namespace controls_test;
using platform::testing::RunUntil;
using platform::testing::RunUntilIdle;

namespace {

class TControlsForm : public TSkinForm {
  BRANTWELL_CLASS(TControlsForm, TSkinForm)
 public:
  using TSkinForm::TSkinForm;
  static void DescribeClass(TClassBuilder<TControlsForm>& c) {
    c.Field("Ok", &TControlsForm::Ok);
    c.Field("Play", &TControlsForm::Play);
    c.Field("Copy", &TControlsForm::Copy);
    c.Field("Mode", &TControlsForm::Mode);
    c.Field("Page", &TControlsForm::Page);
    c.Field("Output", &TControlsForm::Output);
  }
  TFSButton* Ok = nullptr;
  TFSSkinButton* Play = nullptr;
  TFSCheckBox* Copy = nullptr;
  TFSRadioButton* Mode = nullptr;
  TFSPanel* Page = nullptr;
  TFSGroupBox* Output = nullptr;
};

// One look of every item: the button, check box, radio button, panel and group box cells
// all of one colour (the boxes' parts 0 and 1 alike).
void WriteLook(const std::filesystem::path& folder, uint32_t colour) {
  WriteCells(folder / "look.bmp", {colour});
  const std::string part = CellPart(0, "look.bmp", 0, 1);
  const std::string box = CellPart(0, "look.bmp", 0, 1) + CellPart(1, "look.bmp", 0, 1);
  std::string xml = "<Skin>";
  for (const char* item : {"Button", "Tool", "Panel", "GroupBox"})
    xml += std::string("<Item name=\"") + item + "\">" + part + "</Item>";
  for (const char* item : {"CheckBox", "RadioButton"}) xml += std::string("<Item name=\"") + item + "\">" + box + "</Item>";
  WriteText(folder / "Controls.xml", xml + "</Skin>");
}

class SkinnedForms : public ControlsFixture {
 protected:
  void SetUp() override {
    ControlsFixture::SetUp();
    if (const char* old = getenv("BRANTWELL_PROGRAM_DIR")) oldProgramDir = old;
    setenv("BRANTWELL_PROGRAM_DIR", folder.string().c_str(), 1);
    WriteLook(folder / "first", kFirst);
    WriteLook(folder / "second", kSecond);
    UseFolder(folder / "first");
    WriteText(folder / "xforms" / "TControlsForm.xfm", R"xfm(<?xml version="1.0" encoding="UTF-8"?>
<xform>
  <TControlsForm Name="ControlsForm" Caption="Controls" ClientWidth="400" ClientHeight="200" Color="clWhite">
    <TFSButton Name="Ok" Left="10" Top="10" Caption="" Default="True" ModalResult="1" Transparent="True"/>
    <TFSSkinButton Name="Play" Left="100" Top="10" Width="40" SkinName="Tool" Exclusive="True" GroupIndex="3"/>
    <TFSCheckBox Name="Copy" Left="10" Top="50" Caption="Copy" Checked="True"/>
    <TFSRadioButton Name="Mode" Left="10" Top="80" Caption="Mode" SkinName="RadioButton(2)"/>
    <TFSPanel Name="Page" Left="160" Top="10" Width="100" Height="60"/>
    <TFSGroupBox Name="Output" Left="270" Top="10" Width="100" Height="100" Caption=""/>
  </TControlsForm>
</xform>
)xfm");
  }
  void TearDown() override {
    ControlsFixture::TearDown();
    if (oldProgramDir.empty()) unsetenv("BRANTWELL_PROGRAM_DIR");
    else setenv("BRANTWELL_PROGRAM_DIR", oldProgramDir.c_str(), 1);
  }

  static constexpr uint32_t kFirst = 0x4080C0, kSecond = 0xC04080;
  std::string oldProgramDir;
};

TEST_F(SkinnedForms, AFormFileNamesEveryControlAndTheSkinDecidesTransparency) {
  auto* form = TCustomForm::Create<TControlsForm>(nullptr);
  forms.push_back(form);
  ASSERT_NE(form->Ok, nullptr);
  ASSERT_NE(form->Play, nullptr);
  ASSERT_NE(form->Copy, nullptr);
  ASSERT_NE(form->Mode, nullptr);
  ASSERT_NE(form->Page, nullptr);
  ASSERT_NE(form->Output, nullptr);
  EXPECT_TRUE(form->Ok->Default());
  EXPECT_EQ(form->Ok->ModalResult(), mrOk);
  EXPECT_FALSE(form->Ok->Transparent()) << "the opaque skin part overrides the stored True";
  EXPECT_NE(form->Ok->BodyPart(), nullptr);
  EXPECT_NE(form->Play->BodyPart(), nullptr) << "a skin button resolves once loaded";
  EXPECT_TRUE(form->Play->Exclusive());
  EXPECT_EQ(form->Play->GroupIndex(), 3);
  EXPECT_TRUE(form->Copy->Checked());
  EXPECT_EQ(form->Mode->SkinName(), "RadioButton(2)") << "the part id is kept and shown";
  EXPECT_NE(form->Mode->SkinItem(), nullptr);
  EXPECT_NE(form->Page->SkinPart(), nullptr);
}

TEST_F(SkinnedForms, ANewSkinFolderRepaintsEveryControlInTheNewLook) {
  auto* form = TCustomForm::Create<TControlsForm>(nullptr);
  forms.push_back(form);
  form->Show();
  RunUntilIdle();
  struct Probe {
    TControl* control;
    int x, y;
  } probes[] = {{form->Ok, 10, 10},   {form->Play, 10, 10}, {form->Copy, 5, 8},
                {form->Mode, 5, 8},   {form->Page, 50, 30}, {form->Output, 50, 50}};
  auto pixel = [&](const Probe& p) {
    HWND wnd = form->Handle();
    int x = p.x, y = p.y;
    if (auto* windowed = dynamic_cast<TWinControl*>(p.control)) wnd = windowed->Handle();
    else x += p.control->Left(), y += p.control->Top();
    return WindowPixel(wnd, x, y);
  };
  for (const Probe& p : probes) EXPECT_EQ(pixel(p), kFirst) << p.control->Name();

  SkinEngine->SetSkinPath(AnsiString((folder / "second").string()));
  RunUntilIdle();
  for (const Probe& p : probes)
    EXPECT_TRUE(RunUntil([&] { return pixel(p) == kSecond; }, 3000))
        << p.control->Name() << " shows " << std::hex << pixel(p);
}

}  // namespace

namespace {

TEST_F(ControlsFixture, EachControlAnswersItsCaptionsAccelerator) {
  TForm* form = MakeForm();
  auto* button = new TFSButton(form);
  button->SetParent(form);
  button->SetBounds(10, 10, 80, 25);
  button->SetCaption("&Burn");
  auto* tool = new TFSSkinButton(form);
  tool->SetParent(form);
  tool->SetBounds(100, 10, 60, 25);
  tool->SetCaption("&Play");
  auto* copy = new TFSCheckBox(form);
  copy->SetParent(form);
  copy->SetBounds(10, 50, 100, 20);
  copy->SetCaption("&Copy");
  auto* mode = new TFSRadioButton(form);
  mode->SetParent(form);
  mode->SetBounds(10, 80, 100, 20);
  mode->SetCaption("&Mode");
  auto* output = new TFSGroupBox(form);
  output->SetParent(form);
  output->SetBounds(150, 50, 150, 100);
  output->SetCaption("&Output");
  auto* inside = new TFSCheckBox(form);
  inside->SetParent(output);
  inside->SetBounds(10, 30, 100, 20);
  inside->SetCaption("Verify");
  platform::testing::RunUntilIdle();

  int buttonClicks = 0, toolClicks = 0;
  button->OnClick = TNotifyEvent([&](TObject*) { ++buttonClicks; });
  tool->OnClick = TNotifyEvent([&](TObject*) { ++toolClicks; });
  auto accel = [&](char key) { return form->Perform(CM_DIALOGCHAR, static_cast<WPARAM>(key), 0); };

  EXPECT_NE(accel('b'), 0);
  EXPECT_EQ(buttonClicks, 1);
  EXPECT_NE(accel('P'), 0);
  EXPECT_EQ(toolClicks, 1);
  EXPECT_NE(accel('c'), 0);
  EXPECT_TRUE(copy->Checked()) << "a check box's accelerator toggles it";
  EXPECT_TRUE(copy->Focused());
  EXPECT_NE(accel('m'), 0);
  EXPECT_TRUE(mode->Focused());
  EXPECT_NE(accel('o'), 0);
  EXPECT_TRUE(inside->Focused()) << "a group box's accelerator focuses its first child";
  EXPECT_EQ(accel('x'), 0) << "no caption marks x";

  button->SetEnabled(false);
  EXPECT_EQ(accel('b'), 0) << "a button that cannot take the focus";
  EXPECT_EQ(buttonClicks, 1);
}

}  // namespace
