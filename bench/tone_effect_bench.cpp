// The effect as a host drives it: the built module loaded, the effect created with its
// VSTPluginMain, opened, set to 48 kHz and 512-frame blocks and resumed, then fed float blocks
// through processReplacing, beside the transcribed chain on the same work, converting the same
// float blocks to double and back.

#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <random>
#include <vector>

#include "bench/tone_timing.h"
#include "tests/effect/ToneTranscription.h"
#include "vst2/VstInterface.h"

namespace {

// The module, loaded for the whole run; null entry when it cannot be loaded.
class LoadedModule {
public:
  LoadedModule() : handle_(dlopen(KESTRUNE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL)) {}
  ~LoadedModule() {
    if (handle_) dlclose(handle_);
  }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  VstPluginMainProc Entry() const {
    return handle_ ? reinterpret_cast<VstPluginMainProc>(dlsym(handle_, "VSTPluginMain")) : nullptr;
  }

private:
  void* handle_;
};

const LoadedModule& Module() {
  static const LoadedModule module;
  return module;
}

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;
// Blocks between knob changes while settling: about 2 s.
constexpr int kSettlingBlocks = static_cast<int>(2 * kRate / kBlock);

intptr_t SilentHost(AEffect*, int32_t, int32_t, intptr_t, void*, float) { return 0; }

// One opened and resumed instance, closed again at the end of the scope.
class OpenEffect {
public:
  OpenEffect() : effect_(Module().Entry() ? Module().Entry()(SilentHost) : nullptr) {
    if (!effect_) return;
    effect_->dispatcher(effect_, effOpen, 0, 0, nullptr, 0.0f);
    effect_->dispatcher(effect_, effSetSampleRate, 0, 0, nullptr, float(kRate));
    effect_->dispatcher(effect_, effSetBlockSize, 0, kBlock, nullptr, 0.0f);
    effect_->dispatcher(effect_, effMainsChanged, 0, 1, nullptr, 0.0f);
  }
  ~OpenEffect() {
    if (!effect_) return;
    effect_->dispatcher(effect_, effMainsChanged, 0, 0, nullptr, 0.0f);
    effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
  }
  OpenEffect(const OpenEffect&) = delete;
  OpenEffect& operator=(const OpenEffect&) = delete;

  bool Valid() const { return effect_ != nullptr; }
  void SetParameter(int index, float value) { effect_->setParameter(effect_, index, value); }
  void Process(float** in, float** out) { effect_->processReplacing(effect_, in, out, kBlock); }

private:
  AEffect* effect_;
};

// Float and double copies of one stereo block of noise at the given level.
struct Block {
  std::vector<float> l, r, outL, outR;
  std::vector<double> dl, dr, dOutL, dOutR;
  float* in[2];
  float* out[2];
  Block(double level, unsigned seed)
      : l(kBlock), r(kBlock), outL(kBlock), outR(kBlock), dl(kBlock), dr(kBlock),
        dOutL(kBlock), dOutR(kBlock), in{l.data(), r.data()}, out{outL.data(), outR.data()} {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(-level, level);
    for (int i = 0; i < kBlock; ++i) {
      l[i] = float(u(rng));
      r[i] = float(u(rng));
      dl[i] = l[i];
      dr[i] = r[i];
    }
  }
};

void SetFrameCounters(benchmark::State& state) {
  const double frames = double(state.iterations()) * kBlock;
  state.counters["time/frame"] =
      benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["x realtime"] = benchmark::Counter(frames / kRate, benchmark::Counter::kIsRate);
}

// Parameter values between blocks, as automation would send them (normalised 0..1).
void EffectMoving(benchmark::State& state) {
  OpenEffect effect;
  if (!effect.Valid()) return state.SkipWithError("the module gave no effect");
  Block block(0.5, 2);
  std::mt19937 rng(4);
  std::uniform_real_distribution<float> knob(0.0f, 1.0f);
  for (auto _ : state) {
    effect.SetParameter(0, knob(rng));
    effect.SetParameter(2, knob(rng));
    effect.SetParameter(4, knob(rng));
    effect.Process(block.in, block.out);
    benchmark::DoNotOptimize(block.outL.data());
  }
  SetFrameCounters(state);
}

// New parameter values every 2 s: the first seconds after a change, while the smoothers move.
void EffectSettling(benchmark::State& state) {
  OpenEffect effect;
  if (!effect.Valid()) return state.SkipWithError("the module gave no effect");
  Block block(0.5, 2);
  int count = 0;
  for (auto _ : state) {
    if (count++ % kSettlingBlocks == 0) {
      const bool odd = (count / kSettlingBlocks) % 2;
      effect.SetParameter(0, odd ? 0.8f : 0.3f);
      effect.SetParameter(2, odd ? 0.4f : 0.8f);
      effect.SetParameter(4, odd ? 0.7f : 0.6f);
    }
    effect.Process(block.in, block.out);
    benchmark::DoNotOptimize(block.outL.data());
  }
  SetFrameCounters(state);
}

// The effect's default knobs held for 30 s beforehand, so the smoothed values stop changing.
void EffectAtRest(benchmark::State& state) {
  OpenEffect effect;
  if (!effect.Valid()) return state.SkipWithError("the module gave no effect");
  Block block(0.5, 5);
  for (int b = 0; b < int(30 * kRate / kBlock); ++b) effect.Process(block.in, block.out);
  for (auto _ : state) {
    effect.Process(block.in, block.out);
    benchmark::DoNotOptimize(block.outL.data());
  }
  SetFrameCounters(state);
}

// Silence in an instance that has had 30 s of loud noise and then 60 s of silence, against loud
// noise in a twin instance, block by block in turns; reported as the counter "silence/noise".
void EffectSilenceVsNoise(benchmark::State& state) {
  OpenEffect noisy, quiet;
  if (!noisy.Valid() || !quiet.Valid()) return state.SkipWithError("the module gave no effect");
  Block loud(1.0, 7);
  Block silence(0.0, 8);
  for (int b = 0; b < int(30 * kRate / kBlock); ++b) {
    noisy.Process(loud.in, loud.out);
    quiet.Process(loud.in, loud.out);
  }
  for (int b = 0; b < int(60 * kRate / kBlock); ++b) quiet.Process(silence.in, silence.out);
  // Each goes first every other time, so that neither gains from the other's leftovers.
  double noiseTime = 0.0, silenceTime = 0.0;
  bool noiseFirst = true;
  for (auto _ : state) {
    for (int turn = 0; turn < 2; ++turn) {
      const bool noise = (turn == 0) == noiseFirst;
      const double start = ToneThreadCpuSeconds();
      if (noise) {
        noisy.Process(loud.in, loud.out);
      } else {
        quiet.Process(silence.in, silence.out);
      }
      (noise ? noiseTime : silenceTime) += ToneThreadCpuSeconds() - start;
    }
    noiseFirst = !noiseFirst;
    benchmark::DoNotOptimize(silence.outL.data());
  }
  state.counters["silence/noise"] = silenceTime / noiseTime;
}

// The transcribed chain fed like the effect: float blocks converted to double and back.
void RunTranscription(TranscribedToneChain<double>& chain, Block& block) {
  for (int i = 0; i < kBlock; ++i) block.dl[i] = block.l[i], block.dr[i] = block.r[i];
  chain.Process(block.dl.data(), block.dr.data(), block.dOutL.data(), block.dOutR.data(), kBlock,
                kRate, 0, 0);
  for (int i = 0; i < kBlock; ++i) {
    block.outL[i] = float(block.dOutL[i]);
    block.outR[i] = float(block.dOutR[i]);
  }
}

// New targets before every block. The transcription computes everything on every frame, so this
// serves for settling knobs as well.
void EffectTranscriptionMoving(benchmark::State& state) {
  TranscribedToneChain<double> chain;
  Block block(0.5, 2);
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> knob(0.0, 1.0);
  for (auto _ : state) {
    chain.SetOutTarget(knob(rng));
    chain.SetHiTarget(knob(rng));
    chain.SetLoTarget(knob(rng));
    RunTranscription(chain, block);
    benchmark::DoNotOptimize(block.outL.data());
  }
  SetFrameCounters(state);
}

// The effect's default targets held for 30 s beforehand.
void EffectTranscriptionAtRest(benchmark::State& state) {
  TranscribedToneChain<double> chain;
  chain.SetOutTarget(0.5);
  chain.SetHiTarget(0.5);
  chain.SetLoTarget(0.5);
  Block block(0.5, 5);
  for (int b = 0; b < int(30 * kRate / kBlock); ++b) RunTranscription(chain, block);
  for (auto _ : state) {
    RunTranscription(chain, block);
    benchmark::DoNotOptimize(block.outL.data());
  }
  SetFrameCounters(state);
}

BENCHMARK(EffectMoving);
BENCHMARK(EffectSettling);
BENCHMARK(EffectAtRest);
BENCHMARK(EffectSilenceVsNoise);
BENCHMARK(EffectTranscriptionMoving);
BENCHMARK(EffectTranscriptionAtRest);

}  // namespace
