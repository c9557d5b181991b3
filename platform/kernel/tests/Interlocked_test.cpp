#include "platform/kernel/Interlocked.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(Interlocked, ConcurrentIncrementsAndDecrementsAreNotLost) {
  LONG volatile counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 20000; ++i) {
        if (t % 2) InterlockedIncrement(&counter); else InterlockedExchangeAdd(&counter, 2);
      }
      for (int i = 0; i < 10000; ++i) InterlockedDecrement(&counter);
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter, 2 * 20000 + 2 * 40000 - 4 * 10000);
}

TEST(Interlocked, ReturnValues) {
  LONG volatile value = 5;
  EXPECT_EQ(InterlockedIncrement(&value), 6);
  EXPECT_EQ(InterlockedDecrement(&value), 5);
  EXPECT_EQ(InterlockedExchange(&value, 9), 5);
  EXPECT_EQ(InterlockedExchangeAdd(&value, 3), 9);
  EXPECT_EQ(InterlockedCompareExchange(&value, 100, 1), 12);  // no match: unchanged
  EXPECT_EQ(value, 12);
  EXPECT_EQ(InterlockedCompareExchange(&value, 100, 12), 12);
  EXPECT_EQ(value, 100);

  int a = 0, b = 0;
  PVOID volatile pointer = &a;
  EXPECT_EQ(InterlockedCompareExchangePointer(&pointer, &b, nullptr), &a);
  EXPECT_EQ(pointer, &a);
  EXPECT_EQ(InterlockedExchangePointer(&pointer, &b), &a);
  EXPECT_EQ(pointer, &b);
}

}  // namespace
