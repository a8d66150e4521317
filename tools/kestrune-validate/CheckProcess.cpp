#include "tools/kestrune-validate/CheckProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>

#include "tools/kestrune-validate/CheckContext.h"

extern char** environ;

namespace kestrune::validate {
namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kKeptOutputLines = 40;
constexpr size_t kMaxWarnings = 20;

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& overrides) {
  std::map<std::string, std::string> entries;
  std::vector<std::string> order;
  auto put = [&](const std::string& entry) {
    const std::string key = entry.substr(0, entry.find('='));
    if (entries.find(key) == entries.end()) order.push_back(key);
    entries[key] = entry;
  };
  for (char** e = environ; *e != nullptr; ++e) put(*e);
  for (const std::string& entry : overrides) put(entry);
  std::vector<std::string> merged;
  for (const std::string& key : order) merged.push_back(entries[key]);
  return merged;
}

// Splits what arrives on a descriptor into lines.
class LineReader {
 public:
  // Appends the complete lines read to lines; false at the end of the stream.
  bool Read(int fd, std::vector<std::string>& lines) {
    char buffer[8192];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
    if (n <= 0) {
      if (!pending_.empty()) lines.push_back(pending_);
      pending_.clear();
      return false;
    }
    pending_.append(buffer, static_cast<size_t>(n));
    for (size_t end; (end = pending_.find('\n')) != std::string::npos; pending_.erase(0, end + 1)) {
      lines.push_back(pending_.substr(0, end));
    }
    // A process that prints without newlines must not grow this without bound.
    if (pending_.size() > 65536) {
      lines.push_back(pending_);
      pending_.clear();
    }
    return true;
  }

 private:
  std::string pending_;
};

std::string SignalText(int signal) {
  const char* name = sigabbrev_np(signal);
  const char* description = strsignal(signal);
  return std::string("SIG") + (name != nullptr ? name : std::to_string(signal).c_str()) + ", " +
         (description != nullptr ? description : "signal");
}

}  // namespace

CheckResult RunCheckProcess(const std::string& name, const CheckLaunch& launch,
                            const std::function<void(const std::string&)>& progress) {
  CheckResult result;
  result.name = name;
  const auto start = Clock::now();

  int report[2], output[2];
  if (pipe2(report, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0) {
    result.detail = std::string("cannot create pipes: ") + std::strerror(errno);
    result.failures = 1;
    return result;
  }
  std::vector<std::string> argStrings{launch.executable};
  argStrings.insert(argStrings.end(), launch.arguments.begin(), launch.arguments.end());
  std::vector<std::string> envStrings = MergedEnvironment(launch.environment);
  std::vector<char*> argv, envp;
  for (std::string& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (std::string& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);

  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    // A process group of its own, so a time-out takes down whatever the plug-in started too.
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, STDIN_FILENO);
    dup2(output[1], STDOUT_FILENO);
    dup2(output[1], STDERR_FILENO);
    dup2(report[1], kCheckReportFd);
    execve(launch.executable.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(report[1]);
  close(output[1]);
  if (pid < 0) {
    close(report[0]);
    close(output[0]);
    result.detail = std::string("cannot start a process: ") + std::strerror(errno);
    result.failures = 1;
    return result;
  }
  setpgid(pid, pid);

  LineReader reportLines, outputLines;
  std::deque<std::pair<std::string, int>> kept;  // a line and how often it came again at once
  std::string lastProgress, firstFailure, skipReason, note;
  bool done = false, skipped = false, timedOut = false;
  bool reportOpen = true, outputOpen = true;
  Clock::time_point reportClosed{};
  const auto deadline = start + std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(launch.timeoutSeconds));
  while (reportOpen || outputOpen) {
    const auto now = Clock::now();
    // Something the plug-in started may hold the output open after the check has ended.
    if (!reportOpen && now - reportClosed > std::chrono::seconds(1)) break;
    if (now >= deadline) {
      timedOut = true;
      kill(-pid, SIGKILL);
      kill(pid, SIGKILL);
      break;
    }
    pollfd fds[2] = {{reportOpen ? report[0] : -1, POLLIN, 0}, {outputOpen ? output[0] : -1, POLLIN, 0}};
    const int waitMs = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count()) + 1;
    if (poll(fds, 2, std::min(waitMs, 1000)) < 0 && errno != EINTR) break;
    if (fds[0].revents != 0) {
      std::vector<std::string> lines;
      reportOpen = reportLines.Read(report[0], lines);
      if (!reportOpen) reportClosed = Clock::now();
      for (const std::string& line : lines) {
        if (line.size() < 2) continue;
        const std::string text = line.substr(2);
        switch (line[0]) {
          case message::kProgress:
            lastProgress = text;
            if (progress) progress(text);
            break;
          case message::kWarning:
            if (std::find(result.warnings.begin(), result.warnings.end(), text) == result.warnings.end()) {
              if (result.warnings.size() < kMaxWarnings) result.warnings.push_back(text);
            }
            break;
          case message::kFailure:
            if (result.failures++ == 0) firstFailure = text;
            break;
          case message::kSkip:
            skipped = true;
            skipReason = text;
            break;
          case message::kNote: note = text; break;
          case message::kFatal: result.fatal = true; break;
          case message::kDone: done = true; break;
          default: break;
        }
      }
    }
    if (fds[1].revents != 0) {
      std::vector<std::string> lines;
      outputOpen = outputLines.Read(output[0], lines);
      for (std::string& line : lines) {
        // A plug-in that complains on every block says the same thing thousands of times.
        if (!kept.empty() && kept.back().first == line) {
          ++kept.back().second;
          continue;
        }
        kept.emplace_back(std::move(line), 0);
        if (kept.size() > kKeptOutputLines) kept.pop_front();
      }
    }
  }
  close(report[0]);
  close(output[0]);
  int status = 0;
  for (;;) {
    const pid_t ended = waitpid(pid, &status, WNOHANG);
    if (ended == pid || (ended < 0 && errno != EINTR)) break;
    if (ended == 0 && Clock::now() >= deadline && !timedOut) {
      timedOut = true;
      kill(-pid, SIGKILL);
      kill(pid, SIGKILL);
    }
    if (ended == 0) usleep(10000);
  }
  // Whatever the check's process left running in its group goes with it.
  kill(-pid, SIGKILL);
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  result.finished = done && !timedOut && !WIFSIGNALED(status);
  for (const auto& [line, repeats] : kept) {
    result.output.push_back(repeats == 0 ? line : line + " [" + std::to_string(repeats + 1) + " times]");
  }

  const std::string during = lastProgress.empty() ? "" : " during: " + lastProgress;
  if (timedOut) {
    ++result.failures;
    char limit[32];
    std::snprintf(limit, sizeof limit, "%g", launch.timeoutSeconds);
    result.detail = "did not finish within " + std::string(limit) + " s (hung" + during + ")";
    if (!firstFailure.empty()) result.detail += "; before that: " + firstFailure;
  } else if (WIFSIGNALED(status)) {
    ++result.failures;
    result.detail = "crashed (" + SignalText(WTERMSIG(status)) + ")" + during;
    if (!firstFailure.empty()) result.detail += "; before that: " + firstFailure;
  } else if (result.failures > 0) {
    result.detail = firstFailure;
    if (result.failures > 1) result.detail += " (and " + std::to_string(result.failures - 1) + " more)";
  } else if (!done) {
    ++result.failures;
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.detail = code == 127 ? "the check's process could not be started"
                                : "the process exited with status " + std::to_string(code) + " before finishing" + during;
  } else if (skipped) {
    result.status = CheckResult::Status::kSkip;
    result.detail = skipReason;
    return result;
  } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
    // Finished, then failed on the way out (a sanitizer's leak report, a crash in a destructor).
    ++result.failures;
    result.detail = "the process exited with status " + std::to_string(WEXITSTATUS(status)) + " after the check";
  } else {
    result.status = CheckResult::Status::kPass;
    result.detail = note;
    return result;
  }
  result.status = CheckResult::Status::kFail;
  if (result.fatal && result.failures == 0) result.failures = 1;
  return result;
}

}  // namespace kestrune::validate
