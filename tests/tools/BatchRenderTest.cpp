// kestrune-render with several inputs: rendered in parallel, each as it would be alone, failures kept
// to their own file.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/tools/ToolRunner.h"

using namespace kestrune_test;

namespace {

class BatchRender : public ::testing::Test {
 protected:
  ToolResult Run(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    return RunTool(args, scratch.Path(), env);
  }
  std::string Input(const std::string& name, int channels, long frames) {
    const std::string path = scratch.File(name);
    Audio audio = TestSignal(channels, frames, 44100);
    // Different content per file, so a mix-up between jobs shows.
    for (size_t i = 0; i < audio.samples.size(); ++i) audio.samples[i] *= 0.5 + 0.1 * static_cast<double>(name.size() % 5);
    EXPECT_TRUE(WriteAudio(path, audio));
    return path;
  }
  Audio Read(const std::string& path) {
    Audio audio;
    EXPECT_TRUE(ReadAudio(path, audio)) << path;
    return audio;
  }
  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
  ScratchFolder scratch;
};

}  // namespace

TEST_F(BatchRender, EveryFileComesOutAsItWouldAlone) {
  // The echo keeps state across blocks and rings on after the input: a shared or reused instance
  // would carry one file's echoes into the next.
  const std::vector<std::string> inputs = {Input("a.wav", 2, 7000), Input("bb.wav", 1, 3001), Input("ccc.wav", 2, 12345),
                                           Input("dddd.wav", 2, 500)};
  const std::vector<std::string> common = {"--plugin", ECHO_EFFECT_PATH, "--set", "Feedback=norm:0.3", "--block", "300"};
  std::vector<std::string> args = inputs;
  args.insert(args.end(), {"-o", scratch.File("out"), "-j", "3"});
  args.insert(args.end(), common.begin(), common.end());
  const ToolResult batch = Run(args);
  ASSERT_EQ(batch.exitCode, 0) << batch.err;
  EXPECT_EQ(Count(batch.out, "Rendered "), 5) << batch.out;  // a line per file, then the total
  EXPECT_NE(batch.out.find("Rendered 4 files in "), std::string::npos) << batch.out;
  EXPECT_NE(batch.out.find(" (3 at once)"), std::string::npos) << batch.out;

  for (const std::string& input : inputs) {
    const std::string leaf = input.substr(input.find_last_of('/') + 1);
    std::vector<std::string> alone = {input, "-o", scratch.File("alone-" + leaf)};
    alone.insert(alone.end(), common.begin(), common.end());
    ASSERT_EQ(Run(alone).exitCode, 0);
    const Audio expected = Read(scratch.File("alone-" + leaf));
    const Audio got = Read(scratch.File("out/" + leaf));
    EXPECT_EQ(got.channels, expected.channels) << leaf;
    EXPECT_EQ(got.samples, expected.samples) << leaf;
    EXPECT_NE(batch.out.find("-> " + scratch.File("out/" + leaf)), std::string::npos) << batch.out;
  }
}

TEST_F(BatchRender, AFailedFileLeavesNothingAndTheOthersStillRender) {
  const std::string good = Input("good.wav", 2, 4000);
  WriteBytes(scratch.File("broken.wav"), {'R', 'I', 'F', 'F', 0, 1, 2});
  const std::string quad = scratch.File("quad.wav");
  ASSERT_TRUE(WriteAudio(quad, TestSignal(4, 100, 44100)));
  const std::string late = Input("late.wav", 1, 2000);
  const ToolResult r = Run({good, scratch.File("broken.wav"), quad, late, "-o", scratch.File("out/"), "--plugin",
                            FAKE_EFFECT_PATH, "-j", "2"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Count(r.out, "Rendered "), 2) << r.out;
  EXPECT_NE(r.err.find("kestrune-render: error: " + scratch.File("broken.wav") + ": cannot read input"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("kestrune-render: error: " + quad + ": \"" + quad + "\" has 4 channels"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("2 of 4 files rendered, 2 failed"), std::string::npos) << r.err;
  // The output folder holds the two finished files and nothing else: no partial or temporary file.
  std::vector<std::string> outputs;
  for (const auto& entry : std::filesystem::directory_iterator(scratch.File("out"))) {
    outputs.push_back(entry.path().filename().string());
  }
  std::sort(outputs.begin(), outputs.end());
  EXPECT_EQ(outputs, (std::vector<std::string>{"good.wav", "late.wav"}));
  EXPECT_EQ(Read(scratch.File("out/good.wav")).Frames(), 4000);
  EXPECT_EQ(Read(scratch.File("out/late.wav")).Frames(), 2000);
}

TEST_F(BatchRender, SettingsAreCheckedAndTheProgramSavedOnceForAllFiles) {
  const std::string a = Input("a.wav", 2, 1000);
  const std::string b = Input("b.wav", 2, 1000);
  const std::vector<std::string> before = scratch.Entries();
  const ToolResult bad = Run({a, b, "--plugin", FAKE_EFFECT_PATH, "--set", "Volume=1"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(Count(bad.err, "unknown parameter \"Volume\""), 1) << bad.err;
  EXPECT_EQ(scratch.Entries(), before);

  const std::string log = "KESTRUNE_FAKE_EFFECT_LOG=" + scratch.File("fake.log");
  const ToolResult good = Run({a, b, "--plugin", FAKE_EFFECT_PATH, "--set", "Gain=norm:0.75", "--save-program",
                               scratch.File("p.fxp")},
                              {log});
  ASSERT_EQ(good.exitCode, 0) << good.err;
  std::ifstream in(scratch.File("fake.log"));
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(Count(text.str(), "getchunk"), 1) << text.str();  // one program saved
  EXPECT_EQ(Count(text.str(), "open version"), 3) << text.str();  // the check, then one instance per file
  EXPECT_EQ(ReadBytes(scratch.File("p.fxp")).size(), 72u);
  EXPECT_EQ(Read(scratch.File("a-kestrune.wav")).Frames(), 1000);
  EXPECT_EQ(Read(scratch.File("b-kestrune.wav")).Frames(), 1000);
}

TEST_F(BatchRender, RefusesOutputsThatWouldClashBeforeRenderingAnything) {
  const std::string a = Input("a.wav", 2, 100);
  const std::string b = Input("b.wav", 2, 100);
  const std::vector<std::string> before = scratch.Entries();
  const ToolResult same = Run({a, b, "-o", scratch.Path(), "--plugin", FAKE_EFFECT_PATH});
  EXPECT_EQ(same.exitCode, 1);
  EXPECT_NE(same.err.find("is the input"), std::string::npos) << same.err;
  const ToolResult twice = Run({a, a, "-o", scratch.File("out"), "--plugin", FAKE_EFFECT_PATH});
  EXPECT_EQ(twice.exitCode, 1);
  EXPECT_NE(twice.err.find("would both be written to"), std::string::npos) << twice.err;
  std::vector<std::string> after = scratch.Entries();
  after.erase(std::remove(after.begin(), after.end(), "out"), after.end());  // the folder -o named is made first
  EXPECT_EQ(after, before);
}

TEST_F(BatchRender, DemoAndResponseComeFromOneCall) {
  const ToolResult r = Run({"--plugin", FAKE_EFFECT_PATH, "-o", "demo.wav", "--response", "response.png", "--set",
                            "Gain=norm:0.25"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("-> response.png"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("-> demo.wav"), std::string::npos) << r.out;
  EXPECT_EQ(Read(scratch.File("demo.wav")).Frames(), 8 * 48000);
  const std::vector<unsigned char> png = ReadBytes(scratch.File("response.png"));
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  // Without -o, --response writes only the picture.
  const ToolResult only = Run({"--plugin", FAKE_EFFECT_PATH, "--response", "again.png"});
  ASSERT_EQ(only.exitCode, 0) << only.err;
  EXPECT_EQ(only.out.find("Rendered"), std::string::npos) << only.out;
}
