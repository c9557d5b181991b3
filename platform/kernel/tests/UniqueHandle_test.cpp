#include "platform/kernel/UniqueHandle.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> g_released;
void ReleaseNumber(int value) { g_released.push_back(value); }
void ReleaseCounter(int* counter) { ++*counter; }

using Number = platform::UniqueHandle<int, ReleaseNumber, -1>;
using Counter = platform::UniqueHandle<int*, ReleaseCounter>;

TEST(UniqueHandle, ReleasesEachHandleOnceAndNeverItsNullValue) {
  g_released.clear();
  {
    Number empty;
    EXPECT_FALSE(empty);
    Number zero(0);  // 0 is a real descriptor when -1 means none
    EXPECT_TRUE(zero);
    Number three(3);
    Number moved(std::move(three));
    EXPECT_FALSE(three);
    EXPECT_EQ(moved.get(), 3);
    moved.reset(4);
    EXPECT_EQ(g_released, (std::vector<int>{3}));
    moved = Number(5);
    EXPECT_EQ(g_released, (std::vector<int>{3, 4}));
    Number kept(6);
    EXPECT_EQ(kept.release(), 6);
    *kept.put() = 7;  // as a C function handing a handle out would
    EXPECT_EQ(kept.get(), 7);
  }
  EXPECT_EQ(g_released, (std::vector<int>{3, 4, 7, 5, 0}));
}

TEST(UniqueHandle, PointersBehaveLikeUniquePtr) {
  int count = 0;
  {
    Counter held(&count);
    EXPECT_FALSE(held == nullptr);
    EXPECT_EQ(held.get(), &count);
    EXPECT_EQ(*held, 0);
    Counter none = nullptr;
    EXPECT_TRUE(none == nullptr);
    none.swap(held);
    EXPECT_TRUE(held == nullptr);
    none = std::move(none);  // self-move keeps the handle
    EXPECT_EQ(count, 0);
  }
  EXPECT_EQ(count, 1);
}

}  // namespace
