#pragma once

// Fixtures of the skin tests: a folder of skin files written by the test, the skin module
// started and stopped around each test, memory canvases with pixel access, and images put
// straight into the engine's shared list so drawing tests know every source pixel.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "program/imaging/GPInit.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinModule.h"
#include "vcl/Application.h"
#include "vcl/Bitmap.h"
#include "vcl/Canvas.h"
#include "vcl/Screen.h"

namespace skin_test {

class SkinEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { InitImaging(); }
  void TearDown() override { DoneImaging(); }
};

// A fresh folder under the test binaries for one test's skin files.
inline std::filesystem::path FreshFolder(const std::string& name) {
  static std::atomic<int> counter{0};
  auto folder = std::filesystem::path(BRANTWELL_TEST_BIN_DIR) / "skin-fixtures" /
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

// The skin module around a test, with a skin folder of its own; diagnostics are collected.
class SkinFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    SetSkinDiagnosticHook([this](const AnsiString& line) { diagnostics.push_back(line); });
    StartSkinModule();
  }
  void TearDown() override {
    StopSkinModule();
    SetSkinDiagnosticHook(nullptr);
    Screen->SetPixelsPerInch(96);
  }
  void WriteSkin(const std::string& file, const std::string& xml) { WriteText(folder / file, xml); }
  // Points the engine at the test's folder (reloading).
  void UseFolder() { SkinEngine->SetSkinPath(folder.string()); }
  // Writes Name.xml holding the body and loads it.
  TSkinItem* LoadItem(const std::string& file, const std::string& name, const std::string& body) {
    WriteSkin(file + ".xml", "<Skin><Item name=\"" + name + "\">" + body + "</Item></Skin>");
    if (SkinEngine->Reader && static_cast<TFSFileSkinReader*>(SkinEngine->Reader.get())->SkinPath.empty()) UseFolder();
    EXPECT_TRUE(SkinEngine->LoadSkinFile(AnsiString(file)));
    return SkinEngine->FindSkinItem(AnsiString(name));
  }

  std::filesystem::path folder;
  std::vector<AnsiString> diagnostics;
};

// A 32-bit bitmap whose pixels are given by fill(x, y) as 0xAARRGGBB.
template <class F> std::unique_ptr<TBitmap> MakeImage(int width, int height, F fill) {
  auto image = std::make_unique<TBitmap>(width, height, pf32bit);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) static_cast<uint32_t*>(image->ScanLine(y))[x] = fill(x, y);
  return image;
}

// A memory canvas of one colour; Pixel reads 0x00RRGGBB.
struct Surface {
  Surface(int width, int height, uint32_t colour = 0xFFFFFF)
      : bitmap(std::make_unique<TBitmap>(width, height, pf32bit)), lock(bitmap->Canvas()) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) static_cast<uint32_t*>(bitmap->ScanLine(y))[x] = colour;
  }
  TCanvas* canvas() { return bitmap->Canvas(); }
  uint32_t Pixel(int x, int y) { return static_cast<uint32_t*>(bitmap->ScanLine(y))[x] & 0xFFFFFF; }
  // The rows of a rectangle as text, one character per pixel from the legend.
  std::string Rows(int width, int height, uint32_t ink, char inkChar = '#') {
    std::string text;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) text += Pixel(x, y) == ink ? inkChar : '.';
      text += '\n';
    }
    return text;
  }
  std::unique_ptr<TBitmap> bitmap;
  TCanvasLock lock;
};

}  // namespace skin_test
