#include <gtest/gtest.h>

#include <cmath>

#include "rasterizer/lice_combine.h"

namespace
{
// Runs one formula class on a destination pixel given as (r, g, b, a) and returns the result.
template <class T>
LICE_pixel apply(LICE_pixel dest, int r, int g, int b, int a, int w)
{
  T::doPix(reinterpret_cast<LICE_pixel_chan*>(&dest), r, g, b, a, w);
  return dest;
}
constexpr LICE_pixel grey(unsigned v, unsigned a) { return LICE_RGBA(v, v, v, a); }
} // namespace

TEST(OpacityWeight, TruncatesTowardZeroAndHoldsRange)
{
  EXPECT_EQ(LICE_OpacityWeight(1.0f), 256);
  EXPECT_EQ(LICE_OpacityWeight(0.5f), 128);
  EXPECT_EQ(LICE_OpacityWeight(0.999f), 255);
  EXPECT_EQ(LICE_OpacityWeight(0.003f), 0);
  EXPECT_EQ(LICE_OpacityWeight(-0.5f), -128);
  EXPECT_EQ(LICE_OpacityWeight(7.0f), 256);
  EXPECT_EQ(LICE_OpacityWeight(-1e30f), -256);
  EXPECT_EQ(LICE_OpacityWeight(std::nanf("")), 0);
}

TEST(CombinePixelsCopy, HalfWeightRoundsTowardZero)
{
  // 255 over 0: 255 + (-32640 / 256) = 255 - 127 = 128; 0 over 255: 0 + 32640 / 256 = 127.
  EXPECT_EQ(apply<_LICE_CombinePixelsCopyNoClamp>(grey(0, 0), 255, 255, 255, 255, 128), grey(128, 128));
  EXPECT_EQ(apply<_LICE_CombinePixelsCopyNoClamp>(grey(255, 255), 0, 0, 0, 0, 128), grey(127, 127));
}

TEST(CombinePixelsCopy, ClampVariantHoldsOutOfRangeSources)
{
  EXPECT_EQ(apply<_LICE_CombinePixelsCopyClamp>(grey(0, 0), 400, -20, 255, 255, 256), LICE_RGBA(255, 0, 255, 255));
  EXPECT_EQ(apply<_LICE_CombinePixelsClobberClamp>(grey(9, 9), 300, -1, 17, 256, 256), LICE_RGBA(255, 0, 17, 255));
  // The unclamped overwrite keeps only the low 8 bits.
  EXPECT_EQ(apply<_LICE_CombinePixelsClobberNoClamp>(grey(9, 9), 0x1AB, 1, 2, 3, 256), LICE_RGBA(0xAB, 1, 2, 3));
}

TEST(CombinePixelsAdd, ClampsAtWhite)
{
  EXPECT_EQ(apply<_LICE_CombinePixelsAdd>(grey(200, 200), 100, 100, 100, 100, 256), grey(255, 255));
  // 10 + (100 * 128) / 256 = 60.
  EXPECT_EQ(apply<_LICE_CombinePixelsAdd>(grey(10, 10), 100, 100, 100, 100, 128), grey(60, 60));
}

TEST(CombinePixelsColorDodge, FullSourceSaturatesNonZero)
{
  EXPECT_EQ(apply<_LICE_CombinePixelsColorDodge>(LICE_RGBA(1, 0, 200, 0), 255, 255, 255, 255, 256),
            LICE_RGBA(255, 0, 255, 0));
  // k = 128: 100 * 256 / 128 = 200.
  EXPECT_EQ(apply<_LICE_CombinePixelsColorDodge>(grey(100, 100), 128, 128, 128, 128, 256), grey(200, 200));
}

TEST(CombinePixelsMul, WhiteDarkensByOneStep)
{
  // ((255 * 256) * d) >> 16 = d - 1 for d >= 1.
  EXPECT_EQ(apply<_LICE_CombinePixelsMulNoClamp>(LICE_RGBA(1, 100, 255, 0), 255, 255, 255, 255, 256),
            LICE_RGBA(0, 99, 254, 0));
  EXPECT_EQ(apply<_LICE_CombinePixelsMulNoClamp>(LICE_RGBA(1, 100, 255, 7), 0, 0, 0, 0, 0),
            LICE_RGBA(1, 100, 255, 7));
  // Black at half weight: (128 * 256 * 200) >> 16 = 100.
  EXPECT_EQ(apply<_LICE_CombinePixelsMulNoClamp>(grey(200, 200), 0, 0, 0, 0, 128), grey(100, 100));
}

TEST(CombinePixelsMul, ClampVariantSaturatesProduct)
{
  // Source 300 at full weight: 300 * 256 * 255 = 19584000 >= 2^24 -> 255; negative source -> 0.
  EXPECT_EQ(apply<_LICE_CombinePixelsMulClamp>(grey(255, 255), 300, -5, 255, 255, 256), LICE_RGBA(255, 0, 254, 254));
}

TEST(CombinePixelsOverlay, ZeroWeightKeepsDestination)
{
  EXPECT_EQ(apply<_LICE_CombinePixelsOverlay>(LICE_RGBA(0, 77, 128, 255), 255, 0, 31, 200, 0),
            LICE_RGBA(0, 77, 128, 255));
  // s = 255, w = 256, d = 128: t = 65280, v = ((-32512 * 128) / 256 + 65280) * 128 = 6275072 -> 191.
  EXPECT_EQ(apply<_LICE_CombinePixelsOverlay>(grey(128, 128), 255, 255, 255, 255, 256), grey(191, 191));
}

TEST(CombinePixelsHSVAdjust, NeutralSourceKeepsPureRed)
{
  EXPECT_EQ(apply<_LICE_CombinePixelsHSVAdjust>(LICE_RGBA(255, 0, 0, 10), 128, 128, 128, 99, 256),
            LICE_RGBA(255, 0, 0, 99));
}

TEST(CombinePixelsHSVAdjust, HueAndValueMove)
{
  // r = 192 turns the hue by 96 steps: sector 64-127, red = (255 * (16384 - 32 * 255)) / 16384 = 127.
  EXPECT_EQ(apply<_LICE_CombinePixelsHSVAdjust>(LICE_RGBA(255, 0, 0, 255), 192, 128, 128, 255, 256),
            LICE_RGBA(127, 255, 0, 255));
  // b = 255 lifts the value of a grey by 254 to white.
  EXPECT_EQ(apply<_LICE_CombinePixelsHSVAdjust>(grey(100, 255), 128, 128, 255, 255, 256), grey(255, 255));
}

TEST(CombinePixelsHSVAdjust, InverseTableMatchesReciprocals)
{
  EXPECT_EQ(_LICE_RGB2HSV_invtab[0], 0);
  EXPECT_EQ(_LICE_RGB2HSV_invtab[1], 65535);
  EXPECT_EQ(_LICE_RGB2HSV_invtab[2], 32767);
  EXPECT_EQ(_LICE_RGB2HSV_invtab[3], 21844);
  EXPECT_EQ(_LICE_RGB2HSV_invtab[4], 16383);
  EXPECT_EQ(_LICE_RGB2HSV_invtab[255], 256);
}

TEST(CombinePixelsSourceAlpha, TransparentSourceNeverChangesDestination)
{
  const LICE_pixel d = LICE_RGBA(10, 20, 30, 40);
  EXPECT_EQ(apply<_LICE_CombinePixelsCopySourceAlphaNoClamp>(d, 255, 255, 255, 0, 200), d);
  EXPECT_EQ(apply<_LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(d, 255, 255, 255, 0, 256), d);
  EXPECT_EQ(apply<_LICE_CombinePixelsAddSourceAlpha>(d, 255, 255, 255, 0, 256), d);
  EXPECT_EQ(apply<_LICE_CombinePixelsMulSourceAlphaNoClamp>(d, 0, 0, 0, 0, 256), d);
}

TEST(CombinePixelsSourceAlpha, OpaqueSourceAtFullWeightReplaces)
{
  EXPECT_EQ(apply<_LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(LICE_RGBA(1, 2, 3, 4), 9, 8, 7, 255, 256),
            LICE_RGBA(9, 8, 7, 255));
}

TEST(CombinePixelsSourceAlpha, PartialAlphaBlendsAndAccumulates)
{
  // sa = 128, m = 127: 200 + ((0 - 200) * 127) / 256 = 200 - 99 = 101; alpha min(100 + 128, 255).
  EXPECT_EQ(apply<_LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(LICE_RGBA(0, 0, 0, 100), 200, 200, 200,
                                                                           128, 256),
            LICE_RGBA(101, 101, 101, 228));
  // w = 128, sa = 255: w' = 128, so the colour mixes half-way and alpha gains 128.
  EXPECT_EQ(apply<_LICE_CombinePixelsCopySourceAlphaNoClamp>(LICE_RGBA(0, 0, 0, 0), 255, 255, 255, 255, 128),
            LICE_RGBA(128, 128, 128, 128));
  // ColorDodge does not skip sa = 0: w' = 256 / 256 = 1, k = 0 leaves d.
  EXPECT_EQ(apply<_LICE_CombinePixelsColorDodgeSourceAlpha>(grey(50, 50), 255, 255, 255, 0, 256), grey(50, 50));
}

TEST(CombinePixelsFast, MixersLoseLowBits)
{
  LICE_pixel p = 0x01010101u;
  _LICE_CombinePixelsHalfMixFAST::doPix(&p, _LICE_CombinePixelsHalfMixFAST::prepare(0x01010101u));
  EXPECT_EQ(p, 0u);
  EXPECT_EQ(apply<_LICE_CombinePixelsHalfMixNoClamp>(0x01010101u, 1, 1, 1, 1, 128), 0x01010101u);

  LICE_pixel q = 0;
  _LICE_CombinePixelsQuarterMix2FAST::doPix(&q, _LICE_CombinePixelsQuarterMix2FAST::prepare(0xFFFFFFFFu));
  EXPECT_EQ(q, 0x3F3F3F3Fu);
  q = 0;
  _LICE_CombinePixelsThreeQuarterMix2FAST::doPix(&q, _LICE_CombinePixelsThreeQuarterMix2FAST::prepare(0xFFFFFFFFu));
  EXPECT_EQ(q, 0xBEBEBEBEu);
  q = 0;
  _LICE_CombinePixelsHalfMix2FAST::doPix(&q, _LICE_CombinePixelsHalfMix2FAST::prepare(0xFFFFFFFFu));
  EXPECT_EQ(q, 0x7F7F7F7Fu);
}

TEST(CombinePixels, DispatchesLikeImageBlits)
{
  const LICE_pixel d = LICE_RGBA(10, 20, 30, 40), s = LICE_RGBA(200, 100, 50, 0);
  EXPECT_EQ(LICE_CombinePixels(d, s, 1.0f, LICE_BLIT_MODE_COPY), s);
  EXPECT_EQ(LICE_CombinePixels(d, s, 0.0f, LICE_BLIT_MODE_COPY), d);
  EXPECT_EQ(LICE_CombinePixels(d, s, 1.0f, 6), d);
  EXPECT_EQ(LICE_CombinePixels(d, s, 1.0f, 0x10006), d);
  // Bits above the source-alpha flag are not part of the key.
  EXPECT_EQ(LICE_CombinePixels(d, s, 1.0f, 0x20000), s);
  // Source alpha 0 with the flag: unchanged.
  EXPECT_EQ(LICE_CombinePixels(d, s, 1.0f, LICE_BLIT_USE_ALPHA), d);
  // The filter bits play no part.
  EXPECT_EQ(LICE_CombinePixels(d, s, 1.0f, LICE_BLIT_FILTER_BILINEAR), s);
}

TEST(CombinePixels, NegativeWeightCopiesNothing)
{
  LICE_pixel p = LICE_RGBA(1, 2, 3, 4);
  LICE_CombinePixels2(&p, 255, 255, 255, 255, -100, LICE_BLIT_MODE_COPY);
  LICE_CombinePixels2(&p, 255, 255, 255, 255, -100, LICE_BLIT_MODE_COPY | LICE_BLIT_USE_ALPHA);
  EXPECT_EQ(p, LICE_RGBA(1, 2, 3, 4));
  // Add with a negative weight subtracts: 100 + (50 * -128) / 256 = 75.
  p = grey(100, 100);
  LICE_CombinePixels2(&p, 50, 50, 50, 50, -128, LICE_BLIT_MODE_ADD);
  EXPECT_EQ(p, grey(75, 75));
}

TEST(CombinePixels2Clamp, ClampsInputsAndUsesClampedFormulas)
{
  LICE_pixel p = 0;
  LICE_CombinePixels2Clamp(&p, 300, -7, 128, 999, 256, LICE_BLIT_MODE_COPY);
  EXPECT_EQ(p, LICE_RGBA(255, 0, 128, 255));
  p = grey(255, 255);
  LICE_CombinePixels2Clamp(&p, 255, 255, 255, 255, 256, LICE_BLIT_MODE_MUL);
  EXPECT_EQ(p, grey(254, 254));
  // Without clamping, an out-of-range channel only keeps its low byte.
  p = 0;
  LICE_CombinePixels2(&p, 0x101, 0, 0, 0, 256, LICE_BLIT_MODE_COPY);
  EXPECT_EQ(p, LICE_RGBA(1, 0, 0, 0));
}
