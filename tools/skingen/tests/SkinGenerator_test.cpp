// The default skin as shipped must be exactly what the generator draws from its manifest, and
// the generator must lay out, write and refuse what its manifest says.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "tools/skingen/Manifest.h"
#include "tools/skingen/Png.h"
#include "tools/skingen/SkinGenerator.h"

namespace {

namespace fs = std::filesystem;

const fs::path kManifest = fs::path(BRANTWELL_SOURCE_DIR) / "tools/skingen/skin-manifest.txt";
const fs::path kShipped = fs::path(BRANTWELL_SOURCE_DIR) / "resources/Skin/Default";

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A folder of its own under the temporary folder, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_path = fs::temp_directory_path() / ("skingen-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
    fs::remove_all(m_path);
  }
  ~TempFolder() { fs::remove_all(m_path); }
  const fs::path& Path() const { return m_path; }

 private:
  fs::path m_path;
};

std::set<std::string> FileNames(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

TEST(SkinGenerator, TheShippedSkinIsWhatTheManifestDraws) {
  TempFolder folder;
  const std::vector<std::string> written = skingen::GenerateSkin(skingen::LoadManifest(kManifest.string()), folder.Path().string());
  ASSERT_EQ(FileNames(folder.Path()), FileNames(kShipped)) << "regenerate with build/bin/skingen resources/Skin/Default";
  for (const std::string& name : written) {
    SCOPED_TRACE(name);
    if (fs::path(name).extension() == ".xml" || fs::path(name).extension() == ".ini") {
      EXPECT_EQ(ReadText(folder.Path() / name), ReadText(kShipped / name));
      continue;
    }
    const skingen::RgbaImage fresh = skingen::ReadPng((folder.Path() / name).string());
    const skingen::RgbaImage shipped = skingen::ReadPng((kShipped / name).string());
    EXPECT_EQ(fresh.width, shipped.width);
    EXPECT_EQ(fresh.height, shipped.height);
    EXPECT_TRUE(fresh.pixels == shipped.pixels) << "the pixels differ";
  }
}

// Every skin file the start-up and the windows load, and every item the controls name.
TEST(SkinGenerator, TheManifestHoldsTheFilesAndItemsTheProgramLoads) {
  const skingen::Manifest manifest = skingen::LoadManifest(kManifest.string());
  std::set<std::string> files;
  for (const auto& file : manifest.files) files.insert(file.name);
  EXPECT_EQ(files, (std::set<std::string>{"Controls", "Pictures", "SkinForm", "MainForm", "VideoEditForm", "SplashForm",
                                         "UpdateMainForm", "AboutBanner", "DefaultButton", "MessageBoxForm", "FileDialogForm"}));
  for (const char* item : {"Button", "BoldBtn", "Edit", "ButtonEdit", "BrowseEdit", "SpinEdit", "CheckBox", "RadioButton",
                           "Panel", "GroupBox", "ProgressBar", "GaugeBar", "Header", "VideoTrackBar", "PlayTrackBar",
                           "TrackBar", "ComboBox", "TabControl", "ScrollBar", "SizeGrid", "GettingStart", "Information",
                           "NoteImage", "SkinForm", "MainForm", "VideoEditForm", "SplashForm", "UpdateMainForm", "AboutBanner",
                           "DefaultButton", "MessageBoxForm", "FileDialogForm"}) {
    EXPECT_NE(manifest.FindItem(item), nullptr) << item;
  }
}

constexpr const char* kSmallManifest = R"(
color ink     #102030
color paper   #FFFFFF
color faint   ink@50/paper
metric radius 4
metric stroke 1.5
metric focus-ring 2
metric disabled-opacity 45
file Things
item Knob
part 0 name=Body draw=button look=neutral size=10x8 grid=3,3,3,3 states=normal,hot font=ink fonts=ink,faint
part 1 draw=none states=none pos=1,2,3,0,0,20,10
item Copy
part 4 same=Knob:0 font=ink
)";

TEST(SkinGenerator, WritesStatesSideBySideAndSharesTheRowsOfCopies) {
  TempFolder folder;
  skingen::Manifest manifest = skingen::ParseManifest(kSmallManifest, "small");
  // The neutral button needs colours the small palette lacks: the manifest's own are used.
  for (const auto& [name, color] : skingen::LoadManifest(kManifest.string()).palette) manifest.palette.emplace(name, color);
  const auto written = skingen::GenerateSkin(manifest, folder.Path().string());
  EXPECT_EQ(written, (std::vector<std::string>{"Things.xml", "Knob.png", "SystemColors.ini"}));
  const std::string xml = ReadText(folder.Path() / "Things.xml");
  const std::string expected =
      "  <Item name=\"Knob\">\n"
      "    <Part id=\"0\" Name=\"Body\" FillMode=\"stretch\" TransparentMode=\"Alpha\">\n"
      "      <Font Color=\"$302010\"/>\n"
      "      <Graphic Name=\"Knob.png\"/>\n"
      "      <State Left=\"0\" Top=\"0\" Width=\"10\" Height=\"8\">\n"
      "        <Margins Left=\"3\" Top=\"3\" Right=\"3\" Bottom=\"3\"/>\n"
      "        <Font Color=\"$302010\"/>\n"
      "      </State>\n"
      "      <State Left=\"10\" Top=\"0\" Width=\"10\" Height=\"8\">\n"
      "        <Margins Left=\"3\" Top=\"3\" Right=\"3\" Bottom=\"3\"/>\n"
      "        <Font Color=\"$989088\"/>\n"
      "      </State>\n"
      "    </Part>\n"
      "    <Part id=\"1\">\n"
      "      <Position RelPos=\"1\" X=\"2\" Y=\"3\" X2=\"0\" Y2=\"0\" Width=\"20\" Height=\"10\"/>\n"
      "    </Part>\n"
      "  </Item>\n"
      "  <Item name=\"Copy\">\n"
      "    <Part id=\"4\" FillMode=\"stretch\" TransparentMode=\"Alpha\">\n"
      "      <Font Color=\"$302010\"/>\n"
      "      <Graphic Name=\"Knob.png\"/>\n"
      "      <State Left=\"0\" Top=\"0\" Width=\"10\" Height=\"8\">\n";
  EXPECT_NE(xml.find(expected), std::string::npos) << xml;
  const skingen::RgbaImage image = skingen::ReadPng((folder.Path() / "Knob.png").string());
  EXPECT_EQ(image.width, 20);
  EXPECT_EQ(image.height, 8);  // one row: the copy shows the same pixels
  auto pixel = [&](int x, int y) {
    const uint8_t* p = &image.pixels[(size_t(y) * image.width + x) * 4];
    return std::vector<int>{p[0], p[1], p[2], p[3]};
  };
  EXPECT_EQ(pixel(0, 0)[3], 0) << "the rounded corner stays transparent";
  EXPECT_EQ(pixel(5, 4), (std::vector<int>{255, 255, 255, 255})) << "the body is the opaque surface colour";
}

TEST(SkinGenerator, RefusesAFaultyManifestNamingTheLine) {
  const std::string head = "color ink #000000\nmetric stroke 1.5\nfile F\nitem I\n";
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"part 0 draw=glyph glyph=plus size=8x8 states=normal fonts=ink,ink", "small:5: fonts gives 2 colours for 1 states"},
      {"part 0 draw=glyph size=8xx states=normal", "small:5: height is not a whole number"},
      {"part 0 draw=glyph size=8x8 grid=1,2,3", "small:5: grid needs 4 comma-separated values"},
      {"part 0 draw=glyph size=8x8 font=paper", "small:5: no colour named \"paper\""},
      {"part 0 same=Nothing:3", "small:5: same names Nothing:3, which is not above this line"},
      {"part 0 name=X", "small:5: part 0 names no recipe"},
      {"part 0 draw=glyph states=normal", "small:5: part 0 draws images but has no size"},
      {"part 0 draw=none states=none\npart 0 draw=none states=none", "small:6: part 0 given twice in I"},
      {"part 0 draw=none fill=sideways", "small:5: unknown fill \"sideways\""},
      {"part 0 draw=button size=32x32 grid=16,8,16,8 states=normal", "small:5: grid leaves nothing of the 32x32 state to stretch"},
      {"part 0 draw=button size=34x16 grid=8,8,8,8 states=normal", "small:5: grid leaves nothing of the 34x16 state to stretch"},
      {"colour ink #000000", "small:5: unknown line \"colour\""},
      {"color bad #12345", "small:5: colour \"#12345\" is not #RRGGBB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      skingen::ParseManifest(head + c.text + "\n", "small");
      ADD_FAILURE() << "accepted";
    } catch (const skingen::ManifestError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
  }
}

TEST(SkinGenerator, AnUnknownRecipeOrGlyphFailsWithoutWritingAPicture) {
  TempFolder folder;
  for (const char* part : {"part 0 draw=sparkle size=8x8", "part 0 draw=glyph glyph=star size=8x8"}) {
    const skingen::Manifest manifest = skingen::ParseManifest(
        std::string("color text-secondary #000000\nmetric stroke 1.5\nfile F\nitem I\n") + part + "\n", "small");
    EXPECT_THROW(skingen::GenerateSkin(manifest, folder.Path().string()), skingen::ManifestError) << part;
    EXPECT_FALSE(fs::exists(folder.Path() / "I.png")) << part;
  }
}

}  // namespace
