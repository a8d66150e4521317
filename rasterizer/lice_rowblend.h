#pragma once

// Row kernels of the blits: the per-row step of the unscaled blit for each formula class, with
// SSE2 versions (baseline on x86-64) of the formulas the editor uses all the time, and the box
// average of the down-scaling filter. They give exactly the formulas' results. Internal to the
// rasteriser.

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "rasterizer/lice_combine.h"

namespace lice_detail
{
template <class T>
inline void blendRow(LICE_pixel* d, const LICE_pixel* s, int n, int ia)
{
  for (int i = 0; i < n; ++i)
  {
    const LICE_pixel_chan* c = reinterpret_cast<const LICE_pixel_chan*>(s + i);
    T::doPix(reinterpret_cast<LICE_pixel_chan*>(d + i), c[LICE_PIXEL_R], c[LICE_PIXEL_G], c[LICE_PIXEL_B],
             c[LICE_PIXEL_A], ia);
  }
}
} // namespace lice_detail

// Combines n source pixels into n destination pixels, left to right, with formula T.
template <class T>
struct LICE_RowBlend
{
  static inline void run(LICE_pixel* d, const LICE_pixel* s, int n, int ia) { lice_detail::blendRow<T>(d, s, n, ia); }
};

namespace lice_simd
{
// Per 16-bit lane: s + ((d - s) * m) / 256 with the division truncating toward zero, for lanes
// holding channels 0..255 and m in 0..256 (|d - s| * m stays below 65536).
inline __m128i copyLanes(__m128i d, __m128i s, __m128i m)
{
  const __m128i neg = _mm_cmpgt_epi16(s, d);
  const __m128i diff = _mm_sub_epi16(d, s);
  const __m128i absd = _mm_sub_epi16(_mm_xor_si128(diff, neg), neg);
  const __m128i q = _mm_srli_epi16(_mm_mullo_epi16(absd, m), 8);
  return _mm_add_epi16(s, _mm_sub_epi16(_mm_xor_si128(q, neg), neg));
}

// Each pixel's alpha lane copied to its four lanes (two pixels per register).
inline __m128i broadcastAlpha(__m128i v)
{
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0xFF), 0xFF);
}

inline __m128i alphaLaneMask() { return _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0); }

// Source-alpha Copy of two unpacked pixels. Full: the weight-256 variant (m = 255 - sa, alpha
// gains sa); otherwise w' = (w * (sa + 1)) / 256 for 0 < w < 256 (m = 256 - w', alpha gains w').
template <bool Full>
inline __m128i sourceAlphaLanes(__m128i d, __m128i s, __m128i w)
{
  const __m128i sa = broadcastAlpha(s);
  const __m128i gain = Full ? sa : _mm_srli_epi16(_mm_mullo_epi16(w, _mm_add_epi16(sa, _mm_set1_epi16(1))), 8);
  const __m128i m = _mm_sub_epi16(_mm_set1_epi16(Full ? 255 : 256), gain);
  const __m128i colour = copyLanes(d, s, m);
  const __m128i alpha = _mm_min_epi16(_mm_add_epi16(d, gain), _mm_set1_epi16(255));
  const __m128i amask = alphaLaneMask();
  const __m128i out = _mm_or_si128(_mm_and_si128(amask, alpha), _mm_andnot_si128(amask, colour));
  const __m128i keep = _mm_cmpeq_epi16(sa, _mm_setzero_si128());
  return _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, out));
}

// Runs Lanes(d, s, param) over a row, four pixels per step, finishing with the scalar formula T.
// Lanes::skipsTransparent: four fully transparent source pixels leave the destination as it is;
// Lanes::copiesOpaque: four opaque source pixels simply replace it.
template <class T, class Lanes>
inline void runRow(LICE_pixel* d, const LICE_pixel* s, int n, int ia, __m128i param)
{
  const __m128i z = _mm_setzero_si128();
  const __m128i alphaBytes = _mm_set1_epi32(int(0xFF000000u));
  int i = 0;
  for (; i + 4 <= n; i += 4)
  {
    const __m128i S = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    if (Lanes::skipsTransparent || Lanes::copiesOpaque)
    {
      const __m128i alpha = _mm_and_si128(S, alphaBytes);
      if (Lanes::skipsTransparent && _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, z)) == 0xFFFF) continue;
      if (Lanes::copiesOpaque && _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, alphaBytes)) == 0xFFFF)
      {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), S);
        continue;
      }
    }
    const __m128i D = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    const __m128i lo = Lanes::apply(_mm_unpacklo_epi8(D, z), _mm_unpacklo_epi8(S, z), param);
    const __m128i hi = Lanes::apply(_mm_unpackhi_epi8(D, z), _mm_unpackhi_epi8(S, z), param);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(lo, hi));
  }
  lice_detail::blendRow<T>(d + i, s + i, n - i, ia);
}

struct CopyLanes
{
  static constexpr bool skipsTransparent = false;
  static constexpr bool copiesOpaque = false;
  static inline __m128i apply(__m128i d, __m128i s, __m128i m) { return copyLanes(d, s, m); }
};
template <bool Full>
struct SourceAlphaLanes
{
  static constexpr bool skipsTransparent = true;
  static constexpr bool copiesOpaque = Full;
  static inline __m128i apply(__m128i d, __m128i s, __m128i w) { return sourceAlphaLanes<Full>(d, s, w); }
};
} // namespace lice_simd

template <>
struct LICE_RowBlend<_LICE_CombinePixelsClobberNoClamp>
{
  static inline void run(LICE_pixel* d, const LICE_pixel* s, int n, int)
  {
    if (n > 0) std::memmove(d, s, size_t(n) * sizeof(LICE_pixel));
  }
};

template <>
struct LICE_RowBlend<_LICE_CombinePixelsCopyNoClamp>
{
  static inline void run(LICE_pixel* d, const LICE_pixel* s, int n, int ia)
  {
    if (ia <= 0 || ia > 256)
    {
      lice_detail::blendRow<_LICE_CombinePixelsCopyNoClamp>(d, s, n, ia);
      return;
    }
    lice_simd::runRow<_LICE_CombinePixelsCopyNoClamp, lice_simd::CopyLanes>(d, s, n, ia,
                                                                           _mm_set1_epi16(short(256 - ia)));
  }
};

template <>
struct LICE_RowBlend<_LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>
{
  static inline void run(LICE_pixel* d, const LICE_pixel* s, int n, int ia)
  {
    lice_simd::runRow<_LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp, lice_simd::SourceAlphaLanes<true>>(
        d, s, n, ia, _mm_setzero_si128());
  }
};

template <>
struct LICE_RowBlend<_LICE_CombinePixelsCopySourceAlphaNoClamp>
{
  static inline void run(LICE_pixel* d, const LICE_pixel* s, int n, int ia)
  {
    if (ia <= 0 || ia >= 256)
    {
      lice_detail::blendRow<_LICE_CombinePixelsCopySourceAlphaNoClamp>(d, s, n, ia);
      return;
    }
    lice_simd::runRow<_LICE_CombinePixelsCopySourceAlphaNoClamp, lice_simd::SourceAlphaLanes<false>>(
        d, s, n, ia, _mm_set1_epi16(short(ia)));
  }
};

// Averages of K x K source pixels for the down-scaling box filter (every tap weighs the same, so
// the average is the channel sum divided by the number of taps, truncated).
struct LICE_BoxAverage
{
  // All K x K taps from p (top-left), rows `down` apart; K is 3 or 5.
  template <int K>
  static inline LICE_pixel full(const LICE_pixel* p, ptrdiff_t down)
  {
    if (K == 3) return full3(p, p + down, p + 2 * down);
    unsigned sum[4] = {0, 0, 0, 0};
    for (int r = 0; r < K; ++r, p += down)
      for (int c = 0; c < K; ++c)
      {
        const LICE_pixel v = p[c];
        sum[0] += v & 255u;
        sum[1] += (v >> 8) & 255u;
        sum[2] += (v >> 16) & 255u;
        sum[3] += v >> 24;
      }
    const unsigned n = unsigned(K * K);
    return LICE_RGBA(sum[2] / n, sum[1] / n, sum[0] / n, sum[3] / n);
  }

  // The nine taps of three pixels from each of three rows.
  static inline LICE_pixel full3(const LICE_pixel* r0, const LICE_pixel* r1, const LICE_pixel* r2)
  {
    const __m128i z = _mm_setzero_si128();
    auto two = [z](const LICE_pixel* p) {
      return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), z);
    };
    auto one = [z](const LICE_pixel* p) { return _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(p[2])), z); };
    const __m128i pairs = _mm_add_epi16(_mm_add_epi16(two(r0), two(r1)), two(r2));
    const __m128i thirds = _mm_add_epi16(_mm_add_epi16(one(r0), one(r1)), one(r2));
    const __m128i sum = _mm_add_epi16(thirds, _mm_add_epi16(pairs, _mm_srli_si128(pairs, 8)));
    // floor(x / 9) == (x * 7282) >> 16 for every x up to 9 * 255.
    const __m128i q = _mm_mulhi_epu16(sum, _mm_set1_epi16(7282));
    return LICE_pixel(_mm_cvtsi128_si32(_mm_packus_epi16(q, q)));
  }

  // The taps of the K x K window at (l, t) that lie inside the region; false when none does.
  template <class Region>
  static inline bool partial(const Region& s, int64_t l, int64_t t, int K, LICE_pixel& out)
  {
    unsigned sum[4] = {0, 0, 0, 0};
    unsigned n = 0;
    for (int64_t y = t < 0 ? 0 : t; y < t + K && y < s.H; ++y)
      for (int64_t x = l < 0 ? 0 : l; x < l + K && x < s.W; ++x)
      {
        const LICE_pixel v = *s.at(x, y);
        sum[0] += v & 255u;
        sum[1] += (v >> 8) & 255u;
        sum[2] += (v >> 16) & 255u;
        sum[3] += v >> 24;
        ++n;
      }
    if (!n) return false;
    out = LICE_RGBA(sum[2] / n, sum[1] / n, sum[0] / n, sum[3] / n);
    return true;
  }
};
