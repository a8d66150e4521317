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
                     "--list"},
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
}

TEST(ParseCommandLine, DefaultsRenderTheDemoInBlocksOf512) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({}, o, error));
  EXPECT_TRUE(o.inputPath.empty());
  EXPECT_EQ(o.blockSize, 512);
  EXPECT_EQ(o.sampleRate, 0);
  EXPECT_FALSE(o.doublePrecision);
}

TEST(ParseCommandLine, RejectsMalformedLinesWithAReason) {
  const std::vector<std::vector<const char*>> bad = {
      {"--block", "0"},        {"--block", "65537"}, {"--block", "12x"},  {"--rate", "100"},
      {"--rate", "abc"},       {"--set", "HI"},      {"--set", "=0.5"},   {"-o"},
      {"--frobnicate"},        {"a.wav", "b.wav"},   {"--list=yes"},      {"--program", "a", "--bank", "b"},
      {"-o", ""},
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
                             "--rate", "--double", "--list"}) {
    EXPECT_NE(text.find(option), std::string::npos) << option;
  }
}
