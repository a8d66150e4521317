// One stereo block through the built module's three processing callbacks, as a host calls them,
// against the tone chain alone on the same block: the ratio is what the wrapper, the lock and the
// float conversions add to the sound itself.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <vector>

#include "effect/ToneChain.h"
#include "tests/vst2/TestHost.h"

namespace
{
enum class Path
{
  kReplacing,
  kDoubleReplacing,
  kAccumulating
};

template <Path kPath>
void BM_ModuleBlock(benchmark::State& state)
{
  const int nFrames = static_cast<int>(state.range(0));
  kestrune_test::TestHost host;
  if (!host.Load(KESTRUNE_MODULE_PATH) || !host.Create())
  {
    state.SkipWithError("Kestrune.so could not be loaded");
    return;
  }
  host.Start(44100.f, nFrames);

  kestrune_test::AudioBuffers<float> fin(2, nFrames), fout(2, nFrames);
  kestrune_test::AudioBuffers<double> din(2, nFrames), dout(2, nFrames), refOut(2, nFrames);
  for (int s = 0; s < nFrames; ++s)
  {
    const double v = 0.5 * std::sin(0.05 * s);
    fin.Channel(0)[s] = fin.Channel(1)[s] = static_cast<float>(v);
    din.Channel(0)[s] = din.Channel(1)[s] = v;
  }
  ToneChain reference;
  reference.SetOutTarget(0.5);
  reference.SetHiTarget(0.5);
  reference.SetLoTarget(0.5);

  using Clock = std::chrono::steady_clock;
  Clock::duration module{}, chain{};
  for (auto _ : state)
  {
    const auto t0 = Clock::now();
    if (kPath == Path::kReplacing)
      host.ProcessReplacing(fin.Pointers(), fout.Pointers(), nFrames);
    else if (kPath == Path::kAccumulating)
      host.ProcessAccumulating(fin.Pointers(), fout.Pointers(), nFrames);
    else
      host.ProcessDoubleReplacing(din.Pointers(), dout.Pointers(), nFrames);
    const auto t1 = Clock::now();
    reference.Process(din.Channel(0).data(), din.Channel(1).data(), refOut.Channel(0).data(),
                      refOut.Channel(1).data(), nFrames, 44100.0, 0, 0);
    const auto t2 = Clock::now();
    benchmark::DoNotOptimize(fout.Pointers()[0][0]);
    benchmark::DoNotOptimize(dout.Pointers()[0][0]);
    benchmark::DoNotOptimize(refOut.Pointers()[0][0]);
    benchmark::ClobberMemory();
    module += t1 - t0;
    chain += t2 - t1;
  }
  const double n = double(state.iterations());
  state.counters["module_ns"] = std::chrono::duration<double, std::nano>(module).count() / n;
  state.counters["chain_ns"] = std::chrono::duration<double, std::nano>(chain).count() / n;
  state.counters["ratio"] = double(module.count()) / double(chain.count());
  state.SetItemsProcessed(state.iterations() * nFrames);
}

void BM_ProcessReplacing_VersusToneChain(benchmark::State& state)
{
  BM_ModuleBlock<Path::kReplacing>(state);
}
void BM_ProcessDoubleReplacing_VersusToneChain(benchmark::State& state)
{
  BM_ModuleBlock<Path::kDoubleReplacing>(state);
}
void BM_ProcessAccumulating_VersusToneChain(benchmark::State& state)
{
  BM_ModuleBlock<Path::kAccumulating>(state);
}

BENCHMARK(BM_ProcessReplacing_VersusToneChain)->Arg(32)->Arg(256)->Arg(1024);
BENCHMARK(BM_ProcessDoubleReplacing_VersusToneChain)->Arg(32)->Arg(256)->Arg(1024);
BENCHMARK(BM_ProcessAccumulating_VersusToneChain)->Arg(256);
} // namespace

BENCHMARK_MAIN();
