#pragma once
// Command line of kestrune-validate: which modules, which checks, how hard.

#include <cstdint>
#include <string>
#include <vector>

namespace kestrune::validate {

struct ValidateOptions {
  std::vector<std::string> modules;
  int strictness = 5;
  std::vector<std::string> only;   // empty: every check
  std::vector<std::string> skip;
  std::string jsonPath;            // --json FILE
  uint64_t seed = 1;
  double timeoutSeconds = 120.0;   // per check
  bool xvfb = false;
  bool showHelp = false;
  // Set only when the validator starts itself to run one check: --run-check NAME.
  std::string runCheck;
};

// Fills options from argv[1..argc); returns false and a one-line reason on a malformed line.
bool ParseCommandLine(int argc, const char* const* argv, ValidateOptions& options, std::string& error);

// The --help text, naming the program as invoked.
std::string UsageText(const std::string& programName);

// The names of the checks to run, in running order, after --only and --skip.
std::vector<std::string> SelectedChecks(const ValidateOptions& options);

}  // namespace kestrune::validate
