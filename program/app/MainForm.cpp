#include "program/app/MainForm.h"

#include "platform/kernel/DebugOutput.h"
#include "platform/user/WinUser.h"
#include "program/app/Process.h"
#include "program/controls/FSPhotoView.h"
#include "program/fc/FcModule.h"
#include "program/app/SmallWindows.h"
#include "program/engine/Menu.h"
#include "program/engine/MediaTask.h"
#include "program/engine/VideoLibrary.h"
#include "program/engine/VideoPlayer.h"
#include "vcl/Action.h"
#include "vcl/Application.h"
#include "vcl/ToolBar.h"

TMainForm* MainForm = nullptr;
bool MainFormCanClose = true;

void TMainForm::DescribeClass(TClassBuilder<TMainForm>& c) {
  c.Field("ImageList1", &TMainForm::ImageList1);
  c.Field("ActionList1", &TMainForm::ActionList1);
  c.Field("acAddSlide", &TMainForm::acAddSlide);
  c.Field("acDelSlide", &TMainForm::acDelSlide);
  c.Field("acPlaySilde", &TMainForm::acPlaySilde);
  c.Field("acEdit", &TMainForm::acEdit);
  c.Field("acEffect", &TMainForm::acEffect);
  c.Field("acMenu", &TMainForm::acMenu);
  c.Field("acPreview", &TMainForm::acPreview);
  c.Field("acBurner", &TMainForm::acBurner);
  c.Field("acAddSShow", &TMainForm::acAddSShow);
  c.Field("acAddAllSShow", &TMainForm::acAddAllSShow);
  c.Field("acRemovePhoto", &TMainForm::acRemovePhoto);
  c.Field("acClearPhoto", &TMainForm::acClearPhoto);
  c.Field("acPhotoFileInfo", &TMainForm::acPhotoFileInfo);
  c.Field("acAppTrans", &TMainForm::acAppTrans);
  c.Field("acAppAllTrans", &TMainForm::acAppAllTrans);
  c.Field("acRandomall", &TMainForm::acRandomall);
  c.Field("acPlay", &TMainForm::acPlay);
  c.Field("acPause", &TMainForm::acPause);
  c.Field("acResume", &TMainForm::acResume);
  c.Field("acStop", &TMainForm::acStop);
  c.Field("acSave", &TMainForm::acSave);
  c.Field("acLoadProj", &TMainForm::acLoadProj);
  c.Field("acLoadFiles", &TMainForm::acLoadFiles);
  c.Field("acOptions", &TMainForm::acOptions);
  c.Field("HelpContents1", &TMainForm::HelpContents1);
  c.Field("MainMenu", &TMainForm::MainMenu);
  c.Field("miFile", &TMainForm::miFile);
  c.Field("miLoadFiles", &TMainForm::miLoadFiles);
  c.Field("miLoadProj", &TMainForm::miLoadProj);
  c.Field("miSaveProj", &TMainForm::miSaveProj);
  c.Field("miSaveProjAs", &TMainForm::miSaveProjAs);
  c.Field("miexit", &TMainForm::miexit);
  c.Field("miOptions", &TMainForm::miOptions);
  c.Field("miPrefer", &TMainForm::miPrefer);
  c.Field("miLanguage", &TMainForm::miLanguage);
  c.Field("miHelp", &TMainForm::miHelp);
  c.Field("miUpdate", &TMainForm::miUpdate);
  c.Field("miContent", &TMainForm::miContent);
  c.Field("miSupport", &TMainForm::miSupport);
  c.Field("miProducePage", &TMainForm::miProducePage);
  c.Field("miAbout", &TMainForm::miAbout);
  c.Field("pmTvStb", &TMainForm::pmTvStb);
  c.Field("NAddSlideShow", &TMainForm::NAddSlideShow);
  c.Field("NRemoveSlideShow", &TMainForm::NRemoveSlideShow);
  c.Field("NPlaySideShow", &TMainForm::NPlaySideShow);
  c.Field("pmSlide", &TMainForm::pmSlide);
  c.Field("NEditClip", &TMainForm::NEditClip);
  c.Field("NRemoveClip", &TMainForm::NRemoveClip);
  c.Field("NClearClip", &TMainForm::NClearClip);
  c.Field("pmPhotoView", &TMainForm::pmPhotoView);
  c.Field("miPlayFile", &TMainForm::miPlayFile);
  c.Field("miAddtoSlideShow", &TMainForm::miAddtoSlideShow);
  c.Field("miAddAlltoSlideShow", &TMainForm::miAddAlltoSlideShow);
  c.Field("miAddFiles", &TMainForm::miAddFiles);
  c.Field("miDelfiles", &TMainForm::miDelfiles);
  c.Field("miRemovePhotoView", &TMainForm::miRemovePhotoView);
  c.Field("miClearPhotoView", &TMainForm::miClearPhotoView);
  c.Field("miPhotoViewProperty", &TMainForm::miPhotoViewProperty);
  c.Field("pmTrans", &TMainForm::pmTrans);
  c.Field("miApplyTrans", &TMainForm::miApplyTrans);
  c.Field("miApplyAllTrans", &TMainForm::miApplyAllTrans);
  c.Field("miRandomAllTrans", &TMainForm::miRandomAllTrans);
  c.Field("pnlHeader", &TMainForm::pnlHeader);
  c.Field("tbMenu", &TMainForm::tbMenu);
  c.Field("btnEdit", &TMainForm::btnEdit);
  c.Field("btnEffect", &TMainForm::btnEffect);
  c.Field("btnMenu", &TMainForm::btnMenu);
  c.Field("btnPreview", &TMainForm::btnPreview);
  c.Field("btnBurn", &TMainForm::btnBurn);
  c.Field("pnlEditView", &TMainForm::pnlEditView);
  c.Field("pnlLibrary", &TMainForm::pnlLibrary);
  c.Field("cbExplorer", &TMainForm::cbExplorer);
  c.Field("btnLoadFile", &TMainForm::btnLoadFile);
  c.Field("pvTessaly", &TMainForm::pvTessaly);
  c.Field("PVEffect", &TMainForm::PVEffect);
  c.Field("pnlStart", &TMainForm::pnlStart);
  c.Field("imgStart", &TMainForm::imgStart);
  c.Field("lblStartInfo", &TMainForm::lblStartInfo);
  c.Field("pnlSourceButtons", &TMainForm::pnlSourceButtons);
  c.Field("btnAddSShow", &TMainForm::btnAddSShow);
  c.Field("btnAddall", &TMainForm::btnAddall);
  c.Field("btnRmvVidFile", &TMainForm::btnRmvVidFile);
  c.Field("btnClearall", &TMainForm::btnClearall);
  c.Field("btnFileInfo", &TMainForm::btnFileInfo);
  c.Field("pnlTransButtons", &TMainForm::pnlTransButtons);
  c.Field("btnAppTrans", &TMainForm::btnAppTrans);
  c.Field("btnAppallTrans", &TMainForm::btnAppallTrans);
  c.Field("btnRandomall", &TMainForm::btnRandomall);
  c.Field("pnlInfo", &TMainForm::pnlInfo);
  c.Field("imgSlide", &TMainForm::imgSlide);
  c.Field("imgTrans", &TMainForm::imgTrans);
  c.Field("imgVideo", &TMainForm::imgVideo);
  c.Field("imgClip", &TMainForm::imgClip);
  c.Field("lblSlideInfo", &TMainForm::lblSlideInfo);
  c.Field("pnlClipEditInfo", &TMainForm::pnlClipEditInfo);
  c.Field("lblClipVideoName", &TMainForm::lblClipVideoName);
  c.Field("lblClipname", &TMainForm::lblClipname);
  c.Field("lblCsource", &TMainForm::lblCsource);
  c.Field("edtClipPath", &TMainForm::edtClipPath);
  c.Field("lblcLength", &TMainForm::lblcLength);
  c.Field("lblClipLength", &TMainForm::lblClipLength);
  c.Field("btnClipEdit", &TMainForm::btnClipEdit);
  c.Field("pnlEffectInfo", &TMainForm::pnlEffectInfo);
  c.Field("lblEffectInfo", &TMainForm::lblEffectInfo);
  c.Field("lblTransLength", &TMainForm::lblTransLength);
  c.Field("lblTransLen", &TMainForm::lblTransLen);
  c.Field("pnlLeadInfo", &TMainForm::pnlLeadInfo);
  c.Field("lblLeadinfo", &TMainForm::lblLeadinfo);
  c.Field("pnlSlideEditInfo", &TMainForm::pnlSlideEditInfo);
  c.Field("lblSname", &TMainForm::lblSname);
  c.Field("lblSlidename", &TMainForm::lblSlidename);
  c.Field("lblSLength", &TMainForm::lblSLength);
  c.Field("lblSlidelength", &TMainForm::lblSlidelength);
  c.Field("btnPreviewslide", &TMainForm::btnPreviewslide);
  c.Field("pnlVideoInfo", &TMainForm::pnlVideoInfo);
  c.Field("lblVideoInfo", &TMainForm::lblVideoInfo);
  c.Field("pnlSubTipsInfo", &TMainForm::pnlSubTipsInfo);
  c.Field("lblSubTips", &TMainForm::lblSubTips);
  c.Field("pnlSubVideoInfo", &TMainForm::pnlSubVideoInfo);
  c.Field("lblVidSource", &TMainForm::lblVidSource);
  c.Field("edtFileName", &TMainForm::edtFileName);
  c.Field("lblDuration", &TMainForm::lblDuration);
  c.Field("lblLength", &TMainForm::lblLength);
  c.Field("lblRes", &TMainForm::lblRes);
  c.Field("lblReso", &TMainForm::lblReso);
  c.Field("pnlPlayer", &TMainForm::pnlPlayer);
  c.Field("lblPlaytimeinfo", &TMainForm::lblPlaytimeinfo);
  c.Field("lblPlayer", &TMainForm::lblPlayer);
  c.Field("pnlVideoPlayer", &TMainForm::pnlVideoPlayer);
  c.Field("pnlTransPlayer", &TMainForm::pnlTransPlayer);
  c.Field("VCTrack", &TMainForm::VCTrack);
  c.Field("btnPlayer", &TMainForm::btnPlayer);
  c.Field("btnPause", &TMainForm::btnPause);
  c.Field("btnStop", &TMainForm::btnStop);
  c.Field("btnCapture", &TMainForm::btnCapture);
  c.Field("btnOpen", &TMainForm::btnOpen);
  c.Field("btnFullScreen", &TMainForm::btnFullScreen);
  c.Field("pnlStoryArea", &TMainForm::pnlStoryArea);
  c.Field("lblTitles", &TMainForm::lblTitles);
  c.Field("btnAddSlide", &TMainForm::btnAddSlide);
  c.Field("btnDelSlide", &TMainForm::btnDelSlide);
  c.Field("btnPreSlide", &TMainForm::btnPreSlide);
  c.Field("tvStoryBoard", &TMainForm::tvStoryBoard);
  c.Field("lblStoryBoard", &TMainForm::lblStoryBoard);
  c.Field("btnEditBtn", &TMainForm::btnEditBtn);
  c.Field("btnRemoveSlide", &TMainForm::btnRemoveSlide);
  c.Field("btnClearSlide", &TMainForm::btnClearSlide);
  c.Field("btnSlideLine", &TMainForm::btnSlideLine);
  c.Field("pnlStoryBoard", &TMainForm::pnlStoryBoard);
  c.Field("StoryBoardTessaly", &TMainForm::StoryBoardTessaly);
  c.Field("pnlMenuView", &TMainForm::pnlMenuView);
  c.Field("pnlTemplates", &TMainForm::pnlTemplates);
  c.Field("lblTemplates", &TMainForm::lblTemplates);
  c.Field("cbTemplates", &TMainForm::cbTemplates);
  c.Field("pnlMenuEdit", &TMainForm::pnlMenuEdit);
  c.Field("pvMenu", &TMainForm::pvMenu);
  c.Field("lblAddItemInfo", &TMainForm::lblAddItemInfo);
  c.Field("lbldownloadmenu", &TMainForm::lbldownloadmenu);
  c.Field("btnDownload", &TMainForm::btnDownload);
  c.Field("pnlTextEdit", &TMainForm::pnlTextEdit);
  c.Field("lblText", &TMainForm::lblText);
  c.Field("lblContent", &TMainForm::lblContent);
  c.Field("edtSlideText", &TMainForm::edtSlideText);
  c.Field("lblFont", &TMainForm::lblFont);
  c.Field("cmbFontName", &TMainForm::cmbFontName);
  c.Field("lblColor", &TMainForm::lblColor);
  c.Field("lblSize", &TMainForm::lblSize);
  DescribeFcFields(c);
  c.Field("ComFontSize", &TMainForm::ComFontSize);
  c.Field("btnBold", &TMainForm::btnBold);
  c.Field("btnItalic", &TMainForm::btnItalic);
  c.Field("btnUnderline", &TMainForm::btnUnderline);
  c.Field("btnStrikeout", &TMainForm::btnStrikeout);
  c.Field("btnAddtext", &TMainForm::btnAddtext);
  c.Field("FSSkinButton1", &TMainForm::FSSkinButton1);
  c.Field("FSEdit1", &TMainForm::FSEdit1);
  c.Field("pnlMenuCard", &TMainForm::pnlMenuCard);
  c.Field("lblMenuDesign", &TMainForm::lblMenuDesign);
  c.Field("pnlMenu", &TMainForm::pnlMenu);
  c.Field("btnPrevMenuPage", &TMainForm::btnPrevMenuPage);
  c.Field("btnNextMenuPage", &TMainForm::btnNextMenuPage);
  c.Field("pnlMenuTools", &TMainForm::pnlMenuTools);
  c.Field("lblBackground", &TMainForm::lblBackground);
  c.Field("btnAddPicture", &TMainForm::btnAddPicture);
  c.Field("btnAddThumb", &TMainForm::btnAddThumb);
  c.Field("lblCustomMusic", &TMainForm::lblCustomMusic);
  c.Field("edtMusic", &TMainForm::edtMusic);
  c.Field("btnChangeMusic", &TMainForm::btnChangeMusic);
  c.Field("btnclearMusic", &TMainForm::btnclearMusic);
  c.Field("btnMusicPlay", &TMainForm::btnMusicPlay);
  c.Field("btnMusicStop", &TMainForm::btnMusicStop);
  c.Field("pnlPreview", &TMainForm::pnlPreview);
  c.Field("pnlTV", &TMainForm::pnlTV);
  c.Field("pnlPrevPlay", &TMainForm::pnlPrevPlay);
  c.Field("pnlMenuPrev", &TMainForm::pnlMenuPrev);
  c.Field("pnlRemote", &TMainForm::pnlRemote);
  c.Field("MenuTrack", &TMainForm::MenuTrack);
  c.Field("btnMenuPlay", &TMainForm::btnMenuPlay);
  c.Field("btnMenuPause", &TMainForm::btnMenuPause);
  c.Field("btnMenuStop", &TMainForm::btnMenuStop);
  c.Field("btnPrev", &TMainForm::btnPrev);
  c.Field("btnNext", &TMainForm::btnNext);
  c.Field("btnBack", &TMainForm::btnBack);
  c.Field("lblMenuTime", &TMainForm::lblMenuTime);
  c.Field("pnlBurnerView", &TMainForm::pnlBurnerView);
  c.Field("gbBurn", &TMainForm::gbBurn);
  c.Field("lblBurnType", &TMainForm::lblBurnType);
  c.Field("rbDVD", &TMainForm::rbDVD);
  c.Field("rbDVDFolder", &TMainForm::rbDVDFolder);
  c.Field("rbISO", &TMainForm::rbISO);
  c.Field("pnlBurnSettings", &TMainForm::pnlBurnSettings);
  c.Field("lblSettings", &TMainForm::lblSettings);
  c.Field("lblDVDLabel", &TMainForm::lblDVDLabel);
  c.Field("edtLV", &TMainForm::edtLV);
  c.Field("lblTVStand", &TMainForm::lblTVStand);
  c.Field("gbNtSC", &TMainForm::gbNtSC);
  c.Field("rbNTSC", &TMainForm::rbNTSC);
  c.Field("rbPAL", &TMainForm::rbPAL);
  c.Field("lblVidRatio", &TMainForm::lblVidRatio);
  c.Field("gbRatio", &TMainForm::gbRatio);
  c.Field("rb43", &TMainForm::rb43);
  c.Field("rb169", &TMainForm::rb169);
  c.Field("lblwarnInfo", &TMainForm::lblwarnInfo);
  c.Field("pnlOutput", &TMainForm::pnlOutput);
  c.Field("gbDVDOptions", &TMainForm::gbDVDOptions);
  c.Field("lblDriverID", &TMainForm::lblDriverID);
  c.Field("cbDriver", &TMainForm::cbDriver);
  c.Field("lblBurnengine", &TMainForm::lblBurnengine);
  c.Field("lblCopies", &TMainForm::lblCopies);
  c.Field("SEdtBurnTime", &TMainForm::SEdtBurnTime);
  c.Field("lblDirverInfo", &TMainForm::lblDirverInfo);
  c.Field("gbDVDFolder", &TMainForm::gbDVDFolder);
  c.Field("lblDVDFolder", &TMainForm::lblDVDFolder);
  c.Field("beDVDOutDir", &TMainForm::beDVDOutDir);
  c.Field("btnDVDOutDir", &TMainForm::btnDVDOutDir);
  c.Field("lblDVDNeedSpace", &TMainForm::lblDVDNeedSpace);
  c.Field("lblDVDNeedDisk", &TMainForm::lblDVDNeedDisk);
  c.Field("lblDVDSpareSpace", &TMainForm::lblDVDSpareSpace);
  c.Field("lblDVDSpareDisk", &TMainForm::lblDVDSpareDisk);
  c.Field("lblDVDFolderInfo", &TMainForm::lblDVDFolderInfo);
  c.Field("gbISOOptions", &TMainForm::gbISOOptions);
  c.Field("lblSaveISO", &TMainForm::lblSaveISO);
  c.Field("edtISOFileName", &TMainForm::edtISOFileName);
  c.Field("btnISOOutDir", &TMainForm::btnISOOutDir);
  c.Field("lblISONeedSpace", &TMainForm::lblISONeedSpace);
  c.Field("lblISONeedDisk", &TMainForm::lblISONeedDisk);
  c.Field("lblISOSpareSpace", &TMainForm::lblISOSpareSpace);
  c.Field("lblISOSpareDisk", &TMainForm::lblISOSpareDisk);
  c.Field("lblISOInfo", &TMainForm::lblISOInfo);
  c.Field("btnStart", &TMainForm::btnStart);
  c.Field("pnlStatusLeft", &TMainForm::pnlStatusLeft);
  c.Field("cbVideoquality", &TMainForm::cbVideoquality);
  c.Field("cbDVDType", &TMainForm::cbDVDType);
  c.Field("gbDVDVolume", &TMainForm::gbDVDVolume);
  c.Field("pnlStatusRight", &TMainForm::pnlStatusRight);
  c.Field("lblTimerInfo", &TMainForm::lblTimerInfo);
  c.Method("FormCreate", &TMainForm::FormCreate);
  c.Method("FormShow", &TMainForm::FormShow);
  c.Method("FormClose", &TMainForm::FormClose);
  c.Method("SkinFormCloseQuery", &TMainForm::SkinFormCloseQuery);
  c.Method("FormKeyDown", &TMainForm::FormKeyDown);
  c.Method("FormMouseDown", &TMainForm::FormMouseDown);
  c.Method("tbMenuCustomDrawButton", &TMainForm::tbMenuCustomDrawButton);
  c.Method("cbExplorerChange", &TMainForm::cbExplorerChange);
  c.Method("miexitClick", &TMainForm::miexitClick);
  c.Method("miAboutClick", &TMainForm::miAboutClick);
  c.Method("HelpContents1Execute", &TMainForm::HelpContents1Execute);
  c.Method("btnHelpClick", &TMainForm::btnHelpClick);
  c.Method("miContentClick", &TMainForm::miContentClick);
  c.Method("miSupportClick", &TMainForm::miSupportClick);
  c.Method("miProducePageClick", &TMainForm::miProducePageClick);
  c.Method("miUpdateClick", &TMainForm::miUpdateClick);
  c.Method("acOptionsExecute", &TMainForm::acOptionsExecute);
  c.Method("acChangeLanguageExecute", &TMainForm::acChangeLanguageExecute);
}

TSize FitMainFormSize(const TRect& workArea) {
  const int width = std::max(kMainFormMinWidth, std::min(kMainFormDesignWidth, workArea.Width()));
  const int height = std::max(kMainFormMinHeight, std::min(kMainFormDesignHeight, workArea.Height()));
  return TSize{width, height};
}

TMainForm::TMainForm(TComponent* owner) : TSkinForm(owner), FTaskMgr(std::make_unique<TMediaTaskMgr>()) {
  SetTaskIcon(true);
  SetShowAnimate(false);
  FDropFailures = std::make_unique<TStringList>();
  MainForm = this;
}

TMainForm::~TMainForm() {
  // A window freed without its close (a failed start-up, a test) still lets its engines go.
  if (!FEnginesClosed) CloseEngines();
  if (Application && Application->OnMessage) Application->OnMessage = nullptr;
  if (MainForm == this) MainForm = nullptr;
}

TMainForm* TMainForm::CreateMainForm(TComponent* owner) {
  static const bool registered = [] {
    RegisterSmallWindowClasses();
    RegisterFcClasses();
    // The classes of the form file that no module registers.
    RegisterClasses({TFSPhotoView::StaticClass(), TMainMenu::StaticClass(), TMenuItem::StaticClass(),
                     TPopupMenu::StaticClass(), TActionList::StaticClass(), TAction::StaticClass(),
                     TImageList::StaticClass()});
    return true;
  }();
  (void)registered;
  return TCustomForm::Create<TMainForm>(owner);
}

void TMainForm::SetClientWidth(int value) {
  inherited::SetClientWidth(value);
  if (ComponentState().Contains(csReading) || IsLoading()) TCustomForm::SetClientWidth(value);
}

void TMainForm::SetClientHeight(int value) {
  inherited::SetClientHeight(value);
  if (ComponentState().Contains(csReading) || IsLoading()) TCustomForm::SetClientHeight(value);
}

// ---- the one message dispatch -------------------------------------------------------------
//
// Each message of the window's table goes to its handler here; later handlers join this
// switch. Messages the table lists without a handler are answered and dropped.

void TMainForm::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_TIMER:
      WMTimer(message);
      return;
    case WM_CLOSE_WAITFORM:
      WMCloseWaitForm(message);
      return;
    case WM_WAITFORM_SHOWN:
      WMWaitFormShown(message);
      return;
    case WM_USER + 1785:
    case WM_USER + 3002:
    case WM_USER + 3003:
    case WM_USER + 3004:
      message.Result = 0;
      return;
    case WM_PAINT:
      inherited::Dispatch(message);
      // The first frame is marked in the debugger output: start-up is timed to it.
      if (!FFirstFrameShown && IsWindowVisible(Handle())) {
        FFirstFrameShown = true;
        OutputDebugStringA("Brantwell: main window first frame\n");
      }
      return;
    default:
      break;
  }
  inherited::Dispatch(message);
}

// ---- the one timer dispatch ---------------------------------------------------------------

void TMainForm::WMTimer(TMessage& message) {
  switch (message.WParam) {
    case kTimerDeferredStartup:
      DeferredStartup();
      return;
    case kTimerShowFirstTitle:
      KillTimer(Handle(), kTimerShowFirstTitle);
      if (FCurrentTitle == 0 && !FTimelines.empty()) {
        ShowWindow(GetTimelineHwnd(FTimelines[0]), SW_SHOW);
        UpdateTimeline(FTimelines[0]);
      }
      return;
    case kTimerSizeLock:
      // The window keeps the size the fit step chose: any resize snaps back. A minimised
      // window is left alone, so it restores to its place.
      if (IsIconic(Handle())) return;
      if (Width() != pnlEditView->Width() + kMainFormFrameWidth ||
          Height() != gbDVDVolume->Top() + gbDVDVolume->Height() + kMainFormFrameHeight) {
        SetBounds(Left(), Top(), pnlEditView->Width() + kMainFormFrameWidth,
                  gbDVDVolume->Top() + gbDVDVolume->Height() + kMainFormFrameHeight);
      }
      return;
    case kTimerMenuPosition:
    case kTimerPlayerPosition:
    case kTimerBurnSpace:
      // Their pages' handlers join here with the pages.
      return;
    default:
      // Ids of the skinned form's own (animations) go on; other ids are ignored.
      inherited::Dispatch(message);
      return;
  }
}

// The overlay belongs to whoever showed it: this message frees nothing.
void TMainForm::WMCloseWaitForm(TMessage& message) { message.Result = 0; }

void TMainForm::WMWaitFormShown(TMessage& message) { message.Result = 0; }

bool TMainForm::CloseButtonEnabled() const { return CloseButton()->Enabled(); }

void TMainForm::SetCloseButtonEnabled(bool value) { CloseButton()->SetEnabled(value); }
