// small-windows: pictures of the program's small windows on the headless display.
//   small-windows --out DIR
// writes one PNG per window into DIR (made when missing): the splash, the wait overlay, the
// error list, the properties of a file, the about box, a question in the message box, and
// the file dialog choosing a folder, opening files and saving one, and the font dialog. A window that shows the classic
// frame's colours (the skin did not reach it) fails the run.
//
// A picture is one entry of kPictures: its name and how its window is shown.

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "engines/QM_Language/QM_Language.h"
#include "platform/display/Display.h"
#include "platform/kernel/ProgramFolder.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/WinUser.h"
#include "program/app/About.h"
#include "program/app/SelectDirectory.h"
#include "program/app/dialogs/DialogPresenters.h"
#include "program/app/ErrorInfo.h"
#include "program/app/OptionForm.h"
#include "program/app/Process.h"
#include "program/app/Properties.h"
#include "program/app/ResetPathForm.h"
#include "program/app/Splash.h"
#include "program/core/Config.h"
#include "program/core/FSXMLPersistent.h"
#include "program/imaging/GPInit.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinModule.h"
#include "program/skin/SkinSystemColors.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"
#include "vcl/Dialogs.h"

namespace {

namespace fs = std::filesystem;
using platform::testing::RunUntilIdle;

// Takes the picture of a window that is up.
using Shoot = std::function<void(HWND window)>;

struct Picture {
  const char* name;
  // Makes and shows the window, calls shoot once it is up, and closes it again.
  std::function<void(const Shoot& shoot)> show;
};

// A window shown without a loop of its own: shown, painted, shot and freed.
void ShootModeless(TCustomForm* form, const Shoot& shoot) {
  std::unique_ptr<TCustomForm> owned(form);
  form->Show();
  form->Update();
  RunUntilIdle();
  shoot(form->Handle());
}

// A window that runs its own modal loop in `run`: once a new window is in front, it is shot
// and answered with Esc.
void ShootModal(const std::function<void()>& run, const Shoot& shoot) {
  static const Shoot* current = nullptr;
  static HWND before = nullptr;
  current = &shoot;
  before = GetForegroundWindow();
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    const HWND front = GetForegroundWindow();
    if (!current || !front || front == before) return;
    KillTimer(nullptr, id);
    RunUntilIdle();
    (*current)(front);
    current = nullptr;
    platform::testing::KeyPress(VK_ESCAPE);
  });
  run();
  KillTimer(nullptr, timer);
  current = nullptr;
}

// Values stored scrambled with the key "Z": a multiple of ten moves no byte, so the
// scrambling is a plain exclusive-or.
std::string ScrambledWithZ(const std::string& plain) {
  const uint8_t last = static_cast<uint8_t>((static_cast<int>(plain.size()) - 1) ^ 'Z');
  std::string hex;
  auto put = [&](uint8_t b) {
    hex += "0123456789ABCDEF"[b >> 4];
    hex += "0123456789ABCDEF"[b & 15];
  };
  for (char c : plain) put(static_cast<uint8_t>(c ^ 'Z' ^ last));
  put(last);
  return hex;
}

// The folder the file dialogs show: a few videos and a folder.
fs::path SampleFolder() {
  static const fs::path folder = [] {
    const fs::path f = fs::temp_directory_path() / ("small-windows-videos-" + std::to_string(getpid())) / "Videos";
    fs::create_directories(f / "Archive");
    for (const char* name : {"Holiday 2024.mts", "Birthday.mp4", "Wedding.avi", "Menu background.png"})
      if (std::FILE* file = std::fopen((f / name).c_str(), "w")) std::fclose(file);
    return f;
  }();
  return folder;
}

const Picture kPictures[] = {
    {"splash",
     [](const Shoot& shoot) {
       ShowSplash();
       RunUntilIdle();
       shoot(Splash->Handle());
       CloseSplash();
     }},
    {"wait",
     [](const Shoot& shoot) {
       ProcessForm = TProcessForm::CreateInfo(nullptr, "Loading files, please wait...");
       ShootModeless(ProcessForm, shoot);
     }},
    {"errors",
     [](const Shoot& shoot) {
       TStringList files;
       for (const char* name : {"/home/user/Videos/Holiday 2024.mts", "/home/user/Videos/broken clip.avi",
                                "/media/camera/DCIM/100MEDIA/MOV_0042.mov"})
         files.Add(name);
       std::unique_ptr<TErrorInfoForm> form(
           TErrorInfoForm::CreateList(&files, "These files could not be added to the title:"));
       ShootModal([&] { form->ShowModal(); }, shoot);
     }},
    {"properties",
     [](const Shoot& shoot) {
       TAudioInfo audio{48000, 2, 16, 192000, 300.0, 0, 0};
       TVideoInfo video{720, 576, 25.0, 7500, 16, 9, 0, 24, 0};
       ShootModeless(TPropertiesForm::CreateInfo(nullptr, audio, video, u"/home/user/Videos/Holiday 2024.mts"), shoot);
     }},
    {"about",
     [](const Shoot& shoot) {
       ShootModeless(TAboutForm::CreateAbout(nullptr), shoot);
     }},
    {"options",
     [](const Shoot& shoot) { ShootModal([] { ShowOptions(nullptr); }, shoot); }},
    {"reset-path",
     [](const Shoot& shoot) {
       // Both places short for an ISO image: 4500 MB in the temporary folder, 2250 MB at the image.
       WideString isoFile;
       ShootModal([&] { ShowResetPath(nullptr, 258, 4500, 2250, isoFile); }, shoot);
     }},
    {"message-question",
     [](const Shoot& shoot) {
       ShootModal([] { MessageBoxW(nullptr, u"The project has changed. Do you want to save it?", u"Brantwell",
                                   MB_YESNOCANCEL | MB_ICONQUESTION); },
                  shoot);
     }},
    {"folder",
     [](const Shoot& shoot) {
       WideString folder = UTF8ToWide(SampleFolder().string());
       ShootModal([&] { SelectDirectory(nullptr, "Select a folder", u"", TSelectDirExtOpts{sdNewFolder, sdShowEdit, sdNewUI}, folder); },
                  shoot);
     }},
    {"open",
     [](const Shoot& shoot) {
       TOpenDialog dialog(nullptr);
       dialog.SetFilter("Video Files|*.mts;*.mp4;*.avi|All Files|*.*");
       dialog.SetInitialDir(SampleFolder().string());
       dialog.SetOptions(TOpenOptions{ofHideReadOnly, ofNoChangeDir, ofAllowMultiSelect, ofFileMustExist, ofEnableSizing});
       ShootModal([&] { dialog.Execute(); }, shoot);
     }},
    {"save",
     [](const Shoot& shoot) {
       TSaveDialog dialog(nullptr);
       dialog.SetFilter("ISO File(*.iso)|*.iso");
       dialog.SetDefaultExt("iso");
       dialog.SetFileName((SampleFolder() / "2024-06-01-143005.iso").string());
       dialog.SetOptions(TOpenOptions{ofOverwritePrompt, ofNoChangeDir});
       ShootModal([&] { dialog.Execute(); }, shoot);
     }},
    {"font",
     [](const Shoot& shoot) {
       TFontDialog dialog(nullptr);
       dialog.Font()->SetName("DejaVu Sans");
       dialog.Font()->SetSize(16);
       dialog.Font()->SetStyle(TFontStyles{fsBold});
       dialog.Font()->SetColor(static_cast<TColor>(RGB(0, 0, 128)));
       ShootModal([&] { dialog.Execute(); }, shoot);
     }},
};

// Exact pixels of the classic frame: caption blue, its gradient, the 3D face.
bool ShowsClassicFrame(const platform::testing::Image& image, std::string& found) {
  const std::pair<uint32_t, const char*> classic[] = {
      {0x0A246A, "the classic caption"}, {0xA6CAF0, "the classic caption gradient"}, {0xD4D0C8, "the classic face"}};
  for (const auto& [colour, name] : classic) {
    size_t count = 0;
    for (uint32_t pixel : image.pixels) count += (pixel & 0xFFFFFF) == colour;
    // A few pixels may match by chance in smoothed text; a frame or a face is many.
    if (count * 200 > image.pixels.size()) {
      found = std::string(name) + " (" + std::to_string(count) + " pixels)";
      return true;
    }
  }
  return false;
}

int Usage(const std::string& message) {
  std::fprintf(stderr, "small-windows: %s\nusage: small-windows --out DIR\n", message.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--out" && i + 1 < argc) out = argv[++i];
    else return Usage("unknown or incomplete argument " + argument);
  }
  if (out.empty()) return Usage("--out is required");
  std::error_code made;
  fs::create_directories(out, made);
  if (made) return Usage("cannot make " + out + ": " + made.message());

  std::string error;
  if (!platform::display::StartDisplay(platform::display::Backend::Headless, &error)) {
    std::fprintf(stderr, "small-windows: no display: %s\n", error.c_str());
    return 1;
  }
  // Settings of its own, with the addresses the about box shows.
  const fs::path settings = fs::temp_directory_path() / ("small-windows-" + std::to_string(getpid()) + ".ini");
  AppConfig.Create(UTF8ToWide(settings.string()), u"System");
  AppConfig.WriteStringA("System", "CodeKey2", "Z");
  AppConfig.WriteStringA("HTTP", "SupportPage", ScrambledWithZ("https://www.example.com/brantwell/support"));
  AppConfig.WriteStringA("HTTP", "HomePage", ScrambledWithZ("https://www.example.com/brantwell/"));
  // The places the options and the reset path show.
  AppConfig.WriteStringA("System", "name", "Brantwell");
  AppConfig.WriteStringA("System", "TempPath", "/home/user/.cache/BrantwellTemp/");
  AppConfig.WriteStringA("System", "SnapshotPath", "/home/user/Documents/Brantwell/Snapshot");
  AppConfig.WriteStringA("System", "SnapshotFormat", "JPG");
  AppConfig.WriteStringA("System", "UpdatePeriod", "7");
  AppConfig.WriteStringA("System", "ISOOutPath", "/home/user/Documents/Brantwell/ISO");

  const fs::path skin = fs::path(platform::ProgramFolder()) / "Skin" / "Default";
  InitImaging();
  StartSkinModule();
  SkinEngine->SetSkinPath(skin.string());
  ApplySkinSystemColors(skin.string());
  RegisterXMLFormReader();
  InstallDialogPresenters();
  MLInit(u"Languages/*.dat");
  MLLoadLanguageResByName(u"EngLish");

  std::error_code ignored;
  int result = 0;
  for (const Picture& picture : kPictures) {
    const std::string path = (fs::path(out) / (std::string(picture.name) + ".png")).string();
    bool shot = false;
    try {
      picture.show([&](HWND window) {
        shot = true;
        std::string why;
        if (!platform::testing::SaveWindowPng(window, path, &why)) {
          std::fprintf(stderr, "small-windows: %s: %s\n", path.c_str(), why.c_str());
          result = 1;
          return;
        }
        if (ShowsClassicFrame(platform::testing::ReadWindow(window, true), why)) {
          std::fprintf(stderr, "small-windows: %s shows %s\n", picture.name, why.c_str());
          result = 1;
        }
      });
    } catch (const std::exception& e) {
      std::fprintf(stderr, "small-windows: %s: %s\n", picture.name, e.what());
      result = 1;
    }
    RunUntilIdle();
    if (!shot) {
      std::fprintf(stderr, "small-windows: %s: the window never came up\n", picture.name);
      result = 1;
    } else {
      std::printf("small-windows: wrote %s\n", path.c_str());
    }
  }
  UninstallDialogPresenters();
  DoneApplication();
  StopSkinModule();
  fs::remove_all(SampleFolder().parent_path(), ignored);
  MLClose();
  fs::remove(settings, ignored);
  return result;
}
