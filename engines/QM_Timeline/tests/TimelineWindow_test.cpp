// The timeline window on the headless display: what it draws, scrolling and zooming, and the
// events its mouse and keyboard input raise.

#include <array>
#include <chrono>

#include "TimelineFixture.h"
#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "platform/user/ScrollBars.h"

namespace timeline_test {
namespace {

using namespace platform::testing;

constexpr uint32_t kColors[] = {0xE4572E, 0x17BEBB, 0xFFC914, 0x76B041};

class TimelineWindowTest : public TimelineTest {
 public:
  void SetUp() override {
    TimelineTest::SetUp();
    hwnd = GetTimelineHwnd(timeline);
    ASSERT_NE(hwnd, nullptr);
  }

  // Four clips with pictures, three joined by transitions with pictures.
  void FillTitle() {
    for (int i = 0; i < 4; ++i) {
      const std::u16string name = u"/videos/clip " + std::u16string(1, char16_t(u'1' + i)) + u".mp4";
      clips.push_back(AddClip(4 + i, i < 3 ? 2 : 0, name));
      HBITMAP picture = MakeBitmap(i == 3 ? 48 : 64, 36, kColors[i]);  // one 4:3, the rest 16:9
      TCSetHBitmap(clips.back(), picture);
      DeleteObject(picture);
    }
    for (int i = 0; i < 3; ++i) {
      HBITMAP picture = MakeBitmap(24, 24, 0x7C3AED);
      TCSetHBitmap(TTGetTransClip(track, i), picture);
      DeleteObject(picture);
    }
    UpdateTimeline(timeline);
    ASSERT_TRUE(RunUntilIdle());
  }

  // A point inside an element's tile, from the layout rules: 30 pixels per second after an
  // 8-pixel margin; transitions sit on the join, in the middle of the clips' pictures (below
  // the 24-pixel ruler, the 8-pixel gap and the tiles' insets, above the 18-pixel labels).
  POINT CentreOf(EngineHandle element) {
    RECT client;
    GetClientRect(hwnd, &client);
    const double middle = TCGetBeginTime(element) + TCGetLength(element) / 2;
    const int pictureTop = 24 + 8 + 4 + 4, pictureHeight = client.bottom - 24 - 8 - 8 - 8 - 8 - 18;
    const int y = TCGetType(element) == kTimelineTransition ? pictureTop + pictureHeight / 2 : client.bottom / 2;
    return ScreenPoint(hwnd, int(8 + middle * 30 - scrollX()), y);
  }
  int scrollX() {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    GetScrollInfo(hwnd, SB_HORZ, &info);
    return info.nPos;
  }
  void ClearCalls() { calls.clear(); }

  HWND hwnd = nullptr;
  std::vector<EngineHandle> clips;
  static TimelineWindowTest* s_test;
};

TimelineWindowTest* TimelineWindowTest::s_test = nullptr;

TEST_F(TimelineWindowTest, DrawsTheTitleWithPicturesSelectionAndHover) {
  Watchdog watchdog(std::chrono::seconds(30));
  static std::vector<std::array<intptr_t, 3>> draws;
  draws.clear();
  SetTimelineDrawCallback(timeline, [](intptr_t a, intptr_t b, intptr_t c) { draws.push_back({a, b, c}); }, 77);
  FillTitle();
  // Once per paint, with the data and two zeros.
  ASSERT_FALSE(draws.empty());
  EXPECT_EQ(draws.back(), (std::array<intptr_t, 3>{77, 0, 0}));
  Click(CentreOf(clips[1]));
  MouseMove(CentreOf(clips[2]));
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Calls('e'), (std::vector<Call>{{'e', kTimelineEventSelected, 0, intptr_t(clips[1])}}));
  ASSERT_TRUE(SaveWindowPng(parent, BRANTWELL_TEST_BIN_DIR "/timeline-title.png"));

  const Image image = ReadWindow(hwnd);
  const auto pixel = [&](POINT screen) {
    POINT p = screen;
    ScreenToClient(hwnd, &p);
    return image.At(p.x, p.y) & 0xFFFFFF;
  };
  // The pictures are drawn inside their tiles.
  for (int i : {0, 2}) {
    const uint32_t seen = pixel(CentreOf(clips[i]));
    EXPECT_NE(seen, 0xFFFFFFu) << "clip " << i;
    EXPECT_GT((seen >> 16) & 0xFF, 0u) << "clip " << i;
  }
  // The draw callback and no picture queries: every element had its picture.
  EXPECT_TRUE(Calls('q').empty());
}

TEST_F(TimelineWindowTest, AsksOnceForMissingPicturesAndShowsTheEmptyHint) {
  Watchdog watchdog(std::chrono::seconds(30));
  SetLanguageText(kTimelineTextEmptyHint, u"Drop your videos here");
  UpdateTimeline(timeline);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(SaveWindowPng(parent, BRANTWELL_TEST_BIN_DIR "/timeline-empty.png"));
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(ReadWindow(hwnd).At(100, 50) & 0xFFFFFF, 0xE4E7ECu);  // the track's default colour
  // The program's track colour, process-wide.
  SetColors(kTimelineColorTrack, 0xFFCDDDF2);
  UpdateTimeline(timeline);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(ReadWindow(hwnd).At(100, 50) & 0xFFFFFF, 0xCDDDF2u);
  SetColors(kTimelineColorTrack, 0xFFE4E7EC);

  const EngineHandle clip = AddClip(5, 2);
  const EngineHandle transition = TCGetClipTailTrans(clip);
  onQuery = [&](int32_t code, intptr_t, intptr_t p4) -> intptr_t {
    if (code == kTimelineQueryPicture && EngineHandle(p4) == transition) {
      HBITMAP picture = MakeBitmap(8, 8, 0x00FF00);
      TCSetHBitmap(transition, picture);
      DeleteObject(picture);
    }
    return 1;
  };
  UpdateTimeline(timeline);
  ASSERT_TRUE(RunUntilIdle());
  UpdateTimeline(timeline);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Calls('q'), (std::vector<Call>{{'q', kTimelineQueryPicture, 0, intptr_t(clip)},
                                          {'q', kTimelineQueryPicture, 0, intptr_t(transition)}}));
}

TEST_F(TimelineWindowTest, ScrollsWhenWiderThanTheWindowAndZoomsAroundThePointer) {
  Watchdog watchdog(std::chrono::seconds(30));
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  AddClip(5);
  UpdateTimeline(timeline);
  ASSERT_TRUE(RunUntilIdle());
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.bottom, 200);  // no scroll bar for a short title

  for (int i = 0; i < 5; ++i) AddClip(10, 2);
  UpdateTimeline(timeline);
  ASSERT_TRUE(RunUntilIdle());
  GetClientRect(hwnd, &client);
  EXPECT_LT(client.bottom, 200);  // the bar took its place
  ASSERT_TRUE(GetScrollInfo(hwnd, SB_HORZ, &info));
  EXPECT_GT(info.nMax + 1, int(info.nPage));

  // The wheel scrolls (the window has the focus after a click on empty space).
  Click(ScreenPoint(hwnd, 400, 5));
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_EQ(GetFocus(), hwnd);
  platform::detail::InjectMouseWheel(-WHEEL_DELTA, ScreenPoint(hwnd, 400, 100));
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(scrollX(), 60);

  // Ctrl+wheel zooms in and keeps the time under the pointer in place.
  const double timeUnder = (300 + scrollX() - 8) / 30.0;
  platform::detail::InjectKey(VK_CONTROL, true);
  platform::detail::InjectMouseWheel(WHEEL_DELTA, ScreenPoint(hwnd, 300, 100));
  platform::detail::InjectKey(VK_CONTROL, false);
  ASSERT_TRUE(RunUntilIdle());
  const double pps = 30 * 1.25;
  EXPECT_NEAR((300 + scrollX() - 8) / pps, timeUnder, 0.05);

  // The minus key zooms back out, the plus key in.
  const int zoomedScroll = scrollX();
  MouseMove(ScreenPoint(hwnd, 300, 100));
  KeyPress(VK_SUBTRACT);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_LT(scrollX(), zoomedScroll);
  ASSERT_TRUE(SaveWindowPng(parent, BRANTWELL_TEST_BIN_DIR "/timeline-scrolled.png"));
}

TEST_F(TimelineWindowTest, InputRaisesTheEvents) {
  Watchdog watchdog(std::chrono::seconds(30));
  FillTitle();
  const intptr_t first = intptr_t(clips[0]), second = intptr_t(clips[1]);
  const intptr_t transition = intptr_t(TTGetTransClip(track, 0));

  // Click selects (510), a click on empty space clears (102), double click (511).
  Click(CentreOf(clips[1]));
  Click(ScreenPoint(hwnd, 600, 5));
  DoubleClick(CentreOf(clips[0]));
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Calls('e'), (std::vector<Call>{{'e', kTimelineEventSelected, 0, second},
                                          {'e', kTimelineEventSelectionCleared, 0, 0},
                                          {'e', kTimelineEventSelected, 0, first},
                                          {'e', kTimelineEventDoubleClicked, 0, first}}));

  // Right click: 104 with the client point packed into P3.
  ClearCalls();
  const POINT at = CentreOf(clips[1]);
  POINT client = at;
  ScreenToClient(hwnd, &client);
  Click(at, MouseButton::Right);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Calls('e'), (std::vector<Call>{{'e', kTimelineEventContextMenu, client.x | (client.y << 16), second}}));

  // Arrows move the selection over clips and transitions (510 each).
  ClearCalls();
  KeyPress(VK_LEFT);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Calls('e'), (std::vector<Call>{{'e', kTimelineEventSelected, 0, transition}}));

  // A selected transition takes the identifier and picture of TDSetSelTrans.
  HBITMAP picture = MakeBitmap(8, 8, 0x123456);
  TDSetSelTrans(doc, u"Wipe", picture);
  DeleteObject(picture);
  EXPECT_EQ(std::u16string(TRGetTransID(transition)), u"Wipe");
  EXPECT_EQ(std::u16string(TRGetTransID(TTGetTransClip(track, 1))), u"Fade");

  // Ctrl adds to the selection; Delete removes the clip and the transition (4).
  ClearCalls();
  platform::detail::InjectKey(VK_CONTROL, true);
  Click(CentreOf(clips[3]));
  platform::detail::InjectKey(VK_CONTROL, false);
  KeyPress(VK_DELETE);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Calls('e'), (std::vector<Call>{{'e', kTimelineEventSelected, 0, intptr_t(clips[3])},
                                          {'e', kTimelineEventDeleted, 2, 0}}));
  EXPECT_EQ(TTGetClipCount(track), 3);
  EXPECT_EQ(TCGetClipTailTrans(clips[0]), 0u);
  EXPECT_EQ(TCGetType(clips[3]), 0);

  // Shift extends from the anchor over the clips between.
  ClearCalls();
  Click(CentreOf(clips[0]));
  platform::detail::InjectKey(VK_SHIFT, true);
  Click(CentreOf(clips[2]));
  platform::detail::InjectKey(VK_SHIFT, false);
  ASSERT_TRUE(RunUntilIdle());
  TDDeleteSelectedClips(doc);
  EXPECT_EQ(TTGetClipCount(track), 0);
}

TEST_F(TimelineWindowTest, DraggingAClipReordersAndReportsTheNewFirstClip) {
  Watchdog watchdog(std::chrono::seconds(30));
  FillTitle();
  // The third clip before the first.
  const POINT from = CentreOf(clips[2]);
  const POINT to = ScreenPoint(hwnd, 9, 100);
  ClearCalls();
  Drag(from, to, 6);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(TTGetClip(track, 0), clips[2]);
  EXPECT_EQ(TTGetClip(track, 1), clips[0]);
  EXPECT_EQ(TTGetClip(track, 2), clips[1]);
  EXPECT_DOUBLE_EQ(TCGetBeginTime(clips[2]), 0.0);
  EXPECT_EQ(Calls('e'), (std::vector<Call>{{'e', kTimelineEventSelected, 0, intptr_t(clips[2])},
                                          {'e', kTimelineEventChanged, 0, intptr_t(clips[2])},
                                          {'e', kTimelineEventFirstClipChanged, 0, intptr_t(clips[2])}}));

  // Moving the last clip between the others: 3 only. Mid-way the marker shows where it lands.
  ClearCalls();
  const POINT target = CentreOf(clips[0]);
  MouseDown(CentreOf(clips[3]));
  MouseMove(ScreenPoint(hwnd, 500, 100));
  MouseMove(target);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(SaveWindowPng(parent, BRANTWELL_TEST_BIN_DIR "/timeline-moving.png"));
  MouseUp(target);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(TTGetClip(track, 0), clips[2]);
  EXPECT_EQ(TTGetClipCount(track), 4);
  const auto events = Calls('e');
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].code, kTimelineEventChanged);
}

TEST_F(TimelineWindowTest, DraggingAClipsRightEdgeChangesItsLength) {
  Watchdog watchdog(std::chrono::seconds(30));
  const EngineHandle clip = AddClip(4, 2);
  const EngineHandle next = AddClip(4);
  TCSetPhysicalLength(clip, 10.0);
  TCSetLength(clip, 4.0);
  TTAdjustClipPos(track);
  UpdateTimeline(timeline);
  ASSERT_TRUE(RunUntilIdle());
  const EngineHandle transition = TCGetClipTailTrans(clip);
  RECT client;
  GetClientRect(hwnd, &client);
  const int y = client.bottom - 20;  // the label strip, clear of the transition tile
  const int edge = 8 + 3 * 30 - 1;   // the tile ends in the middle of the 2-s overlap

  // One second longer: only the clip's length changed.
  Drag(ScreenPoint(hwnd, edge, y), ScreenPoint(hwnd, edge + 30, y), 3);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_DOUBLE_EQ(TCGetLength(clip), 5.0);
  EXPECT_DOUBLE_EQ(TCGetBeginTime(next), 3.0);
  EXPECT_EQ(Calls('e'), (std::vector<Call>{{'e', kTimelineEventLengthChanged, 0, intptr_t(clip)},
                                          {'e', kTimelineEventChanged, 0, 0}}));

  // Down to 3 s: the transition is cut to 1.5 s and reported too.
  calls.clear();
  const int longer = 8 + 4 * 30 - 1;
  Drag(ScreenPoint(hwnd, longer, y), ScreenPoint(hwnd, longer - 60, y), 3);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_DOUBLE_EQ(TCGetLength(clip), 3.0);
  EXPECT_DOUBLE_EQ(TCGetLength(transition), 1.5);
  EXPECT_EQ(Calls('e'), (std::vector<Call>{{'e', kTimelineEventLengthChanged, 0, intptr_t(clip)},
                                          {'e', kTimelineEventLengthChanged, 0, intptr_t(transition)},
                                          {'e', kTimelineEventChanged, 0, 0}}));

  // Never past the end of its source.
  calls.clear();
  const int shorter = int(8 + (3 - 0.75) * 30) - 1;
  Drag(ScreenPoint(hwnd, shorter, y), ScreenPoint(hwnd, shorter + 600, y), 3);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_DOUBLE_EQ(TCGetLength(clip), 10.0);
}

// A program that destroys the title from inside any of the timeline's callbacks: the
// timeline goes once the callback returns, and nothing of it is touched afterwards.
TEST_F(TimelineWindowTest, ACallbackMayDestroyTheTimeline) {
  Watchdog watchdog(std::chrono::seconds(30));
  struct Case {
    const char* name;
    int32_t eventCode;  // destroy on this event (-1: not on events)
    int32_t queryCode;  // destroy on this query (-1: not on queries)
    bool fromDraw;
  };
  const Case cases[] = {
      {"selection event", kTimelineEventSelected, -1, false},
      {"deletion event", kTimelineEventDeleted, -1, false},
      {"picture query while painting", -1, kTimelineQueryPicture, false},
      {"draw callback", -1, -1, true},
  };
  static EngineHandle s_victim = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!GetTimelineHwnd(timeline)) {
      // The previous case destroyed it: a fresh one in the same parent.
      const RECT rect{0, 0, 820, 200};
      timeline = CreateTimeline(parent, &rect, nullptr, 0);
      doc = GetTimelineDoc(timeline);
      track = TDGetTrack(doc, kTimelineVideoTrack, 0);
      hwnd = GetTimelineHwnd(timeline);
    }
    const EngineHandle clip = AddClip(4, 2);
    HWND window = hwnd;
    s_victim = timeline;
    onEvent = [&](int32_t code, intptr_t, intptr_t) -> intptr_t {
      if (code == c.eventCode) DestroyTimeline(timeline);
      return 0;
    };
    onQuery = [&](int32_t code, intptr_t, intptr_t) -> intptr_t {
      if (code == c.queryCode) DestroyTimeline(timeline);
      return 1;
    };
    SetTimelineEventCallback(timeline, [](intptr_t, int32_t code, intptr_t p3, intptr_t p4) -> intptr_t {
      return s_test->onEvent(code, p3, p4);
    }, 0);
    s_test = this;
    if (c.fromDraw) SetTimelineDrawCallback(timeline, [](intptr_t, intptr_t, intptr_t) { DestroyTimeline(s_victim); }, 0);
    UpdateTimeline(timeline);
    ASSERT_TRUE(RunUntilIdle());
    if (c.eventCode == kTimelineEventSelected) Click(CentreOf(clip));
    if (c.eventCode == kTimelineEventDeleted) {
      TDSelectAllClips(doc);
      TDDeleteSelectedClips(doc);
    }
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(GetTimelineHwnd(timeline), nullptr);
    EXPECT_EQ(TCGetType(clip), 0);
  }
}

}  // namespace
}  // namespace timeline_test
