#pragma once

// The live-update manager: asks the update server for the update description (an XML
// document: "ExeUrl", "ExeSha256", "BuyUrl", and a version list "WhatNews", or "BuyWhatNews"
// when that one holds no entry), keeps the parsed answer (TUpdateResponse), and downloads the
// setup program it names into the user's download folder (NAME.part, renamed when complete,
// never over an existing file). Only verified https is used for both.
//
// GUI thread: the update window owns one manager and is its only user; the callbacks come on
// the GUI thread and never after Cancel or the manager's end.

#include <memory>
#include <vector>

#include "program/net/HttpGet.h"

class TUpdateVersionItem {
 public:
  WideString Version;
  WideString Text;
};

class TUpdateVersionList {
 public:
  TUpdateVersionItem& Add() { return *FItems.emplace_back(std::make_unique<TUpdateVersionItem>()); }
  void Clear() { FItems.clear(); }
  int Count() const { return static_cast<int>(FItems.size()); }
  TUpdateVersionItem& Items(int index) const { return *FItems.at(static_cast<size_t>(index)); }
  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

 private:
  std::vector<std::unique_ptr<TUpdateVersionItem>> FItems;
};

class TUpdateResponse {
 public:
  // False (and the response cleared) when the version list is missing.
  bool LoadFromXML(const IXMLNodePtr& root);
  void Clear();
  // The first entry's version (the server lists the newest first); empty without entries.
  WideString GetLatestVersion() const;
  // Every entry as a heading and a list of its non-empty lines, all text escaped.
  WideString GetWhatsNewHTML() const;

  TUpdateVersionList Versions;
  WideString ExeUrl;
  WideString BuyUrl;
  // The setup's SHA-256 as 64 hex digits, lower case; empty when the answer gave none (or
  // gave something else).
  AnsiString ExeSha256;
};

using TUpdateCheckedEvent = TEvent<void(TObject* Sender, uint8_t Result, TUpdateResponse& Response)>;

class TLiveUpdateMgr : public TObject {
  BRANTWELL_CLASS(TLiveUpdateMgr, TObject)

 public:
  TLiveUpdateMgr();
  ~TLiveUpdateMgr() override;

  bool CheckUpdate(const AnsiString& url, TUpdateCheckedEvent onChecked);
  // False when there is no setup address or no folder to save it in.
  bool DownloadUpdate(THttpProgressEvent onProgress, TFileReceivedEvent onFinished);
  void Cancel();

  TUpdateResponse& Response() { return *FResponse; }
  // The folder downloads go to; empty: the user's download folder.
  AnsiString TargetFolder;
  // The file the running (or last) download writes.
  const AnsiString& DownloadFileName() const { return FDownloadFileName; }

 private:
  void XMLReceived(TObject* sender, uint8_t result, IXMLDocumentPtr document);
  void FileReceived(TObject* sender, uint8_t result, const AnsiString& fileName);
  void Progress(TObject* sender, int64_t position, int64_t total);

  std::unique_ptr<TUpdateResponse> FResponse;
  std::unique_ptr<THttpGet> FHttpGet;
  TUpdateCheckedEvent FOnChecked;
  THttpProgressEvent FOnProgress;
  TFileReceivedEvent FOnFinished;
  AnsiString FDownloadFileName;
};
