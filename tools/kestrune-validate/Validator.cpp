#include "tools/kestrune-validate/Validator.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "tools/kestrune-validate/CheckContext.h"
#include "tools/kestrune-validate/Checks.h"

namespace kestrune::validate {
namespace {

bool IsFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// ThreadSanitizer's runtime interposes the allocation and lock calls itself and must come first.
#if defined(__SANITIZE_THREAD__)
constexpr bool kCanPreload = false;
#else
constexpr bool kCanPreload = true;
#endif

// What a check's process needs besides the common arguments.
std::vector<std::string> CheckEnvironment(const std::string& check, const std::string& executable,
                                          const std::string& display) {
  std::vector<std::string> environment;
  if (check == "realtime" && kCanPreload) {
    const std::string preload = PreloadLibraryFor(executable);
    if (IsFile(preload)) {
      const char* others = std::getenv("LD_PRELOAD");
      environment.push_back("LD_PRELOAD=" + preload + (others != nullptr && *others ? ":" + std::string(others) : ""));
#if defined(__SANITIZE_ADDRESS__)
      // The sanitizer wants its runtime first; the preload forwards everything to it anyway.
      const char* asan = std::getenv("ASAN_OPTIONS");
      environment.push_back(std::string("ASAN_OPTIONS=") + (asan != nullptr && *asan ? std::string(asan) + ":" : "") +
                            "verify_asan_link_order=0");
#endif
    }
  }
  if (check == "editor" && !display.empty()) environment.push_back("DISPLAY=" + display);
  return environment;
}

}  // namespace

std::string PreloadLibraryFor(const std::string& executable) {
  return FolderOf(executable) + "/kestrune-validate-preload.so";
}

std::vector<ModuleReport> ValidateModules(const ValidateOptions& options, const std::string& executable,
                                          const std::string& display, std::FILE* out, ProgressLine& progress) {
  const std::vector<std::string> checks = SelectedChecks(options);
  std::vector<ModuleReport> reports;
  for (const std::string& module : options.modules) {
    ModuleReport report;
    report.path = module;
    const auto start = std::chrono::steady_clock::now();
    std::fputs(ModuleHeader(module, options.strictness, options.seed).c_str(), out);
    std::fflush(out);
    bool unusable = false;
    for (size_t i = 0; i < checks.size(); ++i) {
      CheckResult result;
      if (unusable) {
        result.name = checks[i];
        result.status = CheckResult::Status::kSkip;
        result.detail = "the module gives no usable effect (see load)";
      } else {
        CheckLaunch launch;
        launch.executable = executable;
        launch.arguments = {"--run-check", checks[i], "--strictness", std::to_string(options.strictness),
                            "--seed", std::to_string(options.seed), "--", module};
        launch.environment = CheckEnvironment(checks[i], executable, display);
        launch.timeoutSeconds = options.timeoutSeconds;
        progress.Begin(static_cast<int>(i + 1), static_cast<int>(checks.size()), checks[i]);
        result = RunCheckProcess(checks[i], launch, [&](const std::string& text) { progress.Update(text); });
        progress.Clear();
        // A module whose loading crashes or hangs would do the same in every check.
        unusable = result.fatal || (checks[i] == "load" && !result.finished);
      }
      std::fputs(CheckLines(result).c_str(), out);
      std::fflush(out);
      report.results.push_back(std::move(result));
    }
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fputs(SummaryLine(report).c_str(), out);
    std::fflush(out);
    reports.push_back(std::move(report));
  }
  return reports;
}

int RunCheckHere(const ValidateOptions& options) {
  const CheckInfo* check = FindCheck(options.runCheck);
  CheckContext context(options.modules.front(), options.strictness, options.seed, kCheckReportFd);
  check->run(context);
  // What follows (closing instances, unloading the module) can crash too, and is named if it does.
  context.Progress("unloading the module");
  return context.Finish();
}

}  // namespace kestrune::validate
