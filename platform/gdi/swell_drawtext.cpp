#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <deque>
#include <memory>
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
  std::deque<GlyphMask> spare_masks; // glyphs the cache had no room for
  std::vector<TextBand> backgrounds;
  std::vector<TextBand> bars;
  std::vector<SWELL_CharPlacement> placements;
};

int clampToInt(int64_t v) { return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

// The one blend of text: each colour channel moves from d towards s by the coverage's weight
// w = 256 * coverage / 255, as s + (d - s) * (256 - w) / 256 (truncating), and alpha towards 255.
// It is the rasteriser's Copy formula, so masks drawn by the rasteriser match text drawn here.
inline void blendPixel(uint32_t* p, int r, int g, int b, int coverage)
{
  const int w = (256 * coverage) / 255;
  const uint32_t d = *p;
  const auto mix = [w](int dc, int sc) { return sc + ((dc - sc) * (256 - w)) / 256; };
  *p = uint32_t(mix(int(d >> 24), 255)) << 24 | uint32_t(mix(int((d >> 16) & 255), r)) << 16 |
       uint32_t(mix(int((d >> 8) & 255), g)) << 8 | uint32_t(mix(int(d & 255), b));
}

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
    const int r = int((colour >> 16) & 255), g = int((colour >> 8) & 255), b = int(colour & 255);
    const uint32_t solid = 0xFF000000u | colour;
    for (int64_t y = box.t; y < box.b; ++y)
    {
      const uint8_t* cov = m.coverage.data() + (y - pm.y) * m.width + (box.l - pm.x);
      uint32_t* p = at(box.l, y);
      for (int64_t x = box.l; x < box.r; ++x, ++p, ++cov)
      {
        if (*cov == 255) *p = solid;
        else if (*cov) blendPixel(p, r, g, b, *cov);
      }
    }
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
                    bool placeOnly, TextJob* job, std::unique_ptr<TextLayout>* layoutOut)
{
  const LayoutFont lf{font.instance, font.metrics.tmHeight, font.metrics.tmAscent, font.instance->key().escapement};
  const int64_t wrapWidth = int64_t(rect->right) - rect->left;
  layoutOut->reset(new TextLayout(lf, text, length, flags, wrapWidth));
  TextLayout* layout = layoutOut->get();
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
        job->spare_masks.emplace_back();
        m = font.instance->mask(c.glyph, &job->spare_masks.back());
        if (m != &job->spare_masks.back()) job->spare_masks.pop_back();
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
  std::unique_ptr<TextLayout> layout;
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
