#include "tests/x11/XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace x11_test {

XvfbServer::XvfbServer(int depth, int width, int height)
{
  int report[2];
  if (pipe(report) != 0) return;
  const std::string fd = std::to_string(report[1]);
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
  std::vector<std::string> args = {"Xvfb", "-displayfd", fd, "-screen", "0", screen, "-nolisten", "tcp", "-noreset"};

  mPid = fork();
  if (mPid == 0)
  {
    // A test process that crashes takes its server with it.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    close(report[0]);
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0)
    {
      dup2(devNull, STDIN_FILENO);
      dup2(devNull, STDOUT_FILENO);
      dup2(devNull, STDERR_FILENO);
    }
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execvp("Xvfb", argv.data());
    _exit(127);
  }
  close(report[1]);
  if (mPid < 0)
  {
    close(report[0]);
    return;
  }

  // The number arrives followed by a line feed once the server accepts connections.
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline)
  {
    pollfd wait = {report[0], POLLIN, 0};
    if (poll(&wait, 1, 100) <= 0) continue;
    char c;
    const ssize_t n = read(report[0], &c, 1);
    if (n <= 0) break;
    if (c == '\n')
    {
      mName = ":" + number;
      break;
    }
    number += c;
  }
  close(report[0]);
  if (mName.empty()) Stop(SIGKILL);
}

XvfbServer::~XvfbServer()
{
  Stop(SIGTERM);
}

void XvfbServer::Kill()
{
  Stop(SIGKILL);
  // A killed server leaves its lock file and socket behind.
  if (mName.empty()) return;
  const std::string number = mName.substr(1);
  unlink(("/tmp/.X" + number + "-lock").c_str());
  unlink(("/tmp/.X11-unix/X" + number).c_str());
}

void XvfbServer::Stop(int signal)
{
  if (mPid <= 0) return;
  kill(mPid, signal);
  int status;
  while (waitpid(mPid, &status, 0) < 0 && errno == EINTR)
  {
  }
  mPid = -1;
}

XvfbServer* XvfbServer::Shared()
{
  static std::unique_ptr<XvfbServer> server;
  if (!server) server = std::make_unique<XvfbServer>();
  // A test with a server of its own may have pointed $DISPLAY elsewhere.
  if (!server->IsRunning()) return nullptr;
  setenv("DISPLAY", server->Name().c_str(), 1);
  return server.get();
}

} // namespace x11_test
