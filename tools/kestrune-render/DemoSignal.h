#pragma once
// The built-in demo: a few seconds of stereo test signal that shows a tone circuit off.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/kestrune-render/AudioSource.h"

namespace kestrune::render {

// Four seconds of plucked-string arpeggio (bright attacks, panned left and right), then four seconds
// of a slow logarithmic sine sweep from 30 Hz to 15 kHz, peaking below -3 dBFS. The signal is the
// same on every run at a given rate.
class DemoSignal : public AudioSource {
 public:
  static constexpr double kPluckSeconds = 4.0;
  static constexpr double kSweepSeconds = 4.0;
  static constexpr double kSweepStartHz = 30.0;
  static constexpr double kSweepEndHz = 15000.0;

  explicit DemoSignal(int sampleRate);

  int Channels() const override { return 2; }
  int SampleRate() const override { return sampleRate_; }
  int64_t Frames() const override { return static_cast<int64_t>(samples_.size() / 2); }
  int64_t Read(float* interleaved, int64_t frames, std::string& error) override;
  int64_t Read(double* interleaved, int64_t frames, std::string& error) override;

 private:
  template <typename Sample>
  int64_t CopyOut(Sample* interleaved, int64_t frames);

  int sampleRate_;
  std::vector<double> samples_;  // interleaved left, right
  int64_t position_ = 0;
};

}  // namespace kestrune::render
