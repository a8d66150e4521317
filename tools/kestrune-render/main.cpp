// kestrune-render: renders audio files (or the built-in demo) offline through a VST 2 plug-in,
// measures its frequency response and takes pictures of its editor.

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tools/kestrune-render/CommandLine.h"
#include "tools/kestrune-render/FileRender.h"
#include "tools/kestrune-render/PluginListing.h"
#include "tools/kestrune-render/PluginSetup.h"
#include "tools/kestrune-render/Progress.h"
#include "tools/kestrune-render/RenderJobs.h"
#include "tools/kestrune-render/ResponseJob.h"
#include "tools/kestrune-render/SnapshotJob.h"

using namespace kestrune::render;

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

std::string ErrorLine(const std::string& message) { return "kestrune-render: error: " + message; }

int Fail(const std::string& message) {
  std::fprintf(stderr, "%s\n", ErrorLine(message).c_str());
  return kExitFailure;
}

// --list: the plug-in as the settings leave it, at the rate the demo would run at.
bool List(const RenderOptions& options, std::string& error) {
  std::unique_ptr<PluginInstance> plugin = LoadPlugin(options, error);
  if (!plugin) return false;
  plugin->Open(options.sampleRate != 0 ? options.sampleRate : kDefaultDemoRate, options.blockSize);
  if (!ApplySettings(*plugin, options, true, error)) return false;
  plugin->Resume();  // effects may settle their latency only now
  std::fputs(DescribePlugin(*plugin).c_str(), stdout);
  return true;
}

int Run(const RenderOptions& options) {
  std::string error;
  std::vector<RenderJob> jobs;
  if (!PlanRenderJobs(options, jobs, error)) return Fail(error);
  const bool measuring = MeasuresResponse(options);
  const bool drawing = TakesSnapshot(options);

  double totalSeconds = 0.0;
  for (const RenderJob& job : jobs) totalSeconds += InputSeconds(job);
  ProgressReporter progress(stderr, isatty(STDERR_FILENO) != 0, totalSeconds, static_cast<int>(jobs.size()));
  if (options.listOnly) {
    if (!options.inputPaths.empty()) {
      std::fprintf(stderr, "kestrune-render: --list renders no audio; the input files are left alone\n");
    }
    if (!List(options, error)) return Fail(error);
    if (drawing && !WriteSnapshot(options, false, progress, error)) return Fail(error);
    if (measuring && !WriteResponse(options, false, progress, error)) return Fail(error);
    return kExitSuccess;
  }

  // Several things to do share one check of the settings, which also writes --save-program.
  const bool checkedOnce = jobs.size() + (measuring ? 1 : 0) + (drawing ? 1 : 0) > 1;
  if (checkedOnce && !CheckSettings(options, error)) return Fail(error);

  int failures = 0;
  if (drawing && !WriteSnapshot(options, !checkedOnce, progress, error)) {
    std::fprintf(stderr, "%s\n", ErrorLine(error).c_str());
    ++failures;
  }
  if (measuring && !WriteResponse(options, !checkedOnce, progress, error)) {
    std::fprintf(stderr, "%s\n", ErrorLine(error).c_str());
    ++failures;
  }

  const bool several = jobs.size() > 1;
  std::atomic<int> failedFiles{0};
  const auto start = std::chrono::steady_clock::now();
  ForEachInParallel(static_cast<int>(jobs.size()), ParallelJobs(options), [&](int i) {
    const RenderJob& job = jobs[static_cast<size_t>(i)];
    const std::string label = several ? (job.inputPath.empty() ? "demo" : job.inputPath) : "";
    std::string reason;
    if (!RenderFile(job, options, !checkedOnce, label, progress, reason)) {
      progress.Print(stderr, ErrorLine((label.empty() ? "" : label + ": ") + reason));
      ++failedFiles;
    }
    progress.FileDone();
  });
  progress.Finish();

  if (several) {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int rendered = static_cast<int>(jobs.size()) - failedFiles;
    if (failedFiles > 0) {
      std::fprintf(stderr, "kestrune-render: %d of %zu files rendered, %d failed\n", rendered, jobs.size(),
                   failedFiles.load());
    } else {
      std::printf("Rendered %zu files in %.2f s (%d at once)\n", jobs.size(), seconds,
                  std::min(ParallelJobs(options), static_cast<int>(jobs.size())));
    }
  }
  return failures + failedFiles > 0 ? kExitFailure : kExitSuccess;
}

}  // namespace

int main(int argc, char** argv) {
  RenderOptions options;
  std::string error;
  if (!ParseCommandLine(argc, argv, options, error)) {
    std::fprintf(stderr, "kestrune-render: error: %s\n", error.c_str());
    std::fprintf(stderr, "Try \"%s --help\".\n", argv[0]);
    return kExitUsage;
  }
  if (options.showHelp) {
    std::fputs(UsageText(argv[0]).c_str(), stdout);
    return kExitSuccess;
  }
  return Run(options);
}
