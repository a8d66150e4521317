#pragma once

// Drawing loops shared by the blits: one instantiation per formula class, the source addressed
// through a clipped region and stepped in 16.16 fixed point. Internal to the rasteriser. The
// loops take their rectangles by value: a pixel store could alias a field reached through a
// reference (int and unsigned may alias) and force a reload on every pixel.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "rasterizer/lice_combine.h"
#include "rasterizer/lice_rowblend.h"

// A rectangle of source pixels the loops may read: W x H pixels from origin, rows `down` apart.
// Every sample is tested against W and H, so no coordinate reaches outside it.
struct LICE_SourceRegion
{
  const LICE_pixel* origin;
  ptrdiff_t down;
  int W;
  int H;

  const LICE_pixel* at(int64_t x, int64_t y) const { return origin + ptrdiff_t(y) * down + ptrdiff_t(x); }
};

// Destination rectangle of w x h pixels from row0, rows `down` apart.
struct LICE_DestRect
{
  LICE_pixel* row0;
  ptrdiff_t down;
  int w;
  int h;
};

namespace lice_detail
{
// double to int64 truncating toward zero, NaN as 0, held to the int range so that fixed-point
// set-up from hostile floats stays defined.
inline int64_t toIntRange(double v)
{
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return int64_t(v);
}

inline const LICE_pixel_chan* chans(const LICE_pixel* p) { return reinterpret_cast<const LICE_pixel_chan*>(p); }
inline LICE_pixel_chan* chans(LICE_pixel* p) { return reinterpret_cast<LICE_pixel_chan*>(p); }

// Bilinear sample at 16.16 position (ix, iy) of the region: the last column interpolates only
// vertically, the last row only horizontally, the corner copies; false outside the region.
inline bool bilinearSample(LICE_SourceRegion s, int64_t ix, int64_t iy, int out[4])
{
  const int64_t sx = ix >> 16, sy = iy >> 16;
  if (uint64_t(sx) >= uint64_t(s.W) || uint64_t(sy) >= uint64_t(s.H)) return false;
  const int fx = int(ix & 0xFFFF), fy = int(iy & 0xFFFF);
  const LICE_pixel* p = s.at(sx, sy);
  const LICE_pixel_chan* p00 = chans(p);
  const bool lastCol = sx == s.W - 1, lastRow = sy == s.H - 1;
  if (!lastRow && !lastCol)
  {
    const LICE_pixel_chan* p01 = chans(p + 1);
    const LICE_pixel_chan* p10 = chans(p + s.down);
    const LICE_pixel_chan* p11 = chans(p + s.down + 1);
    // The product of two fractions needs all 32 bits.
    const int w11 = int((unsigned(fx) * unsigned(fy)) >> 16), w01 = fx - w11, w10 = fy - w11, w00 = 65536 - fx - fy + w11;
    for (int c = 0; c < 4; ++c) out[c] = (p00[c] * w00 + p01[c] * w01 + p10[c] * w10 + p11[c] * w11) >> 16;
  }
  else if (!lastRow)
  {
    const LICE_pixel_chan* p10 = chans(p + s.down);
    for (int c = 0; c < 4; ++c) out[c] = (p00[c] * (65536 - fy) + p10[c] * fy) >> 16;
  }
  else if (!lastCol)
  {
    const LICE_pixel_chan* p01 = chans(p + 1);
    for (int c = 0; c < 4; ++c) out[c] = (p00[c] * (65536 - fx) + p01[c] * fx) >> 16;
  }
  else
  {
    for (int c = 0; c < 4; ++c) out[c] = p00[c];
  }
  return true;
}

template <class T>
inline void doPixFrom(LICE_pixel* d, const int c[4], int ia)
{
  T::doPix(chans(d), c[LICE_PIXEL_R], c[LICE_PIXEL_G], c[LICE_PIXEL_B], c[LICE_PIXEL_A], ia);
}

template <class T>
inline void doPixFrom(LICE_pixel* d, const LICE_pixel* s, int ia)
{
  if constexpr (std::is_same<T, _LICE_CombinePixelsClobberNoClamp>::value)
  {
    // The same four bytes, stored as one word.
    *d = *s;
    return;
  }
  const LICE_pixel_chan* c = chans(s);
  T::doPix(chans(d), c[LICE_PIXEL_R], c[LICE_PIXEL_G], c[LICE_PIXEL_B], c[LICE_PIXEL_A], ia);
}
} // namespace lice_detail

// Calls fn(destRow, srcRow) for every row of an unscaled blit whose source rows are srcDown
// apart. Rows go in increasing memory order, or decreasing when `backward` (the destination lies
// ahead of a source that shares its memory), so that no source row is read after it was written.
template <class RowFn>
inline void LICE_VisitRows(LICE_DestRect d, const LICE_pixel* src, ptrdiff_t srcDown, bool backward, RowFn fn)
{
  const bool lastRowFirst = backward ? d.down > 0 : d.down < 0;
  for (int k = 0; k < d.h; ++k)
  {
    const int y = lastRowFirst ? d.h - 1 - k : k;
    fn(d.row0 + ptrdiff_t(y) * d.down, src + ptrdiff_t(y) * srcDown);
  }
}

template <class T>
struct _LICE_Template_Blit2
{
  // Unscaled, pixels left to right, or right to left when `backward` (see LICE_VisitRows).
  static void blit(LICE_DestRect d, const LICE_pixel* src, ptrdiff_t srcDown, int ia, bool backward)
  {
    LICE_VisitRows(d, src, srcDown, backward, [&](LICE_pixel* dr, const LICE_pixel* sr) {
      if (!backward) LICE_RowBlend<T>::run(dr, sr, d.w, ia);
      else
        for (int x = d.w - 1; x >= 0; --x) lice_detail::doPixFrom<T>(dr + x, sr + x, ia);
    });
  }

  // Scaled, nearest or (Bilinear) bilinear, starting at 16.16 position (ix, iy) of the region.
  template <bool Bilinear>
  static void scaleBlit(LICE_DestRect d, LICE_SourceRegion s, int64_t ix0, int64_t iy, int64_t idx,
                        int64_t idy, int ia)
  {
    LICE_pixel* dr = d.row0;
    for (int y = 0; y < d.h; ++y, dr += d.down, iy += idy)
    {
      const int64_t sy = iy >> 16;
      if (uint64_t(sy) >= uint64_t(s.H)) continue;
      int64_t ix = ix0;
      if (Bilinear)
      {
        int c[4];
        for (int x = 0; x < d.w; ++x, ix += idx)
          if (lice_detail::bilinearSample(s, ix, iy, c)) lice_detail::doPixFrom<T>(dr + x, c, ia);
      }
      else
      {
        const LICE_pixel* sr = s.at(0, sy);
        for (int x = 0; x < d.w; ++x, ix += idx)
        {
          const int64_t sx = ix >> 16;
          if (uint64_t(sx) < uint64_t(s.W)) lice_detail::doPixFrom<T>(dr + x, sr + sx, ia);
        }
      }
    }
  }

  // Scaled with a K x K box average around each sample (K = 3 or 5); taps outside the region are
  // left out of the average.
  template <int K>
  static void scaleBlitFilterDown(LICE_DestRect d, LICE_SourceRegion s, int64_t ix0, int64_t iy,
                                  int64_t idx, int64_t idy, int ia)
  {
    const int o = -(K / 2), W = s.W, H = s.H, w = d.w;
    const ptrdiff_t down = s.down;
    LICE_pixel* dr = d.row0;
    for (int y = 0; y < d.h; ++y, dr += d.down, iy += idy)
    {
      if (iy < 0) continue;
      const int64_t cy = iy >> 16, t = cy + o;
      if (cy >= H || t >= H) continue;
      const bool fullRows = t >= 0 && t + K <= H;
      const LICE_pixel* top = fullRows ? s.at(0, t) : nullptr;
      auto pixel = [&](int x, int64_t ix) {
        if (ix < 0) return;
        const int64_t cx = ix >> 16;
        if (cx >= W) return;
        const int64_t l = cx + o;
        LICE_pixel sample;
        if (fullRows && l >= 0 && l + K <= W)
          sample = LICE_BoxAverage::full<K>(top + l, down);
        else if (!LICE_BoxAverage::partial(s, l, t, K, sample))
          return;
        lice_detail::doPixFrom<T>(dr + x, &sample, ia);
      };
      // Pixels whose whole 3 x 3 window lies in the region, 1 <= ix >> 16 <= W - 2, go through the
      // row average in runs; the others one by one.
      int inside = 0, beyond = 0;
      if (K == 3 && fullRows && idx > 0)
      {
        inside = int(std::min<int64_t>(w, firstReaching(ix0, idx, int64_t(1) << 16)));
        beyond = int(std::min<int64_t>(w, firstReaching(ix0, idx, int64_t(W - 1) << 16)));
      }
      for (int x = 0; x < inside; ++x) pixel(x, ix0 + x * idx);
      for (int x = inside; x < beyond;)
      {
        alignas(16) LICE_pixel samples[LICE_BoxAverage::kRowChunk];
        const int n = std::min(beyond - x, LICE_BoxAverage::kRowChunk);
        const bool direct = std::is_same<T, _LICE_CombinePixelsClobberNoClamp>::value;
        LICE_BoxAverage::rowOf3(top, down, ix0 + x * idx, idx, n, direct ? dr + x : samples);
        if (!direct) LICE_RowBlend<T>::run(dr + x, samples, n, ia);
        x += n;
      }
      for (int x = std::max(inside, beyond); x < w; ++x) pixel(x, ix0 + x * idx);
    }
  }

  // The first n >= 0 with start + n * step >= target, for a positive step.
  static int64_t firstReaching(int64_t start, int64_t step, int64_t target)
  {
    return start >= target ? 0 : (target - start + step - 1) / step;
  }
};

// The one loop shared by every formula for stepped (rotated, delta) sampling: per row the
// position starts at (s, t) and moves by (dsdx, dtdx) per column; after a row the start moves by
// (dsdy, dtdy) and the column steps by (dsdxdy, dtdxdy). Positions are 16.16.
struct _LICE_Template_Blit3
{
  typedef void (*DoPix)(LICE_pixel_chan* dest, int r, int g, int b, int a, int w);

  struct Steps
  {
    int64_t s, t;
    int64_t dsdx, dtdx;
    int64_t dsdy, dtdy;
    int64_t dsdxdy, dtdxdy;
  };

  static void deltaBlit(LICE_DestRect d, LICE_SourceRegion src, Steps st, bool bilinear, int ia,
                        DoPix doPix)
  {
    LICE_pixel* dr = d.row0;
    for (int y = 0; y < d.h; ++y, dr += d.down)
    {
      int64_t s = st.s, t = st.t;
      for (int x = 0; x < d.w; ++x)
      {
        samplePix(dr + x, src, s, t, bilinear, ia, doPix);
        s = wrapAdd(s, st.dsdx);
        t = wrapAdd(t, st.dtdx);
      }
      advanceRow(st);
    }
  }

  // Hostile steps may run positions past 64 bits; they wrap instead of overflowing, and the
  // region test of every sample still keeps reads inside.
  static inline int64_t wrapAdd(int64_t a, int64_t b) { return int64_t(uint64_t(a) + uint64_t(b)); }

  static inline void advanceRow(Steps& st)
  {
    st.s = wrapAdd(st.s, st.dsdy);
    st.t = wrapAdd(st.t, st.dtdy);
    st.dsdx = wrapAdd(st.dsdx, st.dsdxdy);
    st.dtdx = wrapAdd(st.dtdx, st.dtdxdy);
  }

  static inline void samplePix(LICE_pixel* dp, LICE_SourceRegion src, int64_t s, int64_t t, bool bilinear,
                               int ia, DoPix doPix)
  {
    int c[4];
    if (bilinear)
    {
      if (!lice_detail::bilinearSample(src, s, t, c)) return;
    }
    else
    {
      const int64_t sx = s >> 16, sy = t >> 16;
      if (uint64_t(sx) >= uint64_t(src.W) || uint64_t(sy) >= uint64_t(src.H)) return;
      const LICE_pixel_chan* p = lice_detail::chans(src.at(sx, sy));
      for (int i = 0; i < 4; ++i) c[i] = p[i];
    }
    doPix(lice_detail::chans(dp), c[LICE_PIXEL_R], c[LICE_PIXEL_G], c[LICE_PIXEL_B], c[LICE_PIXEL_A], ia);
  }
};

// The delta loop with an opacity that starts at ia0 (weight x 65536) and moves by dadx per column,
// dady per row and dadxdy per row on the column step; the weight is held to 0..256.
struct _LICE_Template_Blit4
{
  struct AlphaSteps
  {
    int64_t a, dadx, dady, dadxdy;
  };

  static void deltaBlitAlpha(LICE_DestRect d, LICE_SourceRegion src, _LICE_Template_Blit3::Steps st,
                             AlphaSteps al, bool bilinear, _LICE_Template_Blit3::DoPix doPix)
  {
    LICE_pixel* dr = d.row0;
    for (int y = 0; y < d.h; ++y, dr += d.down)
    {
      int64_t s = st.s, t = st.t, a = al.a;
      for (int x = 0; x < d.w; ++x)
      {
        const int64_t w = a >> 16;
        if (w > 0) _LICE_Template_Blit3::samplePix(dr + x, src, s, t, bilinear, w > 256 ? 256 : int(w), doPix);
        s = _LICE_Template_Blit3::wrapAdd(s, st.dsdx);
        t = _LICE_Template_Blit3::wrapAdd(t, st.dtdx);
        a = _LICE_Template_Blit3::wrapAdd(a, al.dadx);
      }
      _LICE_Template_Blit3::advanceRow(st);
      al.a = _LICE_Template_Blit3::wrapAdd(al.a, al.dady);
      al.dadx = _LICE_Template_Blit3::wrapAdd(al.dadx, al.dadxdy);
    }
  }
};
