#include "effect/KestState.h"

#include "effect/KestSaturation.h"

template <int Order>
double KestRun(KestState& s, double in) {
  const double y = KestRecurse<Order>(s, s.a, s.b, 1, in);
  if (!KestIsFinite(y)) {
    s.x0 = 0.0;
    s.y0 = 0.0;
    for (int k = 0; k < 6; ++k) s.x[k] = s.y[k] = 0.0;
    return 0.0;
  }
  KestShift(s, y);
  return KestSaturate(y);
}

template double KestRun<5>(KestState&, double);
template double KestRun<6>(KestState&, double);
