#include "framework/lists.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "framework/exceptions.h"

namespace {

// Counts how many of its kind are alive, to show who frees what.
class Counted : public TObject {
 public:
  explicit Counted(int* alive) : alive_(alive) { ++*alive_; }
  ~Counted() override { --*alive_; }

 private:
  int* alive_;
};

// Records the notifications of its list.
class RecordingList : public TList {
 public:
  std::vector<std::pair<void*, TListNotification>> log;

 protected:
  void Notify(void* item, TListNotification action) override { log.emplace_back(item, action); }
};

int a, b, c;

}  // namespace

TEST(PointerList, EditingAndIndexErrors) {
  TList list;
  list.Add(&a);
  list.Add(&b);
  list.Insert(0, &c);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.First(), &c);
  EXPECT_EQ(list.Last(), &b);
  list.Move(0, 2);
  EXPECT_EQ(list.Items(2), &c);
  list.Exchange(0, 1);
  EXPECT_EQ(list.IndexOf(&b), 0);
  EXPECT_EQ(list.Remove(&a), 1);
  EXPECT_EQ(list.Remove(&a), -1);

  for (int bad : {-1, 2}) {
    try {
      list.Items(bad);
      FAIL();
    } catch (const EListError& error) {
      EXPECT_EQ(error.Message(), L"List index out of bounds (" + std::to_wstring(bad) + L")");
    }
  }
  EXPECT_THROW(list.Insert(3, &a), EListError);
  EXPECT_NO_THROW(list.Insert(2, &a));

  list.SetCount(5);
  EXPECT_EQ(list.Items(4), nullptr);
  list.Pack();
  EXPECT_EQ(list.Count(), 3);
  list.Sort([](void* x, void* y) { return x < y ? -1 : x > y ? 1 : 0; });
  EXPECT_LT(list.Items(0), list.Items(1));
  EXPECT_LT(list.Items(1), list.Items(2));
}

TEST(PointerList, NotificationsOnEveryEntryAndExit) {
  RecordingList list;
  list.Add(&a);
  list.Add(nullptr);
  list.Add(&b);
  list.SetItems(0, &c);
  EXPECT_EQ(list.Extract(&b), &b);
  list.Clear();
  using N = TListNotification;
  std::vector<std::pair<void*, TListNotification>> expected = {{&a, N::lnAdded},     {&b, N::lnAdded},
                                                               {&a, N::lnDeleted},   {&c, N::lnAdded},
                                                               {&b, N::lnExtracted}, {&c, N::lnDeleted}};
  EXPECT_EQ(list.log, expected);
}

TEST(ObjectList, OwnsUnlessExtracted) {
  int alive = 0;
  {
    TObjectList list;
    list.Add(new Counted(&alive));
    list.Add(new Counted(&alive));
    auto* kept = new Counted(&alive);
    list.Add(kept);
    list.Delete(0);
    EXPECT_EQ(alive, 2);
    EXPECT_EQ(list.Extract(kept), kept);
    delete kept;
    EXPECT_EQ(alive, 1);
  }
  EXPECT_EQ(alive, 0);

  Counted observed(&alive);
  {
    TObjectList list(false);
    list.Add(&observed);
  }
  EXPECT_EQ(alive, 1);
}

TEST(ThreadList, DuplicatesAndConcurrentAdds) {
  TThreadList list;
  list.Add(&a);
  list.Add(&a);
  EXPECT_EQ(TThreadList::TLock(list)->Count(), 1);
  list.SetDuplicates(TDuplicates::dupError);
  try {
    list.Add(&a);
    FAIL();
  } catch (const EListError& error) {
    EXPECT_EQ(error.Message(), L"Duplicates not allowed");
  }
  // The lock was released by the failing Add.
  list.SetDuplicates(TDuplicates::dupAccept);
  list.Add(&a);
  EXPECT_EQ(list.LockList()->Count(), 2);
  list.UnlockList();
  list.Clear();

  std::vector<int> values(4000);
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t)
    workers.emplace_back([&, t] {
      for (int i = 0; i < 1000; ++i) list.Add(&values[static_cast<size_t>(t * 1000 + i)]);
    });
  for (auto& worker : workers) worker.join();
  TThreadList::TLock locked(list);
  EXPECT_EQ(locked->Count(), 4000);
}

TEST(PointerList, CountsBeyondTheLimitAreRefusedBeforeAnyWork) {
  TList list;
  list.Add(&list);
  for (int count : {MaxListSize + 1, 0x7FFFFFFF, -1}) {
    EXPECT_THROW(list.SetCount(count), EListError) << count;
    EXPECT_EQ(list.Count(), 1) << count;
  }
  list.SetCount(3);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Items(2), nullptr);
}
