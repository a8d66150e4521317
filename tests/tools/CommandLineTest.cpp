#include "tools/kestrune-render/CommandLine.h"

#include <gtest/gtest.h>

using namespace kestrune::render;

namespace {

bool Parse(std::vector<const char*> args, RenderOptions& options, std::string& error) {
  args.insert(args.begin(), "kestrune-render");
  return ParseCommandLine(static_cast<int>(args.size()), args.data(), options, error);
}

}  // namespace

TEST(ParseCommandLine, ReadsEveryOptionInBothSpellings) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"in.wav", "-o", "out.flac", "--plugin=/p/x.so", "--set", "HI=0.7", "--set=Bypass=norm:1",
                     "--program", "a.fxp", "--save-program=b.fxp", "--block", "64", "--rate=44100", "--double",
                     "--list", "--preroll", "0.5", "--tail=2.25", "--no-latency-compensation"},
                    o, error))
      << error;
  EXPECT_EQ(o.inputPath, "in.wav");
  EXPECT_EQ(o.outputPath, "out.flac");
  EXPECT_EQ(o.pluginPath, "/p/x.so");
  ASSERT_EQ(o.assignments.size(), 2u);
  EXPECT_EQ(o.assignments[0].name, "HI");
  EXPECT_EQ(o.assignments[0].value, "0.7");
  EXPECT_EQ(o.assignments[1].name, "Bypass");
  EXPECT_EQ(o.assignments[1].value, "norm:1");
  EXPECT_EQ(o.programPath, "a.fxp");
  EXPECT_EQ(o.saveProgramPath, "b.fxp");
  EXPECT_EQ(o.blockSize, 64);
  EXPECT_EQ(o.sampleRate, 44100);
  EXPECT_TRUE(o.doublePrecision);
  EXPECT_TRUE(o.listOnly);
  EXPECT_EQ(o.prerollSeconds, 0.5);
  EXPECT_EQ(o.tailMode, TailMode::kSeconds);
  EXPECT_EQ(o.tailSeconds, 2.25);
  EXPECT_FALSE(o.compensateLatency);

  ASSERT_TRUE(Parse({"--tail", "auto", "--preroll=0"}, o, error)) << error;
  EXPECT_EQ(o.tailMode, TailMode::kUntilSilent);
  EXPECT_EQ(o.prerollSeconds, 0.0);
}

TEST(ParseCommandLine, DefaultsRenderTheDemoInBlocksOf512) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({}, o, error));
  EXPECT_TRUE(o.inputPath.empty());
  EXPECT_EQ(o.blockSize, 512);
  EXPECT_EQ(o.sampleRate, 0);
  EXPECT_FALSE(o.doublePrecision);
  EXPECT_EQ(o.prerollSeconds, 3.0);
  EXPECT_TRUE(o.compensateLatency);
  EXPECT_EQ(o.tailMode, TailMode::kPluginReported);
}

TEST(ParseCommandLine, RejectsMalformedLinesWithAReason) {
  const std::vector<std::vector<const char*>> bad = {
      {"--block", "0"},        {"--block", "65537"}, {"--block", "12x"},  {"--rate", "100"},
      {"--rate", "abc"},       {"--set", "HI"},      {"--set", "=0.5"},   {"-o"},
      {"--frobnicate"},        {"a.wav", "b.wav"},   {"--list=yes"},      {"--program", "a", "--bank", "b"},
      {"-o", ""},              {"--preroll", "-1"},  {"--preroll", "60.5"}, {"--preroll", "inf"},
      {"--preroll", " 1"},     {"--preroll", "1s"},  {"--tail", "forever"}, {"--tail", "1e9"},
      {"--tail", "nan"},       {"--tail", "Auto"},   {"--tail"},            {"--no-latency-compensation=1"},
  };
  for (const auto& args : bad) {
    RenderOptions o;
    std::string error;
    EXPECT_FALSE(Parse(args, o, error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
}

TEST(ParseCommandLine, DoubleDashEndsOptions) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--", "-odd-name.wav"}, o, error)) << error;
  EXPECT_EQ(o.inputPath, "-odd-name.wav");
}

TEST(DefaultOutputPath, AddsSuffixBeforeTheExtension) {
  EXPECT_EQ(DefaultOutputPath(""), "kestrune-demo.wav");
  EXPECT_EQ(DefaultOutputPath("song.flac"), "song-kestrune.flac");
  EXPECT_EQ(DefaultOutputPath("dir.v2/take"), "dir.v2/take-kestrune.wav");
  EXPECT_EQ(DefaultOutputPath("/a/.hidden"), "/a/.hidden-kestrune.wav");
}

TEST(UsageText, NamesEveryOption) {
  const std::string text = UsageText("kestrune-render");
  for (const char* option : {"-o", "--plugin", "--set", "norm:", "--program", "--bank", "--save-program", "--block",
                             "--rate", "--double", "--preroll", "--tail", "--no-latency-compensation", "--list"}) {
    EXPECT_NE(text.find(option), std::string::npos) << option;
  }
}
