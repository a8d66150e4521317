// The check runner on stand-in check processes (small shell scripts): whatever a check's process
// does, its verdict, crash, abort, hang or silent exit becomes that check's result.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tools/kestrune-validate/CheckProcess.h"

using kestrune::validate::CheckLaunch;
using kestrune::validate::CheckResult;
using kestrune::validate::RunCheckProcess;

namespace {

// Runs script under /bin/sh as if it were a check's process (messages go to descriptor 3).
CheckResult Script(const std::string& script, double timeout = 10.0, std::vector<std::string>* progress = nullptr) {
  CheckLaunch launch;
  launch.executable = "/bin/sh";
  launch.arguments = {"-c", script};
  launch.environment = {"KESTRUNE_TEST_VALUE=42"};
  launch.timeoutSeconds = timeout;
  return RunCheckProcess("stand-in", launch, [&](const std::string& text) {
    if (progress != nullptr) progress->push_back(text);
  });
}

TEST(CheckProcess, AVerdictWithNotesWarningsAndProgressIsReadBack) {
  std::vector<std::string> progress;
  const CheckResult r = Script(
      "echo 'P first step' >&3; echo 'W odd but fine' >&3; echo 'W odd but fine' >&3;"
      "echo \"N value $KESTRUNE_TEST_VALUE\" >&3; echo 'P second step' >&3; echo 'D ' >&3",
      10.0, &progress);
  EXPECT_EQ(r.status, CheckResult::Status::kPass);
  EXPECT_EQ(r.detail, "value 42");
  EXPECT_EQ(r.warnings, std::vector<std::string>{"odd but fine"});
  EXPECT_EQ(progress, (std::vector<std::string>{"first step", "second step"}));
  EXPECT_EQ(r.name, "stand-in");
  EXPECT_TRUE(r.finished);
}

TEST(CheckProcess, FailuresAreCountedAndTheFirstIsTheReason) {
  const CheckResult r = Script("echo 'F first' >&3; echo 'F second' >&3; echo 'F third' >&3; echo 'D ' >&3; exit 1");
  EXPECT_EQ(r.status, CheckResult::Status::kFail);
  EXPECT_EQ(r.failures, 3);
  EXPECT_EQ(r.detail, "first (and 2 more)");
}

TEST(CheckProcess, CrashesAndAbortsNameTheSignalAndTheLastStep) {
  const CheckResult segv = Script("echo 'P reading a chunk' >&3; echo 'some output'; kill -SEGV $$");
  EXPECT_EQ(segv.status, CheckResult::Status::kFail);
  EXPECT_EQ(segv.detail, "crashed (SIGSEGV, Segmentation fault) during: reading a chunk");
  EXPECT_EQ(segv.output, std::vector<std::string>{"some output"});
  EXPECT_FALSE(segv.finished);

  const CheckResult abort = Script("echo 'F bad value' >&3; echo 'P cleaning up' >&3; kill -ABRT $$");
  EXPECT_EQ(abort.detail, "crashed (SIGABRT, Aborted) during: cleaning up; before that: bad value");
}

TEST(CheckProcess, AHangIsKilledAtTheTimeOutWithWhateverItStarted) {
  const auto start = std::chrono::steady_clock::now();
  // The background sleep belongs to the check's process group and must go with it.
  const CheckResult r = Script("sleep 30 & echo 'P waiting for ever' >&3; sleep 30", 0.5);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(r.status, CheckResult::Status::kFail);
  EXPECT_EQ(r.detail, "did not finish within 0.5 s (hung during: waiting for ever)");
  EXPECT_LT(seconds, 5.0);
}

TEST(CheckProcess, ExitsWithoutAVerdictOrFailingAfterOneAreFailures) {
  const CheckResult silent = Script("echo 'P halfway' >&3; exit 0");
  EXPECT_EQ(silent.status, CheckResult::Status::kFail);
  EXPECT_EQ(silent.detail, "the process exited with status 0 before finishing during: halfway");

  const CheckResult late = Script("echo 'D ' >&3; echo 'leak report'; exit 23");
  EXPECT_EQ(late.status, CheckResult::Status::kFail);
  EXPECT_EQ(late.detail, "the process exited with status 23 after the check");
  EXPECT_EQ(late.output, std::vector<std::string>{"leak report"});

  CheckLaunch missing;
  missing.executable = "/nonexistent/kestrune-validate";
  EXPECT_EQ(RunCheckProcess("x", missing, nullptr).detail, "the check's process could not be started");
}

TEST(CheckProcess, SkipsAndFatalLoadsAreReported) {
  const CheckResult skip = Script("echo 'S no display' >&3; echo 'D ' >&3");
  EXPECT_EQ(skip.status, CheckResult::Status::kSkip);
  EXPECT_EQ(skip.detail, "no display");
  EXPECT_FALSE(skip.fatal);

  const CheckResult fatal = Script("echo 'F no effect' >&3; echo 'X ' >&3; echo 'D ' >&3; exit 1");
  EXPECT_EQ(fatal.status, CheckResult::Status::kFail);
  EXPECT_TRUE(fatal.fatal);
}

TEST(CheckProcess, RepeatedLinesAreCountedOnce) {
  const CheckResult r = Script("for i in 1 2 3 4 5; do echo same; done; echo other; echo same; exit 2");
  EXPECT_EQ(r.output, (std::vector<std::string>{"same [5 times]", "other", "same"}));
}

TEST(CheckProcess, EndlessOutputAndUnterminatedLinesStayBounded) {
  const CheckResult r = Script(
      "i=0; while [ $i -lt 3000 ]; do echo \"line $i\"; i=$((i+1)); done; printf 'no newline at the end';"
      "echo 'D ' >&3; exit 4");
  ASSERT_FALSE(r.output.empty());
  EXPECT_LE(r.output.size(), 40u);
  EXPECT_EQ(r.output.back(), "no newline at the end");
  EXPECT_EQ(r.output[r.output.size() - 2], "line 2999");
}

}  // namespace
