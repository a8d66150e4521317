#include "effect/KestLanes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "effect/KestSmoother.h"

namespace {

bool SameBits(const KestState& a, const KestState& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(KestLanes, EveryLaneIsBitIdenticalToItsFilterObject) {
  std::mt19937 rng(21);
  std::uniform_real_distribution<double> knob(0.0, 1.0);
  std::uniform_real_distribution<double> audio(-1.0, 1.0);
  KestLanes lanes;
  KestF firstL, firstR;
  KestB secondL, secondR;
  for (double fs : {44100.0, 96000.0, 8000.0}) {
    for (int frame = 0; frame < 3000; ++frame) {
      double h[4], l[4], o[4];
      for (int i = 0; i < 4; ++i) h[i] = knob(rng), l[i] = knob(rng), o[i] = knob(rng);
      lanes.Calc(fs, h, l, o);
      firstL.Calc(fs, h[0], l[0], o[0]);
      firstR.Calc(fs, h[1], l[1], o[1]);
      secondL.Calc(fs, h[2], l[2], o[2]);
      secondR.Calc(fs, h[3], l[3], o[3]);
      double left = audio(rng), right = audio(rng);
      if (frame == 1000) left = std::numeric_limits<double>::quiet_NaN();
      if (frame == 2001) right = std::numeric_limits<double>::infinity();
      const double fL = firstL.Process(left), fR = firstR.Process(right);
      const double bL = secondL.Process(left), bR = secondR.Process(right);
      // Circuit 2 selects nothing: the outputs must stay untouched.
      const int circuit = frame % 3;
      double out[2] = {-7.0, -7.0};
      lanes.Process(left, right, circuit, out);
      ASSERT_TRUE(SameBits(out[0], circuit == 0 ? fL : circuit == 1 ? bL : -7.0)) << frame;
      ASSERT_TRUE(SameBits(out[1], circuit == 0 ? fR : circuit == 1 ? bR : -7.0)) << frame;
    }
    EXPECT_TRUE(SameBits(lanes.State(KestLanes::kFirstLeft), firstL.State()));
    EXPECT_TRUE(SameBits(lanes.State(KestLanes::kFirstRight), firstR.State()));
    EXPECT_TRUE(SameBits(lanes.State(KestLanes::kSecondLeft), secondL.State()));
    EXPECT_TRUE(SameBits(lanes.State(KestLanes::kSecondRight), secondR.State()));
  }
}

TEST(KestLanes, FramesComputedTogetherMatchFramesComputedOneByOne) {
  std::mt19937 rng(22);
  std::uniform_real_distribution<double> knob(0.0, 1.0);
  for (int frames = 1; frames <= KestLanes::FramesPerCalc(); ++frames) {
    KestLanes lanes;
    KestF firstL, firstR;
    KestB secondL, secondR;
    for (int call = 0; call < 50; ++call) {
      double h[16], l[16], o[16];
      for (int i = 0; i < 16; ++i) h[i] = knob(rng), l[i] = knob(rng), o[i] = knob(rng);
      lanes.CalcFrames(48000, frames, h, l, o);
      for (int f = 0; f < frames; ++f) {
        if (f > 0) lanes.NextFrame();
        firstL.Calc(48000, h[4 * f], l[4 * f], o[4 * f]);
        firstR.Calc(48000, h[4 * f + 1], l[4 * f + 1], o[4 * f + 1]);
        secondL.Calc(48000, h[4 * f + 2], l[4 * f + 2], o[4 * f + 2]);
        secondR.Calc(48000, h[4 * f + 3], l[4 * f + 3], o[4 * f + 3]);
        double out[2];
        lanes.Process(0.3, -0.2, f % 2, out);
        firstL.Process(0.3);
        firstR.Process(-0.2);
        secondL.Process(0.3);
        secondR.Process(-0.2);
        ASSERT_TRUE(SameBits(lanes.State(KestLanes::kFirstLeft), firstL.State())) << frames;
        ASSERT_TRUE(SameBits(lanes.State(KestLanes::kFirstRight), firstR.State())) << frames;
        ASSERT_TRUE(SameBits(lanes.State(KestLanes::kSecondLeft), secondL.State())) << frames;
        ASSERT_TRUE(SameBits(lanes.State(KestLanes::kSecondRight), secondR.State())) << frames;
      }
    }
  }
}

// A target of exactly 0 is the exception: the state then decays geometrically through the whole
// exponent range, which takes minutes.
TEST(KestSmoother, SettlesOnAFixedPointAndStaysThere) {
  for (double fs : {44100.0, 96000.0}) {
    for (double target : {0.37, 1.0, 0.999999, 0.001}) {
      KestSmoother s;
      s.a = std::exp((0.1 / fs) * -6.283185307179586);
      s.g = 1.0 - s.a;
      s.z = 1.0 - target;
      long steps = 0;
      double before;
      do {
        before = s.z;
        s.Step(target);
      } while (s.z != before && ++steps < 100000000);
      // About 36 time constants of four steps per frame at most: the distance shrinks to well
      // under one rounding step long before that.
      EXPECT_LT(steps, 36 * 0.398 * 4 * fs) << fs << " " << target;
      EXPECT_NEAR(s.z, target, 1e-9);
      for (int i = 0; i < 1000; ++i) ASSERT_EQ(s.Step(target), before);
    }
  }
}

}  // namespace
