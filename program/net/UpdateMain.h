#pragma once

// The live-update window (TUpdateMainForm) and its entry points. ShowLiveUpdate decides
// whether a check is due, makes the one update window and starts the check; the window
// shows the check with a running marquee (page 1), the newest version and what is new in it
// (page 2), or a message (page 3); it downloads the setup with progress and starts it once
// its SHA-256 matches the one the server gave, which ends the program. A setup without a
// digest is kept in the download folder and shown, never started.
//
// GUI thread only. The window frees itself when closed; the global reference follows it.

#include <functional>
#include <map>
#include <memory>

#include "platform/kernel/ComBase.h"
#include "program/controls/FSButton.h"
#include "program/controls/FSPanel.h"
#include "program/net/HtmlView.h"
#include "program/net/LiveUpdateMgr.h"
#include "program/skin/SkinForm.h"
#include "vcl/Label.h"
#include "vcl/ProgressBar.h"

class TUpdateMainForm : public TSkinForm {
  BRANTWELL_CLASS(TUpdateMainForm, TSkinForm)

 public:
  explicit TUpdateMainForm(TComponent* owner);
  ~TUpdateMainForm() override;
  static void DescribeClass(TClassBuilder<TUpdateMainForm>& c);

  void StartCheck(bool manual, const AnsiString& productId, const WideString& version);
  void SetPage(int page);
  int CurrentPage() const { return FCurrentPage; }
  TLiveUpdateMgr& Manager() { return *FManager; }

  void btnCancelClick(TObject* Sender);
  void btnSetupClick(TObject* Sender);
  void btnBuyClick(TObject* Sender);
  void SkinFormCreate(TObject* Sender);
  void SkinFormClose(TObject* Sender, TCloseAction& Action);
  void SkinFormDestroy(TObject* Sender);

  TFSPanel* CheckPanel = nullptr;
  TLabel* lblProgressMsg = nullptr;
  TProgressBar* ProgressBar = nullptr;
  TFSButton* btnCancel = nullptr;
  TFSPanel* WhatNewPanel = nullptr;
  THtmlView* WhatNewWEB = nullptr;
  TFSButton* btnSetup = nullptr;
  TFSButton* btnBuy = nullptr;
  TFSButton* btnCancel2 = nullptr;
  TFSPanel* InformationPanel = nullptr;
  TLabel* lblInformation = nullptr;
  TFSButton* btnClose = nullptr;

 private:
  void CheckFinished(TObject* Sender, uint8_t Result, TUpdateResponse& Response);
  void ShowCheckResult(TUpdateResponse& Response);
  void DownloadProgress(TObject* Sender, int64_t Position, int64_t Total);
  void DownloadFinished(TObject* Sender, uint8_t Result, const AnsiString& FileName);
  void RegisterPages();
  void ShowInformation(const WideString& text);
  void RunSetup(const AnsiString& fileName);

  std::map<int, TFSPanel*> FPages;
  int FCurrentPage = 0;
  std::unique_ptr<TLiveUpdateMgr> FManager;
  WideString FStatusText;
  WideString FProgressFormat;
  WideString FVersion;
  bool FManual = false;
};

// Where the window reaches outside itself, replaceable by tests and tools: the message boxes
// (answered without a modal loop), and the moments worth a picture.
struct TUpdateWindowHooks {
  std::function<int(const WideString& text, const WideString& caption, UINT flags)> MessageBox;
  std::function<void(TUpdateMainForm* form)> CheckDone;     // the check's answer is shown
  std::function<void(TUpdateMainForm* form)> BeforeSetup;   // the setup is about to start
  std::function<void(TUpdateMainForm* form)> DownloadDone;  // a download ended (any result)
};
TUpdateWindowHooks& UpdateWindowHooks();

// The update window while one exists.
TUpdateMainForm* UpdateMainForm();

// The classes the window's form file names (once per process).
void RegisterUpdateWindowClasses();

// Checks with the program file's own version; always true.
bool ShowLiveUpdate(TComponent* owner, bool manual, const AnsiString& productId);
void RunLiveUpdate(TComponent* owner, bool manual, const AnsiString& productId, const WideString& version);

// A message box whose caption follows the icon of flags: "Warning", "Error", "Confirm" or
// "Information".
int ShowMessageBoxW(HWND parent, const WideString& text, UINT flags);

// The what's-new page: a whole HTML document around body, handed to the view as the
// UTF-16 bytes of a stream.
void WBShowHTMLBody(THtmlView* browser, const WideString& body);
HRESULT WBLoadHTML(THtmlView* browser, const WideString& html);
HRESULT WBLoadStream(THtmlView* browser, TStream& stream);
