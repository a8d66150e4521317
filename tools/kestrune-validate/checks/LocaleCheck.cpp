// locale: a host running under a locale whose decimal separator is a comma (most of Europe) sees
// the same names, display texts, text parsing and chunks as one running under "C". Each side runs
// in a fresh process that sets its locale before the module is loaded, as hosts do at start-up.

#include <fcntl.h>
#include <locale.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/kestrune-validate/Checks.h"
#include "tools/kestrune-validate/CommaLocale.h"
#include "tools/kestrune-validate/GuardedText.h"
#include "tools/kestrune-validate/checks/BlockRunner.h"

namespace kestrune::validate {
namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 256;
// Values are named by these texts, written here rather than formatted, which the locale would change.
constexpr float kValues[] = {0.f, 0.125f, 0.25f, 0.375f, 0.5f, 0.625f, 0.75f, 0.875f, 1.f};
constexpr const char* kValueNames[] = {"0", "0.125", "0.25", "0.375", "0.5", "0.625", "0.75", "0.875", "1"};

std::string Quoted(const std::string& text) { return "\"" + Printable(text, 40) + "\""; }

std::string Hash(const std::vector<unsigned char>& bytes) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char b : bytes) h = (h ^ b) * 1099511628211ull;
  return std::to_string(bytes.size()) + " bytes, hash " + std::to_string(h);
}

// Everything the locale could change, one line per observation. Lines starting with "P " report
// progress instead.
class Observer {
 public:
  explicit Observer(int fd) : fd_(fd) {}
  void Line(const std::string& text) { Write(text + "\n"); }
  void Progress(const std::string& text) { Write("P " + text + "\n"); }

 private:
  void Write(const std::string& text) {
    for (size_t done = 0; done < text.size();) {
      const ssize_t n = write(fd_, text.data() + done, text.size() - done);
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
  }
  int fd_;
};

void Observe(CheckContext& context, Observer& out) {
  std::unique_ptr<Plugin> plugin = context.NewRunningPlugin(kRate, kBlock);
  if (!plugin) return;
  out.Progress("names and labels");
  out.Line("effect name " + Quoted(plugin->Text(effGetEffectName)));
  out.Line("program name " + Quoted(plugin->Text(effGetProgramName)));
  for (int p = 0; p < plugin->Params(); ++p) {
    out.Line("parameter " + std::to_string(p) + " is called " + Quoted(plugin->Text(effGetParamName, p)) +
             " with the label " + Quoted(plugin->Text(effGetParamLabel, p)));
  }
  for (int p = 0; p < plugin->Params(); ++p) {
    out.Progress("display texts of parameter " + std::to_string(p) + " and typing them back");
    for (size_t k = 0; k < std::size(kValues); ++k) {
      plugin->SetParameter(p, kValues[k]);
      const std::string shown = plugin->Text(effGetParamDisplay, p);
      out.Line("parameter " + std::to_string(p) + " at " + kValueNames[k] + " shows " + Quoted(shown));
      // Typed back from the other end of the range, so that a text that is not understood shows.
      plugin->SetParameter(p, kValues[k] < 0.5f ? 1.f : 0.f);
      const intptr_t answer = plugin->TextToParameter(p, shown);
      out.Line("parameter " + std::to_string(p) + ": typing " + Quoted(shown) + " is answered " +
               std::to_string(answer) + " and then shows " + Quoted(plugin->Text(effGetParamDisplay, p)));
    }
  }
  out.Progress("garbage text under this locale");
  BlockRunner runner(*plugin, kBlock, kRate, context.Seed());
  for (int p = 0; p < plugin->Params(); ++p) {
    for (const char* text : {"0,5", "0.5", "1,5e3", "-0,25", "abc", ""}) {
      plugin->TextToParameter(p, text);
      const std::string bad = runner.Run(SignalKind::kNoise, 0, kBlock, Precision::kFloat);
      if (!bad.empty()) out.Line("after typing \"" + std::string(text) + "\" into parameter " + std::to_string(p) + ": " + bad);
    }
  }
  out.Progress("chunks under this locale");
  for (int p = 0; p < plugin->Params(); ++p) plugin->SetParameter(p, kValues[static_cast<size_t>(p) % std::size(kValues)]);
  for (bool program : {true, false}) {
    const std::vector<unsigned char> chunk = plugin->GetChunk(program);
    out.Line(std::string(program ? "the program chunk" : "the bank chunk") + " is " + Hash(chunk));
    if (chunk.empty()) continue;
    std::unique_ptr<Plugin> restored = context.NewRunningPlugin(kRate, kBlock);
    if (!restored) return;
    restored->SetChunk(program, chunk.data(), static_cast<intptr_t>(chunk.size()));
    for (int p = 0; p < restored->Params(); ++p) {
      out.Line(std::string("restored from the ") + (program ? "program" : "bank") + " chunk, parameter " +
               std::to_string(p) + " shows " + Quoted(restored->Text(effGetParamDisplay, p)));
    }
  }
}

struct Observation {
  std::vector<std::string> lines;
  std::string lastProgress;
  std::string failure;  // how the observing process ended, when it did not end well
};

// Observes the module in a fresh process running under locale.
Observation ObserveUnder(CheckContext& context, const std::string& locale) {
  Observation result;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    result.failure = "cannot create a pipe";
    return result;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    if (setlocale(LC_ALL, locale.c_str()) == nullptr) _exit(3);
    CheckContext quiet(context.ModulePath(), context.Strict().Level(), context.Seed(), -1);
    Observer out(fds[1]);
    Observe(quiet, out);
    _exit(quiet.Failed() ? 2 : 0);
  }
  close(fds[1]);
  std::string pending;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    pending.append(buffer, static_cast<size_t>(n));
    for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
      const std::string line = pending.substr(0, end);
      if (line.compare(0, 2, "P ") == 0) {
        result.lastProgress = line.substr(2);
        context.Progress("under " + locale + ": " + result.lastProgress);
      } else {
        result.lines.push_back(line);
      }
    }
  }
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFSIGNALED(status)) {
    result.failure = std::string("the plug-in crashed (") + strsignal(WTERMSIG(status)) + ") during: " + result.lastProgress;
  } else if (WEXITSTATUS(status) == 3) {
    result.failure = "the locale cannot be set";
  } else if (WEXITSTATUS(status) != 0) {
    result.failure = "the module cannot be loaded";
  }
  return result;
}

}  // namespace

void RunLocaleCheck(CheckContext& context) {
  const std::string comma = FindCommaLocale();
  if (comma.empty()) {
    context.Skip("no locale with a decimal comma is installed (generate de_DE.UTF-8 with locale-gen)");
    return;
  }
  const Observation plain = ObserveUnder(context, "C");
  if (!plain.failure.empty()) {
    context.Fail("under the C locale " + plain.failure);
    return;
  }
  const Observation local = ObserveUnder(context, comma);
  if (!local.failure.empty()) {
    context.Fail("under " + comma + " " + local.failure);
    return;
  }
  for (size_t i = 0; i < plain.lines.size() || i < local.lines.size(); ++i) {
    const std::string a = i < plain.lines.size() ? plain.lines[i] : "(nothing)";
    const std::string b = i < local.lines.size() ? local.lines[i] : "(nothing)";
    if (a != b) {
      context.Fail("under " + comma + ": " + b + "; under C: " + a);
      return;
    }
  }
  context.Note("same texts, parsing and chunks under " + comma);
}

}  // namespace kestrune::validate
