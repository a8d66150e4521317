#pragma once

// A virtual X server for tests: Xvfb started on a free display number (it picks one itself and
// reports it through -displayfd) and stopped again, so that no server has to run beforehand.

#include <sys/types.h>

#include <string>

namespace x11_test {

class XvfbServer
{
public:
  // Starts Xvfb with one screen of width x height at depth, waiting up to 20 s for it to report
  // its display. IsRunning() tells whether it came up.
  explicit XvfbServer(int depth = 24, int width = 1024, int height = 768);
  // Stops the server (if it still runs) and reaps it.
  ~XvfbServer();

  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool IsRunning() const { return mPid > 0 && !mName.empty(); }
  // ":N", the display name of the server.
  const std::string& Name() const { return mName; }
  // Ends the server at once, as a crash would, and reaps it.
  void Kill();

  // A server shared by the tests of one process (started on first use), with $DISPLAY pointing at
  // it. Null when Xvfb cannot be started.
  static XvfbServer* Shared();

private:
  void Stop(int signal);

  pid_t mPid = -1;
  std::string mName;
};

} // namespace x11_test
