#include "platform/gdi/DcGuards.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(DcGuards, StateAndSelectionComeBackOnEveryWayOut) {
  platform::OwnedDc dc(CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BRUSH);
  platform::OwnedGdiObject<HBRUSH> brush(CreateSolidBrush(RGB(1, 2, 3)));
  try {
    platform::SavedDcState saved(dc.get());
    platform::SelectedObject selected(dc.get(), brush.get());
    EXPECT_EQ(selected.previous(), original);
    SetWindowOrgEx(dc.get(), 10, 20, nullptr);
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), brush.get());
    throw std::runtime_error("painting failed");
  } catch (const std::runtime_error&) {
  }
  POINT origin{-1, -1};
  GetWindowOrgEx(dc.get(), &origin);
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0);
  EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), original);

  HBRUSH raw = brush.get();
  brush.reset();
  EXPECT_EQ(GetObjectType(raw), 0u) << "the owned brush is deleted";
}

}  // namespace
