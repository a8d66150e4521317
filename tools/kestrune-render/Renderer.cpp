#include "tools/kestrune-render/Renderer.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "tools/kestrune-render/PluginSession.h"

namespace kestrune::render {
namespace {

int64_t FramesFor(double seconds, int sampleRate) { return std::llround(seconds * sampleRate); }

// How long the render goes on after the input's last frame.
struct TailPlan {
  bool untilSilent = false;
  int64_t frames = 0;  // the tail's length, or the most rendered until silent
};

TailPlan PlanTail(PluginInstance& plugin, const RenderSettings& settings, int sampleRate) {
  const int64_t longest = FramesFor(kLongestTailSeconds, sampleRate);
  switch (settings.tailMode) {
    case TailMode::kSeconds:
      return {false, settings.tailFrames};
    case TailMode::kUntilSilent:
      return {true, longest};
    case TailMode::kPluginReported:
      break;
  }
  const int64_t reported = plugin.TailSize();  // 1 means "no tail"
  return {false, reported > 1 ? std::min(reported, longest) : 0};
}

// The frames of output to drop: the latency the effect reports once settled, when compensating and
// believable.
int64_t LatencyToRemove(int64_t reported, const RenderSettings& settings, int sampleRate, RenderResult& result) {
  if (!settings.compensateLatency) return 0;
  if (reported > FramesFor(kLongestLatencySeconds, sampleRate)) {
    result.warnings.push_back("the plug-in reports a latency of " + std::to_string(reported) +
                              " frames, which is not believable; the output is not shifted");
    return 0;
  }
  return reported;
}

// Counts the output frames since the last one at or above kSilenceLevel.
template <typename Sample>
class SilenceWatch {
 public:
  explicit SilenceWatch(int channels) : channels_(static_cast<size_t>(channels)) {}
  void Observe(const Sample* interleaved, int64_t frames) {
    for (int64_t f = 0; f < frames; ++f) {
      const Sample* frame = interleaved + static_cast<size_t>(f) * channels_;
      const bool quiet = std::all_of(frame, frame + channels_, [](Sample v) { return std::fabs(v) < kSilenceLevel; });
      quietFrames_ = quiet ? quietFrames_ + 1 : 0;
    }
  }
  int64_t QuietFrames() const { return quietFrames_; }

 private:
  size_t channels_;
  int64_t quietFrames_ = 0;
};

template <typename Sample>
bool RenderWith(PluginInstance& plugin, const ChannelPlan& plan, AudioSource& source, SoundFileWriter& sink,
                const RenderSettings& settings, ProgressReporter& progress, RenderResult& result, std::string& error) {
  const int sampleRate = source.SampleRate();
  const size_t channels = static_cast<size_t>(plan.fileChannels);
  PluginSession<Sample> session(plugin, plan, settings.blockSize);
  session.Start(settings.prerollFrames);
  const int64_t latencyReported = session.Latency();
  const int64_t latency = LatencyToRemove(latencyReported, settings, sampleRate, result);
  const TailPlan tail = PlanTail(plugin, settings, sampleRate);
  const int64_t silentFrames = FramesFor(kSilentSeconds, sampleRate);

  std::vector<Sample> in(static_cast<size_t>(settings.blockSize) * channels);
  std::vector<Sample> out(in.size());
  SilenceWatch<Sample> silence(plan.fileChannels);
  int64_t processed = 0;
  int64_t inputFrames = 0;
  bool inputEnded = false;
  // After the input: frames to process before the output is complete. The input's frames come out
  // latency frames late; the tail follows them.
  auto framesStillNeeded = [&]() -> int64_t {
    const int64_t inputStillInside = inputFrames + latency - processed;
    if (inputStillInside > 0) return inputStillInside;
    const int64_t tailDone = -inputStillInside;
    if (!tail.untilSilent) return tail.frames - tailDone;
    if (silence.QuietFrames() >= silentFrames || tailDone >= tail.frames) return 0;
    return std::min(silentFrames - silence.QuietFrames(), tail.frames - tailDone);
  };

  for (;;) {
    int64_t frames = 0;
    if (!inputEnded) {
      std::string reason;
      frames = source.Read(in.data(), settings.blockSize, reason);
      if (frames < 0) {
        error = "cannot read the input: " + reason;
        return false;
      }
      inputEnded = frames == 0;
      inputFrames += frames;
    }
    if (inputEnded) {
      frames = std::min<int64_t>(settings.blockSize, framesStillNeeded());
      if (frames <= 0) break;
    }
    session.Process(inputEnded ? nullptr : in.data(), out.data(), static_cast<int>(frames));
    processed += frames;

    const int64_t dropped = std::clamp<int64_t>(latency - (processed - frames), 0, frames);
    Sample* kept = out.data() + static_cast<size_t>(dropped) * channels;
    const int64_t keptFrames = frames - dropped;
    if (keptFrames == 0) continue;
    silence.Observe(kept, keptFrames);
    for (Sample* v = kept; v != kept + static_cast<size_t>(keptFrames) * channels; ++v) {
      if (!std::isfinite(*v)) {
        *v = 0;
        ++result.nonFiniteSamples;
      }
      result.summary.peak = std::max(result.summary.peak, static_cast<double>(std::fabs(*v)));
    }
    std::string reason;
    if (!sink.Write(kept, keptFrames, reason)) {
      error = "cannot write \"" + sink.Path() + "\": " + reason;
      return false;
    }
    result.summary.frames += keptFrames;
    progress.Update(result.summary.frames);
  }

  if (settings.compensateLatency && session.Latency() != latencyReported) {
    result.warnings.push_back("the plug-in changed its latency from " + std::to_string(latencyReported) + " to " +
                              std::to_string(session.Latency()) +
                              " frames during the render; the output is aligned for the latency it had when the "
                              "input started");
  }
  result.summary.prerollFrames = settings.prerollFrames;
  result.summary.latencyFrames = latency;
  result.summary.tailFrames = result.summary.frames - inputFrames;
  return true;
}

}  // namespace

bool Render(PluginInstance& plugin, const ChannelPlan& plan, AudioSource& source, SoundFileWriter& sink,
            const RenderSettings& settings, ProgressReporter& progress, RenderResult& result, std::string& error) {
  result = RenderResult{};
  result.summary.sampleRate = source.SampleRate();
  const auto start = std::chrono::steady_clock::now();
  const bool ok = settings.useDouble
                      ? RenderWith<double>(plugin, plan, source, sink, settings, progress, result, error)
                      : RenderWith<float>(plugin, plan, source, sink, settings, progress, result, error);
  result.summary.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  progress.Finish();
  return ok;
}

}  // namespace kestrune::render
