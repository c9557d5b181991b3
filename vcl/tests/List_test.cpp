#include "vcl/List.h"

#include <gtest/gtest.h>

#include "vcl/ThreadList.h"

namespace {

int Slot(int n) { return n; }
void* P(int n) { return reinterpret_cast<void*>(static_cast<intptr_t>(Slot(n))); }

class TRecordingList : public TList {
 public:
  ~TRecordingList() override { Clear(); }
  std::vector<std::pair<void*, TListNotification>> events;

 protected:
  void Notify(void* item, TListNotification action) override { events.push_back({item, action}); }
};

TEST(List, EditsKeepOrderAndNotify) {
  TRecordingList list;
  list.Add(P(1));
  list.Add(P(2));
  list.Add(nullptr);  // nil items are never announced
  list.Insert(0, P(3));
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Items(0), P(3));
  EXPECT_EQ(list.Extract(P(1)), P(1));
  EXPECT_EQ(list.Extract(P(9)), nullptr);
  EXPECT_EQ(list.Remove(P(2)), 1);
  EXPECT_EQ(list.Remove(P(2)), -1);
  list.Pack();
  EXPECT_EQ(list.Count(), 1);
  std::vector<std::pair<void*, TListNotification>> expected = {
      {P(1), lnAdded}, {P(2), lnAdded}, {P(3), lnAdded}, {P(1), lnExtracted}, {P(2), lnDeleted}};
  EXPECT_EQ(list.events, expected);
}

TEST(List, MoveExchangeSort) {
  TList list;
  for (int i : {4, 1, 3, 2}) list.Add(P(i));
  list.Move(0, 3);  // 1 3 2 4
  list.Exchange(0, 1);  // 3 1 2 4
  EXPECT_EQ(list.Items(0), P(3));
  EXPECT_EQ(list.Items(3), P(4));
  list.Sort([](void* a, void* b) {
    return static_cast<int>(reinterpret_cast<intptr_t>(a) - reinterpret_cast<intptr_t>(b));
  });
  for (int i = 0; i < 4; ++i) EXPECT_EQ(list.Items(i), P(i + 1));
}

TEST(List, BoundsErrorsChangeNothing) {
  TList list;
  list.Add(P(1));
  struct Case { std::function<void()> act; const char* message; };
  const Case cases[] = {
      {[&] { list.Items(1); }, "List index out of bounds (1)"},
      {[&] { list.Items(-1); }, "List index out of bounds (-1)"},
      {[&] { list.Delete(5); }, "List index out of bounds (5)"},
      {[&] { list.Insert(2, P(2)); }, "List index out of bounds (2)"},
      {[&] { list.Move(0, 1); }, "List index out of bounds (1)"},
      {[&] { list.Exchange(0, 3); }, "List index out of bounds (3)"},
      {[&] { list.SetCapacity(0); }, "List capacity out of bounds (0)"},
      {[&] { list.SetCapacity(MaxListSize + 1); }, "List capacity out of bounds (134217728)"},
  };
  for (const auto& c : cases) {
    try {
      c.act();
      ADD_FAILURE() << "no error for " << c.message;
    } catch (const EListError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Items(0), P(1));
}

TEST(List, CapacityGrowsInSteps) {
  TList list;
  std::vector<int> capacities;
  for (int i = 0; i < 100; ++i) {
    list.Add(P(i));
    if (capacities.empty() || capacities.back() != list.Capacity()) capacities.push_back(list.Capacity());
  }
  std::vector<int> expected = {4, 8, 12, 28, 44, 60, 76, 95, 118};
  EXPECT_EQ(capacities, expected);
}

class TCounted : public TObject {
 public:
  explicit TCounted(int& alive) : m_alive(alive) { ++m_alive; }
  ~TCounted() override { --m_alive; }
  int& m_alive;
};

TEST(ObjectList, OwnsWhatItDeletesNotWhatItExtracts) {
  int alive = 0;
  auto* kept = new TCounted(alive);
  {
    TObjectList list;
    list.Add(new TCounted(alive));
    list.Add(kept);
    list.Add(new TCounted(alive));
    list.Delete(0);
    EXPECT_EQ(alive, 2);
    list.Extract(kept);
    EXPECT_EQ(alive, 2);
  }
  EXPECT_EQ(alive, 1);
  delete kept;
}

TEST(ThreadList, DuplicatesAndLocking) {
  TThreadList list;
  list.Add(P(1));
  list.Add(P(1));
  EXPECT_EQ(list.LockList()->Count(), 1);
  list.UnlockList();
  list.SetDuplicates(dupError);
  EXPECT_THROW(list.Add(P(1)), EListError);
  list.SetDuplicates(dupAccept);
  TList* locked = list.LockList();
  list.Add(P(1));  // the holder may call the other operations
  EXPECT_EQ(locked->Count(), 2);
  list.UnlockList();
}

}  // namespace
