#include <gtest/gtest.h>

#include "guarded_bitmap.h"
#include "rasterizer/lice_areaops.h"
#include "rasterizer/lice_combine.h"

TEST(HalveBlitAA, AveragesTwoByTwoBlocks)
{
  GuardedBitmap src(5, 4), dst(3, 3);
  src.px(0, 0) = LICE_RGBA(0, 10, 255, 1);
  src.px(1, 0) = LICE_RGBA(1, 10, 255, 1);
  src.px(0, 1) = LICE_RGBA(2, 10, 0, 1);
  src.px(1, 1) = LICE_RGBA(3, 11, 0, 0);
  LICE_HalveBlitAA(&dst, &src);
  // (0+1+2+3+2)/4 = 2, (41+2)/4 = 10, (510+2)/4 = 128, (3+2)/4 = 1.
  EXPECT_EQ(dst.px(0, 0), LICE_RGBA(2, 10, 128, 1));
  // Only 2 x 2 destination pixels have full source blocks; the third column and row stay.
  dst.px(2, 2) = 0x55u;
  LICE_HalveBlitAA(&dst, &src);
  EXPECT_EQ(dst.px(2, 2), 0x55u);
  EXPECT_TRUE(dst.guardIntact());
}

TEST(MultiplyAddRect, ScalesAddsAndClamps)
{
  GuardedBitmap bm(2, 1);
  bm.px(0, 0) = LICE_RGBA(100, 100, 100, 100);
  bm.px(1, 0) = LICE_RGBA(100, 100, 100, 100);
  LICE_MultiplyAddRect(&bm, 1, -3, 5, 5, 2.0f, 0.5f, 1.0f, -1.0f, 10.0f, 0.0f, -200.0f, 300.0f);
  EXPECT_EQ(bm.px(0, 0), LICE_RGBA(100, 100, 100, 100));
  EXPECT_EQ(bm.px(1, 0), LICE_RGBA(210, 50, 0, 200));
}

TEST(ProcessRect, VisitsEveryClippedPixelOnce)
{
  GuardedBitmap bm(4, 4);
  int count = 0;
  LICE_ProcessRect(&bm, -1, 2, 3, 9, [](LICE_pixel* p, void* ctx) {
    ++*p;
    ++*static_cast<int*>(ctx);
  }, &count);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(bm.px(1, 3), 1u);
  EXPECT_EQ(bm.px(2, 3), 0u);
}

TEST(SimpleFill, FillsConnectedRunsThroughStartColumn)
{
  GuardedBitmap bm(5, 4);
  // A wall at column 3 in rows 0..2; row 3 is open.
  for (int y = 0; y < 3; ++y) bm.px(3, y) = 0xFFu;
  LICE_SimpleFill(&bm, 1, 1, 0x00AA0000u, 0xFFFFFFFFu, 0xFF000000u);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x)
    {
      LICE_pixel expect = 0x00AA0000u;
      if (x == 3 && y < 3) expect = 0xFFu;
      else if (x == 4 && y < 3) expect = 0;
      EXPECT_EQ(bm.px(x, y), expect) << x << "," << y;
    }
  LICE_SimpleFill(&bm, 9, 0, 1);
  LICE_SimpleFill(&bm, -1, 0, 1);
  EXPECT_TRUE(bm.guardIntact());
}

TEST(GradRect, ConstantCopyAndHorizontalRamp)
{
  GuardedBitmap bm(4, 2);
  LICE_GradRect(&bm, 0, 0, 4, 1, 1.0f, 0.0f, 0.5f, 1.0f, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  // 0.5 x 255 = 127.5 in 16.16 -> 127.
  EXPECT_EQ(bm.px(3, 0), LICE_RGBA(255, 0, 127, 255));
  // Red climbs by 0.25 of full per pixel, clipped on the left: the first visible pixel is x = 0,
  // which the rectangle starting at -2 reaches with two steps taken.
  LICE_GradRect(&bm, -2, 1, 9, 1, 0.0f, 0, 0, 1.0f, 0.25f, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(bm.px(0, 1), LICE_RGBA(127, 0, 0, 255));
  EXPECT_EQ(bm.px(3, 1), LICE_RGBA(255, 0, 0, 255));
  EXPECT_TRUE(bm.guardIntact());
}

TEST(Blur, SpreadsABrightPixelOverItsNeighbours)
{
  GuardedBitmap src(5, 5), dst(5, 5);
  src.px(2, 2) = LICE_RGBA(255, 0, 0, 0);
  LICE_Blur(&dst, &src, 0, 0, 0, 0, 5, 5);
  // Interior neighbours average nine taps: 255 / 9 = 28; far pixels stay black.
  EXPECT_EQ(dst.px(1, 1), LICE_RGBA(28, 0, 0, 0));
  EXPECT_EQ(dst.px(2, 2), LICE_RGBA(28, 0, 0, 0));
  EXPECT_EQ(dst.px(0, 0), 0u);
  // Corner of a 2 x 2 rectangle: four taps.
  GuardedBitmap one(2, 2), out(2, 2);
  one.px(0, 0) = 0x000000FFu;
  LICE_Blur(&out, &one, 0, 0, 0, 0, 2, 2);
  EXPECT_EQ(out.px(1, 1), 0x0000003Fu);
  EXPECT_TRUE(dst.guardIntact());
}
