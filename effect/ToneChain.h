#pragma once

#include <cmath>
#include <cstdint>

#include "effect/KestLanes.h"
#include "effect/KestScaledPrototype.h"

// The per-frame sound of the effect: three one-pole smoothers that follow the OUT, HI and LO
// targets with a time constant of about 0.398 s, both tone filters on both channels recomputed
// from the smoothed values on every frame, the circuit selection and the bypass. Both circuits
// run all the time, so switching finds the newly heard one already running. Nothing is ever
// reset; the smoothers start at 0, so sound fades in after construction.
//
// The smoothers are followed in closed form: all three share one pole and step four times per
// frame, once for each filter, so filter i of frame n sees target + offset * e * pole^(i + 1),
// with e = pole^(4 n). Once the movement still to come is too small to be heard, the
// coefficients stay where they are and only the recursions run until a target or the sample
// rate changes.
//
// Too small to be heard is smaller than one might think. The recursions' poles sit so close to
// z = 1 that they answer to how fast the coefficients move: stopping them while a knob value is
// still 1e-9 away from its target sets off a transient of 1e-7 to 1e-5 of full scale. Stopping
// where a double-precision smoother stops by itself, when its next step would change it by less
// than half a unit in the last place, costs no more than that smoother's own stop does; a target
// of 0, which such a smoother approaches for minutes, is met at kRestFloor.
class ToneChain {
public:
  // Distance from a target of 0 at which a smoothed knob value counts as arrived.
  static constexpr double kRestFloor = 1e-13;
  // The same for the OUT value heading for 0, where it then stops at 0 itself. Dropping the level
  // to 0 in one step sets off a transient some 1e7 times the distance, hence the smaller floor.
  static constexpr double kSilenceFloor = 1e-30;

  // Smoothers at 0, filters zeroed, held output 0, targets 0; frame loops built for path, which
  // must be supported (KestLanes::Supports).
  explicit ToneChain(KestLanes::Path path = KestLanes::Fastest());

  // Target of the OUT smoother: the plain value of the OUT parameter (0..1). A value that is not
  // a finite number is ignored, here and in the other two.
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

  // True while the coefficients stay put: the smoothed values have come to rest.
  bool AtRest() const { return resting_; }

private:
  enum Knob { kHi, kLo, kOut, kKnobs };
  enum Filter { kFirstLeft, kFirstRight, kSecondLeft, kSecondRight, kFilters };

  void SetTarget(Knob knob, double value);
  void SetRate(double fs);
  void StartMoving();
  void ComeToRest();
  void TrackPositions(double e);
  double ArrivalDistance(Knob knob, double target) const;
  template <class Kind>
  void SetMoving(const KestScaledPrototype<Kind>& prototype, Filter left);
  template <class Kind>
  void SetResting(const KestScaledPrototype<Kind>& prototype, Filter filter);

  // Smoother inputs: HI, 1 - LO and OUT, in the order the filters take them.
  double targets_[kKnobs] = {};
  // The targets the movement under way was started for (none yet), and whether targets_ differs.
  double startedFor_[kKnobs] = {NAN, NAN, NAN};
  bool targetsChanged_ = true;

  // Sample rate of the tables and the pole (not a number: none yet).
  double rate_ = NAN;
  KestScaledPrototype<KestF> first_;
  KestScaledPrototype<KestB> second_;
  // The smoothers' pole per step, their input gain 1 - pole, and the decay per frame, pole^4.
  long double pole_ = 0.0L;
  double smootherGain_ = 1.0;
  double frameDecay_ = 0.0;

  // Knob values each filter was given last.
  double positions_[kFilters][kKnobs] = {};
  // The movement under way: where the knob values head, and their offsets from there at e = 1.
  double goals_[kKnobs] = {};
  double offsets_[kFilters][kKnobs] = {};
  // e of the next frame, and frames to go until every knob value has arrived.
  double nextE_ = 1.0;
  int64_t framesToRest_ = 0;
  bool resting_ = true;

  double held_[2] = {};
  KestLanes lanes_;
};
