#pragma once

// In-process OLE-style data transfer and drag and drop: the data object, drop source, drop
// target and format enumerator interfaces with the records in their signatures, the codes
// with their documented values, and OleInitialize, RegisterDragDrop, RevokeDragDrop,
// DoDragDrop and ReleaseStgMedium.
//
// Drags stay inside the process: DoDragDrop finds its targets among the windows of this
// process registered with RegisterDragDrop and calls them directly, on the thread running the
// drag. Files dropped from the desktop arrive as WM_DROPFILES (platform/user/DropFiles.h).

#include <cstdint>

#include "platform/gdi/GdiTypes.h"
#include "platform/kernel/ComBase.h"
#include "platform/kernel/GlobalMemory.h"
#include "platform/user/UserTypes.h"

using CLIPFORMAT = WORD;
using LPOLESTR = char16_t*;

struct POINTL {
  LONG x;
  LONG y;
};
static_assert(sizeof(POINTL) == 8);

// A target device description; drag and drop never needs one (always null here).
struct DVTARGETDEVICE {
  DWORD tdSize;
  WORD tdDriverNameOffset;
  WORD tdDeviceNameOffset;
  WORD tdPortNameOffset;
  WORD tdExtDevmodeOffset;
  BYTE tdData[1];
};

struct FORMATETC {
  CLIPFORMAT cfFormat;
  DVTARGETDEVICE* ptd;
  DWORD dwAspect;
  LONG lindex;
  DWORD tymed;
};

struct IStream;
struct IStorage;

// A medium holding data: `tymed` says which member is valid. When pUnkForRelease is set, the
// medium is freed by releasing it instead of by freeing the member (ReleaseStgMedium).
struct STGMEDIUM {
  DWORD tymed;
  union {
    HBITMAP hBitmap;
    HANDLE hMetaFilePict;
    HANDLE hEnhMetaFile;
    HGLOBAL hGlobal;
    LPOLESTR lpszFileName;
    IStream* pstm;
    IStorage* pstg;
  };
  IUnknown* pUnkForRelease;
};

// The header of a CF_HDROP block: the names follow at pFiles, each ending in a zero character
// and the list in one more.
struct DROPFILES {
  DWORD pFiles;
  POINT pt;
  BOOL fNC;
  BOOL fWide;
};
static_assert(sizeof(DROPFILES) == 20);

constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD DVASPECT_THUMBNAIL = 2;
constexpr DWORD DVASPECT_ICON = 4;
constexpr DWORD DVASPECT_DOCPRINT = 8;

constexpr DWORD TYMED_NULL = 0;
constexpr DWORD TYMED_HGLOBAL = 1;
constexpr DWORD TYMED_FILE = 2;
constexpr DWORD TYMED_ISTREAM = 4;
constexpr DWORD TYMED_ISTORAGE = 8;
constexpr DWORD TYMED_GDI = 16;
constexpr DWORD TYMED_MFPICT = 32;
constexpr DWORD TYMED_ENHMF = 64;

constexpr DWORD DATADIR_GET = 1;
constexpr DWORD DATADIR_SET = 2;

constexpr DWORD DROPEFFECT_NONE = 0;
constexpr DWORD DROPEFFECT_COPY = 1;
constexpr DWORD DROPEFFECT_MOVE = 2;
constexpr DWORD DROPEFFECT_LINK = 4;
constexpr DWORD DROPEFFECT_SCROLL = 0x80000000;

// The key state handed to drop sources and targets: the MK_* mouse flags of the window
// manager plus this one for the Alt key.
constexpr DWORD MK_ALT = 0x0020;

constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064);
constexpr HRESULT DV_E_DVTARGETDEVICE = static_cast<HRESULT>(0x80040065);
constexpr HRESULT DV_E_STGMEDIUM = static_cast<HRESULT>(0x80040066);
constexpr HRESULT DV_E_STATDATA = static_cast<HRESULT>(0x80040067);
constexpr HRESULT DV_E_LINDEX = static_cast<HRESULT>(0x80040068);
constexpr HRESULT DV_E_TYMED = static_cast<HRESULT>(0x80040069);
constexpr HRESULT DV_E_CLIPFORMAT = static_cast<HRESULT>(0x8004006A);
constexpr HRESULT DV_E_DVASPECT = static_cast<HRESULT>(0x8004006B);

constexpr HRESULT DRAGDROP_S_DROP = 0x00040100;
constexpr HRESULT DRAGDROP_S_CANCEL = 0x00040101;
constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = 0x00040102;
constexpr HRESULT DRAGDROP_E_NOTREGISTERED = static_cast<HRESULT>(0x80040100);
constexpr HRESULT DRAGDROP_E_ALREADYREGISTERED = static_cast<HRESULT>(0x80040101);
constexpr HRESULT DRAGDROP_E_INVALIDHWND = static_cast<HRESULT>(0x80040102);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0);

struct IEnumFORMATETC : IUnknown {
  // Copies up to `count` entries; S_FALSE when fewer than `count` were left.
  virtual HRESULT Next(ULONG count, FORMATETC* entries, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumFORMATETC** clone) = 0;

 protected:
  ~IEnumFORMATETC() = default;
};

struct IAdviseSink;
struct IEnumSTATDATA;

struct IDataObject : IUnknown {
  virtual HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT QueryGetData(FORMATETC* format) = 0;
  virtual HRESULT GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) = 0;
  // With `release` TRUE the object takes the medium and frees it.
  virtual HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) = 0;
  virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) = 0;
  virtual HRESULT DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) = 0;
  virtual HRESULT DUnadvise(DWORD connection) = 0;
  virtual HRESULT EnumDAdvise(IEnumSTATDATA** advises) = 0;

 protected:
  ~IDataObject() = default;
};

struct IDropSource : IUnknown {
  // S_OK to go on, DRAGDROP_S_DROP to drop, DRAGDROP_S_CANCEL to stop.
  virtual HRESULT QueryContinueDrag(BOOL escapePressed, DWORD keyState) = 0;
  // S_OK when the source set the cursor itself, DRAGDROP_S_USEDEFAULTCURSORS otherwise.
  virtual HRESULT GiveFeedback(DWORD effect) = 0;

 protected:
  ~IDropSource() = default;
};

struct IDropTarget : IUnknown {
  virtual HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) = 0;
  virtual HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) = 0;
  virtual HRESULT DragLeave() = 0;
  virtual HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) = 0;

 protected:
  ~IDropTarget() = default;
};

inline constexpr IID IID_IEnumFORMATETC = {0x00000103, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IDataObject = {0x0000010E, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IDropSource = {0x00000121, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IDropTarget = {0x00000122, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Counted per thread: S_OK for the thread's first call, S_FALSE for later ones. Each call
// is matched by one OleUninitialize; more of those than of calls do nothing.
HRESULT OleInitialize(LPVOID reserved);
void OleUninitialize();

// Makes `target` (kept with AddRef) the drop target of a window of this process. Needs
// OleInitialize on the calling thread (CO_E_NOTINITIALIZED); DRAGDROP_E_INVALIDHWND for a
// stale or foreign window, DRAGDROP_E_ALREADYREGISTERED for a window that has one, E_INVALIDARG
// for a null target. A window's registration ends with RevokeDragDrop (which releases the
// target) or when the window is destroyed (released, never called again).
HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* target);
HRESULT RevokeDragDrop(HWND hwnd);

// Runs a drag until it is dropped or cancelled: a modal loop that holds the mouse capture,
// dispatches every other message (painting, timers, posted messages go on) and, for each
// mouse and key event, asks the source whether to go on, finds the target (the window under
// the pointer or its nearest registered ancestor) and tells it of entering, moving, leaving
// or the drop, with the pointer in screen coordinates, the key state and the effects it may
// answer (masked by `okEffects`). DRAGDROP_S_DROP with the target's effect; DRAGDROP_S_CANCEL
// with DROPEFFECT_NONE after a cancel or a release over no target or a target that answered
// DROPEFFECT_NONE. E_INVALIDARG for a null argument. The caller's thread must have windows
// (it is a GUI thread).
HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect);

// Memory handed between objects (a medium's file name): null when it is not there.
LPVOID CoTaskMemAlloc(SIZE_T bytes);
void CoTaskMemFree(LPVOID block);

// Frees what the medium holds (the global block, the CoTaskMemAlloc'd file name, the bitmap,
// the stream or storage), or releases its pUnkForRelease instead, and clears it to TYMED_NULL.
void ReleaseStgMedium(STGMEDIUM* medium);
