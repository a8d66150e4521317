// programs: switching to every program, and to ones that do not exist, keeps the instance sane;
// renamed programs, with names up to 200 characters, read back inside the host's buffer.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/kestrune-validate/Checks.h"
#include "tools/kestrune-validate/checks/BlockRunner.h"
#include "tools/kestrune-validate/checks/TextAudit.h"

namespace kestrune::validate {
namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 256;
constexpr int kMaxProgramsVisited = 128;

std::string NameOfLength(size_t length) {
  std::string name = "Renamed by kestrune-validate ";
  while (name.size() < length) name += static_cast<char>('a' + name.size() % 26);
  name.resize(length);
  return name;
}

class ProgramProbe {
 public:
  ProgramProbe(CheckContext& context, Plugin& plugin)
      : context_(context), plugin_(plugin), runner_(plugin, kBlock, kRate, context.Seed()) {}

  bool Sane(const std::string& after) {
    for (int p = 0; p < plugin_.Params(); ++p) {
      const float v = plugin_.GetParameter(p);
      if (!(v >= 0.f && v <= 1.f)) {
        context_.Fail("after " + after + ", getParameter(" + std::to_string(p) + ") reads outside 0..1");
        return false;
      }
    }
    const intptr_t current = plugin_.Dispatch(effGetProgram);
    if (current < 0 || current >= std::max(1, plugin_.Programs())) {
      context_.Fail("after " + after + ", effGetProgram answers " + std::to_string(current) + " of " +
                    std::to_string(plugin_.Programs()) + " programs");
      return false;
    }
    const std::string bad = runner_.Run(SignalKind::kNoise, position_, kBlock, Precision::kFloat);
    position_ += kBlock;
    if (!bad.empty()) {
      context_.Fail("after " + after + ": " + bad);
      return false;
    }
    return true;
  }

 private:
  CheckContext& context_;
  Plugin& plugin_;
  BlockRunner runner_;
  int64_t position_ = 0;
};

bool SwitchEverywhere(CheckContext& context, Plugin& plugin, ProgramProbe& probe, TextAudit& audit) {
  const int programs = plugin.Programs();
  const int step = std::max(1, programs / kMaxProgramsVisited);
  for (int i = 0; i < programs; i += step) {
    const std::string what = "effSetProgram(" + std::to_string(i) + ")";
    context.Progress(what);
    plugin.Dispatch(effSetProgram, 0, i);
    const intptr_t current = plugin.Dispatch(effGetProgram);
    if (current != i) {
      context.Fail(what + " left effGetProgram at " + std::to_string(current));
      return false;
    }
    audit.Ask(plugin, effGetProgramName, 0, kVstMaxProgNameLen, "effGetProgramName", "effGetProgramName after " + what);
    if (!probe.Sane(what)) return false;
  }
  for (intptr_t index : {intptr_t{-1}, intptr_t{programs}, intptr_t{INT_MAX}, INTPTR_MAX, INTPTR_MIN}) {
    const std::string what = "effSetProgram(" + std::to_string(index) + ") with " + std::to_string(programs) + " programs";
    context.Progress(what);
    plugin.Dispatch(effSetProgram, 0, index);
    if (!probe.Sane(what)) return false;
  }
  return true;
}

bool Rename(CheckContext& context, Plugin& plugin, ProgramProbe& probe, TextAudit& audit) {
  plugin.Dispatch(effSetProgram, 0, 0);
  int unexpected = 0;
  std::string example;
  for (size_t length : {size_t{0}, size_t{1}, size_t{23}, size_t{24}, size_t{25}, size_t{63}, size_t{100}, size_t{200}}) {
    const std::string name = NameOfLength(length);
    const std::string what = "effSetProgramName with " + std::to_string(length) + " characters";
    context.Progress(what);
    std::vector<char> text(name.begin(), name.end());
    text.push_back('\0');
    plugin.Dispatch(effSetProgramName, 0, 0, text.data());
    const std::string back =
        audit.Ask(plugin, effGetProgramName, 0, kVstMaxProgNameLen, "effGetProgramName", "effGetProgramName after " + what);
    audit.Ask(plugin, effGetProgramNameIndexed, 0, kVstMaxProgNameLen, "effGetProgramNameIndexed",
              "effGetProgramNameIndexed(0) after " + what);
    if (context.Failed() || !probe.Sane(what)) return false;
    // An empty name may be refused; any other must read back whole or cut.
    if (length > 0 && name.compare(0, back.size(), back) != 0 && unexpected++ == 0) {
      example = "named \"" + Printable(name, 30) + "\", it reads \"" + Printable(back, 30) + "\"";
    }
  }
  if (unexpected > 0) {
    context.Warn("a renamed program reads back a name that is not the one given, cut or whole (" + example + ")");
  }
  return true;
}

}  // namespace

void RunProgramsCheck(CheckContext& context) {
  std::unique_ptr<Plugin> plugin = context.NewRunningPlugin(kRate, kBlock);
  if (!plugin) return;
  if (plugin->Programs() < 1) {
    context.Skip("the module has no programs");
    return;
  }
  ProgramProbe probe(context, *plugin);
  TextAudit audit(context);
  if (SwitchEverywhere(context, *plugin, probe, audit)) Rename(context, *plugin, probe, audit);
  audit.ReportWarnings();
}

}  // namespace kestrune::validate
