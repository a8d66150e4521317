// kestrune-render --response on Kestrune: the measured gains against the magnitude tables of its
// two tone filters, and the picture against the numbers.

#include <gtest/gtest.h>

#include <cmath>
#include <future>
#include <memory>

#include "rasterizer/lice_png.h"
#include "tests/tools/ResponseReading.h"
#include "tests/tools/ToolRunner.h"
#include "tools/kestrune-render/ResponsePlot.h"

using namespace kestrune_test;
using namespace kestrune::render;

namespace {

// The tone filters' gain tables hold the linear part at 44100 Hz, in dB at these frequencies.
constexpr double kTableHz[] = {50.0, 100.0, 1000.0, 5000.0, 10000.0};

struct TableRow {
  int circuit;  // parameter 1: 0 the first tone filter, 1 the second
  const char* hi;
  const char* lo;
  const char* out;
  double db[5];
};

constexpr TableRow kTables[] = {
    {0, "0.5", "0.5", "1", {7.5, 7.6, 0.4, 5.5, 6.4}},
    {0, "0", "0.5", "1", {8.4, 8.6, 2.9, -6.0, -8.0}},
    {0, "1", "0.5", "1", {6.6, 6.7, 0.6, 11.0, 12.1}},
    {0, "0.5", "0", "1", {-11.8, -11.1, -1.3, 5.8, 6.5}},
    {0, "0.5", "1", "1", {9.8, 9.8, -0.1, 5.5, 6.4}},
    {0, "0.5", "0.5", "0.25", {-4.6, -4.4, -11.7, -6.5, -5.6}},
    {1, "0.5", "0.5", "1", {7.5, 7.6, 0.4, 5.5, 6.4}},
    {1, "0.5", "0.5", "0.25", {-4.6, -4.4, -10.7, 0.5, 3.9}},
};

// The saturation that ends both filters is linear for small signals, with the slope of its tables'
// first step: 0.0105573675 for positive and 0.0106245941 for negative inputs, per 1 / 142.14300537109375.
// A sine meets both halves, so its fundamental sees their mean (about +3.55 dB).
double SmallSignalGainDb() {
  const double slope = (0.0105573675 + 0.0106245941) / 2.0 * 142.14300537109375;
  return 20.0 * std::log10(slope);
}

struct Measured {
  ToolResult result;
  FrequencyResponse response;
  bool read = false;
};

Measured Measure(const ScratchFolder& folder, const std::vector<std::string>& extra) {
  std::vector<std::string> args = {"--response-csv", folder.File("r.csv")};
  args.insert(args.end(), extra.begin(), extra.end());
  Measured m;
  m.result = RunTool(args, folder.Path());
  m.read = ReadResponseCsv(folder.File("r.csv"), m.response);
  return m;
}

}  // namespace

TEST(KestruneResponse, AgreesWithTheToneFiltersTablesPlusTheSaturationsSmallSignalGain) {
  std::vector<std::unique_ptr<ScratchFolder>> folders;
  std::vector<std::future<Measured>> runs;
  for (const TableRow& row : kTables) {
    folders.push_back(std::make_unique<ScratchFolder>());
    runs.push_back(std::async(std::launch::async, Measure, std::cref(*folders.back()),
                              std::vector<std::string>{"--rate", "44100", "--set", std::string("HI=") + row.hi, "--set",
                                                       std::string("LO=") + row.lo, "--set", std::string("OUT=") + row.out,
                                                       "--set", "1=" + std::to_string(row.circuit)}));
  }
  for (size_t r = 0; r < runs.size(); ++r) {
    const Measured m = runs[r].get();
    const TableRow& row = kTables[r];
    ASSERT_EQ(m.result.exitCode, 0) << m.result.err;
    ASSERT_TRUE(m.read);
    ASSERT_EQ(m.response.gainsDb.size(), 2u);
    for (size_t i = 0; i < std::size(kTableHz); ++i) {
      for (size_t c = 0; c < 2; ++c) {
        EXPECT_NEAR(GainAt(m.response, c, kTableHz[i]), row.db[i] + SmallSignalGainDb(), 0.5)
            << "circuit " << row.circuit << ", HI " << row.hi << ", LO " << row.lo << ", OUT " << row.out << ", "
            << kTableHz[i] << " Hz, channel " << c;
      }
    }
  }
}

TEST(KestruneResponse, PictureDrawsTheCurveAtTheGainsTheNumbersGive) {
  ScratchFolder folder;
  const ToolResult r = RunTool({"--response", folder.File("r.png"), "--response-csv", folder.File("r.csv"), "--set",
                                "HI=0.8", "--set", "LO=0.2"},
                               folder.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Measured the frequency response (2 channels at 48000 Hz; pre-roll 3.00 s) -> "), std::string::npos)
      << r.out;
  FrequencyResponse response;
  ASSERT_TRUE(ReadResponseCsv(folder.File("r.csv"), response));
  std::unique_ptr<LICE_IBitmap> picture(LICE_LoadPNG(folder.File("r.png").c_str()));
  ASSERT_NE(picture, nullptr);
  ASSERT_EQ(picture->getWidth(), PlotGeometry::kWidth);
  ASSERT_EQ(picture->getHeight(), PlotGeometry::kHeight);

  // Both channels are the same, so the right channel's curve covers the left one's.
  const PlotGeometry at(ChooseGainAxis(response));
  for (double hz : kTableHz) {
    const int x = static_cast<int>(std::lround(at.XForFrequency(hz)));
    const double row = InkCentre(picture.get(), x, PlotGeometry::kTop + 1, PlotGeometry::kBottom - 1, kCurveColours[1]);
    EXPECT_NEAR(row, at.YForGain(GainAt(response, 1, ColumnFrequency(x))), 0.35) << hz << " Hz";
  }
}
