// The shipped default skin against everything that draws from it: loaded from the program
// folder as the start-up loads it, every manifest entry and every name the controls and
// windows use must resolve to an item, a part and the states its consumer draws; every skin
// reference of the form files must resolve; every registered skinned class must draw without
// one lookup that finds nothing; and the pictures must lie inside their images and blend as
// their straight alpha says.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "SkinTestSupport.h"
#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "program/core/FSxmldom.h"
#include "program/skin/SkinDraw.h"
#include "program/skin/SkinXml.h"
#include "rtl/FileNames.h"
#include "rtl/Strings.h"
#include "tools/skingen/Manifest.h"
#include "tools/skingen/Png.h"
#include "vcl/Form.h"
#include "vcl/GraphicControl.h"
#include "vcl/TypInfo.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kSkinFolder = fs::path(BRANTWELL_BIN_DIR) / "Skin" / "Default";
const fs::path kManifest = fs::path(BRANTWELL_SOURCE_DIR) / "tools" / "skingen" / "skin-manifest.txt";
const fs::path kForms = fs::path(BRANTWELL_SOURCE_DIR) / "resources" / "forms";

bool EndsWithSkinName(std::string name) {
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name = name.substr(dot + 1);
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  return name.size() >= 8 && name.compare(name.size() - 8, 8, "skinname") == 0;
}

// The skin module with the default skin loaded from the program folder as the start-up does:
// the folder set (which loads the controls' file), then "Controls", "Pictures" and
// "SkinForm"; window files come when a window names its item. Every diagnostic and every
// lookup that finds nothing is collected.
class DefaultSkin : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kSkinFolder / "Controls.xml")) << kSkinFolder << " holds no skin: build brantwell_resources";
    SetSkinDiagnosticHook([this](const AnsiString& line) { diagnostics.push_back(line.c_str()); });
    StartSkinModule();
    SkinEngine->SetLookupMissHook([this](const AnsiString& name, int id) {
      misses.push_back(id < 0 ? std::string(name.c_str()) : std::string(name.c_str()) + "(" + std::to_string(id) + ")");
    });
    SkinEngine->SetSkinPath(kSkinFolder.string());
    for (const char* file : {"Controls", "Pictures", "SkinForm"}) EXPECT_TRUE(SkinEngine->LoadSkinFile(file)) << file;
  }
  void TearDown() override {
    StopSkinModule();
    SetSkinDiagnosticHook(nullptr);
    EXPECT_TRUE(diagnostics.empty()) << diagnostics.front();
  }

  std::vector<std::string> diagnostics;
  std::vector<std::string> misses;
};

// What a consumer draws from a part: the states it asks for (0 .. count-1), and whether they
// are pictures (a caption part holds only fonts, a system-menu part nothing).
struct Use {
  const char* item;
  std::vector<int> parts;
  int states;
  bool pictures = true;
};

// The names the controls and windows use today, with the states they draw.
const std::vector<Use> kUses = {
    {"Button", {0}, 5},
    {"BoldBtn", {0}, 5},
    {"Edit", {0}, 5},
    {"ButtonEdit", {0, 1, 2}, 5},
    {"BrowseEdit", {0, 1, 2}, 5},
    {"SpinEdit", {0, 1, 2, 3, 4}, 5},
    {"CheckBox", {0, 1}, 5},
    {"RadioButton", {0, 1}, 5},
    {"Panel", {0}, 1},
    {"GroupBox", {0}, 1},
    {"ProgressBar", {0}, 2},
    {"GaugeBar", {0}, 0, false},
    {"Header", {0}, 5},
    {"Header", {1}, 1},
    {"VideoTrackBar", {0}, 1},
    {"VideoTrackBar", {1, 2, 3}, 5},
    {"PlayTrackBar", {0}, 1},
    {"PlayTrackBar", {1}, 5},
    {"TrackBar", {0}, 1},
    {"TrackBar", {1}, 5},
    {"ComboBox", {0, 1, 2}, 5},
    {"TabControl", {0}, 3},
    {"TabControl", {1}, 1},
    {"ScrollBar", {0, 1, 2, 4, 5, 6, 7, 8, 9, 11, 12, 13}, 5},
    {"ScrollBar", {3, 10}, 1},
    {"SizeGrid", {0, 1}, 2},
    {"GettingStart", {0}, 1},
    {"Information", {0}, 1},
    {"NoteImage", {0}, 1},
    {"SkinForm", {0}, 2},
    {"SkinForm", {1}, 2, false},
    {"SkinForm", {2}, 0, false},
    {"SkinForm", {3, 4, 5, 6}, 5},
    {"MainForm", {0}, 2},
    {"MainForm", {1}, 2, false},
    {"MainForm", {3, 4, 5, 6}, 5},
    {"MainForm", {7, 15}, 1},
    {"MainForm", {10, 14, 12, 16, 87}, 5},
    {"VideoEditForm", {0}, 2},
    {"VideoEditForm", {1}, 2, false},
    {"VideoEditForm", {3, 4, 5, 6, 9, 10, 11, 100}, 5},
    {"SplashForm", {0}, 1},
    {"MessageBoxForm", {7}, 5},
    {"MessageBoxForm", {10, 11, 12, 13}, 1},
    {"FileDialogForm", {7, 29, 30}, 5},
    {"FileDialogForm", {20, 21, 22, 23, 24, 25, 26, 27, 28}, 1},
};

void ExpectDrawnStates(TSkinItemPart* part, const std::string& where, int count, bool pictures) {
  ASSERT_GE(part->GetStateCount(), count) << where;
  for (int s = 0; s < count; ++s) {
    TSkinItemState* state = part->GetState(s);
    ASSERT_NE(state, nullptr) << where << " state " << s;
    if (!pictures) continue;
    EXPECT_FALSE(state->IsEmpty()) << where << " state " << s << " is empty";
    if (state->StateType == SkinStateType::Image) {
      EXPECT_NE(state->GetBitmap(), nullptr) << where << " state " << s << ": its image does not load";
    }
  }
}

TEST_F(DefaultSkin, EveryNameInUseResolvesToThePartsAndStatesItsConsumerDraws) {
  for (const Use& use : kUses)
    for (int id : use.parts) {
      const std::string where = std::string(use.item) + "(" + std::to_string(id) + ")";
      TSkinItemPart* part = SkinEngine->GetSkinPart(use.item, id);
      ASSERT_NE(part, nullptr) << where;
      ExpectDrawnStates(part, where, use.states, use.pictures);
    }
  // The splash picture is drawn at its own size, and the window takes it.
  EXPECT_EQ(SkinEngine->GetSkinPart("SplashForm", 0)->GetState(0)->GetRect(), TRect(0, 0, 404, 286));
  EXPECT_TRUE(misses.empty()) << misses.front();
}

TEST_F(DefaultSkin, EveryManifestEntryResolvesWithItsStatesAtTheirSize) {
  const skingen::Manifest manifest = skingen::LoadManifest(kManifest.string());
  for (const skingen::FileSpec& file : manifest.files)
    for (const skingen::ItemSpec& item : file.items) {
      TSkinItem* loaded = SkinEngine->GetSkinItem(item.name);
      ASSERT_NE(loaded, nullptr) << item.name;
      EXPECT_TRUE(SameText(ExtractFileName(loaded->SkinFile->FileName), AnsiString(file.name)) ||
                  SameText(ChangeFileExt(ExtractFileName(loaded->SkinFile->FileName), ""), AnsiString(file.name)))
          << item.name << " comes from " << loaded->SkinFile->FileName;
      EXPECT_EQ(loaded->GetPartCount(), static_cast<int>(item.parts.size())) << item.name;
      for (const skingen::PartSpec& partSpec : item.parts) {
        const std::string where = item.name + "(" + std::to_string(partSpec.id) + ")";
        TSkinItemPart* part = loaded->FindPart(partSpec.id);
        ASSERT_NE(part, nullptr) << where;
        if (!partSpec.name.empty()) {
          EXPECT_EQ(part->Name, AnsiString(partSpec.name)) << where;
        }
        EXPECT_EQ(part->GetStateCount(), static_cast<int>(partSpec.states.size())) << where;
        ExpectDrawnStates(part, where, std::min<int>(part->GetStateCount(), partSpec.states.size()), partSpec.HasImage());
        if (!partSpec.HasImage()) continue;
        for (int s = 0; s < part->GetStateCount(); ++s) {
          EXPECT_EQ(part->GetState(s)->GetWidth(), partSpec.width) << where << " state " << s;
          EXPECT_EQ(part->GetState(s)->GetHeight(), partSpec.height) << where << " state " << s;
        }
      }
    }
  EXPECT_TRUE(misses.empty()) << misses.front();
}

// Every image state's rectangle lies inside its image (the engine would empty one that does
// not, silently, so the rectangle is read before the image is).
TEST_F(DefaultSkin, EveryPictureLiesInsideItsImage) {
  for (const char* file : {"MainForm", "VideoEditForm", "SplashForm", "MessageBoxForm", "FileDialogForm"})
    ASSERT_TRUE(SkinEngine->LoadSkinFile(file));
  int checked = 0;
  for (int f = 0; f < SkinEngine->Files.Count(); ++f) {
    TSkinFile* file = SkinEngine->Files.Items(f);
    for (int i = 0; i < file->Items.Count(); ++i) {
      TSkinItem* item = file->Items.Items(i);
      for (const auto& part : item->Parts)
        for (int s = 0; s < part->GetStateCount(); ++s) {
          TSkinItemState* state = part->GetState(s);
          if (state->StateType != SkinStateType::Image || state->IsEmpty()) continue;
          const TRect declared = state->GetRect();
          TBitmap* image = state->GetBitmap();
          const std::string where =
              std::string(item->Name.c_str()) + "(" + std::to_string(part->Id) + ") state " + std::to_string(s);
          ASSERT_NE(image, nullptr) << where;
          EXPECT_TRUE(declared.Left >= 0 && declared.Top >= 0 && declared.Right <= image->Width() &&
                      declared.Bottom <= image->Height())
              << where << " lies outside its " << image->Width() << " x " << image->Height() << " image";
          ++checked;
        }
    }
  }
  EXPECT_GT(checked, 100);
}

// A state drawn at its own size over a known background gives, pixel for pixel, the picture's
// straight colours blended by its alpha: premultiplied once, by the blend, never by the loader
// as well. The states come from every path: a grid at the image's left edge and further in,
// plain pictures low in a shared image, a small glyph.
TEST_F(DefaultSkin, AlphaStatesBlendOverTheBackgroundAsTheirAlphaSays) {
  struct Case {
    const char* item;
    int part;
    int state;
  };
  const Case cases[] = {{"Button", 0, 0},   {"Button", 0, 1},    {"Button", 0, 2},
                        {"SkinForm", 3, 0}, {"SkinForm", 6, 0},  {"SkinForm", 6, 1},
                        {"CheckBox", 0, 0}, {"ScrollBar", 8, 2}, {"RadioButton", 0, 0}};
  const uint32_t background = 0x3C6E9B;
  for (const Case& c : cases) {
    const std::string where = std::string(c.item) + "(" + std::to_string(c.part) + ") state " + std::to_string(c.state);
    TSkinItemPart* part = SkinEngine->GetSkinPart(c.item, c.part);
    ASSERT_NE(part, nullptr) << where;
    ASSERT_EQ(part->TransparentMode, 2) << where;
    TSkinItemState* state = part->GetState(c.state);
    ASSERT_NE(state, nullptr) << where;
    const TRect rect = state->GetRect();
    const skingen::RgbaImage picture = skingen::ReadPng((kSkinFolder / part->Graphic.Name.c_str()).string());
    int partial = 0;

    // At its own size, and doubled where the picture has no grid (each target pixel then
    // shows one picture pixel).
    for (int scale : {1, 2}) {
      if (scale == 2 && !state->Margins.IsEmpty()) continue;
      const int width = (rect.Right - rect.Left) * scale, height = (rect.Bottom - rect.Top) * scale;
      skin_test::Surface surface(width, height, background);
      ASSERT_TRUE(state->Draw(surface.canvas(), TRect(0, 0, width, height))) << where;
      int wrong = 0;
      std::string first;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
          const int px = rect.Left + x / scale, py = rect.Top + y / scale;
          const uint8_t* p = &picture.pixels[(static_cast<size_t>(py) * picture.width + px) * 4];
          const int a = p[3];
          if (scale == 1 && a > 0 && a < 255) ++partial;
          uint32_t expected = 0;
          for (int channel = 0; channel < 3; ++channel) {
            const int under = (background >> (16 - 8 * channel)) & 0xFF;
            const int value = static_cast<int>(std::lround((p[channel] * a + under * (255 - a)) / 255.0));
            expected |= static_cast<uint32_t>(value) << (16 - 8 * channel);
          }
          const uint32_t actual = surface.Pixel(x, y);
          bool near = true;
          for (int shift : {0, 8, 16})
            near = near && std::abs(static_cast<int>((actual >> shift) & 0xFF) -
                                    static_cast<int>((expected >> shift) & 0xFF)) <= 2;
          if (!near && wrong++ == 0) {
            char text[96];
            std::snprintf(text, sizeof text, "at %d,%d: %06X, expected %06X (alpha %d)", x, y, actual, expected, a);
            first = text;
          }
        }
      EXPECT_EQ(wrong, 0) << where << " at scale " << scale << ": " << wrong << " pixels differ, first " << first;
    }
    EXPECT_GT(partial, 0) << where << " has no partly transparent pixel to check";
  }
}

// Every skin reference of a form file (any property whose name ends in "SkinName", as an
// attribute or as a value element) names an item and part of the default skin.
TEST_F(DefaultSkin, EverySkinReferenceOfTheFormFilesResolves) {
  std::vector<fs::path> forms;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(kForms, error)) {
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
    if (extension == ".xfm") forms.push_back(entry.path());
  }
  int references = 0;
  for (const fs::path& form : forms) {
    IXMLDocumentPtr document = LoadXMLFile(UTF8ToWide(AnsiString(form.string())));
    ASSERT_TRUE(document && document->GetDocumentElement()) << form << " does not read";
    std::vector<std::pair<std::string, std::string>> found;  // property, value
    std::function<void(const IXMLNodePtr&)> walk = [&](const IXMLNodePtr& element) {
      if (IXMLNamedNodeMapPtr attributes = element->GetAttributes())
        for (int i = 0; i < attributes->GetCount(); ++i) {
          IXMLNodePtr attribute = attributes->GetItem(i);
          const AnsiString name = skin::NodeName(attribute);
          if (EndsWithSkinName(name.c_str()))
            found.emplace_back(name.c_str(), skin::Attr(element, std::string_view(name)).c_str());
        }
      skin::ForEachElement(element, [&](const IXMLNodePtr& child) {
        const AnsiString name = skin::NodeName(child);
        if (EndsWithSkinName(name.c_str()) && !skin::HasAttr(child, "ClassName"))
          found.emplace_back(name.c_str(), skin::Text(child).c_str());
        walk(child);
      });
    };
    walk(document->GetDocumentElement());
    for (const auto& [property, value] : found) {
      if (value.empty()) continue;
      ++references;
      AnsiString name;
      int id = 0;
      ASSERT_TRUE(TFSSkinEngine::ParseSkinName(value, name, id)) << form << ": " << property << "=\"" << value << "\"";
      EXPECT_NE(SkinEngine->GetSkinPart(name, id), nullptr)
          << form.filename() << ": " << property << "=\"" << value << "\" names no part of the default skin";
    }
  }
  RecordProperty("references", references);
  EXPECT_TRUE(misses.empty()) << misses.front();
}

// ---- registered skinned classes ------------------------------------------------------------

std::vector<const TPropInfo*> SkinNameProperties(TClass cls) {
  std::vector<const TPropInfo*> found;
  for (const TPropInfo* prop : GetPropList(cls))
    if (EndsWithSkinName(prop->Name.c_str()) && (prop->Kind() == tkLString || prop->Kind() == tkWString))
      found.push_back(prop);
  return found;
}

bool IsSkinnedFormClass(TClass cls) {
  if (!cls->InheritsFrom(TCustomForm::StaticClass())) return false;
  for (TClass c = cls; c; c = c->Parent)
    if (SameText(c->Name, "TSkinForm")) return true;
  return !SkinNameProperties(cls).empty();
}

// A control that draws the part its published SkinName names ("Name(Id)"), as skinned
// controls do; registered only by the test that checks the sweep below.
class TSkinProbe : public TGraphicControl {
  BRANTWELL_CLASS(TSkinProbe, TGraphicControl)

 public:
  explicit TSkinProbe(TComponent* owner) : TGraphicControl(owner), FSkinName(DefaultSkinName) {}
  static void DescribeClass(TClassBuilder<TSkinProbe>& c) { c.Property("SkinName", &TSkinProbe::FSkinName); }
  static inline AnsiString DefaultSkinName = "Button";
  AnsiString FSkinName;

 protected:
  void Paint() override {
    AnsiString name;
    int id = 0;
    if (!TFSSkinEngine::ParseSkinName(FSkinName, name, id)) return;
    if (TSkinItemPart* part = SkinEngine->GetSkinPart(name, id))
      if (TSkinItemState* state = part->GetStateFor(Enabled(), false, false)) state->Draw(Canvas(), ClientRect());
  }
};

// Every registered control class that publishes a skin reference, and every registered
// skinned form class, is made on the headless display, shown, hovered, pressed, released and
// disabled by synthetic input with the lookup-miss hook on. The classes come from the class
// registry, so every class registered later is covered too. The lookups that found nothing,
// by class name (a class appears even when it had none).
std::map<std::string, std::vector<std::string>> SweepSkinnedClasses(std::vector<std::string>& misses) {
  std::vector<TClass> controls, forms;
  ForEachRegisteredClass(TControl::StaticClass(), [&](TClass cls) {
    if (IsSkinnedFormClass(cls))
      forms.push_back(cls);
    else if (!cls->InheritsFrom(TCustomForm::StaticClass()) && !SkinNameProperties(cls).empty() && cls->CreateOwned)
      controls.push_back(cls);
  });

  auto exercise = [&](TControl* control, HWND window, const TRect& bounds) {
    Application->ProcessMessages();
    const POINT centre =
        platform::testing::ScreenPoint(window, (bounds.Left + bounds.Right) / 2, (bounds.Top + bounds.Bottom) / 2);
    platform::testing::MouseMove(centre);
    platform::testing::RunUntilIdle();
    platform::testing::MouseDown(centre);
    platform::testing::RunUntilIdle();
    platform::testing::MouseUp(centre);
    platform::testing::RunUntilIdle();
    control->SetEnabled(false);
    control->Repaint();
    platform::testing::MouseMove(platform::testing::ScreenPoint(window, 1, 1));
    platform::testing::RunUntilIdle();
  };

  std::map<std::string, std::vector<std::string>> found;
  for (TClass cls : controls) {
    misses.clear();
    TForm* host = TCustomForm::CreateNew<TForm>(Application);
    host->SetBorderStyle(bsNone);
    host->SetBounds(40, 40, 320, 200);
    auto* control = dynamic_cast<TControl*>(CreateComponent(cls, host));
    if (control) {
      control->SetParent(host);
      control->SetBounds(20, 20, 160, 60);
      host->Show();
      exercise(control, host->Handle(), control->BoundsRect());
    } else {
      misses.push_back("(not a control)");
    }
    found[cls->Name.c_str()] = misses;
    delete host;
    Application->ProcessMessages();
  }
  for (TClass cls : forms) {
    misses.clear();
    if (auto* form = dynamic_cast<TCustomForm*>(CreateComponent(cls, Application))) {
      form->Show();
      exercise(form, form->Handle(), form->ClientRect());
      delete form;
    } else {
      misses.push_back("(not a form)");
    }
    found[cls->Name.c_str()] = misses;
    Application->ProcessMessages();
  }
  DoneApplication();
  return found;
}

TEST_F(DefaultSkin, EveryRegisteredSkinnedClassDrawsWithoutAMiss) {
  platform::testing::Watchdog watchdog(120s);
  const auto found = SweepSkinnedClasses(misses);
  RecordProperty("classes", static_cast<int>(found.size()));
  for (const auto& [name, looked] : found)
    EXPECT_TRUE(looked.empty()) << name << " looked up " << looked.front() << ", which the default skin lacks";
}

// The sweep finds a registered class by its published reference and hears of its miss.
TEST_F(DefaultSkin, TheSweepHearsOfARegisteredClassThatNamesAMissingPart) {
  platform::testing::Watchdog watchdog(60s);
  RegisterClass(TSkinProbe::StaticClass());
  struct Unregister {
    ~Unregister() {
      UnRegisterClass(TSkinProbe::StaticClass());
      TSkinProbe::DefaultSkinName = "Button";
    }
  } unregister;
  const auto sound = SweepSkinnedClasses(misses);
  ASSERT_EQ(sound.count("TSkinProbe"), 1u);
  EXPECT_TRUE(sound.at("TSkinProbe").empty()) << sound.at("TSkinProbe").front();

  TSkinProbe::DefaultSkinName = "Button(9)";
  const auto faulty = SweepSkinnedClasses(misses);
  ASSERT_EQ(faulty.count("TSkinProbe"), 1u);
  EXPECT_NE(std::find(faulty.at("TSkinProbe").begin(), faulty.at("TSkinProbe").end(), "Button(9)"),
            faulty.at("TSkinProbe").end());
}

}  // namespace
