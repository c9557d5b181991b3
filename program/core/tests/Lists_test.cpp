#include <gtest/gtest.h>

#include <climits>

#include "program/core/FSEventList.h"
#include "program/core/FSObjectList.h"
#include "program/core/IdentList.h"
#include "program/core/Singleton.h"

namespace {

class TCounted : public TObject {
 public:
  explicit TCounted(int* destroyed) : m_destroyed(destroyed) {}
  ~TCounted() override { ++*m_destroyed; }

 private:
  int* m_destroyed;
};

TEST(FSObjectListTest, OwnedObjectsAreFreedOnDeleteNotOnExtract) {
  int destroyed = 0;
  std::vector<std::pair<void*, TListNotification>> seen;
  {
    TFSObjectList list(true);
    list.OnNotify = [&](void* item, TListNotification action) {
      EXPECT_EQ(destroyed, 0);  // still alive when reported
      seen.emplace_back(item, action);
    };
    auto* a = new TCounted(&destroyed);
    auto* b = new TCounted(&destroyed);
    list.Add(a);
    list.Add(b);
    EXPECT_EQ(list.Extract(b), b);
    EXPECT_EQ(destroyed, 0);
    list.Delete(0);
    EXPECT_EQ(destroyed, 1);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[2], std::make_pair(static_cast<void*>(b), lnExtracted));
    EXPECT_EQ(seen[3], std::make_pair(static_cast<void*>(a), lnDeleted));
    list.OnNotify = nullptr;
    list.Add(b);
  }
  EXPECT_EQ(destroyed, 2);  // the list freed what it still owned

  TFSObjectList borrowed(false);
  TCounted c(&destroyed);
  borrowed.Add(&c);
  borrowed.Delete(0);
  EXPECT_EQ(destroyed, 2);
}

class TListener {
 public:
  void Changed(int value) { last = value; }
  void Other(int value) { last = -value; }
  int last = 0;
};

TEST(FSEventListTest, HandlersAreUniqueAndRangeChecked) {
  TFSEventList<void(int)> list;
  TListener first, second;
  EXPECT_EQ(list.Add(&first, &TListener::Changed), 0);
  EXPECT_EQ(list.Add(&second, &TListener::Changed), 1);
  EXPECT_EQ(list.Add(&first, &TListener::Other), 2);
  EXPECT_EQ(list.Add(&first, &TListener::Changed), 0);  // already there
  EXPECT_EQ(list.Count(), 3);
  for (int i = 0; i < list.Count(); ++i) list.Items(i)(5);
  EXPECT_EQ(first.last, -5);
  EXPECT_EQ(second.last, 5);
  EXPECT_EQ(list.Remove(&second, &TListener::Other), -1);
  EXPECT_EQ(list.Remove(&second, &TListener::Changed), 1);
  EXPECT_EQ(list.IndexOf(&first, &TListener::Other), 1);
  EXPECT_THROW(list.Items(2), EListError);
  EXPECT_THROW(list.Items(-1), EListError);
  try {
    list.Delete(7);
    FAIL() << "no exception";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (7)");
  }
  EXPECT_THROW(list.SetCapacity(1), EListError);  // below Count
  EXPECT_THROW(list.SetCapacity(0x8000000), EListError);
  list.SetCapacity(100);
  EXPECT_EQ(list.Capacity(), 100);
}

TEST(IdentListTest, UnsortedKeepsEveryPair) {
  TIdentList list;
  list.Add(5, 50);
  list.Add(5, 51);
  list.Add(-3, 30);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.ValueOf(5), 50);
  EXPECT_EQ(list.ValueOf(99), 0);
  EXPECT_EQ(list.IndexOf(-3), 2);
  EXPECT_EQ(list.Keys(2), -3);
  EXPECT_EQ(list.Values(1), 51);
  EXPECT_THROW(list.Keys(3), EListError);
  EXPECT_THROW(list.Values(-1), EListError);
}

TEST(IdentListTest, SortedHandlesDuplicatesAndExtremeKeys) {
  struct Case {
    TDuplicates duplicates;
    int countAfter;
    int changes;
  } cases[] = {{dupIgnore, 4, 4}, {dupAccept, 5, 5}};
  for (const Case& c : cases) {
    TIdentList list;
    list.Sorted = true;
    list.Duplicates = c.duplicates;
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    // Keys at both ends of the range: a subtracting comparison would overflow here.
    for (int32_t key : {INT_MAX, INT_MIN, 0, -1}) list.Add(key, key == INT_MIN ? 7 : 1);
    const int index = list.Add(0, 2);
    EXPECT_EQ(list.Count(), c.countAfter);
    EXPECT_EQ(changes, c.changes);
    EXPECT_EQ(list.Keys(index), 0);
    EXPECT_EQ(list.Keys(0), INT_MIN);
    EXPECT_EQ(list.Keys(list.Count() - 1), INT_MAX);
    EXPECT_EQ(list.ValueOf(INT_MIN), 7);
    EXPECT_EQ(list.IndexOf(INT_MAX), list.Count() - 1);
    if (c.duplicates == dupAccept) {
      EXPECT_EQ(index, 2);  // before the equal key
    }
  }
  TIdentList strict;
  strict.Sorted = true;
  strict.Duplicates = dupError;
  strict.Add(1, 1);
  try {
    strict.Add(1, 2);
    FAIL() << "no exception";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "String list does not allow duplicates");
  }
  EXPECT_EQ(strict.Count(), 1);
}

int g_constructed = 0;
int g_singletonDestroyed = 0;

class TLanguageManagerStandIn : public TSingleton {
 public:
  TLanguageManagerStandIn() { ++g_constructed; }
  ~TLanguageManagerStandIn() override { ++g_singletonDestroyed; }
};

class TOtherSingleton : public TSingleton {};

TEST(SingletonTest, TrueReferenceCount) {
  g_constructed = g_singletonDestroyed = 0;
  auto* first = TSingleton::Create<TLanguageManagerStandIn>();
  auto* second = TSingleton::Create<TLanguageManagerStandIn>();
  EXPECT_EQ(first, second);
  EXPECT_EQ(g_constructed, 1);
  EXPECT_EQ(first->RefCount(), 2);
  EXPECT_THROW(TSingleton::Create<TOtherSingleton>(), EInvalidCast);
  second->Release();
  EXPECT_EQ(g_singletonDestroyed, 0);
  EXPECT_EQ(TSingleton::Instance(), first);
  first->Release();
  EXPECT_EQ(g_singletonDestroyed, 1);
  EXPECT_EQ(TSingleton::Instance(), nullptr);
  auto* again = TSingleton::Create<TLanguageManagerStandIn>();
  EXPECT_EQ(g_constructed, 2);
  again->Release();
}

}  // namespace
