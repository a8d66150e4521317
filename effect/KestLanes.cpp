#include "effect/KestLanes.h"

#include <cfloat>
#include <cstdint>

#include "effect/KestBilinear.h"
#include "effect/KestSaturation.h"

bool KestLanes::Supports(Path path) {
  if (path == kBaseline) return true;
#ifdef KESTRUNE_NO_AVX
  return false;
#else
  static const bool avxFma = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") && __builtin_cpu_supports("fma");
  }();
  return path == kAvxFma && avxFma;
#endif
}

KestLanes::Path KestLanes::Fastest() { return Supports(kAvxFma) ? kAvxFma : kBaseline; }

KestLanes::KestLanes(Path path) : path_(path), first_(), second_() {}

template <>
KestLanes::Circuit<KestF>& KestLanes::CircuitOf<KestF>() {
  return first_;
}

template <>
KestLanes::Circuit<KestB>& KestLanes::CircuitOf<KestB>() {
  return second_;
}

template <class Kind>
void KestLanes::SetMoving(int lane, const long double (*den)[Kind::kTermDegree + 1],
                          const long double (*num)[Kind::kTermDegree + 1]) {
  CircuitOf<Kind>().SetMoving(lane, den, num);
}

template <class Kind>
void KestLanes::SetResting(int lane, const long double* a, const long double* s) {
  CircuitOf<Kind>().SetResting(lane, a, s);
}

template void KestLanes::SetMoving<KestF>(int, const long double (*)[KestF::kTermDegree + 1],
                                          const long double (*)[KestF::kTermDegree + 1]);
template void KestLanes::SetMoving<KestB>(int, const long double (*)[KestB::kTermDegree + 1],
                                          const long double (*)[KestB::kTermDegree + 1]);
template void KestLanes::SetResting<KestF>(int, const long double*, const long double*);
template void KestLanes::SetResting<KestB>(int, const long double*, const long double*);

template <class Kind>
void KestLanes::Circuit<Kind>::SetMoving(int lane, const long double (*den)[kDegree + 1],
                                         const long double (*num)[kDegree + 1]) {
  for (int p = 0; p <= kOrder; ++p) {
    for (int m = 0; m <= kDegree; ++m) {
      movingDen[p][m][lane] = static_cast<double>(den[p][m]);
      movingNum[p][m][lane] = p == 0 ? 0.0 : static_cast<double>(num[p][m]);
    }
  }
}

template <class Kind>
void KestLanes::Circuit<Kind>::SetResting(int lane, const long double* a, const long double* s) {
  for (int k = 0; k <= kOrder; ++k) restingA[k][lane] = static_cast<double>(a[k] / a[0]);
  for (int k = 0; k < kOrder; ++k) restingSums[k][lane] = static_cast<double>(s[k] / a[0]);
}

template <class Kind>
void KestLanes::Circuit<Kind>::ClearLane(int lane) {
  for (int i = 0; i < 2 * kRing; ++i) {
    dx[i][lane] = 0.0;
    y[i][lane] = 0.0;
  }
  lastInput[lane] = 0.0;
}

// One frame of this circuit on both channels: stores the input difference and the recursion
// output in the ring at slot and returns the output. Moving frames evaluate the coefficients at e
// and divide by a[0]; resting frames use coefficients already divided. The feedback terms are
// summed oldest first, so the newest output, the one the next frame waits for, enters last.
template <class Kind>
template <bool Moving>
__attribute__((always_inline)) inline KestLanes::Pair KestLanes::Circuit<Kind>::Step(Pair in,
                                                                                     int slot,
                                                                                     Pair e) {
  const Pair difference = in - lastInput;
  lastInput = in;
  dx[slot] = difference;
  dx[slot + kRing] = difference;
  const Pair* pastDx = dx + slot;
  const Pair* pastY = y + slot;
  Pair movingA[kOrder + 1];
  Pair movingSums[kOrder];
  const Pair* a = restingA;
  const Pair* sums = restingSums;
  if (Moving) {
    Pair den[kOrder + 1];
    Pair num[kOrder + 1];
    num[0] = Pair{};
#pragma GCC unroll 8
    for (int p = 0; p <= kOrder; ++p) {
      Pair d = movingDen[p][kDegree];
#pragma GCC unroll 8
      for (int m = kDegree - 1; m >= 0; --m) d = d * e + movingDen[p][m];
      den[p] = d;
      if (p == 0) continue;
      Pair n = movingNum[p][kDegree];
#pragma GCC unroll 8
      for (int m = kDegree - 1; m >= 0; --m) n = n * e + movingNum[p][m];
      num[p] = n;
    }
    KestBilinearDenominator<kOrder>(den, movingA);
    KestBilinearNumeratorSums<kOrder>(num, movingSums);
    a = movingA;
    sums = movingSums;
  }
  Pair acc = sums[0] * pastDx[0];
#pragma GCC unroll 8
  for (int k = 1; k < kOrder; ++k) acc += sums[k] * pastDx[k];
#pragma GCC unroll 8
  for (int k = kOrder; k > 0; --k) acc -= a[k] * pastY[k];
  const Pair out = Moving ? acc / a[0] : acc;
  y[slot] = out;
  y[slot + kRing] = out;
  return out;
}

// Both lanes of y through the saturation at once, exactly as KestSaturate takes each; lanes that
// are not ok give 0.
__attribute__((always_inline)) inline KestLanes::Pair KestLanes::Saturate(Pair y, PairMask ok) {
  const Pair zero = {0.0, 0.0};
  const Pair one = {1.0, 1.0};
  const Pair lastStart = {kKestSaturationSize - 2.0, kKestSaturationSize - 2.0};
  const PairMask sign = {INT64_MIN, INT64_MIN};
  const PairMask bits = (PairMask)(ok ? y : zero);
  const Pair m = (Pair)(bits & ~sign) * kKestSaturationScale;
  // Beyond the table the last interval is held at weight 1, which gives the last entry.
  PairMask index = __builtin_convertvector(m < lastStart ? m : lastStart, PairMask);
  const Pair f = m - __builtin_convertvector(index, Pair);
  const Pair weight = f < one ? f : one;
  index += (bits >> 63) & kKestSaturationSize;
  const float* curve = &kKestSaturationCurve[0][0];
  const Pair below = {curve[index[0]], curve[index[1]]};
  const Pair above = {curve[index[0] + 1], curve[index[1] + 1]};
  const Pair value = (one - weight) * below + weight * above;
  return (Pair)(((PairMask)value & ~sign) | (bits & sign));
}

template <bool Moving>
__attribute__((always_inline)) inline double KestLanes::Frames(const Block& block, double e,
                                                               double decay) {
  const Pair limit = {DBL_MAX, DBL_MAX};
  double heldL = block.held[0];
  double heldR = block.held[1];
  double lastE = e;
  int slot = slot_;
  for (int n = 0; n < block.frames; ++n) {
    const double left = block.inL[n];
    const double right = block.inR[n];
    const Pair in = {left, right};
    const Pair pe = {e, e};
    slot = (slot + kRing - 1) & (kRing - 1);
    const Pair first = first_.template Step<Moving>(in, slot, pe);
    const Pair second = second_.template Step<Moving>(in, slot, pe);
    if (Moving) {
      lastE = e;
      e *= decay;
    }
    const PairMask firstOk = (first <= limit) & (-first <= limit);
    const PairMask secondOk = (second <= limit) & (-second <= limit);
    const PairMask allOk = firstOk & secondOk;
    if (__builtin_expect(!(allOk[0] && allOk[1]), 0)) {
      for (int lane = 0; lane < 2; ++lane) {
        if (!firstOk[lane]) first_.ClearLane(lane);
        if (!secondOk[lane]) second_.ClearLane(lane);
      }
    }
    if (block.circuit == 0 || block.circuit == 1) {
      const Pair heard = block.circuit == 0 ? first : second;
      const PairMask ok = block.circuit == 0 ? firstOk : secondOk;
      const Pair saturated = Saturate(heard, ok);
      heldL = saturated[0];
      heldR = saturated[1];
    }
    if (block.bypass == 1) {
      block.outL[n] = left;
      block.outR[n] = right;
    } else {
      block.outL[n] = heldL;
      block.outR[n] = heldR;
    }
  }
  slot_ = slot;
  block.held[0] = heldL;
  block.held[1] = heldR;
  return lastE;
}

double KestLanes::MovingBaseline(const Block& block, double e, double decay) {
  return Frames<true>(block, e, decay);
}

void KestLanes::RestingBaseline(const Block& block) { Frames<false>(block, 0.0, 0.0); }

#ifndef KESTRUNE_NO_AVX
__attribute__((target("avx,fma"))) double KestLanes::MovingAvxFma(const Block& block, double e,
                                                                  double decay) {
  return Frames<true>(block, e, decay);
}

__attribute__((target("avx,fma"))) void KestLanes::RestingAvxFma(const Block& block) {
  Frames<false>(block, 0.0, 0.0);
}
#endif

double KestLanes::RunMoving(const Block& block, double e, double decay) {
#ifndef KESTRUNE_NO_AVX
  if (path_ == kAvxFma) return MovingAvxFma(block, e, decay);
#endif
  return MovingBaseline(block, e, decay);
}

void KestLanes::RunResting(const Block& block) {
#ifndef KESTRUNE_NO_AVX
  if (path_ == kAvxFma) return RestingAvxFma(block);
#endif
  RestingBaseline(block);
}
