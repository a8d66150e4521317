#pragma once
// One audio file rendered through its own plug-in instance.

#include <string>

#include "tools/kestrune-render/CommandLine.h"
#include "tools/kestrune-render/Progress.h"
#include "tools/kestrune-render/RenderJobs.h"

namespace kestrune::render {

// Renders job as the options say: opens the input (or makes the demo), loads a plug-in instance of
// its own at the input's rate, applies the settings (writing --save-program when saveProgram),
// renders into the output, which appears only when complete, and prints the summary line and any
// warnings through progress (warnings start with label when it is not empty). Returns false and a
// reason when anything fails; no output is left behind then. Safe to run for several jobs at once.
bool RenderFile(const RenderJob& job, const RenderOptions& options, bool saveProgram, const std::string& label,
                ProgressReporter& progress, std::string& error);

// The seconds of audio the job's input holds (0 when it cannot be read), for the progress bar.
double InputSeconds(const RenderJob& job);

}  // namespace kestrune::render
