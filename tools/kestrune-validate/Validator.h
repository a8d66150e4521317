#pragma once
// The validator's run: every selected check of every module, each in a process of its own.

#include <cstdio>
#include <string>
#include <vector>

#include "tools/kestrune-validate/CommandLine.h"
#include "tools/kestrune-validate/Report.h"

namespace kestrune::validate {

// Runs the selected checks on every module, printing each result to out as it comes and progress to
// progress, and returns the reports. executable is this program (started again per check);
// display, when not empty, is the X display handed to the editor check.
std::vector<ModuleReport> ValidateModules(const ValidateOptions& options, const std::string& executable,
                                          const std::string& display, std::FILE* out, ProgressLine& progress);

// Runs options.runCheck on the one module in options, reporting to the descriptor a validator
// started it with; returns the process's exit status.
int RunCheckHere(const ValidateOptions& options);

// The preload library the realtime check needs, beside executable.
std::string PreloadLibraryFor(const std::string& executable);

}  // namespace kestrune::validate
