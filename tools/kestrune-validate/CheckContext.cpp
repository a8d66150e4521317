#include "tools/kestrune-validate/CheckContext.h"

#include <unistd.h>

#include <cerrno>

namespace kestrune::validate {

CheckContext::CheckContext(std::string modulePath, int strictness, uint64_t seed, int reportFd)
    : modulePath_(std::move(modulePath)), strictness_(strictness), seed_(seed), reportFd_(reportFd) {}

void CheckContext::Send(char kind, const std::string& text) {
  if (reportFd_ < 0) return;
  std::string line;
  line.reserve(text.size() + 3);
  line += kind;
  line += ' ';
  for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;
  line += '\n';
  size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = write(reportFd_, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

void CheckContext::Progress(const std::string& text) { Send(message::kProgress, text); }
void CheckContext::Warn(const std::string& text) { Send(message::kWarning, text); }
void CheckContext::Note(const std::string& text) { Send(message::kNote, text); }
void CheckContext::Skip(const std::string& reason) { Send(message::kSkip, reason); }
void CheckContext::Fatal() { Send(message::kFatal, ""); }

void CheckContext::Fail(const std::string& reason) {
  ++failures_;
  Send(message::kFailure, reason);
}

int CheckContext::Finish() {
  Send(message::kDone, "");
  return failures_ > 0 ? 1 : 0;
}

bool CheckContext::LoadModule() {
  if (module_.IsOpen()) return true;
  std::string error;
  if (!module_.Open(modulePath_, error)) {
    Fail(error);
    return false;
  }
  moduleFolder_ = FolderOf(modulePath_);
  return true;
}

std::unique_ptr<Plugin> CheckContext::NewPlugin() {
  if (!LoadModule()) return nullptr;
  std::string error;
  std::unique_ptr<Plugin> plugin = Plugin::Create(module_.EntryPoint(), moduleFolder_, error);
  if (!plugin) Fail(error);
  return plugin;
}

std::unique_ptr<Plugin> CheckContext::NewRunningPlugin(int sampleRate, int blockSize) {
  std::unique_ptr<Plugin> plugin = NewPlugin();
  if (!plugin) return nullptr;
  plugin->Open();
  plugin->Configure(sampleRate, blockSize);
  plugin->Resume();
  return plugin;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace kestrune::validate
