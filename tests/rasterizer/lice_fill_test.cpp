#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "rasterizer/lice_curves.h"
#include "rasterizer/lice_polygon.h"
#include "tests/rasterizer/guarded_bitmap.h"
#include "tests/rasterizer/primitive_test_util.h"

namespace {

constexpr LICE_pixel kWhite = 0xFFFFFFFFu;

PixelSet Rect(int x0, int y0, int x1, int y1)
{
  PixelSet out;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) out.insert({x, y});
  return out;
}

}  // namespace

// ---- trapezoids and polygons ----------------------------------------------------------------------

TEST(LICE_FillTrapezoid, EdgesMoveLinearlyFromTopRowToBottomRow)
{
  // Left edge 0 -> 2, right edge 4 -> 2 over two rows: rows span 0..4, 1..3, 2..2.
  GuardedBitmap bm(6, 4);
  LICE_FillTrapezoid(&bm, 0, 4, 0, 2, 2, 2, kWhite, 1.0f, 0);
  PixelSet expected = Rect(0, 0, 4, 0);
  for (const auto& p : Rect(1, 1, 3, 1)) expected.insert(p);
  expected.insert({2, 2});
  EXPECT_EQ(expected, Painted(bm));
}

TEST(LICE_FillTrapezoid, RowsMayComeBottomUpAndAreClipped)
{
  GuardedBitmap a(6, 4), b(6, 4);
  LICE_FillTrapezoid(&a, 2, 2, 2, 0, 4, 0, kWhite, 1.0f, 0);
  LICE_FillTrapezoid(&b, 0, 4, 0, 2, 2, 2, kWhite, 1.0f, 0);
  EXPECT_EQ(Painted(b), Painted(a));
  GuardedBitmap clipped(3, 2);
  LICE_FillTrapezoid(&clipped, -100, 100, -50, -100, 100, 50, kWhite, 1.0f, 0);
  EXPECT_EQ(Rect(0, 0, 2, 1), Painted(clipped));
  EXPECT_TRUE(clipped.guardIntact());
}

TEST(LICE_FillTrapezoid, CopyAtQuarterWeightUsesTheFastMixer)
{
  GuardedBitmap bm(2, 1);
  bm.px(0, 0) = bm.px(1, 0) = 0x04040404u;
  LICE_FillTrapezoid(&bm, 0, 1, 0, 0, 1, 0, 0x04040404u, 0.25f, 0);
  // c4 + d4 + d2 = 1 + 1 + 2 per byte (the formula would keep 4).
  EXPECT_EQ(0x04040404u, bm.px(0, 0));
  LICE_FillTrapezoid(&bm, 0, 1, 0, 0, 1, 0, 0x03030303u, 0.25f, 0);
  // c4 = 0, d4 = 1, d2 = 2.
  EXPECT_EQ(0x03030303u, bm.px(1, 0));
}

TEST(LICE_FillConvexPolygon, PointsOnOneRowFillThatRow)
{
  const int x[3] = {1, 5, 3}, y[3] = {2, 2, 2};
  GuardedBitmap bm(8, 5);
  LICE_FillConvexPolygon(&bm, x, y, 3, kWhite, 1.0f, 0);
  EXPECT_EQ(Rect(1, 2, 5, 2), Painted(bm));
}

TEST(LICE_FillConvexPolygon, SquareInAnyPointOrderFillsItsBox)
{
  const int x[4] = {10, 0, 10, 0}, y[4] = {10, 0, 0, 10};
  GuardedBitmap bm(14, 14);
  LICE_FillConvexPolygon(&bm, x, y, 4, kWhite, 0.5f, 0);
  EXPECT_EQ(Rect(0, 0, 10, 10), Painted(bm));
  // Bands share no row: every pixel was mixed exactly once.
  for (const auto& p : Painted(bm)) ASSERT_EQ(0x7F7F7F7Fu, bm.px(p.first, p.second));
}

TEST(LICE_FillConvexPolygon, HexagonBandsMeetWithoutOverlap)
{
  const int x[6] = {4, 8, 10, 8, 4, 2}, y[6] = {0, 0, 4, 8, 8, 4};
  GuardedBitmap bm(13, 10);
  LICE_FillConvexPolygon(&bm, x, y, 6, kWhite, 0.5f, 0);
  const PixelSet p = Painted(bm);
  for (const auto& q : p) ASSERT_EQ(0x7F7F7F7Fu, bm.px(q.first, q.second));
  auto rowLength = [&p](int y) { return std::count_if(p.begin(), p.end(), [y](auto q) { return q.second == y; }); };
  // Row 4 is the widest (2..10); rows 0 and 8 are 4..8; row 2 runs 3..9.
  EXPECT_EQ(9, rowLength(4));
  EXPECT_TRUE(p.count({2, 4}) && p.count({10, 4}));
  EXPECT_TRUE(p.count({3, 2}) && p.count({9, 2}) && !p.count({2, 2}));
  EXPECT_EQ(5, rowLength(0));
  EXPECT_EQ(5, rowLength(8));
}

TEST(LICE_FillConvexPolygon, ManyPointsAreFilledToo)
{
  // 2000 points on a circle of radius 20: more than fit without a heap block.
  std::vector<int> x, y;
  for (int i = 0; i < 2000; ++i)
  {
    x.push_back(int(std::lround(25 + 20 * std::cos(i * 2 * M_PI / 2000))));
    y.push_back(int(std::lround(25 + 20 * std::sin(i * 2 * M_PI / 2000))));
  }
  GuardedBitmap bm(51, 51);
  LICE_FillConvexPolygon(&bm, x.data(), y.data(), int(x.size()), kWhite, 1.0f, 0);
  EXPECT_EQ(kWhite, bm.px(25, 25));
  EXPECT_EQ(kWhite, bm.px(25 + 19, 25));
  EXPECT_EQ(kWhite, bm.px(25, 25 - 19));
  EXPECT_EQ(0u, bm.px(25 + 16, 25 + 16));
  EXPECT_TRUE(bm.guardIntact());
}

TEST(LICE_FillConvexPolygon, FewerThanThreePointsDrawNothing)
{
  const int x[2] = {0, 5}, y[2] = {0, 5};
  GuardedBitmap bm(8, 8);
  LICE_FillConvexPolygon(&bm, x, y, 2, kWhite, 1.0f, 0);
  LICE_FillConvexPolygon(&bm, nullptr, y, 3, kWhite, 1.0f, 0);
  EXPECT_TRUE(Painted(bm).empty());
}

TEST(LICE_FillTriangle, RightTriangleCoversPixelsOnAndUnderItsHypotenuse)
{
  GuardedBitmap bm(7, 7);
  LICE_FillTriangle(&bm, 0, 4, 4, 0, 0, 0, kWhite, 1.0f, 0);
  PixelSet expected;
  for (int y = 0; y <= 4; ++y)
    for (int x = 0; x + y <= 4; ++x) expected.insert({x, y});
  EXPECT_EQ(expected, Painted(bm));
}

// ---- curves -----------------------------------------------------------------------------------

TEST(LICE_DrawCBezier, StraightControlPolygonDrawsTheStraightLine)
{
  GuardedBitmap bm(12, 8);
  LICE_DrawCBezier(&bm, 0.0f, 5.0f, 3.0f, 5.0f, 6.0f, 5.0f, 9.0f, 5.0f, kWhite, 1.0f, 0, false, 0.1f);
  EXPECT_EQ(Rect(0, 5, 9, 5), Painted(bm));
  GuardedBitmap q(12, 8);
  LICE_DrawQBezier(&q, 0.0f, 5.0f, 4.0f, 5.0f, 9.0f, 5.0f, kWhite, 1.0f, 0, false, 0.1f);
  EXPECT_EQ(Rect(0, 5, 9, 5), Painted(q));
}

TEST(LICE_DrawQBezier, CurveJoinsItsEndsAndStaysInsideTheControlTriangle)
{
  GuardedBitmap bm(24, 24);
  LICE_DrawQBezier(&bm, 1.0f, 20.0f, 11.0f, 0.0f, 21.0f, 20.0f, kWhite, 1.0f, 0, false, 0.25f);
  const PixelSet p = Painted(bm);
  EXPECT_TRUE(p.count({1, 20}) && p.count({21, 20}));
  // The apex of this parabola is at (11, 10).
  EXPECT_TRUE(p.count({11, 10}) || p.count({11, 9}) || p.count({11, 11}));
  for (const auto& q : p) EXPECT_TRUE(q.second >= 9 && q.second <= 20) << q.first << "," << q.second;
}

TEST(LICE_FillCBezier, FillsEachColumnOnceFromTheCurveToTheRow)
{
  // x(t) = 9t, so every column 0..9 belongs to exactly one flattened segment.
  GuardedBitmap bm(12, 8);
  LICE_FillCBezier(&bm, 0.0f, 2.0f, 3.0f, 0.0f, 6.0f, 4.0f, 9.0f, 2.0f, 6, kWhite, 0.5f, 0, 0.05f);
  for (int x = 0; x <= 9; ++x)
  {
    int top = -1;
    for (int y = 0; y < 8; ++y)
      if (bm.px(x, y))
      {
        if (top < 0) top = y;
        ASSERT_EQ(0x7F7F7F7Fu, bm.px(x, y)) << x << "," << y;
      }
    ASSERT_GE(top, 0) << x;
    for (int y = top; y <= 6; ++y) EXPECT_NE(0u, bm.px(x, y)) << x << "," << y;
    EXPECT_EQ(0u, bm.px(x, 7));
  }
  EXPECT_EQ(0u, bm.px(10, 6));
  // The curve starts and ends at row 2.
  EXPECT_TRUE(Painted(bm).count({0, 2}) && !Painted(bm).count({0, 1}));
  EXPECT_TRUE(Painted(bm).count({9, 2}) && !Painted(bm).count({9, 1}));
}

TEST(LICE_FillCBezierX, FillsEachRowFromTheCurveToTheColumn)
{
  GuardedBitmap bm(8, 12);
  LICE_FillCBezierX(&bm, 2.0f, 0.0f, 2.0f, 3.0f, 2.0f, 6.0f, 2.0f, 9.0f, 5, kWhite, 1.0f, 0, 0.1f);
  EXPECT_EQ(Rect(2, 0, 5, 9), Painted(bm));
}
