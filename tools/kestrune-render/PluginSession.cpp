#include "tools/kestrune-render/PluginSession.h"

#include <algorithm>
#include <type_traits>

namespace kestrune::render {

template <typename Sample>
typename PluginSession<Sample>::Callback PluginSession<Sample>::CallbackFor(const PluginInstance& plugin) {
  const AEffect* effect = plugin.Effect();
  if constexpr (std::is_same_v<Sample, double>) {
    return effect->processDoubleReplacing;
  } else {
    // Old effects without processReplacing add into their outputs; Process() clears them first.
    const bool replacing = effect->processReplacing != nullptr &&
                           (plugin.HasFlag(effFlagsCanReplacing) || effect->process == nullptr);
    return replacing ? effect->processReplacing : effect->process;
  }
}

template <typename Sample>
PluginSession<Sample>::PluginSession(PluginInstance& plugin, const ChannelPlan& plan, int blockSize)
    : plugin_(plugin),
      plan_(plan),
      blockSize_(blockSize),
      callback_(CallbackFor(plugin)),
      inputs_(static_cast<size_t>(plan.inputPointers), std::vector<Sample>(static_cast<size_t>(blockSize))),
      outputs_(static_cast<size_t>(plan.outputPointers), std::vector<Sample>(static_cast<size_t>(blockSize))) {
  for (auto& channel : inputs_) inputPointers_.push_back(channel.data());
  for (auto& channel : outputs_) outputPointers_.push_back(channel.data());
}

template <typename Sample>
PluginSession<Sample>::~PluginSession() {
  plugin_.Suspend();
}

template <typename Sample>
void PluginSession<Sample>::Start(int64_t prerollFrames) {
  HostContext& host = plugin_.Host();
  plugin_.Resume();
  host.TakeIoChanged();  // the read below covers every change announced so far
  latency_ = plugin_.Latency();
  host.StopTransport();
  for (int64_t remaining = prerollFrames; remaining > 0;) {
    const int frames = static_cast<int>(std::min<int64_t>(remaining, blockSize_));
    Process(nullptr, nullptr, frames);
    remaining -= frames;
  }
  host.Rewind();
}

template <typename Sample>
void PluginSession<Sample>::Process(const Sample* in, Sample* out, int frames) {
  const size_t channels = static_cast<size_t>(plan_.fileChannels);
  const size_t count = static_cast<size_t>(frames);
  for (size_t c = 0; c < inputs_.size(); ++c) {
    const size_t from = plan_.spreadMono ? 0 : c;
    Sample* channel = inputs_[c].data();
    if (in != nullptr && from < channels) {
      for (size_t f = 0; f < count; ++f) channel[f] = in[f * channels + from];
    } else {
      std::fill(channel, channel + count, Sample(0));
    }
  }
  for (auto& channel : outputs_) std::fill(channel.begin(), channel.begin() + frames, Sample(0));

  callback_(plugin_.Effect(), inputPointers_.data(), outputPointers_.data(), frames);

  if (out != nullptr) {
    for (size_t f = 0; f < count; ++f) {
      for (size_t c = 0; c < channels; ++c) out[f * channels + c] = outputs_[c][f];
    }
  }
  plugin_.Host().Advance(frames);
  if (plugin_.Host().TakeIoChanged()) latency_ = plugin_.Latency();
}

template class PluginSession<float>;
template class PluginSession<double>;

}  // namespace kestrune::render
