// The catalogue as the program reads it: counted start and stop, types and identifiers,
// neutral answers out of range, and random choices that are uniform.

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "engines/TransMgr/TransMgrApi.h"
#include "engines/TransMgr/TransitionRenderer.h"

namespace {

// Starts the manager for one test and stops it again, whatever the test does in between.
struct Started {
  Started() { TMInitTransMgr(); }
  ~Started() { TMUninitTransMgr(); }
};

}  // namespace

TEST(TransMgr, CatalogueListsAtLeastThirtyTransitionsInSixTypesFadesFirst) {
  Started started;
  ASSERT_GE(TMGetTransTypeCount(), 6);
  EXPECT_STREQ(TMGetTransID(0, 0), "CrossFade");
  EXPECT_STREQ(TMGetTransID(0, 1), "FadeThroughBlack");
  EXPECT_STREQ(TMGetTransID(0, 2), "FadeThroughWhite");
  std::set<std::string> ids;
  int total = 0;
  for (int type = 0; type < TMGetTransTypeCount(); ++type) {
    EXPECT_GT(TMGetTransCount(type), 0) << type;
    for (int index = 0; index < TMGetTransCount(type); ++index, ++total) {
      const std::string id = TMGetTransID(type, index);
      SCOPED_TRACE(id);
      EXPECT_FALSE(id.empty());
      EXPECT_LE(id.size(), 63u);
      for (char c : id) EXPECT_TRUE(c > ' ' && c < 127) << int(c);
      EXPECT_TRUE(engines::transitions::IsKnownTransition(id));
      ids.insert(id);
    }
  }
  EXPECT_GE(total, 30);
  EXPECT_EQ(ids.size(), size_t(total)) << "identifiers are unique";
}

TEST(TransMgr, OutOfRangeAnswersAreNeutralNeverNull) {
  Started started;
  const int types = TMGetTransTypeCount();
  struct Case {
    int type, index;
  };
  for (const Case c : {Case{-1, 0}, Case{types, 0}, Case{0, -1}, Case{0, TMGetTransCount(0)}, Case{1 << 30, 1 << 30}}) {
    const char* id = TMGetTransID(c.type, c.index);
    ASSERT_NE(id, nullptr);
    EXPECT_STREQ(id, "");
  }
  EXPECT_EQ(TMGetTransCount(-1), 0);
  EXPECT_EQ(TMGetTransCount(types), 0);
}

TEST(TransMgr, StartsAndStopsAreCounted) {
  EXPECT_EQ(TMGetTransTypeCount(), 0) << "not started";
  EXPECT_STREQ(TMGetTransID(0, 0), "");
  EXPECT_STREQ(TMGetRandomID(), "");
  EXPECT_EQ(TMUninitTransMgr(), 0) << "a stop without a start changes nothing";

  EXPECT_EQ(TMInitTransMgr(), 1);
  EXPECT_EQ(TMInitTransMgr(), 1);
  EXPECT_EQ(TMUninitTransMgr(), 1);
  EXPECT_STREQ(TMGetTransID(0, 0), "CrossFade") << "one start is still open";
  EXPECT_EQ(TMUninitTransMgr(), 1);
  EXPECT_EQ(TMGetTransTypeCount(), 0);
  EXPECT_EQ(TMUninitTransMgr(), 0);
  EXPECT_EQ(TMInitTransMgr(), 1);
  EXPECT_GE(TMGetTransTypeCount(), 6);
  EXPECT_EQ(TMUninitTransMgr(), 1);
}

TEST(TransMgr, RandomChoicesCoverTheCatalogueUniformly) {
  Started started;
  std::map<std::string, int> expected;
  for (int type = 0; type < TMGetTransTypeCount(); ++type)
    for (int index = 0; index < TMGetTransCount(type); ++index) expected[TMGetTransID(type, index)] = 0;
  const int perId = 400, draws = perId * static_cast<int>(expected.size());
  std::map<std::string, int> seen;
  for (int n = 0; n < draws; ++n) ++seen[TMGetRandomID()];
  ASSERT_EQ(seen.size(), expected.size()) << "every transition can be chosen, and nothing else";
  // Pearson's test: with about 30 degrees of freedom the statistic stays far below 100 unless
  // some transitions are favoured.
  double chiSquare = 0;
  for (const auto& [id, count] : seen) {
    ASSERT_TRUE(expected.count(id)) << id;
    chiSquare += double(count - perId) * (count - perId) / perId;
  }
  EXPECT_LT(chiSquare, 100.0);
}
