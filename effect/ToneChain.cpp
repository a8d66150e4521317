#include "effect/ToneChain.h"

#include <algorithm>
#include <cmath>

#include "effect/KestBilinear.h"
#include "effect/ScopedFlushDenormals.h"

namespace {

// Frames until distance * decay^frames is at most arrived, decay being the movement left after a
// frame: 0 when it is already, and at least 1 otherwise, whatever odd decay a sample rate gives.
int64_t FramesToArrive(double distance, double arrived, double decay) {
  if (!(distance > arrived)) return 0;
  const double frames = std::ceil(std::log(arrived / distance) / std::log(decay));
  if (!(frames >= 1.0)) return 1;
  constexpr double kNever = 1e18;
  return static_cast<int64_t>(std::min(frames, kNever));
}

}  // namespace

ToneChain::ToneChain(KestLanes::Path path) : lanes_(path) {
  // The LO target starts at 0, so its smoother heads for 1 - 0.
  targets_[kLo] = 1.0;
}

void ToneChain::SetTarget(Knob knob, double value) {
  if (!std::isfinite(value)) return;
  targets_[knob] = value;
  // Targets that come back to where the movement heads, as a restore that fails half-way leaves
  // them, change nothing: restarting the movement from where it stands would round differently.
  targetsChanged_ = !std::equal(targets_, targets_ + kKnobs, startedFor_);
}

void ToneChain::SetOutTarget(double out) { SetTarget(kOut, out); }

void ToneChain::SetHiTarget(double hi) { SetTarget(kHi, hi); }

void ToneChain::SetLoTarget(double lo) {
  if (std::isfinite(lo)) SetTarget(kLo, 1.0 - lo);
}

void ToneChain::SetRate(double fs) {
  first_.SetRate(fs);
  second_.SetRate(fs);
  const long double exponent = (0.1L / fs) * -6.283185307179586L;
  pole_ = std::exp(exponent);
  smootherGain_ = static_cast<double>(-std::expm1(exponent));
  frameDecay_ = static_cast<double>(pole_ * pole_ * pole_ * pole_);
  rate_ = fs;
}

// From where the filters stand towards the targets. While moving, every filter continues from the
// smoothers' state, which the last filter of the last frame holds; at rest each continues from
// its own frozen values, so that none of them jumps. A knob value that has arrived, as a
// double-precision smoother would have stopped at its fixed point, stays where it is: setting it
// moving again, however little, would be heard.
void ToneChain::StartMoving() {
  targetsChanged_ = false;
  std::copy(targets_, targets_ + kKnobs, startedFor_);
  framesToRest_ = 0;
  for (int k = 0; k < kKnobs; ++k) {
    const double arrival = ArrivalDistance(Knob(k), targets_[k]);
    bool arrived = true;
    for (int i = 0; i < kFilters; ++i) {
      arrived = arrived && std::fabs(positions_[i][k] - targets_[k]) <= arrival;
    }
    goals_[k] = arrived ? positions_[kSecondRight][k] : targets_[k];
    for (int i = 0; i < kFilters; ++i) {
      offsets_[i][k] = positions_[resting_ ? i : kSecondRight][k] - goals_[k];
      framesToRest_ =
          std::max(framesToRest_, FramesToArrive(std::fabs(offsets_[i][k]), arrival, frameDecay_));
    }
  }
  nextE_ = 1.0;
  if (framesToRest_ == 0) {
    ComeToRest();
    return;
  }
  resting_ = false;
  SetMoving(first_, kFirstLeft);
  SetMoving(second_, kSecondLeft);
}

// Distance from target below which a double-precision smoother's step, gain times distance,
// rounds away to nothing.
double ToneChain::ArrivalDistance(Knob knob, double target) const {
  const double magnitude = std::fabs(target);
  const double unitInLastPlace = std::nextafter(magnitude, INFINITY) - magnitude;
  const double floor = knob == kOut && target == 0.0 ? kSilenceFloor : kRestFloor;
  return std::max(floor, 0.5 * unitInLastPlace / smootherGain_);
}

template <class Kind>
void ToneChain::SetMoving(const KestScaledPrototype<Kind>& prototype, Filter left) {
  constexpr int kOrder = Kind::kOrder;
  constexpr int kDegree = Kind::kTermDegree;
  long double den[kOrder + 1][kDegree + 1];
  long double num[kOrder + 1][kDegree + 1];
  long double scaledDen[kOrder + 1][kDegree + 1];
  long double scaledNum[kOrder + 1][kDegree + 1];
  for (int lane = 0; lane < 2; ++lane) {
    const int filter = left + lane;
    // Moving channels share their offsets; after rest each has its own.
    if (lane == 0 || !std::equal(offsets_[filter], offsets_[filter] + kKnobs, offsets_[left])) {
      prototype.Expand(goals_, offsets_[filter], den, num);
    }
    // Filter i steps its smoothers i + 1 times into the frame: e * pole^(i + 1).
    long double stepScale = 1.0L;
    for (int i = 0; i <= filter; ++i) stepScale *= pole_;
    long double scale = 1.0L;
    for (int m = 0; m <= kDegree; ++m, scale *= stepScale) {
      for (int p = 0; p <= kOrder; ++p) {
        scaledDen[p][m] = den[p][m] * scale;
        scaledNum[p][m] = num[p][m] * scale;
      }
    }
    lanes_.SetMoving<Kind>(lane, scaledDen, scaledNum);
  }
}

void ToneChain::ComeToRest() {
  resting_ = true;
  // A level that heads for 0 stops there, kSilenceFloor short of it, so that the output falls
  // silent; the step's transient is as far down as the signal.
  if (targets_[kOut] == 0.0) {
    for (auto& position : positions_) position[kOut] = 0.0;
  }
  SetResting(first_, kFirstLeft);
  SetResting(first_, kFirstRight);
  SetResting(second_, kSecondLeft);
  SetResting(second_, kSecondRight);
}

// Coefficients at the filter's frozen knob values, in long double, rounded once.
template <class Kind>
void ToneChain::SetResting(const KestScaledPrototype<Kind>& prototype, Filter filter) {
  constexpr int kOrder = Kind::kOrder;
  long double den[kOrder + 1];
  long double num[kOrder + 1];
  long double a[kOrder + 1];
  long double sums[kOrder];
  const double* at = positions_[filter];
  prototype.Evaluate(at[kHi], at[kLo], at[kOut], den, num);
  KestBilinearDenominator<kOrder>(den, a);
  KestBilinearNumeratorSums<kOrder>(num, sums);
  lanes_.SetResting<Kind>(filter % 2, a, sums);
}

// Knob values each filter was given in the frame that used e.
void ToneChain::TrackPositions(double e) {
  double stepScale = 1.0;
  for (int i = 0; i < kFilters; ++i) {
    stepScale *= static_cast<double>(pole_);
    for (int k = 0; k < kKnobs; ++k) {
      const double at = goals_[k] + offsets_[i][k] * (e * stepScale);
      positions_[i][k] = std::isfinite(at) ? at : goals_[k];
    }
  }
}

void ToneChain::Process(const double* inL, const double* inR, double* outL, double* outR,
                        int nFrames, double sampleRate, int circuit, int bypass) {
  if (nFrames < 1) return;
  const ScopedFlushDenormals flush;
  if (!(sampleRate == rate_)) {
    SetRate(sampleRate);
    targetsChanged_ = true;
  }
  if (targetsChanged_) StartMoving();
  int done = 0;
  while (done < nFrames) {
    const KestLanes::Block block = {inL + done, inR + done, outL + done, outR + done,
                                    nFrames - done, circuit, bypass, held_};
    if (resting_) {
      lanes_.RunResting(block);
      return;
    }
    KestLanes::Block moving = block;
    moving.frames = static_cast<int>(std::min<int64_t>(block.frames, framesToRest_));
    const double lastE = lanes_.RunMoving(moving, nextE_, frameDecay_);
    nextE_ = lastE * frameDecay_;
    TrackPositions(lastE);
    framesToRest_ -= moving.frames;
    if (framesToRest_ == 0) ComeToRest();
    done += moving.frames;
  }
}
