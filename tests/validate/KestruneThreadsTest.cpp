// The threads check on Kestrune.so at full strictness. In the ThreadSanitizer build both the
// validator and the module are instrumented, so any data race between processing and the other
// thread's parameter, program and chunk calls fails this test.

#include <gtest/gtest.h>

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

}  // namespace
