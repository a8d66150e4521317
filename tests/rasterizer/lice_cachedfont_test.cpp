#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/gdi/swell_context.h"
#include "rasterizer/lice_cachedfont.h"
#include "rasterizer/lice_membitmap.h"
#include "rasterizer/lice_pixelops.h"
#include "rasterizer/lice_sysbitmap.h"
#include "tests/platform/text_test_support.h"
#include "tests/rasterizer/guarded_bitmap.h"

namespace
{
constexpr LICE_pixel kPaper = 0xFFE8E4E0u;
constexpr unsigned kAlignments[] = {0, DT_CENTER, DT_RIGHT};

class LICE_CachedFontTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { PinDejaVuFaces(); }
};

// A font as the editor makes one: owning its handle, drawing natively.
void Editorial(LICE_CachedFont& font, int height) { font.SetFromHFont(MakeFont(height), 0x600); }

std::vector<LICE_pixel> Pixels(LICE_IBitmap& bm)
{
  std::vector<LICE_pixel> out;
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) out.push_back(LICE_GetPixel(&bm, x, y));
  return out;
}
} // namespace

TEST_F(LICE_CachedFontTest, StartsEmptyAndStoresItsSettings)
{
  LICE_CachedFont font;
  EXPECT_EQ(0u, font.GetTextColor());
  EXPECT_EQ(0xFFFFFFFFu, font.GetBkColor());
  EXPECT_EQ(0xFFFFFFFFu, font.GetEffectColor());
  EXPECT_EQ(0, font.GetBkMode());
  EXPECT_EQ(0, font.GetCombineMode());
  EXPECT_EQ(1.0f, font.GetCombineAlpha());
  EXPECT_EQ(0, font.GetFlags());
  EXPECT_EQ(0, font.GetLineHeight());
  EXPECT_EQ(nullptr, font.GetHFont());
  font.SetTextColor(0x80123456);
  font.SetBkColor(1);
  font.SetEffectColor(2);
  font.SetBkMode(OPAQUE);
  font.SetCombineMode(LICE_BLIT_MODE_ADD, 0.25f);
  EXPECT_EQ(0x80123456u, font.GetTextColor());
  EXPECT_EQ(1u, font.GetBkColor());
  EXPECT_EQ(2u, font.GetEffectColor());
  EXPECT_EQ(OPAQUE, font.GetBkMode());
  EXPECT_EQ(LICE_BLIT_MODE_ADD, font.GetCombineMode());
  EXPECT_EQ(0.25f, font.GetCombineAlpha());
  RECT r = {0, 0, 10, 10};
  LICE_MemBitmap bm(10, 10);
  EXPECT_EQ(0, font.DrawText(&bm, "no handle", -1, &r, 0));
  EXPECT_EQ(0, font.DrawGlyph(&bm, 'x', 0, 0, nullptr));
}

TEST_F(LICE_CachedFontTest, SetFromHFontDeletesAnOwnedOldHandleOnceAndNeverTheSameOne)
{
  // Contexts keep the handles alive after they are deleted, so the deletion can be seen.
  TestContext holdA(1, 1), holdB(1, 1);
  HFONT a = MakeFont(12), b = MakeFont(14);
  SelectObject(holdA.dc(), a);
  SelectObject(holdB.dc(), b);
  {
    LICE_CachedFont font;
    font.SetFromHFont(a, LICE_FONT_FLAG_OWNS_HFONT);
    font.SetFromHFont(a, LICE_FONT_FLAG_OWNS_HFONT);
    EXPECT_FALSE(a->deleted) << "setting the same handle again keeps it";
    EXPECT_EQ(12, font.GetLineHeight());
    font.SetFromHFont(b, 0);
    EXPECT_TRUE(a->deleted) << "an owned handle goes when replaced";
    EXPECT_EQ(14, font.GetLineHeight());
    font.SetFromHFont(nullptr, LICE_FONT_FLAG_OWNS_HFONT);
    EXPECT_FALSE(b->deleted) << "a handle that was not owned stays";
    EXPECT_EQ(0, font.GetLineHeight());
  }
  EXPECT_FALSE(b->deleted);
  {
    LICE_CachedFont owner;
    owner.SetFromHFont(b, LICE_FONT_FLAG_OWNS_HFONT);
  }
  EXPECT_TRUE(b->deleted) << "the destructor deletes an owned handle";
}

TEST_F(LICE_CachedFontTest, LineHeightIsTheHandlesAndTheLiveCountFollowsTheFonts)
{
  const int before = LICE_CachedFont::LiveFontCount();
  {
    std::vector<std::unique_ptr<LICE_CachedFont>> fonts;
    for (int h : {1, 2, 10, 14, 24})
    {
      fonts.emplace_back(new LICE_CachedFont);
      Editorial(*fonts.back(), h);
      EXPECT_EQ(h, fonts.back()->GetLineHeight());
    }
    EXPECT_EQ(before + 5, LICE_CachedFont::LiveFontCount());
  }
  EXPECT_EQ(before, LICE_CachedFont::LiveFontCount());
}

TEST_F(LICE_CachedFontTest, MeasuringNeedsNoBitmapAndDrawsNothing)
{
  for (int flags : {0x600, int(LICE_FONT_FLAG_OWNS_HFONT)})
  {
    LICE_CachedFont font;
    font.SetFromHFont(MakeFont(14), flags);
    RECT r = {5, 7, 5, 7};
    EXPECT_EQ(14, font.DrawText(nullptr, "Measure me", -1, &r, DT_CALCRECT | DT_CENTER));
    EXPECT_EQ(5, r.left);
    EXPECT_EQ(7 + 14, r.bottom);
    TestContext ctx(10, 10);
    SelectObject(ctx.dc(), font.GetHFont());
    EXPECT_EQ(5 + Measure(ctx.dc(), "Measure me").right, r.right);
    SelectObject(ctx.dc(), nullptr);
    RECT d = {0, 0, 100, 20};
    EXPECT_EQ(0, font.DrawText(nullptr, "Measure me", -1, &d, 0));
  }
}

TEST_F(LICE_CachedFontTest, EveryPathPutsTheSameInkOnTheSamePixels)
{
  const std::string label = "Gain 12.5 dB AVAW fi \xC5\xA4\xC3\xA7\xC5\xBE\xE2\x82\xAC";
  for (int height : {10, 14, 24})
    for (unsigned align : kAlignments)
      for (int bgmode : {TRANSPARENT, OPAQUE})
      {
        LICE_CachedFont native, glyphs;
        Editorial(native, height);
        glyphs.SetFromHFont(MakeFont(height), LICE_FONT_FLAG_OWNS_HFONT);
        for (LICE_CachedFont* f : {&native, &glyphs})
        {
          f->SetTextColor(0xFF203040);
          f->SetBkMode(bgmode);
          f->SetBkColor(0xFFC0D0E0);
        }
        LICE_SysBitmap withContext(300, 60);
        LICE_MemBitmap withoutContext(300, 60);
        LICE_SysBitmap fromGlyphs(300, 60);
        for (LICE_IBitmap* bm : {(LICE_IBitmap*)&withContext, (LICE_IBitmap*)&withoutContext, (LICE_IBitmap*)&fromGlyphs})
          LICE_Clear(bm, kPaper);
        const RECT rect = {10, 10, 290, 50};
        RECT r1 = rect, r2 = rect, r3 = rect;
        EXPECT_EQ(height, native.DrawText(&withContext, label.c_str(), -1, &r1, align | DT_VCENTER));
        EXPECT_EQ(height, native.DrawText(&withoutContext, label.c_str(), -1, &r2, align | DT_VCENTER));
        EXPECT_EQ(height, glyphs.DrawText(&fromGlyphs, label.c_str(), -1, &r3, align | DT_VCENTER));
        const std::vector<LICE_pixel> reference = Pixels(withContext);
        EXPECT_GT(std::count_if(reference.begin(), reference.end(), [](LICE_pixel p) { return p != kPaper; }), 100);
        EXPECT_EQ(reference, Pixels(withoutContext)) << height << " " << align << " " << bgmode;
        EXPECT_EQ(reference, Pixels(fromGlyphs)) << height << " " << align << " " << bgmode;
      }
}

TEST_F(LICE_CachedFontTest, TheNativePathIgnoresTheTextColoursAlpha)
{
  LICE_CachedFont font;
  Editorial(font, 14);
  LICE_SysBitmap opaque(160, 24), clear(160, 24);
  LICE_Clear(&opaque, kPaper);
  LICE_Clear(&clear, kPaper);
  RECT r = {0, 0, 160, 24};
  font.SetTextColor(0xFF336699);
  font.DrawText(&opaque, "Alpha ignored", -1, &r, DT_NOCLIP);
  font.SetTextColor(0x00336699);
  font.DrawText(&clear, "Alpha ignored", -1, &r, DT_NOCLIP);
  EXPECT_EQ(Pixels(opaque), Pixels(clear));
  EXPECT_NE(std::vector<LICE_pixel>(160 * 24, kPaper), Pixels(opaque));
}

TEST_F(LICE_CachedFontTest, GlyphsBlendByTheCombineModeAlphaAndForegroundAlpha)
{
  // Coverage, read back from white text drawn natively on black.
  LICE_CachedFont native, glyphs;
  Editorial(native, 16);
  glyphs.SetFromHFont(MakeFont(16), LICE_FONT_FLAG_OWNS_HFONT);
  const char* label = "Overdrive";
  LICE_SysBitmap coverage(120, 24);
  LICE_Clear(&coverage, 0xFF000000u);
  native.SetTextColor(0xFFFFFFFF);
  RECT r = {4, 2, 116, 22};
  native.DrawText(&coverage, label, -1, &r, 0);

  const LICE_pixel base = 0x80604020u, colour = 0xFF30A0F0u;
  struct Case
  {
    float alpha;
    unsigned flags;
    LICE_pixel fg;
    int ia; // the weight worked out by hand
  } cases[] = {{0.5f, 0, colour, 128}, {1.0f, LICE_DT_USEFGALPHA, (colour & 0xFFFFFF) | 0x80000000u, 128},
               {0.5f, LICE_DT_USEFGALPHA, (colour & 0xFFFFFF) | 0x80000000u, 64}};
  for (const Case& c : cases)
  {
    LICE_MemBitmap bm(120, 24);
    LICE_Clear(&bm, base);
    glyphs.SetTextColor(c.fg);
    glyphs.SetCombineMode(LICE_BLIT_MODE_ADD, c.alpha);
    RECT rr = r;
    glyphs.DrawText(&bm, label, -1, &rr, c.flags);
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 120; ++x)
      {
        const int m = int(LICE_GETG(LICE_GetPixel(&coverage, x, y)));
        const int w = c.ia * m / 255;
        LICE_pixel want = base;
        if (w > 0)
        {
          // Add, per channel: d + s * w / 256, held to 255; alpha takes the colour's alpha byte.
          auto add = [w](unsigned d, unsigned s) { return std::min(255u, d + s * unsigned(w) / 256u); };
          want = LICE_RGBA(add(LICE_GETR(base), LICE_GETR(c.fg)), add(LICE_GETG(base), LICE_GETG(c.fg)),
                           add(LICE_GETB(base), LICE_GETB(c.fg)), add(LICE_GETA(base), LICE_GETA(c.fg)));
        }
        ASSERT_EQ(want, LICE_GetPixel(&bm, x, y)) << x << "," << y << " alpha " << c.alpha;
      }
  }
}

TEST_F(LICE_CachedFontTest, EffectsDrawInTheEffectColourAndMonoInTwoValues)
{
  LICE_CachedFont plain, shadow, mono;
  plain.SetFromHFont(MakeFont(18), LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_FX_MONO);
  shadow.SetFromHFont(MakeFont(18), LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_FX_MONO | LICE_FONT_FLAG_FX_SHADOW);
  mono.SetFromHFont(MakeFont(18), LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_FX_MONO | LICE_FONT_FLAG_NATIVE);
  for (LICE_CachedFont* f : {&plain, &shadow, &mono})
  {
    f->SetTextColor(0xFF000000u);
    f->SetEffectColor(0xFFFF0000u);
  }
  LICE_MemBitmap a(100, 30), b(100, 30), c(100, 30);
  for (LICE_IBitmap* bm : {(LICE_IBitmap*)&a, (LICE_IBitmap*)&b, (LICE_IBitmap*)&c}) LICE_Clear(bm, 0xFFFFFFFFu);
  RECT r = {5, 5, 95, 25};
  plain.DrawText(&a, "Il", -1, &r, 0);
  shadow.DrawText(&b, "Il", -1, &r, 0);
  mono.DrawText(&c, "Il", -1, &r, 0);
  // The shadow shows red where the glyph moved one pixel down and right has ink and the glyph
  // itself has none.
  int red = 0;
  for (int y = 1; y < 30; ++y)
    for (int x = 1; x < 100; ++x)
      if (LICE_GetPixel(&a, x, y) == 0xFFFFFFFFu && LICE_GetPixel(&a, x - 1, y - 1) == 0xFF000000u)
      {
        EXPECT_EQ(0xFFFF0000u, LICE_GetPixel(&b, x, y)) << x << "," << y;
        ++red;
      }
  EXPECT_GT(red, 10);
  std::set<LICE_pixel> values;
  for (LICE_pixel p : Pixels(c)) values.insert(p);
  EXPECT_EQ((std::set<LICE_pixel>{0xFFFFFFFFu, 0xFF000000u}), values);
}

TEST_F(LICE_CachedFontTest, DrawGlyphPlacesOneCharacterInItsCellAndReturnsItsAdvance)
{
  LICE_CachedFont font;
  font.SetFromHFont(MakeFont(20), LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_PRERENDER);
  font.SetTextColor(0xFF000000u);
  GuardedBitmap bm(60, 40);
  RECT m = {0, 0, 0, 0};
  font.DrawText(nullptr, "W", -1, &m, DT_CALCRECT);
  EXPECT_EQ(m.right, font.DrawGlyph(&bm, 'W', 10, 8, nullptr));
  int l = 60, t = 40, r = 0, b = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x)
      if (bm.px(x, y)) l = std::min(l, x), t = std::min(t, y), r = std::max(r, x + 1), b = std::max(b, y + 1);
  EXPECT_GE(l, 10);
  EXPECT_LE(r, 10 + m.right + 1);
  EXPECT_GE(t, 8);
  EXPECT_LE(b, 8 + 20);
  // Clipped to the given rectangle, and to the bitmap when far outside it.
  GuardedBitmap clipped(60, 40);
  RECT half = {0, 0, 60, 8 + 10};
  font.DrawGlyph(&clipped, 'W', 10, 8, &half);
  for (int y = 18; y < 40; ++y)
    for (int x = 0; x < 60; ++x) EXPECT_EQ(0u, clipped.px(x, y));
  font.DrawGlyph(&clipped, 0xFFFF, -30, INT_MAX - 5, nullptr);
  EXPECT_TRUE(clipped.guardIntact());
  EXPECT_TRUE(bm.guardIntact());
}

TEST_F(LICE_CachedFontTest, HostileDrawsNeverLeaveTheBitmap)
{
  std::mt19937 rng(5);
  const int heights[] = {1, 2, 9, 17, 30, 255, 256, 300, -4, 100000};
  std::vector<std::unique_ptr<LICE_CachedFont>> fonts;
  for (int h : heights)
    for (int flags : {0x600, 0x200, 0x200 | LICE_FONT_FLAG_FX_OUTLINE | LICE_FONT_FLAG_FX_MONO})
    {
      fonts.emplace_back(new LICE_CachedFont);
      fonts.back()->SetFromHFont(CreateFont(h, 0, int(rng() % 4) * 900, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Monaco"), flags);
    }
  GuardedBitmap bm(29, 17);
  LICE_MemBitmap empty(0, 0);
  LICE_SysBitmap system(31, 19);
  for (int trial = 0; trial < 300; ++trial)
  {
    LICE_CachedFont& font = *fonts[rng() % fonts.size()];
    font.SetBkMode(int(rng() % 2));
    font.SetTextColor(rng());
    font.SetCombineMode(int(rng() % 8), float(rng() % 5) / 4.0f);
    std::string text;
    for (size_t n = rng() % 30; n > 0; --n) text += char(rng() % 3 ? 0x20 + rng() % 95 : rng());
    RECT r = {int(rng() % 80) - 40, int(rng() % 80) - 40, int(rng() % 80) - 40, int(rng() % 80) - 40};
    if (trial % 17 == 0) r = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    const unsigned flags = rng() % 2 ? unsigned(rng()) : unsigned(rng() % 0x1000);
    const int len = int(rng() % (text.size() + 5)) - 2;
    LICE_IBitmap* targets[] = {&bm, &empty, &system, nullptr};
    font.DrawText(targets[rng() % 4], text.c_str(), len, &r, flags);
    // Mostly characters seen before (each new one of the largest fonts renders a big glyph).
    const unsigned short codes[] = {'W', 'g', 0x2312, 0xFFFF, static_cast<unsigned short>(rng())};
    font.DrawGlyph(targets[rng() % 4], codes[rng() % 8 ? rng() % 4 : 4], int(rng() % 60) - 30, int(rng() % 60) - 30,
                   rng() % 2 ? &r : nullptr);
    ASSERT_TRUE(bm.guardIntact()) << trial;
  }
  RECT r = {0, 0, 10, 10};
  EXPECT_EQ(0, fonts[0]->DrawText(&bm, nullptr, -1, &r, 0));
  EXPECT_EQ(0, fonts[0]->DrawText(&bm, "x", -1, nullptr, 0));
}
