// The tone chain against the plain transcription (tests/effect/ToneTranscription.h) at 48 kHz in
// 512-frame blocks, on each instruction path this processor supports; with the module built, also
// the effect itself through processReplacing (tone_effect_bench.cpp). The summary prints every
// ratio beside its target.

#include <benchmark/benchmark.h>

#include <initializer_list>
#include <memory>
#include <random>
#include <vector>

#include "bench/median_ratios.h"
#include "bench/tone_timing.h"
#include "effect/ToneChain.h"
#include "tests/effect/ToneTranscription.h"

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;
// Blocks between knob changes while settling: about 2 s, during which the smoothers move on
// every frame.
constexpr int kSettlingBlocks = static_cast<int>(2 * kRate / kBlock);

void SetFrameCounters(benchmark::State& state) {
  const double frames = double(state.iterations()) * kBlock;
  state.counters["time/frame"] =
      benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["x realtime"] = benchmark::Counter(frames / kRate, benchmark::Counter::kIsRate);
}

std::vector<double> Noise(int n, double level, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-level, level);
  std::vector<double> v(n);
  for (double& x : v) x = u(rng);
  return v;
}

// Each chain kind made the same way: the fast chain on a path, or the transcription.
struct FastChain {
  static std::unique_ptr<ToneChain> Make(KestLanes::Path path) {
    return std::make_unique<ToneChain>(path);
  }
};
struct Transcription {
  static std::unique_ptr<TranscribedToneChain<double>> Make(KestLanes::Path) {
    return std::make_unique<TranscribedToneChain<double>>();
  }
};

bool Runnable(benchmark::State& state, KestLanes::Path path) {
  if (KestLanes::Supports(path)) return true;
  state.SkipWithError("this processor cannot run the path");
  return false;
}

template <class Chain>
void SetKnobs(Chain& chain, double out, double hi, double lo) {
  chain.SetOutTarget(out);
  chain.SetHiTarget(hi);
  chain.SetLoTarget(lo);
}

// New targets before every block, so the smoothers never settle; the circuit flips every block.
template <class Kind>
void Moving(benchmark::State& state, KestLanes::Path path) {
  if (!Runnable(state, path)) return;
  auto chain = Kind::Make(path);
  const std::vector<double> l = Noise(kBlock, 0.5, 2), r = Noise(kBlock, 0.5, 3);
  std::vector<double> outL(kBlock), outR(kBlock);
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> knob(0.0, 1.0);
  int circuit = 0;
  for (auto _ : state) {
    SetKnobs(*chain, knob(rng), knob(rng), knob(rng));
    chain->Process(l.data(), r.data(), outL.data(), outR.data(), kBlock, kRate, circuit, 0);
    circuit ^= 1;
    benchmark::DoNotOptimize(outL.data());
  }
  SetFrameCounters(state);
}

// New targets every 2 s: the first seconds after a change, while the smoothers still move.
template <class Kind>
void Settling(benchmark::State& state, KestLanes::Path path) {
  if (!Runnable(state, path)) return;
  auto chain = Kind::Make(path);
  const std::vector<double> l = Noise(kBlock, 0.5, 2), r = Noise(kBlock, 0.5, 3);
  std::vector<double> outL(kBlock), outR(kBlock);
  int block = 0;
  for (auto _ : state) {
    if (block++ % kSettlingBlocks == 0) {
      const bool odd = (block / kSettlingBlocks) % 2;
      SetKnobs(*chain, odd ? 0.8 : 0.3, odd ? 0.2 : 0.7, odd ? 0.6 : 0.4);
    }
    chain->Process(l.data(), r.data(), outL.data(), outR.data(), kBlock, kRate, 0, 0);
    benchmark::DoNotOptimize(outL.data());
  }
  SetFrameCounters(state);
}

template <class Chain>
void RunFor(Chain& chain, const std::vector<double>& l, const std::vector<double>& r,
            double seconds) {
  std::vector<double> outL(kBlock), outR(kBlock);
  for (int b = 0; b < int(seconds * kRate / kBlock); ++b) {
    chain.Process(l.data(), r.data(), outL.data(), outR.data(), kBlock, kRate, 0, 0);
  }
}

// Fixed targets held for 30 s beforehand: the smoothed values have come to rest.
template <class Kind>
void AtRest(benchmark::State& state, KestLanes::Path path) {
  if (!Runnable(state, path)) return;
  auto chain = Kind::Make(path);
  SetKnobs(*chain, 0.8, 0.6, 0.3);
  const std::vector<double> l = Noise(kBlock, 0.5, 5), r = Noise(kBlock, 0.5, 6);
  std::vector<double> outL(kBlock), outR(kBlock);
  RunFor(*chain, l, r, 30);
  for (auto _ : state) {
    chain->Process(l.data(), r.data(), outL.data(), outR.data(), kBlock, kRate, 0, 0);
    benchmark::DoNotOptimize(outL.data());
  }
  SetFrameCounters(state);
}

// Silence in a chain that has had 30 s of loud noise and then 60 s of silence, when its filter
// states have sunk far below the normal range, against loud noise in a twin chain. The two take
// turns block by block and their thread CPU times are compared directly, which keeps the ratio
// steady under other load; it is reported as the counter "silence/noise".
template <class Kind>
void SilenceVsNoise(benchmark::State& state, KestLanes::Path path) {
  if (!Runnable(state, path)) return;
  // Separate allocations, as separate instances would have.
  auto noisy = Kind::Make(path);
  auto quiet = Kind::Make(path);
  for (auto* chain : {noisy.get(), quiet.get()}) SetKnobs(*chain, 0.8, 0.6, 0.3);
  const std::vector<double> l = Noise(kBlock, 1.0, 7), r = Noise(kBlock, 1.0, 8);
  const std::vector<double> silence(kBlock, 0.0);
  std::vector<double> outL(kBlock), outR(kBlock);
  RunFor(*noisy, l, r, 30);
  RunFor(*quiet, l, r, 30);
  RunFor(*quiet, silence, silence, 60);
  // Each goes first every other time, so that neither gains from the other's leftovers.
  double noiseTime = 0.0, silenceTime = 0.0;
  bool noiseFirst = true;
  for (auto _ : state) {
    for (int turn = 0; turn < 2; ++turn) {
      const bool noise = (turn == 0) == noiseFirst;
      const double start = ToneThreadCpuSeconds();
      if (noise) {
        noisy->Process(l.data(), r.data(), outL.data(), outR.data(), kBlock, kRate, 0, 0);
      } else {
        quiet->Process(silence.data(), silence.data(), outL.data(), outR.data(), kBlock, kRate, 0,
                       0);
      }
      (noise ? noiseTime : silenceTime) += ToneThreadCpuSeconds() - start;
    }
    noiseFirst = !noiseFirst;
    benchmark::DoNotOptimize(outL.data());
  }
  state.counters["silence/noise"] = silenceTime / noiseTime;
}

void ChainMoving(benchmark::State& s, KestLanes::Path p) { Moving<FastChain>(s, p); }
void ChainSettling(benchmark::State& s, KestLanes::Path p) { Settling<FastChain>(s, p); }
void ChainAtRest(benchmark::State& s, KestLanes::Path p) { AtRest<FastChain>(s, p); }
void ChainSilenceVsNoise(benchmark::State& s) { SilenceVsNoise<FastChain>(s, KestLanes::Fastest()); }
// The transcription computes everything on every frame: its moving figure serves for settling.
void TranscriptionMoving(benchmark::State& s) { Moving<Transcription>(s, KestLanes::kBaseline); }
void TranscriptionAtRest(benchmark::State& s) { AtRest<Transcription>(s, KestLanes::kBaseline); }

BENCHMARK_CAPTURE(ChainMoving, AvxFma, KestLanes::kAvxFma);
BENCHMARK_CAPTURE(ChainMoving, Baseline, KestLanes::kBaseline);
BENCHMARK_CAPTURE(ChainSettling, AvxFma, KestLanes::kAvxFma);
BENCHMARK_CAPTURE(ChainSettling, Baseline, KestLanes::kBaseline);
BENCHMARK_CAPTURE(ChainAtRest, AvxFma, KestLanes::kAvxFma);
BENCHMARK_CAPTURE(ChainAtRest, Baseline, KestLanes::kBaseline);
BENCHMARK(ChainSilenceVsNoise);
BENCHMARK(TranscriptionMoving);
BENCHMARK(TranscriptionAtRest);

}  // namespace

int main(int argc, char** argv) {
  MedianRatios ratios;
  if (MedianRatios::RunAll(argc, argv, ratios) != 0) return 1;
  MedianRatios::PrintHeading("Median CPU time over the plain transcription's, 48 kHz");
  ratios.PrintRatio("effect processReplacing, knobs moving every block", "EffectMoving",
                    "EffectTranscriptionMoving", "<= 0.20");
  ratios.PrintRatio("effect processReplacing, knobs settling", "EffectSettling",
                    "EffectTranscriptionMoving", "<= 0.20");
  ratios.PrintRatio("effect processReplacing, at rest", "EffectAtRest",
                    "EffectTranscriptionAtRest", "<= 0.07");
  ratios.PrintCounter("effect processReplacing, silence after noise / noise",
                      "EffectSilenceVsNoise", "silence/noise", "<= 1");
  const char* paths[][2] = {{"AvxFma", "AVX+FMA"}, {"Baseline", "baseline"}};
  for (const auto& path : paths) {
    const std::string p = path[0], name = path[1];
    ratios.PrintRatio(("tone chain (" + name + "), knobs moving every block").c_str(),
                      "ChainMoving/" + p, "TranscriptionMoving", "<= 0.20");
    ratios.PrintRatio(("tone chain (" + name + "), knobs settling").c_str(), "ChainSettling/" + p,
                      "TranscriptionMoving", "<= 0.20");
    ratios.PrintRatio(("tone chain (" + name + "), at rest").c_str(), "ChainAtRest/" + p,
                      "TranscriptionAtRest", "<= 0.07");
  }
  ratios.PrintCounter("tone chain, silence after noise / noise", "ChainSilenceVsNoise",
                      "silence/noise", "<= 1");
  MedianRatios::PrintHeading("Baseline path's median CPU time over AVX+FMA's");
  for (const char* kase : {"Moving", "Settling", "AtRest"}) {
    const std::string k = kase;
    ratios.PrintRatio(("tone chain, " + k).c_str(), "Chain" + k + "/Baseline",
                      "Chain" + k + "/AvxFma", "<= 1.5");
  }
  return 0;
}
