#include "effect/KestScaledPrototype.h"

#include "effect/KestState.h"

// Every sum below runs in a local: long double values stored and reloaded while they are being
// summed stall on every step.

KestKnobPolynomial operator*(const KestKnobPolynomial& a, const KestKnobPolynomial& b) {
  KestKnobPolynomial product;
  for (int k = 0; k <= KestKnobPolynomial::kDegree; ++k) {
    long double sum = 0.0L;
    for (int i = 0; i <= k; ++i) sum += a.c[i] * b.c[k - i];
    product.c[k] = sum;
  }
  return product;
}

KestKnobPolynomial operator+(KestKnobPolynomial a, double constant) {
  a.c[0] += constant;
  return a;
}

template <class Kind>
void KestScaledPrototype<Kind>::SetRate(double fs) {
  const long double k2fs = 2.0L * fs;
  long double power = 1.0L;
  for (int p = 0; p <= kOrder; ++p) {
    for (int j = 0; j < Kind::kDenTerms; ++j) den_[j][p] = Kind::kDen[j][p] * power;
    for (int j = 0; j < Kind::kNumTerms; ++j) {
      num_[j][p] = Kind::kNum[j][p] * power * static_cast<long double>(kKestInputGain);
    }
    power *= k2fs;
  }
}

template <class Kind>
void KestScaledPrototype<Kind>::Evaluate(long double h, long double l, long double o,
                                         long double* den, long double* num) const {
  long double tn[Kind::kNumTerms];
  long double td[Kind::kDenTerms];
  Kind::Terms(h, l, o, tn, td);
  for (int p = 0; p <= kOrder; ++p) {
    long double d = 0.0L, n = 0.0L;
    for (int j = 0; j < Kind::kDenTerms; ++j) d += den_[j][p] * td[j];
    for (int j = 0; j < Kind::kNumTerms; ++j) n += num_[j][p] * tn[j];
    den[p] = d;
    num[p] = n;
  }
}

template <class Kind>
void KestScaledPrototype<Kind>::Expand(const double start[3], const double toward[3],
                                       long double (*den)[kDegree + 1],
                                       long double (*num)[kDegree + 1]) const {
  KestKnobPolynomial knob[3];
  for (int k = 0; k < 3; ++k) {
    knob[k].c[0] = start[k];
    knob[k].c[1] = toward[k];
  }
  KestKnobPolynomial tn[Kind::kNumTerms];
  KestKnobPolynomial td[Kind::kDenTerms];
  Kind::Terms(knob[0], knob[1], knob[2], tn, td);
  // The powers of e are summed side by side, so that no sum waits for the one before.
  for (int p = 0; p <= kOrder; ++p) {
    long double d[kDegree + 1] = {};
    for (int j = 0; j < Kind::kDenTerms; ++j) {
      if (den_[j][p] == 0.0L) continue;
#pragma GCC unroll 5
      for (int m = 0; m <= kDegree; ++m) d[m] += den_[j][p] * td[j].c[m];
    }
    long double n[kDegree + 1] = {};
    for (int j = 0; j < Kind::kNumTerms; ++j) {
      if (num_[j][p] == 0.0L) continue;
#pragma GCC unroll 5
      for (int m = 0; m <= kDegree; ++m) n[m] += num_[j][p] * tn[j].c[m];
    }
    for (int m = 0; m <= kDegree; ++m) {
      den[p][m] = d[m];
      num[p][m] = n[m];
    }
  }
}

template class KestScaledPrototype<KestF>;
template class KestScaledPrototype<KestB>;
