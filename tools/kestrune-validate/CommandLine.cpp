#include "tools/kestrune-validate/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "tools/kestrune-validate/Checks.h"
#include "tools/kestrune-validate/Strictness.h"
#include "tools/options/OptionWord.h"

namespace kestrune::validate {
namespace {

bool ParseInt(const std::string& text, long minimum, long maximum, long& out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < minimum || value > maximum) return false;
  out = value;
  return true;
}

// Adds the check names in text (comma-separated) to names; false and a reason for an unknown one.
bool AddCheckNames(const std::string& text, std::vector<std::string>& names, std::string& error) {
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = std::min(text.find(',', start), text.size());
    const std::string name = text.substr(start, comma - start);
    if (FindCheck(name) == nullptr) {
      error = "unknown check \"" + name + "\"; the checks are:";
      for (const CheckInfo& check : AllChecks()) error += std::string(" ") + check.name;
      return false;
    }
    names.push_back(name);
    start = comma + 1;
  }
  return true;
}

bool IsCheckList(const std::string& text) {
  std::vector<std::string> ignored;
  std::string error;
  return !text.empty() && AddCheckNames(text, ignored, error);
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, ValidateOptions& options, std::string& error) {
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (optionsEnded || arg.empty() || arg[0] != '-') {
      options.modules.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    tools::OptionWord option(argc, argv, i);
    const std::string& name = option.Name();
    auto takeValue = [&](std::string& out) { return option.TakeValue(out, error); };
    auto rejectInline = [&]() { return option.RejectInlineValue(error); };
    // --only and --skip take one or more names: the next word, and the words after it that are
    // check names too (so "--only info state MODULE.so" reads as it looks).
    auto takeNames = [&](std::vector<std::string>& names) {
      std::string first;
      if (!takeValue(first) || !AddCheckNames(first, names, error)) return false;
      while (!option.HasInlineValue() && i + 1 < argc && IsCheckList(argv[i + 1])) AddCheckNames(argv[++i], names, error);
      return true;
    };

    if (name == "-h" || name == "--help") {
      if (!rejectInline()) return false;
      options.showHelp = true;
    } else if (name == "--xvfb") {
      if (!rejectInline()) return false;
      options.xvfb = true;
    } else if (name == "--strictness") {
      std::string text;
      long value = 0;
      if (!takeValue(text)) return false;
      if (!ParseInt(text, kMinStrictness, kMaxStrictness, value)) {
        error = "--strictness needs a whole number from 1 to 10, got \"" + text + "\"";
        return false;
      }
      options.strictness = static_cast<int>(value);
    } else if (name == "--only") {
      if (!takeNames(options.only)) return false;
    } else if (name == "--skip") {
      if (!takeNames(options.skip)) return false;
    } else if (name == "--json") {
      if (!takeValue(options.jsonPath)) return false;
      if (options.jsonPath.empty()) {
        error = "the --json file name is empty";
        return false;
      }
    } else if (name == "--seed") {
      std::string text;
      if (!takeValue(text)) return false;
      errno = 0;
      char* end = nullptr;
      const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
      if (text.empty() || text[0] == '-' || errno != 0 || *end != '\0') {
        error = "--seed needs a whole number from 0 up, got \"" + text + "\"";
        return false;
      }
      options.seed = value;
    } else if (name == "--timeout") {
      std::string text;
      if (!takeValue(text)) return false;
      char* end = nullptr;
      const double value = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != '\0' || !std::isfinite(value) || value <= 0 || value > 86400) {
        error = "--timeout needs a number of seconds above 0 (at most a day), got \"" + text + "\"";
        return false;
      }
      options.timeoutSeconds = value;
    } else if (name == "--run-check") {
      if (!takeValue(options.runCheck)) return false;
      if (FindCheck(options.runCheck) == nullptr) {
        error = "unknown check \"" + options.runCheck + "\"";
        return false;
      }
    } else {
      error = "unknown option \"" + arg + "\" (see --help)";
      return false;
    }
  }
  if (!options.showHelp && options.modules.empty()) {
    error = "no module given: name at least one VST 2 module (.so) to validate";
    return false;
  }
  if (!options.runCheck.empty() && options.modules.size() != 1) {
    error = "--run-check takes exactly one module";
    return false;
  }
  return true;
}

std::vector<std::string> SelectedChecks(const ValidateOptions& options) {
  std::vector<std::string> names;
  for (const CheckInfo& check : AllChecks()) {
    const std::string name = check.name;
    const bool wanted = options.only.empty() || std::find(options.only.begin(), options.only.end(), name) != options.only.end();
    const bool skipped = std::find(options.skip.begin(), options.skip.end(), name) != options.skip.end();
    if (wanted && !skipped) names.push_back(name);
  }
  return names;
}

std::string UsageText(const std::string& programName) {
  std::string text = "Usage: " + programName +
                     " [--strictness 1..10] [--only NAME...] [--skip NAME...] [--json FILE]\n"
                     "       [--seed N] [--timeout S] [--xvfb] MODULE.so...\n"
                     "\n"
                     "Loads each VST 2 module as a host would and runs checks on it. Every check runs in a\n"
                     "process of its own: a crash, an abort or a hang fails that check and the run goes on.\n"
                     "\n"
                     "  --strictness N  1 is a quick look, 10 the full programme: more sample rates, block\n"
                     "                  sizes, rounds and time (default 5).\n"
                     "  --only NAME...  run only these checks (names separated by spaces or commas).\n"
                     "  --skip NAME...  leave these checks out.\n"
                     "  --json FILE     also write the results as JSON.\n"
                     "  --seed N        seed of the random values, sizes and chunks (default 1); the same\n"
                     "                  seed repeats a run exactly.\n"
                     "  --timeout S     seconds one check may take before it counts as hung (default 120).\n"
                     "  --xvfb          start a virtual X server for the editor check (needs Xvfb).\n"
                     "  -h, --help      show this text.\n"
                     "\n"
                     "Checks:\n";
  for (const CheckInfo& check : AllChecks()) {
    std::string name = check.name;
    name.resize(12, ' ');
    text += "  " + name + check.summary + "\n";
  }
  text +=
      "\n"
      "The editor check needs an X display (DISPLAY, or --xvfb); the realtime check needs\n"
      "kestrune-validate-preload.so beside the program; the locale check needs a locale with a decimal\n"
      "comma (such as de_DE.UTF-8). Each skips, saying why, when its need is not met.\n"
      "\n"
      "Exit status: 0 when no check failed, 1 when one did, 2 for a malformed command line.\n";
  return text;
}

}  // namespace kestrune::validate
