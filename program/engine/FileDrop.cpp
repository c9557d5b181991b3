#include "program/engine/FileDrop.h"

#include <cstring>

#include "engines/QM_Log/QM_Log.h"
#include "platform/user/WinUser.h"

namespace {

constexpr DWORD kHeaderSize = sizeof(DROPFILES);

FORMATETC OwnEntry(UINT format) {
  return FORMATETC{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, 0, TYMED_HGLOBAL};
}

}  // namespace

TFileDrop::TFileDrop(const AnsiString& Text, const AnsiString& FormatName) : FText(Text) {
  FOleInitialized = SUCCEEDED(OleInitialize(nullptr));
  FFormat = RegisterClipboardFormatA(FormatName.c_str());
}

TFileDrop::~TFileDrop() = default;

void TFileDrop::OleUninit() {
  if (!FOleInitialized) return;
  FOleInitialized = false;
  OleUninitialize();
}

HRESULT TFileDrop::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDataObject) {
    *object = static_cast<IDataObject*>(this);
  } else if (iid == IID_IDropSource) {
    *object = static_cast<IDropSource*>(this);
  } else if (iid == IID_IEnumFORMATETC) {
    *object = static_cast<IEnumFORMATETC*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG TFileDrop::AddRef() { return ++m_references; }

ULONG TFileDrop::Release() {
  const ULONG left = --m_references;
  if (left == 0) delete this;
  return left;
}

HGLOBAL TFileDrop::AllocateBlock(SIZE_T bytes) {
  // Moveable and zeroed; blocks are shared within the process anyway.
  return GlobalAlloc(GHND, bytes);
}

HRESULT TFileDrop::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (!medium) return E_INVALIDARG;
  if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
  std::memset(medium, 0, sizeof *medium);
  const SIZE_T size = kHeaderSize + FText.size() + 1;
  HGLOBAL block = AllocateBlock(size);
  if (!block) return E_OUTOFMEMORY;
  auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
  if (!bytes) {
    GlobalFree(block);
    return E_OUTOFMEMORY;
  }
  DROPFILES header{};
  header.pFiles = kHeaderSize;
  std::memcpy(bytes, &header, sizeof header);
  std::memcpy(bytes + kHeaderSize, FText.data(), FText.size());
  bytes[size - 1] = 0;
  GlobalUnlock(block);
  medium->tymed = format->tymed;
  medium->hGlobal = block;
  return S_OK;
}

HRESULT TFileDrop::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT TFileDrop::QueryGetData(FORMATETC* format) {
  if (!format) return E_INVALIDARG;
  QMOutput(std::to_string(format->cfFormat).c_str());
  QMOutput(std::to_string(FFormat).c_str());
  const bool ours = format->cfFormat == FFormat && format->tymed == TYMED_HGLOBAL &&
                    format->dwAspect == DVASPECT_CONTENT;
  return ours ? S_OK : DV_E_FORMATETC;
}

HRESULT TFileDrop::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) { return E_NOTIMPL; }

HRESULT TFileDrop::SetData(FORMATETC*, STGMEDIUM* medium, BOOL release) {
  // Nothing is kept; a medium handed over is freed so it does not leak.
  if (release && medium) ReleaseStgMedium(medium);
  return S_OK;
}

HRESULT TFileDrop::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) {
  if (!formats) return E_INVALIDARG;
  *formats = nullptr;
  FEnumPos = 0;
  if (direction == DATADIR_GET) {
    *formats = static_cast<IEnumFORMATETC*>(this);
    AddRef();
    return S_OK;
  }
  return direction == DATADIR_SET ? E_NOTIMPL : S_FALSE;
}

HRESULT TFileDrop::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return E_NOTIMPL; }

HRESULT TFileDrop::DUnadvise(DWORD) { return E_NOTIMPL; }

HRESULT TFileDrop::EnumDAdvise(IEnumSTATDATA** advises) {
  if (advises) *advises = nullptr;
  return E_NOTIMPL;
}

HRESULT TFileDrop::Next(ULONG count, FORMATETC* entries, ULONG* fetched) {
  if (fetched) *fetched = 0;
  if (count == 0) return S_OK;
  if (!entries) return E_INVALIDARG;
  if (FEnumPos != 0) return S_FALSE;
  entries[0] = OwnEntry(FFormat);
  if (fetched) *fetched = 1;
  FEnumPos = 1;
  return count == 1 ? S_OK : S_FALSE;
}

HRESULT TFileDrop::Skip(ULONG) { return S_FALSE; }

HRESULT TFileDrop::Reset() {
  FEnumPos = 0;
  return S_OK;
}

HRESULT TFileDrop::Clone(IEnumFORMATETC** clone) {
  if (clone) *clone = nullptr;
  return E_NOTIMPL;
}

HRESULT TFileDrop::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  if (escapePressed || (keyState & MK_RBUTTON)) return DRAGDROP_S_CANCEL;
  return (keyState & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
}

HRESULT TFileDrop::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }
