#pragma once

#include <cfloat>
#include <cmath>

// The state record of one tone-filter channel and the arithmetic both tone filters share: the
// bilinear mapping of their analogue prototype and the one-sample recursion. The operations are
// templates over the value type T (double, or a vector of lanes holding several channels), so the
// stereo engine KestLanes runs exactly this arithmetic and stays bit-identical to KestF and KestB.

// Gain applied to every input sample, exactly 10^(-57/20): it offsets the high gain of the
// coefficients.
constexpr double kKestInputGain = 0.001412537544622754;

// 28 values, all zero when value-initialised. The coefficients are not normalised: the recursion
// divides by a[0].
template <class T>
struct KestStateOf {
  T x0;    // latest input sample, after the input gain
  T y0;    // latest recursion output, before saturation
  T x[6];  // past inputs, x[0] the most recent
  T y[6];  // past recursion outputs, y[0] the most recent
  T a[7];  // denominator coefficients of z^0 .. z^-6
  T b[7];  // numerator coefficients of z^0 .. z^-6
};
using KestState = KestStateOf<double>;

// c[k][p]: the coefficient of z^-k in (1 - 1/z)^p (1 + 1/z)^(Order - p), which carries s^p of the
// prototype into the z domain.
template <int Order>
struct KestBilinearMatrix {
  double c[Order + 1][Order + 1];
  constexpr KestBilinearMatrix() : c() {
    for (int p = 0; p <= Order; ++p) {
      double poly[Order + 1] = {1.0};
      for (int f = 0; f < Order; ++f) {
        const double sign = f < p ? -1.0 : 1.0;
        for (int k = f + 1; k > 0; --k) poly[k] += sign * poly[k - 1];
      }
      for (int k = 0; k <= Order; ++k) c[k][p] = poly[k];
    }
  }
};

// Evaluates the prototype of the filter kind Kind at the knob values (h, l, o) and maps it
// through s = 2 fs (1 - 1/z) / (1 + 1/z), without prewarping, into the denominator coefficients
// a[k * stride] and numerator coefficients b[k * stride], k = 0 .. Kind::kOrder. Always inlined,
// so that a caller built for a wider instruction set runs it with that set. Kind provides kOrder,
// kNumTerms, kDenTerms, the constant tables kNum[term][p] and kDen[term][p] (coefficient of s^p
// per knob term) and Terms(h, l, o, num, den).
template <class Kind, class T>
__attribute__((always_inline)) inline void KestCalc(double fs, const T& h, const T& l,
                                                    const T& o, T* a, T* b, int stride) {
  constexpr int kOrder = Kind::kOrder;
  static constexpr KestBilinearMatrix<kOrder> kMatrix;
  T tn[Kind::kNumTerms];
  T td[Kind::kDenTerms];
  Kind::Terms(h, l, o, tn, td);
  // Absent terms are skipped: adding their zero products would not change a single bit. Sums
  // start from -0, which leaves the first addend exactly as it is, so that addition costs nothing.
  const T start = T{} - 0.0;
  T num[kOrder + 1];
  T den[kOrder + 1];
#pragma GCC unroll 8
  for (int p = 0; p <= kOrder; ++p) {
    num[p] = start;
#pragma GCC unroll 16
    for (int j = 0; j < Kind::kNumTerms; ++j) {
      if (Kind::kNum[j][p] != 0.0) num[p] += Kind::kNum[j][p] * tn[j];
    }
    den[p] = start;
#pragma GCC unroll 16
    for (int j = 0; j < Kind::kDenTerms; ++j) {
      if (Kind::kDen[j][p] != 0.0) den[p] += Kind::kDen[j][p] * td[j];
    }
  }
  const double k2fs = 2.0 * fs;
  double power = 1.0;
#pragma GCC unroll 8
  for (int p = 0; p <= kOrder; ++p) {
    num[p] = num[p] * power;
    den[p] = den[p] * power;
    power *= k2fs;
  }
#pragma GCC unroll 8
  for (int k = 0; k <= kOrder; ++k) {
    T sumA = start;
    T sumB = start;
#pragma GCC unroll 8
    for (int p = 0; p <= kOrder; ++p) {
      sumA += kMatrix.c[k][p] * den[p];
      sumB += kMatrix.c[k][p] * num[p];
    }
    a[k * stride] = sumA;
    b[k * stride] = sumB;
  }
}

// Stores the input sample (after the input gain) in x0 and returns the recursion output y for it
// with the coefficients a[k * stride] and b[k * stride], before saturation; the histories are not
// shifted yet (see KestShift).
//
// The prototype's numerator has no constant term, so b[0] + ... + b[Order] is zero and B(z) holds
// the factor (1 - 1/z). Applying the running sums of b to input differences keeps that zero exact:
// a constant input reaches the recursion as exact zeros and the output decays, whereas rounded
// products of b would leave a DC offset that the poles near z = 1 amplify. The feedback terms are
// summed oldest first, so the newest output enters the sum last.
template <int Order, class T>
inline T KestRecurse(KestStateOf<T>& s, const T* a, const T* b, int stride, T in) {
  s.x0 = in * kKestInputGain;
  T sumB = b[0];
  T acc = sumB * (s.x0 - s.x[0]);
#pragma GCC unroll 8
  for (int k = 1; k < Order; ++k) {
    sumB += b[k * stride];
    acc += sumB * (s.x[k - 1] - s.x[k]);
  }
#pragma GCC unroll 8
  for (int k = Order; k > 0; --k) acc -= a[k * stride] * s.y[k - 1];
  return acc / a[0];
}

// Records y as the latest output and shifts both histories by one place.
template <class T>
inline void KestShift(KestStateOf<T>& s, T y) {
  s.y0 = y;
#pragma GCC unroll 8
  for (int k = 5; k > 0; --k) {
    s.x[k] = s.x[k - 1];
    s.y[k] = s.y[k - 1];
  }
  s.x[0] = s.x0;
  s.y[0] = y;
}

// True when y is a finite number.
inline bool KestIsFinite(double y) { return std::fabs(y) <= DBL_MAX; }

// Runs one input sample through the recursion of the given order (5 or 6), shifts the histories
// and returns the saturated output. A recursion output that is not finite (a not-a-number or
// infinite input, or coefficients never computed) clears x0, y0 and every history and returns 0,
// so the filter starts afresh from the next sample instead of staying silent for good.
template <int Order>
double KestRun(KestState& s, double in);
