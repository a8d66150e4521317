#include "rasterizer/lice_line.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <set>
#include <utility>

#include "rasterizer/lice_combine.h"
#include "tests/rasterizer/guarded_bitmap.h"
#include "tests/rasterizer/primitive_test_util.h"

namespace {

constexpr LICE_pixel kWhite = 0xFFFFFFFFu;

}  // namespace

// ---- clipping ---------------------------------------------------------------------------------

TEST(LICE_ClipLine, MovesEachOutsideEndOntoTheEdgeItCrosses)
{
  int x1 = -10, y1 = 5, x2 = 10, y2 = 5;
  ASSERT_TRUE(LICE_ClipLine(&x1, &y1, &x2, &y2, 0, 0, 5, 10));
  EXPECT_EQ(0, x1);
  EXPECT_EQ(5, y1);
  EXPECT_EQ(4, x2);
  EXPECT_EQ(5, y2);
}

TEST(LICE_ClipLine, TruncatesIntersectionsRoundByRound)
{
  // End 1 goes to y = 0 at x = -3 + 1 * 10 / 5 = -1, then to x = 0 at y = 0 + 4 * 1 / 8 = 0.5 -> 0.
  // End 2 goes to y = 2 at x = 0 + 3 * 7 / 4 = 5.25 -> 5, then to x = 4 at y = 2 * 5 / 5 = 2.
  int x1 = -3, y1 = -1, x2 = 7, y2 = 4;
  ASSERT_TRUE(LICE_ClipLine(&x1, &y1, &x2, &y2, 0, 0, 5, 3));
  EXPECT_EQ(std::make_pair(0, 0), std::make_pair(x1, y1));
  EXPECT_EQ(std::make_pair(4, 2), std::make_pair(x2, y2));
}

TEST(LICE_ClipLine, InvisibleLineLeavesPointsAndReportsFalse)
{
  int x1 = -5, y1 = 0, x2 = -1, y2 = 9;
  EXPECT_FALSE(LICE_ClipLine(&x1, &y1, &x2, &y2, 0, 0, 10, 10));
  EXPECT_EQ(-5, x1);
  EXPECT_EQ(9, y2);
  EXPECT_FALSE(LICE_ClipLine(nullptr, &y1, &x2, &y2, 0, 0, 10, 10));
}

TEST(LICE_ClipLine, ExtremeCoordinatesDoNotOverflow)
{
  int x1 = INT_MIN, y1 = 0, x2 = INT_MAX, y2 = 0;
  ASSERT_TRUE(LICE_ClipLine(&x1, &y1, &x2, &y2, 0, 0, 10, 10));
  EXPECT_EQ(0, x1);
  EXPECT_EQ(9, x2);
  // A rectangle whose corners are at the ends of the int range.
  x1 = 3, y1 = 4, x2 = 5, y2 = 6;
  ASSERT_TRUE(LICE_ClipLine(&x1, &y1, &x2, &y2, INT_MIN, INT_MIN, INT_MAX, INT_MAX));
  EXPECT_EQ(3, x1);
  EXPECT_EQ(6, y2);
}

TEST(LICE_ClipFLine, KeepsFractionsAndRefusesNonFiniteInput)
{
  float x1 = -2.0f, y1 = 1.5f, x2 = 2.0f, y2 = 1.5f;
  ASSERT_TRUE(LICE_ClipFLine(&x1, &y1, &x2, &y2, 0.0f, 0.0f, 10.0f, 10.0f));
  EXPECT_FLOAT_EQ(0.0f, x1);
  EXPECT_FLOAT_EQ(1.5f, y1);
  EXPECT_FLOAT_EQ(2.0f, x2);
  float nx = NAN, ny = 1.0f, mx = 3.0f, my = 3.0f;
  EXPECT_FALSE(LICE_ClipFLine(&nx, &ny, &mx, &my, 0.0f, 0.0f, 10.0f, 10.0f));
  nx = INFINITY;
  EXPECT_FALSE(LICE_ClipFLine(&nx, &ny, &mx, &my, 0.0f, 0.0f, 10.0f, 10.0f));
}

// ---- pixel sets ---------------------------------------------------------------------------------

TEST(LICE_Line, HorizontalLineCoversBothEndsInEitherDirection)
{
  GuardedBitmap bm(16, 8);
  LICE_Line(&bm, 10, 5, 2, 5, kWhite, 1.0f, 0, true);
  PixelSet expected;
  for (int x = 2; x <= 10; ++x) expected.insert({x, 5});
  EXPECT_EQ(expected, Painted(bm));
}

TEST(LICE_Line, LineOutsideTheBitmapDrawsNothing)
{
  GuardedBitmap bm(8, 8);
  LICE_Line(&bm, -5, 0, -1, 7, kWhite, 1.0f, 0, false);
  LICE_Line(&bm, 0, 8, 7, 100, kWhite, 1.0f, 0, true);
  EXPECT_TRUE(Painted(bm).empty());
  EXPECT_TRUE(bm.guardIntact());
}

TEST(LICE_Line, ShallowLineIsDrawnFromBothEndsWithSharedError)
{
  // s = 16384: the walkers draw (0,0),(4,1) then (1,0),(3,1); e reaches 32768 and both step
  // along y, so the middle pixel lands at (2,1).
  GuardedBitmap bm(6, 3);
  LICE_Line(&bm, 0, 0, 4, 1, kWhite, 1.0f, 0, false);
  EXPECT_EQ((PixelSet{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}}), Painted(bm));
  // Given the other way round, the walk still starts at (0,0): the middle stays at (2,1).
  GuardedBitmap reversed(6, 3);
  LICE_Line(&reversed, 4, 1, 0, 0, kWhite, 1.0f, 0, false);
  EXPECT_EQ(Painted(bm), Painted(reversed));
}

TEST(LICE_Line, SteepLineStepsAlongY)
{
  // (0,0)->(1,4): the same walk with the axes exchanged.
  GuardedBitmap bm(3, 6);
  LICE_Line(&bm, 0, 0, 1, 4, kWhite, 1.0f, 0, false);
  EXPECT_EQ((PixelSet{{0, 0}, {0, 1}, {1, 2}, {1, 3}, {1, 4}}), Painted(bm));
}

TEST(LICE_Line, ReversedLineCoversTheSamePixels)
{
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coord(-12, 40);
  for (int i = 0; i < 300; ++i)
  {
    const int x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
    for (bool aa : {false, true})
    {
      GuardedBitmap a(29, 23), b(29, 23);
      LICE_Line(&a, x1, y1, x2, y2, kWhite, 1.0f, 0, aa);
      LICE_Line(&b, x2, y2, x1, y1, kWhite, 1.0f, 0, aa);
      ASSERT_EQ(Painted(a), Painted(b)) << x1 << "," << y1 << " -> " << x2 << "," << y2 << " aa " << aa;
    }
  }
}

TEST(LICE_Line, UnclippedLineHasOnePixelPerMajorStepAndJoinsItsEnds)
{
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> coord(0, 30);
  for (int i = 0; i < 300; ++i)
  {
    const int x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
    GuardedBitmap bm(31, 31);
    LICE_Line(&bm, x1, y1, x2, y2, kWhite, 1.0f, 0, false);
    const PixelSet p = Painted(bm);
    const int major = std::max(std::abs(x2 - x1), std::abs(y2 - y1));
    ASSERT_EQ(size_t(major + 1), p.size());
    EXPECT_TRUE(p.count({x1, y1}) && p.count({x2, y2}));
    // Every pixel stays within half a pixel (plus rounding) of the ideal line.
    for (const auto& q : p)
    {
      const double len = std::hypot(x2 - x1, y2 - y1);
      const double dist = len ? std::fabs(double(x2 - x1) * (y1 - q.second) - double(x1 - q.first) * (y2 - y1)) / len : 0;
      EXPECT_LT(dist, 1.0);
    }
  }
}

TEST(LICE_Line, FlippedBitmapGetsTheSamePictureTopDown)
{
  GuardedBitmap up(12, 9), flipped(12, 9, true);
  LICE_Line(&up, 1, 1, 10, 6, kWhite, 1.0f, 0, true);
  LICE_Line(&flipped, 1, 1, 10, 6, kWhite, 1.0f, 0, true);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(up.px(x, y), flipped.px(x, y)) << x << "," << y;
}

// ---- weights and formulas -------------------------------------------------------------------------

TEST(LICE_Line, AntiAliasedDiagonalMixesThreeQuartersAndQuarters)
{
  GuardedBitmap bm(5, 5);
  LICE_Line(&bm, 0, 0, 3, 3, kWhite, 1.0f, 0, true);
  // c2 + c4 over black: 0x7F + 0x3F per byte; the sides c4 alone.
  for (int i = 0; i < 4; ++i) EXPECT_EQ(0xBEBEBEBEu, bm.px(i, i));
  for (auto q : {std::make_pair(1, 0), {0, 1}, {2, 1}, {1, 2}, {3, 2}, {2, 3}}) EXPECT_EQ(0x3F3F3F3Fu, bm.px(q.first, q.second));
  EXPECT_EQ(10u, Painted(bm).size());
}

TEST(LICE_Line, AntiAliasedDiagonalAtOtherOpacitiesUsesTheCopyFormula)
{
  // ia = 128: diagonal weight 96, sides 32; Copy of 255 over 0 gives 255 - (255 * (256 - w)) / 256.
  GuardedBitmap bm(3, 3);
  LICE_Line(&bm, 2, 0, 0, 2, kWhite, 0.5f, 0, true);
  EXPECT_EQ(0x60606060u, bm.px(2, 0));  // 255 - 159 = 96
  EXPECT_EQ(0x20202020u, bm.px(1, 0));  // 255 - 223 = 32
  EXPECT_EQ(0x20202020u, bm.px(2, 1));
}

TEST(LICE_Line, AntiAliasedShallowLineSplitsEachStepByTheError)
{
  // M = 4, s = 16384. Ends at full weight; then f = 64 -> (1,0), (3,1) at 191 and their
  // neighbours (1,1), (3,0) at 64; the middle with e = 32768, f = 128: (2,0) at 127, (2,1) at 128.
  // Copy of 255 over 0 at weight w gives w (truncation toward zero).
  GuardedBitmap bm(6, 3);
  LICE_Line(&bm, 0, 0, 4, 1, kWhite, 1.0f, 0, true);
  EXPECT_EQ(0xFFFFFFFFu, bm.px(0, 0));
  EXPECT_EQ(0xFFFFFFFFu, bm.px(4, 1));
  EXPECT_EQ(0xBFBFBFBFu, bm.px(1, 0));
  EXPECT_EQ(0x40404040u, bm.px(1, 1));
  EXPECT_EQ(0xBFBFBFBFu, bm.px(3, 1));
  EXPECT_EQ(0x40404040u, bm.px(3, 0));
  EXPECT_EQ(0x7F7F7F7Fu, bm.px(2, 0));
  EXPECT_EQ(0x80808080u, bm.px(2, 1));
  EXPECT_EQ(8u, Painted(bm).size());
}

TEST(LICE_Line, StraightLinesTakeTheFastMixersOnlyAtExactOpacities)
{
  GuardedBitmap bm(8, 4);
  LICE_Line(&bm, 0, 0, 7, 0, kWhite, 0.5f, 0, false);
  LICE_Line(&bm, 0, 1, 7, 1, kWhite, 0.25f, 0, false);
  LICE_Line(&bm, 0, 2, 7, 2, kWhite, 0.75f, 0, false);
  LICE_Line(&bm, 0, 3, 7, 3, kWhite, 0.3f, 0, false);
  EXPECT_EQ(0x7F7F7F7Fu, bm.px(3, 0));
  EXPECT_EQ(0x3F3F3F3Fu, bm.px(3, 1));
  EXPECT_EQ(0xBEBEBEBEu, bm.px(3, 2));
  // ia = 76: 255 + (-255 * 180) / 256 = 255 - 179.
  EXPECT_EQ(0x4C4C4C4Cu, bm.px(3, 3));
}

TEST(LICE_Line, HalfOpacityLosesLowBitsOnlyOnStraightLines)
{
  // The fast half mixer drops each byte's low bit; the walked line's per-channel half mix keeps it.
  GuardedBitmap bm(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) bm.px(x, y) = 0x01010101u;
  LICE_Line(&bm, 0, 0, 7, 0, 0x01010101u, 0.5f, 0, false);
  LICE_Line(&bm, 0, 2, 7, 5, 0x01010101u, 0.5f, 0, false);
  EXPECT_EQ(0u, bm.px(3, 0));
  EXPECT_EQ(0x01010101u, bm.px(0, 2));
}

TEST(LICE_Line, ModeLowByteChoosesTheFormula)
{
  GuardedBitmap bm(4, 3);
  for (int x = 0; x < 4; ++x) bm.px(x, 0) = bm.px(x, 1) = bm.px(x, 2) = 0x80202020u;
  LICE_Line(&bm, 0, 0, 3, 0, 0x00101010u, 1.0f, LICE_BLIT_MODE_ADD | LICE_BLIT_USE_ALPHA, false);
  LICE_Line(&bm, 0, 1, 3, 1, kWhite, 1.0f, 6, false);
  LICE_Line(&bm, 0, 2, 3, 2, kWhite, 0.0f, 0, false);
  EXPECT_EQ(0x80303030u, bm.px(2, 0));
  EXPECT_EQ(0x80202020u, bm.px(2, 1));
  EXPECT_EQ(0x80202020u, bm.px(2, 2));
}

// ---- float and dashed lines ---------------------------------------------------------------------

TEST(LICE_FLine, AntiAliasedLineSharesEachColumnByTheFraction)
{
  // y = 2.25: row 2 at weight 192, row 3 at 64 (Copy of 255 over 0 gives the weight).
  GuardedBitmap bm(6, 6);
  LICE_FLine(&bm, 1.0f, 2.25f, 3.0f, 2.25f, kWhite, 1.0f, 0, true);
  for (int x = 1; x <= 3; ++x)
  {
    EXPECT_EQ(0xC0C0C0C0u, bm.px(x, 2));
    EXPECT_EQ(0x40404040u, bm.px(x, 3));
  }
  EXPECT_EQ(6u, Painted(bm).size());
}

TEST(LICE_FLine, WithoutAntiAliasingTruncatesTheEnds)
{
  GuardedBitmap a(8, 8), b(8, 8);
  LICE_FLine(&a, 1.9f, 1.9f, 6.9f, 3.2f, kWhite, 1.0f, 0, false);
  LICE_Line(&b, 1, 1, 6, 3, kWhite, 1.0f, 0, false);
  EXPECT_EQ(Painted(b), Painted(a));
}

TEST(LICE_DashedLine, AlternatesOnAndOffRunsFromTheFirstEnd)
{
  GuardedBitmap bm(12, 3);
  LICE_DashedLine(&bm, 0, 1, 9, 1, 2, 3, kWhite, 1.0f, 0, false);
  EXPECT_EQ((PixelSet{{0, 1}, {1, 1}, {5, 1}, {6, 1}}), Painted(bm));
}

TEST(LICE_DashedLine, ZeroGapIsSolidAndZeroDashIsNothing)
{
  GuardedBitmap solid(12, 3), none(12, 3);
  LICE_DashedLine(&solid, 0, 1, 9, 1, 2, 0, kWhite, 1.0f, 0, false);
  LICE_DashedLine(&none, 0, 1, 9, 1, 0, 3, kWhite, 1.0f, 0, false);
  EXPECT_EQ(10u, Painted(solid).size());
  EXPECT_TRUE(Painted(none).empty());
}
