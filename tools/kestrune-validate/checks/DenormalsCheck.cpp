// denormals: silence after loud noise must cost no more than the noise did. Filters whose state
// decays into subnormal numbers slow down many times over on x86 unless the plug-in flushes them;
// the check runs with the processor's default (no flushing), as hosts that do not flush leave it.

#include <xmmintrin.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/kestrune-validate/Checks.h"
#include "tools/kestrune-validate/checks/BlockRunner.h"

namespace kestrune::validate {
namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 512;
constexpr int kBlocksPerWindow = 21;  // about a quarter of a second
constexpr int kNoiseWindows = 8;
constexpr double kAllowedRatio = 1.5;
// Below this difference per block the timer and the cache say more than the plug-in does.
constexpr double kNegligibleSeconds = 10e-6;
// MXCSR: flush-to-zero and denormals-are-zero.
constexpr unsigned kFlushBits = 0x8040;

// Wall-clock time: on some virtual machines the processor's slow path for subnormal numbers is not
// charged to the thread's CPU time at all, though it costs every bit as much.
double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The cheapest block of a window: preemption and cache misses only ever add time.
double WindowMinimum(BlockRunner& runner, SignalKind kind, int64_t& position) {
  double fastest = 1e9;
  for (int b = 0; b < kBlocksPerWindow; ++b, position += kBlock) {
    const double start = Seconds();
    runner.Run(kind, position, kBlock, Precision::kFloat);
    fastest = std::min(fastest, Seconds() - start);
  }
  return fastest;
}

std::string Micro(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f us", seconds * 1e6);
  return text;
}

}  // namespace

void RunDenormalsCheck(CheckContext& context) {
  _mm_setcsr(_mm_getcsr() & ~kFlushBits);
  std::unique_ptr<Plugin> plugin = context.NewRunningPlugin(kRate, kBlock);
  // A second instance keeps playing noise: timed right beside each window of silence, it measures
  // what the machine gives at that moment, so a busy machine slows both sides of the comparison.
  std::unique_ptr<Plugin> steady = context.NewRunningPlugin(kRate, kBlock);
  if (!plugin || !steady) return;
  BlockRunner runner(*plugin, kBlock, kRate, context.Seed());
  BlockRunner steadyRunner(*steady, kBlock, kRate, context.Seed());
  int64_t position = 0;
  int64_t steadyPosition = 0;
  context.Progress("loud noise");
  WindowMinimum(steadyRunner, SignalKind::kNoise, steadyPosition);  // warm-up
  for (int w = 0; w <= kNoiseWindows; ++w) WindowMinimum(runner, SignalKind::kNoise, position);

  struct Window {
    double silence;
    double noise;
    int64_t at;
    double Ratio() const { return noise > 0 ? silence / noise : 0.0; }
  };
  const int windows = static_cast<int>(context.Strict().SilenceSeconds() * kRate / (kBlock * kBlocksPerWindow));
  const int64_t silenceStart = position;
  std::vector<Window> silence;
  for (int w = 0; w < windows; ++w) {
    context.Progress("silence after the noise, window " + std::to_string(w + 1) + " of " + std::to_string(windows));
    const int64_t at = position - silenceStart;
    const double noiseCost = WindowMinimum(steadyRunner, SignalKind::kNoise, steadyPosition);
    silence.push_back({WindowMinimum(runner, SignalKind::kSilence, position), noiseCost, at});
  }
  if (silence.empty()) return;
  // Subnormal numbers slow every window for as long as they last, while another process taking the
  // core can slow any one window; so the second-worst window is the evidence.
  std::sort(silence.begin(), silence.end(), [](const Window& a, const Window& b) { return a.Ratio() > b.Ratio(); });
  const Window& evidence = silence[std::min<size_t>(1, silence.size() - 1)];

  char ratio[16];
  std::snprintf(ratio, sizeof ratio, "%.1f", evidence.Ratio());
  if (evidence.silence > kAllowedRatio * evidence.noise && evidence.silence - evidence.noise > kNegligibleSeconds) {
    char when[32];
    std::snprintf(when, sizeof when, "%.2f s", static_cast<double>(evidence.at) / kRate);
    context.Fail("silence after loud noise costs " + std::string(ratio) + " times as much per block as the noise (" +
                 Micro(evidence.silence) + " against " + Micro(evidence.noise) + ", " + when +
                 " into the silence): subnormal numbers are slowing the plug-in down");
    return;
  }
  context.Note("silence costs " + std::string(ratio) + " x noise");
}

}  // namespace kestrune::validate
