#pragma once

// The two kinds of transfer the live update needs, as pool tasks with a callback on the GUI
// thread: an XML document (THttpGetXMLTask) and a file with progress (THttpGetFileTask).
// THttpGet creates them, queues them on the pool and cancels them.
//
// Result byte of both: 1 success, 2 failure (a reply that is no XML document included), 3 the
// client timed out waiting for data.
//
// Threads: GetXML, GetFile and the cancels on the GUI thread; the callbacks arrive there too
// (progress posted and coalesced, see HttpThreadPool.h); nothing is called back after a
// cancel.

#include "program/core/FSxmldom.h"
#include "program/net/HttpThreadPool.h"

using TXMLReceivedEvent = TEvent<void(TObject* Sender, uint8_t Result, IXMLDocumentPtr Document)>;
using TFileReceivedEvent = TEvent<void(TObject* Sender, uint8_t Result, const AnsiString& FileName)>;

class THttpGetXMLTask : public THttpTask {
  BRANTWELL_CLASS(THttpGetXMLTask, THttpTask)

 public:
  // The largest reply read as a document.
  static constexpr int64_t kMaxDocumentBytes = int64_t(8) << 20;

  THttpGetXMLTask(const AnsiString& url, const RawByteString& postData, TXMLReceivedEvent onXMLReceived);
  bool Run(THTTPClient& client) override;
  bool IsOwnedBy(const TMethod& owner) const override;

  TXMLReceivedEvent OnXMLReceived;
  IXMLDocumentPtr Document;
  uint8_t Result = 0;
};

class THttpGetFileTask : public THttpTask {
  BRANTWELL_CLASS(THttpGetFileTask, THttpTask)

 public:
  THttpGetFileTask(const AnsiString& url, const RawByteString& postData, const AnsiString& fileName,
                   THttpProgressEvent onProgress, TFileReceivedEvent onFileReceived, int32_t tag);
  bool Run(THTTPClient& client) override;
  bool IsOwnedBy(const TMethod& owner) const override;

  TFileReceivedEvent OnFileReceived;
  uint8_t Result = 0;
};

// The result byte of a finished transfer.
uint8_t HttpGetResult(bool ok, const THTTPClient& client);
// Parses a reply as an XML document: nil when it is none, or an empty one.
IXMLDocumentPtr ParseXMLReply(const RawByteString& text);

class THttpGet : public TObject {
  BRANTWELL_CLASS(THttpGet, TObject)

 public:
  bool GetXML(const AnsiString& url, const RawByteString& postData, TXMLReceivedEvent onXMLReceived);
  // useCache: the once-a-day rule of the file cache (a setup download goes without it).
  bool GetFile(const AnsiString& url, const RawByteString& postData, const AnsiString& fileName,
               THttpProgressEvent onProgress, TFileReceivedEvent onFileReceived, int32_t tag, bool useCache = true);
  void Cancel(TObject* owner);
  void CancelMethod(const TMethod& method);
  void CancelMethod(const TMethodEntry* code, TObject* data) { CancelMethod(TMethod{code, data}); }

  // Every transfer queued from here refuses anything but https (its redirects included).
  bool RequireHttps = false;
};
