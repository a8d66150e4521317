// The tone chain against the same chain evaluated in extended precision. These filters are
// ill-conditioned: rounding alone moves their output, whatever order the arithmetic is done in, so
// the measure is how far the plain double-precision transcription strays from the long double one
// on the same signal. The fast chain, on every instruction path this processor can run, may stray
// at most twice as far.
//
// Error is the root mean square difference over both channels: single samples in a loud transient
// swing too much from one valid rounding to the next to compare. For the same reason the plain
// transcription is evaluated twice, summing the knob terms first to last and last to first (the
// formulas leave that order free), and the larger of its two errors is the measure: after a long
// rest some knob moves set off transients in which one order can land three times closer to the
// long double chain than the other, by luck.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "effect/ToneChain.h"
#include "tests/effect/ToneTranscription.h"

namespace {

constexpr int kBlock = 512;

struct Stereo {
  std::vector<double> l, r;
  explicit Stereo(size_t n) : l(n), r(n) {}
  size_t Size() const { return l.size(); }
};

enum class Signal { kNoise, kSines };

double Input(Signal signal, std::mt19937& rng, int channel, double t) {
  if (signal == Signal::kNoise) return std::uniform_real_distribution<double>(-0.25, 0.25)(rng);
  if (channel == 0) return 0.3 * std::sin(2 * M_PI * 90 * t) + 0.05 * std::sin(2 * M_PI * 5000 * t);
  return 0.3 * std::sin(2 * M_PI * 2500 * t + 1);
}

// What happens from a given time on (seconds): knob targets and the sample rate.
struct Event {
  double at, out, hi, lo, fs;
};

// Knob moves from the fade-in on, one while another is under way, the circuit flipping every
// 0.7 s and bypass taking one block every 1.3 s.
const std::vector<Event> kMoving44100 = {
    {0.0, 0.6, 0.3, 0.7, 44100}, {1.0, 0.6, 0.8, 0.7, 44100}, {1.2, 0.9, 0.8, 0.2, 44100},
    {2.5, 0.2, 0.05, 0.95, 44100}, {3.4, 0.5, 0.5, 0.5, 44100}, {4.0, 0, 0, 0, 0}};
// The same, then a hold long enough for the chain to come to rest, and small moves from rest and
// while moving again.
const std::vector<Event> kThroughRest44100 = {
    {0.0, 0.6, 0.3, 0.7, 44100},    {1.0, 0.6, 0.8, 0.7, 44100},
    {1.2, 0.9, 0.8, 0.2, 44100},    {12.6, 0.85, 0.8, 0.2, 44100},
    {13.0, 0.85, 0.75, 0.25, 44100}, {13.5, 0, 0, 0, 0}};

std::vector<Event> AtRate(std::vector<Event> events, double fs) {
  for (Event& e : events) {
    if (e.fs > 0) e.fs = fs;
  }
  return events;
}

// Renders the events (the last one only marks the end) through any chain, block by block; calls
// atBlock(chain, frame) after each block.
template <class Chain, class AtBlock>
Stereo Render(Chain& chain, Signal signal, const std::vector<Event>& events, AtBlock atBlock) {
  std::vector<double> inL(kBlock), inR(kBlock);
  std::mt19937 rng(7);
  Stereo out(0);
  size_t frames = 0;
  for (size_t i = 0; i + 1 < events.size(); ++i) {
    frames += size_t((events[i + 1].at - events[i].at) * events[i].fs) + kBlock;
  }
  out.l.reserve(frames);
  out.r.reserve(frames);
  double t = 0.0;
  size_t next = 0;
  while (t < events.back().at) {
    while (next + 1 < events.size() && events[next].at <= t) {
      chain.SetOutTarget(events[next].out);
      chain.SetHiTarget(events[next].hi);
      chain.SetLoTarget(events[next].lo);
      ++next;
    }
    const double fs = events[next - 1].fs;
    for (int i = 0; i < kBlock; ++i) {
      inL[i] = Input(signal, rng, 0, t + i / fs);
      inR[i] = Input(signal, rng, 1, t + i / fs);
    }
    const int circuit = static_cast<int>(t / 0.7) % 2;
    const int bypass = std::fmod(t, 1.3) < kBlock / fs ? 1 : 0;
    const size_t at = out.Size();
    out.l.resize(at + kBlock);
    out.r.resize(at + kBlock);
    chain.Process(inL.data(), inR.data(), &out.l[at], &out.r[at], kBlock, fs, circuit, bypass);
    atBlock(chain, at);
    t += kBlock / fs;
  }
  return out;
}

double RmsDifference(const Stereo& a, const Stereo& b, size_t from, size_t to) {
  double sum = 0.0;
  for (size_t i = from; i < to; ++i) {
    sum += (a.l[i] - b.l[i]) * (a.l[i] - b.l[i]) + (a.r[i] - b.r[i]) * (a.r[i] - b.r[i]);
  }
  return std::sqrt(sum / (2.0 * (to - from)));
}

// Also checks the error over the second before the chain comes to rest and everything after:
// stopping the coefficients at the wrong moment leaves a transient that the whole signal's
// average would hide.
void ExpectWithinTwiceTheTranscriptionsError(Signal signal, const std::vector<Event>& events,
                                             bool throughRest) {
  auto nothing = [](auto&, size_t) {};
  TranscribedToneChain<long double> exact;
  const Stereo reference = Render(exact, signal, events, nothing);
  TranscribedToneChain<double> forward;
  const Stereo forwardOut = Render(forward, signal, events, nothing);
  TranscribedToneChain<double, TermOrder::kLastToFirst> backward;
  const Stereo backwardOut = Render(backward, signal, events, nothing);
  auto plainError = [&](size_t from, size_t to) {
    return std::max(RmsDifference(forwardOut, reference, from, to),
                    RmsDifference(backwardOut, reference, from, to));
  };
  for (KestLanes::Path path : {KestLanes::kBaseline, KestLanes::kAvxFma}) {
    if (!KestLanes::Supports(path)) continue;
    ToneChain chain(path);
    size_t restsAt = 0;
    const Stereo fast = Render(chain, signal, events, [&](const ToneChain& c, size_t at) {
      if (c.AtRest() && restsAt == 0) restsAt = at;
    });
    const double error = RmsDifference(fast, reference, 0, fast.Size());
    const double plainWhole = plainError(0, fast.Size());
    EXPECT_LE(error, 2.0 * plainWhole)
        << "path " << path << ": error " << error << ", plain double " << plainWhole;
    if (!throughRest) continue;
    ASSERT_GT(restsAt, 0u) << "path " << path;
    EXPECT_FALSE(chain.AtRest()) << "path " << path;
    const size_t from = restsAt - static_cast<size_t>(events.front().fs);
    const double restError = RmsDifference(fast, reference, from, fast.Size());
    EXPECT_LE(restError, 2.0 * plainError(from, fast.Size()))
        << "path " << path << ": error " << restError << ", plain double "
        << plainError(from, fast.Size());
  }
}

TEST(ToneChainAccuracy, NoiseAt44100) {
  ExpectWithinTwiceTheTranscriptionsError(Signal::kNoise, kMoving44100, false);
}

TEST(ToneChainAccuracy, NoiseAt96000) {
  ExpectWithinTwiceTheTranscriptionsError(Signal::kNoise, AtRate(kMoving44100, 96000), false);
}

TEST(ToneChainAccuracy, SinesAt44100) {
  ExpectWithinTwiceTheTranscriptionsError(Signal::kSines, kMoving44100, false);
}

TEST(ToneChainAccuracy, SinesAt96000) {
  ExpectWithinTwiceTheTranscriptionsError(Signal::kSines, AtRate(kMoving44100, 96000), false);
}

TEST(ToneChainAccuracy, NoiseAt44100ThroughRest) {
  ExpectWithinTwiceTheTranscriptionsError(Signal::kNoise, kThroughRest44100, true);
}

TEST(ToneChainAccuracy, SinesAt96000ThroughRest) {
  ExpectWithinTwiceTheTranscriptionsError(Signal::kSines, AtRate(kThroughRest44100, 96000), true);
}

// The rate changes while the knobs move, then drops so low that the chain comes to rest within a
// few seconds' worth of frames, and rises again, which wakes it with coefficients for the new rate.
TEST(ToneChainAccuracy, AcrossSampleRateChanges) {
  const std::vector<Event> events = {{0.0, 0.7, 0.2, 0.6, 44100}, {0.8, 0.7, 0.2, 0.6, 96000},
                                     {1.5, 0.4, 0.2, 0.6, 8000},  {14.5, 0.4, 0.2, 0.6, 48000},
                                     {15.0, 0.4, 0.6, 0.6, 48000}, {16.0, 0, 0, 0, 0}};
  ExpectWithinTwiceTheTranscriptionsError(Signal::kSines, events, false);
}

}  // namespace
