#include "platform/kernel/HandleTable.h"

#include <gtest/gtest.h>

#include "platform/kernel/KernelObject.h"
#include "platform/kernel/WinError.h"

namespace {

TEST(HandleTable, StaleHandleIsNotReusedBySlotsNextObject) {
  platform::HandleTable<int> table(7);
  const uintptr_t first = table.Add(std::make_shared<int>(1));
  ASSERT_NE(first, 0u);
  EXPECT_EQ(*table.Get(first), 1);
  EXPECT_NE(table.Remove(first), nullptr);
  const uintptr_t second = table.Add(std::make_shared<int>(2));
  EXPECT_NE(first, second);
  EXPECT_EQ(table.Get(first), nullptr);
  EXPECT_EQ(*table.Get(second), 2);
  EXPECT_EQ(table.Remove(first), nullptr);
}

TEST(HandleTable, HandleOfAnotherTableIsRejected) {
  platform::HandleTable<int> files(1);
  platform::HandleTable<int> windows(2);
  const uintptr_t file = files.Add(std::make_shared<int>(1));
  windows.Add(std::make_shared<int>(2));
  EXPECT_EQ(windows.Get(file), nullptr);
  EXPECT_EQ(windows.Get(0), nullptr);
  EXPECT_EQ(windows.Get(~uintptr_t(0)), nullptr);
}

TEST(HandleTable, CloseHandleReportsInvalidHandle) {
  struct Probe : platform::detail::KernelObject {
    bool* closed;
    explicit Probe(bool* c) : closed(c) {}
    void OnClose() override { *closed = true; }
  };
  bool closed = false;
  HANDLE h = platform::detail::AddKernelObject(std::make_shared<Probe>(&closed));
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_TRUE(closed);
  SetLastError(0);
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
