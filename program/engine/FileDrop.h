#pragma once

// TFileDrop: the drag source and data object the main window hands to DoDragDrop when the
// user drags library sources ("Timeline Video File") or a transition ("Timeline Transition")
// onto the storyboard timeline. It carries one narrow (UTF-8) text, which may hold zero
// characters, under one registered clipboard format, and hands it to the drop target as a
// global block: a 20-byte DROPFILES header (text at offset 20, point 0,0, not client area,
// narrow) followed by the text and one zero byte.
//
// One reference-counted object serving IDataObject, IDropSource and IEnumFORMATETC. The
// constructor hands out the creator's reference; the object deletes itself when Release takes
// the last one. It initialises OLE on the creating thread; the caller calls OleUninit once the
// drag loop has ended. GUI thread.

#include <atomic>
#include <cstdint>

#include "platform/ole/Ole.h"
#include "rtl/SysTypes.h"

class TFileDrop : public IDataObject, public IDropSource, public IEnumFORMATETC {
 public:
  // OleInitialize, keeps the text, registers the format name.
  TFileDrop(const AnsiString& Text, const AnsiString& FormatName);

  // Undoes the constructor's OleInitialize; further calls do nothing.
  void OleUninit();

  UINT Format() const { return FFormat; }

  // IUnknown
  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // IDataObject
  HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT QueryGetData(FORMATETC* format) override;
  HRESULT GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) override;
  HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
  HRESULT DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
  HRESULT DUnadvise(DWORD connection) override;
  HRESULT EnumDAdvise(IEnumSTATDATA** advises) override;

  // IEnumFORMATETC: one entry (the format, DVASPECT_CONTENT, index 0, TYMED_HGLOBAL).
  HRESULT Next(ULONG count, FORMATETC* entries, ULONG* fetched) override;
  HRESULT Skip(ULONG count) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumFORMATETC** clone) override;

  // IDropSource: Escape or the right button cancels, the left button held goes on, its
  // release drops; the default cursors.
  HRESULT QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
  HRESULT GiveFeedback(DWORD effect) override;

 protected:
  virtual ~TFileDrop();
  // The data block's memory (moveable, zeroed); null when there is none.
  virtual HGLOBAL AllocateBlock(SIZE_T bytes);

 private:
  uint16_t FEnumPos = 0;  // 0 until the one entry has been handed out
  AnsiString FText;
  UINT FFormat = 0;
  bool FOleInitialized = false;
  std::atomic<ULONG> m_references{1};
};
