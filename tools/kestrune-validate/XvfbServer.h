#pragma once
// A virtual X server of our own for the editor check, on a display number it picks itself.

#include <sys/types.h>

#include <string>

namespace kestrune::validate {

// Starts Xvfb and stops it (and waits for it) when it goes. Not copyable.
class XvfbServer {
 public:
  XvfbServer() = default;
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // Starts Xvfb with -displayfd and waits up to timeoutSeconds for it to announce its display.
  // Returns false and a reason when it cannot be started or does not answer.
  bool Start(double timeoutSeconds, std::string& error);
  // The display name for DISPLAY (":N"), empty before Start succeeds.
  const std::string& DisplayName() const { return display_; }
  // Terminates the server and waits for it; nothing when none runs.
  void Stop();

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace kestrune::validate
