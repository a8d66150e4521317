#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "blend_reference.h"
#include "guarded_bitmap.h"
#include "simd_levels.h"
#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_membitmap.h"
#include "rasterizer/lice_pixelops.h"

namespace
{
void fillPattern(GuardedBitmap& bm, int salt)
{
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) bm.px(x, y) = LICE_RGBA(x + salt, y + salt, x * y, 200 + x);
}
} // namespace

TEST(Blit, NegativeSourceLeftShiftsDestination)
{
  GuardedBitmap src(4, 2), dst(8, 2);
  fillPattern(src, 1);
  const RECT r{-3, 0, 4, 2};
  LICE_Blit(&dst, &src, 1, 0, &r, 1.0f, LICE_BLIT_MODE_COPY);
  for (int x = 0; x < 8; ++x)
    for (int y = 0; y < 2; ++y)
      EXPECT_EQ(dst.px(x, y), x >= 4 ? src.px(x - 4, y) : 0u) << x << "," << y;
  EXPECT_TRUE(dst.guardIntact());
}

TEST(Blit, ClipsSourceAndDestination)
{
  GuardedBitmap src(5, 5), dst(4, 4);
  fillPattern(src, 3);
  // Destination at (-2, 3): source columns 2..4 land at 0..2 (the source ends first), row 0 at 3.
  LICE_Blit(&dst, &src, -2, 3, nullptr, 1.0f, LICE_BLIT_MODE_COPY);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(dst.px(x, y), (y == 3 && x <= 2) ? src.px(x + 2, 0) : 0u) << x << "," << y;
  EXPECT_TRUE(dst.guardIntact());
  // Source rectangle beyond the source bitmap and the int range.
  LICE_Blit(&dst, &src, 0, 0, 3, 3, 2147483647, 2147483647, 1.0f, 0);
  LICE_Blit(&dst, &src, 2147483647, -2147483647 - 1, nullptr, 0.3f, 0);
  LICE_Blit(&dst, &src, 0, 0, -2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647, 0.3f, 0);
  EXPECT_TRUE(dst.guardIntact());
}

TEST(Blit, OntoItselfMovesOverlappingRowsSafely)
{
  for (bool flipped : {false, true})
  {
    GuardedBitmap bm(6, 6, flipped), orig(6, 6);
    fillPattern(bm, 9);
    fillPattern(orig, 9);
    // Down and right by one, then up and left by one: both must read the old pixels.
    LICE_Blit(&bm, &bm, 1, 1, 0, 0, 5, 5, 1.0f, 0);
    for (int y = 1; y < 6; ++y)
      for (int x = 1; x < 6; ++x) ASSERT_EQ(bm.px(x, y), orig.px(x - 1, y - 1)) << flipped << x << y;
    fillPattern(bm, 9);
    LICE_Blit(&bm, &bm, 0, 0, 1, 1, 5, 5, 1.0f, 0);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 5; ++x) ASSERT_EQ(bm.px(x, y), orig.px(x + 1, y + 1)) << flipped << x << y;
    EXPECT_TRUE(bm.guardIntact());
  }
}

TEST(Blit, OntoItselfBlendsFromOldPixels)
{
  GuardedBitmap bm(7, 1), orig(7, 1);
  fillPattern(bm, 40);
  fillPattern(orig, 40);
  LICE_Blit(&bm, &bm, 1, 0, 0, 0, 6, 1, 0.25f, 0);
  for (int x = 1; x < 7; ++x) EXPECT_EQ(bm.px(x, 0), refCopyPixel(orig.px(x, 0), orig.px(x - 1, 0), 64)) << x;
  fillPattern(bm, 40);
  LICE_Blit(&bm, &bm, 1, 0, 0, 0, 6, 1, 0.5f, 0);
  for (int x = 1; x < 7; ++x)
    EXPECT_EQ(bm.px(x, 0), ((orig.px(x, 0) >> 1) & 0x7F7F7F7Fu) + ((orig.px(x - 1, 0) >> 1) & 0x7F7F7F7Fu)) << x;
}

TEST(Blit, ChannelCopyModes)
{
  GuardedBitmap src(2, 1), dst(2, 1);
  src.px(0, 0) = 0xA1B2C3D4u;
  src.px(1, 0) = 0x11223344u;
  dst.px(0, 0) = 0x55667788u;
  dst.px(1, 0) = 0x99AABBCCu;
  // 0xF3: source byte 3 (alpha) into destination byte 0 (blue); opacity is not used.
  LICE_Blit(&dst, &src, 0, 0, nullptr, 0.1f, 0xF3);
  EXPECT_EQ(dst.px(0, 0), 0x556677A1u);
  EXPECT_EQ(dst.px(1, 0), 0x99AABB11u);
  // 0xFF: alpha to alpha.
  LICE_Blit(&dst, &src, 0, 0, nullptr, 1.0f, 0xFF);
  EXPECT_EQ(dst.px(0, 0), 0xA16677A1u);
  EXPECT_EQ(dst.px(1, 0), 0x11AABB11u);
  // 0xF5: green (byte 1) into green (bits 2-3 = 1).
  LICE_Blit(&dst, &src, 0, 0, nullptr, 1.0f, 0xF5);
  EXPECT_EQ(dst.px(0, 0), 0xA166C3A1u);
}

TEST(Blit, SourceAlphaKeepsOpaqueDestinationAndCopyTakesAlpha)
{
  GuardedBitmap src(1, 1), dst(1, 1);
  src.px(0, 0) = LICE_RGBA(200, 100, 0, 128);
  dst.px(0, 0) = LICE_RGBA(0, 0, 100, 255);
  LICE_Blit(&dst, &src, 0, 0, nullptr, 1.0f, LICE_BLIT_USE_ALPHA);
  // m = 127: 200 - 99 = 101, 100 - 49 = 51 (truncated toward zero), 0 + 12700 / 256 = 49.
  EXPECT_EQ(dst.px(0, 0), LICE_RGBA(101, 51, 49, 255));
  LICE_Blit(&dst, &src, 0, 0, nullptr, 1.0f, LICE_BLIT_MODE_COPY);
  EXPECT_EQ(dst.px(0, 0), src.px(0, 0));
}

TEST(Blit, HalfOpacityCopyLosesLowBits)
{
  GuardedBitmap src(1, 1), dst(1, 1);
  src.px(0, 0) = 0x01010101u;
  dst.px(0, 0) = 0x01010101u;
  LICE_Blit(&dst, &src, 0, 0, nullptr, 0.5f, 0);
  EXPECT_EQ(dst.px(0, 0), 0u);
  // With any other flag the exact formula runs: Add of 1 at weight 128 adds 0.
  dst.px(0, 0) = 0x01010101u;
  LICE_Blit(&dst, &src, 0, 0, nullptr, 0.5f, LICE_BLIT_MODE_ADD);
  EXPECT_EQ(dst.px(0, 0), 0x01010101u);
}

// On every instruction-set level: 37 pixels take the wide groups of either, their narrower tail
// and single pixels.
TEST(Blit, RowKernelsMatchFormulasExactly)
{
  std::mt19937 rng(1234);
  GuardedBitmap src(37, 3), dst(37, 3), before(37, 3);
  ForEachSimdLevel([&] {
    for (float alpha : {1.0f, 0.999f, 0.75f, 0.3f, 0.01f})
    {
      for (int mode : {0, int(LICE_BLIT_USE_ALPHA)})
      {
        src.fillRandom(rng);
        dst.fillRandom(rng);
        // Alpha extremes must show up often: 0 and 255 take their own branches.
        for (int x = 0; x < 37; x += 3) src.px(x, 0) &= 0x00FFFFFFu;
        for (int x = 1; x < 37; x += 3) src.px(x, 1) |= 0xFF000000u;
        // Whole groups of transparent and of opaque pixels take the kernels' shortcuts.
        for (int x = 0; x < 16; ++x) src.px(x, 2) = x < 8 ? src.px(x, 2) & 0x00FFFFFFu : src.px(x, 2) | 0xFF000000u;
        for (int y = 0; y < 3; ++y)
          for (int x = 0; x < 37; ++x) before.px(x, y) = dst.px(x, y);
        LICE_Blit(&dst, &src, 0, 0, nullptr, alpha, mode);
        const int w = LICE_OpacityWeight(alpha);
        for (int y = 0; y < 3; ++y)
          for (int x = 0; x < 37; ++x)
          {
            const LICE_pixel d = before.px(x, y), s = src.px(x, y);
            LICE_pixel expect;
            if (mode == 0) expect = w == 256 ? s : refCopyPixel(d, s, w);
            else expect = refSourceAlpha(d, s, w);
            ASSERT_EQ(dst.px(x, y), expect) << "alpha " << alpha << " mode " << mode << " at " << x << "," << y;
          }
      }
    }
  });
  EXPECT_TRUE(dst.guardIntact());
}

// An opaque copy between two bitmaps at every alignment of the destination, row widths around the
// copy loop's steps, and flipped rows.
TEST(Blit, OpaqueCopyBetweenBitmapsIsExact)
{
  std::mt19937 rng(99);
  for (bool flipped : {false, true})
    for (int w : {1, 3, 4, 15, 16, 17, 35})
      for (int dx = 0; dx < 4; ++dx)
      {
        GuardedBitmap src(w, 3), dst(w + 4, 3, flipped);
        src.fillRandom(rng);
        dst.fillRandom(rng);
        GuardedBitmap before(w + 4, 3);
        for (int y = 0; y < 3; ++y)
          for (int x = 0; x < w + 4; ++x) before.px(x, y) = dst.px(x, y);
        LICE_Blit(&dst, &src, dx, 0, nullptr, 1.0f, LICE_BLIT_MODE_COPY);
        for (int y = 0; y < 3; ++y)
          for (int x = 0; x < w + 4; ++x)
          {
            const bool inside = x >= dx && x < dx + w;
            ASSERT_EQ(dst.px(x, y), inside ? src.px(x - dx, y) : before.px(x, y)) << w << " " << dx << " " << x;
          }
        EXPECT_TRUE(dst.guardIntact());
      }
}

TEST(Blit, UnknownModesAndZeroOpacityDrawNothing)
{
  GuardedBitmap src(2, 2), dst(2, 2);
  fillPattern(src, 5);
  for (int mode : {6, 0x10006, 0x1F}) LICE_Blit(&dst, &src, 0, 0, nullptr, 1.0f, mode);
  LICE_Blit(&dst, &src, 0, 0, nullptr, 0.0f, 0);
  LICE_Blit(&dst, &src, 0, 0, nullptr, 0.002f, 0);
  LICE_Blit(&dst, nullptr, 0, 0, nullptr, 1.0f, 0);
  LICE_Blit(nullptr, &src, 0, 0, nullptr, 1.0f, 0);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(dst.px(x, y), 0u);
}

TEST(Copy, ResizesAndCopiesExactly)
{
  GuardedBitmap src(5, 3);
  fillPattern(src, 2);
  LICE_MemBitmap dst(1, 1, 4);
  LICE_Copy(&dst, &src);
  ASSERT_EQ(dst.getWidth(), 5);
  ASSERT_EQ(dst.getHeight(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(LICE_GetPixel(&dst, x, y), src.px(x, y));
  LICE_Copy(nullptr, &src);
  LICE_Copy(&dst, nullptr);
}
