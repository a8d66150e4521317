#include "platform/x11/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool IsExecutableFile(const std::string& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The argument array execv wants; the strings stay owned by argv.
std::vector<char*> ArgumentArray(const std::vector<std::string>& argv)
{
  std::vector<char*> array;
  for (const std::string& arg : argv) array.push_back(const_cast<char*>(arg.c_str()));
  array.push_back(nullptr);
  return array;
}

// A pipe whose ends close on exec: the child's copy of the write end vanishes when the exec works,
// so the parent reads end-of-file; when it fails the child writes its errno first.
struct ExecReport
{
  int fds[2] = {-1, -1};

  ExecReport() { (void)pipe2(fds, O_CLOEXEC); }
  ~ExecReport()
  {
    for (int fd : fds)
      if (fd >= 0) close(fd);
  }
  bool Usable() const { return fds[0] >= 0 && fds[1] >= 0; }
  // In the child, after a failed exec.
  [[noreturn]] void ReportFailureAndExit()
  {
    const int error = errno;
    ssize_t ignored = write(fds[1], &error, sizeof(error));
    (void)ignored;
    _exit(127);
  }
  // In the parent: closes its write end and waits for the verdict.
  bool ExecSucceeded()
  {
    close(fds[1]);
    fds[1] = -1;
    int error = 0;
    ssize_t n;
    do n = read(fds[0], &error, sizeof(error));
    while (n < 0 && errno == EINTR);
    return n == 0;
  }
};

void WaitFor(pid_t pid, int* status)
{
  while (waitpid(pid, status, 0) < 0 && errno == EINTR)
  {
  }
}

} // namespace

std::string FindProgram(const char* name)
{
  if (!name || !name[0]) return {};
  if (strchr(name, '/')) return IsExecutableFile(name) ? name : std::string();
  const char* path = getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size())
  {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
    const std::string candidate = dir + "/" + name;
    if (IsExecutableFile(candidate)) return candidate;
    start = end + 1;
  }
  return {};
}

bool LaunchDetached(const std::vector<std::string>& argv)
{
  if (argv.empty()) return false;
  const std::string program = FindProgram(argv[0].c_str());
  if (program.empty()) return false;
  std::vector<char*> args = ArgumentArray(argv);
  ExecReport report;
  if (!report.Usable()) return false;

  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0)
  {
    // The child only forks the grandchild and leaves; the grandchild, orphaned, is reaped by init.
    setsid();
    const pid_t grandchild = fork();
    if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
    signal(SIGPIPE, SIG_DFL);
    execv(program.c_str(), args.data());
    report.ReportFailureAndExit();
  }
  int status = 0;
  WaitFor(child, &status);
  const bool forked = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  const bool started = report.ExecSucceeded();
  return forked && started;
}

ProgramResult RunProgram(const std::vector<std::string>& argv, const std::function<void()>& whileWaiting, int tickMs)
{
  ProgramResult result;
  if (argv.empty()) return result;
  const std::string program = FindProgram(argv[0].c_str());
  if (program.empty()) return result;
  std::vector<char*> args = ArgumentArray(argv);
  ExecReport report;
  int out[2];
  if (!report.Usable() || pipe2(out, O_CLOEXEC) != 0) return result;

  const pid_t child = fork();
  if (child < 0)
  {
    close(out[0]);
    close(out[1]);
    return result;
  }
  if (child == 0)
  {
    const int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0) dup2(devNull, STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    signal(SIGPIPE, SIG_DFL);
    execv(program.c_str(), args.data());
    report.ReportFailureAndExit();
  }
  close(out[1]);
  result.ran = report.ExecSucceeded();

  char buffer[4096];
  for (;;)
  {
    pollfd waitFor = {out[0], POLLIN, 0};
    const int ready = poll(&waitFor, 1, whileWaiting ? tickMs : -1);
    if (ready < 0 && errno != EINTR) break;
    if (ready > 0)
    {
      const ssize_t n = read(out[0], buffer, sizeof(buffer));
      if (n > 0) result.output.append(buffer, size_t(n));
      else if (n == 0 || errno != EINTR) break;
    }
    if (whileWaiting) whileWaiting();
  }
  close(out[0]);

  int status = 0;
  WaitFor(child, &status);
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  return result;
}
