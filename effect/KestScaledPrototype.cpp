#include "effect/KestScaledPrototype.h"

#include "effect/KestState.h"

KestKnobPolynomial operator*(const KestKnobPolynomial& a, const KestKnobPolynomial& b) {
  KestKnobPolynomial product;
  for (int i = 0; i <= KestKnobPolynomial::kDegree; ++i) {
    for (int j = 0; i + j <= KestKnobPolynomial::kDegree; ++j) product.c[i + j] += a.c[i] * b.c[j];
  }
  return product;
}

KestKnobPolynomial operator+(KestKnobPolynomial a, double constant) {
  a.c[0] += constant;
  return a;
}

namespace {

KestKnobPolynomial operator*(long double factor, const KestKnobPolynomial& p) {
  KestKnobPolynomial scaled;
  for (int m = 0; m <= KestKnobPolynomial::kDegree; ++m) scaled.c[m] = factor * p.c[m];
  return scaled;
}

KestKnobPolynomial& operator+=(KestKnobPolynomial& a, const KestKnobPolynomial& b) {
  for (int m = 0; m <= KestKnobPolynomial::kDegree; ++m) a.c[m] += b.c[m];
  return a;
}

}  // namespace

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
template <class T>
void KestScaledPrototype<Kind>::EvaluateTerms(const T& h, const T& l, const T& o, T* den,
                                              T* num) const {
  T tn[Kind::kNumTerms];
  T td[Kind::kDenTerms];
  Kind::Terms(h, l, o, tn, td);
  for (int p = 0; p <= kOrder; ++p) {
    den[p] = T{};
    num[p] = T{};
    for (int j = 0; j < Kind::kDenTerms; ++j) den[p] += den_[j][p] * td[j];
    for (int j = 0; j < Kind::kNumTerms; ++j) num[p] += num_[j][p] * tn[j];
  }
}

template <class Kind>
void KestScaledPrototype<Kind>::Evaluate(long double h, long double l, long double o,
                                         long double* den, long double* num) const {
  EvaluateTerms(h, l, o, den, num);
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
  KestKnobPolynomial d[kOrder + 1];
  KestKnobPolynomial n[kOrder + 1];
  EvaluateTerms(knob[0], knob[1], knob[2], d, n);
  for (int p = 0; p <= kOrder; ++p) {
    for (int m = 0; m <= kDegree; ++m) {
      den[p][m] = d[p].c[m];
      num[p][m] = n[p].c[m];
    }
  }
}

template class KestScaledPrototype<KestF>;
template class KestScaledPrototype<KestB>;
