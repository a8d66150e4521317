#pragma once
// --response and --response-csv: a plug-in instance of its own measured, and the result written.

#include <string>

#include "tools/kestrune-render/CommandLine.h"
#include "tools/kestrune-render/Progress.h"

namespace kestrune::render {

// Checks that the CSV file and the picture the options name can be written, loads the plug-in at
// --rate (else the demo's rate), applies the settings (writing --save-program when saveProgram),
// measures its frequency response and writes the files, each complete or not at all; prints a
// summary line and any warnings through progress. Returns false and a reason on failure, among
// them a plug-in without audio inputs or outputs.
bool WriteResponse(const RenderOptions& options, bool saveProgram, ProgressReporter& progress, std::string& error);

}  // namespace kestrune::render
