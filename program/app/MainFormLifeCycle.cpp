// The main window's life cycle: creation and its engines, the deferred start-up after the
// window shows, page switching, the application-wide keys and the close with its question.

#include <chrono>
#include <thread>

#include "engines/QM_DVDBurner/DVDBurner.h"
#include "platform/kernel/FileApi.h"
#include "platform/user/DropFiles.h"
#include "platform/user/WinUser.h"
#include "program/app/MainForm.h"
#include "program/controls/FSPhotoView.h"
#include "program/app/SharedRoutines.h"
#include "program/app/Splash.h"
#include "program/app/Startup.h"
#include "program/core/Config.h"
#include "program/core/WideFileUtils.h"
#include "program/engine/LanguageEngine.h"
#include "program/engine/MediaTask.h"
#include "program/engine/Menu.h"
#include "program/engine/VideoLibrary.h"
#include "program/engine/VideoPlayer.h"
#include "program/net/UpdateMain.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"

namespace {

// The template view of the menu model over the menu page's photo view.
class TPhotoViewTemplates : public uMenu::TMenuTemplateView {
 public:
  explicit TPhotoViewTemplates(TFSPhotoView* view) : m_view(view) {}
  void Clear() override { m_view->PhotoItems()->Clear(); }
  void BeginUpdate() override { m_view->PhotoItems()->BeginUpdate(); }
  void EndUpdate() override { m_view->PhotoItems()->EndUpdate(); }
  void AddFile(const WideString& caption, const WideString& fileName) override {
    m_view->PhotoItems()->AddFile(WideToUTF8(caption), fileName);
  }
  int ItemIndex() const override { return m_view->ItemIndex(); }
  WideString ItemFileName(int index) const override { return m_view->PhotoItems()->GetItem(index)->FileName(); }
  void SetThumbWidth(int width) override { m_view->SetThumbWidth(width); }
  void SetThumbHeight(int height) override { m_view->SetThumbHeight(height); }

 private:
  TFSPhotoView* m_view;
};

// The close button stays disabled while a scope runs and is enabled again however it ends.
class TCloseButtonLock {
 public:
  explicit TCloseButtonLock(TCaptionButton* button) : m_button(button) { m_button->SetEnabled(false); }
  ~TCloseButtonLock() { m_button->SetEnabled(true); }
  TCloseButtonLock(const TCloseButtonLock&) = delete;
  TCloseButtonLock& operator=(const TCloseButtonLock&) = delete;

 private:
  TCaptionButton* m_button;
};

WideString SystemValue(const char16_t* key) { return AppConfig.ReadString(u"System", key, u""); }

}  // namespace

// ---- creation ----------------------------------------------------------------------------

void TMainForm::FormCreate(TObject*) {
  SetFontPitchFixed();
  FClosing = false;
  Application->OnMessage = TMessageEvent(this, &TMainForm::AppMessage);
  CreateTitleTimeline();
  InitEngines();
  ApplyLanguage();
  InitLayout();
  // The transition list (LoadTransitionList) is filled here once the effect page exists.
  FVideoPlayer = std::make_unique<TVideoPlayer>(Handle(), pnlVideoPlayer->Handle(), pnlTransPlayer->Handle());
  FPlayerView = FVideoPlayer->GetView();
  btnFullScreen->SetTag(1);
  FMenu->CreatePreviewer(pnlPrevPlay, Handle());
  WideString programFolder, ignored;
  WideGetAppPaths(u"", u"", programFolder, ignored);
  const WideString seaTemplate = WideIncludeTrailingBackslash(programFolder) + u"templates/Landscape/sea1/";
  if (WideDirectoryExists(seaTemplate)) FMenu->SetTemplatePath(seaTemplate);
  FThumbnailPath = SystemValue(u"ThumbnailPath");
  UpdateTimeLabel(0);
  tbMenu->SetDoubleBuffered(true);
  // The source list object (RestoreSources, CloseEngines) joins with the source import.
  // The start-up's InitWorkFolders wrote "TempPath"; an empty value makes no folder.
  const WideString temp = SystemValue(u"TempPath");
  if (!temp.empty()) ForceDirectoriesW(temp);
}

void TMainForm::InitEngines() {
  FOpeningProject = false;
  FVideoLibrary = std::make_unique<TVideoLibrary>();
  FMenuTemplateView = std::make_unique<TPhotoViewTemplates>(pvMenu);
  FMenu = std::make_unique<uMenu::TMenu>(Handle(), pnlMenuPrev->Handle(), FMenuTemplateView.get());
  DragAcceptFiles(Handle(), TRUE);
  BNRegisterMsgHwnd(reinterpret_cast<uintptr_t>(Handle()));
  BNCheckBurnEngineVersion();
  BNCheckBurnDriver();
  btnMenu->SetTag(0);
  btnMenuPlay->SetTag(2);
  FPreviewIndex = 0;
  FFullScreen = false;
  pvTessaly->SetThumbWidth(70);
  pvTessaly->SetThumbHeight(70);
  PVEffect->SetThumbWidth(70);
  PVEffect->SetThumbHeight(70);
  FMenuMusicSeconds = 0.0;
  edtLV->SetText("My DVD");
  if (SystemValue(u"UpdatePeriod").empty()) AppConfig.WriteString(u"System", u"UpdatePeriod", u"7");
  if (SystemValue(u"ISOOutPath").empty()) {
    const WideString isoFolder = UTF8ToWide(GetMyDocumentsPath()) + SystemValue(u"name") + u"/ISO";
    ForceDirectoriesW(isoFolder);
    AppConfig.WriteString(u"System", u"ISOOutPath", isoFolder);
  }
  edtISOFileName->SetText(WideToUTF8(MakeDefaultISOFileName()));
  ShowInfoImage(-1);
  FCurrentTitle = 0;
  FSelIsTransition = false;
  MainFormCanClose = true;
  FHasProjectFile = false;
  FProjectFileName.clear();
}

void TMainForm::FormShow(TObject*) {
  if (btnEdit->CanFocus()) btnEdit->SetFocus();
  // The timeline callbacks are registered here once they exist (they arrive with the
  // storyboard's clip handling).
  PostMessageW(Handle(), WM_TIMER, kTimerDeferredStartup, 0);
}

void TMainForm::DeferredStartup() {
  {
    // A close asked for meanwhile is refused; the button comes back however this ends.
    TCloseButtonLock lock(CloseButton());
    SetBounds(Left(), Top(), pnlEditView->Width() + kMainFormFrameWidth,
              gbDVDVolume->Top() + gbDVDVolume->Height() + kMainFormFrameHeight);
    tbMenu->Repaint();
    CloseSplash();

    TTreeNodes* nodes = tvStoryBoard->Items();
    nodes->Clear();
    TTreeNode* root = nodes->AddChild(nullptr, "DVD-Video");
    nodes->AddChild(root, "Titleset1");
    tvStoryBoard->FullExpand();
    root->GetLastChild()->SetImageIndex(1);
    tvStoryBoard->SetSelected(nodes->Item(1));
    FMenu->InsertTitle(root->Count() - 1);

    ShowLiveUpdate(Application, false, ReadProductID());
    // The command line's project and the sources of the last run are restored here once
    // project opening and the source list exist.
  }
  SetTimer(Handle(), kTimerSizeLock, 200, nullptr);
}

// ---- pages -------------------------------------------------------------------------------

void TMainForm::ShowPage(uint8_t Page, bool Activate) {
  pnlEditView->SetVisible(Page == kPageEdit || Page == kPageEffect);
  pnlMenuView->SetVisible(Page == kPageMenu);
  pnlPreview->SetVisible(Page == kPagePreview);
  if (pnlPreview->Visible()) FPage = kPagePreview;
  pnlBurnerView->SetVisible(Page == kPageBurn);
  UpdatePageButtons(Page);
  if (Activate) {
    FPage = Page;
    FPlaySource = 0;
    // The menu and music previews stop here once the menu and preview pages exist.
    if (FMenu) FMenu->StopPreview();
    if (FVideoPlayer) FVideoPlayer->StopTransition();
  }
  if (pnlBurnerView->Visible()) SetTimer(Handle(), kTimerBurnSpace, 1000, nullptr);
}

void TMainForm::UpdatePageButtons(uint8_t Page) {
  for (TFSButton* button : {btnEdit, btnEffect, btnMenu, btnBurn, btnPreview}) button->SetSkinPart("MainForm", 10);
  switch (Page) {
    case kPageEdit:
      btnEdit->SetSkinPart("MainForm", 14);
      cbExplorer->SetItemIndex(0);
      break;
    case kPageEffect:
      btnEffect->SetSkinPart("MainForm", 14);
      cbExplorer->SetItemIndex(1);
      break;
    case kPageMenu:
      btnMenu->SetSkinPart("MainForm", 14);
      break;
    case kPageBurn:
      btnBurn->SetSkinPart("MainForm", 14);
      break;
    case kPagePreview:
      btnPreview->SetSkinPart("MainForm", 14);
      break;
    default:
      break;
  }
  // A page button at rest shows no focus: the focus on the step bar follows the current page.
  const std::pair<uint8_t, TFSButton*> steps[] = {
      {kPageEdit, btnEdit}, {kPageEffect, btnEffect}, {kPageMenu, btnMenu}, {kPagePreview, btnPreview}, {kPageBurn, btnBurn}};
  TFSButton* current = nullptr;
  for (const auto& [page, button] : steps)
    if (page == Page) current = button;
  if (!current || !current->CanFocus()) return;
  for (const auto& step : steps)
    if (step.second != current && step.second->Focused()) current->SetFocus();
}

// ---- keys ----------------------------------------------------------------------------------

void TMainForm::AppMessage(MSG& Msg, bool& Handled) {
  if (Msg.message != WM_KEYDOWN) return;
  switch (Msg.wParam) {
    case VK_ESCAPE:
      if (FFullScreen) SetFullScreen(false);
      if (pnlMenuPrev->Visible() && btnBack->OnClick) btnBack->OnClick(this);
      break;
    case VK_F1:
      btnHelpClick(this);
      break;
    case VK_RETURN:
      // Only this window's own Enter is dropped: a modal dialog's loop passes its keys through
      // here too, and its Enter is its default answer.
      if (Msg.hwnd && HandleAllocated() && (Msg.hwnd == Handle() || IsChild(Handle(), Msg.hwnd))) Handled = true;
      break;
    default:
      break;
  }
}

void TMainForm::SkinFormCloseQuery(TObject*, bool&) {}

void TMainForm::FormKeyDown(TObject*, WORD&, TShiftState) {}

// ---- close ---------------------------------------------------------------------------------

void TMainForm::FormClose(TObject*, TCloseAction& Action) {
  if (!MainFormCanClose) {
    Action = caNone;
    return;
  }
  // A deferred start-up or another close is running (its question may be on screen): this
  // close is refused, so nothing closes without the question and without freeing the engines.
  if (!CloseButtonEnabled()) {
    Action = caNone;
    return;
  }
  {
    TCloseButtonLock lock(CloseButton());
    if (!AskToSaveBeforeClose()) Action = caNone;
  }
  if (Action == caNone) return;
  FClosing = true;
  // The players stop and the preview page is left here once those pages exist.
  CloseEngines();
}

bool TMainForm::ProjectChangedSinceSave() {
  // Without an open project file every state counts as changed; the comparison with the
  // file comes with project saving.
  return true;
}

bool TMainForm::AskToSaveBeforeClose() {
  if (!ProjectChangedSinceSave() || !HasTitleContent()) return true;
  const int answer = MessageBoxW(Application->Handle(), LanguageText(u"lbl_Save_Info_Caption").c_str(),
                                 LanguageText(u"Info_Title").c_str(), MB_YESNOCANCEL | MB_ICONQUESTION);
  switch (answer) {
    case IDYES:
      // Saving arrives with the project commands; until then nothing is saved, so the
      // window stays open and no work is lost.
      FSaved = false;
      return FSaved;
    case IDNO:
      return true;
    default:
      return false;
  }
}

void TMainForm::CloseEngines() {
  if (FEnginesClosed) return;
  FEnginesClosed = true;
  // The source list is written here once it exists.
  auto freed = [this](const char* what) {
    if (OnEngineFreed) OnEngineFreed(what);
  };
  FTaskMgr.reset();
  freed("task manager");
  FVideoLibrary.reset();
  freed("video library");
  FVideoPlayer.reset();
  freed("video player");
  FMenu.reset();
  FMenuTemplateView.reset();
  freed("menu");
  if (HandleAllocated()) KillTimer(Handle(), kTimerSizeLock);
  DestroyAllTimelines();
  freed("timelines");
}

void TMainForm::DestroyAllTimelines() {
  for (EngineHandle timeline : FTimelines) DestroyTimeline(timeline);
  FTimelines.clear();
  FTimeline = 0;
}
