#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

#include "blend_reference.h"
#include "guarded_bitmap.h"
#include "simd_levels.h"
#include "rasterizer/lice_blit.h"

namespace
{
// Truncated average of the taps of the K x K window centred on (cx, cy) that lie in the bitmap.
LICE_pixel boxAverage(GuardedBitmap& s, int cx, int cy, int K)
{
  long sum[4] = {0, 0, 0, 0};
  long n = 0;
  for (int y = cy - K / 2; y <= cy + K / 2; ++y)
    for (int x = cx - K / 2; x <= cx + K / 2; ++x)
    {
      if (x < 0 || y < 0 || x >= s.getWidth() || y >= s.getHeight()) continue;
      for (int c = 0; c < 4; ++c) sum[c] += chanOf(s.px(x, y), c);
      ++n;
    }
  return LICE_RGBA(unsigned(sum[2] / n), unsigned(sum[1] / n), unsigned(sum[0] / n), unsigned(sum[3] / n));
}
} // namespace

TEST(ScaledBlit, EqualSizesNearIntegerUseUnscaledBlit)
{
  GuardedBitmap src(20, 3), a(5, 3), b(5, 3);
  std::mt19937 rng(7);
  src.fillRandom(rng);
  LICE_ScaledBlit(&a, &src, 0, 0, 5, 3, 10.02f, 0.0f, 5.0f, 3.0f, 1.0f, LICE_BLIT_FILTER_BILINEAR);
  LICE_Blit(&b, &src, 0, 0, 10, 0, 5, 3, 1.0f, 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(a.px(x, y), b.px(x, y)) << x << "," << y;
}

TEST(ScaledBlit, EqualSizesHalfPixelOffsetResamplesBilinearly)
{
  GuardedBitmap src(20, 1), dst(5, 1);
  for (int x = 0; x < 20; ++x) src.px(x, 0) = LICE_RGBA(0, 0, x * 10, 255);
  LICE_ScaledBlit(&dst, &src, 0, 0, 5, 1, 10.5f, 0.0f, 5.0f, 1.0f, 1.0f, LICE_BLIT_FILTER_BILINEAR);
  // Each sample lies half-way between two source columns: (100 + 110) / 2 = 105, and so on.
  for (int x = 0; x < 5; ++x) EXPECT_EQ(dst.px(x, 0), LICE_RGBA(0, 0, 105 + 10 * x, 255)) << x;
}

TEST(ScaledBlit, BilinearUpscaleEdgesInterpolateOneWay)
{
  GuardedBitmap src(2, 2), dst(4, 4);
  src.px(0, 0) = 0;
  src.px(1, 0) = 100;
  src.px(0, 1) = 200;
  src.px(1, 1) = 40;
  LICE_ScaledBlit(&dst, &src, 0, 0, 4, 4, 0, 0, 2, 2, 1.0f, LICE_BLIT_FILTER_BILINEAR);
  // Samples at 0, 0.5, 1, 1.5 in both directions (blue channel only).
  const LICE_pixel expect[4][4] = {
      {0, 50, 100, 100},     // row 0: horizontal weights, last column vertical only (fy = 0)
      {100, 85, 70, 70},     // fy = 0.5: (0 + 200) / 2, all four / 4, (100 + 40) / 2
      {200, 120, 40, 40},    // last row: horizontal only; corner copies (1, 1)
      {200, 120, 40, 40},
  };
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.px(x, y), expect[y][x]) << x << "," << y;
  EXPECT_TRUE(dst.guardIntact());
}

TEST(ScaledBlit, BilinearLargeFractionsWeighCorrectly)
{
  GuardedBitmap src(2, 2), dst(1, 1);
  src.px(1, 0) = src.px(0, 1) = src.px(1, 1) = 255;
  // Sample at (0.9, 0.9): fx = fy = 58982, w11 = 58982^2 >> 16 = 53083 (a product beyond int),
  // w01 = w10 = 5899, so the value is (255 * (5899 + 5899 + 53083)) >> 16 = 252.
  LICE_ScaledBlit(&dst, &src, 0, 0, 1, 1, 0.9f, 0.9f, 1, 1, 1.0f, LICE_BLIT_FILTER_BILINEAR);
  EXPECT_EQ(dst.px(0, 0), 252u);
}

TEST(ScaledBlit, TwoToOneBilinearAveragesThreeByThree)
{
  GuardedBitmap src(200, 20), dst(100, 10);
  std::mt19937 rng(11);
  src.fillRandom(rng);
  ForEachSimdLevel([&] {
    LICE_ScaledBlit(&dst, &src, 0, 0, 100, 10, 0, 0, 200, 20, 1.0f, LICE_BLIT_FILTER_BILINEAR);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 100; ++x) ASSERT_EQ(dst.px(x, y), boxAverage(src, 2 * x, 2 * y, 3)) << x << "," << y;
  });
  EXPECT_TRUE(dst.guardIntact());
}

// Shrinking by 1.7:1 or more with the bilinear filter, worked out pixel by pixel from the set-up
// in 16.16 fixed point: the K x K window around each sample, cut to the source region (which ends
// where the source rectangle does, even where the bitmap goes on), averaged, then blended. Random
// sizes, factors from 1.7 to 4.6 (both kernels), fractional offsets, three blends, every
// instruction-set level.
TEST(ScaledBlit, BoxFilterMatchesItsDefinition)
{
  std::mt19937 rng(21);
  auto uniform = [&rng](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  ForEachSimdLevel([&] {
    for (int trial = 0; trial < 60; ++trial)
    {
      const int dw = 3 + int(rng() % 60), dh = 2 + int(rng() % 12);
      const float srcx = float(uniform(0, 3)), srcy = float(uniform(0, 3));
      const float srcw = float(dw * uniform(1.7, 4.6)), srch = float(dh * uniform(1.7, 4.6));
      const int sw = int(std::ceil(srcx + srcw)) + int(rng() % 3), sh = int(std::ceil(srcy + srch)) + int(rng() % 3);
      GuardedBitmap src(sw, sh), dst(dw + 2, dh + 2), before(dw + 2, dh + 2);
      src.fillRandom(rng);
      dst.fillRandom(rng);
      for (int y = 0; y < dh + 2; ++y)
        for (int x = 0; x < dw + 2; ++x) before.px(x, y) = dst.px(x, y);
      const float alpha = trial % 3 == 1 ? 0.6f : 1.0f;
      const int mode = LICE_BLIT_FILTER_BILINEAR | (trial % 3 == 2 ? LICE_BLIT_USE_ALPHA : 0);
      LICE_ScaledBlit(&dst, &src, 1, 1, dw, dh, srcx, srcy, srcw, srch, alpha, mode);

      const int64_t idx = int64_t(std::floor(double(srcw / float(dw)) * 65536.0));
      const int64_t idy = int64_t(std::floor(double(srch / float(dh)) * 65536.0));
      const int64_t icurx = int64_t(std::floor(double(srcx) * 65536.0));
      const int64_t icury = int64_t(std::floor(double(srcy) * 65536.0));
      // The trimming of the last columns and rows that would sample beyond the bitmap.
      int64_t w = dw, h = dh;
      if ((w - 1) * idx + icurx >= int64_t(sw) * 65536) w = std::min<int64_t>(w, (int64_t(sw - 1) * 65536 - icurx) / idx);
      if ((h - 1) * idy + icury >= int64_t(sh) * 65536) h = std::min<int64_t>(h, (int64_t(sh - 1) * 65536 - icury) / idy);
      const int64_t x0 = icurx >> 16, y0 = icury >> 16;
      const int64_t regionW = std::min<int64_t>(sw, int64_t(srcw + srcx + 0.999999)) - x0;
      const int64_t regionH = std::min<int64_t>(sh, int64_t(srch + srcy + 0.999999)) - y0;
      const int K = std::max(idx, idy) > 0x30000 ? 5 : 3;
      for (int y = 0; y < dh + 2; ++y)
        for (int x = 0; x < dw + 2; ++x)
        {
          LICE_pixel expect = before.px(x, y);
          if (x >= 1 && x < 1 + w && y >= 1 && y < 1 + h)
          {
            const int64_t cx = (icurx - x0 * 65536 + (x - 1) * idx) >> 16;
            const int64_t cy = (icury - y0 * 65536 + (y - 1) * idy) >> 16;
            long sum[4] = {0, 0, 0, 0}, n = 0;
            for (int64_t ty = cy - K / 2; ty <= cy + K / 2; ++ty)
              for (int64_t tx = cx - K / 2; tx <= cx + K / 2; ++tx)
              {
                if (tx < 0 || ty < 0 || tx >= regionW || ty >= regionH) continue;
                for (int c = 0; c < 4; ++c) sum[c] += chanOf(src.px(int(x0 + tx), int(y0 + ty)), c);
                ++n;
              }
            const LICE_pixel sample = LICE_RGBA(unsigned(sum[2] / n), unsigned(sum[1] / n), unsigned(sum[0] / n),
                                                unsigned(sum[3] / n));
            if (mode & LICE_BLIT_USE_ALPHA) expect = refSourceAlpha(expect, sample, 256);
            else expect = alpha == 1.0f ? sample : refCopyPixel(expect, sample, LICE_OpacityWeight(alpha));
          }
          ASSERT_EQ(dst.px(x, y), expect) << "trial " << trial << " at " << x << "," << y;
        }
      ASSERT_TRUE(dst.guardIntact()) << trial;
    }
  });
}

TEST(ScaledBlit, FourToOneBilinearAveragesFiveByFive)
{
  GuardedBitmap src(400, 12), dst(100, 3);
  std::mt19937 rng(12);
  src.fillRandom(rng);
  LICE_ScaledBlit(&dst, &src, 0, 0, 100, 3, 0, 0, 400, 12, 1.0f, LICE_BLIT_FILTER_BILINEAR);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 100; ++x) ASSERT_EQ(dst.px(x, y), boxAverage(src, 4 * x, 4 * y, 5)) << x << "," << y;
}

TEST(ScaledBlit, OneAndAHalfToOneStaysBilinear)
{
  GuardedBitmap src(150, 3), dst(100, 2);
  std::mt19937 rng(13);
  src.fillRandom(rng);
  LICE_ScaledBlit(&dst, &src, 0, 0, 100, 2, 0, 0, 150, 3, 1.0f, LICE_BLIT_FILTER_BILINEAR);
  // Destination (1, 1) samples (1.5, 1.5): each of the four neighbours weighs a quarter.
  long sum[4] = {0, 0, 0, 0};
  for (int c = 0; c < 4; ++c)
    sum[c] = (long(chanOf(src.px(1, 1), c)) + chanOf(src.px(2, 1), c) + chanOf(src.px(1, 2), c) +
              chanOf(src.px(2, 2), c)) /
             4;
  EXPECT_EQ(dst.px(1, 1), LICE_RGBA(unsigned(sum[2]), unsigned(sum[1]), unsigned(sum[0]), unsigned(sum[3])));
  // Destination (0, 0) samples (0, 0) exactly.
  EXPECT_EQ(dst.px(0, 0), src.px(0, 0));
}

TEST(ScaledBlit, NearestUpscaleRepeatsPixels)
{
  GuardedBitmap src(2, 2), dst(5, 5);
  src.px(0, 0) = 1;
  src.px(1, 0) = 2;
  src.px(0, 1) = 3;
  src.px(1, 1) = 4;
  LICE_ScaledBlit(&dst, &src, 1, 1, 4, 4, 0, 0, 2, 2, 1.0f, 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x)
    {
      const LICE_pixel expect = (x == 0 || y == 0) ? 0u : src.px((x - 1) / 2, (y - 1) / 2);
      EXPECT_EQ(dst.px(x, y), expect) << x << "," << y;
    }
  EXPECT_TRUE(dst.guardIntact());
}

TEST(ScaledBlit, NegativeDestinationWidthMirrors)
{
  GuardedBitmap src(4, 1), dst(4, 1);
  for (int x = 0; x < 4; ++x) src.px(x, 0) = LICE_pixel(10 + x);
  LICE_ScaledBlit(&dst, &src, 4, 0, -4, 1, 0, 0, 4, 1, 1.0f, 0);
  // Samples walk leftwards from the source's right edge.
  EXPECT_EQ(dst.px(1, 0), 13u);
  EXPECT_EQ(dst.px(2, 0), 12u);
  EXPECT_EQ(dst.px(3, 0), 11u);
  EXPECT_TRUE(dst.guardIntact());
}

TEST(ScaledBlit, NegativeDestinationOffsetSkipsColumns)
{
  GuardedBitmap src(4, 1), dst(4, 1);
  for (int x = 0; x < 4; ++x) src.px(x, 0) = LICE_pixel(10 + x);
  // 2x upscale placed at x = -3: destination column 0 is the fourth sample, source column 1.
  LICE_ScaledBlit(&dst, &src, -3, 0, 8, 1, 0, 0, 4, 1, 1.0f, 0);
  EXPECT_EQ(dst.px(0, 0), 11u);
  EXPECT_EQ(dst.px(1, 0), 12u);
  EXPECT_EQ(dst.px(2, 0), 12u);
  EXPECT_EQ(dst.px(3, 0), 13u);
}

TEST(ScaledBlit, HalfOpacityPlainCopyUsesHalfMixer)
{
  GuardedBitmap src(1, 1), dst(2, 2);
  src.px(0, 0) = 0x01FF0101u;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) dst.px(x, y) = 0x01010101u;
  LICE_ScaledBlit(&dst, &src, 0, 0, 2, 2, 0, 0, 1, 1, 0.5f, 0);
  EXPECT_EQ(dst.px(1, 1), 0x007F0000u);
}
