#pragma once

// The asymmetric soft-saturation curve that ends both tone filters. Positive inputs flatten out at
// 0.35440951585769653 from |y| of about 0.94 on; negative inputs keep rising slowly to
// 0.4359269142150879 at |y| of about 1.4. The slope at zero is about 1.5 on both sides.

// Returns the saturated value of y: the curve interpolated linearly between its 200 samples per
// sign (a negative zero reads the negative half), the curve's last value beyond its end, and 0
// when y is not a number.
double KestSaturate(double y);
