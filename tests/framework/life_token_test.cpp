#include "framework/life_token.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

// An object with a life of its own and a value that copies and moves carry along.
struct TOwner {
  int Value = 0;
  TLifeToken Life;
};

std::unique_ptr<TOwner> OwnerOf(int value) {
  auto owner = std::make_unique<TOwner>();
  owner->Value = value;
  return owner;
}

// Frees source, then other, and checks that each end is seen by its own watches alone.
void ExpectLivesApart(std::unique_ptr<TOwner> source, const TLifeWatch& sourceLife, std::unique_ptr<TOwner> other,
                      const TLifeWatch& otherLife) {
  EXPECT_EQ(other->Value, 7) << "the rest of the owner is carried";
  EXPECT_FALSE(sourceLife.Ended()) << "an owner copied or moved from still lives";
  EXPECT_FALSE(otherLife.Ended());
  source.reset();
  EXPECT_TRUE(sourceLife.Ended());
  EXPECT_FALSE(otherLife.Ended()) << "the other owner does not share the source's life";
  EXPECT_FALSE(other->Life.Watch().Ended());
  other.reset();
  EXPECT_TRUE(otherLife.Ended());
}

}  // namespace

TEST(LifeToken, AWatchSeesTheEndOfItsOwner) {
  auto owner = OwnerOf(1);
  const TLifeWatch life = owner->Life.Watch();
  EXPECT_FALSE(life.Ended());
  owner.reset();
  EXPECT_TRUE(life.Ended());
}

TEST(LifeToken, EndingTheTokenEndsTheLifeWhileTheOwnerStillExists) {
  TOwner owner;
  const TLifeWatch before = owner.Life.Watch();
  owner.Life.End();
  EXPECT_TRUE(before.Ended());
  EXPECT_TRUE(owner.Life.Watch().Ended()) << "a watch taken after the end";
}

TEST(LifeToken, AWatchOfNoOwnerHasEnded) { EXPECT_TRUE(TLifeWatch().Ended()); }

TEST(LifeToken, AnOwnerCopiedOrMovedIntoANewOneLivesApart) {
  for (const bool move : {false, true}) {
    SCOPED_TRACE(move ? "moved" : "copied");
    auto source = OwnerOf(7);
    const TLifeWatch sourceLife = source->Life.Watch();
    auto made = move ? std::make_unique<TOwner>(std::move(*source)) : std::make_unique<TOwner>(*source);
    const TLifeWatch madeLife = made->Life.Watch();
    ExpectLivesApart(std::move(source), sourceLife, std::move(made), madeLife);
  }
}

TEST(LifeToken, AnOwnerAssignedToKeepsItsOwnLife) {
  for (const bool move : {false, true}) {
    SCOPED_TRACE(move ? "move-assigned" : "copy-assigned");
    auto source = OwnerOf(7);
    auto target = OwnerOf(0);
    const TLifeWatch sourceLife = source->Life.Watch();
    const TLifeWatch targetLife = target->Life.Watch();
    if (move)
      *target = std::move(*source);
    else
      *target = *source;
    ExpectLivesApart(std::move(source), sourceLife, std::move(target), targetLife);
  }
}

TEST(LifeToken, EveryWatchSeesTheEndWhateverTheOthersDo) {
  auto owner = OwnerOf(1);
  std::vector<TLifeWatch> watches;
  for (int i = 0; i < 1000; ++i) watches.push_back(i % 2 ? watches.back() : owner->Life.Watch());
  // Watches that go first leave the life and the remaining watches as they were.
  watches.erase(watches.begin(), watches.begin() + 500);
  for (const TLifeWatch& life : watches) ASSERT_FALSE(life.Ended());
  owner.reset();
  for (const TLifeWatch& life : watches) ASSERT_TRUE(life.Ended());
}
