#include "framework/delegate.h"

#include <gtest/gtest.h>

#include <vector>

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
