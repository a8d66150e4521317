#pragma once
// The audio files one command line renders, and where each result goes.

#include <functional>
#include <string>
#include <vector>

#include "tools/kestrune-render/CommandLine.h"

namespace kestrune::render {

// One file to render: its input (empty for the built-in demo) and its output.
struct RenderJob {
  std::string inputPath;
  std::string outputPath;
};

// Whether -o names a folder: with several inputs always; with one, when it ends in "/" or names an
// existing folder.
bool OutputIsFolder(const RenderOptions& options);

// The jobs of a command line (none for --list), in the order given: each input (or the demo, when RendersDemo) with
// its output path: -o itself for a single output file; inside the -o folder under the input's file
// name (the demo's under "kestrune-demo.wav"); without -o, DefaultOutputPath beside the input.
// Makes a missing -o folder (not its parents). Returns false and a reason, having rendered nothing,
// when the folder cannot be made or is not a folder, when two jobs would write the same file, or
// when a job would write over an input.
bool PlanRenderJobs(const RenderOptions& options, std::vector<RenderJob>& jobs, std::string& error);

// The number of jobs to run at once: -j, else one per processor this process may use.
int ParallelJobs(const RenderOptions& options);

// Calls job(i) for every i from 0 to count - 1, on up to threads threads at once, taking the
// indices in order; with one thread (or one job) on the calling thread. Returns when every call
// has returned.
void ForEachInParallel(int count, int threads, const std::function<void(int)>& job);

}  // namespace kestrune::render
