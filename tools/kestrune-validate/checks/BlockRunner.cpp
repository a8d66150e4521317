#include "tools/kestrune-validate/checks/BlockRunner.h"

#include <algorithm>
#include <cmath>

namespace kestrune::validate {
namespace {

template <typename T>
std::string Inspect(const AudioBuffers<T>& out, int frames) {
  for (int c = 0; c < out.Channels(); ++c) {
    const BadSample bad = FindBadSample(out.Channel(c), frames);
    if (bad.index >= 0) {
      return "output " + std::to_string(c) + " frame " + std::to_string(bad.index) + " is " + bad.what;
    }
  }
  return "";
}

}  // namespace

const char* PrecisionName(Precision precision) {
  switch (precision) {
    case Precision::kFloat: return "float";
    case Precision::kDouble: return "double";
    case Precision::kAccumulating: return "accumulating";
  }
  return "?";
}

BlockRunner::BlockRunner(Plugin& plugin, int maxFrames, int sampleRate, uint64_t seed)
    : plugin_(plugin), maxFrames_(maxFrames), sampleRate_(sampleRate), seed_(seed),
      floatIn_(plugin.Inputs(), maxFrames), floatOut_(plugin.Outputs(), maxFrames),
      doubleIn_(plugin.CanDouble() ? plugin.Inputs() : 0, maxFrames),
      doubleOut_(plugin.CanDouble() ? plugin.Outputs() : 0, maxFrames) {}

std::string BlockRunner::Run(SignalKind kind, int64_t start, int frames, Precision precision) {
  frames = std::clamp(frames, 0, maxFrames_);
  last_ = precision;
  if (precision == Precision::kDouble) {
    for (int c = 0; c < doubleIn_.Channels(); ++c) {
      FillSignal(kind, c, start, frames, sampleRate_, seed_, doubleIn_.Channel(c));
    }
    doubleOut_.Fill(0.0);
    plugin_.ProcessDouble(doubleIn_.Pointers(), doubleOut_.Pointers(), frames);
    return Inspect(doubleOut_, frames);
  }
  for (int c = 0; c < floatIn_.Channels(); ++c) FillSignal(kind, c, start, frames, sampleRate_, seed_, floatIn_.Channel(c));
  floatOut_.Fill(0.f);
  if (precision == Precision::kAccumulating) {
    plugin_.ProcessAccumulating(floatIn_.Pointers(), floatOut_.Pointers(), frames);
  } else {
    plugin_.ProcessFloat(floatIn_.Pointers(), floatOut_.Pointers(), frames);
  }
  return Inspect(floatOut_, frames);
}

double BlockRunner::Output(int channel, int frame) const {
  if (last_ == Precision::kDouble) return doubleOut_.Channel(channel)[frame];
  return floatOut_.Channel(channel)[frame];
}

}  // namespace kestrune::validate
