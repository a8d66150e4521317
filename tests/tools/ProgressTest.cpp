#include "tools/kestrune-render/Progress.h"

#include <gtest/gtest.h>

using namespace kestrune::render;

TEST(PeakText, GivesDecibelsRelativeToFullScale) {
  EXPECT_EQ(PeakText(1.0), "0.0 dBFS");
  EXPECT_EQ(PeakText(0.5), "-6.0 dBFS");    // 20 log10(0.5) = -6.02
  EXPECT_EQ(PeakText(0.1), "-20.0 dBFS");
  EXPECT_EQ(PeakText(2.0), "6.0 dBFS");
  EXPECT_EQ(PeakText(0.0), "-inf dBFS");
}

TEST(SummaryLine, ReportsFramesSecondsSpeedAndPeak) {
  RenderSummary summary;
  summary.frames = 96000;
  summary.sampleRate = 48000;
  summary.wallSeconds = 0.5;
  summary.peak = 0.5;
  EXPECT_EQ(SummaryLine(summary, "out.wav"),
            "Rendered 96000 frames (2.00 s at 48000 Hz) in 0.50 s, 4.0x real time, peak -6.0 dBFS -> out.wav");
}

TEST(SummaryLine, StatesPrerollLatencyAndTailWhenTheyAreNotZero) {
  RenderSummary summary;
  summary.frames = 96000;
  summary.sampleRate = 48000;
  summary.wallSeconds = 0.5;
  summary.peak = 0.5;
  summary.prerollFrames = 144000;
  summary.tailFrames = 24000;
  EXPECT_EQ(SummaryLine(summary, "out.wav"),
            "Rendered 96000 frames (2.00 s at 48000 Hz; pre-roll 3.00 s, tail 0.50 s) in 0.50 s, 4.0x real time, "
            "peak -6.0 dBFS -> out.wav");
  summary.prerollFrames = 0;
  summary.latencyFrames = 64;
  EXPECT_EQ(SummaryLine(summary, "out.wav"),
            "Rendered 96000 frames (2.00 s at 48000 Hz; latency 64 frames removed, tail 0.50 s) in 0.50 s, "
            "4.0x real time, peak -6.0 dBFS -> out.wav");
}

TEST(ProgressReporter, BarShowsTheShareDone) {
  EXPECT_EQ(ProgressReporter::BarText(24000, 96000, 48000),
            "[#######.......................]  25%  0.5 of 2.0 s");
  EXPECT_EQ(ProgressReporter::BarText(96000, 96000, 48000),
            "[##############################] 100%  2.0 of 2.0 s");
  EXPECT_EQ(ProgressReporter::BarText(48000, 0, 48000), "rendering... 1.0 s");
}

TEST(ProgressReporter, DrawsNothingOffATerminal) {
  std::FILE* sink = std::tmpfile();
  ASSERT_NE(sink, nullptr);
  ProgressReporter progress(sink, false, 100, 10);
  progress.Update(50);
  progress.Finish();
  EXPECT_EQ(std::ftell(sink), 0);
  std::fclose(sink);
}
