#pragma once

// A small blocking HTTP/1.1 client for one connection at a time: it splits the URL, keeps the
// connection open between requests to the same host and port while the server allows it,
// writes the request head in a fixed order, sends a form, binary or multipart body, reads the
// response head (following up to 10 redirects), and reads the body by length, until the close
// or in chunks, undoing gzip and deflate, into a stream or a file.
//
// Limits: a head line holds at most 16 KiB and a head 64 KiB; a body (raw and decoded) at most
// MaxBodyBytes. A transfer that times out, ends short, lacks its last chunk or breaks a limit
// fails, with the reason in ErrorText.
//
// Threads: one thread (a worker) uses a client. Cancel may be called from any other thread: it
// marks Closed and wakes the blocked call; the owner then frees the connection itself.

#include <atomic>
#include <memory>
#include <vector>

#include "program/net/FSSockets.h"
#include "vcl/Classes.h"

// One part of a request body. A single part without a Name is a plain body; anything else is
// sent as multipart/form-data. The stream is not owned.
struct TMultiPartFormData {
  AnsiString Name;
  AnsiString FileName;
  TStream* Stream = nullptr;
};

// Splits an http or https URL (scheme in any case); false for any other text.
bool SplitUrl(const AnsiString& url, AnsiString& authority, AnsiString& path, AnsiString& fileName, AnsiString& host,
              AnsiString& port);

using THttpProgressEvent = TEvent<void(TObject* Sender, int64_t Position, int64_t Total)>;

class THTTPClient : public TObject {
  BRANTWELL_CLASS(THTTPClient, TObject)

 public:
  static constexpr int kMaxRedirects = 10;
  static constexpr size_t kMaxLine = 16 * 1024;
  static constexpr size_t kMaxHead = 64 * 1024;

  // State values.
  static constexpr uint8_t stCompleted = 0;
  static constexpr uint8_t stSendFailed = 1;
  static constexpr uint8_t stTimedOut = 2;
  static constexpr uint8_t stClosed = 3;
  static constexpr uint8_t stBusy = 4;

  THTTPClient();
  ~THTTPClient() override;

  bool Connect(const AnsiString& host, const AnsiString& port);
  bool OpenUrl(const AnsiString& url, const std::vector<TMultiPartFormData>& parts, TDateTime ifModifiedSince = 0,
               bool useRange = false, int64_t rangeStart = 0, int64_t rangeLength = 0, bool headOnly = false);
  bool Request(const AnsiString& authority, const AnsiString& path, const std::vector<TMultiPartFormData>& parts,
               TDateTime ifModifiedSince = 0, bool useRange = false, int64_t rangeStart = 0, int64_t rangeLength = 0,
               bool headOnly = false);
  // A GET, or a form POST of postData when it is not empty.
  bool RequestString(const AnsiString& url, const RawByteString& postData, TDateTime ifModifiedSince = 0,
                     bool useRange = false, int64_t rangeStart = 0, int64_t rangeLength = 0, bool headOnly = false);
  bool ReadHeaders();
  // Reads the body into target; the raw bytes read. BodyComplete tells whether it all came.
  int64_t ReadBody(TStream& target);
  bool GetToStream(const AnsiString& url, const RawByteString& postData, TStream& target, TDateTime ifModifiedSince = 0,
                   bool useRange = false, int64_t rangeStart = 0, int64_t rangeLength = 0);
  // Downloads into fileName through a temporary file renamed on success. With useCache, a file
  // fetched today is not requested again and an older one is asked for with If-Modified-Since.
  bool DownloadToFile(const AnsiString& url, const RawByteString& postData, const AnsiString& fileName, bool useCache,
                      bool useRange = false, int64_t rangeStart = 0, int64_t rangeLength = 0);
  // Seconds the server's keep-alive still grants the open connection.
  int KeepAliveRemaining();
  // The owner's own close.
  void CloseConnection();
  // Cancels from any thread.
  void Cancel();

  // The value of the first response header of that name (ignoring case), empty when none.
  AnsiString HeaderValue(const AnsiString& name) const;

  TFSTCPClient& Connection() { return *FConnection; }
  int Status() const { return FStatus; }
  uint8_t State() const { return FState.load(); }
  bool Closed() const { return FClosed.load(); }
  bool Reused() const { return FReused; }
  bool BodyComplete() const { return FBodyComplete; }
  const std::vector<AnsiString>& Headers() const { return FHeaders; }
  const AnsiString& ErrorText() const { return FErrorText; }
  int64_t Received() const { return FReceived; }
  int64_t ContentLength() const { return FContentLength; }

  AnsiString Referer;
  AnsiString Accept = "*/*";
  AnsiString UserAgent = "Mozilla/4.0 (compatible; MSIE 6.00)";
  int32_t Timeout = 60000;
  int32_t BufferSize = 8192;
  int32_t HttpMinorVersion = 1;
  bool AutoReferer = false;
  bool KeepAlive = true;
  bool AcceptCompression = true;
  int64_t MaxBodyBytes = int64_t(2) << 30;
  // Refuses plain http addresses, and redirects to them (transfers that need a verified peer).
  bool RequireHttps = false;
  THttpProgressEvent OnProgress;

 private:
  void ResetResponse();
  void Fail(const AnsiString& reason);
  bool SendBody(const std::vector<TMultiPartFormData>& parts, const std::vector<int64_t>& starts);
  bool SendMultipart(const std::vector<TMultiPartFormData>& parts);
  bool ReadHeadOnce();
  void Progress();
  bool ReadChunked(TStream& sink, int64_t& raw);
  bool ReadByLength(TStream& sink, int64_t& raw);
  int ReceiveSome(void* buffer, int length);

  std::unique_ptr<TFSTCPClient> FConnection;
  std::atomic<bool> FClosed{false};
  std::atomic<uint8_t> FState{stCompleted};
  int FStatus = 0;
  int64_t FReceived = 0;
  int64_t FContentLength = 0;
  bool FHasContentLength = false;
  bool FReused = false;
  bool FBodyComplete = false;
  bool FResponseStarted = false;
  bool FHeadRequest = false;
  bool FRequestHadIms = false;
  int FRedirects = 0;
  int FKeepAliveTimeout = 0;
  std::vector<AnsiString> FHeaders;
  AnsiString FErrorText;
};
