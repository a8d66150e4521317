// The validator on small modules of our own: a well-behaved one passes every check, and each module
// with one deliberate fault fails exactly the check made to catch it, with a reason that names it.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/validate/ValidatorRun.h"
#include "tools/kestrune-validate/Checks.h"
#include "tools/kestrune-validate/CommaLocale.h"

using kestrune_test::RunValidator;
using kestrune_test::ScratchDir;
using kestrune_test::ValidatorRun;

namespace {

const std::string kValidator = KESTRUNE_VALIDATE_PATH;
const std::string kModules = TEST_MODULES_DIR;

std::string Module(const std::string& variant) { return kModules + "/validate_" + variant + ".so"; }

// Checks that may skip in this environment, and why.
bool MaySkip(const std::string& check) {
  return check == "locale" && kestrune::validate::FindCommaLocale().empty();
}

void ExpectOthersPass(const ValidatorRun& run, const std::string& failing) {
  for (const kestrune::validate::CheckInfo& check : kestrune::validate::AllChecks()) {
    const std::string name = check.name;
    ASSERT_TRUE(run.statuses.count(name)) << name << " has no line in\n" << run.out;
    if (name == failing) continue;
    if (run.statuses.at(name) == "skip" && MaySkip(name)) continue;
    EXPECT_EQ(run.statuses.at(name), "pass") << name << run.details.at(name) << "\n" << run.out;
  }
}

struct Fault {
  const char* variant;  // the module built with FAULT_<VARIANT>
  const char* check;    // the one check that must fail
  const char* reason;   // words the reason must hold
};

std::ostream& operator<<(std::ostream& out, const Fault& fault) { return out << fault.variant; }

class FaultyModule : public ::testing::TestWithParam<Fault> {};

TEST_P(FaultyModule, FailsOnlyTheCheckForItsFaultAndSaysWhy) {
  const Fault& fault = GetParam();
  // The hanging module is given up on sooner than the default allows, yet late enough that its
  // other checks finish in time on a loaded machine or under the sanitizers.
  const std::string timeout = std::string(fault.variant) == "hangs" ? "25" : "120";
  const ValidatorRun run =
      RunValidator(kValidator, {"--strictness", "1", "--timeout", timeout, "--xvfb", Module(fault.variant)});
  EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
  EXPECT_EQ(run.Failed(), std::vector<std::string>{fault.check}) << run.out;
  ASSERT_TRUE(run.details.count(fault.check)) << run.out;
  EXPECT_NE(run.details.at(fault.check).find(fault.reason), std::string::npos) << run.out;
  ExpectOthersPass(run, fault.check);
  EXPECT_NE(run.out.find("1 failed"), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    EachFault, FaultyModule,
    ::testing::Values(Fault{"writes_nan", "process", "full-scale square wave: output 0 frame 0 is NaN"},
                      Fault{"allocates", "realtime", "allocations"},
                      Fault{"name_overrun", "info", "effGetParamName(1) wrote 302 bytes into a 256-byte buffer"},
                      Fault{"chunk_crash", "state", "during: effSetChunk(program chunk) with"},
                      Fault{"hangs", "lifecycle", "did not finish within 25 s (hung during: sequence: processing before the first resume)"},
                      Fault{"denormals", "denormals", "subnormal numbers are slowing the plug-in down"},
                      Fault{"block_size", "process", "the output depends on how blocks are cut"},
                      Fault{"comma_locale", "locale", "under de_DE.UTF-8: parameter 0 at 0 shows \"0,0\"; under C: parameter 0 at 0 shows \"0.0\""},
                      Fault{"editor_leaks", "editor", "X windows left behind"},
                      Fault{"editor_crashes", "editor", "during: editor cycle 1: effEditOpen"},
                      Fault{"no_unique_id", "load", "the unique ID is 0"},
                      Fault{"parameter_range", "parameters", "getParameter(0) reads -1, outside 0..1"},
                      Fault{"program_range", "programs", "crashed (SIGABRT, Aborted) during: effSetProgram(2) with 2 programs"},
                      Fault{"races", "threads", "while another thread changed parameters, programs and chunks"}),
    [](const ::testing::TestParamInfo<Fault>& info) { return std::string(info.param.variant); });

TEST(WellBehavedModule, PassesEveryCheckIncludingItsEditorAndWritesTheSameAsJson) {
  ScratchDir scratch;
  const std::string json = scratch.File("report.json");
  const ValidatorRun run = RunValidator(kValidator, {"--strictness", "1", "--xvfb", "--json", json, Module("good")});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_TRUE(run.Failed().empty()) << run.out;
  ExpectOthersPass(run, "");
  EXPECT_NE(run.details.at("editor").find("5 open/close cycles at 300x200"), std::string::npos) << run.out;
  EXPECT_NE(run.details.at("load").find("Test Module by Kestrune tests, 'TMod', 3 parameters, 2 programs, 2 in / 2 out, editor"),
            std::string::npos)
      << run.out;

  std::ifstream in(json);
  std::stringstream text;
  text << in.rdbuf();
  const std::string report = text.str();
  EXPECT_NE(report.find("\"passed\": true"), std::string::npos) << report;
  EXPECT_NE(report.find("\"path\": \"" + Module("good") + "\""), std::string::npos) << report;
  for (const kestrune::validate::CheckInfo& check : kestrune::validate::AllChecks()) {
    EXPECT_NE(report.find("{\"name\": \"" + std::string(check.name) + "\", \"status\": \""), std::string::npos)
        << check.name;
  }
}

// The X11 editor tests' panel: bitmap controls of the editor framework on the X11 editor host.
TEST(FrameworkEditorModule, PassesEveryCheckWithItsEditorOpenedAndClosedInOurWindow) {
#if defined(KESTRUNE_SANITIZED)
  // Unloading this module leaves one 40-byte block, allocated inside the sanitizer runtime while
  // the module's static destructors run, that no frame of the module can be named for. Memory
  // errors are still caught.
  const std::vector<std::string> environment{"ASAN_OPTIONS=detect_leaks=0:abort_on_error=1"};
#else
  const std::vector<std::string> environment;
#endif
  const ValidatorRun run = RunValidator(kValidator, {"--strictness", "1", "--xvfb", Module("x11_panel")}, environment);
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  ExpectOthersPass(run, "");
  EXPECT_NE(run.details.at("editor").find("5 open/close cycles at 240x160"), std::string::npos) << run.out;
}

TEST(WellBehavedModule, OnlyAndSkipChooseTheChecksAndAMissingModuleFailsLoadAndSkipsTheRest) {
  const ValidatorRun chosen =
      RunValidator(kValidator, {"--only", "info", "state,programs", "--skip", "state", Module("good")});
  EXPECT_EQ(chosen.exitCode, 0) << chosen.out << chosen.err;
  EXPECT_EQ(chosen.statuses.size(), 2u) << chosen.out;
  EXPECT_EQ(chosen.statuses.count("info") + chosen.statuses.count("programs"), 2u) << chosen.out;

  const ValidatorRun missing = RunValidator(kValidator, {"--only", "load,info", kModules + "/no-such-module.so"});
  EXPECT_EQ(missing.exitCode, 1) << missing.out;
  EXPECT_EQ(missing.statuses.at("load"), "FAIL");
  EXPECT_NE(missing.details.at("load").find("No such file or directory"), std::string::npos) << missing.out;
  EXPECT_EQ(missing.statuses.at("info"), "skip");
  EXPECT_NE(missing.details.at("info").find("no usable effect"), std::string::npos) << missing.out;

  const ValidatorRun usage = RunValidator(kValidator, {"--only", "tone", Module("good")});
  EXPECT_EQ(usage.exitCode, 2);
  EXPECT_NE(usage.err.find("unknown check \"tone\""), std::string::npos) << usage.err;
}

}  // namespace
