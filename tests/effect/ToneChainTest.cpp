#include "effect/ToneChain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "bench/tone_reference.h"

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

TEST(ToneChain, EmptyOrNegativeBlockWritesAndChangesNothing) {
  ToneChain touched, untouched;
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

TEST(ToneChain, BypassCopiesTheInputBitForBit) {
  ToneChain chain;
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

TEST(ToneChain, FiltersKeepRunningWhileBypassed) {
  ToneChain bypassed, heard;
  SetKnobs(bypassed, 0.8, 0.5, 0.5);
  SetKnobs(heard, 0.8, 0.5, 0.5);
  const Stereo first = Noise(3000, 0.5, 4);
  Render(bypassed, first, 44100, 0, 1);
  Render(heard, first, 44100, 0, 0);
  const Stereo second = Noise(2000, 0.5, 5);
  EXPECT_TRUE(SameBits(Render(bypassed, second, 44100).l, Render(heard, second, 44100).l));
}

TEST(ToneChain, ZeroOutputLevelDecaysToSilence) {
  ToneChain chain;
  SetKnobs(chain, 1.0, 0.5, 0.5);
  const double fs = 44100;
  const Stereo loud = Render(chain, Noise(2 * 44100, 0.5, 6), fs, 1);
  EXPECT_GT(PeakOf(loud.l, 44100, 2 * 44100), 0.1);
  chain.SetOutTarget(0.0);
  const Stereo fading = Render(chain, Noise(8 * 44100, 0.5, 7), fs, 1);
  EXPECT_LT(PeakOf(fading.l, 7 * 44100, 8 * 44100), 1e-6);
  EXPECT_LT(PeakOf(fading.r, 7 * 44100, 8 * 44100), 1e-6);
}

TEST(ToneChain, CircuitSwitchTakesEffectOnTheNextFrame) {
  ToneChain switching, first, second;
  for (ToneChain* c : {&switching, &first, &second}) SetKnobs(*c, 0.3, 0.7, 0.2);
  const Stereo before = Noise(700, 0.5, 8);
  const Stereo after = Noise(700, 0.5, 9);
  EXPECT_TRUE(SameBits(Render(switching, before, 48000, 0).l, Render(first, before, 48000, 0).l));
  Render(second, before, 48000, 1);
  const Stereo switched = Render(switching, after, 48000, 1);
  EXPECT_TRUE(SameBits(switched.l, Render(second, after, 48000, 1).l));
  EXPECT_FALSE(SameBits(switched.l, Render(first, after, 48000, 0).l));
}

TEST(ToneChain, UnknownCircuitHoldsTheLastSelectedOutput) {
  ToneChain chain;
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
double OutTimeConstant(double fs) {
  ToneChain chain;
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

TEST(ToneChain, SmoothingTimeConstantIsIndependentOfSampleRate) {
  const double expected = 1.0 / (2 * M_PI * 0.4);
  const double at44100 = OutTimeConstant(44100);
  const double at96000 = OutTimeConstant(96000);
  EXPECT_NEAR(at44100, expected, 0.002);
  EXPECT_NEAR(at96000, expected, 0.002);
}

TEST(ToneChain, OutputDoesNotDependOnHowFramesAreSplitIntoCalls) {
  ToneChain whole, pieces;
  SetKnobs(whole, 0.9, 0.3, 0.8);
  SetKnobs(pieces, 0.9, 0.3, 0.8);
  const Stereo in = Noise(6000, 0.7, 12);
  const Stereo expected = Render(whole, in, 96000);
  Stereo got(in.Size());
  const int sizes[] = {1, 0, 7, 512, 3, 1000, 64};
  int at = 0;
  for (int i = 0; at < in.Size(); ++i) {
    const int n = std::min(sizes[i % 7], in.Size() - at);
    pieces.Process(&in.l[at], &in.r[at], &got.l[at], &got.r[at], n, 96000, 0, 0);
    at += n;
  }
  EXPECT_TRUE(SameBits(got.l, expected.l));
  EXPECT_TRUE(SameBits(got.r, expected.r));
}

TEST(ToneChain, ProcessesInPlace) {
  ToneChain separate, inPlace;
  SetKnobs(separate, 0.6, 0.6, 0.6);
  SetKnobs(inPlace, 0.6, 0.6, 0.6);
  Stereo buffer = Noise(3000, 0.5, 13);
  const Stereo expected = Render(separate, buffer, 48000, 1);
  inPlace.Process(buffer.l.data(), buffer.r.data(), buffer.l.data(), buffer.r.data(), buffer.Size(),
                  48000, 1, 0);
  EXPECT_TRUE(SameBits(buffer.l, expected.l));
  EXPECT_TRUE(SameBits(buffer.r, expected.r));
}

TEST(ToneChain, FadesInAfterConstruction) {
  ToneChain chain;
  SetKnobs(chain, 0.5, 0.5, 0.5);
  const Stereo out = Render(chain, Noise(2 * 44100, 0.5, 14), 44100);
  EXPECT_LT(PeakOf(out.l, 0, 441), 0.2 * PeakOf(out.l, 44100, 2 * 44100));
}

// Renders the same input through the chain and its straightforward transcription while the
// targets change every 512 frames, the circuit flips and bypass comes and goes, and checks every
// output bit. The filters are so sensitive near DC that any difference in rounding would grow to
// be plainly visible, so nothing short of identical arithmetic passes.
void ExpectSameAsTranscription(double fs, int blocks, int settleBlocks) {
  ToneChain chain;
  ReferenceToneChain reference;
  std::mt19937 rng(static_cast<unsigned>(fs));
  std::uniform_real_distribution<double> knob(0.0, 1.0);
  const int block = 512;
  for (int b = 0; b < blocks; ++b) {
    const bool moving = b < blocks - settleBlocks || b == blocks - 2;
    if (moving) {
      const double out = knob(rng), hi = knob(rng), lo = knob(rng);
      chain.SetOutTarget(out);
      reference.SetOutTarget(out);
      chain.SetHiTarget(hi);
      reference.SetHiTarget(hi);
      chain.SetLoTarget(lo);
      reference.SetLoTarget(lo);
    }
    const Stereo in = Noise(block, b % 5 == 4 ? 0.0 : 0.8, b);
    const int circuit = (b / 3) % 2;
    const int bypass = b % 7 == 6;
    Stereo expected(block);
    reference.Process(in.l.data(), in.r.data(), expected.l.data(), expected.r.data(), block, fs,
                      circuit, bypass);
    const Stereo got = Render(chain, in, fs, circuit, bypass);
    ASSERT_TRUE(SameBits(got.l, expected.l)) << "block " << b;
    ASSERT_TRUE(SameBits(got.r, expected.r)) << "block " << b;
  }
}

TEST(ToneChain, MatchesTheTranscriptionBitForBitWhileKnobsMove) {
  ExpectSameAsTranscription(44100, 40, 0);
  ExpectSameAsTranscription(48000, 40, 0);
  ExpectSameAsTranscription(96000, 40, 0);
}

// At a very low rate the smoothers reach their fixed point within a few blocks, which takes the
// chain through settling, resting and waking up again.
TEST(ToneChain, MatchesTheTranscriptionThroughRestAndRenewedMovement) {
  ExpectSameAsTranscription(200, 60, 30);
}

TEST(ToneChain, MatchesTheTranscriptionAcrossSampleRateChanges) {
  ToneChain chain;
  ReferenceToneChain reference;
  chain.SetOutTarget(0.9);
  reference.SetOutTarget(0.9);
  chain.SetHiTarget(0.4);
  reference.SetHiTarget(0.4);
  int b = 0;
  for (double fs : {200.0, 44100.0, 200.0, 96000.0}) {
    for (int i = 0; i < 20; ++i, ++b) {
      const Stereo in = Noise(256, 0.5, 100 + b);
      Stereo expected(256);
      reference.Process(in.l.data(), in.r.data(), expected.l.data(), expected.r.data(), 256, fs,
                        0, 0);
      ASSERT_TRUE(SameBits(Render(chain, in, fs).l, expected.l)) << fs << " " << i;
    }
  }
}

}  // namespace
