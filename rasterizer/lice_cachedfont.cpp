#include "rasterizer/lice_cachedfont.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_sysbitmap.h"

namespace
{
// Bits of the DrawText flags that place text: alignment, breaking, clipping, measuring.
constexpr unsigned kPlacementFlags = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM | DT_WORDBREAK | DT_SINGLELINE |
                                     DT_NOCLIP | DT_CALCRECT;
// The measuring bitmap's smallest size, and the size at which the native path takes over.
constexpr int kMeasureSize = 256;
// Limits of one font's glyph store; characters beyond them are rendered for each draw instead.
constexpr int kMaxExtraGlyphs = 65536;
constexpr int kMaxMaskBytes = 16 << 20;

// The bitmaps all fonts share, and the number of fonts alive. Plain data, so it needs no
// construction and survives every static destructor; guarded by scratchLock().
struct SharedScratch
{
  LICE_SysBitmap* measure = nullptr;
  LICE_SysBitmap* native = nullptr;
  int live_fonts = 0;
};
SharedScratch s_scratch;

WDL_Mutex& scratchLock()
{
  static auto* lock = new WDL_Mutex;
  return *lock;
}

// The measuring bitmap, created on first use and at least 256 x 256, prepared for rendering
// coverage: white text on an opaque black background. Scratch lock held.
LICE_SysBitmap* measuringBitmap()
{
  if (!s_scratch.measure) s_scratch.measure = new LICE_SysBitmap(kMeasureSize, kMeasureSize);
  LICE_SysBitmap* bm = s_scratch.measure;
  if (bm->getWidth() < kMeasureSize || bm->getHeight() < kMeasureSize)
    bm->resize(std::max(bm->getWidth(), kMeasureSize), std::max(bm->getHeight(), kMeasureSize));
  if (HDC dc = bm->getDC())
  {
    ::SetTextColor(dc, 0xFFFFFF);
    ::SetBkMode(dc, OPAQUE);
    ::SetBkColor(dc, 0);
  }
  return bm;
}

// Grows a scratch bitmap to at least w x h (never shrinks it). False when it has no context.
bool atLeast(LICE_SysBitmap* bm, int w, int h)
{
  if (bm->getWidth() < w || bm->getHeight() < h) bm->resize(std::max(bm->getWidth(), w), std::max(bm->getHeight(), h));
  return bm->getDC() && bm->getWidth() >= w && bm->getHeight() >= h;
}

// Selects a font into a context for a scope.
class ScopedFont
{
public:
  ScopedFont(HDC dc, HGDIOBJ font) : m_dc(dc), m_previous(SelectObject(dc, font)) {}
  ~ScopedFont() { SelectObject(m_dc, m_previous); }
  ScopedFont(const ScopedFont&) = delete;
  ScopedFont& operator=(const ScopedFont&) = delete;

private:
  HDC m_dc;
  HGDIOBJ m_previous;
};

int clampToInt(long long v) { return int(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

// Where a measured w x h box goes in rect by the alignment flags.
void alignBox(const RECT& rect, unsigned flags, int w, int h, long long* x, long long* y)
{
  *x = rect.left;
  *y = rect.top;
  if (flags & DT_CENTER) *x = (static_cast<long long>(rect.left) + rect.right - w) / 2;
  else if (flags & DT_RIGHT) *x = static_cast<long long>(rect.right) - w;
  if (flags & DT_VCENTER) *y = (static_cast<long long>(rect.top) + rect.bottom - h) / 2;
  else if (flags & DT_BOTTOM) *y = static_cast<long long>(rect.bottom) - h;
}

int encodeUtf8(unsigned code, char* out)
{
  if (code < 0x80) return out[0] = char(code), 1;
  if (code < 0x800) return out[0] = char(0xC0 | (code >> 6)), out[1] = char(0x80 | (code & 0x3F)), 2;
  if (code < 0x10000)
    return out[0] = char(0xE0 | (code >> 12)), out[1] = char(0x80 | ((code >> 6) & 0x3F)),
           out[2] = char(0x80 | (code & 0x3F)), 3;
  out[0] = char(0xF0 | (code >> 18));
  out[1] = char(0x80 | ((code >> 12) & 0x3F));
  out[2] = char(0x80 | ((code >> 6) & 0x3F));
  out[3] = char(0x80 | (code & 0x3F));
  return 4;
}

void collectPlacement(void* user, const SWELL_CharPlacement& p)
{
  static_cast<std::vector<SWELL_CharPlacement>*>(user)->push_back(p);
}
} // namespace

LICE_CachedFont::LICE_CachedFont()
    : m_fg(0), m_bg(0xFFFFFFFF), m_effect(0xFFFFFFFF), m_bgmode(0), m_comb(0), m_alpha(1.0f), m_flags(0),
      m_line_height(0), m_ascent(0), m_extraglyphs(4096), m_masks(65536), m_font(nullptr)
{
  emptyGlyphStore();
  WDL_MutexLock lock(&scratchLock());
  ++s_scratch.live_fonts;
}

LICE_CachedFont::~LICE_CachedFont()
{
  if ((m_flags & LICE_FONT_FLAG_OWNS_HFONT) && m_font) DeleteObject(m_font);
  WDL_MutexLock lock(&scratchLock());
  if (--s_scratch.live_fonts == 0)
  {
    delete s_scratch.measure;
    delete s_scratch.native;
    s_scratch.measure = nullptr;
    s_scratch.native = nullptr;
  }
}

int LICE_CachedFont::LiveFontCount()
{
  WDL_MutexLock lock(&scratchLock());
  return s_scratch.live_fonts;
}

void LICE_CachedFont::SetFromHFont(HGDIOBJ font, int flags)
{
  WDL_MutexLock store(&m_store_lock);
  if ((m_flags & LICE_FONT_FLAG_OWNS_HFONT) && m_font && m_font != font) DeleteObject(m_font);
  m_flags = flags;
  m_font = font;
  m_line_height = 0;
  m_ascent = 0;
  if (font)
  {
    WDL_MutexLock lock(&scratchLock());
    LICE_SysBitmap* bm = measuringBitmap();
    TEXTMETRIC tm;
    ScopedFont selected(bm->getDC(), font);
    if (GetTextMetrics(bm->getDC(), &tm))
    {
      m_line_height = tm.tmHeight;
      m_ascent = tm.tmAscent;
    }
  }
  emptyGlyphStore();
  if (font && (flags & LICE_FONT_FLAG_PRERENDER))
    for (unsigned c = 0; c < 128; ++c) glyphFor(c);
}

void LICE_CachedFont::emptyGlyphStore()
{
  for (unsigned c = 0; c < 128; ++c) m_lowglyphs[c] = Glyph{c, -1, 0, 0, 0, 0, 0};
  m_extraglyphs.Resize(0);
  m_masks.Resize(0);
}

bool LICE_CachedFont::useNativePath(unsigned flags) const
{
  if ((m_flags & LICE_FONT_FLAG_NATIVE) && !(m_flags & LICE_FONT_FLAGS_GLYPH_ONLY) && flags <= LICE_DT_NATIVE_MAX &&
      m_font)
    return true;
  return m_line_height >= kMeasureSize;
}

int LICE_CachedFont::DrawText(LICE_IBitmap* bm, const char* text, int len, RECT* rect, unsigned flags)
{
  if (!rect || !text || !m_font) return 0;
  if (!(flags & DT_CALCRECT) && !bm) return 0;
  if (useNativePath(flags))
    return bm && bm->getDC() ? drawNative(bm, text, len, rect, flags) : drawNativeWithoutContext(bm, text, len, rect, flags);
  return drawFromGlyphs(bm, text, len, rect, flags);
}

int LICE_CachedFont::drawNative(LICE_IBitmap* bm, const char* text, int len, RECT* rect, unsigned flags)
{
  HDC dc = bm->getDC();
  ScopedFont selected(dc, m_font);
  ::SetTextColor(dc, m_fg & 0xFFFFFF);
  ::SetBkMode(dc, m_bgmode);
  if (m_bgmode == OPAQUE) ::SetBkColor(dc, m_bg & 0xFFFFFF);
  RECT r = *rect;
  const int result = SWELL_DrawText(dc, text, len, &r, flags | DT_NOPREFIX);
  if (flags & DT_CALCRECT) *rect = r;
  return result;
}

int LICE_CachedFont::drawNativeWithoutContext(LICE_IBitmap* bm, const char* text, int len, RECT* rect,
                                              unsigned flags)
{
  WDL_MutexLock lock(&scratchLock());
  if (!s_scratch.native) s_scratch.native = new LICE_SysBitmap(4, 4);
  LICE_SysBitmap* scratch = s_scratch.native;
  if (!atLeast(scratch, 4, 4)) return 0;

  // Measured with the rectangle's width, so that word breaks fall where they will when drawn.
  RECT measured = {0, 0, clampToInt(static_cast<long long>(rect->right) - rect->left), 0};
  {
    ScopedFont selected(scratch->getDC(), m_font);
    SWELL_DrawText(scratch->getDC(), text, len, &measured, (flags & 0x7FFFFFF0) | DT_CALCRECT | DT_NOPREFIX);
  }
  const int w = measured.right, h = measured.bottom;
  if (flags & DT_CALCRECT)
  {
    rect->right = clampToInt(static_cast<long long>(rect->left) + w);
    rect->bottom = clampToInt(static_cast<long long>(rect->top) + h);
    return h;
  }

  long long x, y;
  alignBox(*rect, flags, w, h, &x, &y);
  // Glyphs reach out of their box: left with italics and negative side bearings, above it with
  // accents on capitals, below it with deep descenders. The box copied through the scratch
  // bitmap is widened on every side, so that none of that ink is cut off.
  const long long reach = m_line_height < 16 ? 2 : m_line_height / 16 + 2;
  long long l = std::max(x - reach, 0LL), t = std::max(y - reach, 0LL);
  long long r = std::min(x + w + reach, static_cast<long long>(bm->getWidth())),
            b = std::min(y + h + reach, static_cast<long long>(bm->getHeight()));
  if (!(flags & DT_NOCLIP))
  {
    l = std::max(l, static_cast<long long>(rect->left)), t = std::max(t, static_cast<long long>(rect->top));
    r = std::min(r, static_cast<long long>(rect->right)), b = std::min(b, static_cast<long long>(rect->bottom));
  }
  if (l >= r || t >= b) return h;
  const int bw = int(r - l), bh = int(b - t);
  if (!atLeast(scratch, bw, bh)) return h;

  LICE_Blit(scratch, bm, 0, 0, int(l), int(t), bw, bh, 1.0f, LICE_BLIT_MODE_COPY);
  {
    HDC dc = scratch->getDC();
    ScopedFont selected(dc, m_font);
    ::SetTextColor(dc, m_fg & 0xFFFFFF);
    ::SetBkMode(dc, m_bgmode);
    if (m_bgmode == OPAQUE) ::SetBkColor(dc, m_bg & 0xFFFFFF);
    RECT inScratch = {clampToInt(x - l), clampToInt(y - t), clampToInt(x - l + w), clampToInt(y - t + h)};
    // The box is the text's own size: horizontal alignment only places lines within the block.
    SWELL_DrawText(dc, text, len, &inScratch,
                   (flags & ~unsigned(DT_CALCRECT | DT_VCENTER | DT_BOTTOM)) | DT_NOCLIP | DT_NOPREFIX);
  }
  LICE_Blit(bm, scratch, int(l), int(t), 0, 0, bw, bh, m_alpha, LICE_BLIT_MODE_COPY);
  return h;
}

const unsigned char* LICE_CachedFont::maskOf(const Glyph& g) const
{
  return static_cast<const unsigned char*>(m_masks.Get()) + g.mask_offset;
}

bool LICE_CachedFont::renderGlyph(Glyph& glyph, WDL_TypedBuf<unsigned char>& mask)
{
  LICE_SysBitmap* bm = measuringBitmap();
  if (!bm->getDC()) return false;
  char utf8[4];
  const int n = encodeUtf8(glyph.code, utf8);
  const unsigned flags = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;

  RECT box = {0, 0, 0, 0};
  {
    ScopedFont selected(bm->getDC(), m_font);
    SWELL_DrawText(bm->getDC(), utf8, n, &box, flags | DT_CALCRECT);
  }
  // Room around the cell for ink beyond it (accents, italics, descenders of symbols). Growing
  // may replace the bitmap's context, so it is fetched only afterwards.
  const int margin = m_line_height / 2 + 4;
  const int areaW = box.right + 2 * margin, areaH = box.bottom + 2 * margin;
  if (!atLeast(bm, areaW, areaH)) return false;
  HDC dc = bm->getDC();
  ScopedFont selected(dc, m_font);
  ::SetTextColor(dc, 0xFFFFFF);
  ::SetBkMode(dc, TRANSPARENT);
  LICE_FillRect(bm, 0, 0, areaW, areaH, 0, 1.0f, LICE_BLIT_MODE_COPY);

  // Only the cleared area is scanned for ink, so nothing left from an earlier glyph is picked up.
  RECT cell = {margin, margin, margin + box.right, margin + box.bottom};
  SWELL_CharPlacement pen = {glyph.code, margin, margin + m_ascent};
  SWELL_LayoutText(dc, utf8, n, &cell, flags,
                   [](void* user, const SWELL_CharPlacement& p) { *static_cast<SWELL_CharPlacement*>(user) = p; },
                   &pen);
  SWELL_DrawText(dc, utf8, n, &cell, flags);

  // The ink's bounding box in the green channel (white text on black: green = coverage).
  const LICE_BitmapRows rows(bm);
  int x0 = areaW, y0 = areaH, x1 = -1, y1 = -1;
  for (int y = 0; y < areaH; ++y)
  {
    const LICE_pixel* p = rows.row(y);
    for (int x = 0; x < areaW; ++x)
      if (LICE_GETG(p[x]))
      {
        x0 = std::min(x0, x), x1 = std::max(x1, x);
        y0 = std::min(y0, y), y1 = std::max(y1, y);
      }
  }
  glyph.advance = box.right;
  if (x1 < 0)
  {
    glyph.width = glyph.height = glyph.left = glyph.top = 0;
    mask.Resize(0);
    return true;
  }
  glyph.width = x1 - x0 + 1;
  glyph.height = y1 - y0 + 1;
  glyph.left = x0 - pen.x;
  glyph.top = y0 - pen.y;
  if (!mask.Resize(glyph.width * glyph.height)) return false;
  const bool mono = (m_flags & LICE_FONT_FLAG_FX_MONO) != 0;
  for (int y = 0; y < glyph.height; ++y)
  {
    const LICE_pixel* p = rows.row(y0 + y) + x0;
    unsigned char* out = mask.Get() + y * glyph.width;
    for (int x = 0; x < glyph.width; ++x)
    {
      const unsigned v = LICE_GETG(p[x]);
      out[x] = mono ? (v >= 128 ? 255 : 0) : static_cast<unsigned char>(v);
    }
  }
  return true;
}

LICE_CachedFont::Glyph* LICE_CachedFont::glyphFor(unsigned code)
{
  Glyph* g = nullptr;
  if (code < 128) g = &m_lowglyphs[code];
  else
  {
    Glyph* begin = m_extraglyphs.Get();
    const int count = m_extraglyphs.GetSize();
    Glyph* at = std::lower_bound(begin, begin + count, code, [](const Glyph& e, unsigned c) { return e.code < c; });
    const int index = int(at - begin);
    if (index < count && at->code == code) g = at;
    else
    {
      if (count >= kMaxExtraGlyphs || !m_extraglyphs.Resize(count + 1)) return nullptr;
      begin = m_extraglyphs.Get();
      memmove(begin + index + 1, begin + index, sizeof(Glyph) * size_t(count - index));
      g = begin + index;
      *g = Glyph{code, -1, 0, 0, 0, 0, 0};
    }
  }
  if (g->mask_offset >= 0) return g;

  WDL_TypedBuf<unsigned char> mask(256);
  {
    WDL_MutexLock lock(&scratchLock());
    if (!renderGlyph(*g, mask)) return nullptr;
  }
  const int offset = m_masks.GetSize(), bytes = mask.GetSize();
  if (bytes > kMaxMaskBytes - offset || !m_masks.Resize(offset + bytes)) return nullptr;
  if (bytes) memcpy(static_cast<unsigned char*>(m_masks.Get()) + offset, mask.Get(), size_t(bytes));
  g->mask_offset = offset;
  return g;
}

void LICE_CachedFont::drawMask(LICE_IBitmap* bm, const Glyph& g, const unsigned char* mask, int penX, int penY,
                               const RECT& clip, float alpha)
{
  if (!g.width || !g.height) return;
  const long long x = static_cast<long long>(penX) + g.left, y = static_cast<long long>(penY) + g.top;
  const long long l = std::max<long long>(x, clip.left), t = std::max<long long>(y, clip.top);
  const long long r = std::min<long long>(x + g.width, clip.right), b = std::min<long long>(y + g.height, clip.bottom);
  if (l >= r || t >= b) return;
  const unsigned char* from = mask + (t - y) * g.width + (l - x);
  const int w = int(r - l), h = int(b - t);
  const auto draw = [&](int dx, int dy, LICE_pixel colour) {
    if (m_flags & LICE_FONT_FLAG_FX_MONO)
      LICE_DrawMonoGlyph(bm, int(l) + dx, int(t) + dy, colour, from, w, g.width, h, alpha, m_comb);
    else
      LICE_DrawGlyphEx(bm, int(l) + dx, int(t) + dy, colour, from, w, g.width, h, alpha, m_comb);
  };
  if (m_flags & LICE_FONT_FLAG_FX_OUTLINE)
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (dx || dy) draw(dx, dy, m_effect);
  if (m_flags & LICE_FONT_FLAG_FX_SHADOW) draw(1, 1, m_effect);
  draw(0, 0, m_fg);
}

int LICE_CachedFont::drawFromGlyphs(LICE_IBitmap* bm, const char* text, int len, RECT* rect, unsigned flags)
{
  WDL_MutexLock store(&m_store_lock);
  const unsigned layoutFlags = (flags & kPlacementFlags) | DT_NOPREFIX;
  std::vector<SWELL_CharPlacement> placed;
  RECT r = *rect;
  int height = 0;
  {
    WDL_MutexLock lock(&scratchLock());
    LICE_SysBitmap* scratch = measuringBitmap();
    ScopedFont selected(scratch->getDC(), m_font);
    if (flags & DT_CALCRECT)
    {
      height = SWELL_DrawText(scratch->getDC(), text, len, &r, layoutFlags);
      *rect = r;
      return height;
    }
    height = SWELL_LayoutText(scratch->getDC(), text, len, &r, layoutFlags, collectPlacement, &placed);
  }

  RECT clip = {0, 0, bm->getWidth(), bm->getHeight()};
  if (!(flags & DT_NOCLIP))
    clip = RECT{std::max(clip.left, rect->left), std::max(clip.top, rect->top), std::min(clip.right, rect->right),
                std::min(clip.bottom, rect->bottom)};
  if (clip.left >= clip.right || clip.top >= clip.bottom) return height;

  if (m_bgmode == OPAQUE)
  {
    RECT box = *rect;
    DrawText(nullptr, text, len, &box, (flags & kPlacementFlags) | DT_CALCRECT);
    long long x, y;
    alignBox(*rect, flags, box.right - box.left, box.bottom - box.top, &x, &y);
    const long long l = std::max<long long>(x, clip.left), t = std::max<long long>(y, clip.top);
    const long long rr = std::min<long long>(x + (box.right - box.left), clip.right);
    const long long b = std::min<long long>(y + (box.bottom - box.top), clip.bottom);
    if (l < rr && t < b) LICE_FillRect(bm, int(l), int(t), int(rr - l), int(b - t), m_bg, m_alpha, m_comb);
  }

  float alpha = m_alpha;
  if (flags & LICE_DT_USEFGALPHA) alpha *= static_cast<float>(m_fg >> 24) / 255.0f;
  // A glyph's ink stays within a line height or so of its pen; anything farther outside the clip
  // is not looked up at all, so a long text costs only what shows.
  const long long reach = 2LL * std::max(m_line_height, 1) + 4;
  for (const SWELL_CharPlacement& p : placed)
  {
    if (p.x + reach < clip.left || p.x - reach >= clip.right || p.y + reach < clip.top || p.y - reach >= clip.bottom)
      continue;
    if (const Glyph* g = glyphFor(p.code))
    {
      drawMask(bm, *g, maskOf(*g), p.x, p.y, clip, alpha);
      continue;
    }
    // The store is full: render this one for this draw only.
    Glyph once{p.code, -1, 0, 0, 0, 0, 0};
    WDL_TypedBuf<unsigned char> mask(256);
    bool rendered;
    {
      WDL_MutexLock lock(&scratchLock());
      rendered = renderGlyph(once, mask);
    }
    if (rendered) drawMask(bm, once, mask.Get(), p.x, p.y, clip, alpha);
  }
  return height;
}

int LICE_CachedFont::DrawGlyph(LICE_IBitmap* bm, unsigned short c, int x, int y, RECT* clip)
{
  if (!bm || !m_font) return 0;
  WDL_MutexLock store(&m_store_lock);
  const Glyph* g = glyphFor(c);
  if (!g) return 0;
  RECT box = {0, 0, bm->getWidth(), bm->getHeight()};
  if (clip)
    box = RECT{std::max(box.left, clip->left), std::max(box.top, clip->top), std::min(box.right, clip->right),
               std::min(box.bottom, clip->bottom)};
  if (box.left < box.right && box.top < box.bottom)
    drawMask(bm, *g, maskOf(*g), x, clampToInt(static_cast<long long>(y) + m_ascent), box, m_alpha);
  return g->advance;
}
