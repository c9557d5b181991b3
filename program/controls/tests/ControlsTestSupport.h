#pragma once

// Fixtures of the control tests: the skin and controls modules started and stopped around
// each test, a skin folder of the test's own whose items are solid colours (so a pixel tells
// which state was drawn), and forms on the window manager without a display to put the
// controls on.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/testing/Synthetic.h"
#include "program/controls/ControlsModule.h"
#include "program/imaging/GPInit.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinModule.h"
#include "vcl/Application.h"
#include "vcl/Bitmap.h"
#include "vcl/Form.h"

namespace controls_test {

class ImagingEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { InitImaging(); }
  void TearDown() override { DoneImaging(); }
};

// A fresh folder under the test binaries.
inline std::filesystem::path FreshFolder(const std::string& name) {
  static std::atomic<int> counter{0};
  auto folder = std::filesystem::path(BRANTWELL_TEST_BIN_DIR) / "controls-fixtures" /
                (name + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// A bitmap file of solid 20 x 20 cells, one colour (0xRRGGBB) per cell, in a row.
inline void WriteCells(const std::filesystem::path& path, const std::vector<uint32_t>& colours, int cell = 20) {
  std::filesystem::create_directories(path.parent_path());
  TBitmap image(cell * static_cast<int>(colours.size()), cell, pf32bit);
  for (int y = 0; y < cell; ++y)
    for (size_t i = 0; i < colours.size(); ++i)
      for (int x = 0; x < cell; ++x)
        static_cast<uint32_t*>(image.ScanLine(y))[static_cast<int>(i) * cell + x] = 0xFF000000u | colours[i];
  image.SaveToFile(AnsiString(path.string()));
}

// The states of one part drawn from cells 0..count-1 of `image`, stretched with 2-pixel
// margins (unless `attributes`, which go on the Part element, name another FillMode).
inline std::string CellPart(int id, const std::string& image, int first, int count, const std::string& attributes = "",
                            int cell = 20) {
  const std::string fill = attributes.find("FillMode") == std::string::npos ? "FillMode=\"stretch\" " : "";
  std::string xml = "<Part id=\"" + std::to_string(id) + "\" " + fill + attributes + "><Graphic Name=\"" + image + "\"/>";
  for (int i = 0; i < count; ++i)
    xml += "<State Left=\"" + std::to_string((first + i) * cell) + "\" Top=\"0\" Width=\"" + std::to_string(cell) +
           "\" Height=\"" + std::to_string(cell) + "\"><Margins Left=\"2\" Top=\"2\" Right=\"2\" Bottom=\"2\"/></State>";
  return xml + "</Part>";
}

// Pixels read back from a window, as 0xRRGGBB.
inline uint32_t WindowPixel(HWND wnd, int x, int y) {
  return platform::testing::ReadWindow(wnd).At(x, y) & 0xFFFFFF;
}

// Two colours (0xRRGGBB) within `tolerance` in every channel (by default equal: a finished
// hover fade ends with a paint of the target look itself, not a blend one step short of it).
inline bool Near(uint32_t a, uint32_t b, int tolerance = 0) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance) return false;
  return true;
}

class ControlsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    StartSkinModule();
    StartControlsModule();
  }
  void TearDown() override {
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) delete *it;
    forms.clear();
    platform::testing::RunUntilIdle();
    DoneApplication();
    StopControlsModule();
    StopSkinModule();
  }

  // Writes a skin file of items (name, inner XML) into the test's folder.
  void WriteSkin(const std::string& file, const std::vector<std::pair<std::string, std::string>>& items,
                 const std::filesystem::path& where = {}) {
    std::string xml = "<Skin>";
    for (const auto& [name, body] : items) xml += "<Item name=\"" + name + "\">" + body + "</Item>";
    WriteText((where.empty() ? folder : where) / (file + ".xml"), xml + "</Skin>");
  }
  void UseFolder(const std::filesystem::path& where = {}) {
    SkinEngine->SetSkinPath(AnsiString((where.empty() ? folder : where).string()));
  }

  // A plain form with its window at (100, 80), shown when `show` is set.
  TForm* MakeForm(int width = 320, int height = 200, bool show = true) {
    TForm* form = TCustomForm::CreateNew<TForm>(nullptr);
    forms.push_back(form);
    form->SetBounds(100, 80, width, height);
    form->SetColor(clWhite);
    form->HandleNeeded();
    if (show) {
      form->Show();
      platform::testing::RunUntilIdle();
    }
    return form;
  }

  std::filesystem::path folder;
  std::vector<TCustomForm*> forms;
};

}  // namespace controls_test
