#include <gtest/gtest.h>

#include "guarded_bitmap.h"
#include "rasterizer/lice_combine.h"
#include "rasterizer/lice_membitmap.h"
#include "rasterizer/lice_pixelops.h"

TEST(GetPixel, OutsideOrNullGivesZero)
{
  GuardedBitmap bm(4, 3);
  bm.px(3, 2) = 0x12345678u;
  EXPECT_EQ(LICE_GetPixel(&bm, 3, 2), 0x12345678u);
  EXPECT_EQ(LICE_GetPixel(&bm, 4, 0), 0u);
  EXPECT_EQ(LICE_GetPixel(&bm, -1, 0), 0u);
  EXPECT_EQ(LICE_GetPixel(&bm, 0, 3), 0u);
  EXPECT_EQ(LICE_GetPixel(nullptr, 0, 0), 0u);
  LICE_MemBitmap empty;
  EXPECT_EQ(LICE_GetPixel(&empty, 0, 0), 0u);
}

TEST(PutPixel, OutsideChangesNothing)
{
  GuardedBitmap bm(4, 3);
  LICE_PutPixel(&bm, 4, 0, 0xFFFFFFFFu, 1.0f, 0);
  LICE_PutPixel(&bm, 0, -1, 0xFFFFFFFFu, 1.0f, 0);
  LICE_PutPixel(&bm, 0, 3, 0xFFFFFFFFu, 1.0f, 0);
  EXPECT_TRUE(bm.guardIntact());
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(bm.px(x, y), 0u);
}

TEST(PutPixel, CopyWeightsUseShiftMixers)
{
  GuardedBitmap bm(5, 1);
  LICE_PutPixel(&bm, 0, 0, 0xFFFFFFFFu, 0.5f, 0);
  LICE_PutPixel(&bm, 1, 0, 0xFFFFFFFFu, 0.25f, 0);
  LICE_PutPixel(&bm, 2, 0, 0xFFFFFFFFu, 0.75f, 0);
  LICE_PutPixel(&bm, 3, 0, 0xFFFFFFFFu, 1.0f, 0);
  // 0.3 -> weight 76: 255 + ((0 - 255) * 180) / 256 = 255 - 179 = 76 on every byte.
  LICE_PutPixel(&bm, 4, 0, 0xFFFFFFFFu, 0.3f, 0);
  EXPECT_EQ(bm.px(0, 0), 0x7F7F7F7Fu);
  EXPECT_EQ(bm.px(1, 0), 0x3F3F3F3Fu);
  EXPECT_EQ(bm.px(2, 0), 0xBEBEBEBEu);
  EXPECT_EQ(bm.px(3, 0), 0xFFFFFFFFu);
  EXPECT_EQ(bm.px(4, 0), 0x4C4C4C4Cu);
}

TEST(PutPixel, OtherModesAndFlagsOfTheLowByte)
{
  GuardedBitmap bm(3, 1);
  bm.px(0, 0) = LICE_RGBA(200, 10, 0, 0);
  // Add at full weight; the source-alpha flag is ignored.
  LICE_PutPixel(&bm, 0, 0, LICE_RGBA(100, 20, 5, 0), 1.0f, LICE_BLIT_MODE_ADD | LICE_BLIT_USE_ALPHA);
  EXPECT_EQ(bm.px(0, 0), LICE_RGBA(255, 30, 5, 0));
  bm.px(1, 0) = 0x01020304u;
  LICE_PutPixel(&bm, 1, 0, 0xFFFFFFFFu, 1.0f, 6);
  LICE_PutPixel(&bm, 1, 0, 0xFFFFFFFFu, 0.001f, 0);
  LICE_PutPixel(&bm, 1, 0, 0xFFFFFFFFu, -0.5f, 0);
  EXPECT_EQ(bm.px(1, 0), 0x01020304u);
}

TEST(PutPixel, NegativeOpacityDrawsNothingInAnyMode)
{
  // Add, Mul and HSVAdjust at a negative weight would subtract, brighten or recolour.
  GuardedBitmap bm(3, 1);
  for (int x = 0; x < 3; ++x) bm.px(x, 0) = 0x80406080u;
  LICE_PutPixel(&bm, 0, 0, 0xFFFFFFFFu, -0.5f, LICE_BLIT_MODE_ADD);
  LICE_PutPixel(&bm, 1, 0, 0x00000000u, -1.0f, LICE_BLIT_MODE_MUL);
  LICE_PutPixel(&bm, 2, 0, 0x00808080u, -0.25f, LICE_BLIT_MODE_HSVADJ);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(bm.px(x, 0), 0x80406080u) << x;
}

TEST(PutPixel, FlippedBitmapStoresBottomUp)
{
  GuardedBitmap bm(2, 3, true);
  LICE_PutPixel(&bm, 1, 0, 0xAABBCCDDu, 1.0f, 0);
  EXPECT_EQ(bm.getBits()[2 * bm.getRowSpan() + 1], 0xAABBCCDDu);
  EXPECT_EQ(LICE_GetPixel(&bm, 1, 0), 0xAABBCCDDu);
}

TEST(Clear, FillsWidthByHeightOnly)
{
  GuardedBitmap bm(3, 2);
  LICE_Clear(&bm, 0x80FF0000u);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(bm.px(x, y), 0x80FF0000u);
  EXPECT_TRUE(bm.guardIntact());
  LICE_Clear(nullptr, 0);
}

TEST(ClearRect, MasksAndClipsToBitmap)
{
  GuardedBitmap bm(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) bm.px(x, y) = LICE_RGBA(x, y, 7, 0x10);
  // (-1, 1, 3, 10) clips to columns 0..1, rows 1..3.
  LICE_ClearRect(&bm, -1, 1, 3, 10, 0x00FFFFFFu, 0xFF000000u);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
    {
      const bool inside = x <= 1 && y >= 1;
      EXPECT_EQ(bm.px(x, y), LICE_RGBA(x, y, 7, inside ? 255 : 0x10)) << x << "," << y;
    }
  EXPECT_TRUE(bm.guardIntact());
  LICE_ClearRect(&bm, 2147483600, 2147483600, 2147483647, 2147483647, 0, 0);
  LICE_ClearRect(&bm, -2147483647 - 1, 0, 5, 5, 0, 0);
  EXPECT_TRUE(bm.guardIntact());
}

TEST(SetAlphaFromColorMask, KeyColourBecomesTransparentOthersOpaque)
{
  GuardedBitmap bm(2, 1);
  bm.px(0, 0) = 0x80FF00FFu;
  bm.px(1, 0) = 0x00123456u;
  LICE_SetAlphaFromColorMask(&bm, 0xFFFF00FFu);
  EXPECT_EQ(bm.px(0, 0), 0x00FF00FFu);
  EXPECT_EQ(bm.px(1, 0), 0xFF123456u);
}

TEST(BitmapCmp, NullsAndSizes)
{
  GuardedBitmap a(3, 2), b(5, 2), c(3, 7);
  EXPECT_EQ(LICE_BitmapCmp(nullptr, nullptr), 0);
  EXPECT_EQ(LICE_BitmapCmp(&a, nullptr), 1);
  EXPECT_EQ(LICE_BitmapCmp(nullptr, &a), -1);
  EXPECT_EQ(LICE_BitmapCmp(&a, &b), 2);
  EXPECT_EQ(LICE_BitmapCmp(&a, &c), 5);
}

TEST(BitmapCmp, MaskAndBoundingBoxOfDifferences)
{
  GuardedBitmap a(6, 5), b(6, 5);
  a.px(1, 1) = 0x01000000u;  // alpha only
  EXPECT_EQ(LICE_BitmapCmpEx(&a, &b, 0x00FFFFFFu), 0);
  EXPECT_NE(LICE_BitmapCmpEx(&a, &b, 0xFFFFFFFFu), 0);
  a.px(4, 2) = 0x00000001u;
  a.px(2, 3) = 0x00000100u;
  int coords[4] = {-1, -1, -1, -1};
  EXPECT_EQ(LICE_BitmapCmp(&a, &b, coords), 1);
  EXPECT_EQ(coords[0], 1);
  EXPECT_EQ(coords[1], 1);
  EXPECT_EQ(coords[2], 4);
  EXPECT_EQ(coords[3], 3);
  EXPECT_EQ(LICE_BitmapCmpEx(&a, &a, 0xFFFFFFFFu, coords), 0);
  EXPECT_EQ(coords[0] | coords[1] | coords[2] | coords[3], 0);
  // Masked, without coordinates: 1 at the first difference.
  EXPECT_EQ(LICE_BitmapCmpEx(&a, &b, 0x000000FFu), 1);
}

TEST(BitmapCmp, FullMaskComparesRowsAsBytes)
{
  GuardedBitmap a(2, 2), b(2, 2);
  a.px(0, 1) = 0x00000002u;  // first byte of row 1 is 2 in a, 0 in b
  EXPECT_GT(LICE_BitmapCmp(&a, &b), 0);
  EXPECT_LT(LICE_BitmapCmp(&b, &a), 0);
}
