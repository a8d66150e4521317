#include <gtest/gtest.h>

#include <cmath>

#include "guarded_bitmap.h"
#include "rasterizer/lice_blit.h"

namespace
{
void fillAll(GuardedBitmap& bm, LICE_pixel v)
{
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) bm.px(x, y) = v;
}
} // namespace

TEST(FillRect, OpaqueCopyWritesColourWithAlpha)
{
  GuardedBitmap bm(4, 3);
  LICE_FillRect(&bm, 1, 1, 2, 5, 0x12345678u, 1.0f, 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(bm.px(x, y), (x >= 1 && x <= 2 && y >= 1) ? 0x12345678u : 0u);
  EXPECT_TRUE(bm.guardIntact());
}

TEST(FillRect, HalfOpacityHalvesAndAdds)
{
  GuardedBitmap bm(2, 2);
  fillAll(bm, 0x03050709u);
  LICE_FillRect(&bm, 0, 0, 2, 2, 0xFF7F0301u, 0.5f, 0);
  // (0x7F3F0100) + (0x01020304) per pixel.
  EXPECT_EQ(bm.px(1, 1), 0x80410404u);
}

TEST(FillRect, QuarterMixersAtQuarterWeights)
{
  GuardedBitmap bm(1, 1);
  LICE_FillRect(&bm, 0, 0, 1, 1, 0xFFFFFFFFu, 0.25f, 0);
  EXPECT_EQ(bm.px(0, 0), 0x3F3F3F3Fu);
  bm.px(0, 0) = 0;
  LICE_FillRect(&bm, 0, 0, 1, 1, 0xFFFFFFFFu, 0.75f, 0);
  EXPECT_EQ(bm.px(0, 0), 0xBEBEBEBEu);
}

TEST(FillRect, OtherWeightsBlendTowardWeightAsAlpha)
{
  GuardedBitmap bm(1, 1);
  bm.px(0, 0) = LICE_RGBA(0, 0, 0, 255);
  // 0.3 -> 76: colour 255 + ((0 - 255) * 180) / 256 = 76; alpha (a = 76): 76 + ((255 - 76) * 180) / 256 = 201.
  LICE_FillRect(&bm, 0, 0, 1, 1, 0xFFFFFFFFu, 0.3f, 0);
  EXPECT_EQ(bm.px(0, 0), LICE_RGBA(76, 76, 76, 201));
}

TEST(FillRect, SourceAlphaFlagScalesOpacity)
{
  GuardedBitmap bm(1, 1);
  bm.px(0, 0) = 0x11223344u;
  LICE_FillRect(&bm, 0, 0, 1, 1, 0x00FFFFFFu, 1.0f, LICE_BLIT_USE_ALPHA);
  EXPECT_EQ(bm.px(0, 0), 0x11223344u);
  // Alpha 0x80 -> opacity 128/255 -> weight 128 -> half mixer.
  bm.px(0, 0) = 0;
  LICE_FillRect(&bm, 0, 0, 1, 1, 0x80FEFEFEu, 1.0f, LICE_BLIT_USE_ALPHA);
  EXPECT_EQ(bm.px(0, 0), 0x407F7F7Fu);
}

TEST(FillRect, AddUsesWeightAsAlpha)
{
  GuardedBitmap bm(1, 1);
  bm.px(0, 0) = LICE_RGBA(1, 2, 3, 0);
  LICE_FillRect(&bm, 0, 0, 1, 1, 0x00101010u, 1.0f, LICE_BLIT_MODE_ADD);
  EXPECT_EQ(bm.px(0, 0), LICE_RGBA(17, 18, 19, 255));
}

TEST(FillRect, HSVAdjustAtFullWeightStaysOpaque)
{
  GuardedBitmap bm(1, 1);
  bm.px(0, 0) = LICE_RGBA(255, 0, 0, 255);
  LICE_FillRect(&bm, 0, 0, 1, 1, LICE_RGBA(128, 128, 128, 0), 1.0f, LICE_BLIT_MODE_HSVADJ);
  EXPECT_EQ(bm.px(0, 0), LICE_RGBA(255, 0, 0, 255));
}

TEST(FillRect, MulKeepsAlphaAtFullWeight)
{
  GuardedBitmap bm(1, 1);
  bm.px(0, 0) = LICE_RGBA(200, 100, 50, 77);
  // Black at full weight: colour 0; the alpha argument 256 gives (256 * 256 * 77) >> 16 = 77.
  LICE_FillRect(&bm, 0, 0, 1, 1, 0xFF000000u, 1.0f, LICE_BLIT_MODE_MUL);
  EXPECT_EQ(bm.px(0, 0), LICE_RGBA(0, 0, 0, 77));
}

TEST(FillRect, ClipsAndIgnoresBadInput)
{
  GuardedBitmap bm(3, 3);
  LICE_FillRect(&bm, -5, -5, 6, 6, 0xFFFFFFFFu, 1.0f, 0);
  EXPECT_EQ(bm.px(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(bm.px(1, 0), 0u);
  LICE_FillRect(&bm, 2147483647, 0, 2147483647, 3, 0xFFFFFFFFu, 1.0f, 0);
  LICE_FillRect(&bm, -2147483647 - 1, -2147483647 - 1, -2, 2147483647, 0xFFFFFFFFu, 1.0f, 0);
  LICE_FillRect(&bm, 0, 0, 3, 3, 0xFFFFFFFFu, 1.0f, 0x7);
  LICE_FillRect(&bm, 0, 0, 3, 3, 0xFFFFFFFFu, -1.0f, 0);
  LICE_FillRect(&bm, 0, 0, 3, 3, 0xFFFFFFFFu, std::nanf(""), 0);
  LICE_FillRect(nullptr, 0, 0, 3, 3, 0xFFFFFFFFu, 1.0f, 0);
  EXPECT_EQ(bm.px(1, 1), 0u);
  EXPECT_TRUE(bm.guardIntact());
}
