#pragma once
// The validator's checks. Each runs in its own process (a crash, hang or abort fails only that
// check) and reports through its CheckContext.

#include <string>
#include <vector>

#include "tools/kestrune-validate/CheckContext.h"

namespace kestrune::validate {

struct CheckInfo {
  const char* name;     // the word --only and --skip take
  const char* summary;  // one line for --help
  void (*run)(CheckContext& context);
};

// Every check, in the order they run.
const std::vector<CheckInfo>& AllChecks();
// The check called name, or null.
const CheckInfo* FindCheck(const std::string& name);

void RunLoadCheck(CheckContext& context);
void RunInfoCheck(CheckContext& context);
void RunLifecycleCheck(CheckContext& context);
void RunProcessCheck(CheckContext& context);
void RunDenormalsCheck(CheckContext& context);
void RunRealtimeCheck(CheckContext& context);
void RunParametersCheck(CheckContext& context);
void RunThreadsCheck(CheckContext& context);
void RunStateCheck(CheckContext& context);
void RunProgramsCheck(CheckContext& context);
void RunLocaleCheck(CheckContext& context);
void RunEditorCheck(CheckContext& context);

}  // namespace kestrune::validate
