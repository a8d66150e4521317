#include "tools/kestrune-validate/Strictness.h"

#include <algorithm>
#include <cstddef>

namespace kestrune::validate {
namespace {

// Extremes early: a filter that misbehaves does so at the lowest or highest rate.
constexpr int kRates[] = {44100, 192000, 22050, 48000, 96000, 88200, 176400};
// The usual size, one frame, the largest, an odd one and varying sizes come first.
constexpr int kBlockSizes[] = {512, 1, 4096, 333, kVaryingBlockSize, 64, 17, 1024, 2, 3, 128, 1000, 2048, 7, 256, 4095};

template <size_t N>
std::vector<int> Prefix(const int (&values)[N], size_t count) {
  return std::vector<int>(values, values + std::min(count, N));
}

}  // namespace

Strictness::Strictness(int level) : level_(std::clamp(level, kMinStrictness, kMaxStrictness)) {}

std::vector<int> Strictness::SampleRates() const { return Prefix(kRates, static_cast<size_t>(1 + (level_ + 2) / 2)); }

std::vector<int> Strictness::BlockSizes() const {
  return Prefix(kBlockSizes, static_cast<size_t>(4 + (level_ * 12 + 9) / 10));
}

double Strictness::SignalSeconds() const { return 0.05 + 0.045 * level_; }

int Strictness::BlocksPerSignal() const { return 400 * level_; }

int Strictness::LifecycleCycles() const { return 10 * level_; }

int Strictness::SimultaneousInstances() const { return std::min(16, 4 + 2 * level_); }

int Strictness::RandomValues() const { return 2 + level_; }

int Strictness::RandomChunks() const { return 20 * level_; }

double Strictness::SilenceSeconds() const { return 1.0 + 0.5 * level_; }

double Strictness::ThreadSeconds() const { return 0.5 * level_; }

int Strictness::EditorCycles() const { return 5 * level_; }

int Strictness::IdleCallsPerCycle() const { return level_ >= 5 ? 3 : 2; }

}  // namespace kestrune::validate
