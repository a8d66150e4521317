// The AVX2 forms of the row kernels (lice_rowblend.h), compiled for AVX2 whatever the build's
// baseline; callers take them only where LICE_ActiveSimd() allows. They mirror the SSE2 forms
// there, twice as wide.

#include <immintrin.h>

#include "rasterizer/lice_rowblend.h"

#ifndef KESTRUNE_NO_AVX

namespace
{
// Four pixels from p, each channel widened to 16 bits.
__attribute__((target("avx2"), always_inline)) inline __m256i widened(const LICE_pixel* p)
{
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// Two 128-bit loads, from low in the low half and from high in the high half.
__attribute__((target("avx2"), always_inline)) inline __m256i twoHalves(const uint64_t* low, const uint64_t* high)
{
  return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(low))),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(high)), 1);
}

__attribute__((target("avx2"))) void columnSums3Wide(const LICE_pixel* r0, const LICE_pixel* r1, const LICE_pixel* r2,
                                                 int n, uint64_t* sums)
{
  int c = 0;
  for (; c + 4 <= n; c += 4)
  {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + c),
                        _mm256_add_epi16(_mm256_add_epi16(widened(r0 + c), widened(r1 + c)), widened(r2 + c)));
  }
  LICE_BoxAverage::columnSums3(r0 + c, r1 + c, r2 + c, n - c, sums + c);
}

// Four pixels a step: lanes hold pixels i, i + 1 in the low half and i + 2, i + 3 in the high one.
__attribute__((target("avx2"))) void averagesOf3Wide(const uint64_t* sums, int64_t ix, int64_t idx, int n,
                                                 LICE_pixel* out)
{
  const __m256i ninth = _mm256_set1_epi16(7282);
  int i = 0;
  for (; i + 4 <= n; i += 4, ix += 4 * idx)
  {
    const uint64_t* a = sums + (ix >> 16);
    const uint64_t* b = sums + ((ix + idx) >> 16);
    const uint64_t* c = sums + ((ix + 2 * idx) >> 16);
    const uint64_t* d = sums + ((ix + 3 * idx) >> 16);
    const __m256i firstTwoAC = twoHalves(a, c), firstTwoBD = twoHalves(b, d);
    const __m256i lastTwoAC = twoHalves(a + 1, c + 1), lastTwoBD = twoHalves(b + 1, d + 1);
    const __m256i sum = _mm256_add_epi16(_mm256_add_epi16(_mm256_unpacklo_epi64(firstTwoAC, firstTwoBD),
                                                          _mm256_unpackhi_epi64(firstTwoAC, firstTwoBD)),
                                         _mm256_unpackhi_epi64(lastTwoAC, lastTwoBD));
    const __m256i q = _mm256_mulhi_epu16(sum, ninth);
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(q, q), 0x08);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm256_castsi256_si128(packed));
  }
  LICE_BoxAverage::averagesOf3(sums, ix, idx, n - i, out + i);
}
// The lane formulas of lice_simd (lice_rowblend.h) on sixteen 16-bit lanes, four pixels.
__attribute__((target("avx2"), always_inline)) inline __m256i copyLanes(__m256i d, __m256i s, __m256i m)
{
  const __m256i neg = _mm256_cmpgt_epi16(s, d);
  const __m256i diff = _mm256_sub_epi16(d, s);
  const __m256i absd = _mm256_sub_epi16(_mm256_xor_si256(diff, neg), neg);
  const __m256i q = _mm256_srli_epi16(_mm256_mullo_epi16(absd, m), 8);
  return _mm256_add_epi16(s, _mm256_sub_epi16(_mm256_xor_si256(q, neg), neg));
}

template <bool Full>
__attribute__((target("avx2"), always_inline)) inline __m256i sourceAlphaLanes(__m256i d, __m256i s, __m256i w)
{
  const __m256i sa = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, 0xFF), 0xFF);
  const __m256i gain =
      Full ? sa : _mm256_srli_epi16(_mm256_mullo_epi16(w, _mm256_add_epi16(sa, _mm256_set1_epi16(1))), 8);
  const __m256i m = _mm256_sub_epi16(_mm256_set1_epi16(Full ? 255 : 256), gain);
  const __m256i colour = copyLanes(d, s, m);
  const __m256i alpha = _mm256_min_epi16(_mm256_add_epi16(d, gain), _mm256_set1_epi16(255));
  const __m256i amask = _mm256_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0);
  const __m256i out = _mm256_blendv_epi8(colour, alpha, amask);
  const __m256i keep = _mm256_cmpeq_epi16(sa, _mm256_setzero_si256());
  return _mm256_blendv_epi8(out, d, keep);
}

struct CopyWide
{
  static constexpr bool skipsTransparent = false;
  static constexpr bool copiesOpaque = false;
  __attribute__((target("avx2"), always_inline)) static inline __m256i apply(__m256i d, __m256i s, __m256i m)
  {
    return copyLanes(d, s, m);
  }
};

template <bool Full>
struct SourceAlphaWide
{
  static constexpr bool skipsTransparent = true;
  static constexpr bool copiesOpaque = Full;
  __attribute__((target("avx2"), always_inline)) static inline __m256i apply(__m256i d, __m256i s, __m256i w)
  {
    return sourceAlphaLanes<Full>(d, s, w);
  }
};

// Eight pixels a step; returns how many it did. Unpacking and packing stay within each 128-bit
// half, so the pixels come back in their places.
template <class Lanes>
__attribute__((target("avx2"), always_inline)) inline int runRowWide(LICE_pixel* d, const LICE_pixel* s, int n,
                                                                     __m256i param)
{
  const __m256i z = _mm256_setzero_si256();
  const __m256i alphaBytes = _mm256_set1_epi32(int(0xFF000000u));
  int i = 0;
  for (; i + 8 <= n; i += 8)
  {
    const __m256i S = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    if (Lanes::skipsTransparent && _mm256_testz_si256(S, alphaBytes)) continue;
    if (Lanes::copiesOpaque && _mm256_testc_si256(S, alphaBytes))
    {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), S);
      continue;
    }
    const __m256i D = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
    const __m256i lo = Lanes::apply(_mm256_unpacklo_epi8(D, z), _mm256_unpacklo_epi8(S, z), param);
    const __m256i hi = Lanes::apply(_mm256_unpackhi_epi8(D, z), _mm256_unpackhi_epi8(S, z), param);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_packus_epi16(lo, hi));
  }
  return i;
}
} // namespace

__attribute__((target("avx2"))) int lice_simd::copyRowAvx2(LICE_pixel* d, const LICE_pixel* s, int n, int m)
{
  return runRowWide<CopyWide>(d, s, n, _mm256_set1_epi16(short(m)));
}

__attribute__((target("avx2"))) int lice_simd::sourceAlphaRowAvx2(LICE_pixel* d, const LICE_pixel* s, int n, int w,
                                                                  bool fullWeight)
{
  const __m256i weight = _mm256_set1_epi16(short(w));
  return fullWeight ? runRowWide<SourceAlphaWide<true>>(d, s, n, weight)
                    : runRowWide<SourceAlphaWide<false>>(d, s, n, weight);
}

__attribute__((target("avx2"))) void LICE_BoxAverage::rowOf3Avx2(const LICE_pixel* top, ptrdiff_t down, int64_t ix,
                                                                 int64_t idx, int n, LICE_pixel* out)
{
  rowOf3Chunks<columnSums3Wide, averagesOf3Wide>(top, down, ix, idx, n, out);
}

#else

// Built without AVX code, nothing calls these (LICE_SupportedSimd() is the baseline); they only
// keep the callers' references whole.
int lice_simd::copyRowAvx2(LICE_pixel*, const LICE_pixel*, int, int) { return 0; }

int lice_simd::sourceAlphaRowAvx2(LICE_pixel*, const LICE_pixel*, int, int, bool) { return 0; }

void LICE_BoxAverage::rowOf3Avx2(const LICE_pixel* top, ptrdiff_t down, int64_t ix, int64_t idx, int n,
                                 LICE_pixel* out)
{
  rowOf3Chunks<columnSums3, averagesOf3>(top, down, ix, idx, n, out);
}

#endif
