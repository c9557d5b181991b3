#include "program/net/HttpGet.h"

uint8_t HttpGetResult(bool ok, const THTTPClient& client) {
  if (ok) return 1;
  return client.State() == THTTPClient::stTimedOut ? 3 : 2;
}

IXMLDocumentPtr ParseXMLReply(const RawByteString& text) {
  IXMLDocumentPtr document = LoadXMLString(text);
  if (!document) return nullptr;
  auto error = document->GetParseError();
  if (error && error->GetErrorCode() != 0) return nullptr;
  // The document element is made on demand when there is none, so look at the children.
  bool hasElement = false;
  auto children = document->GetChildNodes();
  for (int i = 0; i < children->GetCount(); ++i)
    if (children->GetItem(i)->GetNodeType() == 1) hasElement = true;
  if (!hasElement) return nullptr;
  auto root = document->GetDocumentElement();
  if (!root->HasChildNodes() && root->GetAttributes()->GetCount() == 0) return nullptr;
  return document;
}

THttpGetXMLTask::THttpGetXMLTask(const AnsiString& url, const RawByteString& postData, TXMLReceivedEvent onXMLReceived)
    : THttpTask(url, postData, nullptr, nullptr, nullptr, 0), OnXMLReceived(std::move(onXMLReceived)) {
  MaxBodyBytes = kMaxDocumentBytes;
}

bool THttpGetXMLTask::Run(THTTPClient& client) {
  if (!Stream) {
    Stream = new TStringStream();
    OwnsStream = true;
  }
  const bool ok = THttpTask::Run(client);
  Result = HttpGetResult(ok, client);
  if (OnXMLReceived && !Cancelled()) {
    SynchronizeUnlessCancelled([this] {
      Document = nullptr;
      if (Result == 1) {
        auto* text = dynamic_cast<TStringStream*>(Stream);
        Document = ParseXMLReply(text ? text->DataString() : RawByteString());
        if (!Document) Result = 2;
      }
      IXMLDocumentPtr document = Document;
      OnXMLReceived(this, Result, document);
      // The reference counts are the GUI thread's business: the worker keeps none.
      Document = nullptr;
    });
  }
  return ok;
}

bool THttpGetXMLTask::IsOwnedBy(const TMethod& owner) const {
  return THttpTask::IsOwnedBy(owner) || MethodMatches(owner, OnXMLReceived.Method());
}

THttpGetFileTask::THttpGetFileTask(const AnsiString& url, const RawByteString& postData, const AnsiString& fileName,
                                   THttpProgressEvent onProgress, TFileReceivedEvent onFileReceived, int32_t tag)
    : THttpTask(url, postData, nullptr, std::move(onProgress), nullptr, tag), OnFileReceived(std::move(onFileReceived)) {
  FileName = fileName;
}

bool THttpGetFileTask::Run(THTTPClient& client) {
  const bool ok = !FileName.empty() && THttpTask::Run(client);
  Result = HttpGetResult(ok, client);
  if (OnFileReceived && !Cancelled()) SynchronizeUnlessCancelled([this] { OnFileReceived(this, Result, FileName); });
  return ok;
}

bool THttpGetFileTask::IsOwnedBy(const TMethod& owner) const {
  return THttpTask::IsOwnedBy(owner) || MethodMatches(owner, OnFileReceived.Method());
}

bool THttpGet::GetXML(const AnsiString& url, const RawByteString& postData, TXMLReceivedEvent onXMLReceived) {
  auto* task = new THttpGetXMLTask(url, postData, std::move(onXMLReceived));
  task->RequireHttps = RequireHttps;
  GetHttpThreadPool().AddTask(task, true);
  return true;
}

bool THttpGet::GetFile(const AnsiString& url, const RawByteString& postData, const AnsiString& fileName,
                       THttpProgressEvent onProgress, TFileReceivedEvent onFileReceived, int32_t tag, bool useCache) {
  auto* task = new THttpGetFileTask(url, postData, fileName, std::move(onProgress), std::move(onFileReceived), tag);
  task->UseCache = useCache;
  task->RequireHttps = RequireHttps;
  GetHttpThreadPool().AddTask(task, true);
  return true;
}

void THttpGet::Cancel(TObject* owner) {
  if (owner) GetHttpThreadPool().CancelTasksOf(owner);
}

void THttpGet::CancelMethod(const TMethod& method) {
  if (method.Code || method.Data) GetHttpThreadPool().CancelTasks(method);
}
