#pragma once

#include "effect/KestB.h"
#include "effect/KestF.h"

// A polynomial of degree at most 4 in one variable, with long double coefficients: a knob value
// or knob term as the smoothers carry it along, in terms of their common decay factor.
struct KestKnobPolynomial {
  static constexpr int kDegree = 4;
  long double c[kDegree + 1] = {};
};
// The product, without the powers above kDegree: no knob term reaches them.
KestKnobPolynomial operator*(const KestKnobPolynomial& a, const KestKnobPolynomial& b);
// The polynomial with the constant added.
KestKnobPolynomial operator+(KestKnobPolynomial a, double constant);

// The analogue prototype of one tone filter kind (KestF or KestB) at one sample rate, in long
// double: the coefficient of s^p of every knob term multiplied by (2 fs)^p, and the numerator
// also by the input gain. What is left per frame is the knob terms and the small integer matrix
// of the bilinear map (KestBilinear.h), and the rounding of everything computed from these
// tables stays in the prototype, where it is harmless.
template <class Kind>
class KestScaledPrototype {
public:
  static constexpr int kOrder = Kind::kOrder;
  static constexpr int kDegree = Kind::kTermDegree;

  // Rebuilds the tables for sample rate fs (Hz).
  void SetRate(double fs);

  // The scaled prototype at knob values (h, l, o): den[p] for p = 0 .. kOrder and num[p] for
  // p = 1 .. kOrder (num[0] is set to 0: the prototype has no constant term).
  void Evaluate(long double h, long double l, long double o, long double* den,
                long double* num) const;

  // The scaled prototype as the knobs move along (h, l, o) = start + toward e, start and toward
  // holding (h, l, o): den[p][m] and num[p][m] are the coefficients of e^m of den[p] and num[p]
  // above, m = 0 .. kDegree (num[0][m] is 0).
  void Expand(const double start[3], const double toward[3], long double (*den)[kDegree + 1],
              long double (*num)[kDegree + 1]) const;

private:
  long double den_[Kind::kDenTerms][kOrder + 1] = {};
  long double num_[Kind::kNumTerms][kOrder + 1] = {};
};

extern template class KestScaledPrototype<KestF>;
extern template class KestScaledPrototype<KestB>;
