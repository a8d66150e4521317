// The editor's plain records: rectangle rules against pixel sets, colour packing, the blend
// translation table and text style defaults.

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "graphics/IGraphicsStructs.h"
#include "rasterizer/lice_combine.h"

namespace {

IRECT RandomRect(std::mt19937& rng)
{
  std::uniform_int_distribution<int> coord(-3, 12), kind(0, 9);
  if (kind(rng) == 0) return IRECT();
  const int l = coord(rng), t = coord(rng);
  std::uniform_int_distribution<int> size(0, 8);
  return IRECT(l, t, l + size(rng), t + size(rng));
}

// Whether some pixel lies in both, counted pixel by pixel.
bool PixelsOverlap(const IRECT& a, const IRECT& b)
{
  for (int y = -4; y < 24; ++y)
    for (int x = -4; x < 24; ++x)
      if (a.Contains(x, y) && b.Contains(x, y)) return true;
  return false;
}

TEST(IRECT, ContainsIsTheHalfOpenPixelSetAndNothingForTheEmptyRectangle)
{
  const IRECT r(2, 3, 5, 7);
  int inside = 0;
  for (int y = -2; y < 10; ++y)
    for (int x = -2; x < 10; ++x) inside += r.Contains(x, y);
  EXPECT_EQ(inside, 3 * 4);
  EXPECT_TRUE(r.Contains(2, 3));
  EXPECT_TRUE(r.Contains(4, 6));
  EXPECT_FALSE(r.Contains(5, 6));
  EXPECT_FALSE(r.Contains(4, 7));
  EXPECT_FALSE(IRECT().Contains(0, 0));
  // Only (0, 0, 0, 0) is empty: a zero-size rectangle elsewhere is not.
  EXPECT_TRUE(IRECT().Empty());
  EXPECT_FALSE(IRECT(5, 5, 5, 5).Empty());
  EXPECT_EQ(IRECT(1, 2, 11, 7).MW(), 6.0f);
  EXPECT_EQ(IRECT(1, 2, 11, 7).MH(), 4.5f);
}

TEST(IRECT, RectanglesSharingAnEdgeIntersectAndTheirOverlapIsEmptySized)
{
  const IRECT left(0, 0, 10, 10), right(10, 0, 20, 10), below(0, 10, 10, 20), apart(11, 0, 20, 10);
  EXPECT_TRUE(left.Intersects(&right));
  EXPECT_TRUE(left.Intersects(&below));
  EXPECT_FALSE(left.Intersects(&apart));
  const IRECT edge = left.Intersect(&right);
  EXPECT_EQ(edge, IRECT(10, 0, 10, 10));
  EXPECT_EQ(edge.W(), 0);
  EXPECT_FALSE(IRECT().Intersects(&left));
  const IRECT empty;
  EXPECT_FALSE(left.Intersects(&empty));
  EXPECT_EQ(left.Intersect(&apart), IRECT());
}

TEST(IRECT, IntersectAndUnionAgreeWithPixelSetsOverRandomRectangles)
{
  std::mt19937 rng(1234);
  for (int i = 0; i < 3000; ++i)
  {
    const IRECT a = RandomRect(rng), b = RandomRect(rng);
    const bool overlap = PixelsOverlap(a, b);
    // Sharing a pixel always intersects, both ways.
    if (overlap)
    {
      EXPECT_TRUE(a.Intersects(&b) && b.Intersects(&a)) << i;
    }
    const IRECT both = a.Intersect(&b);
    const IRECT either = a.Union(&b);
    for (int y = -4; y < 24; ++y)
    {
      for (int x = -4; x < 24; ++x)
      {
        ASSERT_EQ(both.Contains(x, y), a.Contains(x, y) && b.Contains(x, y)) << i << " at " << x << "," << y;
        if (a.Contains(x, y) || b.Contains(x, y))
        {
          ASSERT_TRUE(either.Contains(x, y)) << i;
        }
      }
    }
    if (!a.Empty() && !b.Empty())
    {
      EXPECT_EQ(either.L, std::min(a.L, b.L));
      EXPECT_EQ(either.B, std::max(a.B, b.B));
    }
    EXPECT_EQ(IRECT().Union(&a), a);
    const IRECT none;
    EXPECT_EQ(a.Union(&none), a);
  }
}

TEST(IColor, PacksChannelsIntoThePixelTakingTheLowEightBits)
{
  EXPECT_EQ(IColor(255, 1, 2, 3).Packed(), 0xFF010203u);
  EXPECT_EQ(IColor(0x1FF, 0x102, 0x203, 0x304).Packed(), 0xFF020304u);
  EXPECT_EQ(IColor::FromPacked(0x80C0E0F0u), IColor(0x80, 0xC0, 0xE0, 0xF0));
  EXPECT_EQ(COLOR_ORANGE.Packed(), 0xFFFF7F00u);
  EXPECT_EQ(COLOR_GRAY.Packed(), 0xFF7F7F7Fu);
  EXPECT_EQ(COLOR_TRANSPARENT.Packed(), 0u);
  EXPECT_EQ(DEFAULT_TEXT_COLOR, IColor(255, 0, 0, 0));
  EXPECT_EQ(DEFAULT_TEXT_ENTRY_BGCOLOR, COLOR_WHITE);
}

TEST(IChannelBlend, TranslatesToRasteriserModesWithUnknownAndAbsentAsDefault)
{
  const IChannelBlend def(IChannelBlend::kBlendDefault), rep(IChannelBlend::kBlendReplace, 0.5f),
    add(IChannelBlend::kBlendAdditive), dodge(IChannelBlend::kBlendDodge),
    odd(static_cast<IChannelBlend::EBlendMethod>(17), 0.75f);
  EXPECT_EQ(BlendMode(&def), 0x10000);
  EXPECT_EQ(BlendMode(&rep), 0x0);
  EXPECT_EQ(BlendMode(&add), 0x10001);
  EXPECT_EQ(BlendMode(&dodge), 0x10002);
  EXPECT_EQ(BlendMode(&odd), 0x10000);
  EXPECT_EQ(BlendMode(nullptr), 0x10000);
  EXPECT_EQ(BlendWeight(nullptr), 1.0f);
  EXPECT_EQ(BlendWeight(&rep), 0.5f);
  EXPECT_EQ(BlendWeight(&odd), 0.75f);
}

TEST(IText, DefaultsToTheControlStyleAndCutsLongFaceNames)
{
  const IText style;
  EXPECT_STREQ(style.mFont, "Monaco");
  EXPECT_EQ(style.mSize, 10);
  EXPECT_EQ(style.mColor, DEFAULT_TEXT_COLOR);
  EXPECT_EQ(style.mTextEntryBGColor, DEFAULT_TEXT_ENTRY_BGCOLOR);
  EXPECT_EQ(style.mTextEntryFGColor, DEFAULT_TEXT_ENTRY_FGCOLOR);
  EXPECT_EQ(style.mStyle, IText::kStyleNormal);
  EXPECT_EQ(style.mAlign, IText::kAlignCenter);
  EXPECT_EQ(style.mOrientation, 0);
  EXPECT_EQ(style.mQuality, IText::kQualityDefault);
  EXPECT_EQ(style.mCached, nullptr);

  const char* longName = "An Extraordinarily Long Face Name Of Fifty Characters";
  const IText cut(12, &COLOR_RED, longName);
  EXPECT_EQ(strlen(cut.mFont), size_t(FONT_LEN - 1));
  EXPECT_EQ(strncmp(cut.mFont, longName, FONT_LEN - 1), 0);
  EXPECT_EQ(cut.mColor, COLOR_RED);
}

TEST(IBitmap, FrameSizeFollowsOrientationAndTreatsMissingFramesAsOne)
{
  const IBitmap vertical(nullptr, 100, 3100, 31), horizontal(nullptr, 300, 40, 3, true), none(nullptr, 10, 20, 0);
  EXPECT_EQ(vertical.FrameWidth(), 100);
  EXPECT_EQ(vertical.FrameHeight(), 100);
  EXPECT_EQ(horizontal.FrameWidth(), 100);
  EXPECT_EQ(horizontal.FrameHeight(), 40);
  EXPECT_EQ(none.FrameHeight(), 20);
  EXPECT_EQ(IRECT(5, 6, &vertical), IRECT(5, 6, 105, 106));
}

} // namespace
