// The LV2 module run through a lilv host, sample for sample against the VST 2 module: at many
// rates and block sizes, with hostile control values, in place, and under hostile host calls.

#include "tests/lv2/Lv2TestSupport.h"

#include <limits>

namespace kestrune_test {
namespace {

// One control change: at frame `frame`, the port of `param` takes portValue on the LV2 side and
// the parameter takes plainValue on the VST 2 side.
struct Change {
  int frame;
  int param;
  float portValue;
  double plainValue;
};

// Renders input through the LV2 build with the changes applied at their frames, in runs of at most
// block frames split at the changes.
Channels RenderLv2WithChanges(double rate, int block, const Channels& input, const std::vector<Change>& changes) {
  Lv2World world(kBundlePath);
  Lv2Instance instance(world, world.Plugin(kKestruneUri), rate);
  EXPECT_TRUE(instance.Ok());
  if (!instance.Ok()) return {};
  instance.Activate();
  Channels out;
  const int total = static_cast<int>(input[0].size());
  size_t next = 0;
  for (int pos = 0; pos < total;) {
    for (; next < changes.size() && changes[next].frame == pos; ++next)
      instance.Set(kSymbols[changes[next].param], changes[next].portValue);
    const int end = next < changes.size() ? std::min(total, changes[next].frame) : total;
    RenderLv2(instance, input, pos, end - pos, block, out);
    pos = end;
  }
  return out;
}

// The same through the VST 2 build, with the changes' plain values.
Channels RenderVst2WithChanges(double rate, const Channels& input, const std::vector<Change>& changes) {
  Vst2Kestrune reference(static_cast<float>(rate));
  EXPECT_TRUE(reference.Loaded());
  Channels out;
  const int total = static_cast<int>(input[0].size());
  size_t next = 0;
  for (int pos = 0; pos < total;) {
    for (; next < changes.size() && changes[next].frame == pos; ++next)
      reference.SetPlain(changes[next].param, changes[next].plainValue);
    const int end = next < changes.size() ? std::min(total, changes[next].frame) : total;
    reference.Render(input, pos, end - pos, out);
    pos = end;
  }
  return out;
}

TEST(Lv2Processing, MatchesTheVst2ModuleAtManyRatesAndBlockSizes) {
  const std::vector<Change> changes = {
      {1000, kOut, 0.75f, 0.75},    {1700, kCircuit, 1.f, 1.0},  {2300, kHi, 0.25f, 0.25},
      {2900, kLo, 0.8125f, 0.8125}, {3400, kBypass, 0.f, 1.0},   {3900, kBypass, 1.f, 0.0},
      {4400, kSpare, 1.f, 1.0},     {4800, kCircuit, 0.f, 0.0},  {5200, kHi, 0.3f, static_cast<double>(0.3f)}};
  // After the last change a long stretch, so that long runs go through the scratch buffers in pieces.
  const Channels input = Noise(14000, 0.7f, 7);
  for (double rate : {8000.0, 22050.0, 44100.0, 48000.0, 96000.0, 192000.0, 44101.0, 12345.5}) {
    const Channels vst = RenderVst2WithChanges(rate, input, changes);
    // Every block size at two rates; the others with a short, an odd and a long one.
    const bool all = rate == 44100.0 || rate == 12345.5;
    for (int block : {1, 2, 7, 64, 333, 1024, 1025, 8192}) {
      if (!all && block != 7 && block != 1025 && block != 8192) continue;
      const Channels lv2 = RenderLv2WithChanges(rate, block, input, changes);
      ASSERT_EQ(lv2, vst) << rate << " Hz, blocks of " << block;
      ASSERT_EQ(FirstUnsoundSample(lv2), -1) << rate << " Hz, blocks of " << block;
    }
  }
}

TEST(Lv2Processing, HostileControlValuesAreHeldToTheRangeAndNotANumberToTheDefault) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float hostile[] = {-1.f, 2.f, nan, inf, -inf, 0.375f, 0.625f};
  // The plain value each hostile port value stands for, worked out from the published ranges and
  // defaults (OUT, HI and LO 0..1 with default 0.5; the switches 0..1 with default 0 and steps of
  // 1, rounding half up; the enable switch plays above 0 and defaults to playing).
  const double knob[] = {0.0, 1.0, 0.5, 1.0, 0.0, 0.375, 0.625};
  const double toggle[] = {0.0, 1.0, 0.0, 1.0, 0.0, 0.0, 1.0};
  const double bypass[] = {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0};
  const Channels input = Noise(3000, 0.6f, 11);
  for (int param = 0; param < kNumParams; ++param) {
    for (int v = 0; v < 7; ++v) {
      const double expected =
          param == kBypass ? bypass[v] : (param == kCircuit || param == kSpare ? toggle[v] : knob[v]);
      // The other knobs away from their defaults, so that a wrong value would be heard.
      std::vector<Change> changes = {{0, kOut, 0.625f, 0.625}, {0, kHi, 0.25f, 0.25}, {0, kLo, 0.75f, 0.75}};
      changes.push_back({0, param, hostile[v], expected});
      // A second, equal hostile value later on changes nothing.
      changes.push_back({1500, param, hostile[v], expected});
      const Channels lv2 = RenderLv2WithChanges(44100.0, 256, input, changes);
      ASSERT_EQ(lv2, RenderVst2WithChanges(44100.0, input, changes)) << kSymbols[param] << " = " << hostile[v];
      ASSERT_EQ(FirstUnsoundSample(lv2), -1) << kSymbols[param] << " = " << hostile[v];
    }
  }
}

TEST(Lv2Processing, LevelAtZeroDecaysToSilenceWithoutSubnormalSamples) {
  // The level falls by e every 0.4 s: after a minute it has passed through the whole range of
  // single-precision subnormals. A low rate keeps that quick.
  const int rate = 8000;
  const Channels input = Noise(62 * rate, 0.8f, 13);
  for (float circuit : {0.f, 1.f}) {
    Lv2World world(kBundlePath);
    Lv2Instance instance(world, world.Plugin(kKestruneUri), rate);
    ASSERT_TRUE(instance.Ok());
    instance.Set("circuit", circuit);
    Channels out;
    RenderLv2(instance, input, 0, 2 * rate, 4096, out);
    instance.Set("out", 0.f);
    RenderLv2(instance, input, 2 * rate, 60 * rate, 4096, out);
    EXPECT_EQ(FirstUnsoundSample(out), -1) << circuit;
    for (const auto& channel : out) EXPECT_EQ(channel.back(), 0.f) << circuit;
  }
}

TEST(Lv2Processing, InPlaceBuffersAndActivationCyclesChangeNothing) {
  const Channels input = Noise(4096, 0.5f, 3);
  Lv2World world(kBundlePath);
  Lv2Instance plain(world, world.Plugin(kKestruneUri), 48000.0);
  Lv2Instance cycled(world, world.Plugin(kKestruneUri), 48000.0);
  ASSERT_TRUE(plain.Ok() && cycled.Ok());
  plain.Activate();
  cycled.Activate();
  for (Lv2Instance* instance : {&plain, &cycled}) instance->Set("circuit", 1.f);
  Channels expected;
  RenderLv2(plain, input, 0, 4096, 512, expected);

  // The host hands one buffer per channel for input and output alike, and restarts the instance
  // between blocks: the filters keep running.
  std::vector<float> left(512), right(512);
  cycled.Connect("in_1", left.data());
  cycled.Connect("out_1", left.data());
  cycled.Connect("in_2", right.data());
  cycled.Connect("out_2", right.data());
  Channels unused;
  for (int pos = 0; pos < 4096; pos += 512) {
    std::copy_n(input[0].begin() + pos, 512, left.begin());
    std::copy_n(input[1].begin() + pos, 512, right.begin());
    cycled.Run(Channels(2, std::vector<float>(512)), unused, 512);
    ASSERT_TRUE(std::equal(left.begin(), left.end(), expected[0].begin() + pos)) << pos;
    ASSERT_TRUE(std::equal(right.begin(), right.end(), expected[1].begin() + pos)) << pos;
    cycled.Deactivate();
    cycled.Activate();
  }
}

TEST(Lv2Processing, HostileHostCallsAreRefusedOrSurvived) {
  Lv2World world(kBundlePath);
  const LilvPlugin* plugin = world.Plugin(kKestruneUri);
  ASSERT_NE(plugin, nullptr);
  for (double rate : {0.0, -44100.0, std::nan(""), HUGE_VAL}) {
    Lv2Instance refused(world, plugin, rate);
    EXPECT_FALSE(refused.Ok()) << rate;
  }

  Lv2Instance instance(world, plugin, 44100.0);
  ASSERT_TRUE(instance.Ok());
  const LV2_Descriptor* descriptor = lilv_instance_get_descriptor(instance.Instance());
  LV2_Handle handle = lilv_instance_get_handle(instance.Instance());
  float junk = 0.f;
  descriptor->connect_port(handle, 10, &junk);
  descriptor->connect_port(handle, 0xFFFFFFFFu, &junk);
  EXPECT_EQ(descriptor->extension_data("http://example.org/no-such-extension"), nullptr);
  instance.Activate();

  // An audio port left unconnected: the block is skipped and the outputs are not touched.
  instance.Connect("in_2", nullptr);
  std::vector<float> out(64, 42.f);
  instance.Connect("out_1", out.data());
  Channels unused;
  instance.Run(Channels(2, std::vector<float>(64, 0.5f)), unused, 64);
  EXPECT_EQ(out, std::vector<float>(64, 42.f));
  // An unconnected control port keeps its parameter; an empty run does nothing.
  instance.Connect("out", nullptr);
  std::vector<float> in(64, 0.5f);
  instance.Connect("in_2", in.data());
  descriptor->run(handle, 0);
  instance.Run(Channels(2, std::vector<float>(64, 0.5f)), unused, 64);
  EXPECT_EQ(FirstUnsoundSample(Channels{out}), -1);
  instance.Deactivate();
}

}  // namespace
}  // namespace kestrune_test
