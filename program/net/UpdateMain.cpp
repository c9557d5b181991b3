#include "program/net/UpdateMain.h"

#include <sys/stat.h>

#include <cmath>

#include "platform/comctl/Progress.h"
#include "platform/kernel/DebugOutput.h"
#include "platform/kernel/ProgramFolder.h"
#include "platform/shell/ShellApi.h"
#include "platform/user/Icons.h"
#include "platform/user/MessageBox.h"
#include "program/controls/ControlsModule.h"
#include "program/core/LogFile.h"
#include "program/net/Language.h"
#include "program/net/UpdateHelper.h"
#include "program/skin/DrawUtils.h"
#include "rtl/DateTime.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"
#include "vcl/Persistent.h"

namespace {

TUpdateMainForm* g_updateMainForm = nullptr;

bool IsHttpAddress(const WideString& url) {
  auto starts = [&](std::u16string_view prefix) {
    if (url.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
      char16_t c = url[i];
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
      if (c != prefix[i]) return false;
    }
    return true;
  };
  return starts(u"http://") || starts(u"https://");
}

bool FileExists(const AnsiString& name) {
  struct stat info{};
  return !name.empty() && ::stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

AnsiString ToLower(AnsiString text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

void Log(const AnsiString& text) {
  OutputDebugStringA(("Live update: " + text + "\n").c_str());
  WriteLog("Live update: " + text);
}

}  // namespace

TUpdateWindowHooks& UpdateWindowHooks() {
  static TUpdateWindowHooks hooks;
  return hooks;
}

TUpdateMainForm* UpdateMainForm() { return g_updateMainForm; }

int ShowMessageBoxW(HWND parent, const WideString& text, UINT flags) {
  const WideString caption = (flags & 48) == 48 ? u"Warning" : (flags & 16) ? u"Error" : (flags & 32) ? u"Confirm" : u"Information";
  if (UpdateWindowHooks().MessageBox) return UpdateWindowHooks().MessageBox(text, caption, flags);
  return MessageBoxW(parent, text.c_str(), caption.c_str(), flags);
}

// ---- the what's-new page ---------------------------------------------------------------------

void WBShowHTMLBody(THtmlView* browser, const WideString& body) {
  const WideString html = WideString(u"\uFEFF") + u"<html>\r\n<head>\r\n" +
                          u"<meta content=\"text/html; charset=unicode\" http-equiv=\"content-type\" />\r\n" +
                          u"<title></title>\r\n</head>\r\n<body style=\"font-size:9pt\">\r\n" + body +
                          u"</body>\r\n</html>\r\n";
  WBLoadHTML(browser, html);
}

HRESULT WBLoadHTML(THtmlView* browser, const WideString& html) {
  TMemoryStream stream;
  for (char16_t c : html) {
    const uint8_t bytes[2] = {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>(c >> 8)};
    stream.WriteBuffer(bytes, 2);
  }
  stream.SetPosition(0);
  return WBLoadStream(browser, stream);
}

HRESULT WBLoadStream(THtmlView* browser, TStream& stream) {
  if (!browser) return E_FAIL;
  const int64_t size = stream.Size() - stream.Position();
  if (size < 0 || size % 2 != 0) return E_FAIL;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (size > 0) stream.ReadBuffer(bytes.data(), static_cast<int32_t>(size));
  WideString html;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) html += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
  browser->SetHtml(html);
  return S_OK;
}

// ---- the window ------------------------------------------------------------------------------

TUpdateMainForm::TUpdateMainForm(TComponent* owner) : TSkinForm(owner), FManager(std::make_unique<TLiveUpdateMgr>()) {
  SetAutoModalOwner(false);
  // The window's own small icon, compiled into the program.
  if (HANDLE icon = LoadImageW(nullptr, u"QMLiveUpdate", IMAGE_ICON, 16, 16, 0))
    Icon()->SetHandle(static_cast<HICON>(icon));
  RegisterPages();
}

void TUpdateMainForm::RegisterPages() {
  if (!FPages.empty() || !CheckPanel) return;
  FPages = {{1, CheckPanel}, {2, WhatNewPanel}, {3, InformationPanel}};
  for (auto& [number, panel] : FPages)
    if (panel) panel->SetVisible(false);
  SetPage(1);
}

TUpdateMainForm::~TUpdateMainForm() {
  // The design's OnDestroy handler is a method of this class: it runs here, while the form is
  // still whole, and not from the class library's form destructor, which would call it on what
  // is left of the object by then.
  if (OnDestroy) {
    const TNotifyEvent destroy = OnDestroy;
    OnDestroy = nullptr;
    try {
      destroy(this);
    } catch (...) {
      Application->HandleException(this);
    }
  }
  FManager->Cancel();
  if (g_updateMainForm == this) g_updateMainForm = nullptr;
}

void TUpdateMainForm::DescribeClass(TClassBuilder<TUpdateMainForm>& c) {
  c.Field("CheckPanel", &TUpdateMainForm::CheckPanel);
  c.Field("lblProgressMsg", &TUpdateMainForm::lblProgressMsg);
  c.Field("ProgressBar", &TUpdateMainForm::ProgressBar);
  c.Field("btnCancel", &TUpdateMainForm::btnCancel);
  c.Field("WhatNewPanel", &TUpdateMainForm::WhatNewPanel);
  c.Field("WhatNewWEB", &TUpdateMainForm::WhatNewWEB);
  c.Field("btnSetup", &TUpdateMainForm::btnSetup);
  c.Field("btnBuy", &TUpdateMainForm::btnBuy);
  c.Field("btnCancel2", &TUpdateMainForm::btnCancel2);
  c.Field("InformationPanel", &TUpdateMainForm::InformationPanel);
  c.Field("lblInformation", &TUpdateMainForm::lblInformation);
  c.Field("btnClose", &TUpdateMainForm::btnClose);
  c.Method("btnCancelClick", &TUpdateMainForm::btnCancelClick);
  c.Method("btnSetupClick", &TUpdateMainForm::btnSetupClick);
  c.Method("btnBuyClick", &TUpdateMainForm::btnBuyClick);
  c.Method("SkinFormCreate", &TUpdateMainForm::SkinFormCreate);
  c.Method("SkinFormClose", &TUpdateMainForm::SkinFormClose);
  c.Method("SkinFormDestroy", &TUpdateMainForm::SkinFormDestroy);
}

void TUpdateMainForm::SetPage(int page) {
  if (page == FCurrentPage) return;
  auto next = FPages.find(page);
  if (next == FPages.end() || !next->second) return;
  next->second->SetVisible(true);
  next->second->BringToFront();
  auto previous = FPages.find(FCurrentPage);
  if (previous != FPages.end() && previous->second) previous->second->SetVisible(false);
  FCurrentPage = page;
}

void TUpdateMainForm::SkinFormCreate(TObject*) {
  RegisterPages();
  LangApplyToForm(this);
}

void TUpdateMainForm::SkinFormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TUpdateMainForm::SkinFormDestroy(TObject*) {
  if (g_updateMainForm == this) g_updateMainForm = nullptr;
}

void TUpdateMainForm::btnCancelClick(TObject*) { Close(); }

void TUpdateMainForm::btnBuyClick(TObject*) {
  const WideString url = FManager->Response().BuyUrl;
  if (IsHttpAddress(url)) THtmlView::OpenLink(url);
}

void TUpdateMainForm::StartCheck(bool manual, const AnsiString& productId, const WideString& version) {
  FManual = manual;
  FVersion = version;
  // A setup downloaded earlier runs when it is newer than this program and still the file
  // that was checked; any other record is stale.
  if (AppConfig.ValueExists(u"DownloadedUpdate", u"Version") || AppConfig.ValueExists(u"DownloadedUpdate", u"SetupFile")) {
    const WideString recorded = AppConfig.ReadString(u"DownloadedUpdate", u"Version", u"");
    const AnsiString setup = AppConfig.ReadStringA("DownloadedUpdate", "SetupFile", "");
    const AnsiString digest = ToLower(AppConfig.ReadStringA("DownloadedUpdate", "Sha256", ""));
    if (CompareVersions(recorded, version) > 0 && FileExists(setup) && IsSha256Text(digest) &&
        FileSha256(setup) == digest) {
      RunSetup(setup);
      return;
    }
    AppConfig.EraseSection(u"DownloadedUpdate");
  }
  const AnsiString url = GetUpdateUrl();
  WideString address;
  if (url.empty() || !FormatTemplate(UTF8ToWide(url), {UTF8ToWide(productId), version}, address)) {
    if (FManual) {
      ShowMessageBoxW(nullptr,
                      LangGetText(u"INF_LiveUpdateConfigInvalid", u"The LiveUpdate.ini config file is incorrect."), 16);
    } else {
      Log(url.empty() ? "no update address is configured" : "the update address is not a usable template");
    }
    Close();
    return;
  }
  lblProgressMsg->SetCaption(WideToUTF8(LangGetText(u"INF_UpdateConnectServer", u"Checking new version.")));
  FManager->CheckUpdate(WideToUTF8(address),
                        TUpdateCheckedEvent::FromMethod(
                            [this](TObject* s, uint8_t r, TUpdateResponse& response) { CheckFinished(s, r, response); },
                            TMethod{nullptr, this}));
  ProgressBar->SetStyle(pbstMarquee);
  ProgressBar->SetMarqueeInterval(100);
}

void TUpdateMainForm::CheckFinished(TObject*, uint8_t Result, TUpdateResponse& Response) {
  ProgressBar->SetStyle(pbstNormal);
  if (Result != 1) {
    lblProgressMsg->SetCaption(WideToUTF8(LangGetText(u"INF_UpdateFaildToDownladXML", u"Fail to check update.")));
    if (!FManual) Log("the check failed");
  } else {
    ShowCheckResult(Response);
  }
  if (UpdateWindowHooks().CheckDone) UpdateWindowHooks().CheckDone(this);
}

void TUpdateMainForm::ShowCheckResult(TUpdateResponse& Response) {
  btnSetup->SetEnabled(!Response.ExeUrl.empty());
  if (!Response.BuyUrl.empty()) {
    btnSetup->SetVisible(false);
    btnBuy->SetVisible(true);
    const bool usable = IsHttpAddress(Response.BuyUrl);
    btnBuy->SetEnabled(usable);
    SetPage(2);
    Show();
    const WideString text = EscapeXMLText(LangGetText(u"INF_BuyNewVersion", u"Find new version.Please buy it."), true);
    WideString body;
    if (usable) {
      FormatTemplate(u"<p><b>%0:s</b><br />\r\n<a href=\"%1:s\">%1:s</a></p>", {text, EscapeXMLText(Response.BuyUrl, true)},
                     body);
    } else {
      body = u"<p><b>" + text + u"</b></p>";
    }
    WBShowHTMLBody(WhatNewWEB, body + Response.GetWhatsNewHTML());
    Repaint();
  } else if (!Response.ExeUrl.empty() && CompareVersions(Response.GetLatestVersion(), FVersion) > 0) {
    btnSetup->SetEnabled(true);
    btnSetup->SetVisible(true);
    btnBuy->SetVisible(false);
    SetPage(2);
    Show();
    const WideString text = EscapeXMLText(
        LangGetText(u"INF_UpdateNewVersion", u"Find new version.Would you like to update now?"), true);
    WBShowHTMLBody(WhatNewWEB, u"<p><b>" + text + u"</b></p>" + Response.GetWhatsNewHTML());
    Repaint();
  } else {
    ShowInformation(LangGetText(u"INF_UpdateLastVersion", u"Your current use is the latest version!"));
    if (!Visible()) Close();
  }
}

void TUpdateMainForm::ShowInformation(const WideString& text) {
  lblInformation->SetCaption(WideToUTF8(text));
  SetPage(3);
}

void TUpdateMainForm::btnSetupClick(TObject*) {
  if (FManager->Response().ExeUrl.empty()) {
    Close();
    return;
  }
  FStatusText = LangGetText(u"INF_UpdateDownloading", u"Downloading update, please wait...");
  FProgressFormat = LangGetText(u"INF_DownloadingPercent", u"(downloaded %s, total %s)");
  lblProgressMsg->SetCaption(WideToUTF8(FStatusText));
  ProgressBar->SetParams(0, 0, 100);
  if (!FManager->DownloadUpdate(
          THttpProgressEvent::FromMethod([this](TObject* s, int64_t p, int64_t t) { DownloadProgress(s, p, t); },
                                         TMethod{nullptr, this}),
          TFileReceivedEvent::FromMethod([this](TObject* s, uint8_t r, const AnsiString& f) { DownloadFinished(s, r, f); },
                                         TMethod{nullptr, this}))) {
    ShowMessageBoxW(Handle(), LangGetText(u"INF_DownloadUpdateFileFail", u"download file failed."), 16);
    return;
  }
  SetPage(1);
}

void TUpdateMainForm::DownloadProgress(TObject*, int64_t Position, int64_t Total) {
  if (Total > 0) {
    WideString counts;
    FormatTemplate(FProgressFormat,
                   {UTF8ToWide(FormatByteSize(static_cast<uint64_t>(Position))),
                    UTF8ToWide(FormatByteSize(static_cast<uint64_t>(Total)))},
                   counts) ||
        FormatTemplate(u"(downloaded %s, total %s)",
                       {UTF8ToWide(FormatByteSize(static_cast<uint64_t>(Position))),
                        UTF8ToWide(FormatByteSize(static_cast<uint64_t>(Total)))},
                       counts);
    lblProgressMsg->SetCaption(WideToUTF8(FStatusText + counts));
  }
  // The bar counts in 32 bits: large files are shown in KiB.
  const int shift = Total > 0x3FFFFFFF ? 10 : 0;
  ProgressBar->SetParams(static_cast<int>(std::max<int64_t>(Position, 0) >> shift), 0,
                         static_cast<int>(std::max<int64_t>(Total, 0) >> shift));
}

void TUpdateMainForm::DownloadFinished(TObject*, uint8_t Result, const AnsiString& FileName) {
  TUpdateResponse& response = FManager->Response();
  if (Result != 1) {
    ShowMessageBoxW(Handle(), LangGetText(u"INF_DownloadUpdateFileFail", u"download file failed."), 16);
    if (UpdateWindowHooks().DownloadDone) UpdateWindowHooks().DownloadDone(this);
    return;
  }
  ::chmod(FileName.c_str(), 0700);
  const AnsiString digest = FileSha256(FileName);
  if (response.ExeSha256.empty()) {
    // Nothing to check it against: keep it, show where it is, and leave starting it to the user.
    const AnsiString folder = FileName.substr(0, FileName.rfind('/'));
    ShellExecuteA(nullptr, "open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    ShowInformation(FormatLanguageText(u"INF_UpdateSaved",
                                       u"The update was saved as %s. It was not started, as the server gave no "
                                       u"checksum to verify it.",
                                       {UTF8ToWide(FileName)}));
    Log("saved " + FileName + " without a checksum; not started");
  } else if (digest != response.ExeSha256) {
    // Not the file the server described: it is never started.
    ::unlink(FileName.c_str());
    Log("the download of " + FileName + " does not match its checksum; removed");
    ShowMessageBoxW(Handle(), LangGetText(u"INF_DownloadUpdateFileFail", u"download file failed."), 16);
  } else {
    AppConfig.WriteString(u"DownloadedUpdate", u"Version", response.GetLatestVersion());
    AppConfig.WriteStringA("DownloadedUpdate", "AutoInstall", "0");
    AppConfig.WriteStringA("DownloadedUpdate", "SetupFile", FileName);
    AppConfig.WriteStringA("DownloadedUpdate", "Sha256", digest);
    if (UpdateWindowHooks().DownloadDone) UpdateWindowHooks().DownloadDone(this);
    RunSetup(FileName);
    return;
  }
  if (UpdateWindowHooks().DownloadDone) UpdateWindowHooks().DownloadDone(this);
}

void TUpdateMainForm::RunSetup(const AnsiString& fileName) {
  if (UpdateWindowHooks().BeforeSetup) UpdateWindowHooks().BeforeSetup(this);
  AnsiString reason;
  if (!StartChildProcess(fileName, {"/SILENT", "/DIR=" + platform::ProgramFolder() + "/"}, reason)) {
    Log(reason);
    ShowMessageBoxW(Handle(), LangGetText(u"INF_DownloadUpdateFileFail", u"download file failed."), 16);
    return;
  }
  Log("started " + fileName);
  Application->Terminate();
  Close();
}

// ---- entry points ----------------------------------------------------------------------------

void RegisterUpdateWindowClasses() {
  static const bool registered = [] {
    StartControlsModule();
    RegisterClasses({TLabel::StaticClass(), TProgressBar::StaticClass(), THtmlView::StaticClass()});
    return true;
  }();
  (void)registered;
}

void RunLiveUpdate(TComponent* owner, bool manual, const AnsiString& productId, const WideString& version) {
  RegisterUpdateWindowClasses();
  if (AppConfig.FileName.empty()) AppConfig.Create(LiveUpdateConfig().FileName, u"System");
  if (!manual) {
    const int period = AppConfig.ReadInteger(u"System", u"UpdatePeriod", 0);
    // Whole days, halves to even.
    if (period <= 0 || std::nearbyint(Date() - ReadLastUpdateTime()) < period) return;
  }
  if (!g_updateMainForm) g_updateMainForm = TCustomForm::Create<TUpdateMainForm>(owner);
  TUpdateMainForm* form = g_updateMainForm;
  if (manual) {
    form->Show();
    form->Update();
  } else {
    form->HandleNeeded();
    form->Hide();
  }
  form->StartCheck(manual, productId, version);
  try {
    WriteLastUpdateTime(Now());
  } catch (...) {
    if (ApplicationHandleException) ApplicationHandleException(nullptr, std::current_exception());
  }
}

bool ShowLiveUpdate(TComponent* owner, bool manual, const AnsiString& productId) {
  RunLiveUpdate(owner, manual, productId, GetProgramVersionText(UTF8ToWide(platform::ExecutablePath())));
  return true;
}
