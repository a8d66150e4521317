#include "tools/kestrune-render/DemoSignal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace kestrune::render;

TEST(DemoSignal, LastsEightSecondsOfStereoAtTheGivenRate) {
  EXPECT_EQ(DemoSignal(48000).Frames(), 8 * 48000);
  EXPECT_EQ(DemoSignal(44100).Frames(), 8 * 44100);
  EXPECT_EQ(DemoSignal(44100).Channels(), 2);
  EXPECT_EQ(DemoSignal(44100).SampleRate(), 44100);
}

TEST(DemoSignal, StaysBelowMinusThreeDbfsAndIsNeverSilentForLong) {
  DemoSignal demo(48000);
  std::vector<double> all(static_cast<size_t>(2 * demo.Frames()));
  std::string error;
  ASSERT_EQ(demo.Read(all.data(), demo.Frames(), error), demo.Frames());
  double peak = 0.0;
  for (double v : all) peak = std::max(peak, std::fabs(v));
  EXPECT_LT(peak, 0.708);  // -3 dBFS
  EXPECT_GT(peak, 0.25);
  // Every tenth of a second outside the sweep's fades carries signal.
  for (int64_t start = 0; start + 4800 <= demo.Frames(); start += 4800) {
    double energy = 0.0;
    for (int64_t f = start; f < start + 4800; ++f) energy += all[static_cast<size_t>(2 * f)] * all[static_cast<size_t>(2 * f)];
    EXPECT_GT(energy, 1e-4) << "silent at frame " << start;
  }
}

TEST(DemoSignal, ReadsInPiecesTheSameInBothPrecisionsAndEndsCleanly) {
  DemoSignal a(22050);
  DemoSignal b(22050);
  std::vector<float> single(2 * 1000);
  std::vector<double> twice(2 * 1000);
  std::string error;
  int64_t total = 0;
  for (;;) {
    const int64_t got = a.Read(single.data(), 1000, error);
    ASSERT_EQ(b.Read(twice.data(), 1000, error), got);
    if (got == 0) break;
    for (int64_t i = 0; i < 2 * got; ++i) ASSERT_EQ(single[static_cast<size_t>(i)], static_cast<float>(twice[static_cast<size_t>(i)]));
    total += got;
  }
  EXPECT_EQ(total, a.Frames());
  EXPECT_EQ(a.Read(single.data(), 1000, error), 0);
}
