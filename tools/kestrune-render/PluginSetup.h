#pragma once
// A plug-in made ready the way the command line asks: loaded, then given its settings.

#include <memory>
#include <string>

#include "tools/kestrune-render/CommandLine.h"
#include "tools/kestrune-render/PluginInstance.h"
#include "tools/kestrune-render/Renderer.h"

namespace kestrune::render {

// Loads the module --plugin names (else DefaultPluginPath()). Returns null and a reason when it
// cannot be loaded or cannot do what the options ask (--double).
std::unique_ptr<PluginInstance> LoadPlugin(const RenderOptions& options, std::string& error);

// Applies --program or --bank, then each --set, to the open effect; then, when saveProgram,
// writes --save-program, so it holds every setting. Returns false and a reason on the first
// failure.
bool ApplySettings(PluginInstance& plugin, const RenderOptions& options, bool saveProgram, std::string& error);

// Loads the plug-in, opens it at the rate --rate gives (else the demo's), and applies the settings,
// writing --save-program: the check made once before several jobs start, each of which then
// applies the same settings to its own instance without saving.
bool CheckSettings(const RenderOptions& options, std::string& error);

// Block size, precision, pre-roll, latency and tail handling as the options give them at a rate.
RenderSettings SettingsFor(const RenderOptions& options, int sampleRate);

}  // namespace kestrune::render
