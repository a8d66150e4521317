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
  // Highest total degree in h, l and o of any knob term (h^2 l o in the denominator, h l o^2 in
  // the numerator).
  static constexpr int kTermDegree = 4;
  // Analogue prototype: kNum[j][p] and kDen[j][p] are the coefficients of s^p contributed by knob
  // term j of the numerator and the denominator.
  static constexpr double kNum[kNumTerms][kOrder + 1] = {
      // o
      {0.0, 5.79529830293695e-12, 3.375152570507125e-13,
       4.535735809153812e-15, 1.0727242745119313e-18, 7.607797525014313e-23,
       1.4500359971278031e-27},
      // o^2
      {0.0, 0.0, -6.9543579635243e-16,
       -4.041837855052325e-17, -5.39438091672395e-19, -6.399434194074468e-23,
       -1.4500359971278031e-27},
      // l*o
      {0.0, -5.6348448999912e-12, -3.28175699042465e-13,
       -4.410456457922975e-15, -1.0470576761616563e-18, -7.478590062121282e-23,
       -1.4500359971278031e-27},
      // l*o^2
      {0.0, 0.0, 6.761813879989425e-16,
       3.9299942118536e-17, 5.245387818965331e-19, 6.270226731181469e-23,
       1.4500359971278031e-27},
      // h*o
      {0.0, 1.405198229424235e-14, 9.638254655620775e-16,
       1.961623565598e-17, 1.2501829014704062e-19, 1.4165030491799374e-22,
       1.5231470558065157e-26},
      // h*o^2
      {0.0, 0.0, -1.6862378753090824e-18,
       -1.1545670732241224e-19, -2.3400934738389124e-21, -1.4721383600784187e-23,
       -1.5231470558065157e-26},
      // h*l*o
      {0.0, 0.0, 0.0,
       -1.651107919573475e-19, -9.596239228561e-21, -1.2807809242923282e-22,
       -1.5231470558065157e-26},
      // h*l*o^2
      {0.0, 0.0, 0.0,
       0.0, 1.981329503488169e-23, 1.1491711120231312e-24,
       1.5231470558065157e-26},
  };
  static constexpr double kDen[kDenTerms][kOrder + 1] = {
      // 1
      {2.03611533115894e-13, 1.431460233885235e-14, 2.9199082867288e-16,
       1.8909284917828874e-18, 8.399086019643063e-22, 4.843679638138406e-26,
       3.5536275221379064e-32},
      // o
      {0.0, 1.44485128655378e-17, 1.219962777314375e-18,
       2.75065898391935e-20, 1.9081204599017563e-22, 9.520551402722344e-26,
       5.5346691304130935e-30},
      // o^2
      {0.0, -1.94409484197225e-17, -1.46855798285508e-18,
       -3.1257828927637127e-20, -2.0863665815675438e-22, -9.692779640147531e-26,
       -5.570205405634469e-30},
      // l
      {-4.05019758744219e-14, -6.0819881488242e-15, -1.6591717489062124e-16,
       -1.282554500417325e-18, -7.978139899890812e-22, -4.8405131291889065e-26,
       -3.5536275221379064e-32},
      // l*o
      {0.0, 4.86023710493063e-18, -2.45222190132281e-19,
       -1.2576801579839125e-20, -1.1875705910663062e-22, -9.027377055527219e-26,
       -5.5346691304130935e-30},
      // l*o^2
      {0.0, 0.0, 4.87238769769295e-19,
       1.6228910288578626e-20, 1.3611267305583e-22, 9.196438784002906e-26,
       5.570205405634469e-30},
      // h
      {4.05019758744219e-14, 3.059155581017405e-15, 6.526227188602075e-17,
       4.393232709077137e-19, 2.396400528621025e-22, 3.3737425491540626e-26,
       1.34336812584275e-30},
      // h*o
      {0.0, -4.86023710493063e-18, -3.665154412694975e-19,
       -7.78749077337015e-21, -5.1784293616121313e-23, -2.254269110951775e-26,
       -1.34336812584275e-30},
      // h*l
      {0.0, -1.010018023368395e-15, -3.371261677157825e-17,
       -2.845567292381525e-19, -2.1154362749229687e-22, -3.2540398744513125e-26,
       -1.34336812584275e-30},
      // h*l*o
      {0.0, 0.0, 1.212021628042075e-19,
       4.030969753052875e-21, 3.3663091138212e-23, 2.134566436249022e-26,
       1.34336812584275e-30},
      // h^2
      {0.0, -2.53137349215137e-18, -1.9116041864103824e-19,
       -4.0726230589659124e-21, -2.728617176470519e-23, -1.3657647948724845e-26,
       -1.2529947970453827e-30},
      // h^2*o
      {0.0, 0.0, 3.03764819058165e-22,
       2.2902798458637624e-23, 4.859664312608731e-25, 3.2160246400133126e-27,
       1.2529947970453827e-30},
      // h^2*l
      {0.0, 0.0, 6.328433730378425e-20,
       2.1099402361651625e-21, 1.7748334012670814e-23, 1.2541149606166093e-26,
       1.2529947970453827e-30},
      // h^2*l*o
      {0.0, 0.0, 0.0,
       -7.594120476454113e-24, -2.5228153388264436e-25, -2.099526297454578e-27,
       -1.2529947970453827e-30},
  };

  // Knob terms: num = (o, o^2, l o, l o^2, h o, h o^2, h l o, h l o^2) and
  // den = (1, o, o^2, l, l o, l o^2, h, h o, h l, h l o, h^2, h^2 o, h^2 l, h^2 l o).
  template <class T>
  __attribute__((always_inline)) static void Terms(const T& h, const T& l, const T& o, T* num,
                                                   T* den) {
    const T oo = o * o;
    const T hl = h * l;
    const T hh = h * h;
    const T hhl = hh * l;
    num[0] = o;
    num[1] = oo;
    num[2] = l * o;
    num[3] = l * oo;
    num[4] = h * o;
    num[5] = h * oo;
    num[6] = hl * o;
    num[7] = hl * oo;
    den[0] = T{} + 1.0;
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
