// kestrune-validate: loads VST 2 modules as hosts do and checks that they survive what hosts do.

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/kestrune-validate/CommandLine.h"
#include "tools/kestrune-validate/Report.h"
#include "tools/kestrune-validate/Validator.h"
#include "tools/kestrune-validate/XvfbServer.h"

using namespace kestrune::validate;

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr double kXvfbStartSeconds = 10.0;

std::string ExecutablePath() {
  std::vector<char> buffer(4096);
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  return n > 0 ? std::string(buffer.data(), static_cast<size_t>(n)) : "";
}

bool WantsEditor(const ValidateOptions& options) {
  for (const std::string& name : SelectedChecks(options)) {
    if (name == "editor") return true;
  }
  return false;
}

int Run(const ValidateOptions& options) {
  const std::string executable = ExecutablePath();
  if (executable.empty()) {
    std::fprintf(stderr, "kestrune-validate: error: cannot find the program's own file to start checks with\n");
    return kExitFailure;
  }
  XvfbServer xvfb;
  if (options.xvfb && WantsEditor(options)) {
    std::string error;
    if (!xvfb.Start(kXvfbStartSeconds, error)) {
      std::fprintf(stderr, "kestrune-validate: error: %s\n", error.c_str());
      return kExitFailure;
    }
  }
  ProgressLine progress(stderr, isatty(STDERR_FILENO) != 0);
  const std::vector<ModuleReport> reports = ValidateModules(options, executable, xvfb.DisplayName(), stdout, progress);
  xvfb.Stop();
  if (!options.jsonPath.empty()) {
    std::ofstream json(options.jsonPath, std::ios::binary | std::ios::trunc);
    json << ToJson(reports, options.strictness, options.seed);
    json.close();
    if (!json) {
      std::fprintf(stderr, "kestrune-validate: error: cannot write \"%s\"\n", options.jsonPath.c_str());
      return kExitFailure;
    }
  }
  return AnyFailed(reports) ? kExitFailure : 0;
}

}  // namespace

int main(int argc, char** argv) {
  ValidateOptions options;
  std::string error;
  if (!ParseCommandLine(argc, argv, options, error)) {
    std::fprintf(stderr, "kestrune-validate: error: %s\n", error.c_str());
    std::fprintf(stderr, "Try \"%s --help\".\n", argv[0]);
    return kExitUsage;
  }
  if (options.showHelp) {
    std::fputs(UsageText(argv[0]).c_str(), stdout);
    return 0;
  }
  if (!options.runCheck.empty()) return RunCheckHere(options);
  return Run(options);
}
