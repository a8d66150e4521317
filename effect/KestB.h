#pragma once

#include "effect/KestState.h"

// One channel of the bright tone circuit: the circuit of KestF with the OUT level built into the
// network instead of applied as a plain gain, which makes it sixth order. At OUT 1 its response
// equals KestF's; as OUT goes down it keeps more of the treble (about 7 dB more at 5 kHz and
// 9.5 dB more at 10 kHz at OUT 0.25). It ends in the same saturation, KestSaturate.
class KestB {
public:
  static constexpr int kOrder = 6;
  static constexpr int kNumTerms = 8;
  static constexpr int kDenTerms = 14;
  // Analogue prototype: kNum[j][p] and kDen[j][p] are the coefficients of s^p contributed by knob
  // term j of the numerator and the denominator.
  static const double kNum[kNumTerms][kOrder + 1];
  static const double kDen[kDenTerms][kOrder + 1];

  // Knob terms: num = (o, o^2, l o, l o^2, h o, h o^2, h l o, h l o^2) and
  // den = (1, o, o^2, l, l o, l o^2, h, h o, h l, h l o, h^2, h^2 o, h^2 l, h^2 l o).
  static void Terms(double h, double l, double o, double* num, double* den) {
    const double oo = o * o;
    const double hl = h * l;
    const double hh = h * h;
    const double hhl = hh * l;
    num[0] = o;
    num[1] = oo;
    num[2] = l * o;
    num[3] = l * oo;
    num[4] = h * o;
    num[5] = h * oo;
    num[6] = hl * o;
    num[7] = hl * oo;
    den[0] = 1.0;
    den[1] = o;
    den[2] = oo;
    den[3] = l;
    den[4] = l * o;
    den[5] = l * oo;
    den[6] = h;
    den[7] = h * o;
    den[8] = hl;
    den[9] = hl * o;
    den[10] = hh;
    den[11] = hh * o;
    den[12] = hhl;
    den[13] = hhl * o;
  }

  // All 28 state values zero. Calc must run before the first Process.
  KestB();

  // Recomputes the coefficients for sample rate fs (Hz), smoothed HI h, smoothed 1 - LO l and
  // smoothed OUT o, all three in 0..1. The histories are kept.
  void Calc(double fs, double h, double l, double o);

  // Runs one input sample through the filter and the saturation; returns the output sample.
  // A non-finite recursion output clears the histories and yields 0 (see KestRun).
  double Process(double in);

  // Coefficients, histories and latest values, for inspection.
  const KestState& State() const { return s_; }

private:
  KestState s_;
};
