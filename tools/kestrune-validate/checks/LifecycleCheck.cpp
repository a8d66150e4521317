// lifecycle: the orders in which hosts open, start, stop and close effects, over and over, and many
// instances alive at once that must not hear each other.

#include <cmath>
#include <string>
#include <vector>

#include "tools/kestrune-validate/Checks.h"
#include "tools/kestrune-validate/checks/BlockRunner.h"

namespace kestrune::validate {
namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 256;
// Outputs of the same input in two instances may differ by rounding noise, nothing more.
constexpr double kSameOutputTolerance = 1e-5;

// One step of a host's sequence.
enum class Step { kOpen, kConfigure, kResume, kSuspend, kProcess, kStart, kStop };

struct Sequence {
  const char* name;
  std::vector<Step> steps;
};

const std::vector<Sequence>& Sequences() {
  using S = Step;
  static const std::vector<Sequence> sequences{
      {"create and close at once", {}},
      {"open and close", {S::kOpen}},
      {"the usual order", {S::kOpen, S::kConfigure, S::kResume, S::kProcess, S::kSuspend}},
      {"close while running", {S::kOpen, S::kConfigure, S::kResume, S::kProcess}},
      {"processing before the first resume", {S::kOpen, S::kConfigure, S::kProcess, S::kResume, S::kProcess}},
      {"suspend before any resume", {S::kOpen, S::kSuspend, S::kConfigure, S::kResume, S::kProcess}},
      {"resume and suspend repeatedly",
       {S::kOpen, S::kResume, S::kProcess, S::kSuspend, S::kConfigure, S::kResume, S::kProcess, S::kSuspend,
        S::kResume, S::kResume, S::kProcess, S::kSuspend, S::kSuspend}},
      {"rate and block size changed while running", {S::kOpen, S::kResume, S::kProcess, S::kConfigure, S::kProcess}},
      {"start and stop process without resume", {S::kOpen, S::kStart, S::kProcess, S::kStop, S::kStart, S::kStop}},
  };
  return sequences;
}

void RunSequence(CheckContext& context, const Sequence& sequence) {
  context.Progress("sequence: " + std::string(sequence.name));
  std::unique_ptr<Plugin> plugin = context.NewPlugin();
  if (!plugin) return;
  // Made at the first block: opening may change the channel counts.
  std::unique_ptr<BlockRunner> runner;
  int64_t position = 0;
  for (Step step : sequence.steps) {
    switch (step) {
      case Step::kOpen: plugin->Open(); break;
      case Step::kConfigure: plugin->Configure(kRate, kBlock); break;
      // Raw calls: these sequences exist to send what a tidy host would not.
      case Step::kResume: plugin->Dispatch(effMainsChanged, 0, 1); break;
      case Step::kSuspend: plugin->Dispatch(effMainsChanged, 0, 0); break;
      case Step::kStart: plugin->Dispatch(effStartProcess); break;
      case Step::kStop: plugin->Dispatch(effStopProcess); break;
      case Step::kProcess:
        if (!runner) runner = std::make_unique<BlockRunner>(*plugin, kBlock, kRate, context.Seed());
        for (int block = 0; block < 4; ++block, position += kBlock) {
          const std::string bad = runner->Run(SignalKind::kNoise, position, kBlock, Precision::kFloat);
          if (!bad.empty()) {
            context.Fail(std::string(sequence.name) + ": " + bad);
            return;
          }
        }
        break;
    }
  }
  // The raw calls above leave Plugin believing the effect suspended: closing sends only effClose.
  runner.reset();
  plugin->Close();
}

void RunCycles(CheckContext& context) {
  const int cycles = context.Strict().LifecycleCycles();
  for (int i = 0; i < cycles; ++i) {
    context.Progress("create/destroy cycle " + std::to_string(i + 1) + " of " + std::to_string(cycles));
    std::unique_ptr<Plugin> plugin = context.NewRunningPlugin(kRate, kBlock);
    if (!plugin) return;
    BlockRunner runner(*plugin, kBlock, kRate, context.Seed());
    const std::string bad = runner.Run(SignalKind::kNoise, 0, kBlock, Precision::kFloat);
    if (!bad.empty()) {
      context.Fail("cycle " + std::to_string(i + 1) + ": " + bad);
      return;
    }
  }
}

// Instances processed in turn, each with its own input, must sound as each would alone.
void RunSimultaneous(CheckContext& context) {
  const int count = context.Strict().SimultaneousInstances();
  const int blocks = 8;
  context.Progress(std::to_string(count) + " instances alive at once");
  std::vector<std::unique_ptr<Plugin>> plugins;
  std::vector<std::unique_ptr<BlockRunner>> runners;
  for (int i = 0; i < count; ++i) {
    plugins.push_back(context.NewRunningPlugin(kRate, kBlock));
    if (!plugins.back()) return;
    runners.push_back(std::make_unique<BlockRunner>(*plugins.back(), kBlock, kRate, Mix(context.Seed(), i)));
  }
  std::vector<double> first;
  for (int block = 0; block < blocks; ++block) {
    for (int i = 0; i < count; ++i) {
      const std::string bad = runners[i]->Run(SignalKind::kNoise, block * kBlock, kBlock, Precision::kFloat);
      if (!bad.empty()) {
        context.Fail("instance " + std::to_string(i + 1) + " of " + std::to_string(count) + ": " + bad);
        return;
      }
      for (int c = 0; i == 0 && c < plugins[0]->Outputs(); ++c) {
        for (int f = 0; f < kBlock; ++f) first.push_back(runners[0]->Output(c, f));
      }
    }
  }
  runners.clear();
  plugins.clear();
  context.Progress("one instance alone, for comparison");
  std::unique_ptr<Plugin> alone = context.NewRunningPlugin(kRate, kBlock);
  if (!alone) return;
  BlockRunner runner(*alone, kBlock, kRate, Mix(context.Seed(), 0));
  size_t k = 0;
  for (int block = 0; block < blocks; ++block) {
    runner.Run(SignalKind::kNoise, block * kBlock, kBlock, Precision::kFloat);
    for (int c = 0; c < alone->Outputs(); ++c) {
      for (int f = 0; f < kBlock; ++f, ++k) {
        if (k < first.size() && std::fabs(first[k] - runner.Output(c, f)) > kSameOutputTolerance) {
          context.Fail("instances share state: with " + std::to_string(count) +
                       " instances processing in turn, the first one's output " + std::to_string(c) + " differs at frame " +
                       std::to_string(block * kBlock + f) + " from what it gives alone");
          return;
        }
      }
    }
  }
}

}  // namespace

void RunLifecycleCheck(CheckContext& context) {
  for (const Sequence& sequence : Sequences()) {
    RunSequence(context, sequence);
    if (context.Failed()) return;
  }
  RunCycles(context);
  if (context.Failed()) return;
  RunSimultaneous(context);
}

}  // namespace kestrune::validate
