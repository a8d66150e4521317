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
  // Highest total degree in h, l and o of any knob term (h^2 l in the denominator, h l o in
  // the numerator).
  static constexpr int kTermDegree = 3;
  // Analogue prototype: kNum[j][p] and kDen[j][p] are the coefficients of s^p contributed by knob
  // term j of the numerator and the denominator.
  static constexpr double kNum[kNumTerms][kOrder + 1] = {
      // o
      {0.0, 2.371650562942765e-11, 1.378391373371355e-12,
       1.8396502746880124e-14, 2.1824044417179627e-18, 4.9450699933954686e-23},
      // l*o
      {0.0, -2.305987091706175e-11, -1.3402492413808726e-12,
       -1.788839032869975e-14, -2.13834071164915e-18, -4.9450699933954686e-23},
      // h*o
      {0.0, 5.7505912511376e-14, 3.937429829653925e-15,
       7.98044051467875e-17, 5.02044586821975e-19, 5.194401253566656e-22},
      // h*l*o
      {0.0, 0.0, 0.0,
       -6.756944720086675e-19, -3.919027937650281e-20, -5.194401253566656e-22},
  };
  static constexpr double kDen[kDenTerms][kOrder + 1] = {
      // 1
      {8.33253754780969e-13, 5.8560220036736e-14, 1.1939171997752874e-15,
       7.72302780505025e-18, 3.3642719581452624e-21, 1.9117308141625063e-25},
      // l
      {-1.65749075982847e-13, -2.486985669826515e-14, -6.780040679499025e-16,
       -5.23374193760115e-18, -3.193924540066275e-21, -1.9117308141625063e-25},
      // h
      {1.65749075982847e-13, 1.249930701154615e-14, 2.655774547654975e-16,
       1.766004133471325e-18, 7.687752965033188e-22, 4.581299651583875e-26},
      // h*l
      {0.0, -4.13336758232225e-15, -1.37468501525321e-16,
       -1.1480152367477175e-18, -7.279529923738813e-22, -4.581299651583875e-26},
      // h^2
      {0.0, -1.035931724892795e-17, -7.810560678331275e-19,
       -1.657295419945375e-20, -1.0967635958715187e-22, -4.2730987260381877e-26},
      // h^2*l
      {0.0, 0.0, 2.589829312231975e-19,
       8.603578431490413e-21, 7.160032242832625e-23, 4.2730987260381877e-26},
  };

  // Knob terms: num = (o, l*o, h*o, h*l*o), den = (1, l, h, h*l, h*h, h*h*l).
  template <class T>
  __attribute__((always_inline)) static void Terms(const T& h, const T& l, const T& o, T* num,
                                                   T* den) {
    const T hl = h * l;
    const T hh = h * h;
    num[0] = o;
    num[1] = l * o;
    num[2] = h * o;
    num[3] = hl * o;
    den[0] = T{} + 1.0;
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
