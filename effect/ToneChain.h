#pragma once

#include "effect/KestB.h"
#include "effect/KestF.h"

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
  // plays the held filter output. Outputs may alias inputs.
  void Process(const double* inL, const double* inR, double* outL, double* outR, int nFrames,
               double sampleRate, int circuit, int bypass);

private:
  struct Smoother {
    double g = 1.0;
    double a = 0.0;
    double z = 0.0;
    double Step(double x) {
      z = x * g + z * a;
      return z;
    }
  };

  Smoother lo_;
  Smoother hi_;
  Smoother out_;
  double outTarget_ = 0.0;
  double hiTarget_ = 0.0;
  double loTarget_ = 0.0;
  double heldL_ = 0.0;
  double heldR_ = 0.0;
  KestF firstL_;
  KestF firstR_;
  KestB secondL_;
  KestB secondR_;
};
