#include "framework/delegate.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/allocation_count.h"

namespace {

class Counter {
 public:
  void Add(int amount) { total += amount; }
  void Subtract(int amount) { total -= amount; }
  int Twice(int amount) const { return amount * 2; }
  int total = 0;
};

struct Base {
  virtual ~Base() = default;
  virtual void Hit(int) {}
};
struct Derived : Base {
  void Hit(int amount) override { hits += amount; }
  int hits = 0;
};

}  // namespace

TEST(Delegate, SameObjectAndMethodCompareEqual) {
  Counter a, b;
  TDelegate<void(int)> add(&a, &Counter::Add);
  EXPECT_EQ(add, TDelegate<void(int)>(&a, &Counter::Add));
  EXPECT_NE(add, TDelegate<void(int)>(&b, &Counter::Add));
  EXPECT_NE(add, TDelegate<void(int)>(&a, &Counter::Subtract));
  const Counter& constant = a;
  EXPECT_EQ(TDelegate<int(int)>(&constant, &Counter::Twice), TDelegate<int(int)>(&a, &Counter::Twice));
  EXPECT_EQ(add.Object(), &a);
}

TEST(Delegate, CallablesEqualNothingButEmptiesEqualEachOther) {
  auto lambda = [](int) {};
  TDelegate<void(int)> first(lambda);
  TDelegate<void(int)> second(lambda);
  EXPECT_NE(first, second);
  EXPECT_NE(first, first);
  EXPECT_EQ(first.Object(), nullptr);
  TDelegate<void(int)> empty;
  EXPECT_EQ(empty, TDelegate<void(int)>(nullptr));
  EXPECT_TRUE(empty == nullptr);
  EXPECT_FALSE(static_cast<bool>(empty));
  EXPECT_TRUE(first != nullptr);
}

TEST(Delegate, CallsReachTheObjectAndVirtualOverrides) {
  Counter counter;
  TDelegate<void(int)> add(&counter, &Counter::Add);
  add(3);
  add(4);
  EXPECT_EQ(counter.total, 7);
  EXPECT_EQ(TDelegate<int(int)>(&counter, &Counter::Twice)(21), 42);

  Derived derived;
  TDelegate<void(int)> hit(static_cast<Base*>(&derived), &Base::Hit);
  hit(5);
  EXPECT_EQ(derived.hits, 5);
  // A handler list removes exactly the one it was given.
  std::vector<TDelegate<void(int)>> handlers{add, hit};
  std::erase(handlers, TDelegate<void(int)>(&counter, &Counter::Add));
  ASSERT_EQ(handlers.size(), 1u);
  EXPECT_EQ(handlers.front(), hit);
}

TEST(Delegate, MemberDelegatesAllocateNothingToBindCopyCompareOrCall) {
  Counter counter;
  const int before = AllocationCount();
  TDelegate<void(int)> add(&counter, &Counter::Add);
  TDelegate<void(int)> copy = add;
  TDelegate<void(int)> moved = std::move(copy);
  TDelegate<void(int)> assigned;
  assigned = moved;
  EXPECT_TRUE(add == assigned);
  assigned(2);
  add(3);
  EXPECT_EQ(AllocationCount(), before);
  EXPECT_EQ(counter.total, 5);
  EXPECT_FALSE(static_cast<bool>(copy));

  // The counter sees AllocationCount(): a callable with a large capture needs a holder.
  std::vector<int> captured(100, 1);
  TDelegate<void(int)> callable([captured, &counter](int) { counter.total += captured[0]; });
  EXPECT_GT(AllocationCount(), before);
}

namespace {

// Notes when the capture holding it is destroyed.
struct DestroyFlag {
  explicit DestroyFlag(bool* flag) : flag_(flag) {}
  DestroyFlag(const DestroyFlag& other) = default;
  ~DestroyFlag() {
    if (flag_ && alive_) *flag_ = true;
  }
  bool* flag_;
  bool alive_ = true;
};

class SelfClearing {
 public:
  void Handle(int amount) {
    *event = nullptr;
    total += amount;
  }
  TDelegate<void(int)>* event = nullptr;
  int total = 0;
};

}  // namespace

TEST(Delegate, AHandlerMayClearTheDelegateItWasCalledThrough) {
  SelfClearing object;
  TDelegate<void(int)> member(&object, &SelfClearing::Handle);
  object.event = &member;
  member(4);
  EXPECT_EQ(object.total, 4);
  EXPECT_FALSE(static_cast<bool>(member));

  bool destroyed = false;
  bool destroyedDuringCall = true;
  TDelegate<void(int)> callable;
  {
    DestroyFlag flag(&destroyed);
    callable = [flag, &callable, &destroyed, &destroyedDuringCall](int) {
      callable = nullptr;
      // The capture is still whole here, though the delegate let go of it.
      destroyedDuringCall = destroyed;
      (void)flag;
    };
    flag.alive_ = false;
  }
  destroyed = false;
  callable(1);
  EXPECT_FALSE(destroyedDuringCall);
  EXPECT_TRUE(destroyed);
  EXPECT_FALSE(static_cast<bool>(callable));
}
