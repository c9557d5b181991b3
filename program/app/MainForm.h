#pragma once

// TMainForm: the program's one main window. It coordinates five work pages (edit, effect,
// menu, preview, burn) over the engine objects it owns: the clip task manager, the video
// library, the preview player, the DVD menu model and one timeline per title. Its design is
// resources/forms/TMainForm.xfm; every component of that file is a published field below.
//
// Its code is split by concern: MainForm.cpp (construction, the one message dispatch and the
// one timer dispatch, the size lock), MainFormLifeCycle.cpp (creation, engines, the deferred
// start-up, page switching, the close), MainFormLayout.cpp (layout, fitting the work area,
// info panels and the top menu's commands), MainFormLanguage.cpp (texts and the Language
// menu), MainFormTitles.cpp (title timelines and the disc-usage label).
//
// GUI thread only. The form owns its engine objects; CloseEngines frees them once, in order.
// MainForm points at the one main window while it exists.

#include <functional>
#include <memory>
#include <vector>

#include "engines/QM_DVDBurner/DVDBurner.h"  // WM_DVDBURNER_EVENT
#include "engines/QM_Timeline/TimelineApi.h"
#include "platform/user/Messages.h"
#include "program/controls/FSButton.h"
#include "program/controls/FSButtonEdit.h"
#include "program/controls/FSComboBox.h"
#include "program/controls/FSEdit.h"
#include "program/controls/FSGaugeBar.h"
#include "program/controls/FSGroupBox.h"
#include "program/controls/FSLabel.h"
#include "program/controls/FSPanel.h"
#include "program/controls/FSRadioButton.h"
#include "program/controls/FSSkinButton.h"
#include "program/controls/FSSkinImage.h"
#include "program/controls/FSSpinEdit.h"
#include "program/controls/FSTreeView.h"
#include "program/controls/FSVideoTrackBar.h"
#include "program/skin/SkinForm.h"
#include "vcl/ActionList.h"
#include "vcl/ImageList.h"
#include "vcl/Menu.h"

// The photo views and the colour edit come from two control sets whose headers cannot meet in
// one unit (both declare sdLeft and sdRight); each unit includes the one it uses.
class TFSPhotoView;
class TFcColorEdit;
class TMediaTaskMgr;
class TVideoLibrary;
class TVideoPlayer;
namespace uMenu {
class TMenu;
class TMenuTemplateView;
}

// The main window's messages (WM_USER = 1024).
constexpr UINT WM_MENUDESIGNER_NOTIFY = WM_USER + 1501;
constexpr UINT WM_MENUPREVIEW_ACTION = WM_USER + 1504;
constexpr UINT WM_SHOW_PAUSE_BUTTON = WM_USER + 1777;
constexpr UINT WM_PLAY_FILE = WM_USER + 1778;
constexpr UINT WM_RESET_TIME_LABEL = WM_USER + 1779;
constexpr UINT WM_START_JOB = WM_USER + 1780;
constexpr UINT WM_SHOW_CHECKDISC = WM_USER + 1781;
constexpr UINT WM_CLOSE_WAITFORM = WM_USER + 1782;
constexpr UINT WM_UPDATE_NAV_BUTTONS = WM_USER + 1783;
constexpr UINT WM_PLAYER_NOTIFY = WM_USER + 2001;

// The main window's timers (ids on its own handle).
enum TMainFormTimer : UINT_PTR {
  kTimerDeferredStartup = 4097,  // one posted WM_TIMER, no period
  kTimerShowFirstTitle = 4098,   // 5 ms, kills itself
  kTimerMenuPosition = 4099,     // 500 ms
  kTimerPlayerPosition = 4100,   // 500 ms
  kTimerBurnSpace = 4101,        // 1000 ms
  kTimerSizeLock = 4865,         // 200 ms
};

// The work pages (FPage); 2 is not used.
enum TMainFormPage : uint8_t { kPageEdit = 0, kPageEffect = 1, kPageMenu = 3, kPageBurn = 4, kPagePreview = 5 };

// The design size and the smallest size the window is fitted to.
inline constexpr int kMainFormDesignWidth = 1280, kMainFormDesignHeight = 800;
inline constexpr int kMainFormMinWidth = 1024, kMainFormMinHeight = 700;
// The frame around the client area: 5 px sides, caption plus bottom border.
inline constexpr int kMainFormFrameWidth = 10, kMainFormFrameHeight = 28;

// The window size for a work area: the design size where it fits, else the work area, never
// below the smallest size.
TSize FitMainFormSize(const TRect& workArea);

class TMainForm : public TSkinForm {
  BRANTWELL_CLASS(TMainForm, TSkinForm)

 public:
  explicit TMainForm(TComponent* owner);
  ~TMainForm() override;
  static void DescribeClass(TClassBuilder<TMainForm>& c);
  // The published fields of the Fc classes (MainFormFcFields.cpp).
  static void DescribeFcFields(TClassBuilder<TMainForm>& c);

  // Registers the classes the form file names (once) and makes the main window.
  static TMainForm* CreateMainForm(TComponent* owner);

  // ---- life cycle (MainFormLifeCycle.cpp)
  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void SkinFormCloseQuery(TObject* Sender, bool& CanClose);
  void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void InitEngines();
  void DeferredStartup();
  void ShowPage(uint8_t Page, bool Activate);
  void UpdatePageButtons(uint8_t Page);
  void AppMessage(MSG& Msg, bool& Handled);
  void CloseEngines();
  void DestroyAllTimelines();

  // ---- layout and the top menu (MainFormLayout.cpp)
  void SetFontPitchFixed();
  void InitLayout();
  // Fits the window to the work area (FitMainFormSize) and sets the two controls the size
  // lock reads: pnlEditView's width and gbDVDVolume's top.
  void FitToWorkArea();
  void ShowInfoPanel(int Kind, int Sub);
  void ShowInfoImage(int Kind);
  void ShowSourceView(bool Show);
  void cbExplorerChange(TObject* Sender);
  void FormMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void tbMenuCustomDrawButton(TToolBar* Sender, TToolButton* Button, UINT State, bool& DefaultDraw);
  void miexitClick(TObject* Sender);
  void miAboutClick(TObject* Sender);
  void HelpContents1Execute(TObject* Sender);
  void btnHelpClick(TObject* Sender);
  void miContentClick(TObject* Sender);
  void miSupportClick(TObject* Sender);
  void miProducePageClick(TObject* Sender);
  void miUpdateClick(TObject* Sender);
  void acOptionsExecute(TObject* Sender);

  // ---- texts (MainFormLanguage.cpp)
  void ApplyLanguage();
  void acChangeLanguageExecute(TObject* Sender);
  // Fills miLanguage with one item per language file, the current one checked.
  void BuildLanguageMenu();

  // ---- titles (MainFormTitles.cpp)
  void CreateTitleTimeline();
  EngineHandle GetCurrentTimelineDoc();
  void UpdateTimeLabel(double ExtraSeconds);
  // Some title's timeline has a length greater than 0.
  bool HasTitleContent();

  // ---- what the workflow reads
  uint8_t Page() const { return FPage; }
  bool Closing() const { return FClosing; }
  bool Saved() const { return FSaved; }
  const std::vector<EngineHandle>& Timelines() const { return FTimelines; }
  EngineHandle Timeline() const { return FTimeline; }
  int CurrentTitle() const { return FCurrentTitle; }
  TMediaTaskMgr* TaskMgr() const { return FTaskMgr.get(); }
  TVideoLibrary* VideoLibrary() const { return FVideoLibrary.get(); }
  TVideoPlayer* VideoPlayer() const { return FVideoPlayer.get(); }
  uMenu::TMenu* MenuModel() const { return FMenu.get(); }
  const WideString& AppTitle() const { return FAppTitle; }
  bool FullScreen() const { return FFullScreen; }
  void SetFullScreen(bool value) { FFullScreen = value; }

  // Each engine object, freed by CloseEngines, reports here as it goes (tests watch the order).
  std::function<void(const char* what)> OnEngineFreed;

  // ---- published components of the form file
  TImageList* ImageList1 = nullptr;
  TActionList* ActionList1 = nullptr;
  TAction* acAddSlide = nullptr;
  TAction* acDelSlide = nullptr;
  TAction* acPlaySilde = nullptr;
  TAction* acEdit = nullptr;
  TAction* acEffect = nullptr;
  TAction* acMenu = nullptr;
  TAction* acPreview = nullptr;
  TAction* acBurner = nullptr;
  TAction* acAddSShow = nullptr;
  TAction* acAddAllSShow = nullptr;
  TAction* acRemovePhoto = nullptr;
  TAction* acClearPhoto = nullptr;
  TAction* acPhotoFileInfo = nullptr;
  TAction* acAppTrans = nullptr;
  TAction* acAppAllTrans = nullptr;
  TAction* acRandomall = nullptr;
  TAction* acPlay = nullptr;
  TAction* acPause = nullptr;
  TAction* acResume = nullptr;
  TAction* acStop = nullptr;
  TAction* acSave = nullptr;
  TAction* acLoadProj = nullptr;
  TAction* acLoadFiles = nullptr;
  TAction* acOptions = nullptr;
  TAction* HelpContents1 = nullptr;
  TMainMenu* MainMenu = nullptr;
  TMenuItem* miFile = nullptr;
  TMenuItem* miLoadFiles = nullptr;
  TMenuItem* miLoadProj = nullptr;
  TMenuItem* miSaveProj = nullptr;
  TMenuItem* miSaveProjAs = nullptr;
  TMenuItem* miexit = nullptr;
  TMenuItem* miOptions = nullptr;
  TMenuItem* miPrefer = nullptr;
  TMenuItem* miLanguage = nullptr;
  TMenuItem* miHelp = nullptr;
  TMenuItem* miUpdate = nullptr;
  TMenuItem* miContent = nullptr;
  TMenuItem* miSupport = nullptr;
  TMenuItem* miProducePage = nullptr;
  TMenuItem* miAbout = nullptr;
  TPopupMenu* pmTvStb = nullptr;
  TMenuItem* NAddSlideShow = nullptr;
  TMenuItem* NRemoveSlideShow = nullptr;
  TMenuItem* NPlaySideShow = nullptr;
  TPopupMenu* pmSlide = nullptr;
  TMenuItem* NEditClip = nullptr;
  TMenuItem* NRemoveClip = nullptr;
  TMenuItem* NClearClip = nullptr;
  TPopupMenu* pmPhotoView = nullptr;
  TMenuItem* miPlayFile = nullptr;
  TMenuItem* miAddtoSlideShow = nullptr;
  TMenuItem* miAddAlltoSlideShow = nullptr;
  TMenuItem* miAddFiles = nullptr;
  TMenuItem* miDelfiles = nullptr;
  TMenuItem* miRemovePhotoView = nullptr;
  TMenuItem* miClearPhotoView = nullptr;
  TMenuItem* miPhotoViewProperty = nullptr;
  TPopupMenu* pmTrans = nullptr;
  TMenuItem* miApplyTrans = nullptr;
  TMenuItem* miApplyAllTrans = nullptr;
  TMenuItem* miRandomAllTrans = nullptr;
  TFSPanel* pnlHeader = nullptr;
  TFSToolBar* tbMenu = nullptr;
  TFSButton* btnEdit = nullptr;
  TFSButton* btnEffect = nullptr;
  TFSButton* btnMenu = nullptr;
  TFSButton* btnPreview = nullptr;
  TFSButton* btnBurn = nullptr;
  TFSPanel* pnlEditView = nullptr;
  TFSPanel* pnlLibrary = nullptr;
  TFSComboBox* cbExplorer = nullptr;
  TFSButton* btnLoadFile = nullptr;
  TFSPhotoView* pvTessaly = nullptr;
  TFSPhotoView* PVEffect = nullptr;
  TFSPanel* pnlStart = nullptr;
  TFSSkinImage* imgStart = nullptr;
  TFSLabel* lblStartInfo = nullptr;
  TFSPanel* pnlSourceButtons = nullptr;
  TFSButton* btnAddSShow = nullptr;
  TFSButton* btnAddall = nullptr;
  TFSButton* btnRmvVidFile = nullptr;
  TFSButton* btnClearall = nullptr;
  TFSButton* btnFileInfo = nullptr;
  TFSPanel* pnlTransButtons = nullptr;
  TFSButton* btnAppTrans = nullptr;
  TFSButton* btnAppallTrans = nullptr;
  TFSButton* btnRandomall = nullptr;
  TFSPanel* pnlInfo = nullptr;
  TFSSkinImage* imgSlide = nullptr;
  TFSSkinImage* imgTrans = nullptr;
  TFSSkinImage* imgVideo = nullptr;
  TFSSkinImage* imgClip = nullptr;
  TFSLabel* lblSlideInfo = nullptr;
  TFSPanel* pnlClipEditInfo = nullptr;
  TFSLabel* lblClipVideoName = nullptr;
  TFSLabel* lblClipname = nullptr;
  TFSLabel* lblCsource = nullptr;
  TFSEdit* edtClipPath = nullptr;
  TFSLabel* lblcLength = nullptr;
  TFSLabel* lblClipLength = nullptr;
  TFSButton* btnClipEdit = nullptr;
  TFSPanel* pnlEffectInfo = nullptr;
  TFSLabel* lblEffectInfo = nullptr;
  TFSLabel* lblTransLength = nullptr;
  TFSLabel* lblTransLen = nullptr;
  TFSPanel* pnlLeadInfo = nullptr;
  TFSLabel* lblLeadinfo = nullptr;
  TFSPanel* pnlSlideEditInfo = nullptr;
  TFSLabel* lblSname = nullptr;
  TFSLabel* lblSlidename = nullptr;
  TFSLabel* lblSLength = nullptr;
  TFSLabel* lblSlidelength = nullptr;
  TFSButton* btnPreviewslide = nullptr;
  TFSPanel* pnlVideoInfo = nullptr;
  TFSLabel* lblVideoInfo = nullptr;
  TFSPanel* pnlSubTipsInfo = nullptr;
  TFSLabel* lblSubTips = nullptr;
  TFSPanel* pnlSubVideoInfo = nullptr;
  TFSLabel* lblVidSource = nullptr;
  TFSEdit* edtFileName = nullptr;
  TFSLabel* lblDuration = nullptr;
  TFSLabel* lblLength = nullptr;
  TFSLabel* lblRes = nullptr;
  TFSLabel* lblReso = nullptr;
  TFSPanel* pnlPlayer = nullptr;
  TFSLabel* lblPlaytimeinfo = nullptr;
  TFSLabel* lblPlayer = nullptr;
  TFSPanel* pnlVideoPlayer = nullptr;
  TFSPanel* pnlTransPlayer = nullptr;
  TFSVideoTrackBar* VCTrack = nullptr;
  TFSSkinButton* btnPlayer = nullptr;
  TFSSkinButton* btnPause = nullptr;
  TFSSkinButton* btnStop = nullptr;
  TFSSkinButton* btnCapture = nullptr;
  TFSSkinButton* btnOpen = nullptr;
  TFSSkinButton* btnFullScreen = nullptr;
  TFSPanel* pnlStoryArea = nullptr;
  TFSLabel* lblTitles = nullptr;
  TFSSkinButton* btnAddSlide = nullptr;
  TFSSkinButton* btnDelSlide = nullptr;
  TFSSkinButton* btnPreSlide = nullptr;
  TFSTreeView* tvStoryBoard = nullptr;
  TFSLabel* lblStoryBoard = nullptr;
  TFSSkinButton* btnEditBtn = nullptr;
  TFSSkinButton* btnRemoveSlide = nullptr;
  TFSSkinButton* btnClearSlide = nullptr;
  TFSSkinButton* btnSlideLine = nullptr;
  TFSPanel* pnlStoryBoard = nullptr;
  TFSPanel* StoryBoardTessaly = nullptr;
  TFSPanel* pnlMenuView = nullptr;
  TFSPanel* pnlTemplates = nullptr;
  TFSLabel* lblTemplates = nullptr;
  TFSComboBox* cbTemplates = nullptr;
  TFSPanel* pnlMenuEdit = nullptr;
  TFSPhotoView* pvMenu = nullptr;
  TFSLabel* lblAddItemInfo = nullptr;
  TFSLabel* lbldownloadmenu = nullptr;
  TFSButton* btnDownload = nullptr;
  TFSPanel* pnlTextEdit = nullptr;
  TFSLabel* lblText = nullptr;
  TFSLabel* lblContent = nullptr;
  TFSEdit* edtSlideText = nullptr;
  TFSLabel* lblFont = nullptr;
  TFSComboBox* cmbFontName = nullptr;
  TFSLabel* lblColor = nullptr;
  TFSLabel* lblSize = nullptr;
  TFcColorEdit* ceFontColor = nullptr;
  TFSSpinEdit* ComFontSize = nullptr;
  TFSSkinButton* btnBold = nullptr;
  TFSSkinButton* btnItalic = nullptr;
  TFSSkinButton* btnUnderline = nullptr;
  TFSSkinButton* btnStrikeout = nullptr;
  TFSButton* btnAddtext = nullptr;
  TFSSkinButton* FSSkinButton1 = nullptr;
  TFSEdit* FSEdit1 = nullptr;
  TFSPanel* pnlMenuCard = nullptr;
  TFSLabel* lblMenuDesign = nullptr;
  TFSPanel* pnlMenu = nullptr;
  TFSSkinButton* btnPrevMenuPage = nullptr;
  TFSSkinButton* btnNextMenuPage = nullptr;
  TFSPanel* pnlMenuTools = nullptr;
  TFSLabel* lblBackground = nullptr;
  TFSButton* btnAddPicture = nullptr;
  TFSButton* btnAddThumb = nullptr;
  TFSLabel* lblCustomMusic = nullptr;
  TFSEdit* edtMusic = nullptr;
  TFSSkinButton* btnChangeMusic = nullptr;
  TFSSkinButton* btnclearMusic = nullptr;
  TFSSkinButton* btnMusicPlay = nullptr;
  TFSSkinButton* btnMusicStop = nullptr;
  TFSPanel* pnlPreview = nullptr;
  TFSPanel* pnlTV = nullptr;
  TFSPanel* pnlPrevPlay = nullptr;
  TFSPanel* pnlMenuPrev = nullptr;
  TFSPanel* pnlRemote = nullptr;
  TFSVideoTrackBar* MenuTrack = nullptr;
  TFSSkinButton* btnMenuPlay = nullptr;
  TFSSkinButton* btnMenuPause = nullptr;
  TFSSkinButton* btnMenuStop = nullptr;
  TFSSkinButton* btnPrev = nullptr;
  TFSSkinButton* btnNext = nullptr;
  TFSSkinButton* btnBack = nullptr;
  TFSLabel* lblMenuTime = nullptr;
  TFSPanel* pnlBurnerView = nullptr;
  TFSGroupBox* gbBurn = nullptr;
  TFSLabel* lblBurnType = nullptr;
  TFSRadioButton* rbDVD = nullptr;
  TFSRadioButton* rbDVDFolder = nullptr;
  TFSRadioButton* rbISO = nullptr;
  TFSPanel* pnlBurnSettings = nullptr;
  TFSLabel* lblSettings = nullptr;
  TFSLabel* lblDVDLabel = nullptr;
  TFSEdit* edtLV = nullptr;
  TFSLabel* lblTVStand = nullptr;
  TFSGroupBox* gbNtSC = nullptr;
  TFSRadioButton* rbNTSC = nullptr;
  TFSRadioButton* rbPAL = nullptr;
  TFSLabel* lblVidRatio = nullptr;
  TFSGroupBox* gbRatio = nullptr;
  TFSRadioButton* rb43 = nullptr;
  TFSRadioButton* rb169 = nullptr;
  TFSLabel* lblwarnInfo = nullptr;
  TFSPanel* pnlOutput = nullptr;
  TFSGroupBox* gbDVDOptions = nullptr;
  TFSLabel* lblDriverID = nullptr;
  TFSComboBox* cbDriver = nullptr;
  TFSLabel* lblBurnengine = nullptr;
  TFSLabel* lblCopies = nullptr;
  TFSSpinEdit* SEdtBurnTime = nullptr;
  TFSLabel* lblDirverInfo = nullptr;
  TFSGroupBox* gbDVDFolder = nullptr;
  TFSLabel* lblDVDFolder = nullptr;
  TFSButtonEdit* beDVDOutDir = nullptr;
  TFSButton* btnDVDOutDir = nullptr;
  TFSLabel* lblDVDNeedSpace = nullptr;
  TFSLabel* lblDVDNeedDisk = nullptr;
  TFSLabel* lblDVDSpareSpace = nullptr;
  TFSLabel* lblDVDSpareDisk = nullptr;
  TFSLabel* lblDVDFolderInfo = nullptr;
  TFSGroupBox* gbISOOptions = nullptr;
  TFSLabel* lblSaveISO = nullptr;
  TFSButtonEdit* edtISOFileName = nullptr;
  TFSButton* btnISOOutDir = nullptr;
  TFSLabel* lblISONeedSpace = nullptr;
  TFSLabel* lblISONeedDisk = nullptr;
  TFSLabel* lblISOSpareSpace = nullptr;
  TFSLabel* lblISOSpareDisk = nullptr;
  TFSLabel* lblISOInfo = nullptr;
  TFSButton* btnStart = nullptr;
  TFSPanel* pnlStatusLeft = nullptr;
  TFSComboBox* cbVideoquality = nullptr;
  TFSComboBox* cbDVDType = nullptr;
  TFSGaugeBar* gbDVDVolume = nullptr;
  TFSPanel* pnlStatusRight = nullptr;
  TFSLabel* lblTimerInfo = nullptr;

 protected:
  // The skinned form applies the read client size only once loaded; the main window takes it
  // at once as well, so its anchored controls are read against the size they were designed
  // for and keep their places.
  void SetClientWidth(int value) override;
  void SetClientHeight(int value) override;
  void Dispatch(TMessage& message) override;
  virtual void WMTimer(TMessage& message);
  void WMCloseWaitForm(TMessage& message);
  void WMWaitFormShown(TMessage& message);

 private:
  bool CloseButtonEnabled() const;
  void SetCloseButtonEnabled(bool value);
  // FormClose's question and its answer; false: the window stays open.
  bool AskToSaveBeforeClose();
  bool ProjectChangedSinceSave();

  std::unique_ptr<uMenu::TMenuTemplateView> FMenuTemplateView;

  // The state the workflow shares (declaration order of the design).
  int FDropExpected = 0;
  int FDropDone = 0;
  std::unique_ptr<TStringList> FDropFailures;
  bool FSaved = false;
  WideString FAppTitle;
  WideString FPlayCaption;
  double FMenuMusicSeconds = 0.0;
  int FCurrentTitle = 0;
  bool FSelIsTransition = false;
  HWND FPlayerParent = nullptr;
  std::unique_ptr<TMediaTaskMgr> FTaskMgr;
  WideString FThumbnailPath;
  EngineHandle FPlayerView = 0;
  std::unique_ptr<TVideoLibrary> FVideoLibrary;
  std::vector<EngineHandle> FTimelines;
  EngineHandle FTimeline = 0;
  EngineHandle FTimelineDoc = 0;
  EngineHandle FVideoTrack = 0;
  EngineHandle FSelectedClip = 0;
  EngineHandle FSelectedTrans = 0;
  std::unique_ptr<TVideoPlayer> FVideoPlayer;
  std::unique_ptr<uMenu::TMenu> FMenu;
  uint8_t FPlayState = 0;
  uint8_t FPlaySource = 0;
  uint8_t FPage = kPageEdit;
  int FPreviewIndex = 0;
  bool FFullScreen = false;
  double FPlayLength = 0.0;
  bool FClosing = false;
  bool FEnginesClosed = false;
  bool FFirstFrameShown = false;
  bool FHasProjectFile = false;
  bool FOpeningProject = false;
  WideString FProjectFileName;
};

extern TMainForm* MainForm;
// False while the clip editor asks a question: the main window then cannot close.
extern bool MainFormCanClose;
