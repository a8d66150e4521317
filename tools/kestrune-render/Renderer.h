#pragma once
// The render: source frames through the effect, block by block, into the output file, as a DAW
// exports: the effect settled first, its latency undone, its tail kept.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/kestrune-render/AudioSource.h"
#include "tools/kestrune-render/ChannelPlan.h"
#include "tools/kestrune-render/CommandLine.h"
#include "tools/kestrune-render/PluginInstance.h"
#include "tools/kestrune-render/Progress.h"
#include "tools/kestrune-render/SoundFile.h"

namespace kestrune::render {

// Tails a plug-in reports, and tails rendered until silent, end after this long.
constexpr double kLongestTailSeconds = 30.0;
// A tail rendered until silent ends once the output has stayed below kSilenceLevel (-120 dBFS) for
// kSilentSeconds.
constexpr double kSilenceLevel = 1e-6;
constexpr double kSilentSeconds = 1.0;
// A reported latency beyond this is not believed: the output is then left as the effect gives it.
constexpr double kLongestLatencySeconds = 30.0;

struct RenderSettings {
  int blockSize = 512;
  bool useDouble = false;       // processDoubleReplacing; else processReplacing (or process)
  int64_t prerollFrames = 0;
  bool compensateLatency = true;
  TailMode tailMode = TailMode::kPluginReported;
  int64_t tailFrames = 0;       // TailMode::kSeconds only
};

struct RenderResult {
  RenderSummary summary;
  int64_t nonFiniteSamples = 0;  // NaN or infinite samples from the effect, written as silence
  std::vector<std::string> warnings;
};

// Resumes the open effect, settles it on settings.prerollFrames of silence, runs all of source
// through it in blocks of at most blockSize frames (the last one partial), then silence for as long as
// its latency and the tail need, and appends the file's channels to sink: without the first
// latency frames (unless compensation is off), ending with the tail. Suspends the effect before
// returning. Returns false and a reason when reading or writing fails.
bool Render(PluginInstance& plugin, const ChannelPlan& plan, AudioSource& source, SoundFileWriter& sink,
            const RenderSettings& settings, ProgressReporter& progress, RenderResult& result, std::string& error);

}  // namespace kestrune::render
