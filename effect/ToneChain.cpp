#include "effect/ToneChain.h"

#include <cmath>
#include <initializer_list>

#include "effect/ScopedFlushDenormals.h"

ToneChain::ToneChain() = default;

void ToneChain::SetOutTarget(double out) {
  if (out != outTarget_) settled_ = false;
  outTarget_ = out;
}

void ToneChain::SetHiTarget(double hi) {
  if (hi != hiTarget_) settled_ = false;
  hiTarget_ = hi;
}

void ToneChain::SetLoTarget(double lo) {
  if (lo != loTarget_) settled_ = false;
  loTarget_ = lo;
}

// Each filter is given the smoothers one step further on.
void ToneChain::StepSmoothers(double* h, double* l, double* o) {
  const double loInput = 1.0 - loTarget_;
  for (int i = 0; i < KestLanes::kFilters; ++i) {
    h[i] = hi_.Step(hiTarget_);
    l[i] = lo_.Step(loInput);
    o[i] = out_.Step(outTarget_);
  }
}

void ToneChain::Process(const double* inL, const double* inR, double* outL, double* outR,
                        int nFrames, double sampleRate, int circuit, int bypass) {
  if (nFrames < 1) return;
  const ScopedFlushDenormals flush;
  // The pole depends on the sample rate alone, so one exp per rate gives every frame's value.
  if (!(sampleRate == poleRate_)) {
    const double pole = std::exp((0.1 / sampleRate) * -6.283185307179586);
    for (KestSmoother* s : {&lo_, &hi_, &out_}) {
      s->a = pole;
      s->g = 1.0 - pole;
    }
    poleRate_ = sampleRate;
    settled_ = false;
  }
  const int framesPerCalc = KestLanes::FramesPerCalc();
  // Frames whose coefficients are computed but not yet current in the filters.
  int waiting = 0;
  for (int n = 0; n < nFrames; ++n) {
    if (waiting > 0) {
      filters_.NextFrame();
      --waiting;
    } else if (!settled_) {
      // Smoothed values of up to framesPerCalc frames, stopping after a frame that leaves the
      // smoothers where they were: a step that changes nothing will never change anything.
      constexpr int kValues = KestLanes::kFilters * KestLanes::kMaxFramesPerCalc;
      double h[kValues], l[kValues], o[kValues];
      int frames = 0;
      bool still = false;
      while (!still && frames < framesPerCalc && n + frames < nFrames) {
        const double hBefore = hi_.z, lBefore = lo_.z, oBefore = out_.z;
        const int at = KestLanes::kFilters * frames;
        StepSmoothers(h + at, l + at, o + at);
        still = hi_.z == hBefore && lo_.z == lBefore && out_.z == oBefore;
        ++frames;
      }
      bool same = frames == 1 && sampleRate == calcRate_;
      for (int i = 0; same && i < KestLanes::kFilters; ++i) {
        same = h[i] == calcH_[i] && l[i] == calcL_[i] && o[i] == calcO_[i];
      }
      if (!same) {
        filters_.CalcFrames(sampleRate, frames, h, l, o);
        const int last = KestLanes::kFilters * (frames - 1);
        for (int i = 0; i < KestLanes::kFilters; ++i) {
          calcH_[i] = h[last + i];
          calcL_[i] = l[last + i];
          calcO_[i] = o[last + i];
        }
        calcRate_ = sampleRate;
      }
      waiting = frames - 1;
      settled_ = still;
    }
    const double left = inL[n];
    const double right = inR[n];
    double heard[2];
    filters_.Process(left, right, circuit, heard);
    if (circuit == 0 || circuit == 1) {
      heldL_ = heard[0];
      heldR_ = heard[1];
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
