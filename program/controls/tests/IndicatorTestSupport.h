#pragma once

// Fixtures of the indicator tests (track bar, progress bar, gauge, images, label): one skin
// file per item written by the test, a borderless white form on the headless display to put
// controls on, and pixel reads of the form's client area.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ControlsTestSupport.h"

namespace indicator_test {

// Colours as read back from a window (0x00RRGGBB).
constexpr uint32_t kTrack = 0x808080, kFilled = 0xFF0000;
constexpr uint32_t kThumbNormal = 0x0000FF, kThumbHot = 0xFFFF00, kThumbPressed = 0x00FF00, kThumbDisabled = 0x404040;
constexpr uint32_t kMarker = 0xFF00FF, kWhite = 0xFFFFFF;

// A track bar item: the track inset 4 pixels left and right, 8 pixels down, 8 high; a
// 10 x 20 thumb at y 2; 6 x 10 cut markers at y 0. Every state is a plain box of one colour.
inline const char* const kTrackBarItem = R"(
  <Part><Position X="4" X2="4" Y="8" Height="8" Scale="False"/>
    <State type="box"><Pen Color="clGray"/><Brush Color="clGray"/></State>
    <State type="box"><Pen Color="clRed"/><Brush Color="clRed"/></State></Part>
  <Part><Position Width="10" Height="20" Y="2" Scale="False"/>
    <State type="box"><Pen Color="clBlue"/><Brush Color="clBlue"/></State>
    <State type="box"><Pen Color="clYellow"/><Brush Color="clYellow"/></State>
    <State type="box"><Pen Color="clLime"/><Brush Color="clLime"/></State>
    <State type="box"><Pen Color="$404040"/><Brush Color="$404040"/></State></Part>
  <Part><Position Width="6" Height="10" Y="0" Scale="False"/>
    <State type="box"><Pen Color="clFuchsia"/><Brush Color="clFuchsia"/></State></Part>
  <Part><Position Width="6" Height="10" Y="0" Scale="False"/>
    <State type="box"><Pen Color="clFuchsia"/><Brush Color="clFuchsia"/></State></Part>
)";

// The skin and controls modules with a folder of their own; the skin files are written
// before UseSkin.
class IndicatorFixture : public controls_test::ControlsFixture {
 protected:
  void WriteItem(const std::string& name, const std::string& body, std::filesystem::path where = {}) {
    if (where.empty()) where = folder;
    std::filesystem::create_directories(where);
    std::ofstream out(where / (name + ".xml"), std::ios::binary | std::ios::trunc);
    out << "<Skin><Item name=\"" << name << "\">" << body << "</Item></Skin>";
  }
  void UseSkin(const std::filesystem::path& where = {}) {
    SkinEngine->SetSkinPath((where.empty() ? folder : where).string());
  }
  // A shown plain form with a white client area.
  TForm* ShowForm(int width = 420, int height = 120) {
    TForm* form = TCustomForm::CreateNew<TForm>(nullptr);
    forms.push_back(form);
    form->SetBorderStyle(bsNone);
    form->SetColor(clWhite);
    form->SetBounds(50, 50, width, height);
    form->Show();
    platform::testing::RunUntilIdle();
    return form;
  }
  template <class T> T* Place(TForm* form, int left, int top, int width, int height) {
    T* control = new T(form);
    control->SetParent(form);
    control->SetBounds(left, top, width, height);
    platform::testing::RunUntilIdle();
    return control;
  }
  // The form's client pixels after pending paints (0x00RRGGBB).
  platform::testing::Image Capture(TForm* form) {
    platform::testing::RunUntilIdle();
    return platform::testing::ReadWindow(form->Handle());
  }
  static uint32_t Rgb(const platform::testing::Image& image, int x, int y) { return image.At(x, y) & 0xFFFFFF; }
  // A point of a control on the screen.
  static POINT At(TControl* control, int x, int y) {
    const TPoint p = control->ClientToScreen(TPoint(x, y));
    return POINT{p.X, p.Y};
  }
};

}  // namespace indicator_test
