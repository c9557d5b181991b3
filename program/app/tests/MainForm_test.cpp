// The main window on the headless display, made by the real start-up against the real engines
// in a program folder, home and runtime folder of the test's own: what its creation makes, the
// deferred start-up, page switching, the keys, the close with its question, the engines' order
// of release, its texts, and the form file's coverage (every component a field, no visible
// control outside its parent or over a visible sibling, at the design size and the smallest).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engines/QM_Timeline/TimelineApi.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/Monitors.h"
#include "platform/user/WinUser.h"
#include "program/app/MainForm.h"
#include "program/app/Process.h"
#include "program/app/Splash.h"
#include "program/app/dialogs/MessageBoxForm.h"
#include "program/app/Startup.h"
#include "program/controls/FSPhotoView.h"
#include "program/core/Config.h"
#include "program/engine/LanguageEngine.h"
#include "program/app/tests/ScratchProgramTest.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"
#include "vcl/Screen.h"

namespace {

namespace fs = std::filesystem;
using app_test::ReadFile;
using app_test::ScopedEnv;
using platform::testing::RunUntil;
using platform::testing::RunUntilIdle;

// The visible skinned message box, or null.
HWND MessageBoxWindow() {
  HWND box = FindWindowW(u"#32770", nullptr);
  return box && IsWindowVisible(box) ? box : nullptr;
}

class MainWindow : public app_test::ScratchProgramTest {
 protected:
  void SetUp() override {
    ScratchProgramTest::SetUp();
    MakeProgramFolder();
  }

  // The real start-up; `shown` runs once the main window has shown and finished its deferred
  // start-up. The window is closed afterwards unless `shown` closed it.
  int Run(const std::function<void(TMainForm*)>& shown) {
    TStartupSeams seams;
    seams.ProgramFileName = "brantwell";
    seams.MainFormShown = [shown](TCustomForm* form) {
      auto* main = dynamic_cast<TMainForm*>(form);
      ASSERT_NE(main, nullptr);
      shown(main);
      if (MainForm == main && !main->Closing()) {
        MainFormCanClose = true;
        main->Close();
      }
    };
    return RunBrantwell(seams);
  }
  std::string Settings() const { return ReadFile(SettingsFile()); }
};

// Appends a clip of `seconds` to the first title through the timeline engine.
void AddClip(TMainForm* form, double seconds) {
  const EngineHandle doc = GetTimelineDoc(form->Timelines().at(0));
  const EngineHandle track = TDGetTrack(doc, 1, 0);
  const EngineHandle clip = TCCreate(kTimelineVideoClip);
  TCSetPhysicalBegin(clip, 0.0);
  TCSetPhysicalLength(clip, seconds);
  TTInsertClipIndex(track, clip, -1);
}

// Presses `keys` in the next message box that shows; records that one showed. The box's focus
// starts on its first button (Yes): Enter takes it, the arrows move along.
struct BoxAnswer {
  static inline std::vector<WORD> keys;
  static inline int shown = 0;
  static inline std::function<void()> whileShown;
  static void Arm(std::vector<WORD> answerKeys, std::function<void()> during = {}) {
    keys = std::move(answerKeys);
    shown = 0;
    whileShown = std::move(during);
    SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
      if (!MessageBoxWindow()) return;
      KillTimer(nullptr, id);
      ++shown;
      if (whileShown) whileShown();
      for (WORD key : keys) platform::testing::KeyPress(key);
    });
  }
};

TEST_F(MainWindow, CreationMakesTheEnginesTheFirstTitleAndTheDefaultSettings) {
  ASSERT_EQ(Run([](TMainForm* form) {
              EXPECT_EQ(Splash, nullptr);
              EXPECT_NE(form->VideoLibrary(), nullptr);
              EXPECT_NE(form->MenuModel(), nullptr);
              EXPECT_NE(form->VideoPlayer(), nullptr);
              EXPECT_NE(form->TaskMgr(), nullptr);
              ASSERT_EQ(form->Timelines().size(), 1u);
              EXPECT_EQ(form->Timeline(), form->Timelines()[0]);
              EXPECT_EQ(form->edtLV->Text(), "My DVD");
              EXPECT_EQ(form->btnFullScreen->Tag(), 1);
              EXPECT_EQ(form->btnMenuPlay->Tag(), 2);
              EXPECT_EQ(form->Caption(), "Zelvantic Brantwell");
              // The deferred start-up's storyboard: the disc with its first title selected.
              TTreeNodes* nodes = form->tvStoryBoard->Items();
              ASSERT_EQ(nodes->Count(), 2);
              EXPECT_EQ(nodes->Item(0)->Text(), "DVD-Video");
              EXPECT_EQ(nodes->Item(1)->Text(), "Titleset1");
              EXPECT_EQ(nodes->Item(1)->ImageIndex(), 1);
              EXPECT_EQ(form->tvStoryBoard->Selected(), nodes->Item(1));
              EXPECT_TRUE(form->CloseButton()->Enabled());
              // An empty disc: 0 minutes of 122 (4700 MB at the lowest rate), an empty gauge.
              EXPECT_EQ(form->lblTimerInfo->Caption(), u"0/122 " + LanguageText(u"LBL_Time_Tag"));
              EXPECT_EQ(form->gbDVDVolume->Position(), 0);
            }),
            0);
  const std::string settings = Settings();
  EXPECT_NE(settings.find("UpdatePeriod=7"), std::string::npos) << settings;
  const fs::path iso = m_home / "Documents" / "Brantwell" / "ISO";
  EXPECT_NE(settings.find("ISOOutPath=" + iso.string()), std::string::npos) << settings;
  EXPECT_TRUE(fs::is_directory(iso));
}

TEST_F(MainWindow, PagesShowTheirPanelAndMarkTheirButton) {
  ASSERT_EQ(Run([](TMainForm* form) {
              struct Case {
                uint8_t page;
                TFSPanel* panel;
                TFSButton* button;
              };
              const Case cases[] = {{kPageEdit, form->pnlEditView, form->btnEdit},
                                    {kPageEffect, form->pnlEditView, form->btnEffect},
                                    {kPageMenu, form->pnlMenuView, form->btnMenu},
                                    {kPageBurn, form->pnlBurnerView, form->btnBurn},
                                    {kPagePreview, form->pnlPreview, form->btnPreview}};
              form->btnEdit->SetFocus();
              for (const Case& c : cases) {
                form->ShowPage(c.page, true);
                // The step bar's focus follows the current page: no resting button keeps it.
                EXPECT_TRUE(c.button->Focused()) << int(c.page);
                EXPECT_EQ(form->Page(), c.page);
                for (TFSPanel* panel : {form->pnlEditView, form->pnlMenuView, form->pnlBurnerView, form->pnlPreview})
                  EXPECT_EQ(panel->Visible(), panel == c.panel) << int(c.page) << " " << panel->Name();
                for (TFSButton* button : {form->btnEdit, form->btnEffect, form->btnMenu, form->btnBurn, form->btnPreview})
                  EXPECT_EQ(button->SkinName(), button == c.button ? "MainForm(14)" : "MainForm(10)")
                      << int(c.page) << " " << button->Name();
              }
              EXPECT_EQ(form->cbExplorer->ItemIndex(), 1);
              // The preview page becomes the current one even without activation.
              form->ShowPage(kPageEdit, true);
              form->ShowPage(kPagePreview, false);
              EXPECT_EQ(form->Page(), kPagePreview);
              form->ShowPage(kPageMenu, false);
              EXPECT_EQ(form->Page(), kPagePreview);
            }),
            0);
}

TEST_F(MainWindow, EnterIsSwallowedAndEscLeavesFullScreen) {
  ASSERT_EQ(Run([](TMainForm* form) {
              struct Case {
                WPARAM key;
                HWND target;
                bool handled;
              };
              // Enter meant for another window (a dialog's default answer) is let through.
              const Case cases[] = {{VK_RETURN, form->Handle(), true},
                                    {VK_RETURN, form->btnEdit->Handle(), true},
                                    {VK_RETURN, Application->Handle(), false},
                                    {VK_ESCAPE, form->Handle(), false},
                                    {'A', form->Handle(), false}};
              for (const Case c : cases) {
                MSG msg{};
                msg.message = WM_KEYDOWN;
                msg.hwnd = c.target;
                msg.wParam = c.key;
                bool handled = false;
                form->SetFullScreen(true);
                form->AppMessage(msg, handled);
                EXPECT_EQ(handled, c.handled) << c.key;
                EXPECT_EQ(form->FullScreen(), c.key != VK_ESCAPE) << c.key;
              }
              // A key up is not looked at.
              MSG up{};
              up.message = WM_KEYUP;
              up.wParam = VK_RETURN;
              bool handled = false;
              form->AppMessage(up, handled);
              EXPECT_FALSE(handled);
            }),
            0);
}

TEST_F(MainWindow, AnyResizeSnapsBackToTheFittedSize) {
  ASSERT_EQ(Run([](TMainForm* form) {
              const int width = form->Width(), height = form->Height();
              EXPECT_EQ(width, 1280);
              EXPECT_EQ(height, 800);
              form->SetBounds(form->Left(), form->Top(), 900, 600);
              platform::testing::UseManualClock(true);
              platform::testing::AdvanceClock(200);
              RunUntilIdle();
              platform::testing::UseManualClock(false);
              EXPECT_EQ(form->Width(), width);
              EXPECT_EQ(form->Height(), height);
            }),
            0);
}

TEST_F(MainWindow, TheWaitOverlayBelongsToItsCaller) {
  ASSERT_EQ(Run([](TMainForm* form) {
              std::unique_ptr<TProcessForm> overlay(TProcessForm::CreateInfo(form->Handle(), "Working..."));
              ProcessForm = overlay.get();
              SendMessageW(form->Handle(), WM_CLOSE_WAITFORM, 0, 0);
              EXPECT_EQ(ProcessForm, overlay.get());
              overlay.reset();
              EXPECT_EQ(ProcessForm, nullptr);
            }),
            0);
}

TEST_F(MainWindow, QualityItemsFollowTheirRatesAndALanguageSwitchKeepsTheExplorerPage) {
  ASSERT_EQ(Run([](TMainForm* form) {
              ASSERT_EQ(form->cbVideoquality->Items()->Count(), 3);
              EXPECT_EQ(form->cbVideoquality->Items()->Strings(0), WideToUTF8(LanguageText(u"GB_Videoquality_Low")));
              EXPECT_EQ(form->cbVideoquality->Items()->Strings(2),
                        WideToUTF8(LanguageText(u"GB_Videoquality_Highest")));
              form->cbVideoquality->SetItemIndex(2);
              form->cbExplorer->SetItemIndex(1);
              form->cbExplorerChange(form->cbExplorer);
              EXPECT_EQ(form->cbExplorer->Tag(), 1);

              // The Language menu lists the shipped language by its display name, checked.
              ASSERT_EQ(form->miLanguage->Count(), 1);
              TMenuItem* english = form->miLanguage->Items(0);
              EXPECT_EQ(english->Caption(), "English(&E)");
              EXPECT_TRUE(english->Checked());
              form->acChangeLanguageExecute(english);
              EXPECT_EQ(AppConfig.ReadStringA("System", "DefLanguage", ""), "English");
              EXPECT_EQ(form->cbExplorer->ItemIndex(), 1);
              EXPECT_EQ(form->cbVideoquality->ItemIndex(), 2);
              EXPECT_EQ(form->miLanguage->Count(), 1);
              EXPECT_TRUE(form->miLanguage->Items(0)->Checked());
              // Not a menu item: nothing happens.
              form->acChangeLanguageExecute(form);
            }),
            0);
}

TEST_F(MainWindow, HelpOpensTheUserGuideOrNamesTheMissingFile) {
  // A stand-in desktop handler first on PATH appends each document it is given to a file.
  const fs::path bin = m_root / "bin", opened = m_root / "opened";
  fs::create_directories(bin);
  {
    std::ofstream script(bin / "xdg-open");
    script << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << opened.string() << "'\n";
  }
  fs::permissions(bin / "xdg-open", fs::perms::owner_all);
  ScopedEnv path("PATH", bin.string() + ":" + std::getenv("PATH"));
  const fs::path guide = m_program / "User Guide.html";
  ASSERT_TRUE(fs::exists(guide));
  ASSERT_EQ(Run([&](TMainForm* form) {
              const std::pair<const char*, std::function<void()>> ways[] = {
                  {"F1", [form] {
                     MSG msg{};
                     msg.message = WM_KEYDOWN;
                     msg.hwnd = form->Handle();
                     msg.wParam = VK_F1;
                     bool handled = false;
                     form->AppMessage(msg, handled);
                   }},
                  {"help button", [form] { form->btnHelpClick(form); }},
                  {"contents item", [form] { form->miContentClick(form->miContent); }},
              };
              int count = 0;
              for (const auto& [name, open] : ways) {
                BoxAnswer::Arm({VK_RETURN});
                open();
                ++count;
                EXPECT_TRUE(RunUntil([&] {
                  std::istringstream lines(ReadFile(opened));
                  int n = 0;
                  for (std::string line; std::getline(lines, line);) n += line == guide.string();
                  return n == count;
                }, 5000)) << name << ": " << ReadFile(opened);
                EXPECT_EQ(BoxAnswer::shown, 0) << name;
              }
              // Without the guide, a message names the file and nothing is started.
              fs::remove(guide);
              std::string text;
              BoxAnswer::Arm({VK_RETURN}, [&text] {
                if (auto* box = dynamic_cast<TMessageBoxForm*>(Screen->ActiveForm())) text = box->lblText->Caption();
              });
              form->btnHelpClick(form);
              EXPECT_EQ(BoxAnswer::shown, 1);
              EXPECT_NE(text.find(guide.string()), std::string::npos) << text;
              RunUntilIdle();
              const std::string after = ReadFile(opened);
              EXPECT_EQ(std::count(after.begin(), after.end(), '\n'), count);
            }),
            0);
}

TEST_F(MainWindow, TheUpdateItemRaisesAnOpenLiveUpdateWindow) {
  ASSERT_EQ(Run([](TMainForm* form) {
              // An update window already open (here a minimised stand-in of its class and title)
              // is restored and brought forward.
              WNDCLASSW wc{};
              wc.lpfnWndProc = DefWindowProcW;
              wc.lpszClassName = u"TUpdateMainForm";
              RegisterClassW(&wc);
              const HWND open = CreateWindowExW(0, u"TUpdateMainForm", u"Live Update", WS_OVERLAPPEDWINDOW, 10, 10,
                                                300, 200, nullptr, nullptr, nullptr, nullptr);
              ASSERT_NE(open, nullptr);
              ShowWindow(open, SW_MINIMIZE);
              RunUntilIdle();
              ASSERT_TRUE(IsIconic(open));
              form->miUpdateClick(form->miUpdate);
              RunUntilIdle();
              EXPECT_FALSE(IsIconic(open));
              EXPECT_TRUE(IsWindowVisible(open));
              EXPECT_EQ(GetForegroundWindow(), open);
              DestroyWindow(open);
            }),
            0);
}

TEST_F(MainWindow, APressOnTheClientAreaMovesTheWindow) {
  ASSERT_EQ(Run([](TMainForm* form) {
              // The form's OnMouseDown (bound in its form file to presses on its own client area)
              // hands the press to the platform's move loop, which follows the queued gesture.
              const TPoint bare(form->ClientWidth() / 2, form->ClientHeight() / 2);
              const int left = form->Left(), top = form->Top(), width = form->Width();
              const POINT from = platform::testing::ScreenPoint(form->Handle(), bare.X, bare.Y);
              // The press arrives first, as it does before the form's handler runs.
              platform::testing::MouseDown(from);
              RunUntilIdle();
              for (int step = 1; step <= 5; ++step)
                platform::testing::MouseMove(POINT{from.x + 8 * step, from.y + 6 * step});
              platform::testing::MouseUp(POINT{from.x + 40, from.y + 30});
              form->FormMouseDown(form, mbLeft, TShiftState(), bare.X, bare.Y);
              RunUntilIdle();
              EXPECT_EQ(form->Left(), left + 40);
              EXPECT_EQ(form->Top(), top + 30);
              EXPECT_EQ(form->Width(), width);
              EXPECT_EQ(GetCapture(), nullptr);
            }),
            0);
}

TEST_F(MainWindow, InfoPanelsAndHeaderImagesShowOneAtATime) {
  ASSERT_EQ(Run([](TMainForm* form) {
              // The start shows the lead-in panel.
              EXPECT_TRUE(form->pnlLeadInfo->Visible());
              const std::vector<TControl*> panels = {form->pnlClipEditInfo, form->pnlEffectInfo, form->pnlLeadInfo,
                                                     form->pnlSlideEditInfo, form->pnlVideoInfo};
              for (int kind = 0; kind < 5; ++kind) {
                form->ShowInfoPanel(kind, 0);
                for (int i = 0; i < 5; ++i) EXPECT_EQ(panels[i]->Visible(), i == kind) << kind << " " << panels[i]->Name();
              }
              // The video panel's two halves: tips for 1, the video's details otherwise.
              for (const int sub : {1, 0, 2}) {
                form->ShowInfoPanel(4, sub);
                EXPECT_EQ(form->pnlSubTipsInfo->Visible(), sub == 1) << sub;
                EXPECT_EQ(form->pnlSubVideoInfo->Visible(), sub != 1) << sub;
              }
              const std::vector<TControl*> images = {form->imgSlide, form->imgTrans, form->imgVideo, form->imgClip};
              for (int kind = 0; kind < 4; ++kind) {
                form->ShowInfoImage(kind);
                for (int i = 0; i < 4; ++i) EXPECT_EQ(images[i]->Visible(), i == kind) << kind << " " << images[i]->Name();
              }
            }),
            0);
}

TEST_F(MainWindow, FixedPitchFontsKeepTheirProportionalFaces) {
  ASSERT_EQ(Run([](TMainForm* form) {
              // Creation asked every font for a fixed pitch; the named face still draws the text,
              // so a narrow caption measures narrower than a wide one of the same length.
              TFSLabel* label = form->lblStartInfo;
              EXPECT_EQ(label->Font()->Pitch(), fpFixed);
              TCanvas* canvas = form->Canvas();
              canvas->Font()->Assign(label->Font());
              const int narrow = canvas->TextWidth("iiiiiiiiii"), wide = canvas->TextWidth("MMMMMMMMMM");
              EXPECT_GT(narrow, 0);
              EXPECT_LT(narrow * 2, wide) << narrow << " " << wide;
            }),
            0);
}

TEST_F(MainWindow, ClosingAnEmptyDiscAsksNothingAndFreesTheEnginesInOrder) {
  std::vector<std::string> freed;
  ASSERT_EQ(Run([&](TMainForm* form) {
              form->OnEngineFreed = [&](const char* what) { freed.push_back(what); };
              BoxAnswer::Arm({VK_ESCAPE});
              form->Close();
              EXPECT_EQ(BoxAnswer::shown, 0);
              EXPECT_TRUE(form->Closing());
              EXPECT_TRUE(form->Timelines().empty());
              EXPECT_EQ(form->Timeline(), 0);
            }),
            0);
  EXPECT_EQ(freed, (std::vector<std::string>{"task manager", "video library", "video player", "menu", "timelines"}));
}

TEST_F(MainWindow, ClosingWithClipsAsksAndOnlyNoCloses) {
  ASSERT_EQ(Run([](TMainForm* form) {
              AddClip(form, 10.0);
              ASSERT_TRUE(form->HasTitleContent());
              // Cancel, Esc and Yes (nothing saves yet) keep the window open; a second close
              // while the question is up is refused.
              const std::vector<std::vector<WORD>> answers = {
                  {VK_RIGHT, VK_RIGHT, VK_RETURN}, {VK_ESCAPE}, {VK_RETURN}};  // Cancel, Esc, Yes
              for (const std::vector<WORD>& key : answers) {
                BoxAnswer::Arm(key, [form] {
                  form->Close();
                  EXPECT_FALSE(form->Closing());
                });
                form->Close();
                EXPECT_EQ(BoxAnswer::shown, 1) << key.size();
                EXPECT_FALSE(form->Closing()) << key.size();
                EXPECT_TRUE(IsWindowVisible(form->Handle())) << key.size();
                EXPECT_EQ(form->Timelines().size(), 1u) << key.size();
                EXPECT_TRUE(form->CloseButton()->Enabled()) << key.size();
              }
              // While the clip editor asks, the window does not close at all.
              MainFormCanClose = false;
              BoxAnswer::Arm({VK_RIGHT, VK_RETURN});
              form->Close();
              EXPECT_EQ(BoxAnswer::shown, 0);
              MainFormCanClose = true;
              RunUntilIdle();
              BoxAnswer::Arm({VK_RIGHT, VK_RETURN});
              form->Close();
              EXPECT_EQ(BoxAnswer::shown, 1);
              EXPECT_TRUE(form->Closing());
              EXPECT_TRUE(form->Timelines().empty());
            }),
            0);
}

// ---- the form file's coverage --------------------------------------------------------------

// Controls that share one place and are shown one at a time.
const std::set<std::set<std::string>> kStacks = {
    {"pvTessaly", "PVEffect", "pnlStart"},
    {"pnlSourceButtons", "pnlTransButtons"},
    {"pnlClipEditInfo", "pnlEffectInfo", "pnlLeadInfo", "pnlSlideEditInfo", "pnlVideoInfo"},
    {"pnlSubTipsInfo", "pnlSubVideoInfo"},
    {"imgSlide", "imgTrans", "imgVideo", "imgClip"},
    {"pnlVideoPlayer", "pnlTransPlayer"},
    {"btnPlayer", "btnPause"},
    {"btnMenuPlay", "btnMenuPause"},
    {"btnMusicPlay", "btnMusicStop"},
    {"pnlMenuEdit", "pnlTextEdit"},
    {"pnlPrevPlay", "pnlMenuPrev"},
    {"gbDVDOptions", "gbDVDFolder", "gbISOOptions"},
    {"lbldownloadmenu", "btnDownload"},
    {"pnlEditView", "pnlMenuView", "pnlPreview", "pnlBurnerView"},
};

bool Stacked(const std::string& a, const std::string& b) {
  for (const auto& stack : kStacks)
    if (stack.count(a) && stack.count(b)) return true;
  return false;
}

// Every visible control inside its parent's client area and clear of its visible siblings.
void CheckLayout(TWinControl* parent, const std::string& where) {
  const TRect client = parent->ClientRect();
  std::vector<TControl*> visible;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* control = parent->Controls(i);
    if (!control->Visible()) continue;
    visible.push_back(control);
    const TRect r = control->BoundsRect();
    EXPECT_TRUE(r.Left >= 0 && r.Top >= 0 && r.Right <= client.Right && r.Bottom <= client.Bottom)
        << where << ": " << control->Name() << " (" << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom
        << ") leaves " << parent->Name() << " (" << client.Right << "x" << client.Bottom << ")";
    if (auto* child = dynamic_cast<TWinControl*>(control)) CheckLayout(child, where);
  }
  for (size_t i = 0; i < visible.size(); ++i)
    for (size_t j = i + 1; j < visible.size(); ++j) {
      if (Stacked(visible[i]->Name(), visible[j]->Name())) continue;
      const TRect a = visible[i]->BoundsRect(), b = visible[j]->BoundsRect();
      EXPECT_FALSE(a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom)
          << where << ": " << visible[i]->Name() << " overlaps " << visible[j]->Name();
    }
}

TEST_F(MainWindow, EveryComponentIsAFieldAndNothingLeavesItsParentOrOverlapsAtBothSizes) {
  ASSERT_EQ(Run([](TMainForm* form) {
              // Every component of the form file is a published field of its class, and every
              // published field names a component the file made.
              int named = 0;
              for (int i = 0; i < form->ComponentCount(); ++i) {
                TComponent* component = form->Components(i);
                if (component->Name().empty()) continue;  // the Language menu's items
                ++named;
                const TFieldEntry* field = form->ClassType()->FieldAddress(component->Name());
                ASSERT_NE(field, nullptr) << component->Name();
                EXPECT_TRUE(component->ClassType()->InheritsFrom(field->ClassGetter())) << component->Name();
              }
              EXPECT_GT(named, 200);
              for (const auto& field : TMainForm::StaticClass()->Fields)
                EXPECT_NE(form->FindComponent(field->Name), nullptr) << field->Name;
              EXPECT_EQ(static_cast<int>(TMainForm::StaticClass()->Fields.size()), named);

              const std::pair<const char*, std::function<void()>> pages[] = {
                  {"edit", [form] { form->ShowPage(kPageEdit, true); }},
                  {"effect", [form] {
                     form->cbExplorer->SetItemIndex(1);
                     form->cbExplorerChange(form->cbExplorer);
                   }},
                  {"menu", [form] { form->ShowPage(kPageMenu, true); }},
                  {"preview", [form] { form->ShowPage(kPagePreview, true); }},
                  {"burn", [form] { form->ShowPage(kPageBurn, true); }},
              };
              for (const TSize size : {TSize{1280, 800}, TSize{1024, 700}}) {
                platform::detail::SetMonitorAreas({{RECT{0, 0, 1280, 800}, RECT{0, 0, size.cx, size.cy}}});
                form->FitToWorkArea();
                EXPECT_EQ(form->Width(), size.cx);
                EXPECT_EQ(form->Height(), size.cy);
                EXPECT_EQ(form->ClientHeight(), form->gbDVDVolume->Top() + form->gbDVDVolume->Height());
                for (const auto& [name, show] : pages) {
                  show();
                  CheckLayout(form, std::string(name) + " at " + std::to_string(size.cx));
                }
              }
              platform::detail::SetMonitorAreas({});
            }),
            0);
}

TEST(MainFormSize, TheDesignSizeWhereItFitsElseTheWorkAreaNeverBelowTheSmallest) {
  struct Case {
    TRect work;
    int width, height;
  };
  for (const Case& c : {Case{TRect(0, 0, 1920, 1080), 1280, 800}, Case{TRect(0, 0, 1280, 800), 1280, 800},
                        Case{TRect(0, 0, 1100, 760), 1100, 760}, Case{TRect(0, 0, 800, 600), 1024, 700}}) {
    const TSize size = FitMainFormSize(c.work);
    EXPECT_EQ(size.cx, c.width);
    EXPECT_EQ(size.cy, c.height);
  }
}

}  // namespace
