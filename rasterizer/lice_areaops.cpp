#include "rasterizer/lice_areaops.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "rasterizer/lice_blit_loops.h"
#include "rasterizer/lice_combine.h"

namespace
{
using lice_detail::toIntRange;

// A float channel value rounded to the nearest integer and held to 0..255 (NaN gives 0).
inline int channelOf(float v)
{
  if (!(v >= 0.0f)) return 0;
  if (v >= 255.0f) return 255;
  return int(v + 0.5f);
}

// Gradient channel in 16.16 fixed point, 255 x 65536 = full.
struct GradChannel
{
  int64_t start, dx, dy;
};

inline int gradValue(int64_t v)
{
  const int64_t c = v >> 16;
  return c < 0 ? 0 : (c > 255 ? 255 : int(c));
}
} // namespace

// Gradient fill: one instantiation per formula class, weight from the gradient's alpha when
// `alphaWeight`, else full.
template <class T>
struct _LICE_Template_Blit1
{
  static void gradBlit(const LICE_DestRect& d, const GradChannel ch[4], bool alphaWeight)
  {
    LICE_pixel* row = d.row0;
    for (int y = 0; y < d.h; ++y, row += d.down)
    {
      int64_t v[4];
      for (int c = 0; c < 4; ++c) v[c] = ch[c].start + int64_t(y) * ch[c].dy;
      for (int x = 0; x < d.w; ++x)
      {
        const int r = gradValue(v[0]), g = gradValue(v[1]), b = gradValue(v[2]), a = gradValue(v[3]);
        T::doPix(lice_detail::chans(row + x), r, g, b, a, alphaWeight ? a + (a >> 7) : 256);
        for (int c = 0; c < 4; ++c) v[c] += ch[c].dx;
      }
    }
  }
};

void LICE_GradRect(LICE_IBitmap* dest, int x, int y, int w, int h, float r0, float g0, float b0, float a0,
                   float drdx, float dgdx, float dbdx, float dadx, float drdy, float dgdy, float dbdy, float dady,
                   int mode)
{
  const LICE_BitmapRows d(dest);
  int64_t cx = x, cy = y, cw = w, ch = h;
  if (!d.clip(cx, cy, cw, ch)) return;
  const float start[4] = {r0, g0, b0, a0}, ddx[4] = {drdx, dgdx, dbdx, dadx}, ddy[4] = {drdy, dgdy, dbdy, dady};
  GradChannel chan[4];
  constexpr double kFull = 255.0 * 65536.0;
  for (int c = 0; c < 4; ++c)
  {
    // The rectangle may have been clipped on the left or top: start at the first visible pixel.
    const double s = double(start[c]) + double(ddx[c]) * double(cx - x) + double(ddy[c]) * double(cy - y);
    chan[c].start = toIntRange(s * kFull);
    chan[c].dx = toIntRange(double(ddx[c]) * kFull);
    chan[c].dy = toIntRange(double(ddy[c]) * kFull);
  }
  const LICE_DestRect dr{d.at(int(cx), int(cy)), d.down(), int(cw), int(ch)};
  const bool alphaWeight = (mode & LICE_BLIT_USE_ALPHA) != 0;
  switch (mode & LICE_BLIT_MODE_MASK)
  {
    case LICE_BLIT_MODE_COPY:
      if (alphaWeight) _LICE_Template_Blit1<_LICE_CombinePixelsCopyClamp>::gradBlit(dr, chan, true);
      else _LICE_Template_Blit1<_LICE_CombinePixelsClobberClamp>::gradBlit(dr, chan, false);
      break;
    case LICE_BLIT_MODE_ADD: _LICE_Template_Blit1<_LICE_CombinePixelsAdd>::gradBlit(dr, chan, alphaWeight); break;
    case LICE_BLIT_MODE_DODGE: _LICE_Template_Blit1<_LICE_CombinePixelsColorDodge>::gradBlit(dr, chan, alphaWeight); break;
    case LICE_BLIT_MODE_MUL: _LICE_Template_Blit1<_LICE_CombinePixelsMulClamp>::gradBlit(dr, chan, alphaWeight); break;
    case LICE_BLIT_MODE_OVERLAY: _LICE_Template_Blit1<_LICE_CombinePixelsOverlay>::gradBlit(dr, chan, alphaWeight); break;
    case LICE_BLIT_MODE_HSVADJ: _LICE_Template_Blit1<_LICE_CombinePixelsHSVAdjust>::gradBlit(dr, chan, alphaWeight); break;
    default: break;
  }
}

void LICE_Blur(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch)
{
  if (!dest || !src) return;
  const LICE_BitmapRows d(dest), s(src);
  int64_t sx = srcx, sy = srcy, sw = srcw, sh = srch;
  int64_t dx = dstx, dy = dsty;
  // Clip the source rectangle to the source, moving the destination along.
  if (sx < 0)
  {
    dx -= sx;
    sw += sx;
    sx = 0;
  }
  if (sy < 0)
  {
    dy -= sy;
    sh += sy;
    sy = 0;
  }
  sw = std::min<int64_t>(sw, s.width - sx);
  sh = std::min<int64_t>(sh, s.height - sy);
  if (sw <= 0 || sh <= 0 || !s.usable() || !d.usable()) return;
  const LICE_SourceRegion reg{s.at(int(sx), int(sy)), s.down(), int(sw), int(sh)};

  // Then the destination: only the visible part is written, each from its own neighbourhood.
  const int64_t x0 = std::max<int64_t>(dx, 0), y0 = std::max<int64_t>(dy, 0);
  const int64_t x1 = std::min<int64_t>(dx + sw, d.width), y1 = std::min<int64_t>(dy + sh, d.height);
  for (int64_t y = y0; y < y1; ++y)
  {
    LICE_pixel* row = d.row(int(y));
    for (int64_t x = x0; x < x1; ++x)
    {
      LICE_pixel v;
      if (LICE_BoxAverage::partial(reg, x - dx - 1, y - dy - 1, 3, v)) row[x] = v;
    }
  }
}

void LICE_HalveBlitAA(LICE_IBitmap* dest, LICE_IBitmap* src)
{
  if (!dest || !src) return;
  const LICE_BitmapRows d(dest), s(src);
  if (!d.usable() || !s.usable()) return;
  const int w = std::min(d.width, s.width / 2), h = std::min(d.height, s.height / 2);
  for (int y = 0; y < h; ++y)
  {
    LICE_pixel* out = d.row(y);
    const LICE_pixel* a = s.row(2 * y);
    const LICE_pixel* b = s.row(2 * y + 1);
    for (int x = 0; x < w; ++x)
    {
      const LICE_pixel p[4] = {a[2 * x], a[2 * x + 1], b[2 * x], b[2 * x + 1]};
      LICE_pixel v = 0;
      for (int c = 0; c < 32; c += 8)
      {
        unsigned sum = 2;
        for (LICE_pixel q : p) sum += (q >> c) & 255u;
        v |= LICE_pixel(sum >> 2) << c;
      }
      out[x] = v;
    }
  }
}

void LICE_MultiplyAddRect(LICE_IBitmap* dest, int x, int y, int w, int h, float rsc, float gsc, float bsc,
                          float asc, float radd, float gadd, float badd, float aadd)
{
  const LICE_BitmapRows d(dest);
  int64_t cx = x, cy = y, cw = w, ch = h;
  if (!d.clip(cx, cy, cw, ch)) return;
  // Byte order of a pixel: blue, green, red, alpha.
  const float sc[4] = {bsc, gsc, rsc, asc}, add[4] = {badd, gadd, radd, aadd};
  for (int64_t r = cy; r < cy + ch; ++r)
  {
    LICE_pixel_chan* p = lice_detail::chans(d.row(int(r)) + cx);
    for (int64_t i = 0; i < cw * 4; ++i) p[i] = LICE_pixel_chan(channelOf(float(p[i]) * sc[i & 3] + add[i & 3]));
  }
}

void LICE_ProcessRect(LICE_IBitmap* dest, int x, int y, int w, int h, void (*callback)(LICE_pixel* px, void* context),
                      void* context)
{
  const LICE_BitmapRows d(dest);
  int64_t cx = x, cy = y, cw = w, ch = h;
  if (!callback || !d.clip(cx, cy, cw, ch)) return;
  for (int64_t r = cy; r < cy + ch; ++r)
  {
    LICE_pixel* p = d.row(int(r)) + cx;
    for (int64_t i = 0; i < cw; ++i) callback(p + i, context);
  }
}

void LICE_SimpleFill(LICE_IBitmap* dest, int x, int y, LICE_pixel newcolour, LICE_pixel comparemask,
                     LICE_pixel keepmask)
{
  const LICE_BitmapRows d(dest);
  if (!d.usable() || x < 0 || y < 0 || x >= d.width || y >= d.height) return;
  const LICE_pixel target = *d.at(x, y) & comparemask;
  auto matches = [&](LICE_pixel p) { return (p & comparemask) == target; };
  auto fillRun = [&](int row) {
    LICE_pixel* p = d.row(row);
    int l = x, r = x;
    while (l > 0 && matches(p[l - 1])) --l;
    while (r + 1 < d.width && matches(p[r + 1])) ++r;
    for (int i = l; i <= r; ++i) p[i] = newcolour | (p[i] & keepmask);
  };
  for (int row = y; row < d.height && matches(*d.at(x, row)); ++row) fillRun(row);
  for (int row = y - 1; row >= 0 && matches(*d.at(x, row)); --row) fillRun(row);
}
