#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/gdi/swell_fontobject.h"
#include "platform/gdi/swell_textlayout.h"
#include "tests/platform/text_test_support.h"

namespace
{
constexpr uint32_t kPaper = 0xFFF0F0F0u;
constexpr uint32_t kInk = 0x202830u;

// The pinned face's own design metrics, read with a FreeType of the test's own.
struct FaceFacts
{
  int upem = 0, winAscent = 0, winDescent = 0, capHeight = 0;
  long kernAV = 0; // font units
};

FaceFacts ReadFace(const char* file)
{
  FaceFacts f;
  FT_Library lib;
  FT_Face face;
  if (FT_Init_FreeType(&lib)) return f;
  if (FT_New_Face(lib, file, 0, &face) == 0)
  {
    f.upem = face->units_per_EM;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    f.winAscent = os2->usWinAscent;
    f.winDescent = os2->usWinDescent;
    if (FT_Load_Char(face, 'H', FT_LOAD_NO_SCALE) == 0) f.capHeight = int(face->glyph->metrics.height);
    FT_Vector k{0, 0};
    FT_Get_Kerning(face, FT_Get_Char_Index(face, 'A'), FT_Get_Char_Index(face, 'V'), FT_KERNING_UNSCALED, &k);
    f.kernAV = k.x;
    FT_Done_Face(face);
  }
  FT_Done_FreeType(lib);
  return f;
}

std::vector<SWELL_CharPlacement> Placements(HDC dc, const std::string& text, RECT r, unsigned flags)
{
  std::vector<SWELL_CharPlacement> out;
  SWELL_LayoutText(dc, text.c_str(), int(text.size()), &r, flags,
                   [](void* user, const SWELL_CharPlacement& p) {
                     static_cast<std::vector<SWELL_CharPlacement>*>(user)->push_back(p);
                   },
                   &out);
  return out;
}

// Where a measured w x h box goes in rect, worked out from the flags' meaning.
RECT Aligned(const RECT& rect, unsigned flags, int w, int h)
{
  int x = rect.left, y = rect.top;
  if (flags & DT_RIGHT) x = rect.right - w;
  else if (flags & DT_CENTER) x = rect.left + int(std::floor((rect.right - rect.left - w) / 2.0));
  if (flags & DT_BOTTOM) y = rect.bottom - h;
  else if (flags & DT_VCENTER) y = rect.top + int(std::floor((rect.bottom - rect.top - h) / 2.0));
  return RECT{x, y, x + w, y + h};
}

class SwellText : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { PinDejaVuFaces(); }
};
} // namespace

// ---- CreateFont and GetTextMetrics -------------------------------------------------------------

TEST_F(SwellText, PositiveHeightIsTheCellAndNegativeHeightTheEm)
{
  const FaceFacts face = ReadFace(kDejaVuSans);
  ASSERT_GT(face.upem, 0);
  TestContext ctx(200, 120, kPaper);
  for (int h = 1; h <= 60; ++h)
  {
    SelectedFont cell(ctx.dc(), MakeFont(h));
    TEXTMETRIC tm;
    ASSERT_TRUE(GetTextMetrics(ctx.dc(), &tm));
    EXPECT_EQ(h, tm.tmHeight);
    EXPECT_EQ(h, tm.tmAscent + tm.tmDescent);
    EXPECT_NEAR(double(h) * face.winAscent / (face.winAscent + face.winDescent), tm.tmAscent, 0.5) << h;
  }
  for (int em = 2; em <= 60; em += 3)
  {
    SelectedFont byEm(ctx.dc(), MakeFont(-em));
    TEXTMETRIC tm;
    ASSERT_TRUE(GetTextMetrics(ctx.dc(), &tm));
    EXPECT_EQ(em, tm.tmHeight - tm.tmInternalLeading);
    EXPECT_NEAR(double(em) * (face.winAscent + face.winDescent) / face.upem, tm.tmHeight, 1.0) << em;
  }
  // The em really is the em: a capital's ink is the face's cap height at that size.
  ctx.fill(kPaper);
  SelectedFont big(ctx.dc(), MakeFont(-80));
  RECT r = {10, 0, 190, 120};
  SWELL_DrawText(ctx.dc(), "H", 1, &r, 0);
  EXPECT_NEAR(80.0 * face.capHeight / face.upem, ctx.ink(kPaper).height(), 1.0);
}

TEST_F(SwellText, WidthAsksForTheAverageCharacterWidth)
{
  TestContext ctx(10, 10);
  for (int width : {3, 6, 11})
  {
    SelectedFont f(ctx.dc(), CreateFont(20, width, 0, 0, 400, 0, 0, 0, 1, 0, 0, 0, 0, "DejaVu Sans"));
    TEXTMETRIC tm;
    ASSERT_TRUE(GetTextMetrics(ctx.dc(), &tm));
    EXPECT_NEAR(width, tm.tmAveCharWidth, 1) << width;
    EXPECT_EQ(20, tm.tmHeight);
  }
}

TEST_F(SwellText, FacesAreMatchedByFamilyWithMonospaceForMonospaceFamilies)
{
  char found[512];
  struct Case
  {
    const char* family;
    int pitch;
    const char* file;
  } cases[] = {{"Monaco", 0, kDejaVuSansMono},          {"Menlo", 0, kDejaVuSansMono},
               {"Courier New", 0, kDejaVuSansMono},     {"Unheard Of", FIXED_PITCH, kDejaVuSansMono},
               {"Unheard Of", FF_MODERN, kDejaVuSansMono}, {"Unheard Of", 0, kDejaVuSans},
               {"DejaVu Sans", 0, kDejaVuSans},         {"", 0, kDejaVuSans}};
  for (const Case& c : cases)
  {
    ASSERT_TRUE(SWELL_DescribeFontMatch(c.family, 400, 0, c.pitch, found, sizeof found)) << c.family;
    EXPECT_NE(nullptr, strstr(found, c.file)) << c.family << " -> " << found;
  }
  // A 32-byte buffer holds the whole description or a terminated beginning of it.
  char small[8];
  EXPECT_TRUE(SWELL_DescribeFontMatch("Monaco", 400, 0, 0, small, sizeof small));
  EXPECT_EQ(7u, strlen(small));
}

// ---- measuring, alignment, clipping ------------------------------------------------------------

TEST_F(SwellText, CalcRectMeasuresTheInkThatEachAlignmentPutsInItsPlace)
{
  std::mt19937 rng(12);
  const std::string letters = "ABCDEFGHKLMNOPRSTUVWXYZabcdeghkmnopqsuvwxyz0123456789";
  const std::string inner = letters + " .,:-+%()/";
  const unsigned alignments[] = {0, DT_CENTER, DT_RIGHT, DT_VCENTER, DT_BOTTOM, DT_CENTER | DT_VCENTER,
                                 DT_RIGHT | DT_BOTTOM};
  TestContext ctx(400, 140, kPaper);
  std::vector<HFONT> fonts; // sizes 8..30, kept for the whole test so their glyphs stay cached
  for (int size = 8; size <= 30; ++size) fonts.push_back(MakeFont(size));
  for (int trial = 0; trial < 120; ++trial)
  {
    const int size = 8 + int(rng() % 23);
    std::string label(1, letters[rng() % letters.size()]);
    for (int n = int(rng() % 20); n > 0; --n) label += inner[rng() % inner.size()];
    label += letters[rng() % letters.size()];
    const unsigned flags = alignments[rng() % 7];

    ctx.fill(kPaper);
    SelectObject(ctx.dc(), fonts[size - 8]);
    SetTextColor(ctx.dc(), kInk);
    const RECT measured = Measure(ctx.dc(), label);
    RECT rect = {20 + int(rng() % 20), 30 + int(rng() % 10), 380 - int(rng() % 20), 110 - int(rng() % 10)};
    RECT drawn = rect;
    EXPECT_EQ(measured.bottom, SWELL_DrawText(ctx.dc(), label.c_str(), -1, &drawn, flags | DT_NOCLIP));
    EXPECT_EQ(0, memcmp(&drawn, &rect, sizeof rect)) << "drawing leaves the rectangle alone";
    EXPECT_EQ(size, measured.bottom);

    const RECT box = Aligned(rect, flags, measured.right, measured.bottom);
    const Ink ink = ctx.ink(kPaper);
    const int slack = 1 + size / 8; // side bearings of the first and last letter
    ASSERT_GT(ink.count, 0) << label;
    EXPECT_GE(ink.left, box.left - 1) << label << " size " << size << " flags " << flags;
    EXPECT_LE(ink.left, box.left + slack) << label << " size " << size << " flags " << flags;
    EXPECT_LE(ink.right, box.right + 1) << label << " size " << size << " flags " << flags;
    EXPECT_GE(ink.right, box.right - slack) << label << " size " << size << " flags " << flags;
    EXPECT_GE(ink.top, box.top) << label << " size " << size << " flags " << flags;
    EXPECT_LE(ink.bottom, box.bottom) << label << " size " << size << " flags " << flags;
  }
  SelectObject(ctx.dc(), nullptr);
  for (HFONT f : fonts) DeleteObject(f);
}

TEST_F(SwellText, LinesBreakAtLineFeedsAndBetweenWords)
{
  TestContext ctx(300, 200, kPaper);
  SelectedFont f(ctx.dc(), MakeFont(14));
  EXPECT_EQ(14, Measure(ctx.dc(), "one").bottom);
  EXPECT_EQ(28, Measure(ctx.dc(), "one\ntwo").bottom);
  EXPECT_EQ(42, Measure(ctx.dc(), "one\r\ntwo\rthree").bottom);
  EXPECT_EQ(28, Measure(ctx.dc(), "one\n").bottom);
  EXPECT_EQ(14, Measure(ctx.dc(), "one\ntwo", DT_SINGLELINE).bottom);
  EXPECT_EQ(Measure(ctx.dc(), "three").right, Measure(ctx.dc(), "one\ntwo\rthree").right);
  EXPECT_EQ(Measure(ctx.dc(), "onetwo").right, Measure(ctx.dc(), "one\ntwo", DT_SINGLELINE).right);

  // Word breaks: "one two" fits, "one two three" does not.
  const int fits = Measure(ctx.dc(), "one two").right;
  RECT r = {0, 0, fits + 2, 0};
  EXPECT_EQ(28, SWELL_DrawText(ctx.dc(), "one two three", -1, &r, DT_WORDBREAK | DT_CALCRECT));
  EXPECT_EQ(fits, r.right);
  RECT narrow = {0, 0, 5, 0};
  EXPECT_EQ(14, SWELL_DrawText(ctx.dc(), "unbreakable", -1, &narrow, DT_WORDBREAK | DT_CALCRECT));
  RECT draw = {10, 10, 10 + fits + 2, 100};
  SetTextColor(ctx.dc(), kInk);
  SWELL_DrawText(ctx.dc(), "one two three", -1, &draw, DT_WORDBREAK);
  const Ink first = ctx.ink(kPaper, 0, 10, 300, 24), second = ctx.ink(kPaper, 0, 24, 300, 38);
  EXPECT_GT(first.count, 0);
  EXPECT_NEAR(Measure(ctx.dc(), "three").right, second.width(), 2);
}

TEST_F(SwellText, ClippingStopsAtTheRectangleUnlessNoClip)
{
  TestContext ctx(200, 80, kPaper);
  SelectedFont f(ctx.dc(), MakeFont(24));
  SetTextColor(ctx.dc(), kInk);
  const RECT rect = {30, 20, 90, 35};
  RECT r = rect;
  SWELL_DrawText(ctx.dc(), "Clipped label text", -1, &r, 0);
  const Ink inside = ctx.ink(kPaper);
  EXPECT_GT(inside.count, 0);
  EXPECT_GE(inside.left, rect.left);
  EXPECT_GE(inside.top, rect.top);
  EXPECT_LE(inside.right, rect.right);
  EXPECT_LE(inside.bottom, rect.bottom);

  ctx.fill(kPaper);
  r = rect;
  SWELL_DrawText(ctx.dc(), "Clipped label text", -1, &r, DT_NOCLIP);
  const Ink free = ctx.ink(kPaper);
  EXPECT_GT(free.right, rect.right + 40);
  EXPECT_GT(free.bottom, rect.bottom);
}

// ---- colours and modes -------------------------------------------------------------------------

TEST_F(SwellText, GlyphsBlendTowardsTheTextColourAndIgnoreItsHighByte)
{
  TestContext a(160, 40, kPaper), b(160, 40, kPaper);
  SelectedFont fa(a.dc(), MakeFont(16)), fb(b.dc(), MakeFont(16));
  SetTextColor(a.dc(), 0x00C02040);
  SetTextColor(b.dc(), 0x7FC02040);
  RECT r = {4, 4, 156, 36};
  SWELL_DrawText(a.dc(), "Lowpass Ramp", -1, &r, 0);
  SWELL_DrawText(b.dc(), "Lowpass Ramp", -1, &r, 0);
  int full = 0, partial = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 160; ++x)
    {
      const uint32_t p = a.px(x, y);
      ASSERT_EQ(p, b.px(x, y));
      if (p == kPaper) continue;
      if (p == 0xFFC02040u)
      {
        ++full;
        continue;
      }
      ++partial;
      // Every channel lies between the paper's and the ink's, moved the same share of the way.
      const int ch[3] = {int(p >> 16 & 255), int(p >> 8 & 255), int(p & 255)};
      const int paper[3] = {0xF0, 0xF0, 0xF0}, ink[3] = {0xC0, 0x20, 0x40};
      double share = -1;
      for (int c = 0; c < 3; ++c)
      {
        EXPECT_LE(std::min(paper[c], ink[c]), ch[c]);
        EXPECT_GE(std::max(paper[c], ink[c]), ch[c]);
        const double s = double(paper[c] - ch[c]) / (paper[c] - ink[c]);
        if (share < 0) share = s;
        EXPECT_NEAR(share, s, 0.02);
      }
      EXPECT_EQ(0xFFu, p >> 24);
    }
  EXPECT_GT(full, 20);
  EXPECT_GT(partial, 20);
}

TEST_F(SwellText, OpaqueBackgroundFillsExactlyTheBoxOfEachLine)
{
  TestContext ctx(240, 80, kPaper);
  SelectedFont f(ctx.dc(), MakeFont(15));
  SetTextColor(ctx.dc(), kInk);
  SetBkColor(ctx.dc(), 0x3060A0);
  EXPECT_EQ(TRANSPARENT, SetBkMode(ctx.dc(), OPAQUE));
  const int w1 = Measure(ctx.dc(), "Short").right, w2 = Measure(ctx.dc(), "A longer line").right;
  RECT r = {50, 10, 230, 70};
  SWELL_DrawText(ctx.dc(), "Short\nA longer line", -1, &r, DT_RIGHT);
  // Right-aligned block: each line's box ends at the rectangle's right edge.
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 240; ++x)
    {
      const bool line1 = y >= 10 && y < 25 && x >= 230 - w1 && x < 230;
      const bool line2 = y >= 25 && y < 40 && x >= 230 - w2 && x < 230;
      EXPECT_EQ(line1 || line2, ctx.px(x, y) != kPaper) << x << "," << y;
    }
}

TEST_F(SwellText, NonAntialiasedTextHasOnlyTwoPixelValues)
{
  for (int quality : {NONANTIALIASED_QUALITY, ANTIALIASED_QUALITY})
  {
    TestContext ctx(200, 40, kPaper);
    SelectedFont f(ctx.dc(), MakeFont(17, "DejaVu Sans", quality));
    SetTextColor(ctx.dc(), kInk);
    RECT r = {2, 2, 198, 38};
    SWELL_DrawText(ctx.dc(), "Quality 3: jagged", -1, &r, 0);
    std::set<uint32_t> values;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 200; ++x) values.insert(ctx.px(x, y));
    if (quality == NONANTIALIASED_QUALITY) EXPECT_EQ((std::set<uint32_t>{kPaper, 0xFF000000u | kInk}), values);
    else EXPECT_GT(values.size(), 10u);
  }
}

TEST_F(SwellText, EscapementTurnsTheBaselineCounterClockwise)
{
  TestContext ctx(120, 200, kPaper);
  const std::string label = "Output gain";
  int flatW, flatH;
  std::vector<SWELL_CharPlacement> flat;
  {
    SelectedFont f(ctx.dc(), MakeFont(14));
    const RECT m = Measure(ctx.dc(), label);
    flatW = m.right, flatH = m.bottom;
    flat = Placements(ctx.dc(), label, RECT{0, 0, 0, 0}, 0);
  }
  SelectedFont up(ctx.dc(), MakeFont(14, "DejaVu Sans", 0, 900));
  const RECT m = Measure(ctx.dc(), label);
  EXPECT_EQ(flatH, m.right);
  EXPECT_EQ(flatW, m.bottom);

  // Upwards: every pen sits on one column, each the flat advance above the one before.
  const std::vector<SWELL_CharPlacement> turned = Placements(ctx.dc(), label, RECT{20, 10, 100, 190}, DT_BOTTOM);
  ASSERT_EQ(flat.size(), turned.size());
  for (size_t i = 1; i < turned.size(); ++i)
  {
    EXPECT_EQ(turned[0].x, turned[i].x);
    EXPECT_EQ(flat[i].x - flat[i - 1].x, turned[i - 1].y - turned[i].y);
  }
  EXPECT_EQ(190, turned[0].y); // the start of the text at the bottom of the rectangle

  SetTextColor(ctx.dc(), kInk);
  RECT r = {20, 10, 100, 190};
  SWELL_DrawText(ctx.dc(), label.c_str(), -1, &r, DT_BOTTOM);
  const Ink ink = ctx.ink(kPaper);
  EXPECT_GE(ink.left, 20);
  EXPECT_LE(ink.right, 20 + flatH);
  EXPECT_GE(ink.top, 190 - flatW - 1);
  EXPECT_LE(ink.bottom, 191);
  EXPECT_GT(ink.height(), 3 * ink.width());
}

// ---- characters --------------------------------------------------------------------------------

TEST_F(SwellText, KerningComesFromTheFace)
{
  const FaceFacts sans = ReadFace(kDejaVuSans);
  ASSERT_LT(sans.kernAV, 0) << "the pinned face kerns A and V together";
  TestContext ctx(10, 10);
  {
    SelectedFont f(ctx.dc(), MakeFont(-40));
    const int kerned = Measure(ctx.dc(), "AV").right, apart = Measure(ctx.dc(), "A").right + Measure(ctx.dc(), "V").right;
    EXPECT_NEAR(double(sans.kernAV) * 40 / sans.upem, kerned - apart, 1.0);
  }
  SelectedFont mono(ctx.dc(), MakeFont(-40, "DejaVu Sans Mono"));
  EXPECT_EQ(2 * Measure(ctx.dc(), "A").right, Measure(ctx.dc(), "AV").right);
}

TEST_F(SwellText, MissingCharactersComeFromAFallbackFace)
{
  const std::string arc = "\xE2\x8C\x92"; // U+2312, in DejaVu Sans Mono only
  TestContext viaSans(80, 60, kPaper), viaMono(80, 60, kPaper);
  SelectedFont sans(viaSans.dc(), MakeFont(-30)), mono(viaMono.dc(), MakeFont(-30, "DejaVu Sans Mono"));
  RECT r = {10, 10, 70, 50};
  SWELL_DrawText(viaSans.dc(), arc.c_str(), -1, &r, 0);
  SWELL_DrawText(viaMono.dc(), arc.c_str(), -1, &r, 0);
  EXPECT_GT(viaSans.ink(kPaper).count, 10);
  EXPECT_EQ(viaMono.ink(kPaper).width(), viaSans.ink(kPaper).width());
  EXPECT_EQ(viaMono.ink(kPaper).height(), viaSans.ink(kPaper).height());
  // A character no face has still takes room (the face's missing-glyph box).
  EXPECT_GT(Measure(viaSans.dc(), "\xF4\x8F\xBF\xBD").right, 0);
}

TEST_F(SwellText, Utf8DecodesEveryScalarValueAndReplacesEachBrokenSequence)
{
  using swell_text::DecodeUtf8;
  for (unsigned cp = 0; cp <= 0x10FFFF; ++cp)
  {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    char b[4];
    int n;
    if (cp < 0x80) b[0] = char(cp), n = 1;
    else if (cp < 0x800) b[0] = char(0xC0 + cp / 64), b[1] = char(0x80 + cp % 64), n = 2;
    else if (cp < 0x10000)
      b[0] = char(0xE0 + cp / 4096), b[1] = char(0x80 + cp / 64 % 64), b[2] = char(0x80 + cp % 64), n = 3;
    else
      b[0] = char(0xF0 + cp / 262144), b[1] = char(0x80 + cp / 4096 % 64), b[2] = char(0x80 + cp / 64 % 64),
      b[3] = char(0x80 + cp % 64), n = 4;
    const char* p = b;
    ASSERT_EQ(cp, DecodeUtf8(p, b + n));
    ASSERT_EQ(b + n, p);
  }
  struct Broken
  {
    std::string bytes;
    std::vector<unsigned> codes;
  } cases[] = {{"\x80", {0xFFFD}},
               {"a\xC3", {'a', 0xFFFD}},
               {"\xE2\x82", {0xFFFD}},
               {"\xE2\x82x", {0xFFFD, 'x'}},
               {"\xC0\xAF", {0xFFFD, 0xFFFD}},
               {"\xED\xA0\x80", {0xFFFD}},
               {"\xF4\x90\x80\x80", {0xFFFD}},
               {"\xF8\x88\x80\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}},
               {"\xE0\x80\x80", {0xFFFD}},
               {"\xFF\xFEz", {0xFFFD, 0xFFFD, 'z'}}};
  for (const Broken& c : cases)
  {
    // Decoded from an allocation of exactly the sequence's size: reading past it would be caught.
    std::vector<char> exact(c.bytes.begin(), c.bytes.end());
    std::vector<unsigned> got;
    const char* p = exact.data();
    while (p < exact.data() + exact.size()) got.push_back(DecodeUtf8(p, exact.data() + exact.size()));
    EXPECT_EQ(c.codes, got) << testing::PrintToString(c.bytes);
  }
  // What the layout reports for broken text: one replacement character per broken sequence.
  TestContext ctx(100, 30);
  SelectedFont f(ctx.dc(), MakeFont(12));
  const auto placed = Placements(ctx.dc(), "a\xE2\x82" "b\x80", RECT{0, 0, 100, 30}, 0);
  ASSERT_EQ(4u, placed.size());
  EXPECT_EQ(0xFFFDu, placed[1].code);
  EXPECT_EQ(unsigned('b'), placed[2].code);
  EXPECT_EQ(0xFFFDu, placed[3].code);
}

TEST_F(SwellText, AmpersandPrefixesUnderlineTheNextCharacterUnlessNoPrefix)
{
  TestContext ctx(200, 40, kPaper);
  SelectedFont f(ctx.dc(), MakeFont(20));
  EXPECT_EQ(Measure(ctx.dc(), "File").right, Measure(ctx.dc(), "&File").right);
  EXPECT_EQ(Measure(ctx.dc(), "a&b", DT_NOPREFIX).right, Measure(ctx.dc(), "a&&b").right);
  EXPECT_GT(Measure(ctx.dc(), "&File", DT_NOPREFIX).right, Measure(ctx.dc(), "File").right);
  // The underline: ink below the baseline under the F, which has no descender of its own.
  SetTextColor(ctx.dc(), kInk);
  TEXTMETRIC tm;
  GetTextMetrics(ctx.dc(), &tm);
  RECT r = {10, 5, 190, 35};
  SWELL_DrawText(ctx.dc(), "File", -1, &r, 0);
  EXPECT_EQ(0, ctx.ink(kPaper, 0, 5 + tm.tmAscent + 1, 200, 40).count);
  r = {10, 5, 190, 35};
  SWELL_DrawText(ctx.dc(), "&File", -1, &r, 0);
  const Ink under = ctx.ink(kPaper, 0, 5 + tm.tmAscent + 1, 200, 40);
  EXPECT_GT(under.count, 3);
  EXPECT_LT(under.right, 10 + Measure(ctx.dc(), "F").right + 2);
}

// ---- handles and the glyph cache ---------------------------------------------------------------

TEST_F(SwellText, DrawingALabelAgainRendersNothingNew)
{
  TestContext ctx(300, 40, kPaper);
  SelectedFont f(ctx.dc(), MakeFont(13));
  const swell_text::FontInstance* instance = swell_text::SelectedFont(ctx.dc())->instance;
  RECT r = {0, 0, 300, 40};
  SWELL_DrawText(ctx.dc(), "Every glyph once: 0123456789", -1, &r, 0);
  const size_t rendered = instance->renderedCount();
  EXPECT_GE(rendered, 20u);
  for (int i = 0; i < 3; ++i) SWELL_DrawText(ctx.dc(), "Every glyph once: 0123456789", -1, &r, 0);
  EXPECT_EQ(rendered, instance->renderedCount());
  // A second handle with the same face, size, rotation and quality shares the glyphs.
  HFONT twin = MakeFont(13);
  EXPECT_EQ(instance, static_cast<swell_text::FontObject*>(twin)->instance);
  DeleteObject(twin);
}

TEST_F(SwellText, AFontDeletedWhileSelectedStaysUsableUntilDeselected)
{
  TestContext ctx(100, 30, kPaper);
  HFONT font = MakeFont(12);
  EXPECT_EQ(nullptr, SelectObject(ctx.dc(), font));
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_FALSE(DeleteObject(font)) << "a second delete of a live handle is refused";
  TEXTMETRIC tm;
  EXPECT_TRUE(GetTextMetrics(ctx.dc(), &tm));
  RECT r = {0, 0, 100, 30};
  EXPECT_EQ(12, SWELL_DrawText(ctx.dc(), "still here", -1, &r, 0));
  // Deselecting frees it; its handle is not handed back.
  EXPECT_EQ(nullptr, SelectObject(ctx.dc(), nullptr));
  EXPECT_FALSE(GetTextMetrics(ctx.dc(), &tm));
  EXPECT_EQ(0, SWELL_DrawText(ctx.dc(), "no font", -1, &r, 0));
  EXPECT_FALSE(DeleteObject(nullptr));
}

// ---- the look --------------------------------------------------------------------------------

TEST_F(SwellText, HintingPutsTheTopAndBottomOfCapitalsOnWholeRows)
{
  // Grey-scale glyphs are hinted vertically: an H's stems start and end on pixel rows, so down
  // each stem column the coverage is the same from the first inked row to the last, and the
  // stem is the face's cap height within a row (the hinter may round either way).
  const FaceFacts face = ReadFace(kDejaVuSans);
  for (int em : {9, 12, 20})
  {
    TestContext ctx(40, 40, 0xFFFFFFFFu);
    SelectedFont f(ctx.dc(), MakeFont(-em));
    RECT r = {4, 4, 36, 36};
    SWELL_DrawText(ctx.dc(), "H", 1, &r, 0);
    const Ink ink = ctx.ink(0xFFFFFFFFu);
    EXPECT_NEAR(double(em) * face.capHeight / face.upem, ink.height(), 1.0) << em;
    const int stem = ink.left; // the left stem's first column
    for (int y = ink.top; y < ink.bottom; ++y) EXPECT_EQ(ctx.px(stem, ink.top), ctx.px(stem, y)) << em << " row " << y;
  }
}
