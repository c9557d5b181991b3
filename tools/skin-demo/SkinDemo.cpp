// skin-demo: a sizeable skinned form of the default skin, with a child window whose scroll bars
// and size grip the skin draws. Without arguments it runs until closed; with --screenshot
// FOLDER it runs on the headless display, drives the form with synthetic input and saves what
// it shows. See README.md.

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include "platform/display/Display.h"
#include "platform/kernel/ProgramFolder.h"
#include "platform/testing/Pictures.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/ScrollBars.h"
#include "platform/user/WinUser.h"
#include "program/imaging/GPInit.h"
#include "program/skin/FSHintWindow.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/NCScrollBar.h"
#include "program/skin/SkinForm.h"
#include "program/skin/SkinModule.h"
#include "rtl/Exceptions.h"
#include "vcl/Application.h"

namespace {

namespace testing = platform::testing;

constexpr int kLines = 60;
constexpr int kLineHeight = 18;

// A scrolled list of numbered lines with both window scroll bars and a size grip.
class TDemoView : public TCustomControl {
  BRANTWELL_CLASS(TDemoView, TCustomControl)
 public:
  explicit TDemoView(TComponent* owner) : TCustomControl(owner), FBars(std::make_unique<TNCScrollBar>(this, SkinEngine)) {
    SetColor(clWhite);
    SetParentColor(false);
    FBars->SetAddSizeGrid(true);
  }
  ~TDemoView() override { FBars.reset(); }
  int TopLine() const { return FTopLine; }

 protected:
  void CreateParams(TCreateParams& params) override {
    inherited::CreateParams(params);
    params.Style |= WS_VSCROLL | WS_HSCROLL;
  }
  void CreateWnd() override {
    inherited::CreateWnd();
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = kLines - 1;
    info.nPage = 10;
    SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
    info.nMax = 99;
    info.nPage = 50;
    SetScrollInfo(Handle(), SB_HORZ, &info, TRUE);
    FBars->AttachControl(this, false);
  }
  void Paint() override {
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(ClientRect());
    canvas->Font()->SetColor(TColor(0x3A3330));
    canvas->Brush()->SetStyle(bsClear);
    for (int line = FTopLine; line < kLines; ++line) {
      const int y = 4 + (line - FTopLine) * kLineHeight;
      if (y > ClientHeight()) break;
      canvas->TextOut(8, y, "Title " + std::to_string(line + 1) + ": chapter " + std::to_string(line % 7 + 1));
    }
  }
  void Dispatch(TMessage& m) override {
    if (m.Msg != WM_VSCROLL) {
      inherited::Dispatch(m);
      return;
    }
    int line = FTopLine;
    switch (LOWORD(m.WParam)) {
      case SB_LINEUP: --line; break;
      case SB_LINEDOWN: ++line; break;
      case SB_PAGEUP: line -= 10; break;
      case SB_PAGEDOWN: line += 10; break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: line = HIWORD(m.WParam); break;
      default: break;
    }
    line = std::max(0, std::min(line, kLines - 10));
    if (line != FTopLine) {
      FTopLine = line;
      SetScrollPos(Handle(), SB_VERT, line, TRUE);
      Invalidate();
    }
  }

 private:
  // The skin draws the bars and the size grip.
  std::unique_ptr<TNCScrollBar> FBars;
  int FTopLine = 0;
};

TSkinForm* MakeDemoForm() {
  auto* form = TCustomForm::CreateNew<TSkinForm>(Application);
  form->SetCaption("Brantwell skin demo");
  form->SetBorderStyle(bsSizeable);
  form->SetBounds(120, 90, 640, 440);
  form->SetShowAnimate(false);
  // The program's main window has the task-bar button, not the hidden application window.
  form->SetTaskIcon(true);
  HideApplicationTaskButton();
  form->CloseButton()->SetHint("Close");
  form->MaxButton()->SetHint("Maximize");
  form->MinButton()->SetHint("Minimize");
  auto* view = new TDemoView(form);
  view->SetParent(form);
  view->SetBounds(16, 16, 400, 300);
  view->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
  return form;
}

bool Save(HWND window, const std::filesystem::path& path) {
  std::string error;
  if (testing::SaveWindowPng(window, path.string(), &error)) return true;
  std::fprintf(stderr, "skin-demo: cannot write %s: %s\n", path.string().c_str(), error.c_str());
  return false;
}

// The desktop around the form's top-right corner, where the hint shows.
bool SaveDesktopCrop(const RECT& crop, const std::filesystem::path& path) {
  const auto desktop = platform::display::HeadlessDesktop();
  testing::Image image;
  image.width = crop.right - crop.left;
  image.height = crop.bottom - crop.top;
  for (int y = crop.top; y < crop.bottom; ++y)
    for (int x = crop.left; x < crop.right; ++x) {
      const bool inside = x >= 0 && y >= 0 && x < desktop.width && y < desktop.height;
      image.pixels.push_back(inside ? desktop.pixels[static_cast<size_t>(y) * desktop.width + x] : 0);
    }
  std::string error;
  if (testing::SavePng(image, path.string(), &error)) return true;
  std::fprintf(stderr, "skin-demo: cannot write %s: %s\n", path.string().c_str(), error.c_str());
  return false;
}

POINT FramePoint(TSkinForm* form, int x, int y) { return testing::ScreenPoint(form->Handle(), x, y, true); }

// The hint the application shows after its pause, over the close button.
THintWindow* ShowCloseHint(TSkinForm* form) {
  const TRect close = form->CloseButton()->BoundsRect();
  const POINT centre = FramePoint(form, (close.Left + close.Right) / 2, (close.Top + close.Bottom) / 2);
  THintInfo info;
  info.HintControl = form;
  info.HintPos = TPoint(centre.x, centre.y + 20);
  info.CursorPos = form->ScreenToClientPoint(TPoint(centre.x, centre.y));
  form->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  THintWindow* hint = CreateFSHintWindow(Application);
  const TRect size = hint->CalcHintRect(300, info.HintStr);
  hint->ActivateHint(TRect(info.HintPos.X, info.HintPos.Y, info.HintPos.X + size.Right, info.HintPos.Y + size.Bottom),
                     info.HintStr);
  return hint;
}

int Screenshots(const std::filesystem::path& folder) {
  std::error_code made;
  std::filesystem::create_directories(folder, made);
  TSkinForm* form = MakeDemoForm();
  // Another window of the program, to take the activation away from the form.
  auto* other = TCustomForm::CreateNew<TForm>(Application);
  other->SetBounds(900, 600, 120, 80);
  form->Show();
  SetForegroundWindow(form->Handle());
  testing::RunUntilIdle();
  bool ok = Save(form->Handle(), folder / "active.png");

  other->Show();
  SetForegroundWindow(other->Handle());
  testing::RunUntilIdle();
  ok = Save(form->Handle(), folder / "inactive.png") && ok;
  other->Hide();
  SetForegroundWindow(form->Handle());
  testing::RunUntilIdle();

  const TRect close = form->CloseButton()->BoundsRect();
  const POINT closeCentre = FramePoint(form, (close.Left + close.Right) / 2, (close.Top + close.Bottom) / 2);
  testing::MouseMove(closeCentre);
  // The button's hover fade runs on the animator thread; wait for it to settle.
  testing::RunUntil([] { return false; }, 1000);
  ok = Save(form->Handle(), folder / "close-hot.png") && ok;

  THintWindow* hint = ShowCloseHint(form);
  testing::RunUntilIdle();
  RECT window{};
  GetWindowRect(form->Handle(), &window);
  ok = SaveDesktopCrop(RECT{window.right - 160, window.top, window.right + 100, window.top + 90}, folder / "hint.png") && ok;
  hint->ReleaseHandle();
  delete hint;
  testing::MouseMove(FramePoint(form, 300, 200));
  testing::RunUntil([] { return false; }, 1000);

  // Scroll the view: three clicks below the thumb and one on the down arrow.
  HWND view = nullptr;
  for (int i = 0; i < form->ControlCount(); ++i)
    if (auto* child = dynamic_cast<TDemoView*>(form->Controls(i))) view = child->Handle();
  if (view) {
    RECT client{};
    GetClientRect(view, &client);
    const POINT track = testing::ScreenPoint(view, client.right + GetSystemMetrics(SM_CXVSCROLL) / 2, client.bottom / 2 + 40);
    for (int i = 0; i < 3; ++i) testing::Click(track);
    testing::Click(testing::ScreenPoint(view, client.right + GetSystemMetrics(SM_CXVSCROLL) / 2, client.bottom - 4));
    testing::RunUntilIdle();
  }
  ok = Save(form->Handle(), folder / "scrolled.png") && ok;

  const TRect max = form->MaxButton()->BoundsRect();
  testing::Click(FramePoint(form, (max.Left + max.Right) / 2, (max.Top + max.Bottom) / 2));
  testing::RunUntilIdle();
  testing::MouseMove(FramePoint(form, 300, 300));
  testing::RunUntil([] { return false; }, 1000);
  ok = Save(form->Handle(), folder / "maximized.png") && ok;
  return ok ? 0 : 1;
}

int Usage(const char* problem) {
  std::fprintf(stderr, "skin-demo: %s\nusage: skin-demo [--screenshot FOLDER | --show-hint]\n", problem);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  bool showHint = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc && argv[i + 1][0]) folder = argv[++i];
    else if (std::strcmp(argv[i], "--show-hint") == 0) showHint = true;
    else return Usage((std::string("unknown argument ") + argv[i]).c_str());
  }
  if (showHint && !folder.empty()) return Usage("--show-hint runs on the display, not with --screenshot");
  std::string error;
  const bool started = folder.empty() ? platform::display::StartDisplay(&error)
                                      : platform::display::StartDisplay(platform::display::Backend::Headless, &error);
  if (!started) {
    std::fprintf(stderr, "skin-demo: no display: %s\n", error.c_str());
    return 1;
  }
  InitImaging();
  StartSkinModule();
  int result = 0;
  try {
    const std::string skin = (std::filesystem::path(platform::ProgramFolder()) / "Skin" / "Default").string();
    SkinEngine->SetSkinPath(skin);
    for (const char* file : {"Controls", "Pictures", "SkinForm"})
      if (!SkinEngine->LoadSkinFile(file)) {
        std::fprintf(stderr, "skin-demo: the skin file %s is missing from %s\n", file, skin.c_str());
        result = 1;
      }
    if (result == 0) {
      if (!folder.empty()) {
        result = Screenshots(folder);
      } else {
        TSkinForm* form = MakeDemoForm();
        Application->SetMainForm(form);
        Application->SetTitle("Brantwell skin demo");
        std::unique_ptr<THintWindow> hint;
        if (showHint) {
          form->Show();
          testing::RunUntilIdle();
          hint.reset(ShowCloseHint(form));
        }
        Application->Run();
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "skin-demo: %s\n", e.what());
    result = 1;
  }
  DoneApplication();
  StopSkinModule();
  DoneImaging();
  platform::display::StopDisplay();
  return result;
}
