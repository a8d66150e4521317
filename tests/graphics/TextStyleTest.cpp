// Text styles: the font cache's key, the height a style's font is made at (checked against fonts
// made directly through the platform), colours per style on a shared font, the alpha flag, and
// measured rectangles against the font's own measure and the drawn ink.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "graphics/FontStorage.h"
#include "rasterizer/lice_cachedfont.h"
#include "rasterizer/lice_pixelops.h"
#include "tests/graphics/EditorTestKit.h"

namespace editor_test {
namespace {

constexpr LICE_pixel kPaper = 0xFFFFFFFFu;

using TextStyles = EditorTest;

// The line height of a font made directly at height h for the style's face and weight.
int DirectLineHeight(const IText& style, int h)
{
  LICE_CachedFont font;
  font.SetFromHFont(CreateFont(h, 0, 0, 0, style.mStyle == IText::kStyleBold ? FW_BOLD : FW_NORMAL, 0, 0, 0,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                               style.mFont),
                    LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_NATIVE);
  return font.GetLineHeight();
}

// The bounding box of the pixels that are not paper, or an empty rectangle.
IRECT InkBox(const Picture& picture)
{
  IRECT box(picture.w, picture.h, -1, -1);
  bool any = false;
  for (int y = 0; y < picture.h; ++y)
    for (int x = 0; x < picture.w; ++x)
    {
      if (picture.at(x, y) == kPaper) continue;
      any = true;
      box = IRECT(std::min(box.L, x), std::min(box.T, y), std::max(box.R, x + 1), std::max(box.B, y + 1));
    }
  return any ? box : IRECT();
}

TEST_F(TextStyles, EmptyTextDrawsNothingAndNeedsNoFont)
{
  LICE_Clear(editor->GetDrawBitmap(), kPaper);
  IText style(12, &COLOR_RED, "Empty Test Face");
  IRECT r(0, 0, 50, 20);
  const int fonts = s_fontCache.GetSize();
  EXPECT_TRUE(editor->DrawIText(&style, "", &r));
  EXPECT_TRUE(editor->DrawIText(&style, nullptr, &r));
  EXPECT_TRUE(editor->MeasureIText(&style, "", &r));
  EXPECT_EQ(r, IRECT(0, 0, 50, 20));
  EXPECT_EQ(s_fontCache.GetSize(), fonts);
  EXPECT_EQ(style.mCached, nullptr);
  EXPECT_TRUE(SamePixels(Drawn(), Picture(kWidth, kHeight, kPaper)));
}

TEST_F(TextStyles, StylesDifferingOnlyInColourAlignmentOrQualityShareOneFontAndDrawInTheirOwnColour)
{
  IText red(14, &COLOR_RED, "Monaco"), blue(14, &COLOR_BLUE, "Monaco", IText::kStyleNormal, IText::kAlignNear, 0,
                                              IText::kQualityAntiAliased);
  LICE_CachedFont* pFont = editor->CacheFont(&red);
  ASSERT_NE(pFont, nullptr);
  EXPECT_EQ(editor->CacheFont(&blue), pFont);
  EXPECT_EQ(red.mCached, pFont);
  EXPECT_EQ(pFont->GetFlags(), LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_NATIVE);
  // Any part of the key makes another font.
  IText bold(14, &COLOR_RED, "Monaco", IText::kStyleBold), bigger(15, &COLOR_RED, "Monaco"),
    turned(14, &COLOR_RED, "Monaco", IText::kStyleNormal, IText::kAlignCenter, 90), other(14, &COLOR_RED, "Courier");
  for (IText* pOther : {&bold, &bigger, &turned, &other}) EXPECT_NE(editor->CacheFont(pOther), pFont);
  // A face name filled in by hand without its terminator is keyed by its first 31 characters.
  IText unterminated(14, &COLOR_RED);
  memset(unterminated.mFont, 'M', FONT_LEN);
  LICE_CachedFont* pLong = editor->CacheFont(&unterminated);
  const int fonts = s_fontCache.GetSize();
  unterminated.mCached = nullptr;
  EXPECT_EQ(editor->CacheFont(&unterminated), pLong);
  EXPECT_EQ(s_fontCache.GetSize(), fonts);

  LICE_Clear(editor->GetDrawBitmap(), kPaper);
  IRECT left(0, 0, 60, 30), right(60, 0, 120, 30);
  EXPECT_TRUE(editor->DrawIText(&red, "HH", &left));
  EXPECT_TRUE(editor->DrawIText(&blue, "HH", &right));
  const Picture drawn = Drawn();
  int redInk = 0, blueInk = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < kWidth; ++x)
    {
      const LICE_pixel p = drawn.at(x, y);
      if (p == kPaper) continue;
      // Ink moves the paper towards the text colour: red keeps its red channel, blue its blue.
      if (x < 60)
      {
        EXPECT_EQ(LICE_GETR(p), 255u) << x << "," << y;
        ++redInk;
      }
      else
      {
        EXPECT_EQ(LICE_GETB(p), 255u) << x << "," << y;
        ++blueInk;
      }
    }
  EXPECT_GT(redInk, 20);
  EXPECT_GT(blueInk, 20);
}

TEST_F(TextStyles, AStyleIsMadeAtTheHeightThatScalesItsFaceToItsSize)
{
  for (const int size : {1, 7, 10, 13, 24})
  {
    IText style(size, &COLOR_BLACK, "Scaled Face Test");
    LICE_CachedFont* pFont = editor->CacheFont(&style);
    ASSERT_NE(pFont, nullptr) << size;
    // First attempt at max(size, 2); when its line height differs, once more at s^2 / height.
    const int first = std::max(size, 2);
    const int firstLine = DirectLineHeight(style, first);
    int expected = firstLine;
    if (firstLine != first)
    {
      const double sizeSquared = size < 2 ? 4.0 : double(size) * size;
      expected = DirectLineHeight(style, std::max(static_cast<int>(sizeSquared / firstLine + 0.5), 2));
    }
    EXPECT_EQ(pFont->GetLineHeight(), expected) << size;
  }
}

TEST_F(TextStyles, ATranslucentColourDrawsLighterInk)
{
  IText solid(16, &COLOR_BLACK, "Monaco");
  const IColor halfBlack(128, 0, 0, 0);
  IText half(16, &halfBlack, "Monaco");
  IRECT r(0, 0, kWidth, 30);
  LICE_Clear(editor->GetDrawBitmap(), kPaper);
  editor->DrawIText(&solid, "W", &r);
  const Picture full = Drawn();
  LICE_Clear(editor->GetDrawBitmap(), kPaper);
  editor->DrawIText(&half, "W", &r);
  const Picture light = Drawn();
  int darkest = 255, lightDarkest = 255;
  for (size_t i = 0; i < full.px.size(); ++i)
  {
    darkest = std::min(darkest, int(LICE_GETG(full.px[i])));
    lightDarkest = std::min(lightDarkest, int(LICE_GETG(light.px[i])));
    // Same ink coverage: translucent ink only where solid ink is.
    if (full.px[i] == kPaper)
    {
      EXPECT_EQ(light.px[i], kPaper);
    }
  }
  EXPECT_LT(darkest, 40);
  EXPECT_GT(lightDarkest, 100);
  EXPECT_LT(lightDarkest, 200);
}

TEST_F(TextStyles, MeasuredRectanglesHaveTheFontsExtentPlacedByTheAlignment)
{
  const char* text = "Gain 12 dB";
  for (const IText::EAlign align : {IText::kAlignNear, IText::kAlignCenter, IText::kAlignFar})
  {
    IText style(13, &COLOR_BLACK, "Monaco", IText::kStyleNormal, align);
    LICE_CachedFont* pFont = editor->CacheFont(&style);
    ASSERT_NE(pFont, nullptr);
    RECT extent = {0, 0, 0, 0};
    pFont->DrawText(nullptr, text, -1, &extent, DT_CALCRECT | DT_NOCLIP);
    const int w = extent.right, h = extent.bottom;
    ASSERT_GT(w, 20);
    ASSERT_GT(h, 8);

    IRECT measured(11, 20, 111, 40);
    EXPECT_TRUE(editor->MeasureIText(&style, text, &measured));
    const IRECT expected = align == IText::kAlignNear     ? IRECT(11, 20, 11 + w, 20 + h)
                           : align == IText::kAlignCenter ? IRECT(61 - w / 2, 20, 61 - w / 2 + w, 20 + h)
                                                          : IRECT(111 - w, 20, 111, 20 + h);
    EXPECT_EQ(measured, expected) << align;

    // The ink of the drawn text lies inside the measured rectangle.
    LICE_Clear(editor->GetDrawBitmap(), kPaper);
    IRECT box(11, 20, 111, 40);
    EXPECT_TRUE(editor->DrawIText(&style, text, &box));
    const IRECT ink = InkBox(Drawn());
    EXPECT_FALSE(ink.Empty());
    EXPECT_GE(ink.L, measured.L - 1) << align;
    EXPECT_LE(ink.R, measured.R + 1) << align;
    EXPECT_GE(ink.T, measured.T) << align;
    EXPECT_LE(ink.B, measured.B) << align;
  }
}

} // namespace
} // namespace editor_test
