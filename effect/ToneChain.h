#pragma once

#include <cmath>

#include "effect/KestLanes.h"
#include "effect/KestSmoother.h"

// The per-frame sound of the effect: three one-pole smoothers that follow the OUT, HI and LO
// targets with a time constant of about 0.398 s, both tone filters on both channels recomputed
// from the smoothed values on every frame, the circuit selection and the bypass. Both circuits
// run all the time, so switching finds the newly heard one already running. Nothing is ever
// reset; the smoothers start at 0, so sound fades in after construction.
class ToneChain {
public:
  // Smoothers at gain 1, pole 0, state 0; filters zeroed; targets 0; held output 0.
  ToneChain();

  // Target of the OUT smoother: the plain value of the OUT parameter (0..1).
  void SetOutTarget(double out);
  // Target of the HI smoother: the plain value of the HI parameter (0..1).
  void SetHiTarget(double hi);
  // Sets the LO parameter's plain value (0..1); the chain smooths 1 - LO.
  void SetLoTarget(double lo);

  // Runs nFrames frames (nothing at all when nFrames < 1) at sampleRate Hz. circuit 0 makes the
  // first filter heard and 1 the second; any other value keeps the output last selected. bypass 1
  // copies the input to the output bit for bit while the filters keep running; any other value
  // plays the held filter output. Outputs may alias inputs. Subnormal values inside the filters
  // are flushed to zero while this runs.
  void Process(const double* inL, const double* inR, double* outL, double* outR, int nFrames,
               double sampleRate, int circuit, int bypass);

private:
  void StepSmoothers(double* h, double* l, double* o);

  KestSmoother lo_;
  KestSmoother hi_;
  KestSmoother out_;
  double outTarget_ = 0.0;
  double hiTarget_ = 0.0;
  double loTarget_ = 0.0;
  double heldL_ = 0.0;
  double heldR_ = 0.0;
  KestLanes filters_;

  // Sample rate the smoothers' pole and gain belong to (not a number: none yet).
  double poleRate_ = NAN;
  // Knob values and sample rate the filters' coefficients were last computed from.
  double calcH_[KestLanes::kFilters] = {};
  double calcL_[KestLanes::kFilters] = {};
  double calcO_[KestLanes::kFilters] = {};
  double calcRate_ = NAN;
  // True while the smoothers sit on their fixed point and the coefficients match it: nothing but
  // the recursions changes from frame to frame until a target or the sample rate changes.
  bool settled_ = false;
};
