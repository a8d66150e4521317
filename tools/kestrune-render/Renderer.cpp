#include "tools/kestrune-render/Renderer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

namespace kestrune::render {
namespace {

struct SingleReplacing {
  using Sample = float;
  static void Process(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
    effect->processReplacing(effect, inputs, outputs, frames);
  }
};

// Old effects without processReplacing add into the outputs, which are cleared before every call.
struct SingleAccumulating {
  using Sample = float;
  static void Process(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
    effect->process(effect, inputs, outputs, frames);
  }
};

struct DoubleReplacing {
  using Sample = double;
  static void Process(AEffect* effect, double** inputs, double** outputs, int32_t frames) {
    effect->processDoubleReplacing(effect, inputs, outputs, frames);
  }
};

template <typename Precision>
bool RenderBlocks(PluginInstance& plugin, const ChannelPlan& plan, AudioSource& source, SoundFileWriter& sink,
                  int blockSize, ProgressReporter& progress, RenderResult& result, std::string& error) {
  using Sample = typename Precision::Sample;
  const int fileChannels = plan.fileChannels;
  const size_t block = static_cast<size_t>(blockSize);
  std::vector<Sample> interleavedIn(block * static_cast<size_t>(fileChannels));
  std::vector<Sample> interleavedOut(block * static_cast<size_t>(fileChannels));
  std::vector<std::vector<Sample>> inputs(static_cast<size_t>(plan.inputPointers), std::vector<Sample>(block));
  std::vector<std::vector<Sample>> outputs(static_cast<size_t>(plan.outputPointers), std::vector<Sample>(block));
  std::vector<Sample*> inputPointers;
  std::vector<Sample*> outputPointers;
  for (auto& channel : inputs) inputPointers.push_back(channel.data());
  for (auto& channel : outputs) outputPointers.push_back(channel.data());

  AEffect* effect = plugin.Effect();
  for (;;) {
    std::string reason;
    const int64_t got = source.Read(interleavedIn.data(), blockSize, reason);
    if (got < 0) {
      error = "cannot read the input: " + reason;
      return false;
    }
    if (got == 0) break;
    const size_t frames = static_cast<size_t>(got);
    for (size_t c = 0; c < inputs.size(); ++c) {
      const size_t from = plan.spreadMono ? 0 : c;
      Sample* in = inputs[c].data();
      if (from < static_cast<size_t>(fileChannels)) {
        for (size_t f = 0; f < frames; ++f) in[f] = interleavedIn[f * static_cast<size_t>(fileChannels) + from];
      } else {
        std::fill(in, in + frames, Sample(0));
      }
    }
    for (auto& channel : outputs) std::fill(channel.begin(), channel.begin() + static_cast<std::ptrdiff_t>(frames), Sample(0));

    Precision::Process(effect, inputPointers.data(), outputPointers.data(), static_cast<int32_t>(frames));

    for (size_t f = 0; f < frames; ++f) {
      for (size_t c = 0; c < static_cast<size_t>(fileChannels); ++c) {
        Sample v = outputs[c][f];
        if (!std::isfinite(v)) {
          v = 0;
          ++result.nonFiniteSamples;
        }
        result.peak = std::max(result.peak, static_cast<double>(std::fabs(v)));
        interleavedOut[f * static_cast<size_t>(fileChannels) + c] = v;
      }
    }
    if (!sink.Write(interleavedOut.data(), got, reason)) {
      error = "cannot write \"" + sink.Path() + "\": " + reason;
      return false;
    }
    result.frames += got;
    plugin.Host().Advance(got);
    progress.Update(result.frames);
  }
  return true;
}

}  // namespace

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

bool Render(PluginInstance& plugin, const ChannelPlan& plan, AudioSource& source, SoundFileWriter& sink, int blockSize,
            bool useDouble, ProgressReporter& progress, RenderResult& result, std::string& error) {
  result = RenderResult{};
  const auto start = std::chrono::steady_clock::now();
  bool ok;
  if (useDouble) {
    ok = RenderBlocks<DoubleReplacing>(plugin, plan, source, sink, blockSize, progress, result, error);
  } else if (plugin.Effect()->processReplacing != nullptr &&
             (plugin.HasFlag(effFlagsCanReplacing) || plugin.Effect()->process == nullptr)) {
    ok = RenderBlocks<SingleReplacing>(plugin, plan, source, sink, blockSize, progress, result, error);
  } else {
    ok = RenderBlocks<SingleAccumulating>(plugin, plan, source, sink, blockSize, progress, result, error);
  }
  result.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  progress.Finish();
  return ok;
}

}  // namespace kestrune::render
