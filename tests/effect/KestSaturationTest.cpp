#include "effect/KestSaturation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kScale = 142.14300537109375;

TEST(KestSaturate, ZeroGivesZeroOfTheSameSign) {
  EXPECT_EQ(KestSaturate(0.0), 0.0);
  EXPECT_FALSE(std::signbit(KestSaturate(0.0)));
  EXPECT_TRUE(std::signbit(KestSaturate(-0.0)));
}

TEST(KestSaturate, InterpolatesBetweenTableEntries) {
  // 0.1 * scale = 14.2143...: between entries 14 and 15 of each half.
  const double m = 0.1 * kScale;
  const double f = m - 14.0;
  const double positive = (1 - f) * double(0.101835974f) + f * double(0.108009093f);
  const double negative = (1 - f) * double(-0.107770756f) + f * double(-0.114729427f);
  EXPECT_DOUBLE_EQ(KestSaturate(0.1), positive);
  EXPECT_DOUBLE_EQ(KestSaturate(-0.1), negative);
  EXPECT_NEAR(KestSaturate(0.1), 0.1032, 5e-5);
  EXPECT_NEAR(KestSaturate(-0.1), -0.1093, 5e-5);
}

TEST(KestSaturate, HitsTableEntriesExactlyAtTheirSamplePoints) {
  EXPECT_EQ(KestSaturate(1.0 / kScale), double(0.0105573675f));
  EXPECT_EQ(KestSaturate(-50.0 / kScale), double(-0.260625035f));
  EXPECT_EQ(KestSaturate(198.0 / kScale), double(0.354409516f));
}

TEST(KestSaturate, HoldsTheLastEntryBeyondTheTable) {
  EXPECT_EQ(KestSaturate(5.0), 0.35440951585769653);
  EXPECT_EQ(KestSaturate(-5.0), -0.4359269142150879);
  EXPECT_EQ(KestSaturate(199.0 / kScale), 0.35440951585769653);
  // Far beyond the table a loud signal must stay loud rather than fall silent.
  EXPECT_EQ(KestSaturate(1e12), 0.35440951585769653);
  EXPECT_EQ(KestSaturate(-1e300), -0.4359269142150879);
  EXPECT_EQ(KestSaturate(std::numeric_limits<double>::infinity()), 0.35440951585769653);
}

TEST(KestSaturate, NotANumberGivesZero) {
  EXPECT_EQ(KestSaturate(std::numeric_limits<double>::quiet_NaN()), 0.0);
  EXPECT_EQ(KestSaturate(-std::numeric_limits<double>::quiet_NaN()), 0.0);
}

TEST(KestSaturate, IsMonotonicAndBoundedOnBothSides) {
  double previousUp = 0.0;
  double previousDown = 0.0;
  for (int i = 1; i <= 3000; ++i) {
    const double y = i * 0.0005;
    const double up = KestSaturate(y);
    const double down = KestSaturate(-y);
    ASSERT_GE(up, previousUp) << y;
    ASSERT_LE(down, previousDown) << y;
    ASSERT_LE(up, 0.35440951585769653);
    ASSERT_GE(down, -0.4359269142150879);
    previousUp = up;
    previousDown = down;
  }
}

}  // namespace
