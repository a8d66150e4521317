#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "rasterizer/lice_circle.h"
#include "rasterizer/lice_combine.h"
#include "rasterizer/lice_glyph.h"
#include "rasterizer/lice_line.h"
#include "rasterizer/lice_polygon.h"
#include "rasterizer/lice_shapes.h"
#include "tests/rasterizer/guarded_bitmap.h"
#include "tests/rasterizer/primitive_test_util.h"

namespace {

constexpr LICE_pixel kWhite = 0xFFFFFFFFu;
constexpr float kPi = 3.14159265f;

// The midpoint circle of radius 5 worked by hand: the octant (0,5) (1,5) (2,5) (3,4), mirrored
// eight ways around (cx, cy).
PixelSet RadiusFiveOutline(int cx, int cy)
{
  PixelSet out;
  for (auto p : {std::make_pair(0, 5), {1, 5}, {2, 5}, {3, 4}})
    for (int sx : {-1, 1})
      for (int sy : {-1, 1})
      {
        out.insert({cx + sx * p.first, cy + sy * p.second});
        out.insert({cx + sx * p.second, cy + sy * p.first});
      }
  return out;
}

}  // namespace

// ---- rectangles -------------------------------------------------------------------------------

TEST(LICE_DrawRect, OutlineCoversWPlusOneByHPlusOneWithCornersDrawnTwice)
{
  GuardedBitmap bm(7, 6);
  LICE_DrawRect(&bm, 1, 1, 3, 2, kWhite, 0.5f, 0);
  // Half mix over black: once 0x7F per byte, twice 0x7F + 0x3F.
  for (auto c : {std::make_pair(1, 1), {4, 1}, {4, 3}, {1, 3}}) EXPECT_EQ(0xBEBEBEBEu, bm.px(c.first, c.second));
  for (auto e : {std::make_pair(2, 1), {3, 1}, {4, 2}, {2, 3}, {3, 3}, {1, 2}}) EXPECT_EQ(0x7F7F7F7Fu, bm.px(e.first, e.second));
  EXPECT_EQ(10u, Painted(bm).size());
}

TEST(LICE_BorderedRect, FillsTheInsideThenOutlines)
{
  GuardedBitmap bm(7, 6);
  LICE_BorderedRect(&bm, 1, 1, 3, 2, 0xFF0000FFu, kWhite, 1.0f, 0);
  EXPECT_EQ(0xFF0000FFu, bm.px(2, 2));
  EXPECT_EQ(0xFF0000FFu, bm.px(3, 2));
  EXPECT_EQ(kWhite, bm.px(1, 1));
  EXPECT_EQ(kWhite, bm.px(4, 3));
  EXPECT_EQ(12u, Painted(bm).size());
}

TEST(LICE_RoundRect, SmallCornerRadiusIsAPlainRectangle)
{
  GuardedBitmap round(12, 12), plain(12, 12);
  LICE_RoundRect(&round, 1.7f, 2.2f, 8.9f, 6.0f, 1, kWhite, 0.5f, 0, true);
  LICE_DrawRect(&plain, 1, 2, 8, 6, kWhite, 0.5f, 0);
  EXPECT_EQ(Painted(plain), Painted(round));
  EXPECT_EQ(plain.px(1, 2), round.px(1, 2));
}

TEST(LICE_RoundRect, CornersAreCutAndSidesStraight)
{
  GuardedBitmap bm(26, 18);
  LICE_RoundRect(&bm, 2.0f, 2.0f, 20.0f, 12.0f, 3, kWhite, 1.0f, 0, false);
  const PixelSet p = Painted(bm);
  for (auto corner : {std::make_pair(2, 2), {22, 2}, {2, 14}, {22, 14}}) EXPECT_FALSE(p.count(corner));
  // Straight sides: top from x + r to x + w - r, right from y + r to y + h - r.
  for (int x = 5; x <= 19; ++x) EXPECT_TRUE(p.count({x, 2}) && p.count({x, 14})) << x;
  for (int y = 5; y <= 11; ++y) EXPECT_TRUE(p.count({2, y}) && p.count({22, y})) << y;
  for (const auto& q : p)
  {
    EXPECT_TRUE(q.first >= 2 && q.first <= 22 && q.second >= 2 && q.second <= 14);
    EXPECT_FALSE(q.first > 3 && q.first < 21 && q.second > 3 && q.second < 13);
  }
}

// ---- circles and arcs -------------------------------------------------------------------------

TEST(LICE_Circle, MidpointOutlineDrawsEachPixelOnce)
{
  GuardedBitmap bm(21, 21);
  LICE_Circle(&bm, 10.0f, 10.2f, 5.3f, kWhite, 0.5f, 0, false);
  EXPECT_EQ(RadiusFiveOutline(10, 10), Painted(bm));
  // A pixel drawn twice would show 0xBE.
  for (const auto& q : Painted(bm)) EXPECT_EQ(0x7F7F7F7Fu, bm.px(q.first, q.second));
}

TEST(LICE_Circle, RadiusTwoUsesTheRingOfPixelsWithinHalfAPixelOfTheRadius)
{
  // Centres at distance 2 (4 pixels) or sqrt(5) (8 pixels) lie within 1.5..2.5; sqrt(2) and
  // sqrt(8) do not.
  GuardedBitmap bm(12, 12);
  LICE_Circle(&bm, 5.0f, 6.0f, 2.0f, kWhite, 1.0f, 0, false);
  PixelSet expected;
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx)
    {
      const int d2 = dx * dx + dy * dy;
      if (d2 == 4 || d2 == 5) expected.insert({5 + dx, 6 + dy});
    }
  EXPECT_EQ(expected, Painted(bm));
  for (const auto& q : expected) EXPECT_EQ(kWhite, bm.px(q.first, q.second));
}

TEST(LICE_Circle, AntiAliasedOutlineIsSymmetricAndHugsTheRadius)
{
  GuardedBitmap bm(31, 31);
  LICE_Circle(&bm, 15.0f, 15.0f, 9.4f, kWhite, 1.0f, 0, true);
  // Column 0: exact 9.4, so row 15 - 9 at weight 256 - 102 and row 15 - 10 at 102; Copy of 255
  // over 0 at weight w gives w.
  EXPECT_EQ(0x9A9A9A9Au, bm.px(15, 6));
  EXPECT_EQ(0x66666666u, bm.px(15, 5));
  for (int y = 0; y < 31; ++y)
    for (int x = 0; x < 31; ++x)
    {
      ASSERT_EQ(bm.px(x, y), bm.px(30 - x, y)) << x << "," << y;
      ASSERT_EQ(bm.px(x, y), bm.px(x, 30 - y)) << x << "," << y;
      ASSERT_EQ(bm.px(x, y), bm.px(y, x)) << x << "," << y;
      if (bm.px(x, y))
      {
        EXPECT_NEAR(std::hypot(x - 15, y - 15), 9.4, 1.5);
      }
    }
}

TEST(LICE_FillCircle, DiscFillsEveryRowOutToTheOutline)
{
  // Half-widths of the radius-5 outline per row offset 0..5: 5 5 5 4 3 2.
  GuardedBitmap bm(21, 21);
  LICE_FillCircle(&bm, 10.0f, 10.0f, 5.0f, kWhite, 0.5f, 0, false);
  const int half[6] = {5, 5, 5, 4, 3, 2};
  PixelSet expected;
  for (int dy = -5; dy <= 5; ++dy)
    for (int dx = -half[std::abs(dy)]; dx <= half[std::abs(dy)]; ++dx) expected.insert({10 + dx, 10 + dy});
  EXPECT_EQ(97u, expected.size());
  EXPECT_EQ(expected, Painted(bm));
  for (const auto& q : expected) ASSERT_EQ(0x7F7F7F7Fu, bm.px(q.first, q.second));
  for (const auto& q : RadiusFiveOutline(10, 10)) EXPECT_TRUE(expected.count(q));
}

TEST(LICE_FillCircle, AntiAliasedDiscIsSolidInsideAndSoftAtTheEdge)
{
  GuardedBitmap bm(25, 25);
  LICE_FillCircle(&bm, 12.0f, 12.0f, 7.5f, kWhite, 1.0f, 0, true);
  EXPECT_EQ(kWhite, bm.px(12, 12));
  EXPECT_EQ(kWhite, bm.px(12 + 5, 12));
  EXPECT_EQ(0u, bm.px(12 + 9, 12));
  EXPECT_EQ(0u, bm.px(12 + 6, 12 + 6));
  for (int y = 0; y < 25; ++y)
    for (int x = 0; x < 25; ++x) ASSERT_EQ(bm.px(x, y), bm.px(24 - x, 24 - y));
}

TEST(LICE_Arc, QuarterArcIsTheOutlineInsideItsEndPointBox)
{
  GuardedBitmap bm(21, 21);
  LICE_Arc(&bm, 10.0f, 10.0f, 5.0f, 0.0f, kPi / 2, kWhite, 1.0f, 0, false);
  EXPECT_EQ((PixelSet{{10, 5}, {11, 5}, {12, 5}, {13, 6}, {14, 7}, {15, 8}, {15, 9}, {15, 10}}), Painted(bm));
}

TEST(LICE_Arc, AnglesStartUpAndRunClockwise)
{
  GuardedBitmap bm(21, 21);
  LICE_Arc(&bm, 10.0f, 10.0f, 5.0f, -kPi / 2, 0.0f, kWhite, 1.0f, 0, false);
  EXPECT_EQ((PixelSet{{10, 5}, {9, 5}, {8, 5}, {7, 6}, {6, 7}, {5, 8}, {5, 9}, {5, 10}}), Painted(bm));
}

TEST(LICE_Arc, FullTurnIsTheWholeCircleAndReversedSpanIsNothing)
{
  GuardedBitmap arc(21, 21), circle(21, 21), reversed(21, 21);
  LICE_Arc(&arc, 10.0f, 10.0f, 5.0f, 1.0f, 1.0f + 2 * kPi, kWhite, 1.0f, 0, false);
  LICE_Circle(&circle, 10.0f, 10.0f, 5.0f, kWhite, 1.0f, 0, false);
  LICE_Arc(&reversed, 10.0f, 10.0f, 5.0f, 1.0f, 0.5f, kWhite, 1.0f, 0, false);
  EXPECT_EQ(Painted(circle), Painted(arc));
  EXPECT_TRUE(Painted(reversed).empty());
}

TEST(LICE_Arc, HalfCircleFromFourPiecesJoinsUp)
{
  // pi/4 .. 5pi/4 is cut at pi/2 and pi: every outline pixel right of and below the centre
  // between the two end points is drawn.
  GuardedBitmap bm(21, 21);
  LICE_Arc(&bm, 10.0f, 10.0f, 5.0f, kPi / 4, 5 * kPi / 4, kWhite, 1.0f, 0, false);
  const PixelSet p = Painted(bm);
  for (auto q : {std::make_pair(15, 10), {15, 12}, {10, 15}, {12, 15}, {14, 13}}) EXPECT_TRUE(p.count(q));
  for (auto q : {std::make_pair(5, 10), {10, 5}, {6, 7}}) EXPECT_FALSE(p.count(q));
}

// ---- glyph masks ------------------------------------------------------------------------------

TEST(LICE_DrawGlyph, EachMaskValueScalesTheWeight)
{
  const LICE_pixel_chan mask[4] = {255, 128, 0, 64};
  GuardedBitmap bm(4, 4);
  LICE_DrawGlyph(&bm, 1, 1, kWhite, mask, 2, 2, 1.0f, 0);
  // Weights 256, 128 and 64; Copy of 255 over 0 at weight w gives 255 - (255 * (256 - w)) / 256.
  EXPECT_EQ(kWhite, bm.px(1, 1));
  EXPECT_EQ(0x80808080u, bm.px(2, 1));
  EXPECT_EQ(0u, bm.px(1, 2));
  EXPECT_EQ(0x40404040u, bm.px(2, 2));
  EXPECT_EQ(3u, Painted(bm).size());
}

TEST(LICE_DrawGlyph, MaskIsClippedAtTheBitmapEdges)
{
  const LICE_pixel_chan mask[4] = {255, 128, 0, 64};
  GuardedBitmap bm(3, 3);
  LICE_DrawGlyph(&bm, -1, -1, kWhite, mask, 2, 2, 1.0f, 0);
  LICE_DrawGlyph(&bm, 2, 2, kWhite, mask, 2, 2, 1.0f, 0);
  EXPECT_EQ((PixelSet{{0, 0}, {2, 2}}), Painted(bm));
  EXPECT_EQ(0x40404040u, bm.px(0, 0));
  EXPECT_EQ(kWhite, bm.px(2, 2));
  EXPECT_TRUE(bm.guardIntact());
}

// ---- orientation ------------------------------------------------------------------------------

TEST(PrimitivesOnFlippedBitmaps, DrawTheSamePictureTopDown)
{
  // Arcs in particular: angle 0 still points to the top of the picture.
  GuardedBitmap up(24, 20), flipped(24, 20, true);
  for (GuardedBitmap* bm : {&up, &flipped})
  {
    LICE_Arc(bm, 8.0f, 8.0f, 6.0f, 0.3f, 2.0f, kWhite, 0.75f, 0, true);
    LICE_Arc(bm, 15.0f, 10.0f, 3.0f, -1.0f, 1.0f, 0xFF00FF00u, 1.0f, 0, false);
    LICE_FillCircle(bm, 16.0f, 12.0f, 4.3f, 0x80FF0000u, 0.5f, 0, true);
    LICE_RoundRect(bm, 1.0f, 2.0f, 20.0f, 15.0f, 5, 0xFF0000FFu, 1.0f, 1, false);
    LICE_FillConvexPolygon(bm, std::vector<int>{3, 9, 5}.data(), std::vector<int>{15, 17, 19}.data(), 3, kWhite, 1.0f, 0);
  }
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 24; ++x) ASSERT_EQ(up.px(x, y), flipped.px(x, y)) << x << "," << y;
  EXPECT_TRUE(flipped.guardIntact());
}

// ---- anti-aliased edges -----------------------------------------------------------------------

TEST(AntiAliasedPrimitives, PixelsOfZeroCoverageAreLeftAlone)
{
  // HSVAdjust is the one formula that changes a pixel at weight 0 (its alpha becomes the colour's,
  // here 0), so it shows every pixel a primitive hands to the formula. The reference is the same
  // shape in Copy of white over black, which paints exactly the pixels of positive weight.
  // Line (0,0)-(8,4): e returns to 0 after the first minor step, so one neighbour gets f = 0;
  // the row y = 2 of the float line and the radius-5 circle (3-4-5) hit whole pixels exactly.
  auto draw = [](LICE_IBitmap* bm, LICE_pixel colour, int mode) {
    LICE_Line(bm, 1, 1, 9, 5, colour, 1.0f, mode, true);
    LICE_FLine(bm, 12.0f, 2.0f, 18.0f, 2.0f, colour, 1.0f, mode, true);
    LICE_Circle(bm, 10.0f, 14.0f, 5.0f, colour, 1.0f, mode, true);
  };
  GuardedBitmap copy(22, 22), hsv(22, 22);
  for (int y = 0; y < 22; ++y)
    for (int x = 0; x < 22; ++x) hsv.px(x, y) = 0xFF336699u;
  draw(&copy, kWhite, LICE_BLIT_MODE_COPY);
  draw(&hsv, 0x00808080u, LICE_BLIT_MODE_HSVADJ);
  PixelSet touched;
  for (int y = 0; y < 22; ++y)
    for (int x = 0; x < 22; ++x)
      if (LICE_GETA(hsv.px(x, y)) != 0xFF) touched.insert({x, y});
  EXPECT_EQ(Painted(copy), touched);
  EXPECT_TRUE(hsv.guardIntact());
}
