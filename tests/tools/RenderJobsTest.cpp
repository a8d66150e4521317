// Where each file of a command line goes, and what is refused before anything is rendered.

#include "tools/kestrune-render/RenderJobs.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <set>

#include "tests/tools/ToolRunner.h"

using namespace kestrune::render;
using kestrune_test::ScratchFolder;

namespace {

class PlanRenderJobsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch.Path().empty());
    mkdir(scratch.File("a").c_str(), 0777);
    mkdir(scratch.File("b").c_str(), 0777);
    for (const char* name : {"a/take.wav", "b/take.wav", "a/other.flac"}) kestrune_test::WriteBytes(scratch.File(name), {1});
  }
  // The outputs planned for inputs and -o, or the reason they are refused (prefixed "error: ").
  std::vector<std::string> Plan(const std::vector<std::string>& inputs, const std::string& output,
                                bool listOnly = false, const std::string& response = "") {
    RenderOptions options;
    for (const std::string& input : inputs) options.inputPaths.push_back(scratch.File(input));
    options.outputPath = output.empty() ? "" : scratch.File(output);
    options.listOnly = listOnly;
    options.responsePath = response;
    std::vector<RenderJob> jobs;
    std::string error;
    if (!PlanRenderJobs(options, jobs, error)) return {"error: " + error};
    std::vector<std::string> outputs;
    for (const RenderJob& job : jobs) {
      outputs.push_back(job.outputPath.compare(0, scratch.Path().size(), scratch.Path()) == 0
                            ? job.outputPath.substr(scratch.Path().size() + 1)
                            : job.outputPath);
    }
    return outputs;
  }
  bool IsFolder(const std::string& name) {
    struct stat st {};
    return stat(scratch.File(name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  ScratchFolder scratch;
};

}  // namespace

TEST_F(PlanRenderJobsTest, OneInputGoesToTheNamedFileOrBesideItself) {
  EXPECT_EQ(Plan({"a/take.wav"}, "out.flac"), std::vector<std::string>{"out.flac"});
  EXPECT_EQ(Plan({"a/take.wav"}, ""), std::vector<std::string>{"a/take-kestrune.wav"});
  // An existing folder, or a name ending in a slash, receives the file under the input's name.
  EXPECT_EQ(Plan({"a/take.wav"}, "b"), std::vector<std::string>{"b/take.wav"});
  EXPECT_EQ(Plan({"a/take.wav"}, "fresh/"), std::vector<std::string>{"fresh/take.wav"});
  EXPECT_TRUE(IsFolder("fresh"));
}

TEST_F(PlanRenderJobsTest, SeveralInputsGoIntoTheOutputFolderUnderTheirOwnNames) {
  EXPECT_EQ(Plan({"a/take.wav", "a/other.flac"}, "out"), (std::vector<std::string>{"out/take.wav", "out/other.flac"}));
  EXPECT_TRUE(IsFolder("out"));
  EXPECT_EQ(Plan({"a/take.wav", "a/other.flac"}, ""),
            (std::vector<std::string>{"a/take-kestrune.wav", "a/other-kestrune.flac"}));
  // The same leaf from two folders is fine beside the inputs.
  EXPECT_EQ(Plan({"a/take.wav", "b/take.wav"}, ""), (std::vector<std::string>{"a/take-kestrune.wav", "b/take-kestrune.wav"}));
}

TEST_F(PlanRenderJobsTest, RefusesOutputsThatClashOrReplaceAnInput) {
  auto refused = [&](const std::vector<std::string>& plan, const std::string& reason) {
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_NE(plan[0].find("error: "), std::string::npos) << plan[0];
    EXPECT_NE(plan[0].find(reason), std::string::npos) << plan[0];
  };
  refused(Plan({"a/take.wav", "b/take.wav"}, "b/"), "is the input");
  refused(Plan({"a/take.wav", "b/take.wav"}, "c"), "would both be written to");
  refused(Plan({"a/take.wav", "a/../a/take.wav"}, "c"), "would both be written to");
  // Rendering a file and its earlier render together would write over the second while reading it.
  kestrune_test::WriteBytes(scratch.File("a/take-kestrune.wav"), {1});
  refused(Plan({"a/take.wav", "a/take-kestrune.wav"}, ""), "is the input");
  refused(Plan({"a/take.wav"}, "a/take.wav"), "is the input");
  refused(Plan({"a/take.wav", "a/other.flac"}, "a/take.wav"), "cannot make the output folder");
}

TEST_F(PlanRenderJobsTest, TheDemoRendersOnlyWhenNothingElseIsAskedOrItHasAnOutput) {
  EXPECT_EQ(Plan({}, ""), std::vector<std::string>{"kestrune-demo.wav"});
  EXPECT_EQ(Plan({}, "", false, "r.png"), std::vector<std::string>{});
  EXPECT_EQ(Plan({}, "demo.wav", false, "r.png"), std::vector<std::string>{"demo.wav"});
  EXPECT_EQ(Plan({}, "b/", false, "r.png"), std::vector<std::string>{"b/kestrune-demo.wav"});
  EXPECT_EQ(Plan({"a/take.wav"}, "out", true), std::vector<std::string>{});
  EXPECT_FALSE(IsFolder("out"));
}

TEST(ForEachInParallel, CallsEveryIndexOnceWhateverTheThreadCount) {
  for (int threads : {1, 2, 5, 64}) {
    std::vector<std::atomic<int>> calls(37);
    ForEachInParallel(37, threads, [&](int i) { ++calls[static_cast<size_t>(i)]; });
    for (const std::atomic<int>& count : calls) EXPECT_EQ(count.load(), 1) << threads;
  }
  ForEachInParallel(0, 4, [](int) { FAIL(); });
}
