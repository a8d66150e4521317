// The validator on third-party modules from Debian (dpf-plugins-vst, lsp-plugins-vst): whatever it
// finds in them, it must finish, report every check of every module and never crash or hang itself.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/validate/ValidatorRun.h"

using kestrune_test::RunValidator;
using kestrune_test::ValidatorRun;

namespace {

// Small and quick ones of both families: an editor, mono and stereo, a reverb, a delay line.
const std::vector<std::string> kModules{"/usr/lib/vst/3BandEQ-vst.so", "/usr/lib/vst/MaFreeverb-vst.so",
                                        "/usr/lib/vst/lsp-plugins/comp-delay-mono.so"};

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

// The validator ended well and reported every check of every module, with a summary for each.
void ExpectCompleteReport(const ValidatorRun& run, size_t checks, size_t modules) {
  EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 1) << run.exitCode << "\n" << run.out << run.err;
  size_t checkLines = 0, summaries = 0;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.compare(0, 8, "  pass  ") == 0 || line.compare(0, 8, "  FAIL  ") == 0 || line.compare(0, 8, "  skip  ") == 0) {
      ++checkLines;
    }
    if (line.find(" passed, ") != std::string::npos && line.find(" failed, ") != std::string::npos) ++summaries;
    EXPECT_EQ(line.find("could not be started"), std::string::npos) << line;
  }
  EXPECT_EQ(checkLines, checks * modules) << run.out;
  EXPECT_EQ(summaries, modules) << run.out;
  std::cout << run.out;
}

TEST(ThirdPartyModules, EveryCheckOfEveryModuleIsReportedAndTheValidatorEndsWell) {
  std::vector<std::string> args{"--strictness", "1", "--timeout", "20"};
  std::vector<std::string> modules;
  for (const std::string& path : kModules) {
    if (Exists(path)) modules.push_back(path);
  }
#if defined(KESTRUNE_SANITIZED)
  // Every check's process starts slowly under the sanitizers: one module of each family is enough.
  if (modules.size() > 2) modules = {modules.front(), modules.back()};
#endif
  if (modules.empty()) GTEST_SKIP() << "neither dpf-plugins-vst nor lsp-plugins-vst is installed";
  args.insert(args.end(), modules.begin(), modules.end());
  ExpectCompleteReport(RunValidator(KESTRUNE_VALIDATE_PATH, args), 12, modules.size());
}

// An editor drawn with OpenGL, opened and closed in the validator's own X server.
TEST(ThirdPartyModules, AnOpenGLEditorIsOpenedAndClosedUnderTheValidatorsXvfb) {
#if defined(KESTRUNE_SANITIZED)
  GTEST_SKIP() << "the plain build's run is enough";
#endif
  if (!Exists(kModules.front())) GTEST_SKIP() << "dpf-plugins-vst is not installed";
  const ValidatorRun run = RunValidator(
      KESTRUNE_VALIDATE_PATH, {"--strictness", "1", "--timeout", "20", "--xvfb", "--only", "editor", kModules.front()});
  ExpectCompleteReport(run, 1, 1);
}

}  // namespace
