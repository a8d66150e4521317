#pragma once
// How a file's channels meet an effect's inputs and outputs.

#include <string>

#include "tools/kestrune-render/PluginInstance.h"

namespace kestrune::render {

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

}  // namespace kestrune::render
