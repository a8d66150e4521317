#pragma once
// A plug-in running for one job (a render, a measurement), as a DAW runs one: resumed, settled on
// silence before the job's first frame, fed blocks of the file's channels, its latency followed, and
// suspended when the job is done.

#include <cstdint>
#include <vector>

#include "tools/kestrune-render/ChannelPlan.h"
#include "tools/kestrune-render/PluginInstance.h"

namespace kestrune::render {

// Sample is float (processReplacing, or the accumulating process for effects without it) or double
// (processDoubleReplacing, which the caller checks the effect has).
template <typename Sample>
class PluginSession {
 public:
  // The effect must be open, its channels planned and its settings applied; it stays suspended until
  // Start(). blockSize is the most frames one Process() call takes.
  PluginSession(PluginInstance& plugin, const ChannelPlan& plan, int blockSize);
  // Suspends the effect (effStopProcess, effMainsChanged(0)).
  ~PluginSession();
  PluginSession(const PluginSession&) = delete;
  PluginSession& operator=(const PluginSession&) = delete;

  // Resumes the effect and runs prerollFrames of silence through it with the transport stopped,
  // discarding what comes out, so smoothed settings have settled by the first frame of the job; then
  // starts the transport playing from 0.
  void Start(int64_t prerollFrames);

  // Runs frames (1..BlockSize()) frames through the effect and moves the transport on. in holds them
  // interleaved with the file's channel count, or is null for silence; out receives the effect's
  // output the same way, or is null to discard it.
  void Process(const Sample* in, Sample* out, int frames);

  // Frames of latency the effect reports: read when it has resumed, and again after any block in
  // which it announced a change with audioMasterIOChanged.
  int64_t Latency() const { return latency_; }
  int BlockSize() const { return blockSize_; }
  int Channels() const { return plan_.fileChannels; }

 private:
  using Callback = void (*)(AEffect*, Sample**, Sample**, int32_t);
  static Callback CallbackFor(const PluginInstance& plugin);

  PluginInstance& plugin_;
  ChannelPlan plan_;
  int blockSize_;
  Callback callback_;
  std::vector<std::vector<Sample>> inputs_;
  std::vector<std::vector<Sample>> outputs_;
  std::vector<Sample*> inputPointers_;
  std::vector<Sample*> outputPointers_;
  int64_t latency_ = 0;
};

extern template class PluginSession<float>;
extern template class PluginSession<double>;

}  // namespace kestrune::render
