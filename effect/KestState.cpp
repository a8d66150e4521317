#include "effect/KestState.h"

#include <cfloat>
#include <cmath>

#include "effect/KestSaturation.h"

namespace {

// c[k][p]: coefficient of z^-k in (1 - 1/z)^p (1 + 1/z)^(Order - p).
template <int Order>
struct BilinearMatrix {
  double c[Order + 1][Order + 1];
  constexpr BilinearMatrix() : c() {
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

}  // namespace

template <int Order>
void KestBilinear(double fs, const double* num, const double* den, KestState& s) {
  static constexpr BilinearMatrix<Order> m;
  const double k2fs = 2.0 * fs;
  double scaledNum[Order + 1];
  double scaledDen[Order + 1];
  double power = 1.0;
  for (int p = 0; p <= Order; ++p) {
    scaledNum[p] = num[p] * power;
    scaledDen[p] = den[p] * power;
    power *= k2fs;
  }
  for (int k = 0; k <= Order; ++k) {
    double a = 0.0;
    double b = 0.0;
    for (int p = 0; p <= Order; ++p) {
      a += m.c[k][p] * scaledDen[p];
      b += m.c[k][p] * scaledNum[p];
    }
    s.a[k] = a;
    s.b[k] = b;
  }
}

template <int Order>
double KestRun(KestState& s, double in) {
  s.x0 = in * kKestInputGain;
  // The prototype's numerator has no constant term, so b[0] + ... + b[Order] is zero and B(z)
  // holds the factor (1 - 1/z). Applying the running sums of b to input differences keeps that
  // zero exact: a constant input reaches the recursion as exact zeros and the output decays,
  // whereas rounded products of b would leave a DC offset that the poles near z = 1 amplify.
  double sumB = s.b[0];
  double acc = sumB * (s.x0 - s.x[0]);
  for (int k = 1; k < Order; ++k) {
    sumB += s.b[k];
    acc += sumB * (s.x[k - 1] - s.x[k]);
  }
  for (int k = 1; k <= Order; ++k) acc -= s.a[k] * s.y[k - 1];
  const double y = acc / s.a[0];
  if (!(std::fabs(y) <= DBL_MAX)) {
    s.x0 = 0.0;
    s.y0 = 0.0;
    for (int k = 0; k < 6; ++k) s.x[k] = s.y[k] = 0.0;
    return 0.0;
  }
  s.y0 = y;
  for (int k = 5; k > 0; --k) {
    s.x[k] = s.x[k - 1];
    s.y[k] = s.y[k - 1];
  }
  s.x[0] = s.x0;
  s.y[0] = y;
  return KestSaturate(y);
}

template void KestBilinear<5>(double, const double*, const double*, KestState&);
template void KestBilinear<6>(double, const double*, const double*, KestState&);
template double KestRun<5>(KestState&, double);
template double KestRun<6>(KestState&, double);
