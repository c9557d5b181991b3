// The program over the timeline engine it imports: a title timeline made with the program's
// options and metrics, and library sources dragged onto it with the program's own drag
// source (TFileDrop) through the drag loop, answered as the main window answers: a clip task
// and a clip per file, a transition identifier, the transition's picture.

#include "program/engine/TimelineEngine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "platform/kernel/Unicode.h"
#include "platform/ole/Ole.h"
#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "platform/user/WinUser.h"
#include "program/engine/FileDrop.h"
#include "program/engine/MediaTask.h"

namespace {

using namespace platform::testing;
using engines::media::testing::Fixture;

// The record layouts the program copies clip settings through.
static_assert(sizeof(TTimelineCropRect) == sizeof(TRect));
static_assert(sizeof(TWaterMarkData) == 4444 && sizeof(TClipSubPicRec) == 332);

struct Call {
  char kind;  // 'e' event, 'q' query
  int32_t code;
  intptr_t p3, p4;
  bool operator==(const Call&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Call& call) {
  return out << call.kind << call.code << "(" << call.p3 << "," << call.p4 << ")";
}

class TimelineDragTest;
TimelineDragTest* g_test = nullptr;

class TimelineDragTest : public ::testing::Test {
 public:
  void SetUp() override {
    enginetest::BindMediaEngines();
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    static const bool registered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = DefWindowProcW;
      wc.lpszClassName = u"TimelineDragTitle";
      RegisterClassW(&wc);
      wc.lpfnWndProc = LibraryProc;
      wc.lpszClassName = u"TimelineDragLibrary";
      return RegisterClassW(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    title = CreateWindowExW(0, u"TimelineDragTitle", u"Title", WS_POPUP | WS_VISIBLE, 0, 0, 820, 200, nullptr,
                            nullptr, nullptr, nullptr);
    library = CreateWindowExW(0, u"TimelineDragLibrary", u"Library", WS_POPUP | WS_VISIBLE, 0, 400, 200, 100,
                              nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(title && library);
    const RECT rect{0, 0, 820, 200};
    timeline = CreateTimeline(title, &rect, kProgramTimelineOptions, 0);
    ASSERT_NE(timeline, 0u);
    EXPECT_EQ(InitTimeline(timeline), 1);
    EXPECT_EQ(SendTimelineCommand(timeline, kTimelineCommandLayout, 0, kProgramTimelineLayout), 1);
    g_test = this;
    SetTimelineEventCallback(timeline, EventCallback, 0);
    SetTimelineQueryCallback(QueryCallback, 0);
    doc = GetTimelineDoc(timeline);
    track = TDGetTrack(doc, kTimelineVideoTrack, 0);
    ASSERT_NE(track, 0u);
  }
  void TearDown() override {
    DestroyTimeline(timeline);
    DestroyWindow(library);
    DestroyWindow(title);
    RunUntilIdle();
    SetTimelineQueryCallback(nullptr, 0);
    g_test = nullptr;
    OleUninitialize();
  }

  // A clip of `seconds` at the end of the title, with a 2-s tail transition when asked.
  EngineHandle AppendClip(const char16_t* file, double seconds, bool transition) {
    const EngineHandle clip = TCCreate(kTimelineVideoClip);
    TCSetFileName(clip, file);
    TCSetPhysicalLength(clip, seconds);
    TTInsertClipIndex(track, clip, -1);
    if (transition) TRSetTransID(TTSetClipTailTransID(track, clip, u"Wipe", kProgramTransitionLength), u"Wipe");
    TCRelease(clip);
    return clip;
  }

  // The main window's answers.
  intptr_t Query(int32_t code, intptr_t p4) {
    if (code == kTimelineQueryClipForFile) {
      const WideString path(reinterpret_cast<const char16_t*>(p4));
      paths.push_back(path);
      TMediaTask* task = tasks.TaskList()->Add(path, 0);
      task->SetResizeStyle(0);
      const EngineHandle clip = TCCreate(kTimelineVideoClip);
      TCSetResizeStyle(clip, 0);
      TCSetClipID(clip, task->ID);
      if (!task->LoadInfo()) {
        TCRelease(clip);
        return 0;
      }
      TCSetFileName(clip, path.c_str());
      TCSetClipVideoWidth(clip, task->VideoInfo.Width);
      TCSetClipVideoHeight(clip, task->VideoInfo.Height);
      TCSetBeginTime(clip, 0.0);
      TCSetPhysicalBegin(clip, 0.0);
      TCSetPhysicalLength(clip, task->Length);
      return static_cast<intptr_t>(clip);
    }
    if (code == kTimelineQueryTransitionId) {
      auto* buffer = reinterpret_cast<char16_t*>(p4);
      EXPECT_EQ(buffer[0], u'\0');
      std::memcpy(buffer, u"CrossFade", sizeof u"CrossFade");
      return 1;
    }
    if (code == kTimelineQueryPicture) return TCGetType(static_cast<EngineHandle>(p4)) != 0 ? 1 : 0;
    return 0;
  }

  static intptr_t EventCallback(intptr_t, int32_t code, intptr_t p3, intptr_t p4) {
    if (g_test) g_test->calls.push_back({'e', code, p3, p4});
    return 0;
  }
  static intptr_t QueryCallback(intptr_t, int32_t code, intptr_t p3, intptr_t p4) {
    if (!g_test) return 0;
    g_test->calls.push_back({'q', code, p3, p4});
    return g_test->Query(code, p4);
  }
  // The library view: a press drags its selected sources, as the main window starts it.
  static LRESULT LibraryProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_LBUTTONDOWN || !g_test) return DefWindowProcW(hwnd, message, wParam, lParam);
    auto* drop = new TFileDrop(g_test->dragText, "Timeline Video File");
    g_test->dragResult = DoDragDrop(drop, drop, DROPEFFECT_COPY, &g_test->dragEffect);
    drop->OleUninit();
    drop->Release();
    return 0;
  }

  HWND title = nullptr, library = nullptr;
  EngineHandle timeline = 0, doc = 0, track = 0;
  TMediaTaskMgr tasks;
  std::vector<Call> calls;
  std::vector<WideString> paths;
  AnsiString dragText;
  HRESULT dragResult = E_FAIL;
  DWORD dragEffect = 0;
};

TEST_F(TimelineDragTest, LibrarySourcesDraggedOntoAJoinBecomeClipsThere) {
  Watchdog watchdog(std::chrono::seconds(60));
  const std::string one = Fixture("h264_aac.mp4"), two = Fixture("mpeg4_mp3.avi");
  ASSERT_FALSE(one.empty() || two.empty()) << "ffmpeg could not make the fixtures";
  const EngineHandle first = AppendClip(u"/videos/first.mp4", 4.0, true);
  const EngineHandle last = AppendClip(u"/videos/last.mp4", 4.0, false);
  UpdateTimeline(timeline);
  ASSERT_TRUE(RunUntilIdle());
  calls.clear();

  // The library's block: each path, then one more zero.
  dragText = one + '\0' + two + '\0' + '\0';
  // The join of the first two clips: the first ends at 4 s, overlapped by 2 s; 30 pixels a
  // second from the 8-pixel margin.
  const POINT join = ScreenPoint(GetTimelineHwnd(timeline), 8 + 3 * 30 + 1, 100);
  Drag(ScreenPoint(library, 20, 20), join, 5);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(dragResult, DRAGDROP_S_DROP);
  EXPECT_EQ(dragEffect, static_cast<DWORD>(DROPEFFECT_COPY));

  ASSERT_EQ(paths, (std::vector<WideString>{platform::Utf8ToUtf16(one), platform::Utf8ToUtf16(two)}));
  ASSERT_EQ(TTGetClipCount(track), 4);
  EXPECT_EQ(TTGetClip(track, 0), first);
  EXPECT_EQ(TTGetClip(track, 3), last);
  const EngineHandle clipOne = TTGetClip(track, 1), clipTwo = TTGetClip(track, 2);
  EXPECT_EQ(WideString(TCGetFileName(clipOne)), paths[0]);
  EXPECT_EQ(WideString(TCGetFileName(clipTwo)), paths[1]);
  EXPECT_EQ(WideString(TCGetLabel(clipTwo)), u"mpeg4_mp3.avi");
  // Each clip names its task.
  ASSERT_NE(tasks.TaskList()->FindByID(TCGetClipID(clipOne)), nullptr);
  EXPECT_EQ(tasks.TaskList()->FindByID(TCGetClipID(clipTwo))->FileName, paths[1]);
  // The dropped clips last 2 s: the transitions at their joins are cut to half of that.
  const EngineHandle tailOne = TCGetClipTailTrans(clipOne), tailTwo = TCGetClipTailTrans(clipTwo);
  ASSERT_NE(tailOne, 0u);
  ASSERT_NE(tailTwo, 0u);
  EXPECT_EQ(WideString(TRGetTransID(tailOne)), u"CrossFade");
  EXPECT_NEAR(TCGetLength(tailOne), 1.0, 0.05);
  EXPECT_NEAR(TCGetLength(TCGetClipTailTrans(first)), 1.0, 0.05);
  EXPECT_NEAR(TCGetBeginTime(clipOne), 3.0, 0.05);
  EXPECT_NEAR(TDGetLength(doc), 4.0 + 2.0 + 2.0 + 4.0 - 3 * 1.0, 0.1);

  // Event 7 with the count, then per file in order: the clip, its transition's identifier and
  // picture; then the change.
  std::vector<Call> seen(calls.begin(), calls.begin() + std::min<size_t>(calls.size(), 8));
  for (Call& call : seen)
    if (call.code == kTimelineQueryClipForFile || call.code == kTimelineQueryTransitionId) call.p4 = 0;
  const auto query = [](int32_t code, intptr_t p4 = 0) { return Call{'q', code, 0, p4}; };
  EXPECT_EQ(seen, (std::vector<Call>{{'e', kTimelineEventDropBegins, 2, 0},
                                     query(kTimelineQueryClipForFile),
                                     query(kTimelineQueryTransitionId),
                                     query(kTimelineQueryPicture, intptr_t(tailOne)),
                                     query(kTimelineQueryClipForFile),
                                     query(kTimelineQueryTransitionId),
                                     query(kTimelineQueryPicture, intptr_t(tailTwo)),
                                     {'e', kTimelineEventChanged, 0, 0}}));
}

}  // namespace
