// The built kestrune-render, run as a user would, with third-party and fake modules.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "tests/tools/ToolRunner.h"

using namespace kestrune_test;

namespace {

const std::string kThreeBandEq = "/usr/lib/vst/3BandEQ-vst.so";

class RenderTool : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(scratch.Path().empty()); }
  ToolResult Run(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    return RunTool(args, scratch.Path(), env);
  }
  std::string Input(int channels, long frames, int rate = 44100, int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT) {
    const std::string path = scratch.File("in" + std::to_string(channels) + ".wav");
    EXPECT_TRUE(WriteAudio(path, TestSignal(channels, frames, rate, format)));
    return path;
  }
  std::vector<std::string> Log() {
    std::ifstream in(scratch.File("fake.log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::string LogEnv() { return "KESTRUNE_FAKE_EFFECT_LOG=" + scratch.File("fake.log"); }
  // A failed run must leave the folder exactly as it found it: no output, no temporary file.
  void ExpectFailure(const ToolResult& r, const std::string& message, const std::vector<std::string>& before) {
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_EQ(scratch.Entries(), before);
  }

  ScratchFolder scratch;
};

}  // namespace

TEST_F(RenderTool, RendersAStereoFileThroughThreeBandEqKeepingLengthRateAndFormat) {
  const std::string in = Input(2, 10007);
  const ToolResult r = Run({in, "-o", scratch.File("out.wav"), "--plugin", kThreeBandEq, "--set", "High=norm:0.2"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Rendered 10007 frames"), std::string::npos) << r.out;
  Audio out;
  ASSERT_TRUE(ReadAudio(scratch.File("out.wav"), out));
  EXPECT_EQ(out.Frames(), 10007);
  EXPECT_EQ(out.channels, 2);
  EXPECT_EQ(out.sampleRate, 44100);
  EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  double energy = 0.0;
  for (double v : out.samples) energy += v * v;
  EXPECT_GT(energy, 1.0);
}

TEST_F(RenderTool, ListsAThirdPartyPluginsIdentityAndParameters) {
  const ToolResult r = Run({"--plugin", kThreeBandEq, "--list"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* text : {"Plug-in:    3 Band EQ", "Maker:      DISTRHO", "Inputs:     2", "Outputs:    2",
                           "Parameters: 6", "Low-Mid Freq", "Hz", "dB"}) {
    EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
  }
}

TEST_F(RenderTool, OutputExtensionChoosesTheContainerAndIntegerFormatsClip) {
  const std::string in = Input(2, 4000, 44100, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  ASSERT_EQ(Run({in, "-o", scratch.File("out.flac"), "--plugin", FAKE_EFFECT_PATH}).exitCode, 0);
  Audio flac;
  ASSERT_TRUE(ReadAudio(scratch.File("out.flac"), flac));
  EXPECT_EQ(flac.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  EXPECT_EQ(flac.Frames(), 4000);

  // Gain 2 x 1.0 doubles a signal that peaks near 0.55: the 16-bit file holds full scale, not wrapped values.
  const ToolResult loud = Run({in, "-o", scratch.File("loud.wav"), "--plugin", FAKE_EFFECT_PATH, "--set", "Gain=norm:1"});
  ASSERT_EQ(loud.exitCode, 0) << loud.err;
  EXPECT_NE(loud.err.find("clipped"), std::string::npos) << loud.err;
  Audio clipped;
  ASSERT_TRUE(ReadAudio(scratch.File("loud.wav"), clipped));
  Audio input;
  ASSERT_TRUE(ReadAudio(in, input));
  for (long i = 0; i < clipped.Frames() * 2; ++i) {
    const double expected = std::max(-1.0, std::min(32767.0 / 32768.0, 2.0 * input.samples[static_cast<size_t>(i)]));
    ASSERT_NEAR(clipped.samples[static_cast<size_t>(i)], expected, 1.0 / 32768.0) << i;
  }

  const ToolResult unknown = Run({in, "-o", scratch.File("out.mp4"), "--plugin", FAKE_EFFECT_PATH});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_NE(unknown.err.find(".wav, .flac"), std::string::npos) << unknown.err;
}

TEST_F(RenderTool, HostsTheUsualSequenceAndAnOfflineTransport) {
  // A pre-roll of 10 ms is 441 frames: it runs with the transport stopped, then the input plays from 0.
  const std::string in = Input(2, 1000);
  const ToolResult r = Run({in, "-o", scratch.File("out.wav"), "--plugin", FAKE_EFFECT_PATH, "--block", "300",
                            "--preroll", "0.01"},
                           {LogEnv()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<std::string> expected = {
      "open version=2400 level=4",
      "rate 44100",
      "block 300",
      "arrangement 2 2",
      "mains 1",
      "start",
      "process 300 at 0 ppq 0.0000 stopped",
      "process 141 at 0 ppq 0.0000 stopped",
      "process 300 at 0 ppq 0.0000 playing",
      "process 300 at 300 ppq 0.0136 playing",
      "process 300 at 600 ppq 0.0272 playing",
      "process 100 at 900 ppq 0.0408 playing",
      "stop",
      "mains 0",
      "close",
  };
  EXPECT_EQ(Log(), expected);
}

TEST_F(RenderTool, MonoFileFeedsBothInputsOfAnEffectWithoutAMonoLayout) {
  const std::string in = Input(1, 777);
  ASSERT_EQ(Run({in, "-o", scratch.File("out.wav"), "--plugin", FAKE_EFFECT_PATH, "--set", "Gain=0.5"}, {LogEnv()}).exitCode, 0);
  Audio input, out;
  ASSERT_TRUE(ReadAudio(in, input));
  ASSERT_TRUE(ReadAudio(scratch.File("out.wav"), out));
  ASSERT_EQ(out.channels, 1);
  ASSERT_EQ(out.Frames(), 777);
  for (long f = 0; f < 777; ++f) ASSERT_FLOAT_EQ(out.At(f, 0), 0.5 * input.At(f, 0)) << f;
  const std::vector<std::string> log = Log();
  EXPECT_NE(std::find(log.begin(), log.end(), "arrangement 2 2"), log.end());
}

TEST_F(RenderTool, DoublePrecisionKeepsDoubleFilesExact) {
  const std::string in = Input(2, 513, 96000, SF_FORMAT_WAV | SF_FORMAT_DOUBLE);
  ASSERT_EQ(Run({in, "-o", scratch.File("out.wav"), "--plugin", FAKE_EFFECT_PATH, "--double"}).exitCode, 0);
  Audio input, out;
  ASSERT_TRUE(ReadAudio(in, input));
  ASSERT_TRUE(ReadAudio(scratch.File("out.wav"), out));
  EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_DOUBLE);
  EXPECT_EQ(out.sampleRate, 96000);
  EXPECT_EQ(out.samples, input.samples);  // gain 2 x 0.5 is exactly 1
}

TEST_F(RenderTool, ChunkProgramsSaveAndLoadThroughTheEffectsChunk) {
  ASSERT_EQ(Run({"--plugin", FAKE_EFFECT_PATH, "--set", "Gain=norm:0.75", "--save-program", scratch.File("p.fxp"), "--list"}).exitCode, 0);
  const std::vector<unsigned char> fxp = ReadBytes(scratch.File("p.fxp"));
  ASSERT_EQ(fxp.size(), 60u + 12u);
  EXPECT_EQ(std::string(fxp.begin(), fxp.begin() + 4), "CcnK");
  EXPECT_EQ(std::string(fxp.begin() + 8, fxp.begin() + 12), "FPCh");
  EXPECT_EQ(std::string(fxp.begin() + 16, fxp.begin() + 20), "Fake");
  EXPECT_EQ(std::string(fxp.begin() + 28, fxp.begin() + 34), std::string("First\0", 6));
  EXPECT_EQ(fxp[59], 12);
  EXPECT_EQ(std::string(fxp.begin() + 60, fxp.begin() + 64), "FAKE");
  float gain = 0.f;
  std::memcpy(&gain, fxp.data() + 64, 4);
  EXPECT_EQ(gain, 0.75f);

  const ToolResult loaded = Run({"--plugin", FAKE_EFFECT_PATH, "--program", scratch.File("p.fxp"), "--list"}, {LogEnv()});
  ASSERT_EQ(loaded.exitCode, 0) << loaded.err;
  EXPECT_NE(loaded.out.find("1.50"), std::string::npos) << loaded.out;  // Gain shows 2 x 0.75
  const std::vector<std::string> log = Log();
  EXPECT_NE(std::find(log.begin(), log.end(), "setchunk 1 12"), log.end());

  // The same chunk as a bank goes to the bank slot of effSetChunk.
  std::vector<unsigned char> fxb = {'C', 'c', 'n', 'K', 0, 0, 0, 0, 'F', 'B', 'C', 'h', 0, 0, 0, 2, 'F', 'a', 'k', 'e',
                                    0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0};
  fxb.resize(156, 0);
  fxb.insert(fxb.end(), {0, 0, 0, 12});
  fxb.insert(fxb.end(), fxp.begin() + 60, fxp.end());
  WriteBytes(scratch.File("b.fxb"), fxb);
  ASSERT_EQ(Run({"--plugin", FAKE_EFFECT_PATH, "--bank", scratch.File("b.fxb"), "--list"}, {LogEnv()}).exitCode, 0);
  const std::vector<std::string> bankLog = Log();
  EXPECT_NE(std::find(bankLog.begin(), bankLog.end(), "setchunk 0 12"), bankLog.end());
}

TEST_F(RenderTool, DemoRendersWithoutAnInputAtTheChosenRate) {
  const ToolResult r = Run({"--plugin", FAKE_EFFECT_PATH, "--rate", "22050"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  Audio out;
  ASSERT_TRUE(ReadAudio(scratch.File("kestrune-demo.wav"), out));
  EXPECT_EQ(out.sampleRate, 22050);
  EXPECT_EQ(out.channels, 2);
  EXPECT_EQ(out.Frames(), 8 * 22050);
  EXPECT_NE(r.out.find("-> kestrune-demo.wav"), std::string::npos) << r.out;
}

TEST_F(RenderTool, HelpDescribesUsageAndExitsCleanly) {
  const ToolResult r = Run({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("Usage:"), std::string::npos);
  const ToolResult bad = Run({"--bogus"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find("unknown option"), std::string::npos);
}

TEST_F(RenderTool, MissingOrUnreadableInputsFailWithoutOutput) {
  WriteBytes(scratch.File("notes.txt"), {'h', 'i'});
  WriteAudio(scratch.File("quad.wav"), TestSignal(4, 100, 44100));
  WriteAudio(scratch.File("rate.wav"), TestSignal(2, 100, 44100));
  const std::vector<std::string> before = scratch.Entries();
  const std::string out = scratch.File("out.wav");
  ExpectFailure(Run({scratch.File("absent.wav"), "-o", out, "--plugin", FAKE_EFFECT_PATH}),
                "cannot read input \"" + scratch.File("absent.wav") + "\": No such file", before);
  ExpectFailure(Run({scratch.File("notes.txt"), "-o", out, "--plugin", FAKE_EFFECT_PATH}), "cannot read input", before);
  ExpectFailure(Run({scratch.File("quad.wav"), "-o", out, "--plugin", FAKE_EFFECT_PATH}), "has 4 channels", before);
  ExpectFailure(Run({scratch.File("rate.wav"), "-o", out, "--plugin", FAKE_EFFECT_PATH, "--rate", "48000"}),
                "does not resample", before);
}

TEST_F(RenderTool, ModulesThatAreNotVstEffectsAreRefused) {
  WriteBytes(scratch.File("fake.so"), {'n', 'o', 't', ' ', 'E', 'L', 'F'});
  const std::string in = Input(2, 100);
  const std::vector<std::string> before = scratch.Entries();
  const std::string out = scratch.File("out.wav");
  ExpectFailure(Run({in, "-o", out, "--plugin", scratch.File("fake.so")}), "is not a VST 2 module", before);
  ExpectFailure(Run({in, "-o", out, "--plugin", scratch.File("none.so")}), "cannot load plug-in", before);
  ExpectFailure(Run({in, "-o", out, "--plugin", scratch.Path()}), "is not a VST 2 module", before);
  ExpectFailure(Run({in, "-o", out, "--plugin", FAKE_NULL_EFFECT_PATH}), "returned no effect", before);
}

TEST_F(RenderTool, BadSettingsFailBeforeAnythingIsWritten) {
  const std::string in = Input(2, 100);
  WriteBytes(scratch.File("short.fxp"), {'C', 'c', 'n', 'K', 0, 0});
  const std::vector<std::string> before = scratch.Entries();
  const std::string out = scratch.File("out.wav");
  ExpectFailure(Run({in, "-o", out, "--plugin", FAKE_EFFECT_PATH, "--set", "Volume=1"}),
                "unknown parameter \"Volume\"; valid names: Gain, Tone; or an index from 0 to 1", before);
  ExpectFailure(Run({in, "-o", out, "--plugin", FAKE_EFFECT_PATH, "--set", "Gain=loud"}),
                "value \"loud\" for Gain does not parse", before);
  ExpectFailure(Run({in, "-o", out, "--plugin", FAKE_EFFECT_PATH, "--set", "Tone=norm:1.5"}),
                "norm: needs a number from 0 to 1", before);
  ExpectFailure(Run({in, "-o", out, "--plugin", kThreeBandEq, "--set", "Low=-6"}),
                "the plug-in does not read values as text", before);
  ExpectFailure(Run({in, "-o", out, "--plugin", FAKE_EFFECT_PATH, "--program", scratch.File("short.fxp")}),
                "the program header is cut short", before);
  ExpectFailure(Run({in, "-o", out, "--plugin", kThreeBandEq, "--double"}), "cannot process double precision", before);
}

TEST_F(RenderTool, UnwritableOutputsFailWithoutLeavingFiles) {
  const std::string in = Input(2, 100);
  const std::vector<std::string> before = scratch.Entries();
  ExpectFailure(Run({in, "-o", scratch.File("missing/out.wav"), "--plugin", FAKE_EFFECT_PATH}),
                "cannot write \"" + scratch.File("missing/out.wav") + "\"", before);
  ExpectFailure(Run({in, "-o", scratch.Path(), "--plugin", FAKE_EFFECT_PATH}), "cannot", before);
  ExpectFailure(Run({in, "-o", scratch.File("out.wav"), "--plugin", FAKE_EFFECT_PATH, "--save-program",
                     scratch.File("missing/p.fxp")}),
                "cannot write", before);
}
