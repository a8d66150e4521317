#pragma once
// --snapshot: a picture of the plug-in's editor at the settings given, written as a PNG file.

#include <string>

#include "tools/kestrune-render/CommandLine.h"
#include "tools/kestrune-render/Progress.h"

namespace kestrune::render {

// Checks that --snapshot can be written, loads a plug-in instance of its own, opens it at --rate
// (else the demo's rate), applies the settings (writing --save-program when saveProgram), takes the
// picture of its editor (TakeEditorSnapshot) and writes it to --snapshot, complete or not at all;
// prints a summary line through progress. Returns false and a reason on failure.
bool WriteSnapshot(const RenderOptions& options, bool saveProgram, ProgressReporter& progress, std::string& error);

}  // namespace kestrune::render
