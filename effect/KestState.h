#pragma once

// The state record of one tone-filter channel and the operations both tone filters share: the
// bilinear mapping of their analogue prototype and the one-sample recursion.

// Gain applied to every input sample, exactly 10^(-57/20): it offsets the high gain of the
// coefficients.
constexpr double kKestInputGain = 0.001412537544622754;

// 28 doubles, all zero when value-initialised. The coefficients are not normalised: the
// recursion divides by a[0].
struct KestState {
  double x0;    // latest input sample, after the input gain
  double y0;    // latest recursion output, before saturation
  double x[6];  // past inputs, x[0] the most recent
  double y[6];  // past recursion outputs, y[0] the most recent
  double a[7];  // denominator coefficients of z^0 .. z^-6
  double b[7];  // numerator coefficients of z^0 .. z^-6
};

// Maps the analogue prototype N(s)/D(s) with coefficients num[p], den[p] of s^p (p = 0..Order)
// through s = 2 fs (1 - 1/z) / (1 + 1/z), without prewarping, into b[0..Order] and a[0..Order]
// of the state. Histories are left alone.
template <int Order>
void KestBilinear(double fs, const double* num, const double* den, KestState& s);

// Evaluates the prototype of the filter kind Kind at the knob values (h, l, o) and maps it to the
// coefficients of the state for sample rate fs. Kind provides kOrder, kNumTerms, kDenTerms, the
// tables kNum[term][p] and kDen[term][p], and Terms(h, l, o, num, den) giving the term values.
template <class Kind>
void KestCalc(KestState& s, double fs, double h, double l, double o) {
  double tn[Kind::kNumTerms];
  double td[Kind::kDenTerms];
  Kind::Terms(h, l, o, tn, td);
  double num[Kind::kOrder + 1];
  double den[Kind::kOrder + 1];
  for (int p = 0; p <= Kind::kOrder; ++p) {
    num[p] = 0.0;
    for (int j = 0; j < Kind::kNumTerms; ++j) num[p] += Kind::kNum[j][p] * tn[j];
    den[p] = 0.0;
    for (int j = 0; j < Kind::kDenTerms; ++j) den[p] += Kind::kDen[j][p] * td[j];
  }
  KestBilinear<Kind::kOrder>(fs, num, den, s);
}

// Runs one input sample through the direct-form recursion of the given order (5 or 6), shifts
// the histories and returns the saturated output. A recursion output that is not finite (a
// not-a-number or infinite input, or coefficients never computed) clears x0, y0 and every
// history and returns 0, so the filter starts afresh from the next sample instead of staying
// silent for good.
template <int Order>
double KestRun(KestState& s, double in);
