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
#include "rasterizer/lice_simd.h"

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

// The AVX2 forms of the rows below (lice_rowblend_avx2.cpp), eight pixels a step; only for
// LICE_SimdLevel::kAvx2. Each returns how many pixels it did, a multiple of 8, and leaves the rest
// to the caller. Copy takes m = 256 - w; source alpha takes w, unused for the full-weight form.
int copyRowAvx2(LICE_pixel* d, const LICE_pixel* s, int n, int m);
int sourceAlphaRowAvx2(LICE_pixel* d, const LICE_pixel* s, int n, int w, bool fullWeight);

inline bool avx2Rows() { return LICE_ActiveSimd() == LICE_SimdLevel::kAvx2; }

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

namespace lice_simd
{
// Copies n pixels between rows that share no memory, 16 bytes at a time to 16-byte boundaries of
// the destination. Wider moves lose here: a memory-bound copy gains nothing from them, and
// stores that straddle cache lines cost twice.
inline void copyDisjointRow(LICE_pixel* d, const LICE_pixel* s, int n)
{
  int i = 0;
  for (; i < n && (reinterpret_cast<uintptr_t>(d + i) & 15) != 0; ++i) d[i] = s[i];
  for (; i + 16 <= n; i += 16)
  {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 4));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 8));
    const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 12));
    _mm_store_si128(reinterpret_cast<__m128i*>(d + i), a);
    _mm_store_si128(reinterpret_cast<__m128i*>(d + i + 4), b);
    _mm_store_si128(reinterpret_cast<__m128i*>(d + i + 8), c);
    _mm_store_si128(reinterpret_cast<__m128i*>(d + i + 12), e);
  }
  for (; i + 4 <= n; i += 4)
    _mm_store_si128(reinterpret_cast<__m128i*>(d + i), _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
  for (; i < n; ++i) d[i] = s[i];
}

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
    const int done = lice_simd::avx2Rows() ? lice_simd::copyRowAvx2(d, s, n, 256 - ia) : 0;
    lice_simd::runRow<_LICE_CombinePixelsCopyNoClamp, lice_simd::CopyLanes>(d + done, s + done, n - done, ia,
                                                                           _mm_set1_epi16(short(256 - ia)));
  }
};

template <>
struct LICE_RowBlend<_LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>
{
  static inline void run(LICE_pixel* d, const LICE_pixel* s, int n, int ia)
  {
    const int done = lice_simd::avx2Rows() ? lice_simd::sourceAlphaRowAvx2(d, s, n, ia, true) : 0;
    lice_simd::runRow<_LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp, lice_simd::SourceAlphaLanes<true>>(
        d + done, s + done, n - done, ia, _mm_setzero_si128());
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
    const int done = lice_simd::avx2Rows() ? lice_simd::sourceAlphaRowAvx2(d, s, n, ia, false) : 0;
    lice_simd::runRow<_LICE_CombinePixelsCopySourceAlphaNoClamp, lice_simd::SourceAlphaLanes<false>>(
        d + done, s + done, n - done, ia, _mm_set1_epi16(short(ia)));
  }
};

namespace lice_detail
{
// 2^24 / n rounded up, for n from 1 to 25: x times it, shifted back by 24, is floor(x / n) for
// every x up to 25 * 255, the largest sum of a box filter's taps.
struct TapReciprocals
{
  uint32_t of[26] = {};
  constexpr TapReciprocals()
  {
    for (uint32_t n = 1; n <= 25; ++n) of[n] = ((uint32_t(1) << 24) + n - 1) / n;
  }
};
constexpr TapReciprocals kTapReciprocals{};

constexpr bool tapReciprocalsExact()
{
  for (uint64_t n = 1; n <= 25; ++n)
    for (uint64_t x = 0; x <= 25 * 255; ++x)
      if (((x * kTapReciprocals.of[n]) >> 24) != x / n) return false;
  return true;
}
static_assert(tapReciprocalsExact(), "box averages must divide exactly");
} // namespace lice_detail

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

  // Most destination pixels of one call to rowOf3 (its stack holds their column sums).
  static constexpr int kRowChunk = 64;

  // n averages of 3 x 3 taps in the rows top, top + down and top + 2 down: the window of pixel i
  // starts at column ((ix + i * idx) >> 16) - 1 of top, and every window lies inside the source.
  // idx is positive and at most three columns (0x30000), so neighbouring windows share columns:
  // each column's three taps are summed once, then three column sums per pixel.
  static inline void rowOf3(const LICE_pixel* top, ptrdiff_t down, int64_t ix, int64_t idx, int n,
                            LICE_pixel* out)
  {
    if (LICE_ActiveSimd() == LICE_SimdLevel::kAvx2) rowOf3Avx2(top, down, ix, idx, n, out);
    else rowOf3Chunks<columnSums3, averagesOf3>(top, down, ix, idx, n, out);
  }

  // rowOf3 in chunks of kRowChunk pixels, with the given column-sum and average steps.
  template <void (*ColumnSums)(const LICE_pixel*, const LICE_pixel*, const LICE_pixel*, int, uint64_t*),
            void (*Averages)(const uint64_t*, int64_t, int64_t, int, LICE_pixel*)>
  __attribute__((always_inline)) static inline void rowOf3Chunks(const LICE_pixel* top, ptrdiff_t down, int64_t ix,
                                                                 int64_t idx, int n, LICE_pixel* out)
  {
    alignas(32) uint64_t sums[kRowChunk * 3 + 4];
    for (int done = 0; done < n;)
    {
      const int m = n - done < kRowChunk ? n - done : kRowChunk;
      const int64_t first = (ix >> 16) - 1;
      const int columns = int(((ix + (m - 1) * idx) >> 16) + 2 - first);
      const LICE_pixel* r0 = top + first;
      ColumnSums(r0, r0 + down, r0 + 2 * down, columns, sums);
      Averages(sums, ix - ((first + 1) << 16), idx, m, out + done);
      ix += m * idx;
      done += m;
    }
  }

  // rowOf3 with AVX2 (lice_rowblend_avx2.cpp); only for LICE_SimdLevel::kAvx2.
  static void rowOf3Avx2(const LICE_pixel* top, ptrdiff_t down, int64_t ix, int64_t idx, int n, LICE_pixel* out);

  // Per column c < n: the channel sums of r0[c], r1[c] and r2[c], as four 16-bit lanes in sums[c].
  static inline void columnSums3(const LICE_pixel* r0, const LICE_pixel* r1, const LICE_pixel* r2, int n,
                                 uint64_t* sums)
  {
    const __m128i z = _mm_setzero_si128();
    int c = 0;
    for (; c + 4 <= n; c += 4)
    {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r0 + c));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r1 + c));
      const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r2 + c));
      const __m128i lo =
          _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi8(a, z), _mm_unpacklo_epi8(b, z)), _mm_unpacklo_epi8(d, z));
      const __m128i hi =
          _mm_add_epi16(_mm_add_epi16(_mm_unpackhi_epi8(a, z), _mm_unpackhi_epi8(b, z)), _mm_unpackhi_epi8(d, z));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + c), lo);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + c + 2), hi);
    }
    for (; c < n; ++c)
    {
      auto one = [z](const LICE_pixel* p) { return _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(*p)), z); };
      _mm_storel_epi64(reinterpret_cast<__m128i*>(sums + c),
                       _mm_add_epi16(_mm_add_epi16(one(r0 + c), one(r1 + c)), one(r2 + c)));
    }
  }

  // out[i], i < n: the average of sums[c], sums[c + 1] and sums[c + 2] with c = (ix + i * idx) >> 16,
  // two pixels at a time.
  static inline void averagesOf3(const uint64_t* sums, int64_t ix, int64_t idx, int n, LICE_pixel* out)
  {
    // floor(x / 9) == (x * 7282) >> 16 for every x up to 9 * 255.
    const __m128i ninth = _mm_set1_epi16(7282);
    int i = 0;
    for (; i + 2 <= n; i += 2, ix += 2 * idx)
    {
      const uint64_t* a = sums + (ix >> 16);
      const uint64_t* b = sums + ((ix + idx) >> 16);
      const __m128i firstTwoA = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
      const __m128i firstTwoB = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
      const __m128i thirds = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + 2)),
                                                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b + 2)));
      const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi64(firstTwoA, firstTwoB),
                                                      _mm_unpackhi_epi64(firstTwoA, firstTwoB)),
                                        thirds);
      const __m128i q = _mm_mulhi_epu16(sum, ninth);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(q, q));
    }
    if (i < n)
    {
      const uint64_t* a = sums + (ix >> 16);
      const __m128i firstTwo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
      const __m128i sum = _mm_add_epi16(_mm_add_epi16(firstTwo, _mm_srli_si128(firstTwo, 8)),
                                        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + 2)));
      const __m128i q = _mm_mulhi_epu16(sum, ninth);
      out[i] = LICE_pixel(_mm_cvtsi128_si32(_mm_packus_epi16(q, q)));
    }
  }

  // floor(x / n) for x up to 25 * 255 and n from 1 to 25, without a division.
  static inline unsigned divideTaps(unsigned x, unsigned n)
  {
    return unsigned((uint64_t(x) * lice_detail::kTapReciprocals.of[n]) >> 24);
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
    out = LICE_RGBA(divideTaps(sum[2], n), divideTaps(sum[1], n), divideTaps(sum[0], n), divideTaps(sum[3], n));
    return true;
  }
};
