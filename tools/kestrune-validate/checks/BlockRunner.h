#pragma once
// Feeds test signals through a plug-in one block at a time and inspects every output sample.

#include <cstdint>
#include <string>

#include "tools/kestrune-validate/Plugin.h"
#include "tools/kestrune-validate/Signals.h"

namespace kestrune::validate {

enum class Precision { kFloat, kDouble, kAccumulating };
const char* PrecisionName(Precision precision);

class BlockRunner {
 public:
  // Buffers for blocks of up to maxFrames for plugin's channel counts, allocated here once.
  BlockRunner(Plugin& plugin, int maxFrames, int sampleRate, uint64_t seed);

  // Processes frames (at most maxFrames) of kind, starting at the signal's frame start, in one call.
  // Returns "" or where the first NaN, infinite or subnormal output sample is ("output 1 frame 17
  // is NaN"). The accumulating call starts from outputs holding zero.
  std::string Run(SignalKind kind, int64_t start, int frames, Precision precision);
  // Output sample of the last Run.
  double Output(int channel, int frame) const;
  void SetSampleRate(int rate) { sampleRate_ = rate; }

 private:
  Plugin& plugin_;
  int maxFrames_;
  int sampleRate_;
  uint64_t seed_;
  Precision last_ = Precision::kFloat;
  AudioBuffers<float> floatIn_, floatOut_;
  AudioBuffers<double> doubleIn_, doubleOut_;
};

}  // namespace kestrune::validate
