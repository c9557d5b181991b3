#pragma once

// Fixtures of the skinned-form tests: the skin module with a small "SkinForm" item of known
// colours (a frame of 5/30/5/5 pixels, a caption part, and caption buttons whose four states
// differ in colour), and skinned forms made on the window manager without a display.

#include <memory>
#include <vector>

#include "SkinTestSupport.h"
#include "platform/testing/Synthetic.h"
#include "program/skin/SkinForm.h"
#include "vcl/Application.h"

namespace skin_form_test {

// Colours of the test skin as read back (0x00RRGGBB).
constexpr uint32_t kInactiveFrame = 0x404040;
constexpr uint32_t kActiveFrame = 0x2060A0;
constexpr uint32_t kButtonNormal = 0xC0C0C0;
constexpr uint32_t kButtonHot = 0xFFFF00;
constexpr uint32_t kButtonPressed = 0xFF8000;
constexpr uint32_t kButtonDisabled = 0x808080;
constexpr uint32_t kCaptionText = 0xFFFFFF;

// Frame states 32 x 48 at (0, 0) and (32, 0); button states 16 x 16 in the row below, in the
// order normal, hot, pressed, disabled. Positions: close 2 pixels from the right, maximize
// and restore 20, minimize 38, all 6 pixels from the top.
inline const char* const kFormItem = R"(
  <Part id="0" Name="Frame">
    <Margins Left="5" Top="30" Right="5" Bottom="5" Scale="False"/>
    <Graphic Name="form.bmp"/>
    <State Left="0" Top="0" Width="32" Height="48"><Margins Left="6" Top="30" Right="6" Bottom="6"/></State>
    <State Left="32" Top="0" Width="32" Height="48"><Margins Left="6" Top="30" Right="6" Bottom="6"/></State>
  </Part>
  <Part id="1" Name="Caption">
    <Position RelPos="5" X="8" Y="4" X2="8" Height="22" Scale="False"/>
    <State><Font Color="clWhite" Style="bold"/></State>
    <State><Font Color="clWhite" Style="bold"/></State>
  </Part>
  <Part id="2" Name="SystemMenu"><Position RelPos="0" X="6" Y="8" Width="16" Height="16" Scale="False"/></Part>
  <Part id="3" Name="Restore"><Position RelPos="1" X="20" Y="6" Width="16" Height="16" Scale="False"/>
    <Graphic Name="form.bmp"/>
    <State Left="0" Top="48" Width="16" Height="16"/><State Left="16" Top="48" Width="16" Height="16"/>
    <State Left="32" Top="48" Width="16" Height="16"/><State Left="48" Top="48" Width="16" Height="16"/></Part>
  <Part id="4" Name="Minimize"><Position RelPos="1" X="38" Y="6" Width="16" Height="16" Scale="False"/>
    <Graphic Name="form.bmp"/>
    <State Left="0" Top="48" Width="16" Height="16"/><State Left="16" Top="48" Width="16" Height="16"/>
    <State Left="32" Top="48" Width="16" Height="16"/><State Left="48" Top="48" Width="16" Height="16"/></Part>
  <Part id="5" Name="Maximize"><Position RelPos="1" X="20" Y="6" Width="16" Height="16" Scale="False"/>
    <Graphic Name="form.bmp"/>
    <State Left="0" Top="48" Width="16" Height="16"/><State Left="16" Top="48" Width="16" Height="16"/>
    <State Left="32" Top="48" Width="16" Height="16"/><State Left="48" Top="48" Width="16" Height="16"/></Part>
  <Part id="6" Name="Close"><Position RelPos="1" X="2" Y="6" Width="16" Height="16" Scale="False"/>
    <Graphic Name="form.bmp"/>
    <State Left="0" Top="48" Width="16" Height="16"/><State Left="16" Top="48" Width="16" Height="16"/>
    <State Left="32" Top="48" Width="16" Height="16"/><State Left="48" Top="48" Width="16" Height="16"/></Part>
)";

inline uint32_t FormPixel(int x, int y) {
  if (y < 48) return 0xFF000000u | (x < 32 ? kInactiveFrame : kActiveFrame);
  static const uint32_t kButtons[4] = {kButtonNormal, kButtonHot, kButtonPressed, kButtonDisabled};
  return 0xFF000000u | kButtons[(x / 16) & 3];
}

class SkinFormFixture : public skin_test::SkinFixture {
 protected:
  void SetUp() override {
    SkinFixture::SetUp();
    // Animations jump to their end here; the show animation is off so tests see no extra
    // show and hide steps.
    // The picture is a file too, so a reload of the skin finds it.
    skin_test::MakeImage(64, 64, FormPixel)->SaveToFile(AnsiString((folder / "form.bmp").string()));
    item = LoadItem("SkinForm", "SkinForm", kFormItem);
  }
  void TearDown() override {
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) delete *it;
    forms.clear();
    platform::testing::RunUntilIdle();
    DoneApplication();
    SkinFixture::TearDown();
  }

  // A skinned form of the test skin, with its window, at (100, 80).
  template <class T = TSkinForm> T* MakeForm(TFormBorderStyle style = bsSizeable, int width = 400, int height = 300) {
    T* form = TCustomForm::CreateNew<T>(nullptr);
    forms.push_back(form);
    form->SetShowAnimate(false);
    form->SetBorderStyle(style);
    form->SetBounds(100, 80, width, height);
    form->HandleNeeded();
    return form;
  }
  template <class T = TSkinForm> T* ShowForm(TFormBorderStyle style = bsSizeable, int width = 400, int height = 300) {
    T* form = MakeForm<T>(style, width, height);
    form->Show();
    platform::testing::RunUntilIdle();
    return form;
  }
  // The window-relative point of a form on the screen.
  static POINT At(TBaseForm* form, int x, int y) { return platform::testing::ScreenPoint(form->Handle(), x, y, true); }
  static LRESULT HitTest(TBaseForm* form, int x, int y) {
    const POINT p = At(form, x, y);
    return SendMessageW(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
  }
  static TMessage NcMessage(UINT msg, WPARAM hit, POINT screen) {
    TMessage m;
    m.Msg = msg;
    m.WParam = hit;
    m.LParam = MAKELPARAM(screen.x, screen.y);
    return m;
  }

  TSkinItem* item = nullptr;
  std::vector<TCustomForm*> forms;
};

}  // namespace skin_form_test
