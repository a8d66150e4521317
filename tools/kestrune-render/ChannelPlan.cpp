#include "tools/kestrune-render/ChannelPlan.h"

namespace kestrune::render {

bool ChooseChannelPlan(int fileChannels, int numInputs, int numOutputs, bool monoLayoutAccepted, ChannelPlan& plan,
                       std::string& error) {
  if (fileChannels != 1 && fileChannels != 2) {
    error = "the input has " + std::to_string(fileChannels) + " channels; only mono and stereo can be rendered";
    return false;
  }
  if (numInputs < 1 || numOutputs < 1) {
    error = "the plug-in has " + std::to_string(numInputs) + " inputs and " + std::to_string(numOutputs) +
            " outputs; it cannot process a file";
    return false;
  }
  if (numInputs < fileChannels || numOutputs < fileChannels) {
    error = "the plug-in has " + std::to_string(numInputs) + " input(s) and " + std::to_string(numOutputs) +
            " output(s); it cannot process a stereo file";
    return false;
  }
  plan = ChannelPlan{};
  plan.fileChannels = fileChannels;
  if (fileChannels == 1 && monoLayoutAccepted) {
    plan.inputPointers = 1;
    plan.outputPointers = 1;
    return true;
  }
  plan.inputPointers = numInputs;
  plan.outputPointers = numOutputs;
  plan.spreadMono = fileChannels == 1 && numInputs > 1;
  return true;
}

bool PlanChannels(PluginInstance& plugin, int fileChannels, ChannelPlan& plan, std::string& error) {
  const AEffect* effect = plugin.Effect();
  bool monoAccepted = false;
  if (fileChannels == 1 && effect->numInputs >= 1 && effect->numOutputs >= 1) {
    monoAccepted = (effect->numInputs == 1 && effect->numOutputs == 1) ||
                   (plugin.HasFlag(effFlagsCanMono) && plugin.SetChannelLayout(1, 1));
  }
  if (!ChooseChannelPlan(fileChannels, effect->numInputs, effect->numOutputs, monoAccepted, plan, error)) return false;
  if (!monoAccepted) plugin.SetChannelLayout(plan.inputPointers, plan.outputPointers);
  return true;
}

}  // namespace kestrune::render
