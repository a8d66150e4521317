#include <gtest/gtest.h>

#include <random>

#include "guarded_bitmap.h"
#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_deltablit.h"

namespace
{
void expectSame(GuardedBitmap& a, GuardedBitmap& b)
{
  for (int y = 0; y < a.getHeight(); ++y)
    for (int x = 0; x < a.getWidth(); ++x) ASSERT_EQ(a.px(x, y), b.px(x, y)) << x << "," << y;
}
} // namespace

TEST(RotatedBlit, AngleZeroEqualsPlainBlit)
{
  std::mt19937 rng(21);
  for (int mode : {0, int(LICE_BLIT_USE_ALPHA), int(LICE_BLIT_MODE_ADD)})
    for (float alpha : {1.0f, 0.6f})
    {
      GuardedBitmap src(12, 9), a(10, 10), b(10, 10);
      src.fillRandom(rng);
      a.fillRandom(rng);
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) b.px(x, y) = a.px(x, y);
      LICE_RotatedBlit(&a, &src, 2, -1, 7, 6, 3, 2, 7, 6, 0.0f, false, alpha, mode, 0, 0);
      LICE_Blit(&b, &src, 2, -1, 3, 2, 7, 6, alpha, mode);
      expectSame(a, b);
      EXPECT_TRUE(a.guardIntact());
    }
}

TEST(RotatedBlit, LeftAndTopClippingMovesTheSourceAlong)
{
  // Columns and rows cut off at the destination's left and top edges must not shift the picture.
  std::mt19937 rng(24);
  GuardedBitmap src(9, 9), a(6, 6), b(6, 6);
  src.fillRandom(rng);
  LICE_RotatedBlit(&a, &src, -3, -2, 8, 7, 1, 1, 8, 7, 0.0f, true, 1.0f, 0, 0, 0);
  LICE_Blit(&b, &src, -3, -2, 1, 1, 8, 7, 1.0f, 0);
  expectSame(a, b);
  EXPECT_TRUE(a.guardIntact());
}

TEST(RotatedBlit, AngleZeroUpscaleEqualsNearestScaledBlit)
{
  std::mt19937 rng(22);
  GuardedBitmap src(5, 4), a(10, 8), b(10, 8);
  src.fillRandom(rng);
  LICE_RotatedBlit(&a, &src, 0, 0, 10, 8, 0, 0, 5, 4, 0.0f, true, 0.8f, 0, 0, 0);
  LICE_ScaledBlit(&b, &src, 0, 0, 10, 8, 0, 0, 5, 4, 0.8f, 0);
  expectSame(a, b);
}

TEST(RotatedBlit, CentreOffsetShiftsSamples)
{
  std::mt19937 rng(23);
  GuardedBitmap src(8, 8), a(4, 4), b(4, 4);
  src.fillRandom(rng);
  LICE_RotatedBlit(&a, &src, 0, 0, 4, 4, 1, 1, 4, 4, 0.0f, false, 1.0f, 0, 2.0f, 1.0f);
  LICE_Blit(&b, &src, 0, 0, 3, 2, 4, 4, 1.0f, 0);
  expectSame(a, b);
}

TEST(RotatedBlit, ClipToSourceRectKeepsSamplesInsideIt)
{
  GuardedBitmap src(6, 1), clipped(4, 1), unclipped(4, 1);
  for (int x = 0; x < 6; ++x) src.px(x, 0) = LICE_pixel(100 + x);
  // Rectangle (1, 0, 4, 1) with the centre moved two pixels right: samples at columns 3..6.
  LICE_RotatedBlit(&clipped, &src, 0, 0, 4, 1, 1, 0, 4, 1, 0.0f, true, 1.0f, 0, 2.0f, 0.0f);
  LICE_RotatedBlit(&unclipped, &src, 0, 0, 4, 1, 1, 0, 4, 1, 0.0f, false, 1.0f, 0, 2.0f, 0.0f);
  const LICE_pixel expectClipped[4] = {103, 104, 0, 0}, expectUnclipped[4] = {103, 104, 105, 0};
  for (int x = 0; x < 4; ++x)
  {
    EXPECT_EQ(clipped.px(x, 0), expectClipped[x]) << x;
    EXPECT_EQ(unclipped.px(x, 0), expectUnclipped[x]) << x;
  }
}

TEST(DeltaBlit, IdentityStepsEqualPlainBlit)
{
  std::mt19937 rng(24);
  GuardedBitmap src(9, 9), a(9, 9), b(9, 9);
  src.fillRandom(rng);
  LICE_DeltaBlit(&a, &src, -1, 2, 8, 8, 1, 0, 8, 8, 1, 0, 0, 1, 0, 0, false, 0.7f, 0);
  LICE_Blit(&b, &src, -1, 2, 1, 0, 8, 8, 0.7f, 0);
  expectSame(a, b);
  // Tiny alpha steps fall back to the plain delta blit.
  GuardedBitmap c(9, 9);
  LICE_DeltaBlitAlpha(&c, &src, -1, 2, 8, 8, 1, 0, 8, 8, 1, 0, 0, 1, 0, 0, false, 0.7f, 0, 1e-6, 0, 0);
  expectSame(a, c);
}

TEST(DeltaBlit, TransposeWithSecondOrderZero)
{
  GuardedBitmap src(3, 3), dst(3, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) src.px(x, y) = LICE_pixel(10 * y + x);
  // Columns walk down the source, rows walk across it.
  LICE_DeltaBlit(&dst, &src, 0, 0, 3, 3, 0, 0, 3, 3, 0, 1, 1, 0, 0, 0, true, 1.0f, 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(dst.px(x, y), src.px(y, x));
}

TEST(DeltaBlitAlpha, OpacityRampsAcrossColumns)
{
  GuardedBitmap src(4, 1), dst(4, 1);
  for (int x = 0; x < 4; ++x) src.px(x, 0) = 0xFFFFFFFFu;
  // Opacity 0, 0.25, 0.5, 0.75: weights 0 (skipped), 64, 128, 192 through the Copy formula.
  LICE_DeltaBlitAlpha(&dst, &src, 0, 0, 4, 1, 0, 0, 4, 1, 1, 0, 0, 1, 0, 0, false, 0.0f, 0, 0.25, 0, 0);
  EXPECT_EQ(dst.px(0, 0), 0u);
  EXPECT_EQ(dst.px(1, 0), 0x40404040u);
  EXPECT_EQ(dst.px(2, 0), 0x80808080u);
  EXPECT_EQ(dst.px(3, 0), 0xC0C0C0C0u);
}

TEST(TransformBlit, IdentityGridEqualsPlainBlit)
{
  std::mt19937 rng(25);
  GuardedBitmap src(8, 8), a(8, 8), b(8, 8);
  src.fillRandom(rng);
  const float grid[] = {0, 0, 4, 0, 8, 0, 0, 4, 4, 4, 8, 4, 0, 8, 4, 8, 8, 8};
  LICE_TransformBlit(&a, &src, 0, 0, 8, 8, grid, 3, 3, 1.0f, 0);
  LICE_Blit(&b, &src, 0, 0, nullptr, 1.0f, 0);
  expectSame(a, b);
  const double grid2[] = {0, 0, 8, 0, 0, 8, 8, 8};
  GuardedBitmap c(8, 8);
  LICE_TransformBlit2(&c, &src, 0, 0, 8, 8, grid2, 2, 2, 1.0f, 0);
  expectSame(c, b);
  const double grid3[] = {0, 0, 1, 8, 0, 1, 0, 8, 1, 8, 8, 1};
  GuardedBitmap e(8, 8);
  LICE_TransformBlit2Alpha(&e, &src, 0, 0, 8, 8, grid3, 2, 2, 0);
  expectSame(e, b);
  // A one-point lattice draws nothing.
  GuardedBitmap f(8, 8);
  LICE_TransformBlit(&f, &src, 0, 0, 8, 8, grid, 1, 3, 1.0f, 0);
  EXPECT_EQ(f.px(3, 3), 0u);
}
