#include "tools/kestrune-render/LogSweep.h"

#include <algorithm>
#include <cmath>

namespace kestrune::render {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Raised-cosine ramps at the ends. The fade-in spans half a period of the start frequency; the
// fade-out covers the top percent of the sweep's frequencies.
constexpr double kFadeInSeconds = 0.125;
constexpr double kFadeOutSeconds = 0.01;

double Ramp(double position) { return 0.5 - 0.5 * std::cos(kPi * std::clamp(position, 0.0, 1.0)); }

}  // namespace

LogSweep::LogSweep(int sampleRate)
    : sampleRate_(sampleRate),
      endHz_(std::min(kHighestHz, kEndShareOfRate * sampleRate)),
      growthTime_(kSeconds / std::log(endHz_ / kStartHz)),
      samples_(static_cast<size_t>(std::llround(kSeconds * sampleRate))) {
  const double amplitude = std::pow(10.0, kLevelDbfs / 20.0);
  const double rate = sampleRate;
  for (size_t n = 0; n < samples_.size(); ++n) {
    const double t = static_cast<double>(n) / rate;
    const double phase = 2.0 * kPi * kStartHz * growthTime_ * std::expm1(t / growthTime_);
    const double envelope = Ramp(t / kFadeInSeconds) * Ramp((kSeconds - t) / kFadeOutSeconds);
    samples_[n] = amplitude * envelope * std::sin(phase);
  }
}

double LogSweep::HarmonicLeadSeconds(int k) const { return growthTime_ * std::log(static_cast<double>(k)); }

}  // namespace kestrune::render
