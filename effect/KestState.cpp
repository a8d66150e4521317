#include "effect/KestState.h"

#include "effect/KestSaturation.h"

template <int Order>
double KestRun(KestState& s, double in) {
  s.x0 = in * kKestInputGain;
  double sumB = s.b[0];
  double acc = sumB * (s.x0 - s.x[0]);
  for (int k = 1; k < Order; ++k) {
    sumB += s.b[k];
    acc += sumB * (s.x[k - 1] - s.x[k]);
  }
  for (int k = Order; k > 0; --k) acc -= s.a[k] * s.y[k - 1];
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

template double KestRun<5>(KestState&, double);
template double KestRun<6>(KestState&, double);
