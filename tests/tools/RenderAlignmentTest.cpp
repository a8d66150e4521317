// kestrune-render lining its output up as a DAW's export does, checked with test modules of known
// latency (100 frames) and known tail (a feedback echo whose tail halves every twentieth of a second).

#include <gtest/gtest.h>

#include <cmath>

#include "tests/tools/ToolRunner.h"

using namespace kestrune_test;

namespace {

constexpr int kRate = 44100;
constexpr long kLatency = 100;       // the delay module's
constexpr long kEcho = kRate / 20;   // the echo module's echo period at kRate
constexpr double kQuiet = 1e-6;      // -120 dBFS

class RenderAlignment : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(scratch.Path().empty()); }
  ToolResult Run(std::vector<std::string> args) { return RunTool(args, scratch.Path()); }
  // Writes a test signal as in.wav and returns it as the file holds it.
  Audio Input(long frames, int rate = kRate, long silentFrames = 0) {
    Audio in = TestSignal(2, frames, rate);
    in.samples.resize(in.samples.size() + static_cast<size_t>(2 * silentFrames), 0.0);
    EXPECT_TRUE(WriteAudio(scratch.File("in.wav"), in));
    Audio stored;
    EXPECT_TRUE(ReadAudio(scratch.File("in.wav"), stored));
    return stored;
  }
  // Renders in.wav through module with args and returns the output; fails the test on a failed run.
  Audio Render(const std::string& module, std::vector<std::string> args, ToolResult* result = nullptr) {
    args.insert(args.begin(), {scratch.File("in.wav"), "-o", scratch.File("out.wav"), "--plugin", module});
    const ToolResult r = Run(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    if (result != nullptr) *result = r;
    Audio out;
    EXPECT_TRUE(ReadAudio(scratch.File("out.wav"), out));
    return out;
  }
  ScratchFolder scratch;
};

// The input delayed by shift frames, over frames frames (silence before and after it).
std::vector<double> Shifted(const Audio& in, long shift, long frames) {
  std::vector<double> out(static_cast<size_t>(frames * in.channels), 0.0);
  for (long f = 0; f < frames; ++f) {
    if (f - shift < 0 || f - shift >= in.Frames()) continue;
    for (int c = 0; c < in.channels; ++c) out[static_cast<size_t>(f * in.channels + c)] = in.At(f - shift, c);
  }
  return out;
}

// The echo module's output after its input stops: each sample is exactly half the one an echo earlier.
void ExpectHalvingTail(const Audio& out, long inputFrames, long echo) {
  for (long f = inputFrames; f < out.Frames(); ++f) {
    for (int c = 0; c < out.channels; ++c) ASSERT_EQ(out.At(f, c), 0.5 * out.At(f - echo, c)) << f;
  }
}

long LastLoudFrame(const Audio& out) {
  for (long f = out.Frames() - 1; f >= 0; --f) {
    for (int c = 0; c < out.channels; ++c) {
      if (std::fabs(out.At(f, c)) >= kQuiet) return f;
    }
  }
  return -1;
}

}  // namespace

TEST_F(RenderAlignment, LatencyIsRemovedSoTheOutputLinesUpWithTheInput) {
  // Blocks of 37 frames: the 100 frames to drop span three calls.
  const Audio in = Input(5000);
  ToolResult r;
  EXPECT_EQ(Render(DELAY_EFFECT_PATH, {"--block", "37"}, &r).samples, in.samples);
  EXPECT_NE(r.out.find("latency 100 frames removed"), std::string::npos) << r.out;
  EXPECT_EQ(Render(DELAY_EFFECT_PATH, {"--block", "37", "--double"}).samples, in.samples);

  // The tail follows the realigned input; without compensation the raw stream keeps its delay.
  EXPECT_EQ(Render(DELAY_EFFECT_PATH, {"--tail", "0.01"}).samples, Shifted(in, 0, 5441));
  EXPECT_EQ(Render(DELAY_EFFECT_PATH, {"--no-latency-compensation"}, &r).samples, Shifted(in, kLatency, 5000));
  EXPECT_EQ(r.out.find("latency"), std::string::npos) << r.out;
  EXPECT_EQ(Render(DELAY_EFFECT_PATH, {"--no-latency-compensation", "--tail", "0.01"}).samples,
            Shifted(in, kLatency, 5441));
}

TEST_F(RenderAlignment, LatencyAnnouncedWhileSettlingIsRemovedAndDoubtfulOrChangingLatenciesAreReported) {
  // With Settle on, the module takes on its latency after 1000 frames and calls audioMasterIOChanged.
  const Audio in = Input(3000);
  EXPECT_EQ(Render(DELAY_EFFECT_PATH, {"--set", "Settle=norm:1"}).samples, in.samples);

  ToolResult r;
  const Audio raw = Render(DELAY_EFFECT_PATH, {"--set", "Settle=norm:1", "--preroll", "0"}, &r);
  EXPECT_NE(r.err.find("warning: the plug-in changed its latency from 0 to 100 frames during the render"),
            std::string::npos)
      << r.err;
  std::vector<double> expected = Shifted(in, kLatency, 3000);
  std::copy(in.samples.begin(), in.samples.begin() + 2 * 1000, expected.begin());
  EXPECT_EQ(raw.samples, expected);

  // A latency of 2^31 - 1 frames is not believed: the stream stays as it is, and the user is told.
  EXPECT_EQ(Render(DELAY_EFFECT_PATH, {"--set", "Misreport=norm:1"}, &r).samples, Shifted(in, kLatency, 3000));
  EXPECT_NE(r.err.find("warning: the plug-in reports a latency of 2147483647 frames, which is not believable"),
            std::string::npos)
      << r.err;
}

TEST_F(RenderAlignment, TailDefaultsToThePluginsReportCappedAtThirtySeconds) {
  // Feedback 0.5 falls 120 dB in 20 echoes: the module reports 20 x 2205 frames, one second.
  const Audio in = Input(3000);
  ToolResult r;
  const Audio out = Render(ECHO_EFFECT_PATH, {}, &r);
  ASSERT_EQ(out.Frames(), 3000 + kRate);
  EXPECT_NE(r.out.find("Rendered 47100 frames (1.07 s at 44100 Hz; pre-roll 3.00 s, tail 1.00 s)"),
            std::string::npos)
      << r.out;
  for (long f = 0; f < 3000; ++f) {
    for (int c = 0; c < 2; ++c) {
      const double echo = f >= kEcho ? 0.5 * out.At(f - kEcho, c) : 0.0;
      ASSERT_NEAR(out.At(f, c), in.At(f, c) + echo, 1e-6) << f;
    }
  }
  ExpectHalvingTail(out, 3000, kEcho);

  EXPECT_EQ(Render(ECHO_EFFECT_PATH, {"--tail", "0.5"}).Frames(), 3000 + kRate / 2);
  EXPECT_EQ(Render(ECHO_EFFECT_PATH, {"--tail", "0"}).Frames(), 3000);
  EXPECT_EQ(Render(ECHO_EFFECT_PATH, {"--set", "Feedback=norm:0"}).Frames(), 3000);  // reports "no tail"

  // Feedback 1 never decays; the module says so with the largest answer there is.
  Input(800, 8000);
  EXPECT_EQ(Render(ECHO_EFFECT_PATH, {"--set", "Feedback=norm:1"}).Frames(), 800 + 30 * 8000);
}

TEST_F(RenderAlignment, TailAutoRendersTheDecayUntilASecondHasStayedBelowMinus120Dbfs) {
  const Audio in = Input(3000);
  const Audio out = Render(ECHO_EFFECT_PATH, {"--tail", "auto", "--block", "1000"});
  ASSERT_GT(out.Frames(), 3000);
  ExpectHalvingTail(out, 3000, kEcho);
  // Where the decay ends follows from the last echo period of the input alone: each sample there
  // halves every echo until it falls below -120 dBFS.
  long lastLoud = -1;
  for (long f = 3000 - kEcho; f < 3000; ++f) {
    for (int c = 0; c < 2; ++c) {
      long at = f;
      for (double v = std::fabs(out.At(f, c)); v >= kQuiet; v *= 0.5, at += kEcho) lastLoud = std::max(lastLoud, at);
    }
  }
  EXPECT_GT(lastLoud, 3000 + 15 * kEcho);
  EXPECT_EQ(LastLoudFrame(out), lastLoud);
  EXPECT_EQ(out.Frames(), lastLoud + 1 + kRate);

  // An input that already ends in a quiet second needs no tail; a tail that never decays stops at 30 s.
  Input(2000, kRate, kRate);
  EXPECT_EQ(Render(ECHO_EFFECT_PATH, {"--tail", "auto", "--set", "Feedback=norm:0"}).Frames(), 2000 + kRate);
  Input(800, 8000);
  ToolResult r;
  EXPECT_EQ(Render(ECHO_EFFECT_PATH, {"--tail", "auto", "--set", "Feedback=norm:1"}, &r).Frames(), 800 + 30 * 8000);
  EXPECT_NE(r.out.find("tail 30.00 s"), std::string::npos) << r.out;
}

TEST_F(RenderAlignment, ListShowsTheLatencyOnceResumedAndTheReportedTail) {
  const ToolResult delay = Run({"--plugin", DELAY_EFFECT_PATH, "--list"});
  ASSERT_EQ(delay.exitCode, 0) << delay.err;
  EXPECT_NE(delay.out.find("Latency:    100 frames (2.08 ms at 48000 Hz)\nTail:       not reported\n"),
            std::string::npos)
      << delay.out;
  const ToolResult echo = Run({"--plugin", ECHO_EFFECT_PATH, "--list"});
  EXPECT_NE(echo.out.find("Latency:    0 frames\nTail:       48000 frames (1.00 s at 48000 Hz)\n"), std::string::npos)
      << echo.out;
  const ToolResult dry = Run({"--plugin", ECHO_EFFECT_PATH, "--list", "--set", "Feedback=norm:0"});
  EXPECT_NE(dry.out.find("Tail:       none\n"), std::string::npos) << dry.out;
}

TEST_F(RenderAlignment, BadPrerollAndTailValuesAreUsageErrors) {
  Input(100);
  const std::vector<std::string> before = scratch.Entries();
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--preroll", "-1"}, {"--preroll", "61"}, {"--preroll=nan"}, {"--tail", "forever"}, {"--tail", "1e9"},
           {"--tail", "-0.5"}, {"--tail="}}) {
    std::vector<std::string> line = {scratch.File("in.wav"), "-o", scratch.File("out.wav")};
    line.insert(line.end(), args.begin(), args.end());
    const ToolResult r = Run(line);
    EXPECT_EQ(r.exitCode, 2) << args[0];
    const std::string option = args[0].substr(0, args[0].find('='));
    EXPECT_NE(r.err.find("error: " + option + " needs a number of seconds from 0 to"), std::string::npos) << r.err;
  }
  EXPECT_EQ(scratch.Entries(), before);
}
