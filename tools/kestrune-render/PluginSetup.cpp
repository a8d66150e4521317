#include "tools/kestrune-render/PluginSetup.h"

#include <cmath>

#include "tools/kestrune-render/ParameterAssignments.h"
#include "tools/kestrune-render/ProgramTransfer.h"

namespace kestrune::render {

std::unique_ptr<PluginInstance> LoadPlugin(const RenderOptions& options, std::string& error) {
  const std::string path = options.pluginPath.empty() ? DefaultPluginPath() : options.pluginPath;
  std::unique_ptr<PluginInstance> plugin = PluginInstance::Load(path, error);
  if (!plugin) return nullptr;
  if (options.doublePrecision && (!plugin->HasFlag(effFlagsCanDoubleReplacing) ||
                                  plugin->Effect()->processDoubleReplacing == nullptr)) {
    error = "--double: the plug-in cannot process double precision";
    return nullptr;
  }
  return plugin;
}

bool ApplySettings(PluginInstance& plugin, const RenderOptions& options, bool saveProgram, std::string& error) {
  if (!options.programPath.empty() && !LoadProgramFile(plugin, options.programPath, error)) return false;
  if (!options.bankPath.empty() && !LoadBankFile(plugin, options.bankPath, error)) return false;
  for (const ParameterAssignment& assignment : options.assignments) {
    if (!ApplyAssignment(plugin, assignment, error)) return false;
  }
  return !saveProgram || options.saveProgramPath.empty() || SaveProgramFile(plugin, options.saveProgramPath, error);
}

bool CheckSettings(const RenderOptions& options, std::string& error) {
  std::unique_ptr<PluginInstance> plugin = LoadPlugin(options, error);
  if (!plugin) return false;
  plugin->Open(options.sampleRate != 0 ? options.sampleRate : kDefaultDemoRate, options.blockSize);
  return ApplySettings(*plugin, options, true, error);
}

RenderSettings SettingsFor(const RenderOptions& options, int sampleRate) {
  RenderSettings settings;
  settings.blockSize = options.blockSize;
  settings.useDouble = options.doublePrecision;
  settings.prerollFrames = std::llround(options.prerollSeconds * sampleRate);
  settings.compensateLatency = options.compensateLatency;
  settings.tailMode = options.tailMode;
  settings.tailFrames = std::llround(options.tailSeconds * sampleRate);
  return settings;
}

}  // namespace kestrune::render
