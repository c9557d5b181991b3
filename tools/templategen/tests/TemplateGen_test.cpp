// templategen run as a developer runs it: it regenerates exactly the committed templates and
// refuses what it cannot do.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "platform/testing/Processes.h"
#include "platform/testing/Watchdog.h"
#include "tools/templategen/Generator.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCommitted = fs::path(BRANTWELL_SOURCE_DIR) / "resources" / "templates";

// Runs the built tool with `arguments`; its exit status, or -1.
int RunTemplategen(const std::vector<std::string>& arguments) {
  std::vector<std::string> all = {std::string(BRANTWELL_BIN_DIR) + "/templategen"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  return platform::testing::RunProgram(all);
}

struct TemporaryFolder : platform::testing::ScratchFolder {
  TemporaryFolder() : ScratchFolder(fs::path(BRANTWELL_TEST_BIN_DIR) / ("templategen-" + std::to_string(getpid()))) {}
};

std::set<std::string> FilesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) names.insert(fs::relative(entry.path(), folder).generic_string());
  return names;
}

std::string Bytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(TemplateGen, RegeneratesTheCommittedTemplatesByteForByte) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  TemporaryFolder output;
  ASSERT_EQ(RunTemplategen({output.path.string()}), 0);

  const std::set<std::string> made = FilesIn(output.path);
  EXPECT_EQ(FilesIn(kCommitted), made) << "run build/bin/templategen resources/templates and commit the result";
  for (const templategen::TemplateDesign& design : templategen::Catalogue())
    EXPECT_TRUE(made.contains(design.category + "/" + design.name + "/" + design.name + ".ini")) << design.name;
  for (const std::string& name : made) {
    if (!fs::exists(kCommitted / name)) continue;
    EXPECT_TRUE(Bytes(output.path / name) == Bytes(kCommitted / name))
        << name << " differs: run build/bin/templategen resources/templates and commit the result";
  }
}

TEST(TemplateGen, SheetShowsEveryComposedPageTwoARow) {
  TemporaryFolder output;
  std::string error;
  fs::create_directories(output.path);
  ASSERT_TRUE(templategen::WriteSheet(output.path / "sheet.png", &error)) << error;
  templategen::RgbaImage sheet;
  ASSERT_TRUE(templategen::ReadPng(output.path / "sheet.png", &sheet, &error)) << error;
  const std::vector<templategen::TemplateDesign> all = templategen::Catalogue();
  constexpr int kGap = 8, kWidth = templategen::kCanvasWidth, kHeight = templategen::kCanvasHeight;
  const int rows = int(all.size() + 1) / 2;
  ASSERT_EQ(sheet.width, 2 * kWidth + 3 * kGap);
  ASSERT_EQ(sheet.height, rows * kHeight + (rows + 1) * kGap);
  // The fourth page sits in the second column of the second row, as composed.
  const templategen::RgbaImage page = templategen::ComposePage(all[3]);
  int different = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      different += std::memcmp(page.At(x, y), sheet.At(2 * kGap + kWidth + x, 2 * kGap + kHeight + y), 4) != 0;
  EXPECT_EQ(different, 0);
}

TEST(TemplateGen, RefusesBadCommandLinesAndReportsUnwritableFolders) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  EXPECT_EQ(RunTemplategen({}), 2);
  EXPECT_EQ(RunTemplategen({"--colour", "x"}), 2);
  EXPECT_EQ(RunTemplategen({"a", "b"}), 2);
  EXPECT_EQ(RunTemplategen({"--sheet"}), 2);
  // A file where the output folder should be, and a sheet in a folder that does not exist.
  TemporaryFolder output;
  fs::create_directories(output.path);
  std::ofstream(output.path / "blocker") << "x";
  EXPECT_EQ(RunTemplategen({(output.path / "blocker").string()}), 1);
  EXPECT_EQ(
      RunTemplategen({"--sheet", (output.path / "missing" / "sheet.png").string(), (output.path / "out").string()}), 1);
}
