// kestrune-render driving Kestrune, checked against the same frames run through the module by the
// test host.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "tests/tools/ToolRunner.h"
#include "tests/vst2/TestHost.h"

using namespace kestrune_test;

namespace {

constexpr int kRate = 44100;
constexpr long kDefaultPreroll = 3 * kRate;

// Runs in through Kestrune with the test host in blocks of at most block frames, after preroll frames
// of silence in the same blocks, as a DAW runs a plug-in before playback; setup adjusts the opened
// effect before processing. Returns interleaved output of the same shape as in.
template <typename Sample>
std::vector<double> Reference(const Audio& in, int block, const std::function<void(TestHost&)>& setup,
                              long preroll = kDefaultPreroll) {
  TestHost host;
  EXPECT_TRUE(host.Load(KESTRUNE_MODULE_PATH)) << host.Error();
  EXPECT_NE(host.Create(), nullptr);
  host.Start(kRate, block);
  if (in.channels == 1) {
    VstSpeakerArrangement mono{};
    mono.type = kSpeakerArrMono;
    mono.numChannels = 1;
    host.Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&mono), &mono);
  }
  setup(host);
  std::vector<double> out(in.samples.size());
  AudioBuffers<Sample> inputs(in.channels, block);
  AudioBuffers<Sample> outputs(in.channels, block);
  auto process = [&](int n) {
    if constexpr (std::is_same_v<Sample, float>) {
      host.ProcessReplacing(inputs.Pointers(), outputs.Pointers(), n);
    } else {
      host.ProcessDoubleReplacing(inputs.Pointers(), outputs.Pointers(), n);
    }
  };
  for (long start = 0; start < preroll; start += block) process(static_cast<int>(std::min<long>(block, preroll - start)));
  for (long start = 0; start < in.Frames(); start += block) {
    const int n = static_cast<int>(std::min<long>(block, in.Frames() - start));
    for (int c = 0; c < in.channels; ++c) {
      for (int f = 0; f < n; ++f) inputs.Channel(c)[static_cast<size_t>(f)] = static_cast<Sample>(in.At(start + f, c));
    }
    process(n);
    for (int c = 0; c < in.channels; ++c) {
      for (int f = 0; f < n; ++f) {
        out[static_cast<size_t>((start + f) * in.channels + c)] = outputs.Channel(c)[static_cast<size_t>(f)];
      }
    }
  }
  return out;
}

class KestruneRender : public ::testing::Test {
 protected:
  ToolResult Run(const std::vector<std::string>& args) { return RunTool(args, scratch.Path()); }
  Audio Rendered(const std::string& name) {
    Audio out;
    EXPECT_TRUE(ReadAudio(scratch.File(name), out));
    return out;
  }
  Audio WriteInput(int channels, long frames, int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT) {
    Audio in = TestSignal(channels, frames, kRate, format);
    EXPECT_TRUE(WriteAudio(scratch.File("in.wav"), in));
    Audio stored;  // as the file holds it, after float rounding
    EXPECT_TRUE(ReadAudio(scratch.File("in.wav"), stored));
    return stored;
  }
  ScratchFolder scratch;
};

void SetHiAndLo(TestHost& host) {
  host.SetParameter(2, 0.84f);
  host.SetParameter(4, 0.3f);
}

}  // namespace

TEST_F(KestruneRender, StereoRenderMatchesTheTestHostIncludingTheLastPartialBlock) {
  const Audio in = WriteInput(2, 5000);
  const ToolResult r = Run({scratch.File("in.wav"), "-o", scratch.File("out.wav"), "--block", "512", "--set",
                            "HI=norm:0.84", "--set", "LO=norm:0.3"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Audio out = Rendered("out.wav");
  ASSERT_EQ(out.Frames(), 5000);
  EXPECT_EQ(out.samples, Reference<float>(in, 512, SetHiAndLo));
}

TEST_F(KestruneRender, PrerollZeroGivesTheRawStreamOfAFreshEffect) {
  const Audio in = WriteInput(2, 3000);
  const ToolResult r = Run({scratch.File("in.wav"), "-o", scratch.File("out.wav"), "--block", "512", "--set",
                            "HI=norm:0.84", "--set", "LO=norm:0.3", "--preroll", "0"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Rendered("out.wav").samples, Reference<float>(in, 512, SetHiAndLo, 0));
  EXPECT_EQ(r.out.find("pre-roll"), std::string::npos) << r.out;
}

TEST_F(KestruneRender, DefaultPrerollGivesTheSettledSoundFromTheFirstFrame) {
  // A 1 kHz sine at half scale with HI at 0.3: a fresh effect fades in as its smoothers rise from 0.
  Audio sine;
  sine.channels = 2;
  sine.sampleRate = kRate;
  sine.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  for (long f = 0; f < kRate / 2; ++f) {
    const double v = 0.5 * std::sin(2 * M_PI * 1000.0 * static_cast<double>(f) / kRate);
    sine.samples.insert(sine.samples.end(), {v, v});
  }
  ASSERT_TRUE(WriteAudio(scratch.File("sine.wav"), sine));
  auto rms = [](const Audio& a, long from, long frames) {
    double sum = 0.0;
    for (long f = from; f < from + frames; ++f) sum += a.At(f, 0) * a.At(f, 0);
    return std::sqrt(sum / static_cast<double>(frames));
  };
  const long period = kRate / 100;  // 10 ms, ten cycles
  ToolResult r = Run({scratch.File("sine.wav"), "-o", scratch.File("settled.wav"), "--set", "HI=0.3"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("; pre-roll 3.00 s)"), std::string::npos) << r.out;
  const Audio settled = Rendered("settled.wav");
  const double level = rms(settled, kRate / 2 - period, period);
  EXPECT_GT(level, 0.05);
  // The tone filter's own onset transient stays within a few per cent; the smoothers have settled.
  EXPECT_NEAR(rms(settled, 0, period), level, 0.02 * level);

  r = Run({scratch.File("sine.wav"), "-o", scratch.File("fresh.wav"), "--set", "HI=0.3", "--preroll", "0"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_LT(rms(Rendered("fresh.wav"), 0, period), 0.1 * level);
}

TEST_F(KestruneRender, MonoRenderUsesTheMonoLayoutAndMatchesTheTestHost) {
  const Audio in = WriteInput(1, 3001);
  const ToolResult r = Run({scratch.File("in.wav"), "-o", scratch.File("out.wav"), "--block", "1000", "--set",
                            "HI=norm:0.84", "--set", "LO=norm:0.3"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Audio out = Rendered("out.wav");
  ASSERT_EQ(out.channels, 1);
  EXPECT_EQ(out.samples, Reference<float>(in, 1000, SetHiAndLo));
}

TEST_F(KestruneRender, DoublePrecisionMatchesTheTestHostsDoubleCallback) {
  const Audio in = WriteInput(2, 2000, SF_FORMAT_WAV | SF_FORMAT_DOUBLE);
  const ToolResult r = Run({scratch.File("in.wav"), "-o", scratch.File("out.wav"), "--double", "--block", "256",
                            "--set", "1=1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Audio out = Rendered("out.wav");
  EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_DOUBLE);
  EXPECT_EQ(out.samples, Reference<double>(in, 256, [](TestHost& host) { host.SetParameter(1, 1.f); }));
}

TEST_F(KestruneRender, TextValuesAreReadAsTheEffectShowsThem) {
  // HI and LO use shape 2: the plain value 0.49 sits at the normalised position 0.7.
  const Audio in = WriteInput(2, 2000);
  const ToolResult r = Run({scratch.File("in.wav"), "-o", scratch.File("out.wav"), "--set", "HI=0.49", "--set",
                            "lo=0.09", "--set", "OUT=0.8"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<double> expected = Reference<float>(in, 512, [](TestHost& host) {
    host.SetParameter(2, 0.7f);
    host.SetParameter(4, 0.3f);
    host.SetParameter(0, 0.8f);
  });
  const Audio out = Rendered("out.wav");
  ASSERT_EQ(out.samples.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) ASSERT_NEAR(out.samples[i], expected[i], 1e-5) << i;
}

TEST_F(KestruneRender, BypassPassesTheInputBitForBit) {
  const Audio in = WriteInput(2, 1500);
  ASSERT_EQ(Run({scratch.File("in.wav"), "-o", scratch.File("out.wav"), "--set", "Bypass=1", "--set", "HI=1"}).exitCode, 0);
  EXPECT_EQ(Rendered("out.wav").samples, in.samples);
}

TEST_F(KestruneRender, ListFindsTheModuleBesideTheToolAndShowsEveryParameter) {
  const ToolResult r = Run({"--list", "--set", "HI=norm:0.84"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* text : {"Plug-in:    Kestrune", "Maker:      Orvantic", "Unique ID:  'Kst1'", "Inputs:     2",
                           "Outputs:    2", "Programs:   1", "Parameters: 6", "OUT", "LO", "Bypass", "(unnamed)"}) {
    EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
  }
  EXPECT_NE(r.out.find("HI         0.71"), std::string::npos) << r.out;  // 0.84 squared is 0.7056
}

TEST_F(KestruneRender, SavedProgramHoldsTheSettingsInTheStandardLayout) {
  const ToolResult r = Run({"--list", "--set", "OUT=0.25", "--set", "Bypass=1", "--save-program", scratch.File("p.fxp")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<unsigned char> fxp = ReadBytes(scratch.File("p.fxp"));
  ASSERT_EQ(fxp.size(), 80u);
  const std::vector<unsigned char> header = {'C', 'c', 'n', 'K', 0, 0, 0, 72, 'F', 'x', 'C', 'k', 0, 0, 0, 1,
                                             'K', 's', 't', '1', 0, 0, 0x27, 0x10, 0, 0, 0, 6, '-', 0};
  EXPECT_EQ(std::vector<unsigned char>(fxp.begin(), fxp.begin() + 30), header);
  auto value = [&](int index) {
    const unsigned char* p = fxp.data() + 56 + 4 * index;
    const uint32_t bits = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
  };
  EXPECT_EQ(value(0), 0.25f);
  EXPECT_FLOAT_EQ(value(2), std::sqrt(0.5f));
  EXPECT_EQ(value(5), 1.f);
}

TEST_F(KestruneRender, ProgramAndBankFilesSetTheSameSoundAsTheirValues) {
  const Audio in = WriteInput(2, 1200);
  std::vector<unsigned char> program = {'C', 'c', 'n', 'K', 0, 0, 0, 72, 'F', 'x', 'C', 'k', 0, 0, 0, 1,
                                        'K', 's', 't', '1', 0, 0, 0x27, 0x10, 0, 0, 0, 6, 'W', 'a', 'r', 'm'};
  program.resize(56, 0);
  for (float v : {0.6f, 0.f, 0.84f, 0.f, 0.3f, 0.f}) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    program.insert(program.end(), {uint8_t(bits >> 24), uint8_t(bits >> 16), uint8_t(bits >> 8), uint8_t(bits)});
  }
  WriteBytes(scratch.File("warm.fxp"), program);
  std::vector<unsigned char> bank = {'C', 'c', 'n', 'K', 0, 0, 0, 0, 'F', 'x', 'B', 'k', 0, 0, 0, 2,
                                     'K', 's', 't', '1', 0, 0, 0x27, 0x10, 0, 0, 0, 1, 0, 0, 0, 0};
  bank.resize(156, 0);
  bank.insert(bank.end(), program.begin(), program.end());
  WriteBytes(scratch.File("warm.fxb"), bank);

  ASSERT_EQ(Run({scratch.File("in.wav"), "-o", scratch.File("set.wav"), "--set", "OUT=norm:0.6", "--set",
                 "HI=norm:0.84", "--set", "LO=norm:0.3"}).exitCode, 0);
  ASSERT_EQ(Run({scratch.File("in.wav"), "-o", scratch.File("fxp.wav"), "--program", scratch.File("warm.fxp")}).exitCode, 0);
  ASSERT_EQ(Run({scratch.File("in.wav"), "-o", scratch.File("fxb.wav"), "--bank", scratch.File("warm.fxb")}).exitCode, 0);
  const Audio viaSet = Rendered("set.wav");
  EXPECT_EQ(Rendered("fxp.wav").samples, viaSet.samples);
  EXPECT_EQ(Rendered("fxb.wav").samples, viaSet.samples);

  const ToolResult listed = Run({"--list", "--program", scratch.File("warm.fxp")});
  EXPECT_NE(listed.out.find("\"Warm\""), std::string::npos) << listed.out;

  program[19] = '2';  // a program for another plug-in
  WriteBytes(scratch.File("other.fxp"), program);
  const ToolResult other = Run({"--list", "--program", scratch.File("other.fxp")});
  EXPECT_EQ(other.exitCode, 1);
  EXPECT_NE(other.err.find("'Kst2', not for 'Kst1'"), std::string::npos) << other.err;
}

TEST_F(KestruneRender, DemoGoesThroughKestruneByDefault) {
  const ToolResult r = Run({"-o", scratch.File("demo.wav")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Audio out = Rendered("demo.wav");
  EXPECT_EQ(out.Frames(), 8 * 48000);
  EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
  double peak = 0.0;
  for (double v : out.samples) peak = std::max(peak, std::fabs(v));
  EXPECT_GT(peak, 0.01);
  EXPECT_NE(r.out.find("Rendered 384000 frames"), std::string::npos) << r.out;
}

TEST_F(KestruneRender, UnknownNamesListKestrunesParameters) {
  const ToolResult r = Run({"--list", "--set", "MID=0.5"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("valid names: OUT, HI, LO, Bypass; or an index from 0 to 5"), std::string::npos) << r.err;
}
