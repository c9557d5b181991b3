#include "TimelineFixture.h"

#include <ostream>

#include "platform/testing/Synthetic.h"

namespace timeline_test {

namespace {

TimelineTest* g_current = nullptr;

intptr_t EventCallback(intptr_t, int32_t code, intptr_t p3, intptr_t p4) {
  if (!g_current) return 0;
  TimelineTest* test = g_current;
  test->calls.push_back({'e', code, p3, p4});
  return test->onEvent ? test->onEvent(code, p3, p4) : 0;
}

intptr_t QueryCallback(intptr_t, int32_t code, intptr_t p3, intptr_t p4) {
  if (!g_current) return 0;
  TimelineTest* test = g_current;
  test->calls.push_back({'q', code, p3, p4});
  return test->onQuery ? test->onQuery(code, p3, p4) : 0;
}

LRESULT ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_current && g_current->parent == hwnd && g_current->parentHook) g_current->parentHook(message, wParam, lParam);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Call& call) {
  return out << call.kind << call.code << "(" << call.p3 << "," << call.p4 << ")";
}

void TimelineTest::SetUp() {
  static const ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ParentProc;
    wc.lpszClassName = u"TimelineTestParent";
    return RegisterClassW(&wc);
  }();
  ASSERT_NE(atom, 0);
  parent = CreateWindowExW(0, u"TimelineTestParent", u"Timeline", WS_POPUP | WS_VISIBLE, 0, 0, 820, 200, nullptr,
                           nullptr, nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  const RECT rect{0, 0, 820, 200};
  const int32_t options[] = {1, 1, 1, 0, -1};
  timeline = CreateTimeline(parent, &rect, options, 0);
  ASSERT_NE(timeline, 0u);
  EXPECT_EQ(InitTimeline(timeline), 1);
  const int32_t layout[kTimelineLayoutCount] = {100, 36, 32, 24, 8, 18, 8, 22, 0, 36, 15, -1, 0, 3, 0, 0, 0};
  EXPECT_EQ(SendTimelineCommand(timeline, kTimelineCommandLayout, 0, layout), 1);
  g_current = this;
  SetTimelineEventCallback(timeline, EventCallback, static_cast<intptr_t>(timeline));
  SetTimelineQueryCallback(QueryCallback, 0);
  doc = GetTimelineDoc(timeline);
  track = TDGetTrack(doc, kTimelineVideoTrack, 0);
  ASSERT_NE(track, 0u);
  SetActiveWindow(parent);
}

void TimelineTest::TearDown() {
  parentHook = nullptr;
  onEvent = nullptr;
  onQuery = nullptr;
  DestroyTimeline(timeline);
  if (IsWindow(parent)) DestroyWindow(parent);
  platform::testing::RunUntilIdle();
  g_current = nullptr;
  SetTimelineQueryCallback(nullptr, 0);
}

EngineHandle TimelineTest::AddClip(double seconds, double transition, const std::u16string& file) {
  const EngineHandle clip = TCCreate(kTimelineVideoClip);
  TCSetFileName(clip, file.c_str());
  TCSetBeginTime(clip, 0.0);
  TCSetPhysicalBegin(clip, 0.0);
  TCSetPhysicalLength(clip, seconds);
  TTInsertClipIndex(track, clip, -1);
  if (transition > 0) {
    const EngineHandle tail = TTSetClipTailTransID(track, clip, u"Fade", transition);
    TRSetTransID(tail, u"Fade");
  }
  TCRelease(clip);
  return clip;
}

std::vector<Call> TimelineTest::Calls(char kind) const {
  std::vector<Call> result;
  for (const Call& call : calls)
    if (!kind || call.kind == kind) result.push_back(call);
  return result;
}

HBITMAP MakeBitmap(int width, int height, uint32_t color) {
  const BITMAPINFO info = platform::TopDownBitmapInfo32(width, height);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int y = 0; y < height; ++y) {
    const double shade = 0.55 + 0.45 * y / std::max(1, height - 1);
    const auto part = [&](int shift) { return static_cast<uint32_t>(((color >> shift) & 0xFF) * shade) << shift; };
    for (int x = 0; x < width; ++x) pixels[y * width + x] = part(16) | part(8) | part(0);
  }
  return bitmap;
}

}  // namespace timeline_test
