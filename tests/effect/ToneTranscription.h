#pragma once

#include <cmath>

#include "effect/KestB.h"
#include "effect/KestF.h"
#include "effect/KestSaturation.h"

// The tone filters and the per-frame tone chain transcribed the plain way, in any real type:
// every formula as it stands, evaluated in order, nothing cached. In double it is the yardstick the
// fast chain is timed against; in long double it is the extended-precision chain the fast chain's
// accuracy is measured against.

// The order in which the knob terms of a prototype coefficient are summed, which the formulas
// leave free: first term to last as the tables list them, or last to first.
enum class TermOrder { kFirstToLast, kLastToFirst };

// The saturation curve evaluated in Real. Beyond the table the last entry holds however loud the
// input, as in the effect.
template <class Real>
Real TranscribedSaturate(Real y) {
  const Real m = std::fabs(y) * Real(kKestSaturationScale);
  if (m != m) return Real(0);
  const float* half = kKestSaturationCurve[std::signbit(y) ? 1 : 0];
  Real value;
  if (!(m < Real(kKestSaturationSize - 1))) {
    value = Real(half[kKestSaturationSize - 1]);
  } else {
    const int i = static_cast<int>(m);
    const Real f = m - Real(i);
    value = (Real(1) - f) * Real(half[i]) + f * Real(half[i + 1]);
  }
  return std::copysign(std::fabs(value), y);
}

// One tone filter of kind Kind (KestF or KestB): the prototype at the knob values, its
// coefficients of s^p times (2 fs)^p, the bilinear matrix, and the direct-form recursion.
template <class Kind, class Real, TermOrder kTermOrder = TermOrder::kFirstToLast>
class TranscribedFilter {
public:
  static constexpr int kOrder = Kind::kOrder;

  TranscribedFilter() {
    for (int p = 0; p <= kOrder; ++p) {
      Real poly[kOrder + 1] = {Real(1)};
      for (int f = 0; f < kOrder; ++f) {
        const Real sign = f < p ? Real(-1) : Real(1);
        for (int k = f + 1; k > 0; --k) poly[k] += sign * poly[k - 1];
      }
      for (int k = 0; k <= kOrder; ++k) c_[k][p] = poly[k];
    }
  }

  void Calc(Real fs, Real h, Real l, Real o) {
    Real tn[Kind::kNumTerms];
    Real td[Kind::kDenTerms];
    Kind::Terms(h, l, o, tn, td);
    Real num[kOrder + 1];
    Real den[kOrder + 1];
    Real power = 1;
    for (int p = 0; p <= kOrder; ++p) {
      Real n = 0;
      for (int t = 0; t < Kind::kNumTerms; ++t) {
        const int j = kTermOrder == TermOrder::kFirstToLast ? t : Kind::kNumTerms - 1 - t;
        n += Real(Kind::kNum[j][p]) * tn[j];
      }
      Real d = 0;
      for (int t = 0; t < Kind::kDenTerms; ++t) {
        const int j = kTermOrder == TermOrder::kFirstToLast ? t : Kind::kDenTerms - 1 - t;
        d += Real(Kind::kDen[j][p]) * td[j];
      }
      num[p] = n * power;
      den[p] = d * power;
      power *= Real(2) * fs;
    }
    for (int k = 0; k <= kOrder; ++k) {
      Real a = 0, b = 0;
      for (int p = 0; p <= kOrder; ++p) {
        a += c_[k][p] * den[p];
        b += c_[k][p] * num[p];
      }
      a_[k] = a;
      b_[k] = b;
    }
  }

  // One sample; a recursion output that is not finite clears the histories and gives 0.
  Real Process(Real in) {
    x_[0] = in * Real(0.001412537544622754);
    Real acc = 0;
    for (int k = 0; k <= kOrder; ++k) acc += b_[k] * x_[k];
    for (int k = 1; k <= kOrder; ++k) acc -= a_[k] * y_[k];
    const Real y = acc / a_[0];
    if (!std::isfinite(y)) {
      for (int k = 0; k <= kOrder; ++k) x_[k] = y_[k] = 0;
      return 0;
    }
    for (int k = kOrder; k > 0; --k) {
      x_[k] = x_[k - 1];
      y_[k] = y_[k - 1];
    }
    y_[1] = y;
    return TranscribedSaturate(y);
  }

private:
  Real c_[kOrder + 1][kOrder + 1];
  Real a_[kOrder + 1] = {};
  Real b_[kOrder + 1] = {};
  Real x_[kOrder + 1] = {};  // x_[k]: input k samples ago, after the gain
  Real y_[kOrder + 1] = {};  // y_[k]: output k samples ago (y_[0] unused)
};

// The per-frame chain: one exp per frame, four smoother steps and four Calc calls per frame, the
// four filters, the circuit and the bypass.
template <class Real, TermOrder kTermOrder = TermOrder::kFirstToLast>
class TranscribedToneChain {
public:
  void SetOutTarget(double out) { outTarget_ = out; }
  void SetHiTarget(double hi) { hiTarget_ = hi; }
  void SetLoTarget(double lo) { loTarget_ = lo; }

  void Process(const double* inL, const double* inR, double* outL, double* outR, int nFrames,
               double sampleRate, int circuit, int bypass) {
    const Real fs = sampleRate;
    for (int n = 0; n < nFrames; ++n) {
      const Real a = std::exp((Real(0.1) / fs) * Real(-6.283185307179586));
      const Real g = Real(1) - a;
      Step(a, g);
      firstL_.Calc(fs, hi_, lo_, out_);
      Step(a, g);
      firstR_.Calc(fs, hi_, lo_, out_);
      Step(a, g);
      secondL_.Calc(fs, hi_, lo_, out_);
      Step(a, g);
      secondR_.Calc(fs, hi_, lo_, out_);
      const double left = inL[n];
      const double right = inR[n];
      const Real bL = secondL_.Process(left);
      const Real bR = secondR_.Process(right);
      const Real fL = firstL_.Process(left);
      const Real fR = firstR_.Process(right);
      if (circuit == 0) {
        heldL_ = fL;
        heldR_ = fR;
      } else if (circuit == 1) {
        heldL_ = bL;
        heldR_ = bR;
      }
      outL[n] = bypass == 1 ? left : static_cast<double>(heldL_);
      outR[n] = bypass == 1 ? right : static_cast<double>(heldR_);
    }
  }

private:
  void Step(Real a, Real g) {
    hi_ = Real(hiTarget_) * g + hi_ * a;
    lo_ = (Real(1) - Real(loTarget_)) * g + lo_ * a;
    out_ = Real(outTarget_) * g + out_ * a;
  }

  double outTarget_ = 0.0, hiTarget_ = 0.0, loTarget_ = 0.0;
  Real hi_ = 0, lo_ = 0, out_ = 0;
  Real heldL_ = 0, heldR_ = 0;
  TranscribedFilter<KestF, Real, kTermOrder> firstL_, firstR_;
  TranscribedFilter<KestB, Real, kTermOrder> secondL_, secondR_;
};
