// Cost of one stereo block through the plug-in base's float paths (attach, the base pass-through
// processing routine, conversion back), against a bare loop doing the same conversions and copy.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "tests/plugin/TestPlug.h"

namespace
{
// The plug-in base's own pass-through processing, with both stereo channels connected.
class BenchPlug : public TestPlug
{
public:
  BenchPlug() : TestPlug(6, "1-1 2-2", 1)
  {
    SetInputChannelConnections(0, 2, true);
    SetOutputChannelConnections(0, 2, true);
  }
};

// What any float host path must do at least: widen, copy, narrow.
void BareConversion(float** in, float** out, double* scratchIn, double* scratchOut, int nFrames)
{
  for (int c = 0; c < 2; ++c)
  {
    for (int s = 0; s < nFrames; ++s) scratchIn[s] = in[c][s];
    for (int s = 0; s < nFrames; ++s) scratchOut[s] = scratchIn[s];
    for (int s = 0; s < nFrames; ++s) out[c][s] = static_cast<float>(scratchOut[s]);
  }
}

template <bool kAccumulate>
void BM_FloatBlock(benchmark::State& state)
{
  const int nFrames = static_cast<int>(state.range(0));
  BenchPlug plug;
  plug.SetBlockSize(nFrames);
  std::vector<float> in0(nFrames, 0.25f), in1(nFrames, -0.5f), out0(nFrames), out1(nFrames);
  std::vector<double> scratchIn(nFrames), scratchOut(nFrames);
  float* ins[2] = {in0.data(), in1.data()};
  float* outs[2] = {out0.data(), out1.data()};

  using Clock = std::chrono::steady_clock;
  Clock::duration plumbing{}, bare{};
  for (auto _ : state)
  {
    const auto t0 = Clock::now();
    plug.AttachInputBuffers(0, 2, ins, nFrames);
    plug.AttachOutputBuffers(0, 2, outs);
    if (kAccumulate)
      plug.ProcessBuffersAccumulating(0.0f, nFrames);
    else
      plug.ProcessBuffers(0.0f, nFrames);
    const auto t1 = Clock::now();
    BareConversion(ins, outs, scratchIn.data(), scratchOut.data(), nFrames);
    const auto t2 = Clock::now();
    benchmark::DoNotOptimize(out0.data());
    benchmark::ClobberMemory();
    plumbing += t1 - t0;
    bare += t2 - t1;
  }
  const double n = double(state.iterations());
  state.counters["plumbing_ns"] = std::chrono::duration<double, std::nano>(plumbing).count() / n;
  state.counters["bare_ns"] = std::chrono::duration<double, std::nano>(bare).count() / n;
  state.counters["ratio"] = double(plumbing.count()) / double(bare.count());
}

void BM_ProcessBuffersFloat_VersusBareConversion(benchmark::State& state)
{
  BM_FloatBlock<false>(state);
}

void BM_ProcessBuffersAccumulating_VersusBareConversion(benchmark::State& state)
{
  BM_FloatBlock<true>(state);
}
} // namespace

BENCHMARK(BM_ProcessBuffersFloat_VersusBareConversion)->Arg(64)->Arg(512)->Arg(1024);
BENCHMARK(BM_ProcessBuffersAccumulating_VersusBareConversion)->Arg(64)->Arg(512)->Arg(1024);

BENCHMARK_MAIN();
