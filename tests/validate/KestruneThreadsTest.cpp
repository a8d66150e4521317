// The threads check on Kestrune.so at full strictness. In the ThreadSanitizer build both the
// validator and the module are instrumented, so any data race between processing and the other
// thread's parameter, program and chunk calls fails this test.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/validate/ValidatorRun.h"

using kestrune_test::RunValidator;
using kestrune_test::ValidatorRun;

namespace {

TEST(KestruneModule, ProcessingRacesParameterProgramAndChunkCallsWithoutHarm) {
  const ValidatorRun run =
      RunValidator(KESTRUNE_VALIDATE_PATH, {"--strictness", "10", "--only", "threads", KESTRUNE_MODULE_PATH});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  ASSERT_TRUE(run.statuses.count("threads")) << run.out;
  EXPECT_EQ(run.statuses.at("threads"), "pass") << run.out;
}

// The ThreadSanitizer build proves that its run above would catch a race: a module of ours that
// forgets its lock fails with the sanitizer's report, before any harm shows in the output (the plain
// build sees only the harm, in the faulty-module tests).
TEST(RacyModule, FailsTheThreadsCheckUnderThreadSanitizer) {
#if !defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "races are seen only by the ThreadSanitizer build";
#endif
  const ValidatorRun run = RunValidator(
      KESTRUNE_VALIDATE_PATH, {"--strictness", "2", "--only", "threads", std::string(TEST_MODULES_DIR) + "/validate_races.so"});
  EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
  EXPECT_EQ(run.Failed(), std::vector<std::string>{"threads"}) << run.out;
  EXPECT_NE(run.out.find("ThreadSanitizer: data race"), std::string::npos) << run.out;
}

}  // namespace
