#pragma once

#include <cfloat>
#include <cmath>

#include "effect/KestBilinear.h"

// The state record of one tone-filter channel and the arithmetic both tone filters share: their
// coefficients from the analogue prototype and the one-sample recursion.

// Gain applied to every input sample, exactly 10^(-57/20): it offsets the high gain of the
// coefficients.
constexpr double kKestInputGain = 0.001412537544622754;

// 28 values, all zero when value-initialised. The coefficients are not normalised: the recursion
// divides by a[0].
struct KestState {
  double x0;    // latest input sample, after the input gain
  double y0;    // latest recursion output, before saturation
  double x[6];  // past inputs, x[0] the most recent
  double y[6];  // past recursion outputs, y[0] the most recent
  double a[7];  // denominator coefficients of z^0 .. z^-6
  double b[7];  // numerator coefficients of z^0 .. z^-6
};

// Evaluates the prototype of the filter kind Kind at the knob values (h, l, o) and maps it
// through s = 2 fs (1 - 1/z) / (1 + 1/z) into the denominator coefficients a[0 .. Kind::kOrder]
// and numerator coefficients b[0 .. Kind::kOrder]. Kind provides kOrder, kNumTerms, kDenTerms, the
// constant tables kNum[term][p] and kDen[term][p] (coefficient of s^p per knob term) and
// Terms(h, l, o, num, den).
template <class Kind>
void KestCalc(double fs, double h, double l, double o, double* a, double* b) {
  constexpr int kOrder = Kind::kOrder;
  double tn[Kind::kNumTerms];
  double td[Kind::kDenTerms];
  Kind::Terms(h, l, o, tn, td);
  double num[kOrder + 1];
  double den[kOrder + 1];
  const double k2fs = 2.0 * fs;
  double power = 1.0;
  for (int p = 0; p <= kOrder; ++p) {
    num[p] = 0.0;
    den[p] = 0.0;
    for (int j = 0; j < Kind::kNumTerms; ++j) num[p] += Kind::kNum[j][p] * tn[j];
    for (int j = 0; j < Kind::kDenTerms; ++j) den[p] += Kind::kDen[j][p] * td[j];
    num[p] *= power;
    den[p] *= power;
    power *= k2fs;
  }
  KestBilinearDenominator<kOrder>(den, a);
  KestBilinearNumerator<kOrder>(num, b);
}

// Runs one input sample through the recursion of the given order (5 or 6) with the coefficients
// in s, shifts the histories and returns the saturated output. A recursion output that is not
// finite (a not-a-number or infinite input, or coefficients never computed) clears x0, y0 and
// every history and returns 0, so the filter starts afresh from the next sample instead of
// staying silent for good.
//
// The prototype's numerator has no constant term, so b[0] + ... + b[Order] is zero and B(z) holds
// the factor (1 - 1/z). Applying the running sums of b to input differences keeps that zero exact:
// a constant input reaches the recursion as exact zeros and the output decays, whereas rounded
// products of b would leave a DC offset that the poles near z = 1 amplify.
template <int Order>
double KestRun(KestState& s, double in);
