// Timings of the tone filters and the tone chain against their straightforward transcriptions,
// at 48 kHz. After the runs a summary prints the ratios of each pair measured in this run, from
// median CPU times so that other load on the machine skews them as little as possible.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/tone_reference.h"
#include "bench/tone_timing.h"
#include "effect/KestB.h"
#include "effect/KestF.h"
#include "effect/ToneChain.h"

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

void SetFrameCounters(benchmark::State& state, double frames) {
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

// Four filter objects of one stereo frame, Calc then Process on every frame, with knob values
// that change on every frame.
template <class First, class Second>
void Filters(benchmark::State& state) {
  First firstL, firstR;
  Second secondL, secondR;
  const std::vector<double> in = Noise(kBlock, 0.5, 1);
  double h = 0.2, l = 0.7, o = 0.4;
  double sink = 0.0;
  for (auto _ : state) {
    for (int n = 0; n < kBlock; ++n) {
      h += 1e-6;
      l -= 1e-6;
      o += 2e-6;
      firstL.Calc(kRate, h, l, o);
      firstR.Calc(kRate, h + 1e-7, l, o);
      secondL.Calc(kRate, h, l + 1e-7, o);
      secondR.Calc(kRate, h, l, o + 1e-7);
      sink += secondL.Process(in[n]) + secondR.Process(-in[n]) + firstL.Process(in[n]) +
              firstR.Process(-in[n]);
    }
    if (h > 0.9) h = 0.2, l = 0.7, o = 0.4;
  }
  benchmark::DoNotOptimize(sink);
  SetFrameCounters(state, double(state.iterations()) * kBlock);
}

void FiltersFast(benchmark::State& state) { Filters<KestF, KestB>(state); }
void FiltersReference(benchmark::State& state) {
  Filters<ReferenceKest<KestF>, ReferenceKest<KestB>>(state);
}

template <class Chain>
void RunBlocks(Chain& chain, const std::vector<double>& l, const std::vector<double>& r,
               std::vector<double>& outL, std::vector<double>& outR, int blocks) {
  for (int b = 0; b < blocks; ++b) {
    chain.Process(l.data(), r.data(), outL.data(), outR.data(), kBlock, kRate, 0, 0);
  }
}

// Targets changing between every pair of 512-frame blocks, so the smoothers never rest.
template <class Chain>
void ChainMoving(benchmark::State& state) {
  Chain chain;
  const std::vector<double> l = Noise(kBlock, 0.5, 2), r = Noise(kBlock, 0.5, 3);
  std::vector<double> outL(kBlock), outR(kBlock);
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> knob(0.0, 1.0);
  int circuit = 0;
  for (auto _ : state) {
    chain.SetOutTarget(knob(rng));
    chain.SetHiTarget(knob(rng));
    chain.SetLoTarget(knob(rng));
    chain.Process(l.data(), r.data(), outL.data(), outR.data(), kBlock, kRate, circuit, 0);
    circuit ^= 1;
    benchmark::DoNotOptimize(outL.data());
  }
  SetFrameCounters(state, double(state.iterations()) * kBlock);
}

// Fixed targets held for 30 s beforehand, long enough for the smoothed values to stop changing.
template <class Chain>
void ChainAtRest(benchmark::State& state, double level) {
  Chain chain;
  chain.SetOutTarget(0.8);
  chain.SetHiTarget(0.6);
  chain.SetLoTarget(0.3);
  const std::vector<double> l = Noise(kBlock, level, 5), r = Noise(kBlock, level, 6);
  std::vector<double> outL(kBlock), outR(kBlock);
  RunBlocks(chain, l, r, outL, outR, int(30 * kRate / kBlock));
  for (auto _ : state) {
    chain.Process(l.data(), r.data(), outL.data(), outR.data(), kBlock, kRate, 0, 0);
    benchmark::DoNotOptimize(outL.data());
  }
  SetFrameCounters(state, double(state.iterations()) * kBlock);
}

// Silence in a chain that has had 30 s of loud noise and then 60 s of silence, when its filter
// states have sunk far below the normal range, against loud noise in a twin chain. The two take
// turns block by block and their thread CPU times are compared directly, which keeps the ratio
// steady under other load; it is reported as the counter "silence/noise".
template <class Chain>
void ChainSilenceVsNoise(benchmark::State& state) {
  // Separate allocations, as separate instances would have: two neighbours on the stack can
  // share cache sets and disturb each other's timing.
  const std::unique_ptr<Chain> noisyChain(new Chain), quietChain(new Chain);
  Chain& noisy = *noisyChain;
  Chain& quiet = *quietChain;
  for (Chain* chain : {&noisy, &quiet}) {
    chain->SetOutTarget(0.8);
    chain->SetHiTarget(0.6);
    chain->SetLoTarget(0.3);
  }
  const std::vector<double> l = Noise(kBlock, 1.0, 7), r = Noise(kBlock, 1.0, 8);
  const std::vector<double> silence(kBlock, 0.0);
  std::vector<double> outL(kBlock), outR(kBlock);
  RunBlocks(noisy, l, r, outL, outR, int(30 * kRate / kBlock));
  RunBlocks(quiet, l, r, outL, outR, int(30 * kRate / kBlock));
  RunBlocks(quiet, silence, silence, outL, outR, int(60 * kRate / kBlock));
  // Each goes first every other time, so that neither gains from the other's leftovers.
  double noiseTime = 0.0, silenceTime = 0.0;
  bool noiseFirst = true;
  for (auto _ : state) {
    for (int turn = 0; turn < 2; ++turn) {
      const bool noise = (turn == 0) == noiseFirst;
      const double start = ToneThreadCpuSeconds();
      if (noise) {
        noisy.Process(l.data(), r.data(), outL.data(), outR.data(), kBlock, kRate, 0, 0);
      } else {
        quiet.Process(silence.data(), silence.data(), outL.data(), outR.data(), kBlock, kRate, 0,
                      0);
      }
      (noise ? noiseTime : silenceTime) += ToneThreadCpuSeconds() - start;
    }
    noiseFirst = !noiseFirst;
    benchmark::DoNotOptimize(outL.data());
  }
  state.counters["silence/noise"] = silenceTime / noiseTime;
}

void ChainMovingFast(benchmark::State& s) { ChainMoving<ToneChain>(s); }
void ChainMovingReference(benchmark::State& s) { ChainMoving<ReferenceToneChain>(s); }
void ChainAtRestFast(benchmark::State& s) { ChainAtRest<ToneChain>(s, 0.5); }
void ChainAtRestReference(benchmark::State& s) { ChainAtRest<ReferenceToneChain>(s, 0.5); }
void ChainSilenceVsNoiseFast(benchmark::State& s) { ChainSilenceVsNoise<ToneChain>(s); }
void ChainSilenceVsNoiseReference(benchmark::State& s) {
  ChainSilenceVsNoise<ReferenceToneChain>(s);
}

// Three repetitions each: the summary uses their medians, which other load disturbs least.
#define TONE_BENCHMARK(name) BENCHMARK(name)->Repetitions(3)->ReportAggregatesOnly(true)
TONE_BENCHMARK(FiltersFast);
TONE_BENCHMARK(FiltersReference);
TONE_BENCHMARK(ChainMovingFast);
TONE_BENCHMARK(ChainMovingReference);
TONE_BENCHMARK(ChainAtRestFast);
TONE_BENCHMARK(ChainAtRestReference);
TONE_BENCHMARK(ChainSilenceVsNoiseFast);
TONE_BENCHMARK(ChainSilenceVsNoiseReference);

// Keeps each benchmark's median CPU time per iteration over its repetitions for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        times_[run.run_name.function_name] = run.GetAdjustedCPUTime();
        const auto ratio = run.counters.find("silence/noise");
        if (ratio != run.counters.end()) ratios_[run.run_name.function_name] = ratio->second;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatio(const char* what, const std::string& numerator, const std::string& denominator) {
    if (!times_.count(numerator) || !times_.count(denominator)) return;
    std::printf("%-58s %8.3f\n", what, times_[numerator] / times_[denominator]);
  }

  void PrintCounter(const char* what, const std::string& name) {
    if (ratios_.count(name)) std::printf("%-58s %8.3f\n", what, ratios_[name]);
  }

private:
  std::map<std::string, double> times_;
  std::map<std::string, double> ratios_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nRatios of median CPU time per frame (lower is faster):\n");
  reporter.PrintRatio("four filter objects / reference transcription", "FiltersFast",
                      "FiltersReference");
  reporter.PrintRatio("tone chain, knobs moving / reference (target <= 0.25)", "ChainMovingFast",
                      "ChainMovingReference");
  reporter.PrintRatio("tone chain, at rest / reference (target <= 0.10)", "ChainAtRestFast",
                      "ChainAtRestReference");
  reporter.PrintCounter("tone chain, silence after noise / noise (target <= 1)",
                        "ChainSilenceVsNoiseFast");
  reporter.PrintCounter("reference, silence after noise / noise", "ChainSilenceVsNoiseReference");
  reporter.PrintRatio("effect processReplacing, knobs moving / reference (<= 0.25)", "EffectMoving",
                      "ChainMovingReference");
  reporter.PrintRatio("effect processReplacing, at rest / reference (<= 0.10)", "EffectAtRest",
                      "ReferenceAtRestFromFloat");
  reporter.PrintCounter("effect processReplacing, silence after noise / noise (<= 1)",
                        "EffectSilenceVsNoise");
  benchmark::Shutdown();
  return 0;
}
