#pragma once

#include "effect/KestB.h"
#include "effect/KestF.h"
#include "effect/KestState.h"

// Straightforward transcriptions of the tone filters and of the per-frame tone chain: plain loops
// over the whole prototype tables and the bilinear matrix, one exp per frame, every value
// recomputed every time. They perform the same arithmetic, in the same order, as KestF, KestB and
// ToneChain, and are the yardstick those are timed and checked against.

// One tone filter of kind Kind (KestF or KestB), computed the plain way.
template <class Kind>
class ReferenceKest {
public:
  ReferenceKest();
  // Recomputes the coefficients; see KestF::Calc.
  void Calc(double fs, double h, double l, double o);
  // One sample through the filter; see KestF::Process.
  double Process(double in);
  const KestState& State() const { return s_; }

private:
  double c_[Kind::kOrder + 1][Kind::kOrder + 1];
  KestState s_;
};

// The per-frame chain of the effect, transcribed frame by frame; see ToneChain.
class ReferenceToneChain {
public:
  void SetOutTarget(double out) { outTarget_ = out; }
  void SetHiTarget(double hi) { hiTarget_ = hi; }
  void SetLoTarget(double lo) { loTarget_ = lo; }
  void Process(const double* inL, const double* inR, double* outL, double* outR, int nFrames,
               double sampleRate, int circuit, int bypass);

private:
  struct Smoother {
    double g = 1.0, a = 0.0, z = 0.0;
  };
  Smoother lo_, hi_, out_;
  double outTarget_ = 0.0, hiTarget_ = 0.0, loTarget_ = 0.0;
  double heldL_ = 0.0, heldR_ = 0.0;
  ReferenceKest<KestF> firstL_, firstR_;
  ReferenceKest<KestB> secondL_, secondR_;
};
