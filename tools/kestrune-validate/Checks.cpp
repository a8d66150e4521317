#include "tools/kestrune-validate/Checks.h"

namespace kestrune::validate {

const std::vector<CheckInfo>& AllChecks() {
  static const std::vector<CheckInfo> checks{
      {"load", "entry point, magic, a sane effect record, exported symbols", RunLoadCheck},
      {"info", "names, labels and texts stay inside their buffers and are valid UTF-8", RunInfoCheck},
      {"lifecycle", "open, resume, suspend and close in every host order; many instances", RunLifecycleCheck},
      {"process", "every rate, block size, precision and test signal gives finite output", RunProcessCheck},
      {"denormals", "silence after loud noise costs no more than noise", RunDenormalsCheck},
      {"realtime", "no allocation, blocking lock, file or socket call while processing", RunRealtimeCheck},
      {"parameters", "ordinary and hostile values and texts keep parameters and output sane", RunParametersCheck},
      {"threads", "processing races parameter, program and chunk calls without harm", RunThreadsCheck},
      {"state", "chunks round-trip exactly; hostile chunks change nothing harmful", RunStateCheck},
      {"programs", "switching and renaming programs, long names read back safely", RunProgramsCheck},
      {"locale", "texts and text parsing are the same under a comma-decimal locale", RunLocaleCheck},
      {"editor", "the editor opens and closes in a window of ours while audio runs", RunEditorCheck},
  };
  return checks;
}

const CheckInfo* FindCheck(const std::string& name) {
  for (const CheckInfo& check : AllChecks()) {
    if (name == check.name) return &check;
  }
  return nullptr;
}

}  // namespace kestrune::validate
