#include "bench/tone_reference.h"

#include <cmath>

#include "effect/KestSaturation.h"

template <class Kind>
ReferenceKest<Kind>::ReferenceKest() : s_() {
  constexpr int n = Kind::kOrder;
  for (int p = 0; p <= n; ++p) {
    double poly[n + 1] = {1.0};
    for (int f = 0; f < n; ++f) {
      const double sign = f < p ? -1.0 : 1.0;
      for (int k = f + 1; k > 0; --k) poly[k] += sign * poly[k - 1];
    }
    for (int k = 0; k <= n; ++k) c_[k][p] = poly[k];
  }
}

template <class Kind>
void ReferenceKest<Kind>::Calc(double fs, double h, double l, double o) {
  constexpr int n = Kind::kOrder;
  double tn[Kind::kNumTerms];
  double td[Kind::kDenTerms];
  Kind::Terms(h, l, o, tn, td);
  double num[n + 1];
  double den[n + 1];
  for (int p = 0; p <= n; ++p) {
    num[p] = -0.0;
    for (int j = 0; j < Kind::kNumTerms; ++j) num[p] += Kind::kNum[j][p] * tn[j];
    den[p] = -0.0;
    for (int j = 0; j < Kind::kDenTerms; ++j) den[p] += Kind::kDen[j][p] * td[j];
  }
  double power = 1.0;
  for (int p = 0; p <= n; ++p) {
    num[p] = num[p] * power;
    den[p] = den[p] * power;
    power *= 2.0 * fs;
  }
  for (int k = 0; k <= n; ++k) {
    s_.a[k] = -0.0;
    s_.b[k] = -0.0;
    for (int p = 0; p <= n; ++p) {
      s_.a[k] += c_[k][p] * den[p];
      s_.b[k] += c_[k][p] * num[p];
    }
  }
}

template <class Kind>
double ReferenceKest<Kind>::Process(double in) {
  constexpr int n = Kind::kOrder;
  s_.x0 = in * kKestInputGain;
  double sumB = s_.b[0];
  double acc = sumB * (s_.x0 - s_.x[0]);
  for (int k = 1; k < n; ++k) {
    sumB += s_.b[k];
    acc += sumB * (s_.x[k - 1] - s_.x[k]);
  }
  for (int k = n; k > 0; --k) acc -= s_.a[k] * s_.y[k - 1];
  const double y = acc / s_.a[0];
  if (!std::isfinite(y)) {
    s_.x0 = s_.y0 = 0.0;
    for (int k = 0; k < 6; ++k) s_.x[k] = s_.y[k] = 0.0;
    return 0.0;
  }
  s_.y0 = y;
  for (int k = 5; k > 0; --k) {
    s_.x[k] = s_.x[k - 1];
    s_.y[k] = s_.y[k - 1];
  }
  s_.x[0] = s_.x0;
  s_.y[0] = y;
  return KestSaturate(y);
}

template class ReferenceKest<KestF>;
template class ReferenceKest<KestB>;

void ReferenceToneChain::Process(const double* inL, const double* inR, double* outL,
                                 double* outR, int nFrames, double sampleRate, int circuit,
                                 int bypass) {
  for (int n = 0; n < nFrames; ++n) {
    const double a = std::exp((0.1 / sampleRate) * -6.283185307179586);
    const double g = 1.0 - a;
    lo_.a = hi_.a = out_.a = a;
    lo_.g = hi_.g = out_.g = g;
    hi_.z = hiTarget_ * hi_.g + hi_.z * hi_.a;
    lo_.z = (1.0 - loTarget_) * lo_.g + lo_.z * lo_.a;
    out_.z = outTarget_ * out_.g + out_.z * out_.a;
    firstL_.Calc(sampleRate, hi_.z, lo_.z, out_.z);
    hi_.z = hiTarget_ * hi_.g + hi_.z * hi_.a;
    lo_.z = (1.0 - loTarget_) * lo_.g + lo_.z * lo_.a;
    out_.z = outTarget_ * out_.g + out_.z * out_.a;
    firstR_.Calc(sampleRate, hi_.z, lo_.z, out_.z);
    hi_.z = hiTarget_ * hi_.g + hi_.z * hi_.a;
    lo_.z = (1.0 - loTarget_) * lo_.g + lo_.z * lo_.a;
    out_.z = outTarget_ * out_.g + out_.z * out_.a;
    secondL_.Calc(sampleRate, hi_.z, lo_.z, out_.z);
    hi_.z = hiTarget_ * hi_.g + hi_.z * hi_.a;
    lo_.z = (1.0 - loTarget_) * lo_.g + lo_.z * lo_.a;
    out_.z = outTarget_ * out_.g + out_.z * out_.a;
    secondR_.Calc(sampleRate, hi_.z, lo_.z, out_.z);
    const double inLeft = inL[n];
    const double inRight = inR[n];
    const double bL = secondL_.Process(inLeft);
    const double bR = secondR_.Process(inRight);
    const double fL = firstL_.Process(inLeft);
    const double fR = firstR_.Process(inRight);
    if (circuit == 0) {
      heldL_ = fL;
      heldR_ = fR;
    } else if (circuit == 1) {
      heldL_ = bL;
      heldR_ = bR;
    }
    if (bypass == 1) {
      outL[n] = inLeft;
      outR[n] = inRight;
    } else {
      outL[n] = heldL_;
      outR[n] = heldR_;
    }
  }
}
