#include "tools/kestrune-render/RenderJobs.h"

#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

namespace kestrune::render {
namespace {

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string LeafOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A name for the file path denotes that two spellings of one place share: the folder resolved
// through the file system when it exists, then the leaf.
std::string PlaceOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  char resolved[PATH_MAX];
  const std::string base = realpath(folder.c_str(), resolved) != nullptr ? std::string(resolved) : folder;
  return base + "/" + LeafOf(path);
}

// The device and inode of an existing file, to recognise it under any name.
struct FileId {
  dev_t device;
  ino_t inode;
  bool operator<(const FileId& other) const {
    return device != other.device ? device < other.device : inode < other.inode;
  }
};

bool IdOf(const std::string& path, FileId& id) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return false;
  id = {st.st_dev, st.st_ino};
  return true;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string InputName(const RenderJob& job) { return job.inputPath.empty() ? "the demo" : Quoted(job.inputPath); }

}  // namespace

bool OutputIsFolder(const RenderOptions& options) {
  const std::string& out = options.outputPath;
  if (out.empty()) return false;
  return options.inputPaths.size() > 1 || out.back() == '/' || IsFolder(out);
}

bool PlanRenderJobs(const RenderOptions& options, std::vector<RenderJob>& jobs, std::string& error) {
  jobs.clear();
  if (options.listOnly) return true;
  std::vector<std::string> sources = options.inputPaths;
  if (RendersDemo(options)) sources.push_back("");
  if (sources.empty()) return true;

  const bool toFolder = OutputIsFolder(options);
  std::string folder = options.outputPath;
  if (toFolder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (!IsFolder(folder) && mkdir(folder.c_str(), 0777) != 0) {
      error = "cannot make the output folder " + Quoted(folder) + ": " + std::strerror(errno);
      return false;
    }
  }
  for (const std::string& input : sources) {
    RenderJob job{input, ""};
    if (toFolder) {
      job.outputPath = (folder == "/" ? "" : folder) + "/" + (input.empty() ? DefaultOutputPath("") : LeafOf(input));
    } else {
      job.outputPath = options.outputPath.empty() ? DefaultOutputPath(input) : options.outputPath;
    }
    jobs.push_back(job);
  }

  std::map<FileId, const RenderJob*> inputs;
  for (const RenderJob& job : jobs) {
    FileId id;
    if (!job.inputPath.empty() && IdOf(job.inputPath, id)) inputs.emplace(id, &job);
  }
  std::map<std::string, const RenderJob*> outputs;
  for (const RenderJob& job : jobs) {
    FileId id;
    if (IdOf(job.outputPath, id) && inputs.count(id) != 0) {
      error = "cannot write " + Quoted(job.outputPath) + ": it is the input " + Quoted(inputs[id]->inputPath) +
              "; choose another output";
      return false;
    }
    const auto [at, added] = outputs.emplace(PlaceOf(job.outputPath), &job);
    if (!added) {
      error = InputName(*at->second) + " and " + InputName(job) + " would both be written to " +
              Quoted(job.outputPath) + "; choose another output folder";
      return false;
    }
  }
  return true;
}

int ParallelJobs(const RenderOptions& options) {
  if (options.jobs > 0) return options.jobs;
  cpu_set_t usable;
  CPU_ZERO(&usable);
  if (sched_getaffinity(0, sizeof usable, &usable) == 0 && CPU_COUNT(&usable) > 0) return CPU_COUNT(&usable);
  return std::max(1u, std::thread::hardware_concurrency());
}

void ForEachInParallel(int count, int threads, const std::function<void(int)>& job) {
  const int workers = std::min(threads, count);
  if (workers <= 1) {
    for (int i = 0; i < count; ++i) job(i);
    return;
  }
  std::atomic<int> next{0};
  auto work = [&]() {
    for (int i = next++; i < count; i = next++) job(i);
  };
  std::vector<std::thread> pool;
  for (int w = 0; w < workers; ++w) pool.emplace_back(work);
  for (std::thread& thread : pool) thread.join();
}

}  // namespace kestrune::render
