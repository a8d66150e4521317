#include <gtest/gtest.h>

#include <cstdint>

#include "platform/gdi/swell_memcontext.h"
#include "rasterizer/lice_membitmap.h"
#include "rasterizer/lice_sysbitmap.h"

TEST(MemBitmap, EmptyUntilResizedThenAligned)
{
  LICE_MemBitmap bm(0, 0, 4);
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(bm.getHeight(), 0);
  EXPECT_TRUE(bm.resize(5, 2));
  EXPECT_EQ(bm.getRowSpan(), 8);
  ASSERT_NE(bm.getBits(), nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(bm.getBits()) % 64, 0u);
}

TEST(MemBitmap, RowSpanFollowsLineAlignment)
{
  EXPECT_EQ(LICE_MemBitmap(10, 10, 0).getRowSpan(), 10);
  EXPECT_EQ(LICE_MemBitmap(10, 10, 1).getRowSpan(), 10);
  EXPECT_EQ(LICE_MemBitmap(10, 10, 4).getRowSpan(), 12);
  EXPECT_EQ(LICE_MemBitmap(10, 10, 16).getRowSpan(), 16);
  // 6 aligns to its lowest set bit, 2.
  EXPECT_EQ(LICE_MemBitmap(9, 1, 6).getRowSpan(), 10);
}

TEST(MemBitmap, ResizeReportsWhetherAnythingChanged)
{
  LICE_MemBitmap bm(4, 4);
  LICE_pixel* bits = bm.getBits();
  EXPECT_FALSE(bm.resize(4, 4));
  EXPECT_EQ(bm.getBits(), bits);
  // Shrinking keeps the block.
  EXPECT_TRUE(bm.resize(2, 2));
  EXPECT_EQ(bm.getBits(), bits);
  EXPECT_TRUE(bm.resize(0, 0));
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
}

TEST(MemBitmap, NegativeOrHugeSizesLeaveItEmpty)
{
  LICE_MemBitmap bm(4, 4);
  EXPECT_TRUE(bm.resize(-3, 5));
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(bm.getHeight(), 0);
  // 100000 x 100000 x 4 bytes overflows 32 bits: refused, not truncated to a small block.
  EXPECT_TRUE(bm.resize(100000, 100000));
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(bm.getHeight(), 0);
  LICE_MemBitmap wide(2147483647, 1, 16);
  EXPECT_EQ(wide.getBits(), nullptr);
  EXPECT_EQ(wide.getWidth(), 0);
}

TEST(MemBitmap, GrowsWithHeadroomAndShrinksInPlace)
{
  LICE_MemBitmap bm(10, 10);
  // 400 bytes grown to 440 needs a new block with 25 % head-room (550 bytes): a later grow to
  // 11 x 12 (528 bytes) fits without moving.
  EXPECT_TRUE(bm.resize(11, 10));
  LICE_pixel* grown = bm.getBits();
  ASSERT_NE(grown, nullptr);
  EXPECT_TRUE(bm.resize(11, 12));
  EXPECT_EQ(bm.getBits(), grown);
  EXPECT_TRUE(bm.resize(3, 3));
  EXPECT_EQ(bm.getBits(), grown);
  for (int i = 0; i < 11 * 12; ++i) grown[i] = LICE_pixel(i);
}

TEST(SysBitmap, ShrinkKeepsContextAndGrowBeyondReplacesIt)
{
  LICE_SysBitmap bm(100, 100);
  ASSERT_NE(bm.getBits(), nullptr);
  ASSERT_NE(bm.getDC(), nullptr);
  EXPECT_EQ(bm.getRowSpan(), 100);
  EXPECT_EQ(SWELL_GetCtxFrameBuffer(bm.getDC()), bm.getBits());
  LICE_pixel* bits = bm.getBits();
  EXPECT_TRUE(bm.resize(50, 50));
  EXPECT_EQ(bm.getRowSpan(), 100);
  EXPECT_EQ(bm.getBits(), bits);
  EXPECT_FALSE(bm.resize(50, 50));
  EXPECT_TRUE(bm.resize(101, 50));
  EXPECT_EQ(bm.getRowSpan(), 104);
  EXPECT_EQ(bm.getWidth(), 101);
  ASSERT_NE(bm.getBits(), nullptr);
  EXPECT_EQ(SWELL_GetCtxFrameBuffer(bm.getDC()), bm.getBits());
  // The whole row span is writable.
  for (int i = 0; i < 104 * 50; ++i) bm.getBits()[i] = LICE_pixel(i);
}

TEST(SysBitmap, NonPositiveSizesHaveNoStorage)
{
  LICE_SysBitmap empty;
  EXPECT_EQ(empty.getBits(), nullptr);
  EXPECT_EQ(empty.getDC(), nullptr);

  LICE_SysBitmap bm(8, 8);
  // A negative width is not a shrink that keeps the context.
  EXPECT_FALSE(bm.resize(-4, 8));
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getDC(), nullptr);
  EXPECT_FALSE(bm.resize(2147483647, 1));
  EXPECT_EQ(bm.getBits(), nullptr);
}

TEST(SysBitmap, FailedContextLeavesEmptyBitmap)
{
  // 50000 x 50000 pixels is 10 GB: the context is refused and the bitmap reports 0 x 0.
  LICE_SysBitmap bm(50000, 50000);
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(bm.getHeight(), 0);
}

TEST(MemContext, RefusesBadSizes)
{
  EXPECT_EQ(SWELL_CreateMemContext(nullptr, 0, 5), nullptr);
  EXPECT_EQ(SWELL_CreateMemContext(nullptr, 5, -1), nullptr);
  EXPECT_EQ(SWELL_CreateMemContext(nullptr, 65536, 65536), nullptr);
  EXPECT_EQ(SWELL_GetCtxFrameBuffer(nullptr), nullptr);
  SWELL_DeleteGfxContext(nullptr);
  SWELL_ContextHolder holder(SWELL_CreateMemContext(nullptr, 3, 3));
  EXPECT_NE(SWELL_GetCtxFrameBuffer(holder.get()), nullptr);
}
