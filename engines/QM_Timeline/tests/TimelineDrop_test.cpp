// Drops onto the timeline on the headless display: library files and transitions through the
// in-process drag loop, desktop files as WM_DROPFILES, the program's queries in order, and
// callbacks that destroy the timeline or show a modal message box.

#include <chrono>
#include <cstring>
#include <string>

#include "TimelineFixture.h"
#include "platform/kernel/Unicode.h"
#include "platform/ole/Ole.h"
#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "platform/user/Clipboard.h"
#include "platform/user/DropFiles.h"
#include "platform/user/MessageBox.h"

namespace timeline_test {
namespace {

using namespace platform::testing;
using namespace std::string_literals;

// The program's drag source: one text in one registered format, in a block with a 20-byte
// header (the text's offset first), as the library view and the transition list hand it over.
class DragData : public IDataObject, public IDropSource {
 public:
  DragData(std::string text, const char* format) : m_text(std::move(text)), m_format(RegisterClipboardFormatA(format)) {}
  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }  // lives on the test's stack
  HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    *medium = STGMEDIUM{};
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = GlobalAlloc(GHND, 20 + m_text.size() + 1);
    auto* bytes = static_cast<char*>(GlobalLock(medium->hGlobal));
    const DWORD offset = 20;
    std::memcpy(bytes, &offset, sizeof offset);
    std::memcpy(bytes + 20, m_text.data(), m_text.size());
    GlobalUnlock(medium->hGlobal);
    return S_OK;
  }
  HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT QueryGetData(FORMATETC* format) override {
    return format->cfFormat == m_format && format->tymed == TYMED_HGLOBAL && format->dwAspect == DVASPECT_CONTENT
               ? S_OK
               : DV_E_FORMATETC;
  }
  HRESULT GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return S_OK; }
  HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  HRESULT QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape || (keys & MK_RBUTTON)) return DRAGDROP_S_CANCEL;
    return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  std::string m_text;
  UINT m_format;
};

LRESULT SourceProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

class TimelineDropTest : public TimelineTest {
 public:
  void SetUp() override {
    TimelineTest::SetUp();
    hwnd = GetTimelineHwnd(timeline);
    static const ATOM atom = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = SourceProc;
      wc.lpszClassName = u"TimelineDragSource";
      return RegisterClassW(&wc);
    }();
    ASSERT_NE(atom, 0);
    source = CreateWindowExW(0, u"TimelineDragSource", u"", WS_POPUP | WS_VISIBLE, 0, 400, 200, 100, nullptr, nullptr,
                             nullptr, nullptr);
    s_test = this;
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    // The program's answers: a clip per file (unless refused), a transition identifier,
    // pictures taken as given.
    onQuery = [this](int32_t code, intptr_t, intptr_t p4) -> intptr_t {
      if (code == kTimelineQueryClipForFile) {
        const std::u16string path(reinterpret_cast<const char16_t*>(p4));
        paths.push_back(path);
        if (path.find(u"refused") != std::u16string::npos) return 0;
        const EngineHandle clip = TCCreate(kTimelineVideoClip);
        TCSetFileName(clip, path.c_str());
        TCSetPhysicalLength(clip, 3.0);
        return static_cast<intptr_t>(clip);
      }
      if (code == kTimelineQueryTransitionId) {
        auto* buffer = reinterpret_cast<char16_t*>(p4);
        EXPECT_EQ(buffer[0], u'\0');
        EXPECT_EQ(buffer[255], u'\0');
        std::memcpy(buffer, u"Slide", 12);
      }
      return 1;
    };
  }
  void TearDown() override {
    s_test = nullptr;
    if (IsWindow(source)) DestroyWindow(source);
    TimelineTest::TearDown();
    OleUninitialize();
  }

  // Drags `data` from the source window onto the timeline's client point and answers the
  // drag loop's result.
  HRESULT DragTo(DragData& data, int x, int y) {
    dragData = &data;
    const POINT from{20, 420};
    Drag(from, ScreenPoint(hwnd, x, y), 5);
    EXPECT_TRUE(RunUntilIdle());
    dragData = nullptr;
    return dragResult;
  }
  // The x of the join after clip `index` (before the next clip's tile).
  static int JoinAfter(double endSeconds, double overlap) { return int(8 + (endSeconds - overlap / 2) * 30) + 1; }

  static TimelineDropTest* s_test;
  HWND hwnd = nullptr, source = nullptr;
  DragData* dragData = nullptr;
  HRESULT dragResult = E_FAIL;
  DWORD dragEffect = 0;
  std::vector<std::u16string> paths;
};

TimelineDropTest* TimelineDropTest::s_test = nullptr;

LRESULT SourceProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  TimelineDropTest* test = TimelineDropTest::s_test;
  if (message == WM_LBUTTONDOWN && test && test->dragData) {
    test->dragResult = DoDragDrop(test->dragData, test->dragData, DROPEFFECT_COPY, &test->dragEffect);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(TimelineDropTest, LibraryFilesBecomeClipsAtTheDropPlace) {
  Watchdog watchdog(std::chrono::seconds(30));
  const EngineHandle a = AddClip(4, 2), b = AddClip(4);
  UpdateTimeline(timeline);
  ASSERT_TRUE(RunUntilIdle());
  calls.clear();
  DragData data("/videos/one.mp4\0/videos/d\xC3\xA9j\xC3\xA0 two.mkv\0\0"s, "Timeline Video File");
  EXPECT_EQ(DragTo(data, JoinAfter(4, 2), 100), DRAGDROP_S_DROP);
  EXPECT_EQ(dragEffect, DROPEFFECT_COPY);

  ASSERT_EQ(TTGetClipCount(track), 4);
  EXPECT_EQ(TTGetClip(track, 0), a);
  EXPECT_EQ(TTGetClip(track, 3), b);
  const EngineHandle one = TTGetClip(track, 1), two = TTGetClip(track, 2);
  EXPECT_EQ(std::u16string(TCGetFileName(one)), u"/videos/one.mp4");
  EXPECT_EQ(std::u16string(TCGetFileName(two)), u"/videos/déjà two.mkv");
  EXPECT_EQ(paths, (std::vector<std::u16string>{u"/videos/one.mp4", u"/videos/déjà two.mkv"}));
  const EngineHandle oneTail = TCGetClipTailTrans(one), twoTail = TCGetClipTailTrans(two);
  EXPECT_EQ(std::u16string(TRGetTransID(oneTail)), u"Slide");
  EXPECT_DOUBLE_EQ(TCGetLength(oneTail), 1.5);  // 2 s asked, cut by the 3-s clips
  // The engine holds the only reference the program handed over.
  TCRelease(one);
  EXPECT_EQ(TCGetType(one), kTimelineVideoClip);

  const auto query = [](int32_t code, intptr_t p4) { return Call{'q', code, 0, p4}; };
  std::vector<Call> seen = calls;
  for (Call& call : seen)
    if (call.code == kTimelineQueryClipForFile || call.code == kTimelineQueryTransitionId) call.p4 = 0;
  EXPECT_EQ(seen, (std::vector<Call>{{'e', kTimelineEventDropBegins, 2, 0},
                                     query(kTimelineQueryClipForFile, 0),
                                     query(kTimelineQueryTransitionId, 0),
                                     query(kTimelineQueryPicture, intptr_t(oneTail)),
                                     query(kTimelineQueryClipForFile, 0),
                                     query(kTimelineQueryTransitionId, 0),
                                     query(kTimelineQueryPicture, intptr_t(twoTail)),
                                     {'e', kTimelineEventChanged, 0, 0},
                                     query(kTimelineQueryPicture, intptr_t(one)),
                                     query(kTimelineQueryPicture, intptr_t(two))}));
}

TEST_F(TimelineDropTest, DesktopFilesSkipTheRefusedOne) {
  Watchdog watchdog(std::chrono::seconds(30));
  ASSERT_TRUE(platform::detail::DropFiles(ScreenPoint(hwnd, 300, 100),
                                          {"/videos/a.mp4", "/videos/refused.txt", "/videos/b.mp4"}));
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(paths, (std::vector<std::u16string>{u"/videos/a.mp4", u"/videos/refused.txt", u"/videos/b.mp4"}));
  ASSERT_EQ(TTGetClipCount(track), 2);
  EXPECT_EQ(std::u16string(TCGetLabel(TTGetClip(track, 0))), u"a.mp4");
  EXPECT_EQ(std::u16string(TCGetLabel(TTGetClip(track, 1))), u"b.mp4");
  const auto events = Calls('e');
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0], (Call{'e', kTimelineEventDropBegins, 3, 0}));
  EXPECT_EQ(events[1].code, kTimelineEventChanged);
  // The title was empty: its first clip is new.
  EXPECT_EQ(events[2], (Call{'e', kTimelineEventFirstClipChanged, 0, intptr_t(TTGetClip(track, 0))}));
}

TEST_F(TimelineDropTest, TransitionsDropOntoTransitionsAndClipsOnly) {
  Watchdog watchdog(std::chrono::seconds(30));
  const EngineHandle a = AddClip(4, 2), b = AddClip(4);
  UpdateTimeline(timeline);
  ASSERT_TRUE(RunUntilIdle());
  const EngineHandle tail = TCGetClipTailTrans(a);
  RECT client;
  GetClientRect(hwnd, &client);
  const int transitionY = 40 + (client.bottom - 74) / 2;

  DragData wipe("Wipe", "Timeline Transition");
  calls.clear();
  EXPECT_EQ(DragTo(wipe, JoinAfter(4, 2), transitionY), DRAGDROP_S_DROP);
  EXPECT_EQ(std::u16string(TRGetTransID(tail)), u"Wipe");
  EXPECT_EQ(Calls('q'), (std::vector<Call>{{'q', kTimelineQueryPicture, 0, intptr_t(tail)}}));

  // Onto a clip without one: the clip gets a tail transition.
  DragData iris("Iris", "Timeline Transition");
  EXPECT_EQ(DragTo(iris, int(8 + 4.5 * 30), 100), DRAGDROP_S_DROP);
  ASSERT_NE(TCGetClipTailTrans(b), 0u);
  EXPECT_EQ(std::u16string(TRGetTransID(TCGetClipTailTrans(b))), u"Iris");

  // Over the empty part of the track: refused, nothing changes.
  DragData star("Star", "Timeline Transition");
  EXPECT_EQ(DragTo(star, 700, 100), DRAGDROP_S_CANCEL);
  EXPECT_EQ(dragEffect, DROPEFFECT_NONE);
  EXPECT_EQ(std::u16string(TRGetTransID(tail)), u"Wipe");

  // An unknown format is refused anywhere.
  DragData other("x", "Something Else");
  EXPECT_EQ(DragTo(other, JoinAfter(4, 2), transitionY), DRAGDROP_S_CANCEL);
}

TEST_F(TimelineDropTest, AQueryThatDestroysTheTimelineEndsTheDropCleanly) {
  Watchdog watchdog(std::chrono::seconds(30));
  AddClip(4);
  onQuery = [this](int32_t code, intptr_t, intptr_t) -> intptr_t {
    if (code == kTimelineQueryClipForFile) DestroyTimeline(timeline);  // as opening a project does
    return 0;
  };
  DragData data("/videos/project.kzm\0/videos/more.mp4\0\0"s, "Timeline Video File");
  EXPECT_EQ(DragTo(data, 300, 100), DRAGDROP_S_DROP);
  // One query, then nothing more from the destroyed timeline.
  EXPECT_EQ(Calls('q').size(), 1u);
  EXPECT_EQ(GetTimelineHwnd(timeline), nullptr);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(TTGetClipCount(track), 0);
}

TEST_F(TimelineDropTest, AModalMessageBoxInsideAQueryIsAnsweredAndTheDropGoesOn) {
  Watchdog watchdog(std::chrono::seconds(30));
  int boxes = 0;
  parentHook = [&](UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_ENTERIDLE && wParam == MSGF_DIALOGBOX) {
      platform::detail::InjectKey(VK_RETURN, true);
      platform::detail::InjectKey(VK_RETURN, false);
    }
  };
  const auto answer = onQuery;
  int result = 0;
  onQuery = [&](int32_t code, intptr_t p3, intptr_t p4) -> intptr_t {
    if (code == kTimelineQueryClipForFile && boxes++ == 0)
      result = MessageBoxW(parent, u"The file does not exist.", u"Brantwell", MB_OK | MB_ICONINFORMATION);
    return answer(code, p3, p4);
  };
  ASSERT_TRUE(platform::detail::DropFiles(ScreenPoint(hwnd, 300, 100), {"/videos/a.mp4", "/videos/b.mp4"}));
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(TTGetClipCount(track), 2);
}

}  // namespace
}  // namespace timeline_test
