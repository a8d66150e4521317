#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <random>
#include <vector>

#include "effect/KestB.h"
#include "effect/KestF.h"

namespace {

using Complex = std::complex<double>;
const double kPi = std::acos(-1.0);
const double kInputGain = std::pow(10.0, -57.0 / 20.0);

// Gain of the linear part (input gain, numerator over denominator) at frequency hz, from the
// filter's current coefficients.
template <class Filter>
Complex DigitalResponse(const Filter& filter, double fs, double hz) {
  const KestState& s = filter.State();
  const Complex zInv = std::polar(1.0, -2.0 * kPi * hz / fs);
  Complex num = 0.0;
  Complex den = 0.0;
  Complex power = 1.0;
  for (int k = 0; k <= 6; ++k) {
    num += s.b[k] * power;
    den += s.a[k] * power;
    power *= zInv;
  }
  return kInputGain * num / den;
}

template <class Filter>
double MagnitudeDb(double fs, double h, double l, double o, double hz) {
  Filter filter;
  filter.Calc(fs, h, l, o);
  return 20.0 * std::log10(std::abs(DigitalResponse(filter, fs, hz)));
}

// The analogue prototype evaluated directly at the frequency the bilinear transform maps hz to.
template <class Filter>
Complex AnalogResponse(const std::vector<double>& numTerms, const std::vector<double>& denTerms,
                       double fs, double hz) {
  const Complex s(0.0, 2.0 * fs * std::tan(kPi * hz / fs));
  Complex num = 0.0;
  Complex den = 0.0;
  for (int p = Filter::kOrder; p >= 0; --p) {
    double n = 0.0;
    double d = 0.0;
    for (size_t j = 0; j < numTerms.size(); ++j) n += Filter::kNum[j][p] * numTerms[j];
    for (size_t j = 0; j < denTerms.size(); ++j) d += Filter::kDen[j][p] * denTerms[j];
    num = num * s + n;
    den = den * s + d;
  }
  return kInputGain * num / den;
}

// Near DC the response rests on heavy cancellation among the direct-form coefficients, so only
// a few digits survive there.
double Tolerance(double hz) { return hz < 100 ? 1e-3 : 1e-5; }

struct MagnitudeRow {
  double hi, lo, out;
  double db[5];
};
const double kTableHz[5] = {50, 100, 1000, 5000, 10000};

template <class Filter>
void ExpectMagnitudeTable(const MagnitudeRow (&rows)[6]) {
  for (const MagnitudeRow& row : rows) {
    for (int f = 0; f < 5; ++f) {
      // The table is rounded to 0.1 dB.
      EXPECT_NEAR(MagnitudeDb<Filter>(44100, row.hi, 1 - row.lo, row.out, kTableHz[f]),
                  row.db[f], 0.0501)
          << "HI " << row.hi << " LO " << row.lo << " OUT " << row.out << " at " << kTableHz[f];
    }
  }
}

template <class Filter>
std::vector<double> Render(Filter& filter, const std::vector<double>& input) {
  std::vector<double> out;
  for (double x : input) out.push_back(filter.Process(x));
  return out;
}

std::vector<double> Noise(int n, double level, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-level, level);
  std::vector<double> v(n);
  for (double& x : v) x = u(rng);
  return v;
}

TEST(KestState, InputGainIsMinus57Decibels) { EXPECT_DOUBLE_EQ(kKestInputGain, kInputGain); }

TEST(KestF, StartsAtZero) {
  KestF f;
  const double* raw = &f.State().x0;
  for (int i = 0; i < 28; ++i) EXPECT_EQ(raw[i], 0.0);
  EXPECT_EQ(sizeof(KestState), 28 * sizeof(double));
}

TEST(KestF, CoefficientsAtCentredKnobs) {
  KestF f;
  f.Calc(44100, 0.5, 0.5, 1.0);
  const double a[6] = {0.664822, -3.07226, 5.65655, -5.18425, 2.36378, -0.428642};
  const double b[6] = {913.595, -4377.95, 8401.99, -8074.14, 3886.16, -749.649};
  for (int k = 0; k < 6; ++k) {
    EXPECT_NEAR(f.State().a[k], a[k], 5e-6 * std::fabs(a[k])) << k;
    EXPECT_NEAR(f.State().b[k], b[k], 5e-6 * std::fabs(b[k])) << k;
  }
  EXPECT_EQ(f.State().a[6], 0.0);
  EXPECT_EQ(f.State().b[6], 0.0);
}

TEST(KestF, MagnitudeTableAt44100) {
  const MagnitudeRow rows[6] = {
      {0.5, 0.5, 1, {7.5, 7.6, 0.4, 5.5, 6.4}},
      {0, 0.5, 1, {8.4, 8.6, 2.9, -6.0, -8.0}},
      {1, 0.5, 1, {6.6, 6.7, 0.6, 11.0, 12.1}},
      {0.5, 0, 1, {-11.8, -11.1, -1.3, 5.8, 6.5}},
      {0.5, 1, 1, {9.8, 9.8, -0.1, 5.5, 6.4}},
      {0.5, 0.5, 0.25, {-4.6, -4.4, -11.7, -6.5, -5.6}},
  };
  ExpectMagnitudeTable<KestF>(rows);
}

TEST(KestF, MatchesItsAnaloguePrototypeThroughTheBilinearMap) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (double fs : {44100.0, 96000.0}) {
    for (int trial = 0; trial < 20; ++trial) {
      const double h = u(rng), l = u(rng), o = u(rng);
      KestF f;
      f.Calc(fs, h, l, o);
      const std::vector<double> num = {o, l * o, h * o, h * l * o};
      const std::vector<double> den = {1, l, h, h * l, h * h, h * h * l};
      for (double hz : {60.0, 440.0, 3000.0, 15000.0}) {
        const Complex expected = AnalogResponse<KestF>(num, den, fs, hz);
        const double error = std::abs(DigitalResponse(f, fs, hz) - expected);
        EXPECT_LT(error, Tolerance(hz) * std::abs(expected))
            << fs << " " << h << " " << l << " " << o << " " << hz;
      }
    }
  }
}

// A constant input is heard at first, then the zero at DC takes it away entirely.
template <class Filter>
void ExpectConstantInputDecaysToZero(double level) {
  Filter f;
  f.Calc(44100, 0.5, 0.5, 1.0);
  const std::vector<double> out = Render(f, std::vector<double>(5 * 44100, level));
  EXPECT_GT(std::fabs(out[100]), 1e-3);
  EXPECT_LT(std::fabs(out.back()), 1e-9);
}

// OUT at 0 removes the input from the numerator, so whatever state loud noise left behind dies out.
template <class Filter>
void ExpectZeroOutputLevelDecaysToSilence(double fs, double h, double l, double o, unsigned seed) {
  Filter f;
  f.Calc(fs, h, l, o);
  Render(f, Noise(int(fs), 100.0, seed));
  f.Calc(fs, h, l, 0.0);
  for (int k = 0; k <= 6; ++k) EXPECT_EQ(f.State().b[k], 0.0);
  const std::vector<double> out = Render(f, Noise(6 * int(fs), 100.0, seed + 1));
  EXPECT_LT(std::fabs(out.back()), 1e-9);
}

TEST(KestF, ConstantInputDecaysToZero) { ExpectConstantInputDecaysToZero<KestF>(0.5); }

TEST(KestF, ZeroOutputLevelDecaysToSilenceFromAnyState) {
  ExpectZeroOutputLevelDecaysToSilence<KestF>(48000, 0.3, 0.8, 1.0, 1);
}

template <class Filter>
void ExpectOutputBoundedForHugeInputs() {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> knob(0.0, 1.0);
  Filter filter;
  double largest = 0.0;
  for (int block = 0; block < 40; ++block) {
    filter.Calc(44100, knob(rng), knob(rng), knob(rng));
    for (double x : Noise(2000, 1e6, block)) {
      largest = std::max(largest, std::fabs(filter.Process(x)));
    }
    for (int i = 0; i < 500; ++i) {
      largest = std::max(largest, std::fabs(filter.Process(i % 2 ? 1e6 : -1e6)));
    }
  }
  EXPECT_LE(largest, 0.4359269142150879);
  EXPECT_GT(largest, 0.35);
}

TEST(KestF, OutputNeverExceedsTheSaturationLimit) { ExpectOutputBoundedForHugeInputs<KestF>(); }

template <class Filter>
void ExpectRecoveryFromNonFiniteInput(double bad) {
  const std::vector<double> before = Noise(3000, 0.5, 11);
  const std::vector<double> after = Noise(3000, 0.5, 12);
  Filter hit, fresh;
  hit.Calc(44100, 0.6, 0.4, 0.9);
  fresh.Calc(44100, 0.6, 0.4, 0.9);
  Render(hit, before);
  EXPECT_EQ(hit.Process(bad), 0.0);
  // The bad sample leaves nothing behind: the filter continues as if it had just been created.
  EXPECT_EQ(Render(hit, after), Render(fresh, after));
}

TEST(KestF, RecoversFromANonFiniteInputSample) {
  ExpectRecoveryFromNonFiniteInput<KestF>(std::numeric_limits<double>::quiet_NaN());
  ExpectRecoveryFromNonFiniteInput<KestF>(std::numeric_limits<double>::infinity());
  ExpectRecoveryFromNonFiniteInput<KestF>(-std::numeric_limits<double>::infinity());
}

TEST(KestF, ProcessBeforeCalcYieldsSilenceInsteadOfPoison) {
  KestF f;
  EXPECT_EQ(f.Process(0.5), 0.0);
  f.Calc(44100, 0.5, 0.5, 1.0);
  EXPECT_NE(f.Process(0.5), 0.0);
}

TEST(KestB, CoefficientsAtCentredKnobs) {
  KestB f;
  f.Calc(44100, 0.5, 0.5, 1.0);
  const double a[7] = {0.162454, -0.588274, 0.631489, 0.11541, -0.689201, 0.472864, -0.104742};
  const double b[7] = {223.243, -846.541, 983.302, 80.1117, -1023.36, 766.429, -183.182};
  for (int k = 0; k < 7; ++k) {
    EXPECT_NEAR(f.State().a[k], a[k], 5e-6 * std::fabs(a[k])) << k;
    EXPECT_NEAR(f.State().b[k], b[k], 5e-6 * std::fabs(b[k])) << k;
  }
}

TEST(KestB, MagnitudeTableAt44100) {
  const MagnitudeRow rows[6] = {
      {0.5, 0.5, 1, {7.5, 7.6, 0.4, 5.5, 6.4}},
      {0, 0.5, 1, {8.4, 8.6, 2.9, -6.0, -8.0}},
      {1, 0.5, 1, {6.6, 6.7, 0.6, 11.0, 12.1}},
      {0.5, 0, 1, {-11.8, -11.1, -1.3, 5.8, 6.5}},
      {0.5, 1, 1, {9.8, 9.8, -0.1, 5.5, 6.4}},
      {0.5, 0.5, 0.25, {-4.6, -4.4, -10.7, 0.5, 3.9}},
  };
  ExpectMagnitudeTable<KestB>(rows);
}

TEST(KestB, MatchesItsAnaloguePrototypeThroughTheBilinearMap) {
  std::mt19937 rng(8);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (double fs : {44100.0, 96000.0}) {
    for (int trial = 0; trial < 20; ++trial) {
      const double h = u(rng), l = u(rng), o = u(rng);
      KestB f;
      f.Calc(fs, h, l, o);
      const double oo = o * o, hh = h * h;
      const std::vector<double> num = {o, oo, l * o, l * oo, h * o, h * oo, h * l * o, h * l * oo};
      const std::vector<double> den = {1,     o,      oo,         l,      l * o,       l * oo,
                                       h,     h * o,  h * l,      h * l * o, hh,       hh * o,
                                       hh * l, hh * l * o};
      for (double hz : {60.0, 440.0, 3000.0, 15000.0}) {
        const Complex expected = AnalogResponse<KestB>(num, den, fs, hz);
        const double error = std::abs(DigitalResponse(f, fs, hz) - expected);
        EXPECT_LT(error, Tolerance(hz) * std::abs(expected))
            << fs << " " << h << " " << l << " " << o << " " << hz;
      }
    }
  }
}

TEST(KestB, RespondsLikeKestFAtFullOutputLevel) {
  for (int hi = 0; hi <= 4; ++hi) {
    for (int lo = 0; lo <= 4; ++lo) {
      for (double hz : {30.0, 200.0, 1000.0, 4000.0, 12000.0, 20000.0}) {
        const double h = hi / 4.0, l = lo / 4.0;
        EXPECT_NEAR(MagnitudeDb<KestB>(48000, h, l, 1.0, hz),
                    MagnitudeDb<KestF>(48000, h, l, 1.0, hz), 1e-3)
            << h << " " << l << " " << hz;
      }
    }
  }
}

TEST(KestB, KeepsTheTrebleAsTheOutputLevelFalls) {
  const double bright5k = MagnitudeDb<KestB>(44100, 0.5, 0.5, 0.25, 5000);
  const double plain5k = MagnitudeDb<KestF>(44100, 0.5, 0.5, 0.25, 5000);
  const double bright10k = MagnitudeDb<KestB>(44100, 0.5, 0.5, 0.25, 10000);
  const double plain10k = MagnitudeDb<KestF>(44100, 0.5, 0.5, 0.25, 10000);
  EXPECT_NEAR(bright5k - plain5k, 7.0, 0.1);
  EXPECT_NEAR(bright10k - plain10k, 9.5, 0.1);
  for (double hz : {30.0, 100.0, 250.0, 500.0}) {
    EXPECT_LT(std::fabs(MagnitudeDb<KestB>(44100, 0.5, 0.5, 0.25, hz) -
                        MagnitudeDb<KestF>(44100, 0.5, 0.5, 0.25, hz)),
              0.5)
        << hz;
  }
}

TEST(KestB, ConstantInputDecaysToZero) { ExpectConstantInputDecaysToZero<KestB>(-0.5); }

TEST(KestB, ZeroOutputLevelDecaysToSilenceFromAnyState) {
  ExpectZeroOutputLevelDecaysToSilence<KestB>(96000, 0.9, 0.1, 0.7, 4);
}

TEST(KestB, OutputNeverExceedsTheSaturationLimit) { ExpectOutputBoundedForHugeInputs<KestB>(); }

TEST(KestB, RecoversFromANonFiniteInputSample) {
  ExpectRecoveryFromNonFiniteInput<KestB>(std::numeric_limits<double>::quiet_NaN());
  ExpectRecoveryFromNonFiniteInput<KestB>(std::numeric_limits<double>::infinity());
}

}  // namespace
