#include "tools/kestrune-render/DemoSignal.h"

#include <algorithm>
#include <cmath>

namespace kestrune::render {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Small deterministic noise source for the string excitation, so every demo is the same.
class NoiseSource {
 public:
  double Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
  }

 private:
  uint32_t state_ = 0x4b657374u;
};

// One Karplus-Strong string: a noise-filled delay line one period long whose recirculation is
// averaged and damped, which gives a bright attack that mellows as it decays.
void AddPluck(std::vector<double>& stereo, int sampleRate, int64_t start, double frequency, double pan,
              NoiseSource& noise) {
  const int period = std::max(2, static_cast<int>(std::lround(sampleRate / frequency)));
  std::vector<double> line(period);
  for (double& v : line) v = noise.Next();
  const double damping = std::pow(0.001, 1.0 / (2.5 * sampleRate / period));  // -60 dB in about 2.5 s
  const double leftGain = 0.32 * std::cos(pan * kPi / 2.0);
  const double rightGain = 0.32 * std::sin(pan * kPi / 2.0);
  const int64_t frames = static_cast<int64_t>(stereo.size() / 2);
  int index = 0;
  double previous = 0.0;
  for (int64_t f = start; f < frames; ++f) {
    const double current = line[index];
    stereo[2 * f] += current * leftGain;
    stereo[2 * f + 1] += current * rightGain;
    line[index] = 0.5 * (current + previous) * damping;
    previous = current;
    index = index + 1 == period ? 0 : index + 1;
  }
}

}  // namespace

DemoSignal::DemoSignal(int sampleRate) : sampleRate_(sampleRate) {
  const int64_t pluckFrames = static_cast<int64_t>(kPluckSeconds * sampleRate);
  const int64_t sweepFrames = static_cast<int64_t>(kSweepSeconds * sampleRate);
  samples_.assign(static_cast<size_t>(2 * (pluckFrames + sweepFrames)), 0.0);

  // A minor arpeggio, A2 up to A4 and back, two notes a second, alternating sides.
  const double notes[] = {110.0, 164.81, 220.0, 277.18, 329.63, 440.0, 329.63, 277.18};
  const int64_t spacing = pluckFrames / 8;
  NoiseSource noise;
  std::vector<double> pluck(static_cast<size_t>(2 * pluckFrames), 0.0);
  for (int n = 0; n < 8; ++n) {
    AddPluck(pluck, sampleRate, n * spacing, notes[n], n % 2 == 0 ? 0.25 : 0.75, noise);
  }
  std::copy(pluck.begin(), pluck.end(), samples_.begin());

  // Logarithmic sweep with short fades so it starts and ends without clicks.
  const double ratio = kSweepEndHz / kSweepStartHz;
  const double duration = static_cast<double>(sweepFrames) / sampleRate;
  const double fade = 0.05 * sampleRate;
  for (int64_t i = 0; i < sweepFrames; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    const double phase = 2.0 * kPi * kSweepStartHz * duration / std::log(ratio) * (std::pow(ratio, t / duration) - 1.0);
    const double envelope = std::min({1.0, i / fade, (sweepFrames - i) / fade});
    const double v = 0.5 * envelope * std::sin(phase);
    samples_[2 * (pluckFrames + i)] = v;
    samples_[2 * (pluckFrames + i) + 1] = v;
  }
}

template <typename Sample>
int64_t DemoSignal::CopyOut(Sample* interleaved, int64_t frames) {
  const int64_t count = std::max<int64_t>(0, std::min(frames, Frames() - position_));
  for (int64_t i = 0; i < 2 * count; ++i) interleaved[i] = static_cast<Sample>(samples_[2 * position_ + i]);
  position_ += count;
  return count;
}

int64_t DemoSignal::Read(float* interleaved, int64_t frames, std::string&) { return CopyOut(interleaved, frames); }

int64_t DemoSignal::Read(double* interleaved, int64_t frames, std::string&) { return CopyOut(interleaved, frames); }

}  // namespace kestrune::render
