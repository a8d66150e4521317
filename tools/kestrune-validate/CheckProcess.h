#pragma once
// Runs one check in a child process of its own and turns whatever happens to it (a verdict, a
// crash, an abort, a hang) into that check's result.

#include <functional>
#include <string>
#include <vector>

namespace kestrune::validate {

struct CheckResult {
  enum class Status { kPass, kFail, kSkip };
  std::string name;
  Status status = Status::kFail;
  std::string detail;                 // a note when passing, the reason when failing or skipped
  int failures = 0;                   // failures the check reported (a crash counts as one)
  std::vector<std::string> warnings;
  std::vector<std::string> output;    // the last lines the check's process printed, kept for failures
  double seconds = 0.0;
  bool fatal = false;                 // no usable effect: the checks after it cannot run
  bool finished = false;              // the check ran to its end (did not crash, abort or hang)
};

struct CheckLaunch {
  std::string executable;                // this program, started again in check mode
  std::vector<std::string> arguments;    // after the program name
  std::vector<std::string> environment;  // NAME=VALUE entries added to or replacing ours
  double timeoutSeconds = 120.0;
};

// Starts the check's process with its messages on descriptor 3 and its output captured, follows
// it until it ends or times out (then kills its process group), and returns the result. progress
// receives each progress text as it arrives.
CheckResult RunCheckProcess(const std::string& name, const CheckLaunch& launch,
                            const std::function<void(const std::string&)>& progress);

// The descriptor a check's process writes its messages to.
constexpr int kCheckReportFd = 3;

}  // namespace kestrune::validate
