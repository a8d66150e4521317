// kestrune-render --response and --response-csv on test and third-party modules: gains known in
// closed form, latency, and what cannot be measured or written.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "rasterizer/lice_png.h"
#include "tests/tools/ResponseReading.h"
#include "tests/tools/ToolRunner.h"
#include "tools/kestrune-render/ResponsePlot.h"

using namespace kestrune_test;
using namespace kestrune::render;

namespace {

class ResponseTool : public ::testing::Test {
 protected:
  ToolResult Run(const std::vector<std::string>& args) { return RunTool(args, scratch.Path()); }
  FrequencyResponse Read(const std::string& name) {
    FrequencyResponse response;
    EXPECT_TRUE(ReadResponseCsv(scratch.File(name), response));
    return response;
  }
  ScratchFolder scratch;
};

}  // namespace

TEST_F(ResponseTool, MeasuresEachChannelApartAndDrawsBoth) {
  // Left passes its input; right averages two neighbouring samples, a gain of cos(pi f / rate).
  const ToolResult r = Run({"--plugin", CHANNEL_FILTER_EFFECT_PATH, "--rate", "44100", "--response-csv",
                            scratch.File("r.csv"), "--response", scratch.File("r.png")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const FrequencyResponse response = Read("r.csv");
  ASSERT_EQ(response.gainsDb.size(), 2u);
  ASSERT_GT(response.frequencies.size(), 400u);
  for (size_t i = 0; i < response.frequencies.size(); ++i) {
    const double f = response.frequencies[i];
    ASSERT_NEAR(response.gainsDb[0][i], 0.0, 0.01) << f;
    ASSERT_NEAR(response.gainsDb[1][i], 20.0 * std::log10(std::cos(M_PI * f / 44100.0)), 0.01) << f;
  }

  std::unique_ptr<LICE_IBitmap> picture(LICE_LoadPNG(scratch.File("r.png").c_str()));
  ASSERT_NE(picture, nullptr);
  // Where the curves part, each column's ink centres on the gain at the column.
  const PlotGeometry at(ChooseGainAxis(response));
  for (double hz : {6000.0, 12000.0, 16000.0}) {
    const int x = static_cast<int>(std::lround(at.XForFrequency(hz)));
    for (size_t c = 0; c < 2; ++c) {
      const double row = InkCentre(picture.get(), x, PlotGeometry::kTop + 1, PlotGeometry::kBottom - 1, kCurveColours[c]);
      EXPECT_NEAR(row, at.YForGain(GainAt(response, c, ColumnFrequency(x))), 0.35) << hz << " Hz, channel " << c;
    }
  }
}

TEST_F(ResponseTool, ReportedLatencyLeavesTheResponseFlat) {
  // The delay module answers 100 frames late and says so; a gain of exactly 1 at every frequency.
  for (const char* precision : {"--block=512", "--double"}) {
    const ToolResult r = Run({"--plugin", DELAY_EFFECT_PATH, "--response-csv", scratch.File("r.csv"), precision});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("latency 100 frames removed"), std::string::npos) << r.out;
    const FrequencyResponse response = Read("r.csv");
    for (const std::vector<double>& gains : response.gainsDb) {
      for (double db : gains) ASSERT_NEAR(db, 0.0, 0.01) << precision;
    }
  }
}

TEST_F(ResponseTool, RefusesWhatCannotBeMeasuredOrWrittenAndLeavesNoFile) {
  const std::vector<std::string> before = scratch.Entries();
  // The fake effect logs its calls elsewhere: a file that cannot be written stops the tool before
  // it loads the plug-in to measure.
  ScratchFolder logs;
  const std::string log = logs.File("fake.log");
  auto expectFailure = [&](const std::vector<std::string>& args, const std::string& message) {
    const ToolResult r = RunTool(args, scratch.Path(), {"KESTRUNE_FAKE_EFFECT_LOG=" + log});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_EQ(scratch.Entries(), before);
  };
  // An instrument has no inputs to feed the sweep to.
  expectFailure({"--plugin", "/usr/lib/vst/Kars-vst.so", "--response", scratch.File("r.png")},
                "the plug-in has no audio inputs, so it has no frequency response to measure");
  expectFailure({"--plugin", FAKE_EFFECT_PATH, "--response", scratch.File("missing/r.png")},
                "cannot write \"" + scratch.File("missing/r.png") + "\"");
  expectFailure({"--plugin", FAKE_EFFECT_PATH, "--response-csv", scratch.File("missing/r.csv")},
                "cannot write \"" + scratch.File("missing/r.csv") + "\"");
  expectFailure({"--plugin", FAKE_EFFECT_PATH, "--response", scratch.Path()}, "names a folder");
  EXPECT_EQ(logs.Entries(), std::vector<std::string>{}) << "the plug-in was loaded";
}
