#pragma once
// How hard the validator pushes: strictness 1 is a quick look, 10 the full programme. Higher levels
// run more sample rates, block sizes, rounds and time; every check reads its sizes from here.

#include <vector>

namespace kestrune::validate {

constexpr int kMinStrictness = 1;
constexpr int kMaxStrictness = 10;
constexpr int kDefaultStrictness = 5;

// A block-size entry that stands for "a different random size for every block".
constexpr int kVaryingBlockSize = -1;

class Strictness {
 public:
  // level is clamped to 1..10.
  explicit Strictness(int level);
  int Level() const { return level_; }

  // Sample rates the process check runs at, most telling first (44100, then the extremes).
  std::vector<int> SampleRates() const;
  // Block sizes the process check runs, most telling first; may hold kVaryingBlockSize.
  std::vector<int> BlockSizes() const;
  // Seconds of each test signal per rate and block size, and at most this many blocks of it (tiny
  // blocks at high rates would otherwise take most of the time).
  double SignalSeconds() const;
  int BlocksPerSignal() const;
  // Create/destroy cycles and instances alive at once in the lifecycle check.
  int LifecycleCycles() const;
  int SimultaneousInstances() const;
  // Random values tried per parameter, and random chunks tried by the state check.
  int RandomValues() const;
  int RandomChunks() const;
  // Seconds of silence the denormals check listens to after the noise.
  double SilenceSeconds() const;
  // Seconds the threads check keeps its threads racing.
  double ThreadSeconds() const;
  // Editor open/close cycles and idle calls per cycle.
  int EditorCycles() const;
  int IdleCallsPerCycle() const;

 private:
  int level_;
};

}  // namespace kestrune::validate
