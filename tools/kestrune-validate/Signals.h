#pragma once
// Test signals fed to plug-ins, and the inspection of what comes back. Every generator is a pure
// function of the frame index, so the same signal comes out however it is cut into blocks.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrune::validate {

enum class SignalKind {
  kNoise,      // uniform white noise, up to (never reaching) full scale
  kQuietNoise, // the same at -20 dBFS
  kSilence,
  kSquare,     // 100 Hz square wave at exactly +-1.0
  kDc,         // constant 1.0
  kImpulses,   // a 1.0 every 4410 frames, zero between
};

// The kinds the process check runs, in order, and each one's name for reports.
const std::vector<SignalKind>& ProcessSignals();
const char* SignalName(SignalKind kind);

// One sample of kind on channel at frame (sample rate rate; seed varies the noise).
double SignalSample(SignalKind kind, int channel, int64_t frame, int rate, uint64_t seed);

// Fills out[0..frames) with kind from startFrame on.
template <typename T>
void FillSignal(SignalKind kind, int channel, int64_t startFrame, int frames, int rate, uint64_t seed, T* out) {
  for (int i = 0; i < frames; ++i) out[i] = static_cast<T>(SignalSample(kind, channel, startFrame + i, rate, seed));
}

// The first sample that is not-a-number, infinite or subnormal, if any.
struct BadSample {
  int index = -1;         // -1: none
  const char* what = "";  // "NaN", "infinite", "subnormal"
};
BadSample FindBadSample(const float* data, int frames);
BadSample FindBadSample(const double* data, int frames);

// Channel-major sample storage with the pointer arrays the processing callbacks take. The arrays
// stay valid (and non-null, even for zero channels) while the object lives.
template <typename T>
class AudioBuffers {
 public:
  AudioBuffers(int channels, int frames)
      : frames_(frames), data_(static_cast<size_t>(channels), std::vector<T>(static_cast<size_t>(frames))),
        pointers_(static_cast<size_t>(channels) + 1, nullptr) {
    for (int c = 0; c < channels; ++c) pointers_[static_cast<size_t>(c)] = data_[static_cast<size_t>(c)].data();
  }
  T** Pointers() { return pointers_.data(); }
  T* Channel(int c) { return data_[static_cast<size_t>(c)].data(); }
  const T* Channel(int c) const { return data_[static_cast<size_t>(c)].data(); }
  int Channels() const { return static_cast<int>(data_.size()); }
  int Frames() const { return frames_; }
  void Fill(T value) {
    for (auto& channel : data_) std::fill(channel.begin(), channel.end(), value);
  }

 private:
  int frames_;
  std::vector<std::vector<T>> data_;
  std::vector<T*> pointers_;
};

// Deterministic pseudo-random numbers for the checks' choices (sizes, values, chunk bytes).
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next();
  // Uniform in [0, 1).
  double Unit();
  // Uniform in [low, high].
  int Between(int low, int high);

 private:
  uint64_t state_;
};

// A hash of (a, b) for seeding independent streams.
uint64_t Mix(uint64_t a, uint64_t b);

}  // namespace kestrune::validate
