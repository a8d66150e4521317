#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/swell_font.h"
#include "platform/gdi/swell_fontobject.h"
#include "platform/gdi/swell_textlayout.h"

using namespace swell_text;

namespace
{
// A rectangle of device pixels, right and bottom exclusive, in 64 bits so that no rectangle a
// caller passes can overflow it.
struct PixelBox
{
  int64_t l, t, r, b;
  bool empty() const { return l >= r || t >= b; }
  PixelBox operator&(const PixelBox& o) const
  {
    return PixelBox{std::max(l, o.l), std::max(t, o.t), std::min(r, o.r), std::min(b, o.b)};
  }
};

// A rectangle in text space: background boxes and underline or strike-out bars.
struct TextBand
{
  double u0, u1, v0, v1;
};

struct PlacedMask
{
  const GlyphMask* mask;
  int64_t x, y; // the mask's top-left corner
};

// What a draw worked out under the font lock; drawn after leaving it.
struct TextJob
{
  std::vector<PlacedMask> glyphs;
  std::vector<std::unique_ptr<GlyphMask>> spare_masks; // glyphs the cache had no room for
  std::vector<TextBand> backgrounds;
  std::vector<TextBand> bars;
  std::vector<SWELL_CharPlacement> placements;
};

int clampToInt(int64_t v) { return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

// The one blend of text: each colour channel moves from d towards s by the coverage's weight
// w = 256 * coverage / 255, as s + (d - s) * (256 - w) / 256 (truncating toward zero), and alpha
// towards 255. It is the rasteriser's Copy formula, so masks drawn by the rasteriser match text
// drawn here exactly. With k = 256 - w, |d - s| * k fits in 16 bits unsigned, so the truncated
// quotient is (|d - s| * k) >> 8 with the sign of d - s put back: exact in 16-bit lanes.
struct CoverageBlend
{
  uint16_t keep[256]; // k = 256 - w for each coverage

  CoverageBlend()
  {
    for (int m = 0; m < 256; ++m) keep[m] = uint16_t(256 - (256 * m) / 255);
  }

  static int channel(int d, int s, int k)
  {
    const int q = ((d > s ? d - s : s - d) * k) >> 8;
    return d >= s ? s + q : s - q;
  }

  void pixel(uint32_t* p, uint32_t solid, uint8_t coverage) const
  {
    const uint32_t d = *p;
    const int k = keep[coverage];
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
      out |= uint32_t(channel(int(d >> shift & 255), int(solid >> shift & 255), k)) << shift;
    *p = out;
  }

  // Blends n pixels of one row; solid is the text colour with alpha 255.
  void row(uint32_t* p, const uint8_t* cov, int64_t n, uint32_t solid) const
  {
    int64_t x = 0;
#if defined(__SSE2__)
    const __m128i s = _mm_set1_epi32(int(solid)), zero = _mm_setzero_si128();
    const __m128i s16 = _mm_unpacklo_epi8(s, zero);
    const __m128i full = _mm_set1_epi16(255), whole = _mm_set1_epi16(256);
    for (; x + 4 <= n; x += 4)
    {
      uint32_t four;
      memcpy(&four, cov + x, 4);
      if (four == 0) continue;
      if (four == 0xFFFFFFFFu)
      {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + x), s);
        continue;
      }
      const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x));
      const __m128i above = _mm_subs_epu8(d, s), below = _mm_subs_epu8(s, d);
      const __m128i diff = _mm_or_si128(above, below);
      const __m128i negative = _mm_cmpeq_epi8(_mm_cmpeq_epi8(below, zero), zero); // d < s
      // k = 256 - w with w = 256 * m / 255, which is m, or 256 for m = 255; four lanes a pixel.
      const __m128i c = _mm_cvtsi32_si128(int(four));
      const __m128i spread = _mm_unpacklo_epi16(_mm_unpacklo_epi8(c, c), _mm_unpacklo_epi8(c, c));
      const auto keepOf = [&](__m128i m16) {
        const __m128i w = _mm_sub_epi16(m16, _mm_cmpeq_epi16(m16, full));
        return _mm_sub_epi16(whole, w);
      };
      const __m128i k01 = keepOf(_mm_unpacklo_epi8(spread, zero)), k23 = keepOf(_mm_unpackhi_epi8(spread, zero));
      const auto half = [&](__m128i diff16, __m128i neg16, __m128i k) {
        const __m128i q = _mm_srli_epi16(_mm_mullo_epi16(diff16, k), 8);
        return _mm_add_epi16(s16, _mm_sub_epi16(_mm_xor_si128(q, neg16), neg16));
      };
      const __m128i lo = half(_mm_unpacklo_epi8(diff, zero), _mm_unpacklo_epi8(negative, negative), k01);
      const __m128i hi = half(_mm_unpackhi_epi8(diff, zero), _mm_unpackhi_epi8(negative, negative), k23);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p + x), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; x < n; ++x)
    {
      if (cov[x] == 255) p[x] = solid;
      else if (cov[x]) pixel(p + x, solid, cov[x]);
    }
  }
};

const CoverageBlend kBlend;

class ContextPixels
{
public:
  explicit ContextPixels(HDC ctx) : m_pixels(ctx->pixels.get()), m_width(ctx->width), m_height(ctx->height) {}
  PixelBox bounds() const { return PixelBox{0, 0, m_width, m_height}; }
  uint32_t* at(int64_t x, int64_t y) const { return m_pixels + y * m_width + x; }

  void drawMask(const PixelBox& clip, const PlacedMask& pm, uint32_t colour) const
  {
    const GlyphMask& m = *pm.mask;
    const PixelBox box = clip & PixelBox{pm.x, pm.y, pm.x + m.width, pm.y + m.height};
    if (box.empty()) return;
    const uint32_t solid = 0xFF000000u | colour;
    for (int64_t y = box.t; y < box.b; ++y)
      kBlend.row(at(box.l, y), m.coverage.data() + (y - pm.y) * m.width + (box.l - pm.x), box.r - box.l, solid);
  }

  // Sets every pixel whose centre lies in the text-space band to the opaque colour.
  void fillBand(const PixelBox& clip, const TextLayout& layout, const TextBand& band, uint32_t colour) const
  {
    if (band.u0 >= band.u1 || band.v0 >= band.v1) return;
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (int corner = 0; corner < 4; ++corner)
    {
      double x, y;
      layout.toDevice(corner & 1 ? band.u1 : band.u0, corner & 2 ? band.v1 : band.v0, &x, &y);
      minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    const PixelBox box = clip & PixelBox{int64_t(std::floor(minX)), int64_t(std::floor(minY)),
                                         int64_t(std::ceil(maxX)), int64_t(std::ceil(maxY))};
    if (box.empty()) return;
    const uint32_t solid = 0xFF000000u | colour;
    for (int64_t y = box.t; y < box.b; ++y)
    {
      uint32_t* p = at(box.l, y);
      for (int64_t x = box.l; x < box.r; ++x, ++p)
      {
        double u, v;
        layout.toText(double(x) + 0.5, double(y) + 0.5, &u, &v);
        if (u >= band.u0 && u < band.u1 && v >= band.v0 && v < band.v1) *p = solid;
      }
    }
  }

private:
  uint32_t* m_pixels;
  int64_t m_width;
  int64_t m_height;
};

// Lays out (and, unless only placing or measuring, prepares to draw) text in rect; the part of
// SWELL_DrawText that needs the font lock. Returns the text's height.
int64_t prepareText(HDC ctx, const FontObject& font, const char* text, size_t length, RECT* rect, unsigned flags,
                    bool placeOnly, TextJob* job, std::optional<TextLayout>* layoutOut)
{
  const LayoutFont lf{font.instance, font.metrics.tmHeight, font.metrics.tmAscent, font.instance->key().escapement};
  const int64_t wrapWidth = int64_t(rect->right) - rect->left;
  layoutOut->emplace(lf, text, length, flags, wrapWidth);
  TextLayout* layout = &**layoutOut;
  if (flags & DT_CALCRECT) return layout->boxHeight();

  layout->placeIn(*rect, flags);
  const ContextPixels pixels(ctx);
  PixelBox clip = pixels.bounds();
  if (!(flags & DT_NOCLIP)) clip = clip & PixelBox{rect->left, rect->top, rect->right, rect->bottom};
  const int64_t reach = font.instance->inkReach();
  const PixelBox near{clip.l - reach, clip.t - reach, clip.r + reach, clip.b + reach};
  const bool opaque = ctx->background_mode == OPAQUE;
  const int lineHeight = font.metrics.tmHeight, ascent = font.metrics.tmAscent;

  for (size_t line = 0; line < layout->lines().size(); ++line)
  {
    const LaidLine& l = layout->lines()[line];
    const double top = double(int64_t(line) * lineHeight), baseline = top + ascent;
    const double u0 = double(l.offset), u1 = double(l.offset + l.width);
    if (!placeOnly)
    {
      if (opaque) job->backgrounds.push_back(TextBand{u0, u1, top, top + lineHeight});
      if (font.underline)
        job->bars.push_back(TextBand{u0, u1, baseline + font.underline_offset,
                                     baseline + font.underline_offset + font.line_thickness});
      if (font.strike_out)
        job->bars.push_back(TextBand{u0, u1, baseline - font.strike_offset,
                                     baseline - font.strike_offset + font.line_thickness});
    }
    layout->walkLine(line, [&](const LaidChar& c) {
      int64_t x, y;
      layout->penPosition(line, c.u, &x, &y);
      if (placeOnly)
      {
        job->placements.push_back(SWELL_CharPlacement{c.code, clampToInt(x), clampToInt(y)});
        return true;
      }
      if (c.underlined)
      {
        const double cu = double(l.offset + c.u);
        job->bars.push_back(TextBand{cu, cu + c.glyph->advance, baseline + font.underline_offset,
                                     baseline + font.underline_offset + font.line_thickness});
      }
      if (x < near.l || x >= near.r || y < near.t || y >= near.b) return true;
      const GlyphMask* m = c.glyph->mask.get();
      if (!m)
      {
        std::unique_ptr<GlyphMask> spare(new GlyphMask);
        m = font.instance->mask(c.glyph, spare.get());
        if (m == spare.get()) job->spare_masks.push_back(std::move(spare));
      }
      if (m && m->width > 0) job->glyphs.push_back(PlacedMask{m, x + m->left, y + m->top});
      return true;
    });
  }
  return layout->boxHeight();
}

int drawText(HDC ctx, const char* text, int len, RECT* rect, unsigned flags,
             void (*place)(void*, const SWELL_CharPlacement&), void* user)
{
  if (!ctx || !text || !rect) return 0;
  // Keep the font (and so its instance and cached masks) alive until the draw is done.
  FontObject* font = SelectedFont(ctx);
  if (!font) return 0;
  SWELL_SelectedObject hold;
  hold.reset(font);

  const size_t length = len < 0 ? strlen(text) : strnlen(text, size_t(len));
  if (length == 0)
  {
    if (flags & DT_CALCRECT) rect->right = rect->left, rect->bottom = rect->top;
    return 0;
  }

  TextJob job;
  std::optional<TextLayout> layout;
  int64_t height;
  {
    WDL_MutexLock lock(&FontLock());
    height = prepareText(ctx, *font, text, length, rect, flags, place != nullptr, &job, &layout);
  }

  if (flags & DT_CALCRECT)
  {
    rect->right = clampToInt(int64_t(rect->left) + layout->boxWidth());
    rect->bottom = clampToInt(int64_t(rect->top) + layout->boxHeight());
  }
  else if (place)
  {
    for (const SWELL_CharPlacement& p : job.placements) place(user, p);
  }
  else
  {
    const ContextPixels pixels(ctx);
    PixelBox clip = pixels.bounds();
    if (!(flags & DT_NOCLIP)) clip = clip & PixelBox{rect->left, rect->top, rect->right, rect->bottom};
    if (!clip.empty() && ctx->pixels)
    {
      for (const TextBand& band : job.backgrounds) pixels.fillBand(clip, *layout, band, ctx->background_colour);
      for (const PlacedMask& g : job.glyphs) pixels.drawMask(clip, g, ctx->text_colour);
      for (const TextBand& band : job.bars) pixels.fillBand(clip, *layout, band, ctx->text_colour);
    }
  }
  return clampToInt(height);
}
} // namespace

int SWELL_DrawText(HDC ctx, const char* text, int len, RECT* rect, unsigned flags)
{
  return drawText(ctx, text, len, rect, flags, nullptr, nullptr);
}

int SWELL_LayoutText(HDC ctx, const char* text, int len, RECT* rect, unsigned flags,
                     void (*place)(void* user, const SWELL_CharPlacement& placement), void* user)
{
  if (!place) return 0;
  return drawText(ctx, text, len, rect, flags, place, user);
}
