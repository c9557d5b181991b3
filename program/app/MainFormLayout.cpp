// The fixed parts of the main window: the initial panel state, the fit to the work area, the
// edit page's information panels and header images, the explorer combo, moving the window
// by its client area and the commands of the top menu.

#include "platform/kernel/FileApi.h"
#include "platform/shell/ShellApi.h"
#include "platform/user/WinUser.h"
#include "program/app/About.h"
#include "program/app/MainForm.h"
#include "program/app/OptionForm.h"
#include "program/controls/FSPhotoView.h"
#include "program/app/SharedRoutines.h"
#include "program/core/LogFile.h"
#include "program/core/WideFileUtils.h"
#include "program/engine/LanguageEngine.h"
#include "program/net/UpdateMain.h"
#include "rtl/Format.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"
#include "vcl/Screen.h"
#include "vcl/TypInfo.h"

namespace {

constexpr char kUserGuideFile[] = "User Guide.html";

// The timeline of each title fills the storyboard panel after the window's size changed.
void FitTimelineWindows(const std::vector<EngineHandle>& timelines, TWinControl* panel) {
  for (EngineHandle timeline : timelines)
    if (HWND window = GetTimelineHwnd(timeline)) MoveWindow(window, 0, 0, panel->Width(), panel->Height(), TRUE);
}

}  // namespace

void TMainForm::SetFontPitchFixed() {
  for (int i = 0; i < ComponentCount(); ++i)
    SetNestedOrdProp(Components(i), "Font", "Pitch", Variant(static_cast<int>(fpFixed)), tkEnumeration);
}

void TMainForm::InitLayout() {
  ShowPage(kPageEdit, false);
  ShowInfoPanel(2, 0);
  for (TControl* control : std::initializer_list<TControl*>{lblDirverInfo, pvTessaly, pnlMenuPrev, pnlTransPlayer,
                                                            pnlTextEdit, gbISOOptions, gbDVDFolder, pnlSubTipsInfo,
                                                            btnMusicStop, btnPause, lblDVDFolderInfo, lblISOInfo})
    control->SetVisible(false);
  for (TControl* control :
       std::initializer_list<TControl*>{pnlStart, pnlPrevPlay, pnlVideoPlayer, pnlMenuEdit, gbDVDOptions, btnPlayer})
    control->SetVisible(true);
  lblMenuTime->SetVisible(!pnlPrevPlay->Visible());
  for (TControl* control : std::initializer_list<TControl*>{btnDelSlide, btnFullScreen, btnStop, btnCapture, btnSlideLine})
    control->SetEnabled(false);
  cbTemplates->SetItemIndex(0);
  if (cbDVDType->Items()->Count() == 0) {
    cbDVDType->Items()->Add("DVD-R 4.5G(4483MB)");
    cbDVDType->Items()->Add("DVD-R 9.0G(8152MB)");
  }
  if (cbDVDType->ItemIndex() < 0) cbDVDType->SetItemIndex(0);
  // lblSlideInfo keeps its designed width: it fits the info column it lives in.
  edtSlideText->SetMaxLength(100);
  ComFontSize->SetMinValue(4);
  ComFontSize->SetMaxValue(200);
  FitToWorkArea();
}

void TMainForm::FitToWorkArea() {
  const TSize size = FitMainFormSize(Screen->WorkAreaRect());
  SetBounds(Left(), Top(), size.cx, size.cy);
  // The size lock reads these two, so they carry the chosen size and follow nothing else.
  pnlEditView->SetWidth(size.cx - kMainFormFrameWidth);
  gbDVDVolume->SetTop(size.cy - kMainFormFrameHeight - gbDVDVolume->Height());
  // Centred on the work area again at the fitted size.
  const TRect work = Screen->WorkAreaRect();
  SetBounds(work.Left + (work.Width() - size.cx) / 2, work.Top + (work.Height() - size.cy) / 2, size.cx, size.cy);
  FitTimelineWindows(FTimelines, StoryBoardTessaly);
}

void TMainForm::ShowInfoPanel(int Kind, int Sub) {
  pnlClipEditInfo->SetVisible(Kind == 0);
  pnlEffectInfo->SetVisible(Kind == 1);
  pnlLeadInfo->SetVisible(Kind == 2);
  pnlSlideEditInfo->SetVisible(Kind == 3);
  pnlVideoInfo->SetVisible(Kind == 4);
  if (Kind == 4) {
    pnlSubTipsInfo->SetVisible(Sub == 1);
    pnlSubVideoInfo->SetVisible(Sub != 1);
  }
}

void TMainForm::ShowInfoImage(int Kind) {
  imgSlide->SetVisible(Kind == 0);
  imgTrans->SetVisible(Kind == 1);
  imgVideo->SetVisible(Kind == 2);
  imgClip->SetVisible(Kind == 3);
}

void TMainForm::ShowSourceView(bool Show) {
  btnLoadFile->SetVisible(Show);
  pvTessaly->SetVisible(Show);
  pnlVideoPlayer->SetVisible(Show);
  PVEffect->SetVisible(!Show);
  pnlTransPlayer->SetVisible(!Show);
  // Each view keeps its own command buttons beside it.
  pnlSourceButtons->SetVisible(Show);
  pnlTransButtons->SetVisible(!Show);
}

void TMainForm::cbExplorerChange(TObject*) {
  // The pages' own commands (acEditExecute, acEffectExecute) take over here once they exist.
  switch (cbExplorer->ItemIndex()) {
    case 0:
      ShowPage(kPageEdit, true);
      ShowSourceView(true);
      // An empty library shows its empty state in the list's place.
      pnlStart->SetVisible(pvTessaly->Items()->Count() == 0);
      pvTessaly->SetVisible(!pnlStart->Visible());
      cbExplorer->SetTag(0);
      break;
    case 1:
      ShowPage(kPageEffect, true);
      ShowSourceView(false);
      pnlStart->SetVisible(false);
      cbExplorer->SetTag(1);
      break;
    default:
      break;
  }
}

void TMainForm::FormMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
  ReleaseCapture();
  SendMessageW(Handle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void TMainForm::tbMenuCustomDrawButton(TToolBar* Sender, TToolButton*, UINT, bool&) {
  Sender->Canvas()->Font()->SetColor(static_cast<TColor>(0xFFFFFF));
}

void TMainForm::miexitClick(TObject*) { Close(); }

void TMainForm::miAboutClick(TObject*) {
  std::unique_ptr<TAboutForm> about(TAboutForm::CreateAbout(this));
  about->ShowModal();
}

void TMainForm::HelpContents1Execute(TObject* Sender) { miAboutClick(Sender); }

void TMainForm::btnHelpClick(TObject*) {
  WideString programFolder, ignored;
  WideGetAppPaths(u"", u"", programFolder, ignored);
  const WideString guide = WideIncludeTrailingBackslash(programFolder) + UTF8ToWide(AnsiString(kUserGuideFile));
  const bool opened = WideFileExists(guide) &&
                      reinterpret_cast<intptr_t>(ShellExecuteA(Handle(), "open", WideToUTF8(guide).c_str(), nullptr,
                                                               nullptr, SW_SHOWNORMAL)) > 32;
  if (!opened)
    MsgBox(Handle(), Format(WideToUTF8(LanguageText(u"INF_HelpFile_Missing")), {WideToUTF8(guide)}),
           WideToUTF8(LanguageText(u"Info_Title")), MB_OK | MB_ICONINFORMATION);
}

void TMainForm::miContentClick(TObject* Sender) { btnHelpClick(Sender); }

// Only web addresses are opened: a settings value never starts a program or opens a file.
void TMainForm::miSupportClick(TObject*) { OpenUrlInBrowser(WideToUTF8(ReadScrambledValue("HTTP", "SupportPage"))); }

void TMainForm::miProducePageClick(TObject*) {
  OpenUrlInBrowser(WideToUTF8(ReadScrambledValue("HTTP", "ProductPageURL")));
}

void TMainForm::miUpdateClick(TObject*) {
  if (!ActivateWindow("TUpdateMainForm", "Live Update")) ShowLiveUpdate(this, true, ReadProductID());
}

void TMainForm::acOptionsExecute(TObject*) {
  WriteLog("Create frmOption.");
  // FIXME: an accepted change refreshes the size estimate once the burn page has one.
  ShowOptions(this);
}
