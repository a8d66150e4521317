// process: every sample rate, block size and precision, with signals that push a plug-in to its
// edges, gives finite output; the accumulating call adds; the blocks' cut does not change the sound.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tools/kestrune-validate/Checks.h"
#include "tools/kestrune-validate/checks/BlockRunner.h"

namespace kestrune::validate {
namespace {

constexpr int kMaxBlock = 4096;
// Varying sizes are announced as this block size and drawn from 1 up to it.
constexpr int kVaryingAnnounced = 1024;
// Two renders of the same input and settings may differ by rounding noise (-100 dBFS), no more.
constexpr double kSameOutputTolerance = 1e-5;
constexpr double kAccumulateTolerance = 1e-6;

std::string Where(int rate, int size, Precision precision) {
  return std::to_string(rate) + " Hz, " +
         (size == kVaryingBlockSize ? std::string("varying blocks") : "blocks of " + std::to_string(size)) + ", " +
         PrecisionName(precision);
}

std::vector<Precision> Precisions(const Plugin& plugin) {
  std::vector<Precision> precisions{Precision::kFloat};
  if (plugin.CanDouble()) precisions.push_back(Precision::kDouble);
  if (plugin.CanAccumulate()) precisions.push_back(Precision::kAccumulating);
  return precisions;
}

// Every signal through one configured instance; false after a failure.
bool RunSignals(CheckContext& context, Plugin& plugin, BlockRunner& runner, int rate, int size, Precision precision,
                Random& random) {
  const int announced = size == kVaryingBlockSize ? kVaryingAnnounced : size;
  plugin.Suspend();
  plugin.Configure(rate, announced);
  plugin.Resume();
  runner.SetSampleRate(rate);
  const int64_t total = std::min(static_cast<int64_t>(context.Strict().SignalSeconds() * rate),
                                 int64_t{context.Strict().BlocksPerSignal()} * announced);
  for (SignalKind kind : ProcessSignals()) {
    context.Progress(Where(rate, size, precision) + ", " + SignalName(kind));
    for (int64_t position = 0; position < total;) {
      const int frames = size == kVaryingBlockSize ? random.Between(1, announced) : size;
      const std::string bad = runner.Run(kind, position, frames, precision);
      if (!bad.empty()) {
        context.Fail(Where(rate, size, precision) + ", " + SignalName(kind) + ": " + bad + " (block at frame " +
                     std::to_string(position) + ")");
        return false;
      }
      position += frames;
    }
  }
  return true;
}

void RunMatrix(CheckContext& context) {
  Random random(Mix(context.Seed(), 1));
  for (int rate : context.Strict().SampleRates()) {
    std::unique_ptr<Plugin> probe = context.NewPlugin();
    if (!probe) return;
    probe->Open();
    const std::vector<Precision> precisions = Precisions(*probe);
    probe.reset();
    for (Precision precision : precisions) {
      std::unique_ptr<Plugin> plugin = context.NewPlugin();
      if (!plugin) return;
      plugin->Open();
      BlockRunner runner(*plugin, kMaxBlock, rate, context.Seed());
      for (int size : context.Strict().BlockSizes()) {
        if (!RunSignals(context, *plugin, runner, rate, size, precision, random)) return;
      }
    }
  }
}

// Hosts send a block larger than they announced, and empty blocks; neither may crash.
void RunOddBlocks(CheckContext& context) {
  context.Progress("a block of 4096 frames after announcing 64");
  std::unique_ptr<Plugin> plugin = context.NewRunningPlugin(44100, 64);
  if (!plugin) return;
  BlockRunner runner(*plugin, kMaxBlock, 44100, context.Seed());
  std::string bad = runner.Run(SignalKind::kNoise, 0, kMaxBlock, Precision::kFloat);
  if (!bad.empty()) context.Fail("a block of 4096 frames after announcing 64: " + bad);
  context.Progress("a block of 0 frames");
  bad = runner.Run(SignalKind::kNoise, 0, 0, Precision::kFloat);
  bad += runner.Run(SignalKind::kNoise, 0, 64, Precision::kFloat);
  if (!bad.empty()) context.Fail("after a block of 0 frames: " + bad);
}

// The accumulating call must add the effect's output to what the outputs hold.
void RunAccumulation(CheckContext& context) {
  constexpr int kFrames = 512;
  constexpr float kPrefill = 0.25f;
  context.Progress("the accumulating call against the replacing one");
  std::unique_ptr<Plugin> replacing = context.NewRunningPlugin(44100, kFrames);
  std::unique_ptr<Plugin> accumulating = context.NewRunningPlugin(44100, kFrames);
  if (!replacing || !accumulating || !accumulating->CanAccumulate()) return;
  AudioBuffers<float> in(replacing->Inputs(), kFrames);
  AudioBuffers<float> outReplaced(replacing->Outputs(), kFrames);
  AudioBuffers<float> outAdded(accumulating->Outputs(), kFrames);
  for (int block = 0; block < 8; ++block) {
    for (int c = 0; c < in.Channels(); ++c) {
      FillSignal(SignalKind::kQuietNoise, c, int64_t{block} * kFrames, kFrames, 44100, context.Seed(), in.Channel(c));
    }
    outReplaced.Fill(0.f);
    outAdded.Fill(kPrefill);
    replacing->ProcessFloat(in.Pointers(), outReplaced.Pointers(), kFrames);
    accumulating->ProcessAccumulating(in.Pointers(), outAdded.Pointers(), kFrames);
    for (int c = 0; c < outAdded.Channels(); ++c) {
      for (int f = 0; f < kFrames; ++f) {
        const double expected = double{outReplaced.Channel(c)[f]} + kPrefill;
        if (!(std::fabs(outAdded.Channel(c)[f] - expected) <= kAccumulateTolerance * (1.0 + std::fabs(expected)))) {
          context.Fail("the accumulating call does not add: output " + std::to_string(c) + " frame " +
                       std::to_string(block * kFrames + f) + " holding 0.25 became " +
                       std::to_string(outAdded.Channel(c)[f]) + ", the replacing call gave " +
                       std::to_string(outReplaced.Channel(c)[f]));
          return;
        }
      }
    }
  }
}

// The same input and parameter changes, cut into blocks two ways, must give the same output.
std::vector<double> RenderCut(CheckContext& context, const std::vector<int>& segments,
                              const std::vector<std::vector<float>>& settings, bool cutFine, uint64_t cutSeed) {
  std::unique_ptr<Plugin> plugin = context.NewPlugin();
  if (!plugin) return {};
  plugin->Open();
  plugin->Configure(44100, kMaxBlock);
  plugin->Resume();
  BlockRunner runner(*plugin, kMaxBlock, 44100, context.Seed());
  Random random(cutSeed);
  std::vector<double> out;
  int64_t position = 0;
  for (size_t s = 0; s < segments.size(); ++s) {
    for (int p = 0; p < plugin->Params(); ++p) plugin->SetParameter(p, settings[s][static_cast<size_t>(p)]);
    for (int done = 0; done < segments[s];) {
      const int frames = cutFine ? std::min(random.Between(1, 700), segments[s] - done) : segments[s];
      runner.Run(SignalKind::kQuietNoise, position, frames, Precision::kFloat);
      for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < plugin->Outputs(); ++c) out.push_back(runner.Output(c, f));
      }
      done += frames;
      position += frames;
    }
  }
  return out;
}

void RunBlockIndependence(CheckContext& context) {
  context.Progress("the same input in whole blocks and in small pieces");
  Random random(Mix(context.Seed(), 2));
  std::unique_ptr<Plugin> probe = context.NewPlugin();
  if (!probe) return;
  const int params = probe->Params();
  const int outputs = std::max(1, probe->Outputs());
  probe.reset();
  std::vector<int> segments;
  std::vector<std::vector<float>> settings;
  for (int s = 0; s < 2 + context.Strict().Level() / 3; ++s) {
    segments.push_back(random.Between(1000, kMaxBlock));
    std::vector<float> values;
    for (int p = 0; p < params; ++p) values.push_back(static_cast<float>(random.Unit()));
    settings.push_back(values);
  }
  const std::vector<double> whole = RenderCut(context, segments, settings, false, 0);
  const std::vector<double> pieces = RenderCut(context, segments, settings, true, Mix(context.Seed(), 3));
  for (size_t i = 0; i < whole.size() && i < pieces.size(); ++i) {
    const double difference = std::fabs(whole[i] - pieces[i]);
    if (!(difference <= kSameOutputTolerance)) {
      context.Fail("the output depends on how blocks are cut: output " + std::to_string(i % outputs) + " frame " +
                   std::to_string(i / outputs) + " is " + std::to_string(whole[i]) + " in whole blocks and " +
                   std::to_string(pieces[i]) + " in small pieces (parameters changed only between blocks)");
      return;
    }
  }
}

}  // namespace

// The parts stand alone: a failure in one does not keep the others from being tried.
void RunProcessCheck(CheckContext& context) {
  RunMatrix(context);
  RunOddBlocks(context);
  RunAccumulation(context);
  RunBlockIndependence(context);
}

}  // namespace kestrune::validate
