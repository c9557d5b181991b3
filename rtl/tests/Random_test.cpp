#include "rtl/Random.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

namespace {

TEST(Random, StaysInRangeAndCoversIt) {
  SetRandSeed(12345);
  std::set<int> seen;
  for (int i = 0; i < 2000; ++i) {
    const int value = Random(7);
    ASSERT_GE(value, 0);
    ASSERT_LT(value, 7);
    seen.insert(value);
  }
  EXPECT_EQ(seen.size(), 7u);
  for (int i = 0; i < 1000; ++i) {
    const double value = Random();
    ASSERT_GE(value, 0.0);
    ASSERT_LT(value, 1.0);
  }
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
  EXPECT_EQ(Random(1), 0);
}

TEST(Random, ASeedRepeatsItsSequence) {
  SetRandSeed(0);
  // 0 x 134775813 + 1 = 1, then 1 x 134775813 + 1.
  EXPECT_EQ(Random(100), 0);
  EXPECT_EQ(RandSeed(), 1u);
  EXPECT_EQ(Random(100), static_cast<int>((134775814ull * 100) >> 32));
  SetRandSeed(99);
  std::vector<int> first, second;
  for (int i = 0; i < 20; ++i) first.push_back(Random(1000));
  SetRandSeed(99);
  for (int i = 0; i < 20; ++i) second.push_back(Random(1000));
  EXPECT_EQ(first, second);
}

TEST(Random, RandomizeMovesTheSeedAndDrawsFromThreadsAreNotLost) {
  SetRandSeed(7);
  Randomize();
  EXPECT_NE(RandSeed(), 7u);
  // Every draw advances the seed exactly once: 4 x 1000 draws from threads land where 4000
  // draws in a row land.
  SetRandSeed(5);
  for (int i = 0; i < 4000; ++i) Random(10);
  const uint32_t expected = RandSeed();
  SetRandSeed(5);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([] {
      for (int i = 0; i < 1000; ++i) Random(10);
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(RandSeed(), expected);
}

}  // namespace
