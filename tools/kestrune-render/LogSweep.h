#pragma once
// The excitation of a frequency-response measurement: an exponential sine sweep.

#include <cstdint>
#include <vector>

namespace kestrune::render {

// A sine whose frequency rises exponentially from kStartHz to EndHz() over kSeconds, at kLevelDbfs
// peak, faded in and out so that neither end clicks. Its frequency doubles in equal times, so every
// octave gets the same energy, and the responses to harmonics a non-linear system adds land, once
// deconvolved, at fixed times before the linear response (HarmonicLeadSeconds), where a window
// leaves them out.
class LogSweep {
 public:
  static constexpr double kStartHz = 4.0;
  static constexpr double kSeconds = 8.0;
  // Low enough that a saturating stage stays in its small-signal region.
  static constexpr double kLevelDbfs = -60.0;
  // The sweep ends at this fraction of the sample rate, below the top of the band, and at most at
  // kHighestHz.
  static constexpr double kEndShareOfRate = 0.48;
  static constexpr double kHighestHz = 24000.0;

  explicit LogSweep(int sampleRate);

  int SampleRate() const { return sampleRate_; }
  double EndHz() const { return endHz_; }
  const std::vector<double>& Samples() const { return samples_; }
  int64_t Frames() const { return static_cast<int64_t>(samples_.size()); }
  // How long before the linear response the response to the k-th harmonic (k >= 2) appears.
  double HarmonicLeadSeconds(int k) const;

 private:
  int sampleRate_;
  double endHz_;
  double growthTime_;  // seconds in which the frequency grows by a factor of e
  std::vector<double> samples_;
};

}  // namespace kestrune::render
