#pragma once

#include <cmath>

// The asymmetric soft-saturation curve that ends both tone filters. Positive inputs flatten out at
// 0.35440951585769653 from |y| of about 0.94 on; negative inputs keep rising slowly to
// 0.4359269142150879 at |y| of about 1.4. The slope at zero is about 1.5 on both sides.

// The curve sampled at |y| = i / kKestSaturationScale, i = 0 .. kKestSaturationSize - 1: row 0 for
// y >= 0, row 1 for y < 0. The values are single precision by design and are widened when read.
constexpr int kKestSaturationSize = 200;
constexpr double kKestSaturationScale = 142.14300537109375;
extern const float kKestSaturationCurve[2][kKestSaturationSize];

// Returns the saturated value of y: the curve interpolated linearly between its samples (a
// negative zero reads the negative half), the curve's last sample beyond its end however large
// y is, and 0 when y is not a number.
inline double KestSaturate(double y) {
  constexpr int kLast = kKestSaturationSize - 1;
  const double m = std::fabs(y) * kKestSaturationScale;
  if (m != m) return 0.0;
  // Beyond the table the interpolation between the last two samples is held at weight 1, which
  // gives the last sample exactly; no branch depends on the signal.
  const int i = static_cast<int>(m < kLast - 1 ? m : kLast - 1);
  const double f = m - i < 1.0 ? m - i : 1.0;
  const float* half = kKestSaturationCurve[std::signbit(y) ? 1 : 0];
  const double value =
      (1.0 - f) * static_cast<double>(half[i]) + f * static_cast<double>(half[i + 1]);
  return std::copysign(std::fabs(value), y);
}
