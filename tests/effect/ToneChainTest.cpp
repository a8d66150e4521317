#include "effect/ToneChain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

struct Stereo {
  std::vector<double> l, r;
  explicit Stereo(int n, double fill = 0.0) : l(n, fill), r(n, fill) {}
  int Size() const { return static_cast<int>(l.size()); }
};

Stereo Noise(int n, double level, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-level, level);
  Stereo s(n);
  for (int i = 0; i < n; ++i) {
    s.l[i] = u(rng);
    s.r[i] = u(rng);
  }
  return s;
}

Stereo Render(ToneChain& chain, const Stereo& in, double fs, int circuit = 0, int bypass = 0) {
  Stereo out(in.Size());
  chain.Process(in.l.data(), in.r.data(), out.l.data(), out.r.data(), in.Size(), fs, circuit,
                bypass);
  return out;
}

void SetKnobs(ToneChain& chain, double out, double hi, double lo) {
  chain.SetOutTarget(out);
  chain.SetHiTarget(hi);
  chain.SetLoTarget(lo);
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

double PeakOf(const std::vector<double>& v, int from, int to) {
  double peak = 0.0;
  for (int i = from; i < to; ++i) peak = std::max(peak, std::fabs(v[i]));
  return peak;
}

// Every test runs on each instruction path this processor supports.
class ToneChainOnPath : public ::testing::TestWithParam<KestLanes::Path> {};

std::vector<KestLanes::Path> SupportedPaths() {
  std::vector<KestLanes::Path> paths;
  for (KestLanes::Path path : {KestLanes::kBaseline, KestLanes::kAvxFma}) {
    if (KestLanes::Supports(path)) paths.push_back(path);
  }
  return paths;
}

INSTANTIATE_TEST_SUITE_P(Paths, ToneChainOnPath, ::testing::ValuesIn(SupportedPaths()),
                         [](const ::testing::TestParamInfo<KestLanes::Path>& info) {
                           return std::string(info.param == KestLanes::kBaseline ? "Baseline"
                                                                                  : "AvxFma");
                         });

TEST_P(ToneChainOnPath, EmptyOrNegativeBlockWritesAndChangesNothing) {
  ToneChain touched(GetParam()), untouched(GetParam());
  SetKnobs(touched, 0.7, 0.4, 0.6);
  SetKnobs(untouched, 0.7, 0.4, 0.6);
  const Stereo warmUp = Noise(1000, 0.5, 1);
  Render(touched, warmUp, 44100);
  Render(untouched, warmUp, 44100);
  double l = 123.0, r = 456.0;
  const double in = 0.25;
  touched.Process(&in, &in, &l, &r, 0, 44100, 0, 0);
  touched.Process(&in, &in, &l, &r, -5, 44100, 1, 1);
  EXPECT_EQ(l, 123.0);
  EXPECT_EQ(r, 456.0);
  const Stereo next = Noise(1000, 0.5, 2);
  const Stereo a = Render(touched, next, 44100);
  const Stereo b = Render(untouched, next, 44100);
  EXPECT_TRUE(SameBits(a.l, b.l));
  EXPECT_TRUE(SameBits(a.r, b.r));
}

TEST_P(ToneChainOnPath, BypassCopiesTheInputBitForBit) {
  ToneChain chain(GetParam());
  SetKnobs(chain, 1.0, 0.9, 0.1);
  Stereo in = Noise(4000, 3.0, 3);
  in.l[10] = -0.0;
  in.r[11] = std::numeric_limits<double>::denorm_min();
  in.l[12] = 1e300;
  for (int circuit : {0, 1}) {
    const Stereo out = Render(chain, in, 48000, circuit, 1);
    EXPECT_TRUE(SameBits(out.l, in.l));
    EXPECT_TRUE(SameBits(out.r, in.r));
  }
}

TEST_P(ToneChainOnPath, FiltersKeepRunningWhileBypassed) {
  ToneChain bypassed(GetParam()), heard(GetParam());
  SetKnobs(bypassed, 0.8, 0.5, 0.5);
  SetKnobs(heard, 0.8, 0.5, 0.5);
  const Stereo first = Noise(3000, 0.5, 4);
  Render(bypassed, first, 44100, 0, 1);
  Render(heard, first, 44100, 0, 0);
  const Stereo second = Noise(2000, 0.5, 5);
  EXPECT_TRUE(SameBits(Render(bypassed, second, 44100).l, Render(heard, second, 44100).l));
}

// OUT heading for 0 used to keep the smoothers moving for minutes, down through the whole exponent
// range; the chain comes to rest instead once the movement left is inaudible.
// The smoothing runs in seconds whatever the rate: a low one keeps this quick.
TEST_P(ToneChainOnPath, ZeroOutputLevelDecaysToSilenceAndComesToRest) {
  const int fs = 8000;
  for (int circuit : {0, 1}) {
    ToneChain chain(GetParam());
    SetKnobs(chain, 1.0, 0.5, 0.5);
    const Stereo loud = Render(chain, Noise(2 * fs, 0.5, 6), fs, circuit);
    EXPECT_GT(PeakOf(loud.l, fs, 2 * fs), 0.1);
    chain.SetOutTarget(0.0);
    const Stereo fading = Render(chain, Noise(20 * fs, 0.8, 7), fs, circuit);
    EXPECT_LT(PeakOf(fading.l, 7 * fs, 20 * fs), 1e-6);
    EXPECT_LT(PeakOf(fading.r, 7 * fs, 20 * fs), 1e-6);
    EXPECT_FALSE(chain.AtRest());
    const Stereo silent = Render(chain, Noise(12 * fs, 0.8, 8), fs, circuit);
    EXPECT_TRUE(chain.AtRest());
    EXPECT_LT(PeakOf(silent.l, 0, 12 * fs), 1e-12);
    EXPECT_LT(PeakOf(silent.r, 0, 12 * fs), 1e-12);
    // Silence as a host hears it in single precision, not a residue of the level's last step.
    EXPECT_EQ(float(PeakOf(silent.l, 10 * fs, 12 * fs)), 0.0f) << "circuit " << circuit;
    EXPECT_EQ(float(PeakOf(silent.r, 10 * fs, 12 * fs)), 0.0f) << "circuit " << circuit;
    chain.SetOutTarget(1.0);
    Render(chain, Noise(100, 0.5, 9), fs, circuit);
    EXPECT_FALSE(chain.AtRest());
  }
}

// Targets that are changed and changed back between two blocks, as a state restore that fails
// half-way does, leave the sound bit for bit as it was, while moving and at rest alike.
TEST_P(ToneChainOnPath, TargetsChangedAndRestoredBetweenBlocksChangeNothing) {
  ToneChain touched(GetParam()), untouched(GetParam());
  for (ToneChain* chain : {&touched, &untouched}) SetKnobs(*chain, 0.625, 0.3, 0.6);
  const double fs = 8000;
  for (int second = 0; second < 20; ++second) {
    const Stereo in = Noise(8000, 0.5, 20 + second);
    if (second % 3 == 1) {
      SetKnobs(touched, 0.25, 1.0, 0.75);
      SetKnobs(touched, 0.625, 0.3, 0.6);
    }
    const Stereo a = Render(touched, in, fs), b = Render(untouched, in, fs);
    ASSERT_TRUE(SameBits(a.l, b.l) && SameBits(a.r, b.r)) << "second " << second;
  }
  EXPECT_TRUE(touched.AtRest());
}

// A sample that is not a number, or infinite, restarts the filters of its own channel from zero
// histories: they yield 0 for it and then play on, while the other channel never notices.
TEST_P(ToneChainOnPath, NonFiniteSampleRestartsOnlyItsOwnChannel) {
  for (double bad : {std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::infinity()}) {
    ToneChain hit(GetParam()), clean(GetParam());
    SetKnobs(hit, 0.7, 0.4, 0.6);
    SetKnobs(clean, 0.7, 0.4, 0.6);
    Stereo in = Noise(20000, 0.5, 10);
    Render(hit, in, 48000, 1);
    Render(clean, in, 48000, 1);
    in = Noise(4000, 0.5, 11);
    Stereo poisoned = in;
    poisoned.l[1000] = bad;
    const Stereo a = Render(hit, poisoned, 48000, 1);
    const Stereo b = Render(clean, in, 48000, 1);
    EXPECT_TRUE(SameBits(a.r, b.r));
    EXPECT_EQ(a.l[1000], 0.0);
    // Afresh means as far from the undisturbed channel as a filter started from silence is.
    EXPECT_GT(PeakOf(a.l, 1001, 4000), 0.05);
    for (double v : a.l) ASSERT_TRUE(std::isfinite(v));
  }
}

// However loud the input, the output stays within the saturation curve's limits on both sides,
// and reaches them.
TEST_P(ToneChainOnPath, OutputStaysWithinTheSaturationLimits) {
  ToneChain chain(GetParam());
  SetKnobs(chain, 1.0, 0.9, 0.1);
  for (int circuit : {0, 1}) {
    const Stereo out = Render(chain, Noise(20000, 1e6, 15 + circuit), 44100, circuit);
    double highest = 0.0, lowest = 0.0;
    for (const std::vector<double>* channel : {&out.l, &out.r}) {
      for (double v : *channel) {
        highest = std::max(highest, v);
        lowest = std::min(lowest, v);
      }
    }
    EXPECT_EQ(highest, 0.35440951585769653);
    EXPECT_EQ(lowest, -0.4359269142150879);
  }
}

TEST_P(ToneChainOnPath, CircuitSwitchTakesEffectOnTheNextFrame) {
  ToneChain switching(GetParam()), first(GetParam()), second(GetParam());
  for (ToneChain* c : {&switching, &first, &second}) SetKnobs(*c, 0.3, 0.7, 0.2);
  const Stereo before = Noise(700, 0.5, 8);
  const Stereo after = Noise(700, 0.5, 9);
  EXPECT_TRUE(SameBits(Render(switching, before, 48000, 0).l, Render(first, before, 48000, 0).l));
  Render(second, before, 48000, 1);
  const Stereo switched = Render(switching, after, 48000, 1);
  EXPECT_TRUE(SameBits(switched.l, Render(second, after, 48000, 1).l));
  EXPECT_FALSE(SameBits(switched.l, Render(first, after, 48000, 0).l));
}

TEST_P(ToneChainOnPath, UnknownCircuitHoldsTheLastSelectedOutput) {
  ToneChain chain(GetParam());
  SetKnobs(chain, 1.0, 0.5, 0.5);
  const Stereo warm = Render(chain, Noise(500, 0.5, 10), 44100, 1);
  const Stereo held = Render(chain, Noise(50, 0.5, 11), 44100, 7);
  for (int i = 0; i < held.Size(); ++i) {
    EXPECT_EQ(held.l[i], warm.l.back());
    EXPECT_EQ(held.r[i], warm.r.back());
  }
}

// Time constant of the output level's decay after OUT steps from 1 to 0, measured between 1 s and
// 2 s after the step, once the step's own transient has died away. In the first circuit OUT is a
// plain gain, and a small input keeps the saturation on its linear first segment, so the output
// follows the OUT smoother.
double OutTimeConstant(KestLanes::Path path, double fs) {
  ToneChain chain(path);
  SetKnobs(chain, 1.0, 0.0, 1.0);
  const int second = static_cast<int>(fs);
  Stereo sine(3 * second);
  for (int i = 0; i < sine.Size(); ++i) {
    sine.l[i] = sine.r[i] = 0.002 * std::sin(2 * M_PI * 1000 * i / fs);
  }
  Render(chain, sine, fs);
  chain.SetOutTarget(0.0);
  const Stereo out = Render(chain, sine, fs);
  const int window = second / 50;
  const double atOne = PeakOf(out.l, second, second + window);
  const double atTwo = PeakOf(out.l, 2 * second, 2 * second + window);
  return 1.0 / std::log(atOne / atTwo);
}

TEST_P(ToneChainOnPath, SmoothingTimeConstantIsIndependentOfSampleRate) {
  const double expected = 1.0 / (2 * M_PI * 0.4);
  const double at44100 = OutTimeConstant(GetParam(), 44100);
  const double at96000 = OutTimeConstant(GetParam(), 96000);
  EXPECT_NEAR(at44100, expected, 0.002);
  EXPECT_NEAR(at96000, expected, 0.002);
}

// At a low rate the chain comes to rest within a few seconds' worth of frames, so the split falls
// on every kind of boundary: moving, coming to rest, resting, and waking up for a new target.
TEST_P(ToneChainOnPath, OutputDoesNotDependOnHowFramesAreSplitIntoCalls) {
  const double fs = 2000;
  ToneChain whole(GetParam()), pieces(GetParam());
  SetKnobs(whole, 0.9, 0.3, 0.8);
  SetKnobs(pieces, 0.9, 0.3, 0.8);
  const Stereo in = Noise(60000, 0.7, 12);
  Stereo expected(in.Size());
  const int half = in.Size() / 2;
  whole.Process(&in.l[0], &in.r[0], &expected.l[0], &expected.r[0], half, fs, 0, 0);
  EXPECT_TRUE(whole.AtRest());
  whole.SetHiTarget(0.35);
  whole.Process(&in.l[half], &in.r[half], &expected.l[half], &expected.r[half], half, fs, 0, 0);
  Stereo got(in.Size());
  const int sizes[] = {1, 0, 7, 512, 3, 1000, 64, 4097};
  int at = 0;
  for (int i = 0; at < in.Size(); ++i) {
    const int n = std::min(sizes[i % 8], (at < half ? half : in.Size()) - at);
    if (at == half) pieces.SetHiTarget(0.35);
    pieces.Process(&in.l[at], &in.r[at], &got.l[at], &got.r[at], n, fs, 0, 0);
    at += n;
  }
  EXPECT_TRUE(SameBits(got.l, expected.l));
  EXPECT_TRUE(SameBits(got.r, expected.r));
}

TEST_P(ToneChainOnPath, ProcessesInPlace) {
  ToneChain separate(GetParam()), inPlace(GetParam());
  SetKnobs(separate, 0.6, 0.6, 0.6);
  SetKnobs(inPlace, 0.6, 0.6, 0.6);
  Stereo buffer = Noise(3000, 0.5, 13);
  const Stereo expected = Render(separate, buffer, 48000, 1);
  inPlace.Process(buffer.l.data(), buffer.r.data(), buffer.l.data(), buffer.r.data(), buffer.Size(),
                  48000, 1, 0);
  EXPECT_TRUE(SameBits(buffer.l, expected.l));
  EXPECT_TRUE(SameBits(buffer.r, expected.r));
}

TEST_P(ToneChainOnPath, FadesInAfterConstruction) {
  ToneChain chain(GetParam());
  SetKnobs(chain, 0.5, 0.5, 0.5);
  const Stereo out = Render(chain, Noise(2 * 44100, 0.5, 14), 44100);
  EXPECT_LT(PeakOf(out.l, 0, 441), 0.2 * PeakOf(out.l, 44100, 2 * 44100));
}

}  // namespace
