// The file drag source: its data block, format queries and enumeration, its answers to the
// drag loop, the faults mended (enumeration counts, allocation failure, media handed over),
// and a whole drag between two windows on the headless display.

#include "program/engine/FileDrop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engines/QM_Log/QM_Log.h"
#include "platform/kernel/Unicode.h"
#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"

namespace {

using namespace platform::testing;
using namespace std::string_literals;

const AnsiString kTwoPaths = "/home/me/Videos/one.mp4\0/home/me/Videos/two \xC3\xA9.mkv\0\0"s;

FORMATETC Request(UINT format, DWORD tymed = TYMED_HGLOBAL, DWORD aspect = DVASPECT_CONTENT) {
  return FORMATETC{static_cast<CLIPFORMAT>(format), nullptr, aspect, -1, tymed};
}

// The block's bytes, checked to start with a narrow DROPFILES header.
std::string ReadBlock(HGLOBAL block) {
  const SIZE_T size = GlobalSize(block);
  EXPECT_GE(size, sizeof(DROPFILES));
  const auto* bytes = static_cast<const char*>(GlobalLock(block));
  std::string copy(bytes, size);
  GlobalUnlock(block);
  DROPFILES header;
  std::memcpy(&header, copy.data(), sizeof header);
  EXPECT_EQ(header.pFiles, 20u);
  EXPECT_EQ(header.pt.x, 0);
  EXPECT_EQ(header.pt.y, 0);
  EXPECT_EQ(header.fNC, 0);
  EXPECT_EQ(header.fWide, 0);
  return copy;
}

TEST(FileDrop, GetDataHandsTheTextAfterA20ByteHeaderForItsOwnFormatOnly) {
  auto* drop = new TFileDrop("ab\0cdefghi"s, "Timeline Transition");
  EXPECT_EQ(drop->Format(), RegisterClipboardFormatA("Timeline Transition"));
  FORMATETC request = Request(drop->Format());
  STGMEDIUM medium{};
  ASSERT_EQ(drop->GetData(&request, &medium), S_OK);
  EXPECT_EQ(medium.tymed, TYMED_HGLOBAL);
  EXPECT_EQ(medium.pUnkForRelease, nullptr);
  const std::string block = ReadBlock(medium.hGlobal);
  // 20 + 10 + 1 bytes; the zero inside the text is copied like any other byte.
  EXPECT_EQ(block, std::string(20, '\0').replace(0, 1, "\x14") + "ab\0cdefghi\0"s);
  ReleaseStgMedium(&medium);

  struct Case {
    FORMATETC request;
    HRESULT expected;
  };
  const Case cases[] = {
      {Request(drop->Format()), S_OK},
      {Request(drop->Format(), TYMED_HGLOBAL | TYMED_ISTREAM), DV_E_FORMATETC},
      {Request(drop->Format(), TYMED_ISTREAM), DV_E_FORMATETC},
      {Request(drop->Format(), TYMED_HGLOBAL, DVASPECT_ICON), DV_E_FORMATETC},
      {Request(drop->Format(), TYMED_HGLOBAL, DVASPECT_CONTENT | DVASPECT_ICON), DV_E_FORMATETC},
      {Request(RegisterClipboardFormatA("Timeline Video File")), DV_E_FORMATETC},
      {Request(CF_TEXT), DV_E_FORMATETC},
  };
  for (const Case& c : cases) {
    FORMATETC request = c.request;
    SCOPED_TRACE(std::to_string(request.cfFormat) + "/" + std::to_string(request.tymed) + "/" +
                 std::to_string(request.dwAspect));
    EXPECT_EQ(drop->QueryGetData(&request), c.expected);
    STGMEDIUM out{};
    EXPECT_EQ(drop->GetData(&request, &out), c.expected);
    if (c.expected == S_OK) ReleaseStgMedium(&out);
    else EXPECT_EQ(out.hGlobal, nullptr);
  }
  FORMATETC any = Request(drop->Format());
  EXPECT_EQ(drop->GetDataHere(&any, &medium), E_NOTIMPL);
  EXPECT_EQ(drop->GetCanonicalFormatEtc(&any, &any), E_NOTIMPL);
  EXPECT_EQ(drop->DAdvise(&any, 0, nullptr, nullptr), E_NOTIMPL);
  IEnumSTATDATA* advises = reinterpret_cast<IEnumSTATDATA*>(&any);
  EXPECT_EQ(drop->EnumDAdvise(&advises), E_NOTIMPL);
  EXPECT_EQ(advises, nullptr);
  drop->OleUninit();
  EXPECT_EQ(drop->Release(), 0u);
}

TEST(FileDrop, QueryGetDataTracesBothFormatNumbers) {
  const std::filesystem::path log = std::filesystem::path(::testing::TempDir()) / "filedrop-trace.txt";
  std::filesystem::remove(log);
  ASSERT_EQ(QMLogInit(platform::Utf8ToUtf16(log.string()).c_str(), -1, 0, 0), 1);
  auto* drop = new TFileDrop("x", "Timeline Video File");
  FORMATETC request = Request(CF_TEXT);
  drop->QueryGetData(&request);
  std::ifstream in(log);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_GE(lines.size(), 2u);
  const std::string own = std::to_string(drop->Format());
  EXPECT_EQ(lines[lines.size() - 2].substr(lines[lines.size() - 2].size() - 1), "1");  // CF_TEXT
  EXPECT_EQ(lines.back().substr(lines.back().size() - own.size()), own);
  drop->OleUninit();
  drop->Release();
  std::filesystem::remove(log);
}

TEST(FileDrop, EnumeratesItsOneFormatAndAnswersForFewerThanAskedOrNone) {
  auto* drop = new TFileDrop("x", "Timeline Video File");
  IEnumFORMATETC* formats = nullptr;
  ASSERT_EQ(drop->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
  ASSERT_EQ(formats, static_cast<IEnumFORMATETC*>(drop));

  const FORMATETC untouched{0x7777, nullptr, 99, 99, 99};
  FORMATETC entries[3] = {untouched, untouched, untouched};
  ULONG fetched = 42;
  // Count 0 writes nothing and fetches nothing.
  EXPECT_EQ(formats->Next(0, entries, &fetched), S_OK);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(entries[0].cfFormat, 0x7777);
  // Asking for three yields the one entry, S_FALSE, and leaves the rest alone.
  EXPECT_EQ(formats->Next(3, entries, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 1u);
  EXPECT_EQ(entries[0].cfFormat, drop->Format());
  EXPECT_EQ(entries[0].ptd, nullptr);
  EXPECT_EQ(entries[0].dwAspect, DVASPECT_CONTENT);
  EXPECT_EQ(entries[0].lindex, 0);
  EXPECT_EQ(entries[0].tymed, TYMED_HGLOBAL);
  EXPECT_EQ(entries[1].cfFormat, 0x7777);
  // Exhausted until Reset.
  EXPECT_EQ(formats->Next(1, entries, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(formats->Skip(1), S_FALSE);
  EXPECT_EQ(formats->Reset(), S_OK);
  EXPECT_EQ(formats->Next(1, entries, nullptr), S_OK);
  IEnumFORMATETC* clone = formats;
  EXPECT_EQ(formats->Clone(&clone), E_NOTIMPL);
  EXPECT_EQ(clone, nullptr);
  formats->Release();

  IEnumFORMATETC* none = formats;
  EXPECT_EQ(drop->EnumFormatEtc(DATADIR_SET, &none), E_NOTIMPL);
  EXPECT_EQ(none, nullptr);
  none = formats;
  EXPECT_EQ(drop->EnumFormatEtc(7, &none), S_FALSE);
  EXPECT_EQ(none, nullptr);
  drop->OleUninit();
  EXPECT_EQ(drop->Release(), 0u);
}

TEST(FileDrop, AnswersTheDragLoopAndItsInterfaces) {
  auto* drop = new TFileDrop("x", "Timeline Video File");
  struct Case {
    BOOL escape;
    DWORD keys;
    HRESULT expected;
  };
  const Case cases[] = {
      {FALSE, MK_LBUTTON, S_OK},
      {FALSE, MK_LBUTTON | MK_SHIFT | MK_CONTROL, S_OK},
      {FALSE, 0, DRAGDROP_S_DROP},
      {FALSE, MK_SHIFT, DRAGDROP_S_DROP},
      {TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL},
      {FALSE, MK_LBUTTON | MK_RBUTTON, DRAGDROP_S_CANCEL},  // pressing the right button cancels
      {FALSE, MK_RBUTTON, DRAGDROP_S_CANCEL},
  };
  for (const Case& c : cases) EXPECT_EQ(drop->QueryContinueDrag(c.escape, c.keys), c.expected) << c.keys;
  EXPECT_EQ(drop->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);

  const IID* iids[] = {&IID_IUnknown, &IID_IDataObject, &IID_IDropSource, &IID_IEnumFORMATETC};
  for (const IID* iid : iids) {
    void* object = nullptr;
    ASSERT_EQ(drop->QueryInterface(*iid, &object), S_OK);
    static_cast<IUnknown*>(static_cast<IDataObject*>(drop))->Release();
  }
  void* object = drop;
  EXPECT_EQ(drop->QueryInterface(IID_IDropTarget, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  drop->OleUninit();
  EXPECT_EQ(drop->Release(), 0u);
}

// A data object whose memory runs out.
class StarvedFileDrop : public TFileDrop {
 public:
  using TFileDrop::TFileDrop;

 protected:
  HGLOBAL AllocateBlock(SIZE_T) override { return nullptr; }
};

// Counts the releases of a medium's owner.
struct MediumOwner : IUnknown {
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }
  ULONG references = 1;
};

TEST(FileDrop, FailedAllocationIsOutOfMemoryAndMediaHandedOverAreFreed) {
  auto* starved = new StarvedFileDrop("x", "Timeline Video File");
  FORMATETC request = Request(starved->Format());
  STGMEDIUM medium{};
  EXPECT_EQ(starved->GetData(&request, &medium), E_OUTOFMEMORY);
  EXPECT_EQ(medium.hGlobal, nullptr);
  EXPECT_EQ(medium.tymed, TYMED_NULL);
  starved->OleUninit();
  starved->Release();

  auto* drop = new TFileDrop("x", "Timeline Video File");
  MediumOwner owner;
  owner.references = 2;
  STGMEDIUM handed{TYMED_HGLOBAL, {}, &owner};
  handed.hGlobal = GlobalAlloc(GHND, 8);
  EXPECT_EQ(drop->SetData(&request, &handed, FALSE), S_OK);
  EXPECT_EQ(owner.references, 2u);  // still the caller's
  EXPECT_EQ(drop->SetData(&request, &handed, TRUE), S_OK);
  EXPECT_EQ(owner.references, 1u);  // taken over and released
  EXPECT_EQ(handed.tymed, TYMED_NULL);
  // Without an owner the block itself is freed.
  HGLOBAL block = GlobalAlloc(GHND, 8);
  STGMEDIUM bare{TYMED_HGLOBAL, {}, nullptr};
  bare.hGlobal = block;
  EXPECT_EQ(drop->SetData(&request, &bare, TRUE), S_OK);
  EXPECT_EQ(GlobalSize(block), 0u);
  drop->OleUninit();
  drop->Release();
}

// The timeline's side of a drop, as the timeline engine takes it: the registered format,
// the block read and released.
class TimelineTarget : public IDropTarget {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }
  HRESULT DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC request = Request(RegisterClipboardFormatA("Timeline Video File"));
    accepted = data->QueryGetData(&request) == S_OK;
    *effect = accepted ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect = accepted ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT DragLeave() override { return S_OK; }
  HRESULT Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    IEnumFORMATETC* formats = nullptr;
    FORMATETC entry{};
    if (data->EnumFormatEtc(DATADIR_GET, &formats) == S_OK) {
      formats->Next(1, &entry, nullptr);
      formats->Release();
    }
    STGMEDIUM medium{};
    if (data->GetData(&entry, &medium) == S_OK) {
      block = ReadBlock(medium.hGlobal);
      ReleaseStgMedium(&medium);
    }
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
  bool accepted = false;
  std::string block;
  ULONG references = 1;
};

LRESULT LibraryProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
HRESULT g_dragResult = E_FAIL;
DWORD g_dragEffect = 0xDEAD;

// The library view: a press starts the drag of its two selected sources, as the main window
// does it.
LRESULT LibraryProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_LBUTTONDOWN) return DefWindowProcW(hwnd, msg, wParam, lParam);
  auto* drop = new TFileDrop(kTwoPaths, "Timeline Video File");
  drop->SetData(nullptr, nullptr, FALSE);
  platform::testing::Watchdog watchdog(std::chrono::seconds(20));
  g_dragResult = DoDragDrop(drop, drop, DROPEFFECT_COPY, &g_dragEffect);
  drop->OleUninit();
  drop->Release();
  return 0;
}

TEST(FileDrop, ADragBetweenTwoWindowsDeliversTheHeaderAndBothPaths) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = LibraryProc;
  wc.lpszClassName = u"FileDropLibrary";
  ASSERT_NE(RegisterClassW(&wc), 0);
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"FileDropTimeline";
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND library = CreateWindowExW(0, u"FileDropLibrary", u"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr,
                                 nullptr, nullptr, nullptr);
  HWND timeline = CreateWindowExW(0, u"FileDropTimeline", u"", WS_POPUP | WS_VISIBLE, 300, 0, 300, 100, nullptr,
                                  nullptr, nullptr, nullptr);
  ASSERT_TRUE(library && timeline);
  ASSERT_EQ(OleInitialize(nullptr), S_OK);
  TimelineTarget target;
  ASSERT_EQ(RegisterDragDrop(timeline, &target), S_OK);

  Drag(POINT{50, 50}, POINT{400, 50}, 3);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(g_dragResult, DRAGDROP_S_DROP);
  EXPECT_EQ(g_dragEffect, DROPEFFECT_COPY);
  EXPECT_TRUE(target.accepted);
  ASSERT_EQ(target.block.size(), 20 + kTwoPaths.size() + 1);
  // The names after the header, each ending in a zero, the list in one more.
  std::vector<std::string> names;
  for (size_t at = 20; target.block[at] != '\0'; at += names.back().size() + 1)
    names.emplace_back(target.block.c_str() + at);
  EXPECT_EQ(names, (std::vector<std::string>{"/home/me/Videos/one.mp4", "/home/me/Videos/two \xC3\xA9.mkv"}));

  EXPECT_EQ(RevokeDragDrop(timeline), S_OK);
  EXPECT_EQ(target.references, 1u);
  OleUninitialize();
  DestroyWindow(timeline);
  DestroyWindow(library);
}

}  // namespace
