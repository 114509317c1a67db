#include <gtest/gtest.h>

#include "framework/set.h"

namespace {

enum class TColour { Red, Green, Blue, Black };
using TColours = TSet<TColour, 8>;

}  // namespace

TEST(EnumerationSet, UnionDifferenceIntersectionAndSubsets) {
  const TColours warm{TColour::Red};
  const TColours light{TColour::Red, TColour::Green, TColour::Blue};
  EXPECT_EQ(warm + TColours{TColour::Blue}, (TColours{TColour::Red, TColour::Blue}));
  EXPECT_EQ(light - warm, (TColours{TColour::Green, TColour::Blue}));
  EXPECT_EQ(light * (TColours{TColour::Blue, TColour::Black}), TColours{TColour::Blue});
  EXPECT_TRUE(warm <= light);
  EXPECT_FALSE(light <= warm);
  EXPECT_TRUE(TColours{} <= warm);
  EXPECT_EQ(light.Count(), 3u);
  EXPECT_TRUE(TColours().Empty());
  EXPECT_NE(warm, light);

  TColours edited = light;
  edited -= TColour::Green;
  edited += TColour::Black;
  EXPECT_TRUE(edited.Contains(TColour::Black));
  EXPECT_FALSE(edited.Contains(TColour::Green));
  edited *= warm;
  EXPECT_EQ(edited, warm);
}

TEST(EnumerationSet, StoredBitMasksRoundTrip) {
  const TColours set{TColour::Green, TColour::Black};
  EXPECT_EQ(set.ToBits(), 0b1010u);
  EXPECT_EQ(TColours::FromBits(0b0101), (TColours{TColour::Red, TColour::Blue}));
  EXPECT_EQ(TColours::FromBits(set.ToBits()), set);
}
