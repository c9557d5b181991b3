// control-gallery: every skinned control in each of its looks, on a skinned form of the
// default skin. See README.md.
//   control-gallery --page NAME --out FILE.png [--no-skin] [--window-out FILE.png]
//       runs on the headless display: drives the page's controls through their states and
//       writes the sheet of labelled captures (and, with --window-out, the gallery window
//       showing the sheet).
//   control-gallery [--page NAME] [--no-skin]
//       the same on the screen; the window stays until closed.
//   control-gallery --page NAME --open-dropdown [--no-skin]
//       on the screen, the page's drop-down opened over the gallery once the sheet shows.
//   control-gallery --list
//       the names of the pages.
//   --photos DIR (with a page) shows that folder's pictures in the photo view of the "lists" page.

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include "platform/display/Display.h"
#include "platform/kernel/ProgramFolder.h"
#include "platform/testing/Synthetic.h"
#include "program/imaging/GPInit.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinForm.h"
#include "program/skin/SkinModule.h"
#include "program/skin/SkinSystemColors.h"
#include "tools/control-gallery/Gallery.h"
#include "vcl/Application.h"
#include "vcl/Bitmap.h"
#include "vcl/GraphicControl.h"

namespace {

namespace testing = platform::testing;

constexpr const char* kTitle = "Brantwell control gallery";

// The surface a section's controls go on.
class TGalleryHost : public TCustomControl {
  BRANTWELL_CLASS(TGalleryHost, TCustomControl)
 public:
  explicit TGalleryHost(TComponent* owner) : TCustomControl(owner) {
    FControlStyle.Include(csAcceptsControls);
  }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

// Shows the composed sheet, from its top-left corner.
class TSheetView : public TCustomControl {
  BRANTWELL_CLASS(TSheetView, TCustomControl)
 public:
  TSheetView(TComponent* owner, const testing::Image& sheet) : TCustomControl(owner), m_sheet(sheet) {}

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
    if (m_sheet.width == 0) return;
    const BITMAPINFO info = platform::TopDownBitmapInfo32(m_sheet.width, m_sheet.height);
    SetDIBitsToDevice(Canvas()->Handle(), 0, 0, static_cast<DWORD>(m_sheet.width), static_cast<DWORD>(m_sheet.height),
                      0, 0, 0, static_cast<UINT>(m_sheet.height), m_sheet.pixels.data(), &info, DIB_RGB_COLORS);
  }

 private:
  testing::Image m_sheet;
};

// The gallery form: right of the screen's middle, so a pointer resting there does not
// light anything up.
TSkinForm* MakeGalleryForm(const std::string& page) {
  auto* form = TCustomForm::CreateNew<TSkinForm>(Application);
  form->SetCaption(std::string(kTitle) + " - " + page);
  form->SetBorderStyle(bsSingle);
  form->SetBounds(680, 20, 580, 720);
  form->SetShowAnimate(false);
  form->SetTaskIcon(true);
  HideApplicationTaskButton();
  return form;
}

// Runs every section of the page on the form; the sections' captures, in order.
std::vector<GallerySheetSection> RunPage(TSkinForm* form, GalleryPage& page) {
  std::vector<GallerySheetSection> done;
  for (const GalleryPage::Section& section : page.Sections()) {
    auto* host = new TGalleryHost(form);
    host->SetParent(form);
    host->SetAlign(alClient);
    GallerySection running(form, host, section.title);
    testing::RunUntilIdle();
    try {
      section.builder(running);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "control-gallery: section \"%s\": %s\n", section.title.c_str(), error.what());
    }
    running.Leave();
    done.push_back({section.title, running.Shots()});
    delete host;  // and every control the section made
    testing::RunUntilIdle();
  }
  return done;
}

int Usage(const std::string& problem) {
  std::fprintf(stderr,
               "control-gallery: %s\nusage: control-gallery --page NAME --out FILE.png [--no-skin] [--window-out FILE.png]\n"
               "       control-gallery [--page NAME] [--no-skin] [--open-dropdown]\n       control-gallery --list\n"
               "       --photos DIR: that folder in the photo view of the lists page\n",
               problem.c_str());
  return 2;
}

int Run(const std::string& pageName, const std::string& out, const std::string& windowOut, bool skinned, bool openDropDown) {
  GalleryPage* page = GalleryPage::Find(pageName);
  if (!page) {
    std::string names;
    for (const std::string& name : GalleryPage::Names()) names += (names.empty() ? "" : ", ") + name;
    std::fprintf(stderr, "control-gallery: there is no page \"%s\" (pages: %s)\n", pageName.c_str(), names.c_str());
    return 2;
  }
  if (skinned) {
    const std::string skin = (std::filesystem::path(platform::ProgramFolder()) / "Skin" / "Default").string();
    SkinEngine->SetSkinPath(skin);
    for (const char* file : {"Controls", "Pictures", "SkinForm"})
      if (!SkinEngine->LoadSkinFile(file)) {
        std::fprintf(stderr, "control-gallery: the skin file %s is missing from %s\n", file, skin.c_str());
        return 1;
      }
    ApplySkinSystemColors(skin);
  }
  TSkinForm* form = MakeGalleryForm(pageName);
  form->Show();
  SetForegroundWindow(form->Handle());
  testing::RunUntilIdle();
  const std::vector<GallerySheetSection> sections = RunPage(form, *page);
  const testing::Image sheet =
      ComposeSheet(std::string(kTitle) + ": " + pageName + (skinned ? "" : " (without a skin)"), sections);

  auto* view = new TSheetView(form, sheet);
  view->SetParent(form);
  view->SetAlign(alClient);
  form->Update();
  testing::RunUntilIdle();
  int result = 0;
  std::string error;
  if (!out.empty() && !testing::SavePng(sheet, out, &error)) {
    std::fprintf(stderr, "control-gallery: cannot write %s: %s\n", out.c_str(), error.c_str());
    result = 1;
  }
  if (!windowOut.empty() && !testing::SaveWindowPng(form->Handle(), windowOut, &error)) {
    std::fprintf(stderr, "control-gallery: cannot write %s: %s\n", windowOut.c_str(), error.c_str());
    result = 1;
  }
  if (out.empty() && windowOut.empty()) {
    Application->SetMainForm(form);
    Application->SetTitle(kTitle);
    if (openDropDown) {
      // The drop-down's own loop keeps the window running; closing the drop-down leaves
      // the window as it always runs.
      testing::RunUntilIdle();
      if (!OpenGalleryDropDown(pageName, form))
        std::fprintf(stderr, "control-gallery: the page \"%s\" has no drop-down\n", pageName.c_str());
    }
    if (!Application->Terminated()) Application->Run();
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  std::string page = "buttons", out, windowOut;
  bool skinned = true, list = false, openDropDown = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool hasValue = i + 1 < argc && argv[i + 1][0] != '\0';
    if (argument == "--page" && hasValue) page = argv[++i];
    else if (argument == "--out" && hasValue) out = argv[++i];
    else if (argument == "--window-out" && hasValue) windowOut = argv[++i];
    else if (argument == "--no-skin") skinned = false;
    else if (argument == "--list") list = true;
    else if (argument == "--open-dropdown") openDropDown = true;
    else if (argument == "--photos" && hasValue) {
      const std::string folder = argv[++i];
      std::error_code error;
      if (!std::filesystem::is_directory(folder, error)) return Usage("--photos: " + folder + " is not a folder");
      SetGalleryOption("photos", folder);
    } else return Usage("unknown or incomplete argument " + argument);
  }
  if (list) {
    for (const std::string& name : GalleryPage::Names()) std::printf("%s\n", name.c_str());
    return 0;
  }
  if (out.empty() && !windowOut.empty()) return Usage("--window-out goes with --out");
  if (openDropDown && !out.empty()) return Usage("--open-dropdown runs on the screen, without --out");
  std::string error;
  const bool started = out.empty() ? platform::display::StartDisplay(&error)
                                   : platform::display::StartDisplay(platform::display::Backend::Headless, &error);
  if (!started) {
    std::fprintf(stderr, "control-gallery: no display: %s\n", error.c_str());
    return 1;
  }
  InitImaging();
  StartSkinModule();
  int result = 0;
  try {
    StartGalleryModules();
    result = Run(page, out, windowOut, skinned, openDropDown);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "control-gallery: %s\n", e.what());
    result = 1;
  }
  DoneApplication();
  StopGalleryModules();
  StopSkinModule();
  DoneImaging();
  platform::display::StopDisplay();
  return result;
}
