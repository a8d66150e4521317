#pragma once
// What the user reads: one line per check, warnings and captured output under it, a summary per
// module, a progress line while checks run, and the same results as JSON.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/kestrune-validate/CheckProcess.h"

namespace kestrune::validate {

struct ModuleReport {
  std::string path;
  std::vector<CheckResult> results;
  double seconds = 0.0;
};

// "kestrune-validate: PATH (strictness N, seed S)".
std::string ModuleHeader(const std::string& path, int strictness, uint64_t seed);
// The check's line, then its warnings and, for a failure, the output its process printed last.
std::string CheckLines(const CheckResult& result);
// "NAME: 10 passed, 1 failed, 1 skipped, 2 warnings (12.3 s)".
std::string SummaryLine(const ModuleReport& report);
// Whether any check of any module failed.
bool AnyFailed(const std::vector<ModuleReport>& reports);

// The whole run as a JSON document.
std::string ToJson(const std::vector<ModuleReport>& reports, int strictness, uint64_t seed);
// text as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);

// The line that shows where a run is, redrawn in place on a terminal at most ten times a second;
// silent when the stream is not a terminal.
class ProgressLine {
 public:
  ProgressLine(std::FILE* stream, bool isTerminal) : stream_(stream), enabled_(isTerminal) {}
  // Names the check running now; counted from 1.
  void Begin(int index, int count, const std::string& check);
  void Update(const std::string& text);
  // Removes the line so that a result can be printed in its place.
  void Clear();

 private:
  using Clock = std::chrono::steady_clock;
  std::FILE* stream_;
  bool enabled_;
  std::string prefix_;
  Clock::time_point lastDraw_{};
  bool drawn_ = false;
};

}  // namespace kestrune::validate
