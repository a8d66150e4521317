// Bad input for the font and text functions: nothing crashes, and nothing outside the context's
// pixels (exact heap allocations, watched by the sanitizer build) or the text's bytes is touched.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/platform/text_test_support.h"

namespace
{
constexpr uint32_t kPaper = 0xFF101010u;

class SwellTextHostile : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { PinDejaVuFaces(); }
};
} // namespace

TEST_F(SwellTextHostile, NullArgumentsDoNothing)
{
  TestContext ctx(20, 20, kPaper);
  RECT r = {0, 0, 20, 20};
  EXPECT_EQ(0, SWELL_DrawText(nullptr, "x", -1, &r, 0));
  EXPECT_EQ(0, SWELL_DrawText(ctx.dc(), "x", -1, &r, 0)) << "no font selected";
  SelectedFont f(ctx.dc(), MakeFont(12));
  EXPECT_EQ(0, SWELL_DrawText(ctx.dc(), nullptr, -1, &r, 0));
  EXPECT_EQ(0, SWELL_DrawText(ctx.dc(), "x", -1, nullptr, 0));
  EXPECT_EQ(0, SWELL_LayoutText(ctx.dc(), "x", -1, &r, 0, nullptr, nullptr));
  EXPECT_EQ(0, ctx.ink(kPaper).count);
  EXPECT_EQ(nullptr, SelectObject(nullptr, f.font()));
  EXPECT_FALSE(GetTextMetrics(nullptr, nullptr));
  EXPECT_FALSE(GetTextMetrics(ctx.dc(), nullptr));
  EXPECT_EQ(0u, SetTextColor(nullptr, 1));
  EXPECT_EQ(0, SetBkMode(nullptr, 1));
  EXPECT_EQ(0u, SetBkColor(nullptr, 1));
  EXPECT_FALSE(SWELL_SetFontFiles(nullptr, 1));
  const char* const missing[] = {"/nonexistent/font.ttf"};
  EXPECT_FALSE(SWELL_SetFontFiles(missing, 1));
  PinDejaVuFaces(); // the failed call changed nothing, but pin again to be sure
}

TEST_F(SwellTextHostile, LengthStopsAtTheTerminatorAndZeroDrawsNothing)
{
  TestContext ctx(200, 30, kPaper);
  SelectedFont f(ctx.dc(), MakeFont(14));
  // Exactly four bytes: "abc" and its terminator; a length of 1000 must not read beyond them.
  std::unique_ptr<char[]> text(new char[4]);
  memcpy(text.get(), "abc", 4);
  RECT whole = {0, 0, 0, 0}, claimed = whole, none = whole;
  SWELL_DrawText(ctx.dc(), text.get(), -1, &whole, DT_CALCRECT);
  SWELL_DrawText(ctx.dc(), text.get(), 1000, &claimed, DT_CALCRECT);
  EXPECT_EQ(whole.right, claimed.right);
  EXPECT_EQ(0, SWELL_DrawText(ctx.dc(), text.get(), 0, &none, DT_CALCRECT));
  EXPECT_EQ(0, none.right);
  // A length that ends inside a multi-byte character replaces the cut sequence.
  RECT cut = {0, 0, 0, 0}, replacement = cut;
  SWELL_DrawText(ctx.dc(), "\xC3\xA9", 1, &cut, DT_CALCRECT);
  SWELL_DrawText(ctx.dc(), "\xEF\xBF\xBD", -1, &replacement, DT_CALCRECT);
  EXPECT_EQ(replacement.right, cut.right);
}

TEST_F(SwellTextHostile, AMillionCharactersMeasureAsTheSumOfTheirAdvances)
{
  TestContext ctx(300, 40, kPaper);
  SelectedFont f(ctx.dc(), MakeFont(10));
  const std::string many(1000000, 'x');
  const int one = Measure(ctx.dc(), "x").right;
  EXPECT_EQ(int64_t(one) * 1000000, Measure(ctx.dc(), many).right);
  RECT r = {0, 0, 300, 40};
  EXPECT_EQ(10, SWELL_DrawText(ctx.dc(), many.c_str(), -1, &r, DT_CENTER | DT_VCENTER));
  EXPECT_GT(ctx.ink(kPaper).count, 0);
}

TEST_F(SwellTextHostile, ExtremeHeightsMakeUsableFonts)
{
  TestContext ctx(64, 64, kPaper);
  for (int h : {0, 1, 2, -1, -2, 100000, -100000, INT_MAX, INT_MIN})
  {
    HFONT font = MakeFont(h);
    ASSERT_NE(nullptr, font) << h;
    SelectedFont f(ctx.dc(), font);
    TEXTMETRIC tm;
    ASSERT_TRUE(GetTextMetrics(ctx.dc(), &tm));
    EXPECT_GE(tm.tmHeight, 1) << h;
    EXPECT_LE(tm.tmHeight, 4096) << h;
    if (h > 0 && h <= 2048) { EXPECT_EQ(h, tm.tmHeight); }
    RECT r = {-10, -10, 70, 70};
    SWELL_DrawText(ctx.dc(), "Wg", -1, &r, DT_CENTER | DT_VCENTER);
  }
}

TEST_F(SwellTextHostile, RectanglesFarOutsideOrInvertedAreSafe)
{
  TestContext ctx(50, 30, kPaper);
  SelectedFont f(ctx.dc(), MakeFont(16));
  const RECT rects[] = {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {INT_MAX - 5, 0, INT_MAX, 30}, {INT_MIN, 0, INT_MIN + 3, 30},
                        {40, 25, 10, 5},  {-1000000, -1000000, -999990, -999990}, {0, 0, 0, 0}};
  for (const RECT& rect : rects)
    for (unsigned flags : {0u, unsigned(DT_NOCLIP), unsigned(DT_CENTER | DT_VCENTER), unsigned(DT_RIGHT | DT_BOTTOM | DT_NOCLIP),
                           unsigned(DT_WORDBREAK), unsigned(DT_CALCRECT)})
    {
      RECT r = rect;
      SWELL_DrawText(ctx.dc(), "Far away text", -1, &r, flags);
      if (flags & DT_CALCRECT) { EXPECT_GE(int64_t(r.right), int64_t(rect.left)); }
    }
  // An inverted rectangle clips everything away.
  ctx.fill(kPaper);
  RECT inverted = {40, 25, 10, 5};
  SWELL_DrawText(ctx.dc(), "Nothing", -1, &inverted, 0);
  EXPECT_EQ(0, ctx.ink(kPaper).count);
}

TEST_F(SwellTextHostile, FaceNamesAreReadToThirtyTwoBytesAtMost)
{
  // Thirty-one and thirty-two name bytes without a terminator, each in an allocation of exactly
  // 32 bytes.
  for (size_t n : {31u, 32u})
  {
    std::unique_ptr<char[]> name(new char[32]);
    memset(name.get(), 'M', 32);
    memcpy(name.get(), "Monaco", 6);
    if (n == 31) name[31] = 'x';
    HFONT font = CreateFont(12, 0, 0, 0, 400, 0, 0, 0, 1, 0, 0, 0, 0, name.get());
    EXPECT_NE(nullptr, font);
    DeleteObject(font);
    char found[300];
    EXPECT_TRUE(SWELL_DescribeFontMatch(name.get(), 400, 0, 0, found, sizeof found));
  }
}

TEST_F(SwellTextHostile, RandomTextFlagsFontsAndRectanglesNeverTouchAnythingElse)
{
  std::mt19937 rng(77);
  TestContext ctx(37, 23, kPaper);
  const int heights[] = {-3, 1, 7, 12, 19, 40, 300, -90};
  const int escapements[] = {0, 900, 1800, 2700, 450, -300, 3599, 7200};
  std::vector<HFONT> fonts;
  for (int i = 0; i < 24; ++i)
    fonts.push_back(CreateFont(heights[rng() % 8], int(rng() % 3) * 5, escapements[rng() % 8], 0, int(rng() % 1000),
                               int(rng() % 2), int(rng() % 2), int(rng() % 2), 0, 0, 0, int(rng() % 6),
                               int(rng() % 256), i % 3 ? "DejaVu Sans" : "Monaco"));
  for (int trial = 0; trial < 250; ++trial)
  {
    SelectObject(ctx.dc(), fonts[rng() % fonts.size()]);
    SetBkMode(ctx.dc(), int(rng() % 3));
    SetTextColor(ctx.dc(), rng());
    const size_t n = rng() % 40;
    std::unique_ptr<char[]> bytes(new char[n + 1]);
    for (size_t i = 0; i < n; ++i) bytes[i] = char(rng() % 4 ? 0x20 + rng() % 95 : rng());
    bytes[n] = 0;
    const int span = 60;
    RECT r = {int(rng() % span) - 20, int(rng() % span) - 20, int(rng() % span) - 20, int(rng() % span) - 20};
    const int len = int(rng() % (n + 10)) - 2;
    SWELL_DrawText(ctx.dc(), bytes.get(), len, &r, rng());
  }
  SelectObject(ctx.dc(), nullptr);
  for (HFONT f : fonts) DeleteObject(f);
}
