// Global memory blocks: movable and fixed blocks, locking, resizing, and stale handles.

#include "platform/kernel/GlobalMemory.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/kernel/WinError.h"

namespace {

bool AllZero(const void* bytes, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i)
    if (static_cast<const uint8_t*>(bytes)[i] != 0) return false;
  return true;
}

TEST(GlobalMemory, EveryKindAllocatesGrowsAndFrees) {
  for (UINT flags : {GMEM_MOVEABLE, GHND, GMEM_FIXED, GPTR}) {
    SCOPED_TRACE(flags);
    HGLOBAL block = GlobalAlloc(flags, 16);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 16u);
    auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes == block, (flags & GMEM_MOVEABLE) == 0) << "a fixed block is its own address";
    EXPECT_TRUE(AllZero(bytes, 0, 16));
    std::memcpy(bytes, "fifteen letters", 16);
    GlobalUnlock(block);

    // Grown (a fixed block may move only when allowed to), then shrunk and grown back: the
    // text survives and the new bytes are zero, also where shrinking cut something off.
    HGLOBAL grown = GlobalReAlloc(block, 64, GMEM_MOVEABLE | GMEM_ZEROINIT);
    ASSERT_NE(grown, nullptr);
    if (flags & GMEM_MOVEABLE) {
      EXPECT_EQ(grown, block) << "a movable block keeps its handle";
    }
    ASSERT_EQ(GlobalReAlloc(grown, 4, 0), grown);
    ASSERT_EQ(GlobalReAlloc(grown, 64, 0), grown) << "growing back within the reserve stays in place";
    EXPECT_EQ(GlobalSize(grown), 64u);
    bytes = static_cast<uint8_t*>(GlobalLock(grown));
    EXPECT_EQ(std::memcmp(bytes, "fift", 4), 0);
    EXPECT_TRUE(AllZero(bytes, 4, 64));
    GlobalUnlock(grown);

    EXPECT_EQ(GlobalFree(grown), nullptr);
    // Freed: every function sees a stale handle.
    SetLastError(NO_ERROR);
    EXPECT_EQ(GlobalSize(grown), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GlobalLock(grown), nullptr);
    EXPECT_EQ(GlobalReAlloc(grown, 8, GMEM_MOVEABLE), nullptr);
    EXPECT_EQ(GlobalFree(grown), grown) << "a second free fails and hands the handle back";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  }
}

TEST(GlobalMemory, LocksCountAndPinTheBlock) {
  HGLOBAL block = GlobalAlloc(GHND, 8);
  ASSERT_NE(block, nullptr);
  void* first = GlobalLock(block);
  EXPECT_EQ(GlobalLock(block), first);
  EXPECT_TRUE(GlobalUnlock(block)) << "still locked once";

  // While locked, the bytes may not move: growing past the reserve fails and changes nothing.
  std::memcpy(first, "pinned", 7);
  EXPECT_EQ(GlobalReAlloc(block, 1 << 20, GMEM_MOVEABLE), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(GlobalSize(block), 8u);
  EXPECT_STREQ(static_cast<const char*>(first), "pinned");

  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GetLastError(), NO_ERROR) << "the last lock went";
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED);
  ASSERT_EQ(GlobalReAlloc(block, 1 << 20, 0), block) << "unlocked, it may move";
  EXPECT_STREQ(static_cast<const char*>(GlobalLock(block)), "pinned");
  GlobalUnlock(block);
  GlobalFree(block);

  // A fixed block does not move unless asked to.
  HGLOBAL fixed = GlobalAlloc(GPTR, 8);
  EXPECT_EQ(GlobalReAlloc(fixed, 4096, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(GlobalSize(fixed), 8u);
  EXPECT_FALSE(GlobalUnlock(fixed));
  EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED) << "fixed blocks are never locked";
  EXPECT_EQ(GlobalReAlloc(fixed, 8, GMEM_MODIFY | GMEM_MOVEABLE), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  GlobalFree(fixed);
}

TEST(GlobalMemory, ForeignHandlesAreRefused) {
  int local = 0;
  for (HGLOBAL bogus : {static_cast<HGLOBAL>(nullptr), reinterpret_cast<HGLOBAL>(0x1234),
                        static_cast<HGLOBAL>(&local)}) {
    SetLastError(NO_ERROR);
    EXPECT_EQ(GlobalLock(bogus), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GlobalSize(bogus), 0u);
    EXPECT_FALSE(GlobalUnlock(bogus));
    EXPECT_EQ(GlobalFree(bogus), bogus);
  }
}

}  // namespace
