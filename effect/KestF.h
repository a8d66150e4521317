#pragma once

#include "effect/KestState.h"

// One channel of the plain tone circuit: a fifth-order recursive filter whose coefficients follow
// the HI, LO and OUT knobs, ending in the asymmetric saturation of KestSaturate. With OUT at 1 and
// the knobs centred it is a bass/treble shelving network with a dip near 1 kHz and no response at
// DC; OUT scales the whole response ahead of the saturation, so it drives it as well.
class KestF {
public:
  static constexpr int kOrder = 5;
  static constexpr int kNumTerms = 4;
  static constexpr int kDenTerms = 6;
  // Analogue prototype: kNum[j][p] and kDen[j][p] are the coefficients of s^p contributed by knob
  // term j of the numerator and the denominator.
  static const double kNum[kNumTerms][kOrder + 1];
  static const double kDen[kDenTerms][kOrder + 1];

  // Knob terms: num = (o, l*o, h*o, h*l*o), den = (1, l, h, h*l, h*h, h*h*l).
  static void Terms(double h, double l, double o, double* num, double* den) {
    const double hl = h * l;
    const double hh = h * h;
    num[0] = o;
    num[1] = l * o;
    num[2] = h * o;
    num[3] = hl * o;
    den[0] = 1.0;
    den[1] = l;
    den[2] = h;
    den[3] = hl;
    den[4] = hh;
    den[5] = hh * l;
  }

  // All 28 state values zero. Calc must run before the first Process.
  KestF();

  // Recomputes the coefficients for sample rate fs (Hz), smoothed HI h, smoothed 1 - LO l (1 is
  // the bass fully down) and smoothed OUT o, all three in 0..1. The histories are kept.
  void Calc(double fs, double h, double l, double o);

  // Runs one input sample through the filter and the saturation; returns the output sample.
  // A non-finite recursion output clears the histories and yields 0 (see KestRun).
  double Process(double in);

  // Coefficients, histories and latest values, for inspection.
  const KestState& State() const { return s_; }

private:
  KestState s_;
};
