#pragma once

// What the timeline tests share: a top-level window holding one timeline, the program's
// callbacks recorded in order, clips made the way the program makes them, and generated
// pictures.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engines/QM_Timeline/TimelineApi.h"
#include "platform/gdi/WinGdi.h"
#include "platform/user/WinUser.h"

namespace timeline_test {

struct Call {
  char kind;  // 'e' event, 'q' query
  int32_t code;
  intptr_t p3, p4;
  bool operator==(const Call&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Call& call);

class TimelineTest : public ::testing::Test {
 public:
  void SetUp() override;
  void TearDown() override;

  // A video clip of `seconds` (physical length), appended, with a tail transition when
  // `transition` is above 0. The caller's reference is released, as the program does.
  EngineHandle AddClip(double seconds, double transition = 0.0, const std::u16string& file = u"/videos/clip.mp4");
  std::vector<Call> Calls(char kind = 0) const;

  HWND parent = nullptr;
  EngineHandle timeline = 0, doc = 0, track = 0;
  std::vector<Call> calls;
  // Reactions of the program's callbacks, per code; the default answers 0.
  std::function<intptr_t(int32_t code, intptr_t p3, intptr_t p4)> onEvent, onQuery;
  // Sees the parent window's messages first (a message box the parent owns idles there).
  std::function<void(UINT message, WPARAM wParam, LPARAM lParam)> parentHook;
};

// A bitmap of `width` x `height` filled with a vertical gradient of `color` (0xRRGGBB);
// the caller deletes it.
HBITMAP MakeBitmap(int width, int height, uint32_t color);

}  // namespace timeline_test
