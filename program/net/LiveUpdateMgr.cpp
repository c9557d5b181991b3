#include "program/net/LiveUpdateMgr.h"

#include <cctype>

#include "program/net/Language.h"
#include "program/net/UpdateHelper.h"
#include "rtl/Strings.h"

namespace {

IXMLNodePtr Child(const IXMLNodePtr& node, const char16_t* name) { return node->GetChildNodes()->FindNode(name); }

WideString ChildText(const IXMLNodePtr& node, const char16_t* name) {
  IXMLNodePtr child = Child(node, name);
  return child ? child->GetText() : WideString();
}

WideString Trimmed(const WideString& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && text[begin] <= u' ') ++begin;
  while (end > begin && text[end - 1] <= u' ') --end;
  return text.substr(begin, end - begin);
}

// Adds an item per element child of the list; the number added.
int ReadVersions(const IXMLNodePtr& list, TUpdateVersionList& versions) {
  int added = 0;
  auto children = list->GetChildNodes();
  for (int i = 0; i < children->GetCount(); ++i) {
    IXMLNodePtr entry = children->GetItem(i);
    if (entry->GetNodeType() != ELEMENT_NODE) continue;
    TUpdateVersionItem& item = versions.Add();
    item.Version = Trimmed(ChildText(entry, u"Version"));
    item.Text = ChildText(entry, u"Text");
    ++added;
  }
  return added;
}

}  // namespace

void TUpdateResponse::Clear() {
  Versions.Clear();
  ExeUrl.clear();
  BuyUrl.clear();
  ExeSha256.clear();
}

bool TUpdateResponse::LoadFromXML(const IXMLNodePtr& root) {
  Clear();
  if (!root) return false;
  ExeUrl = Trimmed(ChildText(root, u"ExeUrl"));
  BuyUrl = Trimmed(ChildText(root, u"BuyUrl"));
  AnsiString digest = WideToUTF8(Trimmed(ChildText(root, u"ExeSha256")));
  if (IsSha256Text(digest)) {
    for (char& c : digest) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ExeSha256 = digest;
  }
  IXMLNodePtr list = Child(root, u"WhatNews");
  if (!list) {
    Clear();
    return false;
  }
  if (ReadVersions(list, Versions) == 0) {
    IXMLNodePtr buyList = Child(root, u"BuyWhatNews");
    if (!buyList) {
      Clear();
      return false;
    }
    ReadVersions(buyList, Versions);
  }
  return true;
}

WideString TUpdateResponse::GetLatestVersion() const {
  return Versions.Count() > 0 ? Versions.Items(0).Version : WideString();
}

WideString TUpdateResponse::GetWhatsNewHTML() const {
  WideString html;
  const WideString heading = EscapeXMLText(LangGetText(u"INF_UpdateVersion", u"Version:"), true);
  for (const auto& item : Versions) {
    WideString items;
    const WideString& text = item->Text;
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find_first_of(u"\r\n", start);
      if (end == WideString::npos) end = text.size();
      const WideString line = text.substr(start, end - start);
      if (!line.empty()) items += u"<li>" + EscapeXMLText(line, true) + u"</li>";
      if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ++end;
      start = end + 1;
    }
    html += u"<b>" + heading + u" " + EscapeXMLText(item->Version, true) + u"</b>\r\n<b><br>What's new:<br></b>\r\n<ul>" +
            items + u"</ul>";
  }
  return html;
}

TLiveUpdateMgr::TLiveUpdateMgr() : FResponse(std::make_unique<TUpdateResponse>()), FHttpGet(std::make_unique<THttpGet>()) {
  // Update transfers need a verified peer.
  FHttpGet->RequireHttps = true;
}

TLiveUpdateMgr::~TLiveUpdateMgr() { Cancel(); }

void TLiveUpdateMgr::Cancel() {
  FHttpGet->Cancel(this);
  FHttpGet->CancelMethod(FOnFinished.Method());
  FHttpGet->CancelMethod(FOnProgress.Method());
}

bool TLiveUpdateMgr::CheckUpdate(const AnsiString& url, TUpdateCheckedEvent onChecked) {
  FHttpGet->Cancel(this);
  FOnChecked = std::move(onChecked);
  return FHttpGet->GetXML(url, "",
                          TXMLReceivedEvent::FromMethod(
                              [this](TObject* sender, uint8_t result, IXMLDocumentPtr document) {
                                XMLReceived(sender, result, std::move(document));
                              },
                              TMethod{nullptr, this}));
}

void TLiveUpdateMgr::XMLReceived(TObject*, uint8_t result, IXMLDocumentPtr document) {
  if (result == 1 && !(document && FResponse->LoadFromXML(document->GetDocumentElement()))) result = 2;
  if (result != 1) FResponse->Clear();
  if (FOnChecked) FOnChecked(this, result, *FResponse);
}

bool TLiveUpdateMgr::DownloadUpdate(THttpProgressEvent onProgress, TFileReceivedEvent onFinished) {
  if (FResponse->ExeUrl.empty()) return false;
  const AnsiString folder = TargetFolder.empty() ? DownloadFolder() : TargetFolder;
  if (folder.empty()) return false;
  const AnsiString url = WideToUTF8(FResponse->ExeUrl);
  FDownloadFileName = UniqueFileName(folder, SetupFileNameFromUrl(url));
  FOnProgress = std::move(onProgress);
  FOnFinished = std::move(onFinished);
  return FHttpGet->GetFile(
      url, "", FDownloadFileName,
      THttpProgressEvent::FromMethod([this](TObject* s, int64_t p, int64_t t) { Progress(s, p, t); },
                                     TMethod{nullptr, this}),
      TFileReceivedEvent::FromMethod([this](TObject* s, uint8_t r, const AnsiString& f) { FileReceived(s, r, f); },
                                     TMethod{nullptr, this}),
      0, false);
}

void TLiveUpdateMgr::Progress(TObject* sender, int64_t position, int64_t total) {
  if (FOnProgress) FOnProgress(sender, position, total);
}

void TLiveUpdateMgr::FileReceived(TObject* sender, uint8_t result, const AnsiString& fileName) {
  if (FOnFinished) FOnFinished(sender, result, fileName);
}
