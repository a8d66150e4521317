#pragma once
// What a check sees while it runs in its own process: the module, the strictness and seed, and the
// line it reports through to the validator that started it.

#include <cstdint>
#include <memory>
#include <string>

#include "tools/kestrune-validate/Plugin.h"
#include "tools/kestrune-validate/Strictness.h"
#include "tools/vsthost/VstModule.h"

namespace kestrune::validate {

// Messages from a check's process to the validator, one per line: a letter, a space, the text.
namespace message {
constexpr char kProgress = 'P';  // what the check is doing now (named when it crashes or hangs)
constexpr char kWarning = 'W';
constexpr char kFailure = 'F';
constexpr char kSkip = 'S';
constexpr char kNote = 'N';      // a detail shown on a passing check's line
constexpr char kFatal = 'X';     // no usable effect: later checks cannot run
constexpr char kDone = 'D';      // the check finished on its own
}  // namespace message

class CheckContext {
 public:
  // reportFd receives the messages; -1 sends them nowhere (for in-process use).
  CheckContext(std::string modulePath, int strictness, uint64_t seed, int reportFd);

  const std::string& ModulePath() const { return modulePath_; }
  const Strictness& Strict() const { return strictness_; }
  uint64_t Seed() const { return seed_; }

  void Progress(const std::string& text);
  void Warn(const std::string& text);
  // Records a failure; the check may go on and report more.
  void Fail(const std::string& reason);
  // The check does not apply; the reason says why.
  void Skip(const std::string& reason);
  void Note(const std::string& text);
  void Fatal();
  bool Failed() const { return failures_ > 0; }
  // Sends the end of the check; returns the exit status for the check's process.
  int Finish();

  // Loads the module (once); false after a failure naming why.
  bool LoadModule();
  // Creates an instance from the loaded module; null after a failure naming why.
  std::unique_ptr<Plugin> NewPlugin();
  // effOpen, sample rate and block size, and resume: an instance ready to process.
  std::unique_ptr<Plugin> NewRunningPlugin(int sampleRate, int blockSize);

 private:
  void Send(char kind, const std::string& text);

  std::string modulePath_;
  Strictness strictness_;
  uint64_t seed_;
  int reportFd_;
  int failures_ = 0;
  host::VstModule module_;
  std::string moduleFolder_;
};

// The folder part of path ("." for a bare name).
std::string FolderOf(const std::string& path);

}  // namespace kestrune::validate
