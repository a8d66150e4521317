#pragma once
// The render loop: source frames through the effect, block by block, into the output file.

#include <cstdint>
#include <string>

#include "tools/kestrune-render/AudioSource.h"
#include "tools/kestrune-render/PluginInstance.h"
#include "tools/kestrune-render/Progress.h"
#include "tools/kestrune-render/SoundFile.h"

namespace kestrune::render {

// How a file's channels meet the effect's inputs and outputs.
struct ChannelPlan {
  int fileChannels = 0;
  int inputPointers = 0;    // channel pointers handed to the effect per call
  int outputPointers = 0;
  bool spreadMono = false;  // the mono signal feeds every input of an effect without a mono layout
};

// Chooses the plan for a mono or stereo file and an effect with the given channel counts.
// monoLayoutAccepted: the effect offers effFlagsCanMono and accepted a mono speaker arrangement; it
// then gets exactly one pointer each way. Otherwise the effect gets as many pointers as it declares
// (extra inputs silent, extra outputs dropped). Returns false and a reason when it cannot work.
bool ChooseChannelPlan(int fileChannels, int numInputs, int numOutputs, bool monoLayoutAccepted, ChannelPlan& plan,
                       std::string& error);

// Tells the effect the file's layout (effSetSpeakerArrangement) and chooses the plan; the effect must
// be open and suspended.
bool PlanChannels(PluginInstance& plugin, int fileChannels, ChannelPlan& plan, std::string& error);

struct RenderResult {
  int64_t frames = 0;
  double peak = 0.0;          // largest absolute output sample written
  int64_t nonFiniteSamples = 0;  // NaN or infinite samples from the effect, written as silence
  double wallSeconds = 0.0;
};

// Runs all of source through the running effect in blocks of at most blockSize frames (the last one
// partial) and appends the output channels to sink. useDouble selects processDoubleReplacing; single
// precision uses processReplacing, or the accumulating process for effects without it. Returns false
// and a reason when reading or writing fails.
bool Render(PluginInstance& plugin, const ChannelPlan& plan, AudioSource& source, SoundFileWriter& sink, int blockSize,
            bool useDouble, ProgressReporter& progress, RenderResult& result, std::string& error);

}  // namespace kestrune::render
