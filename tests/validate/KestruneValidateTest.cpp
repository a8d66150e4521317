// Kestrune.so itself through the validator: every check passes, its editor's included. The full run
// at strictness 10 is part of CI (.ci/run).

#include <gtest/gtest.h>

#include "tests/validate/ValidatorRun.h"

using kestrune_test::RunValidator;
using kestrune_test::ValidatorRun;

namespace {

TEST(KestruneModule, PassesEveryCheckAtLowStrictness) {
  const ValidatorRun run = RunValidator(KESTRUNE_VALIDATE_PATH, {"--strictness", "2", "--xvfb", KESTRUNE_MODULE_PATH});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_TRUE(run.Failed().empty()) << run.out;
  EXPECT_EQ(run.statuses.size(), 12u) << run.out;
  for (const auto& [name, status] : run.statuses) {
    if (name == "editor" && status == "skip") continue;
    EXPECT_EQ(status, "pass") << name << run.details.at(name);
  }
}

}  // namespace
