#include "effect/ToneChain.h"

#include <cmath>
#include <initializer_list>

ToneChain::ToneChain() = default;

void ToneChain::SetOutTarget(double out) { outTarget_ = out; }

void ToneChain::SetHiTarget(double hi) { hiTarget_ = hi; }

void ToneChain::SetLoTarget(double lo) { loTarget_ = lo; }

void ToneChain::Process(const double* inL, const double* inR, double* outL, double* outR,
                        int nFrames, double sampleRate, int circuit, int bypass) {
  for (int n = 0; n < nFrames; ++n) {
    const double pole = std::exp((0.1 / sampleRate) * -6.283185307179586);
    const double gain = 1.0 - pole;
    for (Smoother* s : {&lo_, &hi_, &out_}) {
      s->a = pole;
      s->g = gain;
    }
    // Each filter object is given the smoothers one step further on.
    auto step = [&](auto& filter) {
      const double h = hi_.Step(hiTarget_);
      const double l = lo_.Step(1.0 - loTarget_);
      const double o = out_.Step(outTarget_);
      filter.Calc(sampleRate, h, l, o);
    };
    step(firstL_);
    step(firstR_);
    step(secondL_);
    step(secondR_);

    const double left = inL[n];
    const double right = inR[n];
    const double bL = secondL_.Process(left);
    const double bR = secondR_.Process(right);
    const double fL = firstL_.Process(left);
    const double fR = firstR_.Process(right);
    if (circuit == 0) {
      heldL_ = fL;
      heldR_ = fR;
    } else if (circuit == 1) {
      heldL_ = bL;
      heldR_ = bR;
    }
    if (bypass == 1) {
      outL[n] = left;
      outR[n] = right;
    } else {
      outL[n] = heldL_;
      outR[n] = heldR_;
    }
  }
}
