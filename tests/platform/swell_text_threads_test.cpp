// Fonts and their glyph caches are shared module-wide; several editors may draw on their own
// threads at once. Each thread here draws into its own context with fonts shared with the others
// and fonts of its own, and must get exactly the pixels one thread alone gets.

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "rasterizer/lice_cachedfont.h"
#include "rasterizer/lice_sysbitmap.h"
#include "tests/platform/text_test_support.h"

namespace
{
constexpr uint32_t kPaper = 0xFFE0E0E0u;
const char* const kLabels[] = {"Gain 12.5 dB", "HI LO OUT", "\xE2\x8C\x92 fallback", "Kestrune \xC3\xA9t\xC3\xA9"};

std::vector<uint32_t> Draw(HDC dc, HFONT font, const char* label)
{
  std::vector<uint32_t> pixels(160 * 30);
  uint32_t* bits = static_cast<uint32_t*>(SWELL_GetCtxFrameBuffer(dc));
  std::fill(bits, bits + 160 * 30, kPaper);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r = {2, 2, 158, 28};
  SWELL_DrawText(dc, label, -1, &r, DT_CENTER | DT_VCENTER);
  SelectObject(dc, old);
  std::copy(bits, bits + 160 * 30, pixels.begin());
  return pixels;
}
} // namespace

TEST(SwellTextThreads, ThreadsDrawingWithSharedAndOwnFontsGetTheSamePixelsAsOne)
{
  PinDejaVuFaces();
  HFONT shared = MakeFont(15);
  std::vector<std::vector<uint32_t>> expected;
  {
    TestContext ctx(160, 30);
    for (const char* label : kLabels) expected.push_back(Draw(ctx.dc(), shared, label));
  }

  std::vector<int> mismatches(4, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      TestContext ctx(160, 30);
      for (int round = 0; round < 25; ++round)
      {
        const int i = (round + t) % 4;
        if (Draw(ctx.dc(), shared, kLabels[i]) != expected[i]) ++mismatches[t];
        // A font of the thread's own, of a size others also create and delete.
        HFONT own = MakeFont(11 + round % 3, round % 2 ? "Monaco" : "DejaVu Sans", 0, (round % 4) * 900);
        Draw(ctx.dc(), own, kLabels[(i + 1) % 4]);
        DeleteObject(own);
      }
    });
  for (std::thread& t : threads) t.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(0, mismatches[t]) << "thread " << t;
  DeleteObject(shared);
}

TEST(SwellTextThreads, CachedFontsDrawFromSeveralThreadsThroughTheSharedScratch)
{
  PinDejaVuFaces();
  // Glyph-cache path (shared measuring bitmap) and native path without a drawing context (shared
  // native scratch): both lean on the module's scratch bitmaps.
  LICE_CachedFont glyphs, native;
  glyphs.SetFromHFont(MakeFont(14), LICE_FONT_FLAG_OWNS_HFONT);
  native.SetFromHFont(MakeFont(14), LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_NATIVE);
  glyphs.SetTextColor(0xFF102030);
  native.SetTextColor(0xFF102030);

  struct Plain : LICE_IBitmap
  {
    std::vector<LICE_pixel> px = std::vector<LICE_pixel>(120 * 24, kPaper);
    LICE_pixel* getBits() override { return px.data(); }
    int getWidth() override { return 120; }
    int getHeight() override { return 24; }
    int getRowSpan() override { return 120; }
    bool resize(int, int) override { return false; }
  };
  auto drawBoth = [&](int i) {
    Plain a, b;
    RECT r = {0, 0, 120, 24};
    glyphs.DrawText(&a, kLabels[i], -1, &r, DT_CENTER);
    native.DrawText(&b, kLabels[i], -1, &r, DT_CENTER);
    return std::make_pair(a.px, b.px);
  };
  std::vector<std::pair<std::vector<LICE_pixel>, std::vector<LICE_pixel>>> expected;
  for (int i = 0; i < 4; ++i) expected.push_back(drawBoth(i));

  std::vector<int> mismatches(4, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 20; ++round)
      {
        const int i = (round * 3 + t) % 4;
        if (drawBoth(i) != expected[i]) ++mismatches[t];
        LICE_CachedFont passing;
        passing.SetFromHFont(MakeFont(10 + t), LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_PRERENDER);
      }
    });
  for (std::thread& t : threads) t.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(0, mismatches[t]) << "thread " << t;
}
