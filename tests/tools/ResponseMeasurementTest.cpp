// The response measurement's parts: the sweep's deconvolution against filters whose gains are known
// in closed form, the reported frequencies and numbers, and the picture's gain axis.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>

#include "tools/kestrune-render/LogSweep.h"
#include "tools/kestrune-render/ResponseMeasurement.h"
#include "tools/kestrune-render/ResponsePlot.h"
#include "tools/kestrune-render/SweepDeconvolver.h"

using namespace kestrune::render;

namespace {

// A biquad section: b0 + b1 z^-1 + b2 z^-2 over 1 + a1 z^-1 + a2 z^-2.
struct Biquad {
  double b0, b1, b2, a1, a2;

  // A peaking equaliser (the well-known audio cookbook form): gainDb at f0, bandwidth set by q.
  static Biquad Peak(double f0, double gainDb, double q, int rate) {
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w = 2.0 * M_PI * f0 / rate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double a0 = 1.0 + alpha / a;
    return {(1.0 + alpha * a) / a0, -2.0 * std::cos(w) / a0, (1.0 - alpha * a) / a0, -2.0 * std::cos(w) / a0,
            (1.0 - alpha / a) / a0};
  }

  // The gain at hz, from the transfer function on the unit circle.
  double Gain(double hz, int rate) const {
    const std::complex<double> z1 = std::polar(1.0, -2.0 * M_PI * hz / rate);
    return std::abs((b0 + b1 * z1 + b2 * z1 * z1) / (1.0 + a1 * z1 + a2 * z1 * z1));
  }

  std::vector<double> Filter(const std::vector<double>& x) const {
    std::vector<double> y(x.size());
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (size_t n = 0; n < x.size(); ++n) {
      y[n] = b0 * x[n] + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
      x2 = x1, x1 = x[n], y2 = y1, y1 = y[n];
    }
    return y;
  }
};

// The sweep followed by silence, as long as the recording of a system delayed by delay frames.
std::vector<double> PaddedSweep(const LogSweep& sweep, int64_t delay) {
  std::vector<double> x = sweep.Samples();
  x.resize(static_cast<size_t>(SweepDeconvolver::FramesToRecord(sweep, delay)), 0.0);
  return x;
}

std::vector<double> Delayed(const std::vector<double>& x, int64_t frames) {
  std::vector<double> y(x.size(), 0.0);
  std::copy(x.begin(), x.end() - frames, y.begin() + frames);
  return y;
}

}  // namespace

TEST(SweepDeconvolver, RecoversTheGainsOfRandomEqualisersAtEveryReportedFrequency) {
  std::mt19937 random(15);
  std::uniform_real_distribution<double> logHz(std::log(30.0), std::log(15000.0)), gainDb(-15.0, 15.0),
      q(0.5, 4.0);
  std::uniform_int_distribution<int> delay(0, 300);
  for (int rate : {44100, 48000, 96000}) {
    const LogSweep sweep(rate);
    for (int trial = 0; trial < 2; ++trial) {
      const Biquad first = Biquad::Peak(std::exp(logHz(random)), gainDb(random), q(random), rate);
      const Biquad second = Biquad::Peak(std::exp(logHz(random)), gainDb(random), q(random), rate);
      const int64_t late = delay(random);
      const std::vector<double> recording = Delayed(second.Filter(first.Filter(PaddedSweep(sweep, late))), late);
      SweepDeconvolver deconvolver(sweep, static_cast<int64_t>(recording.size()));
      const std::vector<double> frequencies = ResponseFrequencies(sweep.EndHz());
      const std::vector<double> measured = deconvolver.GainsDb(recording, late, frequencies);
      for (size_t i = 0; i < frequencies.size(); ++i) {
        const double f = frequencies[i];
        const double expected = 20.0 * std::log10(first.Gain(f, rate) * second.Gain(f, rate));
        ASSERT_NEAR(measured[i], expected, 0.02) << f << " Hz at " << rate << " Hz, trial " << trial;
      }
    }
  }
}

TEST(SweepDeconvolver, LeavesOutHarmonicsANonLinearSystemAdds) {
  // Harmonics 2 and 3 of the sweep, each at a third of its level, are what a strongly distorting
  // stage adds; the exponential sweep places their responses before the window.
  constexpr int kRate = 48000;
  const LogSweep sweep(kRate);
  std::vector<double> recording = PaddedSweep(sweep, 0);
  const double growth = LogSweep::kSeconds / std::log(sweep.EndHz() / LogSweep::kStartHz);
  const double amplitude = std::pow(10.0, LogSweep::kLevelDbfs / 20.0);
  for (int64_t n = 0; n < sweep.Frames(); ++n) {
    const double t = static_cast<double>(n) / kRate;
    const double phase = 2.0 * M_PI * LogSweep::kStartHz * growth * std::expm1(t / growth);
    const double fade = std::min({1.0, t / 0.05, (LogSweep::kSeconds - t) / 0.01});
    const double hz = LogSweep::kStartHz * std::exp(t / growth);
    // Each harmonic fades out before the top of the band, as behind an oversampled stage's filter:
    // what folds back from above it would be no harmonic of the sweep's frequency.
    auto below = [&](int k) { return std::clamp((0.45 * kRate - k * hz) / (0.05 * kRate), 0.0, 1.0); };
    recording[static_cast<size_t>(n)] +=
        amplitude / 3.0 * fade * (below(2) * std::sin(2.0 * phase) + below(3) * std::sin(3.0 * phase));
  }
  SweepDeconvolver deconvolver(sweep, static_cast<int64_t>(recording.size()));
  const std::vector<double> frequencies = ResponseFrequencies(sweep.EndHz());
  const std::vector<double> measured = deconvolver.GainsDb(recording, 0, frequencies);
  for (size_t i = 0; i < frequencies.size(); ++i) ASSERT_NEAR(measured[i], 0.0, 0.02) << frequencies[i] << " Hz";
}

TEST(SweepDeconvolver, ReadsSilenceAsTheFloor) {
  const LogSweep sweep(8000);
  const std::vector<double> silence(static_cast<size_t>(SweepDeconvolver::FramesToRecord(sweep, 0)), 0.0);
  SweepDeconvolver deconvolver(sweep, static_cast<int64_t>(silence.size()));
  for (double db : deconvolver.GainsDb(silence, 0, ResponseFrequencies(sweep.EndHz()))) EXPECT_NEAR(db, -240.0, 1e-9);
}

TEST(ResponseFrequencies, RunFromTwentyHertzToTheTopAtEvenLogarithmicSteps) {
  const std::vector<double> full = ResponseFrequencies(24000.0);
  ASSERT_EQ(full.size(), 3u * kResponsePointsPerDecade + 1);
  EXPECT_DOUBLE_EQ(full.front(), 20.0);
  EXPECT_NEAR(full[kResponsePointsPerDecade], 200.0, 1e-9);
  EXPECT_NEAR(full.back(), 20000.0, 1e-9);
  for (size_t i = 1; i < full.size(); ++i) {
    EXPECT_NEAR(full[i] / full[i - 1], std::pow(10.0, 1.0 / kResponsePointsPerDecade), 1e-12);
  }
  // A sweep that ends early (a low sample rate) cuts the list there.
  const std::vector<double> low = ResponseFrequencies(3840.0);
  EXPECT_LE(low.back(), 3840.0);
  EXPECT_GT(low.back() * std::pow(10.0, 1.0 / kResponsePointsPerDecade), 3840.0);
}

TEST(ResponseCsvText, NamesTheChannelsAndRoundsTheNumbers) {
  FrequencyResponse stereo;
  stereo.frequencies = {20.0, 1234.5678};
  stereo.gainsDb = {{-1.23456, 0.0}, {12.0, -240.0}};
  EXPECT_EQ(ResponseCsvText(stereo), "frequency_hz,left_db,right_db\n20.00,-1.235,12.000\n1234.57,0.000,-240.000\n");
  FrequencyResponse mono;
  mono.frequencies = {100.0};
  mono.gainsDb = {{3.5}};
  EXPECT_EQ(ResponseCsvText(mono), "frequency_hz,mono_db\n100.00,3.500\n");
}

TEST(ChooseGainAxis, ShowsEveryGainOnAFewRoundDivisions) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> level(-100.0, 40.0), spread(0.0, 130.0);
  for (int trial = 0; trial < 500; ++trial) {
    const double low = level(random);
    const double high = low + spread(random) * (trial % 5 == 0 ? 0.01 : 1.0);
    FrequencyResponse response;
    response.frequencies = {20.0, 1000.0, 20000.0};
    response.gainsDb = {{low, (low + high) / 2, high}};
    const GainAxis axis = ChooseGainAxis(response);
    const double divisions = (axis.top - axis.bottom) / axis.step;
    EXPECT_NEAR(divisions, std::round(divisions), 1e-9);
    EXPECT_LE(divisions, 8.0 + 1e-9);
    EXPECT_GE(axis.top - axis.bottom, 12.0);
    EXPECT_GT(axis.top, high);
    EXPECT_LT(axis.bottom, std::max(low, high - kGainAxisDeepest));
    const std::vector<double> steps = {1.0, 2.0, 3.0, 6.0, 10.0, 20.0, 30.0};
    EXPECT_NE(std::find(steps.begin(), steps.end(), axis.step), steps.end()) << axis.step;
  }
}
