#include "tools/kestrune-validate/Signals.h"

#include <cfloat>
#include <cmath>

namespace kestrune::validate {
namespace {

constexpr int kSquareHz = 100;
constexpr int64_t kImpulsePeriod = 4410;

uint64_t SplitMix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// Uniform in (-1, 1), never full scale, exactly representable as a float so float and double runs
// see the same input.
double NoiseSample(int channel, int64_t frame, uint64_t seed) {
  const uint64_t bits = SplitMix(Mix(seed, Mix(static_cast<uint64_t>(channel), static_cast<uint64_t>(frame))));
  return static_cast<double>(2 * (bits >> 40) + 1) / 16777216.0 - 1.0;
}

template <typename T>
BadSample FindBad(const T* data, int frames, T smallestNormal) {
  for (int i = 0; i < frames; ++i) {
    const T v = data[i];
    if (std::isnan(v)) return {i, "NaN"};
    if (std::isinf(v)) return {i, "infinite"};
    if (v != 0 && std::fabs(v) < smallestNormal) return {i, "subnormal"};
  }
  return {};
}

}  // namespace

uint64_t Mix(uint64_t a, uint64_t b) { return SplitMix(a ^ SplitMix(b + 0x632BE59BD9B4E019ull)); }

const std::vector<SignalKind>& ProcessSignals() {
  static const std::vector<SignalKind> kinds{SignalKind::kNoise, SignalKind::kSilence, SignalKind::kSquare,
                                             SignalKind::kDc, SignalKind::kImpulses};
  return kinds;
}

const char* SignalName(SignalKind kind) {
  switch (kind) {
    case SignalKind::kNoise: return "noise";
    case SignalKind::kQuietNoise: return "quiet noise";
    case SignalKind::kSilence: return "silence";
    case SignalKind::kSquare: return "full-scale square wave";
    case SignalKind::kDc: return "DC";
    case SignalKind::kImpulses: return "impulses";
  }
  return "?";
}

double SignalSample(SignalKind kind, int channel, int64_t frame, int rate, uint64_t seed) {
  switch (kind) {
    case SignalKind::kNoise: return NoiseSample(channel, frame, seed);
    case SignalKind::kQuietNoise: return 0.1 * NoiseSample(channel, frame, seed);
    case SignalKind::kSilence: return 0.0;
    case SignalKind::kSquare: {
      // Integer arithmetic keeps the edges identical however the blocks fall.
      const int64_t phase = (frame * kSquareHz * 2) / (rate > 0 ? rate : 44100);
      return phase % 2 == 0 ? 1.0 : -1.0;
    }
    case SignalKind::kDc: return 1.0;
    case SignalKind::kImpulses: return frame % kImpulsePeriod == 0 ? 1.0 : 0.0;
  }
  return 0.0;
}

BadSample FindBadSample(const float* data, int frames) { return FindBad(data, frames, FLT_MIN); }
BadSample FindBadSample(const double* data, int frames) { return FindBad(data, frames, DBL_MIN); }

uint64_t Random::Next() {
  state_ += 0x9E3779B97F4A7C15ull;
  return SplitMix(state_);
}

double Random::Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }

int Random::Between(int low, int high) {
  if (high <= low) return low;
  return low + static_cast<int>(Next() % static_cast<uint64_t>(high - low + 1));
}

}  // namespace kestrune::validate
